#include "app/dialogs/SpectrometerPageFields.h"

#include "app/dialogs/DataExchangeRules.h"
#include "app/shell/NumberText.h"
#include "platform/framework/ControlIds.h"

SpectrometerNumberEdit::SpectrometerNumberEdit(QWidget* parent, unsigned id, const char* format,
                                               std::function<void(double)> changed)
    : QLineEdit(parent), m_format(format)
{
    platform::framework::setControlId(this, id);
    connect(this, &QLineEdit::textChanged, this, [this, changed](const QString& text) {
        if (!m_filling)
            changed(app::dialogs::readDouble(text.toStdString()));
    });
}

void SpectrometerNumberEdit::display(double value)
{
    m_filling = true;
    setText(QString::fromStdString(app::text::formatC(m_format, value)));
    m_filling = false;
}
