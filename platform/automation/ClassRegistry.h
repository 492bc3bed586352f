#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/DispatchTable.h"
#include "platform/automation/TypeInfo.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::automation {

// The runtime's view of the program's type library: the 61 classes of the class table
// with the factories and dispatch tables the program binds to them, the outgoing event
// interface, and the enumerations the program registers. Creates objects by ProgID and
// CLSID. GUI thread only.
class ClassRegistry
{
public:
    // Makes a new object holding one reference (the caller's), or null when out of memory.
    using CreateFunction = std::function<AutomationObject*()>;

    ClassRegistry();
    // The program's registry.
    static ClassRegistry& instance();

    // Binds a class of the class table to its factory and dispatch table. Fails (false)
    // for a class outside the table and for a table whose member count differs from the
    // class table's.
    bool registerClass(std::string_view className, CreateFunction create,
                       const DispatchTable& table);
    void registerEnumeration(EnumDescription description);
    // A class from outside the class table, known by its CLSID alone (no ProgID, no type
    // library entry): CreateInstance by that CLSID calls the factory. A null factory removes
    // the registration. Replaces an earlier registration of the same CLSID.
    using OutsideFactory = std::function<DispatchPtr()>;
    void registerOutsideClass(const Guid& clsid, OutsideFactory create);
    bool hasOutsideClass(const Guid& clsid) const;

    // CLSID of a ProgID (without regard to case); CO_E_CLASSSTRING when unknown.
    HRESULT CLSIDFromProgID(std::string_view progId, Guid& clsid) const;
    // Creates an object: REGDB_E_CLASSNOTREG for an unknown class, CLASS_E_CLASSNOTAVAILABLE
    // for a class without a factory, E_OUTOFMEMORY when the factory made none.
    HRESULT CreateInstance(const Guid& clsid, DispatchPtr& out) const;
    HRESULT CreateInstance(std::string_view progId, DispatchPtr& out) const;

    // The dispatch table bound to a class, or null.
    const DispatchTable* dispatchTable(const ClassInfo& info) const;
    const std::vector<EnumDescription>& enumerations() const { return m_enums; }
    // The type information of a dispatch interface of the library, found by identifier.
    std::optional<InterfaceDescription> findInterface(const Guid& iid) const;

    // The type library as text: library, enumerations, interfaces and classes with
    // DISPIDs and types. Its golden copy makes every change of the external interface a
    // reviewed change.
    std::string typeLibraryDescription() const;

private:
    struct Binding
    {
        CreateFunction create;
        const DispatchTable* table = nullptr;
    };
    const Binding* binding(const ClassInfo& info) const;

    std::vector<std::pair<const ClassInfo*, Binding>> m_bindings;
    std::vector<EnumDescription> m_enums;
    std::vector<std::pair<Guid, OutsideFactory>> m_outside;
};

} // namespace platform::automation
