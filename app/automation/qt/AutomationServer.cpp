#include "app/automation/qt/AutomationServer.h"

#include "app/automation/AutomationLineReader.h"
#include "app/automation/AutomationSocketPolicy.h"
#include "platform/win/Log.h"

#include <QLocalServer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app::automation {

namespace {

constexpr const char* kModule = "automation-server";
// What one read takes from a connection. Nothing more is read while a complete request waits
// or a call runs, so a client that writes faster than its calls are answered waits in the
// kernel, not in memory.
constexpr size_t kReadChunkBytes = 64 * 1024;
// Requests one connection has answered before the others get their turn: a client that keeps
// its socket full must not hold up everyone else's replies.
constexpr int kAutomationRequestsPerTurn = 8;

} // namespace

// One client's connection on its own socket descriptor. Qt's local socket is not used for it:
// it closes the whole connection when the client closes its sending side, before the requests
// still buffered are answered.
struct AutomationServer::Connection
{
    int fd = -1;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QSocketNotifier> writable;
    std::unique_ptr<AutomationSession> session;
    AutomationLineReader reader{kMaxRequestBytes};
    std::string unsent;      // reply and event lines the socket has not taken yet
    bool busy = false;       // a request of this connection is being answered
    bool inputEnded = false; // the client sent its last byte (closed or half-closed)
    bool closing = false;    // gone, dropped or done; finished once no call of it runs

    ~Connection()
    {
        readable.reset();
        writable.reset();
        if (fd >= 0)
            ::close(fd);
    }
};

// The listening socket; each accepted descriptor goes to the server as it is.
class AutomationServer::Listener : public QLocalServer
{
public:
    Listener(QObject* parent, std::function<void(int)> incoming)
        : QLocalServer(parent), m_incoming(std::move(incoming))
    {}

protected:
    void incomingConnection(quintptr socketDescriptor) override
    {
        m_incoming(static_cast<int>(socketDescriptor));
    }

private:
    std::function<void(int)> m_incoming;
};

AutomationServer::AutomationServer(platform::automation::ClassRegistry& registry,
                                   AutomationSession::EventSource events)
    : m_registry(registry), m_events(std::move(events)), m_context(std::make_unique<QObject>())
{
    m_server = new Listener(m_context.get(), [this](int fd) { accept(fd); });
}

AutomationServer::~AutomationServer()
{
    // Sessions release their objects while the sockets still exist; then the sockets go, and
    // the server with its context, which also removes the socket file.
    for (auto& [id, connection] : m_connections)
        connection->session.reset();
    m_connections.clear();
    m_server->close();
    m_context.reset();
}

bool AutomationServer::listen(const std::string& path)
{
    m_path = path;
    m_failure.clear();
    if (!fitsSocketAddress(path)) {
        m_failure = "socket path too long: " + path;
        platform::win::logWarn(kModule,
                               "no automation server: socket path too long (%zu bytes): %s",
                               path.size(), path.c_str());
        return false;
    }
    const std::string folder = path.substr(0, path.rfind('/'));
    std::string reason;
    if (!prepareSocketFolder(folder, reason)) {
        m_failure = "folder " + folder + " is " + reason;
        platform::win::logWarn(kModule, "no automation server: folder %s is %s", folder.c_str(),
                               reason.c_str());
        return false;
    }
    // The single-instance lock is held: a socket file here is left by a dead instance.
    const QString name = QString::fromStdString(path);
    QLocalServer::removeServer(name);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        m_failure = "cannot listen on " + path + ": " + m_server->errorString().toStdString();
        platform::win::logWarn(kModule, "no automation server on %s: %s", path.c_str(),
                               m_server->errorString().toStdString().c_str());
        return false;
    }
    chmod(path.c_str(), 0600);
    platform::win::logInfo(kModule, "serving automation clients on %s", path.c_str());
    return true;
}

bool AutomationServer::isListening() const
{
    return m_server->isListening();
}

size_t AutomationServer::clientObjectCount() const
{
    size_t count = 0;
    for (const auto& [id, connection] : m_connections)
        if (connection->session)
            count += connection->session->objectCount();
    return count;
}

AutomationServer::Connection* AutomationServer::find(uint64_t id)
{
    const auto found = m_connections.find(id);
    return found == m_connections.end() ? nullptr : found->second.get();
}

void AutomationServer::accept(int fd)
{
    const std::optional<uid_t> peer = peerUid(fd);
    if (!peer || !acceptPeer(*peer, getuid())) {
        // Closed at once, without a word to the other side.
        platform::win::logWarn(kModule, "refused an automation client of user %ld",
                               peer ? static_cast<long>(*peer) : -1L);
        ::close(fd);
        return;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0 ||
        ::fcntl(fd, F_SETFD, FD_CLOEXEC) < 0) {
        platform::win::logWarn(kModule, "refused an automation client: socket set-up failed");
        ::close(fd);
        return;
    }
    const uint64_t id = m_nextId++;
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    connection->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connection->writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connection->writable->setEnabled(false);
    QObject::connect(connection->readable.get(), &QSocketNotifier::activated, m_context.get(),
                     [this, id] { pump(id); });
    QObject::connect(connection->writable.get(), &QSocketNotifier::activated, m_context.get(),
                     [this, id] { flush(id); });
    connection->session = std::make_unique<AutomationSession>(
        m_registry, m_events, [this, id](const std::string& line) { send(id, line); });
    m_connections.emplace(id, std::move(connection));
    pump(id);
}

bool AutomationServer::readSome(Connection& c)
{
    static char buffer[kReadChunkBytes];
    while (!c.reader.hasLine() && !c.inputEnded) {
        const ssize_t n = ::read(c.fd, buffer, sizeof buffer);
        if (n > 0) {
            c.reader.push(std::string_view(buffer, static_cast<size_t>(n)));
        } else if (n == 0) {
            c.inputEnded = true;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else {
            c.inputEnded = true;
            return false;
        }
    }
    return true;
}

void AutomationServer::pump(uint64_t id)
{
    Connection* c = find(id);
    if (!c || c->busy || c->closing)
        return;
    // The connection is not finished while busy, so c stays valid through the calls below.
    c->busy = true;
    // Nothing is read during a call: its nested loops would only see the same bytes waiting.
    c->readable->setEnabled(false);
    int answered = 0;
    bool turnOver = false;
    while (!c->closing) {
        if (answered == kAutomationRequestsPerTurn) {
            turnOver = true;
            break;
        }
        if (!readSome(*c)) {
            c->closing = true;
            break;
        }
        std::optional<AutomationLineReader::Line> line = c->reader.popLine();
        if (!line)
            break;
        const std::string reply = line->overlong ? AutomationSession::overlongReply()
                                                 : c->session->handleLine(line->text);
        send(id, reply);
        ++answered;
    }
    c->busy = false;
    if (turnOver && !c->closing) {
        // The rest after the other connections' waiting events; reading stays off till then.
        QTimer::singleShot(0, m_context.get(), [this, id] { pump(id); });
        return;
    }
    if (!c->closing && !c->inputEnded)
        c->readable->setEnabled(true);
    finishWhenDone(id);
}

void AutomationServer::send(uint64_t id, const std::string& line)
{
    Connection* c = find(id);
    if (!c || c->closing)
        return;
    c->unsent.append(line);
    c->unsent.push_back('\n');
    if (c->unsent.size() > m_maxQueuedBytes) {
        drop(id, "it does not read its replies");
        return;
    }
    flush(id);
}

void AutomationServer::flush(uint64_t id)
{
    Connection* c = find(id);
    if (!c || c->closing)
        return;
    size_t sent = 0;
    while (sent < c->unsent.size()) {
        const ssize_t n = ::send(c->fd, c->unsent.data() + sent, c->unsent.size() - sent,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            // The client has gone: nothing more reaches it.
            c->unsent.clear();
            c->closing = true;
            c->writable->setEnabled(false);
            QTimer::singleShot(0, m_context.get(), [this, id] { finish(id); });
            return;
        }
    }
    c->unsent.erase(0, sent);
    c->writable->setEnabled(!c->unsent.empty());
    if (c->unsent.empty())
        finishWhenDone(id);
}

void AutomationServer::finishWhenDone(uint64_t id)
{
    Connection* c = find(id);
    if (!c || c->busy)
        return;
    // Input over, every complete request answered and every reply taken by the socket.
    if (c->inputEnded && !c->reader.hasLine() && c->unsent.empty())
        c->closing = true;
    if (c->closing)
        QTimer::singleShot(0, m_context.get(), [this, id] { finish(id); });
}

void AutomationServer::drop(uint64_t id, const char* why)
{
    Connection* c = find(id);
    if (!c || c->closing)
        return;
    platform::win::logWarn(kModule, "dropped an automation client: %s", why);
    c->closing = true;
    c->unsent.clear();
    c->readable->setEnabled(false);
    c->writable->setEnabled(false);
    ::shutdown(c->fd, SHUT_RDWR);
    QTimer::singleShot(0, m_context.get(), [this, id] { finish(id); });
}

void AutomationServer::finish(uint64_t id)
{
    Connection* c = find(id);
    if (!c || c->busy || !c->closing)
        return;
    // Releasing the objects may run their destructors, which may call into the program.
    std::unique_ptr<Connection> gone = std::move(m_connections.at(id));
    m_connections.erase(id);
    gone->session.reset();
    gone.reset();
    if (m_connections.empty() && m_clientsGone)
        m_clientsGone();
}

} // namespace app::automation
