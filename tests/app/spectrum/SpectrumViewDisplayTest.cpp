// The spectrum view's chart display against the fakes: legend labels, titles, the live-preview
// dialogs, grid, copies to the clipboard, WM_SPECTRUM_COMMAND, Configure Spectrometer, the
// context menu and the display-settings file in both stores.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectralDataText.h"
#include "app/spectrum/SpectrumPrintMapping.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <memory>

using namespace app::spectrum;
using namespace app::spectrum::test;
using namespace app::res;
using namespace platform::chart;

namespace {

constexpr uint16_t kVelkoType = 0x500; // 256 pixels

// One spectrum window with its fakes, created and shown. The display settings of a window
// are read at creation, so a test that wants them in place writes them first.
struct DisplayView
{
    explicit DisplayView(std::array<int, 8> enabled = {1, 0, 0, 0, 0, 0, 0, 0},
                         uint16_t type = kVelkoType, uint16_t adcType = 255)
    {
        CINIFileSupport store(nullptr, 1);
        if (store.GetString("Preferences", "DefaultSpectrometer").empty() ||
            store.GetString("Preferences", "DefaultSpectrometer") == "XXXX")
            store.WriteString("Preferences", "DefaultSpectrometer",
                              (freshFolder("display-config").string() + "/window.spec").c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(type);
        c.SetADCType(adcType);
        const float coefs[4] = {400.0f, 0.5f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, static_cast<uint16_t>(enabled[k]));
            c.SetWavelengthCoefs(k, coefs);
        }
        view->OnCreate();
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
    }
    XrtHandle chart() const { return view->chart(); }
    int64_t intValue(int id) const { return XrtGetValue(chart(), id).toInt(); }
    double doubleValue(int id) const { return XrtGetValue(chart(), id).toDouble(); }

    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

void loadOverlay(CHarluneSpectrumDoc& document, int slot, const std::string& path)
{
    OverlaySlots& o = document.overlays();
    o.loaded[slot] = 1;
    o.fileNames[slot] = path;
    for (int i = 0; i < kSpectrumPoints; ++i) {
        o.wavelengths[slot][i] = 300.0 + i;
        o.values[slot][i] = 0.25 * i;
    }
}

// Each test starts from an empty settings store.
class SpectrumViewDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Hives are kept in memory by path: every test takes a folder of its own.
        static int tests = 0;
        const std::filesystem::path registry =
            freshFolder("display-registry-" + std::to_string(++tests));
        setenv("HARLUNE_REGISTRY_DIR", (registry / "hives").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (registry / "config").c_str(), 1);
    }
};

TEST(SpectrumPrintMapping, KeepsTheAspectAndCentres)
{
    struct Case
    {
        const char* name;
        int w, h, pageW, pageH;
        PrintPageMapping expected;
    };
    const Case cases[] = {
        {"wide chart on a portrait page fills the width, centred vertically",
         600,
         300,
         1000,
         1400,
         {true, 600, 600, 1000, 1000, 0, 450, 0, 450, 1000, 500}},
        {"tall chart on a landscape page fills the height, centred horizontally",
         300,
         600,
         1400,
         1000,
         {true, 600, 600, 1000, 1000, 450, 0, 450, 0, 500, 1000}},
        {"same aspect fills the page",
         400,
         300,
         800,
         600,
         {true, 400, 400, 800, 800, 0, 0, 0, 0, 800, 600}},
        {"odd remainder rounds the origin down",
         3,
         1,
         10,
         10,
         {true, 3, 3, 10, 10, 0, 3, 0, 3, 10, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintPageMapping m = printPageMapping(c.w, c.h, c.pageW, c.pageH);
        EXPECT_EQ(m.drawable, c.expected.drawable);
        EXPECT_EQ(m.windowExtX, c.expected.windowExtX);
        EXPECT_EQ(m.windowExtY, c.expected.windowExtY);
        EXPECT_EQ(m.viewportExtX, c.expected.viewportExtX);
        EXPECT_EQ(m.viewportExtY, c.expected.viewportExtY);
        EXPECT_EQ(m.originX, c.expected.originX);
        EXPECT_EQ(m.originY, c.expected.originY);
        EXPECT_EQ(m.left, c.expected.left);
        EXPECT_EQ(m.top, c.expected.top);
        EXPECT_EQ(m.width, c.expected.width);
        EXPECT_EQ(m.height, c.expected.height);
    }
    // A chart window or page without area draws nothing (and divides by nothing).
    EXPECT_FALSE(printPageMapping(0, 0, 1000, 1400).drawable);
    EXPECT_FALSE(printPageMapping(600, 0, 1000, 1400).drawable);
    EXPECT_FALSE(printPageMapping(600, 300, 0, 0).drawable);
}

TEST(WindowsPaths, BaseNamesAndCuts)
{
    EXPECT_EQ(pathBaseName("C:\\Data\\lamp.reference"), "lamp.reference");
    EXPECT_EQ(pathBaseName("/home/u/lamp.reference"), "lamp.reference");
    EXPECT_EQ(pathBaseName("mixed/dir\\name.txt"), "name.txt");
    EXPECT_EQ(pathBaseName("plain"), "plain");
    EXPECT_EQ(cutAtCharacterBoundary("abc", 254), "abc");
    // "é" is two bytes: a cut through it drops it whole.
    EXPECT_EQ(cutAtCharacterBoundary("ab\xC3\xA9", 3), "ab");
    EXPECT_EQ(cutAtCharacterBoundary("ab\xC3\xA9", 4), "ab\xC3\xA9");
    EXPECT_EQ(cutAtCharacterBoundary("\xE2\x82\xAC\xE2\x82\xAC", 5), "\xE2\x82\xAC");
}

TEST(SpectralDataText, ByteExactColumns)
{
    auto spectra = std::make_unique<ChannelSpectra>();
    auto overlays = std::make_unique<OverlaySlots>();
    for (int i = 0; i < 2; ++i) {
        spectra->wavelengths[0][i] = 400.0 + i;
        spectra->processed[0][i] = 1.5 + i;
        spectra->wavelengths[2][i] = 500.125 + i;
        spectra->processed[2][i] = -0.00125 * (i + 1);
        overlays->wavelengths[1][i] = 600.0 + i;
        overlays->values[1][i] = 1234.5 + i;
    }
    CopyColumns masterSlave2Overlay2{};
    masterSlave2Overlay2[0] = masterSlave2Overlay2[2] = masterSlave2Overlay2[9] = 1;
    struct Case
    {
        const char* name;
        CopyColumns columns;
        SpectralTextFormat format;
        std::string expected;
    };
    const Case cases[] = {
        {"header, fixed",
         masterSlave2Overlay2,
         {true, false, 3},
         "Master WL\tMaster Data\tSlave2 WL\tSlave 2 Data\tOverlay 2 WL\tOverlay 2 Data\t\n"
         "400.00\t1.500\t500.12\t-0.001\t600.00\t1234.500\t\n"
         "401.00\t2.500\t501.12\t-0.003\t601.00\t1235.500\t\n"},
        {"no header, exponential",
         masterSlave2Overlay2,
         {false, true, 2},
         "400.00\t1.50e+00\t500.12\t-1.25e-03\t600.00\t1.23e+03\t\n"
         "401.00\t2.50e+00\t501.12\t-2.50e-03\t601.00\t1.24e+03\t\n"},
        {"nothing chosen, header", CopyColumns{}, {true, false, 3}, "\n\n\n"},
        {"nothing chosen, no header", CopyColumns{}, {false, false, 3}, "\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(spectralDataText(c.columns, *spectra, *overlays, 2, c.format), c.expected);
    }
}

TEST_F(SpectrumViewDisplay, CopiesGoToTheClipboardAndTheCloseAsksAboutThem)
{
    DisplayView v({1, 0, 1, 0, 0, 0, 0, 0});
    loadOverlay(*v.document, 0, "/data/o1.sample");
    v.frame.prefs.DefaultSavePrecision = 1;
    ChannelSpectra& s = v.document->spectra();
    s.processed[0].fill(7.0);
    s.processed[2].fill(9.0);

    v.view->OnCopyAllSpectralData();
    ASSERT_TRUE(v.window.clipboard.has_value());
    const std::string& all = *v.window.clipboard;
    const std::string header =
        "Master WL\tMaster Data\tSlave2 WL\tSlave 2 Data\tOverlay 1 WL\tOverlay 1 Data\t\n";
    EXPECT_EQ(all.substr(0, header.size()), header);
    EXPECT_EQ(all.substr(header.size(), all.find('\n', header.size()) + 1 - header.size()),
              "400.00\t7.0\t400.00\t9.0\t300.00\t0.0\t\n");
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 257); // header + 256 pixels
    EXPECT_EQ(v.view->largeClipboard(), 1);

    // Selected: the dialog offers the enabled channels and loaded slots, starts from the last
    // choice and remembers the new one; the slot's own wavelengths are copied.
    v.frame.viewPrefs.CopyIncludeHeader = 0;
    std::array<int, 16> onlyOverlay{};
    onlyOverlay[8] = 1;
    onlyOverlay[5] = 1; // not offered: ignored
    v.window.copySelections.push_back(onlyOverlay);
    v.view->OnCopySelectedSpectralData();
    std::array<int, 16> offered{};
    offered[0] = offered[2] = offered[8] = 1;
    ASSERT_EQ(v.window.copyOffered.size(), 1u);
    EXPECT_EQ(v.window.copyOffered[0], offered);
    EXPECT_EQ(v.window.copyStartSelections[0], (std::array<int, 16>{}));
    EXPECT_EQ(v.window.clipboard->substr(0, 22), "300.00\t0.0\t\n301.00\t0.2");
    EXPECT_EQ(v.view->copySelection(), onlyOverlay);
    v.view->OnCopySelectedSpectralData(); // cancelled: nothing changes
    EXPECT_EQ(v.window.copyStartSelections[1], onlyOverlay);

    // Copy Spectra by "CopyToolbarButtonFunction".
    struct Case
    {
        int function;
        int chartCopies;
        int selectDialogs;
        bool text;
    };
    for (const Case& c :
         {Case{0, 1, 0, false}, Case{1, 0, 0, true}, Case{2, 0, 1, false}, Case{3, 0, 0, false}}) {
        SCOPED_TRACE(c.function);
        v.window.chartCopies = 0;
        v.window.clipboard.reset();
        const size_t dialogs = v.window.copyOffered.size();
        v.frame.viewPrefs.CopyToolbarButtonFunction = c.function;
        v.view->OnCommand(ID_COPY_SPECTRA);
        EXPECT_EQ(v.window.chartCopies, c.chartCopies);
        EXPECT_EQ(v.window.copyOffered.size() - dialogs, static_cast<size_t>(c.selectDialogs));
        EXPECT_EQ(v.window.clipboard.has_value(), c.text);
    }

    // Closing asks about the large clipboard; No empties it.
    v.window.replies.push_back({FakeSpectrumWindow::Answer::No});
    v.view->OnDestroy();
    v.view.reset();
    ASSERT_FALSE(v.window.captions.empty());
    EXPECT_EQ(v.window.captions.back(), "Harlune Clipboard Warning");
    EXPECT_EQ(v.window.clipboardEmptied, 1);
}

TEST_F(SpectrumViewDisplay, NoCopyNoCloseQuestion)
{
    DisplayView v;
    v.view->OnDestroy();
    v.view.reset();
    for (const std::string& caption : v.window.captions)
        EXPECT_NE(caption, "Harlune Clipboard Warning");
    EXPECT_EQ(v.window.clipboardEmptied, 0);
}

TEST_F(SpectrumViewDisplay, LegendLabels)
{
    const std::string longName = "/d/" + std::string(300, 'n') + ".sample";
    struct Case
    {
        const char* name;
        std::array<int, 8> enabled;
        std::vector<std::pair<int, std::string>> overlays;
        int showFileName;
        bool cursorInLegend;
        std::array<std::string, 16> expected;
    };
    const Case cases[] = {
        {"channels only",
         {1, 0, 1, 0, 0, 0, 0, 1},
         {},
         1,
         false,
         {"Master", "", "Slave 2", "", "", "", "", "Slave 7"}},
        {"overlay file names from both kinds of paths",
         {1, 0, 0, 0, 0, 0, 0, 0},
         {{0, "C:\\Data\\lamp.ref"}, {3, "/home/u/dark.sample"}, {7, "plain"}},
         1,
         false,
         {"Master", "", "", "", "", "", "", "", "lamp.ref", "", "", "dark.sample", "", "", "",
          "plain"}},
        {"overlay numbers",
         {0, 1, 0, 0, 0, 0, 0, 0},
         {{1, "/x/y.z"}},
         0,
         false,
         {"", "Slave 1", "", "", "", "", "", "", "", "Overlay 2"}},
        {"cursor values",
         {1, 0, 0, 0, 0, 0, 0, 0},
         {{0, "/x/y.z"}},
         1,
         true,
         {"Master: 12.5", "", "", "", "", "", "", "", "y.z: 3.25"}},
        {"over-long name is cut at 254 bytes",
         {1, 0, 0, 0, 0, 0, 0, 0},
         {{2, longName}},
         1,
         false,
         {"Master", "", "", "", "", "", "", "", "", "",
          (std::string(300, 'n') + ".sample").substr(0, 254)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DisplayView v(c.enabled);
        for (const auto& [slot, path] : c.overlays)
            loadOverlay(*v.document, slot, path);
        if (v.view->showOverlayFileName() != c.showFileName)
            v.view->OnShowOverlayFilename();
        if (c.cursorInLegend) {
            v.view->setCursorShown(1);
            v.view->setCursorValuesInLegend(1);
            v.view->setCursorReadOut(0, "12.5");
            v.view->setCursorReadOut(8, "3.25");
        }
        v.view->UpdateLegendLabels();
        EXPECT_EQ(v.view->legendLabels(), c.expected);
        const auto onChart = XrtGetValue(v.chart(), kXrtLegendLabels).toTextList();
        EXPECT_EQ(std::vector<std::string>(c.expected.begin(), c.expected.end()), onChart);
    }

    // A label with a long read-out is cut too, never split inside a character.
    DisplayView v;
    v.view->setCursorShown(1);
    v.view->setCursorValuesInLegend(1);
    std::string readOut;
    for (int i = 0; i < 99; ++i)
        readOut += "\xC3\xA9"; // 198 bytes
    v.view->setCursorReadOut(0, readOut + readOut);
    v.view->UpdateLegendLabels();
    const std::string& label = v.view->legendLabels()[0];
    EXPECT_LE(label.size(), 254u);
    EXPECT_EQ(label.substr(0, 8), "Master: ");
    EXPECT_EQ(label.size() % 2, 0u); // "Master: " is 8 bytes, then whole two-byte characters
}

TEST_F(SpectrumViewDisplay, TitlesAndRename)
{
    DisplayView v;
    EXPECT_EQ(v.view->SetGraphTitle("Lamp 1"), 1);
    EXPECT_EQ(v.view->GetGraphTitle(), "Lamp 1");
    EXPECT_EQ(v.view->SetGraphTitle(std::string(300, 'x')), 1);
    EXPECT_EQ(v.view->GetGraphTitle(), std::string(254, 'x'));

    // The rename dialog starts with the name before "|", blanks removed; "%" stays "%".
    v.window.title = "Spectrum1   | Next Save Filename: x";
    v.window.renameAnswer = "100% %s %d";
    v.view->OnRenameSpectralWindow();
    EXPECT_EQ(v.window.renameTexts, std::vector<std::string>{"Spectrum1"});
    EXPECT_EQ(v.window.title, "100% %s %d");
}

TEST_F(SpectrumViewDisplay, CancelledLivePreviewsRestoreWhatTheyTouched)
{
    DisplayView v;
    XrtSetValues(v.chart(), {{kXrtLegendShown, 1},
                             {kXrtLegendAnchor, 17},
                             {kXrtLegendOrientation, 1},
                             {kXrtLegendBorder, 1},
                             {kXrtLegendBorderWidth, 2},
                             {kXrtLegendBackgroundColor, 0xC0C0C0},
                             {kXrtLegendForegroundColor, 0xFF0000},
                             {kXrtForegroundColor, 0x00FFFF}});
    const auto legendFont = XrtGetValue(v.chart(), kXrtLegendFont).toFont();
    const auto axisFont = XrtGetValue(v.chart(), kXrtAxisFont).toFont();
    const auto titleFont = XrtGetValue(v.chart(), kXrtHeaderFont).toFont();
    v.view->SetGraphTitle("Before");

    v.window.legendAnswer = [](XrtHandle chart, ChartFontSetting& font, int& floating) {
        XrtSetValues(chart, {{kXrtLegendShown, 0},
                             {kXrtLegendAnchor, 34},
                             {kXrtLegendOrientation, 2},
                             {kXrtLegendBorder, 5},
                             {kXrtLegendBorderWidth, 7},
                             {kXrtLegendBackgroundColor, 0x123456},
                             {kXrtLegendForegroundColor, 0x654321},
                             {kXrtLegendFont, XrtFont{"Courier", 40}}});
        font = {"Courier", 40};
        floating = 0;
        return false;
    };
    v.view->OnLegendConfigure();
    EXPECT_EQ(v.intValue(kXrtLegendShown), 1);
    EXPECT_EQ(v.intValue(kXrtLegendAnchor), 17);
    EXPECT_EQ(v.intValue(kXrtLegendOrientation), 1);
    EXPECT_EQ(v.intValue(kXrtLegendBorder), 1);
    EXPECT_EQ(v.intValue(kXrtLegendBorderWidth), 2);
    EXPECT_EQ(v.intValue(kXrtLegendBackgroundColor), 0xC0C0C0);
    EXPECT_EQ(v.intValue(kXrtLegendForegroundColor), 0xFF0000);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtLegendFont).toFont(), legendFont);
    EXPECT_EQ(v.view->legendFont().face, legendFont.face);
    EXPECT_EQ(v.view->legendFloating(), 1);
    EXPECT_EQ(v.intValue(kXrtRepaint), 1);

    v.window.axisTextAnswer = [](XrtHandle chart, ChartFontSetting& font) {
        XrtSetValues(chart, {{kXrtAxisFont, XrtFont{"Courier", 30}}, {kXrtForegroundColor, 0x1}});
        font = {"Courier", 30};
        return false;
    };
    v.view->OnSetAxisTextProperties();
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtAxisFont).toFont(), axisFont);
    EXPECT_EQ(v.intValue(kXrtForegroundColor), 0x00FFFF);

    v.window.titleAnswer = [](XrtHandle chart, ChartFontSetting& font) {
        XrtSetValues(chart, {{kXrtHeaderFont, XrtFont{"Courier", 30}},
                             {kXrtForegroundColor, 0x2},
                             {kXrtHeaderStrings, std::vector<std::string>{"During"}}});
        font = {"Courier", 30};
        return false;
    };
    v.view->OnSetGraphTitle();
    EXPECT_EQ(v.window.titleDialogTitles, std::vector<std::string>{"Before"});
    EXPECT_EQ(v.view->GetGraphTitle(), "Before");
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtHeaderFont).toFont(), titleFont);
    EXPECT_EQ(v.intValue(kXrtForegroundColor), 0x00FFFF);

    // OK keeps what the dialog did.
    v.window.axisTextAnswer = [](XrtHandle chart, ChartFontSetting& font) {
        XrtSetValues(chart, {{kXrtAxisFont, XrtFont{"Courier", 30}}});
        font = {"Courier", 30};
        return true;
    };
    v.view->OnSetAxisTextProperties();
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtAxisFont).toFont().face, "Courier");
    EXPECT_EQ(v.view->axisFont().height, 30);
}

TEST_F(SpectrumViewDisplay, GridConfigureAndEnable)
{
    DisplayView v;
    // Read defaults: pattern 4 remembered, grid hidden.
    EXPECT_EQ(v.view->gridEnabled(), 0);
    EXPECT_EQ(v.view->gridPattern(), 4);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtHorizontalGridStyle).toDataStyle().linePattern, 1);

    v.window.gridAnswer = GridDialogValues{0x00FF00, 5, 9};
    v.view->OnGridConfigure();
    ASSERT_EQ(v.window.gridDialogValues.size(), 1u);
    EXPECT_EQ(v.window.gridDialogValues[0].pattern, 1);
    EXPECT_EQ(v.window.gridDialogValues[0].width, 1);
    XrtDataStyle h = XrtGetValue(v.chart(), kXrtHorizontalGridStyle).toDataStyle();
    EXPECT_EQ(h.linePattern, 1); // hidden: none
    EXPECT_EQ(h.lineColor, 0x00FF00u);
    EXPECT_EQ(h.lineWidth, 1); // the width is not taken
    EXPECT_EQ(v.view->gridPattern(), 5);

    XrtSetValues(v.chart(), {{kXrtXGridSpacingAuto, 1}, {kXrtYGridSpacingAuto, 1}});
    v.view->OnGridEnabled();
    EXPECT_EQ(v.view->commandState(ID_GRID_ENABLED).checked, 1);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtHorizontalGridStyle).toDataStyle().linePattern, 5);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtVerticalGridStyle).toDataStyle().linePattern, 5);
    EXPECT_EQ(v.intValue(kXrtXGridSpacingAuto), 0);
    EXPECT_EQ(v.intValue(kXrtYGridSpacingAuto), 0);

    v.window.gridAnswer = GridDialogValues{0x0000FF, 3, 1};
    v.view->OnGridConfigure();
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtVerticalGridStyle).toDataStyle().linePattern, 3);

    v.view->OnGridEnabled();
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtVerticalGridStyle).toDataStyle().linePattern, 1);
    v.view->OnGridEnabled();
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtVerticalGridStyle).toDataStyle().linePattern, 3);
}

TEST_F(SpectrumViewDisplay, BackgroundAndLegendSwitches)
{
    DisplayView v;
    v.window.colorAnswer = 0x112233;
    v.view->OnSetGraphBackgroundColor();
    EXPECT_EQ(v.intValue(kXrtBackgroundColor), 0x112233);

    v.window.chosenFile = "/pictures/back.bmp";
    v.view->OnSelectBitmap();
    EXPECT_EQ(v.window.fileDialogs.back(), "Select Background Bitmap");
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtBackgroundBitmap).toText(), "/pictures/back.bmp");
    EXPECT_EQ(v.view->commandState(ID_BACKGROUND_VISIBLE).checked, 1);
    v.view->OnBackgroundVisible();
    EXPECT_TRUE(XrtGetValue(v.chart(), kXrtBackgroundBitmap).isNull());
    EXPECT_EQ(v.view->commandState(ID_BACKGROUND_VISIBLE).checked, 0);

    const int shown = static_cast<int>(v.intValue(kXrtLegendShown));
    v.view->OnLegendEnabled();
    EXPECT_EQ(v.intValue(kXrtLegendShown), shown != 0 ? 0 : 1);
    EXPECT_EQ(v.view->commandState(ID_LEGEND_ENABLED).checked, shown != 0 ? 0 : 1);

    v.view->OnDisplayProperties();
    EXPECT_EQ(v.window.displaySheets, 1);
}

TEST_F(SpectrumViewDisplay, TakeLogReentersTheMode)
{
    DisplayView v;
    const size_t asked = v.frame.verified.size();
    v.view->OnTakeLog();
    EXPECT_EQ(v.view->verticalLogScale(), 1);
    EXPECT_EQ(v.view->commandState(ID_TAKE_LOG).checked, 1);
    // Only the mode command asked the script.
    ASSERT_EQ(v.frame.verified.size(), asked + 1);
    EXPECT_EQ(v.frame.verified.back(), mvSpecSpectrumScopeMode);
    EXPECT_NE(XrtGetValue(v.chart(), kXrtYAxisTitle).toText().find("log"), std::string::npos);

    v.view->setCustomModeEnabled(1);
    v.view->OnCustomMode();
    const size_t before = v.frame.verified.size();
    v.view->OnTakeLog();
    EXPECT_EQ(v.view->verticalLogScale(), 0);
    EXPECT_EQ(v.frame.verified.size(), before); // Custom: no mode re-entered
    EXPECT_EQ(v.view->processingMode(), Custom);
}

TEST_F(SpectrumViewDisplay, SpectrumCommandMessage)
{
    DisplayView v;
    v.document->spectra().sample[0].fill(321.0);
    v.view->setSnapshotState(1);
    EXPECT_EQ(v.view->OnSpectrumCommand(1, 0), 1);
    EXPECT_EQ(v.document->spectra().referenceStored[0], 1u);
    EXPECT_EQ(v.document->spectra().reference[0][5], 321.0);
    EXPECT_EQ(v.view->snapshotState(), 0);

    EXPECT_EQ(v.view->OnSpectrumCommand(2, 1), 1);
    EXPECT_EQ(v.view->snapshotState(), 1);
    EXPECT_EQ(v.view->OnSpectrumCommand(0, 0), 1);
    EXPECT_EQ(v.document->spectra().darkStored[0], 1u);
    EXPECT_EQ(v.view->OnSpectrumCommand(17, 5), 1);
    EXPECT_EQ(v.view->snapshotState(), 1);
    EXPECT_EQ(v.view->OnSpectrumCommand(3, 0), 1); // emergency reset: live again
    EXPECT_EQ(v.view->snapshotState(), 0);
}

TEST_F(SpectrumViewDisplay, ConfigureSpectrometer)
{
    struct Case
    {
        const char* name;
        uint16_t oldAdc;
        uint16_t newAdc;
        uint16_t newType;
        SpectrometerSheetResult sheet;
        int holdEvents;
        bool event;
        bool usbScanCall;
        int usbScanState;
        bool microseconds;
    };
    const Case cases[] = {
        {"OK, Pavik", 255, 4, 0x200, {true, 0}, 0, true, true, 0, false},
        {"OK, events held", 255, 4, 0x200, {true, 0}, 1, false, true, 0, false},
        {"Cancel, BrontelUSB stays", 7, 7, 0x200, {false, 0}, 0, false, true, 1, false},
        {"OK, to BrontelUSB", 4, 7, 0x200, {true, 0}, 0, true, true, 0, false},
        {"OK, serial A/D", 255, 8, 0x600, {true, 1}, 0, true, false, 0, true},
        {"Istrel with PavikPlus", 255, 15, 0x200, {true, 0}, 0, true, true, 0, true},
        {"Ulmar", 255, 14, 0x700, {false, 0}, 0, false, false, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DisplayView v({1, 0, 0, 0, 0, 0, 0, 0}, 0x200, c.oldAdc);
        v.view->setStrobeEnable(1);
        v.view->record().microsecondFlag = 1;
        v.view->setHoldEvents(c.holdEvents);
        v.window.title = "Window A";
        v.window.spectrometerSheet = c.sheet;
        CSpectrometerConfiguration& config = v.view->configuration();
        v.window.spectrometerSheetAction = [&] {
            config.SetADCType(c.newAdc);
            config.SetSpectrometerType(c.newType);
        };
        v.view->OnConfigureSpectrometer();
        EXPECT_EQ(v.window.spectrometerSheets, 1);
        EXPECT_EQ(v.frame.configChanged,
                  c.event ? std::vector<std::string>{"Window A"} : std::vector<std::string>{});
        EXPECT_EQ(v.driver.count("SetLastUSBScanValid(0)"), c.usbScanCall ? 1 : 0);
        EXPECT_EQ(v.view->usbScanState(), c.usbScanState);
        EXPECT_EQ(v.view->strobeEnable(), c.sheet.strobeOff == 1 ? 0 : 1);
        ASSERT_TRUE(v.window.microseconds.has_value());
        EXPECT_EQ(*v.window.microseconds, c.microseconds);
        EXPECT_EQ(v.view->record().microsecondFlag, c.microseconds ? 1 : 0);
        EXPECT_EQ(v.frame.kickStarts, 1);
    }
}

TEST_F(SpectrumViewDisplay, ContextMenuOnEveryRequest)
{
    DisplayView v;
    v.view->OnContextMenu(400, 300);
    v.view->OnContextMenu(410, 310);
    // From the keyboard: the view's corner plus 5.
    v.view->OnContextMenu(-1, -1);
    ASSERT_EQ(v.window.contextMenus.size(), 3u);
    EXPECT_EQ(v.window.contextMenus[0].popup, 0);
    EXPECT_EQ(v.window.contextMenus[1].x, 410);
    EXPECT_EQ(v.window.contextMenus[2].x, 105);
    EXPECT_EQ(v.window.contextMenus[2].y, 205);
    EXPECT_EQ(v.view->annotationAnchor(), (std::array<int, 2>{5, 5}));
}

// ---------------------------------------------------------------------------------------
// Display-settings file

// Gives a view a look that differs from every read default.
void restyle(DisplayView& v)
{
    XrtHandle chart = v.chart();
    for (int t = 0; t < 16; ++t) {
        XrtDataStyle style{};
        style.linePattern = 3 + t % 4;
        style.fillPattern = 4;
        style.lineColor = 0x010203u * (t + 1);
        style.lineWidth = 1 + t % 3;
        style.pointStyle = 5;
        style.pointColor = 0x0A0B0Cu + t;
        style.pointSize = t % 5;
        v.view->traceStyle(t) = style;
        XrtSetNthDataStyle(chart, t, &style);
    }
    XrtSetValues(chart, {{kXrtBackgroundColor, 0x202020},
                         {kXrtForegroundColor, 0xE0E0E0},
                         {kXrtLegendShown, 0},
                         {kXrtLegendAnchor, 34},
                         {kXrtLegendForegroundColor, 0x00AA00},
                         {kXrtLegendBackgroundColor, 0x0000AA},
                         {kXrtLegendBorder, 5},
                         {kXrtLegendBorderWidth, 4},
                         {kXrtLegendOrientation, 2},
                         {kXrtHeaderColor, 0x445566},
                         {kXrtYAxisTitle, "Counts"},
                         {kXrtYMin, -5.0},
                         {kXrtYMax, 123.25},
                         {kXrtXMin, 410.5},
                         {kXrtXMax, 480.75}});
    v.view->legendFont() = {"Courier", 22};
    v.view->axisFont() = {"Helvetica", 13};
    v.view->titleFont() = {"Times", 25};
    v.view->cursorStyle() = XrtDataStyle{5, 2, 0x00ABCD, 3, 1, 0, 0};
    v.window.gridAnswer = GridDialogValues{0x123456, 6, 1};
    v.view->OnGridConfigure();
    v.view->gridStyle().lineWidth = 4;
    v.view->OnGridEnabled();
    v.view->OnShowOverlayFilename();
    v.view->setCursorShown(1);
    v.view->setCursorPixel(77);
    v.view->setCursorValuesInLegend(1);
    v.view->setPanZoomSteps(0.25, 0.05);
}

void expectRestyled(DisplayView& v)
{
    for (int t = 0; t < 16; ++t) {
        SCOPED_TRACE(t);
        XrtDataStyle style{};
        XrtGetNthDataStyle(v.chart(), t, &style);
        EXPECT_EQ(style.linePattern, 3 + t % 4);
        EXPECT_EQ(style.fillPattern, 4);
        EXPECT_EQ(style.lineColor, 0x010203u * (t + 1));
        EXPECT_EQ(style.lineWidth, 1 + t % 3);
        EXPECT_EQ(style.pointStyle, 5);
        EXPECT_EQ(style.pointColor, 0x0A0B0Cu + t);
        EXPECT_EQ(style.pointSize, t % 5);
    }
    EXPECT_EQ(v.intValue(kXrtBackgroundColor), 0x202020);
    EXPECT_EQ(v.intValue(kXrtForegroundColor), 0xE0E0E0);
    EXPECT_EQ(v.intValue(kXrtLegendShown), 0);
    EXPECT_EQ(v.intValue(kXrtLegendAnchor), 34);
    EXPECT_EQ(v.intValue(kXrtLegendForegroundColor), 0x00AA00);
    EXPECT_EQ(v.intValue(kXrtLegendBackgroundColor), 0x0000AA);
    EXPECT_EQ(v.intValue(kXrtLegendBorder), 5);
    EXPECT_EQ(v.intValue(kXrtLegendBorderWidth), 4);
    EXPECT_EQ(v.intValue(kXrtLegendOrientation), 2);
    EXPECT_EQ(v.intValue(kXrtHeaderColor), 0x445566);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtYAxisTitle).toText(), "Counts");
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtYMin), -5.0);
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtYMax), 123.25);
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtXMin), 410.5);
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtXMax), 480.75);
    EXPECT_EQ(v.view->legendFont().face, "Courier");
    EXPECT_EQ(v.view->legendFont().height, 22);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtLegendFont).toFont().face, "Courier");
    EXPECT_EQ(v.view->axisFont().face, "Helvetica");
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtAxisFont).toFont().height, 13);
    EXPECT_EQ(v.view->titleFont().height, 25);
    EXPECT_EQ(v.view->cursorStyle().linePattern, 5);
    EXPECT_EQ(v.view->cursorStyle().lineColor, 0x00ABCDu);
    EXPECT_EQ(v.view->cursorStyle().lineWidth, 3);
    EXPECT_EQ(v.view->gridEnabled(), 1);
    EXPECT_EQ(v.view->gridPattern(), 6);
    EXPECT_EQ(v.view->gridStyle().lineWidth, 4);
    EXPECT_EQ(v.view->gridStyle().lineColor, 0x123456u);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtHorizontalGridStyle).toDataStyle().linePattern, 6);
    EXPECT_EQ(v.view->showOverlayFileName(), 0);
    EXPECT_EQ(v.view->cursorShown(), 1);
    EXPECT_EQ(v.view->cursorPixel(), 77);
    EXPECT_EQ(v.view->cursorValuesInLegend(), 1);
    // Cursor on with its values in the legend: the read-out bar is hidden.
    EXPECT_EQ(v.window.readOutBar, std::optional<bool>(false));
}

TEST_F(SpectrumViewDisplay, WrittenSettingsReadBackInAFreshView)
{
    const std::string file = (freshFolder("display-files") / "look.display").string();
    for (const std::string& name : {file, std::string()}) {
        SCOPED_TRACE(name.empty() ? "settings store" : "INI file");
        {
            DisplayView v;
            restyle(v);
            v.window.placement = FramePlacement{0, 3, -1, -1, -1, -1, 10, 20, 610, 420};
            v.view->WriteDisplaySettings(name);
        }
        DisplayView fresh;
        fresh.view->ReadDisplaySettings(name);
        expectRestyled(fresh);
        ASSERT_TRUE(fresh.window.placement.has_value());
        EXPECT_EQ(*fresh.window.placement,
                  (FramePlacement{2, 3, -1, -1, -1, -1, 10, 20, 610, 420}));
        if (!name.empty()) {
            EXPECT_EQ(fresh.view->displaySettingsFile(), name);
            const std::string text = readBytes(name);
            EXPECT_NE(text.find("[GraphSettings\\Trace15]"), std::string::npos);
            EXPECT_NE(text.find("CursorInStatusBar=1"), std::string::npos);
        }
    }
}

TEST_F(SpectrumViewDisplay, ShortLimitKeysAreNotRead)
{
    const std::filesystem::path file = freshFolder("display-files") / "short.display";
    writeBytes(file, "[GraphSettings]\r\nYMax=1.0\r\nXMax=2.0\r\nYMin=3.0\r\nXMin=4.0\r\n"
                     "YAxisMax=900.0\r\nCursorInStatusBar=0\r\n");
    DisplayView v;
    v.view->ReadDisplaySettings(file.string());
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtYMax), 900.0);
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtYMin), 0.0);
    // X from the calibration: 400 nm at pixel 0, 400 + 0.5 * 255 at the last.
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtXMin), 400.0);
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtXMax), 527.5);
}

TEST_F(SpectrumViewDisplay, MissingKeysGiveTheDefaults)
{
    const std::filesystem::path file = freshFolder("display-files") / "empty.display";
    writeBytes(file, "");
    DisplayView v;
    v.window.placement = FramePlacement{0, 1, -1, -1, -1, -1, 1, 2, 3, 4};
    v.view->ReadDisplaySettings(file.string());
    XrtDataStyle trace{};
    XrtGetNthDataStyle(v.chart(), 9, &trace);
    EXPECT_EQ(trace, (XrtDataStyle{2, 2, 0x0000FF, 1, 1, 0x0000FF, 0}));
    EXPECT_EQ(v.intValue(kXrtBackgroundColor), 0x000000);
    EXPECT_EQ(v.intValue(kXrtForegroundColor), 0x00FFFF);
    EXPECT_DOUBLE_EQ(v.doubleValue(kXrtYMax), 4100.0);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtYAxisTitle).toText(), "Intensity (counts)");
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtXAxisTitle).toText(), "Wavelength (nm)");
    EXPECT_EQ(v.view->cursorPixel(), 1024);
    EXPECT_EQ(v.view->cursorStyle().lineColor, 0x00FF00u);
    EXPECT_EQ(v.view->cursorPrecision(), 3);
    EXPECT_EQ(v.view->gridPattern(), 4);
    EXPECT_EQ(v.view->gridStyle().lineColor, 0xFFFF00u);
    EXPECT_EQ(v.intValue(kXrtLegendAnchor), 17);
    EXPECT_EQ(v.intValue(kXrtLegendForegroundColor), 0xFF0000);
    EXPECT_EQ(v.intValue(kXrtLegendBackgroundColor), 0xC0C0C0);
    EXPECT_EQ(v.view->legendFont().face, "Arial");
    EXPECT_EQ(v.view->legendFont().height, 16);
    EXPECT_EQ(v.view->axisFont().height, 18);
    EXPECT_EQ(v.intValue(kXrtHeaderColor), 0x00FFFF);
    EXPECT_EQ(v.view->annotationColor(), 0x00FFFFu);
    EXPECT_EQ(v.view->showOverlayFileName(), 1);
    EXPECT_EQ(v.view->legendFloating(), 1);
    // "xx": the frame stays where it is.
    EXPECT_EQ(*v.window.placement, (FramePlacement{0, 1, -1, -1, -1, -1, 1, 2, 3, 4}));
    // Cursor off: the read-out bar is hidden.
    EXPECT_EQ(v.window.readOutBar, std::optional<bool>(false));
}

TEST_F(SpectrumViewDisplay, AFileWrittenOnWindowsReads)
{
    const std::filesystem::path folder = freshFolder("display-windows");
    writeBytes(folder / "back.bmp", "BM");
    writeBytes(folder / "lab.display",
               "[WindowPlacement]\r\nWindowPlacement=0,1,-1,-1,-1,-1,22,33,622,433\r\n"
               "[GraphSettings\\Trace0]\r\nLinePattern=5\r\nLineColor=65280\r\n"
               "[GraphSettings]\r\nBackgroundColor=16777215\r\nBackgroundBitmapActive=1\r\n"
               "BackgroundBitmapFilename=C:\\Program Files\\Harlune\\back.bmp\r\n"
               "CursorActive=1\r\nCursorActiveTrace=3\r\n"
               "[Legend]\r\nShowCursorIntensity=0\r\nFontName=Times New Roman\r\n");
    DisplayView v;
    v.view->ReadDisplaySettings((folder / "lab.display").string());
    XrtDataStyle trace{};
    XrtGetNthDataStyle(v.chart(), 0, &trace);
    EXPECT_EQ(trace.linePattern, 5);
    EXPECT_EQ(trace.lineColor, 0x00FF00u);
    EXPECT_EQ(v.intValue(kXrtBackgroundColor), 0xFFFFFF);
    EXPECT_EQ(XrtGetValue(v.chart(), kXrtBackgroundBitmap).toText(),
              (folder / "back.bmp").string());
    EXPECT_EQ(v.view->cursorChannel(), 3);
    EXPECT_EQ(v.view->legendFont().face, "Times New Roman");
    EXPECT_EQ(*v.window.placement, (FramePlacement{0, 1, -1, -1, -1, -1, 22, 33, 622, 433}));
    // Cursor on with values in the status bar: the read-out bar shows.
    EXPECT_EQ(v.window.readOutBar, std::optional<bool>(true));
}

TEST_F(SpectrumViewDisplay, GarbageValuesReadAsDefaults)
{
    const std::filesystem::path folder = freshFolder("display-garbage");
    struct Case
    {
        const char* name;
        const char* placement;
    };
    for (const Case& c : {Case{"nine numbers", "0,1,-1,-1,-1,-1,1,2,3"}, Case{"words", "xx,1,2"},
                          Case{"eleven", "0,1,-1,-1,-1,-1,1,2,3,4,5"}}) {
        SCOPED_TRACE(c.name);
        writeBytes(folder / "bad.display",
                   std::string("[WindowPlacement]\r\nWindowPlacement=") + c.placement +
                       "\r\n[GraphSettings\\Trace1]\r\nLinePattern=99\r\nLineColor=4294967295\r\n"
                       "LineWidth=-7\r\nPointSize=100000\r\nFillPattern=-1\r\n"
                       "[GraphSettings]\r\nCursorActiveTrace=12\r\nCursorPixel=-4\r\n"
                       "YAxisMax=nan\r\nPercentPan=-3\r\n"
                       "BackgroundBitmapActive=1\r\nBackgroundBitmapFilename=/nowhere/x.bmp\r\n"
                       "[Cursor]\r\nCursorDisplayPrecision=11\r\n"
                       "[Grid]\r\nLinePattern=42\r\nLineWidth=-1\r\n"
                       "[Legend]\r\nFontSize=100000\r\nBorder=77\r\n"
                       "[AxisFont]\r\nSize=0\r\n");
        DisplayView v;
        v.window.placement = FramePlacement{0, 1, -1, -1, -1, -1, 5, 6, 7, 8};
        v.view->ReadDisplaySettings((folder / "bad.display").string());
        EXPECT_EQ(*v.window.placement, (FramePlacement{0, 1, -1, -1, -1, -1, 5, 6, 7, 8}));
        XrtDataStyle trace{};
        XrtGetNthDataStyle(v.chart(), 1, &trace);
        EXPECT_EQ(trace.linePattern, 2);
        EXPECT_EQ(trace.lineColor, 0xFFFFFFu);
        EXPECT_EQ(trace.lineWidth, 1);
        EXPECT_EQ(trace.pointSize, 0);
        EXPECT_EQ(trace.fillPattern, 2);
        EXPECT_EQ(v.view->cursorChannel(), 0);
        EXPECT_EQ(v.view->cursorPrecision(), 3);
        EXPECT_EQ(v.view->cursorPixel(), 1024);
        EXPECT_DOUBLE_EQ(v.doubleValue(kXrtYMax), 4100.0);
        EXPECT_EQ(v.view->gridPattern(), 4);
        EXPECT_EQ(v.view->gridStyle().lineWidth, 1);
        EXPECT_EQ(v.view->legendFont().height, 16);
        EXPECT_EQ(v.view->axisFont().height, 18);
        EXPECT_EQ(v.intValue(kXrtLegendBorder), 1);
        // A missing picture is named but draws nothing; the chart takes it without failing.
        EXPECT_EQ(XrtGetValue(v.chart(), kXrtBackgroundBitmap).toText(), "/nowhere/x.bmp");
    }
}

TEST_F(SpectrumViewDisplay, SaveAndRestoreCommandsAskAboutTheDefault)
{
    const std::filesystem::path folder = freshFolder("display-commands");
    struct Case
    {
        const char* name;
        FakeSpectrumWindow::Answer answer;
        bool becomesDefault;
    };
    for (const Case& c : {Case{"Yes", FakeSpectrumWindow::Answer::Yes, true},
                          Case{"No", FakeSpectrumWindow::Answer::No, false}}) {
        SCOPED_TRACE(c.name);
        DisplayView v;
        const std::string before = v.view->displaySettingsFile();
        // A name typed without extension comes back from the dialog as ".dis".
        v.window.savedFile = (folder / "mine.dis").string();
        v.window.replies.push_back({c.answer});
        v.view->OnSaveDisplaySettings();
        EXPECT_EQ(v.window.saveDialogs.back(), "Save Display Settings");
        EXPECT_EQ(v.window.saveExtensions.back(), "dis");
        const std::string written = (folder / "mine.display").string();
        EXPECT_TRUE(std::filesystem::exists(written));
        EXPECT_EQ(v.window.messages.back(), "Make " + written + " the default display settings?");
        EXPECT_EQ(v.window.captions.back(), "Default Display Settings");
        EXPECT_EQ(v.view->displaySettingsFile(), c.becomesDefault ? written : before);

        DisplayView r;
        const std::string rBefore = r.view->displaySettingsFile();
        r.window.chosenFile = written;
        r.window.replies.push_back({c.answer});
        r.view->OnRestoreDisplaySettings();
        EXPECT_EQ(r.window.fileDialogs.back(), "Restore Display Settings");
        EXPECT_EQ(r.window.waitCursors, 1);
        EXPECT_EQ(r.window.waitDepth, 0);
        EXPECT_EQ(r.view->displaySettingsFile(), c.becomesDefault ? written : rBefore);

        // The close records the file in use and rewrites only that one.
        r.view->OnDestroy();
        EXPECT_EQ(
            CINIFileSupport(nullptr, 1).GetString("Preferences", "DefaultDisplaySettingsFile"),
            c.becomesDefault ? written : rBefore);
    }
}

TEST_F(SpectrumViewDisplay, ASaveThatCannotBeWrittenSaysSo)
{
    DisplayView v;
    const std::string before = v.view->displaySettingsFile();
    v.window.savedFile =
        (freshFolder("display-unwritable") / "no such folder" / "look.display").string();
    v.view->OnSaveDisplaySettings();
    ASSERT_FALSE(v.window.messages.empty());
    EXPECT_EQ(
        v.window.messages.back(),
        "The display settings could not be written to " + *v.window.savedFile + ".\nThe folder " +
            std::filesystem::path(*v.window.savedFile).parent_path().string() + " does not exist.");
    EXPECT_EQ(v.window.captions.back(), "Save Display Settings");
    EXPECT_EQ(v.view->displaySettingsFile(), before);
}

TEST_F(SpectrumViewDisplay, CreationReadsTheDefaultFileAndCloseWritesIt)
{
    const std::filesystem::path folder = freshFolder("display-default");
    const std::string file = (folder / "start.display").string();
    writeBytes(file, "[GraphSettings]\r\nBackgroundColor=255\r\n");
    CINIFileSupport(nullptr, 1)
        .WriteString("Preferences", "DefaultDisplaySettingsFile", file.c_str());
    {
        DisplayView v;
        EXPECT_EQ(v.view->displaySettingsFile(), file);
        EXPECT_EQ(v.intValue(kXrtBackgroundColor), 255);
        XrtSetValues(v.chart(), {{kXrtBackgroundColor, 0x0000FE}});
        v.frame.viewPrefs.AlwaysSaveDisplaySettings = 0;
        v.view->OnDestroy();
    }
    EXPECT_EQ(readBytes(file), "[GraphSettings]\r\nBackgroundColor=255\r\n");
    {
        DisplayView v;
        XrtSetValues(v.chart(), {{kXrtBackgroundColor, 0x0000FE}});
        v.view->OnDestroy(); // "AlwaysSaveDisplaySettings" 1 by default
    }
    EXPECT_NE(readBytes(file).find("BackgroundColor=254"), std::string::npos);

    // An empty name reads the settings store and becomes "default.display".
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultDisplaySettingsFile", "");
    store.WriteString("GraphSettings", "BackgroundColor", "4660");
    DisplayView v;
    EXPECT_EQ(v.intValue(kXrtBackgroundColor), 4660);
    EXPECT_EQ(v.view->displaySettingsFile(), "default.display");
    v.view->OnDestroy();
    EXPECT_EQ(CINIFileSupport(nullptr, 1).GetString("Preferences", "DefaultDisplaySettingsFile"),
              "default.display");
}

} // namespace
