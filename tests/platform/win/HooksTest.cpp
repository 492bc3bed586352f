#include "platform/win/Log.h"
#include "platform/win/System.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace platform::win;

namespace {

struct BoxCall
{
    std::string text;
    std::string caption;
    PWIN_UINT type;
};

struct Recorder
{
    std::vector<BoxCall> shown;
    std::vector<BoxCall> later;
    int answer = IDOK;
};

int recordShow(void* context, PWIN_HWND, const char* text, const char* caption, PWIN_UINT type)
{
    auto* recorder = static_cast<Recorder*>(context);
    recorder->shown.push_back({text, caption, type});
    return recorder->answer;
}

void recordLater(void* context, PWIN_HWND, const char* text, const char* caption, PWIN_UINT type)
{
    static_cast<Recorder*>(context)->later.push_back({text, caption, type});
}

class HooksTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        pwin_SetMessageBoxHook(nullptr);
        pwin_SetDebugOutputHook(nullptr, nullptr);
        pwin_SetMessageBeepHook(nullptr, nullptr);
        unsetenv("VYKDRV_DEBUG");
        resetLogLevel();
    }
};

struct DefaultCase
{
    const char* name;
    PWIN_UINT type;
    int answer;
};

TEST_F(HooksTest, UnhookedBoxGoesToStderrAndAnswersItsDefaultButton)
{
    const DefaultCase cases[] = {
        {"ok", MB_OK, IDOK},
        {"ok with icon and task-modal", MB_OK | MB_ICONERROR | MB_TASKMODAL, IDOK},
        {"ok-cancel", MB_OKCANCEL, IDOK},
        {"ok-cancel, second default", MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {"yes-no", MB_YESNO | MB_ICONQUESTION, IDYES},
        {"yes-no, second default", MB_YESNO | MB_DEFBUTTON2, IDNO},
        {"yes-no-cancel", MB_YESNOCANCEL, IDYES},
        {"yes-no-cancel, third default", MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {"yes-no, third default does not exist", MB_YESNO | MB_DEFBUTTON3, IDYES},
        {"retry-cancel", MB_RETRYCANCEL, IDRETRY},
        {"abort-retry-ignore, second default", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBox(0, "Some text", "Some caption", c.type), c.answer);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("Some caption"), std::string::npos) << err;
        EXPECT_NE(err.find("Some text"), std::string::npos) << err;
    }
}

TEST_F(HooksTest, NullTextAndCaptionAreEmpty)
{
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBox(0, nullptr, nullptr, MB_OK), IDOK);
    ::testing::internal::GetCapturedStderr();
}

TEST_F(HooksTest, HookOnItsOwnThreadIsAskedAndItsAnswerReturned)
{
    Recorder recorder;
    recorder.answer = IDNO;
    const PWIN_MESSAGEBOX_HOOK hook{recordShow, recordLater, &recorder};
    pwin_SetMessageBoxHook(&hook);
    EXPECT_EQ(MessageBox(0, "Continue?", "VYKDrv Device Driver Warning!",
                         MB_YESNO | MB_ICONEXCLAMATION | MB_TASKMODAL),
              IDNO);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].text, "Continue?");
    EXPECT_EQ(recorder.shown[0].caption, "VYKDrv Device Driver Warning!");
    EXPECT_EQ(recorder.shown[0].type, MB_YESNO | MB_ICONEXCLAMATION | MB_TASKMODAL);
    EXPECT_TRUE(recorder.later.empty());
}

TEST_F(HooksTest, AnswerThatIsNotAButtonOfTheBoxBecomesTheDefault)
{
    Recorder recorder;
    recorder.answer = IDYES;
    const PWIN_MESSAGEBOX_HOOK hook{recordShow, nullptr, &recorder};
    pwin_SetMessageBoxHook(&hook);
    EXPECT_EQ(MessageBox(0, "x", "y", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
}

TEST_F(HooksTest, HookOffItsThreadIsToldToShowLaterAndDoesNotBlock)
{
    Recorder recorder;
    recorder.answer = IDNO;
    const PWIN_MESSAGEBOX_HOOK hook{recordShow, recordLater, &recorder};
    pwin_SetMessageBoxHook(&hook);
    int answer = 0;
    std::thread worker([&] { answer = MessageBox(0, "From a worker", "Caption", MB_YESNO); });
    worker.join();
    EXPECT_EQ(answer, IDYES);
    EXPECT_TRUE(recorder.shown.empty());
    ASSERT_EQ(recorder.later.size(), 1u);
    EXPECT_EQ(recorder.later[0].text, "From a worker");
    EXPECT_EQ(recorder.later[0].type, MB_YESNO);
}

TEST_F(HooksTest, HookWithoutShowLaterWritesOffThreadBoxesToStderr)
{
    Recorder recorder;
    const PWIN_MESSAGEBOX_HOOK hook{recordShow, nullptr, &recorder};
    pwin_SetMessageBoxHook(&hook);
    ::testing::internal::CaptureStderr();
    int answer = 0;
    std::thread worker([&] { answer = MessageBox(0, "Worker box", "C", MB_OKCANCEL); });
    worker.join();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(recorder.shown.empty());
    EXPECT_NE(err.find("Worker box"), std::string::npos);
}

void collectText(void* context, const char* text)
{
    *static_cast<std::string*>(context) += text;
}

TEST_F(HooksTest, DebugOutputGoesToTheHookOrToStderrOnlyUnderVykdrvDebug)
{
    ::testing::internal::CaptureStderr();
    OutputDebugString("quiet\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    setenv("VYKDRV_DEBUG", "1", 1);
    ::testing::internal::CaptureStderr();
    OutputDebugString("loud\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "loud\n");

    std::string collected;
    pwin_SetDebugOutputHook(collectText, &collected);
    ::testing::internal::CaptureStderr();
    OutputDebugString("hooked\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(collected, "hooked\n");
}

TEST_F(HooksTest, LogLinesCarryLevelAndModuleAndFollowTheLevel)
{
    std::string collected;
    pwin_SetDebugOutputHook(collectText, &collected);
    logWarn("registry", "cannot open %s (%d)", "x", 2);
    logDebug("registry", "not written at the default level");
    EXPECT_EQ(collected, "[warn] registry: cannot open x (2)\n");

    collected.clear();
    setenv("VYKDRV_DEBUG", "trace", 1);
    EXPECT_TRUE(logEnabled(LogLevel::Trace));
    logTrace("usb", "%s", std::string(3000, 'a').c_str());
    EXPECT_EQ(collected.size(), std::string("[trace] usb: \n").size() + 3000);

    setLogLevel(LogLevel::Error);
    collected.clear();
    logWarn("usb", "dropped");
    logError("usb", "kept");
    EXPECT_EQ(collected, "[error] usb: kept\n");
}

TEST_F(HooksTest, DeferredLinesReachTheSinkWhenTheOutermostDeferralEnds)
{
    std::string collected;
    pwin_SetDebugOutputHook(collectText, &collected);
    {
        const LogDeferral outer;
        logWarn("m", "first");
        {
            const LogDeferral inner;
            logError("m", "second");
        }
        EXPECT_EQ(collected, "") << "held back while a deferral lives";
        std::thread other([] { logWarn("m", "other thread"); });
        other.join();
        EXPECT_EQ(collected, "[warn] m: other thread\n") << "other threads are not held back";
    }
    EXPECT_EQ(collected, "[warn] m: other thread\n[warn] m: first\n[error] m: second\n");
}

TEST_F(HooksTest, NothingIsLoggedWithoutHookOrVykdrvDebug)
{
    EXPECT_FALSE(logEnabled(LogLevel::Error));
    ::testing::internal::CaptureStderr();
    logError("x", "invisible");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

void countBeep(void* context, PWIN_UINT type)
{
    static_cast<std::vector<PWIN_UINT>*>(context)->push_back(type);
}

TEST_F(HooksTest, BeepReachesItsHook)
{
    EXPECT_EQ(MessageBeep(MB_ICONEXCLAMATION), 1);
    std::vector<PWIN_UINT> beeps;
    pwin_SetMessageBeepHook(countBeep, &beeps);
    std::thread worker([] { MessageBeep(PWIN_MB_SIMPLEBEEP); });
    worker.join();
    MessageBeep(MB_ICONEXCLAMATION);
    EXPECT_EQ(beeps, (std::vector<PWIN_UINT>{PWIN_MB_SIMPLEBEEP, MB_ICONEXCLAMATION}));
}

intptr_t answerDialog(void* context, const char* name, void* param)
{
    *static_cast<std::string*>(context) = name;
    return *static_cast<intptr_t*>(param);
}

TEST_F(HooksTest, DialogsAnswerThroughTheirNamedHookOrCancel)
{
    intptr_t reply = IDOK;
    EXPECT_EQ(DialogBoxParam("Configure Hardware", &reply), IDCANCEL);

    std::string seen;
    pwin_SetDialogHook("Configure Hardware", answerDialog, &seen);
    EXPECT_EQ(DialogBoxParam("configure hardware", &reply), IDOK);
    EXPECT_EQ(seen, "configure hardware");
    EXPECT_EQ(DialogBoxParam("Another Dialog", &reply), IDCANCEL);

    intptr_t offThread = 0;
    std::thread worker([&] { offThread = DialogBoxParam("Configure Hardware", &reply); });
    worker.join();
    EXPECT_EQ(offThread, IDCANCEL);

    pwin_SetDialogHook("Configure Hardware", nullptr, nullptr);
    EXPECT_EQ(DialogBoxParam("Configure Hardware", &reply), IDCANCEL);
}

TEST_F(HooksTest, ConcurrentBoxesAndLogsFromManyThreadsAreSafe)
{
    std::atomic<int> lines{0};
    pwin_SetDebugOutputHook([](void* c, const char*) { ++*static_cast<std::atomic<int>*>(c); },
                            &lines);
    std::atomic<int> later{0};
    const PWIN_MESSAGEBOX_HOOK hook{nullptr,
                                    [](void* c, PWIN_HWND, const char*, const char*, PWIN_UINT) {
                                        ++*static_cast<std::atomic<int>*>(c);
                                    },
                                    &later};
    pwin_SetMessageBoxHook(&hook);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 100; ++i) {
                logWarn("t", "line %d", i);
                MessageBox(0, "x", "y", MB_OK);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(lines.load(), 400);
    EXPECT_EQ(later.load(), 400);
}

} // namespace
