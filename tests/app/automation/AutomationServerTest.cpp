// The automation server on a real local socket in this process: modes of the socket and its
// folder, clients kept apart, a call running a nested loop while other clients are served,
// connections that close or stop reading, and the lines of one connection in order.
#include "app/automation/qt/AutomationServer.h"

#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "platform/automation/AutomationObject.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/EventTarget.h"
#include "tests/app/qt/RunUntil.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace platform::automation;
using app::automation::AutomationServer;

// Stands in for "Harlune.GenTimers" here: its first member runs a nested event loop, as a
// command with a modal dialog does, until the second member (from anyone) ends it. What the
// test does meanwhile runs inside that loop, as a fake dialog's answer would.
class ModalTimers : public AutomationObject
{
public:
    ModalTimers() : AutomationObject(findClassByName("I_GenTimers")) {}
    const DispatchTable& GetDispatchMap() const override { return table(); }

    static bool s_released;
    static int s_running;
    static std::function<void()> s_whileRunning;

    static const DispatchTable& table()
    {
        static const DispatchTable t = [] {
            MemberDescription wait;
            wait.name = "SetTimer";
            wait.result = ParamType::Bool;
            wait.get = [](AutomationObject&, std::span<Variant>, Variant* result, DispatchError*,
                          const GuardContext&) {
                ++s_running;
                QTimer::singleShot(0, [] {
                    if (s_whileRunning)
                        s_whileRunning();
                });
                runUntil([] { return s_released; });
                --s_running;
                if (result)
                    *result = Variant(true);
                return S_OK;
            };
            MemberDescription release;
            release.name = "KillTimer";
            release.result = ParamType::Bool;
            release.get = [](AutomationObject&, std::span<Variant>, Variant* result, DispatchError*,
                             const GuardContext&) {
                s_released = true;
                if (result)
                    *result = Variant(true);
                return S_OK;
            };
            return DispatchTable({wait, release});
        }();
        return t;
    }
};
bool ModalTimers::s_released = false;
int ModalTimers::s_running = 0;
std::function<void()> ModalTimers::s_whileRunning;

// A client on its own socket, read through the event loop.
class TestClient
{
public:
    explicit TestClient(const std::string& path)
    {
        m_socket.connectToServer(QString::fromStdString(path));
        EXPECT_TRUE(runUntil([&] { return m_socket.state() == QLocalSocket::ConnectedState; }));
    }
    void send(const std::string& line)
    {
        m_socket.write(QByteArray::fromStdString(line + "\n"));
        m_socket.flush();
    }
    void send(QJsonObject request)
    {
        send(QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString());
    }
    // The next line, waited for with a bound.
    QJsonObject next()
    {
        if (!runUntil([&] { return m_socket.canReadLine(); }))
            return {};
        return QJsonDocument::fromJson(m_socket.readLine()).object();
    }
    QJsonObject ask(QJsonObject request)
    {
        send(std::move(request));
        return next();
    }
    bool hasLine() { return m_socket.canReadLine(); }
    QLocalSocket& socket() { return m_socket; }

private:
    QLocalSocket m_socket;
};

class AutomationServerTest : public ::testing::Test
{
protected:
    AutomationServerTest()
    {
        registerHarluneAutomation(registry);
        registry.registerClass(
            "I_GenTimers", [] { return new ModalTimers(); }, ModalTimers::table());
        ModalTimers::s_released = false;
        ModalTimers::s_whileRunning = nullptr;
        generator = RefPtr<CEventGenerator>::adopt(new CEventGenerator());
        server = makeServer();
        path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/harlune/automation.sock";
        EXPECT_TRUE(server->listen(path));
    }

    // What goes to the user's error log is kept in `reported`.
    std::unique_ptr<AutomationServer> makeServer()
    {
        return std::make_unique<AutomationServer>(
            registry, [this] { return generator.get(); },
            [this](const std::string& line) { reported.push_back(line); });
    }

    ClassRegistry registry;
    FakeAutomationFrame frame;
    RefPtr<CEventGenerator> generator;
    std::vector<std::string> reported;
    std::unique_ptr<AutomationServer> server;
    std::string path;
};

TEST_F(AutomationServerTest, SocketAndFolderArePrivateAndAStaleSocketIsReplaced)
{
    struct stat info
    {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const std::string folder = path.substr(0, path.rfind('/'));
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A dead instance's leftover at the path is replaced.
    server.reset();
    std::ofstream(path) << "stale";
    server = makeServer();
    ASSERT_TRUE(server->listen(path));
    TestClient client(path);
    EXPECT_TRUE(client.ask({{"id", 1}, {"request", "hello"}}).value("ok").toBool());

    // A folder others may enter gets no server.
    server.reset();
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    server = makeServer();
    EXPECT_FALSE(server->listen(path));
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    // Nor a path too long for a socket address.
    EXPECT_FALSE(server->listen(folder + "/" + std::string(120, 'n') + ".sock"));
}

TEST_F(AutomationServerTest, TwoClientsKeepTheirHandlesApart)
{
    TestClient first(path);
    TestClient second(path);
    const QJsonObject made =
        first.ask({{"id", 1}, {"request", "create"}, {"progId", "Harlune.GenVersion"}});
    ASSERT_TRUE(made.value("ok").toBool());
    const QJsonObject used = second.ask(
        {{"id", 1}, {"request", "invoke"}, {"handle", made.value("handle")}, {"member", 1}});
    EXPECT_EQ(used.value("error"), "unknown-handle");
    EXPECT_EQ(server->connectionCount(), 2u);
    EXPECT_EQ(server->clientObjectCount(), 1u);
}

TEST_F(AutomationServerTest, ACallInANestedLoopDoesNotStopOtherClients)
{
    TestClient waiting(path);
    TestClient other(path);
    const QJsonObject timers =
        waiting.ask({{"id", 1}, {"request", "create"}, {"progId", "Harlune.GenTimers"}});
    ASSERT_TRUE(timers.value("ok").toBool());
    bool served = false;
    ModalTimers::s_whileRunning = [&] {
        EXPECT_TRUE(other.ask({{"id", 1}, {"request", "hello"}}).value("ok").toBool());
        EXPECT_TRUE(other.ask({{"id", 2}, {"request", "create"}, {"progId", "Harlune.GenVersion"}})
                        .value("ok")
                        .toBool());
        // The waiting connection's next request waits for the reply before it.
        EXPECT_FALSE(waiting.hasLine());
        const QJsonObject mine =
            other.ask({{"id", 3}, {"request", "create"}, {"progId", "Harlune.GenTimers"}});
        served = other
                     .ask({{"id", 4},
                           {"request", "invoke"},
                           {"handle", mine.value("handle")},
                           {"member", "KillTimer"}})
                     .value("ok")
                     .toBool();
    };
    waiting.send({{"id", 2},
                  {"request", "invoke"},
                  {"handle", timers.value("handle")},
                  {"member", "SetTimer"}});
    waiting.send({{"id", 3}, {"request", "hello"}});

    const QJsonObject answered = waiting.next();
    EXPECT_TRUE(served);
    EXPECT_EQ(answered.value("id").toInt(), 2);
    EXPECT_EQ(answered.value("result"), QJsonValue(true));
    EXPECT_EQ(waiting.next().value("id").toInt(), 3);
}

TEST_F(AutomationServerTest, AClientLeavingMidCallLeavesNothingBehind)
{
    const int locks = applicationLockCount();
    TestClient other(path);
    auto leaving = std::make_unique<TestClient>(path);
    const QJsonObject timers =
        leaving->ask({{"id", 1}, {"request", "create"}, {"progId", "Harlune.GenTimers"}});
    ASSERT_TRUE(leaving->ask({{"id", 2}, {"request", "advise"}, {"source", "EventGenerator"}})
                    .value("ok")
                    .toBool());
    size_t objectsDuringCall = 0;
    ModalTimers::s_whileRunning = [&] {
        leaving->socket().disconnectFromServer();
        EXPECT_TRUE(
            runUntil([&] { return leaving->socket().state() == QLocalSocket::UnconnectedState; }));
        // Its objects wait until its call has returned.
        objectsDuringCall = server->clientObjectCount();
        const QJsonObject mine =
            other.ask({{"id", 1}, {"request", "create"}, {"progId", "Harlune.GenTimers"}});
        other.ask({{"id", 2},
                   {"request", "invoke"},
                   {"handle", mine.value("handle")},
                   {"member", "KillTimer"}});
    };
    leaving->send({{"id", 3},
                   {"request", "invoke"},
                   {"handle", timers.value("handle")},
                   {"member", "SetTimer"}});
    ASSERT_TRUE(
        runUntil([&] { return ModalTimers::s_released && server->connectionCount() == 1; }));
    EXPECT_EQ(objectsDuringCall, 1u);
    EXPECT_EQ(server->clientObjectCount(), 1u);
    EXPECT_TRUE(generator->connectionPoint().connections().empty());
    other.socket().disconnectFromServer();
    ASSERT_TRUE(runUntil([&] { return server->connectionCount() == 0; }));
    EXPECT_EQ(applicationLockCount(), locks);
}

TEST_F(AutomationServerTest, ClosingReleasesObjectsAndSinksAndTellsTheOwner)
{
    const int locks = applicationLockCount();
    int gone = 0;
    server->setClientsGoneHandler([&] { ++gone; });
    TestClient client(path);
    ASSERT_TRUE(client.ask({{"id", 1}, {"request", "create"}, {"progId", "Harlune.GenVersion"}})
                    .value("ok")
                    .toBool());
    ASSERT_TRUE(client.ask({{"id", 2}, {"request", "advise"}, {"source", "EventGenerator"}})
                    .value("ok")
                    .toBool());
    generator->FireEvent(CEventGenerator::TimerTick, {Variant(int32_t{5})});
    EXPECT_EQ(client.next(),
              (QJsonObject{{"event", "TimerTick"}, {"dispid", 3}, {"args", QJsonArray{5}}}));
    EXPECT_EQ(applicationLockCount(), locks + 1);
    client.socket().disconnectFromServer();
    ASSERT_TRUE(runUntil([&] { return gone == 1; }));
    EXPECT_EQ(applicationLockCount(), locks);
    EXPECT_TRUE(generator->connectionPoint().connections().empty());
}

TEST_F(AutomationServerTest, AnOverlongLineIsAnsweredAndTheNextOneServed)
{
    TestClient client(path);
    client.send(std::string(app::automation::kMaxRequestBytes + 10, ' '));
    client.send({{"id", 7}, {"request", "hello"}});
    const QJsonObject overlong = client.next();
    EXPECT_EQ(overlong.value("error"), "bad-request");
    EXPECT_EQ(overlong.value("id"), QJsonValue());
    const QJsonObject hello = client.next();
    EXPECT_EQ(hello.value("id").toInt(), 7);
    EXPECT_TRUE(hello.value("ok").toBool());
}

TEST_F(AutomationServerTest, AClientThatStopsReadingIsDropped)
{
    server->setMaxQueuedBytes(64 * 1024);
    TestClient reader(path);
    TestClient idle(path);
    ASSERT_TRUE(idle.ask({{"id", 1}, {"request", "advise"}, {"source", "EventGenerator"}})
                    .value("ok")
                    .toBool());
    ASSERT_TRUE(reader.ask({{"id", 1}, {"request", "hello"}}).value("ok").toBool());
    idle.socket().setReadBufferSize(1024);
    // The idle client never reads again; the program keeps firing without waiting for it.
    const std::string window(16 * 1024, 'w');
    for (int i = 0; i < 2000 && server->connectionCount() == 2; ++i) {
        generator->FireEvent(CEventGenerator::SpectrometerConfigChanged, {Variant(window)});
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(runUntil([&] { return server->connectionCount() == 1; }));
    EXPECT_TRUE(generator->connectionPoint().connections().empty());
    EXPECT_TRUE(reader.ask({{"id", 2}, {"request", "hello"}}).value("ok").toBool());
}

// A client that sends its requests and closes its sending side at once (as shell tools do) gets
// the reply of every complete request, then the end of the connection; the incomplete request
// at the end gets none.
TEST_F(AutomationServerTest, AHalfClosedClientGetsEveryReply)
{
    const auto halfClosed = [&](const std::string& bytes, size_t expected, const char* name) {
        SCOPED_TRACE(name);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
        ::shutdown(fd, SHUT_WR);
        std::string received;
        bool ended = false;
        runUntil([&] {
            char chunk[4096];
            for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) != 0;) {
                if (n < 0)
                    return false;
                received.append(chunk, static_cast<size_t>(n));
            }
            ended = true;
            return true;
        });
        ::close(fd);
        EXPECT_TRUE(ended);
        size_t lines = 0;
        for (const char c : received)
            lines += c == '\n' ? 1 : 0;
        EXPECT_EQ(lines, expected) << received;
        return lines == expected && ended;
    };
    const std::string hello = "{\"id\":1,\"request\":\"hello\"}\n";
    int answered = 0;
    for (int i = 0; i < 100; ++i)
        answered += halfClosed(hello + hello + "{\"request\":", 2, "two and a half") ? 1 : 0;
    EXPECT_EQ(answered, 100);

    EXPECT_TRUE(runUntil([&] { return server->connectionCount() == 0; }));
}

// A client on a plain socket that says hello once: served, refused (its connection closed
// without a reply), or no socket could be made for it (this process is out of descriptors too).
enum class Hello
{
    Served,
    Refused,
    NoSocket,
    Silent,
};

Hello sayHello(const std::string& path, int& fd)
{
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Hello::NoSocket;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
        return Hello::Silent;
    const std::string hello = "{\"id\":1,\"request\":\"hello\"}\n";
    if (::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(hello.size()))
        return Hello::Refused;
    Hello answer = Hello::Silent;
    std::string received;
    runUntil([&] {
        char chunk[512];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0)
            received.append(chunk, static_cast<size_t>(n));
        if (received.find('\n') != std::string::npos)
            answer =
                received.find("\"ok\":true") != std::string::npos ? Hello::Served : Hello::Silent;
        else if (n == 0 || (n < 0 && errno != EAGAIN))
            answer = Hello::Refused;
        return answer != Hello::Silent || received.find('\n') != std::string::npos;
    });
    return answer;
}

// The process runs out of descriptors before the connections reach their share of the limit
// (here this process holds the clients' ends too): new clients are closed at once, the user's
// error log hears of it once, and once the clients have gone a new one is served.
TEST_F(AutomationServerTest, OutOfDescriptorsNewClientsAreRefusedUntilSomeClose)
{
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    rlimit limit = before;
    limit.rlim_cur = std::min<rlim_t>(before.rlim_max, 1024);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    // Descriptors this process gives up, one at a time, once the server has taken all others:
    // the next client's socket then takes the room the server would need for its end.
    std::vector<int> room;
    for (int i = 0; i < 3; ++i)
        room.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    std::vector<int> clients;
    size_t served = 0;
    size_t refused = 0;
    Hello last = Hello::Served;
    for (int i = 0; i < 2000 && refused < 20; ++i) {
        int fd = -1;
        const Hello answer = sayHello(path, fd);
        if (answer == Hello::NoSocket) {
            if (!room.empty()) {
                ::close(room.back());
                room.pop_back();
            } else {
                // The last refused client's descriptor makes room for the next one.
                ASSERT_EQ(last, Hello::Refused) << "client " << i;
                ::close(clients.back());
                clients.pop_back();
            }
            continue;
        }
        clients.push_back(fd);
        ASSERT_NE(answer, Hello::Silent) << "client " << i;
        (answer == Hello::Served ? served : refused) += 1;
        last = answer;
    }
    EXPECT_GE(served, 100u);
    EXPECT_EQ(refused, 20u);
    EXPECT_TRUE(server->isListening());
    struct stat info
    {};
    EXPECT_EQ(stat(path.c_str(), &info), 0);

    for (const int fd : clients)
        ::close(fd);
    for (const int fd : room)
        ::close(fd);
    // The server learns of the closes as it reads them: meanwhile a client may be refused.
    EXPECT_TRUE(runUntil([&] {
        int fd = -1;
        const bool ok = sayHello(path, fd) == Hello::Served;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("no file descriptor left"), std::string::npos) << reported[0];
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
