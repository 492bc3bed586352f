#include "app/dialogs/TrevanFeaturesDialog.h"

#include "app/dialogs/TrevanFeatureTexts.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

namespace {

constexpr unsigned kHighCount = 1598;
constexpr unsigned kLowCount = 1599;
constexpr unsigned kStrobeBase = 1604;
constexpr unsigned kStrobeClock = 1605;
constexpr unsigned kTriggerDelay = 1611;
constexpr unsigned kAnalogOut = 1647;
constexpr unsigned kInterval = 1649;
// The alternate-function row: pin 0 is 1614, pins 1 to 9 are 1618 to 1626.
constexpr unsigned alternateId(int pin)
{
    return pin == 0 ? 1614u : 1617u + static_cast<unsigned>(pin);
}
constexpr unsigned kOutputRow = 1627;
constexpr unsigned kValueRow = 1637;

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

} // namespace

CTrevanFeaturesDialog::CTrevanFeaturesDialog(FeaturesDialogOwner& owner, DialogDriver& driver,
                                             QWidget* parent)
    : QDialog(parent), m_owner(owner), m_driver(driver)
{
    setWindowTitle(QStringLiteral("Trevan Features"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto spin = [this](unsigned id, int maximum) {
        auto* box = new QSpinBox(this);
        box->setRange(0, maximum);
        setControlId(box, id);
        return box;
    };
    auto label = [this](unsigned id) {
        auto* l = new QLabel(this);
        if (id != 0)
            setControlId(l, id);
        return l;
    };
    auto row = [this](QGridLayout* grid, int r, const char* caption, QWidget* control) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), this), r, 0);
        grid->addWidget(control, r, 1);
    };

    auto* single = new QGroupBox(QStringLiteral("Single Strobe Timing"), this);
    auto* singleGrid = new QGridLayout(single);
    m_highBox = spin(kHighCount, 65535);
    m_lowBox = spin(kLowCount, 65535);
    m_highTimeText = label(1601);
    m_lowTimeText = label(1602);
    m_singleWarningText = label(1603);
    m_singleWarningText->setWordWrap(true);
    row(singleGrid, 0, "High Transition Delay Counter", m_highBox);
    row(singleGrid, 1, "Low Transition Delay Counter", m_lowBox);
    row(singleGrid, 2, "SS High Time", m_highTimeText);
    row(singleGrid, 3, "SS Low Time", m_lowTimeText);
    singleGrid->addWidget(m_singleWarningText, 4, 0, 1, 2);
    layout->addWidget(single);

    auto* continuous = new QGroupBox(QStringLiteral("Continuous Strobe Timing"), this);
    auto* continuousGrid = new QGridLayout(continuous);
    m_baseBox = spin(kStrobeBase, 65535);
    m_clockBox = spin(kStrobeClock, 65535);
    m_baseTimeText = label(1608);
    m_strobeTimeText = label(1609);
    m_continuousWarningText = label(1610);
    m_continuousWarningText->setWordWrap(true);
    row(continuousGrid, 0, "Base Clock Divisor", m_baseBox);
    row(continuousGrid, 1, "Strobe Divisor", m_clockBox);
    row(continuousGrid, 2, "CS Base Time", m_baseTimeText);
    row(continuousGrid, 3, "Strobe Time", m_strobeTimeText);
    continuousGrid->addWidget(m_continuousWarningText, 4, 0, 1, 2);
    layout->addWidget(continuous);

    auto* trigger = new QGroupBox(QStringLiteral("External Trigger"), this);
    auto* triggerGrid = new QGridLayout(trigger);
    m_delayBox = spin(kTriggerDelay, 65535);
    m_triggerTimeText = label(1613);
    row(triggerGrid, 0, "External Trigger Delay Counter", m_delayBox);
    row(triggerGrid, 1, "Ext Trig Time", m_triggerTimeText);
    layout->addWidget(trigger);

    auto* gpio = new QGroupBox(QStringLiteral("General Purpose Input/Output (GPIO)"), this);
    auto* gpioGrid = new QGridLayout(gpio);
    gpioGrid->addWidget(new QLabel(QStringLiteral("Alt. Function"), this), 1, 0);
    gpioGrid->addWidget(new QLabel(QStringLiteral("Pin is Output"), this), 2, 0);
    gpioGrid->addWidget(new QLabel(QStringLiteral("Value"), this), 3, 0);
    for (int pin = 0; pin < 10; ++pin) {
        gpioGrid->addWidget(new QLabel(QString::number(pin), this), 0, pin + 1);
        const unsigned ids[3] = {alternateId(pin), kOutputRow + static_cast<unsigned>(pin),
                                 kValueRow + static_cast<unsigned>(pin)};
        QCheckBox** rows[3] = {&m_alternateBoxes[pin], &m_outputBoxes[pin], &m_valueBoxes[pin]};
        for (int r = 0; r < 3; ++r) {
            auto* box = new QCheckBox(this);
            setControlId(box, ids[r]);
            *rows[r] = box;
            gpioGrid->addWidget(box, r + 1, pin + 1);
            const unsigned id = ids[r];
            connect(box, &QCheckBox::clicked, this, [this, id] { pinChanged(id); });
        }
    }
    layout->addWidget(gpio);

    auto* analog = new QGroupBox(QStringLiteral("Analog Input and Output"), this);
    auto* analogGrid = new QGridLayout(analog);
    m_analogOutBox = spin(kAnalogOut, 511);
    m_outputVoltsText = label(1616);
    m_analogInputText = label(1615);
    row(analogGrid, 0, "Analog Out Value", m_analogOutBox);
    row(analogGrid, 1, "Out Volts", m_outputVoltsText);
    row(analogGrid, 2, "Analog Input (counts - Volts)", m_analogInputText);
    layout->addWidget(analog);

    auto* intervalGrid = new QGridLayout();
    m_intervalBox = spin(kInterval, kMaxRefreshIntervalMs);
    row(intervalGrid, 0, "Screen Update Interval (msec)", m_intervalBox);
    layout->addLayout(intervalGrid);

    // Enter lands on a hidden default button and does nothing.
    auto* hiddenDefault = new QPushButton(QStringLiteral("**DEFAULT**"), this);
    setControlId(hiddenDefault, 1569);
    hiddenDefault->setDefault(true);
    hiddenDefault->hide();
    layout->addWidget(hiddenDefault);

    for (QSpinBox* box :
         {m_highBox, m_lowBox, m_baseBox, m_clockBox, m_delayBox, m_analogOutBox, m_intervalBox}) {
        const unsigned id = platform::framework::controlId(box);
        connect(box, &QSpinBox::valueChanged, this, [this, id] { countChanged(id); });
    }
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(kRefreshTimerId); });
}

CTrevanFeaturesDialog::~CTrevanFeaturesDialog()
{
    m_timer.stop();
}

bool CTrevanFeaturesDialog::Create()
{
    if (!OnInitDialog())
        return false;
    m_created = true;
    show();
    return true;
}

bool CTrevanFeaturesDialog::DestroyWindow()
{
    m_timer.stop();
    if (!m_created)
        return false;
    m_created = false;
    hide();
    deleteLater();
    return true;
}

void CTrevanFeaturesDialog::closeEvent(QCloseEvent* event)
{
    event->accept();
    DestroyWindow();
}

bool CTrevanFeaturesDialog::OnInitDialog()
{
    m_adcType = m_owner.configurationAdcType();
    restartTimer();
    m_singleStrobeHigh = m_driver.Trevan_GetSingleStrobeHigh();
    m_singleStrobeLow = m_driver.Trevan_GetSingleStrobeLow();
    m_strobeBase = m_driver.Trevan_GetContinuousStrobeBase();
    m_strobeClock = m_driver.Trevan_GetContinuousStrobeClock();
    // The UlmarADC interface has no trigger delay.
    if (m_adcType != VYK_ADC_ULMARADC)
        m_triggerDelay = m_driver.Trevan_GetHardwareTriggerDelay();
    m_highTime = millisecondsText(m_driver.Trevan_GetSingleStrobeHighTime());
    m_lowTime = millisecondsText(m_driver.Trevan_GetSingleStrobeLowTime());
    m_baseTime = millisecondsText(m_driver.Trevan_GetContinuousStrobeBaseTime());
    m_strobeTime = millisecondsText(m_driver.Trevan_GetContinuousStrobeTime());
    for (int pin = 0; pin < 10; ++pin) {
        m_alternate[pin] = m_driver.Trevan_GetGPIOPinMux(pin);
        m_output[pin] = m_driver.Trevan_GetGPIOPinIO(pin);
        m_value[pin] = m_driver.Trevan_GetGPIOPinData(pin);
    }
    UpdateData(false);
    return true;
}

void CTrevanFeaturesDialog::restartTimer()
{
    m_timer.stop();
    if (m_intervalMs != 0)
        m_timer.start(m_intervalMs);
}

void CTrevanFeaturesDialog::UpdateData(bool save)
{
    QSpinBox* boxes[] = {m_highBox,  m_lowBox,       m_baseBox,    m_clockBox,
                         m_delayBox, m_analogOutBox, m_intervalBox};
    int* fields[] = {&m_singleStrobeHigh, &m_singleStrobeLow, &m_strobeBase, &m_strobeClock,
                     &m_triggerDelay,     &m_analogOut,       &m_intervalMs};
    if (save) {
        for (size_t k = 0; k < std::size(boxes); ++k)
            *fields[k] = boxes[k]->value();
        for (int pin = 0; pin < 10; ++pin) {
            m_alternate[pin] = m_alternateBoxes[pin]->isChecked() ? 1 : 0;
            m_output[pin] = m_outputBoxes[pin]->isChecked() ? 1 : 0;
            m_value[pin] = m_valueBoxes[pin]->isChecked() ? 1 : 0;
        }
        return;
    }
    // Filling the controls is not a change by the user.
    m_filling = true;
    for (size_t k = 0; k < std::size(boxes); ++k)
        boxes[k]->setValue(*fields[k]);
    for (int pin = 0; pin < 10; ++pin) {
        m_alternateBoxes[pin]->setChecked(m_alternate[pin] != 0);
        m_outputBoxes[pin]->setChecked(m_output[pin] != 0);
        m_valueBoxes[pin]->setChecked(m_value[pin] != 0);
    }
    m_highTimeText->setText(text(m_highTime));
    m_lowTimeText->setText(text(m_lowTime));
    m_singleWarningText->setText(text(m_singleStrobeWarning));
    m_baseTimeText->setText(text(m_baseTime));
    m_strobeTimeText->setText(text(m_strobeTime));
    m_continuousWarningText->setText(text(m_continuousStrobeWarning));
    m_triggerTimeText->setText(text(m_triggerTime));
    m_outputVoltsText->setText(text(m_outputVolts));
    m_analogInputText->setText(text(m_analogInput));
    m_filling = false;
}

void CTrevanFeaturesDialog::updateContinuousStrobeWarning()
{
    m_continuousStrobeWarning =
        continuousStrobeWarning(static_cast<double>(m_driver.VYK_GetIntegrationTime()),
                                m_driver.Trevan_GetContinuousStrobeTime());
}

void CTrevanFeaturesDialog::countChanged(unsigned control)
{
    if (!m_created || m_filling)
        return;
    UpdateData(true);
    switch (control) {
    case kHighCount:
        m_driver.Trevan_SetSingleStrobeHigh(m_singleStrobeHigh);
        m_highTime = millisecondsText(m_driver.Trevan_GetSingleStrobeHighTime());
        m_singleStrobeWarning = singleStrobeWarning(m_singleStrobeHigh, m_singleStrobeLow);
        break;
    case kLowCount:
        m_driver.Trevan_SetSingleStrobeLow(m_singleStrobeLow);
        m_lowTime = millisecondsText(m_driver.Trevan_GetSingleStrobeLowTime());
        m_singleStrobeWarning = singleStrobeWarning(m_singleStrobeHigh, m_singleStrobeLow);
        break;
    case kStrobeBase:
        m_driver.Trevan_SetContinuousStrobeBase(m_strobeBase);
        m_baseTime = millisecondsText(m_driver.Trevan_GetContinuousStrobeBaseTime());
        updateContinuousStrobeWarning();
        break;
    case kStrobeClock:
        m_driver.Trevan_SetContinuousStrobeClock(m_strobeClock);
        m_strobeTime = millisecondsText(m_driver.Trevan_GetContinuousStrobeTime());
        updateContinuousStrobeWarning();
        break;
    case kTriggerDelay:
        m_driver.Trevan_SetHardwareTriggerDelay(m_triggerDelay);
        m_triggerTime = millisecondsText(m_driver.Trevan_GetHardwareTriggerDelayTime());
        updateContinuousStrobeWarning();
        break;
    case kAnalogOut:
        m_driver.Trevan_SetAnalogOutput(m_analogOut);
        m_outputVolts = outputVoltsText(m_analogOut);
        break;
    case kInterval:
        // Kept by the view for the next dialog it opens.
        m_owner.setFeaturesRefreshIntervalMs(m_intervalMs);
        restartTimer();
        break;
    default:
        break;
    }
    UpdateData(false);
}

void CTrevanFeaturesDialog::pinChanged(unsigned control)
{
    if (!m_created || m_filling)
        return;
    UpdateData(true);
    for (int pin = 0; pin < 10; ++pin) {
        if (control == alternateId(pin)) {
            if (m_alternate[pin] != 0)
                m_driver.Trevan_SetGPIOMuxAlt(pin);
            else
                m_driver.Trevan_SetGPIOMuxReg(pin);
        } else if (control == kOutputRow + static_cast<unsigned>(pin)) {
            if (m_output[pin] != 0)
                m_driver.Trevan_SetGPIOPinOutput(pin);
            else
                m_driver.Trevan_SetGPIOPinInput(pin);
        } else if (control == kValueRow + static_cast<unsigned>(pin)) {
            m_driver.Trevan_SetGPIOPinData(pin, m_value[pin] != 0 ? 1 : 0);
        }
    }
    UpdateData(false);
}

void CTrevanFeaturesDialog::OnTimer(int id)
{
    if (id != kRefreshTimerId || !m_created)
        return;
    const int count = m_driver.Trevan_ReadAnalogInput();
    m_analogInput = analogInputText(count);
    const int16_t levels = m_driver.Trevan_GetGPIODataReg();
    for (int pin = 0; pin < 10; ++pin)
        m_value[pin] = (levels >> pin) & 1;
    UpdateData(false);
}
