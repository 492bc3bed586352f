#include "app/automation/qt/AutomationServer.h"

#include "app/automation/AutomationLineReader.h"
#include "app/automation/AutomationSocketPolicy.h"
#include "platform/win/Log.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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
// Clients taken off the listening socket per turn, for the same reason.
constexpr int kAcceptsPerTurn = 16;
// How long accepting pauses when the process has no descriptor left and none could be made
// free for a waiting client; closing a connection resumes it sooner.
constexpr int kOutOfDescriptorsPauseMs = 250;

// The most connections the server keeps: the open-file limit less what the rest of the program
// needs for its files, devices, windows and libraries (at most half the limit, at most 256).
size_t connectionCap()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > SIZE_MAX)
        return SIZE_MAX;
    const rlim_t reserved = std::min<rlim_t>(256, limit.rlim_cur / 2);
    return static_cast<size_t>(limit.rlim_cur - reserved);
}

unsigned long long openFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    return static_cast<unsigned long long>(limit.rlim_cur);
}

int openSpareDescriptor()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

} // namespace

// One client's connection on its own socket descriptor. Qt's local socket is not used for it:
// it closes the whole connection when the client closes its sending side, before the requests
// still buffered are answered. Nor is Qt's local server used for listening: when an accept
// fails (the process out of descriptors) it closes itself, removes the socket file and never
// listens again.
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

AutomationServer::AutomationServer(platform::automation::ClassRegistry& registry,
                                   AutomationSession::EventSource events,
                                   std::function<void(const std::string&)> report)
    : m_registry(registry), m_events(std::move(events)), m_report(std::move(report)),
      m_context(std::make_unique<QObject>())
{
    m_resume = std::make_unique<QTimer>();
    m_resume->setSingleShot(true);
    QObject::connect(m_resume.get(), &QTimer::timeout, m_context.get(),
                     [this] { resumeAccepting(); });
}

AutomationServer::~AutomationServer()
{
    // Sessions release their objects while the sockets still exist; then the sockets go, and
    // the listening socket with its file.
    for (auto& [id, connection] : m_connections)
        connection->session.reset();
    m_connections.clear();
    stopListening();
    if (m_spareFd >= 0)
        ::close(m_spareFd);
    m_resume.reset();
    m_context.reset();
}

bool AutomationServer::listen(const std::string& path)
{
    stopListening();
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
    const auto failed = [&](const char* step) {
        const int error = errno;
        m_failure = "cannot listen on " + path + ": " + step + ": " + std::strerror(error);
        platform::win::logWarn(kModule, "no automation server on %s: %s: %s", path.c_str(), step,
                               std::strerror(error));
        stopListening();
        return false;
    };
    // The single-instance lock is held: a socket file here is left by a dead instance.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return failed("removing what stands at the path");
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return failed("socket");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    if (::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
        return failed("bind");
    // The folder lets nobody else in meanwhile.
    ::chmod(path.c_str(), 0600);
    if (::listen(m_listenFd, SOMAXCONN) != 0)
        return failed("listen");
    if (m_spareFd < 0)
        m_spareFd = openSpareDescriptor();
    m_incoming = std::make_unique<QSocketNotifier>(m_listenFd, QSocketNotifier::Read);
    QObject::connect(m_incoming.get(), &QSocketNotifier::activated, m_context.get(),
                     [this] { acceptPending(); });
    platform::win::logInfo(kModule, "serving automation clients on %s", path.c_str());
    return true;
}

void AutomationServer::stopListening()
{
    m_incoming.reset();
    m_resume->stop();
    if (m_listenFd < 0)
        return;
    ::close(m_listenFd);
    m_listenFd = -1;
    ::unlink(m_path.c_str());
}

bool AutomationServer::isListening() const
{
    return m_listenFd >= 0;
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

void AutomationServer::acceptPending()
{
    for (int taken = 0; taken < kAcceptsPerTurn && m_listenFd >= 0; ++taken) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            if (m_connections.size() >= connectionCap()) {
                ::close(fd);
                refuse("the connections have reached the share of the open-file limit they may "
                       "take");
                continue;
            }
            if (m_refusing && m_connections.size() < connectionCap() / 8 * 7) {
                m_refusing = false;
                platform::win::logInfo(
                    kModule, "serving new automation clients again after refusing %zu", m_refused);
            }
            accept(fd);
            continue;
        }
        switch (errno) {
        case EINTR:
        case ECONNABORTED: // the client gave up while waiting
        case EPROTO:
            continue;
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
            return;
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
            outOfDescriptors();
            return;
        default:
            platform::win::logWarn(kModule, "accepting an automation client failed: %s",
                                   std::strerror(errno));
            pauseAccepting();
            return;
        }
    }
}

void AutomationServer::outOfDescriptors()
{
    refuse("the program has no file descriptor left");
    // The waiting client is taken and closed in the room the spare descriptor leaves; a client
    // left waiting would only learn of it when its own time-out ran out.
    if (m_spareFd >= 0) {
        ::close(m_spareFd);
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        m_spareFd = openSpareDescriptor();
        if (fd >= 0 && m_spareFd >= 0)
            return;
    }
    // Another thread took the room: the clients wait until a descriptor is free again.
    pauseAccepting();
}

void AutomationServer::refuse(const char* why)
{
    if (!m_refusing) {
        m_refusing = true;
        m_refused = 0;
        char text[400];
        std::snprintf(text, sizeof text,
                      "The automation server refuses new clients: %s (%zu connections are "
                      "open, the program may open %llu files). They are served again as soon "
                      "as connections close.",
                      why, m_connections.size(), openFileLimit());
        platform::win::logWarn(kModule, "%s", text);
        if (m_report)
            m_report(text);
    }
    ++m_refused;
}

void AutomationServer::pauseAccepting()
{
    if (!m_incoming)
        return;
    m_incoming->setEnabled(false);
    m_resume->start(kOutOfDescriptorsPauseMs);
}

void AutomationServer::resumeAccepting()
{
    m_resume->stop();
    if (m_spareFd < 0)
        m_spareFd = openSpareDescriptor();
    if (m_incoming && !m_incoming->isEnabled())
        m_incoming->setEnabled(true);
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
    // Its descriptor is free for a client that waits.
    resumeAccepting();
    if (m_connections.empty() && m_clientsGone)
        m_clientsGone();
}

} // namespace app::automation
