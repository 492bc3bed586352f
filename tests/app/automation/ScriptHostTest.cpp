// The script object on the real BASIC engine without a display: set-up, VerifyMenu answers and
// failures, script opening (kinds, mode question, missing files, enciphered files deciphered in
// memory), the engine's menu commands the host takes over, the editor's close box, and the
// event generator's events reaching a script's handlers. Without a registered engine class
// every answer is neutral.
#include "app/automation/AutomationClasses.h"
#include "app/automation/SaxBasicHost.h"
#include "app/automation/SaxBasicObjFrame.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/basic/BasicEngine.h"
#include "tests/app/automation/RecordingEngine.h"
#include "toolkit/crypt/COXCryptFile.h"
#include "toolkit/crypt/MemoryFile.h"
#include "toolkit/crypt/ScriptKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace platform::automation;
using platform::basic::BasicEngine;
namespace fs = std::filesystem;

struct RecordingUi : ScriptUi
{
    bool messageBox(const std::string& text, const std::string& caption, Box box) override
    {
        boxes.push_back(caption + ": " + text);
        return box == Box::YesNo ? answerYes : true;
    }
    void doEvents() override { ++doEventsCalls; }
    void focusMainFrame() override { ++focusCalls; }
    void addRecentScript(const std::string& path) override { recent.push_back(path); }
    int32_t mainWindowHandle() override { return 42; }
    bool focusWithin(int32_t) override { return editorFocused; }
    bool takeStopKey() override
    {
        ++stopKeyLooks;
        return stopKeyAfter >= 0 && stopKeyLooks > stopKeyAfter;
    }

    std::vector<std::string> boxes;
    bool editorFocused = false;
    // The stop key is pressed after this many looks (-1: never).
    int stopKeyAfter = -1;
    int stopKeyLooks = 0;
    std::vector<std::string> recent;
    bool answerYes = false;
    int doEventsCalls = 0;
    int focusCalls = 0;
};

// The script object with the engine's Debug.Print lines recorded.
class PrintingScript : public CSaxBasicObj
{
public:
    using CSaxBasicObj::CSaxBasicObj;
    void OnDebugPrint(const std::string& text) override { prints.push_back(text); }
    std::vector<std::string> prints;
};

class ScriptHostTest : public ::testing::Test
{
protected:
    ScriptHostTest()
    {
        registerHarluneAutomation(ClassRegistry::instance());
        registry.registerOutsideClass(BasicEngine::engineClsid(),
                                      [] { return BasicEngine::create(); });
        dir = fs::temp_directory_path() / ("scripthost-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        if (const char* tmp = std::getenv("TMPDIR"))
            savedTmpDir = tmp;
    }
    ~ScriptHostTest() override
    {
        // A case that points TMPDIR elsewhere leaves the run's own folder to the next ones.
        if (savedTmpDir)
            ::setenv("TMPDIR", savedTmpDir->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        fs::remove_all(dir);
    }

    std::string write(const std::string& name, const std::string& text)
    {
        const fs::path path = dir / name;
        std::ofstream(path) << text;
        return path.string();
    }
    // Loads an event-driven script and arms it.
    void arm(PrintingScript& script, const std::string& code)
    {
        script.PutProperty(32, Variant(true));
        script.OpenScript(write("events.bas", code));
    }

    ClassRegistry registry;
    RecordingUi ui;
    fs::path dir;
    std::optional<std::string> savedTmpDir;
};

TEST_F(ScriptHostTest, WithoutAnEngineEveryAnswerIsNeutral)
{
    ClassRegistry empty;
    CSaxBasicObj script(empty, ui);
    EXPECT_FALSE(script.CreateEngine());
    EXPECT_FALSE(script.hasEngine());
    EXPECT_EQ(script.GetMacroState(), 0);
    EXPECT_FALSE(script.definesVerifyMenu());
    EXPECT_FALSE(script.isRunning());
    EXPECT_TRUE(script.CloseEngine());
    script.fire(CEventGenerator::NewSpectraReady, {Variant("S1"), Variant(int16_t{1})});
    EXPECT_TRUE(ui.boxes.empty());

    // A factory that makes nothing is no engine either.
    empty.registerOutsideClass(BasicEngine::engineClsid(), [] { return DispatchPtr(); });
    EXPECT_FALSE(script.CreateEngine());
}

TEST_F(ScriptHostTest, SetUpHandsTheObjectsAndCaptionToTheEngine)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    EXPECT_EQ(script.GetStringProperty(-518), "Harlune Scripting");
    EXPECT_TRUE(script.GetBoolProperty(36));
    script.OnFrameCreate();
    EXPECT_FALSE(script.GetBoolProperty(94));
    // A procedural script sees both objects: the generator by name, the settings object's
    // members as global names.
    script.PutProperty(32, Variant(false));
    script.OpenScript(write("objects.bas",
                            "Sub Main\nDebug.Print TypeName(EventGenerator) <> \"\"\n"
                            "WriteLong \"SetUpTest\", \"Value\", 41\n"
                            "Debug.Print GetLong(\"SetUpTest\", \"Value\", 0) + 1\nEnd Sub\n"));
    ASSERT_EQ(script.prints.size(), 2u) << (ui.boxes.empty() ? "" : ui.boxes[0]);
    EXPECT_EQ(script.prints[0], "True");
    EXPECT_EQ(script.prints[1], " 42");
}

TEST_F(ScriptHostTest, VerifyMenuAnswers)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    EXPECT_FALSE(script.definesVerifyMenu());

    arm(script, "Function VerifyMenu(id As Long) As Long\n"
                "If id = 7 Then VerifyMenu = 0 Else VerifyMenu = 1\nEnd Function\n");
    EXPECT_TRUE(script.definesVerifyMenu());
    EXPECT_EQ(script.callVerifyMenu(7), 0);
    EXPECT_EQ(script.callVerifyMenu(8), 1);

    // No value: nothing (the frame reads it as forbidden).
    arm(script, "Function VerifyMenu(id As Long)\nEnd Function\n");
    const std::optional<int32_t> none = script.callVerifyMenu(8);
    EXPECT_TRUE(!none || *none == 0);

    // An error inside allows the action and is reported once, by the engine's ErrorAlert.
    ui.boxes.clear();
    arm(script, "Function VerifyMenu(id As Long) As Long\nErr.Raise 5\nEnd Function\n");
    EXPECT_EQ(script.callVerifyMenu(8), 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].find("An error has occurred in the script.\nText: "), std::string::npos);
}

TEST_F(ScriptHostTest, ErrorAlertOnlyWithTheEditorHidden)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    script.PutProperty(32, Variant(false));
    script.OpenScript(write("fails.bas", "Sub Main\nx = 1 / 0\nEnd Sub\n"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(
        ui.boxes[0].rfind("Harlune Scripting: An error has occurred in the script.\nText: ", 0),
        0u);
    EXPECT_NE(ui.boxes[0].find("\nLine: 2\n"), std::string::npos) << ui.boxes[0];

    ui.boxes.clear();
    script.InvokeMethod96();
    script.InvokeMethod100();
    EXPECT_TRUE(script.GetBoolProperty(94));
    script.PutProperty(20, Variant(true));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ScriptHostTest, OpenScriptKindsAndBadPaths)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    EXPECT_FALSE(script.OpenScript(""));

    // A procedural script in event mode: asked once; No keeps event mode with the file open.
    script.PutProperty(32, Variant(true));
    const std::string main = write("main.bas", "Sub MAIN\nDebug.Print \"ran\"\nEnd Sub\n");
    ui.answerYes = false;
    EXPECT_TRUE(script.OpenScript(main));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].find("switch to Procedural mode?"), std::string::npos);
    EXPECT_TRUE(script.GetBoolProperty(32));
    EXPECT_EQ(script.GetStringProperty(16), main);
    EXPECT_TRUE(script.scriptOpen());

    // Yes switches and runs it.
    ui.boxes.clear();
    ui.answerYes = true;
    EXPECT_TRUE(script.OpenScript(main));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_FALSE(script.GetBoolProperty(32));
    EXPECT_EQ(script.prints, std::vector<std::string>{"ran"});

    // Missing, a folder: TRUE, mode unchanged, no question.
    ui.boxes.clear();
    for (const std::string& bad : {(dir / "missing.bas").string(), dir.string()}) {
        EXPECT_TRUE(script.OpenScript(bad)) << bad;
        EXPECT_FALSE(script.GetBoolProperty(32)) << bad;
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ScriptHostTest, EncipheredScriptsAreDecipheredInMemory)
{
    // The test's own temporary folder stays empty of plain text.
    const fs::path tmp = dir / "tmp";
    fs::create_directories(tmp);
    ::setenv("TMPDIR", tmp.c_str(), 1);

    const std::string plain = "Sub Main\nDebug.Print \"secret\"\nEnd Sub\n";
    toolkit::crypt::MemoryFile memory;
    {
        toolkit::crypt::COXCryptFile out(toolkit::crypt::kScriptKeyBits);
        out.SetConversion(true);
        out.Attach(&memory, toolkit::crypt::kModeCreate | toolkit::crypt::kModeWrite);
        out.Write(plain.data(), static_cast<unsigned>(plain.size()));
        out.Close();
    }
    const std::vector<unsigned char> bytes = memory.bytes();
    const fs::path path = dir / "lower_encrpt.bas";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    script.PutProperty(32, Variant(false));
    EXPECT_TRUE(script.OpenScript(path.string()));
    EXPECT_TRUE(script.encrypted());
    EXPECT_EQ(script.prints, std::vector<std::string>{"secret"});
    EXPECT_TRUE(fs::is_empty(tmp));

    // A truncated file changes nothing in the engine.
    const std::string before = script.GetStringProperty(8);
    const fs::path cut = dir / "cut_ENCRPT.bas";
    std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 3);
    EXPECT_FALSE(script.OpenEncryptedScript(cut.string()));
    EXPECT_EQ(script.GetStringProperty(8), before);
}

TEST_F(ScriptHostTest, EngineMenuCommandsAndCloseBox)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    const std::string path = write("recent.bas", "Sub Main\nEnd Sub\n");
    script.PutProperty(32, Variant(false));
    script.OpenScript(path);

    struct Case
    {
        int16_t id;
        bool taken;
    };
    ui.recent.clear();
    for (const Case& c : {Case{6, false}, Case{8, false}, Case{32762, true}, Case{5, false}})
        EXPECT_EQ(script.OnOverrideMenuCommand(c.id), c.taken) << c.id;
    EXPECT_EQ(ui.recent, std::vector<std::string>{path});

    auto* engine = static_cast<BasicEngine*>(script.engine().get());
    script.InvokeMethod100();
    EXPECT_TRUE(engine->editorShown());
    engine->requestEditorClose();
    EXPECT_FALSE(engine->editorShown());
    EXPECT_TRUE(script.hasEngine());
}

TEST_F(ScriptHostTest, GeneratorEventsReachTheScript)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    arm(script, "Sub EventGenerator_NewSpectraReady(windowname As String, channels As Integer)\n"
                "Debug.Print \"ready \"; windowname; channels\nEnd Sub\n"
                "Sub EventGenerator_TimerTick(timerid As Integer)\nDebug.Print \"tick\"; timerid\n"
                "End Sub\n"
                "Sub EventGenerator_MacroEnd()\nDebug.Print \"end\"\nEnd Sub\n");
    script.fire(CEventGenerator::NewSpectraReady, {Variant("S1"), Variant(int16_t{2})});
    script.fire(CEventGenerator::TimerTick, {Variant(int16_t{5})});
    script.OnOverrideMenuCommand(8);
    EXPECT_EQ(script.prints, (std::vector<std::string>{"ready S1 2", "tick 5", "end"}))
        << (ui.boxes.empty() ? "" : ui.boxes[0]);
}

TEST_F(ScriptHostTest, CloseEngineRefusedWhileAMacroRuns)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    script.PutProperty(32, Variant(false));
    int state = 99;
    bool closed = true;
    struct Ui : RecordingUi
    {
        std::function<void()> inside;
        void doEvents() override
        {
            if (inside)
                std::exchange(inside, nullptr)();
        }
    } nested;
    PrintingScript running(registry, nested);
    ASSERT_TRUE(running.CreateEngine());
    running.PutProperty(32, Variant(false));
    nested.inside = [&] {
        state = running.GetMacroState();
        closed = running.CloseEngine();
        running.stop();
    };
    running.OpenScript(write("loop.bas", "Sub Main\nDo\nDoEvents\nLoop\nEnd Sub\n"));
    EXPECT_EQ(state, -1);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(running.hasEngine());
    EXPECT_EQ(running.GetMacroState(), 0);
    EXPECT_TRUE(running.CloseEngine());
    EXPECT_FALSE(running.hasEngine());
}

// A loop that never reaches DoEvents holds the GUI thread; the engine's statement hook looks for
// the stop key and the macro ends there.
TEST_F(ScriptHostTest, StopKeyEndsALoopWithoutDoEvents)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    script.PutProperty(32, Variant(false));
    ui.stopKeyAfter = 3;
    EXPECT_TRUE(script.OpenScript(
        write("busy.bas", "Sub Main\nDo: x = x + 1: Loop\nDebug.Print \"after\"\nEnd Sub\n")));
    EXPECT_EQ(ui.stopKeyLooks, 4);
    EXPECT_EQ(script.GetMacroState(), 0);
    EXPECT_TRUE(script.prints.empty());
    EXPECT_EQ(ui.doEventsCalls, 0);
}

// The frame behaviour while a macro is on the stack: close retried, end of session refused with
// the reason; once the macro ended both go through.
TEST_F(ScriptHostTest, FrameRefusesCloseAndSessionEndWhileAMacroRuns)
{
    struct Ui : RecordingUi
    {
        std::function<void()> inside;
        void doEvents() override
        {
            if (inside)
                std::exchange(inside, nullptr)();
        }
    } nested;
    PrintingScript running(registry, nested);
    ASSERT_TRUE(running.CreateEngine());
    running.PutProperty(32, Variant(false));
    CSaxBasicObjFrame frame(&running, nested);
    CSaxBasicObjFrame::CloseVerdict verdict = CSaxBasicObjFrame::CloseVerdict::Close;
    bool sessionMayEnd = true;
    nested.inside = [&] {
        verdict = frame.OnClose();
        sessionMayEnd = frame.OnQueryEndSession(true);
        running.stop();
    };
    running.OpenScript(write("loop.bas", "Sub Main\nDo\nDoEvents\nLoop\nEnd Sub\n"));
    EXPECT_EQ(verdict, CSaxBasicObjFrame::CloseVerdict::RetryLater);
    EXPECT_FALSE(sessionMayEnd);
    EXPECT_EQ(nested.boxes, std::vector<std::string>{"Harlune Scripting: Macro still active.\n\n"
                                                     "End all macros before quitting Windows."});

    nested.boxes.clear();
    EXPECT_EQ(frame.OnClose(), CSaxBasicObjFrame::CloseVerdict::Close);
    EXPECT_TRUE(frame.OnQueryEndSession(true));
    EXPECT_FALSE(frame.OnQueryEndSession(false));
    EXPECT_TRUE(nested.boxes.empty());

    // Without an editor window nothing can have its focus.
    nested.editorFocused = true;
    EXPECT_TRUE(frame.translatesKeys());

    // A start not under the user's control shuts the engine down after the close.
    frame.afterClose(true);
    EXPECT_TRUE(running.hasEngine());
    frame.afterClose(false);
    EXPECT_FALSE(running.hasEngine());

    CSaxBasicObjFrame bare(nullptr, nested);
    EXPECT_EQ(bare.OnClose(), CSaxBasicObjFrame::CloseVerdict::Close);
    EXPECT_TRUE(bare.OnQueryEndSession(true));
    EXPECT_TRUE(bare.translatesKeys());
}

// The auto-run step: a plain script through OpenScript, an enciphered one deciphered and marked
// as opened, so that neither runs twice.
TEST_F(ScriptHostTest, AutoRunOpensPlainAndEncipheredScriptsAndMarksThem)
{
    const std::string plain = "Sub Main\nDebug.Print \"auto\"\nEnd Sub\n";
    toolkit::crypt::MemoryFile memory;
    {
        toolkit::crypt::COXCryptFile out(toolkit::crypt::kScriptKeyBits);
        out.SetConversion(true);
        out.Attach(&memory, toolkit::crypt::kModeCreate | toolkit::crypt::kModeWrite);
        out.Write(plain.data(), static_cast<unsigned>(plain.size()));
        out.Close();
    }
    const std::vector<unsigned char> bytes = memory.bytes();
    const fs::path enciphered = dir / "auto.bin";
    std::ofstream(enciphered, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    struct Case
    {
        const char* name;
        std::string path;
        bool encrypted;
    };
    for (const Case& c : {Case{"plain", write("auto.bas", plain), false},
                          Case{"enciphered", enciphered.string(), true}}) {
        SCOPED_TRACE(c.name);
        PrintingScript script(registry, ui);
        ASSERT_TRUE(script.CreateEngine());
        script.PutProperty(32, Variant(false));
        EXPECT_FALSE(script.scriptOpen());
        script.OpenAutoRunScript(c.path, c.encrypted);
        EXPECT_TRUE(script.scriptOpen());
        EXPECT_EQ(script.encrypted(), c.encrypted);
        EXPECT_EQ(script.prints, std::vector<std::string>{"auto"});
    }
}

// A recording engine under the engine's class id: the set-up in its order and values, the
// frame's creation and close, and a close the engine refuses.
class RecordingEngineTest : public ScriptHostTest
{
protected:
    RecordingEngineTest()
    {
        registry.registerOutsideClass(BasicEngine::engineClsid(), [this] {
            auto made = DispatchPtr::adopt(new RecordingEngine);
            engine = static_cast<RecordingEngine*>(made.get());
            return made;
        });
    }
    RecordingEngine* engine = nullptr;
};

TEST_F(RecordingEngineTest, SetUpCreateAndCloseInOrder)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    ASSERT_NE(engine, nullptr);
    const DispatchPtr keep(engine);
    ASSERT_EQ(engine->calls.size(), 5u);
    EXPECT_EQ(engine->calls[0], "call 24 {} <object>");
    EXPECT_EQ(engine->calls[1], "put -518 Harlune Scripting");
    EXPECT_EQ(engine->calls[2], "put 36 True");
    EXPECT_EQ(engine->calls[3].rfind("call 38 Function VerifyMenu(", 0), 0u) << engine->calls[3];
    EXPECT_EQ(engine->calls[4], "call 65 EventGenerator <object>");
    ASSERT_EQ(engine->connectionPoint().connections().size(), 1u);

    engine->calls.clear();
    script.OnFrameCreate();
    EXPECT_EQ(engine->calls, (std::vector<std::string>{"call 96", "put 94 False"}));

    // The engine refuses to close: engine and sink stay, events still arrive.
    engine->calls.clear();
    engine->closeAnswer = false;
    script.OnFrameClose();
    EXPECT_EQ(engine->calls,
              (std::vector<std::string>{"call 48 EventGenerator", "call 48 {}", "call 39"}));
    EXPECT_TRUE(script.hasEngine());
    EXPECT_EQ(engine->connectionPoint().connections().size(), 1u);
    engine->FireEvent(BasicEngine::EventDebugPrint, {Variant("still here")});
    EXPECT_EQ(script.prints, std::vector<std::string>{"still here"});

    // Once it agrees, the sink is disconnected and the engine released.
    engine->closeAnswer = true;
    EXPECT_TRUE(script.CloseEngine());
    EXPECT_FALSE(script.hasEngine());
    EXPECT_TRUE(engine->connectionPoint().connections().empty());
    engine->FireEvent(BasicEngine::EventDebugPrint, {Variant("gone")});
    EXPECT_EQ(script.prints.size(), 1u);
}

// Each event of the engine's interface and what the sink writes back into its reference
// arguments ("old" where it writes nothing).
TEST_F(RecordingEngineTest, EachEventsAnswer)
{
    PrintingScript script(registry, ui);
    ASSERT_TRUE(script.CreateEngine());
    const DispatchPtr keep(engine);
    struct Case
    {
        const char* name;
        DISPID id;
        std::vector<Variant> plain;
        std::vector<std::string> answers;
    };
    const Case cases[] = {
        {"Change", 1, {}, {}},
        {"Help", 4, {Variant("topic")}, {"True"}},
        {"Begin", 6, {}, {}},
        {"StatusBar", 11, {Variant("text"), Variant(true)}, {}},
        {"CloseSheet", 16, {Variant(int16_t{2})}, {"1"}},
        {"GetMacroName", 17, {Variant("m"), Variant(true)}, {"1"}},
        {"ReadMacro", 18, {Variant("m")}, {"", "1"}},
        {"WriteMacro", 19, {Variant("m"), Variant("text")}, {"0"}},
        {"GetMacroCaption", 20, {}, {"old"}},
        {"MacroEnd", 22, {Variant("Main")}, {}},
        {"OverrideMenuCommand taken", 23, {Variant(int16_t{32762})}, {"True"}},
        {"OverrideMenuCommand left", 23, {Variant(int16_t{5})}, {"False"}},
        {"NewInstance", 24, {Variant("n")}, {"<none>"}},
        {"ParseProperties", 25, {Variant("a"), Variant("b")}, {"False"}},
        {"UpdateProperties", 26, {Variant("a")}, {"old"}},
        {"OverrideModalWindowOwner", 30, {}, {"42"}},
        {"EnterDesignMode", 32, {}, {"False"}},
        {"LeaveDesignMode", 33, {}, {"True"}},
        {"WindowHandle", 34, {}, {"42"}},
        {"CloseWindow", 35, {}, {"False"}},
        {"OpenSheet", 36, {Variant(int16_t{1})}, {}},
        {"DebugClear", 40, {}, {}},
        {"MapMacroName", 41, {}, {"old", "old"}},
        {"ErrorLog", 43, {Variant(int16_t{3})}, {}},
        {"OnBasicDialogIdle", 999, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Variant> answerSlots(c.answers.size(), Variant("old"));
        std::vector<Variant> args = c.plain;
        for (Variant& slot : answerSlots)
            args.push_back(Variant::byRef(&slot));
        engine->FireEvent(c.id, args);
        std::vector<std::string> answers;
        for (const Variant& slot : answerSlots)
            answers.push_back(RecordingEngine::describe(slot));
        EXPECT_EQ(answers, c.answers);
    }
    EXPECT_TRUE(ui.boxes.empty());

    // The events with a handler of the host.
    engine->FireEvent(BasicEngine::EventDebugPrint, {Variant("text")});
    engine->FireEvent(BasicEngine::EventDoEvents, {});
    engine->FireEvent(BasicEngine::EventMacroBegin, {Variant("Main")});
    EXPECT_EQ(script.prints, std::vector<std::string>{"text"});
    EXPECT_EQ(ui.doEventsCalls, 1);
    EXPECT_EQ(ui.focusCalls, 1);
    engine->properties[11] = Variant(int32_t{7});
    engine->properties[13] = Variant("Type mismatch");
    engine->properties[10] = Variant("Module1");
    engine->FireEvent(BasicEngine::EventErrorAlert, {});
    EXPECT_EQ(ui.boxes,
              std::vector<std::string>{"Harlune Scripting: An error has occurred in the script.\n"
                                       "Text: Type mismatch\nModule: Module1\nLine: 7\n"});

    // The driver's own answers, without the script object's overrides.
    CSaxBasicDriver driver(registry);
    ASSERT_TRUE(driver.CreateEngine());
    const DispatchPtr keepBare(engine);
    for (const auto& [id, expected] :
         std::vector<std::pair<DISPID, std::string>>{{35, "True"}, {34, "0"}, {30, "0"}}) {
        SCOPED_TRACE(id);
        Variant slot("old");
        engine->FireEvent(id, {Variant::byRef(&slot)});
        EXPECT_EQ(RecordingEngine::describe(slot), expected);
    }
}

} // namespace
