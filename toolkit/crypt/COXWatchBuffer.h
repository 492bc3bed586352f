#pragma once

#include <cstddef>
#include <vector>

namespace toolkit::crypt {

// A block of bytes that remembers which of its bytes were written. Offsets and counts are
// clamped to the buffer.
class COXWatchBuffer
{
public:
    COXWatchBuffer() = default;
    explicit COXWatchBuffer(std::size_t size) { create(size); }

    // Allocates data and marks of `size` bytes, all 0.
    void create(std::size_t size);
    void destroy();
    std::size_t size() const { return m_data.size(); }
    unsigned char* data(std::size_t offset = 0);
    const unsigned char* data(std::size_t offset = 0) const;
    // Copies `count` bytes to `offset` and marks them written; returns the bytes copied.
    std::size_t write(std::size_t offset, const void* source, std::size_t count);
    bool anyWritten() const;
    bool isWritten(std::size_t index) const;
    void setAllMarks(bool written);
    void setMark(std::size_t index, bool written);
    // Index of the first written (unwritten) byte, or -1.
    long firstWritten() const;
    long firstUnwritten() const;
    // Index of the last written byte, or -1.
    long lastWritten() const;
    // Sets data and marks of `count` bytes from `offset` (all to the end for -1) to 0.
    void clear(std::size_t offset = 0, long count = -1);

private:
    std::vector<unsigned char> m_data;
    std::vector<unsigned char> m_marks;
};

} // namespace toolkit::crypt
