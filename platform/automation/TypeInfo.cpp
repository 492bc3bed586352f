#include "platform/automation/TypeInfo.h"

#include "platform/automation/ClassInfo.h"

namespace platform::automation {

std::vector<MemberSignature> signaturesOf(const DispatchTable& table)
{
    std::vector<MemberSignature> out;
    DISPID dispid = 1;
    for (const MemberDescription& m : table.members()) {
        out.push_back({dispid++, m.name, m.kind, m.params, m.result});
    }
    return out;
}

const InterfaceDescription& eventGeneratorEventsInterface()
{
    using P = ParamType;
    static const InterfaceDescription events{
        "IEventGeneratorEvents",
        eventGeneratorEventsIid(),
        {
            {1,
             "NewSpectraReady",
             MemberKind::Method,
             {{"windowname", P::Bstr}, {"channels", P::Short}},
             P::Void},
            {2, "MacroBegin", MemberKind::Method, {{"modname", P::Bstr}}, P::Void},
            {3, "TimerTick", MemberKind::Method, {{"timerid", P::Short}}, P::Void},
            {4, "MacroEnd", MemberKind::Method, {}, P::Void},
            {5, "UserMenu", MemberKind::Method, {{"menuid", P::Long}}, P::Void},
            {6,
             "Keystroke",
             MemberKind::Method,
             {{"keycode", P::Long}, {"flags", P::Long}, {"windowname", P::Bstr}},
             P::Void},
            {7,
             "SpectrometerConfigChanged",
             MemberKind::Method,
             {{"windowname", P::Bstr}},
             P::Void},
            {8,
             "TimeAcquisition",
             MemberKind::Method,
             {{"windowname", P::Bstr}, {"timestamp", P::Double}},
             P::Void},
        }};
    return events;
}

const InterfaceDescription& eventGeneratorInterface()
{
    static const InterfaceDescription generator{"IEventGenerator", eventGeneratorIid(), {}};
    return generator;
}

} // namespace platform::automation
