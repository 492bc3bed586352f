#include "app/dialogs/ConfigureSpectrumGridDialog.h"

#include "app/dialogs/ColorField.h"
#include "app/dialogs/StyleLists.h"
#include "platform/chart/ColorPanel.h"
#include "platform/framework/ControlIds.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

CConfigureSpectrumGridDialog::CConfigureSpectrumGridDialog(QWidget* parent)
    : ValueDialog(200, "Configure Spectrum Grid", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_swatch = new platform::chart::CColorPanel(this);
    setControlId(m_swatch, 1167);
    m_swatch->setMinimumSize(48, 20);
    form->addRow(QStringLiteral("Line Color"), m_swatch);
    auto* style = new QComboBox(this);
    setControlId(style, 1165);
    fillComboBox(style, lineStyleNames());
    form->addRow(QStringLiteral("Line Style"), style);
    auto* width = new QComboBox(this);
    setControlId(width, 1166);
    fillComboBox(width, widthAndSizeNames());
    auto* widthLabel = new QLabel(QStringLiteral("Line Width"), this);
    form->addRow(widthLabel, width);
    widthLabel->hide();
    width->hide();
    layout->addLayout(form);
    addOkCancel(layout);
    attachColorField(m_swatch, [this](uint32_t color) { m_color = color; });
}

bool CConfigureSpectrumGridDialog::OnInitDialog()
{
    m_swatch->SetBackColor(m_color);
    UpdateData(false);
    return true;
}

void CConfigureSpectrumGridDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.comboIndex(1165, m_lineStyle);
    exchange.comboIndex(1166, m_lineWidth);
}
