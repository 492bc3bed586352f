#pragma once

#include "app/dialogs/ValueDialog.h"

#include <string>

// "Rename Spectral Window" (dialog 197): the window title, shown selected. GUI thread only.
class CRenameSpectralWindowDialog : public app::dialogs::ValueDialog
{
public:
    explicit CRenameSpectralWindowDialog(QWidget* parent);

    std::string m_title;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;
};
