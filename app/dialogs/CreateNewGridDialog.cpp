#include "app/dialogs/CreateNewGridDialog.h"

#include "app/dialogs/CreateWindowLimits.h"
#include "app/dialogs/SmallDialogIds.h"
#include "platform/framework/ControlIds.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

CCreateNewGridDialog::CCreateNewGridDialog(QWidget* parent)
    : ValueDialog(208, "Create New Grid", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    auto* columns = new QLineEdit(this);
    auto* rows = new QLineEdit(this);
    auto* sheets = new QLineEdit(this);
    setControlId(columns, id::kNumberOfColumns);
    setControlId(rows, id::kNumberOfRows);
    setControlId(sheets, id::kNumberOfSheets);
    form->addRow(QStringLiteral("Number of Columns"), columns);
    form->addRow(QStringLiteral("Number of Rows"), rows);
    form->addRow(QStringLiteral("Number of Sheets"), sheets);
    layout->addLayout(form);
    addOkCancel(layout);
}

void CCreateNewGridDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.integer(id::kNumberOfColumns, m_columns, kGridColumnsRange);
    exchange.integer(id::kNumberOfRows, m_rows, kGridRowsRange);
    exchange.integer(id::kNumberOfSheets, m_sheets, kGridSheetsRange);
}
