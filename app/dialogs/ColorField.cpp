#include "app/dialogs/ColorField.h"

#include "platform/chart/ColorPanel.h"
#include "platform/qt/UiServices.h"

namespace app::dialogs {

bool chooseColorField(platform::chart::CColorPanel& panel,
                      const std::function<void(uint32_t)>& changed)
{
    const uint32_t current = panel.GetBackColor();
    const std::optional<uint32_t> chosen =
        platform::qt::uiServices().colorDialog(current, panel.window());
    if (!chosen || (*chosen & 0x00FFFFFF) == current)
        return false;
    panel.SetBackColor(*chosen);
    if (changed)
        changed(panel.GetBackColor());
    return true;
}

void attachColorField(platform::chart::CColorPanel* panel, std::function<void(uint32_t)> changed)
{
    if (panel == nullptr)
        return;
    QObject::connect(panel, &platform::chart::CColorPanel::Click, panel,
                     [panel, changed = std::move(changed)] { chooseColorField(*panel, changed); });
}

} // namespace app::dialogs
