#pragma once

#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/SpectrumViewHost.h"
#include "platform/chart/Xrt.h"
#include "platform/win/Clock.h"
#include "tests/app/spectrum/SpectrumFakes.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace app::spectrum::test {

// A spectrum window that records what the view asks of it and answers from queues.
class FakeViewWindow : public FakeSpectrumWindow, public SpectrumViewWindow
{
public:
    ~FakeViewWindow() override
    {
        if (chart != 0)
            platform::chart::XrtDestroy(chart);
    }
    // The window a document is made with: this one, as the view's window.
    SpectrumDocWindow& docWindow() { return static_cast<SpectrumViewWindow&>(*this); }
    Answer showWarningDialog(const std::string& text, bool& continueToWarn) override
    {
        return FakeSpectrumWindow::showWarningDialog(text, continueToWarn);
    }
    Answer showMessageBox(const std::string& text, const std::string& caption,
                          Buttons buttons) override
    {
        return FakeSpectrumWindow::showMessageBox(text, caption, buttons);
    }
    void playSoundAsync(const std::string& file) override
    {
        FakeSpectrumWindow::playSoundAsync(file);
    }
    uint32_t windowHandle() override { return handle; }
    platform::chart::XrtHandle chartHandle() override
    {
        if (chart == 0)
            chart = platform::chart::XrtCreate();
        return chart;
    }
    bool inSpectrumFrame() override { return spectrumFrame; }
    std::string frameTitle() override { return title; }
    void setFrameTitle(const std::string& t) override { title = t; }
    void showBar(SpectrumBar bar, bool show) override { bars[bar] = show; }
    void setBarText(SpectrumBar bar, int control, const std::string& text) override
    {
        barTexts.push_back({bar, control, text});
    }
    void setBarCheck(SpectrumBar bar, int control, bool checked) override
    {
        barChecks.push_back({bar, control, checked});
    }
    void setBarSpinRange(SpectrumBar bar, int spin, int32_t lower, int32_t upper) override
    {
        spinRanges.push_back({bar, spin, lower, upper});
    }
    void showFeaturesDialog(int timerIntervalMs) override
    {
        featuresDialogs.push_back(timerIntervalMs);
    }
    void flashAndActivate() override { ++flashes; }
    void startTimer(int id, int periodMs) override { timers[id] = periodMs; }
    void killTimer(int id) override { timers.erase(id); }
    bool isWindow(uint32_t handle) override { return handle < 0x8000; }
    void sendScanNotice(uint32_t handle, uint32_t) override { notices.push_back(handle); }
    std::optional<std::string> chooseExistingFile(const std::string& t, const std::string&) override
    {
        fileDialogs.push_back(t);
        return chosenFile;
    }
    std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>& texts) override
    {
        scaleTexts = texts;
        return scaleAnswer;
    }
    std::optional<std::string> showColorTemperatureDialog(const std::string& text, bool&) override
    {
        temperatureTexts.push_back(text);
        return temperatureAnswer;
    }
    std::optional<std::array<int, 8>> selectChannels(const std::array<int16_t, 8>&,
                                                     const std::array<int, 8>&) override
    {
        ++channelDialogs;
        return channelSelection;
    }

    bool runLegendDialog(platform::chart::XrtHandle c, ChartFontSetting& font,
                         int& floating) override
    {
        ++legendDialogs;
        return legendAnswer ? legendAnswer(c, font, floating) : false;
    }
    bool runAxisTextDialog(platform::chart::XrtHandle c, ChartFontSetting& font) override
    {
        ++axisTextDialogs;
        return axisTextAnswer ? axisTextAnswer(c, font) : false;
    }
    bool runGraphTitleDialog(platform::chart::XrtHandle c, ChartFontSetting& font,
                             const std::string& t) override
    {
        titleDialogTitles.push_back(t);
        return titleAnswer ? titleAnswer(c, font) : false;
    }
    void runDisplayPropertySheet() override { ++displaySheets; }
    SpectrometerSheetResult runSpectrometerSheet() override
    {
        ++spectrometerSheets;
        if (spectrometerSheetAction)
            spectrometerSheetAction();
        return spectrometerSheet;
    }
    std::optional<GridDialogValues> showGridDialog(const GridDialogValues& v) override
    {
        gridDialogValues.push_back(v);
        return gridAnswer;
    }
    std::optional<platform::chart::XrtColor> chooseColor(platform::chart::XrtColor c) override
    {
        colorDialogs.push_back(c);
        return colorAnswer;
    }
    std::optional<std::string> showRenameDialog(const std::string& name) override
    {
        renameTexts.push_back(name);
        return renameAnswer;
    }
    std::optional<std::array<int, 16>>
    selectChannelsToCopy(const std::array<int, 16>& offered,
                         const std::array<int, 16>& selected) override
    {
        copyOffered.push_back(offered);
        copyStartSelections.push_back(selected);
        if (copySelections.empty())
            return std::nullopt;
        const auto answer = copySelections.front();
        copySelections.pop_front();
        return answer;
    }
    std::optional<std::string> chooseSaveFile(const std::string& t, const std::string&,
                                              const std::string& extension) override
    {
        saveDialogs.push_back(t);
        saveExtensions.push_back(extension);
        return savedFile;
    }
    void copyChartToClipboard(platform::chart::XrtHandle) override { ++chartCopies; }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    void emptyClipboard() override
    {
        clipboard.reset();
        ++clipboardEmptied;
    }
    std::array<int, 2> viewScreenOrigin() override { return screenOrigin; }
    std::array<int, 2> screenToView(int x, int y) override
    {
        return {x - screenOrigin[0], y - screenOrigin[1]};
    }
    void trackContextMenu(int popup, int x, int y) override
    {
        contextMenus.push_back({popup, x, y});
    }
    void beginWaitCursor() override
    {
        ++waitDepth;
        ++waitCursors;
    }
    void endWaitCursor() override { --waitDepth; }
    void showCursorReadOutBar(bool show) override { readOutBar = show; }
    std::optional<FramePlacement> framePlacement() override { return placement; }
    void setFramePlacement(const FramePlacement& p) override { placement = p; }
    void setMicrosecondIntegration(bool enabled) override { microseconds = enabled; }
    std::array<int, 2> chartClientSize() override { return clientSize; }
    void setCursorReadOut(const std::string& text) override { readOuts.push_back(text); }
    std::optional<AnnotationDialogValues>
    runAnnotationDialog(int record, const AnnotationDialogValues& values) override
    {
        annotationDialogs.push_back({record, values});
        if (annotationAnswers.empty())
            return std::nullopt;
        const auto answer = annotationAnswers.front();
        annotationAnswers.pop_front();
        return answer;
    }
    std::optional<CursorDialogValues> runCursorDialog(const CursorDialogValues& values) override
    {
        cursorDialogs.push_back(values);
        return cursorAnswer;
    }
    void captureMouse(bool capture) override { mouseCaptured = capture; }
    uint32_t mainMenu() override { return menu; }
    std::optional<SpectrumFileDialogResult>
    runFileDialog(const SpectrumFileDialogRequest& request) override
    {
        fileRequests.push_back(request);
        if (fileAnswers.empty())
            return std::nullopt;
        const auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
    std::optional<AutoincrementDialogValues>
    runAutoincrementDialog(const AutoincrementDialogValues& values) override
    {
        autoincrementDialogs.push_back(values);
        return autoincrementAnswer;
    }

    struct BarText
    {
        SpectrumBar bar;
        int control;
        std::string text;
    };
    uint32_t handle = 0x1234;
    platform::chart::XrtHandle chart = 0;
    bool spectrumFrame = true;
    std::string title = "Spectrum1";
    std::map<SpectrumBar, bool> bars;
    std::vector<BarText> barTexts;
    struct BarCheck
    {
        SpectrumBar bar;
        int control;
        bool checked;
    };
    std::vector<BarCheck> barChecks;
    struct SpinRange
    {
        SpectrumBar bar;
        int spin;
        int32_t lower;
        int32_t upper;
    };
    std::vector<SpinRange> spinRanges;
    std::vector<int> featuresDialogs;
    // The last text and check written to a control; nothing when none was.
    std::optional<std::string> lastText(int control) const
    {
        for (auto it = barTexts.rbegin(); it != barTexts.rend(); ++it)
            if (it->control == control)
                return it->text;
        return std::nullopt;
    }
    std::optional<bool> lastCheck(int control) const
    {
        for (auto it = barChecks.rbegin(); it != barChecks.rend(); ++it)
            if (it->control == control)
                return it->checked;
        return std::nullopt;
    }
    void clearBarWrites()
    {
        barTexts.clear();
        barChecks.clear();
        spinRanges.clear();
    }
    int flashes = 0;
    std::map<int, int> timers;
    std::vector<uint32_t> notices;
    std::vector<std::string> fileDialogs;
    std::optional<std::string> chosenFile;
    std::array<std::string, 4> scaleTexts;
    std::optional<std::array<std::string, 4>> scaleAnswer;
    std::vector<std::string> temperatureTexts;
    std::optional<std::string> temperatureAnswer;
    int channelDialogs = 0;
    std::optional<std::array<int, 8>> channelSelection;

    // Live-preview dialogs: the answer changes the chart and fonts, then says OK (true).
    std::function<bool(platform::chart::XrtHandle, ChartFontSetting&, int&)> legendAnswer;
    std::function<bool(platform::chart::XrtHandle, ChartFontSetting&)> axisTextAnswer;
    std::function<bool(platform::chart::XrtHandle, ChartFontSetting&)> titleAnswer;
    int legendDialogs = 0;
    int axisTextDialogs = 0;
    std::vector<std::string> titleDialogTitles;
    int displaySheets = 0;
    int spectrometerSheets = 0;
    std::function<void()> spectrometerSheetAction;
    SpectrometerSheetResult spectrometerSheet;
    std::vector<GridDialogValues> gridDialogValues;
    std::optional<GridDialogValues> gridAnswer;
    std::vector<platform::chart::XrtColor> colorDialogs;
    std::optional<platform::chart::XrtColor> colorAnswer;
    std::vector<std::string> renameTexts;
    std::optional<std::string> renameAnswer;
    std::vector<std::array<int, 16>> copyOffered;
    std::vector<std::array<int, 16>> copyStartSelections;
    std::deque<std::array<int, 16>> copySelections;
    std::vector<std::string> saveDialogs;
    std::vector<std::string> saveExtensions;
    std::optional<std::string> savedFile;
    int chartCopies = 0;
    std::optional<std::string> clipboard;
    int clipboardEmptied = 0;
    std::array<int, 2> screenOrigin{100, 200};
    struct ContextMenu
    {
        int popup;
        int x;
        int y;
    };
    std::vector<ContextMenu> contextMenus;
    int waitDepth = 0;
    int waitCursors = 0;
    std::optional<bool> readOutBar;
    std::optional<FramePlacement> placement;
    std::optional<bool> microseconds;
    std::array<int, 2> clientSize{600, 400};
    std::vector<std::string> readOuts;
    struct AnnotationDialog
    {
        int record;
        AnnotationDialogValues values;
    };
    std::vector<AnnotationDialog> annotationDialogs;
    std::deque<std::optional<AnnotationDialogValues>> annotationAnswers;
    std::vector<CursorDialogValues> cursorDialogs;
    std::optional<CursorDialogValues> cursorAnswer;
    bool mouseCaptured = false;
    uint32_t menu = 0;
    // File dialogs of the file commands: what was asked, and the answers in turn (Cancel when
    // none is left).
    std::vector<SpectrumFileDialogRequest> fileRequests;
    std::deque<std::optional<SpectrumFileDialogResult>> fileAnswers;
    std::vector<AutoincrementDialogValues> autoincrementDialogs;
    std::optional<AutoincrementDialogValues> autoincrementAnswer;
};

// The main frame: preferences, the round-robin's flags and the script events.
class FakeViewFrame : public SpectrumViewFrame, public SpectrumDocFrame
{
public:
    SpectrumPreferences& preferences() override { return prefs; }
    SpectrumViewPreferences& viewPreferences() override { return viewPrefs; }
    int VerifyCommand(int menuVerify) override
    {
        verified.push_back(menuVerify);
        return forbidden == menuVerify ? 0 : 1;
    }
    int addOpenSpectrumDocuments(int delta) override { return openDocuments += delta; }
    void StartNextScan() override { ++nextScans; }
    void SuspendAndStartNextScan() override { ++suspendedScans; }
    void clearScanPending() override { ++pendingCleared; }
    bool startNextScanEarly() override
    {
        ++earlyStarts;
        return startsEarly;
    }
    void setAcquisitionHalted(int value) override { halted = value; }
    std::string activeConfigurationFamily() override { return family; }
    int activeConfigurationGatedMode() override { return gated; }
    uint16_t activeConfigurationLowerIntegrationLimit() override { return lowerLimit; }
    uint32_t instanceKey() override { return 77; }
    uint32_t tickCountMs() override { return 1000; }
    void fireNewSpectraReady(const std::string& name, int16_t channels) override
    {
        newSpectra.push_back({name, channels});
    }
    void fireTimeAcquisition(const std::string&, double timeStamp) override
    {
        ++timeEvents;
        timeStamps.push_back(timeStamp);
    }
    void fireSpectrometerConfigChanged(const std::string& name) override
    {
        configChanged.push_back(name);
    }
    void fireKeystroke(int32_t key, int32_t flags, const std::string& name) override
    {
        keystrokes.push_back({key, flags, name});
    }
    void OnKickStart() override { ++kickStarts; }
    void SetLastDarkFilename(const std::string& name) override { lastDark = name; }
    void SetLastReferenceFilename(const std::string& name) override { lastReference = name; }
    std::string lastDarkFilename() override { return lastDark; }
    std::string lastReferenceFilename() override { return lastReference; }
    uint16_t adcType() override { return mainAdcType; }
    std::string userName() override { return "tester"; }
    std::string applicationPath() override { return programFolder; }
    bool isOnRemovableDrive(const std::string& path) override
    {
        return removablePaths.count(path) != 0;
    }
    void logException(const std::string& description, const char*, int) override
    {
        exceptions.push_back(description);
    }

    SpectrumPreferences prefs;
    SpectrumViewPreferences viewPrefs;
    std::vector<int> verified;
    int forbidden = 0;
    int openDocuments = 0;
    int nextScans = 0;
    int suspendedScans = 0;
    uint16_t lowerLimit = 0;
    struct Keystroke
    {
        int32_t key;
        int32_t flags;
        std::string window;
    };
    std::vector<Keystroke> keystrokes;
    int pendingCleared = 0;
    int earlyStarts = 0;      // asks for the next scan from the last channel's message
    bool startsEarly = false; // what the main frame answers them
    int halted = 0;
    std::string family = "Default";
    int gated = 0;
    std::vector<std::pair<std::string, int16_t>> newSpectra;
    int timeEvents = 0;
    std::vector<double> timeStamps;
    std::vector<std::string> configChanged;
    int kickStarts = 0;
    std::vector<std::string> exceptions;
    std::string lastDark;
    std::string lastReference;
    uint16_t mainAdcType = 0;
    std::string programFolder = ".";
    std::set<std::string> removablePaths;
};

// The driver: records every call by name, answers from fields.
class FakeViewDriver : public SpectrumViewDriver
{
public:
    int16_t VYK_Register(RegistrationRecord* r) override
    {
        calls.push_back("Register");
        registered = *r;
        return registerResult;
    }
    int16_t VYK_ParamSet(RegistrationRecord* r) override
    {
        calls.push_back("ParamSet");
        paramSet = *r;
        return 0;
    }
    int16_t VYK_BufferEmpty(uint32_t key, int16_t channel) override
    {
        calls.push_back("BufferEmpty(" + std::to_string(key) + "," + std::to_string(channel) + ")");
        return 0;
    }
    uint16_t VYK_GetSpectrometerType() override { return spectrometerType; }
    int16_t VYK_StrobeEnable(int16_t e) override { return note("StrobeEnable", e); }
    void VYK_SetLastUSBScanValid(int16_t v) override { note("SetLastUSBScanValid", v); }
    void VYK_DisableMultichannelSpectra() override { calls.push_back("DisableMultichannel"); }
    void VYK_EnableMultichannelSpectra(uint16_t rotation) override
    {
        calls.push_back("EnableMultichannel(" + std::to_string(rotation) + ")");
    }
    int16_t Xandel_EnableFan(int16_t e) override { return note("XandelFan", e); }
    int16_t Xandel_EnableCooler(int16_t e) override { return note("XandelCooler", e); }
    int16_t Ulmar_SetFanEnable(int16_t e) override { return note("UlmarFan", e); }
    int16_t Ulmar_SetTECEnable(int16_t e) override { return note("UlmarTEC", e); }
    int16_t Xandel_SetTECSetPoint(float) override { return note("XandelSetPoint", 0); }
    int16_t Ulmar_SetTECSetPoint(double) override { return note("UlmarSetPoint", 0); }
    double Xandel_GetTECTemperature() override
    {
        note("XandelTemperature", 0);
        return -12.5;
    }
    double Ulmar_GetTECTemperature() override { return -7.0; }
    int16_t Pavik_IsPluginDetected(int16_t p) override
    {
        pluginProbedAt = platform::win::processClock()->now();
        return note("PluginDetected", p);
    }
    int16_t Pavik_SetMavrinModulation(int32_t m) override
    {
        return note("MavrinModulation", static_cast<int16_t>(m));
    }
    double Pavik_GetTemperature() override { return 25.0; }
    int32_t Pavik_SetMavrinDA(int32_t v) override { return accessory("MavrinDA", {v}); }
    int32_t BrontelUSB_DAC_WriteValue(int32_t channel, int32_t v) override
    {
        return accessory("DACWrite", {channel, v});
    }
    int32_t Pavik_Norrel_LampOn(int32_t on) override
    {
        note("NorrelLamp", static_cast<int16_t>(on));
        return accessoryResult;
    }
    int32_t Pavik_Norrel_SetVisLampOn(int32_t on) override
    {
        return accessory("NorrelVisLamp", {on});
    }
    int32_t Pavik_Norrel_SetShutterOpened(int32_t open) override
    {
        return accessory("NorrelShutter", {open});
    }
    int32_t Pavik_Norrel_StoreCurrentPotValues() override { return accessory("NorrelStore", {}); }
    int32_t Pavik_Norrel_SetVisLampIntensity(int32_t v) override
    {
        return accessory("NorrelVisIntensity", {v});
    }
    int32_t Pavik_Norrel_GetVisLampIntensity() override
    {
        accessory("GetVisIntensity", {});
        return visIntensity;
    }
    int32_t Pavik_Norrel_SetUVLampIntensity(int32_t v) override
    {
        return accessory("NorrelUVIntensity", {v});
    }
    int32_t Pavik_Norrel_GetUVLampIntensity() override
    {
        accessory("GetUVIntensity", {});
        return uvIntensity;
    }
    int32_t Pavik_Norrel_GetVisLampOn() override
    {
        accessory("GetVisLampOn", {});
        return visLampOn;
    }
    int32_t Pavik_Norrel_GetLampOn() override
    {
        accessory("GetLampOn", {});
        return lampOn;
    }
    int32_t Xandel_EnableHighGain(int32_t flag) override
    {
        return accessory("XandelHighGain", {flag});
    }
    int16_t BrontelUSB_DAC_Initialize() override { return note("DacInitialize", 0); }
    int16_t readCoefficients(uint16_t adcType, DeviceCoefficients& record) override
    {
        note("ReadCoefficients", static_cast<int16_t>(adcType));
        record = coefficients;
        return coefficientsResult;
    }
    int16_t BrontelUSB_GetCoefficients(MultichannelCoefficients& record) override
    {
        note("BrontelCoefficients", 0);
        record = multichannel;
        return coefficientsResult;
    }

    int count(const std::string& call) const
    {
        int n = 0;
        for (const auto& c : calls)
            n += c == call ? 1 : 0;
        return n;
    }

    std::vector<std::string> calls;
    RegistrationRecord registered{};
    RegistrationRecord paramSet{};
    int16_t registerResult = 0;
    uint16_t spectrometerType = 0x200;
    DeviceCoefficients coefficients;
    MultichannelCoefficients multichannel;
    int16_t coefficientsResult = 1;
    // What the accessories' exports answer.
    int32_t accessoryResult = 1;
    int32_t visIntensity = 0;
    int32_t uvIntensity = 0;
    int32_t visLampOn = 0;
    int32_t lampOn = 0;
    // When the plug-in was last probed, on the process clock.
    std::chrono::nanoseconds pluginProbedAt{-1};

private:
    int32_t accessory(const std::string& name, std::initializer_list<int32_t> args)
    {
        std::string call = name + "(";
        for (const int32_t a : args)
            call += (call.back() == '(' ? "" : ",") + std::to_string(a);
        calls.push_back(call + ")");
        return accessoryResult;
    }

    int16_t note(const std::string& name, int16_t value)
    {
        calls.push_back(name + "(" + std::to_string(value) + ")");
        return 1;
    }
};

} // namespace app::spectrum::test
