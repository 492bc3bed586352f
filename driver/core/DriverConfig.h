#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace driver::core {

// "VYKDRV.INI": $VYKDRV_INI when set, else the file of that name in the user's
// configuration folder ($XDG_CONFIG_HOME, or ~/.config).
std::string driverConfigPath();

// Reads every key of the file into the driver state (missing keys take their defaults,
// unparsable numbers read as 0); sets the strobe state on and the USB-type flag. Called
// without the mutex held.
void ReadDriverConfig();
// Writes the keys that are kept between runs, in one replacement of the file; "Initialized"
// is "1" only while hardware is connected. False when the file cannot be written.
bool WriteDriverConfig();

// The words of the two type keys. Reading compares without regard to case, except that
// the first word of each table ("Gavrel", "Dovrin") matches only as written or in lower
// case; an unknown word reads as Gavrel and as the A/D type none.
std::uint16_t spectrometerTypeFromWord(std::string_view word);
std::uint16_t adcTypeFromWord(std::string_view word);
// The word written for a type; "" for a spectrometer type outside the table, "NONE" for
// an A/D type outside it.
const char* spectrometerTypeWord(std::uint16_t type);
const char* adcTypeWord(std::uint16_t type);

// The integration time the client sees for an applied scan period (ms): scaled by the
// converter clock on the Istrel, a frequency on the Gavrel, else the period itself.
std::int32_t integrationTimeFor(std::uint16_t spectrometerType, std::uint16_t adcType,
                                int periodMs);

// The largest intensity the A/D type reports.
std::int32_t maximumScopeModeIntensity(std::uint16_t adcType);

// A string of the library's own version information ("FileVersion", "FileDescription");
// "" when it carries none.
std::string libraryVersionText(const char* name);

// Whether the A/D type is a USB model whose transport the library drives itself.
bool isUsbAdcType(std::uint16_t adcType);
// Whether the A/D type is driven through the Java driver.
bool isJavaAdcType(std::uint16_t adcType);
// Whether the A/D type is a board in the port space.
bool isPortBoardAdcType(std::uint16_t adcType);

} // namespace driver::core
