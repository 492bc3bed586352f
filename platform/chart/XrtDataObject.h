#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A chart data object: sets x points of x and y doubles, with the range of sets drawn
// (first and last set) and, per set, the range of points drawn (first and last point).
// GUI thread only. No Qt.

namespace platform::chart {

// The one data layout the program creates: every set has its own x values.
inline constexpr int kXrtDataGeneral = 2;

class XrtDataObject
{
public:
    // sets and points must be positive (XrtDataCreate checks).
    XrtDataObject(int sets, int points);

    int sets() const { return m_sets; }
    int points() const { return m_points; }

    // Copies count values into the set's x (or y) values from index first. Refused (false,
    // nothing changed) when the set does not exist or the values do not fit.
    bool setX(int set, std::span<const double> values, int first);
    bool setY(int set, std::span<const double> values, int first);
    bool setXElement(int set, int point, double value);
    bool setYElement(int set, int point, double value);
    // False when the set or point does not exist.
    bool xElement(int set, int point, double& value) const;
    bool yElement(int set, int point, double& value) const;

    // The range of sets drawn; a value outside 0..sets-1 is refused.
    bool setFirstSet(int set);
    bool setLastSet(int set);
    int firstSet() const { return m_firstSet; }
    int lastSet() const { return m_lastSet; }

    // The range of points drawn in one set; refused outside 0..points-1.
    bool setFirstPoint(int set, int point);
    bool setLastPoint(int set, int point);
    int firstPoint(int set) const;
    int lastPoint(int set) const;

    // All x or y values of one set (empty for an unknown set).
    std::span<const double> x(int set) const;
    std::span<const double> y(int set) const;

    // Changes whenever an x value changes (setting the value it holds changes nothing), and
    // differs between data objects, so a renderer can keep what it worked out from the x
    // values until they change.
    std::uint64_t xGeneration() const { return m_xGeneration; }

private:
    bool validSet(int set) const { return set >= 0 && set < m_sets; }
    bool validPoint(int point) const { return point >= 0 && point < m_points; }
    // Whether count values from point first fit in a set.
    bool validRange(int set, int first, std::size_t count) const
    {
        return validSet(set) && first >= 0 && first <= m_points &&
               count <= static_cast<std::size_t>(m_points - first);
    }
    bool copyInto(std::vector<double>& target, int set, std::span<const double> values, int first);
    void xChanged();

    int m_sets;
    int m_points;
    std::vector<double> m_x; // set-major: set * points + point
    std::vector<double> m_y;
    int m_firstSet = 0;
    int m_lastSet;
    std::vector<int> m_firstPoint;
    std::vector<int> m_lastPoint;
    std::uint64_t m_xGeneration;
};

} // namespace platform::chart
