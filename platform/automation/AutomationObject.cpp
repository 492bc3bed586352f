#include "platform/automation/AutomationObject.h"

#include "platform/automation/ClassInfo.h"

namespace platform::automation {

namespace {

int g_applicationLocks = 0;

} // namespace

void lockApplication()
{
    ++g_applicationLocks;
}

void unlockApplication()
{
    if (g_applicationLocks > 0) {
        --g_applicationLocks;
    }
}

int applicationLockCount()
{
    return g_applicationLocks;
}

AutomationObject::AutomationObject(const ClassInfo* info, AppLock lock)
    : m_info(info), m_locksApp(lock == AppLock::Take)
{
    if (m_locksApp) {
        lockApplication();
    }
}

AutomationObject::~AutomationObject()
{
    if (m_locksApp) {
        unlockApplication();
    }
}

uint32_t AutomationObject::AddRef()
{
    return ++m_refs;
}

uint32_t AutomationObject::Release()
{
    const uint32_t left = --m_refs;
    if (left == 0) {
        OnFinalRelease();
    }
    return left;
}

void AutomationObject::OnFinalRelease()
{
    delete this;
}

HRESULT AutomationObject::QueryInterface(const Guid& iid, IDispatch** out)
{
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    Guid own;
    if (iid == IID_IUnknown || iid == IID_IDispatch || (GetDispatchIID(&own) && iid == own)) {
        AddRef();
        *out = this;
        return S_OK;
    }
    return E_NOINTERFACE;
}

const DispatchTable& AutomationObject::GetDispatchMap() const
{
    static const DispatchTable empty;
    return empty;
}

bool AutomationObject::GetDispatchIID(Guid* iid) const
{
    if (!m_info || !iid) {
        return false;
    }
    *iid = m_info->iid();
    return true;
}

const char* AutomationObject::errorSourceName() const
{
    return m_info ? m_info->sourceName : nullptr;
}

HRESULT AutomationObject::GetIDsOfNames(std::string_view name, DISPID& dispid)
{
    const auto found = GetDispatchMap().find(name);
    if (!found) {
        return DISP_E_UNKNOWNNAME;
    }
    dispid = *found;
    return S_OK;
}

HRESULT AutomationObject::Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args,
                                 Variant* result, DispatchError* error)
{
    // The object must outlive the call even when a handler releases the last reference
    // its script held.
    const DispatchPtr keepAlive(this);
    return GetDispatchMap().invoke(*this, errorSourceName(), dispid, flags, args, result, error);
}

} // namespace platform::automation
