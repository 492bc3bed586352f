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
    // Once the user leaves the box it shows the value taken, in the box's format ("400" is
    // taken as 400.00000, text that is no number as 0).
    connect(this, &QLineEdit::editingFinished, this,
            [this] { display(app::dialogs::readDouble(text().toStdString())); });
}

void SpectrometerNumberEdit::display(double value)
{
    m_filling = true;
    setText(QString::fromStdString(app::text::formatC(m_format, value)));
    m_filling = false;
}
