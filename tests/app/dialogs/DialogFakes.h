#pragma once

#include "app/dialogs/DialogNeighbours.h"
#include "app/shell/MainFramePreferences.h"

#include <array>
#include <string>
#include <vector>

// Recording fakes of the dialogs' neighbours: every call goes into one shared log, in order;
// the main frame and the bar refresh also keep the view's record as it was at their call.
namespace app::dialogs::test {

class FakeDialogMainFrame : public DialogMainFrame
{
public:
    explicit FakeDialogMainFrame(std::vector<std::string>& log) : m_log(log) {}

    int32_t VerifyCommand(int32_t action) override
    {
        m_log.push_back("VerifyCommand(" + std::to_string(action) + ")");
        return action == forbidden ? 0 : 1;
    }
    void SetAcquisitionSuspended(int32_t state) override
    {
        m_log.push_back("SetAcquisitionSuspended(" + std::to_string(state) + ")");
        suspensions.push_back(state);
        if (record)
            recordAtSuspend = *record;
    }
    void SuspendAndStartNextScan() override { m_log.push_back("SuspendAndStartNextScan"); }
    uint32_t singleThread() override { return prefs.SingleThread; }
    void setSingleThread(uint32_t value) override
    {
        m_log.push_back("setSingleThread(" + std::to_string(value) + ")");
        prefs.SingleThread = value;
    }
    MainFramePreferences& preferenceRecord() override { return prefs; }

    MainFramePreferences prefs;
    int32_t forbidden = -1;
    std::vector<int32_t> suspensions;
    const RegistrationRecord* record = nullptr;
    RegistrationRecord recordAtSuspend{};

private:
    std::vector<std::string>& m_log;
};

class FakeDialogConfiguration : public DialogConfiguration
{
public:
    explicit FakeDialogConfiguration(std::vector<std::string>& log) : m_log(log) {}

    uint16_t GetSpectrometerType() override { return spectrometerType; }
    uint16_t GetADCType() override { return adcType; }
    std::string GetSpectrometerSubType() override { return subType; }
    uint16_t GetChannelRotation() override { return rotation; }
    void SetChannelRotation(uint16_t value) override
    {
        m_log.push_back("SetChannelRotation(" + std::to_string(value) + ")");
        rotation = value;
    }
    uint16_t GetChannelEnabled(int channel) override
    {
        return channel >= 0 && channel < 8 ? enabled[channel] : 0;
    }
    void ApplyToDriver() override { m_log.push_back("ApplyToDriver"); }

    uint16_t spectrometerType = VYK_SPEC_ISTREL;
    uint16_t adcType = VYK_ADC_PAVIK;
    std::string subType = "NONE";
    uint16_t rotation = 0;
    std::array<uint16_t, 8> enabled{1, 0, 0, 0, 0, 0, 0, 0};

private:
    std::vector<std::string>& m_log;
};

class FakeDialogView : public DialogSpectrumView
{
public:
    FakeDialogView() : main(log), config(log)
    {
        main.record = &rec;
        rec.integration = 100;
        rec.microsecondIntegrationTime = 5000;
        rec.scansToAverage = 3;
        rec.boxcarHalfWidth = 2;
        rec.flashDelay = 20;
    }

    RegistrationRecord& record() override { return rec; }
    int autosaveOnExternalTrigger() override { return autosave; }
    void setAutosaveOnExternalTrigger(int value) override
    {
        log.push_back("setAutosaveOnExternalTrigger(" + std::to_string(value) + ")");
        autosave = value;
    }
    int strobeEnable() override { return strobe; }
    void setStrobeEnable(int value) override
    {
        log.push_back("setStrobeEnable(" + std::to_string(value) + ")");
        strobe = value;
    }
    int mavrinModulation() override { return modulation; }
    void setMavrinModulation(int value) override
    {
        log.push_back("setMavrinModulation(" + std::to_string(value) + ")");
        modulation = value;
    }
    int snapshotState() override { return snapshot; }
    void setSnapshotState(int state) override
    {
        log.push_back("setSnapshotState(" + std::to_string(state) + ")");
        snapshot = state;
    }
    void UpdateAcquisitionBar() override
    {
        log.push_back("UpdateAcquisitionBar");
        recordAtBar = rec;
    }
    DialogConfiguration& configuration() override { return config; }
    DialogMainFrame& mainFrame() override { return main; }

    std::vector<std::string> log;
    FakeDialogMainFrame main;
    FakeDialogConfiguration config;
    RegistrationRecord rec{};
    RegistrationRecord recordAtBar{};
    int autosave = 0;
    int strobe = 0;
    int modulation = 0;
    int snapshot = 0;
};

} // namespace app::dialogs::test
