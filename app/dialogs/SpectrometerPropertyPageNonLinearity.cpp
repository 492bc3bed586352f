#include "app/dialogs/SpectrometerPropertyPageNonLinearity.h"

#include "app/dialogs/SpectrometerChannelSelector.h"
#include "app/dialogs/SpectrometerPageFields.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

using namespace app::dialogs;

namespace {

constexpr unsigned kCoefficientIds[8] = {1084, 1393, 1397, 1400, 1402, 1405, 1408, 1410};
constexpr const char* kCoefficientLabels[8] = {
    "Intercept",       "1st Coefficient", "2nd Coefficient", "3rd Coefficient",
    "4th Coefficient", "5th Coefficient", "6th Coefficient", "7th Coefficient"};

} // namespace

CSpectrometerPropertyPageNonLinearity::CSpectrometerPropertyPageNonLinearity(
    SpectrometerSheetSettings& settings)
    : PropertyPage(124, "Detector Linearity"), m_settings(settings)
{
    auto* grid = new QGridLayout(this);
    m_enabled = new QCheckBox(QStringLiteral("Detector Linearity Correction &Enabled"), this);
    platform::framework::setControlId(m_enabled, 1412);
    m_channels = new SpectrometerChannelSelector(this, [this](int channel) {
        SetModified(true);
        showChannel(channel);
    });
    grid->addWidget(m_channels, 0, 0, 1, 2);
    grid->addWidget(m_enabled, 1, 0, 1, 2);
    for (int k = 0; k < 8; ++k) {
        m_coefficients[k] =
            new SpectrometerNumberEdit(this, kCoefficientIds[k], "%.7e", [this, k](double value) {
                SetModified(true);
                m_settings.channels[m_channel].nlCoefficients[k] = static_cast<float>(value);
            });
        grid->addWidget(new QLabel(QString::fromUtf8(kCoefficientLabels[k]), this), 2 + k, 0);
        grid->addWidget(m_coefficients[k], 2 + k, 1);
    }
    grid->setRowStretch(10, 1);
    connect(m_enabled, &QCheckBox::clicked, this, [this](bool on) {
        SetModified(true);
        m_settings.channels[m_channel].nlEnabled = on ? 1 : 0;
    });
}

void CSpectrometerPropertyPageNonLinearity::showChannel(int channel)
{
    m_channel = channel;
    m_enabled->setChecked(m_settings.channels[channel].nlEnabled != 0);
    for (int k = 0; k < 8; ++k)
        m_coefficients[k]->display(m_settings.channels[channel].nlCoefficients[k]);
}

bool CSpectrometerPropertyPageNonLinearity::OnInitDialog()
{
    m_channels->check(0);
    showChannel(0);
    return true;
}
