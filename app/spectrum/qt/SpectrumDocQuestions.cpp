#include "app/spectrum/qt/SpectrumDocQuestions.h"

#include "app/dialogs/WarningDialog.h"
#include "platform/qt/UiServices.h"

SpectrumDocWindow::Answer
SpectrumDocQuestions::warningDialog(QWidget* owner, const std::string& text, bool& continueToWarn)
{
    CWarningDialog dialog(owner);
    dialog.m_message = text;
    dialog.m_continueToWarn = continueToWarn ? 1 : 0;
    const int result = dialog.DoModal();
    continueToWarn = dialog.m_continueToWarn != 0;
    return result == CWarningDialog::IDOK ? Answer::Yes : Answer::No;
}

SpectrumDocWindow::Answer SpectrumDocQuestions::messageBox(QWidget* owner, const std::string& text,
                                                           const std::string& caption,
                                                           Buttons buttons)
{
    unsigned flags = platform::qt::kMbOk;
    if (buttons == Buttons::YesNo)
        flags = platform::qt::kMbYesNo;
    else if (buttons == Buttons::YesNoCancel)
        flags = platform::qt::kMbYesNoCancel;
    else if (buttons == Buttons::OkCancel)
        flags = platform::qt::kMbOkCancel;
    switch (platform::qt::uiServices().messageBox(text, caption, flags, owner)) {
    case platform::qt::kIdYes:
        return Answer::Yes;
    case platform::qt::kIdNo:
        return Answer::No;
    case platform::qt::kIdCancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

SpectrumDocWindow::Answer SpectrumDocQuestions::showWarningDialog(const std::string& text,
                                                                  bool& continueToWarn)
{
    return warningDialog(owner(), text, continueToWarn);
}

SpectrumDocWindow::Answer SpectrumDocQuestions::showMessageBox(const std::string& text,
                                                               const std::string& caption,
                                                               Buttons buttons)
{
    return messageBox(owner(), text, caption, buttons);
}

void SpectrumDocQuestions::playSoundAsync(const std::string& file)
{
    platform::qt::uiServices().playSound(file);
}
