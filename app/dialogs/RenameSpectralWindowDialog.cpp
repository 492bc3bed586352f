#include "app/dialogs/RenameSpectralWindowDialog.h"

#include "app/dialogs/SmallDialogIds.h"
#include "platform/framework/ControlIds.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::findControl;
using platform::framework::setControlId;

CRenameSpectralWindowDialog::CRenameSpectralWindowDialog(QWidget* parent)
    : ValueDialog(197, "Rename Spectral Window", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* edit = new QLineEdit(this);
    setControlId(edit, id::kWindowTitle);
    edit->setMinimumWidth(280);
    layout->addWidget(new QLabel(QStringLiteral("Enter the desired window title below"), this));
    layout->addWidget(edit);
    addOkCancel(layout);
}

void CRenameSpectralWindowDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.text(id::kWindowTitle, m_title);
}

bool CRenameSpectralWindowDialog::OnInitDialog()
{
    UpdateData(false);
    if (auto* edit = findControl<QLineEdit>(this, id::kWindowTitle)) {
        // The caret at the end keeps the title's end in view; the whole title is selected.
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
        edit->selectAll();
        edit->setFocus();
    }
    return false;
}
