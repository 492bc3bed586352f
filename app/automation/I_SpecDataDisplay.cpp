#include "app/automation/I_SpecDataDisplay.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace platform::chart;

const DispatchTable& I_SpecDataDisplay::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecDataDisplay;
        DispatchBinder<C> b;
        b.property("TimeNormalized", &C::GetTimeNormalized, &C::SetTimeNormalized)
            .property("VerticalScaleLog", &C::GetVerticalScaleLog, &C::SetVerticalScaleLog)
            .property("SnapshotMode", &C::GetSnapshotMode, &C::SetSnapshotMode)
            .property("SuspendGraphUpdate", &C::GetSuspendGraphUpdate, &C::SetSuspendGraphUpdate)
            .property("XAxisTitle", &C::GetXAxisTitle, &C::SetXAxisTitle)
            .property("YAxisTitle", &C::GetYAxisTitle, &C::SetYAxisTitle);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

bool I_SpecDataDisplay::GetTimeNormalized()
{
    return onView(false, [](View& v) { return v.timeNormalization() != 0; });
}

void I_SpecDataDisplay::SetTimeNormalized(bool value)
{
    withView([&](View& v) { v.setTimeNormalization(value ? 1 : 0); });
}

bool I_SpecDataDisplay::GetVerticalScaleLog()
{
    return onView(false, [](View& v) { return v.verticalLogScale() != 0; });
}

void I_SpecDataDisplay::SetVerticalScaleLog(bool value)
{
    withView([&](View& v) { v.setVerticalLogScale(value ? 1 : 0); });
}

bool I_SpecDataDisplay::GetSnapshotMode()
{
    return onView(false, [](View& v) { return v.snapshotState() != 0; });
}

void I_SpecDataDisplay::SetSnapshotMode(bool value)
{
    withView([&](View& v) { v.setSnapshotState(value ? 1 : 0); });
}

bool I_SpecDataDisplay::GetSuspendGraphUpdate()
{
    return onView(false, [](View& v) { return v.plotSuspended() != 0; });
}

void I_SpecDataDisplay::SetSuspendGraphUpdate(bool value)
{
    withView([&](View& v) { v.setPlotSuspended(value ? 1 : 0); });
}

std::string I_SpecDataDisplay::title(int id)
{
    return onView(std::string(), [id](View& v) { return XrtGetValue(v.chart(), id).toText(); });
}

void I_SpecDataDisplay::setTitle(int id, const std::string& value)
{
    withView([&](View& v) { XrtSetValues(v.chart(), {{id, value}}); });
}

std::string I_SpecDataDisplay::GetXAxisTitle()
{
    return title(kXrtXAxisTitle);
}

void I_SpecDataDisplay::SetXAxisTitle(const std::string& value)
{
    setTitle(kXrtXAxisTitle, value);
}

std::string I_SpecDataDisplay::GetYAxisTitle()
{
    return title(kXrtYAxisTitle);
}

void I_SpecDataDisplay::SetYAxisTitle(const std::string& value)
{
    setTitle(kXrtYAxisTitle, value);
}
