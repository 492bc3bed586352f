#include "app/automation/I_SpecCursor.h"

#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"

#include <algorithm>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace platform::chart;

namespace {

constexpr int kMaxPrecision = 10;
// The overlay read-out looks at no more than this many points of a slot.
constexpr int kOverlayPointsSearched = 2048;

bool cursorValidChannel(int channel)
{
    return channel >= 0 && channel < kSpectrumChannels;
}

// The cursor's trace and pixel when both can index the document's arrays.
bool cursorInRange(View& view)
{
    return cursorValidChannel(view.cursorChannel()) && view.cursorPixel() >= 0 &&
           view.cursorPixel() < kSpectrumPoints;
}

double cursorWavelength(View& view)
{
    return view.document().spectra().wavelengths[view.cursorChannel()][view.cursorPixel()];
}

} // namespace

const DispatchTable& I_SpecCursor::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecCursor;
        DispatchBinder<C> b;
        b.property("LinePattern", &C::GetLinePattern, &C::SetLinePattern)
            .property("LineWidth", &C::GetLineWidth, &C::SetLineWidth)
            .property("LineColor", &C::GetLineColor, &C::SetLineColor)
            .property("Precision", &C::GetPrecision, &C::SetPrecision)
            .property("LimitToDisplay", &C::GetLimitToDisplay, &C::SetLimitToDisplay)
            .property("Pixel", &C::GetPixel, &C::SetPixel)
            .property("ActiveTrace", &C::GetActiveTrace, &C::SetActiveTrace)
            .property("Enabled", &C::GetEnabled, &C::SetEnabled);
        addWindowMembers(b);
        b.method("GetIntensity", &C::GetIntensity, {"channel"})
            .method("GetOverlayIntensity", &C::GetOverlayIntensity, {"slot"})
            .method("GetWavelength", &C::GetWavelength)
            .method("GetCursorText", &C::GetCursorText)
            .method("ShowConfigurationDialog", &C::ShowConfigurationDialog)
            .method("LittleLeft", &C::LittleLeft)
            .method("LittleRight", &C::LittleRight)
            .method("BigLeft", &C::BigLeft)
            .method("BigRight", &C::BigRight)
            .method("PeakLeft", &C::PeakLeft)
            .method("PeakRight", &C::PeakRight);
        return b.table();
    }();
    return t;
}

int16_t I_SpecCursor::GetLinePattern()
{
    return onView(int16_t{0},
                  [](View& v) { return static_cast<int16_t>(v.cursorStyle().linePattern); });
}

void I_SpecCursor::SetLinePattern(int16_t value)
{
    withView([&](View& v) { v.cursorStyle().linePattern = value; });
}

int16_t I_SpecCursor::GetLineWidth()
{
    return onView(int16_t{0},
                  [](View& v) { return static_cast<int16_t>(v.cursorStyle().lineWidth); });
}

void I_SpecCursor::SetLineWidth(int16_t value)
{
    if (validLineWidth(value))
        withView([&](View& v) { v.cursorStyle().lineWidth = value; });
}

int32_t I_SpecCursor::GetLineColor()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.cursorStyle().lineColor); });
}

void I_SpecCursor::SetLineColor(int32_t value)
{
    withView([&](View& v) { v.cursorStyle().lineColor = static_cast<XrtColor>(value); });
}

int16_t I_SpecCursor::GetPrecision()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.cursorPrecision()); });
}

void I_SpecCursor::SetPrecision(int16_t value)
{
    // The read-out's number format takes 0 to 10 decimal places.
    if (value >= 0 && value <= kMaxPrecision)
        withView([&](View& v) { v.setCursorPrecision(value); });
}

bool I_SpecCursor::GetLimitToDisplay()
{
    return onView(false, [](View& v) { return v.cursorLimitToDisplay() != 0; });
}

void I_SpecCursor::SetLimitToDisplay(bool value)
{
    withView([&](View& v) { v.setCursorLimitToDisplay(value ? 1 : 0); });
}

int16_t I_SpecCursor::GetPixel()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.cursorPixel()); });
}

void I_SpecCursor::SetPixel(int16_t value)
{
    // The cursor runs over the target's pixels; the drawn cursor follows at its next update.
    withView([&](View& v) {
        if (value >= 0 && value < static_cast<int>(v.configuration().GetPixelCount()))
            v.setCursorPixel(value);
    });
}

int16_t I_SpecCursor::GetActiveTrace()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.cursorChannel()); });
}

void I_SpecCursor::SetActiveTrace(int16_t value)
{
    // The cursor update reads the channel of this number.
    if (cursorValidChannel(value))
        withView([&](View& v) { v.setCursorChannel(value); });
}

bool I_SpecCursor::GetEnabled()
{
    return onView(false, [](View& v) { return v.cursorShown() != 0; });
}

void I_SpecCursor::SetEnabled(bool value)
{
    withView([&](View& v) {
        SpectrumViewWindow& window = v.window();
        if (value) {
            v.setCursorShown(1);
            window.showCursorReadOutBar(v.cursorValuesInLegend() != 1);
            if (v.timeAcquisitionActive() || v.timeAcquisitionValuesInStatusBar() == 1)
                window.showCursorReadOutBar(true);
            v.UpdateCursor();
        } else {
            v.setCursorShown(0);
            if (!(v.timeAcquisitionActive() && v.timeAcquisitionValuesInStatusBar() == 1))
                window.showCursorReadOutBar(false);
        }
        XrtSetValues(v.chart(), {{kXrtMarkerAttach, 1},
                                 {kXrtMarkerHorizontalLine, 0},
                                 {kXrtMarkerStyle, v.cursorStyle()},
                                 {kXrtMarkerPoint, v.cursorPixel()},
                                 {kXrtMarkerShown, v.cursorShown()}});
        v.UpdateLegendLabels();
    });
}

double I_SpecCursor::GetIntensity(int16_t channel)
{
    if (!cursorValidChannel(channel))
        return 0.0;
    return onView(0.0, [&](View& v) {
        if (!cursorInRange(v))
            return 0.0;
        const ChannelSpectra& spectra = v.document().spectra();
        if (channel == v.cursorChannel())
            return spectra.processed[channel][v.cursorPixel()];
        const float wavelength = static_cast<float>(cursorWavelength(v));
        const int last =
            std::clamp(static_cast<int>(v.configuration().GetPixelCount()), 1, kSpectrumPoints) - 1;
        const int pixel = std::clamp(
            static_cast<int>(v.configuration().WavelengthToPixel(channel, wavelength)), 0, last);
        return spectra.processed[channel][pixel];
    });
}

double I_SpecCursor::GetOverlayIntensity(int16_t slot)
{
    if (slot < 0 || slot >= kOverlaySlots)
        return 0.0;
    return onView(0.0, [&](View& v) {
        if (!cursorInRange(v))
            return 0.0;
        const double wavelength = cursorWavelength(v);
        const OverlaySlots& overlays = v.document().overlays();
        const SpectrumArray& w = overlays.wavelengths[slot];
        int point = kOverlayPointsSearched - 1;
        for (int i = 0; i < kOverlayPointsSearched; ++i) {
            if (w[i] >= wavelength) {
                point = std::max(0, i - 1);
                break;
            }
        }
        return overlays.values[slot][point];
    });
}

double I_SpecCursor::GetWavelength()
{
    return onView(0.0, [](View& v) { return cursorInRange(v) ? cursorWavelength(v) : 0.0; });
}

std::string I_SpecCursor::GetCursorText()
{
    return onView(std::string(), [](View& v) { return v.cursorBarText(); });
}

void I_SpecCursor::command(unsigned id)
{
    withView([id](View& v) { v.OnCommand(id); });
}

void I_SpecCursor::ShowConfigurationDialog()
{
    command(app::res::ID_CURSOR_CONFIGURE);
}

void I_SpecCursor::LittleLeft()
{
    command(app::res::ID_CURSOR_LEFT);
}

void I_SpecCursor::LittleRight()
{
    command(app::res::ID_CURSOR_RIGHT);
}

void I_SpecCursor::BigLeft()
{
    command(app::res::ID_CURSOR_BIG_LEFT);
}

void I_SpecCursor::BigRight()
{
    command(app::res::ID_CURSOR_BIG_RIGHT);
}

void I_SpecCursor::PeakLeft()
{
    command(app::res::ID_CURSOR_PEAK_LEFT);
}

void I_SpecCursor::PeakRight()
{
    command(app::res::ID_CURSOR_PEAK_RIGHT);
}
