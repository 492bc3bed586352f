#pragma once

#include "gridctrl/model/GridControlParts.h"

class QWidget;

namespace gridctrl::widgets {

// The control's pop-up menu as a menu of the framework's model, tracked at a screen point.
// GUI thread only.
class GridQtPopupMenu : public model::GridPopupMenu
{
public:
    explicit GridQtPopupMenu(QWidget* parent = nullptr) : m_parent(parent) {}

    std::optional<unsigned> track(const std::vector<model::GridMenuItem>& items,
                                  model::GridPoint point) override;

private:
    QWidget* m_parent;
};

} // namespace gridctrl::widgets
