#include "app/dialogs/ChartDialogAdapters.h"

#include "app/dialogs/DialogNeighbours.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/windows/HarluneGraphView.h"
#include "platform/chart/Xrt.h"

#include <cstring>

namespace app::dialogs {

using platform::chart::XrtColor;
using platform::chart::XrtDataStyle;
using platform::chart::XrtHandle;

// Display sheet ---------------------------------------------------------------------------

XrtHandle SpectrumDisplayAdapter::chart()
{
    return m_view.chart();
}

XrtDataStyle& SpectrumDisplayAdapter::traceStyle(int trace)
{
    return m_view.traceStyle(trace);
}

// Properties sheet ------------------------------------------------------------------------

MainFramePreferences& SpectrumPropertiesAdapter::preferenceRecord()
{
    return m_mainFrame.preferenceRecord();
}

std::string SpectrumPropertiesAdapter::displaySettingsFile()
{
    return m_view.displaySettingsFile();
}

void SpectrumPropertiesAdapter::setDisplaySettingsFile(const std::string& name)
{
    m_view.setDisplaySettingsFile(name);
}

std::string SpectrumPropertiesAdapter::spectrometerFile()
{
    return m_view.configurationFile();
}

void SpectrumPropertiesAdapter::setSpectrometerFile(const std::string& name)
{
    m_view.setConfigurationFile(name);
}

std::string SpectrumPropertiesAdapter::timeAcquisitionFile()
{
    return m_view.timeAcquisitionFile();
}

void SpectrumPropertiesAdapter::setTimeAcquisitionFile(const std::string& name)
{
    m_view.setTimeAcquisitionFile(name);
}

double SpectrumPropertiesAdapter::GetScopeModeSaturationThreshold()
{
    return m_view.configuration().GetScopeModeSaturationThreshold();
}

void SpectrumPropertiesAdapter::SetScopeModeSaturationThreshold(double threshold)
{
    m_view.configuration().SetScopeModeSaturationThreshold(threshold);
}

void SpectrumPropertiesAdapter::playSoundAsync(const std::string& file)
{
    m_window.playSoundAsync(file);
}

// Spectrum view as chart owner ------------------------------------------------------------

namespace {

DialogFont dialogFont(const ChartFontSetting& font)
{
    return {font.face, font.height};
}

void store(ChartFontSetting& target, const DialogFont& font)
{
    target.face = font.face;
    target.height = font.size;
}

} // namespace

XrtHandle SpectrumChartOwnerAdapter::chart()
{
    return m_view.chart();
}

DialogFont SpectrumChartOwnerAdapter::titleFont()
{
    return dialogFont(m_view.titleFont());
}

void SpectrumChartOwnerAdapter::setTitleFont(const DialogFont& font)
{
    store(m_view.titleFont(), font);
}

DialogFont SpectrumChartOwnerAdapter::axisFont()
{
    return dialogFont(m_view.axisFont());
}

void SpectrumChartOwnerAdapter::setAxisFont(const DialogFont& font)
{
    store(m_view.axisFont(), font);
}

DialogFont SpectrumChartOwnerAdapter::legendFont()
{
    return dialogFont(m_view.legendFont());
}

void SpectrumChartOwnerAdapter::setLegendFont(const DialogFont& font)
{
    store(m_view.legendFont(), font);
}

int SpectrumChartOwnerAdapter::legendFloating()
{
    return m_view.legendFloating();
}

void SpectrumChartOwnerAdapter::setLegendFloating(int floating)
{
    m_view.setLegendFloating(floating);
}

void SpectrumChartOwnerAdapter::SetGraphTitle(const std::string& title)
{
    m_view.SetGraphTitle(title);
}

std::array<int, 2> SpectrumChartOwnerAdapter::clientSize()
{
    return m_clientSize ? m_clientSize() : std::array<int, 2>{0, 0};
}

ChartSpectrumOwner::Annotation SpectrumChartOwnerAdapter::annotation(int index)
{
    Annotation a;
    if (index < 0 || index >= CHarluneSpectrumView::kAnnotationRecords)
        return annotationDefaults();
    const CHarluneSpectrumView::AnnotationRecord& r = m_view.annotation(index);
    a.text = std::string(r.text, strnlen(r.text, sizeof r.text));
    a.font.face = std::string(r.font.lfFaceName, strnlen(r.font.lfFaceName, 32));
    a.font.size = r.font.lfHeight;
    a.color = r.color;
    return a;
}

ChartSpectrumOwner::Annotation SpectrumChartOwnerAdapter::annotationDefaults()
{
    Annotation a;
    a.font = dialogFont(m_view.annotationFont());
    a.color = m_view.annotationColor();
    return a;
}

void SpectrumChartOwnerAdapter::setAnnotationDefaults(const DialogFont& font, XrtColor color)
{
    // An empty face never replaces a set one.
    if (!font.face.empty())
        m_view.annotationFont().face = font.face;
    m_view.annotationFont().height = font.size;
    m_view.setAnnotationColor(color);
}

// Graph view as chart owner ---------------------------------------------------------------

XrtHandle GraphChartOwnerAdapter::chart()
{
    return m_view.chart();
}

int GraphChartOwnerAdapter::traces()
{
    return m_view.traces();
}

XrtDataStyle GraphChartOwnerAdapter::traceStyle(int trace)
{
    XrtDataStyle style;
    m_view.GetTraceStyle(trace, &style);
    return style;
}

std::string GraphChartOwnerAdapter::legendText(int trace)
{
    return m_view.GetLegendText(trace);
}

void GraphChartOwnerAdapter::setTraceLineColor(int trace, XrtColor color)
{
    m_view.SetTraceLineColor(trace, color);
}

void GraphChartOwnerAdapter::setTracePointColor(int trace, XrtColor color)
{
    m_view.SetTracePointColor(trace, color);
}

void GraphChartOwnerAdapter::setTraceLineStyle(int trace, int value)
{
    m_view.SetTraceLineStyle(trace, value);
}

void GraphChartOwnerAdapter::setTraceLineWidth(int trace, int value)
{
    m_view.SetTraceLineWidth(trace, value);
}

void GraphChartOwnerAdapter::setTracePointFillPattern(int trace, int value)
{
    m_view.SetTracePointFillPattern(trace, value);
}

void GraphChartOwnerAdapter::setTracePointSize(int trace, int value)
{
    m_view.SetTracePointSize(trace, value);
}

void GraphChartOwnerAdapter::setTracePointStyle(int trace, int value)
{
    m_view.SetTracePointStyle(trace, value);
}

void GraphChartOwnerAdapter::setLegendText(int trace, const std::string& text)
{
    m_view.SetLegendText(trace, text);
}

void GraphChartOwnerAdapter::setMainTitle(const std::string& text)
{
    m_view.SetMainTitle(text);
}

void GraphChartOwnerAdapter::setXTitle(const std::string& text)
{
    m_view.SetXTitle(text);
}

void GraphChartOwnerAdapter::setYTitle(const std::string& text)
{
    m_view.SetYTitle(text);
}

void GraphChartOwnerAdapter::repaint()
{
    m_view.RepaintIfEnabled();
}

DialogFont GraphChartOwnerAdapter::titleFont()
{
    const platform::chart::XrtFont font =
        platform::chart::XrtGetValue(m_view.chart(), platform::chart::kXrtHeaderFont).toFont();
    return {font.face, font.height};
}

void GraphChartOwnerAdapter::setTitleFont(const DialogFont&)
{
    // The graph keeps its title font in the chart alone; the dialog sets it there.
}

DialogFont GraphChartOwnerAdapter::axisFont()
{
    const platform::chart::XrtFont& font = m_view.axisTitleFont();
    return {font.face, font.height};
}

void GraphChartOwnerAdapter::setAxisFont(const DialogFont& font)
{
    m_view.setAxisTitleFont(platform::chart::XrtFont{font.face, font.size});
}

DialogFont GraphChartOwnerAdapter::legendFont()
{
    const platform::chart::XrtFont font =
        platform::chart::XrtGetValue(m_view.chart(), platform::chart::kXrtLegendFont).toFont();
    return {font.face, font.height};
}

void GraphChartOwnerAdapter::setLegendFont(const DialogFont& font)
{
    m_view.SetLegendFont(font.face, font.size);
}

int GraphChartOwnerAdapter::legendFloating()
{
    return m_view.GetLegendFloating() ? 1 : 0;
}

void GraphChartOwnerAdapter::setLegendFloating(int floating)
{
    m_view.SetLegendFloating(floating != 0);
}

std::array<int, 2> GraphChartOwnerAdapter::clientSize()
{
    return m_clientSize ? m_clientSize() : std::array<int, 2>{0, 0};
}

} // namespace app::dialogs
