#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/Menu.h"
#include "platform/framework/ResourceTables.h"
#include "platform/framework/WindowMessages.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <memory>
#include <string>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QShortcut;

namespace platform::framework {

class ChildFrame;
class Document;
class MenuRenderer;
class View;
class WindowHandle;

// The main MDI frame: a QMainWindow around a QMdiArea. It shows the menu of the active child's
// template (its own menu when no child is open), routes commands to the active child first, and
// arranges the children. GUI thread only.
class MdiFrame : public QMainWindow, public CommandTarget, public WindowMessageHandler
{
public:
    explicit MdiFrame(QWidget* parent = nullptr);
    ~MdiFrame() override;

    QMdiArea* mdiArea() const { return m_area; }
    // The active child frame, or null.
    ChildFrame* MDIGetActive() const;
    View* GetActiveView() const;
    Document* GetActiveDocument() const;
    // The child frames in z-order, topmost first.
    std::vector<ChildFrame*> childFrames() const;
    // The child frame after `after` in z-order (the first when after is null); null at the end
    // of the list or when after is no longer a child of this frame.
    ChildFrame* nextChildFrame(const ChildFrame* after) const;
    // Whether a frame pointer still denotes an open child of this frame.
    bool isChildFrame(const ChildFrame* frame) const;

    void MDICascade();
    // Horizontal: the children one above the other, full width; vertical: side by side.
    void MDITile(bool horizontal);
    // Lines minimised children up along the bottom of the area.
    void MDIIconArrange();

    // The frame's own menu, shown while no child is open (the frame owns it).
    void setDefaultMenu(HMENU menu);
    HMENU defaultMenu() const { return m_defaultMenu; }
    // The menu shown now.
    HMENU currentMenu() const;
    // Shows the active child's template menu or the default menu.
    void OnUpdateFrameMenu();
    MenuRenderer* menuRenderer() const { return m_menuRenderer; }

    // Runs a command through the frame's routing unless it is disabled (menus, tool bars and
    // accelerators all come here).
    bool executeCommand(unsigned id);
    // Installs the frame's own accelerators; they run their commands through executeCommand.
    // While a child frame is active, its template's table (the accelerator resource of the
    // template's id) comes first and the frame's own keys serve the keys it leaves free.
    void installAccelerators(std::span<const Accelerator> accelerators);
    // The keys in force now, key text and command, in the order of their tables.
    std::vector<Accelerator> activeAccelerators() const;
    // The application's name in the caption. The caption is the name alone while no child is
    // open, else "name - [child's title]" after the active child, kept up to date as the
    // active child, its title or its state change.
    void setAppTitle(const QString& title);
    QString appTitle() const { return m_appTitle; }
    void updateFrameTitle();
    // Refreshes the command states of the frame's bars and of every child's bars
    // (WM_IDLEUPDATECMDUI to all descendants).
    void idleUpdate();

    // The window's handle in the platform layer (0 once the window is going): messages sent or
    // posted to it reach OnWindowMessage, WM_TIMER reaches OnTimer.
    uint32_t GetSafeHwnd() const;
    unsigned SetTimer(unsigned id, unsigned elapseMs);
    bool KillTimer(unsigned id);
    virtual void OnTimer(unsigned id);

    // Routes: the active child (view, document, frame), this frame, the application.
    bool OnCmdMsg(unsigned id, CmdUI* ui) override;
    bool hasCommandHandler(unsigned id) override;
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;
    // This frame's own handlers, without routing (used by child frames' routing).
    bool dispatchOwnCommand(unsigned id, CmdUI* ui) { return dispatchOwn(id, ui); }
    bool hasOwnHandler(unsigned id) const { return hasOwnCommandHandler(id); }

    // Puts a new child frame into the MDI area.
    void addChildFrame(ChildFrame* frame);

    // The window list at the end of the Window menu: the open child frames in the order they
    // were opened, numbered, the active one checked; choosing one activates it. Command ids
    // from kFirstMdiChildId up.
    static constexpr unsigned kFirstMdiChildId = 0xFF00;
    std::vector<ChildFrame*> windowListFrames() const;
    static std::string windowListText(size_t index, const QString& title);

protected:
    // Closing asks every document (SaveModified); a veto keeps the frame open.
    void closeEvent(QCloseEvent* event) override;
    // Gives the accelerators their keys before the focus widget, follows the children's
    // titles and states into the caption, and keeps restored children inside the area when it
    // shrinks or a child is restored.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateAccelerators();
    // Moves (and, when larger than the area, shrinks) every restored child that reaches past
    // the MDI area back inside it, so that none runs under the docked bars; queued after the
    // layout change that caused it.
    void scheduleKeepChildrenInside();
    void keepChildrenInside();
    void extendPopup(QMenu* qtMenu, HMENU menu);
    // Tells the view that stops and the one that starts being active. Runs from the event
    // loop after the change, so that a frame or view in the middle of its destruction is never
    // called.
    void notifyViewActivation();
    // The caption is set once control is back in the event loop, after the MDI area's own
    // handling of a maximised child (which rewrites the caption) has run.
    void scheduleFrameTitle();
    // Whether a key about to reach a widget of this window is one of the active accelerators.
    bool isAcceleratorKey(QObject* watched, QEvent* event) const;

    QMdiArea* m_area = nullptr;
    QPointer<View> m_activeView;
    MenuRenderer* m_menuRenderer = nullptr;
    HMENU m_defaultMenu = 0;
    QString m_appTitle;
    bool m_titleUpdatePending = false;
    bool m_keepInsidePending = false;
    // Restored children moved or shrunk to fit the area: the place each wants back when the
    // area grows again, and the place it was given.
    struct KeptInside
    {
        QPointer<QMdiSubWindow> window;
        QRect wanted;
        QRect placed;
    };
    std::vector<KeptInside> m_keptInside;
    intptr_t windowProc(unsigned message, uintptr_t wParam, intptr_t lParam);

    std::unique_ptr<WindowHandle> m_window;
    std::vector<QShortcut*> m_shortcuts;
    // The frame's own table and the table whose keys are installed now.
    std::vector<Accelerator> m_ownAccelerators;
    std::vector<Accelerator> m_installedAccelerators;
};

} // namespace platform::framework
