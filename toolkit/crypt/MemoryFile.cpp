#include "toolkit/crypt/MemoryFile.h"

#include "toolkit/crypt/FileException.h"

#include <algorithm>
#include <cstring>

namespace toolkit::crypt {

void MemoryFile::checkOpen() const
{
    if (!m_open) {
        throw FileException(FileException::accessDenied, {});
    }
}

std::size_t MemoryFile::read(void* buffer, std::size_t count)
{
    checkOpen();
    if (m_position >= m_bytes.size()) {
        return 0;
    }
    const std::size_t n =
        std::min<std::uint64_t>(count, m_bytes.size() - static_cast<std::size_t>(m_position));
    std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void MemoryFile::write(const void* buffer, std::size_t count)
{
    checkOpen();
    if (count == 0) {
        return;
    }
    const std::uint64_t end = m_position + count;
    if (end > m_bytes.size()) {
        m_bytes.resize(static_cast<std::size_t>(end), 0);
    }
    std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position = end;
}

std::uint64_t MemoryFile::seek(std::uint64_t position)
{
    checkOpen();
    m_position = position;
    return m_position;
}

void MemoryFile::setLength(std::uint64_t length)
{
    checkOpen();
    m_bytes.resize(static_cast<std::size_t>(length), 0);
}

} // namespace toolkit::crypt
