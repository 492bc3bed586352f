// Time of the program's exit as its user sees it: the real program is started as a process on
// a virtual display (Xvfb), without hardware, and File > Exit is chosen with the keyboard
// (xdotool: Alt+F, then X). Measured from the key that chooses Exit to the end of the process,
// so everything the close does (settings, bars, the driver's shutdown, the library's unloading,
// the display connection) is inside. Skipped when Xvfb or xdotool is not installed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using ExitClock = std::chrono::steady_clock;

namespace {

std::string g_settings;
std::string g_display;

// Runs a command line and answers its standard output (empty when it failed).
std::string commandOutput(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        pclose(pipe);
    }
    return out;
}

bool installed(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Starts a program with arguments in the settings folder; its output goes to /dev/null.
pid_t startProcess(const std::vector<std::string>& args)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (chdir(g_settings.c_str()) != 0)
        _exit(127);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Waits for the process to end within the bound; answers whether it ended, and how.
bool waitForEnd(pid_t pid, std::chrono::milliseconds bound, int* status = nullptr)
{
    const auto deadline = ExitClock::now() + bound;
    while (ExitClock::now() < deadline) {
        int ended = 0;
        if (waitpid(pid, &ended, WNOHANG) == pid) {
            if (status != nullptr)
                *status = ended;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return false;
}

// The main window of the process once it is shown, within the bound.
std::optional<std::string> mainWindow(pid_t pid, std::chrono::milliseconds bound)
{
    const auto deadline = ExitClock::now() + bound;
    while (ExitClock::now() < deadline) {
        const std::string found =
            commandOutput("DISPLAY=" + g_display + " xdotool search --onlyvisible --pid " +
                          std::to_string(pid) + " --name Harlune 2>/dev/null");
        if (!found.empty())
            return found.substr(0, found.find('\n'));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
}

void xdotool(const std::string& args)
{
    std::system(("DISPLAY=" + g_display + " xdotool " + args + " >/dev/null 2>&1").c_str());
}

void programExitAsProcess(benchmark::State& state)
{
    if (!installed("Xvfb") || !installed("xdotool") || g_display.empty()) {
        state.SkipWithError("needs Xvfb and xdotool");
        return;
    }
    for (auto _ : state) {
        const pid_t pid = startProcess({HARLUNE_PROGRAM, "/none"});
        const auto window = mainWindow(pid, std::chrono::seconds(30));
        if (!window) {
            kill(pid, SIGKILL);
            waitForEnd(pid, std::chrono::seconds(5));
            state.SkipWithError("the program showed no window");
            return;
        }
        // Let the first scans arrive, as a user leaves the program.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        xdotool("windowfocus --sync " + *window);
        xdotool("key --clearmodifiers alt+f");
        const auto start = ExitClock::now();
        xdotool("key --clearmodifiers x");
        int status = 0;
        const bool ended = waitForEnd(pid, std::chrono::seconds(20), &status);
        const auto end = ExitClock::now();
        if (!ended) {
            kill(pid, SIGKILL);
            waitForEnd(pid, std::chrono::seconds(5));
            state.SkipWithError("the program did not end after File > Exit");
            return;
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not exit cleanly");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

BENCHMARK(programExitAsProcess)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();

// Writes the settings a first run without hardware needs: an Istrel without A/D as the default
// spectrometer, in a registry of its own.
void writeSettings(const std::string& root)
{
    std::system(("mkdir -p '" + root + "/registry' '" + root + "/runtime'").c_str());
    const std::string spec = root + "/Default.spec";
    std::ofstream(spec, std::ios::binary)
        << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n";
    std::ofstream(root + "/registry/HKEY_LOCAL_MACHINE.hive", std::ios::binary)
        << "Harlune registry hive 1\n"
        << "[Software\\Varnholt Software\\Harlune\\Preferences]\n"
        << "\"DefaultSpectrometer\"=sz:\"" << spec << "\"\n";
}

// Starts Xvfb on a free display; answers its process and sets g_display.
pid_t startDisplay()
{
    int fds[2];
    if (!installed("Xvfb") || pipe(fds) != 0)
        return 0;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0)
            dup2(null, STDERR_FILENO);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char number[32] = {};
    const ssize_t got = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (got > 0)
        g_display = ":" + std::string(number, static_cast<size_t>(got - 1));
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    char folder[] = "/tmp/harlune-exit-process-bench.XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    g_settings = folder;
    writeSettings(g_settings);
    setenv("XDG_CONFIG_HOME", g_settings.c_str(), 1);
    setenv("HARLUNE_REGISTRY_DIR", (g_settings + "/registry").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (g_settings + "/runtime").c_str(), 1);
    setenv("VYKDRV_INI", (g_settings + "/VYKDRV.INI").c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    const pid_t display = startDisplay();
    if (!g_display.empty())
        setenv("DISPLAY", g_display.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (display > 0) {
        kill(display, SIGTERM);
        waitpid(display, nullptr, 0);
    }
    std::system(("rm -rf '" + g_settings + "'").c_str());
    return 0;
}
