#include "app/dialogs/ConfigureAxisTextDialog.h"

#include "app/dialogs/ChartFontFields.h"
#include "app/dialogs/ColorField.h"
#include "platform/chart/ColorPanel.h"
#include "platform/chart/XrtProperties.h"
#include "platform/framework/ControlIds.h"
#include "toolkit/widgets/COXFontComboBox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace app::dialogs;
using namespace platform::chart;
using platform::framework::setControlId;

CConfigureAxisTextDialog::CConfigureAxisTextDialog(const ChartDialogParent& parent, QWidget* window)
    : ValueDialog(218, "Configure Axis Text", window), m_spectrum(parent.spectrumView),
      m_graph(parent.spectrumView != nullptr ? nullptr : parent.graphView)
{
    if (m_spectrum != nullptr)
        m_chart = m_spectrum->chart();
    else if (m_graph != nullptr)
        m_chart = m_graph->chart();

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_font = new ChartFontFields(this, 1564, 1565);
    form->addRow(QStringLiteral("Font"), m_font->faceBox());
    form->addRow(QStringLiteral("Size"), m_font->sizeBox());
    m_swatch = new CColorPanel(this);
    setControlId(m_swatch, 1556);
    m_swatch->setMinimumSize(48, 20);
    form->addRow(QStringLiteral("Text Color"), m_swatch);
    m_textLabel = new QLabel(QStringLiteral("Text"), this);
    setControlId(m_textLabel, 1568);
    m_textEdit = new QLineEdit(this);
    setControlId(m_textEdit, 1567);
    form->addRow(m_textLabel, m_textEdit);
    m_textLabel->hide();
    m_textEdit->hide();
    layout->addLayout(form);
    addOkCancel(layout);

    m_font->onChanged([this] { fontChanged(); });
    attachColorField(m_swatch, [this](uint32_t color) {
        if (!active())
            return;
        DialogChart& chart = dialogChart();
        chart.setValue(m_chart, kXrtRepaint, 0);
        chart.setValue(m_chart, titleMode() ? kXrtHeaderColor : kXrtForegroundColor, color);
        chart.setValue(m_chart, kXrtRepaint, 1);
    });
    connect(m_textEdit, &QLineEdit::textChanged, this, [this] {
        if (!m_filling)
            textChanged();
    });
}

bool CConfigureAxisTextDialog::titleMode() const
{
    return m_mode == 0;
}

bool CConfigureAxisTextDialog::active() const
{
    if (m_spectrum != nullptr)
        return true;
    return m_graph != nullptr && m_mode >= 0 && m_mode <= 2;
}

bool CConfigureAxisTextDialog::hasText() const
{
    return m_spectrum != nullptr ? m_mode == 0 : active();
}

DialogFont CConfigureAxisTextDialog::storedFont() const
{
    if (m_spectrum != nullptr)
        return titleMode() ? m_spectrum->titleFont() : m_spectrum->axisFont();
    if (m_graph != nullptr)
        return titleMode() ? m_graph->titleFont() : m_graph->axisFont();
    return {};
}

bool CConfigureAxisTextDialog::OnInitDialog()
{
    m_filling = true;
    if (m_chart != 0) {
        const int property = titleMode() ? kXrtHeaderColor : kXrtForegroundColor;
        m_swatch->SetBackColor(
            static_cast<uint32_t>(dialogChart().getValue(m_chart, property).toInt()));
    }
    m_textLabel->setVisible(hasText());
    m_textEdit->setVisible(hasText());
    const DialogFont font = storedFont();
    m_font->show(font.face, font.size);
    UpdateData(false);
    m_filling = false;
    return true;
}

void CConfigureAxisTextDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.text(1567, m_text);
    if (exchange.saving())
        m_sizeText = m_font->sizeText();
}

void CConfigureAxisTextDialog::fontChanged()
{
    if (!active())
        return;
    const DialogFont font{m_font->face(), m_font->size()};
    m_sizeText = m_font->sizeText();
    DialogChart& chart = dialogChart();
    chart.setValue(m_chart, kXrtRepaint, 0);
    // The chart keeps its own copy of the font; the owner keeps face and size.
    if (m_spectrum != nullptr) {
        if (titleMode())
            m_spectrum->setTitleFont(font);
        else
            m_spectrum->setAxisFont(font);
    } else if (titleMode()) {
        m_graph->setTitleFont(font);
    } else {
        m_graph->setAxisFont(font);
    }
    chart.setValue(m_chart, titleMode() ? kXrtHeaderFont : kXrtAxisFont,
                   XrtFont{font.face, font.size});
    chart.setValue(m_chart, kXrtRepaint, 1);
}

void CConfigureAxisTextDialog::textChanged()
{
    if (!hasText())
        return;
    UpdateData(true);
    if (m_spectrum != nullptr) {
        m_spectrum->SetGraphTitle(m_text);
        dialogChart().setValue(m_chart, kXrtRepaint, 1);
        return;
    }
    if (m_mode == 0)
        m_graph->setMainTitle(m_text);
    else if (m_mode == 1)
        m_graph->setXTitle(m_text);
    else
        m_graph->setYTitle(m_text);
    m_graph->repaint();
}
