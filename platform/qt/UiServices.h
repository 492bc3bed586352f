#pragma once

#include "platform/qt/LOGFONT.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QPrinter;
class QUrl;
class QWidget;

namespace platform::qt {

// Message-box flags and answers, with the Windows values the system's code and stored scripts
// use.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbAbortRetryIgnore = 0x2;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbRetryCancel = 0x5;
constexpr unsigned kMbTypeMask = 0xF;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbIconMask = 0xF0;
constexpr unsigned kMbDefButton2 = 0x100;
constexpr unsigned kMbDefButton3 = 0x200;
constexpr unsigned kMbDefMask = 0xF00;
constexpr unsigned kMbTaskModal = 0x2000;

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// The buttons of a box type, in their order on the box.
std::vector<int> messageBoxButtons(unsigned flags);
// The answer of the default button (MB_DEFBUTTON2/3 pick the second or third button).
int defaultMessageBoxAnswer(unsigned flags);
// The answer when the box is dismissed with Escape or its close button: Cancel where the box
// has one (IDCANCEL), OK for an OK box, none (0) for Yes/No and Abort/Retry/Ignore boxes.
int escapeMessageBoxAnswer(unsigned flags);

// One filter row of a file dialog: "Basic Macros (*.bas)" with "*.bas"; several patterns are
// separated by ";".
struct FileFilter
{
    std::string description;
    std::string pattern;
};

// Options of a file dialog, named after the common-dialog flags they stand for.
struct FileDialogRequest
{
    bool open = true;                // open (true) or save (false)
    std::string title;               // empty: the dialog's own title
    std::vector<FileFilter> filters; // empty: every file
    int filterIndex = 1;             // 1-based filter row preselected
    std::string defaultExtension;    // without the dot; appended to a typed name without one
    std::string initialPath;         // a folder, or a file whose folder and name are shown
    bool allowMultiSelect = false;
    bool fileMustExist = false;
    bool overwritePrompt = false;
    bool hideReadOnly = true;
    QWidget* owner = nullptr;
};

struct FileDialogResult
{
    std::vector<std::string> paths; // absolute paths, at least one
    int filterIndex = 1;            // 1-based filter row chosen
};

// Options of the font dialog.
struct FontDialogRequest
{
    LOGFONT font;
    uint32_t color = 0; // COLORREF 0x00BBGGRR, handed back unchanged unless effects are shown
    bool effects = false;
    QWidget* owner = nullptr;
};

struct FontDialogResult
{
    LOGFONT font;
    uint32_t color = 0;
    int pointSizeTenths = 0;
};

// The print dialog: page range and copies. Pages are 1-based; 0 for fromPage/toPage means all.
struct PrintDialogRequest
{
    QPrinter* printer = nullptr;
    int minPage = 1;
    int maxPage = 0xFFFF;
    int fromPage = 0;
    int toPage = 0;
    bool pageRangeEnabled = true;
    QWidget* owner = nullptr;
};

// What the modeless find and replace dialog reports: its fields and which button was used.
struct FindReplaceReport
{
    std::string findText;
    std::string replaceText;
    bool matchCase = false;
    bool wholeWord = false; // the whole-word box, whatever its caption
    bool searchDown = true;
    bool findNext = false;
    bool replaceCurrent = false;
    bool replaceAll = false;
    bool closing = false; // the last report: the dialog is going away
};

// Options of the modeless find (or find and replace) dialog.
struct FindReplaceRequest
{
    bool replace = false;
    std::string findText;
    bool searchDown = true;
    std::string wholeWordCaption = "Match &whole word only";
    QWidget* owner = nullptr;
    // Called on the GUI thread for every button and once with closing set.
    std::function<void(const FindReplaceReport&)> report;
};

// A one-line text question (a script's InputBox).
struct InputBoxRequest
{
    std::string prompt;
    std::string title;
    std::string text; // the answer offered
    QWidget* owner = nullptr;
};

// The dialogs and cues the program shows the user. The program uses the installed instance
// (uiServices()); tests install a scripted one. GUI thread only.
class UiServices
{
public:
    virtual ~UiServices() = default;

    // Shows a modal message box; returns IDOK, IDCANCEL, IDYES, IDNO ...
    virtual int messageBox(const std::string& text, const std::string& caption, unsigned flags,
                           QWidget* owner = nullptr) = 0;
    // Asks for a line of text; the text entered, or nothing when cancelled.
    virtual std::optional<std::string> inputBox(const InputBoxRequest& request) = 0;
    // Open or save file dialog; nothing when cancelled.
    virtual std::optional<FileDialogResult> fileDialog(const FileDialogRequest& request) = 0;
    // Colour dialog starting at a COLORREF; the chosen COLORREF, or nothing when cancelled.
    virtual std::optional<uint32_t> colorDialog(uint32_t initial, QWidget* owner = nullptr) = 0;
    virtual std::optional<FontDialogResult> fontDialog(const FontDialogRequest& request) = 0;
    // Print dialog on request.printer; true on OK, with the range written back into request.
    virtual bool printDialog(PrintDialogRequest& request) = 0;
    // Page set-up of a printer (paper, orientation, margins); true on OK.
    virtual bool pageSetupDialog(QPrinter* printer, QWidget* owner = nullptr) = 0;
    // Shows a modeless find or replace dialog; its id, or 0 when none can be shown (the
    // default). closeFindReplaceDialog ends it without a closing report.
    virtual int findReplaceDialog(FindReplaceRequest request)
    {
        (void)request;
        return 0;
    }
    virtual void activateFindReplaceDialog(int id) { (void)id; }
    virtual void closeFindReplaceDialog(int id) { (void)id; }

    // Plays the sound of a message-box type (its icon bits; 0xFFFFFFFF a plain beep).
    virtual void beep(unsigned type) = 0;
    // Starts playing a wave file and returns at once; a sound still playing stops first. An
    // empty name only stops the sound; a missing file, or no player or sound device, is silence.
    virtual void playSound(const std::string& file) = 0;
    // Wait cursor, nested: shown from the first begin until the matching last end.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // Puts text on the clipboard as plain text (CF_TEXT), replacing what was there.
    virtual void setClipboardText(const std::string& text) = 0;
    // Empties the clipboard.
    virtual void emptyClipboard() = 0;
    // Opens a page or file in the desktop's browser (or the program the desktop gives its
    // kind) and returns at once; false when it could not.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The installed services: the Qt dialogs unless a test installed its own.
UiServices& uiServices();
// Installs services (nullptr: back to the Qt dialogs); returns the previous ones. The caller
// keeps ownership and keeps the object alive while installed.
UiServices* setUiServices(UiServices* services);

// Installs services for a scope and restores the previous ones.
class ScopedUiServices
{
public:
    explicit ScopedUiServices(UiServices& services) : m_previous(setUiServices(&services)) {}
    ~ScopedUiServices() { setUiServices(m_previous); }
    ScopedUiServices(const ScopedUiServices&) = delete;
    ScopedUiServices& operator=(const ScopedUiServices&) = delete;

private:
    UiServices* m_previous;
};

// Shows the wait cursor for a scope.
class WaitCursor
{
public:
    WaitCursor() { uiServices().beginWaitCursor(); }
    ~WaitCursor() { uiServices().endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Converts the filter rows into a Qt name filter list ("Basic Macros (*.bas)"); "*.*" means
// every file, as on Windows.
std::vector<std::string> qtNameFilters(const std::vector<FileFilter>& filters);

// The filter rows of a filter text in the program's own form: description and pattern
// separated by "|" (or NUL), pairs one after the other, an empty pair at the end ("Dark
// Spectra (*.dark)|*.dark|All Files (*.*)|*.*||"). Several patterns of a row are separated by
// ";". A description without its pattern is dropped.
std::vector<FileFilter> fileFiltersFromText(const std::string& text);

// Where file dialogs start: the folder the caller names, else the folder last used in this
// run for the same kind of file (told by the dialog's filters, else its default extension),
// else the folder last used for any file. GUI thread only.
class FileDialogFolders
{
public:
    // The starting path for request: its own initial path when that names a folder,
    // otherwise the remembered folder (joined with a bare initial file name); empty when
    // nothing is known.
    std::string startPath(const FileDialogRequest& request) const;
    // Remembers the folder of the first chosen path for the request's kind.
    void remember(const FileDialogRequest& request, const FileDialogResult& result);

private:
    static std::string kindOf(const FileDialogRequest& request);

    std::vector<std::pair<std::string, std::string>> m_folders; // kind, folder
    std::string m_lastFolder;
};

// Appends ".ext" to a chosen path whose file name has no extension.
std::string withDefaultExtension(const std::string& path, const std::string& extension);

} // namespace platform::qt
