#include "app/dialogs/CreateNewGraphDialog.h"

#include "app/dialogs/CreateWindowLimits.h"
#include "app/dialogs/SmallDialogIds.h"
#include "platform/framework/ControlIds.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

CCreateNewGraphDialog::CCreateNewGraphDialog(QWidget* parent)
    : ValueDialog(209, "Create New Graph", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    auto* traces = new QLineEdit(this);
    auto* points = new QLineEdit(this);
    setControlId(traces, id::kNumberOfTraces);
    setControlId(points, id::kPointsPerTrace);
    form->addRow(QStringLiteral("Number of Traces"), traces);
    form->addRow(QStringLiteral("Data Points Per Trace"), points);
    layout->addLayout(form);
    addOkCancel(layout);
}

void CCreateNewGraphDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.integer(id::kNumberOfTraces, m_traces, kGraphTracesRange);
    exchange.integer(id::kPointsPerTrace, m_points, kGraphPointsRange);
}
