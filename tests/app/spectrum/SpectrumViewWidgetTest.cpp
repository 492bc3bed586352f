// The spectrum window's widget offscreen: driver messages sent to its window handle reach the
// view, keys reach it as virtual-key codes, the chart fills the widget, and a burst of scans
// repaints the chart at most once per display frame.
#include "app/spectrum/qt/SpectrumViewWidget.h"

#include "app/dialogs/EditAnnotationDialog.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/SpectrumDocQuestions.h"
#include "platform/chart/Xrt.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "platform/win/Messages.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace app::spectrum::test;
using platform::chart::kXrtXMax;
using platform::chart::kXrtXMin;
using platform::chart::XrtGetValue;

namespace {

struct WidgetWindow
{
    WidgetWindow()
    {
        CINIFileSupport(nullptr, 1)
            .WriteString("Preferences", "DefaultSpectrometer",
                         (freshFolder("widget").string() + "/widget.spec").c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(frame, questions);
        widget = std::make_unique<SpectrumViewWidget>(SpectrumViewServices{frame, driver, host},
                                                      *document);
        widget->resize(640, 480);
        widget->show();
    }
    FakeConfigurationHost host;
    FakeViewFrame frame;
    FakeViewDriver driver;
    // The document asks over its view once the view is made.
    SpectrumDocQuestions questions{[this] { return widget.get(); }};
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<SpectrumViewWidget> widget;
};

TEST(SpectrumViewWidget, DriverMessagesAndKeysReachTheView)
{
    WidgetWindow w;
    const auto handle = static_cast<platform::win::HWND>(w.widget->GetSafeHwnd());
    ASSERT_NE(handle, 0u);
    // Outside a spectrum child frame the view does not register with the driver.
    EXPECT_EQ(w.driver.count("Register"), 0);

    std::fill(std::begin(w.document->rawScanBuffer(0).values),
              std::end(w.document->rawScanBuffer(0).values), 123.0f);
    platform::win::SendMessage(handle, 0x465, 0, 0);
    platform::win::SendMessage(handle, 0x465, 12, 0); // not a channel: ignored
    EXPECT_EQ(w.frame.newSpectra.size(), 1u);
    EXPECT_DOUBLE_EQ(w.document->spectra().processed[0][10], 123.0);

    w.widget->core().setPanZoomSteps(0.1, 0.1);
    const double xMin = XrtGetValue(w.widget->core().chart(), kXrtXMin).toDouble();
    const double xMax = XrtGetValue(w.widget->core().chart(), kXrtXMax).toDouble();
    QTest::keyClick(w.widget.get(), Qt::Key_J);
    EXPECT_NEAR(XrtGetValue(w.widget->core().chart(), kXrtXMin).toDouble(),
                xMin + (xMax - xMin) * 0.1, 1e-9);
    QTest::keyClick(w.widget.get(), Qt::Key_R);
    EXPECT_NEAR(XrtGetValue(w.widget->core().chart(), kXrtXMin).toDouble(), xMin, 1e-9);

    EXPECT_EQ(w.widget->chartWindow().geometry(), QRect(0, 0, 640, 480));
}

TEST(SpectrumViewWidget, ABurstOfScansRepaintsOncePerFrame)
{
    WidgetWindow w;
    const auto handle = static_cast<platform::win::HWND>(w.widget->GetSafeHwnd());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.widget.get()));
    QApplication::processEvents();
    const auto paintsBefore = w.widget->chartWindow().paintCount();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 500; ++i)
        platform::win::SendMessage(handle, 0x465, 0, 0);
    const qint64 scansMs = clock.elapsed();
    // The scans never waited for a paint; the repaint follows within a frame or so.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.widget->chartWindow().paintCount() > paintsBefore; },
                                20000));
    const qint64 totalMs = clock.elapsed();
    const auto paints = w.widget->chartWindow().paintCount() - paintsBefore;
    EXPECT_LE(paints, static_cast<uint64_t>(totalMs / 16 + 2));
    EXPECT_LT(scansMs, totalMs + 1);
    EXPECT_EQ(w.frame.newSpectra.size(), 500u);
}

TEST(SpectrumViewWidget, ATemplateViewMakesItsCoreAtTheFirstUpdate)
{
    CINIFileSupport(nullptr, 1)
        .WriteString("Preferences", "DefaultSpectrometer",
                     (freshFolder("deferred").string() + "/deferred.spec").c_str());
    FakeConfigurationHost host;
    FakeViewFrame frame;
    FakeViewDriver driver;
    SpectrumDocQuestions questions{[] { return nullptr; }};
    CHarluneSpectrumDoc document(frame, questions);
    SpectrumViewWidget widget(SpectrumViewServices{frame, driver, host},
                              [&](platform::framework::Document*) { return &document; });
    EXPECT_FALSE(widget.isReady());
    // Messages before the first update find no core and are left alone.
    bool handled = false;
    widget.OnWindowMessage(0x465, 0, 0, handled);
    EXPECT_FALSE(handled);

    widget.OnInitialUpdate();
    ASSERT_TRUE(widget.isReady());
    EXPECT_EQ(frame.nextScans, 1);
    SpectrumScanView& scanView = widget;
    EXPECT_EQ(scanView.registrationRecord().channelEnables[0], 1);
    EXPECT_EQ(scanView.hardware().spectrometerType, widget.configuration().GetSpectrometerType());
    EXPECT_FALSE(scanView.timeNormalized());
}

TEST(SpectrumViewWidget, ContextMenuOnEveryRequest)
{
    WidgetWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.widget.get()));
    std::vector<std::pair<int, QPoint>> shown;
    w.widget->setPopupTracker([&](int popup, const QPoint& at) { shown.emplace_back(popup, at); });
    // Right-clicks on the chart (a child window) reach the view, each one showing the menu.
    QWidget* chart = &w.widget->chartWindow();
    for (int i = 0; i < 2; ++i) {
        const QPoint local(50 + i, 60);
        QContextMenuEvent click(QContextMenuEvent::Mouse, local, chart->mapToGlobal(local));
        QApplication::sendEvent(chart, &click);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].first, 0);
    EXPECT_EQ(shown[1].first, 0);
    EXPECT_EQ(shown[1].second, chart->mapToGlobal(QPoint(51, 60)));
    // From the keyboard: the view's top-left corner plus 5.
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                          w.widget->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(w.widget.get(), &key);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].second, w.widget->mapToGlobal(QPoint(5, 5)));
}

TEST(SpectrumViewWidget, SpectrumCommandMessageReachesTheView)
{
    WidgetWindow w;
    const auto handle = static_cast<platform::win::HWND>(w.widget->GetSafeHwnd());
    EXPECT_EQ(platform::win::SendMessage(handle, 0x52C, 2, 1), 1);
    EXPECT_EQ(w.widget->core().snapshotState(), 1);
    w.document->spectra().sample[0].fill(42.0);
    EXPECT_EQ(platform::win::SendMessage(handle, 0x52C, 1, 0), 1);
    EXPECT_EQ(w.widget->core().snapshotState(), 0);
    EXPECT_EQ(w.document->spectra().referenceStored[0], 1u);
    EXPECT_EQ(platform::win::SendMessage(handle, 0x52C, 3, 0), 1);
    EXPECT_EQ(platform::win::SendMessage(handle, 0x52C, 99, 0), 1);
}

TEST(SpectrumViewWidget, RefusedCommandsDoNothing)
{
    using namespace app::res;
    WidgetWindow w;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices installed(ui);
    CHarluneSpectrumView& core = w.widget->core();
    const platform::chart::XrtHandle chart = core.chart();
    struct Case
    {
        unsigned id;
        int menuVerify;
    };
    const Case cases[] = {
        {ID_DISPLAY_PROPERTIES, mvSpecViewDisplayProperties},
        {ID_GRAPH_BACKGROUND_COLOR, mvSpecViewSetGraphBackgroundColor},
        {ID_BACKGROUND_SELECT_BITMAP, mvSpecViewBackgroundImageSelectBitmap},
        {ID_BACKGROUND_VISIBLE, mvSpecViewBackgroundImageVisible},
        {ID_AXIS_TEXT_PROPERTIES, mvSpecViewSetAxisTextProperties},
        {ID_SET_GRAPH_TITLE, mvSpecViewSetGraphTitle},
        {ID_RENAME_SPECTRAL_WINDOW, mvSpecViewRenameSpectralWindow},
        {ID_LEGEND_ENABLED, mvSpecViewLegendEnabled},
        {ID_LEGEND_CONFIGURE, mvSpecViewLegendConfigure},
        {ID_LEGEND_SHOW_OVERLAY_FILENAME, mvSpecViewLegendShowOverlayFilename},
        {ID_GRID_ENABLED, mvSpecViewGridEnabled},
        {ID_GRID_CONFIGURE, mvSpecViewGridConfigure},
        {platform::framework::ID_EDIT_COPY, mvSpecEditCopyGraphicalSpectra},
        {ID_COPY_DATA_ALL, mvSpecEditCopySpectralDataAll},
        {ID_COPY_DATA_SELECTED, mvSpecEditCopySpectralDataSelected},
        {ID_COPY_SPECTRA, mvSpecEditCopyGraphicalSpectra},
        {ID_CONFIGURE_SPECTROMETER, mvSpecSpectrometerConfigure},
        {ID_SAVE_DISPLAY_SETTINGS, mvSpecViewDisplayPropertyFilesSaveDisplaySettings},
        {ID_RESTORE_DISPLAY_SETTINGS, mvSpecViewDisplayPropertyFilesRestoreDisplaySettings},
        {platform::framework::ID_FILE_PRINT, mvSpecFilePrint},
        {platform::framework::ID_FILE_PRINT_PREVIEW, mvSpecFilePrintPreview},
        {platform::framework::ID_FILE_CLOSE, mvSpecFileClose},
    };
    const auto snapshot = [&] {
        using namespace platform::chart;
        std::vector<XrtValue> values;
        for (int id : {kXrtLegendShown, kXrtBackgroundColor, kXrtBackgroundBitmap,
                       kXrtHorizontalGridStyle, kXrtHeaderStrings, kXrtAxisFont, kXrtLegendFont,
                       kXrtLegendLabels, kXrtForegroundColor})
            values.push_back(XrtGetValue(chart, id));
        return values;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        w.frame.forbidden = c.menuVerify;
        const auto before = snapshot();
        const size_t verified = w.frame.verified.size();
        const int gridPattern = core.gridPattern();
        EXPECT_TRUE(w.widget->OnCmdMsg(c.id, nullptr));
        ASSERT_GT(w.frame.verified.size(), verified);
        EXPECT_EQ(w.frame.verified.back(), c.menuVerify);
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(core.gridPattern(), gridPattern);
        EXPECT_EQ(core.largeClipboard(), 0);
        EXPECT_EQ(ui.clipboardWrites(), 0);
        EXPECT_TRUE(ui.fileDialogs().empty());
        EXPECT_TRUE(ui.colorDialogs().empty());
        EXPECT_TRUE(ui.printDialogs().empty());
        EXPECT_EQ(w.frame.kickStarts, 0);
        EXPECT_TRUE(w.widget->isVisible());
    }
    // Take Log asks nothing itself: the flag switches; the mode command it re-enters asks.
    w.frame.forbidden = mvSpecSpectrumTakeLogOfVerticalScale;
    const int log = core.verticalLogScale();
    w.widget->OnCmdMsg(ID_TAKE_LOG, nullptr);
    EXPECT_EQ(core.verticalLogScale(), log != 0 ? 0 : 1);
    EXPECT_EQ(w.frame.verified.back(), mvSpecSpectrumScopeMode);
}

TEST(SpectrumViewWidget, CopiesGoThroughTheUiServicesClipboard)
{
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices installed(ui);
    auto w = std::make_unique<WidgetWindow>();
    w->document->spectra().processed[0].fill(2.5);
    EXPECT_TRUE(w->widget->OnCmdMsg(app::res::ID_COPY_DATA_ALL, nullptr));
    ASSERT_TRUE(ui.clipboardText().has_value());
    const std::string& text = *ui.clipboardText();
    EXPECT_EQ(text.substr(0, 23), "Master WL\tMaster Data\t\n");
    EXPECT_NE(text.find("\t2.500\t\n"), std::string::npos);

    // The window's close asks about the large clipboard; No empties it.
    ui.answerMessageBox(platform::qt::kIdNo);
    w.reset();
    ASSERT_FALSE(ui.messageBoxes().empty());
    EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Clipboard Warning");
    EXPECT_EQ(ui.messageBoxes().back().flags & platform::qt::kMbTypeMask, platform::qt::kMbYesNo);
    EXPECT_EQ(ui.clipboardEmptied(), 1);
    EXPECT_FALSE(ui.clipboardText().has_value());
}

TEST(SpectrumViewWidget, MouseOnTheChartMovesTheCursorAndNotes)
{
    WidgetWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.widget.get()));
    CHarluneSpectrumView& core = w.widget->core();
    core.OnCommand(app::res::ID_CURSOR_ENABLED);
    ASSERT_EQ(core.cursorShown(), 1);
    QWidget* chart = &w.widget->chartWindow();

    // A left click on the data point of pixel 100 (between it and pixel 101) puts the cursor
    // on pixel 100: the last pixel whose wavelength lies below the clicked one.
    // The chart is zoomed to pixels 90 to 110 so that one spectrum pixel spans many screen
    // pixels.
    const CSpectrometerConfiguration& c = core.configuration();
    const double between = (c.PixelToWavelength(0, 100) + c.PixelToWavelength(0, 101)) / 2.0;
    platform::chart::XrtSetValues(core.chart(), {{kXrtXMin, c.PixelToWavelength(0, 90)},
                                                 {kXrtXMax, c.PixelToWavelength(0, 110)}});
    int px = 0, py = 0;
    ASSERT_EQ(platform::chart::XrtUnmap(core.chart(), between, 0.0, &px, &py), 1);
    QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(px, py - 20));
    EXPECT_EQ(core.cursorPixel(), 100);
    EXPECT_EQ(core.cursorBarText().rfind("M: ", 0), 0u);

    // A note placed from the general pop-up; a right-click on it offers the annotation pop-up.
    std::vector<int> popups;
    w.widget->setPopupTracker([&](int popup, const QPoint&) { popups.push_back(popup); });
    const auto rightClick = [chart](QPoint at) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, chart->mapToGlobal(at));
        QApplication::sendEvent(chart, &click);
    };
    rightClick(QPoint(200, 150));
    ASSERT_EQ(popups.back(), 0);
    // The annotation dialog is answered by typing the text and pressing OK.
    QTimer::singleShot(0, [] {
        if (auto* dialog =
                dynamic_cast<CEditAnnotationDialog*>(QApplication::activeModalWidget())) {
            platform::framework::findControl<QLineEdit>(dialog, 1571)->setText("peak");
            dialog->pressOk();
        }
    });
    core.OnCommand(app::res::ID_ANNOTATE_HERE);
    const auto& note = core.annotation(0);
    ASSERT_EQ(note.inUse, 1);
    EXPECT_STREQ(note.text, "peak");
    rightClick(QPoint(note.rect[0] + 1, note.rect[1] + 1));
    EXPECT_EQ(popups.back(), 1);
    rightClick(QPoint(note.rect[2] + 40, note.rect[3] + 40));
    EXPECT_EQ(popups.back(), 0);

    // Move follows the mouse until the next click.
    rightClick(QPoint(note.rect[0] + 1, note.rect[1] + 1));
    core.OnCommand(app::res::ID_ANNOTATION_MOVE);
    ASSERT_EQ(core.annotationMoving(), 1);
    const double oldX = note.x;
    QTest::mouseMove(w.widget.get(), QPoint(400, 300));
    QTRY_VERIFY_WITH_TIMEOUT(note.x != oldX, 2000);
    const double movedX = note.x;
    QTest::mouseClick(w.widget.get(), Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_EQ(core.annotationMoving(), 0);
    QTest::mouseMove(w.widget.get(), QPoint(100, 100));
    QApplication::processEvents();
    EXPECT_EQ(note.x, movedX);
}

// The window's sounds (here Store Dark's) reach the UI services' sound output, and only when
// sounds are enabled.
TEST(SpectrumViewWidget, SoundsGoThroughTheUiServices)
{
    WidgetWindow w;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices installed(ui);
    w.frame.viewPrefs.StoreDarkSound = "/sounds/dark.wav";
    w.frame.prefs.SoundEnabled = 0;
    w.widget->core().OnStoreDark();
    EXPECT_TRUE(ui.sounds().empty());
    w.frame.prefs.SoundEnabled = 1;
    w.widget->core().OnStoreDark();
    EXPECT_EQ(ui.sounds(), std::vector<std::string>{"/sounds/dark.wav"});
}

TEST(SpectrumViewWidget, FileCommandsAskThroughTheFileDialogs)
{
    using namespace app::res;
    WidgetWindow w;
    w.frame.prefs.FileOverwriteWarning = 0;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices installed(ui);
    const std::filesystem::path folder = freshFolder("widget-files");

    // Save Processed with the SPC filter chosen writes SPC files only.
    ui.answerFileDialog({(folder / "w.scope").string()}, 2);
    EXPECT_TRUE(w.widget->OnCmdMsg(ID_SAVE_PROCESSED, nullptr));
    ASSERT_EQ(ui.fileDialogs().size(), 1u);
    const platform::qt::FileDialogRequest& save = ui.fileDialogs()[0];
    EXPECT_FALSE(save.open);
    EXPECT_TRUE(save.overwritePrompt);
    EXPECT_EQ(save.title, "Save Processed Spectra");
    ASSERT_EQ(save.filters.size(), 3u);
    EXPECT_EQ(save.filters[1].pattern, "*.spc");
    EXPECT_TRUE(std::filesystem::exists(folder / "w.Master.Scope.spc"));
    EXPECT_FALSE(std::filesystem::exists(folder / "w.Master.Scope"));

    // The open family takes several files at once.
    ui.answerFileDialog(std::nullopt);
    EXPECT_TRUE(w.widget->OnCmdMsg(ID_OPEN_DARK, nullptr));
    ASSERT_EQ(ui.fileDialogs().size(), 2u);
    EXPECT_TRUE(ui.fileDialogs()[1].open);
    EXPECT_TRUE(ui.fileDialogs()[1].allowMultiSelect);
    EXPECT_TRUE(ui.fileDialogs()[1].fileMustExist);
    EXPECT_EQ(ui.fileDialogs()[1].defaultExtension, "dark");
}

} // namespace
