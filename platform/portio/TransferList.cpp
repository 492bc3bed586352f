#include "platform/portio/TransferList.h"

#include <algorithm>

namespace platform::portio {
namespace {

bool validWidth(int widthBytes)
{
    return widthBytes == 1 || widthBytes == 2 || widthBytes == 4;
}

void putWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t b = 0; b < 4; ++b)
        bytes[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
}

} // namespace

TransferList::TransferList(int range, std::size_t capacity, std::size_t extraBytes)
    : m_range(range), m_capacity(capacity), m_extra(extraBytes, 0)
{
    m_entries.reserve(capacity);
}

bool TransferList::append(TransferEntry entry)
{
    if (m_entries.size() >= m_capacity)
        return false;
    m_entries.push_back(entry);
    return true;
}

bool TransferList::appendRead(std::uint32_t offset, int widthBytes, std::uint32_t* copyTo)
{
    if (!validWidth(widthBytes))
        return false;
    TransferEntry entry;
    entry.opcode = kOpRead + static_cast<std::uint32_t>(widthBytes);
    entry.words[0] = offset;
    entry.copyTo = copyTo;
    return append(entry);
}

bool TransferList::appendWrite(std::uint32_t offset, int widthBytes, std::uint32_t value)
{
    if (!validWidth(widthBytes))
        return false;
    TransferEntry entry;
    entry.opcode = kOpWrite + static_cast<std::uint32_t>(widthBytes);
    entry.words[0] = offset;
    entry.words[1] = value;
    return append(entry);
}

bool TransferList::appendBoard(std::uint32_t width, std::uint32_t argument)
{
    TransferEntry entry;
    entry.opcode = kOpBoard + width;
    entry.words[0] = argument;
    return append(entry);
}

bool TransferList::appendBoard2(std::uint32_t a, std::uint32_t b)
{
    TransferEntry entry;
    entry.opcode = kOpBoard2;
    entry.words[0] = a;
    entry.words[1] = b;
    return append(entry);
}

bool TransferList::appendBoard3(std::span<const std::uint32_t, 5> arguments)
{
    TransferEntry entry;
    entry.opcode = kOpBoard3;
    for (std::size_t k = 0; k < 5; ++k)
        entry.words[k] = arguments[k];
    return append(entry);
}

bool TransferList::appendBoard4()
{
    TransferEntry entry;
    entry.opcode = kOpBoard4;
    return append(entry);
}

std::vector<std::uint8_t> TransferList::encode(std::uint32_t context) const
{
    std::vector<std::uint8_t> bytes(
        kListHeaderBytes + m_capacity * kListEntryBytes + m_extra.size(), 0);
    const auto extraBytes = static_cast<std::uint32_t>(m_extra.size());
    putWord(bytes, 0, context);
    putWord(bytes, 4, kListMarker);
    putWord(bytes, 8, static_cast<std::uint32_t>(m_range));
    putWord(bytes, 12, static_cast<std::uint32_t>(m_entries.size()));
    putWord(bytes, 16, static_cast<std::uint32_t>(m_capacity));
    putWord(bytes, 20, 1);
    putWord(bytes, 32, extraBytes);
    putWord(bytes, 36, extraBytes);
    for (std::size_t k = 0; k < m_entries.size(); ++k) {
        const std::size_t at = kListHeaderBytes + k * kListEntryBytes;
        putWord(bytes, at, m_entries[k].opcode);
        for (std::size_t w = 0; w < m_entries[k].words.size(); ++w)
            putWord(bytes, at + 4 + 4 * w, m_entries[k].words[w]);
    }
    std::copy(m_extra.begin(), m_extra.end(),
              bytes.begin() +
                  static_cast<std::ptrdiff_t>(kListHeaderBytes + m_capacity * kListEntryBytes));
    return bytes;
}

} // namespace platform::portio
