// The program's start, as a process, with live scans of the driver's synthetic channel ("/none")
// at 100 ms integration, offscreen: from the start of the process to
// - its automation socket answering a connection;
// - the first live trace (the first NewSpectraReady event, which comes right before the plot),
//   seen by a client that connects as soon as the socket answers and advises the events.
// The peer, in the same run: this program started again as a minimal Qt window
// ("--peer-window"), from the start of the process to its first paint.
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
#include <QThread>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int kStartupIntegrationMs = 100;

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

// The program from its start to its first live trace; the times in ms since the start.
void startToFirstTrace(benchmark::State& state)
{
    seedStartupSettings();
    const QString socketPath = QString::fromStdString(app::automation::automationSocketPath());
    double socketMs = 0.0;
    double traceMs = 0.0;
    for (auto _ : state) {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        program.start(startupBinary("Harlune"), {QStringLiteral("/none")});
        if (!program.waitForStarted(10000)) {
            state.SkipWithError("the program did not start");
            return;
        }
        QLocalSocket client;
        for (;;) {
            client.connectToServer(socketPath);
            if (client.waitForConnected(1000))
                break;
            if (clock.elapsed() > 30000) {
                state.SkipWithError("no automation socket");
                return;
            }
            QThread::usleep(500);
        }
        socketMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        client.write("{\"id\":1,\"request\":\"advise\",\"source\":\"EventGenerator\"}\n");
        client.flush();
        bool seen = false;
        while (!seen && clock.elapsed() < 30000) {
            if (!client.canReadLine() && !client.waitForReadyRead(1000))
                continue;
            while (client.canReadLine()) {
                const QJsonObject line =
                    QJsonDocument::fromJson(client.readLine(client.bytesAvailable() + 1)).object();
                if (line.value("event").toString() == QLatin1String("NewSpectraReady")) {
                    seen = true;
                    break;
                }
            }
        }
        traceMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        client.abort();
        program.kill();
        program.waitForFinished(10000);
        if (!seen) {
            state.SkipWithError("no live trace");
            return;
        }
        state.SetIterationTime(traceMs / 1e3);
    }
    state.counters["socket_ready_ms"] = socketMs;
    state.counters["first_trace_ms"] = traceMs;
    state.counters["integration_ms"] = kStartupIntegrationMs;
}

// The peer: a minimal Qt window, from the start of its process to its first paint.
void minimalQtWindowFirstPaint(benchmark::State& state)
{
    double paintMs = 0.0;
    for (auto _ : state) {
        QProcess peer;
        QElapsedTimer clock;
        clock.start();
        peer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peer-window")});
        if (!peer.waitForStarted(10000)) {
            state.SkipWithError("the peer did not start");
            return;
        }
        while (!peer.canReadLine() && clock.elapsed() < 30000)
            peer.waitForReadyRead(1000);
        paintMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        peer.waitForFinished(10000);
        state.SetIterationTime(paintMs / 1e3);
    }
    state.counters["first_paint_ms"] = paintMs;
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

// The peer window: says so on its first paint, then ends.
class StartupPeerWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), Qt::white);
        if (!m_painted) {
            m_painted = true;
            std::puts("painted");
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--peer-window") {
        QApplication application(argc, argv);
        StartupPeerWindow window;
        window.resize(1024, 700);
        window.show();
        return application.exec();
    }
    // The program inherits the scratch folder, offscreen, and starts in its work folder.
    return harlune_bench::runInScratchEnvironment(
        argc, argv, {.folderPrefix = "/tmp/harlune-startup.", .workIsCurrent = true});
}
