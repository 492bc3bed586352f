// Round trips of outside automation clients over the local socket: a property get (the spectral
// math object's NumberOfPixels) and a 3648-point spectrum read (a spectral data object standing
// in for the program's, whose GetSampleSpectrum fills the client's array), each with 1 and with
// 4 clients connected. The server runs on a thread of its own standing in for the GUI thread;
// the measured client blocks on its socket.
#include "app/automation/AutomationClasses.h"
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
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string benchSocketPath()
{
    static const std::string path = [] {
        char pattern[] = "/tmp/harlune-bench-XXXXXX";
        const char* folder = mkdtemp(pattern);
        return std::string(folder ? folder : "/tmp") + "/s/automation.sock";
    }();
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
            app::automation::AutomationServer server(registry, [] { return nullptr; });
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

ServerThread& server()
{
    static ServerThread thread;
    return thread;
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
        return QJsonDocument::fromJson(m_socket.readLine()).object();
    }

private:
    QLocalSocket m_socket;
};

QByteArray line(const QJsonObject& request)
{
    return QJsonDocument(request).toJson(QJsonDocument::Compact) + "\n";
}

void run(benchmark::State& state, bool spectrum)
{
    if (!server().listening()) {
        state.SkipWithError("no server");
        return;
    }
    std::vector<std::unique_ptr<Client>> others;
    for (int64_t i = 1; i < state.range(0); ++i)
        others.push_back(std::make_unique<Client>());
    Client client;
    const QJsonObject made = client.ask(
        line({{"id", 1},
              {"request", "create"},
              {"progId", spectrum ? "Harlune.SpecSpectralData" : "Harlune.GenSpectralMath"}}));
    const QJsonValue handle = made.value("handle");
    QJsonArray zeros;
    for (int i = 0; i < 3648; ++i)
        zeros.append(0);
    const QByteArray request = spectrum ? line({{"id", 3},
                                                {"request", "invoke"},
                                                {"handle", handle},
                                                {"member", "GetSampleSpectrum"},
                                                {"args", QJsonArray{0, zeros}}})
                                        : line({{"id", 3},
                                                {"request", "invoke"},
                                                {"handle", handle},
                                                {"member", "NumberOfPixels"}});
    for (auto _ : state) {
        const QJsonObject reply = client.ask(request);
        if (!reply.value("ok").toBool()) {
            state.SkipWithError("call failed");
            break;
        }
        benchmark::DoNotOptimize(reply);
    }
}

void BM_PropertyGetRoundTrip(benchmark::State& state)
{
    run(state, false);
}
BENCHMARK(BM_PropertyGetRoundTrip)
    ->Arg(1)
    ->Arg(4)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_SpectrumReadRoundTrip(benchmark::State& state)
{
    run(state, true);
}
BENCHMARK(BM_SpectrumReadRoundTrip)
    ->Arg(1)
    ->Arg(4)
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
    return 0;
}
