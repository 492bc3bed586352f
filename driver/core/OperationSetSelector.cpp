#include "driver/core/OperationSetSelector.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
#include "driver/core/Multichannel.h"
#include "driver/core/NoHardwareOperationSet.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace driver::core {
namespace {

constexpr OperationSetRow kSelectorRows[] = {
    {{0}, 1, "GavrelDovrinOperationSet", EndOfScanGavrel},
    {{1}, 1, "GavrelDaqOperationSet", EndOfScanGavrel},
    {{2}, 1, "GavrelBrontelOperationSet", EndOfScanGavrel},
    {{256}, 1, "IstrelBTDovrinOperationSet", EndOfScanIstrelBT},
    {{257}, 1, "IstrelBTDaqOperationSet", EndOfScanIstrelBT},
    {{258}, 1, "IstrelBTBrontelOperationSet", EndOfScanIstrelBT},
    {{512}, 1, "IstrelDovrinOperationSet", EndOfScanIstrel},
    {{513}, 1, "IstrelDaqOperationSet", EndOfScanIstrel},
    {{514, 522}, 2, "IstrelBrontelOperationSet", EndOfScanIstrel},
    {{516, 521}, 2, "PavikSolviOperationSet", EndOfScanIstrel},
    {{518}, 1, "IstrelCadrelPCIOperationSet", EndOfScanIstrel},
    {{519}, 1, "IstrelBrontelUSBOperationSet", EndOfScanIstrel},
    {{520}, 1, "IstrelKaldrisOperationSet", EndOfScanIstrel},
    {{525}, 1, "SolviPlusOperationSet", EndOfScanIstrel},
    {{527}, 1, "PavikPlusOperationSet", EndOfScanIstrel},
    {{775}, 1, "LemmikBrontelUSBOperationSet", EndOfScanLemmik},
    {{776}, 1, "LemmikKaldrisOperationSet", EndOfScanLemmik},
    {{1035, 1291}, 2, "XandelOperationSet", EndOfScanNir},
    {{1548}, 1, "TrevanOperationSet", EndOfScanJolvar},
    {{1552}, 1, "QuarnOperationSet", EndOfScanJolvar},
    {{1806}, 1, "UlmarOperationSet", EndOfScanUlmar},
    {{65021}, 1, "PellarOperationSet", nullptr},
    {{255}, 1, "NoHardwareOperationSet", EndOfScanGavrel},
    {{511}, 1, "NoHardwareOperationSet", EndOfScanIstrelBT},
    {{767}, 1, "NoHardwareOperationSet", EndOfScanIstrel},
    {{1279}, 1, "NoHardwareOperationSet", EndOfScanNir},
};

constexpr OperationSetRow kDefaultRow{{0}, 0, "NoHardwareOperationSet", EndOfScanIstrel};

bool isRefused(std::uint16_t key)
{
    return key == 768 || key == 769 || key == 770 || key == 774;
}

const OperationSetRow& rowFor(std::uint16_t key)
{
    for (const OperationSetRow& row : kSelectorRows) {
        for (int k = 0; k < row.keyCount; ++k) {
            if (row.keys[k] == key)
                return row;
        }
    }
    return kDefaultRow;
}

std::mutex g_registryMutex;

std::map<std::string, OperationSet>& registry()
{
    static std::map<std::string, OperationSet> sets;
    return sets;
}

OperationSet setNamed(const char* name)
{
    std::lock_guard lock(g_registryMutex);
    auto found = registry().find(name);
    return found != registry().end() ? found->second : NoHardwareOperationSet();
}

const char* g_selectedName = "NoHardwareOperationSet";

} // namespace

std::span<const OperationSetRow> operationSetRows()
{
    return kSelectorRows;
}

void registerOperationSet(const char* name, const OperationSet& set)
{
    std::lock_guard lock(g_registryMutex);
    registry()[name] = set;
}

const char* selectedOperationSetName()
{
    std::lock_guard lock(driverState().mutex);
    return g_selectedName;
}

int SelectOperationSet()
{
    DriverState& state = driverState();
    std::uint16_t key = 0;
    {
        std::lock_guard lock(state.mutex);
        state.appliedPeriodMs = 1;
        state.appliedFlashDelay = 0;
        key = static_cast<std::uint16_t>(state.spectrometerType + state.adcType);
    }
    if (isRefused(key)) {
        showDriverBox("The Lemmik is currently supported with Varnholt Kaldris A/D Interface and "
                      "The Brontel-USB only.",
                      kCaptionError, kMbOk, kIdOk);
        std::lock_guard lock(state.mutex);
        state.adcType = VYK_ADC_NONE;
        state.spectrometerType = VYK_SPEC_ISTREL;
    }

    const OperationSetRow& row = isRefused(key) ? rowFor(767) : rowFor(key);
    OperationSet chosen = setNamed(row.setName);

    std::lock_guard lock(state.mutex);
    g_selectedName = row.setName;
    void (*deinterleave)(RegistrationRecord*) = state.ops.Deinterleave;
    state.ops = chosen;
    if (row.endOfScan)
        state.ops.EndOfScan = row.endOfScan;
    else if (!state.ops.EndOfScan)
        state.ops.EndOfScan = EndOfScanIstrel;

    switch (state.adcType) {
    case VYK_ADC_DAQ700:
        deinterleave = DeinterleaveNone;
        break;
    case VYK_ADC_BRONTEL:
    case VYK_ADC_CADRELPCI:
    case VYK_ADC_BRONTELUSB:
    case VYK_ADC_SERIAL:
    case VYK_ADC_FORNICPC104:
        deinterleave = DeinterleaveChannels;
        break;
    default:
        break; // the previous selection's slot stays
    }
    state.ops.Deinterleave = deinterleave;

    switch (state.spectrometerType) {
    case VYK_SPEC_GAVREL:
    case VYK_SPEC_ISTRELBT:
        state.pixelCount = 1100;
        break;
    case VYK_SPEC_ISTREL:
        state.pixelCount = 2048;
        break;
    case VYK_SPEC_LEMMIK:
        state.pixelCount = 1024;
        break;
    case VYK_SPEC_WESSOR:
        state.pixelCount = 512;
        break;
    case VYK_SPEC_VELKO:
    case VYK_SPEC_PELLAR:
        state.pixelCount = 256;
        break;
    case VYK_SPEC_JOLVAR:
        state.pixelCount = 3648;
        break;
    case VYK_SPEC_ULMAR:
        state.pixelCount = 1044;
        break;
    default:
        break;
    }

    switch (state.spectrometerType) {
    case VYK_SPEC_GAVREL:
    case VYK_SPEC_ISTRELBT:
    case VYK_SPEC_ISTREL:
    case VYK_SPEC_LEMMIK:
    case VYK_SPEC_JOLVAR:
    case VYK_SPEC_PELLAR:
        state.frequencyDivisor = 10;
        break;
    case VYK_SPEC_WESSOR:
        state.frequencyDivisor = 100;
        break;
    default:
        break;
    }
    state.multichannelMode = 0;
    return 1;
}

bool IsValidHandle(std::intptr_t handle)
{
    return handle != 0 && handle != -1;
}

void InterruptsEnableHook() {}

void InterruptsDisableHook() {}

void InterruptEndHook() {}

} // namespace driver::core
