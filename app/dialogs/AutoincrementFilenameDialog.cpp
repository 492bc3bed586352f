#include "app/dialogs/AutoincrementFilenameDialog.h"

#include "app/dialogs/SmallDialogIds.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/UiServices.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

CAutoincrementFilenameDialog::CAutoincrementFilenameDialog(QWidget* parent)
    : ValueDialog(175, "Autoincrement Filename Properties", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    auto* base = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    auto* index = new QLineEdit(this);
    setControlId(base, id::kBaseFileName);
    setControlId(browse, id::kBrowseBaseName);
    setControlId(index, id::kStartingIndex);
    base->setMinimumWidth(320);
    auto* baseRow = new QHBoxLayout();
    baseRow->addWidget(base);
    baseRow->addWidget(browse);
    form->addRow(QStringLiteral("Base File Name and Path"), baseRow);
    form->addRow(QStringLiteral("Starting Index"), index);
    layout->addLayout(form);
    addOkCancel(layout);
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
}

void CAutoincrementFilenameDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.text(id::kBaseFileName, m_baseName);
    exchange.text(id::kStartingIndex, m_startingIndex);
}

void CAutoincrementFilenameDialog::OnBrowse()
{
    platform::qt::FileDialogRequest request;
    request.open = false;
    request.title = "Select Autoincrement Filename Basename";
    request.filters = {{"All Files (*.*)", "*.*"}};
    request.hideReadOnly = true;
    request.overwritePrompt = true;
    // No "file must exist": the dialog is there to name files that do not exist yet.
    request.fileMustExist = false;
    request.owner = this;
    const auto chosen = platform::qt::uiServices().fileDialog(request);
    if (!chosen || chosen->paths.empty())
        return;
    // Keep what was typed into the other box; show the chosen path.
    UpdateData(true);
    m_baseName = chosen->paths.front();
    UpdateData(false);
}
