#include "platform/qt/QtHooks.h"

#include "platform/qt/UiServices.h"
#include "platform/win/c/pwin_system.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThread>

#include <cstdlib>
#include <string>

namespace platform::qt {

namespace {

Q_LOGGING_CATEGORY(debugOutput, "harlune.debug",
                   std::getenv("VYKDRV_DEBUG") != nullptr ? QtDebugMsg : QtWarningMsg)

int showBox(void*, PWIN_HWND, const char* text, const char* caption, PWIN_UINT type)
{
    try {
        return uiServices().messageBox(text != nullptr ? text : "",
                                       caption != nullptr ? caption : "", type);
    } catch (...) {
        return defaultMessageBoxAnswer(type);
    }
}

// Runs a function on the GUI thread later, without waiting.
template <class Function> void onGuiThread(Function function)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application != nullptr) {
        QMetaObject::invokeMethod(application, std::move(function), Qt::QueuedConnection);
    }
}

void showBoxLater(void*, PWIN_HWND, const char* text, const char* caption, PWIN_UINT type)
{
    // Copies: the strings are valid only during this call.
    onGuiThread([text = std::string(text != nullptr ? text : ""),
                 caption = std::string(caption != nullptr ? caption : ""), type]() {
        try {
            uiServices().messageBox(text, caption, type);
        } catch (...) {
            // A box nobody waits for: nothing to report to.
        }
    });
}

void beep(void*, PWIN_UINT type)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return;
    }
    if (QThread::currentThread() == application->thread()) {
        uiServices().beep(type);
    } else {
        onGuiThread([type]() { uiServices().beep(type); });
    }
}

void writeDebugOutput(void*, const char* text)
{
    if (text != nullptr && debugOutput().isDebugEnabled()) {
        QString line = QString::fromUtf8(text);
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        qCDebug(debugOutput).noquote() << line;
    }
}

} // namespace

QtHooks::QtHooks()
{
    const PWIN_MESSAGEBOX_HOOK hook{&showBox, &showBoxLater, nullptr};
    pwin_SetMessageBoxHook(&hook);
    pwin_SetMessageBeepHook(&beep, nullptr);
    pwin_SetDebugOutputHook(&writeDebugOutput, nullptr);
}

QtHooks::~QtHooks()
{
    pwin_SetMessageBoxHook(nullptr);
    pwin_SetMessageBeepHook(nullptr, nullptr);
    pwin_SetDebugOutputHook(nullptr, nullptr);
}

} // namespace platform::qt
