#pragma once

#include "platform/qt/UiServices.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace platform::qt {

// The modeless find and replace dialog: find text, replace text (replace mode), the whole-word
// and match-case boxes, the direction, and Find Next, Replace, Replace All and Cancel. Every
// button reports through the request's callback; closing reports once more with closing set.
// Deletes itself when closed. GUI thread only.
class QtFindReplaceDialog : public QDialog
{
public:
    explicit QtFindReplaceDialog(FindReplaceRequest request);

    // Ends the dialog without a closing report (its owner is going away).
    void closeSilently();

protected:
    void done(int result) override;

private:
    FindReplaceReport fields() const;
    void send(FindReplaceReport report);

    FindReplaceRequest m_request;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replace = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QRadioButton* m_down = nullptr;
    bool m_silent = false;
};

} // namespace platform::qt
