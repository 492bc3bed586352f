#pragma once

#include "platform/automation/AutomationTypes.h"
#include "platform/automation/Guid.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace platform::automation {

class Variant;

// What a failed call tells its caller beyond the result code: the source and text of an
// exception (DISP_E_EXCEPTION) or the 0-based position of a bad argument.
struct DispatchError
{
    std::string source;
    std::string description;
    int argIndex = -1;
};

// The late-bound interface through which scripts and clients reach every object. Objects
// are reference counted: the last Release frees the object. GUI thread only.
class IDispatch
{
public:
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
    // Answers this object (with one more reference) for IID_IUnknown, IID_IDispatch and
    // the identifiers the object implements; E_NOINTERFACE and no object otherwise.
    virtual HRESULT QueryInterface(const Guid& iid, IDispatch** out) = 0;
    // 1 when the object describes itself in the type library, else 0.
    virtual uint32_t GetTypeInfoCount() = 0;
    // The DISPID of a member, found by name without regard to case.
    virtual HRESULT GetIDsOfNames(std::string_view name, DISPID& dispid) = 0;
    // Calls a member. args are in the member's parameter order (the last is the value of
    // a property put); result may be null when the caller wants none.
    virtual HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                           DispatchError* error) = 0;

protected:
    ~IDispatch() = default;
};

// Owns one reference to an object of a reference-counted interface.
template <class T> class RefPtr
{
public:
    RefPtr() = default;
    RefPtr(std::nullptr_t) {}
    // Takes one new reference to p.
    explicit RefPtr(T* p) : m_p(p)
    {
        if (m_p) {
            m_p->AddRef();
        }
    }
    RefPtr(const RefPtr& other) : RefPtr(other.m_p) {}
    RefPtr(RefPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <class U> RefPtr(const RefPtr<U>& other) : RefPtr(other.get()) {}
    ~RefPtr() { reset(); }
    RefPtr& operator=(RefPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    // Adopts a pointer whose reference the caller already holds (a creation result).
    static RefPtr adopt(T* p)
    {
        RefPtr r;
        r.m_p = p;
        return r;
    }
    void reset()
    {
        if (T* p = std::exchange(m_p, nullptr)) {
            p->Release();
        }
    }
    // Gives up ownership without releasing (the caller takes the reference).
    T* detach() { return std::exchange(m_p, nullptr); }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    friend bool operator==(const RefPtr& a, const RefPtr& b) { return a.m_p == b.m_p; }

private:
    T* m_p = nullptr;
};

using DispatchPtr = RefPtr<IDispatch>;

} // namespace platform::automation
