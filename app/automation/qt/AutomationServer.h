#pragma once

#include "app/automation/qt/AutomationSession.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QObject;
class QSocketNotifier;
class QTimer;

namespace platform::automation {
class ClassRegistry;
}

namespace app::automation {

// The automation server for outside clients: a local socket served on the GUI thread, one
// AutomationSession per connection. Only the same user gets in (a private folder, a 0600
// socket and a peer-credential check on every connection). Requests of one connection are
// answered one at a time in order; while one call runs a nested loop, the other connections
// are still served. Every complete request a client sent is answered, also after it has
// closed its sending side (a half-close); the connection ends once those replies are written
// or the client has gone. A connection's objects and sinks go with it; when it closes during
// one of its own calls, they go when that call returns. A client that stops reading is dropped
// once its queue of unsent lines passes the bound, so the program never waits for it.
// Connections take at most what the open-file limit leaves beside the program's own files,
// devices and windows; beyond that, and whenever the process runs out of descriptors, new
// clients are closed at once while the open ones go on, the socket stays and new clients are
// served again as soon as descriptors are free. Each such spell of refusals is told once to
// the user's error log (`report`). GUI thread only.
class AutomationServer
{
public:
    // `report` takes the lines meant for the user's error log.
    AutomationServer(platform::automation::ClassRegistry& registry,
                     AutomationSession::EventSource events,
                     std::function<void(const std::string&)> report);
    ~AutomationServer();
    AutomationServer(const AutomationServer&) = delete;
    AutomationServer& operator=(const AutomationServer&) = delete;

    // Serves on the socket at `path` (its folder made private first); a stale socket left by
    // a dead instance is replaced. False, with one line in the diagnostic log, when the folder
    // is not private to this user, the path does not fit a socket address or listening fails.
    bool listen(const std::string& path);
    bool isListening() const;
    const std::string& socketPath() const { return m_path; }
    // Why the last listen failed (empty after a success).
    const std::string& failure() const { return m_failure; }

    // The bound of a client's unsent lines (bytes) before it is dropped.
    void setMaxQueuedBytes(size_t bytes) { m_maxQueuedBytes = bytes; }
    static constexpr size_t kDefaultMaxQueuedBytes = 16 * 1024 * 1024;

    size_t connectionCount() const { return m_connections.size(); }
    // Objects the clients made and still hold.
    size_t clientObjectCount() const;
    // Called (from the event loop) each time the last open connection has gone.
    void setClientsGoneHandler(std::function<void()> handler)
    {
        m_clientsGone = std::move(handler);
    }

private:
    struct Connection;
    void stopListening();
    // Takes the clients waiting on the listening socket.
    void acceptPending();
    // The process has no descriptor for the next client: refuses it, or waits for one.
    void outOfDescriptors();
    void refuse(const char* why);
    void pauseAccepting();
    void resumeAccepting();
    void accept(int fd);
    void pump(uint64_t id);
    // Reads what the client sent until a line is complete; false when the socket failed.
    bool readSome(Connection& c);
    void send(uint64_t id, const std::string& line);
    // Writes what the socket takes now; the rest waits for the socket to become writable.
    void flush(uint64_t id);
    // Ends the connection once its input is over and its replies are out.
    void finishWhenDone(uint64_t id);
    void drop(uint64_t id, const char* why);
    void finish(uint64_t id);
    Connection* find(uint64_t id);

    platform::automation::ClassRegistry& m_registry;
    AutomationSession::EventSource m_events;
    std::function<void(const std::string&)> m_report;
    std::unique_ptr<QObject> m_context; // the receiver of the sockets' signals
    int m_listenFd = -1;
    std::unique_ptr<QSocketNotifier> m_incoming;
    // Held open only to be given up when the process runs out of descriptors: it makes room to
    // take a waiting client off the queue and close it, so that the client learns at once.
    int m_spareFd = -1;
    std::unique_ptr<QTimer> m_resume; // accepting again after a pause for lack of descriptors
    bool m_refusing = false;          // a spell of refusals is on
    size_t m_refused = 0;             // clients refused in this spell
    std::string m_path;
    std::string m_failure;
    size_t m_maxQueuedBytes = kDefaultMaxQueuedBytes;
    std::map<uint64_t, std::unique_ptr<Connection>> m_connections;
    uint64_t m_nextId = 1;
    std::function<void()> m_clientsGone;
};

} // namespace app::automation
