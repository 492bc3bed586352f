#include "platform/framework/WindowMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace platform::framework {

namespace {

// Counts the changes of the widget tree (a child added to or removed from a widget), so that
// the handlers found below a window can be kept until the tree changes: the idle update walks
// every window's bars before each scan, and most of a window's widgets handle nothing.
class WidgetTreeWatcher : public QObject
{
public:
    // The watcher on the application, or null without one.
    static WidgetTreeWatcher* instance()
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) {
            return nullptr;
        }
        static QPointer<WidgetTreeWatcher> watcher;
        if (watcher.isNull()) {
            watcher = new WidgetTreeWatcher(app);
            app->installEventFilter(watcher);
        }
        return watcher.data();
    }

    unsigned long generation() const { return m_generation; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::ChildAdded || type == QEvent::ChildRemoved) &&
            watched->isWidgetType()) {
            ++m_generation;
        }
        return false;
    }

private:
    explicit WidgetTreeWatcher(QObject* parent) : QObject(parent) {}

    unsigned long m_generation = 0;
};

// A handler and its widget, which tells whether the handler still exists.
using Handlers = std::vector<std::pair<QPointer<QWidget>, WindowMessageHandler*>>;

// The handlers below root in the order of a depth-first walk (each child, then its own
// descendants). A widget that handles nothing and has no children is passed over.
void collectHandlers(QWidget* root, Handlers& handlers)
{
    for (QObject* child : root->children()) {
        if (!child->isWidgetType()) {
            continue;
        }
        auto* widget = static_cast<QWidget*>(child);
        if (auto* handler = dynamic_cast<WindowMessageHandler*>(widget)) {
            handlers.emplace_back(widget, handler);
        }
        if (!widget->children().isEmpty()) {
            collectHandlers(widget, handlers);
        }
    }
}

struct HandlerList
{
    QPointer<QWidget> root;
    unsigned long generation = 0;
    // Shared with the sends under way: a handler may change the tree, and the next send then
    // makes a new list.
    std::shared_ptr<const Handlers> handlers;
};

// The handlers below root, found again when the widget tree changed since the last time.
std::shared_ptr<const Handlers> handlersBelow(QWidget* root)
{
    WidgetTreeWatcher* watcher = WidgetTreeWatcher::instance();
    if (watcher == nullptr) {
        auto handlers = std::make_shared<Handlers>();
        collectHandlers(root, *handlers);
        return handlers;
    }
    static std::map<QWidget*, HandlerList> lists;
    HandlerList& list = lists[root];
    if (list.root != root || list.generation != watcher->generation() || !list.handlers) {
        auto handlers = std::make_shared<Handlers>();
        collectHandlers(root, *handlers);
        list.root = root;
        list.generation = watcher->generation();
        list.handlers = std::move(handlers);
        // Lists of windows that have gone are dropped.
        for (auto it = lists.begin(); it != lists.end();) {
            it = it->second.root.isNull() ? lists.erase(it) : std::next(it);
        }
    }
    return list.handlers;
}

int sendTo(WindowMessageHandler* handler, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (handler == nullptr) {
        return 0;
    }
    bool handled = false;
    handler->OnWindowMessage(message, wParam, lParam, handled);
    return handled ? 1 : 0;
}

} // namespace

int SendMessageToDescendants(QWidget* root, unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool deep)
{
    if (root == nullptr) {
        return 0;
    }
    int count = 0;
    if (deep) {
        // Held weakly: a handler may close or create windows (windows it creates are reached by
        // the next message).
        const std::shared_ptr<const Handlers> handlers = handlersBelow(root);
        for (const auto& [widget, handler] : *handlers) {
            if (!widget.isNull()) {
                count += sendTo(handler, message, wParam, lParam);
            }
        }
        return count;
    }
    std::vector<QPointer<QWidget>> children;
    for (QObject* child : root->children()) {
        if (child->isWidgetType()) {
            children.emplace_back(static_cast<QWidget*>(child));
        }
    }
    for (const QPointer<QWidget>& child : children) {
        if (!child.isNull()) {
            count +=
                sendTo(dynamic_cast<WindowMessageHandler*>(child.data()), message, wParam, lParam);
        }
    }
    return count;
}

} // namespace platform::framework
