#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::automation {

// A 128-bit class, interface or library identifier in its usual four-field form.
struct Guid
{
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    std::array<uint8_t, 8> data4{};

    bool isNull() const { return *this == Guid{}; }
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry holds it.
    std::string toString() const;
    // Reads the braced form (either letter case); nothing for any other text.
    static std::optional<Guid> parse(std::string_view text);

    friend bool operator==(const Guid&, const Guid&) = default;
    friend auto operator<=>(const Guid&, const Guid&) = default;
};

// The program's identifiers share Data1, Data2 and Data4 and differ only in Data3:
// the library is 0x0000, a class's CLSID is even and its dispatch interface one less.
Guid harluneGuid(uint16_t data3);

// The identifier every dispatch interface answers to besides its own.
extern const Guid IID_IDispatch;
extern const Guid IID_IUnknown;

} // namespace platform::automation
