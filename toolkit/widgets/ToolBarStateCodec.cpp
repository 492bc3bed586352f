#include "toolkit/widgets/ToolBarStateCodec.h"

namespace toolkit::widgets::barstate {

namespace {

// The smallest entry of each table, so a count can be checked against the bytes left before
// anything is reserved for it.
constexpr std::size_t kSmallestButton = 4 + 4 + 1 + 4 + 1;
constexpr std::size_t kPositionSize = 8;
constexpr std::size_t kSmallestCustomSetting = 20;

bool sizeMatches(std::span<const uint8_t> value, int64_t declaredSize)
{
    return declaredSize >= 0 && static_cast<uint64_t>(declaredSize) == value.size();
}

} // namespace

bool ByteReader::skip(std::size_t count)
{
    if (m_failed || count > m_bytes.size() - m_position) {
        m_failed = true;
        return false;
    }
    m_position += count;
    return true;
}

bool ByteReader::u8(uint8_t& value)
{
    if (!skip(1))
        return false;
    value = m_bytes[m_position - 1];
    return true;
}

bool ByteReader::u16(uint16_t& value)
{
    if (!skip(2))
        return false;
    value = static_cast<uint16_t>(m_bytes[m_position - 2] | (m_bytes[m_position - 1] << 8));
    return true;
}

bool ByteReader::u32(uint32_t& value)
{
    if (!skip(4))
        return false;
    const uint8_t* p = &m_bytes[m_position - 4];
    value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
            (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return true;
}

bool ByteReader::i32(int32_t& value)
{
    uint32_t raw = 0;
    if (!u32(raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool ByteReader::bytes(std::size_t count, std::vector<uint8_t>& out)
{
    const std::size_t start = m_position;
    if (!skip(count))
        return false;
    out.assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(start),
               m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position));
    return true;
}

void putU8(std::vector<uint8_t>& out, uint8_t value)
{
    out.push_back(value);
}

void putU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putArchiveString(std::vector<uint8_t>& out, const std::string& text)
{
    const std::size_t length = text.size();
    if (length < 0xFF) {
        putU8(out, static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        putU8(out, 0xFF);
        putU16(out, static_cast<uint16_t>(length));
    } else {
        putU8(out, 0xFF);
        putU16(out, 0xFFFF);
        putU32(out, static_cast<uint32_t>(length));
    }
    out.insert(out.end(), text.begin(), text.end());
}

bool getArchiveString(ByteReader& reader, std::string& text)
{
    uint8_t first = 0;
    if (!reader.u8(first))
        return false;
    std::size_t length = first;
    if (first == 0xFF) {
        uint16_t word = 0;
        if (!reader.u16(word) || word == 0xFFFE)
            return false;
        length = word;
        if (word == 0xFFFF) {
            uint32_t dword = 0;
            if (!reader.u32(dword))
                return false;
            length = dword;
        }
    }
    if (length > reader.remaining())
        return false;
    const std::span<const uint8_t> rest = reader.rest();
    text.assign(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(length));
    return reader.skip(length);
}

std::vector<uint8_t> encodeButtonsSettings(const std::vector<ButtonSetting>& buttons)
{
    std::vector<uint8_t> out;
    putU32(out, static_cast<uint32_t>(buttons.size()));
    for (const ButtonSetting& button : buttons) {
        putU32(out, button.commandId);
        putU32(out, static_cast<uint32_t>(button.image));
        putU8(out, button.style);
        putU32(out, button.textShown ? 1 : 0);
        putArchiveString(out, button.text);
    }
    return out;
}

std::optional<std::vector<ButtonSetting>> decodeButtonsSettings(std::span<const uint8_t> value,
                                                                int64_t declaredSize)
{
    if (!sizeMatches(value, declaredSize))
        return std::nullopt;
    ByteReader reader(value);
    uint32_t count = 0;
    if (!reader.u32(count) || count > reader.remaining() / kSmallestButton)
        return std::nullopt;
    std::vector<ButtonSetting> buttons(count);
    for (ButtonSetting& button : buttons) {
        uint32_t shown = 0;
        if (!reader.u32(button.commandId) || !reader.i32(button.image) ||
            !reader.u8(button.style) || !reader.u32(shown) || shown > 1 ||
            !getArchiveString(reader, button.text))
            return std::nullopt;
        button.textShown = shown == 1;
    }
    if (!reader.atEnd())
        return std::nullopt;
    return buttons;
}

std::vector<uint8_t> encodePositions(const std::vector<CustomButtonPosition>& positions)
{
    std::vector<uint8_t> out;
    putU32(out, static_cast<uint32_t>(positions.size()));
    for (const CustomButtonPosition& position : positions) {
        putU32(out, static_cast<uint32_t>(position.index));
        putU32(out, position.controlId);
    }
    return out;
}

std::optional<std::vector<CustomButtonPosition>> decodePositions(std::span<const uint8_t> value,
                                                                 int64_t declaredSize)
{
    if (!sizeMatches(value, declaredSize))
        return std::nullopt;
    ByteReader reader(value);
    uint32_t count = 0;
    if (!reader.u32(count) || count > reader.remaining() / kPositionSize)
        return std::nullopt;
    std::vector<CustomButtonPosition> positions(count);
    for (CustomButtonPosition& position : positions)
        if (!reader.i32(position.index) || !reader.u32(position.controlId))
            return std::nullopt;
    if (!reader.atEnd())
        return std::nullopt;
    return positions;
}

std::vector<uint8_t> encodeCustomButtonsSettings(const std::vector<CustomButtonSetting>& entries)
{
    std::vector<uint8_t> out;
    putU32(out, static_cast<uint32_t>(entries.size()));
    for (const CustomButtonSetting& entry : entries) {
        putU32(out, entry.controlId);
        putU32(out, static_cast<uint32_t>(entry.width));
        putU32(out, static_cast<uint32_t>(entry.height));
        putU32(out, entry.displayFlags);
        putU32(out, static_cast<uint32_t>(entry.imageWhenHidden));
        out.insert(out.end(), entry.controlState.begin(), entry.controlState.end());
    }
    return out;
}

std::optional<std::vector<CustomButtonSetting>>
decodeCustomButtonsSettings(std::span<const uint8_t> value, int64_t declaredSize,
                            const StateMeasure& measure)
{
    if (!sizeMatches(value, declaredSize))
        return std::nullopt;
    ByteReader reader(value);
    uint32_t count = 0;
    if (!reader.u32(count) || count > reader.remaining() / kSmallestCustomSetting)
        return std::nullopt;
    std::vector<CustomButtonSetting> entries(count);
    for (CustomButtonSetting& entry : entries) {
        if (!reader.u32(entry.controlId) || !reader.i32(entry.width) || !reader.i32(entry.height) ||
            !reader.u32(entry.displayFlags) || !reader.i32(entry.imageWhenHidden))
            return std::nullopt;
        // The control's own state: only the bytes left in the value are offered to it.
        std::size_t stateSize = 0;
        if (measure) {
            const std::optional<std::size_t> taken = measure(entry.controlId, reader.rest());
            if (!taken || *taken > reader.remaining())
                return std::nullopt;
            stateSize = *taken;
        }
        if (!reader.bytes(stateSize, entry.controlState))
            return std::nullopt;
    }
    if (!reader.atEnd())
        return std::nullopt;
    return entries;
}

} // namespace toolkit::widgets::barstate
