#include "platform/automation/DispatchTable.h"

#include <cctype>

namespace platform::automation {

const char* paramTypeName(ParamType type)
{
    switch (type) {
    case ParamType::Void:
        return "void";
    case ParamType::Short:
        return "short";
    case ParamType::Long:
        return "long";
    case ParamType::Float:
        return "float";
    case ParamType::Double:
        return "double";
    case ParamType::Bool:
        return "BOOL";
    case ParamType::Bstr:
        return "BSTR";
    case ParamType::Variant:
        return "VARIANT";
    case ParamType::Dispatch:
        return "IDispatch*";
    case ParamType::ShortRef:
        return "short*";
    case ParamType::LongRef:
        return "long*";
    case ParamType::FloatRef:
        return "float*";
    case ParamType::DoubleRef:
        return "double*";
    }
    return "?";
}

VarType paramVarType(ParamType type)
{
    switch (type) {
    case ParamType::Short:
    case ParamType::ShortRef:
        return VarType::I2;
    case ParamType::Long:
    case ParamType::LongRef:
        return VarType::I4;
    case ParamType::Float:
    case ParamType::FloatRef:
        return VarType::R4;
    case ParamType::Double:
    case ParamType::DoubleRef:
        return VarType::R8;
    case ParamType::Bool:
        return VarType::Bool;
    case ParamType::Bstr:
        return VarType::Bstr;
    case ParamType::Dispatch:
        return VarType::Dispatch;
    case ParamType::Variant:
        return VarType::Variant;
    case ParamType::Void:
        return VarType::Empty;
    }
    return VarType::Empty;
}

Variant neutralResult(ParamType type)
{
    switch (type) {
    case ParamType::Short:
        return int16_t{0};
    case ParamType::Long:
        return int32_t{0};
    case ParamType::Float:
        return 0.0f;
    case ParamType::Double:
        return 0.0;
    case ParamType::Bool:
        return false;
    case ParamType::Bstr:
        return std::string();
    default:
        return Variant();
    }
}

bool namesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

DispatchTable::DispatchTable(std::vector<MemberDescription> members) : m_members(std::move(members))
{}

const MemberDescription* DispatchTable::member(DISPID dispid) const
{
    if (dispid < 1 || static_cast<size_t>(dispid) > m_members.size()) {
        return nullptr;
    }
    return &m_members[static_cast<size_t>(dispid) - 1];
}

std::optional<DISPID> DispatchTable::find(std::string_view name) const
{
    for (size_t i = 0; i < m_members.size(); ++i) {
        if (namesEqual(m_members[i].name, name)) {
            return static_cast<DISPID>(i + 1);
        }
    }
    return std::nullopt;
}

HRESULT DispatchTable::invoke(AutomationObject& self, const char* sourceName, DISPID dispid,
                              uint16_t flags, std::span<Variant> args, Variant* result,
                              DispatchError* error) const
{
    const MemberDescription* m = member(dispid);
    if (!m) {
        return DISP_E_MEMBERNOTFOUND;
    }
    const GuardContext guard{m->guarded ? sourceName : nullptr, m->line};
    const size_t indexCount = m->params.size();
    if (flags & DISPATCH_PROPERTYPUT) {
        if (m->kind == MemberKind::Method || !m->put) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (args.size() != indexCount + 1) {
            return DISP_E_BADPARAMCOUNT;
        }
        return m->put(self, args, nullptr, error, guard);
    }
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (args.size() != indexCount) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (!m->get) {
        return DISP_E_MEMBERNOTFOUND;
    }
    return m->get(self, args, result, error, guard);
}

} // namespace platform::automation
