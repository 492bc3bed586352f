#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// How the settings dialogs read numbers from their text boxes and which values they accept,
// without widgets: the dialogs' exchange layer (DataExchange.h) and their tests use it.

namespace app::dialogs {

// The leading decimal integer of a text, as atoi reads it: blanks, an optional sign, digits;
// anything else ends the number, and a text without one reads 0. Digits beyond the 64-bit
// range saturate, so a range check refuses them instead of seeing a wrapped value.
long long readInteger(std::string_view text);

// The leading number of a text, as atof reads it in the "C" locale (a point is the decimal
// separator whatever the user's locale); 0.0 without one, and 0.0 for what is not a finite
// number ("nan", "inf", 1e999).
double readDouble(std::string_view text);

// A text that is a whole integer and nothing else (blanks around it allowed), as the
// dialogs' integer fields require; nothing for an empty or non-numeric text. Values beyond
// the 64-bit range saturate.
std::optional<long long> parseInteger(std::string_view text);

// An inclusive range of accepted values.
struct ValueRange
{
    long long minimum = std::numeric_limits<long long>::min();
    long long maximum = std::numeric_limits<long long>::max();

    bool contains(long long value) const { return value >= minimum && value <= maximum; }
};

// The ranges of the registration-record fields that typed acquisition values land in.
inline constexpr ValueRange kIntegrationMsRange{0, 65535};
inline constexpr ValueRange kRecordShortRange{0, 32767}; // averages, boxcar, flash delay
inline constexpr ValueRange kIntegrationUsRange{0, std::numeric_limits<int32_t>::max()};

// The messages of the exchange layer, all in one place. Each is shown in a plain OK box
// with kDialogMessageCaption.
inline constexpr const char* kDialogMessageCaption = "Harlune";
// A field that must hold an integer holds something else.
std::string integerMessage();
// A value outside its range.
std::string rangeMessage(const ValueRange& range);

} // namespace app::dialogs
