#pragma once

#include "platform/framework/Menu.h"
#include "platform/framework/ResourceTables.h"

#include <map>
#include <optional>
#include <string>

namespace platform::framework {

// The program's resource tables, registered once at start-up: menus, accelerators, tool bars,
// command prompts and strings by id. GUI thread only.
class Resources
{
public:
    static Resources& instance();

    void addMenus(std::span<const MenuResource> menus);
    void addAccelerators(std::span<const AcceleratorResource> tables);
    void addToolBars(std::span<const ToolBarResource> bars);
    void addPrompts(std::span<const CommandPrompt> prompts);
    void addStrings(std::span<const StringResource> strings);
    // Forgets every table (tests).
    void clear();

    // Builds a new menu from the table with that id (the caller owns it), or 0 when there is
    // none or the table is malformed (unbalanced pop-ups).
    HMENU LoadMenu(unsigned id) const;
    std::span<const Accelerator> accelerators(unsigned id) const;
    const ToolBarResource* toolBar(unsigned id) const;
    // The status-bar prompt (before "\n") and the tool tip (after it) of a command.
    std::string statusPrompt(unsigned id) const;
    std::string toolTip(unsigned id) const;
    std::optional<std::string> LoadString(unsigned id) const;

private:
    std::map<unsigned, std::span<const MenuEntry>> m_menus;
    std::map<unsigned, std::span<const Accelerator>> m_accelerators;
    std::map<unsigned, ToolBarResource> m_toolBars;
    std::map<unsigned, std::string> m_prompts;
    std::map<unsigned, std::string> m_strings;
};

// Builds a menu from entries: the top level becomes a menu bar (popup = false) or a pop-up
// menu. Returns 0 when the pop-ups are unbalanced.
HMENU buildMenu(std::span<const MenuEntry> entries, bool popup = false);

} // namespace platform::framework
