#include "platform/framework/Menu.h"

#include <map>
#include <vector>

namespace platform::framework {

namespace {

constexpr unsigned kInvalid = 0xFFFFFFFF;

struct Item
{
    unsigned flags = 0;
    unsigned id = 0;
    HMENU subMenu = 0;
    std::string text;
    uintptr_t data = 0;
};

struct MenuData
{
    bool popup = false;
    std::vector<Item> items;
};

struct Model
{
    std::map<HMENU, MenuData> menus;
    HMENU next = 0x100;
    std::map<int, std::function<void(HMENU)>> observers;
    int nextObserver = 1;
    uint64_t revision = 0;
};

Model& model()
{
    static Model instance;
    return instance;
}

MenuData* find(HMENU menu)
{
    auto& menus = model().menus;
    const auto found = menus.find(menu);
    return found == menus.end() ? nullptr : &found->second;
}

void changed(HMENU menu)
{
    Model& m = model();
    ++m.revision;
    // Copy first: an observer may add or remove observers.
    const auto observers = m.observers;
    for (const auto& [id, observer] : observers) {
        observer(menu);
    }
}

struct Location
{
    HMENU menu = 0;
    size_t index = 0;
};

// Finds an item by command id (depth-first through sub-menus) or by position.
std::optional<Location> locate(HMENU menu, unsigned item, unsigned flags)
{
    MenuData* data = find(menu);
    if (data == nullptr) {
        return std::nullopt;
    }
    if ((flags & MF_BYPOSITION) != 0) {
        if (item >= data->items.size()) {
            return std::nullopt;
        }
        return Location{menu, item};
    }
    for (size_t i = 0; i < data->items.size(); ++i) {
        const Item& entry = data->items[i];
        if ((entry.flags & MF_POPUP) != 0) {
            if (auto inner = locate(entry.subMenu, item, flags)) {
                return inner;
            }
        } else if ((entry.flags & MF_SEPARATOR) == 0 && entry.id == item) {
            return Location{menu, i};
        }
    }
    return std::nullopt;
}

bool containsMenu(HMENU root, HMENU wanted)
{
    if (root == wanted) {
        return true;
    }
    const MenuData* data = find(root);
    if (data == nullptr) {
        return false;
    }
    for (const Item& item : data->items) {
        if ((item.flags & MF_POPUP) != 0 && containsMenu(item.subMenu, wanted)) {
            return true;
        }
    }
    return false;
}

std::optional<Item> makeItem(HMENU owner, unsigned flags, uintptr_t idOrSubMenu,
                             const std::string& text)
{
    Item item;
    item.flags = flags & ~MF_BYPOSITION;
    if ((flags & MF_POPUP) != 0) {
        const HMENU sub = static_cast<HMENU>(idOrSubMenu);
        // A sub-menu must exist and must not contain its new parent (no cycles).
        if (find(sub) == nullptr || containsMenu(sub, owner)) {
            return std::nullopt;
        }
        item.subMenu = sub;
    } else if ((flags & MF_SEPARATOR) == 0) {
        item.id = static_cast<unsigned>(idOrSubMenu);
        item.text = text;
    }
    if ((flags & MF_POPUP) != 0) {
        item.text = text;
    }
    return item;
}

void destroyTree(HMENU menu)
{
    MenuData* data = find(menu);
    if (data == nullptr) {
        return;
    }
    const std::vector<Item> items = data->items;
    model().menus.erase(menu);
    for (const Item& item : items) {
        if ((item.flags & MF_POPUP) != 0) {
            destroyTree(item.subMenu);
        }
    }
}

HMENU create(bool popup)
{
    Model& m = model();
    const HMENU handle = m.next++;
    m.menus[handle].popup = popup;
    return handle;
}

} // namespace

HMENU CreateMenu()
{
    return create(false);
}

HMENU CreatePopupMenu()
{
    return create(true);
}

bool DestroyMenu(HMENU menu)
{
    if (find(menu) == nullptr) {
        return false;
    }
    destroyTree(menu);
    changed(menu);
    return true;
}

bool IsMenu(HMENU menu)
{
    return find(menu) != nullptr;
}

bool AppendMenu(HMENU menu, unsigned flags, uintptr_t idOrSubMenu, const std::string& text)
{
    MenuData* data = find(menu);
    if (data == nullptr) {
        return false;
    }
    std::optional<Item> item = makeItem(menu, flags, idOrSubMenu, text);
    if (!item) {
        return false;
    }
    data->items.push_back(std::move(*item));
    changed(menu);
    return true;
}

bool InsertMenu(HMENU menu, unsigned position, unsigned flags, uintptr_t idOrSubMenu,
                const std::string& text)
{
    Location where{menu, 0};
    if ((flags & MF_BYPOSITION) != 0) {
        MenuData* data = find(menu);
        if (data == nullptr) {
            return false;
        }
        where.index = std::min<size_t>(position, data->items.size());
    } else {
        const auto found = locate(menu, position, flags);
        if (!found) {
            return false;
        }
        where = *found;
    }
    std::optional<Item> item = makeItem(where.menu, flags, idOrSubMenu, text);
    if (!item) {
        return false;
    }
    MenuData* target = find(where.menu);
    target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(where.index),
                         std::move(*item));
    changed(where.menu);
    return true;
}

bool ModifyMenu(HMENU menu, unsigned position, unsigned flags, uintptr_t idOrSubMenu,
                const std::string& text)
{
    const auto found = locate(menu, position, flags);
    if (!found) {
        return false;
    }
    std::optional<Item> item = makeItem(found->menu, flags, idOrSubMenu, text);
    if (!item) {
        return false;
    }
    Item& target = find(found->menu)->items[found->index];
    // A sub-menu replaced by another item is destroyed, as DeleteMenu would.
    if ((target.flags & MF_POPUP) != 0 && target.subMenu != item->subMenu) {
        destroyTree(target.subMenu);
    }
    item->data = target.data;
    target = std::move(*item);
    changed(found->menu);
    return true;
}

bool RemoveMenu(HMENU menu, unsigned position, unsigned flags)
{
    const auto found = locate(menu, position, flags);
    if (!found) {
        return false;
    }
    auto& items = find(found->menu)->items;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(found->index));
    changed(found->menu);
    return true;
}

bool DeleteMenu(HMENU menu, unsigned position, unsigned flags)
{
    const auto found = locate(menu, position, flags);
    if (!found) {
        return false;
    }
    auto& items = find(found->menu)->items;
    const Item removed = items[found->index];
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(found->index));
    if ((removed.flags & MF_POPUP) != 0) {
        destroyTree(removed.subMenu);
    }
    changed(found->menu);
    return true;
}

int GetMenuItemCount(HMENU menu)
{
    const MenuData* data = find(menu);
    return data == nullptr ? -1 : static_cast<int>(data->items.size());
}

unsigned GetMenuItemID(HMENU menu, int position)
{
    const MenuData* data = find(menu);
    if (data == nullptr || position < 0 || static_cast<size_t>(position) >= data->items.size()) {
        return kInvalid;
    }
    const Item& item = data->items[static_cast<size_t>(position)];
    return (item.flags & MF_POPUP) != 0 ? kInvalid : item.id;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    const MenuData* data = find(menu);
    if (data == nullptr || position < 0 || static_cast<size_t>(position) >= data->items.size()) {
        return 0;
    }
    const Item& item = data->items[static_cast<size_t>(position)];
    return (item.flags & MF_POPUP) != 0 ? item.subMenu : 0;
}

std::optional<std::string> GetMenuString(HMENU menu, unsigned item, unsigned flags)
{
    const auto found = locate(menu, item, flags);
    if (!found) {
        return std::nullopt;
    }
    return find(found->menu)->items[found->index].text;
}

unsigned GetMenuState(HMENU menu, unsigned item, unsigned flags)
{
    const auto found = locate(menu, item, flags);
    if (!found) {
        return kInvalid;
    }
    const Item& entry = find(found->menu)->items[found->index];
    unsigned state = entry.flags;
    if ((entry.flags & MF_POPUP) != 0) {
        const int count = GetMenuItemCount(entry.subMenu);
        state = (state & 0xFF) | (static_cast<unsigned>(count < 0 ? 0 : count) & 0xFF) << 8;
    }
    return state;
}

unsigned CheckMenuItem(HMENU menu, unsigned item, unsigned flags)
{
    const auto found = locate(menu, item, flags);
    if (!found) {
        return kInvalid;
    }
    Item& entry = find(found->menu)->items[found->index];
    const unsigned previous = entry.flags & MF_CHECKED;
    const unsigned next = (entry.flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    if (next != entry.flags) {
        entry.flags = next;
        changed(found->menu);
    }
    return previous;
}

unsigned EnableMenuItem(HMENU menu, unsigned item, unsigned flags)
{
    const auto found = locate(menu, item, flags);
    if (!found) {
        return kInvalid;
    }
    Item& entry = find(found->menu)->items[found->index];
    const unsigned previous = entry.flags & (MF_GRAYED | MF_DISABLED);
    const unsigned next =
        (entry.flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    if (next != entry.flags) {
        entry.flags = next;
        changed(found->menu);
    }
    return previous;
}

bool CheckMenuRadioItem(HMENU menu, unsigned first, unsigned last, unsigned check, unsigned flags)
{
    if (first > last || check < first || check > last) {
        return false;
    }
    HMENU holder = menu;
    std::vector<size_t> group;
    size_t checked = 0;
    if ((flags & MF_BYPOSITION) != 0) {
        const MenuData* data = find(menu);
        if (data == nullptr || last >= data->items.size()) {
            return false;
        }
        for (size_t i = first; i <= last; ++i) {
            group.push_back(i);
        }
        checked = check;
    } else {
        const auto found = locate(menu, check, MF_BYCOMMAND);
        if (!found) {
            return false;
        }
        holder = found->menu;
        checked = found->index;
        const auto& items = find(holder)->items;
        for (size_t i = 0; i < items.size(); ++i) {
            const Item& entry = items[i];
            if ((entry.flags & (MF_POPUP | MF_SEPARATOR)) == 0 && entry.id >= first &&
                entry.id <= last) {
                group.push_back(i);
            }
        }
    }
    auto& items = find(holder)->items;
    for (size_t i : group) {
        Item& entry = items[i];
        if ((entry.flags & MF_SEPARATOR) != 0) {
            continue;
        }
        entry.flags &= ~(MF_CHECKED | MF_RADIOCHECK);
        if (i == checked) {
            entry.flags |= MF_CHECKED | MF_RADIOCHECK;
        }
    }
    changed(holder);
    return true;
}

bool SetMenuItemData(HMENU menu, unsigned item, unsigned flags, uintptr_t data)
{
    const auto found = locate(menu, item, flags);
    if (!found) {
        return false;
    }
    find(found->menu)->items[found->index].data = data;
    return true;
}

uintptr_t GetMenuItemData(HMENU menu, unsigned item, unsigned flags)
{
    const auto found = locate(menu, item, flags);
    return found ? find(found->menu)->items[found->index].data : 0;
}

HMENU findMenuContaining(HMENU menu, unsigned commandId)
{
    const auto found = locate(menu, commandId, MF_BYCOMMAND);
    return found ? found->menu : 0;
}

bool menuContains(HMENU root, HMENU menu)
{
    return find(root) != nullptr && containsMenu(root, menu);
}

int addMenuObserver(std::function<void(HMENU)> observer)
{
    Model& m = model();
    const int id = m.nextObserver++;
    m.observers[id] = std::move(observer);
    return id;
}

void removeMenuObserver(int id)
{
    model().observers.erase(id);
}

uint64_t menuRevision()
{
    return model().revision;
}

} // namespace platform::framework
