#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace gridctrl::widgets::test {

// The test program's application object, made once and never destroyed: the devices QTest
// makes must not outlive it at exit.
inline QApplication& testApplication()
{
    static int argc = 1;
    static char name[] = "GridWidgetsTest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Sends one mouse event with the buttons held during it.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint point, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(point), QPointF(widget->mapToGlobal(point)), button, held,
                      modifiers);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton,
                  Qt::KeyboardModifiers m = Qt::NoModifier)
{
    sendMouse(w, QEvent::MouseButtonPress, p, b, b, m);
}

inline void release(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}

inline void moveTo(QWidget* w, QPoint p, Qt::MouseButtons held = Qt::NoButton)
{
    sendMouse(w, QEvent::MouseMove, p, Qt::NoButton, held);
}

inline void click(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    press(w, p, b);
    release(w, p, b);
}

inline void doubleClick(QWidget* w, QPoint p)
{
    press(w, p);
    release(w, p);
    sendMouse(w, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    release(w, p);
}

} // namespace gridctrl::widgets::test
