#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/WindowMessages.h"

#include <QDockWidget>
#include <QPointer>

class QAbstractButton;

#include <functional>
#include <utility>
#include <vector>

namespace platform::framework {

// A dialog bar: a docked panel of controls with control ids. A click on a button, check box or
// radio button runs the command of its id through the route (unless disabled); at idle
// (WM_IDLEUPDATECMDUI) the controls whose commands have update handlers take their enabled and
// checked states, and buttons nobody handles are disabled. Docked, the bar shows a grip at its
// left instead of a caption, and a frame narrower than its controls clips them at the right
// rather than being forced wider. GUI thread only.
class DialogBar : public QDockWidget, public WindowMessageHandler
{
public:
    DialogBar(unsigned id, const std::string& title, std::function<CommandTarget*()> route,
              QWidget* parent = nullptr);

    unsigned barId() const { return m_id; }
    // The panel that holds the controls (lay them out on it). It keeps at least its minimum
    // width; a narrower bar shows its left part.
    QWidget* panel() const { return m_panel; }
    // Gives a control its id; buttons then run their command when clicked.
    void addControl(QWidget* control, unsigned id);
    // Refreshes the controls' states through the route.
    void updateControls();

    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showGrip(bool docked);

    unsigned m_id;
    std::function<CommandTarget*()> m_route;
    QWidget* m_panel;
    // The panel's controls that have ids, found again when the panel's children change.
    struct Control
    {
        QPointer<QWidget> widget;
        unsigned id;
        QAbstractButton* button; // the widget as a button, or null
    };
    std::vector<Control> m_controls;
    bool m_controlsStale = true;
};

} // namespace platform::framework
