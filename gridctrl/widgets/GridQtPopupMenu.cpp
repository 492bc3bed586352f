#include "gridctrl/widgets/GridQtPopupMenu.h"

#include "platform/framework/Menu.h"
#include "platform/framework/MenuRenderer.h"

#include <QMenuBar>
#include <QPoint>

namespace gridctrl::widgets {

namespace fw = platform::framework;

std::optional<unsigned> GridQtPopupMenu::track(const std::vector<model::GridMenuItem>& items,
                                               model::GridPoint point)
{
    const fw::HMENU menu = fw::CreatePopupMenu();
    if (menu == 0) {
        return std::nullopt;
    }
    bool built = true;
    for (const model::GridMenuItem& item : items) {
        built = built && (item.separator ? fw::AppendMenu(menu, fw::MF_SEPARATOR, 0, {})
                                         : fw::AppendMenu(menu, fw::MF_STRING, item.id, item.text));
    }
    std::optional<unsigned> chosen;
    if (built) {
        // No command route: the control passes the chosen id to its hook itself.
        chosen =
            fw::MenuRenderer::trackPopupMenu(menu, QPoint(point.x, point.y), nullptr, m_parent);
    }
    fw::DestroyMenu(menu);
    return chosen;
}

} // namespace gridctrl::widgets
