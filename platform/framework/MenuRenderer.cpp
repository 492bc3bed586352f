#include "platform/framework/MenuRenderer.h"

#include "platform/framework/Commands.h"
#include "platform/framework/Resources.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <map>

namespace platform::framework {

namespace {

// The frames' pop-up hooks (GUI thread only).
std::map<const QWidget*, MenuRenderer::PopupHook>& popupHooks()
{
    static std::map<const QWidget*, MenuRenderer::PopupHook> hooks;
    return hooks;
}

constexpr const char* kModelMenuProperty = "harluneModelMenu";

// Tells the hook of the menu's frame that the menu loop ended, once no pop-up is open any more.
void endMenuLoopLater(QWidget* widget)
{
    QPointer<QWidget> guard(widget);
    QTimer::singleShot(0, [guard]() {
        if (guard.isNull() || QApplication::activePopupWidget() != nullptr) {
            return;
        }
        if (const MenuRenderer::PopupHook* hook = MenuRenderer::popupHookFor(guard)) {
            if (hook->menuLoopEnded) {
                hook->menuLoopEnded();
            }
        }
    });
}

// Whether an item's state (GetMenuState by position) is a separator's.
bool isSeparator(unsigned state)
{
    return (state & MF_POPUP) == 0 && (state & MF_SEPARATOR) != 0;
}

QAction* commandAction(QObject* parent, HMENU menu, int position,
                       std::function<CommandTarget*()> route)
{
    const unsigned id = GetMenuItemID(menu, position);
    const unsigned state = GetMenuState(menu, static_cast<unsigned>(position), MF_BYPOSITION);
    const std::string text =
        GetMenuString(menu, static_cast<unsigned>(position), MF_BYPOSITION).value_or("");
    auto* action = new QAction(QString::fromStdString(text), parent);
    action->setData(id);
    action->setEnabled((state & (MF_GRAYED | MF_DISABLED)) == 0);
    action->setCheckable((state & MF_CHECKED) != 0);
    action->setChecked((state & MF_CHECKED) != 0);
    const std::string prompt = Resources::instance().statusPrompt(id);
    if (!prompt.empty()) {
        action->setStatusTip(QString::fromStdString(prompt));
    }
    QObject::connect(action, &QAction::triggered, action, [action, id, route]() {
        QPointer<QWidget> owner = qobject_cast<QWidget*>(action->parent());
        if (CommandTarget* target = route ? route() : nullptr) {
            executeCommand(*target, id);
        }
        if (const MenuRenderer::PopupHook* hook = MenuRenderer::popupHookFor(owner)) {
            if (hook->commandChosen) {
                hook->commandChosen(id);
            }
        }
    });
    return action;
}

void updateItems(HMENU menu, CommandTarget& route)
{
    // By position and re-reading the count: an update handler may add or remove items.
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const unsigned state = GetMenuState(menu, static_cast<unsigned>(i), MF_BYPOSITION);
        if ((state & (MF_POPUP | MF_SEPARATOR)) != 0) {
            continue;
        }
        const unsigned id = GetMenuItemID(menu, i);
        const CommandState command = queryCommandState(route, id);
        // The handler may have changed the menu; find the item again by position.
        if (i >= GetMenuItemCount(menu) || GetMenuItemID(menu, i) != id) {
            continue;
        }
        EnableMenuItem(menu, static_cast<unsigned>(i),
                       MF_BYPOSITION | (command.enabled ? MF_ENABLED : MF_GRAYED));
        if (command.check) {
            CheckMenuItem(menu, static_cast<unsigned>(i),
                          MF_BYPOSITION | (*command.check != 0 ? MF_CHECKED : MF_UNCHECKED));
        }
        if (command.text) {
            ModifyMenu(menu, static_cast<unsigned>(i), MF_BYPOSITION | MF_STRING, id,
                       *command.text);
            CheckMenuItem(menu, static_cast<unsigned>(i), MF_BYPOSITION | (state & MF_CHECKED));
            EnableMenuItem(menu, static_cast<unsigned>(i),
                           MF_BYPOSITION | (command.enabled ? MF_ENABLED : MF_GRAYED));
        }
    }
}

} // namespace

MenuRenderer::MenuRenderer(QMenuBar* bar, std::function<CommandTarget*()> route, QObject* parent)
    : QObject(parent), m_bar(bar), m_route(std::move(route))
{
    m_observer = addMenuObserver([this](HMENU changed) {
        if (changed == m_menu || !IsMenu(m_menu)) {
            scheduleRebuild();
        }
    });
}

MenuRenderer::~MenuRenderer()
{
    removeMenuObserver(m_observer);
}

void MenuRenderer::setMenu(HMENU menu)
{
    if (menu == m_menu) {
        return;
    }
    m_menu = menu;
    rebuild();
}

void MenuRenderer::scheduleRebuild()
{
    if (m_rebuildPending) {
        return;
    }
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this]() {
        // A rebuild since (setMenu's) has brought the bar up to date already.
        if (!m_rebuildPending) {
            return;
        }
        m_rebuildPending = false;
        rebuild();
    });
}

void MenuRenderer::rebuild()
{
    if (m_bar.isNull()) {
        return;
    }
    // A pop-up of the bar that is open now is rebuilt when it closes.
    for (QMenu* open : m_bar->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->isVisible()) {
            connect(open, &QMenu::aboutToHide, this, &MenuRenderer::scheduleRebuild,
                    Qt::SingleShotConnection);
            return;
        }
    }
    // This rebuild serves one that was scheduled before it.
    m_rebuildPending = false;
    m_bar->clear();
    for (QMenu* old : m_bar->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        old->deleteLater();
    }
    if (!IsMenu(m_menu)) {
        return;
    }
    for (int i = 0; i < GetMenuItemCount(m_menu); ++i) {
        const unsigned state = GetMenuState(m_menu, static_cast<unsigned>(i), MF_BYPOSITION);
        // A pop-up's state holds its item count in the high byte, which may look like
        // MF_SEPARATOR: only a non-pop-up is a separator.
        if (isSeparator(state)) {
            continue;
        }
        if ((state & MF_POPUP) == 0) {
            m_bar->addAction(commandAction(m_bar, m_menu, i, m_route));
            continue;
        }
        const HMENU sub = GetSubMenu(m_menu, i);
        const QString title = QString::fromStdString(
            GetMenuString(m_menu, static_cast<unsigned>(i), MF_BYPOSITION).value_or(""));
        auto* qtMenu = new QMenu(title, m_bar);
        auto route = m_route;
        connect(qtMenu, &QMenu::aboutToShow, qtMenu,
                [self = QPointer<MenuRenderer>(this), qtMenu, sub, route]() {
                    openPopup(qtMenu, sub, 0, route);
                    if (self && self->m_extender) {
                        self->m_extender(qtMenu, sub);
                    }
                });
        connect(qtMenu, &QMenu::aboutToHide, qtMenu, [qtMenu]() { endMenuLoopLater(qtMenu); });
        // Filled once now as well, so the actions exist (shortcuts, tests) before it opens.
        fillMenu(qtMenu, sub, nullptr);
        if (m_extender) {
            m_extender(qtMenu, sub);
        }
        QAction* action = m_bar->addMenu(qtMenu);
        action->setEnabled((state & (MF_GRAYED | MF_DISABLED)) == 0);
    }
}

void MenuRenderer::setPopupHook(QWidget* frame, PopupHook hook)
{
    if (frame != nullptr) {
        popupHooks()[frame] = std::move(hook);
    }
}

void MenuRenderer::clearPopupHook(QWidget* frame)
{
    popupHooks().erase(frame);
}

const MenuRenderer::PopupHook* MenuRenderer::popupHookFor(const QWidget* widget)
{
    auto& hooks = popupHooks();
    for (; widget != nullptr && !hooks.empty(); widget = widget->parentWidget()) {
        if (const auto found = hooks.find(widget); found != hooks.end()) {
            return &found->second;
        }
    }
    return nullptr;
}

HMENU MenuRenderer::modelMenu(const QMenu* qtMenu)
{
    return qtMenu != nullptr ? qtMenu->property(kModelMenuProperty).toUInt() : 0;
}

void MenuRenderer::openPopup(QMenu* qtMenu, HMENU menu, HMENU parentMenu,
                             std::function<CommandTarget*()> route)
{
    fillMenu(qtMenu, menu, route);
    const PopupHook* hook = popupHookFor(qtMenu);
    if (hook == nullptr || !hook->popupShown) {
        return;
    }
    QPointer<QMenu> guard(qtMenu);
    hook->popupShown(menu, qtMenu, parentMenu, [guard, menu, route]() {
        if (!guard.isNull()) {
            fillActions(guard, menu, route);
        }
    });
}

void MenuRenderer::fillMenu(QMenu* qtMenu, HMENU menu, std::function<CommandTarget*()> route)
{
    if (qtMenu == nullptr) {
        return;
    }
    if (CommandTarget* target = route ? route() : nullptr) {
        updateItems(menu, *target);
    }
    fillActions(qtMenu, menu, std::move(route));
}

void MenuRenderer::fillActions(QMenu* qtMenu, HMENU menu, std::function<CommandTarget*()> route)
{
    if (qtMenu == nullptr) {
        return;
    }
    qtMenu->setProperty(kModelMenuProperty, static_cast<unsigned>(menu));
    qtMenu->clear();
    for (QMenu* old : qtMenu->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        old->deleteLater();
    }
    if (!IsMenu(menu)) {
        return;
    }
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const unsigned state = GetMenuState(menu, static_cast<unsigned>(i), MF_BYPOSITION);
        if (isSeparator(state)) {
            qtMenu->addSeparator();
        } else if ((state & MF_POPUP) != 0) {
            const HMENU sub = GetSubMenu(menu, i);
            auto* subMenu = new QMenu(
                QString::fromStdString(
                    GetMenuString(menu, static_cast<unsigned>(i), MF_BYPOSITION).value_or("")),
                qtMenu);
            connect(subMenu, &QMenu::aboutToShow, subMenu,
                    [subMenu, sub, menu, route]() { openPopup(subMenu, sub, menu, route); });
            fillMenu(subMenu, sub, nullptr);
            QAction* action = qtMenu->addMenu(subMenu);
            action->setEnabled((state & (MF_GRAYED | MF_DISABLED)) == 0);
        } else {
            qtMenu->addAction(commandAction(qtMenu, menu, i, route));
        }
    }
}

unsigned MenuRenderer::trackPopupMenu(HMENU menu, const QPoint& globalPos,
                                      std::function<CommandTarget*()> route, QWidget* parent)
{
    QMenu popup(parent);
    // The actions run the command themselves; exec only tells which one was chosen.
    openPopup(&popup, menu, 0, route);
    QAction* chosen = popup.exec(globalPos);
    const unsigned id = chosen != nullptr ? chosen->data().toUInt() : 0;
    if (const PopupHook* hook = popupHookFor(parent); hook != nullptr && hook->menuLoopEnded) {
        hook->menuLoopEnded();
    }
    return id;
}

} // namespace platform::framework
