#pragma once

namespace gridctrl::model {

// The arithmetic of the grid's scroll bars, wheel, key acceleration and drag scrolling, as
// plain functions and one small accumulator, so the child windows stay thin.

// The vertical scroll bar's set-up for a sheet. Above 1000 possible top rows the bar runs
// 0 to 1000 and the factors convert; mode 2 is a three-position spin control (0 to 2).
struct GridVScrollSetup
{
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    int position = 0;
    double rowToPosition = 1.0;
    double positionToRow = 1.0;
};
GridVScrollSetup vScrollSetup(int greatestTopRow, int lockedRows, int mode, int areaHeight,
                              int defaultRowHeight, int topRow);
// The row a thumb position names (the hint of thumb tracking): round(position x factor) plus
// the locked rows.
int thumbRow(int position, double positionToRow, int lockedRows);

// Adds up wheel deltas: 3 rows per 120, up (negative) for a positive delta; deltas smaller
// than a notch (touchpads, fine wheels) add up across events.
class GridWheelAccumulator
{
public:
    // The rows to move for this event (negative: up).
    int add(long delta);
    void reset() { m_pending = 0; }

private:
    long long m_pending = 0;
};

// The step of an arrow key after `count` key downs in a row with ballistic key mode `k`
// (0: always 1): q = count / k, step q^3 + 1, at most 100,000.
int keyAccelerationStep(int count, int k);

// The step of a drag selection `distance` pixels beyond the cell area's edge with ballistic
// mode `mode` (0: one line), `unit` pixels per column or row: (1 + distance / unit) ^ mode.
int ballisticStep(int mode, int distance, int unit);

} // namespace gridctrl::model
