#include "app/automation/I_GenMenu.h"

#include "app/automation/AutomationFrame.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/framework/Menu.h"

#include <optional>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using ChildKind = AutomationFrame::ChildKind;
namespace fw = platform::framework;

namespace {

constexpr unsigned kSpectrumMenuResource = 129;
constexpr unsigned kGridMenuResource = 131;
constexpr unsigned kGraphMenuResource = 210;

// The flags of the type library's MENUFLAGS.
constexpr unsigned kItemFlags = fw::MF_GRAYED | fw::MF_DISABLED | fw::MF_CHECKED | fw::MF_POPUP |
                                fw::MF_MENUBARBREAK | fw::MF_MENUBREAK | fw::MF_HILITE |
                                fw::MF_BYPOSITION | fw::MF_SEPARATOR;
constexpr unsigned kNotAMenuItem = 0xFFFFFFFF;

std::optional<fw::HMENU> menuOf(int32_t hmenu)
{
    if (hmenu <= 0 || !fw::IsMenu(static_cast<fw::HMENU>(hmenu)))
        return std::nullopt;
    return static_cast<fw::HMENU>(hmenu);
}

// Flags holding only bits of allowed.
std::optional<unsigned> flagsOf(int32_t flags, unsigned allowed)
{
    const auto bits = static_cast<unsigned>(flags);
    if ((bits & ~allowed) != 0)
        return std::nullopt;
    return bits;
}

// An item by position (MF_BYPOSITION in flags) or by command id: a negative value, or a
// position past the last item, names none.
std::optional<unsigned> itemOf(fw::HMENU menu, int32_t item, unsigned flags)
{
    if (item < 0)
        return std::nullopt;
    if ((flags & fw::MF_BYPOSITION) != 0 && item >= fw::GetMenuItemCount(menu))
        return std::nullopt;
    return static_cast<unsigned>(item);
}

// The text cut to at most n bytes without splitting a UTF-8 character.
std::string menuCutText(std::string text, size_t n)
{
    if (text.size() <= n)
        return text;
    size_t end = n;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

int32_t templateMenu(ChildKind kind)
{
    return static_cast<int32_t>(requireAutomationFrame().templateMenu(kind));
}

// Every child frame of the kind, in MDI order by a walk of its own, takes no menu and then the
// template's menu; the menu bar redraws last.
bool redrawAll(ChildKind kind)
{
    AutomationFrame& frame = requireAutomationFrame();
    const fw::HMENU shared = frame.templateMenu(kind);
    for (uint32_t child : frame.childWindows()) {
        if (frame.isWindow(child) && frame.childKind(child) == kind) {
            frame.updateFrameMenu(child, 0);
            frame.updateFrameMenu(child, shared);
        }
    }
    frame.drawMenuBar();
    return true;
}

bool setTemplateMenu(ChildKind kind, int32_t hmenu)
{
    const auto menu = menuOf(hmenu);
    if (!menu)
        return false;
    requireAutomationFrame().setTemplateMenu(kind, *menu);
    return redrawAll(kind);
}

bool reloadTemplateMenu(ChildKind kind, unsigned resourceId)
{
    const fw::HMENU menu = requireAutomationFrame().loadMenu(resourceId);
    if (!fw::IsMenu(menu))
        return false;
    return setTemplateMenu(kind, static_cast<int32_t>(menu));
}

// Checks a menu, an item and a text for the functions that add or change an item.
struct ItemChange
{
    fw::HMENU menu;
    unsigned position;
    unsigned flags;
};

std::optional<ItemChange> itemChange(int32_t hmenu, int32_t pos, int32_t flags,
                                     const std::string& text, bool appending)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(flags, kItemFlags);
    if (!menu || !bits || text.size() > I_GenMenu::kMaxItemText)
        return std::nullopt;
    if (appending)
        return ItemChange{*menu, 0, *bits & ~fw::MF_BYPOSITION};
    if (pos < 0)
        return std::nullopt;
    // Inserting by position may name the place after the last item.
    const int count = fw::GetMenuItemCount(*menu);
    if ((*bits & fw::MF_BYPOSITION) != 0 && pos > count)
        return std::nullopt;
    return ItemChange{*menu, static_cast<unsigned>(pos), *bits};
}

} // namespace

I_GenMenu::I_GenMenu() : AutomationObject(platform::automation::findClassByName("I_GenMenu")) {}

const DispatchTable& I_GenMenu::table()
{
    static const DispatchTable t = [] {
        using C = I_GenMenu;
        DispatchBinder<C> b;
        b.method("GetSpectrumMenu", &C::GetSpectrumMenu)
            .method("GetGridMenu", &C::GetGridMenu)
            .method("GetGraphMenu", &C::GetGraphMenu)
            .method("ReloadDefaultSpectrumMenu", &C::ReloadDefaultSpectrumMenu)
            .method("ReloadDefaultGridMenu", &C::ReloadDefaultGridMenu)
            .method("ReloadDefaultGraphMenu", &C::ReloadDefaultGraphMenu)
            .method("SetSpectrumMenu", &C::SetSpectrumMenu, {"hmenu"})
            .method("SetGridMenu", &C::SetGridMenu, {"hmenu"})
            .method("SetGraphMenu", &C::SetGraphMenu, {"hmenu"})
            .method("AppendMenu", &C::AppendMenu, {"hmenu", "flags", "id", "Text"})
            .method("CheckMenuItem", &C::CheckMenuItem, {"hmenu", "id", "check"})
            .method("CheckMenuRadioItem", &C::CheckMenuRadioItem,
                    {"hmenu", "first", "last", "check", "flags"})
            .method("CreateMenu", &C::CreateMenu)
            .method("CreatePopupMenu", &C::CreatePopupMenu)
            .method("DeleteMenu", &C::DeleteMenu, {"hmenu", "pos", "flags"})
            .method("DestroyMenu", &C::DestroyMenu, {"hmenu"})
            .method("EnableMenuItem", &C::EnableMenuItem, {"hmenu", "pos", "ena"})
            .method("GetMenuItemCount", &C::GetMenuItemCount, {"hmenu"})
            .method("GetMenuItemID", &C::GetMenuItemID, {"hmenu", "pos"})
            .method("GetMenuState", &C::GetMenuState, {"hmenu", "pos", "flags"})
            .method("GetMenuString", &C::GetMenuString, {"hmenu", "pos", "flags"})
            .method("GetSubMenu", &C::GetSubMenu, {"hmenu", "pos"})
            .method("InsertMenu", &C::InsertMenu, {"hmenu", "pos", "flags", "id", "Text"})
            .method("ModifyMenu", &C::ModifyMenu, {"hmenu", "pos", "flags", "id", "Text"})
            .method("RemoveMenu", &C::RemoveMenu, {"hmenu", "pos", "flags"})
            .method("RedrawAllSpectrumMenus", &C::RedrawAllSpectrumMenus)
            .method("RedrawAllGridMenus", &C::RedrawAllGridMenus)
            .method("RedrawAllGraphMenus", &C::RedrawAllGraphMenus);
        return b.table();
    }();
    return t;
}

int32_t I_GenMenu::GetSpectrumMenu()
{
    return templateMenu(ChildKind::Spectrum);
}

int32_t I_GenMenu::GetGridMenu()
{
    return templateMenu(ChildKind::Grid);
}

int32_t I_GenMenu::GetGraphMenu()
{
    return templateMenu(ChildKind::Graph);
}

bool I_GenMenu::ReloadDefaultSpectrumMenu()
{
    return reloadTemplateMenu(ChildKind::Spectrum, kSpectrumMenuResource);
}

bool I_GenMenu::ReloadDefaultGridMenu()
{
    return reloadTemplateMenu(ChildKind::Grid, kGridMenuResource);
}

bool I_GenMenu::ReloadDefaultGraphMenu()
{
    return reloadTemplateMenu(ChildKind::Graph, kGraphMenuResource);
}

bool I_GenMenu::SetSpectrumMenu(int32_t hmenu)
{
    return setTemplateMenu(ChildKind::Spectrum, hmenu);
}

bool I_GenMenu::SetGridMenu(int32_t hmenu)
{
    return setTemplateMenu(ChildKind::Grid, hmenu);
}

bool I_GenMenu::SetGraphMenu(int32_t hmenu)
{
    return setTemplateMenu(ChildKind::Graph, hmenu);
}

bool I_GenMenu::AppendMenu(int32_t hmenu, int32_t flags, int32_t id, const std::string& Text)
{
    const auto change = itemChange(hmenu, 0, flags, Text, true);
    if (!change)
        return false;
    return fw::AppendMenu(change->menu, change->flags, static_cast<uint32_t>(id), Text);
}

int32_t I_GenMenu::CheckMenuItem(int32_t hmenu, int32_t id, int32_t check)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(check, fw::MF_BYPOSITION | fw::MF_CHECKED);
    if (!menu || !bits)
        return 0;
    const auto item = itemOf(*menu, id, *bits);
    if (!item)
        return 0;
    const unsigned previous = fw::CheckMenuItem(*menu, *item, *bits);
    return previous == kNotAMenuItem ? 0 : static_cast<int32_t>(previous);
}

bool I_GenMenu::CheckMenuRadioItem(int32_t hmenu, int32_t first, int32_t last, int32_t check,
                                   int32_t flags)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(flags, fw::MF_BYPOSITION);
    if (!menu || !bits || first < 0 || last < 0 || check < 0)
        return false;
    return fw::CheckMenuRadioItem(*menu, static_cast<unsigned>(first), static_cast<unsigned>(last),
                                  static_cast<unsigned>(check), *bits);
}

int32_t I_GenMenu::CreateMenu()
{
    return static_cast<int32_t>(fw::CreateMenu());
}

int32_t I_GenMenu::CreatePopupMenu()
{
    return static_cast<int32_t>(fw::CreatePopupMenu());
}

bool I_GenMenu::DeleteMenu(int32_t hmenu, int32_t pos, int32_t flags)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(flags, fw::MF_BYPOSITION);
    if (!menu || !bits)
        return false;
    const auto item = itemOf(*menu, pos, *bits);
    return item && fw::DeleteMenu(*menu, *item, *bits);
}

bool I_GenMenu::DestroyMenu(int32_t hmenu)
{
    const auto menu = menuOf(hmenu);
    if (!menu)
        return false;
    // A menu that a template or a window holds would leave them with a dead handle.
    for (fw::HMENU held : requireAutomationFrame().menusInUse())
        if (fw::menuContains(held, *menu))
            return false;
    return fw::DestroyMenu(*menu);
}

int32_t I_GenMenu::EnableMenuItem(int32_t hmenu, int32_t pos, int32_t ena)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(ena, fw::MF_BYPOSITION | fw::MF_GRAYED | fw::MF_DISABLED);
    if (!menu || !bits)
        return 0;
    const auto item = itemOf(*menu, pos, *bits);
    if (!item)
        return 0;
    const unsigned previous = fw::EnableMenuItem(*menu, *item, *bits);
    return previous == kNotAMenuItem ? 0 : static_cast<int32_t>(previous);
}

int32_t I_GenMenu::GetMenuItemCount(int32_t hmenu)
{
    const auto menu = menuOf(hmenu);
    return menu ? fw::GetMenuItemCount(*menu) : 0;
}

int32_t I_GenMenu::GetMenuItemID(int32_t hmenu, int32_t pos)
{
    const auto menu = menuOf(hmenu);
    if (!menu)
        return 0;
    const auto item = itemOf(*menu, pos, fw::MF_BYPOSITION);
    if (!item)
        return 0;
    return static_cast<int32_t>(fw::GetMenuItemID(*menu, static_cast<int>(*item)));
}

int32_t I_GenMenu::GetMenuState(int32_t hmenu, int32_t pos, int32_t flags)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(flags, fw::MF_BYPOSITION);
    if (!menu || !bits)
        return 0;
    const auto item = itemOf(*menu, pos, *bits);
    if (!item)
        return 0;
    const unsigned state = fw::GetMenuState(*menu, *item, *bits);
    return state == kNotAMenuItem ? 0 : static_cast<int32_t>(state);
}

std::string I_GenMenu::GetMenuString(int32_t hmenu, int32_t pos, int32_t flags)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(flags, fw::MF_BYPOSITION);
    if (!menu || !bits)
        return {};
    const auto item = itemOf(*menu, pos, *bits);
    if (!item)
        return {};
    return menuCutText(fw::GetMenuString(*menu, *item, *bits).value_or(std::string()),
                       kMaxReadText);
}

int32_t I_GenMenu::GetSubMenu(int32_t hmenu, int32_t pos)
{
    const auto menu = menuOf(hmenu);
    if (!menu)
        return 0;
    const auto item = itemOf(*menu, pos, fw::MF_BYPOSITION);
    return item ? static_cast<int32_t>(fw::GetSubMenu(*menu, static_cast<int>(*item))) : 0;
}

bool I_GenMenu::InsertMenu(int32_t hmenu, int32_t pos, int32_t flags, int32_t id,
                           const std::string& Text)
{
    const auto change = itemChange(hmenu, pos, flags, Text, false);
    if (!change)
        return false;
    const bool inserted = fw::InsertMenu(change->menu, change->position, change->flags,
                                         static_cast<uint32_t>(id), Text);
    redrawAll(ChildKind::Spectrum);
    return inserted;
}

bool I_GenMenu::ModifyMenu(int32_t hmenu, int32_t pos, int32_t flags, int32_t id,
                           const std::string& Text)
{
    const auto change = itemChange(hmenu, pos, flags, Text, false);
    if (!change)
        return false;
    const auto item = itemOf(change->menu, pos, change->flags);
    return item &&
           fw::ModifyMenu(change->menu, *item, change->flags, static_cast<uint32_t>(id), Text);
}

bool I_GenMenu::RemoveMenu(int32_t hmenu, int32_t pos, int32_t flags)
{
    const auto menu = menuOf(hmenu);
    const auto bits = flagsOf(flags, fw::MF_BYPOSITION);
    if (!menu || !bits)
        return false;
    const auto item = itemOf(*menu, pos, *bits);
    return item && fw::RemoveMenu(*menu, *item, *bits);
}

bool I_GenMenu::RedrawAllSpectrumMenus()
{
    return redrawAll(ChildKind::Spectrum);
}

bool I_GenMenu::RedrawAllGridMenus()
{
    return redrawAll(ChildKind::Grid);
}

bool I_GenMenu::RedrawAllGraphMenus()
{
    return redrawAll(ChildKind::Graph);
}
