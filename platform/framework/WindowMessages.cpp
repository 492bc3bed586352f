#include "platform/framework/WindowMessages.h"

#include <QPointer>
#include <QWidget>

#include <vector>

namespace platform::framework {

int SendMessageToDescendants(QWidget* root, unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool deep)
{
    if (root == nullptr) {
        return 0;
    }
    // Collect weakly first: a handler may close or create windows.
    std::vector<QPointer<QWidget>> children;
    for (QObject* child : root->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) {
            children.emplace_back(widget);
        }
    }
    int count = 0;
    for (const QPointer<QWidget>& child : children) {
        if (child.isNull()) {
            continue;
        }
        if (auto* handler = dynamic_cast<WindowMessageHandler*>(child.data())) {
            bool handled = false;
            handler->OnWindowMessage(message, wParam, lParam, handled);
            count += handled ? 1 : 0;
        }
        if (deep && !child.isNull()) {
            count += SendMessageToDescendants(child.data(), message, wParam, lParam, true);
        }
    }
    return count;
}

} // namespace platform::framework
