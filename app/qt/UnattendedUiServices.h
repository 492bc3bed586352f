#pragma once

#include "platform/qt/UiServices.h"

#include <functional>
#include <memory>
#include <string>

class QObject;

// The UI services of a program no user controls (started hidden for an automation client):
// nobody could answer a question, so every box takes its default answer and every dialog is
// cancelled, without showing anything or making a sound; the text of each box goes to the
// note function (the error log). A modal dialog the program opens itself is closed as soon as
// it shows, so nothing waits on it either. While `attended` answers true (the user has taken
// the program over), everything goes to the services installed before; the clipboard always
// does. GUI thread only.
class UnattendedUiServices : public platform::qt::UiServices
{
public:
    using Note = std::function<void(const std::string& text)>;

    // previous: the services installed before; it outlives this object. note: where the texts
    // of boxes answered here go (none: the diagnostic log only). attended: none means never.
    explicit UnattendedUiServices(platform::qt::UiServices& previous, Note note = {},
                                  std::function<bool()> attended = {});
    ~UnattendedUiServices() override;

    int messageBox(const std::string& text, const std::string& caption, unsigned flags,
                   QWidget* owner = nullptr) override;
    // Unattended: the answer offered, as if accepted.
    std::optional<std::string> inputBox(const platform::qt::InputBoxRequest& request) override;
    std::optional<platform::qt::FileDialogResult>
    fileDialog(const platform::qt::FileDialogRequest& request) override;
    std::optional<uint32_t> colorDialog(uint32_t initial, QWidget* owner = nullptr) override;
    std::optional<platform::qt::FontDialogResult>
    fontDialog(const platform::qt::FontDialogRequest& request) override;
    bool printDialog(platform::qt::PrintDialogRequest& request) override;
    bool pageSetupDialog(QPrinter* printer, QWidget* owner = nullptr) override;
    int findReplaceDialog(platform::qt::FindReplaceRequest request) override;
    void activateFindReplaceDialog(int id) override { m_previous.activateFindReplaceDialog(id); }
    void closeFindReplaceDialog(int id) override { m_previous.closeFindReplaceDialog(id); }
    void beep(unsigned type) override;
    void playSound(const std::string& file) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void setClipboardText(const std::string& text) override { m_previous.setClipboardText(text); }
    void emptyClipboard() override { m_previous.emptyClipboard(); }
    bool openUrl(const QUrl& url) override { return m_previous.openUrl(url); }

    // True while nobody can answer (the answers are given here).
    bool unattended() const { return !m_attended || !m_attended(); }
    // Sends a text to the note function.
    void note(const std::string& text) const;

private:
    platform::qt::UiServices& m_previous;
    Note m_note;
    std::function<bool()> m_attended;
    int m_waitCursors = 0;
    // Closes the modal dialogs that show while unattended.
    std::unique_ptr<QObject> m_dialogCloser;
};
