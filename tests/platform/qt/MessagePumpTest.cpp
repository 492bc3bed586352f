#include "platform/qt/MessagePump.h"

#include "platform/win/Messages.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

using namespace platform::win;
using platform::qt::MessagePump;

namespace {

QApplication& messagePumpApplication()
{
    static int argc = 1;
    static char name[] = "MessagePumpTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Bound of every event loop here: far above the time the work needs.
constexpr int kLoopLimitMs = 20000;

// Runs loop until it is quit, or fails the test after kLoopLimitMs.
void runBounded(QEventLoop& loop)
{
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        loop.quit();
    });
    guard.start(kLoopLimitMs);
    loop.exec();
    EXPECT_FALSE(timedOut) << "the event loop did not finish its work in time";
}

// Posts count numbered messages from a worker thread, waiting whenever the queue is full.
std::thread postNumbers(HWND hwnd, int count)
{
    return std::thread([hwnd, count] {
        for (int i = 0; i < count; ++i) {
            while (!PostMessage(hwnd, WM_USER, WPARAM(i), -LPARAM(i))) {
                std::this_thread::yield();
            }
        }
    });
}

void expectInOrder(const std::vector<int>& received, int count)
{
    ASSERT_EQ(received.size(), size_t(count));
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(received[i], i) << "at " << i;
    }
}

class MessagePumpTest : public ::testing::Test
{
protected:
    void SetUp() override { messagePumpApplication(); }
};

// The road everything depends on: driver threads post, the GUI thread receives in order
// through the Qt event loop.
TEST_F(MessagePumpTest, TenThousandMessagesFromAWorkerArriveInOrderOnTheGuiThread)
{
    constexpr int kCount = 10000;
    MessagePump pump;
    QEventLoop loop;
    std::vector<int> received;
    const auto guiThread = std::this_thread::get_id();
    bool offThread = false;
    HWND hwnd = createMessageWindow([&](HWND, UINT message, WPARAM w, LPARAM l) {
        offThread = offThread || std::this_thread::get_id() != guiThread;
        if (message == WM_USER && l == -LPARAM(w)) {
            received.push_back(int(w));
        }
        if (received.size() == size_t(kCount)) {
            loop.quit();
        }
        return LRESULT(0);
    });
    ASSERT_NE(hwnd, 0u);
    std::thread worker = postNumbers(hwnd, kCount);
    runBounded(loop);
    worker.join();
    EXPECT_FALSE(offThread);
    expectInOrder(received, kCount);
    DestroyWindow(hwnd);
}

// A handler that runs a nested loop (as a modal box does) lets the later messages through
// there, in order, and the outer pump neither repeats nor loses any.
TEST_F(MessagePumpTest, NestedEventLoopsKeepOrderWithoutLossOrRepeat)
{
    constexpr int kCount = 3000;
    MessagePump pump;
    QEventLoop loop;
    std::vector<int> received;
    int deepest = 0;
    int depth = 0;
    HWND hwnd = createMessageWindow([&](HWND, UINT, WPARAM w, LPARAM) {
        received.push_back(int(w));
        if (received.size() == size_t(kCount)) {
            loop.quit();
        }
        // Messages 100, 200, ... open a "modal" loop that runs until 30 more arrived,
        // nesting again when one of those is a multiple of 100 as well.
        if (w % 100 == 0 && w + 30 < WPARAM(kCount)) {
            ++depth;
            deepest = std::max(deepest, depth);
            QEventLoop modal;
            const size_t until = received.size() + 30;
            QTimer check;
            QObject::connect(&check, &QTimer::timeout, [&] {
                if (received.size() >= until) {
                    modal.quit();
                }
            });
            check.start(0);
            runBounded(modal);
            --depth;
        }
        return LRESULT(0);
    });
    std::thread worker = postNumbers(hwnd, kCount);
    runBounded(loop);
    worker.join();
    EXPECT_GE(deepest, 1);
    expectInOrder(received, kCount);
    DestroyWindow(hwnd);
}

TEST_F(MessagePumpTest, HandlerExceptionsAreReportedAndDeliveryGoesOn)
{
    MessagePump pump;
    std::vector<std::string> errors;
    pump.setExceptionHandler([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            errors.emplace_back(e.what());
        }
    });
    QEventLoop loop;
    std::vector<int> received;
    HWND hwnd = createMessageWindow([&](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
        received.push_back(int(w));
        if (w == 4) {
            loop.quit();
        }
        if (w % 2 == 1) {
            throw std::runtime_error("odd " + std::to_string(w));
        }
        return 0;
    });
    std::thread worker = postNumbers(hwnd, 5);
    runBounded(loop);
    worker.join();
    expectInOrder(received, 5);
    EXPECT_EQ(errors, (std::vector<std::string>{"odd 1", "odd 3"}));
    DestroyWindow(hwnd);
}

TEST_F(MessagePumpTest, QuitMessageEndsTheApplicationLoop)
{
    MessagePump pump;
    std::vector<int> received;
    HWND hwnd = createMessageWindow([&](HWND, UINT, WPARAM w, LPARAM) {
        received.push_back(int(w));
        return LRESULT(0);
    });
    PostMessage(hwnd, WM_USER, 0, 0);
    PostMessage(hwnd, WM_USER, 1, 0);
    PostQuitMessage(23);
    bool timedOut = false;
    QTimer::singleShot(kLoopLimitMs, [&] {
        timedOut = true;
        QCoreApplication::exit(-1);
    });
    EXPECT_EQ(QCoreApplication::exec(), 23);
    EXPECT_FALSE(timedOut);
    expectInOrder(received, 2); // the messages posted before the quit came first
    DestroyWindow(hwnd);
}

// A script's DoEvents: at most the limit, even from a queue that never empties, and never past a
// WM_QUIT, which stays queued.
TEST_F(MessagePumpTest, PendingMessagesAreBoundedAndStopBeforeQuit)
{
    struct Case
    {
        const char* name;
        int before; // messages queued ahead of the quit (-1: no quit, a self-refilling queue)
        int taken;
    };
    const Case cases[] = {
        {"queue that never empties", -1, 100},
        {"quit after three", 3, 3},
        {"quit first", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int received = 0;
        HWND hwnd = createMessageWindow([&](HWND self, UINT, WPARAM, LPARAM) {
            ++received;
            if (c.before < 0)
                PostMessage(self, WM_USER, 0, 0);
            return LRESULT(0);
        });
        if (c.before < 0) {
            PostMessage(hwnd, WM_USER, 0, 0);
        } else {
            for (int i = 0; i < c.before; ++i)
                PostMessage(hwnd, WM_USER, 0, 0);
            PostQuitMessage(7);
        }
        EXPECT_EQ(platform::qt::pumpPendingMessages(100), c.taken);
        EXPECT_EQ(received, c.taken);
        MSG msg;
        ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE));
        if (c.before >= 0) {
            EXPECT_EQ(msg.message, WM_QUIT);
        }
        DestroyWindow(hwnd);
        // What is left goes: the quit, or the refilling message.
        while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
        }
    }
}

} // namespace
