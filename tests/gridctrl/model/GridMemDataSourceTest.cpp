#include "gridctrl/model/GridMemDataSource.h"

#include "gridctrl/model/GridSheetState.h"
#include "gridctrl/model/GridSortEvaluate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

CGridCellInfo textCell(const std::string& text)
{
    CGridCellInfo cell;
    cell.SetText(text);
    return cell;
}

CGridCellInfo numberCell(double value)
{
    CGridCellInfo cell;
    cell.SetNumber(value);
    return cell;
}

// The text stored at a place, or nothing when GetCell fails.
std::optional<std::string> textAt(CGridMemDataSource& source, int col, int row)
{
    CGridCellInfo cell;
    if (source.GetCell(col, row, cell) != 0) {
        return std::nullopt;
    }
    const char* text = cell.GetTextPtr();
    return std::string(text ? text : "");
}

// Fills rows from 0 on with one text per column; "-" leaves the place unset.
void fill(CGridMemDataSource& source, const std::vector<std::vector<std::string>>& rows)
{
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c) {
            if (rows[r][c] != "-") {
                source.SetCell(c, r, textCell(rows[r][c]));
            }
        }
    }
}

TEST(GridMemDataSource, SparseCellsAreFoundWhereTheyWereSet)
{
    CGridMemDataSource source;
    EXPECT_EQ(source.GetLastRow(), 0);
    EXPECT_EQ(source.SetCell(2, 5, textCell("x")), 0);
    struct Probe
    {
        int col;
        int row;
        std::optional<std::string> text;
    };
    const Probe probes[] = {{2, 5, "x"},          {1, 5, std::nullopt}, {2, 6, std::nullopt},
                            {3, 5, std::nullopt}, {0, 0, std::nullopt}, {2, -1, std::nullopt}};
    for (const Probe& p : probes) {
        SCOPED_TRACE(std::to_string(p.col) + "," + std::to_string(p.row));
        EXPECT_EQ(textAt(source, p.col, p.row), p.text);
    }
    EXPECT_EQ(source.GetLastRow(), 5);
    // SetCell replaces the stored cell's properties entirely.
    CGridCellInfo coloured = textCell("y");
    coloured.SetBackColor(rgbColor(1, 2, 3));
    source.SetCell(2, 5, coloured);
    source.SetCell(2, 5, textCell("z"));
    CGridCellInfo read;
    ASSERT_EQ(source.GetCell(2, 5, read), 0);
    EXPECT_STREQ(read.GetTextPtr(), "z");
    EXPECT_FALSE(read.HasProperty(CGridCellInfo::kPropBackColor));
}

TEST(GridMemDataSource, HeadingCellsLiveBeforeRowAndColumnZero)
{
    CGridMemDataSource source;
    const std::pair<int, int> places[] = {{-1, 3}, {2, -1}, {-1, -1}, {-2, -2}, {0, 0}, {4, 7}};
    for (auto [c, r] : places) {
        source.SetCell(c, r, textCell(std::to_string(c) + "," + std::to_string(r)));
    }
    for (auto [c, r] : places) {
        SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
        EXPECT_EQ(textAt(source, c, r), std::to_string(c) + "," + std::to_string(r));
    }
    EXPECT_EQ(textAt(source, -3, -2), std::nullopt);
    EXPECT_EQ(textAt(source, 0, -3), std::nullopt);
    EXPECT_EQ(source.GetLastRow(), 7);
    EXPECT_EQ(source.RemoveAll(), 0);
    for (auto [c, r] : places) {
        EXPECT_EQ(textAt(source, c, r), std::nullopt);
    }
    EXPECT_EQ(source.GetLastRow(), 0);
}

TEST(GridMemDataSource, RowByRowAndScatteredAccessAgree)
{
    CGridMemDataSource source;
    constexpr int kCols = 23;
    constexpr int kRows = 31;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            source.SetCell(c, r, numberCell(r * 100 + c));
        }
    }
    // Scattered order, including jumps back and forth across rows.
    for (int i = 0; i < kCols * kRows; ++i) {
        const int c = (i * 7) % kCols;
        const int r = (i * 13) % kRows;
        CGridCellInfo cell;
        ASSERT_EQ(source.GetCell(c, r, cell), 0);
        EXPECT_EQ(cell.GetNumber(), r * 100 + c);
    }
}

TEST(GridMemDataSource, RowsAreInsertedAndDeleted)
{
    struct Case
    {
        const char* name;
        bool insert;
        int row;
        int result;
        std::vector<std::optional<std::string>> column0; // rows 0.. after the operation
    };
    const Case cases[] = {
        {"DeleteBeyondIsNoChange", false, 9, 0, {"r0", "r1", "r2"}},
        {"InsertBeyondFails", true, 9, 1, {"r0", "r1", "r2"}},
        {"InsertShiftsDown", true, 1, 0, {"r0", std::nullopt, "r1", "r2"}},
        {"InsertAtZero", true, 0, 0, {std::nullopt, "r0", "r1", "r2"}},
        {"DeleteShiftsUp", false, 1, 0, {"r0", "r2", std::nullopt}},
        {"DeleteLast", false, 2, 0, {"r0", "r1", std::nullopt}},
        {"DeleteFirst", false, 0, 0, {"r1", "r2", std::nullopt}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGridMemDataSource source;
        fill(source, {{"r0"}, {"r1"}, {"r2"}});
        source.SetCell(0, -1, textCell("head"));
        EXPECT_EQ(c.insert ? source.InsertRow(c.row) : source.DeleteRow(c.row), c.result);
        for (int r = 0; r < static_cast<int>(c.column0.size()); ++r) {
            EXPECT_EQ(textAt(source, 0, r), c.column0[static_cast<std::size_t>(r)]) << "row " << r;
        }
        EXPECT_EQ(textAt(source, 0, -1), "head");
    }
}

TEST(GridMemDataSource, DeletingEveryRowEmptiesTheStore)
{
    CGridMemDataSource source;
    fill(source, {{"a"}, {"b"}});
    EXPECT_EQ(source.DeleteRow(1), 0);
    EXPECT_EQ(source.DeleteRow(0), 0);
    EXPECT_EQ(source.GetLastRow(), 0);
    EXPECT_EQ(textAt(source, 0, 0), std::nullopt);
    EXPECT_EQ(source.InsertRow(0), 1);
    source.SetCell(1, 1, textCell("again"));
    EXPECT_EQ(textAt(source, 1, 1), "again");
}

TEST(GridMemDataSource, ColumnsAreInsertedAndDeleted)
{
    struct Case
    {
        const char* name;
        bool insert;
        int col;
        std::vector<std::vector<std::optional<std::string>>> rows; // columns 0..3 after
    };
    const auto none = std::nullopt;
    const Case cases[] = {
        {"DeleteMiddle",
         false,
         1,
         {{"a0", "a2", "a3", none}, {"b0", none, none, none}, {"c0", "c2", none, none}}},
        {"DeleteLastPlaceLeavesEmptyPlace",
         false,
         2,
         {{"a0", "a1", "a3", none}, {"b0", "b1", none, none}, {"c0", "c1", none, none}}},
        {"InsertShiftsRowsThatReach",
         true,
         1,
         {{"a0", none, "a1", "a2"}, {"b0", none, "b1", none}, {"c0", none, "c1", "c2"}}},
        {"InsertAtZero",
         true,
         0,
         {{none, "a0", "a1", "a2"}, {none, "b0", "b1", none}, {none, "c0", "c1", "c2"}}},
        {"InsertPastShortRows",
         true,
         3,
         {{"a0", "a1", "a2", none}, {"b0", "b1", none, none}, {"c0", "c1", "c2", none}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGridMemDataSource source;
        fill(source, {{"a0", "a1", "a2", "a3"}, {"b0", "b1"}, {"c0", "c1", "c2"}});
        source.SetCell(-1, 0, textCell("side"));
        EXPECT_EQ(c.insert ? source.InsertCol(c.col) : source.DeleteCol(c.col), 0);
        for (int r = 0; r < 3; ++r) {
            for (int col = 0; col < 4; ++col) {
                EXPECT_EQ(textAt(source, col, r),
                          c.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)])
                    << "col " << col << " row " << r;
            }
        }
        EXPECT_EQ(textAt(source, -1, 0), "side");
    }
    CGridMemDataSource empty;
    EXPECT_EQ(empty.InsertCol(0), 1);
    EXPECT_EQ(empty.DeleteCol(0), 1);
}

TEST(GridMemDataSource, ColumnOperationsMoveTheSheetsMappedColumns)
{
    CGridSheetState sheet;
    for (int mapped : {1, 0, 2, 3}) { // grid columns 0 and 1 were exchanged
        sheet.m_colInfo.push_back(GridColumnInfo{75, nullptr, nullptr, mapped});
    }
    sheet.m_numCols = 4;
    CGridMemDataSource& source = *sheet.m_ownDataSource;
    fill(source, {{"d0", "d1", "d2", "d3"}});
    // Data column 1 is shown by grid column 0: the place is inserted at position 0.
    ASSERT_EQ(source.InsertCol(1), 0);
    std::vector<int> mapped;
    for (const GridColumnInfo& info : sheet.m_colInfo) {
        mapped.push_back(info.mappedColumn);
    }
    EXPECT_EQ(mapped, (std::vector<int>{2, 1, 3, 4}));
    EXPECT_EQ(textAt(source, 0, 0), std::nullopt);
    EXPECT_EQ(textAt(source, 1, 0), "d0");
    ASSERT_EQ(source.DeleteCol(0), 0);
    mapped.clear();
    for (const GridColumnInfo& info : sheet.m_colInfo) {
        mapped.push_back(info.mappedColumn);
    }
    EXPECT_EQ(mapped, (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(textAt(source, 0, 0), "d0");
}

TEST(GridMemDataSource, DeleteCellEmptiesOnePlace)
{
    CGridMemDataSource source;
    fill(source, {{"a", "b"}});
    EXPECT_EQ(source.DeleteCell(0, 0), 0);
    EXPECT_EQ(textAt(source, 0, 0), std::nullopt);
    EXPECT_EQ(textAt(source, 1, 0), "b");
    EXPECT_EQ(source.DeleteCell(5, 0), 1);
    EXPECT_EQ(source.DeleteCell(0, 3), 1);
}

struct FindCase
{
    const char* name;
    const char* text;
    bool first;
    int col;
    int row;
    int flags;
    int result;
    int foundCol;
    int foundRow;
};

class GridMemDataSourceFind : public ::testing::TestWithParam<FindCase>
{};

TEST_P(GridMemDataSourceFind, FindsWithFlagsAndWraps)
{
    const FindCase& c = GetParam();
    CGridMemDataSource source;
    fill(source, {{"abc", "ABC", "x"}, {"aBc", "", "abcd"}, {"-", "b", "abc"}, {"zz", "ABC", "q"}});
    int col = c.col;
    int row = c.row;
    const int result = c.first ? source.FindFirst(c.text, col, row, c.flags)
                               : source.FindNext(c.text, col, row, c.flags);
    ASSERT_EQ(result, c.result);
    if (result == 0) {
        EXPECT_EQ(col, c.foundCol);
        EXPECT_EQ(row, c.foundRow);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridMemDataSourceFind,
    ::testing::Values(FindCase{"WholeFirst", "abc", true, 0, 0, 0, 0, 0, 0},
                      FindCase{"WholeMatchCaseWrapsToStart", "abc", false, 0, 0, 0, 0, 0, 0},
                      FindCase{"WholeIgnoreCase", "abc", false, 0, 0, 2, 0, 0, 1},
                      FindCase{"WholeUpperMatchCase", "ABC", true, 1, 0, 0, 0, 1, 0},
                      FindCase{"WholeMatchCaseRejectsOtherCase", "abc", true, 1, 0, 0, 1, 0, 0},
                      FindCase{"WholeIgnoreCaseAcceptsOtherCase", "abc", true, 1, 0, 2, 0, 1, 0},
                      FindCase{"WholeNeverMatchesEmpty", "", true, 1, 0, 0, 1, 0, 0},
                      FindCase{"PartialMatchCase", "b", true, 1, 0, 1, 0, 1, 2},
                      FindCase{"PartialIgnoreCase", "b", true, 1, 0, 3, 0, 1, 0},
                      FindCase{"PartialSkipsOtherCase", "b", false, 0, 0, 1, 0, 0, 0},
                      FindCase{"PartialIgnoreCaseFindsOtherCase", "b", false, 0, 0, 3, 0, 0, 1},
                      FindCase{"StaysInStartColumn", "x", true, 0, 0, 0, 1, 0, 0},
                      FindCase{"BackwardsFirstStartsAtLastRow", "q", true, 2, 0, 4, 0, 2, 3},
                      FindCase{"BackwardsStep", "x", false, 2, 1, 4, 0, 2, 0},
                      FindCase{"BackwardsWrapsFromRowZero", "q", false, 2, 0, 4, 0, 2, 3},
                      FindCase{"AllColumnsFirst", "abc", true, 2, 2, 8, 0, 0, 0},
                      FindCase{"AllColumnsNext", "abc", false, 0, 0, 8, 0, 2, 2},
                      FindCase{"AllColumnsWrap", "abc", false, 2, 2, 8, 0, 0, 0},
                      FindCase{"AllColumnsBackwards", "abc", true, 0, 0, 12, 0, 2, 2},
                      FindCase{"AllColumnsIgnoreCase", "ABC", false, 0, 0, 10, 0, 1, 0},
                      FindCase{"NothingFound", "nothing", true, 0, 0, 9, 1, 0, 0},
                      FindCase{"StartFarOutside", "q", false, 2, 1000, 0, 0, 2, 3},
                      FindCase{"PartialIgnoreCaseWraps", "ABC", false, 0, 3, 3, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridMemDataSource, FindIgnoresCaseBeyondAscii)
{
    CGridMemDataSource source;
    fill(source, {{"Straße"}, {"ÄRGER"}});
    int col = 0;
    int row = 0;
    EXPECT_EQ(source.FindFirst("ärger", col, row, 2), 0);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(source.FindFirst("ärger", col, row, 0), 1);
    EXPECT_EQ(source.FindFirst("RGE", col, row, 3), 0);
    EXPECT_EQ(row, 1);
}

TEST(GridMemDataSource, FindSearchesOnlyTheHostSheetsRows)
{
    CGridSheetState sheet;
    sheet.m_numCols = 3;
    sheet.m_numRows = 2;
    CGridMemDataSource& source = *sheet.m_ownDataSource;
    fill(source, {{"a"}, {"b"}, {"c"}});
    int col = 0;
    int row = 0;
    EXPECT_EQ(source.FindFirst("c", col, row, 0), 1);
    EXPECT_EQ(source.FindFirst("b", col, row, 0), 0);
    sheet.m_numRows = 0;
    EXPECT_EQ(source.FindFirst("b", col, row, 8), 1);
}

// The column-0 texts of rows 0.. and the row -1 heading.
std::vector<std::string> column(CGridMemDataSource& source, int col)
{
    std::vector<std::string> out;
    const int last = source.GetLastRow();
    for (int r = 0; r <= last; ++r) {
        out.push_back(textAt(source, col, r).value_or("<none>"));
    }
    return out;
}

struct SortCase
{
    const char* name;
    std::vector<std::vector<std::string>> rows; // key column 0, tag column 1
    std::vector<int> cols;
    int flags;
    std::vector<std::string> tags; // column 1 after the sort
};

class GridMemDataSourceSort : public ::testing::TestWithParam<SortCase>
{};

TEST_P(GridMemDataSourceSort, SortsDataRowsStably)
{
    const SortCase& c = GetParam();
    CGridMemDataSource source;
    fill(source, c.rows);
    source.SetCell(0, -1, textCell("heading"));
    source.SetCell(-1, 0, textCell("side0"));
    ASSERT_EQ(source.SortBy(c.cols.data(), static_cast<int>(c.cols.size()), c.flags), 0);
    EXPECT_EQ(column(source, 1), c.tags);
    EXPECT_EQ(textAt(source, 0, -1), "heading"); // heading rows stay put
    EXPECT_EQ(source.GetLastRow(), static_cast<int>(c.rows.size()) - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridMemDataSourceSort,
    ::testing::Values(
        SortCase{"TextEmptiesLast",
                 {{"b", "0"}, {"", "1"}, {"a", "2"}, {"-", "3"}, {"c", "4"}},
                 {0},
                 0,
                 {"2", "0", "4", "1", "3"}},
        SortCase{"TextDescendingEmptiesFirst",
                 {{"b", "0"}, {"", "1"}, {"a", "2"}, {"-", "3"}, {"c", "4"}},
                 {0},
                 2,
                 {"1", "3", "4", "0", "2"}},
        SortCase{"EqualKeysKeepOrder",
                 {{"k", "0"}, {"j", "1"}, {"k", "2"}, {"j", "3"}, {"k", "4"}},
                 {0},
                 0,
                 {"1", "3", "0", "2", "4"}},
        SortCase{"SecondKeyDecidesTies",
                 {{"k", "2", "z"}, {"j", "1", "y"}, {"k", "0", "a"}},
                 {0, 2},
                 0,
                 {"1", "0", "2"}},
        SortCase{"OneRow", {{"only", "0"}}, {0}, 0, {"0"}},
        SortCase{"ByteOrderOfUtf8", {{"é", "0"}, {"z", "1"}, {"A", "2"}}, {0}, 0, {"2", "1", "0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridMemDataSource, SortsNumbersWithEmptiesLast)
{
    CGridMemDataSource source;
    const std::optional<double> keys[] = {10, 2, std::nullopt, -1, 2};
    for (int r = 0; r < 5; ++r) {
        if (keys[r]) {
            source.SetCell(0, r, numberCell(*keys[r]));
        }
        source.SetCell(1, r, textCell(std::to_string(r)));
    }
    ASSERT_EQ(source.SortBy(0, 0), 0);
    EXPECT_EQ(column(source, 1), (std::vector<std::string>{"3", "1", "4", "0", "2"}));
}

TEST(GridMemDataSource, MixedColumnsSortToAPermutation)
{
    // Texts and numbers in one column: the comparison depends on which cell comes first, so
    // it is no consistent order; the sort must still keep every row exactly once.
    CGridMemDataSource source;
    for (int r = 0; r < 200; ++r) {
        if (r % 3 == 0) {
            source.SetCell(0, r, numberCell((r * 37) % 11 - 5));
        } else if (r % 3 == 1) {
            source.SetCell(0, r, textCell(std::string(1, static_cast<char>('a' + r % 26))));
        }
        source.SetCell(1, r, textCell(std::to_string(r)));
    }
    ASSERT_EQ(source.SortBy(0, 0), 0);
    std::vector<std::string> tags = column(source, 1);
    ASSERT_EQ(tags.size(), 200u);
    std::vector<int> seen;
    for (const std::string& tag : tags) {
        seen.push_back(std::stoi(tag));
    }
    std::sort(seen.begin(), seen.end());
    for (int r = 0; r < 200; ++r) {
        ASSERT_EQ(seen[static_cast<std::size_t>(r)], r);
    }
}

TEST(GridMemDataSource, SortWithoutDataRowsDoesNothing)
{
    CGridMemDataSource source;
    EXPECT_EQ(source.SortBy(0, 0), 1);
    source.SetCell(0, -1, textCell("heading only"));
    source.DeleteRow(0);
    EXPECT_EQ(source.SortBy(0, 0), 1);
    EXPECT_EQ(textAt(source, 0, -1), "heading only");
    fill(source, {{"b"}, {"a"}});
    EXPECT_EQ(source.SortBy(nullptr, 1, 0), 1);
    const int cols[] = {0};
    EXPECT_EQ(source.SortBy(cols, 0, 0), 1);
}

// A control that sorts by the length of the text, longest first.
class LengthHost : public GridDataSourceHost
{
public:
    CGridSheetState* currentSheet() override { return nullptr; }
    int onSortEvaluate(const CGridCellInfo* a, const CGridCellInfo* b, int) override
    {
        return b->GetTextLength() - a->GetTextLength();
    }
};

TEST(GridMemDataSource, SortUsesTheHostsComparison)
{
    LengthHost host;
    CGridMemDataSource source;
    source.attach(&host);
    fill(source, {{"bb"}, {"a"}, {"ccc"}});
    ASSERT_EQ(source.SortBy(0, 0), 0);
    EXPECT_EQ(column(source, 0), (std::vector<std::string>{"ccc", "bb", "a"}));
}

TEST(GridMemDataSource, PreviousNonBlankColumn)
{
    CGridMemDataSource source;
    fill(source, {{"a", "", "-", "d", ""}});
    source.SetCell(-1, 0, textCell("side"));
    struct Case
    {
        int col;
        int result;
        int found;
    };
    const Case cases[] = {{4, 0, 3}, {3, 0, 0}, {1, 0, 0}, {0, 1, 0}, {10, 0, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.col);
        int col = c.col;
        ASSERT_EQ(source.GetPrevNonBlankCol(col, 0), c.result);
        if (c.result == 0) {
            EXPECT_EQ(col, c.found);
        }
    }
    int col = 3;
    EXPECT_EQ(source.GetPrevNonBlankCol(col, 5), 1);
}

TEST(GridMemDataSource, StoredCellsComeBackWithExactlyTheirProperties)
{
    struct Case
    {
        const char* name;
        void (*build)(CGridCellInfo&);
    };
    const Case cases[] = {
        {"Nothing", [](CGridCellInfo&) {}},
        {"ShortText", [](CGridCellInfo& c) { c.SetText("abc"); }},
        {"LongText", [](CGridCellInfo& c) { c.SetText(std::string(300, 'x') + "end"); }},
        {"TextWithNul", [](CGridCellInfo& c) { c.SetText(std::string_view("a\0b", 3)); }},
        {"Number", [](CGridCellInfo& c) { c.SetNumber(-12.5); }},
        {"NumberWithPrecision",
         [](CGridCellInfo& c) {
             c.SetPrecision(2);
             c.SetExponentialFormat(1);
             c.SetNumber(1234.5678);
         }},
        {"FormatOnly", [](CGridCellInfo& c) { c.SetFormat(CGridCellInfo::kFormatBool); }},
        {"PrecisionOnly", [](CGridCellInfo& c) { c.SetPrecision(-3); }},
        {"TextAndColour",
         [](CGridCellInfo& c) {
             c.SetText("red");
             c.SetTextColor(rgbColor(255, 0, 0));
         }},
        {"NumberAndLabelAndJoin",
         [](CGridCellInfo& c) {
             c.SetNumber(7.0);
             c.SetLabel("seven");
             c.SetJoin(1, 2, 3);
             c.SetReadOnly(1);
         }},
        {"ExtraData",
         [](CGridCellInfo& c) {
             auto* bytes = static_cast<unsigned char*>(c.AllocExtraData(4));
             bytes[0] = 9;
             bytes[3] = 7;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGridCellInfo stored;
        c.build(stored);
        CGridMemDataSource source;
        // Overwrites a cell of the other kind first, so nothing of it may linger.
        CGridCellInfo before;
        before.SetText("old");
        before.SetBackColor(rgbColor(1, 2, 3));
        before.SetPrecision(5);
        source.SetCell(1, 1, before);
        ASSERT_EQ(source.SetCell(1, 1, stored), 0);
        // Read into a cell that holds other properties: they merge.
        CGridCellInfo read;
        read.SetHTextColor(rgbColor(4, 5, 6));
        ASSERT_EQ(source.GetCell(1, 1, read), 0);
        EXPECT_EQ(read.GetPropertyFlags(),
                  stored.GetPropertyFlags() | CGridCellInfo::kPropHTextColor);
        EXPECT_EQ(read.GetHTextColor(), rgbColor(4, 5, 6));
        std::string storedText;
        std::string readText;
        EXPECT_EQ(read.GetText(readText), stored.GetText(storedText));
        EXPECT_EQ(readText, storedText);
        EXPECT_EQ(read.GetFormat(), stored.GetFormat());
        EXPECT_EQ(read.GetPrecision(), stored.GetPrecision());
        EXPECT_EQ(read.GetExponentialFormat(), stored.GetExponentialFormat());
        EXPECT_EQ(read.GetNumber(), stored.GetNumber());
        EXPECT_EQ(read.GetTextColor(), stored.GetTextColor());
        EXPECT_EQ(read.GetBackColor(), stored.GetBackColor());
        EXPECT_EQ(read.GetReadOnly(), stored.GetReadOnly());
        std::string storedLabel;
        std::string readLabel;
        EXPECT_EQ(read.GetLabel(readLabel), stored.GetLabel(storedLabel));
        EXPECT_EQ(readLabel, storedLabel);
        int joins[2][3] = {};
        EXPECT_EQ(read.GetJoin(joins[0][0], joins[0][1], joins[0][2]),
                  stored.GetJoin(joins[1][0], joins[1][1], joins[1][2]));
        EXPECT_TRUE(std::equal(joins[0], joins[0] + 3, joins[1]));
        ASSERT_EQ(read.extraDataSize(), stored.extraDataSize());
        if (stored.extraDataSize() > 0) {
            EXPECT_EQ(std::memcmp(read.GetExtraData(), stored.GetExtraData(), 4), 0);
        }
    }
}

TEST(GridMemDataSource, HeadingPlacesMoveWithInsertsAndDeletes)
{
    struct Case
    {
        const char* name;
        int (*operation)(CGridMemDataSource&);
        std::vector<std::pair<int, std::optional<std::string>>> row0; // column, text afterwards
        std::optional<std::string> headingRow;                        // (0, -1) afterwards
    };
    const auto none = std::nullopt;
    const Case cases[] = {
        // Left of column 0 a new place pushes the places left of it further left.
        {"InsertSideColumn",
         [](CGridMemDataSource& s) { return s.InsertCol(-1); },
         {{-3, "m2"}, {-2, none}, {-1, "m1"}, {0, "z"}, {1, "p1"}},
         "h"},
        // Deleting a side column pulls the places left of it to the right.
        {"DeleteSideColumn",
         [](CGridMemDataSource& s) { return s.DeleteCol(-1); },
         {{-2, none}, {-1, "m2"}, {0, "z"}, {1, "p1"}},
         "h"},
        // Inserting before a heading row moves it and every row below down one.
        {"InsertBeforeHeadingRow",
         [](CGridMemDataSource& s) { return s.InsertRow(-1); },
         {{-2, none}, {-1, none}, {0, "h"}, {1, none}},
         none},
        // Deleting a heading row pulls the rows below it up.
        {"DeleteHeadingRow",
         [](CGridMemDataSource& s) { return s.DeleteRow(-1); },
         {{-2, none}, {-1, none}, {0, "r1"}, {1, none}},
         "z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Row -1 holds a place at column 0 only, row 0 places -2..1, row 1 column 0.
        CGridMemDataSource source;
        source.SetCell(0, -1, textCell("h"));
        source.SetCell(0, 0, textCell("z"));
        source.SetCell(1, 0, textCell("p1"));
        source.SetCell(-1, 0, textCell("m1"));
        source.SetCell(-2, 0, textCell("m2"));
        source.SetCell(0, 1, textCell("r1"));
        EXPECT_EQ(c.operation(source), 0);
        for (const auto& [col, text] : c.row0) {
            EXPECT_EQ(textAt(source, col, 0), text) << "col " << col;
        }
        EXPECT_EQ(textAt(source, 0, -1), c.headingRow);
    }
}

TEST(GridMemDataSource, LongRowsAndColumnsAreFreedWithoutDeepRecursion)
{
    constexpr int kLength = 200000;
    auto source = std::make_unique<CGridMemDataSource>();
    source->SetCell(0, kLength, textCell("far down"));
    source->SetCell(kLength, 0, textCell("far right"));
    source->SetCell(-kLength, -kLength, textCell("far corner"));
    EXPECT_EQ(textAt(*source, 0, kLength), "far down");
    EXPECT_EQ(textAt(*source, kLength, 0), "far right");
    EXPECT_EQ(textAt(*source, -kLength, -kLength), "far corner");
    source->DeleteRow(0);
    source.reset();
    CGridMemDataSource other;
    other.SetCell(kLength, kLength, textCell("x"));
    EXPECT_EQ(other.RemoveAll(), 0);
}

TEST(GridDataSource, BaseSupportsNothingAndAllowsEverything)
{
    CGridDataSource base;
    CGridCellInfo cell;
    int col = 0;
    int row = 0;
    int supplied = 0;
    EXPECT_EQ(base.getIndex(), -1);
    base.SetIndex(3);
    EXPECT_EQ(base.getIndex(), 3);
    EXPECT_EQ(base.GetLastRow(), -1);
    EXPECT_EQ(base.InsertRow(0), -1);
    EXPECT_EQ(base.DeleteCell(0, 0), -1);
    EXPECT_EQ(base.GetCell(0, 0, cell), -1);
    EXPECT_EQ(base.SetCell(0, 0, cell), -1);
    EXPECT_EQ(base.FindFirst("x", col, row, 0), -1);
    EXPECT_EQ(base.SortBy(0, 0), -1);
    EXPECT_EQ(base.OnRowsExhausted(5, 1, supplied), -1);
    EXPECT_EQ(base.OnCanMove(0, 0, 1, 1), 1);
    CGridEditBase* edit = nullptr;
    EXPECT_EQ(base.OnEditStart(0, 0, edit), 1);
    EXPECT_EQ(base.OnEditNext(0, 0, col, row), 1);
    EXPECT_EQ(base.GetPrevNonBlankCol(col, 0), -1);
}

} // namespace
} // namespace gridctrl::model
