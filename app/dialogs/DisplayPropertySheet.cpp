#include "app/dialogs/DisplayPropertySheet.h"

#include "platform/chart/XrtProperties.h"

using app::dialogs::DisplayStylePage;
using platform::chart::XrtDataStyle;

namespace {

void loadLine(DisplayStylePage& page, int row, const XrtDataStyle& style)
{
    page.value(row, DisplayStylePage::kStyle) = style.linePattern;
    page.value(row, DisplayStylePage::kWidthOrSize) = style.lineWidth;
    page.value(row, DisplayStylePage::kColor) = static_cast<int32_t>(style.lineColor);
}

void loadPoint(DisplayStylePage& page, int row, const XrtDataStyle& style)
{
    page.value(row, DisplayStylePage::kStyle) = style.pointStyle;
    page.value(row, DisplayStylePage::kColor) = static_cast<int32_t>(style.pointColor);
    page.value(row, DisplayStylePage::kFill) = style.fillPattern;
    page.value(row, DisplayStylePage::kWidthOrSize) = style.pointSize;
}

void storeInto(XrtDataStyle& style, DisplayStylePage& line, DisplayStylePage& point, int row)
{
    style.linePattern = line.value(row, DisplayStylePage::kStyle);
    style.lineWidth = line.value(row, DisplayStylePage::kWidthOrSize);
    style.lineColor = static_cast<uint32_t>(line.value(row, DisplayStylePage::kColor));
    style.pointStyle = point.value(row, DisplayStylePage::kStyle);
    style.pointColor = static_cast<uint32_t>(point.value(row, DisplayStylePage::kColor));
    style.fillPattern = point.value(row, DisplayStylePage::kFill);
    style.pointSize = point.value(row, DisplayStylePage::kWidthOrSize);
}

} // namespace

CDisplayPropertySheet::CDisplayPropertySheet(app::dialogs::DisplaySheetView& view, QWidget* parent)
    : PropertySheet("Display Properties", parent), m_view(view)
{
    AddPage(&m_activeLine);
    AddPage(&m_activePoint);
    AddPage(&m_staticLine);
    AddPage(&m_staticPoint);
    for (int i = 0; i < DisplayStylePage::kLoadedRows; ++i) {
        loadLine(m_activeLine, i, m_view.traceStyle(i));
        loadPoint(m_activePoint, i, m_view.traceStyle(i));
        loadLine(m_staticLine, i, m_view.traceStyle(8 + i));
        loadPoint(m_staticPoint, i, m_view.traceStyle(8 + i));
    }
}

void CDisplayPropertySheet::OnApplySteps()
{
    for (DisplayStylePage* page : {static_cast<DisplayStylePage*>(&m_activeLine),
                                   static_cast<DisplayStylePage*>(&m_activePoint),
                                   static_cast<DisplayStylePage*>(&m_staticLine),
                                   static_cast<DisplayStylePage*>(&m_staticPoint)})
        if (page->initialised())
            page->UpdateData(true);
    app::dialogs::DialogChart& chart = app::dialogs::dialogChart();
    const platform::chart::XrtHandle handle = m_view.chart();
    chart.setValue(handle, platform::chart::kXrtRepaint, 0);
    for (int i = 0; i < DisplayStylePage::kLoadedRows; ++i) {
        XrtDataStyle& record = m_view.traceStyle(i);
        storeInto(record, m_activeLine, m_activePoint, i);
        chart.setNthDataStyle(handle, i, record);
    }
    for (int i = 0; i < DisplayStylePage::kLoadedRows; ++i) {
        XrtDataStyle& record = m_view.traceStyle(8 + i);
        storeInto(record, m_staticLine, m_staticPoint, i);
        chart.setNthDataStyle(handle, 8 + i, record);
    }
    chart.setValue(handle, platform::chart::kXrtRepaint, 1);
}
