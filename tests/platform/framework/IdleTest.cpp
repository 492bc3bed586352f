#include "platform/framework/IdleProcessor.h"
#include "tests/platform/framework/TestApplication.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

using platform::framework::IdleProcessor;

namespace {

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Runs the (outermost) event loop for a while.
void runLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST(IdleProcessorTest, QuietLoopCallsTheHookAFewTimesAndUsesNoCpu)
{
    testApplication();
    int calls = 0;
    IdleProcessor idle([&](long) {
        ++calls;
        return false;
    });
    runLoop(100); // settle: start-up events
    calls = 0;
    const double cpuBefore = processCpuSeconds();
    runLoop(1000);
    const double cpuUsed = processCpuSeconds() - cpuBefore;
    EXPECT_LE(calls, 5);
    EXPECT_LT(cpuUsed, 0.1) << "an idle loop must not spin";
}

TEST(IdleProcessorTest, MoreIdleWorkRepeatsWithAGrowingCountThenStops)
{
    testApplication();
    std::vector<long> counts;
    IdleProcessor idle([&](long count) {
        counts.push_back(count);
        return count < 3;
    });
    runLoop(200);
    ASSERT_GE(counts.size(), 4u);
    EXPECT_EQ(std::vector<long>(counts.begin(), counts.begin() + 4),
              (std::vector<long>{0, 1, 2, 3}));

    // An event ends the idle period: the hook runs again from count 0.
    counts.clear();
    QEventLoop loop;
    QTimer::singleShot(20, &loop, [] {});
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.front(), 0);
    EXPECT_LE(counts.size(), 12u); // bounded: four per idle period, a few periods
}

TEST(IdleProcessorTest, NotCalledFromNestedLoopsWhilePostedWorkStillRuns)
{
    testApplication();
    bool inModal = false;
    int callsInModal = 0;
    int callsAfterModal = 0;
    bool modalDone = false;
    std::vector<int> levels;
    IdleProcessor idle([&](long) {
        levels.push_back(QThread::currentThread()->loopLevel());
        if (inModal) {
            ++callsInModal;
        } else if (modalDone) {
            ++callsAfterModal;
        }
        return false;
    });
    int delivered = 0;
    QEventLoop outer;
    QTimer::singleShot(20, &outer, [&]() {
        QDialog dialog;
        QObject context;
        inModal = true;
        // While the modal loop runs, posted work still arrives, several times over.
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, &context, [&]() {
            QMetaObject::invokeMethod(
                &context, [&]() { ++delivered; }, Qt::QueuedConnection);
            if (delivered >= 5) {
                dialog.accept();
            }
        });
        ticker.start(10);
        dialog.exec();
        inModal = false;
        modalDone = true;
    });
    QTimer::singleShot(3000, &outer, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &outer, [&]() {
        if (callsAfterModal > 0) {
            outer.quit();
        }
    });
    poll.start(20);
    outer.exec();
    EXPECT_TRUE(modalDone);
    EXPECT_GE(delivered, 5);
    EXPECT_EQ(callsInModal, 0);
    EXPECT_GE(callsAfterModal, 1);
    for (int level : levels) {
        EXPECT_EQ(level, 1);
    }
}

TEST(IdleProcessorTest, ExceptionFromTheHookDoesNotReachTheLoop)
{
    testApplication();
    int calls = 0;
    IdleProcessor idle([&](long) -> bool {
        ++calls;
        throw std::runtime_error("idle fault");
    });
    runLoop(100);
    EXPECT_GE(calls, 1);
}

TEST(IdleProcessorTest, WakeSoonRunsTheHookAheadOfLowPriorityEvents)
{
    testApplication();
    std::vector<std::string> order;
    IdleProcessor idle([&](long) {
        order.push_back("idle");
        return false;
    });
    runLoop(50);
    order.clear();
    // A repaint waits at low priority, as Qt posts update requests.
    struct Recorder : QObject
    {
        std::vector<std::string>* order = nullptr;
        bool event(QEvent* event) override
        {
            if (event->type() == QEvent::User) {
                order->push_back("repaint");
                return true;
            }
            return QObject::event(event);
        }
    } recorder;
    recorder.order = &order;
    QCoreApplication::postEvent(&recorder, new QEvent(QEvent::User), Qt::LowEventPriority);
    idle.wakeSoon();
    runLoop(50);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], "idle");
    EXPECT_EQ(order[1], "repaint");
    // One wake, one call: the repaint's own idle pass may follow it, nothing more.
    EXPECT_LE(std::count(order.begin(), order.end(), "idle"), 2);
}
