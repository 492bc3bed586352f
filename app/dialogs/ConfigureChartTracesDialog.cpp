#include "app/dialogs/ConfigureChartTracesDialog.h"

#include "app/dialogs/ColorField.h"
#include "app/dialogs/StyleLists.h"
#include "platform/chart/ColorPanel.h"
#include "platform/framework/ControlIds.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::findControl;
using platform::framework::setControlId;

namespace {

struct StyleCombo
{
    unsigned id;
    const char* label;
    std::span<const char* const> (*items)();
    int CConfigureChartTracesDialog::*field;
    void (ChartGraphOwner::*setter)(int, int);
};

const StyleCombo kStyleCombos[] = {
    {1165, "Line Style", lineStyleNames, &CConfigureChartTracesDialog::m_lineStyle,
     &ChartGraphOwner::setTraceLineStyle},
    {1166, "Line Width", widthAndSizeNames, &CConfigureChartTracesDialog::m_lineWidth,
     &ChartGraphOwner::setTraceLineWidth},
    {1550, "Point Style", pointStyleNames, &CConfigureChartTracesDialog::m_pointStyle,
     &ChartGraphOwner::setTracePointStyle},
    {1551, "Point Size", widthAndSizeNames, &CConfigureChartTracesDialog::m_pointSize,
     &ChartGraphOwner::setTracePointSize},
    {1552, "Point Fill Pattern", fillPatternNames, &CConfigureChartTracesDialog::m_fillPattern,
     &ChartGraphOwner::setTracePointFillPattern},
};

} // namespace

CConfigureChartTracesDialog::CConfigureChartTracesDialog(ChartGraphOwner& graph, QWidget* parent)
    : ValueDialog(214, "Configure Chart Traces", parent), m_graph(graph)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_traces = new QComboBox(this);
    setControlId(m_traces, 1549);
    form->addRow(QStringLiteral("Select Graph Trace"), m_traces);
    for (const StyleCombo& combo : kStyleCombos) {
        auto* box = new QComboBox(this);
        setControlId(box, combo.id);
        fillComboBox(box, combo.items());
        box->setCurrentIndex(-1);
        form->addRow(QString::fromUtf8(combo.label), box);
        connect(box, &QComboBox::currentIndexChanged, this, [this, &combo] {
            if (m_filling || !hasTrace())
                return;
            UpdateData(true);
            const int value = this->*combo.field;
            if (value >= 0)
                (m_graph.*combo.setter)(m_trace, value);
        });
        if (combo.id == 1166) {
            m_lineSwatch = new platform::chart::CColorPanel(this);
            setControlId(m_lineSwatch, 1167);
            m_lineSwatch->setMinimumSize(48, 20);
            form->addRow(QStringLiteral("Line Color"), m_lineSwatch);
        }
    }
    m_pointSwatch = new platform::chart::CColorPanel(this);
    setControlId(m_pointSwatch, 1554);
    m_pointSwatch->setMinimumSize(48, 20);
    form->addRow(QStringLiteral("Point Color"), m_pointSwatch);
    m_legend = new QLineEdit(this);
    setControlId(m_legend, 1553);
    form->addRow(QStringLiteral("Legend Text"), m_legend);
    layout->addLayout(form);
    addOkCancel(layout);

    connect(m_traces, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filling)
            return;
        UpdateData(true);
        loadTrace(m_traces->currentIndex());
    });
    attachColorField(m_lineSwatch, [this](uint32_t color) {
        if (!hasTrace())
            return;
        m_lineColor = color;
        m_graph.setTraceLineColor(m_trace, color);
    });
    attachColorField(m_pointSwatch, [this](uint32_t color) {
        if (!hasTrace())
            return;
        m_pointColor = color;
        m_graph.setTracePointColor(m_trace, color);
    });
    connect(m_legend, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_filling || !hasTrace())
            return;
        m_legendText = text.toStdString();
        m_graph.setLegendText(m_trace, m_legendText);
        m_graph.repaint();
    });
}

bool CConfigureChartTracesDialog::hasTrace() const
{
    return m_trace >= 0 && m_trace < m_graph.traces();
}

bool CConfigureChartTracesDialog::OnInitDialog()
{
    m_filling = true;
    const int traces = m_graph.traces();
    for (int n = 0; n < traces; ++n)
        m_traces->addItem(QStringLiteral("Trace %1").arg(n));
    m_filling = false;
    if (traces <= 0) {
        // Nothing to edit: the style controls stay disabled and nothing is sent.
        for (const StyleCombo& combo : kStyleCombos)
            findControl<QComboBox>(this, combo.id)->setEnabled(false);
        m_lineSwatch->setEnabled(false);
        m_pointSwatch->setEnabled(false);
        m_legend->setEnabled(false);
        return true;
    }
    m_filling = true;
    m_traces->setCurrentIndex(0);
    m_filling = false;
    loadTrace(0);
    return true;
}

void CConfigureChartTracesDialog::loadTrace(int trace)
{
    m_trace = trace;
    if (!hasTrace())
        return;
    const platform::chart::XrtDataStyle style = m_graph.traceStyle(trace);
    m_lineStyle = style.linePattern;
    m_lineWidth = style.lineWidth;
    m_pointStyle = style.pointStyle;
    m_pointSize = style.pointSize;
    m_fillPattern = style.fillPattern;
    m_lineColor = style.lineColor;
    m_pointColor = style.pointColor;
    m_legendText = m_graph.legendText(trace);
    m_filling = true;
    m_lineSwatch->SetBackColor(m_lineColor);
    m_pointSwatch->SetBackColor(m_pointColor);
    UpdateData(false);
    m_filling = false;
}

void CConfigureChartTracesDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.comboIndex(1549, m_trace);
    for (const StyleCombo& combo : kStyleCombos)
        exchange.comboIndex(combo.id, this->*combo.field);
    exchange.text(1553, m_legendText);
}
