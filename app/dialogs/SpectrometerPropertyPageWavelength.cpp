#include "app/dialogs/SpectrometerPropertyPageWavelength.h"

#include "app/dialogs/SpectrometerChannelSelector.h"
#include "app/dialogs/SpectrometerPageFields.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/UiServices.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace app::dialogs;
using platform::framework::setControlId;

CSpectrometerPropertyPageWavelength::CSpectrometerPropertyPageWavelength(
    SpectrometerSheetSettings& settings, DialogDriver& driver)
    : PropertyPage(122, "Wavelength Calibration"), m_settings(settings), m_driver(driver),
      m_adcType(settings.adcType)
{
    auto* grid = new QGridLayout(this);
    m_serial = new QLineEdit(this);
    setControlId(m_serial, 1149);
    m_enabled = new QCheckBox(QStringLiteral("Channel &Enabled"), this);
    setControlId(m_enabled, 1373);
    auto coefficient = [this](int index) {
        return [this, index](double value) {
            changed();
            m_settings.channels[m_channel].coefficients[index] = static_cast<float>(value);
        };
    };
    m_intercept = new SpectrometerNumberEdit(this, 1390, "%.5f", coefficient(0));
    m_first = new SpectrometerNumberEdit(this, 1377, "%.5f", coefficient(1));
    m_second = new SpectrometerNumberEdit(this, 1381, "%.5e", coefficient(2));
    m_third = new SpectrometerNumberEdit(this, 1386, "%.5e", coefficient(3));
    m_writeToBrontel = new QPushButton(QStringLiteral("Write to BrontelUSB"), this);
    setControlId(m_writeToBrontel, 1537);
    m_channels = new SpectrometerChannelSelector(this, [this](int channel) {
        changed();
        showChannel(channel);
    });

    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Spectrometer Serial Number"), this), row, 0);
    grid->addWidget(m_serial, row++, 1);
    grid->addWidget(m_channels, row++, 0, 1, 2);
    grid->addWidget(m_enabled, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Intercept"), this), row, 0);
    grid->addWidget(m_intercept, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("First Coefficient"), this), row, 0);
    grid->addWidget(m_first, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Second Coefficient"), this), row, 0);
    grid->addWidget(m_second, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Third Coefficient"), this), row, 0);
    grid->addWidget(m_third, row++, 1);
    grid->addWidget(m_writeToBrontel, row++, 1);
    grid->setRowStretch(row, 1);

    connect(m_serial, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_filling)
            return;
        changed();
        m_settings.serialNumber = text.toStdString();
        m_settings.serialNumberEdited = true;
    });
    connect(m_enabled, &QCheckBox::clicked, this, [this](bool on) {
        changed();
        m_settings.channels[m_channel].enabled = on ? 1 : 0;
    });
    connect(m_writeToBrontel, &QPushButton::clicked, this, [this] {
        platform::qt::WaitCursor wait;
        writeToBrontelUsb(m_settings, m_driver);
    });
}

void CSpectrometerPropertyPageWavelength::showChannel(int channel)
{
    m_channel = channel;
    const SpectrometerChannelSettings& c = m_settings.channels[channel];
    m_enabled->setChecked(c.enabled != 0);
    m_intercept->display(c.coefficients[0]);
    m_first->display(c.coefficients[1]);
    m_second->display(c.coefficients[2]);
    m_third->display(c.coefficients[3]);
}

bool CSpectrometerPropertyPageWavelength::OnInitDialog()
{
    m_filling = true;
    m_serial->setText(QString::fromStdString(m_settings.serialNumber));
    m_filling = false;
    m_settings.serialNumberEdited = false;
    m_writeToBrontel->setVisible(m_adcType == VYK_ADC_BRONTELUSB);
    m_channels->check(0);
    showChannel(0);
    return true;
}
