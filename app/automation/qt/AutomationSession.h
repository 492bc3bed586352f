#pragma once

#include "platform/automation/IDispatch.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace platform::automation {
class CEventGenerator;
class ClassRegistry;
} // namespace platform::automation

namespace app::automation {

class ClientEventSink;

// The protocol version the server speaks; a client compares it with the one it knows.
constexpr int kAutomationProtocolVersion = 1;
// The longest request line: above a call with several 4096-element arrays of doubles as text.
constexpr size_t kMaxRequestBytes = 1024 * 1024;

// One outside client's conversation with the automation runtime: the objects it made (by
// handle), its event sinks, and the answer to one request line, apart from any socket so that
// tests drive it directly. Every call goes through IDispatch, as a script's does, and reaches
// only the classes of the type library. Closing (destroying) the session releases its objects
// and disconnects its sinks. GUI thread only.
class AutomationSession
{
public:
    // Sends one notification line (an event), without its newline.
    using Notify = std::function<void(const std::string& line)>;
    // The main frame's event generator, or null while there is none.
    using EventSource = std::function<platform::automation::CEventGenerator*()>;

    AutomationSession(platform::automation::ClassRegistry& registry, EventSource events,
                      Notify notify);
    ~AutomationSession();
    AutomationSession(const AutomationSession&) = delete;
    AutomationSession& operator=(const AutomationSession&) = delete;

    // Answers one request line (without its newline) with one reply line. A member call may
    // run a nested event loop before it returns.
    std::string handleLine(std::string_view line);
    // The reply to a line that passed kMaxRequestBytes and was skipped.
    static std::string overlongReply();

    // Objects made by this client and not yet released.
    size_t objectCount() const { return m_objects.size(); }
    size_t sinkCount() const { return m_sinks.size(); }
    // Releases every object and disconnects every sink (the session stays usable).
    void releaseAll();

private:
    struct Request;
    std::string dispatch(Request& request);
    std::string hello(Request& request);
    std::string create(Request& request);
    std::string release(Request& request);
    std::string describe(Request& request);
    std::string invoke(Request& request);
    std::string advise(Request& request);
    std::string unadvise(Request& request);
    int64_t addObject(platform::automation::DispatchPtr object);

    platform::automation::ClassRegistry& m_registry;
    EventSource m_events;
    Notify m_notify;
    std::map<int64_t, platform::automation::DispatchPtr> m_objects;
    int64_t m_nextHandle = 1;
    // Cookie of each connection this client made to the event generator, with its sink.
    std::map<uint32_t, platform::automation::RefPtr<ClientEventSink>> m_sinks;
};

} // namespace app::automation
