#include "app/dialogs/WarningDialog.h"

#include "app/dialogs/SmallDialogIds.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

CWarningDialog::CWarningDialog(QWidget* parent) : ValueDialog(169, "Harlune Warning", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* message = new QLabel(this);
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    message->setMinimumWidth(320);
    auto* check =
        new QCheckBox(QStringLiteral("Continue to &warn me about this potential problem"), this);
    auto* yes = new QPushButton(QStringLiteral("&Yes"), this);
    auto* no = new QPushButton(QStringLiteral("&No"), this);
    setControlId(message, id::kWarningMessage);
    setControlId(check, id::kContinueToWarn);
    setControlId(yes, id::kWarningYes);
    setControlId(no, id::kWarningNo);
    yes->setDefault(true);
    layout->addWidget(message);
    layout->addWidget(check);
    auto* row = new QHBoxLayout();
    row->addStretch();
    row->addWidget(yes);
    row->addWidget(no);
    row->addStretch();
    layout->addLayout(row);
    connect(yes, &QPushButton::clicked, this, [this] { OnYes(); });
    connect(no, &QPushButton::clicked, this, [this] { OnNo(); });
}

void CWarningDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.text(id::kWarningMessage, m_message);
    exchange.check(id::kContinueToWarn, m_continueToWarn);
}

void CWarningDialog::OnYes()
{
    UpdateData(true);
    EndDialog(IDOK);
}

void CWarningDialog::OnNo()
{
    UpdateData(true);
    EndDialog(IDCANCEL);
}
