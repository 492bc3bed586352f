#include "driver/core/EndOfScan.h"

#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScanSteps.h"
#include "driver/core/Sequencer.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace driver::core {
namespace {

enum class EosStep
{
    Deinterleave,       // multichannel split for the A/D types that interleave
    DeinterleaveAlways, // multichannel split whenever multichannel mode is on
    DoubleSampling,
    Average,
    NonLinearity,
    EvenOddDark,
    StrayLight,
    Boxcar,
};

enum class Averaging
{
    Always,           // when scans to average is above 1
    SkipJavaAdcTypes, // ... except on the A/D types that average in the acquisition
    UlmarAdcOnly,     // ... only on the UlmarADC type, whose acquisition sums the scans
    Never,
};

enum class NlRange
{
    EveryPixel,
    Pixels25To2047,
};

enum class BoxcarEnd
{
    Index2047, // up to 2047 - w whatever the pixel count
    LastPixel, // up to pixel count - 1 - w
};

// One routine as data: its steps in order and the parameters that differ.
struct EndOfScanProfile
{
    std::array<EosStep, 7> steps;
    int stepCount;
    Averaging averaging;
    NlRange nlRange;
    double strayLightDivisor;
    int boxcarFirstOffset; // the range starts at w + this
    BoxcarEnd boxcarEnd;
    bool abort; // a serial A/D abort gives state 6 and 0x468
    bool reset; // multichannel mode leaves channel 0 alone enabled
};

using enum EosStep;

constexpr double kDivisor2048x4096 = 8388608.0;

constexpr EndOfScanProfile kGavrel{{Average, NonLinearity, Boxcar, EvenOddDark},
                                   4,
                                   Averaging::Always,
                                   NlRange::EveryPixel,
                                   0.0,
                                   16,
                                   BoxcarEnd::Index2047,
                                   false,
                                   true};
constexpr EndOfScanProfile kIstrelBT{{Average, Boxcar, EvenOddDark},
                                     3,
                                     Averaging::Always,
                                     NlRange::EveryPixel,
                                     0.0,
                                     16,
                                     BoxcarEnd::Index2047,
                                     false,
                                     true};
constexpr EndOfScanProfile kIstrel{
    {Deinterleave, Average, NonLinearity, EvenOddDark, StrayLight, Boxcar},
    6,
    Averaging::SkipJavaAdcTypes,
    NlRange::Pixels25To2047,
    kDivisor2048x4096,
    16,
    BoxcarEnd::Index2047,
    false,
    true};
// The non-linearity step of the Lemmik covers every pixel of the channel.
constexpr EndOfScanProfile kLemmik{
    {Deinterleave, DoubleSampling, Average, NonLinearity, StrayLight, Boxcar},
    6,
    Averaging::Always,
    NlRange::EveryPixel,
    kDivisor2048x4096,
    0,
    BoxcarEnd::Index2047,
    true,
    true};
constexpr EndOfScanProfile kNir{{DeinterleaveAlways, Average, NonLinearity, StrayLight, Boxcar},
                                5,
                                Averaging::Always,
                                NlRange::EveryPixel,
                                kDivisor2048x4096,
                                0,
                                BoxcarEnd::LastPixel,
                                true,
                                true};
constexpr EndOfScanProfile kJolvar{{NonLinearity, EvenOddDark, StrayLight, Boxcar},
                                   4,
                                   Averaging::Never,
                                   NlRange::EveryPixel,
                                   59778292.0,
                                   15,
                                   BoxcarEnd::LastPixel,
                                   false,
                                   false};
constexpr EndOfScanProfile kUlmar{{Average, NonLinearity, StrayLight, Boxcar},
                                  4,
                                  Averaging::UlmarAdcOnly,
                                  NlRange::EveryPixel,
                                  67107840.0,
                                  0,
                                  BoxcarEnd::LastPixel,
                                  false,
                                  false};

bool interleavingAdc(int adcType)
{
    switch (adcType) {
    case VYK_ADC_DAQ700:
    case VYK_ADC_BRONTEL:
    case VYK_ADC_CADRELPCI:
    case VYK_ADC_BRONTELUSB:
    case VYK_ADC_SERIAL:
    case VYK_ADC_FORNICPC104:
        return true;
    default:
        return false;
    }
}

bool averagesInAcquisition(int adcType)
{
    return adcType == VYK_ADC_TREVAN || adcType == VYK_ADC_SOLVIPLUS ||
           adcType == VYK_ADC_PAVIKPLUS || adcType == VYK_ADC_QUARN;
}

// Whether the routine divides the channel buffers by the scans to average on this A/D type.
bool dividesSums(const EndOfScanProfile& profile, int adcType)
{
    switch (profile.averaging) {
    case Averaging::Always:
        return true;
    case Averaging::SkipJavaAdcTypes:
        return !averagesInAcquisition(adcType);
    case Averaging::UlmarAdcOnly:
        return adcType == VYK_ADC_ULMARADC;
    case Averaging::Never:
        return false;
    }
    return false;
}

// The floats of a client buffer the routines may address: at least 2048 and at least the
// hardware's pixel count.
constexpr std::size_t kClientBufferMinimum = 2048;

void applyStep(DriverState& state, const EndOfScanProfile& profile, EosStep step,
               RegistrationRecord& record, int channel, std::span<float> buffer)
{
    const auto pixels = static_cast<std::size_t>(state.pixelCount);
    ChannelCorrections& corrections = state.corrections[static_cast<std::size_t>(channel)];
    switch (step) {
    case Deinterleave:
    case DeinterleaveAlways:
        break; // whole-record steps
    case DoubleSampling:
        correlatedDoubleSampling(buffer, state.floatScratch,
                                 state.adcType == VYK_ADC_SERIAL &&
                                     !state.kaldrisDoubleSamplingMode);
        break;
    case Average:
        if (record.scansToAverage > 1 && dividesSums(profile, state.adcType))
            averagePixels(buffer.first(pixels), record.scansToAverage);
        break;
    case NonLinearity:
        if (corrections.nlEnable == 1 && record.channelEnables[channel] == 1) {
            if (profile.nlRange == NlRange::EveryPixel)
                correctNonLinearity(buffer.first(pixels), corrections.nlCoefficients);
            else
                correctNonLinearity(buffer.subspan(25, 2048 - 25), corrections.nlCoefficients);
        }
        break;
    case EvenOddDark:
        if (record.correctForDark != 0)
            correctEvenOddDark(buffer, state.pixelCount, corrections.evenDarkLevel,
                               corrections.oddDarkLevel);
        break;
    case StrayLight:
        if (corrections.slEnable == 1)
            correctStrayLight(buffer.first(pixels), corrections.slConstant,
                              profile.strayLightDivisor);
        break;
    case Boxcar: {
        const int w = record.boxcarHalfWidth;
        if (w <= 0)
            break;
        const int last =
            (profile.boxcarEnd == BoxcarEnd::Index2047 ? 2047 : state.pixelCount - 1) - w;
        boxcarSmooth(buffer, state.floatScratch, w, w + profile.boxcarFirstOffset, last);
        break;
    }
    }
}

void runEndOfScan(const EndOfScanProfile& profile, RegistrationRecord* record)
{
    DriverState& state = driverState();
    const std::uint32_t now = driverPlatform().timeMs();
    PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        if (!record) {
            clearScanBusyLocked(state);
            return;
        }
        if (record->instanceKey == 0) {
            // The client released its record during the scan: end the scan quietly.
            state.overrun = false;
            clearScanBusyLocked(state);
            return;
        }

        const bool multichannel = state.multichannelMode != 0;
        for (int s = 0; s < profile.stepCount; ++s) {
            const EosStep step = profile.steps[static_cast<std::size_t>(s)];
            if (multichannel && state.ops.Deinterleave &&
                ((step == Deinterleave && interleavingAdc(state.adcType)) ||
                 step == DeinterleaveAlways))
                state.ops.Deinterleave(record);
        }
        // Every enabled channel needs its buffer; without one the scan fails as a whole
        // rather than leaving the busy flags set.
        bool failed = false;
        for (int c = 0; c < kChannels && !failed; ++c) {
            if (record->channelEnables[c] != 0 && !record->channelBuffers[c]) {
                failScanLocked(state, record, c, posts);
                state.overrun = false;
                failed = true;
            }
        }
        if (!failed) {
            const std::size_t length =
                std::max(kClientBufferMinimum, static_cast<std::size_t>(state.pixelCount));
            for (int s = 0; s < profile.stepCount; ++s) {
                for (int c = 0; c < kChannels; ++c) {
                    if (record->channelEnables[c] == 0)
                        continue;
                    applyStep(state, profile, profile.steps[static_cast<std::size_t>(s)], *record,
                              c, std::span<float>(record->channelBuffers[c], length));
                }
            }
            const bool doScan = record->instanceKey == kDoScanKey;
            if (doScan)
                record->window = VYK_MSG_BUFFER_FULL;
            if (!state.overrun && !doScan) {
                // The serial A/D flags a scan it could not take; every routine on it reports
                // that scan aborted rather than delivering what the buffers hold.
                const bool aborted =
                    (profile.abort || state.adcType == VYK_ADC_SERIAL) && state.scanAborted;
                for (int c = 0; c < kChannels; ++c) {
                    if (record->channelEnables[c] == 0)
                        continue;
                    record->bufferStates[c] = aborted ? VYK_BUFFER_ABORTED : VYK_BUFFER_FULL;
                    posts.add(record->window, aborted ? VYK_MSG_ABORTED : VYK_MSG_BUFFER_FULL,
                              static_cast<std::uintptr_t>(c), record);
                }
            }
            if (profile.reset && multichannel) {
                record->channelEnables[0] = 1;
                for (int c = 1; c < kChannels; ++c)
                    record->channelEnables[c] = 0;
            }
            state.overrun = false;
            state.scanTimes[2] = now;
            clearScanBusyLocked(state);
        }
    }
    posts.postAll();
}

} // namespace

void EndOfScanGavrel(RegistrationRecord* record)
{
    runEndOfScan(kGavrel, record);
}

void EndOfScanIstrelBT(RegistrationRecord* record)
{
    runEndOfScan(kIstrelBT, record);
}

void EndOfScanIstrel(RegistrationRecord* record)
{
    runEndOfScan(kIstrel, record);
}

void EndOfScanLemmik(RegistrationRecord* record)
{
    runEndOfScan(kLemmik, record);
}

void EndOfScanNir(RegistrationRecord* record)
{
    runEndOfScan(kNir, record);
}

void EndOfScanJolvar(RegistrationRecord* record)
{
    runEndOfScan(kJolvar, record);
}

void EndOfScanUlmar(RegistrationRecord* record)
{
    runEndOfScan(kUlmar, record);
}

bool EndOfScanAverages(void (*endOfScan)(RegistrationRecord*), std::uint16_t adcType)
{
    const std::pair<void (*)(RegistrationRecord*), const EndOfScanProfile*> routines[] = {
        {EndOfScanGavrel, &kGavrel}, {EndOfScanIstrelBT, &kIstrelBT}, {EndOfScanIstrel, &kIstrel},
        {EndOfScanLemmik, &kLemmik}, {EndOfScanNir, &kNir},           {EndOfScanJolvar, &kJolvar},
        {EndOfScanUlmar, &kUlmar},
    };
    for (const auto& [routine, profile] : routines) {
        if (routine == endOfScan)
            return dividesSums(*profile, adcType);
    }
    return false;
}

} // namespace driver::core
