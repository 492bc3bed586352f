#include "app/dialogs/DataAcquisitionPropertyPageTrigger.h"

#include "app/dialogs/DataExchange.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

CDataAcquisitionPropertyPageTrigger::CDataAcquisitionPropertyPageTrigger(
    DataAcquisitionSettings& settings)
    : PropertyPage(150, "External Trigger"), m_settings(settings)
{
    auto* layout = new QVBoxLayout(this);
    m_mode = new QComboBox(this);
    m_autosave = new QCheckBox(QStringLiteral("&Automatically save file on trigger"), this);
    setControlId(m_mode, id::kTriggerMode);
    setControlId(m_autosave, id::kAutosaveOnTrigger);
    layout->addWidget(new QLabel(QStringLiteral("External Trigger Mode"), this));
    layout->addWidget(m_mode);
    layout->addWidget(m_autosave);
    layout->addStretch();
    // The first four modes; "Long Int. Time Mode" joins them for UlmarADC when shown.
    fillComboBox(m_mode, triggerModeNames(VYK_ADC_NONE));

    connect(m_mode, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || index < 0)
            return;
        SetModified(true);
        m_settings.triggerMode = index;
    });
    connect(m_autosave, &QCheckBox::clicked, this, [this](bool on) {
        SetModified(true);
        m_settings.autosaveOnTrigger = on ? 1 : 0;
    });
}

bool CDataAcquisitionPropertyPageTrigger::OnInitDialog()
{
    m_filling = true;
    const auto names = triggerModeNames(m_settings.adcType);
    for (size_t k = static_cast<size_t>(m_mode->count()); k < names.size(); ++k)
        m_mode->addItem(QString::fromUtf8(names[k]));
    m_mode->setCurrentIndex(m_settings.triggerMode >= 0 && m_settings.triggerMode < m_mode->count()
                                ? m_settings.triggerMode
                                : -1);
    m_autosave->setChecked(m_settings.autosaveOnTrigger != 0);
    m_filling = false;
    return true;
}
