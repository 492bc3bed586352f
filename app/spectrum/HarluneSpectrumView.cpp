#include "app/spectrum/HarluneSpectrumView.h"

#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/ProcessingSetupFromConfiguration.h"
#include "app/spectrum/SpectrumCursor.h"
#include "platform/chart/Xrt.h"
#include "platform/win/Clock.h"
#include "platform/win/Log.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace platform::chart;
using namespace app::spectrum;
using namespace app::res;

namespace {

constexpr const char* kAcquisitionSection = "DefaultAcquisitionParameters";
constexpr const char* kMavrinSection = "DefaultAcquisitionParameters\\USB-Mavrin";
constexpr const char* kXandelSection = "DefaultAcquisitionParameters\\Xandel";
constexpr const char* kPreferencesSection = "Preferences";
constexpr const char* kAutoIncrementSection = "Preferences\\AutoIncrement";
constexpr const char* kGraphScaleSection = "Preferences\\GraphScale";
constexpr const char* kUnsetConfiguration = "XXXX";
constexpr const char* kDefaultDisplayFile = "default.display";
// Integration times above this are saved as this, so that a window never starts with a
// scan longer than the round-robin tolerates.
constexpr int kMaxSavedIntegrationMs = 300;

// Chart data sets: 0 to 7 the channels, 8 to 15 the overlay slots.
constexpr int kChartSets = 16;

// Virtual-key codes of the keyboard commands.
enum Key : unsigned
{
    kPageUp = 0x21,
    kPageDown = 0x22,
    kEnd = 0x23,
    kHome = 0x24,
    kLeft = 0x25,
    kUp = 0x26,
    kRight = 0x27,
    kDown = 0x28,
    kComma = 0xBC,
    kPeriod = 0xBE,
};

std::string nextSaveName(const std::string& base, int index)
{
    char text[32];
    std::snprintf(text, sizeof text, ".%08d", index);
    return base + text;
}

// "%.1f" and "%.3f" without the process locale: the chart and bars always show a point.
std::string fixed(double value, int decimals)
{
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0");
}

// The leading number of a text, 0.0 when there is none.
double leadingNumber(const std::string& text)
{
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    if (*begin == '+')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, text.c_str() + text.size(), value);
    return result.ec == std::errc() && std::isfinite(value) ? value : 0.0;
}

std::array<uint16_t, kSpectrumChannels> enablesOf(const RegistrationRecord& record)
{
    std::array<uint16_t, kSpectrumChannels> enables{};
    for (int k = 0; k < kSpectrumChannels; ++k)
        enables[k] = record.channelEnables[k] != 0 ? 1 : 0;
    return enables;
}

} // namespace

CHarluneSpectrumView::CHarluneSpectrumView(SpectrumViewWindow& window, SpectrumViewFrame& frame,
                                           SpectrumViewDriver& driver,
                                           CHarluneSpectrumDoc& document,
                                           SpectrometerConfigurationHost& configurationHost)
    : m_window(window), m_frame(frame), m_driver(driver), m_document(document),
      m_configurationHost(configurationHost)
{
    m_templateViews.reserve(kMaxTemplateViews);
    readSettings();
    chooseFirstConfiguration();
    m_configuration = std::make_unique<CSpectrometerConfiguration>(
        m_configurationFile, m_window.windowHandle(), configurationHost);
}

CHarluneSpectrumView::~CHarluneSpectrumView()
{
    if (m_documentHook != 0 && m_destroyed == 0)
        m_document.setBuffersReturn(nullptr);
    m_driver.VYK_DisableMultichannelSpectra();
    if (m_largeClipboard != 0 &&
        m_window.showMessageBox(
            "You placed a large amount of data in the clipboard.  Data left in the clipboard "
            "uses memory, and could degrade system performance.  Do you want this data left in "
            "the clipboard to use with other applications?",
            "Harlune Clipboard Warning",
            SpectrumDocWindow::Buttons::YesNo) == SpectrumDocWindow::Answer::No)
        m_window.emptyClipboard();
    CINIFileSupport store(nullptr, 1);
    // One save: the hive is replaced once, not once per key.
    store.beginBatch();
    store.WriteInt(kMavrinSection, "LEDOn", m_mavrinLampOn);
    store.WriteInt(kMavrinSection, "LEDModulate", m_mavrinModulation);
    store.WriteInt(kMavrinSection, "LEDGetTemperature", m_mavrinTemperatureReadOut);
    store.WriteInt(kMavrinSection, "LEDTempDegC", m_temperatureInCelsius);
    store.WriteInt(kXandelSection, "TECOn", m_coolerOn);
    store.WriteFloat(kXandelSection, "TECSetPoint", m_coolerSetPoint);
    store.WriteInt(kXandelSection, "HighGainMode", m_highGainMode);
    store.WriteInt(kXandelSection, "IntTimeScalar", m_integrationTimeScalar);
    store.WriteInt(kXandelSection, "TECTempRefreshTime", m_temperatureRefreshS);
    store.WriteInt(kPreferencesSection, "VerticalScaleLog", m_verticalLogScale);
    store.WriteInt(kAutoIncrementSection, "Enabled", m_autoIncrementEnabled);
    store.WriteInt(kAutoIncrementSection, "ShowNextNameEnabled", m_showNextName);
    store.WriteString(kAutoIncrementSection, "BaseFilename", m_baseFileName.c_str());
    store.WriteInt(kAutoIncrementSection, "Index", m_autoIncrementIndex);
    store.WriteInt(kPreferencesSection, "TrevanDialogTimerInterval", m_trevanDialogTimerInterval);
    (void)store.endBatch(); // a failed write is logged by the store
    destroyAnnotationAreas();
    if (m_chartData != 0) {
        if (m_chart != 0)
            XrtSetValues(m_chart, {{kXrtData, 0}});
        XrtDataDestroy(m_chartData);
    }
    // The configuration's destructor writes its file back.
    m_configuration.reset();
}

void CHarluneSpectrumView::readSettings()
{
    CINIFileSupport store(nullptr, 1);
    m_autoIncrementEnabled = store.GetInt(kAutoIncrementSection, "Enabled");
    m_showNextName = store.GetInt(kAutoIncrementSection, "ShowNextNameEnabled");
    m_baseFileName =
        store.GetStringDefault(kAutoIncrementSection, "BaseFilename", "HarluneDataFile");
    m_autoIncrementIndex = store.GetInt(kAutoIncrementSection, "Index");
    m_nextSaveFileName = nextSaveName(m_baseFileName, m_autoIncrementIndex);
    m_mavrinLampOn = store.GetInt(kMavrinSection, "LEDOn");
    m_mavrinModulation = store.GetInt(kMavrinSection, "LEDModulate");
    m_temperatureInCelsius = store.GetInt(kMavrinSection, "LEDTempDegC");
    m_verticalLogScale = store.GetIntDefault(kPreferencesSection, "VerticalScaleLog", 0);
    m_trevanDialogTimerInterval =
        store.GetIntDefault(kPreferencesSection, "TrevanDialogTimerInterval", 0);
    m_coolerOn = store.GetIntDefault(kXandelSection, "TECOn", 1);
    m_coolerSetPoint = store.GetFloatDefault(kXandelSection, "TECSetPoint", 0.0f);
    m_highGainMode = store.GetIntDefault(kXandelSection, "HighGainMode", 0);
    m_temperatureRefreshS = store.GetIntDefault(kXandelSection, "TECTempRefreshTime", 2);
    m_strobeEnable = store.GetInt(kAcquisitionSection, "StrobeEnable");
    m_autosaveOnExternalTrigger =
        store.GetIntDefault(kAcquisitionSection, "AutoSaveOnExternalTrigger", 0);
    m_timeNormalization = store.GetIntDefault(kAcquisitionSection, "TimeNormalize", 0);
    m_storedGraphScale = {store.GetDoubleDefault(kGraphScaleSection, "StoredXMin", 0.0),
                          store.GetDoubleDefault(kGraphScaleSection, "StoredXMax", 0.0),
                          store.GetDoubleDefault(kGraphScaleSection, "StoredYMin", 0.0),
                          store.GetDoubleDefault(kGraphScaleSection, "StoredYMax", 0.0)};
    m_configurationFile =
        store.GetStringDefault(kPreferencesSection, "DefaultSpectrometer", kUnsetConfiguration);
}

void CHarluneSpectrumView::chooseFirstConfiguration()
{
    constexpr const char* kTitle = "Select Default Spectrometer";
    constexpr const char* kFilters =
        "Spectrometer Configurations(*.spec)|*.spec|All Files (*.*)|*.*||";
    if (m_configurationFile.empty() || m_configurationFile == kUnsetConfiguration) {
        // Nobody can answer the first-start question of a program started for automation.
        if (m_configurationHost.firstConfigurationUnattended())
            return;
        m_window.showMessageBox(
            "This appears to be the first time Harlune has been executed.  Please select a "
            "default spectrometer configuration from the following screen.  This spectrometer "
            "configuration will be used each time Harlune is started.",
            kTitle, SpectrumDocWindow::Buttons::Ok);
        if (auto path = m_window.chooseExistingFile(kTitle, kFilters))
            m_configurationFile = *path;
    }
    // A configuration on a stick is gone when the stick is: offer to choose another once.
    if (m_frame.isOnRemovableDrive(m_configurationFile) &&
        m_window.showMessageBox(
            "You have specified a spectrometer configuration file\nthat exists on a removable "
            "drive.  It is recommended\nthat you specify a spectrometer configuration file "
            "that\nis located on a fixed-drive.  Would you like to specify\na different "
            "spectrometer configuration file?",
            "Spectrometer Config. File Warning",
            SpectrumDocWindow::Buttons::YesNo) == SpectrumDocWindow::Answer::Yes) {
        if (auto path = m_window.chooseExistingFile(kTitle, kFilters))
            m_configurationFile = *path;
    }
}

// ---------------------------------------------------------------------------------------
// Window life

bool CHarluneSpectrumView::Create()
{
    m_chart = m_window.chartHandle();
    if (m_chart == 0)
        return false;
    m_chartData = XrtDataCreate(kXrtDataGeneral, kChartSets, kSpectrumPoints);
    ChannelSpectra& spectra = m_document.spectra();
    for (int k = 0; k < kSpectrumChannels; ++k) {
        m_configuration->FillWavelengths(k, spectra.wavelengths[k].data());
        m_selectedChannels[k] = m_configuration->GetChannelEnabled(k);
        setWavelengthXData(k);
    }
    fillProcessingSetup(*m_configuration, m_processingSetup);
    m_displayStartNm = m_configuration->PixelToWavelength(0, 0);
    m_displayEndNm = m_configuration->GetLastPixelWavelength(0);
    XrtSetValues(m_chart, {{kXrtData, static_cast<int>(m_chartData)}});

    {
        CINIFileSupport store(nullptr, 1);
        const std::string name = store.GetStringDefault(
            kPreferencesSection, "DefaultDisplaySettingsFile", kDefaultDisplayFile);
        if (name.empty()) {
            ReadDisplaySettings(std::string());
            m_displaySettingsFile = kDefaultDisplayFile;
        } else {
            ReadDisplaySettings(name);
        }
        m_timeParametersFile = store.GetStringDefault(kPreferencesSection,
                                                      "DefaultTimeAcquisitionFile", "default.time");
        ReadTimeAcquisitionParameters(m_timeParametersFile);
    }
    resetAnnotations();

    if (m_frame.activeConfigurationFamily() == "Morvel") {
        openDefaultSpectra();
        m_record.triggerMode = m_frame.activeConfigurationGatedMode() == 1 ? 3 : 0;
        OnRelativeIrradianceMode();
    } else {
        OnScopeMode();
    }
    OnUnscale();
    const uint16_t type = m_configuration->GetSpectrometerType();
    if (type == kWessor || type == kVelko) {
        m_driver.Xandel_EnableCooler(1);
        m_driver.Xandel_EnableFan(1);
    }
    setDataSetsLastPoint();
    return true;
}

void CHarluneSpectrumView::OnCreate()
{
    const CSpectrometerConfiguration& c = *m_configuration;
    m_hardware = {c.GetBaseAddress(),      c.GetIRQ(),
                  c.GetSpectrometerType(), c.GetADCType(),
                  c.GetSerialPort(),       c.GetPCICardID(),
                  c.GetUSBSerialNumber(),  c.GetSerialPortResolution(),
                  c.GetChannelRotation()};

    CINIFileSupport store(nullptr, 1);
    m_record = RegistrationRecord{};
    m_record.size = static_cast<int16_t>(sizeof(RegistrationRecord));
    const int integrationMs = store.GetInt(kAcquisitionSection, "IntegrationTime");
    if (integrationMs == 0) {
        m_record.integration = 100;
        m_record.flashDelay = 100;
        m_record.boxcarHalfWidth = 0;
        m_record.scansToAverage = 1;
        m_record.triggerWord = 0;
        m_record.correctForDark = 0;
    } else {
        m_record.integration = static_cast<uint16_t>(std::clamp(integrationMs, 1, 65535));
        m_record.flashDelay = store.GetShort(kAcquisitionSection, "FlashDelay");
        m_record.boxcarHalfWidth = store.GetShort(kAcquisitionSection, "BoxcarWidth");
        m_record.scansToAverage =
            std::max<int16_t>(1, store.GetShort(kAcquisitionSection, "SamplesToAverage"));
        m_record.triggerWord = m_strobeEnable;
        m_record.correctForDark = store.GetInt(kAcquisitionSection, "CorrectForDark");
    }
    bool anyEnabled = false;
    for (int k = 0; k < kSpectrumChannels; ++k) {
        m_record.channelEnables[k] = m_configuration->GetChannelEnabled(k) != 0 ? 1 : 0;
        anyEnabled = anyEnabled || m_record.channelEnables[k] != 0;
    }
    if (!anyEnabled)
        m_record.channelEnables[0] = 1;
    m_record.timingDirty = 1;
    m_record.instanceKey = m_frame.instanceKey();
    m_record.microsecondFlag = 0;
    m_record.microsecondIntegrationTime =
        m_configuration->GetADCType() == VYK_ADC_ULMARADC
            ? 1
            : store.GetIntDefault(kAcquisitionSection, "USecIntegrationTime", 10);
}

void CHarluneSpectrumView::OnShowWindow()
{
    if (m_destroyed != 0)
        return;
    m_currentConfigurationFile = m_configurationFile;
    if (m_window.inSpectrumFrame()) {
        m_record.window = m_window.windowHandle();
        for (int k = 0; k < kSpectrumChannels; ++k)
            m_record.channelBuffers[k] = m_document.rawScanBuffer(k).values;
        // The buffers are the document's: the driver must have them back before they go.
        if (m_destroyed == 0 && m_documentHook == 0) {
            m_document.setBuffersReturn([this] { OnDestroy(); });
            m_documentHook = 1;
        }
        if (m_driver.VYK_Register(&m_record) != 0)
            m_frame.setAcquisitionHalted(2);
    }
    updateNextNameTitle();
}

void CHarluneSpectrumView::updateNextNameTitle()
{
    if (m_autoIncrementEnabled != 1 || m_showNextName != 1)
        return;
    std::string title = m_window.frameTitle().substr(0, 256);
    title = title.substr(0, title.find('|'));
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t'))
        title.pop_back();
    m_window.setFrameTitle(title + " | Next Save Filename: " + m_nextSaveFileName);
}

std::string CHarluneSpectrumView::windowNameOf(const std::string& caption)
{
    std::string name = caption.substr(0, caption.find(" | Next Save Filename: "));
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    return name;
}

std::string CHarluneSpectrumView::windowName()
{
    return windowNameOf(m_window.frameTitle());
}

void CHarluneSpectrumView::OnInitialUpdate()
{
    const uint16_t type = m_configuration->GetSpectrometerType();
    const uint16_t adcType = m_configuration->GetADCType();
    const bool microseconds =
        type == kJolvar || type == kUlmar || (type == kIstrel && adcType == kAdcSolviPlus);
    m_window.resetIntegrationTimeRange(microseconds);
    if (!microseconds || adcType == kAdcUlmarADC)
        m_record.microsecondFlag = 0;
    if (m_frame.activeConfigurationFamily() == "Quintar") {
        m_driver.Pavik_Norrel_LampOn(1);
        m_window.showBar(SpectrumBar::Norrel, true);
    } else {
        m_window.showBar(SpectrumBar::Norrel, false);
    }
    // The frame and its bars are complete now: the bar shows the window's values from its
    // first showing on, whichever refresh came first.
    m_acquisitionBarArmed = 1;
    UpdateAcquisitionBar();
    m_frame.StartNextScan();
}

void CHarluneSpectrumView::OnSize(int cx, int cy)
{
    if (m_chart == 0 || m_destroyed != 0)
        return;
    setChartRepaint(false);
    layoutChartArea(cx, cy);
    setChartRepaint(true);
    readBackAnnotations();
}

void CHarluneSpectrumView::layoutChartArea(int cx, int cy)
{
    if (cx <= 0 || cy <= 0)
        return;
    // A floating legend lies over the chart, whose area then fills the window; so does the
    // area of a chart without a legend (0x101 reads 0). Otherwise the chart lays the area out
    // beside its docked legend.
    if (m_legendFloating == 1 || XrtGetValue(m_chart, kXrtLegendShown).toInt() == 0)
        XrtSetValues(m_chart, {{kXrtChartAreaLeft, 0},
                               {kXrtChartAreaTop, 0},
                               {kXrtChartAreaWidth, cx},
                               {kXrtChartAreaHeight, cy}});
}

void CHarluneSpectrumView::OnDestroy()
{
    if (m_destroyed != 0)
        return;
    m_destroyed = 1;
    if (m_documentHook != 0)
        m_document.setBuffersReturn(nullptr);
    if (m_frame.viewPreferences().TurnOffLightWhenClosingWindow == 1) {
        m_driver.VYK_StrobeEnable(0);
        m_driver.Pavik_Norrel_LampOn(0);
    }
    if (m_temperatureTimer != 0) {
        m_window.killTimer(m_temperatureTimer);
        m_temperatureTimer = 0;
    }
    m_closing = 1;

    CINIFileSupport store(nullptr, 1);
    store.WriteInt(kAcquisitionSection, "IntegrationTime",
                   std::min<int>(m_record.integration, kMaxSavedIntegrationMs));
    store.WriteInt(kAcquisitionSection, "USecIntegrationTime", m_record.microsecondIntegrationTime);
    store.WriteInt(kAcquisitionSection, "FlashDelay", m_record.flashDelay);
    store.WriteInt(kAcquisitionSection, "SamplesToAverage", m_record.scansToAverage);
    store.WriteInt(kAcquisitionSection, "BoxcarWidth", m_record.boxcarHalfWidth);
    store.WriteInt(kAcquisitionSection, "CorrectForDark", m_record.correctForDark);
    store.WriteInt(kAcquisitionSection, "StrobeEnable", m_strobeEnable);
    store.WriteInt(kAcquisitionSection, "AutosaveOnExternalTrigger", m_autosaveOnExternalTrigger);
    store.WriteInt(kAcquisitionSection, "TimeNormalize", m_timeNormalization);
    store.WriteString(kPreferencesSection, "DefaultSpectrometer", m_configurationFile.c_str());
    if (m_chart != 0) {
        store.WriteDouble(kGraphScaleSection, "StoredXMax", chartValue(kXrtXMax));
        store.WriteDouble(kGraphScaleSection, "StoredXMin", chartValue(kXrtXMin));
        store.WriteDouble(kGraphScaleSection, "StoredYMin", chartValue(kXrtYMin));
        store.WriteDouble(kGraphScaleSection, "StoredYMax", chartValue(kXrtYMax));
        // The experiment last saved or opened is written again, with its data files.
        if (m_frame.viewPreferences().AlwaysSaveExperiment == 1 && !m_experimentFile.empty())
            (void)writeExperiment(m_experimentFile);
        // A failed write is noted in the diagnostic log by the settings store; the window
        // closes all the same.
        if (m_frame.viewPreferences().AlwaysSaveDisplaySettings == 1)
            (void)WriteDisplaySettings(m_displaySettingsFile);
    }
    store.WriteString(kPreferencesSection, "DefaultDisplaySettingsFile",
                      m_displaySettingsFile.c_str());
    store.WriteString(kPreferencesSection, "DefaultTimeAcquisitionFile",
                      m_timeParametersFile.c_str());
    if (m_frame.viewPreferences().AlwaysSaveTimeParameters == 1)
        (void)WriteTimeAcquisitionParameters(m_timeParametersFile);
    // A run still going writes the rows it holds and closes its stream file; a spectrum file
    // it could not write goes to the log, as no box is shown while the window closes.
    if (!m_timeRun->fileFailure.empty())
        platform::win::logError("spectrum", "%s", m_timeRun->fileFailure.c_str());
    m_timeRun->fileFailure.clear();
    StopTimeAcquisition();

    m_configuration->SetChannelRotation(0);
    // Take this window's buffers out of the driver's shared record before the document
    // that owns them goes away.
    for (int k = 0; k < kSpectrumChannels; ++k) {
        m_record.channelEnables[k] = 0;
        m_record.channelBuffers[k] = nullptr;
    }
    m_record.timingDirty = 1;
    if (m_record.integration == 0)
        m_record.integration = 100;
    m_driver.VYK_ParamSet(&m_record);
    m_frame.StartNextScan();
}

// ---------------------------------------------------------------------------------------
// Scan-ready road

int CHarluneSpectrumView::highestEnabledChannel() const
{
    for (int k = kSpectrumChannels - 1; k >= 0; --k)
        if (m_record.channelEnables[k] != 0)
            return k;
    return -1;
}

int CHarluneSpectrumView::lastChannel() const
{
    const int rotation = m_configuration->GetChannelRotation();
    return rotation == 0 ? highestEnabledChannel() : rotation;
}

int CHarluneSpectrumView::OnScanReady(uint32_t channel)
{
    // The driver names channels 0 to 7; anything else is not a buffer of ours. A message
    // still queued when the window closed finds the document gone.
    if (channel >= static_cast<uint32_t>(kSpectrumChannels) || m_destroyed != 0)
        return 0;
    const int ch = static_cast<int>(channel);

    if (m_snapshotState == 1) {
        m_driver.VYK_BufferEmpty(m_record.instanceKey, static_cast<int16_t>(ch));
        if (ch == highestEnabledChannel())
            m_frame.clearScanPending();
        return 0;
    }
    // State 99 takes this whole scan, every enabled channel of it, and then freezes.
    const bool lastBeforeFreeze = m_snapshotState == 99;

    const uint16_t adcType = m_configuration->GetADCType();
    if (m_coolerStateSent != m_coolerOn) {
        if (adcType == VYK_ADC_XANDEL) {
            m_driver.Xandel_EnableFan(static_cast<int16_t>(m_coolerOn));
            m_coolerStateSent = m_coolerOn;
            m_driver.Xandel_EnableCooler(static_cast<int16_t>(m_coolerOn));
        } else if (adcType == VYK_ADC_ULMARADC) {
            m_driver.Ulmar_SetFanEnable(static_cast<int16_t>(m_coolerOn));
            m_coolerStateSent = m_coolerOn;
            m_driver.Ulmar_SetTECEnable(static_cast<int16_t>(m_coolerOn));
        }
    }

    if (m_firstScanPending == 1)
        firstScanSteps();

    if (m_configuration->GetChannelRotation() != 0)
        m_record.channelEnables[ch] = 1;

    ScanCopySettings copy;
    copy.spectrometerType = m_driver.VYK_GetSpectrometerType();
    copy.pixelCount = m_configuration->GetPixelCount();
    copy.lemmikOffset = m_configuration->GetLemmikOffset();
    copy.saturationThreshold = m_configuration->GetScopeModeSaturationThreshold();
    copy.timeNormalization = m_timeNormalization;
    copy.integrationMs = m_record.integration;
    if (copyRawScan(m_document.rawScanBuffer(ch), m_document.spectra().sample[ch], copy))
        m_saturated = 1;

    m_driver.VYK_BufferEmpty(m_record.instanceKey, static_cast<int16_t>(ch));

    // Once the scan's data is copied out, the next scan may start before this one is
    // processed and drawn, so that the device integrates meanwhile. Not when anything below
    // could show a box (whose loop would take the next scan's message inside this one) or
    // change what the next scan does: a saturation warning, a time acquisition, an external
    // trigger's autosave, a freeze.
    bool startedNext = false;
    if (ch == lastChannel() && m_saturated == 0 && m_snapshotState == 0 &&
        m_record.triggerMode == 0 && m_timeAcquisitionStarted == 0 && m_closing == 0)
        startedNext = m_frame.startNextScanEarly();

    if (ch == lastChannel()) {
        if (m_saturated != 0)
            showSaturationWarning();
        m_saturated = 0;
        ProcessSpectra();
        if (m_timeAcquisitionMode == 1 && m_timeAcquisitionStarted == 1)
            timeAcquisitionTick();
        if (m_cursorShown != 0)
            updateCursor();
        if (m_record.triggerMode != 0 && m_autosaveOnExternalTrigger == 1)
            autosaveProcessedSpectra();
        // A next scan started early is the one outstanding now.
        if (!startedNext)
            m_frame.clearScanPending();

        // A template window that closed is dropped rather than sent to.
        const uint32_t tick = m_frame.tickCountMs();
        std::erase_if(m_templateViews, [this](uint32_t h) { return !m_window.isWindow(h); });
        for (const uint32_t handle : std::vector<uint32_t>(m_templateViews))
            m_window.sendScanNotice(handle, tick);

        const std::string title = windowName();
        int mask = 0;
        for (int k = 0; k < kSpectrumChannels; ++k)
            if (m_record.channelEnables[k] != 0)
                mask |= 1 << k;
        if (m_closing == 0)
            m_frame.fireNewSpectraReady(title, static_cast<int16_t>(mask));
        if (m_timeAcquisitionEventPending == 1) {
            m_timeAcquisitionEventPending = 0;
            if (m_closing == 0)
                m_frame.fireTimeAcquisition(title, m_eventTimeStamp);
        }
        if (m_plotSuspended == 0)
            PlotSpectra();
        if (lastBeforeFreeze)
            m_snapshotState = 1;
    }
    accessoryReadOuts();
    if (!startedNext)
        m_frame.clearScanPending();
    return 0;
}

void CHarluneSpectrumView::firstScanSteps()
{
    const uint16_t adcType = m_configuration->GetADCType();
    if (adcType == VYK_ADC_PAVIK && m_pluginState == -10) {
        // The plug-in board answers reliably only a moment after the first scan.
        platform::win::sleepFor(std::chrono::milliseconds(200));
        m_pluginState = m_driver.Pavik_IsPluginDetected(2);
    }
    if (adcType == VYK_ADC_BRONTELUSB)
        m_dacState = m_driver.BrontelUSB_DAC_Initialize();
    m_firstScanPending = 0;
    if (adcType == VYK_ADC_XANDEL || adcType == VYK_ADC_ULMARADC) {
        m_window.showBar(SpectrumBar::Cooler, true);
        m_window.startTimer(kTemperatureTimerId, std::max(1, m_temperatureRefreshS) * 1000);
        m_temperatureTimer = kTemperatureTimerId;
        m_coolerStateSent = 13;
    } else {
        m_window.showBar(SpectrumBar::Cooler, false);
    }
    computeBlackbodyCurves(m_document.spectra(), enablesOf(m_record),
                           m_configuration->GetPixelCount(), m_document.colorTemperature(),
                           m_document.assumeSecondOrder() != 0);
    openAutoRunScript();
    if (m_frame.viewPreferences().RememberGraphScale == 1) {
        setChartRepaint(false);
        setChartValue(kXrtXMax, m_storedGraphScale[1]);
        setChartValue(kXrtXMin, m_storedGraphScale[0]);
        setChartValue(kXrtYMax, m_storedGraphScale[3]);
        setChartValue(kXrtYMin, m_storedGraphScale[2]);
        setChartRepaint(true);
    } else {
        OnScopeMode();
    }
}

void CHarluneSpectrumView::showSaturationWarning()
{
    SpectrumViewPreferences& prefs = m_frame.viewPreferences();
    if (prefs.ScopeModeSaturatedWarning == 1) {
        if (m_frame.preferences().SoundEnabled == 1)
            m_window.playSoundAsync(prefs.ScopeModeSaturatedSound);
        bool continueToWarn = true;
        m_window.showWarningDialog("Scope mode is saturated.  Reduce the light intensity or the "
                                   "integration time to correct this problem.",
                                   continueToWarn);
        prefs.ScopeModeSaturatedWarning = continueToWarn ? 1 : 0;
    } else if (prefs.ScopeModeSaturatedWarning == 2) {
        m_window.flashAndActivate();
    }
}

void CHarluneSpectrumView::accessoryReadOuts()
{
    const uint16_t adcType = m_configuration->GetADCType();
    if (adcType == VYK_ADC_PAVIK) {
        if (m_pluginState == 1 && m_mavrinModulation != m_modulationSent) {
            m_driver.Pavik_SetMavrinModulation(m_mavrinModulation);
            m_modulationSent = m_mavrinModulation;
        }
        if (m_mavrinTemperatureReadOut == 1) {
            double t = m_driver.Pavik_GetTemperature();
            if (m_temperatureInCelsius != 1)
                t = t * 1.8 + 32.0;
            m_lastTemperature = static_cast<float>(t);
            m_window.setBarText(SpectrumBar::Mavrin, 1543, fixed(t, 1));
        }
    } else if (adcType == VYK_ADC_XANDEL || adcType == VYK_ADC_ULMARADC) {
        if (m_setPointPending == 1) {
            m_setPointPending = 0;
            setCoolerSetPoint(m_coolerSetPoint);
        }
        if (m_temperatureDue == 1) {
            m_temperatureDue = 0;
            m_window.setBarText(SpectrumBar::Cooler, 1580, fixed(coolerTemperature(), 1));
        }
    }
}

void CHarluneSpectrumView::setCoolerSetPoint(float degreesC)
{
    m_coolerSetPoint = degreesC;
    const uint16_t adcType = m_configuration->GetADCType();
    if (adcType == VYK_ADC_XANDEL)
        m_driver.Xandel_SetTECSetPoint(degreesC);
    else if (adcType == VYK_ADC_ULMARADC)
        m_driver.Ulmar_SetTECSetPoint(degreesC);
}

double CHarluneSpectrumView::coolerTemperature()
{
    const uint16_t adcType = m_configuration->GetADCType();
    if (adcType == VYK_ADC_XANDEL)
        return m_driver.Xandel_GetTECTemperature();
    if (adcType == VYK_ADC_ULMARADC)
        return m_driver.Ulmar_GetTECTemperature();
    return -111.0;
}

void CHarluneSpectrumView::OnTimer(int id)
{
    if (id == kTemperatureTimerId)
        m_temperatureDue = 1;
}

int CHarluneSpectrumView::OnLoadDeviceCoefficients(uint32_t dataInvalid)
{
    if (dataInvalid != 0 || m_coefficientsLoaded != 0 || m_destroyed != 0)
        return 0;
    m_coefficientsLoaded = 1;
    ChannelSpectra& spectra = m_document.spectra();
    const uint16_t adcType = m_configuration->GetADCType();
    const unsigned pixels = m_configuration->GetPixelCount();
    if (adcType == VYK_ADC_BRONTELUSB) {
        MultichannelCoefficients record;
        if (m_driver.BrontelUSB_GetCoefficients(record) == 1) {
            const uint16_t mask = record.channelMask == 0 ? 1 : record.channelMask;
            m_displayStartNm = 9999.0;
            m_displayEndNm = 0.0;
            setChartRepaint(false);
            for (int k = 0; k < kSpectrumChannels; ++k) {
                m_configuration->SetWavelengthCoefs(k, record.wavelength[k].data());
                const uint16_t on = (mask >> k) & 1;
                m_configuration->SetChannelEnabled(k, on);
                m_record.channelEnables[k] = static_cast<int16_t>(on);
                if (on != 0) {
                    m_configuration->FillWavelengths(k, spectra.wavelengths[k].data());
                    m_displayStartNm = std::min(m_displayStartNm, spectra.wavelengths[k][0]);
                    m_displayEndNm = std::max(m_displayEndNm, spectra.wavelengths[k][pixels - 1]);
                } else {
                    spectra.wavelengths[k].fill(0.0);
                }
                setWavelengthXData(k);
            }
            setChartRepaint(true);
        }
    } else {
        DeviceCoefficients record;
        if (m_driver.readCoefficients(adcType, record) == 1) {
            m_configuration->SetSLConstant(0, record.strayLight);
            m_configuration->SetNLCoefs(0, record.nonLinearity.data());
            m_configuration->SetWavelengthCoefs(0, record.wavelength.data());
            setChartRepaint(false);
            m_configuration->FillWavelengths(0, spectra.wavelengths[0].data());
            m_displayStartNm = spectra.wavelengths[0][0];
            m_displayEndNm = spectra.wavelengths[0][pixels - 1];
            setWavelengthXData(0);
            setChartRepaint(true);
        }
    }
    fillProcessingSetup(*m_configuration, m_processingSetup);
    setDataSetsLastPoint();
    XrtSetValues(m_chart, {{kXrtRepaint, 0},
                           {kXrtXMax, m_displayEndNm},
                           {kXrtXDataMax, m_displayEndNm},
                           {kXrtXMin, m_displayStartNm},
                           {kXrtXDataMin, m_displayStartNm},
                           {kXrtRepaint, 1}});
    PlotSpectra();
    refreshAcquisitionBar();
    return 0;
}

bool CHarluneSpectrumView::AddTemplateView(uint32_t handle)
{
    std::erase_if(m_templateViews, [this](uint32_t h) { return !m_window.isWindow(h); });
    if (handle == 0 || static_cast<int>(m_templateViews.size()) >= kMaxTemplateViews)
        return false;
    m_templateViews.push_back(handle);
    return true;
}

// ---------------------------------------------------------------------------------------
// Processing and plot

void CHarluneSpectrumView::ProcessSpectra()
{
    ProcessingState state;
    state.mode = m_processingMode;
    state.timeNormalization = m_timeNormalization;
    state.verticalLogScale = m_verticalLogScale;
    state.scopeMinusDark = m_scopeMinusDark;
    state.channelEnables = enablesOf(m_record);
    ::ProcessSpectra(m_document.spectra(), m_processingSetup, state);
}

void CHarluneSpectrumView::PlotSpectra()
{
    if (m_plotSuspended == 1 || m_chart == 0 || m_chartData == 0)
        return;
    setChartRepaint(false);
    const ChannelSpectra& spectra = m_document.spectra();
    for (int k = 0; k < kSpectrumChannels; ++k)
        if (m_record.channelEnables[k] != 0)
            XrtDataSetYData(m_chartData, k, spectra.processed[k].data(), kSpectrumPoints, 0);
    OverlaySlots& overlays = m_document.overlays();
    for (int k = 0; k < kOverlaySlots; ++k) {
        XrtDataSetXData(m_chartData, kSpectrumChannels + k, overlays.wavelengths[k].data(),
                        kSpectrumPoints, 0);
        XrtDataSetYData(m_chartData, kSpectrumChannels + k, overlays.values[k].data(),
                        kSpectrumPoints, 0);
    }
    XrtSetValues(m_chart, {{kXrtData, static_cast<int>(m_chartData)}});
    setChartRepaint(true);
}

void CHarluneSpectrumView::setWavelengthXData(int channel)
{
    if (m_chartData != 0)
        XrtDataSetXData(m_chartData, channel, m_document.spectra().wavelengths[channel].data(),
                        kSpectrumPoints, 0);
}

void CHarluneSpectrumView::setDataSetsLastPoint()
{
    const int last = static_cast<int>(m_configuration->GetPixelCount()) - 1;
    for (int k = 0; k < kSpectrumChannels; ++k)
        XrtDataSetLastPoint(m_chartData, k, last);
}

double CHarluneSpectrumView::chartValue(int id) const
{
    return XrtGetValue(m_chart, id).toDouble();
}

void CHarluneSpectrumView::setChartValue(int id, double value)
{
    XrtSetValues(m_chart, {{id, value}});
}

void CHarluneSpectrumView::setChartRepaint(bool on)
{
    XrtSetValues(m_chart, {{kXrtRepaint, on ? 1 : 0}});
}

// ---------------------------------------------------------------------------------------
// Commands

bool CHarluneSpectrumView::verify(int menuVerify) const
{
    return m_frame.VerifyCommand(menuVerify) != 0;
}

double CHarluneSpectrumView::scopeFullScale() const
{
    return scopeModeFullScale(m_configuration->GetSpectrometerType(),
                              m_configuration->GetADCType());
}

void CHarluneSpectrumView::setMode(ProcessingMode mode)
{
    ModeAxisInputs inputs;
    inputs.mode = mode;
    inputs.timeNormalization = m_timeNormalization;
    inputs.verticalLogScale = m_verticalLogScale;
    inputs.fullScale = scopeFullScale();
    inputs.integrationMs = m_record.integration;
    inputs.transmissionModeLabel = m_frame.viewPreferences().TransmissionModeLabel;
    inputs.customYMin = m_customYMin;
    inputs.customYMax = m_customYMax;
    inputs.customTitle = m_customTitle;
    const ModeAxis axis = modeAxis(inputs);
    XrtSetValues(m_chart, {{kXrtRepaint, 0},
                           {kXrtYMin, axis.yMin},
                           {kXrtYMax, axis.yMax},
                           {kXrtYAxisTitle, axis.title},
                           {kXrtRepaint, 1}});
    m_processingMode = mode;
    ProcessSpectra();
    PlotSpectra();
}

void CHarluneSpectrumView::OnScopeMode()
{
    if (verify(mvSpecSpectrumScopeMode))
        setMode(Scope);
}

void CHarluneSpectrumView::OnAbsorbanceMode()
{
    if (verify(mvSpecSpectrumAbsorbanceMode))
        setMode(Absorbance);
}

void CHarluneSpectrumView::OnTransmissionMode()
{
    if (verify(mvSpecSpectrumTransmissionMode))
        setMode(Transmission);
}

void CHarluneSpectrumView::OnSpecularReflectionMode()
{
    if (verify(mvSpecSpectrumSpecularReflectionMode))
        setMode(SpecularReflection);
}

void CHarluneSpectrumView::OnCustomMode()
{
    if (verify(mvSpecSpectrumCustomMode))
        setMode(Custom);
}

namespace {
constexpr const char* kBadColorTemperature =
    "You entered a color temperature less than or equal to zero.\nOnly positive color "
    "temperature values are permitted.\nReselect the Irradiance Mode and enter a valid color "
    "temperature value";
}

void CHarluneSpectrumView::OnRelativeIrradianceMode()
{
    if (!verify(mvSpecSpectrumRelativeIrradianceMode))
        return;
    if (m_document.colorTemperature() <= 0.0) {
        bool secondOrder = m_document.assumeSecondOrder() != 0;
        const auto text = m_window.showColorTemperatureDialog("3100.0", secondOrder);
        if (!text)
            return;
        m_document.setAssumeSecondOrder(secondOrder ? 1 : 0);
        const double kelvin = leadingNumber(*text);
        if (kelvin <= 0.0) {
            m_window.showMessageBox(kBadColorTemperature, "Harlune",
                                    SpectrumDocWindow::Buttons::Ok);
            return;
        }
        m_document.setColorTemperature(kelvin);
    }
    computeBlackbodyCurves(m_document.spectra(), enablesOf(m_record),
                           m_configuration->GetPixelCount(), m_document.colorTemperature(),
                           m_document.assumeSecondOrder() != 0);
    setMode(RelativeIrradiance);
}

void CHarluneSpectrumView::OnReferenceColorTemperature()
{
    if (!verify(mvSpecSpectrumReferenceColorTemperature))
        return;
    bool secondOrder = m_document.assumeSecondOrder() != 0;
    const auto text =
        m_window.showColorTemperatureDialog(fixed(m_document.colorTemperature(), 2), secondOrder);
    if (!text)
        return;
    m_document.setAssumeSecondOrder(secondOrder ? 1 : 0);
    const double kelvin = leadingNumber(*text);
    if (kelvin <= 0.0) {
        m_window.showMessageBox(kBadColorTemperature, "Harlune", SpectrumDocWindow::Buttons::Ok);
        return;
    }
    m_document.setColorTemperature(kelvin);
    computeBlackbodyCurves(m_document.spectra(), enablesOf(m_record),
                           m_configuration->GetPixelCount(), kelvin, secondOrder);
}

void CHarluneSpectrumView::OnConfigureDataAcquisition()
{
    if (verify(mvSpecSpectrumConfigureDataAcquisition))
        m_window.runDataAcquisitionSheet();
}

void CHarluneSpectrumView::OnSettings()
{
    if (!verify(mvSpecEditSettings))
        return;
    m_window.runPropertiesSheet();
    if (m_processingMode != Transmission || m_chart == 0)
        return;
    std::string title = m_frame.viewPreferences().TransmissionModeLabel == 0
                            ? "Percent Transmission"
                            : "Percent Reflection";
    if (m_verticalLogScale != 0)
        title = "log(" + title + ")";
    XrtSetValues(m_chart, {{kXrtYAxisTitle, title}, {kXrtRepaint, 1}});
}

void CHarluneSpectrumView::OnScopeModeMinusDark()
{
    if (verify(mvSpecSpectrumScopeModeMinusDark))
        m_scopeMinusDark = m_scopeMinusDark != 0 ? 0 : 1;
}

void CHarluneSpectrumView::storeInto(ChannelArrays& target, ChannelFlags& stored, bool withDialog)
{
    ChannelSpectra& spectra = m_document.spectra();
    const auto enables = enablesOf(m_record);
    if (!withDialog) {
        storeScans(spectra.sample, target, stored, enables);
        return;
    }
    std::array<int16_t, 8> recordEnables{};
    std::copy(std::begin(m_record.channelEnables), std::end(m_record.channelEnables),
              recordEnables.begin());
    if (auto selection = m_window.selectChannels(recordEnables, m_selectedChannels)) {
        m_selectedChannels = *selection;
        storeScans(spectra.sample, target, stored, enables, &m_selectedChannels);
    }
}

void CHarluneSpectrumView::OnStoreDark()
{
    if (!verify(mvSpecSpectrumStoreDark))
        return;
    ChannelSpectra& spectra = m_document.spectra();
    storeInto(spectra.dark, spectra.darkStored, m_frame.viewPreferences().StoreDarkReference != 0);
    if (m_frame.activeConfigurationFamily() == "Morvel" &&
        m_window.showMessageBox(
            "Would you like to save this dark as the\ndefault dark file when Harlune starts?",
            "Harlune for The Morvel",
            SpectrumDocWindow::Buttons::YesNo) == SpectrumDocWindow::Answer::Yes)
        saveDefaultSpectrum(false);
    m_darkStored = 1;
    if (m_frame.preferences().SoundEnabled == 1)
        m_window.playSoundAsync(m_frame.viewPreferences().StoreDarkSound);
    ProcessSpectra();
    PlotSpectra();
}

void CHarluneSpectrumView::OnStoreReference()
{
    if (!verify(mvSpecSpectrumStoreReference))
        return;
    ChannelSpectra& spectra = m_document.spectra();
    storeInto(spectra.reference, spectra.referenceStored,
              m_frame.viewPreferences().StoreDarkReference != 0);
    if (m_frame.activeConfigurationFamily() == "Morvel" &&
        m_window.showMessageBox("Would you like to save this reference as the\ndefault "
                                "reference file when Harlune starts?",
                                "Harlune for The Morvel", SpectrumDocWindow::Buttons::YesNo) ==
            SpectrumDocWindow::Answer::Yes)
        saveDefaultSpectrum(true);
    if (m_frame.preferences().SoundEnabled == 1)
        m_window.playSoundAsync(m_frame.viewPreferences().StoreReferenceSound);
    ProcessSpectra();
    PlotSpectra();
}

void CHarluneSpectrumView::OnStoreReferenceDark()
{
    if (!verify(mvSpecSpectrumTimeNormalizedIntensityStoreReferenceDark))
        return;
    ChannelSpectra& spectra = m_document.spectra();
    storeScans(spectra.sample, spectra.dark, spectra.darkStored, enablesOf(m_record));
    m_darkStored = 1;
    ProcessSpectra();
    PlotSpectra();
}

void CHarluneSpectrumView::OnStoreSampleDark()
{
    if (!verify(mvSpecSpectrumTimeNormalizedIntensityStoreSampleDark))
        return;
    ChannelSpectra& spectra = m_document.spectra();
    storeScans(spectra.sample, spectra.sampleDark, spectra.sampleDarkStored, enablesOf(m_record));
    if (m_frame.preferences().SoundEnabled == 1)
        m_window.playSoundAsync(m_frame.viewPreferences().StoreDarkSound);
    ProcessSpectra();
    PlotSpectra();
}

void CHarluneSpectrumView::OnTimeNormalization()
{
    if (!verify(mvSpecSpectrumTimeNormalizedIntensityEnable))
        return;
    setChartRepaint(false);
    if (m_timeNormalization == 1) {
        m_timeNormalization = 0;
        XrtSetValues(m_chart, {{kXrtYAxisTitle, m_verticalLogScale == 1 ? "log[Intensity (counts)]"
                                                                        : "Intensity (counts)"}});
        OnUnscale();
    } else {
        m_timeNormalization = 1;
        setChartValue(kXrtYMax, perIntegrationMs(chartValue(kXrtYMax), m_record.integration));
        XrtSetValues(m_chart, {{kXrtYAxisTitle, m_verticalLogScale == 1
                                                    ? "log[Time Normalized Intensity (counts)]"
                                                    : "Time Normalized Intensity (counts)"}});
    }
    setChartRepaint(true);
}

void CHarluneSpectrumView::OnSnapshot()
{
    if (!verify(mvSpecSpectrumSnapshot))
        return;
    if (m_snapshotState == 1) {
        m_snapshotState = 0;
        m_frame.StartNextScan();
    } else {
        m_snapshotState = 1;
    }
}

void CHarluneSpectrumView::OnAutoscale()
{
    if (!verify(mvSpecViewSpectrumScaleAutoscale))
        return;
    double yMin = 100000.0;
    double yMax = -100000.0;
    const double xMin = chartValue(kXrtXMin);
    const double xMax = chartValue(kXrtXMax);
    const ChannelSpectra& spectra = m_document.spectra();
    const unsigned pixels = std::min<unsigned>(m_configuration->GetPixelCount(), kSpectrumPoints);
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (m_record.channelEnables[k] == 0)
            continue;
        for (unsigned i = 0; i < pixels; ++i) {
            const double w = spectra.wavelengths[k][i];
            if (w <= xMin || w >= xMax)
                continue;
            yMax = std::max(yMax, spectra.processed[k][i]);
            yMin = std::min(yMin, spectra.processed[k][i]);
        }
    }
    XrtSetValues(m_chart, {{kXrtRepaint, 0}, {kXrtYMin, yMin}, {kXrtYMax, yMax}, {kXrtRepaint, 1}});
}

void CHarluneSpectrumView::OnSetScale()
{
    if (!verify(mvSpecViewSpectrumScaleSetScale))
        return;
    const std::array<std::string, 4> texts = {
        fixed(chartValue(kXrtXMin), 3), fixed(chartValue(kXrtXMax), 3),
        fixed(chartValue(kXrtYMin), 3), fixed(chartValue(kXrtYMax), 3)};
    const auto answer = m_window.showSetScaleDialog(texts);
    if (!answer)
        return;
    XrtSetValues(m_chart, {{kXrtRepaint, 0},
                           {kXrtXMin, leadingNumber((*answer)[0])},
                           {kXrtXMax, leadingNumber((*answer)[1])},
                           {kXrtYMin, leadingNumber((*answer)[2])},
                           {kXrtYMax, leadingNumber((*answer)[3])},
                           {kXrtRepaint, 1}});
}

void CHarluneSpectrumView::OnUnscale()
{
    if (!verify(mvSpecViewSpectrumScaleUnscale))
        return;
    double yMax = 0.0;
    switch (m_processingMode) {
    case Scope:
        yMax =
            unscaleFullScale(m_configuration->GetSpectrometerType(), m_configuration->GetADCType());
        if (m_timeNormalization == 1)
            yMax = perIntegrationMs(yMax, m_record.integration);
        break;
    case Absorbance:
        yMax = 4.0;
        break;
    case Transmission:
    case SpecularReflection:
        yMax = 100.0;
        break;
    case RelativeIrradiance:
        yMax = m_frame.activeConfigurationFamily() == "Morvel" ? 1.1 : 10.0;
        break;
    case Custom:
        yMax = m_customYMax;
        break;
    }
    if (m_verticalLogScale == 1)
        yMax = std::log10(yMax);
    XrtSetValues(m_chart, {{kXrtRepaint, 0},
                           {kXrtYMin, 0.0},
                           {kXrtXMin, m_displayStartNm},
                           {kXrtXMax, m_displayEndNm},
                           {kXrtYMax, yMax},
                           {kXrtRepaint, 1}});
}

void CHarluneSpectrumView::OnKeyDown(unsigned key, unsigned flags)
{
    if (m_destroyed != 0)
        return;
    if (m_closing == 0)
        fireKeystroke(key, flags);
    const double ySpan = chartValue(kXrtYMax) - chartValue(kXrtYMin);
    const double xSpan = chartValue(kXrtXMax) - chartValue(kXrtXMin);
    const auto shift = [this](int minId, int maxId, double minDelta, double maxDelta) {
        XrtSetValues(m_chart, {{kXrtRepaint, 0},
                               {minId, chartValue(minId) + minDelta},
                               {maxId, chartValue(maxId) + maxDelta},
                               {kXrtRepaint, 1}});
    };
    switch (key) {
    case kPageUp:
        OnCursorStep(static_cast<int>(CursorStep::BigRight));
        break;
    case kPageDown:
        OnCursorStep(static_cast<int>(CursorStep::BigLeft));
        break;
    case kLeft:
        OnCursorStep(static_cast<int>(CursorStep::Left));
        break;
    case kRight:
        OnCursorStep(static_cast<int>(CursorStep::Right));
        break;
    case kComma:
        OnCursorPeakLeft();
        break;
    case kPeriod:
        OnCursorPeakRight();
        break;
    case kEnd:
    case kUp:
        m_cursorPixel = static_cast<int>(m_configuration->GetPixelCount()) - 1;
        updateCursor();
        setChartRepaint(true);
        break;
    case kHome:
    case kDown:
        m_cursorPixel = 0;
        updateCursor();
        setChartRepaint(true);
        break;
    case 'I':
    case 0x69:
        shift(kXrtYMin, kXrtYMax, -ySpan * m_panStep, -ySpan * m_panStep);
        break;
    case 'M':
    case 0x6D:
        shift(kXrtYMin, kXrtYMax, ySpan * m_panStep, ySpan * m_panStep);
        break;
    case 'J':
    case 0x6A:
        shift(kXrtXMin, kXrtXMax, xSpan * m_panStep, xSpan * m_panStep);
        break;
    case 'K':
    case 0x6B:
        shift(kXrtXMin, kXrtXMax, -xSpan * m_panStep, -xSpan * m_panStep);
        break;
    case 'U':
    case 0x75:
        shift(kXrtYMin, kXrtYMax, ySpan * m_zoomStep, -ySpan * m_zoomStep);
        shift(kXrtXMin, kXrtXMax, xSpan * m_zoomStep, -xSpan * m_zoomStep);
        break;
    case 'O':
    case 0x6F:
        shift(kXrtYMin, kXrtYMax, -ySpan * m_zoomStep, ySpan * m_zoomStep);
        shift(kXrtXMin, kXrtXMax, -xSpan * m_zoomStep, xSpan * m_zoomStep);
        break;
    case 'R':
        OnUnscale();
        break;
    default:
        break;
    }
}

bool CHarluneSpectrumView::OnCommand(unsigned id)
{
    using namespace app::res;
    if (m_destroyed != 0 || !answersCommand(id))
        return false;
    switch (id) {
    case ID_MODE_SCOPE:
        OnScopeMode();
        return true;
    case ID_MODE_ABSORBANCE:
        OnAbsorbanceMode();
        return true;
    case ID_MODE_TRANSMISSION:
        OnTransmissionMode();
        return true;
    case ID_MODE_IRRADIANCE:
        OnRelativeIrradianceMode();
        return true;
    case ID_MODE_CUSTOM:
        OnCustomMode();
        return true;
    case ID_MODE_SPECULAR_REFLECTION:
        OnSpecularReflectionMode();
        return true;
    case ID_MODE_SCOPE_MINUS_DARK:
        OnScopeModeMinusDark();
        return true;
    case ID_STORE_DARK:
        OnStoreDark();
        return true;
    case ID_STORE_REFERENCE:
        OnStoreReference();
        return true;
    case ID_STORE_REFERENCE_DARK:
        OnStoreReferenceDark();
        return true;
    case ID_STORE_SAMPLE_DARK:
        OnStoreSampleDark();
        return true;
    case ID_TIME_NORMALIZED_ENABLE:
        OnTimeNormalization();
        return true;
    case ID_SNAPSHOT:
        OnSnapshot();
        return true;
    case ID_REFERENCE_COLOR_TEMPERATURE:
        OnReferenceColorTemperature();
        return true;
    case ID_CONFIGURE_DATA_ACQUISITION:
        OnConfigureDataAcquisition();
        return true;
    case ID_EDIT_SETTINGS:
        OnSettings();
        return true;
    case ID_SCALE_AUTOSCALE:
        OnAutoscale();
        return true;
    case ID_SCALE_SET_SCALE:
        OnSetScale();
        return true;
    case ID_SCALE_UNSCALE:
        OnUnscale();
        return true;
    case ID_OVERLAY_CLEAR_ALL:
        OnOverlayClearAll();
        return true;
    case ID_ANNOTATE_HERE:
        OnAnnotateHere();
        return true;
    case ID_ANNOTATION_EDIT:
        OnAnnotationEdit();
        return true;
    case ID_ANNOTATION_MOVE:
        OnAnnotationMove();
        return true;
    case ID_ANNOTATION_CLEAR:
        OnAnnotationClear();
        return true;
    case ID_ANNOTATION_CLEAR_ALL:
        OnAnnotationClearAll();
        return true;
    default:
        if (id >= ID_OVERLAY_FIRST && id <= ID_OVERLAY_LAST) {
            OnOverlay(static_cast<int>(id - ID_OVERLAY_FIRST));
            return true;
        }
        return cursorCommand(id) || fileCommand(id) || displayCommand(id) || accessoryCommand(id) ||
               timeCommand(id);
    }
}

CHarluneSpectrumView::CommandState CHarluneSpectrumView::commandState(unsigned id) const
{
    using namespace app::res;
    if (m_destroyed != 0 || !answersCommand(id))
        return {};
    const bool processed =
        processedModesAvailable(m_document.spectra(), enablesOf(m_record), m_timeNormalization);
    const auto mode = [this](ProcessingMode m) { return m_processingMode == m ? 1 : 0; };
    switch (id) {
    case ID_MODE_SCOPE:
        return {true, true, mode(Scope)};
    case ID_MODE_ABSORBANCE:
        return {true, processed, mode(Absorbance)};
    case ID_MODE_TRANSMISSION:
        return {true, processed, mode(Transmission)};
    case ID_MODE_IRRADIANCE:
        return {true, processed, mode(RelativeIrradiance)};
    case ID_MODE_SPECULAR_REFLECTION:
        return {true, processed, mode(SpecularReflection)};
    case ID_MODE_CUSTOM:
        return {true, m_customModeEnabled == 1, mode(Custom)};
    case ID_MODE_SCOPE_MINUS_DARK:
        if (m_processingMode == Scope && m_darkStored == 1)
            return {true, true, m_scopeMinusDark == 1 ? 1 : 0};
        return {true, false, -1};
    case ID_SNAPSHOT:
        return {true, true, m_snapshotState == 1 ? 1 : 0};
    case ID_TIME_NORMALIZED_ENABLE:
        return {true, true, m_timeNormalization == 1 ? 1 : 0};
    case ID_STORE_REFERENCE_DARK:
    case ID_STORE_SAMPLE_DARK:
    case ID_OPEN_SAMPLE_DARK:
        return {true, m_timeNormalization == 1, -1};
    case ID_OVERLAY_CLEAR_ALL: {
        const auto& loaded = m_document.overlays().loaded;
        return {true, std::any_of(loaded.begin(), loaded.end(), [](int8_t l) { return l != 0; }),
                -1};
    }
    default:
        if (id >= ID_OVERLAY_FIRST && id <= ID_OVERLAY_LAST)
            return {true, true, m_document.overlays().loaded[id - ID_OVERLAY_FIRST] != 0 ? 1 : 0};
        if (const CommandState cursor = cursorCommandState(id); cursor.handled)
            return cursor;
        if (const CommandState accessory = accessoryCommandState(id); accessory.handled)
            return accessory;
        if (const CommandState file = fileCommandState(id); file.handled)
            return file;
        if (const CommandState time = timeCommandState(id); time.handled)
            return time;
        // A command of the table without a state of its own is always enabled.
        CommandState display = displayCommandState(id);
        display.handled = true;
        return display;
    }
}
