#include "platform/qt/fake/ScriptedUiServices.h"

namespace platform::qt {

void ScriptedUiServices::clear()
{
    m_boxAnswers.clear();
    m_inputAnswers.clear();
    m_inputBoxes.clear();
    m_fileAnswers.clear();
    m_colorAnswers.clear();
    m_fontAnswers.clear();
    m_printAnswers.clear();
    m_pageSetupAnswers.clear();
    m_boxes.clear();
    m_fileDialogs.clear();
    m_colorDialogs.clear();
    m_fontDialogs.clear();
    m_printDialogs.clear();
    m_pageSetupDialogs = 0;
    m_beeps.clear();
    m_sounds.clear();
    m_unscripted = 0;
    m_clipboard.reset();
    m_clipboardWrites = 0;
    m_clipboardEmptied = 0;
}

int ScriptedUiServices::messageBox(const std::string& text, const std::string& caption,
                                   unsigned flags, QWidget*)
{
    MessageBoxCall call{text, caption, flags, 0};
    if (!m_boxAnswers.empty()) {
        call.answer = m_boxAnswers.front();
        m_boxAnswers.pop_front();
    } else if (m_boxHandler) {
        call.answer = m_boxHandler(call);
    } else {
        call.answer = defaultMessageBoxAnswer(flags);
        ++m_unscripted;
    }
    m_boxes.push_back(call);
    return call.answer;
}

std::optional<std::string> ScriptedUiServices::inputBox(const InputBoxRequest& request)
{
    m_inputBoxes.push_back(request);
    if (m_inputAnswers.empty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(m_inputAnswers.front());
    m_inputAnswers.pop_front();
    return answer;
}

std::optional<FileDialogResult> ScriptedUiServices::fileDialog(const FileDialogRequest& request)
{
    m_fileDialogs.push_back(request);
    if (m_fileAnswers.empty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    std::optional<FileDialogResult> answer = std::move(m_fileAnswers.front());
    m_fileAnswers.pop_front();
    if (answer) {
        if (answer->paths.empty()) {
            return std::nullopt;
        }
        // A single choice unless the dialog allows several, as the real dialog does.
        if (!request.allowMultiSelect && answer->paths.size() > 1) {
            answer->paths.resize(1);
        }
        for (std::string& path : answer->paths) {
            path = withDefaultExtension(path, request.defaultExtension);
        }
    }
    return answer;
}

std::optional<uint32_t> ScriptedUiServices::colorDialog(uint32_t initial, QWidget*)
{
    m_colorDialogs.push_back(initial);
    if (m_colorAnswers.empty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    const std::optional<uint32_t> answer = m_colorAnswers.front();
    m_colorAnswers.pop_front();
    return answer;
}

std::optional<FontDialogResult> ScriptedUiServices::fontDialog(const FontDialogRequest& request)
{
    m_fontDialogs.push_back(request);
    if (m_fontAnswers.empty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    const std::optional<FontDialogResult> answer = m_fontAnswers.front();
    m_fontAnswers.pop_front();
    return answer;
}

bool ScriptedUiServices::printDialog(PrintDialogRequest& request)
{
    m_printDialogs.push_back(request);
    if (m_printAnswers.empty()) {
        ++m_unscripted;
        return false;
    }
    const PrintAnswer answer = m_printAnswers.front();
    m_printAnswers.pop_front();
    if (answer.ok) {
        request.fromPage = answer.fromPage;
        request.toPage = answer.toPage;
    }
    return answer.ok;
}

bool ScriptedUiServices::pageSetupDialog(QPrinter*, QWidget*)
{
    ++m_pageSetupDialogs;
    if (m_pageSetupAnswers.empty()) {
        ++m_unscripted;
        return false;
    }
    const bool answer = m_pageSetupAnswers.front();
    m_pageSetupAnswers.pop_front();
    return answer;
}

void ScriptedUiServices::beginWaitCursor()
{
    if (m_waitDepth++ == 0) {
        ++m_waitShows;
    }
}

void ScriptedUiServices::endWaitCursor()
{
    if (m_waitDepth > 0) {
        --m_waitDepth;
    }
}

} // namespace platform::qt

namespace platform::qt {

int ScriptedUiServices::findReplaceDialog(FindReplaceRequest request)
{
    m_findDialogs.push_back(std::move(request));
    m_openFindDialog = static_cast<int>(m_findDialogs.size());
    return m_openFindDialog;
}

void ScriptedUiServices::activateFindReplaceDialog(int id)
{
    if (id != 0 && id == m_openFindDialog) {
        ++m_findActivations;
    }
}

void ScriptedUiServices::closeFindReplaceDialog(int id)
{
    if (id != 0 && id == m_openFindDialog) {
        m_openFindDialog = 0;
    }
}

bool ScriptedUiServices::reportFindReplace(const FindReplaceReport& report)
{
    if (m_openFindDialog == 0) {
        return false;
    }
    // Copied: the report may close or reopen the dialog.
    const auto callback = m_findDialogs[static_cast<std::size_t>(m_openFindDialog - 1)].report;
    if (report.closing) {
        m_openFindDialog = 0;
    }
    if (callback) {
        callback(report);
    }
    return true;
}

} // namespace platform::qt
