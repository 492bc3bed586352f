#include "gridctrl/model/GridScrollMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gridctrl::model {

namespace {

constexpr int kWheelDelta = 120;
constexpr int kRowsPerNotch = 3;
constexpr int kMaxStep = 100000;

} // namespace

GridVScrollSetup vScrollSetup(int greatestTopRow, int lockedRows, int mode, int areaHeight,
                              int defaultRowHeight, int topRow)
{
    GridVScrollSetup setup;
    if (greatestTopRow > 1000) {
        setup.positionToRow = greatestTopRow * 0.001;
        setup.rowToPosition = 1000.0 / greatestTopRow;
        if (mode == 2) {
            setup.maximum = 2;
            setup.position = 1;
        } else {
            setup.maximum = 1000;
            setup.page = 1;
            setup.position = static_cast<int>(std::lround(topRow * setup.rowToPosition));
        }
        return setup;
    }
    if (mode == 2) {
        setup.maximum = 2;
        setup.position = 1;
        return setup;
    }
    const int rowHeight = std::max(1, defaultRowHeight);
    setup.page = std::max(0, areaHeight) / rowHeight;
    setup.minimum = lockedRows;
    setup.maximum = std::max(lockedRows, greatestTopRow + setup.page - 1);
    setup.position = topRow;
    return setup;
}

int thumbRow(int position, double positionToRow, int lockedRows)
{
    return static_cast<int>(std::lround(position * positionToRow)) + lockedRows;
}

int GridWheelAccumulator::add(long delta)
{
    // Bounded so that a flood of huge deltas cannot overflow.
    m_pending =
        std::clamp<long long>(m_pending + delta, -1000LL * kWheelDelta, 1000LL * kWheelDelta);
    const long long notches = m_pending / kWheelDelta; // towards zero
    m_pending -= notches * kWheelDelta;
    return static_cast<int>(-notches * kRowsPerNotch);
}

int keyAccelerationStep(int count, int k)
{
    if (k <= 0 || count <= 0) {
        return 1;
    }
    const long long q = count / k;
    if (q > 46) {
        return kMaxStep;
    }
    return static_cast<int>(std::min<long long>(q * q * q + 1, kMaxStep));
}

int ballisticStep(int mode, int distance, int unit)
{
    if (mode <= 0) {
        return 1;
    }
    const long long n = 1 + std::max(0, distance) / std::max(1, unit);
    const double step = std::pow(static_cast<double>(n), std::min(mode, 3));
    return static_cast<int>(std::min<double>(step, kMaxStep));
}

} // namespace gridctrl::model
