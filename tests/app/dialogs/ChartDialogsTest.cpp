// The chart dialogs offscreen, against a recording chart, fake spectrum and graph views and
// scripted UI services; the font lists come from a fixed face list.
#include "app/dialogs/ChartDialogAdapters.h"
#include "app/dialogs/ConfigureAxisTextDialog.h"
#include "app/dialogs/ConfigureChartTracesDialog.h"
#include "app/dialogs/ConfigureLegendDialog.h"
#include "app/dialogs/ConfigureSpectrumGridDialog.h"
#include "app/dialogs/EditAnnotationDialog.h"
#include "app/dialogs/SetSpectrumScaleDialog.h"
#include "app/windows/HarluneGraphView.h"
#include "platform/chart/ColorPanel.h"
#include "platform/chart/Xrt.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/ChartDialogFakes.h"
#include "toolkit/widgets/COXFontComboBox.h"
#include "toolkit/widgets/COXTextLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace app::dialogs;
using namespace app::dialogs::test;
using platform::framework::findControl;

namespace {

COXFontListBox::FontFace face(const std::string& name)
{
    COXFontListBox::FontFace f;
    platform::qt::setFaceName(f.logFont, name);
    f.fontType = COXFontListBox::TRUETYPE_FONTTYPE;
    return f;
}

class ChartDialogsTest : public ::testing::Test
{
protected:
    // The installed faces: "Arial", the owners' face, is not among them unless a test adds it.
    void SetUp() override
    {
        COXFontListBox::setFontSource([this] { return faces; });
    }
    void TearDown() override { COXFontListBox::setFontSource({}); }

    std::vector<COXFontListBox::FontFace> faces{face("Bitter"), face("Cantor"), face("Dorian")};
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingChart chart;
    ScopedDialogChart scopedChart{chart};
};

void setSize(QComboBox* box, const char* text)
{
    box->setEditText(QString::fromUtf8(text));
}

// The font last handed to a chart property.
platform::chart::XrtFont lastFont(const RecordingChart& chart, int property)
{
    for (auto it = chart.calls.rbegin(); it != chart.calls.rend(); ++it)
        if (it->kind == ChartCall::Set && it->id == property)
            return it->value.toFont();
    return {};
}

// Edit Annotation ---------------------------------------------------------------------------

TEST_F(ChartDialogsTest, NewAnnotationStartsWithItsTextSelected)
{
    faces.push_back(face("Arial"));
    FakeSpectrumOwner owner;
    owner.defaults = {"", {"Arial", 24}, 0x0000FF};
    chart.values[platform::chart::kXrtBackgroundColor] = 0x202020;
    CEditAnnotationDialog dialog(owner, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Edit Annotation");
    auto* text = findControl<QLineEdit>(&dialog, 1571);
    EXPECT_EQ(text->text(), "Enter your annotation here");
    EXPECT_EQ(text->selectedText(), "Enter your annotation here");
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1564)->currentText(), "Arial");
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1565)->currentText(), "24");
    EXPECT_EQ(findControl<platform::chart::CColorPanel>(&dialog, 1572)->GetBackColor(), 0x0000FFu);
    COXTextLabel* preview = dialog.preview();
    EXPECT_EQ(preview->GetText(), "Enter your annotation here");
    EXPECT_EQ(preview->GetBkColor(), 0x202020u);
    EXPECT_EQ(preview->GetTextColor(), 0x0000FFu);

    text->setText("Peak A");
    EXPECT_EQ(preview->GetText(), "Peak A");
    ui.answerColorDialog(0x00FF00u);
    emit findControl<platform::chart::CColorPanel>(&dialog, 1572)->Click();
    EXPECT_EQ(preview->GetTextColor(), 0x00FF00u);
    dialog.pressOk();
    EXPECT_EQ(dialog.result(), CEditAnnotationDialog::IDOK);
    EXPECT_EQ(dialog.m_text, "Peak A");
    EXPECT_EQ(dialog.m_faceName, "Arial");
    EXPECT_EQ(dialog.m_size, 24);
    EXPECT_EQ(dialog.m_color, 0x00FF00u);
}

TEST_F(ChartDialogsTest, ExistingAnnotationLoadsItsSlot)
{
    FakeSpectrumOwner owner;
    owner.annotations[2] = {"Lamp on", {"Cantor", 30}, 0x112233};
    CEditAnnotationDialog dialog(owner, nullptr);
    dialog.m_annotationIndex = 2;
    dialog.show();
    EXPECT_EQ(findControl<QLineEdit>(&dialog, 1571)->text(), "Lamp on");
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1564)->currentText(), "Cantor");
    findControl<QComboBox>(&dialog, 1564)->setCurrentIndex(2);
    EXPECT_EQ(dialog.m_faceName, "Dorian");
    EXPECT_EQ(dialog.preview()->GetFontName(), "Dorian");
    dialog.pressOk();
    EXPECT_EQ(dialog.m_size, 30);
}

TEST_F(ChartDialogsTest, MakeDefaultThenCancelStillChangesTheDefaults)
{
    faces.push_back(face("Arial"));
    FakeSpectrumOwner owner;
    CEditAnnotationDialog dialog(owner, nullptr);
    dialog.show();
    findControl<QComboBox>(&dialog, 1564)->setCurrentIndex(1);
    setSize(findControl<QComboBox>(&dialog, 1565), "38");
    ui.answerColorDialog(0xABCDEFu);
    emit findControl<platform::chart::CColorPanel>(&dialog, 1572)->Click();
    findControl<QPushButton>(&dialog, 1569)->click();
    EXPECT_TRUE(dialog.isVisible());
    dialog.pressCancel();
    EXPECT_EQ(owner.defaults.font.face, "Bitter");
    EXPECT_EQ(owner.defaults.font.size, 38);
    EXPECT_EQ(owner.defaults.color, 0xABCDEFu);
}

TEST_F(ChartDialogsTest, AFaceNotInstalledIsKeptNotEmptied)
{
    // "Arial" is not installed: nothing is selected in the font combo.
    FakeSpectrumOwner owner;
    CEditAnnotationDialog dialog(owner, nullptr);
    dialog.show();
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1564)->currentIndex(), -1);
    setSize(findControl<QComboBox>(&dialog, 1565), "20");
    EXPECT_EQ(dialog.m_faceName, "Arial");
    findControl<QPushButton>(&dialog, 1569)->click();
    EXPECT_EQ(owner.defaults.font.face, "Arial");
    EXPECT_EQ(owner.defaults.font.size, 20);
    dialog.pressOk();
    EXPECT_EQ(dialog.m_faceName, "Arial");

    // The same in the axis-text and legend dialogs: a typed size keeps the owner's face.
    CConfigureAxisTextDialog axis({&owner, nullptr}, nullptr);
    axis.show();
    setSize(findControl<QComboBox>(&axis, 1565), "22");
    EXPECT_EQ(owner.axis.face, "Arial");
    EXPECT_EQ(owner.axis.size, 22);
    EXPECT_EQ(lastFont(chart, platform::chart::kXrtAxisFont).face, "Arial");
    CConfigureLegendDialog legend({&owner, nullptr}, nullptr);
    legend.show();
    setSize(findControl<QComboBox>(&legend, 1563), "12");
    EXPECT_EQ(owner.legend.face, "Arial");
    EXPECT_EQ(lastFont(chart, platform::chart::kXrtLegendFont).face, "Arial");
}

TEST_F(ChartDialogsTest, AnnotationDialogScreenshot)
{
    faces.push_back(face("DejaVu Sans"));
    FakeSpectrumOwner owner;
    owner.defaults = {"", {"DejaVu Sans", 28}, 0x00FFFF};
    CEditAnnotationDialog dialog(owner, nullptr);
    dialog.resize(460, 260);
    dialog.show();
    const QImage shot = dialog.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    QDir().mkpath(HARLUNE_ARTEFACT_DIR);
    EXPECT_TRUE(shot.save(QStringLiteral(HARLUNE_ARTEFACT_DIR "/annotation-dialog.png")));
    dialog.pressCancel();
}

// Configure Spectrum Grid and Set Spectrum Scale --------------------------------------------

TEST_F(ChartDialogsTest, GridDialogReturnsItsFields)
{
    CConfigureSpectrumGridDialog dialog(nullptr);
    dialog.m_color = 0x808080;
    dialog.m_lineStyle = 4;
    dialog.m_lineWidth = 1;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Configure Spectrum Grid");
    EXPECT_FALSE(findControl<QComboBox>(&dialog, 1166)->isVisible());
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1165)->currentIndex(), 4);
    ui.answerColorDialog(std::nullopt);
    emit findControl<platform::chart::CColorPanel>(&dialog, 1167)->Click();
    EXPECT_EQ(dialog.m_color, 0x808080u);
    ui.answerColorDialog(0x0000FFu);
    emit findControl<platform::chart::CColorPanel>(&dialog, 1167)->Click();
    findControl<QComboBox>(&dialog, 1165)->setCurrentIndex(2);
    dialog.pressOk();
    EXPECT_EQ(dialog.m_color, 0x0000FFu);
    EXPECT_EQ(dialog.m_lineStyle, 2);
    EXPECT_EQ(dialog.m_lineWidth, 1);
}

TEST_F(ChartDialogsTest, ScaleDialogCaptionAndTexts)
{
    for (int graph : {0, 1}) {
        SCOPED_TRACE(graph);
        CSetSpectrumScaleDialog dialog(nullptr);
        dialog.m_graph = graph;
        dialog.m_xMin = "200.000";
        dialog.m_xMax = "900.000";
        dialog.m_yMin = "0.000";
        dialog.m_yMax = "4000.000";
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), graph == 1 ? "Set Graph Scale" : "Set Spectrum Scale");
        auto* yMax = findControl<QLineEdit>(&dialog, 1029);
        EXPECT_EQ(yMax->text(), "4000.000");
        QApplication::setActiveWindow(&dialog);
        yMax->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        EXPECT_EQ(yMax->selectedText(), "4000.000");
        yMax->setText("1e3 counts");
        findControl<QLineEdit>(&dialog, 1027)->setText("");
        dialog.pressOk();
        EXPECT_EQ(dialog.m_yMax, "1e3 counts");
        EXPECT_EQ(dialog.m_xMin, "");
        EXPECT_EQ(dialog.m_xMax, "900.000");
    }
}

// Configure Chart Traces --------------------------------------------------------------------

TEST_F(ChartDialogsTest, TraceChangesReachTheGraphAtOnce)
{
    FakeGraphOwner graph(3);
    CConfigureChartTracesDialog dialog(graph, nullptr);
    dialog.show();
    auto* list = findControl<QComboBox>(&dialog, 1549);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(0), "Trace 0");
    EXPECT_EQ(list->itemText(2), "Trace 2");
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1166)->currentIndex(), 1);
    findControl<QComboBox>(&dialog, 1165)->setCurrentIndex(4);
    EXPECT_EQ(graph.log, std::vector<std::string>{"setTraceLineStyle(0,4)"});

    list->setCurrentIndex(2);
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1166)->currentIndex(), 3);
    EXPECT_EQ(findControl<platform::chart::CColorPanel>(&dialog, 1167)->GetBackColor(),
              graph.styles[2].lineColor);
    EXPECT_EQ(findControl<QLineEdit>(&dialog, 1553)->text(), "Trace 2");
    findControl<QComboBox>(&dialog, 1552)->setCurrentIndex(5);
    ui.answerColorDialog(0x00AA00u);
    emit findControl<platform::chart::CColorPanel>(&dialog, 1554)->Click();
    findControl<QLineEdit>(&dialog, 1553)->setText("Lamp");
    dialog.pressCancel();
    EXPECT_EQ(graph.styles[0].linePattern, 4);
    EXPECT_EQ(graph.styles[2].fillPattern, 5);
    EXPECT_EQ(graph.styles[2].pointColor, 0x00AA00u);
    EXPECT_EQ(graph.legends[2], "Lamp");
    EXPECT_EQ(graph.log.back(), "repaint");
}

TEST_F(ChartDialogsTest, AGraphWithoutTracesSendsNothing)
{
    FakeGraphOwner graph(0);
    CConfigureChartTracesDialog dialog(graph, nullptr);
    dialog.show();
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1549)->count(), 0);
    for (unsigned id : {1165u, 1166u, 1550u, 1551u, 1552u})
        EXPECT_FALSE(findControl<QComboBox>(&dialog, id)->isEnabled());
    emit findControl<platform::chart::CColorPanel>(&dialog, 1167)->Click();
    dialog.pressOk();
    EXPECT_TRUE(graph.log.empty());
}

// Configure Axis Text -----------------------------------------------------------------------

TEST_F(ChartDialogsTest, AxisTextModes)
{
    faces.push_back(face("Arial"));
    using namespace platform::chart;
    struct Case
    {
        const char* name;
        bool spectrum;
        int mode;
        bool changes;
        int fontProperty;
        int colorProperty;
        bool textShown;
        const char* titleCall; // graph title setter, or "" for the spectrum view's
    };
    const Case cases[] = {
        {"spectrum title", true, 0, true, kXrtHeaderFont, kXrtHeaderColor, true, ""},
        {"spectrum axis", true, -1, true, kXrtAxisFont, kXrtForegroundColor, false, ""},
        {"spectrum mode 3", true, 3, true, kXrtAxisFont, kXrtForegroundColor, false, ""},
        {"graph title", false, 0, true, kXrtHeaderFont, kXrtHeaderColor, true, "setMainTitle"},
        {"graph x", false, 1, true, kXrtAxisFont, kXrtForegroundColor, true, "setXTitle"},
        {"graph y", false, 2, true, kXrtAxisFont, kXrtForegroundColor, true, "setYTitle"},
        {"graph mode 3", false, 3, false, 0, 0, false, ""},
        {"graph mode -1", false, -1, false, 0, 0, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chart.calls.clear();
        FakeSpectrumOwner spectrum;
        FakeGraphOwner graph;
        ChartDialogParent parent;
        if (c.spectrum)
            parent.spectrumView = &spectrum;
        parent.graphView = &graph; // a spectrum view wins over anything else
        CConfigureAxisTextDialog dialog(parent, nullptr);
        EXPECT_EQ(dialog.spectrumOwner(), c.spectrum);
        dialog.m_mode = c.mode;
        dialog.show();
        EXPECT_EQ(findControl<QLineEdit>(&dialog, 1567)->isVisible(), c.textShown);
        findControl<QComboBox>(&dialog, 1564)->setCurrentIndex(2);
        setSize(findControl<QComboBox>(&dialog, 1565), "26");
        ui.answerColorDialog(0x0102F0u);
        emit findControl<platform::chart::CColorPanel>(&dialog, 1556)->Click();
        if (c.textShown)
            findControl<QLineEdit>(&dialog, 1567)->setText("Lamp 3");
        if (!c.changes) {
            EXPECT_TRUE(chart.calls.empty());
            EXPECT_TRUE(graph.log.empty());
            continue;
        }
        EXPECT_TRUE(chart.bracketed());
        const XrtFont font = lastFont(chart, c.fontProperty);
        EXPECT_EQ(font.face, "Cantor");
        EXPECT_EQ(font.height, 26);
        EXPECT_EQ(chart.values[c.colorProperty].toInt(), 0x0102F0);
        const DialogFont stored =
            c.spectrum ? (c.fontProperty == kXrtHeaderFont ? spectrum.title : spectrum.axis)
                       : (c.fontProperty == kXrtHeaderFont ? graph.title : graph.axis);
        EXPECT_EQ(stored.face, "Cantor");
        EXPECT_EQ(stored.size, 26);
        if (c.spectrum && c.textShown) {
            ASSERT_FALSE(spectrum.titles.empty());
            EXPECT_EQ(spectrum.titles.back(), "Lamp 3");
        }
        if (!c.spectrum) {
            ASSERT_GE(graph.log.size(), 2u);
            EXPECT_EQ(graph.log[graph.log.size() - 2], std::string(c.titleCall) + "(Lamp 3)");
            EXPECT_EQ(graph.log.back(), "repaint");
        }
    }
}

TEST_F(ChartDialogsTest, SizeBoxTakesAnyNumberWithoutHarm)
{
    FakeSpectrumOwner owner;
    CConfigureAxisTextDialog dialog({&owner, nullptr}, nullptr);
    dialog.show();
    const struct
    {
        const char* typed;
        int height;
    } cases[] = {{"-12", -12}, {"0", 0},   {"100000", 100000},
                 {"abc", 0},   {"9pt", 9}, {"99999999999999999999", 2147483647}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        setSize(findControl<QComboBox>(&dialog, 1565), c.typed);
        EXPECT_EQ(lastFont(chart, platform::chart::kXrtAxisFont).height, c.height);
        EXPECT_EQ(owner.axis.size, c.height);
    }
    EXPECT_TRUE(chart.bracketed());
}

// Configure Legend --------------------------------------------------------------------------

TEST_F(ChartDialogsTest, LegendLocationsFollowTheTable)
{
    using namespace platform::chart;
    const int expected[] = {16, 32, 1, 2, 17, 18, 33, 34};
    for (int index = 0; index < 8; ++index) {
        SCOPED_TRACE(index);
        FakeSpectrumOwner owner;
        chart.values[kXrtLegendAnchor] = expected[index];
        CConfigureLegendDialog dialog({&owner, nullptr}, nullptr);
        dialog.show();
        EXPECT_EQ(findControl<QComboBox>(&dialog, 1558)->currentIndex(), index);
    }
    FakeSpectrumOwner owner;
    chart.values[kXrtLegendAnchor] = 99;
    chart.values[kXrtLegendOrientation] = 7;
    chart.values[kXrtLegendBorder] = -3;
    chart.values[kXrtLegendBorderWidth] = 40;
    CConfigureLegendDialog dialog({&owner, nullptr}, nullptr);
    dialog.show();
    for (unsigned id : {1558u, 1561u, 1559u, 1560u})
        EXPECT_EQ(findControl<QComboBox>(&dialog, id)->currentIndex(), -1) << id;
    chart.calls.clear();
    auto* location = findControl<QComboBox>(&dialog, 1558);
    EXPECT_EQ(location->itemText(7), "Lower-left");
    location->setCurrentIndex(7);
    EXPECT_EQ(chart.values[kXrtLegendAnchor].toInt(), 34);
    findControl<QComboBox>(&dialog, 1559)->setCurrentIndex(9);
    EXPECT_EQ(chart.values[kXrtLegendBorder].toInt(), 9);
    findControl<QComboBox>(&dialog, 1560)->setCurrentIndex(3);
    EXPECT_EQ(chart.values[kXrtLegendBorderWidth].toInt(), 3);
    ui.answerColorDialog(0x445566u);
    emit findControl<platform::chart::CColorPanel>(&dialog, 1555)->Click();
    EXPECT_EQ(chart.values[kXrtLegendBackgroundColor].toInt(), 0x445566);
    EXPECT_TRUE(chart.bracketed());
}

TEST_F(ChartDialogsTest, TypedSizeSurvivesAFontPick)
{
    FakeGraphOwner graph;
    CConfigureLegendDialog dialog({nullptr, &graph}, nullptr);
    dialog.show();
    setSize(findControl<QComboBox>(&dialog, 1563), "9");
    findControl<QComboBox>(&dialog, 1562)->setCurrentIndex(1);
    const platform::chart::XrtFont font = lastFont(chart, platform::chart::kXrtLegendFont);
    EXPECT_EQ(font.face, "Cantor");
    EXPECT_EQ(font.height, 9);
    EXPECT_EQ(graph.legend.face, "Cantor");
    EXPECT_EQ(graph.legend.size, 9);
}

TEST_F(ChartDialogsTest, FloatingAndVisibleLayOutTheChartArea)
{
    const std::vector<int> pin = {273, 3586, 3587, 2816, 2817, 1536, 1537, 273};
    const std::vector<int> release = {273, 3584, 3585, 3586, 3587, 273};
    const std::vector<int> show = {273, 257, 273};
    struct Case
    {
        const char* name;
        int floating;
        int visible;
        unsigned click;
        std::vector<int> ids;
        int floatingAfter;
    };
    auto join = [](std::vector<int> a, const std::vector<int>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {"floating on", 0, 1, 1564, pin, 1},
        {"floating off", 1, 1, 1564, release, 0},
        {"shown while floating", 1, 0, 1557, join(show, pin), 1},
        {"shown docked", 0, 0, 1557, join(show, release), 0},
        {"hidden", 0, 1, 1557, join(show, pin), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSpectrumOwner owner;
        owner.floating = c.floating;
        chart.values[platform::chart::kXrtLegendShown] = c.visible;
        CConfigureLegendDialog dialog({&owner, nullptr}, nullptr);
        dialog.show();
        chart.calls.clear();
        findControl<QCheckBox>(&dialog, c.click)->click();
        EXPECT_EQ(chart.ids(), c.ids);
        EXPECT_EQ(owner.floating, c.floatingAfter);
        if (c.ids == pin || c.ids.size() == 11) {
            EXPECT_EQ(chart.values[1536].toInt(), 640);
            EXPECT_EQ(chart.values[1537].toInt(), 480);
        }
    }
}

// A graph view on a real chart, its host running the dialogs as the graph window does.
class DialogGraphHost : public GraphViewHost
{
public:
    int VerifyCommand(int) override { return 1; }
    void logException(const std::string&, const char*, int) override {}
    std::array<int, 2> chartClientSize() override { return {400, 300}; }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&,
                                              const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<platform::chart::XrtColor> chooseColor(platform::chart::XrtColor) override
    {
        return std::nullopt;
    }
    int drawChartToFile(XrtHandle, const std::string&) override { return 1; }
    int drawChartToClipboard(XrtHandle) override { return 1; }
    int runAxisTextDialog(CHarluneGraphView& view, int mode, const std::string& title) override
    {
        GraphChartOwnerAdapter owner(view, [this] { return chartClientSize(); });
        CConfigureAxisTextDialog dialog({nullptr, &owner}, nullptr);
        dialog.m_mode = mode;
        dialog.m_text = title;
        dialog.show();
        if (axisAnswer)
            axisAnswer(dialog);
        return dialog.result() == CConfigureAxisTextDialog::IDOK ? 1 : 2;
    }
    std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>&) override
    {
        return std::nullopt;
    }
    int runTraceDialog(CHarluneGraphView& view) override
    {
        GraphChartOwnerAdapter owner(view, [this] { return chartClientSize(); });
        CConfigureChartTracesDialog dialog(owner, nullptr);
        dialog.show();
        findControl<QComboBox>(&dialog, 1165)->setCurrentIndex(5);
        dialog.pressCancel();
        return 2;
    }
    std::optional<GraphGridDialogValues> showGridDialog(const GraphGridDialogValues&) override
    {
        return std::nullopt;
    }
    int runLegendDialog(CHarluneGraphView&) override { return 2; }

    std::function<void(CConfigureAxisTextDialog&)> axisAnswer;
};

TEST(ChartDialogsOnAGraph, ChangesReachTheGraphViewAndCancelRestoresTheAxisFont)
{
    COXFontListBox::setFontSource([] { return std::vector{face("Arial"), face("Bitter")}; });
    DialogGraphHost host;
    const XrtHandle chart = platform::chart::XrtCreate();
    {
        CHarluneGraphView view(host, chart);
        ASSERT_TRUE(view.InitGraph(3, 10));
        EXPECT_TRUE(view.ShowTraceConfigurationDialog() == false);
        EXPECT_EQ(view.GetTraceLineStyle(0), 5);

        // OK keeps the new axis font; a later Cancel goes back to it, not to the first one.
        host.axisAnswer = [](CConfigureAxisTextDialog& dialog) {
            setSize(findControl<QComboBox>(&dialog, 1565), "30");
            dialog.pressOk();
        };
        view.OnCommand(CHarluneGraphView::ID_TITLE_X);
        EXPECT_EQ(view.axisTitleFont().height, 30);
        host.axisAnswer = [](CConfigureAxisTextDialog& dialog) {
            setSize(findControl<QComboBox>(&dialog, 1565), "12");
            dialog.pressCancel();
        };
        view.OnCommand(CHarluneGraphView::ID_TITLE_X);
        EXPECT_EQ(view.axisTitleFont().height, 30);
        EXPECT_EQ(
            platform::chart::XrtGetValue(chart, platform::chart::kXrtAxisFont).toFont().height, 30);
        view.OnDestroy();
    }
    platform::chart::XrtDestroy(chart);
    COXFontListBox::setFontSource({});
}

} // namespace
