#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/dialogs/ValueDialog.h"

#include <cstdint>
#include <string>

class QComboBox;
class QLineEdit;

namespace platform::chart {
class CColorPanel;
}

// "Configure Chart Traces" (dialog 214): a graph window's traces one at a time. Every change
// goes to the graph view at once (its per-trace setters), so OK has nothing left to apply and
// Cancel keeps what was changed. A graph without traces shows an empty list with the style
// controls disabled and sends nothing. GUI thread only.
class CConfigureChartTracesDialog : public app::dialogs::ValueDialog
{
public:
    CConfigureChartTracesDialog(app::dialogs::ChartGraphOwner& graph, QWidget* parent);

    int m_trace = 0;
    uint32_t m_lineColor = 0;
    uint32_t m_pointColor = 0;
    int m_lineStyle = -1;
    int m_lineWidth = -1;
    int m_pointStyle = -1;
    int m_pointSize = -1;
    int m_fillPattern = -1;
    std::string m_legendText;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;

private:
    void loadTrace(int trace);
    bool hasTrace() const;

    app::dialogs::ChartGraphOwner& m_graph;
    QComboBox* m_traces;
    platform::chart::CColorPanel* m_lineSwatch;
    platform::chart::CColorPanel* m_pointSwatch;
    QLineEdit* m_legend;
    bool m_filling = false;
};
