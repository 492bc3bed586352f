#pragma once

#include "platform/qt/UiServices.h"

#include <QUrl>

#include <deque>
#include <functional>

namespace platform::qt {

// UI services for tests: every call is recorded, and answers come from queues the test fills
// beforehand (or from a handler). A call with no answer queued takes the default: the box's
// default button, a cancelled dialog; it is counted in unscriptedCalls(). GUI thread only.
class ScriptedUiServices : public UiServices
{
public:
    struct MessageBoxCall
    {
        std::string text;
        std::string caption;
        unsigned flags = 0;
        int answer = 0;
    };

    // Queues the answer of the next message box.
    void answerMessageBox(int answer) { m_boxAnswers.push_back(answer); }
    // Answers every message box that has no queued answer by calling the handler (which may run
    // a nested event loop, as a real box does).
    void setMessageBoxHandler(std::function<int(const MessageBoxCall&)> handler)
    {
        m_boxHandler = std::move(handler);
    }
    // Queues the answer of the next input box (nothing: cancelled).
    void answerInputBox(std::optional<std::string> text)
    {
        m_inputAnswers.push_back(std::move(text));
    }
    const std::vector<InputBoxRequest>& inputBoxes() const { return m_inputBoxes; }
    // Queues the result of the next file dialog (nothing: cancelled).
    void answerFileDialog(std::optional<FileDialogResult> result)
    {
        m_fileAnswers.push_back(std::move(result));
    }
    void answerFileDialog(std::vector<std::string> paths, int filterIndex = 1)
    {
        m_fileAnswers.push_back(FileDialogResult{std::move(paths), filterIndex});
    }
    void answerColorDialog(std::optional<uint32_t> color) { m_colorAnswers.push_back(color); }
    void answerFontDialog(std::optional<FontDialogResult> font) { m_fontAnswers.push_back(font); }
    // Queues the next print dialog: OK with a page range (0, 0: all pages), or cancelled.
    void answerPrintDialog(bool ok, int fromPage = 0, int toPage = 0)
    {
        m_printAnswers.push_back({ok, fromPage, toPage});
    }
    void answerPageSetupDialog(bool ok) { m_pageSetupAnswers.push_back(ok); }
    // The find dialogs shown, and a report of the open one's buttons (false when none is
    // open). A closing report closes it.
    const std::vector<FindReplaceRequest>& findReplaceDialogs() const { return m_findDialogs; }
    bool reportFindReplace(const FindReplaceReport& report);
    int findReplaceActivations() const { return m_findActivations; }
    bool isFindReplaceDialogOpen() const { return m_openFindDialog != 0; }

    const std::vector<MessageBoxCall>& messageBoxes() const { return m_boxes; }
    const std::vector<FileDialogRequest>& fileDialogs() const { return m_fileDialogs; }
    const std::vector<uint32_t>& colorDialogs() const { return m_colorDialogs; }
    const std::vector<FontDialogRequest>& fontDialogs() const { return m_fontDialogs; }
    const std::vector<PrintDialogRequest>& printDialogs() const { return m_printDialogs; }
    int pageSetupDialogs() const { return m_pageSetupDialogs; }
    const std::vector<unsigned>& beeps() const { return m_beeps; }
    // Calls answered by default because nothing was queued.
    int unscriptedCalls() const { return m_unscripted; }
    int waitCursorDepth() const { return m_waitDepth; }
    // How many times the wait cursor was shown (depth went from 0 to 1).
    int waitCursorShows() const { return m_waitShows; }
    void clear();

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
    void beep(unsigned type) override { m_beeps.push_back(type); }
    // Sounds are recorded, never played.
    void playSound(const std::string& file) override { m_sounds.push_back(file); }
    const std::vector<std::string>& sounds() const { return m_sounds; }
    void beginWaitCursor() override;
    void endWaitCursor() override;
    // The clipboard is a text field here: set, emptied (nothing), and counted.
    void setClipboardText(const std::string& text) override
    {
        m_clipboard = text;
        ++m_clipboardWrites;
    }
    void emptyClipboard() override
    {
        m_clipboard.reset();
        ++m_clipboardEmptied;
    }
    // Pages are recorded, never opened; each opens (true) unless failUrls() was asked for.
    bool openUrl(const QUrl& url) override
    {
        m_urls.push_back(url);
        return m_urlsOpen;
    }
    const std::vector<QUrl>& openedUrls() const { return m_urls; }
    void failUrls() { m_urlsOpen = false; }
    const std::optional<std::string>& clipboardText() const { return m_clipboard; }
    int clipboardWrites() const { return m_clipboardWrites; }
    int clipboardEmptied() const { return m_clipboardEmptied; }

private:
    struct PrintAnswer
    {
        bool ok;
        int fromPage;
        int toPage;
    };

    std::deque<int> m_boxAnswers;
    std::function<int(const MessageBoxCall&)> m_boxHandler;
    std::deque<std::optional<std::string>> m_inputAnswers;
    std::vector<InputBoxRequest> m_inputBoxes;
    std::deque<std::optional<FileDialogResult>> m_fileAnswers;
    std::deque<std::optional<uint32_t>> m_colorAnswers;
    std::deque<std::optional<FontDialogResult>> m_fontAnswers;
    std::deque<PrintAnswer> m_printAnswers;
    std::deque<bool> m_pageSetupAnswers;
    std::vector<FindReplaceRequest> m_findDialogs;
    int m_openFindDialog = 0; // the 1-based index of the open one
    int m_findActivations = 0;

    std::vector<MessageBoxCall> m_boxes;
    std::vector<FileDialogRequest> m_fileDialogs;
    std::vector<uint32_t> m_colorDialogs;
    std::vector<FontDialogRequest> m_fontDialogs;
    std::vector<PrintDialogRequest> m_printDialogs;
    int m_pageSetupDialogs = 0;
    std::vector<unsigned> m_beeps;
    std::vector<std::string> m_sounds;
    int m_unscripted = 0;
    int m_waitDepth = 0;
    int m_waitShows = 0;
    std::optional<std::string> m_clipboard;
    std::vector<QUrl> m_urls;
    bool m_urlsOpen = true;
    int m_clipboardWrites = 0;
    int m_clipboardEmptied = 0;
};

} // namespace platform::qt
