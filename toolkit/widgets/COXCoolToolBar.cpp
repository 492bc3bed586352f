#include "toolkit/widgets/COXCoolToolBar.h"

#include "platform/framework/Resources.h"
#include "platform/win/AppProfile.h"

#include <QMainWindow>

#include <string>

namespace profile = platform::win::app_profile;
using platform::framework::CommandTarget;
using platform::framework::ToolBarResource;

namespace {

// The bar's section of the application's profile: one sub-key per section and bar name.
std::string stateSection(const char* section, const char* name)
{
    return std::string(section ? section : "") + "\\" + (name ? name : "");
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

std::string COXCoolToolBar::profileKey()
{
    return profile::registryKey();
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
    const std::string where = stateSection(section, name);
    bool written = profile::WriteProfileInt(where, "Visible", isHidden() ? 0 : 1);
    if (properties) {
        const ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(barId());
        const std::string buttons = resource ? buttonList(*resource) : std::string();
        written = written && profile::WriteProfileString(where, "Buttons", buttons);
    }
    return written;
}

bool COXCoolToolBar::LoadBarState(const char* section, const char* name, bool properties)
{
    const std::string where = stateSection(section, name);
    const int32_t visible = profile::GetProfileInt(where, "Visible", -1);
    bool fits = visible == 0 || visible == 1;
    if (fits && properties) {
        // The buttons are those of the resource; a state saved for other buttons (an older
        // program) is not applied.
        const ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(barId());
        if (const auto buttons = profile::readString(where, "Buttons"))
            fits = resource && *buttons == buttonList(*resource);
        else if (profile::GetProfileBinary(where, "Buttons"))
            fits = false;
    }
    if (!fits)
        return false;
    setVisible(visible != 0);
    return true;
}
