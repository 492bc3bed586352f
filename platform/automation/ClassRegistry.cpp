#include "platform/automation/ClassRegistry.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <sstream>

namespace platform::automation {

ClassRegistry::ClassRegistry() = default;

ClassRegistry& ClassRegistry::instance()
{
    static ClassRegistry registry;
    return registry;
}

bool ClassRegistry::registerClass(std::string_view className, CreateFunction create,
                                  const DispatchTable& table)
{
    const ClassInfo* info = findClassByName(className);
    if (!info || table.size() != info->memberCount) {
        return false;
    }
    for (auto& [bound, b] : m_bindings) {
        if (bound == info) {
            b = Binding{std::move(create), &table};
            return true;
        }
    }
    m_bindings.emplace_back(info, Binding{std::move(create), &table});
    return true;
}

void ClassRegistry::registerEnumeration(EnumDescription description)
{
    for (EnumDescription& e : m_enums) {
        if (e.name == description.name) {
            e = std::move(description);
            return;
        }
    }
    m_enums.push_back(std::move(description));
}

const ClassRegistry::Binding* ClassRegistry::binding(const ClassInfo& info) const
{
    for (const auto& [bound, b] : m_bindings) {
        if (bound == &info) {
            return &b;
        }
    }
    return nullptr;
}

HRESULT ClassRegistry::CLSIDFromProgID(std::string_view progId, Guid& clsid) const
{
    const ClassInfo* info = findClassByProgId(progId);
    if (!info) {
        clsid = Guid{};
        return CO_E_CLASSSTRING;
    }
    clsid = info->clsid();
    return S_OK;
}

void ClassRegistry::registerOutsideClass(const Guid& clsid, OutsideFactory create)
{
    std::erase_if(m_outside, [&](const auto& entry) { return entry.first == clsid; });
    if (create) {
        m_outside.emplace_back(clsid, std::move(create));
    }
}

bool ClassRegistry::hasOutsideClass(const Guid& clsid) const
{
    return std::any_of(m_outside.begin(), m_outside.end(),
                       [&](const auto& entry) { return entry.first == clsid; });
}

HRESULT ClassRegistry::CreateInstance(const Guid& clsid, DispatchPtr& out) const
{
    out.reset();
    for (const auto& [id, create] : m_outside) {
        if (id != clsid) {
            continue;
        }
        try {
            out = create();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
        return out ? S_OK : E_OUTOFMEMORY;
    }
    const ClassInfo* info = findClassByClsid(clsid);
    if (!info) {
        return REGDB_E_CLASSNOTREG;
    }
    const Binding* b = binding(*info);
    if (!b || !b->create) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    AutomationObject* object = nullptr;
    try {
        object = b->create();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    if (!object) {
        return E_OUTOFMEMORY;
    }
    out = DispatchPtr::adopt(object);
    return S_OK;
}

HRESULT ClassRegistry::CreateInstance(std::string_view progId, DispatchPtr& out) const
{
    Guid clsid;
    const HRESULT hr = CLSIDFromProgID(progId, clsid);
    if (FAILED(hr)) {
        out.reset();
        return hr;
    }
    return CreateInstance(clsid, out);
}

const DispatchTable* ClassRegistry::dispatchTable(const ClassInfo& info) const
{
    const Binding* b = binding(info);
    return b ? b->table : nullptr;
}

std::optional<InterfaceDescription> ClassRegistry::findInterface(const Guid& iid) const
{
    if (iid == eventGeneratorEventsIid()) {
        return eventGeneratorEventsInterface();
    }
    if (iid == eventGeneratorIid()) {
        return eventGeneratorInterface();
    }
    for (const ClassInfo& c : harluneClasses()) {
        if (c.iid() == iid) {
            const DispatchTable* table = dispatchTable(c);
            return InterfaceDescription{
                c.typeName(), iid, table ? signaturesOf(*table) : std::vector<MemberSignature>{}};
        }
    }
    return std::nullopt;
}

namespace {

void writeMember(std::ostringstream& out, const MemberSignature& m, bool writable)
{
    out << "    [id " << m.dispid << "] ";
    switch (m.kind) {
    case MemberKind::Method:
        out << "method ";
        break;
    case MemberKind::Property:
        out << (writable ? "property " : "readonly property ");
        break;
    case MemberKind::IndexedProperty:
        out << (writable ? "indexed property " : "readonly indexed property ");
        break;
    }
    out << paramTypeName(m.result) << ' ' << m.name;
    if (m.kind != MemberKind::Property) {
        out << '(';
        for (size_t i = 0; i < m.params.size(); ++i) {
            out << (i ? ", " : "") << paramTypeName(m.params[i].type) << ' ' << m.params[i].name;
        }
        out << ')';
    }
    out << '\n';
}

void writeInterface(std::ostringstream& out, const InterfaceDescription& itf,
                    const DispatchTable* table)
{
    out << "dispinterface " << itf.name << ' ' << itf.iid.toString() << '\n';
    for (const MemberSignature& m : itf.members) {
        const MemberDescription* row = table ? table->member(m.dispid) : nullptr;
        writeMember(out, m, !row || static_cast<bool>(row->put));
    }
    out << '\n';
}

} // namespace

std::string ClassRegistry::typeLibraryDescription() const
{
    std::ostringstream out;
    out << "library Harlune " << harluneLibraryId().toString() << " version "
        << kLibraryMajorVersion << '.' << kLibraryMinorVersion << "\n\n";

    for (const EnumDescription& e : m_enums) {
        out << "enum " << e.name << '\n';
        for (const auto& [name, value] : e.values) {
            // Values with a group in the high bytes read better in hexadecimal.
            char text[16];
            std::snprintf(text, sizeof text, value >= 0x10000 ? "0x%X" : "%d", value);
            out << "    " << name << " = " << text << '\n';
        }
        out << '\n';
    }

    writeInterface(out, eventGeneratorEventsInterface(), nullptr);
    writeInterface(out, eventGeneratorInterface(), nullptr);
    out << "coclass GenEventGenerator " << eventGeneratorClsid().toString() << '\n'
        << "    [default] dispinterface IEventGenerator\n"
        << "    [default, source] dispinterface IEventGeneratorEvents\n\n";

    out << "dispinterface IHarluneDocument " << documentIid().toString() << "\n\n"
        << "coclass Document " << documentClsid().toString() << '\n'
        << "    progid \"" << kDocumentProgId << "\"\n"
        << "    [default] dispinterface IHarluneDocument\n\n";

    for (const ClassInfo& c : harluneClasses()) {
        const DispatchTable* table = dispatchTable(c);
        InterfaceDescription itf{c.typeName(), c.iid(),
                                 table ? signaturesOf(*table) : std::vector<MemberSignature>{}};
        writeInterface(out, itf, table);
        std::string coclass = c.typeName().substr(1);
        out << "coclass " << coclass << ' ' << c.clsid().toString() << '\n'
            << "    progid \"" << c.progId << "\"\n"
            << "    class " << c.className << ", group " << classGroupName(c.group) << ", "
            << c.memberCount << " members, error source " << (c.sourceName ? c.sourceName : "-")
            << '\n'
            << "    [default] dispinterface " << itf.name << "\n\n";
    }
    return out.str();
}

} // namespace platform::automation
