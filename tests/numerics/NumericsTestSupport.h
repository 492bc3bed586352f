#pragma once

// A fixture for the numerical library's tests: a fresh error state, messages and output
// captured from a unit of their own, and a stop that throws instead of ending the process.

#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace numerics::test {

class NumericsTest : public ::testing::Test
{
protected:
    static constexpr std::int32_t kCaptureUnit = 42;

    void SetUp() override
    {
        E1DFLT();
        attachUnit(kCaptureUnit, &m_out);
        std::int32_t unit = kCaptureUnit;
        UMACH(-3, unit);
        UMACH(-2, unit);
        setStopHook(throwOnStop);
    }

    void TearDown() override
    {
        std::int32_t unit = kStandardOutputUnit;
        UMACH(-3, unit);
        UMACH(-2, unit);
        attachUnit(kCaptureUnit, nullptr);
        setStopHook(nullptr);
        E1DFLT();
    }

    // What the library wrote since the last call.
    std::string takeOutput()
    {
        std::string text = m_out.str();
        m_out.str(std::string());
        return text;
    }

    std::ostringstream m_out;
};

} // namespace numerics::test
