#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/EventTarget.h"
#include "platform/basic/BasicEngine.h"
#include "platform/win/System.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace platform::automation;
using platform::basic::BasicEngine;

struct EventRecord
{
    DISPID dispid;
    std::vector<Variant> args;
};

// The host's event sink: records every event and answers through callbacks.
class HostSink : public AutomationObject
{
public:
    HRESULT Invoke(DISPID dispid, uint16_t, std::span<Variant> args, Variant*,
                   DispatchError*) override
    {
        // The arguments are kept as values: a by-reference one points into the engine's
        // stack, which is gone once the event has returned.
        const size_t recorded = events.size();
        events.push_back({dispid, {}});
        for (const Variant& a : args) {
            events[recorded].args.push_back(a.value());
        }
        if (dispid == BasicEngine::EventDoEvents && onDoEvents) {
            onDoEvents();
        }
        if (dispid == BasicEngine::EventDebugPrint && onPrint) {
            onPrint(args[0].toBstr().value);
        }
        if ((dispid == BasicEngine::EventWindowHandle ||
             dispid == BasicEngine::EventOverrideModalWindowOwner) &&
            args.size() == 1) {
            args[0].assign(Variant(int32_t{77}));
        }
        if (dispid == BasicEngine::EventOverrideMenuCommand && args.size() == 2) {
            const int16_t id = args[0].toI2().value;
            args[1].assign(Variant(takeOver(id)));
        }
        for (size_t i = 0; i < args.size(); ++i) {
            events[recorded].args[i] = args[i].value(); // with the answers written back
        }
        return S_OK;
    }
    std::vector<std::string> prints() const
    {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.dispid == BasicEngine::EventDebugPrint) {
                out.push_back(e.args[0].toBstr().value);
            }
        }
        return out;
    }
    int count(DISPID id) const
    {
        int n = 0;
        for (const auto& e : events) {
            n += e.dispid == id;
        }
        return n;
    }
    std::vector<EventRecord> events;
    std::function<void()> onDoEvents;
    std::function<void(const std::string&)> onPrint;
    std::function<bool(int16_t)> takeOver = [](int16_t) { return false; };
};

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        engine = BasicEngine::create();
        auto* target = dynamic_cast<CEventTarget*>(engine.get());
        ASSERT_NE(target, nullptr);
        ASSERT_EQ(target->connectionPoint().GetConnectionInterface(),
                  BasicEngine::engineEventsIid());
        ASSERT_EQ(target->connectionPoint().Advise(sink.get(), &cookie), S_OK);
    }
    void TearDown() override
    {
        dynamic_cast<CEventTarget*>(engine.get())->connectionPoint().Unadvise(cookie);
    }

    Variant invoke(DISPID id, uint16_t flags, std::vector<Variant> args = {})
    {
        Variant result;
        EXPECT_EQ(engine->Invoke(id, flags, args, &result, nullptr), S_OK) << "DISPID " << id;
        return result;
    }
    Variant method(DISPID id, std::vector<Variant> args = {})
    {
        return invoke(id, DISPATCH_METHOD, std::move(args));
    }
    void put(DISPID id, Variant v) { invoke(id, DISPATCH_PROPERTYPUT, {std::move(v)}); }
    Variant get(DISPID id) { return invoke(id, DISPATCH_PROPERTYGET); }

    void load(const std::string& code, bool eventMode)
    {
        put(32, eventMode);
        put(8, code);
        ASSERT_EQ(sink->count(BasicEngine::EventErrorAlert), 0) << get(13).toBstr().value;
    }

    DispatchPtr engine;
    RefPtr<HostSink> sink = RefPtr<HostSink>::adopt(new HostSink);
    uint32_t cookie = 0;
};

TEST_F(EngineTest, PropertiesByDispid)
{
    struct Case
    {
        DISPID id;
        Variant value;
        Variant expected;
    };
    const std::vector<Case> cases = {
        {9, true, true},
        {21, false, false},
        {22, true, true},
        {31, true, true},
        {32, false, false},
        {36, true, true},
        {66, 120, int16_t{120}},
        {81, true, true},
        {82, int16_t{8}, int16_t{8}},
        {90, 10, 10},
        {91, 20, 20},
        {92, 400, 400},
        {93, 500, 500},
        {94, true, true},
        {106, "/tmp", "/tmp"},
        {-501, 0xFFFFFF, 0xFFFFFF},
        {-513, 0, 0},
        {-514, false, false},
        {-518, "Harlune Scripting", "Harlune Scripting"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        put(c.id, c.value);
        EXPECT_TRUE(get(c.id) == c.expected) << get(c.id).toBstr().value;
    }
    EXPECT_TRUE(get(-515) == Variant(int32_t{0}));
    EXPECT_TRUE(get(19) == Variant(false));
    EXPECT_TRUE(get(20) == Variant(false));
    Variant r;
    std::vector<Variant> bad = {"x"};
    EXPECT_EQ(engine->Invoke(66, DISPATCH_PROPERTYPUT, bad, nullptr, nullptr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(engine->Invoke(12345, DISPATCH_PROPERTYGET, {}, &r, nullptr), DISP_E_MEMBERNOTFOUND);
    // 96 leaves the editor as it is, 100 shows it, a put of 94 shows or hides it.
    put(94, Variant(false));
    method(96);
    EXPECT_TRUE(get(94) == Variant(false));
    method(100);
    EXPECT_TRUE(get(94) == Variant(true));
    method(96);
    EXPECT_TRUE(get(94) == Variant(true));
    put(94, Variant(false));
    EXPECT_TRUE(get(94) == Variant(false));
}

TEST_F(EngineTest, ProceduralRunRaisesBeginPrintEnd)
{
    load("Sub Main\nDebug.Print \"hello\"; 1 + 1\nEnd Sub\n", false);
    EXPECT_TRUE(get(8) == Variant("Sub Main\nDebug.Print \"hello\"; 1 + 1\nEnd Sub\n"));
    EXPECT_TRUE(method(28, {int16_t{6}}) == Variant(true));
    std::vector<DISPID> order;
    for (const auto& e : sink->events) {
        order.push_back(e.dispid);
    }
    EXPECT_EQ(order, (std::vector<DISPID>{23, 21, 2, 22}));
    EXPECT_EQ(sink->prints(), (std::vector<std::string>{"hello 2"}));
    EXPECT_TRUE(method(43) == Variant(int16_t{0}));
}

TEST_F(EngineTest, ModalAndEditorEvents)
{
    // MsgBox: the host names the owner, and the modal state frames the box (without a
    // box hook the box answers its default button).
    load("Sub Main\nDebug.Print MsgBox(\"Sure?\", vbOKCancel)\nEnd Sub\n", false);
    sink->events.clear();
    method(28, {int16_t{6}});
    std::vector<std::pair<DISPID, std::string>> seen;
    for (const auto& e : sink->events) {
        seen.emplace_back(e.dispid, e.args.empty() ? "" : e.args[0].toBstr().value);
    }
    const std::vector<std::pair<DISPID, std::string>> expected = {
        {23, "6"}, {21, "Main"}, {30, "77"}, {31, "True"}, {31, "False"}, {2, " 1"}, {22, "Main"}};
    EXPECT_EQ(seen, expected);

    // Showing the editor asks for its owner window; its dialogs and close box raise theirs.
    auto& basic = static_cast<BasicEngine&>(*engine);
    sink->events.clear();
    method(96);
    method(100);
    EXPECT_EQ(sink->count(BasicEngine::EventWindowHandle), 1);
    EXPECT_EQ(basic.ownerWindow(), 77);
    basic.editorDialog(true);
    basic.editorDialog(false);
    EXPECT_EQ(sink->count(BasicEngine::EventModalIdeDialog), 2);
    basic.requestEditorClose();
    EXPECT_EQ(sink->count(BasicEngine::EventCloseWindow), 1);
    EXPECT_TRUE(get(94) == Variant(true)) << "the host decides; this one leaves it shown";
}

TEST_F(EngineTest, InputBoxAsksThroughTheDialogHook)
{
    // The program's UI services answer the "InputBox" dialog; here a hook stands in for them.
    struct Asked
    {
        platform::win::InputBoxParam seen;
        std::optional<std::string> answer;
    } asked;
    const auto hook = [](void* context, const char*, void* param) -> intptr_t {
        auto& a = *static_cast<Asked*>(context);
        auto& box = *static_cast<platform::win::InputBoxParam*>(param);
        a.seen = box;
        if (!a.answer) {
            return PWIN_IDCANCEL;
        }
        box.text = *a.answer;
        return PWIN_IDOK;
    };
    struct Case
    {
        const char* name;
        bool hooked;
        std::optional<std::string> answer;
        const char* code;
        const char* printed;
        const char* title;
        const char* offered;
    };
    const Case cases[] = {
        {"answered", true, "42", "InputBox(\"Count?\", \"Setup\", \"7\")", "[42]", "Setup", "7"},
        {"default accepted", true, "7", "InputBox(Prompt:=\"Count?\", Default:=\"7\")", "[7]",
         "Module1", "7"},
        {"cancelled", true, std::nullopt, "InputBox(\"Count?\", , \"7\", 100, 200)", "[]",
         "Module1", "7"},
        {"no hook", false, "unused", "InputBox(\"Count?\")", "[]", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        asked = Asked{{}, c.answer};
        pwin_SetDialogHook(platform::win::kInputBoxDialog, c.hooked ? +hook : nullptr, &asked);
        load(std::string("Sub Main\nDebug.Print \"[\" & ") + c.code + " & \"]\"\nEnd Sub\n", false);
        sink->events.clear();
        method(28, {int16_t{6}});
        pwin_SetDialogHook(platform::win::kInputBoxDialog, nullptr, nullptr);
        EXPECT_EQ(sink->prints(), std::vector<std::string>{c.printed});
        // The question is framed by the modal state, as a box is.
        EXPECT_EQ(sink->count(BasicEngine::EventModalDialog), 2);
        if (c.hooked) {
            EXPECT_EQ(asked.seen.prompt, "Count?");
            EXPECT_EQ(asked.seen.title, c.title);
            EXPECT_EQ(asked.seen.text, c.offered);
        }
    }
}

TEST_F(EngineTest, HostTakesOverCommands)
{
    load("Sub Main\nDebug.Print 1\nEnd Sub\n", false);
    sink->takeOver = [](int16_t id) { return id == 6; };
    EXPECT_TRUE(method(28, {int16_t{6}}) == Variant(true));
    EXPECT_TRUE(sink->prints().empty()) << "the host took the run command over";
    EXPECT_EQ(sink->count(BasicEngine::EventOverrideMenuCommand), 1);
}

TEST_F(EngineTest, ErrorsReportLineTextAndModule)
{
    struct Case
    {
        const char* name;
        const char* code;
        int line;
        const char* text;
    };
    const Case cases[] = {
        {"syntax error", "Sub Main\nDebug.Print 1\nIf Then\nEnd Sub\n", 3, "Expected: expression"},
        {"run-time error", "Sub Main\nDim a(2)\na(5) = 1\nEnd Sub\n", 3, "Subscript out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink->events.clear();
        put(32, false);
        put(8, c.code);
        method(28, {int16_t{6}});
        EXPECT_EQ(sink->count(BasicEngine::EventErrorAlert), 1);
        EXPECT_TRUE(get(11) == Variant(int32_t{c.line}));
        EXPECT_TRUE(get(13) == Variant(c.text)) << get(13).toBstr().value;
        EXPECT_TRUE(get(10) == Variant("Module1"));
        EXPECT_TRUE(sink->prints().empty());
    }
}

TEST_F(EngineTest, VerifyMenuAnswersWhileMainWaitsInDoEvents)
{
    load("Dim done As Boolean\n"
         "Function VerifyMenu(id As Long) As Long\n"
         "  If id = 49 Then VerifyMenu = 0 Else VerifyMenu = 1\n"
         "  done = True\n"
         "End Function\n"
         "Sub Main\n"
         "  Do\n"
         "    DoEvents\n"
         "  Loop Until done\n"
         "  Debug.Print \"finished\"\n"
         "End Sub\n",
         false);
    const DispatchPtr function =
        method(38, {"Function VerifyMenu(id as MENUVERIFY) as Long"}).toDispatch().value;
    ASSERT_TRUE(function);
    std::vector<Variant> answers;
    sink->onDoEvents = [&] {
        if (!answers.empty()) {
            return;
        }
        EXPECT_TRUE(method(43) == Variant(int16_t{-1})) << "a macro runs";
        Variant defined;
        ASSERT_EQ(function->Invoke(0, DISPATCH_PROPERTYGET, {}, &defined, nullptr), S_OK);
        EXPECT_TRUE(defined == Variant(true));
        for (int32_t id : {49, 4096}) {
            std::vector<Variant> args = {Variant(id)};
            Variant r;
            ASSERT_EQ(function->Invoke(2, DISPATCH_METHOD, args, &r, nullptr), S_OK);
            answers.push_back(r);
        }
    };
    method(28, {int16_t{6}});
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_TRUE(answers[0] == Variant(int32_t{0}));
    EXPECT_TRUE(answers[1] == Variant(int32_t{1}));
    EXPECT_EQ(sink->prints(), (std::vector<std::string>{"finished"}));

    // A function the script does not define.
    const DispatchPtr missing = method(38, {"Function Other() As Long"}).toDispatch().value;
    Variant defined;
    ASSERT_EQ(missing->Invoke(0, DISPATCH_PROPERTYGET, {}, &defined, nullptr), S_OK);
    EXPECT_TRUE(defined == Variant(false));
}

TEST_F(EngineTest, StopWhileLoopingInDoEvents)
{
    load("Sub Main\nDo\nDoEvents\nLoop\nEnd Sub\n", false);
    int rounds = 0;
    sink->onDoEvents = [&] {
        if (++rounds == 3) {
            put(20, false);
        }
    };
    method(28, {int16_t{6}});
    EXPECT_EQ(rounds, 3);
    EXPECT_EQ(sink->count(BasicEngine::EventMacroEnd), 1);
    EXPECT_TRUE(method(43) == Variant(int16_t{0}));
}

TEST_F(EngineTest, RunawayLoopStopsOnTheStopFlag)
{
    load("Sub Main\nDim x As Long\nDo\nx = x + 1\nIf x > 2000000000 Then x = 0\nLoop\nEnd Sub\n",
         false);
    auto& in = static_cast<BasicEngine&>(*engine).interpreter();
    std::jthread stopper([&in] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (in.statementsExecuted() < 10000 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        in.requestStop();
    });
    method(28, {int16_t{6}});
    EXPECT_GE(in.statementsExecuted(), 10000u);
    EXPECT_EQ(sink->count(BasicEngine::EventErrorAlert), 0);
    EXPECT_EQ(sink->count(BasicEngine::EventMacroEnd), 1);
}

TEST_F(EngineTest, EventHandlersOfAddedObjects)
{
    auto generator = RefPtr<CEventGenerator>::adopt(new CEventGenerator);
    EXPECT_TRUE(method(65, {"EventGenerator", DispatchPtr(generator)}) == Variant(true));
    load("Sub EventGenerator_TimerTick(id As Integer)\n"
         "  Debug.Print \"tick\"; id\n"
         "End Sub\n"
         "Sub EventGenerator_NewSpectraReady(name As String, channels As Integer)\n"
         "  Debug.Print name; channels; TypeName(EventGenerator)\n"
         "End Sub\n",
         true);
    // Not armed yet: nothing runs.
    generator->FireEvent(CEventGenerator::TimerTick, {5});
    EXPECT_TRUE(sink->prints().empty());
    method(28, {int16_t{6}});
    generator->FireEvent(CEventGenerator::TimerTick, {5});
    generator->FireEvent(CEventGenerator::NewSpectraReady, {"Spectrum1", 3});
    generator->FireEvent(CEventGenerator::MacroEnd, {});
    EXPECT_EQ(sink->prints(), (std::vector<std::string>{"tick 5", "Spectrum1 3 Object"}));
    EXPECT_TRUE(method(48, {"EventGenerator"}) == Variant(true));
    generator->FireEvent(CEventGenerator::TimerTick, {6});
    EXPECT_EQ(sink->prints().size(), 2u) << "a removed object's events reach no handler";
    EXPECT_TRUE(method(48, {"EventGenerator"}) == Variant(false));
}

TEST_F(EngineTest, EngineObjectsHoldNoApplicationLock)
{
    const int locks = applicationLockCount();
    auto other = BasicEngine::create();
    load("Sub Main\nEnd Sub\n", false);
    const DispatchPtr function =
        method(38, {"Function VerifyMenu(id As Long) As Long"}).toDispatch().value;
    EXPECT_TRUE(function);
    EXPECT_EQ(applicationLockCount(), locks);
}

TEST_F(EngineTest, CloseEngineRefusesWhileAMacroRuns)
{
    load("Sub Main\nDoEvents\nEnd Sub\n", false);
    Variant answer;
    sink->onDoEvents = [&] { answer = method(39); };
    method(28, {int16_t{6}});
    EXPECT_TRUE(answer == Variant(false));
    EXPECT_TRUE(method(39) == Variant(true));
}

TEST_F(EngineTest, FileNameOpensTheScriptAndAddModuleLoadsAClass)
{
    const std::string dir = std::getenv("HARLUNE_TEST_DIR") ? std::getenv("HARLUNE_TEST_DIR") : ".";
    const std::string script = dir + "/Sample.bas";
    const std::string cls = dir + "/Counter.cls";
    std::ofstream(script)
        << "Sub Main\r\nDim c As New Counter\r\nc.Add 2\r\nc.Add 3\r\n"
           "Debug.Print c.Total; c.Name\r\nc.Name = \"x\"\r\nDebug.Print c.Name\r\n"
           "c.Total = 4\r\nSet c = Nothing\r\nDebug.Print \"after\"\r\nEnd Sub\r\n";
    std::ofstream(cls) << "Attribute VB_Name = \"Counter\"\nPrivate m_total As Long\n"
                          "Public Name As String\n"
                          "Private Sub Class_Initialize()\nName = \"counter\"\nEnd Sub\n"
                          "Public Sub Add(n As Long)\nm_total = m_total + n\nEnd Sub\n"
                          "Public Property Get Total() As Long\nTotal = m_total\nEnd Property\n"
                          "Public Property Let Total(v As Long)\nm_total = v * 10\nEnd Property\n"
                          "Private Sub Class_Terminate()\nDebug.Print \"gone\"; m_total\nEnd Sub\n";
    EXPECT_TRUE(method(40, {cls}) == Variant(true));
    put(32, false);
    put(16, script);
    EXPECT_TRUE(get(16) == Variant(script));
    method(28, {int16_t{6}});
    EXPECT_EQ(sink->count(BasicEngine::EventErrorAlert), 0) << get(13).toBstr().value;
    EXPECT_EQ(sink->prints(), (std::vector<std::string>{" 5 counter", "x", "gone 40", "after"}));
    EXPECT_TRUE(get(10) == Variant(std::string())) << "no error";

    put(16, dir + "/missing.bas");
    EXPECT_TRUE(get(8) == Variant(std::string()));
    EXPECT_TRUE(method(40, {dir + "/missing.cls"}) == Variant(false));
}

TEST_F(EngineTest, CodeIsNotReplacedUnderARunningMacro)
{
    const std::string dir = std::getenv("HARLUNE_TEST_DIR") ? std::getenv("HARLUNE_TEST_DIR") : ".";
    const std::string cls = dir + "/Waiter.cls";
    const std::string other = dir + "/Other.bas";
    std::ofstream(cls) << "Attribute VB_Name = \"Waiter\"\nPublic Name As String\n"
                          "Public Sub Wait()\nDim s As String\ns = \"waited\"\nDoEvents\n"
                          "Debug.Print s; Len(Name)\nEnd Sub\n";
    std::ofstream(other) << "Sub Main\nDebug.Print \"other\"\nEnd Sub\n";
    const std::string script = "Sub Main\nDim w As New Waiter\nDim t As String\nt = \"before\"\n"
                               "w.Wait\nDebug.Print t\nEnd Sub\n";
    struct Case
    {
        const char* name;
        std::function<HRESULT(DispatchPtr&)> change; // made while the macro waits
        bool paused;
    };
    const auto putOf = [](DISPID id, std::string value) {
        return [id, value](DispatchPtr& e) {
            std::vector<Variant> args = {Variant(value)};
            DispatchError error;
            const HRESULT hr = e->Invoke(id, DISPATCH_PROPERTYPUT, args, nullptr, &error);
            EXPECT_EQ(error.description, BasicEngine::kBusyText);
            return hr;
        };
    };
    const Case cases[] = {
        {"code put", putOf(8, "Sub Main\nEnd Sub\n"), false},
        {"file name put", putOf(16, other), false},
        {"class module added again",
         [&cls](DispatchPtr& e) {
             std::vector<Variant> args = {Variant(cls)};
             Variant r;
             return e->Invoke(40, DISPATCH_METHOD, args, &r, nullptr);
         },
         false},
        {"code put while paused", putOf(8, "Sub Main\nEnd Sub\n"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink->events.clear();
        EXPECT_TRUE(method(40, {cls}) == Variant(true));
        load(script, false);
        auto& basic = static_cast<BasicEngine&>(*engine);
        HRESULT answer = S_OK;
        int rounds = 0;
        sink->onDoEvents = [&] {
            ++rounds;
            if (c.paused && rounds == 1) {
                basic.pauseScript(true);
                return;
            }
            if (rounds == (c.paused ? 2 : 1)) {
                answer = c.change(engine);
                EXPECT_FALSE(basic.setCode("Sub Main\nEnd Sub\n"));
                basic.pauseScript(false);
            }
        };
        method(28, {int16_t{6}});
        sink->onDoEvents = nullptr;
        EXPECT_EQ(answer, DISP_E_EXCEPTION);
        EXPECT_EQ(sink->count(BasicEngine::EventErrorAlert), 0) << get(13).toBstr().value;
        EXPECT_EQ(sink->prints(), (std::vector<std::string>{"waited 0", "before"}));
        EXPECT_TRUE(get(8) == Variant(script));
        // Once the macro ended the code may change.
        put(8, "Sub Main\nEnd Sub\n");
        EXPECT_TRUE(get(8) == Variant(std::string("Sub Main\nEnd Sub\n")));
    }
}

TEST_F(EngineTest, FailingFunctionCallAnswersAFailure)
{
    load("Function VerifyMenu(id As Long) As Long\n"
         "  If id = 5 Then Err.Raise 5\n"
         "  VerifyMenu = 1\n"
         "End Function\n",
         true);
    method(28, {int16_t{6}});
    const DispatchPtr function =
        method(38, {"Function VerifyMenu(id As Long) As Long"}).toDispatch().value;
    ASSERT_TRUE(function);
    struct Case
    {
        const char* name;
        std::vector<Variant> args;
        HRESULT hr;
        Variant result;
    };
    const Case cases[] = {
        {"good call", {Variant(int32_t{7})}, S_OK, Variant(int32_t{1})},
        {"two arguments", {Variant(int32_t{1}), Variant(int32_t{2})}, DISP_E_EXCEPTION, Variant()},
        {"text for a Long", {Variant("x")}, DISP_E_EXCEPTION, Variant()},
        {"run-time error inside", {Variant(int32_t{5})}, DISP_E_EXCEPTION, Variant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int alerts = sink->count(BasicEngine::EventErrorAlert);
        std::vector<Variant> args = c.args;
        Variant result;
        DispatchError error;
        EXPECT_EQ(function->Invoke(2, DISPATCH_METHOD, args, &result, &error), c.hr);
        EXPECT_TRUE(result == c.result);
        EXPECT_EQ(sink->count(BasicEngine::EventErrorAlert), alerts + (c.hr == S_OK ? 0 : 1));
        EXPECT_EQ(error.description.empty(), c.hr == S_OK);
    }
}

TEST_F(EngineTest, StopRequestEndsALoopWithoutDoEvents)
{
    auto& basic = static_cast<BasicEngine&>(*engine);
    auto& in = basic.interpreter();
    load("Sub Main\nDebug.Print \"looping\"\nDo: Loop\nEnd Sub\n"
         "Sub Other\nDebug.Print \"next\"\nEnd Sub\n",
         false);

    // From a second thread, once the script has said it is inside the loop.
    std::atomic<bool> inside{false};
    sink->onPrint = [&](const std::string& text) { inside = text == "looping"; };
    {
        std::jthread stopper([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!inside && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::yield();
            }
            basic.requestStop();
        });
        EXPECT_EQ(in.call("Main", {}), platform::basic::RunStatus::Stopped);
    }
    EXPECT_TRUE(inside);

    // From the host's hook, called every so many statements on this thread.
    int hooks = 0;
    const uint64_t before = in.statementsExecuted();
    basic.setStatementHook(
        [&] {
            if (++hooks == 3) {
                basic.requestStop();
            }
        },
        1000);
    EXPECT_EQ(in.call("Main", {}), platform::basic::RunStatus::Stopped);
    EXPECT_EQ(hooks, 3);
    EXPECT_GE(in.statementsExecuted() - before, 3000u);
    EXPECT_LT(in.statementsExecuted() - before, 3010u);

    // The engine runs the next script normally.
    EXPECT_EQ(in.call("Other", {}), platform::basic::RunStatus::Completed);
    EXPECT_EQ(sink->prints(), (std::vector<std::string>{"looping", "looping", "next"}));
    EXPECT_EQ(sink->count(BasicEngine::EventErrorAlert), 0);
}

} // namespace
