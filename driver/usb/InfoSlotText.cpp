#include "driver/usb/InfoSlotText.h"

#include <cmath>

namespace driver::usb {
namespace {

// The start of the number: leading blanks and a plus sign skipped.
std::size_t numberStart(const std::string& text)
{
    std::size_t start = text.find_first_not_of(" \t");
    if (start != std::string::npos && text[start] == '+')
        ++start;
    return start;
}

} // namespace

std::string formatSlotFloat(float value, std::chars_format format)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, format, 6);
    return error == std::errc{} ? std::string(text, end) : std::string("0");
}

float slotTextToFloat(const std::string& text)
{
    const std::size_t start = numberStart(text);
    if (start == std::string::npos || start >= text.size())
        return 0.0f;
    float value = 0.0f;
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + text.size(), value);
    (void)end;
    return error == std::errc{} && std::isfinite(value) ? value : 0.0f;
}

int slotTextToInt(const std::string& text)
{
    const std::size_t start = numberStart(text);
    if (start == std::string::npos || start >= text.size())
        return 0;
    int value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + text.size(), value);
    (void)end;
    return error == std::errc{} ? value : 0;
}

} // namespace driver::usb
