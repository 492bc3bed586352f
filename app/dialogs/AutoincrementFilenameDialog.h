#pragma once

#include "app/dialogs/ValueDialog.h"

#include <string>

// "Autoincrement Filename Properties" (dialog 175): the base file name with its "..." browse
// and the starting index, both texts. GUI thread only.
class CAutoincrementFilenameDialog : public app::dialogs::ValueDialog
{
public:
    explicit CAutoincrementFilenameDialog(QWidget* parent);

    std::string m_baseName;
    std::string m_startingIndex;

    // The "..." button: a save dialog; a chosen path becomes the base name.
    void OnBrowse();

protected:
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;
};
