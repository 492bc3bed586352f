// The BASIC engine fed any script text: the lexer and the parser give either a syntax tree or
// the line and text of the first error, for modules, class modules and lone declarations;
// a module that loads is then run, within a budget of statements, and ends completed,
// stopped or failed with a real error number, never with a crash or a hang.

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFiles.h"
#include "platform/basic/Interpreter.h"
#include "platform/basic/Parser.h"

#include <algorithm>
#include <unistd.h>

using namespace platform::basic;

namespace {

// Scripts may run for 5000 statements; then the host's hook asks them to stop, as the
// program's stop key does, so endless loops end. Statements that read, write and grow files
// or long texts cost much more under the sanitizers than plain ones: a larger budget lets
// such a script outrun the fuzzer's time-out without being at fault.
constexpr uint32_t kHookStatements = 250;
constexpr int kHookCallsBeforeStop = 20;

// The module that runs a fuzzed class module: its Main, after its Class_Initialize.
constexpr const char* kClassRunner = "Sub Main\nDim o As New Fuzz\no.Main\nEnd Sub\n";

// Prints and boxes go nowhere; questions get no answer; no objects are added.
class QuietHost : public InterpreterHost
{
public:
    explicit QuietHost(Interpreter*& interpreter) : m_interpreter(interpreter) {}

    void debugPrint(const std::string&) override {}
    void doEvents() override { statementHook(); }
    int msgBox(const std::string&, int, const std::string&) override { return 1; }
    platform::automation::DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<platform::automation::DispatchPtr> extensions() override { return {}; }
    void statementHook() override
    {
        if (++m_hooks >= kHookCallsBeforeStop && m_interpreter) {
            m_interpreter->requestStop();
        }
    }

private:
    Interpreter*& m_interpreter;
    int m_hooks = 0;
};

void run(bool asClass, std::string_view source, int lines)
{
    Interpreter* running = nullptr;
    QuietHost host(running);
    Interpreter in(host);
    running = &in;
    in.setStatementHookInterval(kHookStatements);
    ScriptError error;
    const std::string text(source);
    if (asClass) {
        if (!in.addClassModule(text, "Fuzz", error) || !in.load(kClassRunner, "Runner", error)) {
            return;
        }
    } else if (!in.load(text, "Fuzz", error)) {
        FUZZ_CHECK(error.number != 0);
        return;
    }
    if (!in.hasProcedure("Main")) {
        return;
    }
    const RunStatus status = in.call("Main", {});
    FUZZ_CHECK(in.runDepth() == 0);
    if (status == RunStatus::Failed) {
        // A failure always says which: number 0 is "no error" to scripts and callers.
        FUZZ_CHECK(in.lastError().number != 0);
        FUZZ_CHECK(!in.lastError().description.empty());
        FUZZ_CHECK(in.lastError().line >= 0 && in.lastError().line <= lines + 4);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Scripts open, write and list files by relative names: those land in a private folder.
    FUZZ_CHECK(::chdir(fuzz::scratchFolder().c_str()) == 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ByteSource choices(data, size);
    const std::uint8_t kind = choices.take();
    const std::string_view source = choices.rest();
    // "\r\n", "\n" and a lone "\r" each end a line: at most one line per line-end byte.
    const int lines = 1 + static_cast<int>(std::count_if(source.begin(), source.end(), [](char c) {
                          return c == '\n' || c == '\r';
                      }));

    std::vector<Token> tokens;
    SyntaxError lexError{0, {}};
    if (tokenize(source, tokens, lexError)) {
        for (const Token& token : tokens) {
            FUZZ_CHECK(token.line >= 0 && token.line <= lines + 1);
        }
    } else {
        FUZZ_CHECK(!lexError.message.empty());
        FUZZ_CHECK(lexError.line >= 0 && lexError.line <= lines + 1);
    }

    SyntaxError error{0, {}};
    if (kind % 3 == 2) {
        if (parseDeclaration(source, error) == nullptr) {
            FUZZ_CHECK(!error.message.empty());
        }
        return 0;
    }
    const bool asClass = kind % 3 == 1;
    if (parseModule(source, "Fuzz", asClass, error) == nullptr) {
        FUZZ_CHECK(!error.message.empty());
        FUZZ_CHECK(error.line >= 0 && error.line <= lines + 1);
        return 0;
    }
    run(asClass, source, lines);
    return 0;
}
