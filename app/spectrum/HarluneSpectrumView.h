#pragma once

#include "app/spectrum/SpectrumDataFile.h"
#include "app/spectrum/SpectrumProcessing.h"
#include "app/spectrum/SpectrumViewHost.h"
#include "app/spectrum/TimeAcquisition.h"
#include "driver/include/vykdrv32.h"
#include "platform/chart/XrtTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CHarluneSpectrumDoc;
class CINIFileSupport;
class CSpectrometerConfiguration;
class SpectrometerConfigurationHost;

// A note's font in the 60-byte Windows LOGFONT layout that ".anno" files carry.
struct AnnotationLogFont
{
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};
static_assert(sizeof(AnnotationLogFont) == 60);

// The view of one spectrum window without its widget: it owns the window's spectrometer
// configuration and the registration record through which the driver fills the document's
// raw buffers, turns each channel-full message into processed spectra on the chart, and
// carries the processing, axis and keyboard commands. The widget forwards window events to
// it and implements SpectrumViewWindow. GUI thread only.
class CHarluneSpectrumView
{
public:
    using TimeChannelRecord = app::spectrum::TimeChannelRecord;
    using TimeComboRecord = app::spectrum::TimeComboRecord;
    using TimeAcquisitionParameters = app::spectrum::TimeAcquisitionParameters;
    using TimeAcquisitionRun = app::spectrum::TimeAcquisitionRun;
    static constexpr int kTimeChannels = app::spectrum::kTimeChannels;
    static constexpr int kTimeCombos = app::spectrum::kTimeCombos;

    // Message numbers the view handles or sends.
    static constexpr unsigned kScanReadyMessage = 0x465;
    static constexpr unsigned kDeviceCoefficientsMessage = 0x4C8;
    static constexpr unsigned kTemplateNotice = 0x5F5;
    static constexpr int kTemperatureTimerId = 999;
    static constexpr int kMaxTemplateViews = 50;

    // Reads the view's settings and, on the first run, asks for the default configuration;
    // then creates the configuration (owned by the view).
    CHarluneSpectrumView(SpectrumViewWindow& window, SpectrumViewFrame& frame,
                         SpectrumViewDriver& driver, CHarluneSpectrumDoc& document,
                         SpectrometerConfigurationHost& configurationHost);
    // Writes the remaining settings back; the configuration writes its file.
    ~CHarluneSpectrumView();
    CHarluneSpectrumView(const CHarluneSpectrumView&) = delete;
    CHarluneSpectrumView& operator=(const CHarluneSpectrumView&) = delete;

    // Window life. Create builds the chart and the initial mode and scale; false when the
    // window has no chart.
    bool Create();
    // Fills the registration record from the configuration and settings.
    void OnCreate();
    // Registers with the driver and sets the title.
    void OnShowWindow();
    void OnInitialUpdate();
    // WM_SIZE: the chart's area follows the window unless the chart places it itself.
    void OnSize(int cx, int cy);
    // The paint: the chart window paints itself; the title shows the next save name.
    void OnDraw() { updateNextNameTitle(); }

    // The window's name, as scripts see it in their events and choose windows by it: the
    // child frame's caption without its " | Next Save Filename: " part.
    std::string windowName();
    static std::string windowNameOf(const std::string& caption);
    // Saves the settings, releases the window's channels and lets the next window scan. Runs
    // once: from the document as it goes (it may go before the window), or from the window.
    // Afterwards the view handles no more driver messages or commands.
    void OnDestroy();

    // Driver messages.
    int OnScanReady(uint32_t channel);
    int OnLoadDeviceCoefficients(uint32_t dataInvalid);
    void OnTimer(int id);

    // Template windows that want the scan-ready notice. False when the list is full.
    bool AddTemplateView(uint32_t handle);
    int templateViewCount() const { return static_cast<int>(m_templateViews.size()); }

    // Processing (Scope ... Specular Reflection) and the plot.
    void ProcessSpectra();
    void PlotSpectra();

    // Commands by id (app/res/ResourceIds.h); false for an id the view does not handle.
    bool OnCommand(unsigned id);
    struct CommandState
    {
        bool handled = false;
        bool enabled = true;
        // -1 leaves the check mark as it is.
        int checked = -1;
    };
    CommandState commandState(unsigned id) const;
    // One row of the view's command table: an id, or the ids first to last.
    struct CommandRange
    {
        unsigned first;
        unsigned last = 0;
        bool contains(unsigned id) const { return id == first || (id > first && id <= last); }
    };
    // The commands the view answers (OnCommand runs them, commandState reports them as
    // handled). The window routes these ids and no others into the view.
    static std::span<const CommandRange> commandTable();
    static bool answersCommand(unsigned id);

    void OnScopeMode();
    void OnAbsorbanceMode();
    void OnTransmissionMode();
    void OnRelativeIrradianceMode();
    void OnCustomMode();
    void OnSpecularReflectionMode();
    void OnScopeModeMinusDark();
    void OnStoreDark();
    void OnStoreReference();
    void OnStoreReferenceDark();
    void OnStoreSampleDark();
    void OnTimeNormalization();
    void OnSnapshot();
    void OnReferenceColorTemperature();
    // "Configure Data Acquisition...": the sheet, when the script allows it.
    void OnConfigureDataAcquisition();
    // "Settings...": the properties sheet, when the script allows it; then, in transmission
    // mode, the Y title follows the transmission label and the log display.
    void OnSettings();
    void OnAutoscale();
    void OnSetScale();
    void OnUnscale();
    // WM_KEYDOWN with a virtual-key code and the message's flags (repeat and scan code).
    void OnKeyDown(unsigned key, unsigned flags = 0);

    // Chart display commands.
    void OnDisplayProperties();
    void OnSetGraphBackgroundColor();
    void OnSelectBitmap();
    void OnBackgroundVisible();
    void OnSetAxisTextProperties();
    void OnSetGraphTitle();
    void OnRenameSpectralWindow();
    void OnLegendEnabled();
    void OnLegendConfigure();
    void OnShowOverlayFilename();
    void OnTakeLog();
    void OnGridEnabled();
    void OnGridConfigure();
    void OnCopyGraphicalSpectra();
    void OnCopyAllSpectralData();
    void OnCopySelectedSpectralData();
    void OnCopySpectra();
    void OnConfigureSpectrometer();
    void OnSaveDisplaySettings();
    void OnRestoreDisplaySettings();
    // The script's approval of Print, Print Preview and Close, which the framework runs.
    bool verifyFrameworkCommand(unsigned id) const;

    // Rebuilds the sixteen legend labels and hands them to the chart.
    void UpdateLegendLabels();
    // Sets the chart's title (at most 254 bytes, cut at a character boundary); 1, or 0 after
    // a failure, which goes to the error log.
    int SetGraphTitle(const std::string& title);
    // The chart's title.
    std::string GetGraphTitle() const;
    // WM_SPECTRUM_COMMAND: 0 store dark, 1 store reference then snapshot state lParam,
    // 2 snapshot state lParam, 3 emergency reset. Always 1.
    int OnSpectrumCommand(uintptr_t wParam, intptr_t lParam);
    // The window's frame became (or stopped being) the active one.
    void OnActivateView(bool activate);
    // WM_CONTEXTMENU at a screen point; (-1, -1) comes from the keyboard.
    void OnContextMenu(int x, int y);
    // Mouse on the view, in view coordinates: a left press places the cursor (or ends a note's
    // move); a move drags the note being moved.
    void OnLButtonDown(int x, int y);
    void OnMouseMove(int x, int y);

    // Overlays. The slot command loads an empty slot or clears a loaded one.
    void OnOverlay(int slot);
    void OnOverlayClearAll();
    // 1 when a file was chosen and read into the slot, 0 on Cancel or a file the reader
    // refused (the slot is then left as it was).
    int LoadOverlay(int slot);
    // 1 when the slot was cleared, 0 when the user declined.
    int ClearOverlay(int slot);
    void UpdateOverlayMenu();

    // The cursor.
    void OnCursorEnabled();
    void OnCursorConfigure();
    void OnCursorStep(int step);
    void OnCursorPeakLeft();
    void OnCursorPeakRight();
    void UpdateCursor();
    const std::string& cursorBarText() const { return m_cursorBarText; }
    const std::string& cursorReadOut(int trace) const { return m_cursorReadOuts.at(trace); }

    // Annotations: 200 notes anchored in data coordinates.
    struct AnnotationRecord
    {
        int32_t inUse = 0;
        char text[100] = {};
        std::array<int32_t, 4> rect{};  // left, top, right, bottom
        std::array<int32_t, 2> pixel{}; // left, top
        double x = 0.0;
        double y = 0.0;
        platform::chart::XrtColor color = 0;
        AnnotationLogFont font{};
        int32_t overlaySlot = -1;
        platform::chart::XrtHandle textArea = 0;
    };
    static constexpr int kAnnotationRecords = 200;
    void OnAnnotateHere();
    void OnAnnotationEdit();
    void OnAnnotationMove();
    void OnAnnotationClear();
    void OnAnnotationClearAll();
    // Writes the notes in use to "<dataFile>.anno"; 1 written, 0 none or not writable.
    int WriteAnnotations(const std::string& dataFile);
    // Reads "<dataFile>.anno" into free records; 1 read, 0 missing or nothing readable.
    int ReadAnnotations(const std::string& dataFile, int clearFirst, int overlaySlot);
    const AnnotationRecord& annotation(int index) const { return m_annotations.at(index); }
    int selectedAnnotation() const { return m_selectedAnnotation; }
    int annotationMoving() const { return m_annotationMoving; }

    // Accessory commands. Emergency Reset puts the acquisition parameters back to safe values
    // (the microsecond settings excepted), selects Scope mode and starts the next scan.
    void OnEmergencyReset();
    // Acquisition values committed in the frame's bar: the main frame starts the next scan,
    // and a running scan of this window takes the new values at once.
    void StartNextScan();
    // One more scan, then frozen; under trigger mode 4 the main frame takes that scan at once.
    void OnSingleExposure();
    // The model features dialog (A/D types Trevan to Quarn).
    void OnFeaturesDialog();

    // The accessories' forwarders: each answers its driver export's result unchanged.
    int32_t CallPavikSetMavrinDA(int32_t value);
    int32_t CallBrontelUSBDACWriteValue(int32_t channel, int32_t value);
    int32_t CallPavikNorrelLampOn(int32_t on);
    int32_t CallPavikNorrelSetVisLampOn(int32_t on);
    int32_t CallPavikNorrelSetShutterOpened(int32_t open);
    int32_t CallPavikNorrelStoreCurrentPotValues();
    int32_t CallPavikNorrelSetVisLampIntensity(int32_t value);
    int32_t CallPavikNorrelGetVisLampIntensity();
    int32_t CallPavikNorrelSetUVLampIntensity(int32_t value);
    int32_t CallPavikNorrelGetUVLampIntensity();
    // The Xandel detector: the gain and the cooler with its fan (each stored first).
    int32_t SetXandelHighGain(int highGain);
    void SetXandelFanAndCooler(int on);
    int GetXandelFanAndCooler() const { return m_coolerOn; }
    float GetTecSetPoint() const { return m_coolerSetPoint; }
    int GetXandelHighGain() const { return m_highGainMode; }
    // 1 when every enabled channel has its dark and reference (and, with time normalisation,
    // its sample dark) stored; otherwise 0.
    int AreStoredSpectraComplete() const;

    // File commands: save and open the stored, sample and processed spectra and the
    // experiment; the autoincrementing file names.
    void OnSaveDark();
    void OnSaveSampleDark();
    void OnSaveReference();
    void OnSaveSample();
    void OnSaveProcessed();
    void OnSaveExperiment();
    void OnOpenDark();
    void OnOpenSampleDark();
    void OnOpenReference();
    void OnOpenSample();
    void OnOpenProcessed();
    void OnOpenExperiment();
    void OnAutoincrementEnabled();
    void OnAutoincrementShowName();
    void OnConfigureAutoincrement();
    // One row of the save and open families' tables.
    struct SaveMember;
    struct OpenMember;
    // The file-acquisition check of a file just read, for the header's channel: 0 to go on
    // opening, non-zero to skip the file. Yes in its question takes the file's parameters.
    int CheckFileAcquisitionParameters(const SpectrumFileHeader& header,
                                       std::span<const double> fileWavelengths,
                                       const std::string& path);
    // The experiment file and the data files beside it: 0 done, 1 the file could not be
    // written (nothing was) or opened (nothing changed). The document's WriteExperiment and
    // ReadExperiment come here. On a failed write, error (when given) receives the errno of
    // the step that failed (0 when it had none).
    int writeExperiment(const std::string& fileName, int* error = nullptr);
    int readExperiment(const std::string& fileName);
    // Spectrometer configuration: the Open and Save As commands and what they do.
    void OnOpenSpectrometerConfiguration();
    void OnSaveSpectrometerConfiguration();
    void OpenSpectrometerConfiguration(const std::string& path);
    bool SaveSpectrometerConfiguration(const std::string& path);
    int autoIncrementEnabled() const { return m_autoIncrementEnabled; }
    int showNextName() const { return m_showNextName; }
    const std::string& baseFileName() const { return m_baseFileName; }
    int autoIncrementIndex() const { return m_autoIncrementIndex; }
    const std::string& nextSaveFileName() const { return m_nextSaveFileName; }
    const std::string& experimentFile() const { return m_experimentFile; }
    const std::string& currentConfigurationFile() const { return m_currentConfigurationFile; }
    const std::string& customExtension() const { return m_customExtension; }
    void setCustomExtension(const std::string& extension) { m_customExtension = extension; }

    // Time acquisition: the commands, the run and its parameters file.
    // Reads a parameters file into the records (missing keys take the defaults); 1.
    int ReadTimeAcquisitionParameters(const std::string& path);
    // Writes the records; 0 for an empty path or a file that could not be written, else 1.
    int WriteTimeAcquisitionParameters(const std::string& path);
    // One sampling step; the scan-ready road calls it after processing while running.
    void TimeAcquisitionTick();
    void StartTimeAcquisition();
    void StopTimeAcquisition();
    void OnPauseTimeAcquisition();
    void OnActivateTimeAcquisition();
    void OnSaveTimeAcquisitionData();
    void OnSaveTimeParameters();
    void OnRestoreTimeParameters();
    void OnConfigureTimeAcquisition();
    void OnConfigureTimeChannels();
    // What the channel sheet's Apply and OK do: the records copied in, each Pixel of a
    // spectrometer channel derived from its wavelength again.
    void ApplyTimeChannels(const std::array<TimeChannelRecord, kTimeChannels>& channels,
                           const std::array<TimeComboRecord, kTimeCombos>& combos);
    TimeAcquisitionParameters& timeParameters() { return m_timeParameters; }
    // 0 stopped, 1 running, 2 paused.
    int timeRunState() const { return m_timeAcquisitionStarted; }
    int timeAcquisitionMode() const { return m_timeAcquisitionMode; }
    const TimeAcquisitionRun& timeRun() const { return *m_timeRun; }
    const std::string& timeParametersFile() const { return m_timeParametersFile; }
    // The last temperature read-out of the window's accessory (time channel 8 samples it).
    float lastTemperature() const { return m_lastTemperature; }
    void setLastTemperature(float value) { m_lastTemperature = value; }

    // Printing: the black-and-white swap and the removal of the background picture before the
    // chart is drawn on the page, and their undoing afterwards.
    struct PrintColours
    {
        bool swapped = false;
        std::array<platform::chart::XrtDataStyle, 16> traces{};
        platform::chart::XrtDataStyle marker{};
        platform::chart::XrtDataStyle horizontalGrid{};
        platform::chart::XrtDataStyle verticalGrid{};
        std::array<platform::chart::XrtColor, 4> colours{};
    };
    PrintColours beginPrint();
    void endPrint(const PrintColours& saved);

    // The display-settings file (a name) or the settings store (empty). A name becomes the
    // view's display-settings file. The writer is false when nothing could be stored.
    void ReadDisplaySettings(const std::string& fileName);
    bool WriteDisplaySettings(const std::string& fileName);
    const std::string& displaySettingsFile() const { return m_displaySettingsFile; }
    void setDisplaySettingsFile(const std::string& name) { m_displaySettingsFile = name; }
    // The default time-acquisition parameters file.
    const std::string& timeAcquisitionFile() const { return m_timeAcquisitionFile; }
    void setTimeAcquisitionFile(const std::string& name) { m_timeAcquisitionFile = name; }

    // Display state that the dialogs, cursor, overlays and annotations use.
    const std::array<std::string, 16>& legendLabels() const { return m_legendLabels; }
    platform::chart::XrtDataStyle& traceStyle(int trace) { return m_traceStyles.at(trace); }
    platform::chart::XrtDataStyle& cursorStyle() { return m_cursorStyle; }
    platform::chart::XrtDataStyle& gridStyle() { return m_gridStyle; }
    int gridEnabled() const { return m_gridEnabled; }
    int gridPattern() const { return m_gridPattern; }
    int backgroundBitmapVisible() const { return m_backgroundBitmapVisible; }
    const std::string& backgroundBitmapPath() const { return m_backgroundBitmapPath; }
    int showOverlayFileName() const { return m_showOverlayFileName; }
    ChartFontSetting& legendFont() { return m_legendFont; }
    ChartFontSetting& axisFont() { return m_axisFont; }
    ChartFontSetting& titleFont() { return m_titleFont; }
    ChartFontSetting& annotationFont() { return m_annotationFont; }
    platform::chart::XrtColor annotationColor() const { return m_annotationColor; }
    void setAnnotationColor(platform::chart::XrtColor color) { m_annotationColor = color; }
    int legendFloating() const { return m_legendFloating; }
    // Cursor read-outs of the legend: 0 to 7 the channels, 8 to 15 the overlay slots.
    void setCursorReadOut(int trace, const std::string& text) { m_cursorReadOuts.at(trace) = text; }
    int cursorShown() const { return m_cursorShown; }
    void setCursorShown(int value) { m_cursorShown = value; }
    void setCursorPixel(int pixel) { m_cursorPixel = pixel; }
    int cursorChannel() const { return m_cursorChannel; }
    int cursorLimitToDisplay() const { return m_cursorLimitToDisplay; }
    int cursorPrecision() const { return m_cursorPrecision; }
    int cursorValuesInLegend() const { return m_cursorValuesInLegend; }
    void setCursorValuesInLegend(int value) { m_cursorValuesInLegend = value; }
    const std::array<int, 16>& copySelection() const { return m_copySelection; }
    int largeClipboard() const { return m_largeClipboard; }
    void setHoldEvents(int value) { m_holdEvents = value; }
    int usbScanState() const { return m_usbScanState; }
    // Where the last context menu was asked for, in view coordinates: the anchor of a new
    // annotation.
    std::array<int, 2> annotationAnchor() const { return m_annotationAnchor; }

    // What the scan start compares with the driver's configuration, copied from the
    // configuration when the record is filled.
    struct HardwareCopy
    {
        uint32_t baseAddress = 0;
        uint16_t irq = 0;
        uint16_t spectrometerType = 0;
        uint16_t adcType = 0;
        uint16_t serialPort = 0;
        uint16_t pciCardId = 0;
        std::string usbSerialNumber;
        uint16_t serialPortResolution = 0;
        uint16_t channelRotation = 0;
    };
    HardwareCopy& hardware() { return m_hardware; }
    int mavrinModulation() const { return m_mavrinModulation; }
    int strobeEnable() const { return m_strobeEnable; }
    // Set when the program closes: no more script events from this view.
    void setClosing() { m_closing = 1; }

    // State other parts of the window read and set.
    CSpectrometerConfiguration& configuration() { return *m_configuration; }
    RegistrationRecord& record() { return m_record; }
    CHarluneSpectrumDoc& document() { return m_document; }
    platform::chart::XrtHandle chart() const { return m_chart; }
    platform::chart::XrtHandle chartData() const { return m_chartData; }
    ProcessingMode processingMode() const { return m_processingMode; }
    int snapshotState() const { return m_snapshotState; }
    void setSnapshotState(int state) { m_snapshotState = state; }
    int timeNormalization() const { return m_timeNormalization; }
    int verticalLogScale() const { return m_verticalLogScale; }
    void setVerticalLogScale(int value) { m_verticalLogScale = value; }
    int darkStored() const { return m_darkStored; }
    int plotSuspended() const { return m_plotSuspended; }
    void setPlotSuspended(int value) { m_plotSuspended = value; }
    int cursorPixel() const { return m_cursorPixel; }
    bool coefficientsLoaded() const { return m_coefficientsLoaded != 0; }
    // Cleared, the next device-coefficients message loads the device's coefficients again.
    void setCoefficientsLoaded(bool loaded) { m_coefficientsLoaded = loaded ? 1 : 0; }
    // What the first scan's accessory probes answered: the Pavik plug-in probe (1 when the
    // Mavrin output is there) and the BrontelUSB D/A initialisation (1 when it succeeded).
    int pavikPluginState() const { return m_pluginState; }
    int brontelDacState() const { return m_dacState; }
    const std::string& configurationFile() const { return m_configurationFile; }
    void setConfigurationFile(const std::string& name) { m_configurationFile = name; }
    double displayStartNm() const { return m_displayStartNm; }
    double displayEndNm() const { return m_displayEndNm; }
    void setCustomModeEnabled(int value) { m_customModeEnabled = value; }
    void setCustomRange(double yMin, double yMax) { m_customYMin = yMin, m_customYMax = yMax; }
    void setPanZoomSteps(double panStep, double zoomStep)
    {
        m_panStep = panStep, m_zoomStep = zoomStep;
    }
    void setCoolerOn(int value) { m_coolerOn = value; }

    // What the frame's bar handlers write, and the view operations they call.
    void setStrobeEnable(int value) { m_strobeEnable = value; }
    int autosaveOnExternalTrigger() const { return m_autosaveOnExternalTrigger; }
    void setAutosaveOnExternalTrigger(int value) { m_autosaveOnExternalTrigger = value; }
    void setMavrinLampOn(int value) { m_mavrinLampOn = value; }
    void setMavrinModulation(int value) { m_mavrinModulation = value; }
    void setMavrinTemperatureReadOut(int value) { m_mavrinTemperatureReadOut = value; }
    void setTemperatureInCelsius(int value) { m_temperatureInCelsius = value; }
    void setCoolerStateSent(int value) { m_coolerStateSent = value; }
    void setTecSetPoint(double degreesC) { m_coolerSetPoint = static_cast<float>(degreesC); }
    void setSetPointPending(int value) { m_setPointPending = value; }
    void setHighGainMode(int value) { m_highGainMode = value; }
    uint32_t integrationMinimum() const { return m_integrationMinimum; }
    uint32_t integrationMaximum() const { return m_integrationMaximum; }
    void setIntegrationLimits(uint32_t minimum, uint32_t maximum)
    {
        m_integrationMinimum = minimum, m_integrationMaximum = maximum;
    }
    // Refills the frame's acquisition and accessory bars: the integration limits of the
    // window's hardware, the integration time clamped into them, the texts and check states.
    // The first call after construction only arms the next; none runs after OnDestroy.
    void UpdateAcquisitionBar();

    // Fields the automation objects read and store; the window uses them the next time it
    // draws, processes, plots or applies its settings.
    SpectrumViewWindow& window() { return m_window; }
    void setCursorChannel(int channel) { m_cursorChannel = channel; }
    void setCursorPrecision(int precision) { m_cursorPrecision = precision; }
    void setCursorLimitToDisplay(int value) { m_cursorLimitToDisplay = value; }
    void setTimeNormalization(int value) { m_timeNormalization = value; }
    double panStep() const { return m_panStep; }
    double zoomStep() const { return m_zoomStep; }
    void setBackgroundBitmapPath(const std::string& path) { m_backgroundBitmapPath = path; }
    void setBackgroundBitmapVisible(int value) { m_backgroundBitmapVisible = value; }
    void setGridEnabled(int value) { m_gridEnabled = value; }
    void setGridPattern(int pattern) { m_gridPattern = pattern; }
    void setLegendFloating(int value) { m_legendFloating = value; }
    void setShowOverlayFileName(int value) { m_showOverlayFileName = value; }
    void setLegendLabel(int trace, const std::string& text) { m_legendLabels.at(trace) = text; }
    AnnotationRecord& annotationRecord(int index) { return m_annotations.at(index); }
    // A time acquisition is running, and whether it shows its values in the cursor read-out
    // bar.
    bool timeAcquisitionActive() const
    {
        return m_timeAcquisitionMode == 1 && m_timeAcquisitionStarted == 1;
    }
    int timeAcquisitionValuesInStatusBar() const { return m_timeAcquisitionValuesInStatusBar; }
    void setTimeAcquisitionState(int mode, int started, int valuesInStatusBar)
    {
        m_timeAcquisitionMode = mode, m_timeAcquisitionStarted = started;
        m_timeAcquisitionValuesInStatusBar = valuesInStatusBar;
    }
    // What the spectrometer sheet writes: the displayed X range, and three flags that nothing
    // reads yet (an apply in progress, the device changed, the device still to be probed).
    void setDisplayedRange(double startNm, double endNm)
    {
        m_displayStartNm = startNm, m_displayEndNm = endNm;
    }
    int configurationApplying() const { return m_configurationApplying; }
    void setConfigurationApplying(int value) { m_configurationApplying = value; }
    int deviceChanged() const { return m_deviceChanged; }
    void setDeviceChanged(int value) { m_deviceChanged = value; }
    int deviceProbe() const { return m_deviceProbe; }
    void setDeviceProbe(int value) { m_deviceProbe = value; }
    // The model features dialog's refresh interval, handed to each new dialog and written
    // back by it ("TrevanDialogTimerInterval").
    int trevanDialogTimerInterval() const { return m_trevanDialogTimerInterval; }
    void setTrevanDialogTimerInterval(int intervalMs) { m_trevanDialogTimerInterval = intervalMs; }
    // The Mavrin lamp's settings and attached flag, its last temperature read, the custom view
    // mode, the autoincrement settings and the default settings files, as the automation
    // objects read and store them; the window uses them at its next refresh, save or load.
    int mavrinLampOn() const { return m_mavrinLampOn; }
    int mavrinTemperatureReadOut() const { return m_mavrinTemperatureReadOut; }
    int temperatureInCelsius() const { return m_temperatureInCelsius; }
    int mavrinAttached() const { return m_mavrinAttached; }
    void setMavrinAttached(int value) { m_mavrinAttached = value; }
    int customModeEnabled() const { return m_customModeEnabled; }
    double customYMax() const { return m_customYMax; }
    double customYMin() const { return m_customYMin; }
    const std::string& customTitle() const { return m_customTitle; }
    void setCustomTitle(const std::string& title) { m_customTitle = title; }
    // As the two menu toggles: the title shows the next save name while both are 1 and loses
    // it when either is turned off.
    void setAutoIncrementEnabled(int value);
    void setShowNextName(int value);
    void setAutoIncrementIndex(int index) { m_autoIncrementIndex = index; }
    void setBaseFileName(const std::string& base) { m_baseFileName = base; }
    // What the spectral-data, spectrum-files, acquisition and store objects read and set: the
    // scope-minus-dark switch and the mode as stored (the mode commands set, reprocess and
    // replot), the all-darks-stored flag, the store commands' channel selection and the
    // default time-parameters file.
    int scopeMinusDark() const { return m_scopeMinusDark; }
    void setScopeMinusDark(int value) { m_scopeMinusDark = value; }
    void setProcessingMode(ProcessingMode mode) { m_processingMode = mode; }
    void setDarkStored(int value) { m_darkStored = value; }
    int selectedChannel(int channel) const { return m_selectedChannels.at(channel); }
    void setSelectedChannel(int channel, int value) { m_selectedChannels.at(channel) = value; }
    void setTimeParametersFile(const std::string& name) { m_timeParametersFile = name; }
    // The header the save commands write for one channel, stamped now.
    SpectrumFileHeader dataFileHeader(int channel);
    // The names the save commands give a channel's file under a base: "<base>.Master.Dark",
    // "<base>.Slave3.Sample" (word: Dark, SampleDark, Reference, Sample), and the processed
    // spectrum's by the current mode ("<base>.Master.Absorbance").
    static std::string channelFileName(const std::string& base, int channel,
                                       const std::string& word);
    std::string processedChannelFileName(const std::string& base, int channel) const;

private:
    void readSettings();
    void chooseFirstConfiguration();
    void setAxis(double yMin, double yMax, const std::string& title);
    void setMode(ProcessingMode mode);
    bool verify(int menuVerify) const;
    int lastChannel() const;
    int highestEnabledChannel() const;
    void firstScanSteps();
    void accessoryReadOuts();
    void showSaturationWarning();
    void updateNextNameTitle();
    double chartValue(int id) const;
    void setChartValue(int id, double value);
    void setChartRepaint(bool on);
    void setDataSetsLastPoint();
    void setWavelengthXData(int channel);
    void setCoolerSetPoint(float degreesC);
    double coolerTemperature();
    double scopeFullScale() const;
    void storeInto(ChannelArrays& target, ChannelFlags& stored, bool withDialog);
    bool displayCommand(unsigned id);
    CommandState displayCommandState(unsigned id) const;
    void copySpectralData(const std::array<int, 16>& columns);
    void applyGridStyle();
    void layoutChartArea(int cx, int cy);
    void applyFont(int property, const ChartFontSetting& font);
    void setBackgroundBitmapProperty();
    void readDisplaySettingsFrom(CINIFileSupport& store, const std::string& namingFile);
    bool writeDisplaySettingsTo(CINIFileSupport& store);
    void askDefaultDisplaySettings(const std::string& name, const std::string& previous);
    bool cursorCommand(unsigned id);
    CommandState cursorCommandState(unsigned id) const;
    std::array<int, 2> cursorRange() const;
    void cursorMoved();
    void peakSearch(bool left);
    std::string peakWidthText(int channel);
    int clearOverlay(int slot, bool ask);
    void freeAnnotation(int index);
    void resetAnnotations();
    void applyAnnotation(int index);
    void readBackAnnotation(int index);
    void readBackAnnotations();
    void destroyAnnotationAreas();
    void recolourAnnotations(bool black);
    bool accessoryCommand(unsigned id);
    CommandState accessoryCommandState(unsigned id) const;
    void fireKeystroke(unsigned key, unsigned flags);
    bool fileCommand(unsigned id);
    CommandState fileCommandState(unsigned id) const;
    void saveSpectra(const SaveMember& member);
    void openSpectra(const OpenMember& member);
    void openProcessedFile(const std::string& path);
    std::optional<std::string> saveBaseName(const SpectrumFileDialogRequest& dialog,
                                            bool morvelDefault, int& format);
    std::optional<std::vector<int>> channelsToSave(const std::array<int, 8>& condition,
                                                   bool requireConfigured);
    SpectrumFileHeader fileHeader(const char* dateFormat);
    void setHeaderChannel(SpectrumFileHeader& header, int channel);
    void advanceAutoIncrement();
    void stripNextNameTitle();
    void applyFileAcquisitionParameters(const SpectrumFileHeader& header);
    bool timeCommand(unsigned id);
    CommandState timeCommandState(unsigned id) const;
    // The per-sample spectrum files of a time acquisition under base.
    void saveFullSpectra(const std::string& base);
    // Save Processed's files of one channel under base: the processed spectrum with its
    // notes and the companions the preferences ask for.
    void saveProcessedChannel(const std::string& base, int channel, SpectrumFileHeader& header,
                              int format);
    void releaseTimeSlots();

    // Hooks of the window's later parts; they do nothing yet.
    void updateCursor() { UpdateCursor(); }
    void autosaveProcessedSpectra();
    void timeAcquisitionTick() { TimeAcquisitionTick(); }
    void refreshAcquisitionBar() { UpdateAcquisitionBar(); }
    void openAutoRunScript() { m_frame.openAutoRunScript(); }
    void saveDefaultSpectrum(bool reference);
    // The Morvel family's default reference and dark, read when the window is made.
    void openDefaultSpectra();

    SpectrumViewWindow& m_window;
    SpectrumViewFrame& m_frame;
    SpectrumViewDriver& m_driver;
    CHarluneSpectrumDoc& m_document;
    SpectrometerConfigurationHost& m_configurationHost;
    std::unique_ptr<CSpectrometerConfiguration> m_configuration;
    ProcessingSetup m_processingSetup;
    RegistrationRecord m_record{};
    HardwareCopy m_hardware;

    platform::chart::XrtHandle m_chart = 0;
    platform::chart::XrtHandle m_chartData = 0;

    int m_closing = 0;
    // The first acquisition-bar refresh after construction only sets this.
    int m_acquisitionBarArmed = 0;
    // OnDestroy has run: the document may be gone.
    int m_destroyed = 0;
    // The document calls OnDestroy before it goes.
    int m_documentHook = 0;
    int m_firstScanPending = 1;
    int m_mavrinLampOn = 0;
    int m_mavrinModulation = 0;
    int m_mavrinTemperatureReadOut = 0;
    int m_temperatureInCelsius = 0;
    int m_pluginState = -10;
    float m_lastTemperature = -99999.0f;
    int m_modulationSent = 4;
    int m_dacState = 0;
    int m_coolerOn = 1;
    float m_coolerSetPoint = 0.0f;
    int m_highGainMode = 0;
    int m_setPointPending = 1;
    int m_integrationTimeScalar = 0;
    int m_temperatureTimer = 0;
    int m_temperatureRefreshS = 2;
    int m_customModeEnabled = 0;
    double m_customYMax = 10000.0;
    double m_customYMin = 0.0;
    std::string m_customTitle = "Custom View Mode";
    int m_strobeEnable = 0;
    // Integration-time limits of the acquisition bar (microseconds or milliseconds).
    uint32_t m_integrationMinimum = 1;
    uint32_t m_integrationMaximum = 65500;
    std::string m_configurationFile;
    std::string m_currentConfigurationFile;
    int m_autosaveOnExternalTrigger = 0;
    int m_timeNormalization = 0;
    int m_verticalLogScale = 0;
    ProcessingMode m_processingMode = Scope;
    int m_plotSuspended = 0;
    int m_snapshotState = 0;
    int m_darkStored = 0;
    int m_scopeMinusDark = 0;
    // Time acquisition is the window's mode; the run state (0 stopped, 1 running, 2 paused).
    int m_timeAcquisitionMode = 0;
    int m_timeAcquisitionStarted = 0;
    TimeAcquisitionParameters m_timeParameters;
    std::unique_ptr<TimeAcquisitionRun> m_timeRun = std::make_unique<TimeAcquisitionRun>();
    std::string m_timeParametersFile = "default.time";
    int m_timeAcquisitionEventPending = 0;
    double m_eventTimeStamp = 0.0;
    int m_autoIncrementIndex = 0;
    std::string m_baseFileName = "HarluneDataFile";
    std::string m_nextSaveFileName;
    int m_autoIncrementEnabled = 0;
    int m_showNextName = 0;
    // Set only while a store command saves the Morvel default dark or reference.
    int m_savingDefault = 0;
    std::string m_experimentFile;
    std::string m_customExtension = "Custom";
    double m_displayStartNm = 0.0;
    double m_displayEndNm = 0.0;
    double m_zoomStep = 0.1;
    double m_panStep = 0.1;
    int m_saturated = 0;
    int m_coefficientsLoaded = 0;
    std::array<int, 8> m_selectedChannels{};
    std::vector<uint32_t> m_templateViews;
    int m_coolerStateSent = 654;
    int m_temperatureDue = 0;
    std::array<double, 4> m_storedGraphScale{}; // x min, x max, y min, y max
    int m_trevanDialogTimerInterval = 0;
    int m_cursorPixel = 0;
    int m_cursorShown = 0;

    // Chart display state: trace, marker and grid styles (pattern, fill, line colour, width,
    // point style, point colour, point size), the background picture, the legend and fonts.
    std::array<platform::chart::XrtDataStyle, 16> m_traceStyles{};
    platform::chart::XrtDataStyle m_cursorStyle{};
    platform::chart::XrtDataStyle m_gridStyle{};
    int m_gridEnabled = 0;
    // The grid's line pattern, kept while the grid is hidden (its style then says 1, none).
    int m_gridPattern = 4;
    int m_backgroundBitmapVisible = 0;
    std::string m_backgroundBitmapPath;
    std::array<std::string, 16> m_legendLabels;
    int m_showOverlayFileName = 1;
    ChartFontSetting m_legendFont{"Arial", 16};
    ChartFontSetting m_axisFont{"Arial", 18};
    ChartFontSetting m_titleFont{"Arial", 18};
    int m_legendFloating = 1;
    std::array<std::string, 16> m_cursorReadOuts;
    int m_cursorValuesInLegend = 0;
    int m_cursorChannel = 0;
    int m_cursorLimitToDisplay = 0;
    int m_cursorPrecision = 3;
    int m_displayLimitedRange = 0;
    ChartFontSetting m_annotationFont{"Arial", 16};
    platform::chart::XrtColor m_annotationColor = 0x00FFFF;
    // The last choice of the Selected copy: channels 0 to 7, overlay slots 1 to 8.
    std::array<int, 16> m_copySelection{};
    // Spectral data went to the clipboard: the close asks whether to leave it there.
    int m_largeClipboard = 0;
    std::string m_displaySettingsFile = "default.display";
    std::string m_timeAcquisitionFile;
    // Script events are held (not fired) while set.
    int m_holdEvents = 0;
    // USB scan state: 1 when a BrontelUSB configuration stayed BrontelUSB.
    int m_usbScanState = 0;
    std::array<int, 2> m_annotationAnchor{};
    // 1 "Show Values in Status Bar", 0 a separate window.
    int m_cursorDisplayOption = 1;
    std::array<int, 8> m_cursorChannelPixels{};
    std::array<double, 8> m_cursorChannelValues{};
    std::array<int, 8> m_cursorSlotIndices{};
    std::array<double, 8> m_cursorSlotValues{};
    std::string m_cursorBarText;
    std::array<AnnotationRecord, kAnnotationRecords> m_annotations{};
    int m_selectedAnnotation = -1;
    int m_annotationMoving = 0;
    // The time acquisition's "ShowValuesInStatusBar" setting.
    int m_timeAcquisitionValuesInStatusBar = 0;
    int m_configurationApplying = 0;
    int m_deviceChanged = 0;
    int m_deviceProbe = 0;
    int m_mavrinAttached = 0;
};
