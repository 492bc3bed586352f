#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/Menu.h"

#include <QMenuBar>
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
    // Fills the Qt menu's actions from the model as it stands (no update handlers).
    static void fillActions(QMenu* qtMenu, HMENU menu, std::function<CommandTarget*()> route);

    // A frame's pop-up hook: told of every pop-up of the frame's menu bar (sub-menus included)
    // and of every pop-up tracked with the frame (or a child of it) as parent, once the update
    // handlers ran and the actions were built; and of every command chosen from such a pop-up,
    // after the command ran. Accelerators do not pass through it. Qt still draws the menus.
    struct PopupHook
    {
        // menu: the model menu; qtMenu: its Qt menu; parentMenu: the model menu it was opened
        // from (0 for the bar's pop-ups and tracked menus); refill rebuilds the actions from the
        // model as it stands (after the hook changed the model).
        std::function<void(HMENU menu, QMenu* qtMenu, HMENU parentMenu,
                           const std::function<void()>& refill)>
            popupShown;
        std::function<void(unsigned commandId)> commandChosen;
        // A pop-up opened from the bar or tracked closed with no pop-up of the frame left open.
        std::function<void()> menuLoopEnded;
    };
    static void setPopupHook(QWidget* frame, PopupHook hook);
    static void clearPopupHook(QWidget* frame);
    // The hook of the frame that holds widget (itself or an ancestor), or null.
    static const PopupHook* popupHookFor(const QWidget* widget);
    // The model menu a Qt menu of the renderer shows, or 0.
    static HMENU modelMenu(const QMenu* qtMenu);

    // Shows a pop-up menu at a global position and runs the chosen command; returns its id, or 0
    // when nothing was chosen.
    static unsigned trackPopupMenu(HMENU menu, const QPoint& globalPos,
                                   std::function<CommandTarget*()> route,
                                   QWidget* parent = nullptr);

private:
    void scheduleRebuild();
    // Fills a pop-up at its opening and tells the frame's hook.
    static void openPopup(QMenu* qtMenu, HMENU menu, HMENU parentMenu,
                          std::function<CommandTarget*()> route);

    QPointer<QMenuBar> m_bar;
    std::function<CommandTarget*()> m_route;
    PopupExtender m_extender;
    HMENU m_menu = 0;
    int m_observer = 0;
    bool m_rebuildPending = false;
};

} // namespace platform::framework
