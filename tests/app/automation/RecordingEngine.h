#pragma once

#include "platform/automation/EventTarget.h"
#include "platform/basic/BasicEngine.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

// A script engine that records every call the host makes, in order, as text ("put 36 True",
// "call 65 EventGenerator <object>"), keeps what is put for later gets, and answers its methods
// from a few fields. Tests fire its events through its one connection point.
class RecordingEngine : public platform::automation::CEventTarget
{
public:
    using DISPID = platform::automation::DISPID;
    using HRESULT = platform::automation::HRESULT;
    using Variant = platform::automation::Variant;

    RecordingEngine() : CEventTarget(AppLock::None)
    {
        SetEventInterface(platform::automation::IID_IDispatch,
                          platform::basic::BasicEngine::engineEventsIid());
    }

    // "Type:text" of a value, the way the calls are recorded.
    static std::string describe(const Variant& v)
    {
        const Variant value = v.value();
        if (value.type() == platform::automation::VarType::Dispatch) {
            const auto object = value.toDispatch();
            return object && object.value ? "<object>" : "<none>";
        }
        return value.isEmpty() ? "<empty>" : value.toBstr().value;
    }

    HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                   platform::automation::DispatchError*) override
    {
        namespace pa = platform::automation;
        std::string line = (flags & pa::DISPATCH_PROPERTYPUT)   ? "put "
                           : (flags & pa::DISPATCH_PROPERTYGET) ? "get "
                                                                : "call ";
        line += std::to_string(dispid);
        for (const Variant& arg : args)
            line += " " + describe(arg);
        calls.push_back(line);
        if (flags & pa::DISPATCH_PROPERTYPUT) {
            if (!args.empty())
                properties[dispid] = args[0].value();
            return pa::S_OK;
        }
        if (flags & pa::DISPATCH_PROPERTYGET) {
            const auto it = properties.find(dispid);
            if (result)
                *result = it == properties.end() ? Variant() : it->second;
            return pa::S_OK;
        }
        if (result) {
            switch (dispid) {
            case 39:
                *result = Variant(closeAnswer);
                break;
            case 43:
                *result = Variant(macroState);
                break;
            case 38:
                *result = Variant();
                break;
            default:
                *result = Variant(true);
                break;
            }
        }
        return pa::S_OK;
    }

    // The calls of one kind ("put", "call", "get"), in order.
    std::vector<std::string> only(const std::string& kind) const
    {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind(kind + " ", 0) == 0)
                out.push_back(c);
        return out;
    }

    std::vector<std::string> calls;
    std::map<DISPID, Variant> properties;
    bool closeAnswer = true;
    int16_t macroState = 0;
};
