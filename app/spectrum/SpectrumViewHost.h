#pragma once

#include "app/spectrum/SpectrumDocWindow.h"
#include "app/spectrum/TimeAcquisition.h"
#include "driver/include/vykdrv32.h"
#include "platform/chart/XrtTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a spectrum view needs of the program around it: its window, the main frame and the
// driver library. The Qt widget, the main frame and the driver binder implement these; tests
// answer from tables. GUI thread.

// The main frame's preferences that the spectrum view reads and updates.
struct SpectrumViewPreferences
{
    // 0 nothing, 1 a warning dialog, 2 flash the window.
    int ScopeModeSaturatedWarning = 1;
    int RememberGraphScale = 0;
    int StoreDarkReference = 0;
    int TransmissionModeLabel = 0;
    int TurnOffLightWhenClosingWindow = 0;
    // Sound files of "Preferences\\Sound".
    std::string ScopeModeSaturatedSound;
    std::string StoreDarkSound;
    std::string StoreReferenceSound;
    // Printing and copying.
    int PrintBWOnly = 1;
    int CopyIncludeHeader = 1;
    // The Copy Spectra button: 0 graphical, 1 all channels as text, 2 selected channels.
    int CopyToolbarButtonFunction = 0;
    // The window's close writes its display settings back to their file.
    int AlwaysSaveDisplaySettings = 1;
    // Overlays: the question before a slot is cleared, and whether a loaded file brings its
    // annotations.
    int OverlayClearWarning = 1;
    int OpenOverlayAnnotation = 1;
    // The cursor read-out adds the peak and its width; 2 also skips the question after
    // Open Configuration.
    int ManufacturingExtensionsEnabled = 0;
    // The file commands: 2 makes SPC the default format (else text with header, 1); the
    // channel dialog before each save; the companions of Save Processed.
    int DefaultFileFormat = 1;
    int SaveFilesForSelected = 0;
    int AlwaysSaveDark = 0;
    int AlwaysSaveReference = 0;
    int AlwaysSaveSample = 0;
    // Also written when the window closes, to the experiment file last saved or opened.
    int AlwaysSaveExperiment = 0;
    std::string SaveDarkSound;
    std::string SaveReferenceSound;
    std::string SaveDataSound;
    std::string SaveExperimentSound;
    // The window's close writes its time-acquisition parameters back to their file.
    int AlwaysSaveTimeParameters = 0;
};

// A file dialog of the file commands. Filters are "description|pattern|...||" pairs.
struct SpectrumFileDialogRequest
{
    bool open = true;
    // Open dialogs only: several files may be chosen.
    bool multiSelect = false;
    std::string title;
    std::string filters;
    // 1-based filter preselected.
    int filterIndex = 1;
    // Without the dot; the dialog completes a typed name without extension with it.
    std::string defaultExtension;
    // The name shown in the name field.
    std::string initialName;
};

struct SpectrumFileDialogResult
{
    // At least one path, in the order chosen.
    std::vector<std::string> paths;
    // 1-based filter the user ended with.
    int filterIndex = 1;
};

// The autoincrement dialog's fields: the base file name with its path, and the starting index
// as typed.
struct AutoincrementDialogValues
{
    std::string baseFileName;
    std::string startingIndex;
};

// A font of the chart as the display settings keep it: face and LOGFONT height.
struct ChartFontSetting
{
    std::string face = "Arial";
    int height = 16;
};

// The grid dialog's fields.
struct GridDialogValues
{
    platform::chart::XrtColor color = 0;
    int pattern = 0;
    int width = 1;
};

// The annotation dialog's fields: text, colour (COLORREF), font height and face.
struct AnnotationDialogValues
{
    std::string text;
    platform::chart::XrtColor color = 0;
    int height = 16;
    std::string face = "Arial";
};

// The cursor dialog's fields.
struct CursorDialogValues
{
    int linePattern = 1;
    int lineWidth = 1;
    platform::chart::XrtColor color = 0;
    // Controlling channel: 0 Master, 1 to 7 Slave 1 to 7.
    int channel = 0;
    // 1 "Show Values in Status Bar", 0 "Show Values in Separate Window".
    int statusBar = 1;
    int limitToDisplay = 0;
    int precision = 3;
    int valuesInLegend = 0;
};

// How the spectrometer property sheet ended.
struct SpectrometerSheetResult
{
    bool ok = false;
    // The sheet asks for the strobe to be switched off.
    int strobeOff = 0;
};

// The child frame's placement as "WindowPlacement" keeps it: flags, show command, minimised
// x y, maximised x y, normal rectangle left top right bottom.
using FramePlacement = std::array<int32_t, 10>;

// The bars of a spectrum child frame that the view shows, hides and writes into.
enum class SpectrumBar
{
    Acquisition, // "Acquisition Parameters"
    Cooler,      // "Wessor/Ulmar Controls"
    Mavrin,      // the Mavrin lamp bar
    Norrel,      // "USB-Norrel Controls"
};

// The spectrum window as the view core sees it.
class SpectrumViewWindow : public SpectrumDocWindow
{
public:
    // The view's window handle, lent to the driver for its messages.
    virtual uint32_t windowHandle() = 0;
    // The chart the window shows (made on first call); 0 when it could not be made.
    virtual platform::chart::XrtHandle chartHandle() = 0;
    // True when the parent frame is a spectrum child frame.
    virtual bool inSpectrumFrame() = 0;
    virtual std::string frameTitle() = 0;
    virtual void setFrameTitle(const std::string& title) = 0;
    virtual void showBar(SpectrumBar bar, bool show) = 0;
    // The frame's acquisition bar goes back to its millisecond range; its microsecond choice
    // is offered or not.
    virtual void resetIntegrationTimeRange(bool microsecondsEnabled) { (void)microsecondsEnabled; }
    // Texts of a bar's edits, labels and buttons by control id.
    virtual void setBarText(SpectrumBar bar, int control, const std::string& text) = 0;
    // A bar's check boxes and radio buttons, and its spins' ranges, by control id.
    virtual void setBarCheck(SpectrumBar bar, int control, bool checked)
    {
        (void)bar, (void)control, (void)checked;
    }
    virtual void setBarSpinRange(SpectrumBar bar, int spin, int32_t lower, int32_t upper)
    {
        (void)bar, (void)spin, (void)lower, (void)upper;
    }
    // Flashes the child frame once and makes it the active window.
    virtual void flashAndActivate() = 0;
    // A repeating timer with this id on the view; calls come back as onTimer(id).
    virtual void startTimer(int id, int periodMs) = 0;
    virtual void killTimer(int id) = 0;
    // True while the window with this handle exists.
    virtual bool isWindow(uint32_t handle) = 0;
    // Sends the scan-ready notice 0x5F5 to a template window and waits until it is handled.
    virtual void sendScanNotice(uint32_t handle, uint32_t tickMs) = 0;
    // An open-file dialog; the chosen path, or nothing on Cancel.
    virtual std::optional<std::string> chooseExistingFile(const std::string& title,
                                                          const std::string& filters) = 0;
    // The Set Scale dialog with its four texts (X min, X max, Y min, Y max); nothing on Cancel.
    virtual std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>& texts) = 0;
    // The colour-temperature dialog; the check box is stored back on OK. Nothing on Cancel.
    virtual std::optional<std::string> showColorTemperatureDialog(const std::string& text,
                                                                  bool& assumeSecondOrder) = 0;
    // The channel-selection dialog of the store commands; nothing on Cancel.
    virtual std::optional<std::array<int, 8>>
    selectChannels(const std::array<int16_t, 8>& enables, const std::array<int, 8>& selected) = 0;

    // Display dialogs. The live-preview ones (legend, axis text, graph title) change the chart
    // and the font fields while they are open; they return true on OK, false on Cancel.
    virtual bool runLegendDialog(platform::chart::XrtHandle chart, ChartFontSetting& font,
                                 int& floating) = 0;
    virtual bool runAxisTextDialog(platform::chart::XrtHandle chart, ChartFontSetting& font) = 0;
    virtual bool runGraphTitleDialog(platform::chart::XrtHandle chart, ChartFontSetting& font,
                                     const std::string& title) = 0;
    // The display property sheet on this view; it applies its own changes.
    virtual void runDisplayPropertySheet() = 0;
    // The spectrometer property sheet on the window's configuration.
    virtual SpectrometerSheetResult runSpectrometerSheet() = 0;
    // The grid dialog; nothing on Cancel.
    virtual std::optional<GridDialogValues> showGridDialog(const GridDialogValues& values) = 0;
    // The colour dialog (any colour) opened on a COLORREF; nothing on Cancel.
    virtual std::optional<platform::chart::XrtColor> chooseColor(platform::chart::XrtColor c) = 0;
    // The rename dialog with the current name; the typed name, nothing on Cancel.
    virtual std::optional<std::string> showRenameDialog(const std::string& name) = 0;
    // The channels-to-copy dialog: 16 entries (channels 0 to 7, overlay slots 1 to 8), offered
    // where offered is 1, ticked where selected is 1. Nothing on Cancel.
    virtual std::optional<std::array<int, 16>>
    selectChannelsToCopy(const std::array<int, 16>& offered,
                         const std::array<int, 16>& selected) = 0;
    // A save-file dialog that prompts before overwriting; the chosen path, nothing on Cancel.
    virtual std::optional<std::string> chooseSaveFile(const std::string& title,
                                                      const std::string& filters,
                                                      const std::string& defaultExtension) = 0;

    // The clipboard: the chart as a picture, text (CF_TEXT), or nothing.
    virtual void copyChartToClipboard(platform::chart::XrtHandle chart) = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    virtual void emptyClipboard() = 0;

    // The context menu: the view's top-left corner in screen coordinates, a screen point in
    // view coordinates, and popup n of menu resource 141 tracked at a screen point.
    virtual std::array<int, 2> viewScreenOrigin() = 0;
    virtual std::array<int, 2> screenToView(int x, int y) = 0;
    virtual void trackContextMenu(int popup, int x, int y) = 0;

    // Nested wait cursor.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // The cursor read-out bar (the child frame's status bar): shown or hidden when it exists.
    virtual void showCursorReadOutBar(bool show) = 0;
    // The child frame's placement; nothing when it cannot be read.
    virtual std::optional<FramePlacement> framePlacement() = 0;
    virtual void setFramePlacement(const FramePlacement& placement) = 0;
    // The child frame's microsecond-integration flag.
    virtual void setMicrosecondIntegration(bool enabled) { (void)enabled; }
    // The chart window's client size in pixels.
    virtual std::array<int, 2> chartClientSize() = 0;
    // Runs the data-acquisition sheet on this view; it writes what OK and Apply take.
    virtual void runDataAcquisitionSheet() {}
    // Runs the properties sheet on this view; it writes what OK and Apply take.
    virtual void runPropertiesSheet() {}

    // The cursor read-out line for the cursor read-out bar.
    virtual void setCursorReadOut(const std::string& text) { (void)text; }
    // The annotation dialog for record index (-1 for a new note); nothing on Cancel.
    virtual std::optional<AnnotationDialogValues>
    runAnnotationDialog(int record, const AnnotationDialogValues& values)
    {
        (void)record, (void)values;
        return std::nullopt;
    }
    // The cursor configuration dialog; nothing on Cancel.
    virtual std::optional<CursorDialogValues> runCursorDialog(const CursorDialogValues& values)
    {
        (void)values;
        return std::nullopt;
    }
    // Mouse capture while a note is moved.
    virtual void captureMouse(bool capture) { (void)capture; }
    // The main frame's menu (a handle of platform/framework/Menu.h), 0 when it has none.
    virtual uint32_t mainMenu() { return 0; }
    // Opens a new modeless model features dialog on this view, starting its refresh with
    // the interval given (0: no refresh); it writes a new interval back into the view.
    virtual void showFeaturesDialog(int timerIntervalMs) { (void)timerIntervalMs; }
    // A file dialog of the file commands; nothing on Cancel.
    virtual std::optional<SpectrumFileDialogResult>
    runFileDialog(const SpectrumFileDialogRequest& request)
    {
        (void)request;
        return std::nullopt;
    }
    // The time-acquisition channel sheet on this view (its Apply and OK call
    // ApplyTimeChannels), and the configuration dialog over the settings: true on OK, which
    // has stored the values into settings.
    virtual void runTimeChannelSheet() {}
    virtual bool runTimeConfigurationDialog(app::spectrum::TimeAcquisitionSettings& settings)
    {
        (void)settings;
        return false;
    }
    // "Autoincrement Filename Properties"; nothing on Cancel.
    virtual std::optional<AutoincrementDialogValues>
    runAutoincrementDialog(const AutoincrementDialogValues& values)
    {
        (void)values;
        return std::nullopt;
    }
};

// The main frame as the view sees it.
class SpectrumViewFrame
{
public:
    virtual ~SpectrumViewFrame() = default;
    virtual SpectrumPreferences& preferences() = 0;
    virtual SpectrumViewPreferences& viewPreferences() = 0;
    // The script's verdict on a user action (its MENUVERIFY value): 0 forbids it.
    virtual int VerifyCommand(int menuVerify) = 0;
    virtual void StartNextScan() = 0;
    // Halts idle scanning and starts the next window's scan (Single Exposure under a
    // long-integration trigger).
    virtual void SuspendAndStartNextScan() = 0;
    virtual void clearScanPending() = 0;
    // The scan's data is copied out: starts the next scan of the round-robin now when nothing
    // waits to change it. True when it started; the scan's message then leaves the pending
    // flag alone.
    virtual bool startNextScanEarly() { return false; }
    virtual void setAcquisitionHalted(int value) = 0;
    // The active configuration family ("Morvel", "Quintar", ...).
    virtual std::string activeConfigurationFamily() = 0;
    // 1 when the active configuration runs in gated mode.
    virtual int activeConfigurationGatedMode() = 0;
    // The active configuration's lower integration-time limit (ms; kept for "Morvel" only).
    virtual uint16_t activeConfigurationLowerIntegrationLimit() = 0;
    // The program's instance key under which every window registers.
    virtual uint32_t instanceKey() = 0;
    virtual uint32_t tickCountMs() = 0;
    virtual void fireNewSpectraReady(const std::string& windowName, int16_t channels) = 0;
    virtual void fireTimeAcquisition(const std::string& windowName, double timeStamp) = 0;
    // Script event 7, SpectrometerConfigChanged.
    virtual void fireSpectrometerConfigChanged(const std::string& windowName) = 0;
    // Script event 6, Keystroke: the virtual-key code, the key message's flags, the window.
    virtual void fireKeystroke(int32_t keyCode, int32_t flags, const std::string& windowName) = 0;
    // The main frame's Kick Start command.
    virtual void OnKickStart() = 0;
    // The active configuration's default dark and reference files (its "Morvel" family).
    virtual void SetLastDarkFilename(const std::string& name) { (void)name; }
    virtual void SetLastReferenceFilename(const std::string& name) { (void)name; }
    virtual std::string lastDarkFilename() { return {}; }
    virtual std::string lastReferenceFilename() { return {}; }
    // The A/D type the main frame last pushed to the driver library.
    virtual uint16_t adcType() { return 0; }
    // The user name written into file headers: the login name.
    virtual std::string userName();
    // The program's folder (the Morvel default files live there).
    virtual std::string applicationPath();
    // True when the file lies on a removable drive.
    virtual bool isOnRemovableDrive(const std::string& path);
    // A window's first scan: the main frame opens its auto-run script when one is due.
    virtual void openAutoRunScript() {}
    // Reports a caught failure to the error log with the source file and line.
    virtual void logException(const std::string& description, const char* file, int line)
    {
        (void)description, (void)file, (void)line;
    }
};

// A device's stored calibration as the coefficient readers return it.
struct DeviceCoefficients
{
    // intercept, first, second, third
    std::array<float, 4> wavelength{};
    float strayLight = 0.0f;
    // intercept first
    std::array<float, 8> nonLinearity{};
};

// The multichannel converter's calibration: eight channels and a mask of those present.
struct MultichannelCoefficients
{
    std::array<std::array<float, 4>, 8> wavelength{};
    // Bit k: channel k is present; 0 means the master alone.
    uint16_t channelMask = 0;
};

// The driver library's functions that a spectrum view calls.
class SpectrumViewDriver
{
public:
    virtual ~SpectrumViewDriver() = default;
    virtual int16_t VYK_Register(RegistrationRecord* record) = 0;
    virtual int16_t VYK_ParamSet(RegistrationRecord* record) = 0;
    virtual int16_t VYK_BufferEmpty(uint32_t instanceKey, int16_t channel) = 0;
    virtual uint16_t VYK_GetSpectrometerType() = 0;
    virtual int16_t VYK_StrobeEnable(int16_t enable) = 0;
    virtual void VYK_SetLastUSBScanValid(int16_t valid) = 0;
    virtual void VYK_DisableMultichannelSpectra() = 0;
    virtual void VYK_EnableMultichannelSpectra(uint16_t rotation) { (void)rotation; }
    virtual int16_t Xandel_EnableFan(int16_t enable) = 0;
    virtual int16_t Xandel_EnableCooler(int16_t enable) = 0;
    virtual int16_t Ulmar_SetFanEnable(int16_t enable) = 0;
    virtual int16_t Ulmar_SetTECEnable(int16_t enable) = 0;
    virtual int16_t Xandel_SetTECSetPoint(float degreesC) = 0;
    virtual int16_t Ulmar_SetTECSetPoint(double degreesC) = 0;
    virtual double Xandel_GetTECTemperature() = 0;
    virtual double Ulmar_GetTECTemperature() = 0;
    virtual int16_t Pavik_IsPluginDetected(int16_t plugin) = 0;
    virtual int16_t Pavik_SetMavrinModulation(int32_t modulation) = 0;
    virtual double Pavik_GetTemperature() = 0;
    // The accessories' exports; each answers the export's own result (0 when it failed).
    virtual int32_t Pavik_SetMavrinDA(int32_t value) = 0;
    virtual int32_t BrontelUSB_DAC_WriteValue(int32_t channel, int32_t value) = 0;
    virtual int32_t Pavik_Norrel_LampOn(int32_t on) = 0;
    virtual int32_t Pavik_Norrel_SetVisLampOn(int32_t on) = 0;
    virtual int32_t Pavik_Norrel_SetShutterOpened(int32_t open) = 0;
    virtual int32_t Pavik_Norrel_StoreCurrentPotValues() = 0;
    virtual int32_t Pavik_Norrel_SetVisLampIntensity(int32_t value) = 0;
    virtual int32_t Pavik_Norrel_GetVisLampIntensity() = 0;
    virtual int32_t Pavik_Norrel_SetUVLampIntensity(int32_t value) = 0;
    virtual int32_t Pavik_Norrel_GetUVLampIntensity() = 0;
    virtual int32_t Pavik_Norrel_GetVisLampOn() = 0;
    virtual int32_t Pavik_Norrel_GetLampOn() = 0;
    virtual int32_t Xandel_EnableHighGain(int32_t flag) = 0;
    virtual int16_t BrontelUSB_DAC_Initialize() = 0;
    // The single-channel coefficient reader of this A/D type (Pavik_GetCoefficients and its
    // kin); 1 when the record was read, anything else when not or when the type has none.
    virtual int16_t readCoefficients(uint16_t adcType, DeviceCoefficients& record) = 0;
    virtual int16_t BrontelUSB_GetCoefficients(MultichannelCoefficients& record) = 0;
};
