#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/chart/Xrt.h"

#include <cstdint>
#include <source_location>
#include <string>
#include <utility>

// The part the cursor, display, chart, legend, trace, overlay and annotation classes share:
// the target view with its chart, the silent path of the members that run without a guard,
// and the limits of the fields that script values go into. GUI thread only.
class SpectrumChartObject : public SpectrumAutomationObject
{
public:
    // Chart traces: the eight channels, then the eight overlay slots.
    static constexpr int kTraces = 16;
    // Fonts are rebuilt only for heights the display settings also take; line widths and
    // point sizes likewise.
    static constexpr int kMaxFontHeight = 400;
    static constexpr int kMaxLineWidth = 10;
    static constexpr int kMaxPointSize = 100;
    // Font face names are kept in 256-byte fields, legend texts in 255, file names in 260.
    static constexpr std::size_t kMaxFaceNameBytes = 255;
    static constexpr std::size_t kMaxLegendTextBytes = 254;
    static constexpr std::size_t kMaxPathBytes = 259;

protected:
    using SpectrumAutomationObject::SpectrumAutomationObject;

    static bool validFontHeight(int height) { return height >= 1 && height <= kMaxFontHeight; }
    static bool validLineWidth(int width) { return width >= 0 && width <= kMaxLineWidth; }
    static bool validTrace(int trace) { return trace >= 0 && trace < kTraces; }
    // The text cut to maxBytes without splitting a UTF-8 character.
    static std::string cut(const std::string& text, std::size_t maxBytes);
    // The chart's font for a face name and a height (every other field 0).
    static platform::chart::XrtFont chartFont(const ChartFontSetting& font);

    // Runs body(view) for a put; with no target, logs as onView.
    template <class F>
    void withView(F&& body, std::source_location where = std::source_location::current())
    {
        onView(
            false,
            [&](CHarluneSpectrumView& view) {
                std::forward<F>(body)(view);
                return true;
            },
            where);
    }

    // One chart property of the target view: read, and set (one property per call).
    int32_t chartInt(int id, std::source_location where = std::source_location::current());
    void setChartInt(int id, int32_t value,
                     std::source_location where = std::source_location::current());
    // The same set between the repaint switch's 0 and 1.
    void setChartIntHeld(int id, int32_t value,
                         std::source_location where = std::source_location::current());

    // The target view without a log line when there is none: for the members that run
    // without the guard.
    CHarluneSpectrumView* targetViewSilently();
};
