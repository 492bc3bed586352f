// The program's start, as a process, with live scans of the driver's synthetic channel ("/none")
// at 100 ms integration: from the start of the process to
// - its main window painted on the screen, seen from outside through the display server the way
//   a user sees it: the window mapped and its pixels drawn over the screen's marker colour (on a
//   virtual display of the benchmark's own, Xvfb; skipped without it);
// - its automation socket answering a connection;
// - the first live trace (the first NewSpectraReady event, which comes right before the plot),
//   seen by a client that connects as soon as the socket answers and advises the events.
// The peer, in the same run: this program started again as a minimal Qt window
// ("--peer-window"), from the start of the process to its first paint, seen the same way (and as
// the window itself reports it); each repetition starts the peer too, for run-by-run ratios.
// Without Xvfb both run offscreen and only the socket and trace times are taken.
#include "app/automation/AutomationSocketPolicy.h"
#include "app/shell/INIFileSupport.h"
#include "bench/app/qt/ScratchEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#if HARLUNE_STARTUP_XCB
#include <xcb/xcb.h>
#endif

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kStartupIntegrationMs = 100;
constexpr qint64 kStartupBoundMs = 30000;
// The screen's colour under every window: a window not yet drawn shows it (Qt's windows have
// no background of the server's to paint on mapping).
constexpr uint32_t kStartupMarkerPixel = 0xff00ff;

// The virtual display the programs run on, ":N", or empty when they run offscreen.
std::string g_startupDisplay;

QString startupBinary(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

// A default spectrometer without A/D, so that "/none" scans the synthetic channel and the
// program asks no first-start question.
void seedStartupSettings()
{
    const std::string spec = std::string(std::getenv("HARLUNE_TEST_DIR")) + "/Default.spec";
    std::ofstream(spec)
        << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n";
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    store.WriteString("Preferences", "SingleThread", "0");
    store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", kStartupIntegrationMs);
}

// A started process: on the virtual display when there is one, offscreen otherwise.
void startOnDisplay(QProcess& process, const QString& program, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!g_startupDisplay.empty()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(g_startupDisplay));
    }
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
}

// Watches the display, from outside the process, for a process's first top-level window that
// is mapped and drawn: most of a row and a column through its middle no longer show the marker.
class FirstPaintWatch
{
public:
    explicit FirstPaintWatch(qint64 pid) : m_pid(static_cast<uint32_t>(pid))
    {
#if HARLUNE_STARTUP_XCB
        if (g_startupDisplay.empty())
            return;
        m_connection = xcb_connect(g_startupDisplay.c_str(), nullptr);
        if (xcb_connection_has_error(m_connection)) {
            xcb_disconnect(m_connection);
            m_connection = nullptr;
            return;
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_pidAtom = internAtom("_NET_WM_PID");
#endif
    }
    ~FirstPaintWatch()
    {
#if HARLUNE_STARTUP_XCB
        if (m_connection)
            xcb_disconnect(m_connection);
#endif
    }
    FirstPaintWatch(const FirstPaintWatch&) = delete;
    FirstPaintWatch& operator=(const FirstPaintWatch&) = delete;

    bool available() const
    {
        return m_connection != nullptr;
    }

    // One look at the screen; answers whether the window is painted now.
    bool painted()
    {
#if HARLUNE_STARTUP_XCB
        if (!m_connection)
            return false;
        if (!m_window && !findWindow())
            return false;
        const uint32_t drawn =
            drawnPixels(0, m_height / 2, m_width, 1) + drawnPixels(m_width / 2, 0, 1, m_height);
        return drawn * 10 >= (m_width + m_height) * 9u;
#else
        return false;
#endif
    }

private:
#if HARLUNE_STARTUP_XCB
    xcb_atom_t internAtom(const char* name)
    {
        const auto cookie =
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(m_connection, cookie, nullptr), &std::free);
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    // The process's mapped top-level window, of a size a frame has (not Qt's 1 x 1 helpers).
    bool findWindow()
    {
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr),
            &std::free);
        if (!tree)
            return false;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        for (int i = 0; i < count; ++i) {
            const xcb_window_t window = children[i];
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> pid(
                xcb_get_property_reply(
                    m_connection,
                    xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                    nullptr),
                &std::free);
            if (!pid || xcb_get_property_value_length(pid.get()) != 4 ||
                *static_cast<const uint32_t*>(xcb_get_property_value(pid.get())) != m_pid)
                continue;
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
                xcb_get_window_attributes_reply(
                    m_connection, xcb_get_window_attributes(m_connection, window), nullptr),
                &std::free);
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
                xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window),
                                       nullptr),
                &std::free);
            if (!geometry || geometry->width < 64 || geometry->height < 64)
                continue;
            m_window = window;
            m_width = geometry->width;
            m_height = geometry->height;
            return true;
        }
        return false;
    }

    // How many pixels of the rectangle no longer show the marker.
    uint32_t drawnPixels(uint32_t x, uint32_t y, uint32_t width, uint32_t height)
    {
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window,
                                              static_cast<int16_t>(x), static_cast<int16_t>(y),
                                              static_cast<uint16_t>(width),
                                              static_cast<uint16_t>(height), ~0u),
                                nullptr),
            &std::free);
        if (!image || (image->depth != 24 && image->depth != 32))
            return 0;
        const int length = xcb_get_image_data_length(image.get());
        const uint8_t* data = xcb_get_image_data(image.get());
        uint32_t drawn = 0;
        for (int at = 0; at + 4 <= length; at += 4) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, data + at, 4);
            if ((pixel & 0xffffff) != kStartupMarkerPixel)
                ++drawn;
        }
        return drawn;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    xcb_window_t m_window = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
#else
    void* m_connection = nullptr;
#endif
    uint32_t m_pid;
};

// The peer from the start of its process to its first paint: as seen on the display (0 when
// there is none) and as the window reports it; nullopt when it did not paint.
struct PeerPaint
{
    double seenMs = 0.0;
    double reportedMs = 0.0;
};

std::optional<PeerPaint> runPeerWindow()
{
    QProcess peer;
    QElapsedTimer clock;
    clock.start();
    startOnDisplay(peer, QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--peer-window")});
    if (!peer.waitForStarted(10000))
        return std::nullopt;
    FirstPaintWatch watch(peer.processId());
    PeerPaint paint;
    bool reported = false;
    bool seen = !watch.available();
    while ((!reported || !seen) && clock.elapsed() < kStartupBoundMs) {
        if (!seen && watch.painted()) {
            seen = true;
            paint.seenMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        }
        if (!reported && (peer.canReadLine() || peer.waitForReadyRead(seen ? 1000 : 0))) {
            reported = peer.canReadLine();
            if (reported)
                paint.reportedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        }
        if (!seen)
            QThread::usleep(500);
    }
    // On a display the peer stays up to be watched; it is ended here.
    peer.kill();
    peer.waitForFinished(10000);
    if (!reported || !seen)
        return std::nullopt;
    return paint;
}

// The program from its start to its first live trace; the times in ms since the start. Each
// repetition starts the peer window first, so that the ratios are taken run by run.
void startToFirstTrace(benchmark::State& state)
{
    seedStartupSettings();
    const QString socketPath = QString::fromStdString(app::automation::automationSocketPath());
    double paintMs = 0.0;
    double socketMs = 0.0;
    double traceMs = 0.0;
    std::optional<PeerPaint> peerPaint;
    for (auto _ : state) {
        peerPaint = runPeerWindow();
        if (!peerPaint) {
            state.SkipWithError("the peer window did not paint");
            return;
        }
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        startOnDisplay(program, startupBinary("Harlune"), {QStringLiteral("/none")});
        if (!program.waitForStarted(10000)) {
            state.SkipWithError("the program did not start");
            return;
        }
        FirstPaintWatch watch(program.processId());
        bool painted = !watch.available();
        bool connected = false;
        bool seen = false;
        QLocalSocket client;
        while ((!painted || !seen) && clock.elapsed() < kStartupBoundMs) {
            if (!painted && watch.painted()) {
                painted = true;
                paintMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            }
            if (!connected) {
                client.connectToServer(socketPath);
                connected = client.waitForConnected(painted ? 1000 : 0);
                if (!connected) {
                    client.abort();
                    QThread::usleep(500);
                    continue;
                }
                socketMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
                client.write("{\"id\":1,\"request\":\"advise\",\"source\":\"EventGenerator\"}\n");
                client.flush();
            }
            if (!seen && !client.canReadLine() && !client.waitForReadyRead(painted ? 1000 : 0)) {
                if (!painted)
                    QThread::usleep(500);
                continue;
            }
            while (!seen && client.canReadLine()) {
                const QJsonObject line =
                    QJsonDocument::fromJson(client.readLine(client.bytesAvailable() + 1)).object();
                if (line.value("event").toString() == QLatin1String("NewSpectraReady")) {
                    seen = true;
                    traceMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
                }
            }
        }
        client.abort();
        program.kill();
        program.waitForFinished(10000);
        if (!connected) {
            state.SkipWithError("no automation socket");
            return;
        }
        if (!seen) {
            state.SkipWithError("no live trace");
            return;
        }
        if (!painted) {
            state.SkipWithError("the main window was not painted");
            return;
        }
        state.SetIterationTime(traceMs / 1e3);
    }
    state.counters["socket_ready_ms"] = socketMs;
    state.counters["first_trace_ms"] = traceMs;
    state.counters["integration_ms"] = kStartupIntegrationMs;
    if (!g_startupDisplay.empty() && peerPaint) {
        state.counters["frame_paint_ms"] = paintMs;
        state.counters["peer_paint_ms"] = peerPaint->seenMs;
        // The main window's first paint against the minimal window's, both seen on the screen.
        state.counters["frame_paint_ratio"] = paintMs / peerPaint->seenMs;
    }
}

// The peer: a minimal Qt window, from the start of its process to its first paint, as it
// reports it and (on the virtual display) as seen on the screen.
void minimalQtWindowFirstPaint(benchmark::State& state)
{
    std::optional<PeerPaint> paint;
    for (auto _ : state) {
        paint = runPeerWindow();
        if (!paint) {
            state.SkipWithError("the peer window did not paint");
            return;
        }
        state.SetIterationTime(paint->reportedMs / 1e3);
    }
    state.counters["first_paint_ms"] = paint->reportedMs;
    if (!g_startupDisplay.empty())
        state.counters["seen_paint_ms"] = paint->seenMs;
}

BENCHMARK(startToFirstTrace)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(minimalQtWindowFirstPaint)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The peer window: says so on its first paint, and ends the given time after it.
class StartupPeerWindow : public QWidget
{
public:
    explicit StartupPeerWindow(int lingerMs) : m_lingerMs(lingerMs) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), Qt::white);
        if (!m_painted) {
            m_painted = true;
            std::puts("painted");
            std::fflush(stdout);
            QTimer::singleShot(m_lingerMs, qApp, &QCoreApplication::quit);
        }
    }

private:
    int m_lingerMs;
    bool m_painted = false;
};

#if HARLUNE_STARTUP_XCB
// A virtual display of the benchmark's own, its screen in the marker colour; answers its
// process (0 when there is none) and sets g_startupDisplay.
pid_t startStartupDisplay()
{
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0)
        return 0;
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char number[32] = {};
    const ssize_t got = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (got <= 1)
        return pid;
    const std::string display = ":" + std::string(number, static_cast<size_t>(got - 1));
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return pid;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t background = kStartupMarkerPixel;
    xcb_change_window_attributes(connection, root, XCB_CW_BACK_PIXEL, &background);
    xcb_clear_area(connection, 0, root, 0, 0, 0, 0);
    // The connection stays open: the server would otherwise reset the root to its default.
    std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> sync(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
    g_startupDisplay = display;
    return pid;
}
#else
pid_t startStartupDisplay()
{
    return 0;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--peer-window") {
        QApplication application(argc, argv);
        // On a display it stays up (until the benchmark ends it) so that the screen can be
        // watched; offscreen it ends on its first paint.
        const bool onDisplay = QGuiApplication::platformName() == QLatin1String("xcb");
        StartupPeerWindow window(onDisplay ? static_cast<int>(kStartupBoundMs) : 0);
        window.resize(1024, 700);
        window.show();
        return application.exec();
    }
    // The benchmark itself runs offscreen; the programs it starts go on its virtual display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const pid_t display = startStartupDisplay();
    // The program inherits the scratch folder and starts in its work folder.
    const int result = harlune_bench::runInScratchEnvironment(
        argc, argv, {.folderPrefix = "/tmp/harlune-startup.", .workIsCurrent = true});
    if (display > 0) {
        kill(display, SIGTERM);
        waitpid(display, nullptr, 0);
    }
    return result;
}
