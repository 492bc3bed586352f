#include "platform/framework/Resources.h"

#include <vector>

namespace platform::framework {

Resources& Resources::instance()
{
    static Resources resources;
    return resources;
}

void Resources::addMenus(std::span<const MenuResource> menus)
{
    for (const MenuResource& menu : menus) {
        m_menus[menu.id] = menu.entries;
    }
}

void Resources::addAccelerators(std::span<const AcceleratorResource> tables)
{
    for (const AcceleratorResource& table : tables) {
        m_accelerators[table.id] = table.entries;
    }
}

void Resources::addToolBars(std::span<const ToolBarResource> bars)
{
    for (const ToolBarResource& bar : bars) {
        m_toolBars[bar.id] = bar;
    }
}

void Resources::addPrompts(std::span<const CommandPrompt> prompts)
{
    for (const CommandPrompt& prompt : prompts) {
        m_prompts[prompt.id] = prompt.prompt;
    }
}

void Resources::addStrings(std::span<const StringResource> strings)
{
    for (const StringResource& string : strings) {
        m_strings[string.id] = string.text;
    }
}

void Resources::clear()
{
    m_menus.clear();
    m_accelerators.clear();
    m_toolBars.clear();
    m_prompts.clear();
    m_strings.clear();
}

HMENU Resources::LoadMenu(unsigned id) const
{
    const auto found = m_menus.find(id);
    return found == m_menus.end() ? 0 : buildMenu(found->second);
}

std::span<const Accelerator> Resources::accelerators(unsigned id) const
{
    const auto found = m_accelerators.find(id);
    return found == m_accelerators.end() ? std::span<const Accelerator>() : found->second;
}

const ToolBarResource* Resources::toolBar(unsigned id) const
{
    const auto found = m_toolBars.find(id);
    return found == m_toolBars.end() ? nullptr : &found->second;
}

std::string Resources::statusPrompt(unsigned id) const
{
    const auto found = m_prompts.find(id);
    if (found == m_prompts.end()) {
        return {};
    }
    return found->second.substr(0, found->second.find('\n'));
}

std::string Resources::toolTip(unsigned id) const
{
    const auto found = m_prompts.find(id);
    if (found == m_prompts.end()) {
        return {};
    }
    const auto newline = found->second.find('\n');
    return newline == std::string::npos ? std::string() : found->second.substr(newline + 1);
}

std::optional<std::string> Resources::LoadString(unsigned id) const
{
    const auto found = m_strings.find(id);
    if (found == m_strings.end()) {
        return std::nullopt;
    }
    return found->second;
}

HMENU buildMenu(std::span<const MenuEntry> entries, bool popup)
{
    const HMENU root = popup ? CreatePopupMenu() : CreateMenu();
    std::vector<HMENU> open{root};
    std::vector<std::string> titles;
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntryKind::Item:
            AppendMenu(open.back(), MF_STRING, entry.id, entry.text);
            break;
        case MenuEntryKind::Separator:
            AppendMenu(open.back(), MF_SEPARATOR, 0, "");
            break;
        case MenuEntryKind::Popup:
            open.push_back(CreatePopupMenu());
            titles.emplace_back(entry.text);
            break;
        case MenuEntryKind::End:
            if (open.size() < 2) {
                DestroyMenu(root);
                return 0;
            }
            {
                const HMENU sub = open.back();
                open.pop_back();
                AppendMenu(open.back(), MF_POPUP, sub, titles.back());
                titles.pop_back();
            }
            break;
        }
    }
    if (open.size() != 1) {
        for (size_t i = open.size() - 1; i > 0; --i) {
            DestroyMenu(open[i]);
        }
        DestroyMenu(root);
        return 0;
    }
    return root;
}

} // namespace platform::framework
