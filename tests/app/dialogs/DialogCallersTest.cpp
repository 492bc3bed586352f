// The dialogs in their callers, offscreen: New Grid and New Graph through the main frame's
// commands, the spectrum window's warning, colour-temperature and channel dialogs, and its
// Configure Data Acquisition command.
#include "app/dialogs/ConfigureAxisTextDialog.h"
#include "app/dialogs/ConfigureCursorDialog.h"
#include "app/dialogs/ConfigureSpectrumGridDialog.h"
#include "app/dialogs/CreateNewGraphDialog.h"
#include "app/dialogs/CreateNewGridDialog.h"
#include "app/dialogs/DataAcquisitionPropertySheet.h"
#include "app/dialogs/DisplayPropertySheet.h"
#include "app/dialogs/EditAnnotationDialog.h"
#include "app/dialogs/PropertiesPropertySheet.h"
#include "app/dialogs/ReferenceColorTemperatureDialog.h"
#include "app/dialogs/RenameSpectralWindowDialog.h"
#include "app/dialogs/SelectChannelsToCopyDialog.h"
#include "app/dialogs/SelectSpectrometerChannelsDialog.h"
#include "app/dialogs/SetSpectrumScaleDialog.h"
#include "app/dialogs/SpectrometerPropertySheet.h"
#include "app/dialogs/TrevanFeaturesDialog.h"
#include "app/dialogs/WarningDialog.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/SpectrumDocQuestions.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/chart/Xrt.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/dialogs/DialogFakes.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace app::spectrum::test;
using platform::framework::findControl;

namespace {

QString textOf(QWidget* dialog, unsigned id)
{
    return findControl<QLineEdit>(dialog, id)->text();
}

void setTextOf(QWidget* dialog, unsigned id, const char* text)
{
    findControl<QLineEdit>(dialog, id)->setText(text);
}

class DialogCallersTest : public ::testing::Test
{
protected:
    ~DialogCallersTest() override { CHarluneApp::useScanCountViews(false); }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
};

TEST_F(DialogCallersTest, NewGridAsksItsSizeAndStoresIt)
{
    // The shell's small views: no spectrum configuration to choose at start.
    CHarluneApp::useScanCountViews(true);
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    const size_t windows = frame.childWindows().size();
    bool asked = false;
    answerNextModal<CCreateNewGridDialog>([&](CCreateNewGridDialog& dialog) {
        asked = true;
        EXPECT_EQ(textOf(&dialog, 1545), "10");
        EXPECT_EQ(textOf(&dialog, 1546), "100");
        EXPECT_EQ(textOf(&dialog, 1547), "1");
        setTextOf(&dialog, 1545, "12");
        setTextOf(&dialog, 1546, "34");
        setTextOf(&dialog, 1547, "0");
        dialog.pressOk();
        EXPECT_TRUE(dialog.isVisible());
        setTextOf(&dialog, 1547, "2");
        dialog.pressOk();
    });
    EXPECT_TRUE(frame.executeCommand(32957));
    EXPECT_TRUE(asked);
    EXPECT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(frame.childWindows().size(), windows + 1);
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetIntDefault("GridDefaults", "NumberOfColumns", 0), 12);
    EXPECT_EQ(store.GetIntDefault("GridDefaults", "NumberOfRows", 0), 34);
    EXPECT_EQ(store.GetIntDefault("GridDefaults", "NumberOfSheets", 0), 2);

    // The next time starts from them; Cancel opens nothing and stores nothing.
    answerNextModal<CCreateNewGridDialog>([&](CCreateNewGridDialog& dialog) {
        EXPECT_EQ(textOf(&dialog, 1545), "12");
        setTextOf(&dialog, 1545, "99");
        dialog.pressCancel();
    });
    EXPECT_TRUE(frame.executeCommand(32957));
    EXPECT_EQ(frame.childWindows().size(), windows + 1);
    EXPECT_EQ(CINIFileSupport(nullptr, 1).GetIntDefault("GridDefaults", "NumberOfColumns", 0), 12);
}

TEST_F(DialogCallersTest, NewGraphAsksItsSizeAndStoresIt)
{
    // The shell's small views: no spectrum configuration to choose at start.
    CHarluneApp::useScanCountViews(true);
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    const size_t windows = frame.childWindows().size();
    answerNextModal<CCreateNewGraphDialog>([&](CCreateNewGraphDialog& dialog) {
        EXPECT_EQ(textOf(&dialog, 1547), "10");
        EXPECT_EQ(textOf(&dialog, 1548), "2048");
        setTextOf(&dialog, 1547, "3");
        setTextOf(&dialog, 1548, "500");
        dialog.pressOk();
    });
    EXPECT_TRUE(frame.executeCommand(32959));
    EXPECT_EQ(frame.childWindows().size(), windows + 1);
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetIntDefault("GraphDefaults", "NumberOfTraces", 0), 3);
    EXPECT_EQ(store.GetIntDefault("GraphDefaults", "NumberOfPoints", 0), 500);
}

TEST_F(DialogCallersTest, ConfigureDataAcquisitionInTheProgram)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    {
        std::FILE* file = std::fopen(spec.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n",
                   file);
        std::fclose(file);
        CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    }
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    platform::framework::ChildFrame* frame = app.mainFrameWidget()->MDIGetActive();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(runUntil([&] { return view->isReady(); }));
    bool asked = false;
    answerNextModal<CDataAcquisitionPropertySheet>([&](CDataAcquisitionPropertySheet& sheet) {
        asked = true;
        EXPECT_EQ(sheet.windowTitle(), "Configure Data Acquisition");
        setTextOf(sheet.GetPage(0), 1169, "7");
        findControl<QCheckBox>(sheet.GetPage(0), 1544)->click();
        sheet.pressOk();
    });
    EXPECT_TRUE(frame->executeCommand(32819));
    EXPECT_TRUE(asked);
    EXPECT_EQ(view->core().record().scansToAverage, 7);
    EXPECT_EQ(app.mainFrameWidget()->allPreferences().SingleThread, 1u);
}

// A spectrum window on fakes whose main frame is also the dialogs' main frame.
class DialogViewFrame : public FakeViewFrame, public app::dialogs::DialogMainFrame
{
public:
    int32_t VerifyCommand(int32_t action) override { return FakeViewFrame::VerifyCommand(action); }
    void SetAcquisitionSuspended(int32_t state) override { suspensions.push_back(state); }
    void SuspendAndStartNextScan() override {}
    uint32_t singleThread() override { return prefs_.SingleThread; }
    void setSingleThread(uint32_t value) override { prefs_.SingleThread = value; }
    MainFramePreferences& preferenceRecord() override { return prefs_; }
    // The view sees the record's label, as the program's main frame hands it on.
    SpectrumViewPreferences& viewPreferences() override
    {
        viewPrefs.TransmissionModeLabel = prefs_.TransmissionModeLabel;
        return viewPrefs;
    }

    MainFramePreferences prefs_;
    std::vector<int32_t> suspensions;
};

struct WidgetWindow
{
    WidgetWindow()
    {
        CINIFileSupport(nullptr, 1)
            .WriteString("Preferences", "DefaultSpectrometer",
                         (freshFolder("dialogs").string() + "/dialogs.spec").c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(frame, questions);
        widget = std::make_unique<SpectrumViewWidget>(SpectrumViewServices{frame, driver, host},
                                                      *document);
        widget->resize(400, 300);
        widget->show();
    }
    FakeConfigurationHost host;
    DialogViewFrame frame;
    FakeViewDriver driver;
    // The document asks over its view once the view is made.
    SpectrumDocQuestions questions{[this] { return widget.get(); }};
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<SpectrumViewWidget> widget;
};

TEST_F(DialogCallersTest, TheSpectrumWindowRunsTheWarningDialog)
{
    WidgetWindow w;
    answerNextModal<CWarningDialog>([](CWarningDialog& dialog) {
        EXPECT_EQ(findControl<QLabel>(&dialog, 1146)->text(), "Too bright.");
        findControl<QCheckBox>(&dialog, 1145)->click();
        findControl<QPushButton>(&dialog, 1153)->click();
    });
    bool warn = true;
    EXPECT_EQ(w.widget->showWarningDialog("Too bright.", warn), SpectrumDocWindow::Answer::No);
    EXPECT_FALSE(warn);
}

// The warning as the spectrum window shows it: its message, a long path that wraps, fits the
// box whole (the label is given the height its text needs at its width), and Y and N without
// Alt answer it as in a message box, each taking over the check box.
TEST_F(DialogCallersTest, TheWarningDialogShowsItsWholeTextAndAnswersYAndN)
{
    WidgetWindow w;
    const std::string text =
        "You are about to overwrite the file /home/lab/measurements/2026/december/run-0042/"
        "sample with a long name that wraps in the box.Master.Sample.\nAre you sure you wish "
        "to overwrite this file?";
    const struct
    {
        const char* name;
        Qt::Key key;
        SpectrumDocWindow::Answer answer;
    } cases[] = {
        {"Y", Qt::Key_Y, SpectrumDocWindow::Answer::Yes},
        {"N", Qt::Key_N, SpectrumDocWindow::Answer::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int needed = 0;
        int shown = -1;
        answerNextModal<CWarningDialog>([&](CWarningDialog& dialog) {
            auto* label = findControl<QLabel>(&dialog, 1146);
            ASSERT_NE(label, nullptr);
            needed = label->heightForWidth(label->width());
            shown = label->height();
            findControl<QCheckBox>(&dialog, 1145)->click();
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus != nullptr ? focus : &dialog, c.key);
            // A key that answers nothing must not leave the test waiting on the box.
            if (!runUntil([&] { return !dialog.isVisible(); }, 5000)) {
                ADD_FAILURE() << "the key did not answer the box";
                dialog.pressCancel();
            }
        });
        bool warn = true;
        EXPECT_EQ(w.widget->showWarningDialog(text, warn), c.answer);
        EXPECT_FALSE(warn);
        EXPECT_GT(needed, 0);
        EXPECT_GE(shown, needed);
    }
}

TEST_F(DialogCallersTest, TheSpectrumWindowRunsTheColorTemperatureDialog)
{
    WidgetWindow w;
    answerNextModal<CReferenceColorTemperatureDialog>([](CReferenceColorTemperatureDialog& dialog) {
        EXPECT_EQ(textOf(&dialog, 1306), "3100.0");
        auto* check = findControl<QCheckBox>(&dialog, 1531);
        EXPECT_TRUE(check->isVisible());
        check->click();
        setTextOf(&dialog, 1306, "2900");
        dialog.pressOk();
    });
    bool secondOrder = false;
    EXPECT_EQ(w.widget->showColorTemperatureDialog("3100.0", secondOrder), "2900");
    EXPECT_TRUE(secondOrder);

    answerNextModal<CReferenceColorTemperatureDialog>(
        [](CReferenceColorTemperatureDialog& dialog) { dialog.pressCancel(); });
    EXPECT_FALSE(w.widget->showColorTemperatureDialog("3100.0", secondOrder).has_value());
}

// The second-order option is offered whatever sub-type the configuration names, or none,
// and carries the flag both ways.
TEST_F(DialogCallersTest, TheSecondOrderOptionIsOfferedForEverySpectrometer)
{
    const struct
    {
        const char* subType;
        bool on;
        bool click;
    } cases[] = {
        {"NONE", false, false}, {"none", false, true}, {"", false, true},
        {"UV2", false, false},  {"NONE", true, false}, {"", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("sub-type '") + c.subType + (c.on ? "' on" : "' off") +
                     (c.click ? ", clicked" : ""));
        WidgetWindow w;
        w.widget->core().configuration().SetSpectrometerSubType(c.subType);
        bool shown = false;
        bool checked = !c.on;
        answerNextModal<CReferenceColorTemperatureDialog>(
            [&shown, &checked, &c](CReferenceColorTemperatureDialog& dialog) {
                auto* check = findControl<QCheckBox>(&dialog, 1531);
                shown = check->isVisible();
                checked = check->isChecked();
                if (c.click)
                    check->click();
                dialog.pressOk();
            });
        bool secondOrder = c.on;
        EXPECT_TRUE(w.widget->showColorTemperatureDialog("3100.0", secondOrder).has_value());
        EXPECT_TRUE(shown);
        EXPECT_EQ(checked, c.on);
        EXPECT_EQ(secondOrder, c.on != c.click);
    }
}

TEST_F(DialogCallersTest, TheSpectrumWindowRunsTheChannelDialog)
{
    WidgetWindow w;
    answerNextModal<CSelectSpectrometerChannelsDialog>(
        [](CSelectSpectrometerChannelsDialog& dialog) {
            EXPECT_FALSE(findControl<QCheckBox>(&dialog, 1519)->isEnabled());
            EXPECT_TRUE(findControl<QCheckBox>(&dialog, 1517)->isChecked());
            findControl<QCheckBox>(&dialog, 1518)->click();
            dialog.pressOk();
        });
    const auto chosen =
        w.widget->selectChannels({1, 1, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, (std::array<int, 8>{1, 1, 0, 0, 0, 0, 0, 0}));
}

// Configure Cursor: the window's values go into the dialog and come back through OK; Cancel
// changes nothing.
TEST_F(DialogCallersTest, TheSpectrumWindowRunsTheCursorDialog)
{
    WidgetWindow w;
    CursorDialogValues values;
    values.linePattern = 3;
    values.lineWidth = 2;
    values.color = 0x00FF00;
    values.channel = 1;
    values.statusBar = 1;
    values.limitToDisplay = 1;
    values.precision = 4;
    values.valuesInLegend = 1;
    answerNextModal<CConfigureCursorDialog>([](CConfigureCursorDialog& dialog) {
        EXPECT_EQ(dialog.m_precision, 4);
        dialog.pressOk();
    });
    const auto answer = w.widget->runCursorDialog(values);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->linePattern, 3);
    EXPECT_EQ(answer->lineWidth, 2);
    EXPECT_EQ(answer->color, 0x00FF00u);
    EXPECT_EQ(answer->channel, 1);
    EXPECT_EQ(answer->precision, 4);
    EXPECT_EQ(answer->limitToDisplay, 1);
    EXPECT_EQ(answer->valuesInLegend, 1);

    answerNextModal<CConfigureCursorDialog>(
        [](CConfigureCursorDialog& dialog) { dialog.pressCancel(); });
    EXPECT_FALSE(w.widget->runCursorDialog(values).has_value());
}

TEST_F(DialogCallersTest, TheSpectrumWindowRunsTheRenameAndCopyDialogs)
{
    WidgetWindow w;
    answerNextModal<CRenameSpectralWindowDialog>([](CRenameSpectralWindowDialog& dialog) {
        auto* edit = findControl<QLineEdit>(&dialog, 1514);
        EXPECT_EQ(edit->text(), "Spectrum1");
        EXPECT_EQ(edit->selectedText(), "Spectrum1");
        edit->setText("Lamp");
        dialog.pressOk();
    });
    EXPECT_EQ(w.widget->showRenameDialog("Spectrum1"), "Lamp");

    answerNextModal<CSelectChannelsToCopyDialog>([](CSelectChannelsToCopyDialog& dialog) {
        EXPECT_FALSE(findControl<QCheckBox>(&dialog, 1518)->isEnabled());
        findControl<QCheckBox>(&dialog, 1525)->click();
        dialog.pressOk();
    });
    std::array<int, 16> offered{};
    offered[0] = offered[8] = 1;
    std::array<int, 16> selected{};
    selected[0] = 1;
    const auto chosen = w.widget->selectChannelsToCopy(offered, selected);
    ASSERT_TRUE(chosen.has_value());
    std::array<int, 16> expected{};
    expected[0] = expected[8] = 1;
    EXPECT_EQ(*chosen, expected);
}

TEST_F(DialogCallersTest, ConfigureDataAcquisitionAsksTheScriptFirst)
{
    WidgetWindow w;
    w.frame.forbidden = app::res::mvSpecSpectrumConfigureDataAcquisition;
    EXPECT_TRUE(w.widget->OnCmdMsg(32819, nullptr));
    EXPECT_EQ(w.frame.verified.back(), app::res::mvSpecSpectrumConfigureDataAcquisition);

    w.frame.forbidden = 0;
    answerNextModal<CDataAcquisitionPropertySheet>([](CDataAcquisitionPropertySheet& sheet) {
        sheet.SetActivePage(1);
        findControl<QCheckBox>(sheet.GetPage(1), 1172)->click();
        sheet.pressOk();
    });
    EXPECT_TRUE(w.widget->OnCmdMsg(32819, nullptr));
    EXPECT_EQ(w.widget->core().autosaveOnExternalTrigger(), 1);
}

TEST_F(DialogCallersTest, SettingsRetitlesTransmissionByTheLabel)
{
    WidgetWindow w;
    CHarluneSpectrumView& view = w.widget->core();
    view.OnTransmissionMode();
    view.setVerticalLogScale(1);
    w.frame.forbidden = app::res::mvSpecEditSettings;
    EXPECT_TRUE(w.widget->OnCmdMsg(32884, nullptr));
    EXPECT_EQ(w.frame.verified.back(), app::res::mvSpecEditSettings);

    w.frame.forbidden = 0;
    answerNextModal<CPropertiesPropertySheet>([](CPropertiesPropertySheet& sheet) {
        EXPECT_EQ(sheet.windowTitle(), "Harlune Settings");
        sheet.SetActivePage(5);
        findControl<QComboBox>(sheet.GetPage(5), 1178)->setCurrentIndex(1);
        sheet.pressOk();
    });
    EXPECT_TRUE(w.widget->OnCmdMsg(32884, nullptr));
    EXPECT_EQ(w.frame.prefs_.TransmissionModeLabel, 1);
    EXPECT_EQ(platform::chart::XrtGetValue(view.chart(), platform::chart::kXrtYAxisTitle).toText(),
              "log(Percent Reflection)");

    view.setVerticalLogScale(0);
    answerNextModal<CPropertiesPropertySheet>([](CPropertiesPropertySheet& sheet) {
        sheet.SetActivePage(5);
        findControl<QComboBox>(sheet.GetPage(5), 1178)->setCurrentIndex(0);
        sheet.pressOk();
    });
    EXPECT_TRUE(w.widget->OnCmdMsg(32884, nullptr));
    EXPECT_EQ(platform::chart::XrtGetValue(view.chart(), platform::chart::kXrtYAxisTitle).toText(),
              "Percent Transmission");
}

TEST_F(DialogCallersTest, SettingsWritesTheViewsFileNames)
{
    WidgetWindow w;
    answerNextModal<CPropertiesPropertySheet>([](CPropertiesPropertySheet& sheet) {
        sheet.SetActivePage(4);
        setTextOf(sheet.GetPage(4), 1195, "/lab/run.display");
        setTextOf(sheet.GetPage(4), 1478, "/lab/run.TimeParameters");
        sheet.pressOk();
    });
    EXPECT_TRUE(w.widget->OnCmdMsg(32884, nullptr));
    EXPECT_EQ(w.widget->core().displaySettingsFile(), "/lab/run.display");
    EXPECT_EQ(w.widget->core().timeAcquisitionFile(), "/lab/run.TimeParameters");
}

TEST_F(DialogCallersTest, TheSpectrumWindowRunsTheChartDialogs)
{
    WidgetWindow w;
    CHarluneSpectrumView& view = w.widget->core();

    answerNextModal<CDisplayPropertySheet>([](CDisplayPropertySheet& sheet) {
        findControl<QComboBox>(sheet.GetPage(0), 1038)->setCurrentIndex(7);
        sheet.pressOk();
    });
    w.widget->runDisplayPropertySheet();
    EXPECT_EQ(view.traceStyle(0).lineWidth, 7);
    platform::chart::XrtDataStyle shown{};
    platform::chart::XrtGetNthDataStyle(view.chart(), 0, &shown);
    EXPECT_EQ(shown.lineWidth, 7);

    answerNextModal<CSetSpectrumScaleDialog>([](CSetSpectrumScaleDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Set Spectrum Scale");
        setTextOf(&dialog, 1029, "500");
        dialog.pressOk();
    });
    const auto scale = w.widget->showSetScaleDialog({"1", "2", "3", "4"});
    ASSERT_TRUE(scale.has_value());
    EXPECT_EQ((*scale)[3], "500");
    EXPECT_EQ((*scale)[0], "1");

    answerNextModal<CConfigureSpectrumGridDialog>([](CConfigureSpectrumGridDialog& dialog) {
        findControl<QComboBox>(&dialog, 1165)->setCurrentIndex(3);
        dialog.pressOk();
    });
    const auto grid = w.widget->showGridDialog({0x808080, 4, 1});
    ASSERT_TRUE(grid.has_value());
    EXPECT_EQ(grid->pattern, 3);
    EXPECT_EQ(grid->color, 0x808080u);

    answerNextModal<CEditAnnotationDialog>([](CEditAnnotationDialog& dialog) {
        setTextOf(&dialog, 1571, "Peak");
        dialog.pressOk();
    });
    const auto note = w.widget->runAnnotationDialog(-1, {"", 0x00FFFF, 16, "Arial"});
    ASSERT_TRUE(note.has_value());
    EXPECT_EQ(note->text, "Peak");
    EXPECT_EQ(note->face, "Arial");

    // The title dialog changes the chart while open; Cancel is the view's to undo.
    answerNextModal<CConfigureAxisTextDialog>([](CConfigureAxisTextDialog& dialog) {
        EXPECT_TRUE(findControl<QLineEdit>(&dialog, 1567)->isVisible());
        setTextOf(&dialog, 1567, "Lamp spectrum");
        dialog.pressOk();
    });
    view.OnCommand(app::res::ID_SET_GRAPH_TITLE);
    EXPECT_EQ(view.GetGraphTitle(), "Lamp spectrum");
}

} // namespace

TEST_F(DialogCallersTest, ConfigureSpectrometerInTheProgram)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Configure.spec";
    {
        std::FILE* file = std::fopen(spec.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n",
                   file);
        std::fclose(file);
        CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    }
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    platform::framework::ChildFrame* frame = app.mainFrameWidget()->MDIGetActive();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(runUntil([&] { return view->isReady(); }));
    bool asked = false;
    answerNextModal<CSpectrometerPropertySheet>([&](CSpectrometerPropertySheet& sheet) {
        asked = true;
        EXPECT_EQ(sheet.windowTitle(), "Spectrometer Configuration");
        setTextOf(sheet.GetPage(0), 1390, "350");
        setTextOf(sheet.GetPage(0), 1377, "0.25");
        sheet.pressOk();
    });
    EXPECT_TRUE(frame->executeCommand(32831));
    EXPECT_TRUE(asked);
    CHarluneSpectrumView& core = view->core();
    EXPECT_EQ(core.configuration().GetWLIntercept(0), 350.0f);
    EXPECT_DOUBLE_EQ(core.document().spectra().wavelengths[0][4],
                     core.configuration().PixelToWavelength(0, 4));
    EXPECT_NEAR(core.document().spectra().wavelengths[0][4], 351.0, 1e-2);
    EXPECT_EQ(core.displayStartNm(), 350.0);
    EXPECT_DOUBLE_EQ(core.displayEndNm(), core.configuration().GetLastPixelWavelength(0));
    EXPECT_EQ(core.configurationApplying(), 1);
}

TEST_F(DialogCallersTest, TheFeaturesDialogGoesWithItsSpectrumWindow)
{
    WidgetWindow w;
    w.widget->core().setTrevanDialogTimerInterval(30);
    w.widget->showFeaturesDialog(30);
    w.widget->showFeaturesDialog(30);
    EXPECT_EQ(w.widget->openFeaturesDialogCount(), 2);
    const QList<CTrevanFeaturesDialog*> dialogs = w.widget->findChildren<CTrevanFeaturesDialog*>();
    ASSERT_EQ(dialogs.size(), 2);
    QPointer<CTrevanFeaturesDialog> first = dialogs[0];
    QPointer<CTrevanFeaturesDialog> second = dialogs[1];
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->refreshTimerIntervalMs(), 30);
    // A new interval goes back into the view.
    findControl<QSpinBox>(first, 1649)->setValue(75);
    EXPECT_EQ(w.widget->core().trevanDialogTimerInterval(), 75);
    EXPECT_EQ(second->refreshTimerIntervalMs(), 30);
    // Closing the window closes its dialogs and their timers before the view goes.
    w.widget.reset();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}
