#include "app/qt/UnattendedUiServices.h"

#include "platform/win/Log.h"

int UnattendedUiServices::messageBox(const std::string& text, const std::string& caption,
                                     unsigned flags, QWidget*)
{
    const int answer = platform::qt::defaultMessageBoxAnswer(flags);
    platform::win::logInfo("app", "unattended: \"%s\" answered %d: %s", caption.c_str(), answer,
                           text.c_str());
    return answer;
}
