#include "gridctrl/widgets/GridQtSystem.h"

#include <QGuiApplication>

namespace gridctrl::widgets {

bool GridQtSystem::isKeyDown(int virtualKey) const
{
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    switch (virtualKey) {
    case model::kVirtualKeyShift:
        return modifiers.testFlag(Qt::ShiftModifier);
    case model::kVirtualKeyControl:
        return modifiers.testFlag(Qt::ControlModifier);
    default:
        return false;
    }
}

void installGridQtSystem()
{
    static const GridQtSystem system;
    model::setDefaultGridSystem(&system);
}

} // namespace gridctrl::widgets
