#include "app/dialogs/ChartDialogNeighbours.h"
#include "platform/chart/Xrt.h"

namespace app::dialogs {

namespace {

DialogChart& forwardingChart()
{
    static DialogChart chart;
    return chart;
}

DialogChart* g_chart = nullptr;

} // namespace

int DialogChart::setValue(platform::chart::XrtHandle chart, int id,
                          const platform::chart::XrtValue& value)
{
    return platform::chart::XrtSetValues(chart, {{id, value}});
}

platform::chart::XrtValue DialogChart::getValue(platform::chart::XrtHandle chart, int id)
{
    return platform::chart::XrtGetValue(chart, id);
}

int DialogChart::setNthDataStyle(platform::chart::XrtHandle chart, int set,
                                 const platform::chart::XrtDataStyle& style)
{
    return platform::chart::XrtSetNthDataStyle(chart, set, &style);
}

DialogChart& dialogChart()
{
    return g_chart != nullptr ? *g_chart : forwardingChart();
}

ScopedDialogChart::ScopedDialogChart(DialogChart& chart) : m_previous(g_chart)
{
    g_chart = &chart;
}

ScopedDialogChart::~ScopedDialogChart()
{
    g_chart = m_previous;
}

} // namespace app::dialogs
