#pragma once

#include "app/dialogs/DataExchangeRules.h"
#include "app/dialogs/DialogNeighbours.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

// The working copy of the data-acquisition sheet and its rules without widgets: what the
// sheet loads from a spectrum view, which controls each page shows, the range check and the
// apply steps. GUI thread.

namespace app::dialogs {

struct DataAcquisitionSettings
{
    // Basic page. Typed values are held wide so that the range check sees them as typed.
    long long integrationMs = 0; // A/D conversion frequency (kHz) for Gavrel and IstrelBT
    long long integrationUs = 0;
    int32_t microsecondFlag = 0;
    long long scansToAverage = 0;
    long long boxcarWidth = 0;
    int32_t correctForDark = 0;
    int rotationIndex = 0; // 0 disabled, R = the last channel of the rotation
    int32_t plusMode = 0;
    int32_t singleThread = 0;
    uint16_t spectrometerType = 0;
    uint16_t adcType = 0;
    // External Trigger page.
    int32_t triggerMode = 0;
    int32_t autosaveOnTrigger = 0;
    // Strobe page.
    int32_t strobeEnable = 0;
    long long flashDelay = 0;
    int32_t modulation = 0;

    // Fills every value from the view, its configuration and its main frame.
    static DataAcquisitionSettings load(DialogSpectrumView& view);
};

// The pages of the sheet, in their order.
enum class DataAcquisitionPage
{
    Basic = 0,
    Trigger = 1,
    Strobe = 2,
};

// A typed value outside its field's range: where it is and what is accepted.
struct RangeFailure
{
    DataAcquisitionPage page;
    unsigned control;
    ValueRange range;
};

// The first value outside its field's range (in the order of the pages' controls), if any.
std::optional<RangeFailure> checkRanges(const DataAcquisitionSettings& settings);

// The apply steps of OK and Apply, in order. openedInLongIntMode is the sheet's flag that the
// view was in "Long Int. Time Mode" (4); it is set to the mode in force afterwards, so a
// second apply acts against what the first one left. warn shows a rotation warning (text,
// caption). The values must have passed checkRanges.
void applyDataAcquisitionSettings(
    const DataAcquisitionSettings& settings, DialogSpectrumView& view, bool& openedInLongIntMode,
    const std::function<void(const std::string&, const std::string&)>& warn);

// The control ids of the pages.
namespace id {
inline constexpr unsigned kIntegration = 1168;
inline constexpr unsigned kAverages = 1169;
inline constexpr unsigned kBoxcar = 1170;
inline constexpr unsigned kCorrectDark = 1520;
inline constexpr unsigned kIntegrationLabel = 1521;
inline constexpr unsigned kRotation = 1532;
inline constexpr unsigned kRotationLabel = 1533;
inline constexpr unsigned kSingleThread = 1544;
inline constexpr unsigned kPlusMode = 1582;
inline constexpr unsigned kMicroseconds = 1596;
inline constexpr unsigned kTriggerMode = 1171;
inline constexpr unsigned kAutosaveOnTrigger = 1172;
inline constexpr unsigned kStrobeEnable = 1464;
inline constexpr unsigned kFlashDelay = 1465;
inline constexpr unsigned kModulation = 1539;
} // namespace id

// What the Basic page shows for a spectrometer and A/D type.
bool microsecondsAvailable(uint16_t spectrometerType, uint16_t adcType);
bool rotationShown(uint16_t adcType);
bool plusModeShown(uint16_t adcType);
bool modulationShown(uint16_t adcType);
// The label of the integration box.
std::string integrationLabel(uint16_t spectrometerType, bool microseconds);
// The text of the integration box: the microsecond value or the millisecond value.
std::string integrationText(const DataAcquisitionSettings& settings);
// The entries of the trigger-mode list (mode = index).
std::span<const char* const> triggerModeNames(uint16_t adcType);
// The entries of the rotation list (index = the last channel of the rotation).
std::span<const char* const> rotationNames();

// The two rotation warnings ("%d" filled with R) and their caption.
inline constexpr const char* kRotationWarningCaption = "Rotation Warning";
std::string rotationWarningOtherChannels(int lastChannel);
std::string rotationWarningMissingChannels(int lastChannel);

} // namespace app::dialogs
