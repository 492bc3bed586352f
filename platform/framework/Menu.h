#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform::framework {

// Menus are numbered handles into a process-wide model. Items are addressed by command id
// (searched depth-first through the sub-menus, as on Windows) or by position. The model knows
// no Qt; MenuRenderer shows a menu as Qt menus. GUI thread only.
using HMENU = uint32_t;

constexpr unsigned MF_STRING = 0x0;
constexpr unsigned MF_BYCOMMAND = 0x0;
constexpr unsigned MF_ENABLED = 0x0;
constexpr unsigned MF_UNCHECKED = 0x0;
constexpr unsigned MF_GRAYED = 0x1;
constexpr unsigned MF_DISABLED = 0x2;
constexpr unsigned MF_CHECKED = 0x8;
constexpr unsigned MF_POPUP = 0x10;
constexpr unsigned MF_MENUBARBREAK = 0x20;
constexpr unsigned MF_MENUBREAK = 0x40;
constexpr unsigned MF_HILITE = 0x80;
constexpr unsigned MF_OWNERDRAW = 0x100;
// The check mark of a radio item (set by CheckMenuRadioItem).
constexpr unsigned MF_RADIOCHECK = 0x200;
constexpr unsigned MF_BYPOSITION = 0x400;
constexpr unsigned MF_SEPARATOR = 0x800;

// Creates an empty menu bar or pop-up menu; handles are never reused.
HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys a menu and, recursively, its sub-menus.
bool DestroyMenu(HMENU menu);
bool IsMenu(HMENU menu);

// Appends an item: a command (MF_STRING, idOrSubMenu = command id), a separator (MF_SEPARATOR)
// or a sub-menu (MF_POPUP, idOrSubMenu = its handle, which the item then owns).
bool AppendMenu(HMENU menu, unsigned flags, uintptr_t idOrSubMenu, const std::string& text);
// Inserts before the item at position or with command id position (per MF_BYPOSITION); by
// position, a position past the end appends.
bool InsertMenu(HMENU menu, unsigned position, unsigned flags, uintptr_t idOrSubMenu,
                const std::string& text);
// Replaces the item's kind, id and text.
bool ModifyMenu(HMENU menu, unsigned position, unsigned flags, uintptr_t idOrSubMenu,
                const std::string& text);
// Removes the item and destroys its sub-menu.
bool DeleteMenu(HMENU menu, unsigned position, unsigned flags);
// Removes the item; its sub-menu stays alive for the caller.
bool RemoveMenu(HMENU menu, unsigned position, unsigned flags);

// Number of items, or -1 for a handle that is not a menu.
int GetMenuItemCount(HMENU menu);
// Command id at a position; 0xFFFFFFFF for a sub-menu or a bad position; 0 for a separator.
unsigned GetMenuItemID(HMENU menu, int position);
// Sub-menu at a position, or 0.
HMENU GetSubMenu(HMENU menu, int position);
// Item text, or nothing when the item does not exist.
std::optional<std::string> GetMenuString(HMENU menu, unsigned item, unsigned flags);
// Item flags (MF_CHECKED, MF_GRAYED, MF_POPUP ...; a sub-menu's item count in bits 8..15), or
// 0xFFFFFFFF when the item does not exist.
unsigned GetMenuState(HMENU menu, unsigned item, unsigned flags);
// Sets MF_CHECKED or MF_UNCHECKED; the previous check state, or 0xFFFFFFFF.
unsigned CheckMenuItem(HMENU menu, unsigned item, unsigned flags);
// Sets MF_ENABLED, MF_GRAYED or MF_DISABLED; the previous state, or 0xFFFFFFFF.
unsigned EnableMenuItem(HMENU menu, unsigned item, unsigned flags);
// Checks one item of a group as a radio item and clears the check of the others. By position
// (MF_BYPOSITION) the group is the items first..last of menu; by command it is the items with
// ids first..last in the menu that holds the item check. False when check lies outside
// first..last or the items do not exist.
bool CheckMenuRadioItem(HMENU menu, unsigned first, unsigned last, unsigned check, unsigned flags);
// Application data of an item (the bitmap menus keep their drawing data here).
bool SetMenuItemData(HMENU menu, unsigned item, unsigned flags, uintptr_t data);
uintptr_t GetMenuItemData(HMENU menu, unsigned item, unsigned flags);

// The menu that directly holds the item with a command id (depth-first), or 0.
HMENU findMenuContaining(HMENU menu, unsigned commandId);
// Whether menu is root or one of its sub-menus, at any depth.
bool menuContains(HMENU root, HMENU menu);

// Observers of menu changes (the renderers). Returns an id for removeMenuObserver.
int addMenuObserver(std::function<void(HMENU)> changed);
void removeMenuObserver(int id);
// Increases with every change to any menu.
uint64_t menuRevision();

} // namespace platform::framework
