#include "app/automation/SpectrumChartObject.h"

#include "app/spectrum/WindowsPaths.h"

using namespace platform::chart;

std::string SpectrumChartObject::cut(const std::string& text, std::size_t maxBytes)
{
    return app::spectrum::cutAtCharacterBoundary(text, maxBytes);
}

XrtFont SpectrumChartObject::chartFont(const ChartFontSetting& font)
{
    XrtFont f;
    f.face = font.face;
    f.height = font.height;
    return f;
}

int32_t SpectrumChartObject::chartInt(int id, std::source_location where)
{
    return onView(
        int32_t{0},
        [&](CHarluneSpectrumView& view) {
            return static_cast<int32_t>(XrtGetValue(view.chart(), id).toInt());
        },
        where);
}

void SpectrumChartObject::setChartInt(int id, int32_t value, std::source_location where)
{
    withView([&](CHarluneSpectrumView& view) { XrtSetValues(view.chart(), {{id, value}}); }, where);
}

void SpectrumChartObject::setChartIntHeld(int id, int32_t value, std::source_location where)
{
    withView(
        [&](CHarluneSpectrumView& view) {
            XrtSetValues(view.chart(), {{kXrtRepaint, 0}});
            XrtSetValues(view.chart(), {{id, value}});
            XrtSetValues(view.chart(), {{kXrtRepaint, 1}});
        },
        where);
}

CHarluneSpectrumView* SpectrumChartObject::targetViewSilently()
{
    const uint32_t frame = m_selection.target();
    AutomationFrame* main = automationFrame();
    return frame != 0 && main ? main->spectrumView(frame) : nullptr;
}
