#include "platform/framework/ControlIds.h"

namespace platform::framework {

void setControlId(QWidget* control, unsigned id)
{
    if (control != nullptr) {
        control->setObjectName(QStringLiteral("id%1").arg(id));
    }
}

unsigned controlId(const QWidget* control)
{
    if (control == nullptr) {
        return 0;
    }
    const QString name = control->objectName();
    if (!name.startsWith(QLatin1String("id"))) {
        return 0;
    }
    bool ok = false;
    const unsigned id = name.mid(2).toUInt(&ok);
    return ok ? id : 0;
}

QWidget* GetDlgItem(const QWidget* root, unsigned id)
{
    if (root == nullptr) {
        return nullptr;
    }
    return root->findChild<QWidget*>(QStringLiteral("id%1").arg(id));
}

} // namespace platform::framework
