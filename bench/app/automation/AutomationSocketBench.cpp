// Round trips of outside automation clients over the local socket: a property get (the spectral
// math object's NumberOfPixels) and a 3648-point spectrum read (a spectral data object standing
// in for the program's, whose GetSampleSpectrum fills the client's array), each with 1 and with
// 4 clients connected; the spectrum read with its array as JSON numbers and in the compact form
// ({"f64": base64 of the doubles}), the client decoding the reply's array either way. The
// server runs on a thread of its own standing in for the GUI thread; the measured client
// blocks on its socket.
// The peer: the same request and reply bytes over a plain Unix socket pair, answered by a
// thread that reads the request line and writes the reply line (the transport's own cost).
#include "app/automation/AutomationClasses.h"
#include "app/automation/CompactArray.h"
#include "app/automation/qt/AutomationServer.h"
#include "platform/automation/AutomationObject.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/DispatchBinder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QThread>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The server's socket folder (short, in /tmp: a socket's path has at most 107 bytes),
// removed with what is in it when the benchmark program ends.
class BenchSocketFolder
{
public:
    BenchSocketFolder()
    {
        char pattern[] = "/tmp/harlune-bench-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            m_folder = pattern;
    }
    ~BenchSocketFolder()
    {
        std::error_code ignored;
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder, ignored);
    }
    BenchSocketFolder(const BenchSocketFolder&) = delete;
    BenchSocketFolder& operator=(const BenchSocketFolder&) = delete;

    std::string socketPath() const
    {
        return (m_folder.empty() ? std::string("/tmp") : m_folder) + "/s/automation.sock";
    }

private:
    std::string m_folder;
};

std::string benchSocketPath()
{
    static const BenchSocketFolder folder;
    static const std::string path = folder.socketPath();
    return path;
}

// Stands in for "Harlune.SpecSpectralData": its first member fills a spectrum of 3648 pixels
// into the caller's array; the others do nothing.
class SpectrumSource : public platform::automation::AutomationObject
{
public:
    SpectrumSource() : AutomationObject(platform::automation::findClassByName("I_SpecSpectralData"))
    {}
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    static const platform::automation::DispatchTable& table()
    {
        using namespace platform::automation;
        static const DispatchTable t = [] {
            std::vector<MemberDescription> members(
                findClassByName("I_SpecSpectralData")->memberCount);
            for (size_t i = 0; i < members.size(); ++i) {
                members[i].name = "Member" + std::to_string(i + 1);
                members[i].get = [](AutomationObject&, std::span<Variant>, Variant*, DispatchError*,
                                    const GuardContext&) { return S_OK; };
            }
            members[0].name = "GetSampleSpectrum";
            members[0].params = {{"channel", ParamType::Short}, {"spectrum", ParamType::DoubleRef}};
            members[0].result = ParamType::Bool;
            members[0].get = [](AutomationObject&, std::span<Variant> args, Variant* result,
                                DispatchError*, const GuardContext&) {
                const VariantRef& ref = args[1].ref();
                if (ref.elementType != VarType::R8 || ref.count < 3648)
                    return DISP_E_TYPEMISMATCH;
                auto* out = static_cast<double*>(ref.data);
                for (size_t i = 0; i < 3648; ++i)
                    out[i] = 1000.0 + static_cast<double>(i) * 0.123456789;
                if (result)
                    *result = Variant(true);
                return S_OK;
            };
            return DispatchTable(std::move(members));
        }();
        return t;
    }
};

// The server on its own thread with its own event loop, for the whole benchmark run.
class ServerThread
{
public:
    ServerThread()
    {
        m_thread.reset(QThread::create([this] {
            platform::automation::ClassRegistry registry;
            registerHarluneAutomation(registry);
            registry.registerClass(
                "I_SpecSpectralData", [] { return new SpectrumSource(); }, SpectrumSource::table());
            app::automation::AutomationServer server(
                registry, [] { return nullptr; },
                [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
            m_listening = server.listen(benchSocketPath());
            QEventLoop loop;
            m_loop = &loop;
            m_ready = true;
            m_ready.notify_all();
            loop.exec();
            m_loop = nullptr;
        }));
        m_thread->start();
        m_ready.wait(false);
    }
    ~ServerThread()
    {
        QMetaObject::invokeMethod(m_loop, [this] { m_loop->quit(); });
        m_thread->wait();
    }
    bool listening() const { return m_listening; }

private:
    std::unique_ptr<QThread> m_thread;
    QEventLoop* m_loop = nullptr;
    std::atomic<bool> m_ready{false};
    bool m_listening = false;
};

// Made by the first benchmark that needs it and ended in main, while the application lives.
std::unique_ptr<ServerThread> g_server;

ServerThread& server()
{
    if (!g_server)
        g_server = std::make_unique<ServerThread>();
    return *g_server;
}

class Client
{
public:
    Client()
    {
        m_socket.connectToServer(QString::fromStdString(benchSocketPath()));
        m_socket.waitForConnected(5000);
    }
    QJsonObject ask(const QByteArray& line)
    {
        m_socket.write(line);
        m_socket.waitForBytesWritten(5000);
        while (!m_socket.canReadLine())
            if (!m_socket.waitForReadyRead(5000))
                return {};
        // Room for the whole line up front, as harlune-automation reads it.
        return QJsonDocument::fromJson(m_socket.readLine(m_socket.bytesAvailable() + 1)).object();
    }

private:
    QLocalSocket m_socket;
};

QByteArray line(const QJsonObject& request)
{
    return QJsonDocument(request).toJson(QJsonDocument::Compact) + "\n";
}

enum class Call
{
    Property,
    SpectrumJson,
    SpectrumCompact
};

constexpr int kBenchPixels = 3648;

QJsonObject compactZeros()
{
    const QByteArray bytes(kBenchPixels * 8, '\0');
    return {{"f64", QString::fromLatin1(bytes.toBase64())}};
}

// The client's array out of a reply, as a caller would take it: JSON numbers or the compact
// form decoded; the count of elements read.
size_t takeSpectrum(const QJsonObject& reply, std::vector<double>& out)
{
    const QJsonValue ref = reply.value("refs").toArray().at(1);
    if (ref.isArray()) {
        const QJsonArray values = ref.toArray();
        out.resize(static_cast<size_t>(values.size()));
        for (qsizetype i = 0; i < values.size(); ++i)
            out[static_cast<size_t>(i)] = values.at(i).toDouble();
        return out.size();
    }
    const QByteArray text = ref.toObject().value("f64").toString().toLatin1();
    std::optional<std::vector<double>> values = app::automation::parseCompactDoubles(
        std::string_view(text.constData(), static_cast<size_t>(text.size())));
    out = values ? std::move(*values) : std::vector<double>();
    return out.size();
}

QByteArray requestFor(Call call, const QJsonValue& handle)
{
    if (call == Call::Property)
        return line(
            {{"id", 3}, {"request", "invoke"}, {"handle", handle}, {"member", "NumberOfPixels"}});
    QJsonArray zeros;
    for (int i = 0; i < kBenchPixels; ++i)
        zeros.append(0);
    const QJsonValue array = call == Call::SpectrumJson ? QJsonValue(zeros) : compactZeros();
    return line({{"id", 3},
                 {"request", "invoke"},
                 {"handle", handle},
                 {"member", "GetSampleSpectrum"},
                 {"args", QJsonArray{0, array}}});
}

void run(benchmark::State& state, Call call)
{
    if (!server().listening()) {
        state.SkipWithError("no server");
        return;
    }
    std::vector<std::unique_ptr<Client>> others;
    for (int64_t i = 1; i < state.range(0); ++i)
        others.push_back(std::make_unique<Client>());
    Client client;
    const bool spectrum = call != Call::Property;
    const QJsonObject made = client.ask(
        line({{"id", 1},
              {"request", "create"},
              {"progId", spectrum ? "Harlune.SpecSpectralData" : "Harlune.GenSpectralMath"}}));
    const QByteArray request = requestFor(call, made.value("handle"));
    std::vector<double> values;
    for (auto _ : state) {
        const QJsonObject reply = client.ask(request);
        if (!reply.value("ok").toBool() ||
            (spectrum && takeSpectrum(reply, values) != kBenchPixels)) {
            state.SkipWithError("call failed");
            break;
        }
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["request_bytes"] = static_cast<double>(request.size());
}

// The peer: one request line out and its reply line back over a plain Unix socket pair,
// answered by a thread that reads up to the newline and writes the canned reply.
void runPlainSocket(benchmark::State& state, Call call)
{
    if (!server().listening()) {
        state.SkipWithError("no server");
        return;
    }
    // The real reply's bytes, taken from the server once.
    Client client;
    const QJsonObject made = client.ask(
        line({{"id", 1}, {"request", "create"}, {"progId", "Harlune.SpecSpectralData"}}));
    const QByteArray request = requestFor(call, made.value("handle"));
    const QByteArray reply = line(client.ask(request));
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
        state.SkipWithError("no socket pair");
        return;
    }
    auto readLine = [](int fd, std::string& buffer) {
        buffer.clear();
        char chunk[65536];
        while (buffer.empty() || buffer.back() != '\n') {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n <= 0)
                return false;
            buffer.append(chunk, static_cast<size_t>(n));
        }
        return true;
    };
    auto writeAll = [](int fd, const char* data, size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(fd, data, size);
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    };
    std::thread echo([&] {
        std::string buffer;
        while (readLine(pair[1], buffer))
            if (!writeAll(pair[1], reply.constData(), static_cast<size_t>(reply.size())))
                break;
    });
    std::string buffer;
    for (auto _ : state) {
        if (!writeAll(pair[0], request.constData(), static_cast<size_t>(request.size())) ||
            !readLine(pair[0], buffer)) {
            state.SkipWithError("plain socket failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    ::shutdown(pair[0], SHUT_RDWR);
    echo.join();
    ::close(pair[0]);
    ::close(pair[1]);
}

void BM_PropertyGetRoundTrip(benchmark::State& state)
{
    run(state, Call::Property);
}
BENCHMARK(BM_PropertyGetRoundTrip)
    ->Arg(1)
    ->Arg(4)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_SpectrumReadRoundTrip(benchmark::State& state)
{
    run(state, Call::SpectrumJson);
}
BENCHMARK(BM_SpectrumReadRoundTrip)
    ->Arg(1)
    ->Arg(4)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_SpectrumReadCompactRoundTrip(benchmark::State& state)
{
    run(state, Call::SpectrumCompact);
}
BENCHMARK(BM_SpectrumReadCompactRoundTrip)
    ->Arg(1)
    ->Arg(4)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_PlainSocketSameBytes(benchmark::State& state)
{
    runPlainSocket(state, state.range(0) == 0 ? Call::SpectrumJson : Call::SpectrumCompact);
}
// 0: the JSON spectrum read's bytes, 1: the compact one's.
BENCHMARK(BM_PlainSocketSameBytes)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    // The server's thread ends while the application it runs under still exists.
    g_server.reset();
    return 0;
}
