#pragma once

#include "driver/include/vykdrv32.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

// The acquisition bar's refresh without the bar: the integration-time limits of a spectrum
// window's hardware, the clamp of the record's integration time into them, and the texts,
// captions and spin ranges the bar then shows. Pure functions; any thread.
namespace app::spectrum {

// Integration-time limits, in the unit the record's microsecond flag selects.
struct IntegrationLimits
{
    uint32_t minimum = 1;
    uint32_t maximum = 65500;
};

// What the limits depend on: the window's A/D and spectrometer types, the record's
// microsecond flag and the program's active configuration.
struct IntegrationLimitInputs
{
    uint16_t adcType = VYK_ADC_NONE;
    uint16_t spectrometerType = 0;
    bool microseconds = false;
    std::string activeConfiguration;
    // The active configuration's own lower limit (used for "Morvel" only).
    uint16_t configurationLowerLimit = 0;
};

// The limits of a window; never reversed (a configuration's lower limit above the upper one
// gives way to the upper one).
IntegrationLimits integrationLimits(const IntegrationLimitInputs& inputs);

// The caption of the integration label (1304) for a spectrometer type; nothing for a type
// whose label stays as it is.
std::optional<std::string> integrationLabel(uint16_t spectrometerType);

// What the refresh writes into the acquisition bar.
struct AcquisitionBarContent
{
    IntegrationLimits limits;
    std::optional<std::string> integrationLabel;
    // The first unit button: "sec" for the UlmarADC (which counts in ms behind it), else "usec".
    std::string firstUnitCaption;
    std::string integrationText;
    std::string averagesText;
    std::string boxcarText;
    std::string flashDelayText;
};

// Spin ranges of the bar's other spins.
inline constexpr int32_t kAveragesSpinMinimum = 1;
inline constexpr int32_t kAveragesSpinMaximum = 9999;
inline constexpr int32_t kBoxcarSpinMaximum = 500;
inline constexpr int32_t kFlashDelaySpinMaximum = 655000;

// Computes the limits, clamps the record's integration time into them (the microsecond time
// when the record's flag is set, else the millisecond one) and answers what the bar shows.
AcquisitionBarContent refreshAcquisitionRecord(RegistrationRecord& record,
                                               const IntegrationLimitInputs& inputs);

// Values typed or scripted into the record saturate at the range of the field that keeps
// them, so that a large number never wraps into a small or negative one: the integration time
// (ms) 0 to 65535; averages, boxcar half-width and flash delay 0 to 32767; the microsecond
// integration time over the signed 32-bit range.
inline uint16_t saturateIntegration(long long value)
{
    return static_cast<uint16_t>(std::clamp<long long>(value, 0, 0xFFFF));
}
inline int16_t saturateRecordShort(long long value)
{
    return static_cast<int16_t>(std::clamp<long long>(value, 0, 0x7FFF));
}
inline int32_t saturateMicroseconds(long long value)
{
    return static_cast<int32_t>(std::clamp<long long>(value, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
}

} // namespace app::spectrum
