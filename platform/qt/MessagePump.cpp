#include "platform/qt/MessagePump.h"

#include "platform/win/Log.h"
#include "platform/win/Messages.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace platform::qt {

namespace {

constexpr const char* kLogModule = "pump";

// Messages taken per activation: a thread posting without pause must not starve the
// rest of the event loop; what is left keeps the wait handle readable and comes next time.
constexpr int kMessagesPerActivation = 256;

void logException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        platform::win::logError(kLogModule, "message handler failed: %s", e.what());
    } catch (...) {
        platform::win::logError(kLogModule, "message handler failed with an unknown exception");
    }
}

} // namespace

MessagePump::MessagePump(QObject* parent) : QObject(parent), m_exceptionHandler(logException)
{
    const int fd = platform::win::queueWaitHandle();
    if (fd < 0) {
        platform::win::logError(kLogModule, "this thread has no message queue wait handle");
        return;
    }
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MessagePump::onActivated);
}

MessagePump::~MessagePump() = default;

void MessagePump::setExceptionHandler(ExceptionHandler handler)
{
    m_exceptionHandler = handler ? std::move(handler) : ExceptionHandler(logException);
}

int MessagePump::pump(int limit)
{
    using namespace platform::win;
    int taken = 0;
    MSG msg;
    // Each message is taken out of the queue before its handler runs, so a handler that
    // runs a nested loop (which pumps again) sees the later messages in order and none
    // twice.
    while (taken < limit && PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
        ++taken;
        if (msg.message == WM_QUIT) {
            QCoreApplication::exit(static_cast<int>(msg.wParam));
            continue;
        }
        try {
            DispatchMessage(&msg);
        } catch (...) {
            reportException(std::current_exception());
        }
    }
    return taken;
}

int pumpPendingMessages(int limit)
{
    using namespace platform::win;
    int taken = 0;
    MSG msg;
    while (taken < limit && PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT || !PeekMessage(&msg, 0, 0, 0, PM_REMOVE))
            break;
        ++taken;
        try {
            DispatchMessage(&msg);
        } catch (...) {
            logException(std::current_exception());
        }
    }
    return taken;
}

void MessagePump::reportException(std::exception_ptr error)
{
    // Nothing may leave towards Qt's event loop, not even from the handler's handler.
    try {
        m_exceptionHandler(error);
    } catch (...) {
        logException(std::current_exception());
    }
}

void MessagePump::onActivated()
{
    pump(kMessagesPerActivation);
}

} // namespace platform::qt
