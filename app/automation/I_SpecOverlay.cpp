#include "app/automation/I_SpecOverlay.h"

#include "app/spectrum/HarluneSpectrumDoc.h"

#include <algorithm>

using platform::automation::ByRef;
using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;

static_assert(I_SpecOverlay::kOverlayPoints == kSpectrumPoints);

namespace {

bool validSlot(int slot)
{
    return slot >= 0 && slot < kOverlaySlots;
}

bool copyIn(SpectrumArray& slot, ByRef<double> values)
{
    const double* in = values.take(I_SpecOverlay::kOverlayPoints);
    if (in == nullptr)
        return false;
    std::copy_n(in, I_SpecOverlay::kOverlayPoints, slot.begin());
    return true;
}

bool copyOut(const SpectrumArray& slot, ByRef<double> values)
{
    double* out = values.take(I_SpecOverlay::kOverlayPoints);
    if (out == nullptr)
        return false;
    std::copy_n(slot.begin(), I_SpecOverlay::kOverlayPoints, out);
    return true;
}

} // namespace

const DispatchTable& I_SpecOverlay::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecOverlay;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("SetOverlayWavelength", &C::SetOverlayWavelength, {"slot", "wavelength"})
            .unguarded()
            .method("SetOverlayIntensity", &C::SetOverlayIntensity, {"slot", "intensity"})
            .unguarded()
            .method("GetOverlayWavelength", &C::GetOverlayWavelength, {"slot", "wavelength"})
            .unguarded()
            .method("GetOverlayIntensity", &C::GetOverlayIntensity, {"slot", "intensity"})
            .unguarded()
            .method("ClearOverlay", &C::ClearOverlay, {"slot"})
            .unguarded()
            .method("UpdateOverlayMenu", &C::UpdateOverlayMenu)
            .indexedProperty("Active", &C::GetActive, &C::SetActive, {"slot"})
            .indexedProperty("Filename", &C::GetFilename, &C::SetFilename, {"slot"});
        return b.table();
    }();
    return t;
}

// The target document's slots for the unguarded members: none, without a log line, for a
// slot outside 0 to 7 or no target window.
OverlaySlots* I_SpecOverlay::overlays(int16_t slot)
{
    if (!validSlot(slot))
        return nullptr;
    View* view = targetViewSilently();
    return view ? &view->document().overlays() : nullptr;
}

bool I_SpecOverlay::SetOverlayWavelength(int16_t slot, ByRef<double> values)
{
    OverlaySlots* o = overlays(slot);
    return o && copyIn(o->wavelengths[slot], values);
}

bool I_SpecOverlay::SetOverlayIntensity(int16_t slot, ByRef<double> values)
{
    OverlaySlots* o = overlays(slot);
    return o && copyIn(o->values[slot], values);
}

bool I_SpecOverlay::GetOverlayWavelength(int16_t slot, ByRef<double> values)
{
    OverlaySlots* o = overlays(slot);
    return o && copyOut(o->wavelengths[slot], values);
}

bool I_SpecOverlay::GetOverlayIntensity(int16_t slot, ByRef<double> values)
{
    OverlaySlots* o = overlays(slot);
    return o && copyOut(o->values[slot], values);
}

bool I_SpecOverlay::ClearOverlay(int16_t slot)
{
    OverlaySlots* o = overlays(slot);
    if (o == nullptr)
        return false;
    o->wavelengths[slot].fill(0.0);
    o->values[slot].fill(0.0);
    o->loaded[slot] = 0;
    o->fileNames[slot].clear();
    return true;
}

void I_SpecOverlay::UpdateOverlayMenu()
{
    withView([](View& v) { v.UpdateOverlayMenu(); });
}

bool I_SpecOverlay::GetActive(int16_t slot)
{
    if (!validSlot(slot))
        return false;
    return onView(false, [&](View& v) { return v.document().overlays().loaded[slot] != 0; });
}

void I_SpecOverlay::SetActive(int16_t slot, bool value)
{
    if (validSlot(slot))
        withView([&](View& v) { v.document().overlays().loaded[slot] = value ? 1 : 0; });
}

std::string I_SpecOverlay::GetFilename(int16_t slot)
{
    if (!validSlot(slot))
        return {};
    return onView(std::string(), [&](View& v) { return v.document().overlays().fileNames[slot]; });
}

void I_SpecOverlay::SetFilename(int16_t slot, const std::string& value)
{
    // A path cut to fit would name another file.
    if (validSlot(slot) && value.size() <= kMaxPathBytes)
        withView([&](View& v) { v.document().overlays().fileNames[slot] = value; });
}
