// The program started hidden for an automation client, as a process of its own with a settings
// folder of its own (empty unless a test fills it): it serves at once, answers failing calls
// with their reasons instead of waiting on boxes nobody sees, and ends by itself when no client
// is left, when none ever came, or when it cannot serve at all. Also the half-closing client
// and the client's --start that gives up.
#include "tests/app/qt/RunUntil.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

QString binary(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

// A fresh "machine" for one program: its registry, configuration, runtime folder, driver
// configuration and working folder (where its error log goes), all empty.
struct Machine
{
    explicit Machine(const std::string& name)
    {
        root = fs::path(std::getenv("HARLUNE_TEST_DIR")) / name;
        fs::remove_all(root);
        for (const char* sub : {"registry", "config", "runtime", "work"})
            fs::create_directories(root / sub);
        chmod((root / "runtime").c_str(), 0700);
    }
    QProcessEnvironment environment(int idleMs = 60000) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HARLUNE_REGISTRY_DIR", QString::fromStdString((root / "registry").string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((root / "config").string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((root / "runtime").string()));
        env.insert("VYKDRV_INI", QString::fromStdString((root / "VYKDRV.INI").string()));
        env.insert("HARLUNE_UNATTENDED_IDLE_MS", QString::number(idleMs));
        return env;
    }
    std::string socketPath() const { return (root / "runtime/harlune/automation.sock").string(); }
    // The error logs the program wrote, concatenated.
    std::string errorLog() const
    {
        std::string text;
        for (const auto& entry : fs::directory_iterator(root / "work"))
            if (entry.path().extension() == ".errorlog") {
                std::ifstream in(entry.path(), std::ios::binary);
                std::stringstream content;
                content << in.rdbuf();
                text += content.str();
            }
        return text;
    }

    fs::path root;
};

size_t count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A blocking client on a plain socket: writes what it is given, may half-close, and reads
// replies with a bound.
class RawClient
{
public:
    explicit RawClient(const std::string& path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool connected() const { return m_connected; }
    // Whether a read met the end of the connection (closed or reset by the server).
    bool ended() const { return m_ended; }
    bool write(const std::string& bytes)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
    void halfClose() { ::shutdown(m_fd, SHUT_WR); }
    // Reads until `lines` lines have come, the server closed, or the bound passed.
    std::vector<QJsonObject> read(size_t lines, int boundMs = 20000, bool* closed = nullptr)
    {
        std::vector<QJsonObject> out;
        std::string buffer;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
        bool ended = false;
        while (out.size() < lines || closed) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0)
                break;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            char chunk[4096];
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n <= 0) {
                ended = true;
                m_ended = true;
                break;
            }
            buffer.append(chunk, static_cast<size_t>(n));
            for (size_t end = buffer.find('\n'); end != std::string::npos;
                 end = buffer.find('\n')) {
                out.push_back(
                    QJsonDocument::fromJson(QByteArray::fromStdString(buffer.substr(0, end)))
                        .object());
                buffer.erase(0, end + 1);
            }
        }
        if (closed)
            *closed = ended;
        return out;
    }
    QJsonObject ask(const QJsonObject& request)
    {
        if (!write(QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString() + "\n"))
            return {};
        const std::vector<QJsonObject> replies = read(1);
        return replies.empty() ? QJsonObject{} : replies.front();
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    bool m_ended = false;
};

QJsonObject request(const char* kind, QJsonObject fields = {})
{
    fields["request"] = kind;
    if (!fields.contains("id"))
        fields["id"] = 1;
    return fields;
}

std::string line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

bool serves(const std::string& path)
{
    return RawClient(path).connected();
}

class UnattendedStartTest : public ::testing::Test
{
protected:
    ~UnattendedStartTest() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
    }
    void start(const Machine& machine, const QStringList& arguments, int idleMs = 60000)
    {
        program.setProcessEnvironment(machine.environment(idleMs));
        program.setWorkingDirectory(QString::fromStdString((machine.root / "work").string()));
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(binary("Harlune"), arguments);
        ASSERT_TRUE(program.waitForStarted(10000));
    }
    bool ended(int boundMs = 30000)
    {
        return program.state() == QProcess::NotRunning || program.waitForFinished(boundMs);
    }

    QProcess program;
};

// An empty settings folder: the first-start question is not asked (one error-log line says
// the program runs without hardware), failing calls answer with their reasons, and the program
// ends once its client has gone.
TEST_F(UnattendedStartTest, AFreshHiddenStartServesAndAnswersFailuresWithTheirReasons)
{
    const Machine machine("fresh");
    start(machine, {"/Automation"});
    ASSERT_TRUE(runUntil([&] { return serves(machine.socketPath()); }, 30000));

    RawClient client(machine.socketPath());
    ASSERT_TRUE(client.connected());
    EXPECT_TRUE(client.ask(request("hello"))["ok"].toBool());

    // A grid object with no grid window.
    const QJsonObject grid = client.ask(request("create", {{"progId", "Harlune.GridData"}}));
    ASSERT_TRUE(grid["ok"].toBool());
    const QJsonObject value = client.ask(request("invoke", {{"handle", grid["handle"]},
                                                            {"member", "Value"},
                                                            {"call", "get"},
                                                            {"args", QJsonArray{1, 1}}}));
    EXPECT_FALSE(value["ok"].toBool());
    EXPECT_EQ(value["error"].toString(), "member-failed");
    EXPECT_TRUE(value["text"].toString().contains("Value failed"))
        << value["text"].toString().toStdString();
    EXPECT_TRUE(value["text"].toString().contains("no window"))
        << value["text"].toString().toStdString();

    // Interpolation over duplicate abscissae: the numerical library's own message.
    const QJsonObject math = client.ask(request("create", {{"progId", "Harlune.GenSpectralMath"}}));
    ASSERT_TRUE(math["ok"].toBool());
    const QJsonObject interpolated = client.ask(
        request("invoke", {{"handle", math["handle"]},
                           {"member", "Interpolate"},
                           {"args", QJsonArray{QJsonArray{1, 1, 2, 3}, QJsonArray{1, 2, 3, 4}, 4, 0,
                                               QJsonArray{1.5}, 1, QJsonArray{0}}}}));
    EXPECT_FALSE(interpolated["ok"].toBool());
    EXPECT_TRUE(interpolated["text"].toString().contains("distinct"))
        << interpolated["text"].toString().toStdString();
    // A call that works still answers as before.
    const QJsonObject good = client.ask(
        request("invoke", {{"handle", math["handle"]},
                           {"member", "Interpolate"},
                           {"args", QJsonArray{QJsonArray{1, 2, 3, 4}, QJsonArray{1, 2, 3, 4}, 4, 0,
                                               QJsonArray{1.5}, 1, QJsonArray{0}}}}));
    EXPECT_TRUE(good["ok"].toBool()) << good["text"].toString().toStdString();

    client.halfClose();
    bool closed = false;
    client.read(0, 20000, &closed);
    EXPECT_TRUE(closed);
    ASSERT_TRUE(ended());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);

    const std::string log = machine.errorLog();
    EXPECT_EQ(count(log, "No default spectrometer configuration has been chosen"), 1u) << log;
    EXPECT_EQ(count(log, "must be distinct"), 1u) << log;
    EXPECT_GE(count(log, "Exception occurred."), 2u) << log;
}

// A client that writes its requests and at once closes its sending side gets every reply, on an
// idle program and on a loaded one.
TEST_F(UnattendedStartTest, HalfClosingClientsGetEveryReply)
{
    const Machine machine("halfclose");
    start(machine, {"/Automation"});
    ASSERT_TRUE(runUntil([&] { return serves(machine.socketPath()); }, 30000));
    // One client stays, so the hidden program does not end between the short ones.
    RawClient keeper(machine.socketPath());
    ASSERT_TRUE(keeper.ask(request("hello"))["ok"].toBool());

    const auto round = [&](const char* name) {
        SCOPED_TRACE(name);
        int answered = 0;
        for (int i = 0; i < 100; ++i) {
            RawClient client(machine.socketPath());
            ASSERT_TRUE(client.connected());
            QJsonObject hello = request("hello");
            hello["id"] = i;
            // Two complete requests and an incomplete one, then the half-close.
            ASSERT_TRUE(client.write(line(hello) + line(hello) + "{\"request\":"));
            client.halfClose();
            bool closed = false;
            const auto asked = std::chrono::steady_clock::now();
            const std::vector<QJsonObject> replies = client.read(2, 20000, &closed);
            if (replies.size() == 2 && replies[0]["id"].toInt() == i && replies[1]["ok"].toBool() &&
                closed)
                ++answered;
            else
                ADD_FAILURE() << "client " << i << ": " << replies.size() << " replies, "
                              << (closed ? "closed" : "not closed") << " after "
                              << std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - asked)
                                     .count()
                              << " ms";
        }
        EXPECT_EQ(answered, 100);
    };
    round("idle");

    // Load: busy threads on every processor and a client that keeps the server working.
    std::atomic<bool> stop{false};
    std::vector<std::jthread> burners;
    for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
        burners.emplace_back([&stop] {
            volatile unsigned long n = 0;
            while (!stop.load(std::memory_order_relaxed))
                n = n + 1;
        });
    std::jthread flood([&stop, &machine] {
        RawClient busy(machine.socketPath());
        std::string many;
        for (int i = 0; i < 50; ++i)
            many += line(request("describe", {{"progId", "Harlune.GraphData"}}));
        while (!stop.load() && busy.write(many))
            busy.read(50, 20000);
    });
    round("loaded");
    stop = true;
}

// A hidden start that no client ever reaches ends by itself once the bound has passed.
TEST_F(UnattendedStartTest, AnUnreachedHiddenStartEndsByItself)
{
    const Machine machine("unreached");
    start(machine, {"/Automation"}, 1000);
    ASSERT_TRUE(ended());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(fs::exists(machine.socketPath()));
}

// A socket folder open to others: the server refuses it, and the hidden program ends at once
// with a line in its error log.
TEST_F(UnattendedStartTest, AHiddenStartThatCannotServeEndsAtOnce)
{
    const Machine machine("refused");
    fs::create_directories(machine.root / "runtime/harlune");
    chmod((machine.root / "runtime/harlune").c_str(), 0755);
    start(machine, {"/Embedding"});
    ASSERT_TRUE(ended());
    EXPECT_EQ(count(machine.errorLog(), "The automation server could not start"), 1u)
        << machine.errorLog();
}

// The program under the usual desktop limit of 1,024 open files, and more idle clients than
// that: those past what the limit allows are closed at once while the others stay served, the
// user's error log says so once, the socket stays, and once the crowd has gone a new client is
// served again.
TEST_F(UnattendedStartTest, AServerOutOfDescriptorsServesAgainOnceClientsHaveGone)
{
    constexpr rlim_t kProgramLimit = 1024;
    constexpr size_t kClients = 1100;
    // This process holds every client and the program none of them.
    rlimit own{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &own), 0);
    const rlim_t needed = kClients + 256;
    if (own.rlim_cur < needed) {
        ASSERT_GE(own.rlim_max, needed) << "the test needs " << needed << " open files";
        own.rlim_cur = needed;
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &own), 0);
    }
    const Machine machine("descriptors");
    program.setChildProcessModifier([] {
        const rlimit limit{kProgramLimit, kProgramLimit};
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
    start(machine, {"/Automation"});
    ASSERT_TRUE(runUntil([&] { return serves(machine.socketPath()); }, 30000));
    // Keeps the hidden program from ending while the crowd comes and goes.
    RawClient keeper(machine.socketPath());
    ASSERT_TRUE(keeper.ask(request("hello"))["ok"].toBool());

    // Each client says hello once and then stays idle; a refused one finds its connection
    // closed instead of a reply.
    std::vector<std::unique_ptr<RawClient>> crowd;
    size_t served = 0;
    size_t refused = 0;
    for (size_t i = 0; i < kClients; ++i) {
        auto client = std::make_unique<RawClient>(machine.socketPath());
        ASSERT_TRUE(client->connected()) << "client " << i << ": the socket is gone";
        const bool sent = client->write(line(request("hello")));
        const std::vector<QJsonObject> replies =
            sent ? client->read(1) : std::vector<QJsonObject>{};
        if (!replies.empty() && replies.front()["ok"].toBool())
            ++served;
        else if (!sent || client->ended())
            ++refused;
        else
            ADD_FAILURE() << "client " << i << ": neither served nor refused";
        crowd.push_back(std::move(client));
    }
    EXPECT_GT(refused, 0u);
    EXPECT_GE(served, 512u);
    EXPECT_TRUE(fs::exists(machine.socketPath()));
    EXPECT_TRUE(keeper.ask(request("hello"))["ok"].toBool());

    crowd.clear();
    // The program learns of the closes as it reads them: a client that comes meanwhile may
    // still be refused.
    EXPECT_TRUE(runUntil(
        [&] {
            RawClient client(machine.socketPath());
            return client.connected() && client.ask(request("hello"))["ok"].toBool();
        },
        30000));
    QProcess hello;
    hello.setProcessEnvironment(machine.environment());
    hello.start(binary("harlune-automation"), {"--hello"});
    ASSERT_TRUE(hello.waitForFinished(60000));
    EXPECT_EQ(hello.exitCode(), 0) << hello.readAllStandardError().toStdString();
    EXPECT_EQ(count(machine.errorLog(), "The automation server refuses new clients"), 1u)
        << machine.errorLog();
}

// Whether a program of this machine (by its runtime folder) still runs, zombies aside.
bool programOf(const Machine& machine)
{
    const std::string marker = "XDG_RUNTIME_DIR=" + (machine.root / "runtime").string();
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code error;
        if (fs::read_symlink(entry.path() / "exe", error).filename() != "Harlune")
            continue;
        std::ifstream environ(entry.path() / "environ", std::ios::binary);
        for (std::string variable; std::getline(environ, variable, '\0');)
            if (variable == marker)
                return true;
    }
    return false;
}

// The client gives up on a program that does not serve in time: the program it started does
// not stay behind. The client waits on a socket the program never serves, so it gives up
// however fast the program starts.
TEST_F(UnattendedStartTest, StartThatGivesUpLeavesNoProgramBehind)
{
    const Machine machine("givesup");
    QProcess client;
    client.setProcessEnvironment(machine.environment());
    client.setWorkingDirectory(QString::fromStdString((machine.root / "work").string()));
    const QString elsewhere = QString::fromStdString((machine.root / "elsewhere.sock").string());
    client.start(binary("harlune-automation"),
                 {"--start", "--socket", elsewhere, "--timeout", "1000", "--hello"});
    ASSERT_TRUE(client.waitForFinished(60000));
    EXPECT_EQ(client.exitCode(), 3);
    EXPECT_NE(client.readAllStandardError().indexOf("did not serve"), -1);
    EXPECT_TRUE(runUntil([&] { return !programOf(machine); }, 20000));

    // A later start on the same machine is served.
    client.start(binary("harlune-automation"), {"--start", "--timeout", "60000", "--hello"});
    ASSERT_TRUE(client.waitForFinished(90000));
    EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
    EXPECT_TRUE(runUntil([&] { return !programOf(machine); }, 30000));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
