#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The text label's geometry as pure functions, so the drawing code and the tests share them.
namespace toolkit::widgets::textlabel {

struct PointF
{
    double x = 0;
    double y = 0;
};

struct ScrollStep
{
    int32_t step = 0;     // pixels moved per step
    int32_t periodMs = 0; // period of one step
};

// Step and period for a scroll speed in pixels per second: the pair (step below the speed,
// period from minPeriodMs to 999 ms) whose speed 1000·step / period comes closest to the wanted
// one without passing it, the smaller step and then the shorter period winning a tie; used when
// it falls short by at most speed / 6, else (and for speeds of 0 or 1) the speed itself every
// 1000 ms. The work does not grow with the speed.
ScrollStep chooseScrollStep(int32_t speed, int32_t minPeriodMs);

// Per period only the largest step whose speed is not above the wanted one can win; a direct
// search over every step is kept for the tests as the reference.
ScrollStep chooseScrollStepBySearch(int32_t speed, int32_t minPeriodMs);

// The offset of the second copy of scrolling text, on the side opposite to the direction of
// travel, for a scrolling area of width by height and a direction in degrees (0 to 359).
PointF wrapOffset(int32_t directionDegrees, double width, double height);

// The movement of one step of step pixels in the direction (screen y grows downwards).
PointF stepOffset(int32_t directionDegrees, int32_t step);

// The text's centre for the alignments (0 left, 1 centre, 2 right; 3 top, 4 centre, 5 bottom)
// in a client rectangle, for a bitmap of bitmapWidth by bitmapHeight.
PointF textCentre(int32_t horzAlignment, int32_t vertAlignment, int32_t clientLeft,
                  int32_t clientTop, int32_t clientRight, int32_t clientBottom, int32_t bitmapWidth,
                  int32_t bitmapHeight);

struct Size
{
    int32_t cx = 0;
    int32_t cy = 0;
};

// The size of a text of extent cx by cy turned by angleTenths (tenths of degrees), plus the
// margins.
Size measureRotated(int32_t cx, int32_t cy, int32_t angleTenths, int32_t marginLeft,
                    int32_t marginTop, int32_t marginRight, int32_t marginBottom);

// The width a text may take in a client width before it is shortened: the width less the part
// that the escapement (tenths of degrees) turns away.
int32_t fitRoom(int32_t clientWidth, int32_t escapementTenths);

// The text shown for a text cut to keep characters (of the text's code points) with an ellipsis:
// mode 4 at the start, 5 in the middle, 6 at the end.
std::u32string ellipsisText(const std::u32string& text, std::size_t keep, int32_t mode);

// The text shortened until its width (measured by width) is below room: the most characters
// kept whose shortened text fits, "..." alone when none does; other modes than 4 to 6 keep the
// text whole. Bisects the number kept, so a long text costs a few dozen measurements.
std::u32string fitText(const std::u32string& text, int32_t room, int32_t mode,
                       const std::function<int32_t(const std::u32string&)>& width);

} // namespace toolkit::widgets::textlabel
