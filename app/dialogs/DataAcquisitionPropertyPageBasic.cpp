#include "app/dialogs/DataAcquisitionPropertyPageBasic.h"

#include "app/dialogs/DataExchange.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

namespace {

template <class T> T* withId(T* control, unsigned id)
{
    setControlId(control, id);
    return control;
}

} // namespace

CDataAcquisitionPropertyPageBasic::CDataAcquisitionPropertyPageBasic(
    DataAcquisitionSettings& settings)
    : PropertyPage(149, "Basic"), m_settings(settings)
{
    auto* grid = new QGridLayout(this);
    m_integrationLabel =
        withId(new QLabel(QStringLiteral("Integration Time (msec)"), this), id::kIntegrationLabel);
    m_integration = withId(new QLineEdit(this), id::kIntegration);
    m_averages = withId(new QLineEdit(this), id::kAverages);
    m_boxcar = withId(new QLineEdit(this), id::kBoxcar);
    m_microseconds =
        withId(new QCheckBox(QStringLiteral("Use usec Integration Time"), this), id::kMicroseconds);
    m_correctDark =
        withId(new QCheckBox(QStringLiteral("&Correct for Electrical Dark Signal"), this),
               id::kCorrectDark);
    m_singleThread = withId(new QCheckBox(QStringLiteral("Single-threaded Acquisition"), this),
                            id::kSingleThread);
    m_rotationLabel =
        withId(new QLabel(QStringLiteral("Brontel Channel Rotation"), this), id::kRotationLabel);
    m_rotation = withId(new QComboBox(this), id::kRotation);
    m_plusMode = withId(new QCheckBox(QStringLiteral("Plus-mode Rotation"), this), id::kPlusMode);
    fillComboBox(m_rotation, rotationNames());

    int row = 0;
    grid->addWidget(m_integrationLabel, row, 0);
    grid->addWidget(m_integration, row++, 1);
    grid->addWidget(m_microseconds, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Spectra to Average"), this), row, 0);
    grid->addWidget(m_averages, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Boxcar Smoothing Width"), this), row, 0);
    grid->addWidget(m_boxcar, row++, 1);
    grid->addWidget(m_correctDark, row++, 0, 1, 2);
    grid->addWidget(m_singleThread, row++, 0, 1, 2);
    grid->addWidget(m_rotationLabel, row, 0);
    grid->addWidget(m_rotation, row++, 1);
    grid->addWidget(m_plusMode, row++, 1);
    grid->setRowStretch(row, 1);

    connect(m_integration, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_filling)
            return;
        changed();
        // The value of the unit shown: microseconds while the switch is on.
        (m_settings.microsecondFlag == 1 ? m_settings.integrationUs : m_settings.integrationMs) =
            readInteger(text.toStdString());
    });
    connect(m_averages, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_filling)
            return;
        changed();
        m_settings.scansToAverage = readInteger(text.toStdString());
    });
    connect(m_boxcar, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_filling)
            return;
        changed();
        m_settings.boxcarWidth = readInteger(text.toStdString());
    });
    connect(m_correctDark, &QCheckBox::clicked, this, [this](bool on) {
        changed();
        m_settings.correctForDark = on ? 1 : 0;
    });
    connect(m_singleThread, &QCheckBox::clicked, this, [this](bool on) {
        changed();
        m_settings.singleThread = on ? 1 : 0;
    });
    connect(m_plusMode, &QCheckBox::clicked, this, [this](bool on) {
        changed();
        m_settings.plusMode = on ? 1 : 0;
    });
    connect(m_rotation, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || index < 0)
            return;
        changed();
        m_settings.rotationIndex = index;
    });
    connect(m_microseconds, &QCheckBox::clicked, this, [this](bool on) {
        changed();
        m_settings.microsecondFlag = on ? 1 : 0;
        showIntegration();
    });
}

void CDataAcquisitionPropertyPageBasic::showIntegration()
{
    const bool microseconds = m_settings.microsecondFlag == 1;
    m_filling = true;
    m_integration->setText(QString::fromStdString(integrationText(m_settings)));
    m_filling = false;
    m_integrationLabel->setText(
        QString::fromStdString(integrationLabel(m_settings.spectrometerType, microseconds)));
}

bool CDataAcquisitionPropertyPageBasic::OnInitDialog()
{
    m_filling = true;
    m_averages->setText(QString::number(m_settings.scansToAverage));
    m_boxcar->setText(QString::number(m_settings.boxcarWidth));
    m_microseconds->setChecked(m_settings.microsecondFlag != 0);
    m_microseconds->setEnabled(
        microsecondsAvailable(m_settings.spectrometerType, m_settings.adcType));
    m_correctDark->setChecked(m_settings.correctForDark != 0);
    m_rotation->setCurrentIndex(m_settings.rotationIndex >= 0 &&
                                        m_settings.rotationIndex < m_rotation->count()
                                    ? m_settings.rotationIndex
                                    : -1);
    m_plusMode->setChecked(m_settings.plusMode != 0);
    m_singleThread->setChecked(m_settings.singleThread != 0);
    const bool rotation = rotationShown(m_settings.adcType);
    m_rotation->setVisible(rotation);
    m_rotationLabel->setVisible(rotation);
    m_plusMode->setVisible(plusModeShown(m_settings.adcType));
    m_filling = false;
    showIntegration();
    return true;
}
