#include "app/automation/qt/AutomationServer.h"

#include "app/automation/AutomationLineReader.h"
#include "app/automation/AutomationSocketPolicy.h"
#include "platform/win/Log.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace app::automation {

namespace {

constexpr const char* kModule = "automation-server";
// What one read takes from a connection; Qt's own read buffer is held to the same size, so a
// client that writes faster than its calls are answered waits in the kernel, not in memory.
constexpr qint64 kReadChunkBytes = 64 * 1024;

} // namespace

struct AutomationServer::Connection
{
    QLocalSocket* socket = nullptr; // child of the server's context
    std::unique_ptr<AutomationSession> session;
    AutomationLineReader reader{kMaxRequestBytes};
    bool busy = false;    // a request of this connection is being answered
    bool closing = false; // gone or dropped; finished once no call of it runs
};

AutomationServer::AutomationServer(platform::automation::ClassRegistry& registry,
                                   AutomationSession::EventSource events)
    : m_registry(registry), m_events(std::move(events)), m_context(std::make_unique<QObject>())
{
    m_server = new QLocalServer(m_context.get());
    QObject::connect(m_server, &QLocalServer::newConnection, m_context.get(), [this] { accept(); });
}

AutomationServer::~AutomationServer()
{
    // Sessions release their objects while the sockets still exist; then the sockets and the
    // server go with their context, which also removes the socket file.
    for (auto& [id, connection] : m_connections)
        connection->session.reset();
    m_connections.clear();
    m_server->close();
    m_context.reset();
}

bool AutomationServer::listen(const std::string& path)
{
    m_path = path;
    if (!fitsSocketAddress(path)) {
        platform::win::logWarn(kModule,
                               "no automation server: socket path too long (%zu bytes): %s",
                               path.size(), path.c_str());
        return false;
    }
    const std::string folder = path.substr(0, path.rfind('/'));
    std::string reason;
    if (!prepareSocketFolder(folder, reason)) {
        platform::win::logWarn(kModule, "no automation server: folder %s is %s", folder.c_str(),
                               reason.c_str());
        return false;
    }
    // The single-instance lock is held: a socket file here is left by a dead instance.
    const QString name = QString::fromStdString(path);
    QLocalServer::removeServer(name);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
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

void AutomationServer::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        const std::optional<uid_t> peer = peerUid(static_cast<int>(socket->socketDescriptor()));
        if (!peer || !acceptPeer(*peer, getuid())) {
            // Closed at once, without a word to the other side.
            platform::win::logWarn(kModule, "refused an automation client of user %ld",
                                   peer ? static_cast<long>(*peer) : -1L);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const uint64_t id = m_nextId++;
        auto connection = std::make_unique<Connection>();
        connection->socket = socket;
        socket->setReadBufferSize(kReadChunkBytes);
        connection->session = std::make_unique<AutomationSession>(
            m_registry, m_events, [this, id](const std::string& line) { send(id, line); });
        m_connections.emplace(id, std::move(connection));
        QObject::connect(socket, &QLocalSocket::readyRead, m_context.get(),
                         [this, id] { pump(id); });
        QObject::connect(socket, &QLocalSocket::disconnected, m_context.get(), [this, id] {
            if (Connection* c = find(id))
                c->closing = true;
            QTimer::singleShot(0, m_context.get(), [this, id] { finish(id); });
        });
        pump(id);
    }
}

void AutomationServer::pump(uint64_t id)
{
    Connection* c = find(id);
    if (!c || c->busy || c->closing)
        return;
    // The connection is not finished while busy, so c stays valid through the calls below.
    c->busy = true;
    while (!c->closing) {
        while (!c->reader.hasLine() && c->socket->bytesAvailable() > 0) {
            const QByteArray chunk = c->socket->read(kReadChunkBytes);
            if (chunk.isEmpty())
                break;
            c->reader.push(std::string_view(chunk.constData(), static_cast<size_t>(chunk.size())));
        }
        std::optional<AutomationLineReader::Line> line = c->reader.popLine();
        if (!line)
            break;
        const std::string reply = line->overlong ? AutomationSession::overlongReply()
                                                 : c->session->handleLine(line->text);
        send(id, reply);
    }
    c->busy = false;
    if (c->closing)
        QTimer::singleShot(0, m_context.get(), [this, id] { finish(id); });
}

void AutomationServer::send(uint64_t id, const std::string& line)
{
    Connection* c = find(id);
    if (!c || c->closing)
        return;
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append('\n');
    c->socket->write(bytes);
    if (static_cast<size_t>(c->socket->bytesToWrite()) > m_maxQueuedBytes)
        drop(id, "it does not read its replies");
}

void AutomationServer::drop(uint64_t id, const char* why)
{
    Connection* c = find(id);
    if (!c || c->closing)
        return;
    platform::win::logWarn(kModule, "dropped an automation client: %s", why);
    c->closing = true;
    c->socket->abort();
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
    gone->socket->deleteLater();
    if (m_connections.empty() && m_clientsGone)
        m_clientsGone();
}

} // namespace app::automation
