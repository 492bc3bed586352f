#include "platform/framework/DialogBar.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/ControlIds.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>

namespace platform::framework {

DialogBar::DialogBar(unsigned id, const std::string& title, std::function<CommandTarget*()> route,
                     QWidget* parent)
    : QDockWidget(QString::fromStdString(title), parent), m_id(id), m_route(std::move(route))
{
    setObjectName(QStringLiteral("id%1").arg(id));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    m_panel = new QWidget(this);
    setWidget(m_panel);
}

void DialogBar::addControl(QWidget* control, unsigned id)
{
    setControlId(control, id);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this, [this, id]() {
            if (CommandTarget* target = m_route ? m_route() : nullptr) {
                executeCommand(*target, id);
            }
        });
    }
}

void DialogBar::updateControls()
{
    CommandTarget* target = m_route ? m_route() : nullptr;
    if (target == nullptr) {
        return;
    }
    for (QWidget* control : m_panel->findChildren<QWidget*>()) {
        const unsigned id = controlId(control);
        if (id == 0) {
            continue;
        }
        CmdUI ui(id);
        target->OnCmdMsg(id, &ui);
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (!ui.handled) {
            // Buttons without any handler are disabled; other controls are left alone.
            if (button != nullptr) {
                button->setEnabled(target->hasCommandHandler(id));
            }
            continue;
        }
        if (ui.enabled()) {
            control->setEnabled(*ui.enabled());
        }
        if (ui.check() && button != nullptr && button->isCheckable()) {
            if (auto* check = qobject_cast<QCheckBox*>(button);
                check != nullptr && *ui.check() == 2) {
                check->setTristate(true);
                check->setCheckState(Qt::PartiallyChecked);
            } else {
                button->setChecked(*ui.check() != 0);
            }
        }
        if (ui.text() && button != nullptr) {
            button->setText(QString::fromStdString(*ui.text()));
        }
    }
}

intptr_t DialogBar::OnWindowMessage(unsigned message, uintptr_t, intptr_t, bool& handled)
{
    handled = message == WM_IDLEUPDATECMDUI;
    if (handled && !isHidden()) {
        updateControls();
    }
    return 0;
}

} // namespace platform::framework
