#pragma once

#include <cstdint>
#include <sstream>
#include <string>

// Catches what the numerical library writes to its message unit while it lives (one call of a
// spectral-math member), instead of letting it go to standard output, where nobody reads it.
// Captures nest: each restores the unit it found. GUI thread only.
class NumericsMessageCapture
{
public:
    NumericsMessageCapture();
    ~NumericsMessageCapture();
    NumericsMessageCapture(const NumericsMessageCapture&) = delete;
    NumericsMessageCapture& operator=(const NumericsMessageCapture&) = delete;

    // The messages written so far, on one line (line ends and runs of blanks become one
    // blank); empty when none came.
    std::string text() const;

private:
    std::ostringstream m_stream;
    std::int32_t m_previousUnit = 0;
    std::int32_t m_unit = 0;
};
