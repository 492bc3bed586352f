#include "gridctrl/model/GridCellInfo.h"

#include "gridctrl/model/GridCellRange.h"
#include "tests/gridctrl/model/FakeGridSystem.h"

#include <QString>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

using test::FakeGridSystem;

const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kEnglishUs(QLocale::English, QLocale::UnitedStates);

TEST(GridCellInfo, FreshCellAnswersDefaults)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    CGridCellInfo cell;
    std::string text = "untouched";
    EXPECT_EQ(cell.GetPropertyFlags(), 0u);
    EXPECT_EQ(cell.GetFormat(), CGridCellInfo::kFormatText);
    EXPECT_EQ(cell.GetTextColor(), system.sysColor(kColorWindowText));
    EXPECT_EQ(cell.GetBackColor(), system.sysColor(kColorWindow));
    EXPECT_EQ(cell.GetHTextColor(), system.sysColor(kColorHighlightText));
    EXPECT_EQ(cell.GetHBackColor(), system.sysColor(kColorHighlight));
    EXPECT_EQ(cell.GetText(text), 1);
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(cell.GetTextPtr(), nullptr);
    EXPECT_EQ(cell.GetNumber(), 0.0);
    EXPECT_EQ(cell.GetCellType(), 0);
    EXPECT_EQ(cell.GetCellTypeEx(), 0);
    EXPECT_EQ(cell.GetParam(), 0);
    EXPECT_EQ(cell.GetPrecision(), 0);
    EXPECT_EQ(cell.GetBitmap(), nullptr);
    int a = 7, b = 7, c = 7;
    EXPECT_EQ(cell.GetJoin(a, b, c), 1);
    EXPECT_EQ(a, 7);
}

TEST(GridCellInfo, ClearInfoStoresMinusOneBehindClearedBits)
{
    CGridCellInfo cell;
    cell.SetCellType(3);
    cell.SetText("x");
    cell.ClearInfo();
    EXPECT_EQ(cell.GetPropertyFlags(), 0u);
    EXPECT_EQ(cell.GetCellType(), 0);
    cell.SetPropertyFlags(CGridCellInfo::kPropCellType | CGridCellInfo::kPropCellTypeEx |
                          CGridCellInfo::kPropParam | CGridCellInfo::kPropJoin);
    EXPECT_EQ(cell.GetCellType(), -1);
    EXPECT_EQ(cell.GetCellTypeEx(), -1);
    EXPECT_EQ(cell.GetParam(), -1);
    int a = 0, b = 0, c = 0;
    EXPECT_EQ(cell.GetJoin(a, b, c), 0);
    EXPECT_EQ(a, -1);
    EXPECT_EQ(c, -1);
}

TEST(GridCellInfo, SetDefaultsLeavesExactlyTheDefaultProperties)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    CGridCellInfo cell;
    cell.SetBorder(3);
    cell.SetTextColor(rgbColor(1, 2, 3));
    cell.SetDefaults();
    EXPECT_EQ(cell.GetPropertyFlags(), 0x8787u);
    EXPECT_EQ(cell.GetBorder(), 0);
    EXPECT_EQ(cell.GetTextColor(), system.sysColor(kColorWindowText));
    EXPECT_STREQ(cell.GetTextPtr(), "");
    EXPECT_STREQ(cell.GetMaskPtr(), "");
    EXPECT_STREQ(cell.GetLabelPtr(), "");
    EXPECT_EQ(cell.GetFormat(), CGridCellInfo::kFormatText);
}

struct NumberCase
{
    const char* name;
    bool german;
    int precision; // -1: no precision property
    bool exponential;
    double value;
    const char* text;
};

class GridCellInfoNumber : public ::testing::TestWithParam<NumberCase>
{};

TEST_P(GridCellInfoNumber, FormatsWithPrecisionExponentAndSeparator)
{
    const NumberCase& c = GetParam();
    FakeGridSystem system(c.german ? kGerman : QLocale::c());
    ScopedGridSystem scope(system);
    CGridCellInfo cell;
    if (c.precision >= 0) {
        cell.SetPrecision(c.precision);
    }
    cell.SetExponentialFormat(c.exponential ? 1 : 0);
    cell.SetNumber(c.value);
    EXPECT_STREQ(cell.GetTextPtr(), c.text);
    EXPECT_EQ(cell.GetFormat(), CGridCellInfo::kFormatNumber);
    EXPECT_EQ(cell.GetNumber(), c.value);
    EXPECT_TRUE(cell.HasProperty(CGridCellInfo::kPropValue));
    // The text reads back as the value it shows, in either locale.
    double read = 0.0;
    ASSERT_EQ(cell.GetNumber(read), 0);
    EXPECT_DOUBLE_EQ(
        read, QString::fromUtf8(c.text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridCellInfoNumber,
    ::testing::Values(NumberCase{"PrecisionThree", false, 3, false, 2.5, "2.500"},
                      NumberCase{"PrecisionThreeComma", true, 3, false, 2.5, "2,500"},
                      NumberCase{"NoPrecisionComma", true, -1, false, 2.5, "2,500000"},
                      NumberCase{"NoPrecisionExponent", false, -1, true, 12345.678, "1.234568e+04"},
                      NumberCase{"PrecisionExponent", false, 2, true, 0.000123, "1.23e-04"},
                      NumberCase{"NegativeExponentComma", true, 2, true, -1500.0, "-1,50e+03"},
                      NumberCase{"PrecisionZeroRoundsHalfEven", false, 0, false, 2.5, "2"},
                      NumberCase{"Large", false, 0, false, 1e20, "100000000000000000000"},
                      NumberCase{"NegativePrecisionMeansDefault", false, -1, false, -0.125,
                                 "-0.125000"}),
    [](const auto& info) { return std::string(info.param.name); });

// Fixed-point texts are made in a buffer on the stack when they fit; every precision and
// magnitude, halfway cases and texts longer than the buffer must print as printf does.
TEST(GridCellInfo, FixedTextsMatchPrintfAcrossPrecisionsAndMagnitudes)
{
    FakeGridSystem system(QLocale::c());
    ScopedGridSystem scope(system);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.5,
                                  1.5,
                                  2.5,
                                  0.125,
                                  0.0000005,
                                  0.00000049999999999,
                                  1.0000005,
                                  2.675,
                                  1e-7,
                                  5e-324,
                                  1e15,
                                  2.2e15,
                                  2251799813.685248,
                                  2.2e9,
                                  2199999999.9999995,
                                  123456.789012345,
                                  0.1,
                                  1.0 / 3.0,
                                  4294967295.5,
                                  9007199254740993.0,
                                  1e60,
                                  -1e80};
    std::uint64_t seed = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 4000; ++i) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        const double mantissa = static_cast<double>(seed >> 11) / 9007199254740992.0;
        const int exponent = static_cast<int>((seed >> 3) % 40) - 20;
        values.push_back((seed & 1 ? -1.0 : 1.0) * mantissa * std::pow(10.0, exponent));
        values.push_back(std::round(mantissa * 1e6) / std::pow(10.0, static_cast<int>(seed % 9)));
    }
    for (int precision = 0; precision <= 15; ++precision) {
        for (double value : values) {
            CGridCellInfo cell;
            cell.SetPrecision(precision);
            cell.SetNumber(value);
            char expected[512];
            std::snprintf(expected, sizeof expected, "%.*f", precision, value);
            ASSERT_STREQ(cell.GetTextPtr(), expected) << "precision " << precision;
        }
    }
}

TEST(GridCellInfo, PrecisionSetLaterDoesNotReformat)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    CGridCellInfo cell;
    cell.SetNumber(1.0);
    cell.SetPrecision(1);
    EXPECT_STREQ(cell.GetTextPtr(), "1.000000");
    cell.SetPrecision(-4); // no format holds a negative precision: printf's default applies
    cell.SetNumber(1.0);
    EXPECT_STREQ(cell.GetTextPtr(), "1.000000");
}

struct ReadCase
{
    const char* name;
    bool german;
    const char* text;
    double value;
};

class GridCellInfoRead : public ::testing::TestWithParam<ReadCase>
{};

TEST_P(GridCellInfoRead, ReadsTextWithTheUserSeparatorAndThePoint)
{
    const ReadCase& c = GetParam();
    FakeGridSystem system(c.german ? kGerman : QLocale::c());
    ScopedGridSystem scope(system);
    CGridCellInfo cell;
    cell.SetText(c.text);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), c.value);
    double d = -1;
    float f = -1;
    ASSERT_EQ(cell.GetNumber(d), 0);
    ASSERT_EQ(cell.GetNumber(f), 0);
    EXPECT_DOUBLE_EQ(d, c.value);
    EXPECT_FLOAT_EQ(f, static_cast<float>(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridCellInfoRead,
    ::testing::Values(ReadCase{"CommaInGerman", true, "2,500", 2.5},
                      ReadCase{"PointInGerman", true, "2.5", 2.5},
                      ReadCase{"CommaInC", false, "2,5", 2.0},
                      ReadCase{"BlanksSignExponentTrailing", false, "  -3.25e2xyz", -325.0},
                      ReadCase{"PlusSign", false, "+4", 4.0},
                      ReadCase{"NotANumber", false, "abc", 0.0}, ReadCase{"Empty", false, "", 0.0},
                      ReadCase{"DoubleSign", false, "+-4", 0.0},
                      ReadCase{"Underflow", false, "1e-999", 0.0},
                      ReadCase{"GermanExponent", true, "-1,5e+03", -1500.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridCellInfo, IntegerReadsSaturateAndReportMissingText)
{
    CGridCellInfo cell;
    int i = 5;
    long l = 5;
    EXPECT_EQ(cell.GetNumber(i), 1);
    EXPECT_EQ(i, 5);
    struct Case
    {
        const char* text;
        int i;
        long l;
    };
    const Case cases[] = {{"42abc", 42, 42},
                          {" -7", -7, -7},
                          {"99999999999", INT_MAX, 99999999999L},
                          {"-99999999999999999999999", INT_MIN, LONG_MIN},
                          {"x", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        cell.SetText(c.text);
        ASSERT_EQ(cell.GetNumber(i), 0);
        ASSERT_EQ(cell.GetNumber(l), 0);
        EXPECT_EQ(i, c.i);
        EXPECT_EQ(l, c.l);
    }
}

TEST(GridCellInfo, BooleansReadAndWrite)
{
    CGridCellInfo cell;
    cell.SetBool(0);
    EXPECT_STREQ(cell.GetTextPtr(), "0");
    EXPECT_EQ(cell.GetFormat(), CGridCellInfo::kFormatBool);
    cell.SetBool(-3);
    EXPECT_STREQ(cell.GetTextPtr(), "1");
    struct Case
    {
        const char* text;
        int value;
    };
    const Case cases[] = {{"true", 1}, {"0", 0}, {"12", 1}, {"x", 0}, {"", 0}, {"T", 1}, {"-1", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        cell.SetText(c.text);
        EXPECT_EQ(cell.GetBool(), c.value);
    }
    CGridCellInfo empty;
    EXPECT_EQ(empty.GetBool(), 0);
    EXPECT_FALSE(textToBool("0"));
    EXPECT_FALSE(textToBool("False"));
    EXPECT_FALSE(textToBool("f"));
    EXPECT_TRUE(textToBool("yes"));
    EXPECT_TRUE(textToBool("1"));
}

TEST(GridCellInfo, ExponentialFormatToggles)
{
    CGridCellInfo cell;
    cell.SetExponentialFormat(1);
    EXPECT_EQ(cell.GetExponentialFormat(), 1);
    cell.SetExponentialFormat(0);
    EXPECT_EQ(cell.GetExponentialFormat(), 0);
}

TEST(GridCellInfo, CopyReplacesAndMergeAddsProperties)
{
    CGridCellInfo source;
    source.SetText("src");
    for (bool merge : {false, true}) {
        SCOPED_TRACE(merge ? "merge" : "copy");
        FakeGridSystem system;
        ScopedGridSystem scope(system);
        CGridCellInfo target;
        target.SetTextColor(rgbColor(9, 9, 9));
        target.SetText("old");
        if (merge) {
            source.AddInfoTo(target);
        } else {
            source.CopyInfoTo(target);
        }
        EXPECT_STREQ(target.GetTextPtr(), "src");
        EXPECT_EQ(target.GetTextColor(),
                  merge ? rgbColor(9, 9, 9) : system.sysColor(kColorWindowText));
    }
}

TEST(GridCellInfo, CopyCarriesEveryProperty)
{
    GridPen pen(GridPen::Dot, 2, rgbColor(1, 1, 1));
    GridObject font;
    GridObject bitmap;
    CGridCellInfo style;
    CGridCellInfo a;
    a.SetLabel("label");
    a.SetMask("##");
    a.SetPrecision(2);
    a.SetExponentialFormat(1);
    a.SetNumber(3.0);
    a.SetTextColor(1);
    a.SetBackColor(2);
    a.SetHTextColor(3);
    a.SetHBackColor(4);
    a.SetBorder(0x15);
    a.SetBorderColor(&pen);
    a.SetFont(&font);
    a.SetBitmap(&bitmap);
    a.SetAlignment(0x24);
    a.SetReadOnly(7);
    a.SetCellType(4);
    a.SetCellTypeEx(5);
    a.SetStyleCell(&style);
    a.SetJoin(1, 2, 3);
    auto* block = static_cast<unsigned char*>(a.AllocExtraData(3));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abc", 3);

    CGridCellInfo b;
    b.CopyInfoFrom(a);
    CGridCellInfo c(b); // the copy constructor copies too
    for (const CGridCellInfo* cell : {&b, &c}) {
        EXPECT_EQ(cell->GetPropertyFlags(), a.GetPropertyFlags());
        EXPECT_STREQ(cell->GetLabelPtr(), "label");
        EXPECT_STREQ(cell->GetMaskPtr(), "##");
        EXPECT_STREQ(cell->GetTextPtr(), "3.00e+00");
        EXPECT_EQ(cell->GetNumber(), 3.0);
        EXPECT_EQ(cell->GetPrecision(), 2);
        EXPECT_EQ(cell->GetExponentialFormat(), 1);
        EXPECT_EQ(cell->GetTextColor(), 1u);
        EXPECT_EQ(cell->GetBackColor(), 2u);
        EXPECT_EQ(cell->GetHTextColor(), 3u);
        EXPECT_EQ(cell->GetHBackColor(), 4u);
        EXPECT_EQ(cell->GetBorder(), 0x15);
        EXPECT_EQ(cell->GetBorderColor(), &pen);
        EXPECT_EQ(cell->GetFont(), &font);
        EXPECT_EQ(cell->GetBitmap(), &bitmap);
        EXPECT_EQ(cell->GetAlignment(), 0x24);
        EXPECT_EQ(cell->GetReadOnly(), 1);
        EXPECT_EQ(cell->GetCellType(), 4);
        EXPECT_EQ(cell->GetCellTypeEx(), 5);
        EXPECT_EQ(cell->GetStyleCell(), &style);
        int o = 0, x = 0, y = 0;
        EXPECT_EQ(cell->GetJoin(o, x, y), 0);
        EXPECT_EQ(o * 100 + x * 10 + y, 123);
        ASSERT_NE(cell->GetExtraData(), nullptr);
        EXPECT_NE(cell->GetExtraData(), a.GetExtraData()); // its own block
        EXPECT_EQ(cell->extraDataSize(), 3u);
        EXPECT_EQ(std::memcmp(cell->GetExtraData(), "abc", 3), 0);
    }

    // A copy from a cell without a block drops the target's block.
    CGridCellInfo plain;
    plain.SetText("p");
    b.CopyInfoFrom(plain);
    EXPECT_EQ(b.GetExtraData(), nullptr);
    EXPECT_EQ(b.extraDataSize(), 0u);
    // Merging a cell into itself keeps everything.
    a.AddInfoFrom(a);
    a.CopyInfoFrom(a);
    ASSERT_NE(a.GetExtraData(), nullptr);
    EXPECT_EQ(std::memcmp(a.GetExtraData(), "abc", 3), 0);
}

TEST(GridCellInfo, BitmapNullClearsAndExtraDataFrees)
{
    GridObject bitmap;
    CGridCellInfo cell;
    cell.SetBitmap(&bitmap);
    EXPECT_TRUE(cell.HasProperty(CGridCellInfo::kPropBitmap));
    cell.SetBitmap(nullptr);
    EXPECT_FALSE(cell.HasProperty(CGridCellInfo::kPropBitmap));
    EXPECT_EQ(cell.GetBitmap(), nullptr);
    ASSERT_NE(cell.AllocExtraData(16), nullptr);
    cell.FreeExtraData();
    EXPECT_EQ(cell.GetExtraData(), nullptr);
    EXPECT_FALSE(cell.HasProperty(CGridCellInfo::kPropExtraData));
}

TEST(GridCellInfo, ClearPropertyKeepsFieldButHidesIt)
{
    CGridCellInfo cell;
    cell.SetBorder(4);
    cell.ClearProperty(CGridCellInfo::kPropBorder);
    EXPECT_EQ(cell.GetBorder(), 0);
    cell.SetPropertyFlags(cell.GetPropertyFlags() | CGridCellInfo::kPropBorder);
    EXPECT_EQ(cell.GetBorder(), 4);
}

struct DateCase
{
    const char* name;
    QLocale locale;
    int second, minute, hour, day, month, year;
    const char* text; // nullptr: not checked
};

TEST(GridCellInfo, DateTimeRoundTripsInTheUserLocale)
{
    const DateCase cases[] = {
        {"German", kGerman, 7, 5, 21, 9, 12, 2026, "09.12.2026 21:05:07"},
        {"GermanMidnightIsDateOnly", kGerman, 0, 0, 0, 1, 2, 1999, "01.02.1999"},
        {"UnitedStates", kEnglishUs, 59, 59, 23, 31, 12, 2099, nullptr},
        {"UnitedStatesMorning", kEnglishUs, 1, 2, 3, 29, 2, 2024, nullptr},
        {"C", QLocale::c(), 30, 30, 12, 15, 6, 1950, nullptr},
        {"EarlyYear", kGerman, 0, 0, 12, 1, 1, 100, nullptr},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGridSystem system(c.locale);
        ScopedGridSystem scope(system);
        CGridCellInfo cell;
        ASSERT_EQ(cell.SetDateTime(c.second, c.minute, c.hour, c.day, c.month, c.year), 0);
        EXPECT_EQ(cell.GetFormat(), CGridCellInfo::kFormatDateTime);
        if (c.text) {
            EXPECT_STREQ(cell.GetTextPtr(), c.text);
        }
        int s = -1, mi = -1, h = -1, d = -1, mo = -1, y = -1;
        ASSERT_EQ(cell.GetDateTime(s, mi, h, d, mo, y), 0) << cell.GetTextPtr();
        EXPECT_EQ(s, c.second);
        EXPECT_EQ(mi, c.minute);
        EXPECT_EQ(h, c.hour);
        EXPECT_EQ(d, c.day);
        EXPECT_EQ(mo, c.month);
        EXPECT_EQ(y, c.year);
    }
}

TEST(GridCellInfo, BadDatesAreRefused)
{
    FakeGridSystem system(kGerman);
    ScopedGridSystem scope(system);
    CGridCellInfo cell;
    cell.SetText("keep");
    EXPECT_EQ(cell.SetDateTime(0, 0, 0, 30, 2, 2023), 1);
    EXPECT_EQ(cell.SetDateTime(60, 0, 0, 1, 1, 2023), 1);
    EXPECT_EQ(cell.SetDateTime(0, 0, 0, 1, 1, 99), 1);
    EXPECT_EQ(cell.SetDateTime(0, 0, 0, 1, 1, 10000), 1);
    EXPECT_STREQ(cell.GetTextPtr(), "keep");
    EXPECT_EQ(cell.GetFormat(), CGridCellInfo::kFormatText);
    int s, mi, h, d, mo, y;
    EXPECT_EQ(cell.GetDateTime(s, mi, h, d, mo, y), 1);
    CGridCellInfo empty;
    EXPECT_EQ(empty.GetDateTime(s, mi, h, d, mo, y), 1);
}

TEST(GridCellInfo, AutomationDatesSplitIntoSixNumbers)
{
    struct Case
    {
        double date;
        int result, second, minute, hour, day, month, year;
    };
    const Case cases[] = {
        {0.0, 0, 0, 0, 0, 30, 12, 1899},
        {2.5, 0, 0, 0, 12, 1, 1, 1900},
        {-1.25, 0, 0, 0, 6, 29, 12, 1899},
        {45000.0, 0, 0, 0, 0, 15, 3, 2023},
        {36526.999999, 0, 0, 0, 0, 2, 1, 2000},
        {2958465.5, 0, 0, 0, 12, 31, 12, 9999},
        {NAN, 1, 0, 0, 0, 0, 0, 0},
        {3e6, 1, 0, 0, 0, 0, 0, 0},
        {-700000.0, 1, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        int s = 0, mi = 0, h = 0, d = 0, mo = 0, y = 0;
        ASSERT_EQ(oleDateToDateTime(c.date, s, mi, h, d, mo, y), c.result);
        if (c.result == 0) {
            EXPECT_EQ(s, c.second);
            EXPECT_EQ(mi, c.minute);
            EXPECT_EQ(h, c.hour);
            EXPECT_EQ(d, c.day);
            EXPECT_EQ(mo, c.month);
            EXPECT_EQ(y, c.year);
        }
    }
}

TEST(GridCellInfo, JoinNumbersOfABlock)
{
    const GridCellRange block{2, 3, 4, 6};
    EXPECT_EQ(joinNumbersFor(block, {2, 3}), (GridJoin{1, 2, 3}));
    EXPECT_EQ(joinNumbersFor(block, {4, 5}), (GridJoin{0, -2, -2}));
    EXPECT_EQ(joinNumbersFor(block, {2, 6}), (GridJoin{0, 0, -3}));
}

} // namespace
} // namespace gridctrl::model

namespace gridctrl::model {
namespace {

TEST(GridCellInfo, NewTextReplacesAStoredValue)
{
    CGridCellInfo cell;
    const auto setters = {+[](CGridCellInfo& c) { c.SetText("7"); },
                          +[](CGridCellInfo& c) { c.AppendText("7"); },
                          +[](CGridCellInfo& c) { c.SetBool(1); }};
    for (auto set : setters) {
        cell.ClearInfo();
        cell.SetNumber(5.0);
        set(cell);
        EXPECT_FALSE(cell.HasProperty(CGridCellInfo::kPropValue));
        EXPECT_NE(cell.GetNumber(), 5.0);
    }
}

} // namespace
} // namespace gridctrl::model
