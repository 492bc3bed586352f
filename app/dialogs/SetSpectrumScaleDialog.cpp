#include "app/dialogs/SetSpectrumScaleDialog.h"

#include "platform/framework/ControlIds.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

CSetSpectrumScaleDialog::CSetSpectrumScaleDialog(QWidget* parent)
    : ValueDialog(147, "Set Spectrum Scale", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Minimum"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Maximum"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("X Axis"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Y Axis"), this), 2, 0);
    const struct
    {
        unsigned id;
        int row, column;
    } boxes[] = {{1027, 1, 1}, {1028, 1, 2}, {1030, 2, 1}, {1029, 2, 2}};
    for (const auto& box : boxes) {
        auto* edit = new QLineEdit(this);
        setControlId(edit, box.id);
        edit->installEventFilter(this);
        grid->addWidget(edit, box.row, box.column);
    }
    layout->addLayout(grid);
    addOkCancel(layout);
}

bool CSetSpectrumScaleDialog::OnInitDialog()
{
    if (m_graph == 1)
        setWindowTitle(QStringLiteral("Set Graph Scale"));
    UpdateData(false);
    return true;
}

void CSetSpectrumScaleDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.text(1027, m_xMin);
    exchange.text(1028, m_xMax);
    exchange.text(1030, m_yMin);
    exchange.text(1029, m_yMax);
}

bool CSetSpectrumScaleDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            edit->selectAll();
            // A mouse press that brought the focus would place the caret after this: select
            // again once it is handled.
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        }
    }
    return ValueDialog::eventFilter(watched, event);
}
