#include "toolkit/widgets/COXTipWindow.h"

#include "platform/win/Clock.h"
#include "platform/win/ManualClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace {

using namespace std::chrono_literals;

// Processes events until the condition holds or ten seconds pass (a loaded machine running
// the sanitizer build can hold a timer back for seconds).
bool waitFor(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// An owner with two tool windows, A at (0, 0) and B at (100, 0), each 50 x 50; the owner's
// top-left is (100, 100) on a screen of 1000 x 800. The cursor, the window under a point and the
// screens are the test's.
class COXTipWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock = std::make_shared<platform::win::ManualClock>(10s);
        platform::win::setClock(clock);
        owner.setGeometry(100, 100, 300, 200);
        a = new QWidget(&owner);
        a->setGeometry(0, 0, 50, 50);
        b = new QWidget(&owner);
        b->setGeometry(100, 0, 50, 50);
        owner.show();
        tip = std::make_unique<COXTipWindow>();
        ASSERT_TRUE(tip->Create(&owner));
        tip->setCursorSource([this] { return cursor; });
        tip->setWindowSource([this](QPoint global) -> QWidget* {
            for (QWidget* w : {a, b})
                if (QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(global))
                    return w;
            if (QRect(owner.mapToGlobal(QPoint(0, 0)), owner.size()).contains(global))
                return &owner;
            return nullptr;
        });
        tip->setScreenSource([](QPoint global) {
            return global.x() < 1000 ? QRect(0, 0, 1000, 800) : QRect(1000, 0, 1000, 800);
        });
        ASSERT_TRUE(tip->AddTool(a, "Alpha", std::nullopt, 1));
        ASSERT_TRUE(tip->AddTool(b, "Beta\rThe longer part", std::nullopt, 2));
    }
    void TearDown() override
    {
        tip.reset();
        platform::win::setClock(nullptr);
    }

    QPoint centreOf(QWidget* w) const { return w->mapToGlobal(QPoint(25, 25)); }

    // Moves the mouse to a tool and lets the initial delay pass.
    void hoverAndWait(QWidget* w)
    {
        cursor = centreOf(w);
        tip->RelayEvent(QEvent::MouseMove, Qt::NoButton, cursor);
        clock->advance(500ms);
        ASSERT_TRUE(waitFor([&] { return tip->tipShown(); }));
    }

    std::shared_ptr<platform::win::ManualClock> clock;
    QWidget owner;
    QWidget* a = nullptr;
    QWidget* b = nullptr;
    std::unique_ptr<COXTipWindow> tip;
    QPoint cursor;
};

TEST_F(COXTipWindowTest, InitialDelayShowsAndAutoPopHides)
{
    cursor = centreOf(a);
    tip->RelayEvent(QEvent::MouseMove, Qt::NoButton, cursor);
    clock->advance(499ms);
    QCoreApplication::processEvents();
    EXPECT_FALSE(tip->tipShown());
    clock->advance(1ms);
    ASSERT_TRUE(waitFor([&] { return tip->tipShown(); }));
    EXPECT_EQ(tip->shownText(), "Alpha");
    // Shown below the cursor by the offset.
    EXPECT_EQ(tip->geometry().topLeft(), cursor + QPoint(0, 20));
    // Checks every 500 ms; gone after 5000 ms.
    for (int i = 1; i <= 9; ++i) {
        clock->advance(500ms);
        ASSERT_TRUE(waitFor([&] { return tip->elapsedMs() == 500 * i; }));
    }
    EXPECT_TRUE(tip->tipShown());
    clock->advance(500ms);
    ASSERT_TRUE(waitFor([&] { return !tip->tipShown(); }));
    EXPECT_TRUE(tip->isHidden());
}

TEST_F(COXTipWindowTest, MovingToAnotherToolHidesAtTheNextCheck)
{
    hoverAndWait(a);
    cursor = centreOf(b);
    clock->advance(500ms);
    ASSERT_TRUE(waitFor([&] { return !tip->tipShown(); }));
}

TEST_F(COXTipWindowTest, EmptyTextShowsNothing)
{
    QWidget* c = new QWidget(&owner);
    c->setGeometry(0, 100, 50, 50);
    c->show();
    tip->setWindowSource([&](QPoint) { return c; });
    ASSERT_TRUE(tip->AddTool(c, "", std::nullopt, 3));
    cursor = c->mapToGlobal(QPoint(5, 5));
    tip->RelayEvent(QEvent::MouseMove, Qt::NoButton, cursor);
    ASSERT_TRUE(tip->hasCurrentTool());
    clock->advance(600ms);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(tip->tipShown());
    EXPECT_FALSE(tip->AddTool(nullptr, "x", std::nullopt, 4));
}

TEST_F(COXTipWindowTest, TwoPartTextOpensAndClosesByClicks)
{
    hoverAndWait(b);
    EXPECT_TRUE(tip->hasMore());
    EXPECT_EQ(tip->shownText(), "Beta  ");
    tip->clickTip();
    EXPECT_EQ(tip->shownText(), "  The longer part");
    EXPECT_TRUE(tip->showingMore());
    tip->clickTip();
    EXPECT_EQ(tip->shownText(), "Beta  ");
    // The triangle sits in the gap: some black pixels inside the text area.
    const QImage shown = tip->renderToImage();
    EXPECT_FALSE(shown.isNull());
}

TEST_F(COXTipWindowTest, KeysAndOtherButtonsHideUntilAnotherTool)
{
    struct Case
    {
        const char* name;
        QEvent::Type type;
        Qt::MouseButton button;
    } cases[] = {
        {"key", QEvent::KeyPress, Qt::NoButton},
        {"right button", QEvent::MouseButtonPress, Qt::RightButton},
        {"double click", QEvent::MouseButtonDblClick, Qt::LeftButton},
        {"left button", QEvent::MouseButtonPress, Qt::LeftButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hoverAndWait(a);
        tip->RelayEvent(c.type, c.button, cursor);
        EXPECT_FALSE(tip->tipShown());
        EXPECT_TRUE(tip->isHidden());
        // Moving over the same tool does not bring it back.
        tip->RelayEvent(QEvent::MouseMove, Qt::NoButton, cursor + QPoint(1, 1));
        clock->advance(600ms);
        QCoreApplication::processEvents();
        EXPECT_FALSE(tip->tipShown());
        // Another tool starts again.
        hoverAndWait(b);
        tip->Hide();
    }
}

TEST_F(COXTipWindowTest, RightAndBottomEdgesOnTwoScreens)
{
    struct Case
    {
        const char* name;
        QPoint point;
        QRect expected;
    } cases[] = {
        {"inside the first", {100, 100}, {100, 100, 120, 30}},
        {"past the first's right", {950, 100}, {880, 100, 120, 30}},
        {"past the second's right", {1990, 100}, {1880, 100, 120, 30}},
        {"on the second", {1200, 300}, {1200, 300, 120, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QRect rect(0, 0, 120, 30);
        tip->PositionTip(c.point, rect, 0);
        EXPECT_EQ(rect, c.expected);
    }
    // Past the bottom: just above the tool's top edge, on whichever screen.
    QRect rect(0, 0, 120, 30);
    tip->PositionTip(QPoint(1500, 790), rect, 0);
    EXPECT_EQ(rect.bottom(), a->mapToGlobal(QPoint(0, 0)).y() - 1);
    EXPECT_EQ(rect.left(), 1500);
}

TEST_F(COXTipWindowTest, DefaultsReachOnlyToolsWithTheOldDefault)
{
    TOOLINFO info;
    ASSERT_TRUE(tip->GetToolInfo(info, b, 2));
    info.clrBackground = 0x123456;
    info.nMaxWidth = 77;
    ASSERT_TRUE(tip->SetToolInfo(info));
    EXPECT_EQ(tip->SetTipBkColor(0x00FF00), COXTipWindow::CLR_DEFAULT);
    EXPECT_EQ(tip->SetMaxTipWidth(200), 0);
    ASSERT_TRUE(tip->GetToolInfo(info, a, 1));
    EXPECT_EQ(info.clrBackground, 0x00FF00u);
    EXPECT_EQ(info.nMaxWidth, 200);
    ASSERT_TRUE(tip->GetToolInfo(info, b, 2));
    EXPECT_EQ(info.clrBackground, 0x123456u);
    EXPECT_EQ(info.nMaxWidth, 77);
    EXPECT_EQ(tip->SetTipTextColor(0x0000FF), COXTipWindow::CLR_DEFAULT);
    EXPECT_EQ(tip->GetTipTextColor(), 0x0000FFu);
    EXPECT_FALSE(tip->GetToolInfo(info, a, 99));
}

TEST_F(COXTipWindowTest, HitTestAndRemovingTheCurrentTool)
{
    TOOLINFO info;
    EXPECT_TRUE(tip->HitTest(a, 10, 10, &info));
    EXPECT_EQ(info.uId, 1u);
    EXPECT_EQ(info.lpszText, "Alpha");
    EXPECT_FALSE(tip->HitTest(a, 60, 10, &info));
    EXPECT_TRUE(tip->HitTest(b, 110, 10, &info));
    EXPECT_EQ(info.uId, 2u);
    EXPECT_FALSE(tip->HitTest(&owner, 10, 10));

    hoverAndWait(a);
    tip->RemoveTool(a, 1);
    EXPECT_FALSE(tip->tipShown());
    EXPECT_FALSE(tip->hasCurrentTool());
    EXPECT_EQ(tip->toolCount(), 1);
    clock->advance(1000ms);
    QCoreApplication::processEvents();
    EXPECT_FALSE(tip->tipShown());
}

TEST_F(COXTipWindowTest, DelaysAndWideTexts)
{
    tip->SetDelayTime(COXTipWindow::TTDT_INITIAL, 1000);
    tip->SetDelayTime(COXTipWindow::TTDT_AUTOPOP, -5);
    tip->SetDelayTime(7, 3);
    EXPECT_EQ(tip->GetDelayTime(COXTipWindow::TTDT_INITIAL), 1000);
    EXPECT_EQ(tip->GetDelayTime(COXTipWindow::TTDT_AUTOPOP), 0);
    EXPECT_EQ(tip->GetDelayTime(7), 0);
    // A line wider than the screen wraps at the screen's width.
    cursor = QPoint(10, 10);
    const QRect wide = tip->CalcTipRect(std::string(5000, 'W'), 0);
    EXPECT_LE(wide.width(), 1000);
    EXPECT_GT(wide.height(), 30);
    for (const char* text : {"", "\r", "\n\n\n"}) {
        const QRect r = tip->CalcTipRect(text, 0);
        EXPECT_GE(r.width(), 5);
    }
}

TEST_F(COXTipWindowTest, FontFollowsTheDesktopUntilSet)
{
    EXPECT_TRUE(tip->usesSystemFont());
    platform::qt::LOGFONT font = tip->tipLogFont();
    font.lfHeight -= 7;
    tip->SetTipFont(font);
    EXPECT_FALSE(tip->usesSystemFont());
    EXPECT_EQ(tip->tipLogFont().lfHeight, font.lfHeight);
}

} // namespace
