#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Value types of the chart model: handles, colours, fonts, the per-set data style and the
// tagged value that carries one property. No Qt here.

namespace platform::chart {

// Handles of charts, data objects and text areas: 32-bit ids from one process-wide table,
// never reused; 0 is "no object".
using XrtHandle = std::uint32_t;

// A colour as a COLORREF: 0x00BBGGRR.
using XrtColor = std::uint32_t;

constexpr XrtColor xrtRgb(int r, int g, int b)
{
    return static_cast<XrtColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int xrtRed(XrtColor c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int xrtGreen(XrtColor c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int xrtBlue(XrtColor c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// A font description. The chart keeps its own copy of every font it is given, so a caller
// never has to keep a font alive for the chart or release one the chart replaced.
// height follows LOGFONT: pixels at 96 dots per inch, negative for the character height,
// positive for the cell height, 0 for the chart's default size.
struct XrtFont
{
    std::string face;
    int height = 0;
    int weight = 0; // 0 default, 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const XrtFont&) const = default;
};

// Line patterns of a data style (the indices of the style lists).
enum XrtLinePattern : std::int32_t
{
    kXrtLineDefault = 0, // drawn solid
    kXrtLineNone = 1,    // no line
    kXrtLineSolid = 2,
    kXrtLineLongDash = 3,
    kXrtLineDotted = 4,
    kXrtLineShortDash = 5,
    kXrtLineLongShortLongDash = 6,
    kXrtLineDashDot = 7,
};

// Point symbols of a data style.
enum XrtPointStyle : std::int32_t
{
    kXrtPointDefault = 0, // no symbol
    kXrtPointNone = 1,
    kXrtPointDot = 2,
    kXrtPointBox = 3,
    kXrtPointTriangle = 4,
    kXrtPointDiamond = 5,
    kXrtPointStar = 6,
    kXrtPointVerticalLine = 7,
    kXrtPointHorizontalLine = 8,
    kXrtPointCross = 9,
    kXrtPointCircle = 10,
    kXrtPointSquare = 11,
    kXrtPointInvertedTriangle = 12,
    kXrtPointDiagonalCross = 13,
    kXrtPointOpenTriangle = 14,
    kXrtPointOpenCircle = 15,
    kXrtPointOpenDiamond = 16,
};

// Fill patterns of filled point symbols.
enum XrtFillPattern : std::int32_t
{
    kXrtFillDefault = 0, // solid
    kXrtFillNone = 1,
    kXrtFillSolid = 2,
    kXrtFill25 = 3,
    kXrtFill50 = 4,
    kXrtFill75 = 5,
    kXrtFillHorizontalStripe = 6,
    kXrtFillVerticalStripe = 7,
    kXrtFill45Stripe = 8,
    kXrtFill135Stripe = 9,
    kXrtFillDiagonalHatch = 10,
    kXrtFillCrossHatch = 11,
};

// The style of one data set (and of the grid lines and the marker): nine 32-bit words,
// the layout the callers keep; the last two are reserved. Widths and sizes are pixels
// (0 to 10; 0 draws the thinnest line).
struct XrtDataStyle
{
    std::int32_t linePattern = kXrtLineSolid;
    std::int32_t fillPattern = kXrtFillSolid;
    XrtColor lineColor = 0;
    std::int32_t lineWidth = 1;
    std::int32_t pointStyle = kXrtPointNone;
    XrtColor pointColor = 0;
    std::int32_t pointSize = 0;
    std::int32_t reserved[2] = {0, 0};

    bool operator==(const XrtDataStyle&) const = default;
};
static_assert(sizeof(XrtDataStyle) == 36, "nine 32-bit words");

// The type a property takes.
enum class XrtValueType
{
    Int,       // integers and 0/1 switches
    Color,     // COLORREF
    Double,    // data coordinates
    Text,      // one string, or null
    TextList,  // a list of strings (the old null-terminated array of lines)
    Font,      // font description, copied by the chart
    DataStyle, // style record, copied by the chart
    Data,      // handle of a data object
};

// One property value. Integers (also colours and handles) are kept as 64-bit so that a
// COLORREF passes unchanged; a null text is the empty variant.
class XrtValue
{
public:
    XrtValue() = default;
    XrtValue(std::nullptr_t) {}
    XrtValue(int v) : m_value(static_cast<std::int64_t>(v)) {}
    XrtValue(unsigned v) : m_value(static_cast<std::int64_t>(v)) {}
    XrtValue(long v) : m_value(static_cast<std::int64_t>(v)) {}
    XrtValue(unsigned long v) : m_value(static_cast<std::int64_t>(v)) {}
    XrtValue(long long v) : m_value(static_cast<std::int64_t>(v)) {}
    XrtValue(double v) : m_value(v) {}
    // A null pointer is a null text.
    XrtValue(const char* text)
    {
        if (text)
            m_value = std::string(text);
    }
    XrtValue(std::string text) : m_value(std::move(text)) {}
    XrtValue(std::string_view text) : m_value(std::string(text)) {}
    XrtValue(std::vector<std::string> lines) : m_value(std::move(lines)) {}
    XrtValue(XrtFont font) : m_value(std::move(font)) {}
    XrtValue(const XrtDataStyle& style) : m_value(style) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isInt() const { return std::holds_alternative<std::int64_t>(m_value); }
    bool isDouble() const { return std::holds_alternative<double>(m_value); }
    bool isText() const { return std::holds_alternative<std::string>(m_value); }
    bool isTextList() const { return std::holds_alternative<std::vector<std::string>>(m_value); }
    bool isFont() const { return std::holds_alternative<XrtFont>(m_value); }
    bool isDataStyle() const { return std::holds_alternative<XrtDataStyle>(m_value); }

    // Numbers convert between integer and double; other kinds give 0.
    std::int64_t toInt() const;
    double toDouble() const;
    // A text; the null text gives "". A list gives its first line.
    std::string toText() const;
    // A list of lines; a single text gives one line, the null text none.
    std::vector<std::string> toTextList() const;
    XrtFont toFont() const;
    XrtDataStyle toDataStyle() const;

    bool operator==(const XrtValue&) const = default;

private:
    std::variant<std::monostate, std::int64_t, double, std::string, std::vector<std::string>,
                 XrtFont, XrtDataStyle>
        m_value;
};

} // namespace platform::chart
