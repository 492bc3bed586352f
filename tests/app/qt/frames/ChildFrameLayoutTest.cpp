// The spectrum windows inside the main window at its default size (1024x700): the chart keeps
// its room beside the bars, tiled and cascaded windows stay inside the MDI area, and the Window
// menu lists the open windows.
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/chart/Chart2D.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/qt/frames/MainFrameFixture.h"
#include "tests/app/shell/ShellFakes.h"
#include "toolkit/widgets/COXCoolToolBar.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace fw = platform::framework;

namespace {

// Lets pending layouts and deferred deletes run.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

class ChildFrameLayoutTest : public frames_test::MainFrameFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(false));
        settle();
    }

    std::vector<SpectrumViewWidget*> spectrumViews() const
    {
        std::vector<SpectrumViewWidget*> views;
        for (fw::ChildFrame* child : frame->childFrames())
            if (auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView()))
                views.push_back(view);
        return views;
    }

    // The chart's area as the user sees it: the chart window, cut to the part of the view that
    // shows inside its frame.
    static QSize chartArea(SpectrumViewWidget* view)
    {
        const QWidget& chart = view->chartWindow();
        QRect visible(QPoint(0, 0), chart.size());
        for (const QWidget* w = chart.parentWidget(); w != nullptr; w = w->parentWidget()) {
            const QPoint offset = chart.mapTo(w, QPoint(0, 0));
            visible = visible.intersected(w->rect().translated(-offset));
            if (dynamic_cast<const fw::ChildFrame*>(w) != nullptr)
                break;
        }
        return visible.isValid() ? visible.size() : QSize(0, 0);
    }

    void expectInsideWithChart(const char* what)
    {
        SCOPED_TRACE(what);
        const QRect area = frame->mdiArea()->viewport()->rect();
        for (fw::ChildFrame* child : frame->childFrames()) {
            EXPECT_TRUE(area.contains(child->geometry()))
                << child->geometry().x() << "," << child->geometry().y() << " "
                << child->geometry().width() << "x" << child->geometry().height() << " in "
                << area.width() << "x" << area.height();
            auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView());
            ASSERT_NE(view, nullptr);
            const QSize chart = chartArea(view);
            EXPECT_GT(chart.width(), 0);
            EXPECT_GT(chart.height(), 0);
        }
    }
};

TEST_F(ChildFrameLayoutTest, NewSpectrumWindowKeepsAUsableChartAtTheDefaultSize)
{
    EXPECT_EQ(frame->size(), QSize(1024, 700));
    const std::vector<SpectrumViewWidget*> views = spectrumViews();
    ASSERT_EQ(views.size(), 1u);
    const QSize chart = chartArea(views.front());
    EXPECT_GE(chart.width(), 240);
    EXPECT_GE(chart.height(), 160);
    expectInsideWithChart("first window");
}

TEST_F(ChildFrameLayoutTest, TiledAndCascadedWindowsStayInsideTheAreaWithTheirCharts)
{
    app.NewSpectrumWindow();
    settle();
    ASSERT_EQ(spectrumViews().size(), 2u);
    for (unsigned command : {fw::ID_WINDOW_TILE_HORZ, fw::ID_WINDOW_TILE_VERT}) {
        ASSERT_TRUE(frame->executeCommand(command));
        settle();
        expectInsideWithChart(command == fw::ID_WINDOW_TILE_HORZ ? "two tiled horizontally"
                                                                 : "two tiled vertically");
    }
    for (int i = 0; i < 6; ++i)
        app.NewSpectrumWindow();
    settle();
    ASSERT_EQ(spectrumViews().size(), 8u);
    ASSERT_TRUE(frame->executeCommand(fw::ID_WINDOW_CASCADE));
    settle();
    expectInsideWithChart("eight cascaded");
    // The active window lies on top.
    EXPECT_EQ(frame->childFrames().front(), frame->MDIGetActive());
}

// Two windows tiled at the default size: the bars are clipped before the chart gets less than
// half of its window's height; a third window and a close give the bars back.
TEST_F(ChildFrameLayoutTest, TiledWindowsKeepHalfTheirHeightForTheChart)
{
    app.NewSpectrumWindow();
    settle();
    ASSERT_EQ(spectrumViews().size(), 2u);
    for (unsigned command : {fw::ID_WINDOW_TILE_HORZ, fw::ID_WINDOW_TILE_VERT}) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(frame->executeCommand(command));
        settle();
        for (fw::ChildFrame* child : frame->childFrames()) {
            auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView());
            ASSERT_NE(view, nullptr);
            EXPECT_GE(chartArea(view).height(), child->height() / 2)
                << "window " << child->height() << " high";
            // The acquisition bar stays, and clipped bars still count as shown.
            auto* spectrumFrame = dynamic_cast<CChildFrameSpectrum*>(child);
            ASSERT_NE(spectrumFrame, nullptr);
            EXPECT_TRUE(spectrumFrame->controlBar(CChildFrameSpectrum::IDD_ACQUISITION_PARAMETERS)
                            ->isVisible());
        }
    }
    // Maximised, the window has room again for its bars.
    fw::ChildFrame* active = frame->MDIGetActive();
    ASSERT_NE(active, nullptr);
    active->showMaximized();
    settle();
    auto* spectrumFrame = dynamic_cast<CChildFrameSpectrum*>(active);
    ASSERT_NE(spectrumFrame, nullptr);
    EXPECT_TRUE(spectrumFrame->controlBar(CChildFrameSpectrum::IDR_TIME_ACQUISITION)->isVisible());
}

// In a window too small for all its bars, each bar's item of View > Spectrum Toolbar is checked
// exactly while the bar shows; choosing the item of a bar clipped for room shows it (and
// checks it), and choosing it again hides it. Through the menu item and the command's row.
TEST_F(ChildFrameLayoutTest, ToolBarItemsFollowWhatTheSmallWindowShows)
{
    app.NewSpectrumWindow();
    settle();
    auto* spectrum = dynamic_cast<CChildFrameSpectrum*>(frame->MDIGetActive());
    ASSERT_NE(spectrum, nullptr);
    std::vector<unsigned> shownBefore;
    for (unsigned id = app::res::ID_VIEW_SPECTRUM_CONTROLS; id <= app::res::ID_VIEW_QUINTAR; ++id)
        if (QWidget* bar = spectrum->controlBar(id); bar != nullptr && bar->isVisible())
            shownBefore.push_back(id);
    ASSERT_TRUE(frame->executeCommand(fw::ID_WINDOW_TILE_HORZ));
    settle();
    ASSERT_EQ(frame->MDIGetActive(), spectrum);
    const auto menuItem = [&](unsigned id) {
        return frames_test::menuAction(frame->menuBar(), id);
    };
    unsigned clipped = 0;
    for (unsigned id = app::res::ID_VIEW_SPECTRUM_CONTROLS; id <= app::res::ID_VIEW_QUINTAR; ++id) {
        SCOPED_TRACE(id);
        QWidget* bar = spectrum->controlBar(id);
        ASSERT_NE(bar, nullptr);
        QAction* item = menuItem(id);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->isChecked(), bar->isVisible());
        EXPECT_EQ(fw::queryCommandState(*frame, id).check.value_or(0) != 0, bar->isVisible());
        if (clipped == 0 && !bar->isVisible() &&
            std::find(shownBefore.begin(), shownBefore.end(), id) != shownBefore.end())
            clipped = id;
    }
    // The small window has clipped at least one bar; choosing it brings it back.
    ASSERT_NE(clipped, 0u);
    QWidget* bar = spectrum->controlBar(clipped);
    menuItem(clipped)->trigger();
    settle();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(menuItem(clipped)->isChecked());
    // The row: the command hides it again, and the check follows.
    ASSERT_TRUE(frame->executeCommand(clipped));
    settle();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(fw::queryCommandState(*frame, clipped).check.value_or(1), 0);
    EXPECT_FALSE(menuItem(clipped)->isChecked());
}

// File > Exit with two spectrum windows: the windows the close takes down go from the event
// loop and write their keys as they go; the settings hive is still replaced (written and
// flushed to disk) once, after they have gone, and holds what they wrote.
TEST_F(ChildFrameLayoutTest, FileExitReplacesTheSettingsHiveOnceAfterTheWindowsWent)
{
    app.NewSpectrumWindow();
    settle();
    std::vector<QPointer<fw::ChildFrame>> children;
    for (fw::ChildFrame* child : frame->childFrames())
        children.emplace_back(child);
    ASSERT_EQ(children.size(), 2u);
    const char* registry = std::getenv("HARLUNE_REGISTRY_DIR");
    ASSERT_NE(registry, nullptr);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, registry, IN_MOVED_TO), 0);
    int replaced = 0;
    const auto countReplacements = [&] {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got = read(watch, buffer, sizeof buffer); got > 0;
             got = read(watch, buffer, sizeof buffer)) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::string(event->name) == "HKEY_LOCAL_MACHINE.hive")
                    ++replaced;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return replaced;
    };

    QAction* exitItem = frames_test::menuAction(frame->menuBar(), fw::ID_APP_EXIT);
    ASSERT_NE(exitItem, nullptr);
    exitItem->trigger();
    EXPECT_TRUE(runUntil(
        [&] {
            for (const QPointer<fw::ChildFrame>& child : children)
                if (!child.isNull())
                    return false;
            return countReplacements() > 0;
        },
        10000));
    settle();
    EXPECT_EQ(countReplacements(), 1);
    close(watch);
    // The windows' own keys are in it.
    EXPECT_EQ(CINIFileSupport(nullptr, 1).GetIntDefault("Preferences", "VerticalScaleLog", 7), 0);
}

TEST_F(ChildFrameLayoutTest, WindowMenuListsTheOpenWindowsAndActivatesTheOneChosen)
{
    app.NewSpectrumWindow();
    app.NewGridWindow(4, 4, 1, "Grid Data");
    settle();
    const std::vector<fw::ChildFrame*> frames = frame->windowListFrames();
    ASSERT_EQ(frames.size(), 3u);
    QMenu* windowMenu = nullptr;
    for (QAction* action : frame->menuBar()->actions())
        if (action->menu() != nullptr && action->text() == QStringLiteral("&Window"))
            windowMenu = action->menu();
    ASSERT_NE(windowMenu, nullptr);
    emit windowMenu->aboutToShow();
    std::vector<QAction*> listed;
    for (QAction* action : windowMenu->actions())
        if (action->data().toUInt() >= fw::MdiFrame::kFirstMdiChildId)
            listed.push_back(action);
    ASSERT_EQ(listed.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(listed[i]->text(), QString::fromStdString(fw::MdiFrame::windowListText(
                                         i, frames[i]->windowTitle())));
        EXPECT_TRUE(listed[i]->text().startsWith(QStringLiteral("&%1 ").arg(i + 1)));
        EXPECT_EQ(listed[i]->isChecked(), frames[i] == frame->MDIGetActive());
    }
    // The grid window, opened last, is active; choosing the first window activates it.
    EXPECT_EQ(frame->MDIGetActive(), frames[2]);
    listed[0]->trigger();
    settle();
    EXPECT_EQ(frame->MDIGetActive(), frames[0]);
    emit windowMenu->aboutToShow();
    int checked = 0;
    for (QAction* action : windowMenu->actions())
        if (action->data().toUInt() >= fw::MdiFrame::kFirstMdiChildId && action->isChecked())
            ++checked;
    EXPECT_EQ(checked, 1);
}

TEST_F(ChildFrameLayoutTest, MainWindowAtItsMinimumKeepsTheMenuAndNoNegativeChart)
{
    frame->resize(frame->minimumSizeHint());
    settle();
    EXPECT_TRUE(frame->menuBar()->isVisible());
    EXPECT_GT(frame->menuBar()->height(), 0);
    EXPECT_TRUE(frame->rect().contains(frame->menuBar()->geometry()));
    for (SpectrumViewWidget* view : spectrumViews()) {
        EXPECT_GE(view->chartWindow().width(), 0);
        EXPECT_GE(view->chartWindow().height(), 0);
    }
    frame->resize(1024, 700);
    settle();
    expectInsideWithChart("back at the default size");
}

// With a tool bar docked at the bottom of the main window, the MDI area ends where the docked
// bars begin, and a maximised or restored window lies within the area, its own status bar
// showing.
TEST_F(ChildFrameLayoutTest, BottomDockedBarEndsTheAreaAndWindowsStayAboveIt)
{
    COXCoolToolBar* bottom = frame->controlBar(16002);
    ASSERT_NE(bottom, nullptr);
    frame->addToolBar(Qt::BottomToolBarArea, bottom);
    bottom->show();
    settle();
    ASSERT_EQ(frame->toolBarArea(bottom), Qt::BottomToolBarArea);
    auto* child = dynamic_cast<CChildFrameSpectrum*>(frame->MDIGetActive());
    ASSERT_NE(child, nullptr);
    const auto inFrame = [&](const QWidget* w) {
        return QRect(w->mapTo(frame, QPoint(0, 0)), w->size());
    };
    for (const bool maximised : {true, false}) {
        SCOPED_TRACE(maximised ? "maximised" : "restored");
        if (maximised)
            child->showMaximized();
        else
            child->showNormal();
        settle();
        const QRect area = inFrame(frame->mdiArea());
        for (QWidget* bar : frame->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly)) {
            if (bar->isVisible() && !bar->isWindow()) {
                EXPECT_FALSE(area.intersects(inFrame(bar)))
                    << bar->windowTitle().toStdString() << " at " << inFrame(bar).y()
                    << ", the area down to " << area.bottom();
            }
        }
        EXPECT_FALSE(area.intersects(inFrame(frame->statusBar())));
        const QRect viewport = frame->mdiArea()->viewport()->rect();
        EXPECT_TRUE(viewport.contains(child->geometry()))
            << child->geometry().bottom() << " below " << viewport.bottom();
        QStatusBar* status = child->frameStatusBar();
        ASSERT_NE(status, nullptr);
        EXPECT_TRUE(area.contains(inFrame(status)))
            << inFrame(status).bottom() << " below " << area.bottom();
    }
}

} // namespace
