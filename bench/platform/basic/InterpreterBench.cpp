// Runs a loop of integer and double arithmetic, a string-building loop, a date loop and a
// Split/Join loop in the interpreter, then the first two programs in bwbasic when it is on
// the PATH, and prints how many times faster the interpreter is. HARLUNE_BENCH_ITERATIONS changes
// the loop count (default 10 million).

#include "platform/basic/Interpreter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using platform::automation::DispatchPtr;
using namespace platform::basic;

class QuietHost : public InterpreterHost
{
public:
    void debugPrint(const std::string& text) override { last = text; }
    void doEvents() override {}
    int msgBox(const std::string&, int, const std::string&) override { return 1; }
    DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<DispatchPtr> extensions() override { return {}; }
    std::string last;
};

long iterations()
{
    const char* text = std::getenv("HARLUNE_BENCH_ITERATIONS");
    const long n = text ? std::atol(text) : 0;
    return n > 0 ? n : 10'000'000;
}

std::string arithmeticScript(long n)
{
    return "Sub Main\nDim i As Long, s As Long, d As Double\nFor i = 1 To " + std::to_string(n) +
           "\ns = s + i Mod 7\nd = d + i * 0.5\nNext\nDebug.Print s; d\nEnd Sub\n";
}

// The same program for bwbasic: numbered lines, ending the interpreter with SYSTEM.
std::string arithmeticForBwbasic(long n)
{
    return "10 S = 0\n20 D = 0\n30 FOR I = 1 TO " + std::to_string(n) +
           "\n40 S = S + I MOD 7\n50 D = D + I * 0.5\n60 NEXT I\n70 PRINT S; D\n80 SYSTEM\n";
}

double runScript(const std::string& code)
{
    QuietHost host;
    Interpreter in(host);
    ScriptError error;
    if (!in.load(code, "Bench", error)) {
        std::fprintf(stderr, "script does not load: %s\n", error.description.c_str());
        std::exit(1);
    }
    const auto start = std::chrono::steady_clock::now();
    in.call("Main", {});
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ArithmeticLoop(benchmark::State& state)
{
    const std::string code = arithmeticScript(iterations());
    for (auto _ : state) {
        state.SetIterationTime(runScript(code));
    }
    state.counters["iterations"] = static_cast<double>(iterations());
}
BENCHMARK(BM_ArithmeticLoop)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Builds text a character at a time, starting again at 200 characters (bwbasic's strings
// are short).
std::string stringScript(long n)
{
    return "Sub Main\nDim t As String, k As Long, total As Long\nFor k = 1 To " +
           std::to_string(n) +
           "\nt = t & Chr(65 + k Mod 26)\nIf Len(t) >= 200 Then total = total + Len(t): t = \"\"\n"
           "Next\nDebug.Print total\nEnd Sub\n";
}

std::string stringForBwbasic(long n)
{
    return "10 T$ = \"\"\n20 L = 0\n30 FOR K = 1 TO " + std::to_string(n) +
           "\n40 T$ = T$ + CHR$(65 + K MOD 26)\n50 IF LEN(T$) >= 200 THEN L = L + LEN(T$): T$ = "
           "\"\"\n"
           "60 NEXT K\n70 PRINT L\n80 SYSTEM\n";
}

void BM_StringBuilding(benchmark::State& state)
{
    const std::string code = stringScript(iterations() / 10);
    for (auto _ : state) {
        state.SetIterationTime(runScript(code));
    }
}
BENCHMARK(BM_StringBuilding)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Steps a date a day at a time and takes it apart (bwbasic has no dates: no comparison).
std::string dateScript(long n)
{
    return "Sub Main\nDim d As Date, k As Long, total As Long\nd = #1/1/2000#\nFor k = 1 To " +
           std::to_string(n) +
           "\nd = DateAdd(\"d\", 1, d)\ntotal = total + Day(d) + Month(d)\n"
           "If Year(d) > 2400 Then d = #1/1/2000#\nNext\nDebug.Print total\nEnd Sub\n";
}

void BM_DateLoop(benchmark::State& state)
{
    const std::string code = dateScript(iterations() / 10);
    for (auto _ : state) {
        state.SetIterationTime(runScript(code));
    }
}
BENCHMARK(BM_DateLoop)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Splits a line into its fields and joins them again (no comparison either).
std::string splitJoinScript(long n)
{
    return "Sub Main\nDim parts, s As String, k As Long, total As Long\n"
           "s = \"alpha,beta,gamma,delta,epsilon,zeta\"\nFor k = 1 To " +
           std::to_string(n) +
           "\nparts = Split(s, \",\")\ntotal = total + Len(Join(parts, \";\")) + "
           "UBound(parts)\nNext\nDebug.Print total\nEnd Sub\n";
}

void BM_SplitJoin(benchmark::State& state)
{
    const std::string code = splitJoinScript(iterations() / 10);
    for (auto _ : state) {
        state.SetIterationTime(runScript(code));
    }
}
BENCHMARK(BM_SplitJoin)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Wall time of bwbasic running a program, or a negative value without it.
double bwbasicSeconds(const std::string& program)
{
    if (std::system("command -v bwbasic >/dev/null 2>&1") != 0) {
        return -1;
    }
    const char* dir = std::getenv("TMPDIR");
    const std::string path = std::string(dir ? dir : "/tmp") + "/harlune-bench-" +
                             std::to_string(static_cast<long>(::getpid())) + ".bas";
    std::ofstream(path) << program;
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(("bwbasic '" + path + "' </dev/null >/dev/null 2>&1").c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(path.c_str());
    return rc == 0 ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const long n = iterations();
    const struct
    {
        const char* name;
        long count;
        std::string ours;
        std::string theirs;
    } loops[] = {{"arithmetic", n, arithmeticScript(n), arithmeticForBwbasic(n)},
                 {"string-building", n / 10, stringScript(n / 10), stringForBwbasic(n / 10)}};
    for (const auto& loop : loops) {
        const double ours = runScript(loop.ours);
        const double theirs = bwbasicSeconds(loop.theirs);
        if (theirs < 0) {
            std::printf("bwbasic not found: no comparison (install the package bwbasic)\n");
            return 0;
        }
        std::printf("%s loop of %ld iterations: interpreter %.2f s, bwbasic %.2f s, "
                    "interpreter %.1f times as fast\n",
                    loop.name, loop.count, ours, theirs, theirs / ours);
    }
    return 0;
}
