#include "app/dialogs/SpectrometerPropertyPageDisplayedRange.h"

#include "app/dialogs/SpectrometerPageFields.h"
#include "app/shell/NumberText.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

using namespace app::dialogs;
using platform::framework::setControlId;

namespace {

constexpr unsigned kFirstPixelIds[8] = {1140, 1101, 1102, 1104, 1106, 1108, 1110, 1112};
constexpr unsigned kLastPixelIds[8] = {1099, 1100, 1103, 1105, 1107, 1109, 1111, 1432};
constexpr unsigned kStartIds[8] = {1414, 1415, 1416, 1086, 1087, 1088, 1089, 1090};
constexpr unsigned kEndIds[8] = {1091, 1092, 1093, 1094, 1095, 1096, 1097, 1098};

} // namespace

CSpectrometerPropertyPageDisplayedRange::CSpectrometerPropertyPageDisplayedRange(
    SpectrometerSheetSettings& settings)
    : PropertyPage(125, "Displayed Range"), m_settings(settings)
{
    auto* grid = new QGridLayout(this);
    m_limited = new QCheckBox(QStringLiteral("&Limit Displayed Wavelength Range"), this);
    setControlId(m_limited, 1147);
    grid->addWidget(m_limited, 0, 0, 1, 5);
    grid->addWidget(new QLabel(QStringLiteral("First Pixel"), this), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Last Pixel"), this), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Starting Wavelength"), this), 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Ending Wavelength"), this), 1, 4);
    const auto names = channelNames();
    for (int k = 0; k < 8; ++k) {
        m_first[k] = new QLabel(this);
        setControlId(m_first[k], kFirstPixelIds[k]);
        m_last[k] = new QLabel(this);
        setControlId(m_last[k], kLastPixelIds[k]);
        m_start[k] = new SpectrometerNumberEdit(this, kStartIds[k], "%.2f", [this, k](double v) {
            SetModified(true);
            m_settings.channels[k].displayStart = static_cast<float>(v);
        });
        m_end[k] = new SpectrometerNumberEdit(this, kEndIds[k], "%.2f", [this, k](double v) {
            SetModified(true);
            m_settings.channels[k].displayEnd = static_cast<float>(v);
        });
        grid->addWidget(new QLabel(QString::fromUtf8(names[k]), this), 2 + k, 0);
        grid->addWidget(m_first[k], 2 + k, 1);
        grid->addWidget(m_last[k], 2 + k, 2);
        grid->addWidget(m_start[k], 2 + k, 3);
        grid->addWidget(m_end[k], 2 + k, 4);
    }
    grid->setRowStretch(10, 1);
    connect(m_limited, &QCheckBox::clicked, this, [this](bool on) {
        SetModified(true);
        m_settings.displayLimitedRange = on ? 1 : 0;
        enableEdits();
    });
}

void CSpectrometerPropertyPageDisplayedRange::enableEdits()
{
    // Greyed boxes keep their values: the apply stores them all the same.
    const bool on = m_settings.displayLimitedRange != 0;
    for (int k = 0; k < 8; ++k) {
        m_start[k]->setEnabled(on);
        m_end[k]->setEnabled(on);
    }
}

bool CSpectrometerPropertyPageDisplayedRange::OnInitDialog()
{
    m_limited->setChecked(m_settings.displayLimitedRange != 0);
    for (int k = 0; k < 8; ++k) {
        const SpectrometerChannelSettings& c = m_settings.channels[k];
        m_first[k]->setText(QString::fromStdString(app::text::formatC("%.2f", c.firstPixelNm)));
        m_last[k]->setText(QString::fromStdString(app::text::formatC("%.2f", c.lastPixelNm)));
        m_start[k]->display(c.displayStart);
        m_end[k]->display(c.displayEnd);
    }
    enableEdits();
    return true;
}
