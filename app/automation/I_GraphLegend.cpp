#include "app/automation/I_GraphLegend.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphLegend::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphLegend;
        DispatchBinder<C> b;
        b.property("Visible", &C::GetVisible, &C::SetVisible);
        b.property("ForegroundColor", &C::GetForegroundColor, &C::SetForegroundColor);
        b.property("Floating", &C::GetFloating, &C::SetFloating);
        b.property("Position", &C::GetPosition, &C::SetPosition);
        b.property("Border", &C::GetBorder, &C::SetBorder);
        b.property("Orientation", &C::GetOrientation, &C::SetOrientation);
        b.property("BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth);
        b.property("BackgroundColor", &C::GetBackgroundColor, &C::SetBackgroundColor);
        addWindowMembers(b);
        b.method("SetLegendFont", &C::SetLegendFont, {"name", "size"});
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog);
        b.indexedProperty("Text", &C::GetText, &C::SetText, {"trace"});
        return b.table();
    }();
    return t;
}

bool I_GraphLegend::GetVisible()
{
    return onView(false, [](View& v) { return v.GetLegendVisible() != 0; });
}

void I_GraphLegend::SetVisible(bool value)
{
    onView(false, [&](View& v) { return v.SetLegendVisible(value ? 1 : 0); });
}

int32_t I_GraphLegend::GetForegroundColor()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.GetLegendForegroundColor()); });
}

void I_GraphLegend::SetForegroundColor(int32_t value)
{
    onView(false, [&](View& v) {
        return v.SetLegendForegroundColor(static_cast<platform::chart::XrtColor>(value));
    });
}

bool I_GraphLegend::GetFloating()
{
    return onView(false, [](View& v) { return v.GetLegendFloating(); });
}

void I_GraphLegend::SetFloating(bool value)
{
    onView(false, [&](View& v) { return v.SetLegendFloating(value); });
}

int16_t I_GraphLegend::GetPosition()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.GetLegendPosition()); });
}

void I_GraphLegend::SetPosition(int16_t value)
{
    onView(false, [&](View& v) { return v.SetLegendPosition(value); });
}

int16_t I_GraphLegend::GetBorder()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.GetLegendBorder()); });
}

void I_GraphLegend::SetBorder(int16_t value)
{
    onView(false, [&](View& v) { return v.SetLegendBorder(value); });
}

int16_t I_GraphLegend::GetOrientation()
{
    return onView(int16_t{0},
                  [](View& v) { return static_cast<int16_t>(v.GetLegendOrientation()); });
}

void I_GraphLegend::SetOrientation(int16_t value)
{
    onView(false, [&](View& v) { return v.SetLegendOrientation(value); });
}

int16_t I_GraphLegend::GetBorderWidth()
{
    return onView(int16_t{0},
                  [](View& v) { return static_cast<int16_t>(v.GetLegendBorderWidth()); });
}

void I_GraphLegend::SetBorderWidth(int16_t value)
{
    onView(false, [&](View& v) { return v.SetLegendBorderWidth(value); });
}

int32_t I_GraphLegend::GetBackgroundColor()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.GetLegendBackgroundColor()); });
}

void I_GraphLegend::SetBackgroundColor(int32_t value)
{
    onView(false, [&](View& v) {
        return v.SetLegendBackgroundColor(static_cast<platform::chart::XrtColor>(value));
    });
}

bool I_GraphLegend::SetLegendFont(const std::string& name, int16_t size)
{
    return onView(false, [&](View& v) { return v.SetLegendFont(name, size); });
}

void I_GraphLegend::ShowConfigurationDialog()
{
    onView(false, [&](View& v) {
        v.ShowLegendConfigurationDialog();
        return true;
    });
}

std::string I_GraphLegend::GetText(int32_t trace)
{
    return onView(std::string(), [&](View& v) { return v.GetLegendText(trace); });
}

void I_GraphLegend::SetText(int32_t trace, const std::string& value)
{
    onView(false, [&](View& v) { return v.SetLegendText(trace, value); });
}
