#include "platform/qt/QtHooks.h"

#include "platform/qt/UiServices.h"
#include "platform/win/System.h"
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

// The "InputBox" dialog: a one-line question through the UI services.
intptr_t showInputBox(void*, const char*, void* param)
{
    auto* box = static_cast<platform::win::InputBoxParam*>(param);
    if (box == nullptr) {
        return PWIN_IDCANCEL;
    }
    try {
        auto answer = uiServices().inputBox({box->prompt, box->title, box->text, nullptr});
        if (!answer) {
            return PWIN_IDCANCEL;
        }
        box->text = std::move(*answer);
        return PWIN_IDOK;
    } catch (...) {
        return PWIN_IDCANCEL;
    }
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
    pwin_SetDialogHook(platform::win::kInputBoxDialog, &showInputBox, nullptr);
}

QtHooks::~QtHooks()
{
    pwin_SetMessageBoxHook(nullptr);
    pwin_SetMessageBeepHook(nullptr, nullptr);
    pwin_SetDebugOutputHook(nullptr, nullptr);
    pwin_SetDialogHook(platform::win::kInputBoxDialog, nullptr, nullptr);
}

} // namespace platform::qt
