#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The byte layouts of a tool bar's saved state in the application's profile, as pure functions:
// little-endian integers and archive strings. Every decoder parses a whole value, checked
// against its "_Size" and the bytes present, before the caller applies any of it: a value that
// is truncated, over-long or of another layout decodes to nothing.
namespace toolkit::widgets::barstate {

// Reads a value front to back; every read fails (and leaves the reader failed) past the end.
class ByteReader
{
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    bool u8(uint8_t& value);
    bool u16(uint16_t& value);
    bool u32(uint32_t& value);
    bool i32(int32_t& value);
    bool bytes(std::size_t count, std::vector<uint8_t>& out);
    std::size_t remaining() const { return m_failed ? 0 : m_bytes.size() - m_position; }
    std::span<const uint8_t> rest() const { return m_bytes.subspan(m_position); }
    bool skip(std::size_t count);
    bool failed() const { return m_failed; }
    bool atEnd() const { return !m_failed && m_position == m_bytes.size(); }

private:
    std::span<const uint8_t> m_bytes;
    std::size_t m_position = 0;
    bool m_failed = false;
};

void putU8(std::vector<uint8_t>& out, uint8_t value);
void putU16(std::vector<uint8_t>& out, uint16_t value);
void putU32(std::vector<uint8_t>& out, uint32_t value);

// The archive form of a string: its length (one byte below 255; else 0xFF and two bytes below
// 0xFFFE; else 0xFF, 0xFFFF and four bytes) and its bytes without a terminator.
void putArchiveString(std::vector<uint8_t>& out, const std::string& text);
// False past the end of the data; also for the two-byte length 0xFFFE, which marks a wide
// string this program never writes.
bool getArchiveString(ByteReader& reader, std::string& text);

// One button of "%s_ButtonsSettings".
struct ButtonSetting
{
    uint32_t commandId = 0; // 0 for separators
    int32_t image = 0;      // the width for separators
    uint8_t style = 0;
    bool textShown = false;
    std::string text; // shown, or kept hidden for the command
    bool operator==(const ButtonSetting&) const = default;
};
std::vector<uint8_t> encodeButtonsSettings(const std::vector<ButtonSetting>& buttons);
std::optional<std::vector<ButtonSetting>> decodeButtonsSettings(std::span<const uint8_t> value,
                                                                int64_t declaredSize);

// One custom button of "%s_CustomButtonsPositions".
struct CustomButtonPosition
{
    int32_t index = 0;
    uint32_t controlId = 0;
    bool operator==(const CustomButtonPosition&) const = default;
};
std::vector<uint8_t> encodePositions(const std::vector<CustomButtonPosition>& positions);
std::optional<std::vector<CustomButtonPosition>> decodePositions(std::span<const uint8_t> value,
                                                                 int64_t declaredSize);

// One registration of "Toolbars_CustomButtonsSettings" with its control's own state.
struct CustomButtonSetting
{
    uint32_t controlId = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t displayFlags = 0;
    int32_t imageWhenHidden = 0;
    std::vector<uint8_t> controlState;
    bool operator==(const CustomButtonSetting&) const = default;
};
std::vector<uint8_t> encodeCustomButtonsSettings(const std::vector<CustomButtonSetting>& entries);
// How many bytes a control's own state takes at the front of rest (the bytes left in the
// value), or nothing when it does not parse there.
using StateMeasure =
    std::function<std::optional<std::size_t>(uint32_t controlId, std::span<const uint8_t> rest)>;
std::optional<std::vector<CustomButtonSetting>>
decodeCustomButtonsSettings(std::span<const uint8_t> value, int64_t declaredSize,
                            const StateMeasure& measure);

} // namespace toolkit::widgets::barstate
