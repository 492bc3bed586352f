#include "app/dialogs/SpectrometerPropertyPageReference.h"

#include "app/dialogs/DataExchange.h"
#include "app/dialogs/SpectrometerPageFields.h"
#include "platform/framework/ControlIds.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

using namespace app::dialogs;
using platform::framework::setControlId;

namespace {

constexpr unsigned kChannelIds[8] = {1421, 1422, 1423, 1424, 1425, 1426, 1427, 1428};
constexpr unsigned kTypeIds[8] = {1430, 1120, 1121, 1122, 1123, 1124, 1125, 1126};
constexpr unsigned kWavelengthIds[8] = {1429, 1113, 1114, 1115, 1116, 1117, 1118, 1119};
constexpr unsigned kBandStartIds[8] = {1112, 1128, 1130, 1132, 1134, 1136, 1138, 1439};
constexpr unsigned kBandEndIds[8] = {1127, 1129, 1131, 1133, 1135, 1137, 1139, 1450};

} // namespace

CSpectrometerPropertyPageReference::CSpectrometerPropertyPageReference(
    SpectrometerSheetSettings& settings)
    : PropertyPage(126, "Reference Monitoring"), m_settings(settings)
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Reference Channel"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Reference Type"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Wavelength"), this), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Bandwidth Start"), this), 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Bandwidth End"), this), 0, 5);
    const auto names = channelNames();
    for (int k = 0; k < 8; ++k) {
        SpectrometerChannelSettings& c = m_settings.channels[k];
        m_channel[k] = new QComboBox(this);
        setControlId(m_channel[k], kChannelIds[k]);
        fillComboBox(m_channel[k], channelNames());
        m_type[k] = new QComboBox(this);
        setControlId(m_type[k], kTypeIds[k]);
        fillComboBox(m_type[k], referenceTypeNames());
        m_wavelength[k] =
            new SpectrometerNumberEdit(this, kWavelengthIds[k], "%.2f", [this, &c](double v) {
                SetModified(true);
                c.referenceWavelength = static_cast<float>(v);
            });
        m_bandStart[k] =
            new SpectrometerNumberEdit(this, kBandStartIds[k], "%.2f", [this, &c](double v) {
                SetModified(true);
                c.referenceBandwidthStart = static_cast<float>(v);
            });
        m_bandEnd[k] =
            new SpectrometerNumberEdit(this, kBandEndIds[k], "%.2f", [this, &c](double v) {
                SetModified(true);
                c.referenceBandwidthEnd = static_cast<float>(v);
            });
        grid->addWidget(new QLabel(QString::fromUtf8(names[k]), this), 1 + k, 0);
        grid->addWidget(m_channel[k], 1 + k, 1);
        grid->addWidget(m_type[k], 1 + k, 2);
        grid->addWidget(m_wavelength[k], 1 + k, 3);
        grid->addWidget(m_bandStart[k], 1 + k, 4);
        grid->addWidget(m_bandEnd[k], 1 + k, 5);
        connect(m_channel[k], &QComboBox::currentIndexChanged, this, [this, &c](int index) {
            if (m_filling || index < 0)
                return;
            SetModified(true);
            c.referenceChannel = index;
        });
        connect(m_type[k], &QComboBox::currentIndexChanged, this, [this, &c, k](int index) {
            if (m_filling || index < 0)
                return;
            SetModified(true);
            c.referenceType = index;
            enableRow(k);
        });
    }
    grid->setRowStretch(9, 1);
}

void CSpectrometerPropertyPageReference::enableRow(int channel)
{
    const int type = m_settings.channels[channel].referenceType;
    m_wavelength[channel]->setEnabled(type == 1);
    m_bandStart[channel]->setEnabled(type == 3);
    m_bandEnd[channel]->setEnabled(type == 3);
}

bool CSpectrometerPropertyPageReference::OnInitDialog()
{
    m_filling = true;
    for (int k = 0; k < 8; ++k) {
        const SpectrometerChannelSettings& c = m_settings.channels[k];
        m_channel[k]->setCurrentIndex(
            c.referenceChannel >= 0 && c.referenceChannel < 8 ? c.referenceChannel : -1);
        m_type[k]->setCurrentIndex(c.referenceType >= 0 && c.referenceType < 4 ? c.referenceType
                                                                               : -1);
        m_wavelength[k]->display(c.referenceWavelength);
        m_bandStart[k]->display(c.referenceBandwidthStart);
        m_bandEnd[k]->display(c.referenceBandwidthEnd);
        enableRow(k);
    }
    m_filling = false;
    return true;
}
