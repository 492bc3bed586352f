#include "numerics/TextToInteger.h"

#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"

namespace numerics {

namespace {

void reportNonnumeric(std::string_view text, std::size_t position)
{
    E1VALL(-1, text);
    E1VALI(1, static_cast<std::int32_t>(position));
    E1MES(kTerminal, 2, "The string '%(L1)' contains a nonnumeric character at position %(I1)");
}

} // namespace

void CVTSI(std::string_view text, std::int32_t& number)
{
    E1PSH("CVTSI ");
    number = 0;
    if (text.empty()) {
        E1VALI(1, 0);
        E1MES(kTerminal, 1, "The length of the input string is %(I1)");
        E1POP("CVTSI ");
        return;
    }
    const std::size_t length = text.size();
    std::size_t i = 0; // 0-based; positions in the messages are 1-based
    while (i < length && text[i] == ' ') {
        ++i;
    }
    if (i == length) {
        E1VALL(-1, text);
        E1MES(kTerminal, 4, "The input string '%(L1)' cannot be converted to an integer.");
        E1POP("CVTSI ");
        return;
    }
    const std::size_t firstNonblank = i;
    std::int32_t sign = 1;
    if (text[i] == '-') {
        sign = -1;
        ++i;
    } else if (text[i] == '+') {
        ++i;
    }
    while (i < length && text[i] == ' ') {
        ++i;
    }
    if (i == length) {
        reportNonnumeric(text, firstNonblank + 1);
        E1POP("CVTSI ");
        return;
    }
    const std::int32_t largest = IMACH(5);
    std::int32_t value = 0;
    const std::size_t firstDigit = i;
    while (i < length && text[i] >= '0' && text[i] <= '9') {
        const std::int32_t d = text[i] - '0';
        if ((largest - d) / 10 < value) {
            E1VALL(-1, text);
            E1MES(kTerminal, 3, "The string '%(L1)' is too large to be converted to an integer.");
            E1POP("CVTSI ");
            return;
        }
        value = 10 * value + d;
        ++i;
    }
    if (i == firstDigit) {
        // No digit: the position of the character that stopped the reading, or of the
        // first nonblank one when a second sign stopped it.
        const bool atSign = text[i] == '-' || text[i] == '+';
        reportNonnumeric(text, atSign ? firstNonblank + 1 : i + 1);
        E1POP("CVTSI ");
        return;
    }
    number = sign * value;
    const std::size_t afterDigits = i;
    while (i < length && text[i] == ' ') {
        ++i;
    }
    if (i < length) {
        reportNonnumeric(text, afterDigits + 1);
    }
    E1POP("CVTSI ");
}

} // namespace numerics
