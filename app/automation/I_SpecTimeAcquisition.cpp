#include "app/automation/I_SpecTimeAcquisition.h"

#include "app/res/ResourceIds.h"
#include "app/spectrum/HarluneSpectrumView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace app::res;
using namespace app::spectrum;

namespace {

constexpr int kTimeAutomationRunRunning = 1;
constexpr int kTimeAutomationRunPaused = 2;
constexpr int kResults = kTimeChannels + kTimeCombos;

double& resultOf(View& v, int index)
{
    TimeAcquisitionParameters& p = v.timeParameters();
    return index < kTimeChannels ? p.channels[index].Value : p.combos[index - kTimeChannels].Value;
}

} // namespace

const DispatchTable& I_SpecTimeAcquisition::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecTimeAcquisition;
        DispatchBinder<C> b;
        b.property("Running", &C::GetRunning, &C::SetRunning)
            .property("Paused", &C::GetPaused, &C::SetPaused)
            .property("Activated", &C::GetActivated, &C::SetActivated)
            .property("SuspendGraphUpdate", &C::GetSuspendGraphUpdate, &C::SetSuspendGraphUpdate);
        addWindowMembers(b);
        b.method("GetIndex", &C::GetIndex)
            .method("GetResult", &C::GetResult, {"index"})
            .method("GetTime", &C::GetTime)
            .method("SaveData", &C::SaveData)
            .method("SetResult", &C::SetResult, {"index", "value"});
        return b.table();
    }();
    return t;
}

bool I_SpecTimeAcquisition::GetRunning()
{
    return onView(false, [](View& v) {
        return v.timeAcquisitionMode() == 1 && v.timeRunState() == kTimeAutomationRunRunning;
    });
}

// 1 starts a run, any other value stops it (2 too); both as the menu's Start and Stop.
void I_SpecTimeAcquisition::SetRunning(platform::automation::BoolValue value)
{
    onView(false, [&](View& v) {
        if (value.value == 1)
            v.OnCommand(ID_TIME_START);
        else if (v.commandState(ID_TIME_STOP).enabled)
            // The menu offers Stop only when the script's VerifyMenu allows it.
            v.OnCommand(ID_TIME_STOP);
        return true;
    });
}

bool I_SpecTimeAcquisition::GetPaused()
{
    return onView(false, [](View& v) {
        return v.timeAcquisitionMode() == 1 && v.timeRunState() == kTimeAutomationRunPaused;
    });
}

// TRUE pauses a running run and FALSE resumes a paused one, through the menu's Pause toggle;
// a stopped run stays stopped (a paused state without a started run would resume into a run
// that never set up its files and graphs).
void I_SpecTimeAcquisition::SetPaused(bool value)
{
    onView(false, [&](View& v) {
        if (v.timeRunState() == (value ? kTimeAutomationRunRunning : kTimeAutomationRunPaused))
            v.OnCommand(ID_TIME_PAUSE);
        return true;
    });
}

bool I_SpecTimeAcquisition::GetActivated()
{
    return onView(false, [](View& v) { return v.timeAcquisitionMode() == 1; });
}

// The menu's Activate toggles the mode: it runs when the window is not in the wanted mode.
// Already there, nothing changes (toggling twice would stop a running run without closing its
// stream, or empty the overlay slots of a window that was never in the mode).
void I_SpecTimeAcquisition::SetActivated(platform::automation::BoolValue value)
{
    onView(false, [&](View& v) {
        if ((v.timeAcquisitionMode() == 1) != (value.value == 1))
            v.OnCommand(ID_TIME_ACTIVATE);
        return true;
    });
}

bool I_SpecTimeAcquisition::GetSuspendGraphUpdate()
{
    return onView(false, [](View& v) { return v.plotSuspended() != 0; });
}

void I_SpecTimeAcquisition::SetSuspendGraphUpdate(bool value)
{
    onView(false, [&](View& v) {
        v.setPlotSuspended(value ? 1 : 0);
        return true;
    });
}

int32_t I_SpecTimeAcquisition::GetIndex()
{
    return onView(int32_t{0}, [](View& v) { return int32_t{v.timeRun().sampleIndex}; });
}

double I_SpecTimeAcquisition::GetResult(int16_t index)
{
    if (index < 0 || index >= kResults)
        return 0.0;
    return onView(0.0, [&](View& v) { return resultOf(v, index); });
}

double I_SpecTimeAcquisition::GetTime()
{
    return onView(0.0, [](View& v) { return v.timeRun().currentTime; });
}

void I_SpecTimeAcquisition::SaveData()
{
    onView(false, [](View& v) { return v.OnCommand(ID_TIME_SAVE_DATA); });
}

bool I_SpecTimeAcquisition::SetResult(int16_t index, double value)
{
    if (index < 0 || index >= kResults)
        return false;
    return onView(false, [&](View& v) {
        resultOf(v, index) = value;
        return true;
    });
}
