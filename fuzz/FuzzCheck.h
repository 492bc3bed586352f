#pragma once

// Checks of the fuzz targets: a broken invariant is reported and ends the run, so that
// libFuzzer keeps the input that broke it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

// Hands out the input's bytes one by one (zero once they run out), for the choices a target
// makes before it reads the rest.
class ByteSource
{
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t take()
    {
        if (m_size == 0) {
            return 0;
        }
        --m_size;
        return *m_data++;
    }

    std::string_view rest() const { return {reinterpret_cast<const char*>(m_data), m_size}; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

} // namespace fuzz
