#pragma once

#include <charconv>
#include <string>

// Numbers in the text of info slots, written and read without regard to the locale.
namespace driver::usb {

// "%e" or "%g" of a float (precision 6, as printf writes them).
std::string formatSlotFloat(float value, std::chars_format format);
// The leading number of a slot's text; 0 when there is none or it is not finite.
float slotTextToFloat(const std::string& text);
int slotTextToInt(const std::string& text);

} // namespace driver::usb
