#include "app/dialogs/DataAcquisitionSettings.h"

#include <cstdio>

namespace app::dialogs {

namespace {

constexpr int32_t kLongIntTimeMode = 4;

constexpr const char* kTriggerModes[] = {"None", "Software Trigger", "Synchronization",
                                         "Hardware Trigger", "Long Int. Time Mode"};
constexpr const char* kRotations[] = {"Disabled",         "Master - Slave 1", "Master - Slave 2",
                                      "Master - Slave 3", "Master - Slave 4", "Master - Slave 5",
                                      "Master - Slave 6", "Master - Slave 7"};

std::string withChannel(const char* format, int lastChannel)
{
    char text[512];
    std::snprintf(text, sizeof text, format, lastChannel);
    return text;
}

} // namespace

DataAcquisitionSettings DataAcquisitionSettings::load(DialogSpectrumView& view)
{
    DataAcquisitionSettings s;
    const RegistrationRecord& record = view.record();
    DialogConfiguration& configuration = view.configuration();
    s.integrationMs = record.integration;
    s.microsecondFlag = record.microsecondFlag;
    // The record's field is signed; the sheet shows a time, never a negative one.
    s.integrationUs = record.microsecondIntegrationTime < 0 ? 0 : record.microsecondIntegrationTime;
    s.scansToAverage = record.scansToAverage;
    s.boxcarWidth = record.boxcarHalfWidth;
    s.correctForDark = record.correctForDark;
    const uint16_t rotation = configuration.GetChannelRotation();
    s.plusMode = rotation >= 256 ? 1 : 0;
    s.rotationIndex = rotation >= 256 ? rotation - 256 : rotation;
    s.spectrometerType = configuration.GetSpectrometerType();
    s.autosaveOnTrigger = view.autosaveOnExternalTrigger();
    s.triggerMode = record.triggerMode;
    s.strobeEnable = view.strobeEnable();
    s.flashDelay = record.flashDelay;
    s.modulation = view.mavrinModulation();
    s.adcType = configuration.GetADCType();
    s.singleThread = static_cast<int32_t>(view.mainFrame().singleThread());
    return s;
}

std::optional<RangeFailure> checkRanges(const DataAcquisitionSettings& s)
{
    // The box shows one of the two times; the other is as loaded, and in range.
    if (s.microsecondFlag == 1 && !kIntegrationUsRange.contains(s.integrationUs))
        return RangeFailure{DataAcquisitionPage::Basic, id::kIntegration, kIntegrationUsRange};
    if (!kIntegrationMsRange.contains(s.integrationMs))
        return RangeFailure{DataAcquisitionPage::Basic, id::kIntegration, kIntegrationMsRange};
    if (!kIntegrationUsRange.contains(s.integrationUs))
        return RangeFailure{DataAcquisitionPage::Basic, id::kIntegration, kIntegrationUsRange};
    if (!kRecordShortRange.contains(s.scansToAverage))
        return RangeFailure{DataAcquisitionPage::Basic, id::kAverages, kRecordShortRange};
    if (!kRecordShortRange.contains(s.boxcarWidth))
        return RangeFailure{DataAcquisitionPage::Basic, id::kBoxcar, kRecordShortRange};
    if (!kRecordShortRange.contains(s.flashDelay))
        return RangeFailure{DataAcquisitionPage::Strobe, id::kFlashDelay, kRecordShortRange};
    return std::nullopt;
}

void applyDataAcquisitionSettings(
    const DataAcquisitionSettings& s, DialogSpectrumView& view, bool& openedInLongIntMode,
    const std::function<void(const std::string&, const std::string&)>& warn)
{
    DialogMainFrame& mainFrame = view.mainFrame();
    DialogConfiguration& configuration = view.configuration();

    // 1. The acquisition values into the view.
    RegistrationRecord& record = view.record();
    record.microsecondFlag = s.microsecondFlag;
    record.microsecondIntegrationTime = static_cast<int32_t>(s.integrationUs);
    record.integration = static_cast<uint16_t>(s.integrationMs);
    record.scansToAverage = static_cast<int16_t>(s.scansToAverage);
    record.boxcarHalfWidth = static_cast<int16_t>(s.boxcarWidth);
    record.correctForDark = s.correctForDark;
    view.setAutosaveOnExternalTrigger(s.autosaveOnTrigger);
    record.triggerMode = s.triggerMode;

    // 2. and 3. Long integration times run one scan at a time from snapshots: entering the
    // mode suspends idle scanning, leaving it resumes scanning.
    if (record.triggerMode == kLongIntTimeMode) {
        mainFrame.SetAcquisitionSuspended(2);
        view.setSnapshotState(1);
    }
    if (openedInLongIntMode && record.triggerMode != kLongIntTimeMode) {
        view.setSnapshotState(0);
        mainFrame.SetAcquisitionSuspended(0);
    }
    // A second apply (Apply, then OK) compares against what this one left in force.
    openedInLongIntMode = record.triggerMode == kLongIntTimeMode;

    // 4. Strobe values and the single-threaded preference.
    view.setStrobeEnable(s.strobeEnable);
    view.setMavrinModulation(s.modulation);
    record.flashDelay = static_cast<int16_t>(s.flashDelay);
    mainFrame.setSingleThread(static_cast<uint32_t>(s.singleThread));

    // 5. The bar shows the new values, the integration time clamped to the view's limits.
    view.UpdateAcquisitionBar();

    // 6. Channel rotation: from the master to channel R, all of them and no other enabled.
    const int last = s.rotationIndex;
    if (last <= 0) {
        configuration.SetChannelRotation(0);
        configuration.ApplyToDriver();
        return;
    }
    bool otherEnabled = false;
    bool missing = false;
    for (int channel = 0; channel < 8; ++channel) {
        const bool enabled = configuration.GetChannelEnabled(channel) != 0;
        if (channel > last && enabled)
            otherEnabled = true;
        if (channel <= last && !enabled)
            missing = true;
    }
    if (otherEnabled) {
        warn(rotationWarningOtherChannels(last), kRotationWarningCaption);
        configuration.SetChannelRotation(0);
    } else if (missing) {
        warn(rotationWarningMissingChannels(last), kRotationWarningCaption);
        configuration.SetChannelRotation(0);
    } else {
        configuration.SetChannelRotation(static_cast<uint16_t>(last + 256 * (s.plusMode ? 1 : 0)));
    }
}

bool microsecondsAvailable(uint16_t spectrometerType, uint16_t adcType)
{
    return spectrometerType == VYK_SPEC_JOLVAR || spectrometerType == VYK_SPEC_ULMAR ||
           (spectrometerType == VYK_SPEC_ISTREL && adcType == VYK_ADC_SOLVIPLUS);
}

bool rotationShown(uint16_t adcType)
{
    return adcType == VYK_ADC_BRONTEL || adcType == VYK_ADC_BRONTELUSB ||
           adcType == VYK_ADC_CADRELPCI || adcType == VYK_ADC_SERIAL ||
           adcType == VYK_ADC_FORNICPC104;
}

bool plusModeShown(uint16_t adcType)
{
    return adcType == VYK_ADC_CADRELPCI;
}

bool modulationShown(uint16_t adcType)
{
    return adcType == VYK_ADC_PAVIK;
}

std::string integrationLabel(uint16_t spectrometerType, bool microseconds)
{
    if (spectrometerType == VYK_SPEC_GAVREL || spectrometerType == VYK_SPEC_ISTRELBT)
        return "A/D Conversion Frequency (kHz)";
    return microseconds ? "Integration Time (usec)" : "Integration Time (msec)";
}

std::string integrationText(const DataAcquisitionSettings& s)
{
    return std::to_string(s.microsecondFlag == 1 ? s.integrationUs : s.integrationMs);
}

std::span<const char* const> triggerModeNames(uint16_t adcType)
{
    const std::span<const char* const> all(kTriggerModes);
    return adcType == VYK_ADC_ULMARADC ? all : all.first(4);
}

std::span<const char* const> rotationNames()
{
    return kRotations;
}

std::string rotationWarningOtherChannels(int lastChannel)
{
    return withChannel(
        "You enabled Brontel channel rotation from the Master channel to the Slave %d.\nOther "
        "spectrometer channels are enabled.  Please select Spectrometer | Configure\nfrom the "
        "menu and disable the necessary spectrometer channels before enabling\nthe Brontel "
        "channel rotation feature.",
        lastChannel);
}

std::string rotationWarningMissingChannels(int lastChannel)
{
    return withChannel(
        "You enabled Brontel channel rotation from the Master channel to the Slave %d.\nNot all "
        "of these channels are enabled.  Please select Spectrometer | Configure\nfrom the menu "
        "and enable the necessary spectrometer channels before enabling\nthe Brontel channel "
        "rotation feature.",
        lastChannel);
}

} // namespace app::dialogs
