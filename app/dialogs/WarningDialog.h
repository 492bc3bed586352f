#pragma once

#include "app/dialogs/ValueDialog.h"

#include <string>

// "Harlune Warning" (dialog 169): a message, the check box that keeps the warning on, and Yes
// (IDOK) and No (IDCANCEL). Both answers read the check box. GUI thread only.
class CWarningDialog : public app::dialogs::ValueDialog
{
public:
    explicit CWarningDialog(QWidget* parent);

    std::string m_message;
    int m_continueToWarn = 0;

    void OnYes();
    void OnNo();

protected:
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;
    void OnOK() override { OnYes(); }
    // Escape and the close button answer as No does.
    void OnCancel() override { OnNo(); }
};
