#pragma once

// Calls members of automation objects through IDispatch, by name, as scripts do.
#include "platform/automation/IDispatch.h"
#include "platform/automation/Variant.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline platform::automation::Variant invokeMember(platform::automation::IDispatch& object,
                                                  const std::string& name, uint16_t flags,
                                                  std::vector<platform::automation::Variant> args)
{
    using namespace platform::automation;
    DISPID dispid = 0;
    EXPECT_EQ(object.GetIDsOfNames(name, dispid), S_OK) << name;
    Variant result;
    DispatchError error;
    const HRESULT hr = object.Invoke(dispid, flags, args, &result, &error);
    EXPECT_EQ(hr, S_OK) << name;
    return result;
}

inline platform::automation::Variant call(platform::automation::IDispatch& object,
                                          const std::string& name,
                                          std::vector<platform::automation::Variant> args = {})
{
    return invokeMember(object, name, platform::automation::DISPATCH_METHOD, std::move(args));
}

inline platform::automation::Variant get(platform::automation::IDispatch& object,
                                         const std::string& name)
{
    return invokeMember(object, name, platform::automation::DISPATCH_PROPERTYGET, {});
}

inline void put(platform::automation::IDispatch& object, const std::string& name,
                platform::automation::Variant value)
{
    invokeMember(object, name, platform::automation::DISPATCH_PROPERTYPUT, {std::move(value)});
}

inline int32_t asLong(const platform::automation::Variant& v)
{
    return v.toI4().value;
}

inline double asDouble(const platform::automation::Variant& v)
{
    return v.toR8().value;
}

inline bool asBool(const platform::automation::Variant& v)
{
    return v.toBool().value;
}

inline std::string asText(const platform::automation::Variant& v)
{
    return v.toBstr().value;
}
