#include "toolkit/widgets/COXCoolToolBar.h"

#include "platform/framework/Resources.h"
#include "platform/win/Registry.h"

#include <QMainWindow>

#include <string>

namespace win = platform::win;
using platform::framework::CommandTarget;
using platform::framework::ToolBarResource;

namespace {

std::string stateKey(const char* section, const char* name)
{
    return std::string(COXCoolToolBar::profileKey()) + "\\" + (section ? section : "") + "\\" +
           (name ? name : "");
}

// The command ids of a bar's buttons, separators as 0: "16000,0,57650".
std::string buttonList(const ToolBarResource& resource)
{
    std::string text;
    for (unsigned id : resource.buttons) {
        if (!text.empty())
            text += ',';
        text += std::to_string(id);
    }
    return text;
}

} // namespace

const char* COXCoolToolBar::profileKey()
{
    return "Software\\Varnholt Software\\Harlune Toolbars";
}

COXCoolToolBar::COXCoolToolBar(const ToolBarResource& resource,
                               std::function<CommandTarget*()> route, QWidget* parent)
    : ToolBar(resource, std::move(route), parent)
{}

COXCoolToolBar* COXCoolToolBar::Create(QMainWindow* parent, uint32_t style, unsigned id,
                                       std::function<CommandTarget*()> route)
{
    const ToolBarResource* resource = platform::framework::Resources::instance().toolBar(id);
    if (!resource || !parent)
        return nullptr;
    auto* bar = new COXCoolToolBar(*resource, std::move(route), parent);
    bar->setFloatable(true);
    bar->setMovable(true);
    parent->addToolBar(Qt::TopToolBarArea, bar);
    bar->setVisible((style & WS_VISIBLE) != 0);
    return bar;
}

void COXCoolToolBar::DockBeside(COXCoolToolBar* other)
{
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (!window || !other || other == this || other->parentWidget() != window)
        return;
    const bool shown = !isHidden();
    // This bar goes in front of the other one, then the other one in front of it: both end on
    // the other's row, this one right after it.
    window->insertToolBar(other, this);
    window->insertToolBar(this, other);
    window->removeToolBarBreak(this);
    setVisible(shown);
}

bool COXCoolToolBar::SaveBarState(const char* section, const char* name, bool properties) const
{
    win::HKEY key = 0;
    if (win::RegCreateKeyEx(win::HKEY_CURRENT_USER, stateKey(section, name).c_str(), 0, nullptr,
                            win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != 0)
        return false;
    const PWIN_DWORD visible = isHidden() ? 0 : 1;
    bool written =
        win::RegSetValueEx(key, "Visible", 0, win::REG_DWORD,
                           reinterpret_cast<const uint8_t*>(&visible), sizeof(visible)) == 0;
    if (properties) {
        const ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(barId());
        const std::string buttons = resource ? buttonList(*resource) : std::string();
        written = written && win::RegSetValueEx(key, "Buttons", 0, win::REG_SZ,
                                                reinterpret_cast<const uint8_t*>(buttons.c_str()),
                                                static_cast<PWIN_DWORD>(buttons.size() + 1)) == 0;
    }
    win::RegCloseKey(key);
    return written;
}

bool COXCoolToolBar::LoadBarState(const char* section, const char* name, bool properties)
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, stateKey(section, name).c_str(), 0, win::KEY_READ,
                          &key) != 0)
        return false;
    PWIN_DWORD visible = 0;
    PWIN_DWORD size = sizeof(visible);
    PWIN_DWORD type = 0;
    bool fits = win::RegQueryValueEx(key, "Visible", nullptr, &type,
                                     reinterpret_cast<uint8_t*>(&visible), &size) == 0 &&
                type == win::REG_DWORD && size == sizeof(visible) && visible <= 1;
    if (fits && properties) {
        // The buttons are those of the resource; a state saved for other buttons (an older
        // program) is not applied.
        char buttons[1024] = {};
        PWIN_DWORD length = sizeof(buttons) - 1;
        const ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(barId());
        const long read = win::RegQueryValueEx(key, "Buttons", nullptr, &type,
                                               reinterpret_cast<uint8_t*>(buttons), &length);
        if (read == 0)
            fits = type == win::REG_SZ && resource && buttons == buttonList(*resource);
    }
    win::RegCloseKey(key);
    if (!fits)
        return false;
    setVisible(visible != 0);
    return true;
}
