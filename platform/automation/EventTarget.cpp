#include "platform/automation/EventTarget.h"

#include "platform/automation/ClassInfo.h"
#include "platform/automation/ClassRegistry.h"

#include <algorithm>

namespace platform::automation {

Guid ConnectionPoint::GetConnectionInterface() const
{
    return m_owner.m_eventIid;
}

HRESULT ConnectionPoint::Advise(IDispatch* sink, uint32_t* cookie)
{
    if (cookie) {
        *cookie = 0;
    }
    if (!sink) {
        return E_POINTER;
    }
    IDispatch* itf = nullptr;
    // A sink that offers only IDispatch is accepted as well.
    if (m_owner.m_eventIid.isNull() || FAILED(sink->QueryInterface(m_owner.m_eventIid, &itf))) {
        if (FAILED(sink->QueryInterface(IID_IDispatch, &itf))) {
            return CONNECT_E_CANNOTCONNECT;
        }
    }
    const uint32_t id = m_nextCookie++;
    m_connections.emplace_back(id, DispatchPtr::adopt(itf));
    if (cookie) {
        *cookie = id;
    }
    m_owner.OnAdviseNotify(true);
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(uint32_t cookie)
{
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [cookie](const auto& c) { return c.first == cookie; });
    if (it == m_connections.end()) {
        return CONNECT_E_NOCONNECTION;
    }
    // The sink may be released here; keep it until the list no longer holds it.
    const DispatchPtr sink = std::move(it->second);
    m_connections.erase(it);
    m_owner.OnAdviseNotify(false);
    return S_OK;
}

bool ConnectionPoint::isConnected(uint32_t cookie) const
{
    return std::any_of(m_connections.begin(), m_connections.end(),
                       [cookie](const auto& c) { return c.first == cookie; });
}

CEventTarget::CEventTarget(AppLock lock) : AutomationObject(nullptr, lock), m_point(*this) {}

CEventTarget::~CEventTarget() = default;

void CEventTarget::SetEventInterface(const Guid& dispatchIid, const Guid& eventIid)
{
    m_dispatchIid = dispatchIid;
    m_eventIid = eventIid;
}

void CEventTarget::FireEvent(DISPID dispid, const std::vector<Variant>& args)
{
    // A sink may release the last reference to this object while it runs.
    const DispatchPtr keepAlive(this);
    for (const auto& [cookie, sink] : m_point.connections()) {
        if (!m_point.isConnected(cookie)) {
            continue;
        }
        std::vector<Variant> copy = args;
        try {
            sink->Invoke(dispid, DISPATCH_METHOD, copy, nullptr, nullptr);
        } catch (...) {
            // A failing sink does not stop the others.
        }
    }
}

void CEventTarget::FireKeystroke(int32_t keyCode, int32_t flags, const std::string& windowName)
{
    constexpr DISPID kKeystroke = 6;
    FireEvent(kKeystroke, {Variant(keyCode), Variant(flags), Variant(windowName)});
}

HRESULT CEventTarget::FindConnectionPoint(const Guid& iid, ConnectionPoint** point)
{
    if (!point) {
        return E_POINTER;
    }
    *point = GetConnectionHook(iid);
    return *point ? S_OK : CONNECT_E_NOCONNECTION;
}

std::vector<ConnectionPoint*> CEventTarget::EnumConnectionPoints()
{
    return {&m_point};
}

ConnectionPoint* CEventTarget::GetConnectionHook(const Guid& iid)
{
    return iid == m_eventIid ? &m_point : nullptr;
}

void CEventTarget::OnAdviseNotify(bool) {}

HRESULT CEventTarget::GetGUID(uint32_t kind, Guid* guid) const
{
    if (!guid) {
        return E_POINTER;
    }
    if (kind != 1) {
        *guid = Guid{};
        return E_INVALIDARG;
    }
    *guid = m_eventIid;
    return S_OK;
}

std::optional<InterfaceDescription> CEventTarget::GetClassInfo() const
{
    return ClassRegistry::instance().findInterface(m_dispatchIid);
}

HRESULT CEventTarget::QueryInterface(const Guid& iid, IDispatch** out)
{
    if (out && !m_dispatchIid.isNull() && iid == m_dispatchIid) {
        AddRef();
        *out = this;
        return S_OK;
    }
    return AutomationObject::QueryInterface(iid, out);
}

bool CEventTarget::GetDispatchIID(Guid* iid) const
{
    if (!iid) {
        return false;
    }
    *iid = m_dispatchIid;
    return !m_dispatchIid.isNull();
}

CEventGenerator::CEventGenerator()
{
    SetEventInterface(eventGeneratorIid(), eventGeneratorEventsIid());
}

HRESULT CEventGenerator::FireEvent(DISPID dispid, const std::vector<Variant>& args)
{
    const auto& events = eventGeneratorEventsInterface().members;
    const auto event =
        std::find_if(events.begin(), events.end(),
                     [dispid](const MemberSignature& m) { return m.dispid == dispid; });
    if (event == events.end()) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (args.size() != event->params.size()) {
        return DISP_E_BADPARAMCOUNT;
    }
    std::vector<Variant> typed;
    typed.reserve(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        auto c = args[i].changeType(paramVarType(event->params[i].type));
        if (!c) {
            return c.hr;
        }
        typed.push_back(std::move(c.value));
    }
    CEventTarget::FireEvent(dispid, typed);
    return S_OK;
}

} // namespace platform::automation
