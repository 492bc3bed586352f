#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/TypeInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::automation {

class CEventTarget;

// The one connection point of an event target: sinks advise to receive the events of
// the owner's event interface. GUI thread only.
class ConnectionPoint
{
public:
    explicit ConnectionPoint(CEventTarget& owner) : m_owner(owner) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // The owner's event interface identifier (null while none is set).
    Guid GetConnectionInterface() const;
    // Connects a sink that offers the event interface, or else IDispatch; writes the
    // connection's cookie. E_POINTER for no sink, CONNECT_E_CANNOTCONNECT for a sink
    // that offers neither.
    HRESULT Advise(IDispatch* sink, uint32_t* cookie);
    // Disconnects; CONNECT_E_NOCONNECTION for an unknown cookie.
    HRESULT Unadvise(uint32_t cookie);

    // The connections in the order they were made.
    std::vector<std::pair<uint32_t, DispatchPtr>> connections() const { return m_connections; }
    bool isConnected(uint32_t cookie) const;

private:
    CEventTarget& m_owner;
    std::vector<std::pair<uint32_t, DispatchPtr>> m_connections;
    uint32_t m_nextCookie = 1;
};

// An automation object with exactly one connection point, for one outgoing dispatch
// interface chosen at run time, and a fire operation that calls one event on every
// connected sink. GUI thread only: sinks run before FireEvent returns.
class CEventTarget : public AutomationObject
{
public:
    // lock: whether the object holds a lock on the application while it lives.
    explicit CEventTarget(AppLock lock = AppLock::Take);
    ~CEventTarget() override;

    // Sets the identifier the object's IDispatch reports and the outgoing interface.
    void SetEventInterface(const Guid& dispatchIid, const Guid& eventIid);

    // Calls event `dispid` with `args` as a method on every connected sink, in the order
    // of connection. A sink that fails or throws is skipped; a sink disconnected by an
    // earlier one during the fire is not called.
    void FireEvent(DISPID dispid, const std::vector<Variant>& args);
    // Fires event 6 of IEventGeneratorEvents, Keystroke, with the arguments typed I4, I4, BSTR:
    // the virtual-key code, the key message's flags and the window's name.
    void FireKeystroke(int32_t keyCode, int32_t flags, const std::string& windowName);

    // Connection point container: the one point when iid is the event interface.
    HRESULT FindConnectionPoint(const Guid& iid, ConnectionPoint** point);
    std::vector<ConnectionPoint*> EnumConnectionPoints();
    ConnectionPoint& connectionPoint() { return m_point; }

    // Class information: kind 1 (the default source interface) answers the event
    // interface; any other kind E_INVALIDARG with a zeroed identifier.
    HRESULT GetGUID(uint32_t kind, Guid* guid) const;
    // The type information of the dispatch interface, from the program's type library.
    std::optional<InterfaceDescription> GetClassInfo() const;

    HRESULT QueryInterface(const Guid& iid, IDispatch** out) override;
    bool GetDispatchIID(Guid* iid) const override;

protected:
    // The connection point for an interface identifier: the one point for the event
    // interface, otherwise none.
    virtual ConnectionPoint* GetConnectionHook(const Guid& iid);
    // Called on every advise (true) and unadvise (false); does nothing here.
    virtual void OnAdviseNotify(bool advise);

private:
    friend class ConnectionPoint;

    Guid m_dispatchIid;
    Guid m_eventIid;
    ConnectionPoint m_point;
};

// The program's event source for scripts: a CEventTarget with the interfaces
// IEventGenerator and IEventGeneratorEvents. The main frame creates it (it has no class
// factory) and hands it to the BASIC engine as "EventGenerator".
class CEventGenerator : public CEventTarget
{
public:
    enum Event : DISPID
    {
        NewSpectraReady = 1,           // windowname, channels
        MacroBegin = 2,                // modname
        TimerTick = 3,                 // timerid
        MacroEnd = 4,                  // none
        UserMenu = 5,                  // menuid
        Keystroke = 6,                 // keycode, flags, windowname
        SpectrometerConfigChanged = 7, // windowname
        TimeAcquisition = 8,           // windowname, timestamp
    };

    CEventGenerator();

    // Fires an event of IEventGeneratorEvents with its arguments converted to the
    // event's parameter types. An unknown event, a wrong number of arguments or an
    // argument that does not convert fires nothing and answers why.
    HRESULT FireEvent(DISPID dispid, const std::vector<Variant>& args);
};

} // namespace platform::automation
