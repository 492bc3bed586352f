#include "app/automation/I_SpecSpectrumToolbars.h"

#include "app/spectrum/WindowsPaths.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using Bars = SpectrumFrameBars;

const DispatchTable& I_SpecSpectrumToolbars::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpectrumToolbars;
        DispatchBinder<C> b;
        b.property("SpectrumControls", &C::GetSpectrumControls, &C::SetSpectrumControls)
            .property("CursorControls", &C::GetCursorControls, &C::SetCursorControls)
            .property("GraphScale", &C::GetGraphScale, &C::SetGraphScale)
            .property("SpectralViewMode", &C::GetSpectralViewMode, &C::SetSpectralViewMode)
            .property("TimeAcquisition", &C::GetTimeAcquisition, &C::SetTimeAcquisition)
            .property("AcquisitionParameters", &C::GetAcquisitionParameters,
                      &C::SetAcquisitionParameters)
            .property("USBMavrin", &C::GetUSBMavrin, &C::SetUSBMavrin)
            .property("CustomViewModeEnabled", &C::GetCustomViewModeEnabled,
                      &C::SetCustomViewModeEnabled)
            .property("CustomViewModeYMax", &C::GetCustomViewModeYMax, &C::SetCustomViewModeYMax)
            .property("CustomViewModeYMin", &C::GetCustomViewModeYMin, &C::SetCustomViewModeYMin)
            .property("CustomViewModeTitle", &C::GetCustomViewModeTitle, &C::SetCustomViewModeTitle)
            .property("CustomViewModeFileExtension", &C::GetCustomViewModeFileExtension,
                      &C::SetCustomViewModeFileExtension)
            .property("USBNorrel", &C::GetUSBNorrel, &C::SetUSBNorrel)
            .property("Quintar", &C::GetQuintar, &C::SetQuintar)
            .property("Xandel", &C::GetXandel, &C::SetXandel)
            .property("QuintarTextFontName", &C::GetQuintarTextFontName, &C::SetQuintarTextFontName)
            .property("QuintarTextFontSize", &C::GetQuintarTextFontSize, &C::SetQuintarTextFontSize)
            .property("QuintarTextColor", &C::GetQuintarTextColor, &C::SetQuintarTextColor)
            .property("QuintarTextBackgroundColor", &C::GetQuintarTextBackgroundColor,
                      &C::SetQuintarTextBackgroundColor)
            .property("QuintarTextText", &C::GetQuintarTextText, &C::SetQuintarTextText);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

bool I_SpecSpectrumToolbars::barVisible(unsigned id, std::source_location where)
{
    return onBars(
        false, [&](Bars& bars) { return bars.barVisible(id).value_or(false); }, where);
}

void I_SpecSpectrumToolbars::showBar(unsigned id, bool show, std::source_location where)
{
    onBars(
        false,
        [&](Bars& bars) {
            bars.showBar(id, show);
            return true;
        },
        where);
}

bool I_SpecSpectrumToolbars::GetCustomViewModeEnabled()
{
    return onView(false, [](View& v) { return v.customModeEnabled() != 0; });
}

void I_SpecSpectrumToolbars::SetCustomViewModeEnabled(bool value)
{
    withView([&](View& v) { v.setCustomModeEnabled(value ? 1 : 0); });
}

double I_SpecSpectrumToolbars::GetCustomViewModeYMax()
{
    return onView(0.0, [](View& v) { return v.customYMax(); });
}

void I_SpecSpectrumToolbars::SetCustomViewModeYMax(double value)
{
    withView([&](View& v) { v.setCustomRange(v.customYMin(), value); });
}

double I_SpecSpectrumToolbars::GetCustomViewModeYMin()
{
    return onView(0.0, [](View& v) { return v.customYMin(); });
}

void I_SpecSpectrumToolbars::SetCustomViewModeYMin(double value)
{
    withView([&](View& v) { v.setCustomRange(value, v.customYMax()); });
}

std::string I_SpecSpectrumToolbars::GetCustomViewModeTitle()
{
    return onView(std::string(), [](View& v) { return v.customTitle(); });
}

void I_SpecSpectrumToolbars::SetCustomViewModeTitle(const std::string& title)
{
    withView([&](View& v) {
        v.setCustomTitle(app::spectrum::cutAtCharacterBoundary(title, kMaxTitleBytes));
    });
}

std::string I_SpecSpectrumToolbars::GetCustomViewModeFileExtension()
{
    return onView(std::string(), [](View& v) { return v.customExtension(); });
}

void I_SpecSpectrumToolbars::SetCustomViewModeFileExtension(const std::string& extension)
{
    withView([&](View& v) { v.setCustomExtension(extension); });
}

std::string I_SpecSpectrumToolbars::GetQuintarTextFontName()
{
    return onBars(std::string(), [](Bars& b) { return b.labelFontName(); });
}

// The label refuses a name that does not fit its face field and keeps its font.
void I_SpecSpectrumToolbars::SetQuintarTextFontName(const std::string& face)
{
    onBars(false, [&](Bars& b) { return b.setLabelFontName(face, true); });
}

int32_t I_SpecSpectrumToolbars::GetQuintarTextFontSize()
{
    return onBars(int32_t{0}, [](Bars& b) { return b.labelFontHeight(); });
}

void I_SpecSpectrumToolbars::SetQuintarTextFontSize(int32_t height)
{
    onBars(false, [&](Bars& b) { return b.setLabelFontHeight(height, false); });
}

int32_t I_SpecSpectrumToolbars::GetQuintarTextColor()
{
    return onBars(int32_t{0}, [](Bars& b) { return static_cast<int32_t>(b.labelTextColor()); });
}

// Colours are stored as given, bits above the 24 colour bits included.
void I_SpecSpectrumToolbars::SetQuintarTextColor(int32_t color)
{
    onBars(false,
           [&](Bars& b) { return b.setLabelTextColor(static_cast<uint32_t>(color), false); });
}

int32_t I_SpecSpectrumToolbars::GetQuintarTextBackgroundColor()
{
    return onBars(int32_t{0},
                  [](Bars& b) { return static_cast<int32_t>(b.labelBackgroundColor()); });
}

void I_SpecSpectrumToolbars::SetQuintarTextBackgroundColor(int32_t color)
{
    onBars(false,
           [&](Bars& b) { return b.setLabelBackgroundColor(static_cast<uint32_t>(color), false); });
}

std::string I_SpecSpectrumToolbars::GetQuintarTextText()
{
    return onBars(std::string(), [](Bars& b) { return b.labelText(); });
}

void I_SpecSpectrumToolbars::SetQuintarTextText(const std::string& text)
{
    onBars(false, [&](Bars& b) { return b.setLabelText(text, true); });
}
