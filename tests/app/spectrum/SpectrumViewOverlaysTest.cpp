// The spectrum view's cursor, overlay slots and annotations against the fakes, and the
// cursor's arithmetic on its own.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumCursor.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtChart.h"
#include "platform/framework/Menu.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

using namespace app::spectrum;
using namespace app::spectrum::test;
using namespace app::res;
using namespace platform::chart;

namespace {

constexpr uint16_t kOverlaysVelkoType = 0x500; // 256 pixels
constexpr int kPixels = 256;

struct OverlaysView
{
    explicit OverlaysView(std::array<int, 8> enabled = {1, 0, 0, 0, 0, 0, 0, 0},
                          std::array<float, 4> coefs = {400.0f, 0.5f, 0.0f, 0.0f})
    {
        CINIFileSupport store(nullptr, 1);
        if (store.GetString("Preferences", "DefaultSpectrometer").empty() ||
            store.GetString("Preferences", "DefaultSpectrometer") == "XXXX")
            store.WriteString("Preferences", "DefaultSpectrometer",
                              (freshFolder("overlay-config").string() + "/window.spec").c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(kOverlaysVelkoType);
        c.SetADCType(255);
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, static_cast<uint16_t>(enabled[k]));
            c.SetWavelengthCoefs(k, coefs.data());
        }
        view->OnCreate();
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
    }
    XrtHandle chart() const { return view->chart(); }
    ChannelSpectra& spectra() { return document->spectra(); }
    void showCursor()
    {
        if (view->cursorShown() == 0)
            view->OnCommand(ID_CURSOR_ENABLED);
    }
    int textAreas() const { return static_cast<int>(xrtChart(chart())->textAreas().size()); }
    int notesInUse() const
    {
        int n = 0;
        for (int i = 0; i < CHarluneSpectrumView::kAnnotationRecords; ++i)
            n += view->annotation(i).inUse != 0 ? 1 : 0;
        return n;
    }
    // A new note through Annotate Here at a view point.
    void annotate(const std::string& text, int x = 100, int y = 100, XrtColor color = 0x0000FF)
    {
        const auto origin = window.screenOrigin;
        window.contextMenus.clear();
        view->OnContextMenu(origin[0] + x, origin[1] + y);
        window.annotationAnswers.push_back(AnnotationDialogValues{text, color, -14, "Arial"});
        view->OnCommand(ID_ANNOTATE_HERE);
    }

    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

class SpectrumViewOverlays : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int tests = 0;
        const std::filesystem::path registry =
            freshFolder("overlay-registry-" + std::to_string(++tests));
        setenv("HARLUNE_REGISTRY_DIR", (registry / "hives").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (registry / "config").c_str(), 1);
        folder = freshFolder("overlay-files-" + std::to_string(tests));
    }
    std::filesystem::path folder;
};

// A data file of points values, wavelengths 300 + i and values scale * i.
std::string writeDataFile(OverlaysView& w, const std::filesystem::path& path, int points,
                          double scale)
{
    std::vector<double> wl(kSpectrumPoints), v(kSpectrumPoints);
    for (int i = 0; i < points; ++i) {
        wl[i] = 300.0 + i;
        v[i] = scale * i;
    }
    SpectrumFileHeader header;
    header.numberOfPoints = points;
    EXPECT_EQ(w.document->WriteDataFile(path.string(), header, 1, wl.data(), v.data()), 0);
    return path.string();
}

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// ---------------------------------------------------------------------------------------
// The cursor's arithmetic

TEST(SpectrumCursor, Steps)
{
    struct Case
    {
        CursorStep step;
        int pos, lo, hi, expected;
    };
    const Case cases[] = {
        {CursorStep::Left, 0, 0, 255, 255},        {CursorStep::Left, 7, 0, 255, 6},
        {CursorStep::Right, 255, 0, 255, 0},       {CursorStep::Right, 7, 0, 255, 8},
        {CursorStep::BigLeft, 0, 0, 255, 255},     {CursorStep::BigLeft, 24, 0, 255, 0},
        {CursorStep::BigLeft, 25, 0, 255, 0},      {CursorStep::BigLeft, 100, 0, 255, 75},
        {CursorStep::BigRight, 245, 0, 255, 255},  {CursorStep::BigRight, 255, 0, 255, 0},
        {CursorStep::BigRight, 100, 0, 255, 125},  {CursorStep::BigLeft, 99, 99, 199, 199},
        {CursorStep::BigLeft, 110, 99, 199, 99},   {CursorStep::Right, 199, 99, 199, 99},
        {CursorStep::BigRight, 180, 99, 199, 199},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.step)) + " from " + std::to_string(c.pos));
        EXPECT_EQ(cursorStep(c.step, c.pos, c.lo, c.hi), c.expected);
    }
}

// 64 pixels and room beyond, all zero but for what a case plants.
struct Spectrum
{
    std::array<double, 80> buffer{};
    double* v = buffer.data() + 4; // four planted values before pixel 0
    void peak(int at, double top, double step = 1.0)
    {
        for (int k = -3; k <= 3; ++k)
            v[at + k] = top - step * std::abs(k);
    }
};

TEST(SpectrumCursor, PeakSearch)
{
    Spectrum s;
    s.peak(30, 10.0);
    EXPECT_EQ(peakRight(s.v, 64, 0, 0.0), 30);
    EXPECT_EQ(peakLeft(s.v, 64, 50, 0.0), 30);
    EXPECT_EQ(peakRight(s.v, 64, 30, 0.0), 63); // none further: the last pixel
    EXPECT_EQ(peakRight(s.v, 64, 63, 0.0), 2);  // and from there it wraps
    EXPECT_EQ(peakLeft(s.v, 64, 3, 0.0), 2);
    EXPECT_EQ(peakLeft(s.v, 64, 2, 0.0), 63);

    Spectrum flat;
    std::fill(flat.buffer.begin(), flat.buffer.end(), 5.0);
    EXPECT_EQ(peakRight(flat.v, 64, 0, 0.0), 63);
    EXPECT_EQ(peakLeft(flat.v, 64, 40, 0.0), 2);

    Spectrum plateau;
    plateau.peak(30, 10.0);
    plateau.peak(31, 10.0);
    plateau.v[30] = plateau.v[31] = 10.0;
    EXPECT_EQ(peakRight(plateau.v, 64, 0, 0.0), 63);

    // A peak needs three falling neighbours inside the spectrum on each side: values planted
    // beyond the last pixel and before the first make none.
    Spectrum ends;
    ends.peak(62, 10.0); // v[63..65], two of them beyond pixel 63
    ends.peak(1, 10.0);  // v[-2], v[-1] before pixel 0
    EXPECT_EQ(peakRight(ends.v, 64, 40, 0.0), 63);
    EXPECT_EQ(peakLeft(ends.v, 64, 40, 0.0), 2);
    Spectrum inside;
    inside.peak(60, 10.0);
    inside.peak(3, 10.0);
    EXPECT_EQ(peakRight(inside.v, 64, 40, 0.0), 60);
    EXPECT_EQ(peakLeft(inside.v, 64, 40, 0.0), 3);
}

TEST(SpectrumCursor, PeakThreshold)
{
    Spectrum s;
    s.v[18] = 1.0;
    const double scope = peakThreshold(Scope, false, s.v, 64);
    EXPECT_EQ(scope, 3.0999999046325684);
    EXPECT_DOUBLE_EQ(peakThreshold(Scope, true, s.v, 64), std::log10(3.1));
    EXPECT_EQ(peakThreshold(Absorbance, false, s.v, 64), 0.0);
    EXPECT_EQ(peakThreshold(Scope, false, s.v, 18), 0.0); // no pixel 18

    s.peak(40, 3.09, 0.01); // below 3.1 x v[18]: skipped
    s.peak(50, 3.1, 0.01);  // 3.1 in double precision is above the widened float
    EXPECT_EQ(peakRight(s.v, 64, 0, scope), 50);
}

TEST(SpectrumCursor, PeakAndWidth)
{
    // A triangle of 100 at pixel 30 falling by 10 a pixel: crossings at 25 and 35.
    Spectrum t;
    for (int k = -10; k <= 10; ++k)
        t.v[30 + k] = 100.0 - 10.0 * std::abs(k);
    PeakWidth pw = peakAndWidth(t.v, 64, 0, 64);
    EXPECT_EQ(pw.peak, 30);
    EXPECT_DOUBLE_EQ(pw.left, 25.0);
    EXPECT_DOUBLE_EQ(pw.right, 35.0);
    // Outside the displayed range the peak is not seen: nothing above zero gives pixel 0.
    EXPECT_EQ(peakAndWidth(t.v, 64, 41, 64).peak, 0);

    // A step too flat to interpolate: the left fallback.
    Spectrum step = t;
    step.v[26] = 50.0 + 1e-6;
    step.v[25] = 50.0;
    EXPECT_EQ(peakAndWidth(step.v, 64, 0, 64).left, 0.0);

    // Runs that reach the ends: no value beyond counts, whatever is planted there.
    Spectrum ends;
    for (int i = 0; i < 64; ++i)
        ends.v[i] = 100.0;
    ends.v[-1] = 0.0;
    ends.v[64] = 0.0;
    pw = peakAndWidth(ends.v, 64, 0, 64);
    EXPECT_EQ(pw.peak, 0);
    EXPECT_EQ(pw.left, 0.0);
    EXPECT_EQ(pw.right, 1000.0);

    // Nothing above zero: pixel 0 and both fallbacks.
    Spectrum zero;
    pw = peakAndWidth(zero.v, 64, 0, 64);
    EXPECT_EQ(pw.peak, 0);
    EXPECT_EQ(pw.left, 0.0);
    EXPECT_EQ(pw.right, 1000.0);
}

TEST(SpectrumCursor, OverlayIndexRule)
{
    std::vector<double> w(kSpectrumPoints);
    for (int i = 0; i < kSpectrumPoints; ++i)
        w[i] = 300.0 + i;
    EXPECT_EQ(overlayIndex(w.data(), 250.0), 0); // every wavelength above
    EXPECT_EQ(overlayIndex(w.data(), 310.5), 11);
    EXPECT_EQ(overlayIndex(w.data(), 302.0), 0); // index 2 counts as 0
    EXPECT_EQ(overlayIndex(w.data(), 303.0), 3);
    EXPECT_EQ(overlayIndex(w.data(), 3000.0), 2047);
}

// ---------------------------------------------------------------------------------------
// The cursor in the view

TEST_F(SpectrumViewOverlays, ReadOutTexts)
{
    OverlaysView w({1, 1, 0, 0, 0, 0, 0, 0});
    for (int i = 0; i < kPixels; ++i) {
        w.spectra().processed[0][i] = 1.5 * i;
        w.spectra().processed[1][i] = 2.0 * i;
    }
    OverlaySlots& o = w.document->overlays();
    o.loaded[1] = 1;
    o.fileNames[1] = "/data/ov.scope";
    for (int i = 0; i < kSpectrumPoints; ++i) {
        o.wavelengths[1][i] = 300.0 + i;
        o.values[1][i] = 0.25 * i;
    }
    w.view->setCursorPixel(10);
    w.showCursor();
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(true));
    EXPECT_EQ(w.view->cursorBarText(), "M: 405.00 nm--M: 10, 15.000 | S1: 9, 18.000 | O2: 105, "
                                       "26.250 ");
    EXPECT_EQ(w.window.readOuts.back(), w.view->cursorBarText());
    EXPECT_EQ(w.view->cursorReadOut(0), "405.00 nm, 10, 15.000");
    EXPECT_EQ(w.view->cursorReadOut(1), "9, 18.000");
    EXPECT_EQ(w.view->cursorReadOut(9), "105, 26.250");
    EXPECT_EQ(XrtGetValue(w.chart(), kXrtMarkerPoint).toInt(), 10);
    EXPECT_EQ(XrtGetValue(w.chart(), kXrtMarkerShown).toInt(), 1);

    // Slave 1 controls, with no decimals and the values in the legend.
    CursorDialogValues answer;
    answer.channel = 1;
    answer.precision = 0;
    answer.valuesInLegend = 1;
    w.window.cursorAnswer = answer;
    w.view->OnCommand(ID_CURSOR_CONFIGURE);
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(false));
    EXPECT_EQ(XrtGetValue(w.chart(), kXrtMarkerDataSet).toInt(), 1);
    w.view->UpdateCursor();
    EXPECT_EQ(w.view->cursorBarText(), "S1: 405.00 nm--M: 9, 14 | S1: 10, 20 | O2: 105, 26 ");
    EXPECT_EQ(w.view->legendLabels()[1], "Slave 1: 405.00 nm, 10, 20");
    EXPECT_EQ(w.view->legendLabels()[9], "ov.scope: 105, 26");

    // A channel that is not enabled is refused.
    answer.channel = 3;
    w.window.cursorAnswer = answer;
    w.view->OnCommand(ID_CURSOR_CONFIGURE);
    EXPECT_EQ(w.window.captions.back(), "Cursor Configuration Warning");
    EXPECT_EQ(w.window.messages.back(),
              "You selected a non-active graph trace to control the cursor.  The controlling "
              "graph trace will not be changed.");
    EXPECT_EQ(w.view->cursorChannel(), 1);

    // Hidden: no more read-outs.
    const std::size_t readOuts = w.window.readOuts.size();
    w.view->OnCommand(ID_CURSOR_ENABLED);
    w.view->UpdateCursor();
    EXPECT_EQ(w.window.readOuts.size(), readOuts);
    EXPECT_EQ(XrtGetValue(w.chart(), kXrtMarkerShown).toInt(), 0);
}

TEST_F(SpectrumViewOverlays, PeakAndWidthText)
{
    // λ(x) = 400 + 0.5 x + 0.001 x²: the width in nanometres is taken at the crossings.
    OverlaysView w({1, 0, 0, 0, 0, 0, 0, 0}, {400.0f, 0.5f, 0.001f, 0.0f});
    for (int k = -10; k <= 10; ++k)
        w.spectra().processed[0][100 + k] = 100.0 - 10.0 * std::abs(k);
    w.frame.viewPrefs.ManufacturingExtensionsEnabled = 1;
    w.view->setCursorPixel(100);
    w.showCursor();
    const double lambda100 = w.view->configuration().PixelToWavelength(0, 100);
    const auto lambda = [](double x) {
        return 400.0 + static_cast<double>(0.5f) * x + static_cast<double>(0.001f) * x * x;
    };
    char expected[200];
    std::snprintf(expected, sizeof expected, " | Peak:  100 - %.3f | FWHM 10.000 pix, %.3f nm",
                  lambda100, lambda(105.0) - lambda(95.0));
    const std::string bar = w.view->cursorBarText();
    ASSERT_GE(bar.size(), std::strlen(expected));
    EXPECT_EQ(bar.substr(bar.size() - std::strlen(expected)), expected);
    EXPECT_NE(w.view->cursorReadOut(0).find(" | Peak:  100"), std::string::npos);
}

TEST_F(SpectrumViewOverlays, CursorKeysAndCommands)
{
    OverlaysView w;
    w.showCursor();
    w.spectra().processed[0].fill(0.0);
    for (int k = -3; k <= 3; ++k)
        w.spectra().processed[0][120 + k] = 10.0 - std::abs(k);
    struct Case
    {
        unsigned key;
        int from, to;
    };
    const Case cases[] = {
        {0x25, 0, 255},   {0x27, 255, 0}, {0x22, 10, 0},    {0x21, 245, 255},
        {0x21, 100, 125}, {0xBE, 0, 120}, {0xBC, 200, 120}, {0xBC, 3, 2},
        {0xBC, 2, 255},   {0x24, 50, 0},  {0x23, 50, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " from " + std::to_string(c.from));
        w.view->setCursorPixel(c.from);
        w.view->OnKeyDown(c.key);
        EXPECT_EQ(w.view->cursorPixel(), c.to);
    }

    // The commands ask the script first; a refused one does nothing.
    w.view->setCursorPixel(50);
    w.frame.forbidden = mvSpecViewCursorLittleRight;
    w.view->OnCommand(ID_CURSOR_RIGHT);
    EXPECT_EQ(w.view->cursorPixel(), 50);
    w.frame.forbidden = 0;
    w.view->OnCommand(ID_CURSOR_RIGHT);
    EXPECT_EQ(w.view->cursorPixel(), 51);
    EXPECT_TRUE(w.view->commandState(ID_CURSOR_RIGHT).enabled);
    EXPECT_EQ(w.view->commandState(ID_CURSOR_ENABLED).checked, 1);
    w.view->OnCommand(ID_CURSOR_ENABLED);
    EXPECT_FALSE(w.view->commandState(ID_CURSOR_RIGHT).enabled);
    EXPECT_EQ(w.view->commandState(ID_CURSOR_ENABLED).checked, 0);
}

TEST_F(SpectrumViewOverlays, RangeLimitOnAZoomedChart)
{
    OverlaysView w;
    CursorDialogValues answer;
    answer.limitToDisplay = 1;
    w.window.cursorAnswer = answer;
    w.view->OnCommand(ID_CURSOR_CONFIGURE);
    w.showCursor();
    // 450 nm is pixel 100 and 500 nm pixel 200: the last pixels below them are 99 and 199.
    XrtSetValues(w.chart(), {{kXrtXMin, 450.0}, {kXrtXMax, 500.0}});
    w.view->setCursorPixel(99);
    w.view->OnCommand(ID_CURSOR_BIG_LEFT);
    EXPECT_EQ(w.view->cursorPixel(), 199);
    w.view->OnCommand(ID_CURSOR_RIGHT);
    EXPECT_EQ(w.view->cursorPixel(), 99);
    // A peak search that ends outside the range stops at its edge.
    w.view->setCursorPixel(150);
    w.view->OnCommand(ID_CURSOR_PEAK_LEFT);
    EXPECT_EQ(w.view->cursorPixel(), 99);
    w.view->OnCommand(ID_CURSOR_PEAK_RIGHT);
    EXPECT_EQ(w.view->cursorPixel(), 199);
}

// ---------------------------------------------------------------------------------------
// Overlays

TEST_F(SpectrumViewOverlays, LoadAndClear)
{
    OverlaysView w;
    const std::string path = writeDataFile(w, folder / "half.scope", 2048, 2.0);
    w.window.chosenFile = path;
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    ASSERT_EQ(w.window.fileDialogs.back(), "Load Data into Overlay Slot 3");
    const OverlaySlots& o = w.document->overlays();
    EXPECT_EQ(o.loaded[2], 1);
    EXPECT_EQ(o.fileNames[2], path);
    EXPECT_EQ(o.values[2][2047], 4094.0);
    EXPECT_EQ(XrtDataGetLastPoint(w.view->chartData(), 10), 2047);
    EXPECT_EQ(w.view->commandState(ID_OVERLAY_FIRST + 2).checked, 1);
    EXPECT_TRUE(w.view->commandState(ID_OVERLAY_CLEAR_ALL).enabled);

    // Declined, then confirmed.
    w.window.replies.push_back({SpectrumDocWindow::Answer::No});
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    EXPECT_EQ(w.window.messages.back(), "You are about to clear overlay slot 3, containing " +
                                            path + ".  Are you sure you wish to continue?");
    EXPECT_EQ(w.window.captions.back(), "Clear Overlay");
    EXPECT_EQ(o.loaded[2], 1);
    EXPECT_EQ(o.values[2][100], 200.0);
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    EXPECT_EQ(o.loaded[2], 0);
    EXPECT_EQ(o.values[2][100], 0.0);
    EXPECT_EQ(o.fileNames[2], path); // kept for the next load
    EXPECT_FALSE(w.view->commandState(ID_OVERLAY_CLEAR_ALL).enabled);

    // Without the warning a loaded slot clears at once.
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    w.frame.viewPrefs.OverlayClearWarning = 0;
    const std::size_t asked = w.window.messages.size();
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    EXPECT_EQ(o.loaded[2], 0);
    EXPECT_EQ(w.window.messages.size(), asked);

    // Cancel leaves the slot empty.
    w.window.chosenFile.reset();
    w.view->OnCommand(ID_OVERLAY_FIRST);
    EXPECT_EQ(o.loaded[0], 0);
}

TEST_F(SpectrumViewOverlays, ClearAllAsksOnce)
{
    OverlaysView w;
    w.window.chosenFile = writeDataFile(w, folder / "a.scope", 256, 1.0);
    for (int s : {0, 4, 7})
        w.view->OnCommand(ID_OVERLAY_FIRST + s);
    w.window.messages.clear();
    w.window.replies.push_back({SpectrumDocWindow::Answer::No});
    w.view->OnCommand(ID_OVERLAY_CLEAR_ALL);
    EXPECT_EQ(w.window.messages.size(), 1u);
    EXPECT_EQ(w.window.captions.back(), "Clear All Overlays");
    EXPECT_EQ(w.document->overlays().loaded[4], 1);
    w.view->OnCommand(ID_OVERLAY_CLEAR_ALL);
    EXPECT_EQ(w.window.messages.size(), 2u);
    for (int s = 0; s < kOverlaySlots; ++s)
        EXPECT_EQ(w.document->overlays().loaded[s], 0);
    EXPECT_EQ(w.frame.viewPrefs.OverlayClearWarning, 1);
}

TEST_F(SpectrumViewOverlays, ARefusedFileLeavesTheSlot)
{
    OverlaysView w;
    const std::filesystem::path bad = folder / "bad.scope";
    writeBytes(bad, std::string("\x01\x02garbage\xff", 11));
    w.window.chosenFile = bad.string();
    // Its notes are not read either.
    writeBytes(bad.string() + ".anno", std::string(4, '\0'));
    w.view->OnCommand(ID_OVERLAY_FIRST + 1);
    const OverlaySlots& o = w.document->overlays();
    EXPECT_EQ(o.loaded[1], 0);
    EXPECT_TRUE(o.fileNames[1].empty());
    EXPECT_FALSE(w.window.messages.empty()); // the reader said why

    // A loaded slot keeps its file when a reload is refused.
    const std::string good = writeDataFile(w, folder / "good.scope", 256, 1.0);
    w.window.chosenFile = good;
    w.view->OnCommand(ID_OVERLAY_FIRST + 1);
    w.window.chosenFile = bad.string();
    EXPECT_EQ(w.view->LoadOverlay(1), 0);
    EXPECT_EQ(o.fileNames[1], good);
    EXPECT_EQ(o.values[1][10], 10.0);
}

TEST_F(SpectrumViewOverlays, MenuTexts)
{
    using namespace platform::framework;
    OverlaysView w;
    const HMENU menu = CreateMenu();
    for (unsigned id = ID_OVERLAY_FIRST; id <= ID_OVERLAY_LAST; ++id)
        AppendMenu(menu, MF_STRING, id, "placeholder");
    w.window.menu = menu;
    const std::string path = writeDataFile(w, folder / "m.scope", 256, 1.0);
    w.window.chosenFile = path;
    w.view->OnCommand(ID_OVERLAY_FIRST + 1);
    EXPECT_EQ(GetMenuString(menu, ID_OVERLAY_FIRST + 1, MF_BYCOMMAND), "&2.  " + path);
    EXPECT_EQ(GetMenuString(menu, ID_OVERLAY_FIRST, MF_BYCOMMAND),
              "&1. -- Select to add overlay...");
    EXPECT_EQ(GetMenuString(menu, ID_OVERLAY_LAST, MF_BYCOMMAND),
              "&8. -- Select to add overlay...");
    EXPECT_NE(GetMenuState(menu, ID_OVERLAY_FIRST + 1, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuState(menu, ID_OVERLAY_FIRST, MF_BYCOMMAND) & MF_CHECKED, 0u);
    // Slot 8 asks the script with its own value.
    w.frame.verified.clear();
    w.window.chosenFile.reset();
    w.view->OnCommand(ID_OVERLAY_LAST);
    EXPECT_EQ(w.frame.verified, std::vector<int>{0x1003008});
    DestroyMenu(menu);
}

// ---------------------------------------------------------------------------------------
// Annotations

TEST_F(SpectrumViewOverlays, AnnotateHereAndTheContextMenu)
{
    OverlaysView w;
    w.view->OnSize(600, 400);
    w.annotate("first");
    ASSERT_EQ(w.notesInUse(), 1);
    const auto& note = w.view->annotation(0);
    EXPECT_STREQ(note.text, "first");
    EXPECT_EQ(note.overlaySlot, -1);
    EXPECT_EQ(w.window.annotationDialogs.back().record, -1);
    EXPECT_GT(note.rect[2], note.rect[0]);
    EXPECT_GT(note.rect[3], note.rect[1]);
    double x = 0.0, y = 0.0;
    XrtMap(w.chart(), kXrtMapToData, 100, 100, &x, &y);
    EXPECT_EQ(note.x, x);
    EXPECT_EQ(note.y, y);

    // A right-click on the note offers the annotation pop-up, elsewhere the general one.
    const auto origin = w.window.screenOrigin;
    w.window.contextMenus.clear();
    w.view->OnContextMenu(origin[0] + note.rect[0] + 1, origin[1] + note.rect[1] + 1);
    EXPECT_EQ(w.window.contextMenus.back().popup, 1);
    EXPECT_EQ(w.view->selectedAnnotation(), 0);
    w.view->OnContextMenu(origin[0] + note.rect[2] + 50, origin[1] + note.rect[3] + 50);
    EXPECT_EQ(w.window.contextMenus.back().popup, 0);
    EXPECT_EQ(w.view->selectedAnnotation(), -1);

    // Edit starts from the note and takes the dialog's answer.
    w.view->OnContextMenu(origin[0] + note.rect[0] + 1, origin[1] + note.rect[1] + 1);
    w.window.annotationAnswers.push_back(AnnotationDialogValues{"edited", 0x00FF00, -20, "Serif"});
    w.view->OnCommand(ID_ANNOTATION_EDIT);
    EXPECT_EQ(w.window.annotationDialogs.back().record, 0);
    EXPECT_EQ(w.window.annotationDialogs.back().values.text, "first");
    EXPECT_STREQ(note.text, "edited");
    EXPECT_EQ(note.color, 0x00FF00u);
    EXPECT_EQ(note.font.lfHeight, -20);

    // Move follows the mouse; the next press ends it.
    w.view->OnCommand(ID_ANNOTATION_MOVE);
    EXPECT_TRUE(w.window.mouseCaptured);
    w.view->OnMouseMove(300, 200);
    XrtMap(w.chart(), kXrtMapToData, 300, 200, &x, &y);
    EXPECT_EQ(note.x, x);
    EXPECT_EQ(note.y, y);
    w.view->OnLButtonDown(300, 200);
    EXPECT_FALSE(w.window.mouseCaptured);
    EXPECT_EQ(w.view->annotationMoving(), 0);
    w.view->OnMouseMove(10, 10);
    EXPECT_EQ(note.x, x);

    // Clear frees it and hides its area.
    w.view->OnContextMenu(origin[0] + note.rect[0] + 1, origin[1] + note.rect[1] + 1);
    w.view->OnCommand(ID_ANNOTATION_CLEAR);
    EXPECT_EQ(note.inUse, 0);
    EXPECT_STREQ(note.text, "Enter your annotation here");
    EXPECT_EQ(XrtTextAreaGetValues(note.textArea, {}), 1);
}

TEST_F(SpectrumViewOverlays, FreedRecordsAreReusedWithTheirTextAreas)
{
    OverlaysView w;
    const int ownAreas = w.textAreas();
    for (const char* t : {"a", "b", "c"})
        w.annotate(t, 50, 50);
    const auto origin = w.window.screenOrigin;
    // Clear the first note; the next one takes record 0 again.
    const auto r = w.view->annotation(0).rect;
    w.view->OnContextMenu(origin[0] + r[0] + 1, origin[1] + r[1] + 1);
    w.view->OnCommand(ID_ANNOTATION_CLEAR);
    w.annotate("d", 50, 50);
    EXPECT_STREQ(w.view->annotation(0).text, "d");
    EXPECT_EQ(w.textAreas(), ownAreas + 3);

    for (int cycle = 0; cycle < 100; ++cycle) {
        w.annotate("again", 200, 200);
        w.view->OnCommand(ID_ANNOTATION_CLEAR_ALL);
    }
    // The first cycle took record 3; every later one record 0: one area per record used.
    EXPECT_EQ(w.notesInUse(), 0);
    EXPECT_EQ(w.textAreas(), ownAreas + 4);

    // With every record in use Annotate Here asks nothing and does nothing.
    for (int i = 0; i < CHarluneSpectrumView::kAnnotationRecords; ++i)
        w.annotate("n", 10, 10);
    ASSERT_EQ(w.notesInUse(), CHarluneSpectrumView::kAnnotationRecords);
    const std::size_t dialogs = w.window.annotationDialogs.size();
    w.annotate("one too many", 10, 10);
    EXPECT_EQ(w.window.annotationDialogs.size(), dialogs);
}

TEST_F(SpectrumViewOverlays, AnnoFileGoldenBytes)
{
    OverlaysView w;
    w.annotate("Na D", 120, 80, 0x0000FF);
    w.annotate(std::string(99, 'x'), 300, 150, 0x00FF00);
    const std::string data = (folder / "s.scope").string();
    ASSERT_EQ(w.view->WriteAnnotations(data), 1);
    const std::string bytes = fileBytes(data + ".anno");
    ASSERT_EQ(bytes.size(), 4u + 2 * 204);
    int32_t count = 0;
    std::memcpy(&count, bytes.data(), 4);
    EXPECT_EQ(count, 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto& note = w.view->annotation(i);
        const char* p = bytes.data() + 4 + 204 * i;
        const std::string text(note.text);
        EXPECT_EQ(std::string(p, text.size()), text);
        // Zeros after the terminator.
        EXPECT_EQ(std::string(p + text.size(), 100 - text.size()),
                  std::string(100 - text.size(), '\0'));
        int32_t ints[6];
        std::memcpy(ints, p + 100, sizeof ints);
        EXPECT_EQ(ints[0], note.rect[0]);
        EXPECT_EQ(ints[3], note.rect[3]);
        EXPECT_EQ(ints[4], note.pixel[0]);
        EXPECT_EQ(ints[5], note.pixel[1]);
        double xy[2];
        std::memcpy(xy, p + 124, sizeof xy);
        EXPECT_EQ(xy[0], note.x);
        EXPECT_EQ(xy[1], note.y);
        uint32_t colour = 0;
        std::memcpy(&colour, p + 140, 4);
        EXPECT_EQ(colour, i == 0 ? 0x0000FFu : 0x00FF00u);
        AnnotationLogFont font;
        std::memcpy(&font, p + 144, 60);
        EXPECT_EQ(font.lfHeight, -14);
        EXPECT_STREQ(font.lfFaceName, "Arial");
        EXPECT_EQ(font.lfWeight, 0);
    }

    // A 99-character text survives; a fresh window reads both back.
    OverlaysView other;
    other.view->OnSize(600, 400);
    ASSERT_EQ(other.view->ReadAnnotations(data, 1, -1), 1);
    EXPECT_EQ(other.notesInUse(), 2);
    EXPECT_EQ(std::string(other.view->annotation(1).text), std::string(99, 'x'));
    EXPECT_EQ(other.view->annotation(0).x, w.view->annotation(0).x);

    // A longer text is cut to 99 bytes at a character boundary.
    w.annotate(std::string(98, 'y') + "\xc3\xa9", 10, 10);
    EXPECT_EQ(std::string(w.view->annotation(2).text), std::string(98, 'y'));
}

TEST_F(SpectrumViewOverlays, ReadingAddsOrReplaces)
{
    OverlaysView source;
    for (const char* t : {"one", "two", "three"})
        source.annotate(t, 40, 40);
    const std::string data = (folder / "three.scope").string();
    ASSERT_EQ(source.view->WriteAnnotations(data), 1);

    OverlaysView w;
    w.annotate("mine 1");
    w.annotate("mine 2");
    ASSERT_EQ(w.view->ReadAnnotations(data, 0, 4), 1);
    EXPECT_EQ(w.notesInUse(), 5);
    EXPECT_EQ(w.view->annotation(4).overlaySlot, 4);
    EXPECT_EQ(w.view->annotation(0).overlaySlot, -1);
    ASSERT_EQ(w.view->ReadAnnotations(data, 1, -1), 1);
    EXPECT_EQ(w.notesInUse(), 3);
    EXPECT_STREQ(w.view->annotation(0).text, "one");

    // Missing file: 0, nothing changes.
    EXPECT_EQ(w.view->ReadAnnotations((folder / "none").string(), 1, -1), 0);
    EXPECT_EQ(w.notesInUse(), 3);

    // No notes: nothing written, an older file left alone.
    OverlaysView empty;
    const std::string before = fileBytes(data + ".anno");
    EXPECT_EQ(empty.view->WriteAnnotations(data), 0);
    EXPECT_EQ(fileBytes(data + ".anno"), before);
    EXPECT_EQ(empty.view->WriteAnnotations((folder / "nothing").string()), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "nothing.anno"));
}

TEST_F(SpectrumViewOverlays, ClearingASlotRemovesItsNotes)
{
    OverlaysView source;
    source.annotate("from file", 40, 40);
    OverlaysView w;
    w.frame.viewPrefs.OpenOverlayAnnotation = 1;
    const std::string a = writeDataFile(w, folder / "a.scope", 256, 1.0);
    const std::string b = writeDataFile(w, folder / "b.scope", 256, 1.0);
    ASSERT_EQ(source.view->WriteAnnotations(a), 1);
    ASSERT_EQ(source.view->WriteAnnotations(b), 1);
    w.annotate("live");
    w.window.chosenFile = a;
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    w.window.chosenFile = b;
    w.view->OnCommand(ID_OVERLAY_FIRST + 5);
    ASSERT_EQ(w.notesInUse(), 3);
    w.frame.viewPrefs.OverlayClearWarning = 0;
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    EXPECT_EQ(w.notesInUse(), 2);
    EXPECT_EQ(w.view->annotation(0).inUse, 1);
    EXPECT_EQ(w.view->annotation(1).inUse, 0);
    EXPECT_EQ(w.view->annotation(2).overlaySlot, 5);

    // Without "OpenOverlayAnnotation" a load brings no notes.
    w.frame.viewPrefs.OpenOverlayAnnotation = 0;
    w.window.chosenFile = a;
    w.view->OnCommand(ID_OVERLAY_FIRST + 2);
    EXPECT_EQ(w.notesInUse(), 2);
}

TEST_F(SpectrumViewOverlays, BadAnnoFiles)
{
    OverlaysView source;
    source.annotate("good", 40, 40);
    source.annotate("also good", 60, 60);
    const std::string data = (folder / "g.scope").string();
    ASSERT_EQ(source.view->WriteAnnotations(data), 1);
    const std::string good = fileBytes(data + ".anno");

    const auto withCount = [&good](int32_t count) {
        std::string b = good;
        std::memcpy(b.data(), &count, 4);
        return b;
    };
    std::string noTerminators = good;
    std::memset(noTerminators.data() + 4, 'z', 100);
    std::memset(noTerminators.data() + 4 + 144 + 28, 'f', 32);
    std::string hugeFont = good;
    const int32_t height = 2000000000;
    std::memcpy(hugeFont.data() + 4 + 144, &height, 4);
    struct Case
    {
        const char* name;
        std::string bytes;
        int result;
        int notes; // after reading into a window with one note
    };
    const Case cases[] = {
        {"negative count", withCount(-5), 0, 1},
        {"zero count", withCount(0), 0, 1},
        {"count beyond the file", withCount(1000), 1, 3},
        {"truncated record", good.substr(0, 4 + 204 + 100), 1, 2},
        {"only part of the count", good.substr(0, 3), 0, 1},
        {"no terminators", noTerminators, 1, 3},
        {"absurd font height", hugeFont, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OverlaysView w;
        w.annotate("already here");
        const std::string path = (folder / "bad.scope").string();
        writeBytes(path + ".anno", c.bytes);
        EXPECT_EQ(w.view->ReadAnnotations(path, 1, -1), c.result);
        EXPECT_EQ(w.notesInUse(), c.notes - (c.result == 1 ? 1 : 0));
        if (c.result == 0) {
            EXPECT_STREQ(w.view->annotation(0).text, "already here");
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_LT(std::strlen(w.view->annotation(i).text), 100u);
    }

    // A file longer than the free records stops at the last free one.
    OverlaysView full;
    for (int i = 0; i < CHarluneSpectrumView::kAnnotationRecords - 1; ++i)
        full.annotate("n", 10, 10);
    EXPECT_EQ(full.view->ReadAnnotations(data, 0, 2), 1);
    EXPECT_EQ(full.notesInUse(), CHarluneSpectrumView::kAnnotationRecords);
    EXPECT_STREQ(full.view->annotation(199).text, "good");
}

TEST_F(SpectrumViewOverlays, PrintingRestoresEveryNotesColour)
{
    OverlaysView w;
    w.frame.viewPrefs.PrintBWOnly = 1;
    w.annotate("red", 40, 40, 0x0000FF);
    w.annotate("green", 80, 80, 0x00FF00);
    const auto colour = [&w](int i) {
        int c = -1;
        XrtTextAreaGetValues(w.view->annotation(i).textArea, {{kXrtTextAreaColor, &c}});
        return c;
    };
    const auto saved = w.view->beginPrint();
    EXPECT_EQ(colour(0), 0);
    EXPECT_EQ(colour(1), 0);
    w.view->endPrint(saved);
    EXPECT_EQ(colour(0), 0x0000FF);
    EXPECT_EQ(colour(1), 0x00FF00);
}

} // namespace
