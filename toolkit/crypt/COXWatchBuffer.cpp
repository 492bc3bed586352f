#include "toolkit/crypt/COXWatchBuffer.h"

#include <algorithm>
#include <cstring>

namespace toolkit::crypt {

void COXWatchBuffer::create(std::size_t size)
{
    m_data.assign(size, 0);
    m_marks.assign(size, 0);
}

void COXWatchBuffer::destroy()
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_marks.clear();
    m_marks.shrink_to_fit();
}

unsigned char* COXWatchBuffer::data(std::size_t offset)
{
    return m_data.data() + std::min(offset, m_data.size());
}

const unsigned char* COXWatchBuffer::data(std::size_t offset) const
{
    return m_data.data() + std::min(offset, m_data.size());
}

std::size_t COXWatchBuffer::write(std::size_t offset, const void* source, std::size_t count)
{
    if (offset >= m_data.size()) {
        return 0;
    }
    const std::size_t n = std::min(count, m_data.size() - offset);
    if (n > 0) {
        std::memcpy(m_data.data() + offset, source, n);
        std::memset(m_marks.data() + offset, 1, n);
    }
    return n;
}

bool COXWatchBuffer::anyWritten() const
{
    return std::find(m_marks.begin(), m_marks.end(), 1) != m_marks.end();
}

bool COXWatchBuffer::isWritten(std::size_t index) const
{
    return index < m_marks.size() && m_marks[index] != 0;
}

void COXWatchBuffer::setAllMarks(bool written)
{
    std::fill(m_marks.begin(), m_marks.end(), written ? 1 : 0);
}

void COXWatchBuffer::setMark(std::size_t index, bool written)
{
    if (index < m_marks.size()) {
        m_marks[index] = written ? 1 : 0;
    }
}

long COXWatchBuffer::firstWritten() const
{
    const auto it = std::find(m_marks.begin(), m_marks.end(), 1);
    return it == m_marks.end() ? -1 : static_cast<long>(it - m_marks.begin());
}

long COXWatchBuffer::firstUnwritten() const
{
    const auto it = std::find(m_marks.begin(), m_marks.end(), 0);
    return it == m_marks.end() ? -1 : static_cast<long>(it - m_marks.begin());
}

long COXWatchBuffer::lastWritten() const
{
    const auto it = std::find(m_marks.rbegin(), m_marks.rend(), 1);
    return it == m_marks.rend() ? -1 : static_cast<long>(m_marks.rend() - it) - 1;
}

void COXWatchBuffer::clear(std::size_t offset, long count)
{
    if (offset >= m_data.size()) {
        return;
    }
    const std::size_t rest = m_data.size() - offset;
    const std::size_t n = count < 0 ? rest : std::min(rest, static_cast<std::size_t>(count));
    std::memset(m_data.data() + offset, 0, n);
    std::memset(m_marks.data() + offset, 0, n);
}

} // namespace toolkit::crypt
