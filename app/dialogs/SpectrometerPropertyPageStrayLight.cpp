#include "app/dialogs/SpectrometerPropertyPageStrayLight.h"

#include "app/dialogs/SpectrometerChannelSelector.h"
#include "app/dialogs/SpectrometerPageFields.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

using namespace app::dialogs;

CSpectrometerPropertyPageStrayLight::CSpectrometerPropertyPageStrayLight(
    SpectrometerSheetSettings& settings)
    : PropertyPage(123, "Stray Light Correction"), m_settings(settings)
{
    auto* grid = new QGridLayout(this);
    m_enabled = new QCheckBox(QStringLiteral("Stray-light Correction &Enabled"), this);
    platform::framework::setControlId(m_enabled, 1382);
    m_constant = new SpectrometerNumberEdit(this, 1085, "%.6f", [this](double value) {
        SetModified(true);
        m_settings.channels[m_channel].slConstant = static_cast<float>(value);
    });
    m_channels = new SpectrometerChannelSelector(this, [this](int channel) {
        SetModified(true);
        showChannel(channel);
    });
    grid->addWidget(m_channels, 0, 0, 1, 2);
    grid->addWidget(m_enabled, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Correction Constant"), this), 2, 0);
    grid->addWidget(m_constant, 2, 1);
    grid->setRowStretch(3, 1);
    connect(m_enabled, &QCheckBox::clicked, this, [this](bool on) {
        SetModified(true);
        m_settings.channels[m_channel].slEnabled = on ? 1 : 0;
    });
}

void CSpectrometerPropertyPageStrayLight::showChannel(int channel)
{
    m_channel = channel;
    m_enabled->setChecked(m_settings.channels[channel].slEnabled != 0);
    m_constant->display(m_settings.channels[channel].slConstant);
}

bool CSpectrometerPropertyPageStrayLight::OnInitDialog()
{
    m_channels->check(0);
    showChannel(0);
    return true;
}
