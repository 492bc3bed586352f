#pragma once

#include "platform/automation/DispatchTable.h"
#include "platform/automation/Guid.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Descriptions of the type library's enumerations and interfaces.
namespace platform::automation {

// An enumeration of the type library (name = value pairs, in declaration order).
struct EnumDescription
{
    std::string name;
    std::vector<std::pair<std::string, int32_t>> values;
};

// One member of an interface as the type library declares it.
struct MemberSignature
{
    DISPID dispid = 0;
    std::string name;
    MemberKind kind = MemberKind::Method;
    std::vector<ParamDescription> params;
    ParamType result = ParamType::Void;
};

// A dispatch interface of the type library: its name, identifier and members.
struct InterfaceDescription
{
    std::string name;
    Guid iid;
    std::vector<MemberSignature> members;
};

// The member signatures of a dispatch table (DISPID = row).
std::vector<MemberSignature> signaturesOf(const DispatchTable& table);

// The outgoing interface of the event generator (IEventGeneratorEvents): eight events
// with explicit DISPIDs 1 to 8.
const InterfaceDescription& eventGeneratorEventsInterface();
// The event generator's own dispatch interface (IEventGenerator); it has no members.
const InterfaceDescription& eventGeneratorInterface();

} // namespace platform::automation
