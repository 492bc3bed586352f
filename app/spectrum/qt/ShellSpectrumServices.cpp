#include "app/spectrum/qt/ShellSpectrumServices.h"

#include "app/shell/DriverApi.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/ErrorLog.h"
#include "app/shell/MainFrame.h"
#include "app/shell/MainFramePreferences.h"
#include "app/spectrum/HarluneSpectrumDoc.h"

#include <algorithm>
#include <cstring>

DriverApiViewDriver::DriverApiViewDriver(DriverApi& driver)
    : m_driver(driver), m_library(dynamic_cast<DriverLibrary*>(&driver))
{}

template <typename R, typename... Args>
R DriverApiViewDriver::callExport(const char* name, R fallback, Args... args)
{
    if (!m_library)
        return fallback;
    void* address = m_library->symbol(name);
    if (!address)
        return fallback;
    return reinterpret_cast<R (*)(Args...)>(address)(args...);
}

namespace {

// The driver's results are 32-bit; the view keeps the 16-bit results of its interface.
int16_t narrow(int32_t value)
{
    return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

// The single-channel coefficient reader of each A/D type.
const char* coefficientReader(uint16_t adcType)
{
    switch (adcType) {
    case VYK_ADC_PAVIK:
        return "Pavik_GetCoefficients";
    case VYK_ADC_SOLVIPLUS:
        return "SolviPlus_GetCoefficients";
    case VYK_ADC_SOLVI:
        return "Solvi_GetCoefficients";
    case VYK_ADC_XANDEL:
        return "Xandel_GetCoefficients";
    case VYK_ADC_TREVAN:
        return "Trevan_GetCoefficients";
    case VYK_ADC_ULMARADC:
        return "Ulmar_GetCoefficients";
    case VYK_ADC_PAVIKPLUS:
        return "PavikPlus_GetCoefficients";
    case VYK_ADC_QUARN:
        return "Quarn_GetCoefficients";
    default:
        return nullptr;
    }
}

} // namespace

int16_t DriverApiViewDriver::VYK_Register(RegistrationRecord* record)
{
    return m_driver.VYK_Register(record);
}

int16_t DriverApiViewDriver::VYK_ParamSet(RegistrationRecord* record)
{
    return m_driver.VYK_ParamSet(record);
}

int16_t DriverApiViewDriver::VYK_BufferEmpty(uint32_t instanceKey, int16_t channel)
{
    return m_driver.VYK_BufferEmpty(instanceKey, channel);
}

uint16_t DriverApiViewDriver::VYK_GetSpectrometerType()
{
    return m_driver.VYK_GetSpectrometerType();
}

int16_t DriverApiViewDriver::VYK_StrobeEnable(int16_t enable)
{
    return m_driver.VYK_StrobeEnable(enable);
}

void DriverApiViewDriver::VYK_SetLastUSBScanValid(int16_t valid)
{
    m_driver.VYK_SetLastUSBScanValid(valid);
}

void DriverApiViewDriver::VYK_DisableMultichannelSpectra()
{
    m_driver.VYK_DisableMultichannelSpectra();
}

int16_t DriverApiViewDriver::Xandel_EnableFan(int16_t enable)
{
    return m_driver.Xandel_EnableFan(enable);
}

int16_t DriverApiViewDriver::Xandel_EnableCooler(int16_t enable)
{
    return m_driver.Xandel_EnableCooler(enable);
}

int16_t DriverApiViewDriver::Ulmar_SetTECEnable(int16_t enable)
{
    return m_driver.Ulmar_SetTECEnable(enable);
}

int16_t DriverApiViewDriver::Ulmar_SetFanEnable(int16_t enable)
{
    return narrow(callExport<int32_t>("Ulmar_SetFanEnable", 0, int32_t{enable}));
}

int16_t DriverApiViewDriver::Xandel_SetTECSetPoint(float degreesC)
{
    return narrow(callExport<int32_t>("Xandel_SetTECSetPoint", 0, degreesC));
}

int16_t DriverApiViewDriver::Ulmar_SetTECSetPoint(double degreesC)
{
    return narrow(callExport<int32_t>("Ulmar_SetTECSetPoint", 0, degreesC));
}

double DriverApiViewDriver::Xandel_GetTECTemperature()
{
    return callExport<float>("Xandel_GetTECTemperature", 0.0f);
}

double DriverApiViewDriver::Ulmar_GetTECTemperature()
{
    return callExport<double>("Ulmar_GetTECTemperature", 0.0);
}

int16_t DriverApiViewDriver::Pavik_IsPluginDetected(int16_t plugin)
{
    return narrow(callExport<int32_t>("Pavik_IsPluginDetected", 0, static_cast<uint8_t>(plugin)));
}

double DriverApiViewDriver::Pavik_GetTemperature()
{
    return callExport<float>("Pavik_GetTemperature", 0.0f);
}

// The accessories' exports answer 0 when they fail (no device, no accessory); so does a
// binder without the library.
int32_t DriverApiViewDriver::Pavik_SetMavrinDA(int32_t value)
{
    return callExport<int32_t>("Pavik_SetMavrinDA", 0, value);
}

int32_t DriverApiViewDriver::BrontelUSB_DAC_WriteValue(int32_t channel, int32_t value)
{
    return callExport<int32_t>("BrontelUSB_DAC_WriteValue", 0, channel, value);
}

int32_t DriverApiViewDriver::Pavik_Norrel_LampOn(int32_t on)
{
    return callExport<int32_t>("Pavik_Norrel_LampOn", 0, on);
}

int32_t DriverApiViewDriver::Pavik_Norrel_SetVisLampOn(int32_t on)
{
    return callExport<int32_t>("Pavik_Norrel_SetVisLampOn", 0, on);
}

int32_t DriverApiViewDriver::Pavik_Norrel_SetShutterOpened(int32_t open)
{
    return callExport<int32_t>("Pavik_Norrel_SetShutterOpened", 0, open);
}

int32_t DriverApiViewDriver::Pavik_Norrel_StoreCurrentPotValues()
{
    return callExport<int32_t>("Pavik_Norrel_StoreCurrentPotValues", 0);
}

int32_t DriverApiViewDriver::Pavik_Norrel_SetVisLampIntensity(int32_t value)
{
    return callExport<int32_t>("Pavik_Norrel_SetVisLampIntensity", 0, value);
}

int32_t DriverApiViewDriver::Pavik_Norrel_GetVisLampIntensity()
{
    return callExport<int32_t>("Pavik_Norrel_GetVisLampIntensity", 0);
}

int32_t DriverApiViewDriver::Pavik_Norrel_SetUVLampIntensity(int32_t value)
{
    return callExport<int32_t>("Pavik_Norrel_SetUVLampIntensity", 0, value);
}

int32_t DriverApiViewDriver::Pavik_Norrel_GetUVLampIntensity()
{
    return callExport<int32_t>("Pavik_Norrel_GetUVLampIntensity", 0);
}

int32_t DriverApiViewDriver::Pavik_Norrel_GetVisLampOn()
{
    return callExport<int32_t>("Pavik_Norrel_GetVisLampOn", 0);
}

int32_t DriverApiViewDriver::Pavik_Norrel_GetLampOn()
{
    return callExport<int32_t>("Pavik_Norrel_GetLampOn", 0);
}

int32_t DriverApiViewDriver::Xandel_EnableHighGain(int32_t flag)
{
    return callExport<int32_t>("Xandel_EnableHighGain", 0, flag);
}

int16_t DriverApiViewDriver::BrontelUSB_DAC_Initialize()
{
    return narrow(callExport<int32_t>("BrontelUSB_DAC_Initialize", 0));
}

int16_t DriverApiViewDriver::readCoefficients(uint16_t adcType, DeviceCoefficients& record)
{
    const char* reader = coefficientReader(adcType);
    if (!reader)
        return 0;
    CoefficientsRecord read{};
    const int32_t result = callExport<int32_t>(reader, 0, &read);
    if (result == 1) {
        std::copy(std::begin(read.wavelength), std::end(read.wavelength),
                  record.wavelength.begin());
        record.strayLight = read.strayLight;
        std::copy(std::begin(read.nonLinearity), std::end(read.nonLinearity),
                  record.nonLinearity.begin());
    }
    return narrow(result);
}

int16_t DriverApiViewDriver::BrontelUSB_GetCoefficients(MultichannelCoefficients& record)
{
    BrontelUSBCoefficientsRecord read{};
    const int32_t result = callExport<int32_t>("BrontelUSB_GetCoefficients", 0, &read);
    if (result == 1) {
        for (size_t k = 0; k < record.wavelength.size(); ++k)
            std::copy(std::begin(read.wavelength[k]), std::end(read.wavelength[k]),
                      record.wavelength[k].begin());
        // The converter keeps the mask of its channels in the record's low byte.
        record.channelMask = static_cast<uint16_t>(read.count & 0xFF);
    }
    return narrow(result);
}

int16_t DriverApiViewDriver::Pavik_SetMavrinModulation(int32_t modulation)
{
    return m_driver.Pavik_SetMavrinModulation(modulation);
}

void MainFrameViewFrame::setScriptEvents(NewSpectraReady newSpectraReady,
                                         TimeAcquisition timeAcquisition,
                                         SpectrometerConfigChanged configChanged,
                                         Keystroke keystroke)
{
    m_newSpectraReady = std::move(newSpectraReady);
    m_timeAcquisition = std::move(timeAcquisition);
    m_configChanged = std::move(configChanged);
    m_keystroke = std::move(keystroke);
}

void MainFrameViewFrame::fireKeystroke(int32_t keyCode, int32_t flags,
                                       const std::string& windowName)
{
    if (m_keystroke)
        m_keystroke(keyCode, flags, windowName);
}

void MainFrameViewFrame::fireSpectrometerConfigChanged(const std::string& windowName)
{
    if (m_configChanged)
        m_configChanged(windowName);
}

void DriverApiViewDriver::VYK_EnableMultichannelSpectra(uint16_t rotation)
{
    m_driver.VYK_EnableMultichannelSpectra(rotation);
}

void MainFrameViewFrame::SetLastDarkFilename(const std::string& name)
{
    m_mainFrame.activeConfiguration().SetLastDarkFilename(name);
}

void MainFrameViewFrame::SetLastReferenceFilename(const std::string& name)
{
    m_mainFrame.activeConfiguration().SetLastReferenceFilename(name);
}

std::string MainFrameViewFrame::lastDarkFilename()
{
    return m_mainFrame.activeConfiguration().lastDarkFilename();
}

std::string MainFrameViewFrame::lastReferenceFilename()
{
    return m_mainFrame.activeConfiguration().lastReferenceFilename();
}

uint16_t MainFrameViewFrame::adcType()
{
    return m_mainFrame.driverCache().adcType;
}

void MainFrameViewFrame::OnKickStart()
{
    m_mainFrame.OnKickStart();
}

void MainFrameViewFrame::logException(const std::string& description, const char* file, int line)
{
    if (CErrorLog* log = m_mainFrame.errorLog())
        log->LogException(description.c_str(), file, line);
}

void MainFrameViewFrame::fireNewSpectraReady(const std::string& windowName, int16_t channels)
{
    if (m_newSpectraReady)
        m_newSpectraReady(windowName, channels);
}

void MainFrameViewFrame::fireTimeAcquisition(const std::string& windowName, double timeStamp)
{
    if (m_timeAcquisition)
        m_timeAcquisition(windowName, timeStamp);
}

std::string MainFrameViewFrame::activeConfigurationFamily()
{
    return m_mainFrame.activeConfiguration().name();
}

int MainFrameViewFrame::activeConfigurationGatedMode()
{
    return m_mainFrame.activeConfiguration().GetInGatedMode();
}

uint16_t MainFrameViewFrame::activeConfigurationLowerIntegrationLimit()
{
    return m_mainFrame.activeConfiguration().GetLowerIntegrationTimeLimit();
}

void MainFrameViewFrame::returnViewChanges()
{
    // The view writes one preference: the saturation warning's check box.
    if (m_preferences && m_warningHandedOut >= 0 &&
        m_viewPreferences.ScopeModeSaturatedWarning != m_warningHandedOut) {
        m_preferences->ScopeModeSaturatedWarning =
            static_cast<uint32_t>(m_viewPreferences.ScopeModeSaturatedWarning);
        m_warningHandedOut = m_viewPreferences.ScopeModeSaturatedWarning;
    }
}

SpectrumViewPreferences& MainFrameViewFrame::viewPreferences()
{
    if (!m_preferences)
        return m_viewPreferences;
    returnViewChanges();
    MainFramePreferences& p = *m_preferences;
    m_viewPreferences.ScopeModeSaturatedWarning = static_cast<int>(p.ScopeModeSaturatedWarning);
    m_viewPreferences.RememberGraphScale = static_cast<int>(p.RememberGraphScale);
    m_viewPreferences.StoreDarkReference = static_cast<int>(p.StoreDarkReference);
    m_viewPreferences.TransmissionModeLabel = p.TransmissionModeLabel;
    m_viewPreferences.TurnOffLightWhenClosingWindow =
        static_cast<int>(p.TurnOffLightWhenClosingWindow);
    // The sounds in the order of "Preferences\\Sound" that the main frame keeps.
    m_viewPreferences.ScopeModeSaturatedSound = p.sounds[4];
    m_viewPreferences.StoreDarkSound = p.sounds[6];
    m_viewPreferences.StoreReferenceSound = p.sounds[7];
    m_viewPreferences.PrintBWOnly = static_cast<int>(p.PrintBWOnly);
    m_viewPreferences.CopyIncludeHeader = static_cast<int>(p.CopyIncludeHeader);
    m_viewPreferences.CopyToolbarButtonFunction = static_cast<int>(p.CopyToolbarButtonFunction);
    m_viewPreferences.AlwaysSaveDisplaySettings = static_cast<int>(p.AlwaysSaveDisplaySettings);
    m_viewPreferences.AlwaysSaveTimeParameters = static_cast<int>(p.AlwaysSaveTimeParameters);
    m_viewPreferences.OverlayClearWarning = static_cast<int>(p.OverlayClearWarning);
    m_viewPreferences.OpenOverlayAnnotation = static_cast<int>(p.OpenOverlayAnnotation);
    m_viewPreferences.ManufacturingExtensionsEnabled =
        static_cast<int>(p.ManufacturingExtensionsEnabled);
    m_viewPreferences.DefaultFileFormat = static_cast<int>(p.DefaultFileFormat);
    m_viewPreferences.SaveFilesForSelected = static_cast<int>(p.SaveFilesForSelected);
    m_viewPreferences.AlwaysSaveDark = static_cast<int>(p.AlwaysSaveDark);
    m_viewPreferences.AlwaysSaveReference = static_cast<int>(p.AlwaysSaveReference);
    m_viewPreferences.AlwaysSaveSample = static_cast<int>(p.AlwaysSaveSample);
    m_viewPreferences.AlwaysSaveExperiment = static_cast<int>(p.AlwaysSaveExperiment);
    m_viewPreferences.SaveDarkSound = p.sounds[0];
    m_viewPreferences.SaveReferenceSound = p.sounds[1];
    m_viewPreferences.SaveDataSound = p.sounds[2];
    m_viewPreferences.SaveExperimentSound = p.sounds[3];
    m_warningHandedOut = m_viewPreferences.ScopeModeSaturatedWarning;
    return m_viewPreferences;
}

SpectrumPreferences& MainFrameViewFrame::preferences()
{
    return m_documentFrame.preferences();
}

int MainFrameViewFrame::VerifyCommand(int menuVerify)
{
    return m_mainFrame.VerifyCommand(menuVerify);
}

void MainFrameViewFrame::StartNextScan()
{
    m_mainFrame.StartNextScan();
}

void MainFrameViewFrame::SuspendAndStartNextScan()
{
    m_mainFrame.SuspendAndStartNextScan();
}

void MainFrameViewFrame::clearScanPending()
{
    returnViewChanges();
    m_mainFrame.scanMessageHandled();
}

bool MainFrameViewFrame::startNextScanEarly()
{
    return m_mainFrame.StartNextScanEarly();
}

void MainFrameViewFrame::setAcquisitionHalted(int value)
{
    m_mainFrame.SetAcquisitionSuspended(value);
}

uint32_t MainFrameViewFrame::instanceKey()
{
    return m_mainFrame.instanceKey();
}

uint32_t MainFrameViewFrame::tickCountMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
