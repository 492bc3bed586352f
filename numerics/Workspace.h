#pragma once

// Guarded heap workspace of the numerical routines. A block holds the caller's elements
// between two guard words (the block's length in elements, negated, as a double); the
// release checks both guards and reports a damaged block.
// Threads: process-wide state without a lock (see ErrorReporting.h).

#include <cstddef>
#include <cstdint>
#include <exception>

namespace numerics {

// Allocates a block for n elements of the type code (-1: 1 byte, -2: 4-byte integer,
// -3: 4-byte real, 1, 2 or 4: that many bytes) and returns its first data element, or
// nullptr when the memory cannot be had (a size too large for memory included). Any other
// code posts a TERMINAL message (code 1) and stops.
void* IEMORM(std::size_t n, std::int32_t typeCode);

// Releases a block from IEMORM, given its first data element and the same type code.
// A damaged guard, or an address that is not a live block, posts a TERMINAL message
// ("Memory has been corrupted.") and stops. nullptr does nothing.
void IEGFRE(void* address, std::int32_t typeCode);

namespace detail {
// Releases a live block without checking it (used while an exception unwinds).
void releaseUnchecked(void* address);
} // namespace detail

// A workspace array of doubles or 32-bit integers from IEMORM, released by IEGFRE when it
// goes out of scope. Empty (data() == nullptr) when the memory cannot be had.
template <class T> class WorkspaceArray
{
    static_assert(sizeof(T) == 8 || sizeof(T) == 4, "doubles or 32-bit integers");

public:
    explicit WorkspaceArray(std::size_t count)
    {
        constexpr std::size_t kWords = sizeof(T) / 4;
        if (count <= SIZE_MAX / kWords) {
            m_data = static_cast<T*>(IEMORM(count * kWords, -3));
        }
    }
    ~WorkspaceArray() noexcept(false)
    {
        if (m_data == nullptr) {
            return;
        }
        if (std::uncaught_exceptions() > m_exceptions) {
            detail::releaseUnchecked(m_data);
        } else {
            IEGFRE(m_data, -3);
        }
    }
    WorkspaceArray(const WorkspaceArray&) = delete;
    WorkspaceArray& operator=(const WorkspaceArray&) = delete;

    T* data() const { return m_data; }
    explicit operator bool() const { return m_data != nullptr; }

private:
    T* m_data = nullptr;
    int m_exceptions = std::uncaught_exceptions();
};

} // namespace numerics
