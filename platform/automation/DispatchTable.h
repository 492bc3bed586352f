#pragma once

#include "platform/automation/AutomationTypes.h"
#include "platform/automation/Variant.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::automation {

class AutomationObject;

// Types of member parameters and results, as member tables and the type library name
// them. The ...Ref types are by-reference pointers (`double*` is the first element of a
// script array).
enum class ParamType
{
    Void,
    Short,
    Long,
    Float,
    Double,
    Bool,
    Bstr,
    Variant,
    Dispatch,
    ShortRef,
    LongRef,
    FloatRef,
    DoubleRef,
};

// The name the type library gives a type ("short", "double*", "BSTR", ...).
const char* paramTypeName(ParamType type);
// The value type a parameter of this type is converted to.
VarType paramVarType(ParamType type);
// FALSE, 0, an empty string or nothing: what a failed handler answers.
Variant neutralResult(ParamType type);

enum class MemberKind
{
    Method,
    Property,        // get and, when it has a setter, put
    IndexedProperty, // a property with parameters (an index, a channel)
};

struct ParamDescription
{
    std::string name;
    ParamType type = ParamType::Void;
    friend bool operator==(const ParamDescription&, const ParamDescription&) = default;
};

// Where a handler call reports a caught exception: the class's source name (null: the
// class has no guard, and an exception reaches the caller as DISP_E_EXCEPTION).
struct GuardContext
{
    const char* sourceName = nullptr;
    int line = 0;
};

// Converts the arguments, calls the handler and converts its result.
using MemberHandler =
    std::function<HRESULT(AutomationObject& self, std::span<Variant> args, Variant* result,
                          DispatchError* error, const GuardContext& guard)>;

// One row of a class's dispatch table. For a property, `result` is the property's type
// and `params` the index parameters (none for a plain property).
struct MemberDescription
{
    std::string name;
    MemberKind kind = MemberKind::Method;
    std::vector<ParamDescription> params;
    ParamType result = ParamType::Void;
    MemberHandler get; // the method, or the property getter
    MemberHandler put; // the property setter; empty for methods and read-only properties
    int line = 0;      // reported with a caught exception
    // False for a member that runs without its class's guard: an exception of its handler
    // reaches the caller as DISP_E_EXCEPTION instead of the error log.
    bool guarded = true;
};

// A class's ordered member table; the DISPID of a member is its 1-based row.
class DispatchTable
{
public:
    DispatchTable() = default;
    explicit DispatchTable(std::vector<MemberDescription> members);

    size_t size() const { return m_members.size(); }
    const std::vector<MemberDescription>& members() const { return m_members; }
    // The member of a DISPID, or null.
    const MemberDescription* member(DISPID dispid) const;
    // The DISPID of a member by name, without regard to case.
    std::optional<DISPID> find(std::string_view name) const;

    // Calls a member of `self` (an object of the class this table belongs to).
    HRESULT invoke(AutomationObject& self, const char* sourceName, DISPID dispid, uint16_t flags,
                   std::span<Variant> args, Variant* result, DispatchError* error) const;

private:
    std::vector<MemberDescription> m_members;
};

// Compares names the way member lookup does (ASCII letters without regard to case).
bool namesEqual(std::string_view a, std::string_view b);

} // namespace platform::automation
