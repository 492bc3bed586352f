#include "app/dialogs/ValueDialog.h"

#include "platform/framework/ControlIds.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>

namespace app::dialogs {

ValueDialog::ValueDialog(unsigned templateId, const std::string& caption, QWidget* parent)
    : QDialog(parent), m_templateId(templateId)
{
    setWindowTitle(QString::fromStdString(caption));
}

int ValueDialog::DoModal()
{
    const int result = exec();
    return result == IDOK ? IDOK : IDCANCEL;
}

bool ValueDialog::UpdateData(bool save)
{
    DataExchange exchange(this, save);
    DoDataExchange(exchange);
    return !exchange.failed();
}

bool ValueDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void ValueDialog::OnOK()
{
    if (!UpdateData(true))
        return; // the refused control has the focus; the dialog stays open
    EndDialog(IDOK);
}

void ValueDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void ValueDialog::addOkCancel(QBoxLayout* layout)
{
    auto* row = new QHBoxLayout();
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    platform::framework::setControlId(ok, IDOK);
    platform::framework::setControlId(cancel, IDCANCEL);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

void ValueDialog::initialiseOnce()
{
    if (m_initialised)
        return;
    m_initialised = true;
    OnInitDialog();
}

void ValueDialog::setVisible(bool visible)
{
    if (visible)
        initialiseOnce();
    QDialog::setVisible(visible);
}

void ValueDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    initialiseOnce();
}

void ValueDialog::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (modifiers == Qt::NoModifier && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
        for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
            const QKeySequence mnemonic = button->shortcut();
            if (mnemonic.isEmpty() || mnemonic[0].key() != event->key() ||
                !button->isVisibleTo(this) || !button->isEnabled() || button->window() != this)
                continue;
            button->setFocus(Qt::ShortcutFocusReason);
            button->animateClick();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

} // namespace app::dialogs
