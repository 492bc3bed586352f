#include "app/dialogs/TimeAcquisitionConfigurationDialog.h"

#include "platform/framework/ControlIds.h"
#include "platform/qt/UiServices.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdio>

using namespace app::dialogs;
using namespace app::spectrum;
using platform::framework::setControlId;

namespace {

namespace time_config_id {
constexpr unsigned kStream = 1487;
constexpr unsigned kShowValues = 1498;
constexpr unsigned kLogFrequency = 1519;
constexpr unsigned kFilename = 1486;
constexpr unsigned kBrowse = 1241;
constexpr unsigned kSaveFullSpectrum = 1530;
constexpr unsigned kSaveEvery = 1215;
constexpr unsigned kContinue = 1499;
constexpr unsigned kInitialDelay = 1489;
constexpr unsigned kFrequency = 1490;
constexpr unsigned kDuration = 1488;
// Hours, Minutes, Seconds, Milliseconds of the three groups.
constexpr unsigned kUnitIds[3][4] = {
    {1492, 1246, 1494, 1502}, {1495, 1496, 1497, 1503}, {1242, 1243, 1491, 1493}};
} // namespace time_config_id

constexpr const char* kUnitNames[4] = {"Hours", "Minutes", "Seconds", "Milliseconds"};

std::string decimal(uint32_t value)
{
    // "%d" of the stored value, as the dialog always showed it.
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}

} // namespace

CTimeAcquisitionConfigurationDialog::CTimeAcquisitionConfigurationDialog(QWidget* parent)
    : ValueDialog(184, "Time Acquisition Configuration", parent)
{
    auto* layout = new QVBoxLayout(this);
    m_stream = new QCheckBox(QStringLiteral("Stream &Data to Disk"), this);
    auto* showValues = new QCheckBox(QStringLiteral("Show Values in &Status Bar"), this);
    m_logFrequencyEdit = new QLineEdit(this);
    auto* filename = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    auto* fullSpectrum =
        new QCheckBox(QStringLiteral("&Save Full Spectrum with Each Acquisition"), this);
    m_every = new QCheckBox(QStringLiteral("Save Every &Acquisition"), this);
    m_continue = new QCheckBox(QStringLiteral("Continue Until &Manually Stopped"), this);
    auto* initialDelay = new QLineEdit(this);
    m_frequencyEdit = new QLineEdit(this);
    m_durationEdit = new QLineEdit(this);
    setControlId(m_stream, time_config_id::kStream);
    setControlId(showValues, time_config_id::kShowValues);
    setControlId(m_logFrequencyEdit, time_config_id::kLogFrequency);
    setControlId(filename, time_config_id::kFilename);
    setControlId(browse, time_config_id::kBrowse);
    setControlId(fullSpectrum, time_config_id::kSaveFullSpectrum);
    setControlId(m_every, time_config_id::kSaveEvery);
    setControlId(m_continue, time_config_id::kContinue);
    setControlId(initialDelay, time_config_id::kInitialDelay);
    setControlId(m_frequencyEdit, time_config_id::kFrequency);
    setControlId(m_durationEdit, time_config_id::kDuration);

    layout->addWidget(m_stream);
    layout->addWidget(showValues);
    auto* logRow = new QHBoxLayout();
    logRow->addWidget(new QLabel(QStringLiteral("Write Data to Disk Every"), this));
    logRow->addWidget(m_logFrequencyEdit);
    logRow->addWidget(new QLabel(QStringLiteral("Acquisitions"), this));
    layout->addLayout(logRow);
    auto* fileRow = new QHBoxLayout();
    fileRow->addWidget(new QLabel(QStringLiteral("Stream and\nAutosave\nFilename"), this));
    fileRow->addWidget(filename);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);
    layout->addWidget(fullSpectrum);
    layout->addWidget(m_every);
    layout->addWidget(m_continue);

    auto* groups = new QHBoxLayout();
    const char* titles[3] = {"Initial Delay", "Frequency", "Duration"};
    QLineEdit* edits[3] = {initialDelay, m_frequencyEdit, m_durationEdit};
    for (int g = 0; g < 3; ++g) {
        auto* box = new QGroupBox(QString::fromUtf8(titles[g]), this);
        auto* column = new QVBoxLayout(box);
        column->addWidget(edits[g]);
        for (int u = 0; u < 4; ++u) {
            // Radio-style buttons that the dialog checks itself, one group each.
            auto* button = new QRadioButton(QString::fromUtf8(kUnitNames[u]), box);
            button->setAutoExclusive(false);
            setControlId(button, time_config_id::kUnitIds[g][u]);
            column->addWidget(button);
            m_units[g][u] = button;
            connect(button, &QRadioButton::clicked, this, [this, g, u] { setUnit(g, u); });
        }
        groups->addWidget(box);
    }
    layout->addLayout(groups);
    addOkCancel(layout);

    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    for (QCheckBox* box : {m_stream, m_every, m_continue})
        connect(box, &QCheckBox::clicked, this, [this] { updateEnables(); });
}

void CTimeAcquisitionConfigurationDialog::fill(const TimeAcquisitionSettings& s)
{
    m_continueUntilManuallyStopped = s.ContinueUntilManuallyStopped != 0 ? 1 : 0;
    m_duration = decimal(s.Duration);
    m_filename = timeFilename(s);
    m_frequency = decimal(s.Frequency);
    m_initialDelay = decimal(s.InitialDelay);
    m_saveEveryAcquisition = s.SaveEveryAcquisition != 0 ? 1 : 0;
    m_streamDataToDisk = s.StreamDataToDisk != 0 ? 1 : 0;
    m_showValuesInStatusBar = s.ShowValuesInStatusBar != 0 ? 1 : 0;
    m_saveFullSpectrum = s.SaveFullSpectrum != 0 ? 1 : 0;
    m_logFrequency = s.LogFrequency;
    m_initialDelayUnit = s.InitialDelayUnit;
    m_frequencyUnit = s.FrequencyUnit;
    m_durationUnit = s.DurationUnit;
}

void CTimeAcquisitionConfigurationDialog::storeInto(TimeAcquisitionSettings& s) const
{
    // Text that is not a number reads 0, as the decimal conversion always gave.
    const auto number = [](const std::string& text) {
        return static_cast<uint32_t>(readInteger(text));
    };
    s.ContinueUntilManuallyStopped = m_continueUntilManuallyStopped;
    s.SaveEveryAcquisition = m_saveEveryAcquisition;
    s.StreamDataToDisk = m_streamDataToDisk;
    s.ShowValuesInStatusBar = m_showValuesInStatusBar;
    setTimeFilename(s, m_filename);
    s.InitialDelay = number(m_initialDelay);
    s.Duration = number(m_duration);
    s.Frequency = number(m_frequency);
    s.InitialDelayUnit = static_cast<uint16_t>(m_initialDelayUnit);
    s.FrequencyUnit = static_cast<uint16_t>(m_frequencyUnit);
    s.DurationUnit = static_cast<uint16_t>(m_durationUnit);
    s.LogFrequency = static_cast<uint32_t>(m_logFrequency);
    s.SaveFullSpectrum = m_saveFullSpectrum;
}

bool CTimeAcquisitionConfigurationDialog::OnInitDialog()
{
    ValueDialog::OnInitDialog();
    const int codes[3] = {m_initialDelayUnit, m_frequencyUnit, m_durationUnit};
    for (int g = 0; g < 3; ++g)
        for (int u = 0; u < 4; ++u)
            m_units[g][u]->setChecked(codes[g] == u);
    updateEnables();
    return true;
}

void CTimeAcquisitionConfigurationDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.check(time_config_id::kContinue, m_continueUntilManuallyStopped);
    exchange.text(time_config_id::kDuration, m_duration);
    exchange.text(time_config_id::kFilename, m_filename);
    exchange.text(time_config_id::kFrequency, m_frequency);
    exchange.text(time_config_id::kInitialDelay, m_initialDelay);
    exchange.check(time_config_id::kSaveEvery, m_saveEveryAcquisition);
    exchange.check(time_config_id::kStream, m_streamDataToDisk);
    exchange.check(time_config_id::kShowValues, m_showValuesInStatusBar);
    exchange.check(time_config_id::kSaveFullSpectrum, m_saveFullSpectrum);
    exchange.integer(time_config_id::kLogFrequency, m_logFrequency, ValueRange{0, 4294967295LL});
}

void CTimeAcquisitionConfigurationDialog::setUnit(int group, int code)
{
    for (int u = 0; u < 4; ++u)
        m_units[group][u]->setChecked(u == code);
    (group == 0 ? m_initialDelayUnit : group == 1 ? m_frequencyUnit : m_durationUnit) = code;
}

void CTimeAcquisitionConfigurationDialog::updateEnables()
{
    const bool stream = m_stream->isChecked();
    const bool manual = m_continue->isChecked();
    const bool every = m_every->isChecked();
    m_logFrequencyEdit->setEnabled(stream);
    m_durationEdit->setEnabled(!manual);
    m_frequencyEdit->setEnabled(!every);
    for (int u = 0; u < 4; ++u) {
        m_units[2][u]->setEnabled(!manual);
        m_units[1][u]->setEnabled(!every);
    }
}

void CTimeAcquisitionConfigurationDialog::OnBrowse()
{
    platform::qt::FileDialogRequest request;
    request.open = false;
    request.title = "Select Time Acquisition Data File";
    request.filters = {{"Time Acquisition Data Files (*.time)", "*.time"},
                       {"All Files (*.*)", "*.*"}};
    request.defaultExtension = "time";
    request.hideReadOnly = true;
    request.overwritePrompt = true;
    request.owner = this;
    const auto chosen = platform::qt::uiServices().fileDialog(request);
    if (!chosen || chosen->paths.empty())
        return;
    std::string path = chosen->paths.front();
    const auto dot = path.find_last_of("./");
    if (dot != std::string::npos && path[dot] == '.' && path.substr(dot + 1) == "tim")
        path += "e";
    // Keep what was typed into the other controls; show the chosen path.
    UpdateData(true);
    m_filename = path;
    UpdateData(false);
}
