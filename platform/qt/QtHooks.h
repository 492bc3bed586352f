#pragma once

namespace platform::qt {

// Installs the program's Qt implementations of the platform's message-box, beep and
// debug-output hooks, on the GUI thread after the QApplication exists:
// - message boxes raised on the GUI thread are shown at once through the UI services (modal);
//   boxes raised on another thread do not block it: it gets the default button at once and
//   the box is shown on the GUI thread later;
// - beeps from any thread are played on the GUI thread through the UI services;
// - debug output goes to the Qt logging category "harlune.debug" (enabled when VYKDRV_DEBUG
//   is set, or by QT_LOGGING_RULES).
// The destructor removes the hooks. One instance at a time. GUI thread only.
class QtHooks
{
public:
    QtHooks();
    ~QtHooks();
    QtHooks(const QtHooks&) = delete;
    QtHooks& operator=(const QtHooks&) = delete;
};

} // namespace platform::qt
