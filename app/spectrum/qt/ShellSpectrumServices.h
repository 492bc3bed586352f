#pragma once

#include "app/spectrum/SpectrumViewHost.h"

#include <chrono>
#include <functional>
#include <string>

class CMainFrame;
class DriverApi;
class DriverLibrary;
struct MainFramePreferences;
class SpectrumDocFrame;

// The spectrum view's driver calls on the program's driver binder. The calls the binder's
// interface does not carry (accessories, coefficient readers) are looked up by name in the
// bound library; on another binder (a test's) they answer 0: no plug-in, no coefficients, no
// temperature.
class DriverApiViewDriver : public SpectrumViewDriver
{
public:
    explicit DriverApiViewDriver(DriverApi& driver);

    int16_t VYK_Register(RegistrationRecord* record) override;
    int16_t VYK_ParamSet(RegistrationRecord* record) override;
    int16_t VYK_BufferEmpty(uint32_t instanceKey, int16_t channel) override;
    uint16_t VYK_GetSpectrometerType() override;
    int16_t VYK_StrobeEnable(int16_t enable) override;
    void VYK_SetLastUSBScanValid(int16_t valid) override;
    void VYK_DisableMultichannelSpectra() override;
    void VYK_EnableMultichannelSpectra(uint16_t rotation) override;
    int16_t Xandel_EnableFan(int16_t enable) override;
    int16_t Xandel_EnableCooler(int16_t enable) override;
    int16_t Ulmar_SetFanEnable(int16_t enable) override;
    int16_t Ulmar_SetTECEnable(int16_t enable) override;
    int16_t Xandel_SetTECSetPoint(float degreesC) override;
    int16_t Ulmar_SetTECSetPoint(double degreesC) override;
    double Xandel_GetTECTemperature() override;
    double Ulmar_GetTECTemperature() override;
    int16_t Pavik_IsPluginDetected(int16_t plugin) override;
    int16_t Pavik_SetMavrinModulation(int32_t modulation) override;
    double Pavik_GetTemperature() override;
    int32_t Pavik_SetMavrinDA(int32_t value) override;
    int32_t BrontelUSB_DAC_WriteValue(int32_t channel, int32_t value) override;
    int32_t Pavik_Norrel_LampOn(int32_t on) override;
    int32_t Pavik_Norrel_SetVisLampOn(int32_t on) override;
    int32_t Pavik_Norrel_SetShutterOpened(int32_t open) override;
    int32_t Pavik_Norrel_StoreCurrentPotValues() override;
    int32_t Pavik_Norrel_SetVisLampIntensity(int32_t value) override;
    int32_t Pavik_Norrel_GetVisLampIntensity() override;
    int32_t Pavik_Norrel_SetUVLampIntensity(int32_t value) override;
    int32_t Pavik_Norrel_GetUVLampIntensity() override;
    int32_t Pavik_Norrel_GetVisLampOn() override;
    int32_t Pavik_Norrel_GetLampOn() override;
    int32_t Xandel_EnableHighGain(int32_t flag) override;
    int16_t BrontelUSB_DAC_Initialize() override;
    int16_t readCoefficients(uint16_t adcType, DeviceCoefficients& record) override;
    int16_t BrontelUSB_GetCoefficients(MultichannelCoefficients& record) override;

private:
    // Calls the library's export `name` as R(Args...), or answers fallback without a library.
    template <typename R, typename... Args>
    R callExport(const char* name, R fallback, Args... args);

    DriverApi& m_driver;
    DriverLibrary* m_library;
};

// The spectrum view's main frame on the program's CMainFrame: its round-robin, its active
// configuration and, when given, its preferences (what the view changes in them goes back).
// The script events go where setScriptEvents says (the event generator once scripting joins
// the program); unset, they go nowhere.
class MainFrameViewFrame : public SpectrumViewFrame
{
public:
    MainFrameViewFrame(CMainFrame& mainFrame, SpectrumDocFrame& documentFrame,
                       MainFramePreferences* preferences = nullptr)
        : m_mainFrame(mainFrame), m_documentFrame(documentFrame), m_preferences(preferences)
    {}

    using NewSpectraReady = std::function<void(const std::string& windowName, int16_t channels)>;
    using TimeAcquisition = std::function<void(const std::string& windowName, double timeStamp)>;
    using SpectrometerConfigChanged = std::function<void(const std::string& windowName)>;
    using Keystroke =
        std::function<void(int32_t keyCode, int32_t flags, const std::string& windowName)>;
    void setScriptEvents(NewSpectraReady newSpectraReady, TimeAcquisition timeAcquisition,
                         SpectrometerConfigChanged configChanged = nullptr,
                         Keystroke keystroke = nullptr);
    // What opens the main frame's auto-run script at a window's first scan; unset, nothing.
    void setAutoRunScript(std::function<void()> openAutoRun)
    {
        m_openAutoRun = std::move(openAutoRun);
    }
    // The main frame and its preferences (null when none were given), for the dialogs.
    CMainFrame& mainFrame() { return m_mainFrame; }
    MainFramePreferences* mainFramePreferences() { return m_preferences; }

    SpectrumPreferences& preferences() override;
    SpectrumViewPreferences& viewPreferences() override;
    int VerifyCommand(int menuVerify) override;
    void StartNextScan() override;
    void SuspendAndStartNextScan() override;
    void clearScanPending() override;
    bool startNextScanEarly() override;
    void setAcquisitionHalted(int value) override;
    std::string activeConfigurationFamily() override;
    int activeConfigurationGatedMode() override;
    uint16_t activeConfigurationLowerIntegrationLimit() override;
    uint32_t instanceKey() override;
    uint32_t tickCountMs() override;
    void fireNewSpectraReady(const std::string& windowName, int16_t channels) override;
    void fireTimeAcquisition(const std::string& windowName, double timeStamp) override;
    void fireSpectrometerConfigChanged(const std::string& windowName) override;
    void fireKeystroke(int32_t keyCode, int32_t flags, const std::string& windowName) override;
    void OnKickStart() override;
    void SetLastDarkFilename(const std::string& name) override;
    void SetLastReferenceFilename(const std::string& name) override;
    std::string lastDarkFilename() override;
    std::string lastReferenceFilename() override;
    uint16_t adcType() override;
    void openAutoRunScript() override
    {
        if (m_openAutoRun)
            m_openAutoRun();
    }
    void logException(const std::string& description, const char* file, int line) override;

private:
    void returnViewChanges();

    CMainFrame& m_mainFrame;
    SpectrumDocFrame& m_documentFrame;
    MainFramePreferences* m_preferences;
    SpectrumViewPreferences m_viewPreferences;
    // The saturation warning as last handed to the views: a change is theirs.
    int m_warningHandedOut = -1;
    NewSpectraReady m_newSpectraReady;
    TimeAcquisition m_timeAcquisition;
    SpectrometerConfigChanged m_configChanged;
    Keystroke m_keystroke;
    std::function<void()> m_openAutoRun;
};
