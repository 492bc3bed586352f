#include "platform/chart/XrtDataObject.h"

#include <algorithm>
#include <atomic>

namespace platform::chart {

namespace {

// The last x generation given out, by any data object.
std::atomic<std::uint64_t> g_lastXGeneration{0};

std::uint64_t nextXGeneration()
{
    return g_lastXGeneration.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace

XrtDataObject::XrtDataObject(int sets, int points)
    : m_sets(sets), m_points(points),
      m_x(static_cast<std::size_t>(sets) * static_cast<std::size_t>(points), 0.0),
      m_y(m_x.size(), 0.0), m_lastSet(sets - 1), m_firstPoint(static_cast<std::size_t>(sets), 0),
      m_lastPoint(static_cast<std::size_t>(sets), points - 1), m_xGeneration(nextXGeneration())
{}

void XrtDataObject::xChanged()
{
    m_xGeneration = nextXGeneration();
}

bool XrtDataObject::copyInto(std::vector<double>& target, int set, std::span<const double> values,
                             int first)
{
    if (!validRange(set, first, values.size()))
        return false;
    std::copy(values.begin(), values.end(),
              target.begin() + static_cast<std::ptrdiff_t>(set) * m_points + first);
    return true;
}

bool XrtDataObject::setX(int set, std::span<const double> values, int first)
{
    if (!validRange(set, first, values.size()))
        return false;
    // A live view sets the same wavelengths with every scan: they keep their generation.
    double* target = m_x.data() + static_cast<std::ptrdiff_t>(set) * m_points + first;
    bool changed = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        changed |= !(target[i] == values[i]);
        target[i] = values[i];
    }
    if (changed)
        xChanged();
    return true;
}

bool XrtDataObject::setY(int set, std::span<const double> values, int first)
{
    return copyInto(m_y, set, values, first);
}

bool XrtDataObject::setXElement(int set, int point, double value)
{
    if (!validSet(set) || !validPoint(point))
        return false;
    double& x = m_x[static_cast<std::size_t>(set) * m_points + point];
    if (!(x == value))
        xChanged();
    x = value;
    return true;
}

bool XrtDataObject::setYElement(int set, int point, double value)
{
    if (!validSet(set) || !validPoint(point))
        return false;
    m_y[static_cast<std::size_t>(set) * m_points + point] = value;
    return true;
}

bool XrtDataObject::xElement(int set, int point, double& value) const
{
    if (!validSet(set) || !validPoint(point))
        return false;
    value = m_x[static_cast<std::size_t>(set) * m_points + point];
    return true;
}

bool XrtDataObject::yElement(int set, int point, double& value) const
{
    if (!validSet(set) || !validPoint(point))
        return false;
    value = m_y[static_cast<std::size_t>(set) * m_points + point];
    return true;
}

bool XrtDataObject::setFirstSet(int set)
{
    if (!validSet(set))
        return false;
    m_firstSet = set;
    return true;
}

bool XrtDataObject::setLastSet(int set)
{
    if (!validSet(set))
        return false;
    m_lastSet = set;
    return true;
}

bool XrtDataObject::setFirstPoint(int set, int point)
{
    if (!validSet(set) || !validPoint(point))
        return false;
    m_firstPoint[static_cast<std::size_t>(set)] = point;
    return true;
}

bool XrtDataObject::setLastPoint(int set, int point)
{
    if (!validSet(set) || !validPoint(point))
        return false;
    m_lastPoint[static_cast<std::size_t>(set)] = point;
    return true;
}

int XrtDataObject::firstPoint(int set) const
{
    return validSet(set) ? m_firstPoint[static_cast<std::size_t>(set)] : 0;
}

int XrtDataObject::lastPoint(int set) const
{
    return validSet(set) ? m_lastPoint[static_cast<std::size_t>(set)] : -1;
}

std::span<const double> XrtDataObject::x(int set) const
{
    if (!validSet(set))
        return {};
    return std::span<const double>(m_x).subspan(static_cast<std::size_t>(set) * m_points,
                                                static_cast<std::size_t>(m_points));
}

std::span<const double> XrtDataObject::y(int set) const
{
    if (!validSet(set))
        return {};
    return std::span<const double>(m_y).subspan(static_cast<std::size_t>(set) * m_points,
                                                static_cast<std::size_t>(m_points));
}

} // namespace platform::chart
