#pragma once

#include <QObject>

#include <exception>
#include <functional>

class QSocketNotifier;

namespace platform::qt {

// Delivers the messages of the calling thread's platform/win queue from the Qt event loop:
// a QSocketNotifier watches the queue's wait handle and each activation takes and
// dispatches the waiting messages in order of arrival. So messages posted from driver
// threads reach their windows on the GUI thread, also while a modal dialog or message box
// runs its own loop. WM_QUIT ends the application's event loop with its exit code.
// Create it on the thread whose queue it drains (the GUI thread), after the application
// object; GUI thread only.
class MessagePump : public QObject
{
    Q_OBJECT

public:
    // Called on the pump's thread with each exception a handler throws.
    using ExceptionHandler = std::function<void(std::exception_ptr)>;

    explicit MessagePump(QObject* parent = nullptr);
    ~MessagePump() override;

    // Replaces the default handling of handler exceptions (a line in the diagnostic log).
    void setExceptionHandler(ExceptionHandler handler);

    // Takes and dispatches up to limit waiting messages; returns how many it took.
    int pump(int limit);

private:
    void onActivated();
    void reportException(std::exception_ptr error);

    QSocketNotifier* m_notifier = nullptr;
    ExceptionHandler m_exceptionHandler;
};

// Dispatches at most limit waiting messages of the calling thread's queue in order of arrival
// and stops before a WM_QUIT, which stays queued for the loop that owns it (a script's DoEvents
// must not end the program under the script). A handler's exception is logged. Returns how
// many messages it dispatched.
int pumpPendingMessages(int limit);

} // namespace platform::qt
