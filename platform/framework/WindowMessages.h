#pragma once

#include <cstdint>

class QWidget;

namespace platform::framework {

// A window of the program that answers window messages sent among the program's own windows
// (WM_IDLEUPDATECMDUI, WM_SPECTRUM_COMMAND ...). GUI thread only.
class WindowMessageHandler
{
public:
    virtual ~WindowMessageHandler() = default;
    // Handles a message; sets handled when it did. Returns the message's result.
    virtual intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                                     bool& handled) = 0;
};

// Sends a message to every descendant widget of root that handles window messages, children
// before grandchildren (deep = true: recursively, else the direct children only). A window
// destroyed by a handler is not visited afterwards. Returns the number of windows that handled
// it.
int SendMessageToDescendants(QWidget* root, unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool deep = true);

} // namespace platform::framework
