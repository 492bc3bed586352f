#pragma once

#include "platform/qt/UiServices.h"

#include <QPointer>

#include <map>
#include <memory>

class QProcess;

namespace platform::qt {

// The UI services on Qt's dialogs: QMessageBox, QFileDialog, QColorDialog, QFontDialog,
// QPrintDialog, QPageSetupDialog and the override cursor; sounds through the ALSA player
// "aplay", run as a process of its own so that no audio stack lives in the program. GUI thread
// only.
class QtUiServices : public UiServices
{
public:
    QtUiServices();
    ~QtUiServices() override;
    int messageBox(const std::string& text, const std::string& caption, unsigned flags,
                   QWidget* owner = nullptr) override;
    std::optional<std::string> inputBox(const InputBoxRequest& request) override;
    std::optional<FileDialogResult> fileDialog(const FileDialogRequest& request) override;
    std::optional<uint32_t> colorDialog(uint32_t initial, QWidget* owner = nullptr) override;
    std::optional<FontDialogResult> fontDialog(const FontDialogRequest& request) override;
    bool printDialog(PrintDialogRequest& request) override;
    bool pageSetupDialog(QPrinter* printer, QWidget* owner = nullptr) override;
    int findReplaceDialog(FindReplaceRequest request) override;
    void activateFindReplaceDialog(int id) override;
    void closeFindReplaceDialog(int id) override;
    void beep(unsigned type) override;
    void playSound(const std::string& file) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void setClipboardText(const std::string& text) override;
    void emptyClipboard() override;
    bool openUrl(const QUrl& url) override;

private:
    // Where each kind of file dialog starts.
    FileDialogFolders m_dialogFolders;
    void stopSound();

    std::unique_ptr<QProcess> m_player; // the sound playing, if any
    int m_waitDepth = 0;
    std::map<int, QPointer<QWidget>> m_findDialogs;
    int m_lastFindDialog = 0;
};

// COLORREF (0x00BBGGRR) to and from QColor.
QColor colorFromColorRef(uint32_t colorRef);
uint32_t colorRefFromColor(const QColor& color);

} // namespace platform::qt
