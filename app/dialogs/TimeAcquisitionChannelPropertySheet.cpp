#include "app/dialogs/TimeAcquisitionChannelPropertySheet.h"

#include "app/dialogs/DataExchange.h"
#include "app/dialogs/DataExchangeRules.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include <algorithm>
#include <climits>
#include <cstdio>

using namespace app::dialogs;
using namespace app::spectrum;
using platform::framework::setControlId;

namespace {

namespace channel_sheet_id {
constexpr unsigned kEnabled = 1191;
constexpr unsigned kPlotted = 1192;
constexpr unsigned kRate = 1193;
constexpr unsigned kDac = 1194;
constexpr unsigned kWavelength = 1164;
constexpr unsigned kSpectrometerChannel = 1503;
constexpr unsigned kBandwidth = 1504;
constexpr unsigned kFirstChannel = 1505;
constexpr unsigned kFactor = 1506;
constexpr unsigned kOffset = 1507;
constexpr unsigned kRateBandwidth = 1508;
constexpr unsigned kOperation = 1509;
constexpr unsigned kSecondChannel = 1510;
} // namespace channel_sheet_id

constexpr const char* kSpectrometerChannels[] = {"Master",  "Slave 1", "Slave 2",
                                                 "Slave 3", "Slave 4", "Slave 5",
                                                 "Slave 6", "Slave 7", "USB-Mavrin Temperature"};
constexpr const char* kOperands[] = {"Channel A", "Channel B", "Channel C", "Channel D",
                                     "Channel E", "Channel F", "Combo 1"};
constexpr const char* kOperations[] = {"Add", "Subtract", "Multiply", "Divide"};

QString format(const char* pattern, double value)
{
    char text[400];
    std::snprintf(text, sizeof text, pattern, value);
    return QString::fromUtf8(text);
}

QLineEdit* edit(QWidget* page, unsigned control)
{
    auto* e = new QLineEdit(page);
    setControlId(e, control);
    return e;
}

QCheckBox* check(QWidget* page, const char* text, unsigned control)
{
    auto* c = new QCheckBox(QString::fromUtf8(text), page);
    setControlId(c, control);
    return c;
}

int channelSheetListIndex(uint32_t value, int count)
{
    return value < static_cast<uint32_t>(count) ? static_cast<int>(value) : -1;
}

uint32_t readIndex(const QComboBox* box)
{
    return static_cast<uint32_t>(std::max(box->currentIndex(), 0));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Channel page

CTimeAcquisitionChannelPropertyPage::CTimeAcquisitionChannelPropertyPage(
    unsigned templateId, const std::string& caption, const std::string& dacLabel,
    TimeChannelRecord& copy)
    : PropertyPage(templateId, caption), m_copy(copy)
{
    auto* form = new QFormLayout(this);
    m_enabled = check(this, "&Enabled", channel_sheet_id::kEnabled);
    m_plotted = check(this, "&Plotted", channel_sheet_id::kPlotted);
    m_channel = new QComboBox(this);
    setControlId(m_channel, channel_sheet_id::kSpectrometerChannel);
    fillComboBox(m_channel, kSpectrometerChannels);
    m_wavelength = edit(this, channel_sheet_id::kWavelength);
    m_bandwidth = edit(this, channel_sheet_id::kBandwidth);
    m_factor = edit(this, channel_sheet_id::kFactor);
    m_offset = edit(this, channel_sheet_id::kOffset);
    m_rate = check(this, "&Rate", channel_sheet_id::kRate);
    m_rateBandwidth = edit(this, channel_sheet_id::kRateBandwidth);
    m_dac = check(this, dacLabel.c_str(), channel_sheet_id::kDac);
    form->addRow(m_enabled);
    form->addRow(m_plotted);
    form->addRow(QStringLiteral("Spectrometer Channel"), m_channel);
    form->addRow(QStringLiteral("Wavelength (nm)"), m_wavelength);
    form->addRow(QStringLiteral("Bandwidth (pixels)"), m_bandwidth);
    form->addRow(QStringLiteral("Factor (multiply)"), m_factor);
    form->addRow(QStringLiteral("Offset (add)"), m_offset);
    form->addRow(m_rate);
    form->addRow(QStringLiteral("Rate Bandwidth (acquisitions)"), m_rateBandwidth);
    form->addRow(m_dac);
    // The rate controls are kept with their values but never shown.
    m_rate->hide();
    m_rateBandwidth->hide();
    form->labelForField(m_rateBandwidth)->hide();

    const auto changed = [this] { takeControls(); };
    connect(m_channel, &QComboBox::currentIndexChanged, this, changed);
    for (QCheckBox* box : {m_plotted, m_rate, m_dac})
        connect(box, &QCheckBox::clicked, this, changed);
    for (QLineEdit* e : {m_wavelength, m_bandwidth, m_factor, m_offset, m_rateBandwidth})
        connect(e, &QLineEdit::textChanged, this, changed);
    connect(m_enabled, &QCheckBox::clicked, this, [this](bool on) {
        takeControls();
        enableControls(on);
    });
}

bool CTimeAcquisitionChannelPropertyPage::OnInitDialog()
{
    m_filling = true;
    m_channel->setCurrentIndex(
        channelSheetListIndex(static_cast<uint32_t>(m_copy.SpectrometerChannel), 9));
    m_enabled->setChecked(m_copy.Enabled != 0);
    m_plotted->setChecked(m_copy.Plotted != 0);
    m_rate->setChecked(m_copy.RateOnly != 0);
    m_dac->setChecked(m_copy.DACEnabled != 0);
    m_factor->setText(format("%.3f", m_copy.Factor));
    m_offset->setText(format("%.3f", m_copy.Offset));
    m_wavelength->setText(format("%.3f", m_copy.Wavelength));
    m_bandwidth->setText(QString::number(m_copy.Bandwidth));
    m_rateBandwidth->setText(QString::number(m_copy.RateBandwidth));
    enableControls(m_copy.Enabled != 0);
    m_filling = false;
    return true;
}

void CTimeAcquisitionChannelPropertyPage::takeControls()
{
    // A page never shown has nothing typed in it: its copy stays as loaded.
    if (m_filling || !initialised())
        return;
    if (m_channel->currentIndex() >= 0)
        m_copy.SpectrometerChannel = m_channel->currentIndex();
    m_copy.Enabled = m_enabled->isChecked() ? 1 : 0;
    m_copy.Plotted = m_plotted->isChecked() ? 1 : 0;
    m_copy.RateOnly = m_rate->isChecked() ? 1 : 0;
    m_copy.DACEnabled = m_dac->isChecked() ? 1 : 0;
    m_copy.Factor = readDouble(m_factor->text().toStdString());
    m_copy.Offset = readDouble(m_offset->text().toStdString());
    m_copy.Wavelength = readDouble(m_wavelength->text().toStdString());
    const auto integer = [](const QLineEdit* e) {
        return static_cast<int32_t>(
            std::clamp<long long>(readInteger(e->text().toStdString()), INT32_MIN, INT32_MAX));
    };
    m_copy.Bandwidth = integer(m_bandwidth);
    m_copy.RateBandwidth = integer(m_rateBandwidth);
    SetModified(true);
}

void CTimeAcquisitionChannelPropertyPage::enableControls(bool on)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_channel, m_wavelength, m_bandwidth, m_factor, m_offset,
                                         m_plotted, m_rate, m_rateBandwidth, m_dac})
        w->setEnabled(on);
}

// ---------------------------------------------------------------------------------------
// Combination page

CTimeAcquisitionComboPropertyPage::CTimeAcquisitionComboPropertyPage(unsigned templateId,
                                                                     const std::string& caption,
                                                                     const std::string& dacLabel,
                                                                     bool offerCombo1,
                                                                     TimeComboRecord& copy)
    : PropertyPage(templateId, caption), m_copy(copy)
{
    auto* form = new QFormLayout(this);
    m_enabled = check(this, "&Enabled", channel_sheet_id::kEnabled);
    m_plotted = check(this, "&Plotted", channel_sheet_id::kPlotted);
    const std::span<const char* const> operands(kOperands, offerCombo1 ? 7 : 6);
    m_first = new QComboBox(this);
    setControlId(m_first, channel_sheet_id::kFirstChannel);
    fillComboBox(m_first, operands);
    m_operation = new QComboBox(this);
    setControlId(m_operation, channel_sheet_id::kOperation);
    fillComboBox(m_operation, kOperations);
    m_second = new QComboBox(this);
    setControlId(m_second, channel_sheet_id::kSecondChannel);
    fillComboBox(m_second, operands);
    m_factor = edit(this, channel_sheet_id::kFactor);
    m_offset = edit(this, channel_sheet_id::kOffset);
    m_rate = check(this, "&Rate", channel_sheet_id::kRate);
    m_rateBandwidth = edit(this, channel_sheet_id::kRateBandwidth);
    m_dac = check(this, dacLabel.c_str(), channel_sheet_id::kDac);
    form->addRow(m_enabled);
    form->addRow(m_plotted);
    form->addRow(QStringLiteral("First\nChannel"), m_first);
    form->addRow(QStringLiteral("\nOperation"), m_operation);
    form->addRow(QStringLiteral("Second\nChannel"), m_second);
    form->addRow(QStringLiteral("Factor (multiply)"), m_factor);
    form->addRow(QStringLiteral("Offset (add)"), m_offset);
    form->addRow(m_rate);
    form->addRow(QStringLiteral("Rate Bandwidth (acquisitions)"), m_rateBandwidth);
    form->addRow(m_dac);
    m_rate->hide();
    m_rateBandwidth->hide();
    form->labelForField(m_rateBandwidth)->hide();

    const auto changed = [this] { takeControls(); };
    for (QComboBox* box : {m_first, m_operation, m_second})
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    for (QCheckBox* box : {m_plotted, m_rate, m_dac})
        connect(box, &QCheckBox::clicked, this, changed);
    for (QLineEdit* e : {m_factor, m_offset, m_rateBandwidth})
        connect(e, &QLineEdit::textChanged, this, changed);
    connect(m_enabled, &QCheckBox::clicked, this, [this](bool on) {
        takeControls();
        enableControls(on);
    });
}

bool CTimeAcquisitionComboPropertyPage::OnInitDialog()
{
    m_filling = true;
    m_first->setCurrentIndex(channelSheetListIndex(m_copy.FirstChannel, m_first->count()));
    m_operation->setCurrentIndex(channelSheetListIndex(m_copy.Operation, 4));
    m_second->setCurrentIndex(channelSheetListIndex(m_copy.SecondChannel, m_second->count()));
    m_enabled->setChecked(m_copy.Enabled != 0);
    m_plotted->setChecked(m_copy.Plotted != 0);
    m_rate->setChecked(m_copy.RateOnly != 0);
    m_dac->setChecked(m_copy.DACEnabled != 0);
    m_factor->setText(format("%.3g", m_copy.Factor));
    m_offset->setText(format("%.3g", m_copy.Offset));
    m_rateBandwidth->setText(QString::number(m_copy.RateBandwidth));
    enableControls(m_copy.Enabled != 0);
    m_filling = false;
    return true;
}

void CTimeAcquisitionComboPropertyPage::takeControls()
{
    // A page never shown has nothing typed in it: its copy stays as loaded.
    if (m_filling || !initialised())
        return;
    // A list with nothing selected keeps the stored value.
    if (m_first->currentIndex() >= 0)
        m_copy.FirstChannel = readIndex(m_first);
    if (m_operation->currentIndex() >= 0)
        m_copy.Operation = readIndex(m_operation);
    if (m_second->currentIndex() >= 0)
        m_copy.SecondChannel = readIndex(m_second);
    m_copy.Enabled = m_enabled->isChecked() ? 1 : 0;
    m_copy.Plotted = m_plotted->isChecked() ? 1 : 0;
    m_copy.RateOnly = m_rate->isChecked() ? 1 : 0;
    m_copy.DACEnabled = m_dac->isChecked() ? 1 : 0;
    m_copy.Factor = readDouble(m_factor->text().toStdString());
    m_copy.Offset = readDouble(m_offset->text().toStdString());
    m_copy.RateBandwidth = static_cast<uint32_t>(std::clamp<long long>(
        readInteger(m_rateBandwidth->text().toStdString()), INT32_MIN, INT32_MAX));
    SetModified(true);
}

void CTimeAcquisitionComboPropertyPage::enableControls(bool on)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_first, m_operation, m_second, m_factor, m_offset,
                                         m_plotted, m_rate, m_rateBandwidth, m_dac})
        w->setEnabled(on);
}

// ---------------------------------------------------------------------------------------
// Sheet

CTimeAcquisitionChannelPropertySheet::CTimeAcquisitionChannelPropertySheet(const Channels& channels,
                                                                           const Combos& combos,
                                                                           ApplyFunction apply,
                                                                           QWidget* parent)
    : PropertySheet("Time Acquisition Channel Configuration", parent), m_channels(channels),
      m_combos(combos), m_apply(std::move(apply))
{
    const unsigned channelTemplates[6] = {162, 165, 163, 166, 164, 167};
    for (int k = 0; k < 6; ++k) {
        m_channelPages[k] = std::make_unique<CTimeAcquisitionChannelPropertyPage>(
            channelTemplates[k], std::string("Channel ") + static_cast<char>('A' + k),
            "Enable &D/A Output (Channel " + std::to_string(k) + ")", m_channels[k]);
        AddPage(m_channelPages[k].get());
    }
    const unsigned comboTemplates[2] = {168, 170};
    for (int k = 0; k < 2; ++k) {
        m_comboPages[k] = std::make_unique<CTimeAcquisitionComboPropertyPage>(
            comboTemplates[k], "Combination " + std::to_string(k + 1),
            "Enable &D/A Output (Channel " + std::to_string(6 + k) + ")", k == 1, m_combos[k]);
        AddPage(m_comboPages[k].get());
    }
}

CTimeAcquisitionChannelPropertySheet::~CTimeAcquisitionChannelPropertySheet()
{
    // The pages go before the sheet's tab widget would delete them.
    for (auto& page : m_channelPages)
        page.reset();
    for (auto& page : m_comboPages)
        page.reset();
}

void CTimeAcquisitionChannelPropertySheet::OnApplySteps()
{
    ApplyToView();
}

void CTimeAcquisitionChannelPropertySheet::ApplyToView()
{
    if (m_apply)
        m_apply(m_channels, m_combos);
    for (int i = 0; i < GetPageCount(); ++i)
        GetPage(i)->SetModified(false);
}
