#pragma once

// The actions a script may allow or forbid through its VerifyMenu function. The top byte
// names the window kind (0 main window, 1 spectrum, 2 graph, 3 grid, 4 annotation pop-up,
// 5 to 8 the spectrum frame's dialog bars); the values are stored in scripts and must not
// change.

#include "platform/automation/TypeLibraryEnums.h"

#include <cstdint>
#include <span>

namespace app::res {

// The enumeration is the type library's own; the program uses it under its resource names.
using platform::automation::MENUVERIFY;
using enum platform::automation::MENUVERIFY;

// One member of the enumeration, for the type-library description.
struct MenuVerifyMember
{
    const char* name;
    int32_t value;
};

// Every member, in the order of the type library.
std::span<const MenuVerifyMember> menuVerifyMembers();

} // namespace app::res
