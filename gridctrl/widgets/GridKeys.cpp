#include "gridctrl/widgets/GridKeys.h"

namespace gridctrl::widgets {

unsigned virtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    switch (key) {
    case Qt::Key_Backspace:
        return kVkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kVkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kVkReturn;
    case Qt::Key_Escape:
        return kVkEscape;
    case Qt::Key_Space:
        return kVkSpace;
    case Qt::Key_PageUp:
        return kVkPrior;
    case Qt::Key_PageDown:
        return kVkNext;
    case Qt::Key_End:
        return kVkEnd;
    case Qt::Key_Home:
        return kVkHome;
    case Qt::Key_Left:
        return kVkLeft;
    case Qt::Key_Up:
        return kVkUp;
    case Qt::Key_Right:
        return kVkRight;
    case Qt::Key_Down:
        return kVkDown;
    case Qt::Key_Insert:
        return kVkInsert;
    case Qt::Key_Delete:
        return kVkDelete;
    default:
        break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return kVkF1 + static_cast<unsigned>(key - Qt::Key_F1);
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return static_cast<unsigned>(key); // the same codes as ASCII
    }
    return 0;
}

bool isGridKey(const QKeyEvent& event)
{
    const unsigned key = virtualKeyOf(event);
    if (key == 0) {
        return false;
    }
    if (key >= kVkF1 && key <= kVkF1 + 23) {
        return key == kVkF1 && (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    }
    const bool typing = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    return !typing || (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
}

} // namespace gridctrl::widgets
