#pragma once

#include "app/dialogs/ValueDialog.h"

// "Create New Grid" (dialog 208): columns (1 to 32000), rows (at least 1) and sheets (1 to
// 1024). GUI thread only.
class CCreateNewGridDialog : public app::dialogs::ValueDialog
{
public:
    explicit CCreateNewGridDialog(QWidget* parent);

    int m_columns = 0;
    int m_rows = 0;
    int m_sheets = 0;

protected:
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;
};
