#include "app/dialogs/DataAcquisitionPropertyPageStrobe.h"

#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

using namespace app::dialogs;
using platform::framework::setControlId;

CDataAcquisitionPropertyPageStrobe::CDataAcquisitionPropertyPageStrobe(
    DataAcquisitionSettings& settings)
    : PropertyPage(151, "Strobe"), m_settings(settings)
{
    auto* form = new QFormLayout(this);
    m_strobe = new QCheckBox(QStringLiteral("Strobe &Enable"), this);
    m_delay = new QLineEdit(this);
    m_modulation = new QCheckBox(QStringLiteral("Modulate USB-Mavrin"), this);
    setControlId(m_strobe, id::kStrobeEnable);
    setControlId(m_delay, id::kFlashDelay);
    setControlId(m_modulation, id::kModulation);
    form->addRow(m_strobe);
    form->addRow(QStringLiteral("Delay Between Flashes (msec)"), m_delay);
    form->addRow(m_modulation);

    connect(m_strobe, &QCheckBox::clicked, this, [this](bool on) {
        SetModified(true);
        m_settings.strobeEnable = on ? 1 : 0;
    });
    connect(m_delay, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_filling)
            return;
        SetModified(true);
        m_settings.flashDelay = readInteger(text.toStdString());
    });
    connect(m_modulation, &QCheckBox::clicked, this, [this](bool on) {
        SetModified(true);
        m_settings.modulation = on ? 1 : 0;
    });
}

bool CDataAcquisitionPropertyPageStrobe::OnInitDialog()
{
    m_filling = true;
    m_strobe->setChecked(m_settings.strobeEnable != 0);
    m_delay->setText(QString::number(m_settings.flashDelay));
    m_modulation->setChecked(m_settings.modulation != 0);
    m_modulation->setVisible(modulationShown(m_settings.adcType));
    m_filling = false;
    return true;
}
