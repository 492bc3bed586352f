#pragma once

#include <QWidget>

namespace platform::framework {

// Controls of dialogs and bars carry their numeric control id as the object name "id<N>", so
// handlers and tests find them by the ids the program uses.
void setControlId(QWidget* control, unsigned id);
// The control id of a widget, or 0.
unsigned controlId(const QWidget* control);
// The descendant of root with a control id, or null.
QWidget* GetDlgItem(const QWidget* root, unsigned id);

template <class T> T* findControl(const QWidget* root, unsigned id)
{
    return qobject_cast<T*>(GetDlgItem(root, id));
}

} // namespace platform::framework
