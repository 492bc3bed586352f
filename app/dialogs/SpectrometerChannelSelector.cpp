#include "app/dialogs/SpectrometerChannelSelector.h"

#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/ControlIds.h"

#include <QGridLayout>
#include <QRadioButton>

namespace {

constexpr unsigned kChannelButtonIds[8] = {1338, 1141, 1345, 1349, 1353, 1357, 1361, 1365};

} // namespace

SpectrometerChannelSelector::SpectrometerChannelSelector(QWidget* parent,
                                                         std::function<void(int)> chosen)
    : QGroupBox(QStringLiteral("Spectrometer Channel"), parent)
{
    auto* grid = new QGridLayout(this);
    const auto names = app::dialogs::channelNames();
    for (int k = 0; k < 8; ++k) {
        m_buttons[k] = new QRadioButton(QString::fromUtf8(names[k]), this);
        platform::framework::setControlId(m_buttons[k], kChannelButtonIds[k]);
        grid->addWidget(m_buttons[k], k % 4, k / 4);
        connect(m_buttons[k], &QRadioButton::clicked, this, [chosen, k] { chosen(k); });
    }
}

void SpectrometerChannelSelector::check(int channel)
{
    if (channel >= 0 && channel < 8)
        m_buttons[channel]->setChecked(true);
}
