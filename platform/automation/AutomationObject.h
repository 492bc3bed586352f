#pragma once

#include "platform/automation/DispatchTable.h"
#include "platform/automation/IDispatch.h"

#include <cstdint>

namespace platform::automation {

struct ClassInfo;

// Locks on the application held by live automation objects (and by anyone else who must
// keep the program serving); the shell decides at close what outstanding locks mean.
void lockApplication();
void unlockApplication();
int applicationLockCount();

// The automation-enabled command target that every automation class derives from: a
// reference count (the creator holds the first reference; the last Release calls
// OnFinalRelease, which deletes the object), one lock on the application from
// construction to destruction, and IDispatch over the class's dispatch table.
// GUI thread only.
class AutomationObject : public IDispatch
{
public:
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;

    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT QueryInterface(const Guid& iid, IDispatch** out) override;
    uint32_t GetTypeInfoCount() override { return 1; }
    HRESULT GetIDsOfNames(std::string_view name, DISPID& dispid) override;
    HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                   DispatchError* error) override;

    // The class's row of the class table, or null for a class outside it.
    const ClassInfo* classInfo() const { return m_info; }
    // The class's dispatch table (empty unless the class has members).
    virtual const DispatchTable& GetDispatchMap() const;
    // Writes the identifier of the class's dispatch interface; false when it has none.
    virtual bool GetDispatchIID(Guid* iid) const;

protected:
    // Whether the object holds a lock on the application while it lives: the program's
    // own automation objects do; helpers of other components (event sinks, the script
    // engine's objects) do not.
    enum class AppLock
    {
        Take,
        None,
    };
    // info: the class's row (its IID and its source name for the error log), or null.
    explicit AutomationObject(const ClassInfo* info = nullptr, AppLock lock = AppLock::Take);
    virtual ~AutomationObject();
    // Called when the last reference goes: deletes the object.
    virtual void OnFinalRelease();
    // The name reported with a caught handler exception; null: the handlers have no guard.
    virtual const char* errorSourceName() const;

private:
    const ClassInfo* m_info;
    bool m_locksApp;
    uint32_t m_refs = 1;
};

} // namespace platform::automation
