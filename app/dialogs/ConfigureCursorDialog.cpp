#include "app/dialogs/ConfigureCursorDialog.h"

#include "app/dialogs/ColorField.h"
#include "app/dialogs/SmallDialogIds.h"
#include "app/dialogs/StyleLists.h"
#include "platform/chart/ColorPanel.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::chart::CColorPanel;
using platform::framework::findControl;
using platform::framework::setControlId;

namespace {

// The group box around the display-option buttons has no id of its own in the dialog.
constexpr const char* kDisplayOptionGroup = "displayOptionGroup";

QComboBox* listBox(QWidget* parent, unsigned id, std::span<const char* const> entries)
{
    auto* box = new QComboBox(parent);
    setControlId(box, id);
    fillComboBox(box, entries);
    return box;
}

} // namespace

CConfigureCursorDialog::CConfigureCursorDialog(QWidget* parent)
    : ValueDialog(176, "Configure Cursor", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    auto* swatch = new CColorPanel(this);
    setControlId(swatch, id::kCursorColor);
    swatch->setFixedSize(48, 20);
    form->addRow(QStringLiteral("Line Style"),
                 listBox(this, id::kCursorLineStyle, lineStyleNames()));
    form->addRow(QStringLiteral("Line Width"),
                 listBox(this, id::kCursorLineWidth, widthAndSizeNames()));
    form->addRow(QStringLiteral("Line Color"), swatch);
    form->addRow(QStringLiteral("Active Graph Trace"),
                 listBox(this, id::kCursorChannel, channelNames()));
    form->addRow(QStringLiteral("Displayed Precision"),
                 listBox(this, id::kCursorPrecision, widthAndSizeNames()));
    layout->addLayout(form);
    auto* limit = new QCheckBox(QStringLiteral("Limit Cursor to Displayed Wavelength Range"), this);
    auto* intensity = new QCheckBox(QStringLiteral("Show Intensity in Legend"), this);
    setControlId(limit, id::kCursorLimitRange);
    setControlId(intensity, id::kCursorShowIntensity);
    layout->addWidget(limit);
    layout->addWidget(intensity);

    auto* group = new QGroupBox(QStringLiteral("Cursor Display Option"), this);
    group->setObjectName(QString::fromLatin1(kDisplayOptionGroup));
    auto* groupLayout = new QVBoxLayout(group);
    auto* statusBar = new QRadioButton(QStringLiteral("Show Values in Status &Bar"), group);
    auto* separate = new QRadioButton(QStringLiteral("Show Values in Separate &Window"), group);
    setControlId(statusBar, id::kCursorStatusBar);
    setControlId(separate, id::kCursorSeparateWindow);
    groupLayout->addWidget(statusBar);
    groupLayout->addWidget(separate);
    layout->addWidget(group);
    // The option's buttons are part of the dialog but never shown.
    group->setVisible(false);
    addOkCancel(layout);

    attachColorField(swatch, [this](uint32_t color) { m_color = color; });
    connect(statusBar, &QRadioButton::clicked, this, [this] {
        m_displayOption = 1;
        checkDisplayOption();
    });
    connect(separate, &QRadioButton::clicked, this, [this] {
        m_displayOption = 0;
        checkDisplayOption();
    });
}

void CConfigureCursorDialog::checkDisplayOption()
{
    auto* statusBar = findControl<QRadioButton>(this, id::kCursorStatusBar);
    auto* separate = findControl<QRadioButton>(this, id::kCursorSeparateWindow);
    statusBar->setChecked(m_displayOption == 1);
    separate->setChecked(m_displayOption != 1);
}

bool CConfigureCursorDialog::OnInitDialog()
{
    checkDisplayOption();
    if (auto* swatch = findControl<CColorPanel>(this, id::kCursorColor))
        swatch->SetBackColor(m_color);
    UpdateData(false);
    return true;
}

void CConfigureCursorDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.comboIndex(id::kCursorLineStyle, m_lineStyle);
    exchange.comboIndex(id::kCursorLineWidth, m_lineWidth);
    exchange.comboIndex(id::kCursorChannel, m_channel);
    exchange.comboIndex(id::kCursorPrecision, m_precision);
    exchange.check(id::kCursorLimitRange, m_limitRange);
    exchange.check(id::kCursorShowIntensity, m_showIntensity);
}
