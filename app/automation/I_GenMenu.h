#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GenMenu": the menus of the three window kinds and the menu functions for scripts,
// over the program's menu model. Menus are passed as long handles. A handle that is not a menu,
// a position outside the menu, flags with bits the menu functions do not know or an overlong
// text answer 0 (or an empty text) and change nothing. GUI thread only.
class I_GenMenu : public platform::automation::AutomationObject
{
public:
    // Menu item texts longer than this are refused; GetMenuString reads at most
    // kMaxReadText characters.
    static constexpr size_t kMaxItemText = 1024;
    static constexpr size_t kMaxReadText = 199;

    static I_GenMenu* create() { return new I_GenMenu(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    // The shared menus of the spectrum, grid and graph templates.
    int32_t GetSpectrumMenu();
    int32_t GetGridMenu();
    int32_t GetGraphMenu();
    // Load menu resource 129, 131 or 210, make it the template's menu and redraw that kind.
    bool ReloadDefaultSpectrumMenu();
    bool ReloadDefaultGridMenu();
    bool ReloadDefaultGraphMenu();
    bool SetSpectrumMenu(int32_t hmenu);
    bool SetGridMenu(int32_t hmenu);
    bool SetGraphMenu(int32_t hmenu);

    // The menu functions of the same names.
    bool AppendMenu(int32_t hmenu, int32_t flags, int32_t id, const std::string& Text);
    int32_t CheckMenuItem(int32_t hmenu, int32_t id, int32_t check);
    bool CheckMenuRadioItem(int32_t hmenu, int32_t first, int32_t last, int32_t check,
                            int32_t flags);
    int32_t CreateMenu();
    int32_t CreatePopupMenu();
    // Removes the item; a pop-up's menu is destroyed with it.
    bool DeleteMenu(int32_t hmenu, int32_t pos, int32_t flags);
    // FALSE for a menu a template or a window holds (or a menu inside one).
    bool DestroyMenu(int32_t hmenu);
    // The previous enable state.
    int32_t EnableMenuItem(int32_t hmenu, int32_t pos, int32_t ena);
    int32_t GetMenuItemCount(int32_t hmenu);
    // -1 for a pop-up item, 0 for a separator.
    int32_t GetMenuItemID(int32_t hmenu, int32_t pos);
    int32_t GetMenuState(int32_t hmenu, int32_t pos, int32_t flags);
    std::string GetMenuString(int32_t hmenu, int32_t pos, int32_t flags);
    int32_t GetSubMenu(int32_t hmenu, int32_t pos);
    // Also redraws every spectrum menu.
    bool InsertMenu(int32_t hmenu, int32_t pos, int32_t flags, int32_t id, const std::string& Text);
    bool ModifyMenu(int32_t hmenu, int32_t pos, int32_t flags, int32_t id, const std::string& Text);
    // Removes the item; a pop-up's menu stays for the script.
    bool RemoveMenu(int32_t hmenu, int32_t pos, int32_t flags);

    // Every child frame of the kind takes the template's menu again; then the menu bar redraws.
    bool RedrawAllSpectrumMenus();
    bool RedrawAllGridMenus();
    bool RedrawAllGraphMenus();

private:
    I_GenMenu();
    ~I_GenMenu() override = default;
};
