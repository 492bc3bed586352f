#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

struct OverlaySlots;

// "Harlune.SpecOverlay": the eight overlay slots of the target spectrum window's document.
// Nothing here replots or touches the chart: the window shows a slot at its next plot. The
// four array members copy exactly 4096 points (a shorter script array answers FALSE and
// copies nothing); they and ClearOverlay run without the class's guard. A slot outside 0 to
// 7 answers the zero result; a file name longer than 259 bytes is refused. GUI thread only.
class I_SpecOverlay : public SpectrumChartObject
{
public:
    static constexpr std::size_t kOverlayPoints = 4096;

    static I_SpecOverlay* create() { return new I_SpecOverlay(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool SetOverlayWavelength(int16_t slot, platform::automation::ByRef<double> values);
    bool SetOverlayIntensity(int16_t slot, platform::automation::ByRef<double> values);
    bool GetOverlayWavelength(int16_t slot, platform::automation::ByRef<double> values);
    bool GetOverlayIntensity(int16_t slot, platform::automation::ByRef<double> values);
    // Zeroes the slot's arrays, marks it unused and empties its file name; asks nothing.
    bool ClearOverlay(int16_t slot);
    void UpdateOverlayMenu();
    bool GetActive(int16_t slot);
    void SetActive(int16_t slot, bool value);
    std::string GetFilename(int16_t slot);
    void SetFilename(int16_t slot, const std::string& value);

private:
    I_SpecOverlay() : SpectrumChartObject("I_SpecOverlay") {}
    ~I_SpecOverlay() override = default;
    OverlaySlots* overlays(int16_t slot);
};
