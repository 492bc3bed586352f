#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace platform::portio {

// Opcodes of transfer-list entries. Reads and writes add their width (1, 2 or 4).
inline constexpr std::uint32_t kOpRead = 128;
inline constexpr std::uint32_t kOpWrite = 192;
inline constexpr std::uint32_t kOpBoard = 224; // board-specific, one argument
inline constexpr std::uint32_t kOpBoard2 = 2;  // board-specific, two arguments
inline constexpr std::uint32_t kOpBoard3 = 3;  // board-specific, five arguments
inline constexpr std::uint32_t kOpBoard4 = 4;  // board-specific, no argument

// Sizes of the list's wire format: a header, fixed-size entries, then the extra area.
inline constexpr std::size_t kListHeaderBytes = 48;
inline constexpr std::size_t kListEntryBytes = 32;
inline constexpr std::uint32_t kListMarker = 0x40000;

// One entry: the opcode and up to seven argument words. Reads keep the port offset in
// word 0 and receive the value in word 1; `copyTo` (optional) gets the value after the
// list has run.
class TransferEntry
{
public:
    std::uint32_t opcode = 0;
    std::array<std::uint32_t, 7> words{};
    std::uint32_t* copyTo = nullptr;

    bool isRead() const
    {
        return opcode == kOpRead + 1 || opcode == kOpRead + 2 || opcode == kOpRead + 4;
    }
    bool isWrite() const
    {
        return opcode == kOpWrite + 1 || opcode == kOpWrite + 2 || opcode == kOpWrite + 4;
    }
    int width() const { return static_cast<int>(opcode & 7); }
};

// A list of port operations run as one unit under the device lock, addressing one port
// range, with an extra area that board-specific entries fill. Not thread-safe itself.
class TransferList
{
public:
    // A cleared list of `capacity` entries and `extraBytes` of extra area.
    TransferList(int range, std::size_t capacity, std::size_t extraBytes);

    int range() const { return m_range; }
    std::size_t capacity() const { return m_capacity; }
    std::size_t size() const { return m_entries.size(); }

    // Append an entry; false when the list is full or the width is not 1, 2 or 4.
    bool appendRead(std::uint32_t offset, int widthBytes, std::uint32_t* copyTo = nullptr);
    bool appendWrite(std::uint32_t offset, int widthBytes, std::uint32_t value);
    bool appendBoard(std::uint32_t width, std::uint32_t argument);
    bool appendBoard2(std::uint32_t a, std::uint32_t b);
    bool appendBoard3(std::span<const std::uint32_t, 5> arguments);
    bool appendBoard4();

    std::span<TransferEntry> entries() { return m_entries; }
    std::span<const TransferEntry> entries() const { return m_entries; }
    // The extra area (its address is what a list builder hands to the board code).
    std::span<std::uint8_t> extra() { return m_extra; }
    std::span<const std::uint8_t> extra() const { return m_extra; }

    // The list in its wire format (little-endian 32-bit words): header, `capacity`
    // entries, extra area; `context` is the device context word. Copy addresses are
    // process-local and written as 0.
    std::vector<std::uint8_t> encode(std::uint32_t context) const;

private:
    bool append(TransferEntry entry);

    int m_range;
    std::size_t m_capacity;
    std::vector<TransferEntry> m_entries;
    std::vector<std::uint8_t> m_extra;
};

} // namespace platform::portio
