#pragma once

#include "platform/automation/IDispatch.h"
#include "platform/automation/Variant.h"

#include <string>
#include <vector>

namespace platform::basic {

// The dialect's Collection object ("New Collection"): an ordered list of values, each
// with an optional key (text, without regard to case). Add(Item, Key, Before, After),
// Item(Index) (the default member: a position from 1 or a key), Count and Remove(Index).
// Failures answer the dialect's error numbers as FACILITY_CONTROL results. GUI thread only.

// A new, empty collection.
automation::DispatchPtr makeCollection();
// True for a collection.
bool isCollection(automation::IDispatch* object);
// The items of a collection in order (For Each), empty for another object.
std::vector<automation::Variant> collectionItems(automation::IDispatch* object);
// The lower-case parameter names of a collection's member (named arguments).
std::vector<std::string> collectionParameters(const std::string& member);

// The automation result that carries a dialect error number (0x800A0000 | number).
constexpr automation::HRESULT dialectError(int number)
{
    return static_cast<automation::HRESULT>(0x800A0000u | static_cast<uint32_t>(number));
}

} // namespace platform::basic
