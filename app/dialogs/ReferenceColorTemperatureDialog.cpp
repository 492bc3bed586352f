#include "app/dialogs/ReferenceColorTemperatureDialog.h"

#include "app/dialogs/SmallDialogIds.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::findControl;
using platform::framework::setControlId;

CReferenceColorTemperatureDialog::CReferenceColorTemperatureDialog(QWidget* parent)
    : ValueDialog(148, "Reference Color Temperature", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("Enter the color temperature of your reference light "
                                           "source.  The reference must be a blackbody, and the "
                                           "color temperature must be expressed in Kelvin."),
                            this);
    text->setWordWrap(true);
    auto* edit = new QLineEdit(this);
    auto* check =
        new QCheckBox(QStringLiteral("&Assume Second Order Light is Being Detected"), this);
    setControlId(edit, id::kColorTemperature);
    setControlId(check, id::kAssumeSecondOrder);
    auto* form = new QFormLayout();
    form->addRow(QStringLiteral("Color Temperature (K)"), edit);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(check);
    addOkCancel(layout);
    edit->installEventFilter(this);
}

void CReferenceColorTemperatureDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.text(id::kColorTemperature, m_temperature);
    exchange.check(id::kAssumeSecondOrder, m_assumeSecondOrder);
}

bool CReferenceColorTemperatureDialog::OnInitDialog()
{
    UpdateData(false);
    if (auto* check = findControl<QCheckBox>(this, id::kAssumeSecondOrder))
        check->setVisible(m_showSecondOrder == 1);
    if (auto* edit = findControl<QLineEdit>(this, id::kColorTemperature))
        edit->setFocus();
    return false;
}

bool CReferenceColorTemperatureDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The temperature is selected whole whenever the box gets the focus, so typing replaces
    // it; after the click that gave the focus has placed the caret.
    if (event->type() == QEvent::FocusIn) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            edit->selectAll();
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        }
    }
    return ValueDialog::eventFilter(watched, event);
}
