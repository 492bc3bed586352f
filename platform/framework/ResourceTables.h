#pragma once

// Table types from which menus, accelerators, tool bars and string tables are built. Qt-free,
// so the program's resource tables (app/res) need no Qt.

#include <span>

namespace platform::framework {

enum class MenuEntryKind
{
    Item,      // a command: id and text ("&New\tCtrl+N": mnemonic and accelerator text)
    Separator, // a separator line
    Popup,     // opens a sub-menu with text; the entries up to the matching End belong to it
    End,       // closes the innermost open Popup
};

struct MenuEntry
{
    MenuEntryKind kind;
    unsigned id;
    const char* text;
};

constexpr MenuEntry menuItem(unsigned id, const char* text)
{
    return {MenuEntryKind::Item, id, text};
}
constexpr MenuEntry menuSeparator()
{
    return {MenuEntryKind::Separator, 0, ""};
}
constexpr MenuEntry menuPopup(const char* text)
{
    return {MenuEntryKind::Popup, 0, text};
}
constexpr MenuEntry menuEnd()
{
    return {MenuEntryKind::End, 0, ""};
}

// A menu resource: its id and entries.
struct MenuResource
{
    unsigned id;
    std::span<const MenuEntry> entries;
};

// One accelerator: a key in QKeySequence's portable text ("Ctrl+Alt+D", "F5") and its command.
struct Accelerator
{
    const char* key;
    unsigned id;
};

struct AcceleratorResource
{
    unsigned id;
    std::span<const Accelerator> entries;
};

// A command's status-bar prompt and tool tip: "prompt\ntip", as the string table has them.
struct CommandPrompt
{
    unsigned id;
    const char* prompt;
};

// A tool bar: its id, its title and its buttons in order; 0 is a separator. The bitmap index of
// a button is its position among the buttons, separators not counted.
struct ToolBarResource
{
    unsigned id;
    const char* title;
    std::span<const unsigned> buttons;
};

// One string of the string table.
struct StringResource
{
    unsigned id;
    const char* text;
};

} // namespace platform::framework
