#include "app/automation/NumericsMessageCapture.h"

#include "numerics/MachineConstants.h"

namespace {

// Unit numbers of the captures, one per nesting level, apart from the library's own units.
constexpr std::int32_t kFirstCaptureUnit = 900;
std::int32_t g_depth = 0;

} // namespace

NumericsMessageCapture::NumericsMessageCapture() : m_unit(kFirstCaptureUnit + g_depth)
{
    ++g_depth;
    numerics::UMACH(3, m_previousUnit);
    numerics::attachUnit(m_unit, &m_stream);
    std::int32_t unit = m_unit;
    numerics::UMACH(-3, unit);
}

NumericsMessageCapture::~NumericsMessageCapture()
{
    std::int32_t unit = m_previousUnit;
    numerics::UMACH(-3, unit);
    numerics::attachUnit(m_unit, nullptr);
    --g_depth;
}

std::string NumericsMessageCapture::text() const
{
    const std::string raw = m_stream.str();
    std::string line;
    bool blank = false;
    for (const char c : raw) {
        if (c == '\n' || c == '\r' || c == ' ' || c == '\t') {
            blank = !line.empty();
            continue;
        }
        if (blank)
            line.push_back(' ');
        blank = false;
        line.push_back(c);
    }
    return line;
}
