#include "platform/chart/XrtTypes.h"

#include <cmath>

namespace platform::chart {

std::int64_t XrtValue::toInt() const
{
    if (const auto* i = std::get_if<std::int64_t>(&m_value))
        return *i;
    if (const auto* d = std::get_if<double>(&m_value)) {
        // A double outside the 32-bit range (or NaN) gives 0 rather than undefined behaviour.
        if (std::isfinite(*d) && std::fabs(*d) < 2147483648.0)
            return static_cast<std::int64_t>(*d);
    }
    return 0;
}

double XrtValue::toDouble() const
{
    if (const auto* d = std::get_if<double>(&m_value))
        return *d;
    if (const auto* i = std::get_if<std::int64_t>(&m_value))
        return static_cast<double>(*i);
    return 0.0;
}

std::string XrtValue::toText() const
{
    if (const auto* s = std::get_if<std::string>(&m_value))
        return *s;
    if (const auto* l = std::get_if<std::vector<std::string>>(&m_value))
        return l->empty() ? std::string() : l->front();
    return {};
}

std::vector<std::string> XrtValue::toTextList() const
{
    if (const auto* l = std::get_if<std::vector<std::string>>(&m_value))
        return *l;
    if (const auto* s = std::get_if<std::string>(&m_value))
        return {*s};
    return {};
}

XrtFont XrtValue::toFont() const
{
    if (const auto* f = std::get_if<XrtFont>(&m_value))
        return *f;
    return {};
}

XrtDataStyle XrtValue::toDataStyle() const
{
    if (const auto* s = std::get_if<XrtDataStyle>(&m_value))
        return *s;
    return {};
}

} // namespace platform::chart
