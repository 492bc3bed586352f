#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/Menu.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QMenu;
class QMenuBar;
class QPoint;
class QWidget;

namespace platform::framework {

// Shows a menu of the model as a Qt menu bar. Each pop-up is filled when it opens: the update
// handlers of its commands run first (through the route: enabled, check mark, text are written
// into the model), then its actions are built from the model. A chosen item runs its command
// through the route unless it is disabled. GUI thread only.
class MenuRenderer : public QObject
{
public:
    // route gives the command target at the time of use (the frame's routing).
    MenuRenderer(QMenuBar* bar, std::function<CommandTarget*()> route, QObject* parent = nullptr);
    ~MenuRenderer() override;

    // Shows another menu (0: an empty bar). The menu stays owned by its owner.
    void setMenu(HMENU menu);
    HMENU menu() const { return m_menu; }
    // Rebuilds the bar's top level now (it is otherwise rebuilt at the next event-loop pass
    // after the menu changed).
    void rebuild();
    QMenuBar* menuBar() const { return m_bar; }
    // Called after each top-level pop-up of the bar was filled from the model, to append items
    // that are not part of the model (the MDI window list).
    using PopupExtender = std::function<void(QMenu* qtMenu, HMENU menu)>;
    void setPopupExtender(PopupExtender extender) { m_extender = std::move(extender); }

    // Fills a Qt menu from a model menu, after running the update handlers through route (may
    // be null: the model's states as they are).
    static void fillMenu(QMenu* qtMenu, HMENU menu, std::function<CommandTarget*()> route);
    // Shows a pop-up menu at a global position and runs the chosen command; returns its id, or 0
    // when nothing was chosen.
    static unsigned trackPopupMenu(HMENU menu, const QPoint& globalPos,
                                   std::function<CommandTarget*()> route,
                                   QWidget* parent = nullptr);

private:
    void scheduleRebuild();

    QPointer<QMenuBar> m_bar;
    std::function<CommandTarget*()> m_route;
    PopupExtender m_extender;
    HMENU m_menu = 0;
    int m_observer = 0;
    bool m_rebuildPending = false;
};

} // namespace platform::framework
