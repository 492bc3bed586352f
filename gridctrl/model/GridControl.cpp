#include "gridctrl/model/GridControl.h"

#include "gridctrl/model/GridBitmap.h"
#include "gridctrl/model/GridBuiltInCellTypes.h"
#include "gridctrl/model/GridCellEvaluator.h"
#include "gridctrl/model/GridCellRange.h"
#include "gridctrl/model/GridSortEvaluate.h"
#include "gridctrl/model/GridSystem.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <type_traits>
#include <utility>

namespace gridctrl::model {

namespace {

constexpr int kMaxHeadingSize = 1024;
constexpr int kMaxHeadingCount = 64;
constexpr long kMaxRows = INT_MAX - 1;
// A BMP file larger than this is not read.
constexpr std::streamsize kMaxBitmapFileBytes = 256L * 1024 * 1024;

char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), asciiUpper);
    return out;
}

bool sameText(std::string_view a, std::string_view b, bool ignoreCase)
{
    return ignoreCase ? upper(a) == upper(b) : a == b;
}

// Replaces every occurrence of `find` in `text`; false when there is none.
bool replaceOccurrences(std::string& text, std::string_view find, std::string_view replacement,
                        bool ignoreCase)
{
    if (find.empty()) {
        return false;
    }
    const std::string haystack = ignoreCase ? upper(text) : text;
    const std::string needle = ignoreCase ? upper(find) : std::string(find);
    std::string out;
    std::size_t from = 0;
    bool any = false;
    for (std::size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, from)) {
        out.append(text, from, at - from);
        out.append(replacement);
        from = at + needle.size();
        any = true;
    }
    if (any) {
        out.append(text, from, std::string::npos);
        text = std::move(out);
    }
    return any;
}

bool rowInIntRange(long row)
{
    return row >= INT_MIN && row <= INT_MAX;
}

} // namespace

void CGridCellType::GetBestSize(int& width, int& height, const CGridCellInfo& cell)
{
    const char* text = cell.GetTextPtr();
    const std::string_view shown = text ? std::string_view(text) : std::string_view();
    const int measured = m_control ? m_control->windows().textWidth(shown, cell.GetFont())
                                   : static_cast<int>(shown.size()) * 7;
    width = std::max(width, measured);
    height = std::max(height, 16);
}

CGridControl::CGridControl() : m_printer(std::make_unique<CGridPrinter>(*this))
{
    m_builtInTypes.push_back(std::make_unique<CGridCellType>());
    m_builtInTypes.push_back(std::make_unique<CGridDropListCellType>());
    m_builtInTypes.push_back(std::make_unique<CGridCheckBoxCellType>());
    m_builtInTypes.push_back(
        std::make_unique<CGridCellType>("Side Arrows", "F5C12593-D930-11D5-9B36-0050BAD44BCD"));
    for (const auto& type : m_builtInTypes) {
        AddCellType(type.get());
    }
    SetNumberSheets(1);
}

CGridControl::~CGridControl()
{
    for (auto& sheet : m_sheets) {
        sheet->m_ownDataSource->attach(sheet.get());
    }
    for (CGridDataSource* source : m_dataSources) {
        if (source && source->host() == this) {
            source->attach(nullptr);
        }
    }
}

void CGridControl::setWindows(GridWindows* windows)
{
    m_windows = windows ? windows : &m_nullWindows;
}

void CGridControl::setTabBar(GridTabBarPart* tabBar)
{
    m_tabBar = tabBar ? tabBar : &m_ownTabs;
}

void CGridControl::setEditors(CGridEditBase* inPlaceEdit, CGridEditBase* maskedEdit)
{
    m_defaultEdit = inPlaceEdit;
    m_defaultMaskedEdit = maskedEdit;
}

int CGridControl::CreateGrid()
{
    OnSetup();
    OnSheetSetup(0);
    AdjustComponentSizes();
    return 1;
}

int CGridControl::onSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second, int flags)
{
    return OnSortEvaluate(first, second, flags);
}

int CGridControl::OnSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second, int flags)
{
    return gridSortEvaluate(first, second, flags);
}

int CGridControl::OnHint(int col, long row, int, std::string* text)
{
    if (text) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "Col:%d Row:%ld", col, row);
        *text = buffer;
    }
    return 1;
}

COLORREF CGridControl::OnGetDefBackColor(int section)
{
    return gridSystem().sysColor(section == kSectionCellArea ? kColorWindow : kColorBtnFace);
}

// ---- cell access ---------------------------------------------------------------------------

CGridDataSource* CGridControl::sourceFor(int col) const
{
    return col < 0 ? S().m_currentDataSource : S().dataSourceOf(col);
}

int CGridControl::mappedColumn(int col) const
{
    if (col < 0 || col >= static_cast<int>(S().m_colInfo.size())) {
        return col;
    }
    return S().m_colInfo[static_cast<std::size_t>(col)].mappedColumn;
}

int CGridControl::gridColumnOfData(int dataCol) const
{
    const auto& info = S().m_colInfo;
    for (std::size_t i = 0; i < info.size(); ++i) {
        if (info[i].mappedColumn == dataCol) {
            return static_cast<int>(i);
        }
    }
    return dataCol;
}

int CGridControl::GetCell(int col, long row, CGridCellInfo* cell)
{
    if (!cell || col >= S().m_numCols || !rowInIntRange(row)) {
        return 1;
    }
    cell->ClearInfo();
    CGridDataSource* source = sourceFor(col);
    return source ? source->GetCell(mappedColumn(col), static_cast<int>(row), *cell) : 1;
}

int CGridControl::GetDisplayCell(int col, long row, CGridCellInfo* cell)
{
    if (!cell) {
        return 1;
    }
    cell->ClearInfo();
    const bool heading = col < 0 || row < 0 || col >= S().m_numCols;
    if (heading) {
        S().m_headingDefaultCell->CopyInfoTo(*cell);
    } else if (const auto& def = S().m_colInfo[static_cast<std::size_t>(col)].defaultCell) {
        def->CopyInfoTo(*cell);
    }
    if (row < S().m_numRows && col < S().m_numCols && rowInIntRange(row)) {
        CGridCellInfo stored;
        if (CGridDataSource* source = sourceFor(col)) {
            source->GetCell(mappedColumn(col), static_cast<int>(row), stored);
        }
        stored.AddInfoTo(*cell);
        OnGetCell(col, row, cell);
    }
    if (CGridCellEvaluator* evaluator = cell->GetEvaluator()) {
        evaluator->EvaluateCell(col, row, cell);
    }
    // The style cell's properties go over the cell's own: a style decides what it sets. Its
    // own style-cell link is not followed (nor copied), so styles never chain or loop.
    if (const CGridCellInfo* style = cell->GetStyleCell(); style && style != cell) {
        CGridCellInfo properties(*style);
        properties.ClearProperty(CGridCellInfo::kPropStyleCell);
        properties.AddInfoTo(*cell);
    }
    return 0;
}

int CGridControl::SetCell(int col, long row, CGridCellInfo* cell)
{
    if (!cell || col < -S().m_numSideHeadingCols || col >= S().m_numCols ||
        row < -S().m_numTopHeadingRows || row >= S().m_numRows) {
        return 1;
    }
    OnSetCell(col, row, cell);
    CGridDataSource* source = sourceFor(col);
    return source ? source->SetCell(mappedColumn(col), static_cast<int>(row), *cell) : 1;
}

int CGridControl::SetColumnDefaultCell(int col, const CGridCellInfo* cell)
{
    if (!cell || col < 0 || col >= S().m_numCols) {
        return 1;
    }
    auto& def = S().m_colInfo[static_cast<std::size_t>(col)].defaultCell;
    if (!def) {
        def = std::make_unique<CGridCellInfo>();
    }
    cell->CopyInfoTo(*def);
    return 0;
}

int CGridControl::GetColumnDefaultCell(int col, CGridCellInfo* cell) const
{
    if (!cell || col < 0 || col >= S().m_numCols) {
        return 1;
    }
    const auto& def = S().m_colInfo[static_cast<std::size_t>(col)].defaultCell;
    if (!def) {
        cell->ClearInfo();
        return 0;
    }
    def->CopyInfoTo(*cell);
    return 0;
}

int CGridControl::SetSheetDefaultCell(const CGridCellInfo* cell)
{
    if (!cell) {
        return 1;
    }
    cell->CopyInfoTo(*S().m_gridDefaultCell);
    return 0;
}

int CGridControl::GetSheetDefaultCell(CGridCellInfo* cell) const
{
    if (!cell) {
        return 1;
    }
    S().m_gridDefaultCell->CopyInfoTo(*cell);
    return 0;
}

int CGridControl::SetHeadingDefault(const CGridCellInfo* cell)
{
    if (!cell) {
        return 1;
    }
    cell->CopyInfoTo(*S().m_headingDefaultCell);
    return 0;
}

int CGridControl::GetHeadingDefault(CGridCellInfo* cell) const
{
    if (!cell) {
        return 1;
    }
    S().m_headingDefaultCell->CopyInfoTo(*cell);
    return 0;
}

int CGridControl::JoinCellBlock(int startCol, long startRow, int endCol, long endRow)
{
    if (startCol > endCol || startRow > endRow || endCol >= S().m_numCols ||
        endRow >= S().m_numRows || startCol < -S().m_numSideHeadingCols ||
        startRow < -S().m_numTopHeadingRows) {
        return 1;
    }
    const GridCellRange block{startCol, static_cast<std::int32_t>(startRow), endCol,
                              static_cast<std::int32_t>(endRow)};
    CGridCellInfo cell;
    for (long row = startRow; row <= endRow; ++row) {
        for (int col = startCol; col <= endCol; ++col) {
            if (col == startCol && row == startRow) {
                continue; // the origin last
            }
            GetCell(col, row, &cell);
            const GridJoin join = joinNumbersFor(block, {col, static_cast<std::int32_t>(row)});
            cell.SetJoin(join.originFlag, join.colOffset, join.rowOffset);
            SetCell(col, row, &cell);
        }
    }
    GetCell(startCol, startRow, &cell);
    const GridJoin origin = joinNumbersFor(block, {startCol, static_cast<std::int32_t>(startRow)});
    cell.SetJoin(origin.originFlag, origin.colOffset, origin.rowOffset);
    SetCell(startCol, startRow, &cell);
    repaint();
    return 0;
}

bool CGridControl::joinRange(int col, long row, int& startCol, long& startRow, int& endCol,
                             long& endRow)
{
    CGridCellInfo cell;
    if (GetCell(col, row, &cell) != 0 && !cell.HasProperty(CGridCellInfo::kPropJoin)) {
        return false;
    }
    int flag = 0;
    int colOffset = 0;
    int rowOffset = 0;
    if (cell.GetJoin(flag, colOffset, rowOffset) != 0) {
        return false;
    }
    if (flag != 1) {
        startCol = col + colOffset;
        startRow = row + rowOffset;
        if (GetCell(startCol, startRow, &cell) != 0 ||
            cell.GetJoin(flag, colOffset, rowOffset) != 0 || flag != 1) {
            return false;
        }
    } else {
        startCol = col;
        startRow = row;
    }
    if (colOffset < 0 || rowOffset < 0) {
        return false;
    }
    endCol = startCol + colOffset;
    endRow = startRow + rowOffset;
    return col >= startCol && col <= endCol && row >= startRow && row <= endRow;
}

int CGridControl::SplitCellBlock(int col, long row)
{
    int startCol = 0;
    int endCol = 0;
    long startRow = 0;
    long endRow = 0;
    if (!joinRange(col, row, startCol, startRow, endCol, endRow)) {
        return 1;
    }
    CGridCellInfo cell;
    for (long r = startRow; r <= endRow; ++r) {
        for (int c = startCol; c <= endCol; ++c) {
            if (GetCell(c, r, &cell) == 0 || cell.HasProperty(CGridCellInfo::kPropJoin)) {
                cell.ClearProperty(CGridCellInfo::kPropJoin);
                SetCell(c, r, &cell);
            }
        }
    }
    repaint();
    return 0;
}

int CGridControl::CopyCell(int destCol, long destRow, int srcCol, long srcRow)
{
    CGridCellInfo cell;
    GetCell(srcCol, srcRow, &cell);
    return SetCell(destCol, destRow, &cell);
}

std::string CGridControl::QuickGetText(int col, long row)
{
    CGridCellInfo cell;
    GetDisplayCell(col, row, &cell);
    const char* text = cell.GetTextPtr();
    return text ? std::string(text) : std::string();
}

void CGridControl::writeQuick(int col, long row, void (*apply)(CGridCellInfo&, const void*),
                              const void* value)
{
    GetCell(col, row, &m_scratch);
    apply(m_scratch, value);
    SetCell(col, row, &m_scratch);
}

#define GRID_QUICK_SETTER(Name, Type, Call)                                                        \
    int CGridControl::Name(int col, long row, Type value)                                          \
    {                                                                                              \
        writeQuick(                                                                                \
            col, row,                                                                              \
            [](CGridCellInfo& cell, const void* v) {                                               \
                cell.Call(*static_cast<std::add_pointer_t<std::add_const_t<Type>>>(v));            \
            },                                                                                     \
            &value);                                                                               \
        return 0;                                                                                  \
    }

GRID_QUICK_SETTER(QuickSetText, std::string_view, SetText)
GRID_QUICK_SETTER(QuickSetNumber, double, SetNumber)
GRID_QUICK_SETTER(QuickSetLabel, std::string_view, SetLabel)
GRID_QUICK_SETTER(QuickSetTextColor, COLORREF, SetTextColor)
GRID_QUICK_SETTER(QuickSetHTextColor, COLORREF, SetHTextColor)
GRID_QUICK_SETTER(QuickSetBackColor, COLORREF, SetBackColor)
GRID_QUICK_SETTER(QuickSetHBackColor, COLORREF, SetHBackColor)
GRID_QUICK_SETTER(QuickSetBitmap, GridObject*, SetBitmap)
GRID_QUICK_SETTER(QuickSetFont, GridObject*, SetFont)
GRID_QUICK_SETTER(QuickSetAlignment, unsigned short, SetAlignment)
GRID_QUICK_SETTER(QuickSetBorder, unsigned short, SetBorder)
GRID_QUICK_SETTER(QuickSetBorderColor, GridPen*, SetBorderColor)
GRID_QUICK_SETTER(QuickSetCellType, int, SetCellType)
GRID_QUICK_SETTER(QuickSetCellTypeEx, int, SetCellTypeEx)

#undef GRID_QUICK_SETTER

int CGridControl::QuickSetBitmapIndex(int col, long row, int index)
{
    return QuickSetBitmap(col, row, GetBitmap(index));
}

int CGridControl::QuickSetFontIndex(int col, long row, int index)
{
    return QuickSetFont(col, row, GetFont(index));
}

int CGridControl::QuickSetRange(int startCol, long startRow, int endCol, long endRow,
                                const CGridCellInfo* cell)
{
    if (!cell || startRow > endRow) {
        return 0;
    }
    // Only cells inside the sheet are visited; the others count as refused.
    const long firstRow = std::max(startRow, static_cast<long>(-S().m_numTopHeadingRows));
    const long lastRow = std::min(endRow, static_cast<long>(S().m_numRows) - 1);
    const int firstCol = std::max(startCol, -S().m_numSideHeadingCols);
    const int lastCol = std::min(endCol, S().m_numCols - 1);
    const long cols = std::max(0, endCol - startCol + 1);
    const long total = (endRow - startRow + 1) * cols;
    long stored = 0;
    CGridCellInfo copy(*cell);
    for (long row = firstRow; row <= lastRow; ++row) {
        for (int col = firstCol; col <= lastCol; ++col) {
            if (SetCell(col, row, &copy) == 0) {
                ++stored;
            }
        }
    }
    const long refused = total - stored;
    return refused > INT_MAX ? INT_MAX : static_cast<int>(refused);
}

// ---- data sources --------------------------------------------------------------------------

int CGridControl::AddDataSource(CGridDataSource* source)
{
    if (!source) {
        return -1;
    }
    std::size_t index = 1;
    while (index < m_dataSources.size() && m_dataSources[index]) {
        ++index;
    }
    if (index == m_dataSources.size()) {
        m_dataSources.resize(m_dataSources.size() + 16, nullptr);
    }
    m_dataSources[index] = source;
    source->attach(this);
    source->SetIndex(static_cast<int>(index));
    return static_cast<int>(index);
}

CGridDataSource* CGridControl::GetDataSource(int index) const
{
    if (index == 0) {
        return S().m_ownDataSource.get();
    }
    if (index < 0 || index >= static_cast<int>(m_dataSources.size())) {
        return nullptr;
    }
    return m_dataSources[static_cast<std::size_t>(index)];
}

int CGridControl::RemoveDataSource(int index)
{
    if (index < 1 || index >= static_cast<int>(m_dataSources.size()) ||
        !m_dataSources[static_cast<std::size_t>(index)]) {
        return 1;
    }
    CGridDataSource* source = m_dataSources[static_cast<std::size_t>(index)];
    // No sheet or column keeps reading a source that left the list.
    for (auto& sheet : m_sheets) {
        if (sheet->m_currentDataSource == source) {
            sheet->m_currentDataSource = sheet->m_ownDataSource.get();
            sheet->m_currentDataSourceIndex = 0;
        }
        for (GridColumnInfo& info : sheet->m_colInfo) {
            if (info.dataSource == source) {
                info.dataSource = nullptr;
            }
        }
    }
    if (source->host() == this) {
        source->attach(nullptr);
    }
    m_dataSources[static_cast<std::size_t>(index)] = nullptr;
    return 0;
}

int CGridControl::SetDefDataSource(int index)
{
    CGridDataSource* source = GetDataSource(index);
    if (!source) {
        return 1;
    }
    S().m_currentDataSource = source;
    S().m_currentDataSourceIndex = index;
    for (GridColumnInfo& info : S().m_colInfo) {
        info.dataSource = nullptr;
    }
    return 0;
}

int CGridControl::SetGridUsingDataSource(int index)
{
    CGridDataSource* source = GetDataSource(index);
    if (!source) {
        return 1;
    }
    const int cols = source->GetNumCols();
    if (cols < 1) {
        return 2;
    }
    // More columns than a sheet may have is a source's error, not a size to take.
    if (SetNumberCols(cols, 0) != 0) {
        return 2;
    }
    if (const int rows = source->GetNumRows(); rows >= 0) {
        SetNumberRows(rows, 0);
    }
    AdjustComponentSizes();
    return 0;
}

int CGridControl::GetDefDataSource() const
{
    return S().m_currentDataSourceIndex;
}

int CGridControl::SetColDataSource(int col, int index)
{
    return SetColDataSource(col, GetDataSource(index));
}

int CGridControl::SetColDataSource(int col, CGridDataSource* source)
{
    if (!source || col < 0 || col >= S().m_numCols) {
        return 1;
    }
    S().m_colInfo[static_cast<std::size_t>(col)].dataSource = source;
    return 0;
}

// ---- sheets and tabs -----------------------------------------------------------------------

void CGridControl::attachSheet(CGridSheetState& sheet)
{
    sheet.m_ownDataSource->attach(this);
}

CGridSheetState* CGridControl::sheet(int index) const
{
    if (index < 0 || index >= GetNumberSheets()) {
        return nullptr;
    }
    return m_sheets[static_cast<std::size_t>(index)].get();
}

int CGridControl::SetNumberSheets(int count)
{
    if (count < 1 || count > kMaxSheets) {
        return 1;
    }
    const int previous = m_currentSheet;
    if (m_editing && previous >= count) {
        CancelEdit();
    }
    if (static_cast<int>(m_sheets.size()) > count) {
        if (m_sheet && previous >= count) {
            m_sheet = nullptr;
        }
        m_sheets.resize(static_cast<std::size_t>(count));
        m_sheetEditors.resize(static_cast<std::size_t>(count));
    }
    while (static_cast<int>(m_sheets.size()) < count) {
        auto fresh = std::make_unique<CGridSheetState>();
        attachSheet(*fresh);
        if (m_sheet) {
            fresh->m_tabBarWidth = m_sheet->m_tabBarWidth;
        }
        m_sheets.push_back(std::move(fresh));
        m_sheetEditors.push_back({});
        const int index = static_cast<int>(m_sheets.size()) - 1;
        CGridSheetState* saved = m_sheet;
        const int savedIndex = m_currentSheet;
        m_sheet = m_sheets.back().get();
        m_currentSheet = index;
        OnSheetSetup(index);
        if (saved) {
            m_sheet = saved;
            m_currentSheet = savedIndex;
        }
    }
    if (!m_sheet || previous >= count) {
        const int tabWidth = m_sheets.front()->m_tabBarWidth;
        m_currentSheet = previous >= count ? count - 1 : std::min(previous, count - 1);
        m_sheet = m_sheets[static_cast<std::size_t>(m_currentSheet)].get();
        m_sheet->m_tabBarWidth = tabWidth;
        m_sheet->m_previousLeftCol = -1;
        m_sheet->m_previousTopRow = -1;
    }
    return 0;
}

int CGridControl::SelectSheet(int index, int redraw)
{
    if (index < 0 || index >= GetNumberSheets()) {
        return 1;
    }
    const int savedPaint = m_paintEnabled;
    if (!redraw) {
        m_paintEnabled = 0;
    }
    if (m_editing) {
        CancelEdit();
    }
    m_windows->setFocus(kSectionCellArea);
    const int tabWidth = m_sheet->m_tabBarWidth;
    m_currentSheet = index;
    m_sheet = m_sheets[static_cast<std::size_t>(index)].get();
    m_sheet->m_tabBarWidth = tabWidth;
    m_sheet->m_previousLeftCol = -1;
    m_sheet->m_previousTopRow = -1;
    AdjustComponentSizes();
    m_paintEnabled = savedPaint;
    if (redraw) {
        repaint();
    }
    return 0;
}

int CGridControl::AddTab(std::string_view label, long id)
{
    const int result = m_tabBar->AddTab(label, id);
    m_windows->update(kSectionTabBar);
    return result;
}

int CGridControl::InsertTab(int position, std::string_view label, long id)
{
    const int result = m_tabBar->InsertTab(position, label, id);
    m_windows->update(kSectionTabBar);
    return result;
}

int CGridControl::DeleteTab(long id)
{
    const int result = m_tabBar->DeleteTab(id);
    m_windows->update(kSectionTabBar);
    return result;
}

int CGridControl::SetTabLabel(long id, std::string_view label)
{
    const int position = m_tabBar->findTab(id);
    if (position < 0) {
        return 1;
    }
    const int result = m_tabBar->SetTabLabel(position, label);
    m_windows->update(kSectionTabBar);
    return result;
}

std::string CGridControl::GetTabLabel(long id) const
{
    const int position = m_tabBar->findTab(id);
    return position < 0 ? std::string() : m_tabBar->GetTabLabel(position);
}

int CGridControl::SetTabWidth(int width)
{
    if (width < 0) {
        return 1;
    }
    for (auto& sheet : m_sheets) {
        sheet->m_tabBarWidth = width;
    }
    AdjustComponentSizes();
    return 0;
}

int CGridControl::SetCurrentTab(long id)
{
    if (m_tabBar->SetCurrentTab(id) != 0) {
        return 1;
    }
    m_windows->update(kSectionTabBar);
    OnTabSelected(id);
    return 0;
}

long CGridControl::GetCurrentTab() const
{
    return m_tabBar->GetCurrentTab();
}

int CGridControl::SetTabBackColor(long id, COLORREF colour)
{
    return m_tabBar->SetTabBackColor(id, colour);
}

int CGridControl::SetTabTextColor(long id, COLORREF colour)
{
    return m_tabBar->SetTabTextColor(id, colour);
}

// ---- rows and columns ----------------------------------------------------------------------

int CGridControl::rowHeightOf(long row) const
{
    if (row < 0) {
        const long index = -row - 1;
        return index < S().m_numTopHeadingRows
                   ? S().m_topHeadingRowHeights[static_cast<std::size_t>(index)]
                   : 0;
    }
    if (row >= S().m_numRows) {
        return 0;
    }
    if (S().m_rowHeights.empty()) {
        return S().m_defaultRowHeight;
    }
    return S().m_rowHeights[static_cast<std::size_t>(row)];
}

int CGridControl::colWidthOf(int col) const
{
    if (col < 0) {
        const int index = -col - 1;
        return index < S().m_numSideHeadingCols
                   ? S().m_sideHeadingColWidths[static_cast<std::size_t>(index)]
                   : 0;
    }
    if (col >= S().m_numCols) {
        return 0;
    }
    return S().m_colInfo[static_cast<std::size_t>(col)].width;
}

void CGridControl::recomputeLockedWidth()
{
    int width = 0;
    for (int col = 0; col < S().m_lockedCols && col < S().m_numCols; ++col) {
        width += colWidthOf(col);
    }
    S().m_lockedColsWidth = width;
}

void CGridControl::recomputeLockedHeight()
{
    int height = 0;
    for (int row = 0; row < S().m_lockedRows && row < S().m_numRows; ++row) {
        height += rowHeightOf(row);
    }
    S().m_lockedRowsHeight = height;
}

int CGridControl::SetNumberRows(long rows, int redraw)
{
    if (rows < 0 || rows > kMaxRows) {
        return 1;
    }
    redraw = redraw && m_paintEnabled;
    CGridSheetState& s = S();
    const int count = static_cast<int>(rows);
    if (count >= 1 && count <= s.m_lockedRows) {
        s.m_lockedRows = count - 1;
    }
    if (count > kUniformRowsAbove && !s.m_uniformRowHeight) {
        s.m_uniformRowHeight = 1;
        s.m_rowHeights.clear();
        s.m_rowHeights.shrink_to_fit();
    }
    s.m_numRows = count;
    if (!s.m_uniformRowHeight) {
        s.m_rowHeights.resize(static_cast<std::size_t>(count), s.m_defaultRowHeight);
    }
    if (s.m_currentRow >= count) {
        s.m_currentRow = count - 1;
        s.m_previousCurrentRow = count - 1;
        s.m_dragRow = count - 1;
    }
    if (s.m_dragRow >= count) {
        s.m_dragRow = count - 1;
    }
    recomputeLockedHeight();
    const int oldTop = s.m_topRow;
    computeView();
    if (s.m_topRow > std::max(s.m_greatestTopRow, s.m_lockedRows)) {
        s.m_topRow = std::max(s.m_lockedRows, s.m_greatestTopRow);
    }
    if (s.m_topRow < s.m_lockedRows) {
        s.m_topRow = s.m_lockedRows;
    }
    if (s.m_topRow != oldTop) {
        computeView();
        notify();
    }
    if (s.m_currentRow < 0 && count > 0) {
        GotoRow(0);
    }
    if (redraw) {
        AdjustComponentSizes();
        repaint();
    }
    return 0;
}

void CGridControl::makeColumnRecord(GridColumnInfo& info, int index) const
{
    info.width = S().m_defaultColWidth;
    info.dataSource = nullptr;
    info.defaultCell = std::make_unique<CGridCellInfo>(*S().m_gridDefaultCell);
    info.mappedColumn = index;
}

int CGridControl::SetNumberCols(int cols, int redraw)
{
    if (cols < 0 || cols > kMaxCols) {
        return 1;
    }
    redraw = redraw && m_paintEnabled;
    CGridSheetState& s = S();
    if (cols >= 1 && cols <= s.m_lockedCols) {
        s.m_lockedCols = cols - 1;
    }
    const int old = static_cast<int>(s.m_colInfo.size());
    s.m_colInfo.resize(static_cast<std::size_t>(cols));
    for (int col = old; col < cols; ++col) {
        makeColumnRecord(s.m_colInfo[static_cast<std::size_t>(col)], col);
    }
    s.m_numCols = cols;
    if (s.m_currentCol >= cols) {
        s.m_currentCol = cols - 1;
        s.m_dragCol = cols - 1;
    }
    if (s.m_dragCol >= cols) {
        s.m_dragCol = cols - 1;
    }
    recomputeLockedWidth();
    computeView();
    if (s.m_leftCol > std::max(s.m_lockedCols, s.m_greatestLeftCol)) {
        s.m_leftCol = std::max(s.m_lockedCols, s.m_greatestLeftCol);
        computeView();
    }
    if (s.m_currentCol < 0 && cols > 0) {
        GotoCol(0);
    }
    if (redraw) {
        AdjustComponentSizes();
        repaint();
    }
    return 0;
}

int CGridControl::SetColWidth(int col, int width)
{
    if (width < 0) {
        return 1;
    }
    if (col >= 0 && col < S().m_numCols) {
        S().m_colInfo[static_cast<std::size_t>(col)].width = width;
        if (col < S().m_lockedCols) {
            recomputeLockedWidth();
        }
        computeView();
        return 0;
    }
    SetSideHeadingColWidth(col, width);
    return 1;
}

int CGridControl::GetColWidth(int col, int* width) const
{
    if (!width || col < -S().m_numSideHeadingCols || col >= S().m_numCols) {
        return 1;
    }
    *width = colWidthOf(col);
    return 0;
}

int CGridControl::GetColWidth(int col) const
{
    return colWidthOf(col);
}

int CGridControl::SetDefaultColWidth(int width)
{
    if (width < 0) {
        return 1;
    }
    S().m_defaultColWidth = width;
    return 0;
}

int CGridControl::SetRowHeight(long row, int height)
{
    if (row < 0 || row >= S().m_numRows || height < 0) {
        return 1;
    }
    if (S().m_rowHeights.empty()) {
        S().m_defaultRowHeight = height;
    } else {
        S().m_rowHeights[static_cast<std::size_t>(row)] = height;
    }
    if (row < S().m_lockedRows || S().m_rowHeights.empty()) {
        recomputeLockedHeight();
    }
    computeView();
    return 0;
}

int CGridControl::GetRowHeight(long row, int* height) const
{
    if (!height || row < -S().m_numTopHeadingRows || row >= S().m_numRows) {
        return 1;
    }
    *height = rowHeightOf(row);
    return 0;
}

int CGridControl::GetRowHeight(long row) const
{
    return rowHeightOf(row);
}

int CGridControl::SetDefaultRowHeight(int height)
{
    if (height < 1 || height > kMaxHeadingSize) {
        return 1;
    }
    S().m_defaultRowHeight = height;
    recomputeLockedHeight();
    computeView();
    return 0;
}

int CGridControl::SetUniformRowHeight(int flag)
{
    CGridSheetState& s = S();
    if (flag) {
        s.m_uniformRowHeight = 1;
        s.m_rowHeights.clear();
        s.m_rowHeights.shrink_to_fit();
    } else {
        s.m_uniformRowHeight = 0;
        s.m_rowHeights.assign(static_cast<std::size_t>(s.m_numRows), s.m_defaultRowHeight);
    }
    recomputeLockedHeight();
    computeView();
    return 0;
}

int CGridControl::InsertRow(long row)
{
    if (row < 0 || row > S().m_numRows || S().m_numRows >= kMaxRows) {
        return 1;
    }
    if (const int result = S().m_currentDataSource->InsertRow(static_cast<int>(row))) {
        return result;
    }
    if (!S().m_rowHeights.empty()) {
        S().m_rowHeights.insert(S().m_rowHeights.begin() + row, S().m_defaultRowHeight);
    }
    return SetNumberRows(S().m_numRows + 1L, 1);
}

int CGridControl::AppendRow()
{
    if (S().m_numRows >= kMaxRows) {
        return 1;
    }
    if (const int result = S().m_currentDataSource->AppendRow()) {
        return result;
    }
    return SetNumberRows(S().m_numRows + 1L, 1);
}

int CGridControl::DeleteRow(long row)
{
    if (row < 0 || row >= S().m_numRows) {
        return 1;
    }
    if (const int result = S().m_currentDataSource->DeleteRow(static_cast<int>(row))) {
        return result;
    }
    if (!S().m_rowHeights.empty()) {
        S().m_rowHeights.erase(S().m_rowHeights.begin() + row);
    }
    return SetNumberRows(S().m_numRows - 1L, 1);
}

int CGridControl::InsertCol(int col)
{
    const int count = S().m_numCols;
    if (col < 0 || col > count || count >= kMaxCols) {
        return 1;
    }
    CGridDataSource* source = sourceFor(col < count ? col : -1);
    const int data = col < count ? mappedColumn(col) : col;
    if (const int result = source->InsertCol(data)) {
        return result;
    }
    SetNumberCols(count + 1, 0);
    auto& info = S().m_colInfo;
    std::rotate(info.begin() + col, info.begin() + count, info.begin() + count + 1);
    info[static_cast<std::size_t>(col)].mappedColumn = col;
    recomputeLockedWidth();
    computeView();
    repaint();
    return 0;
}

int CGridControl::AppendCol()
{
    const int count = S().m_numCols;
    if (count >= kMaxCols) {
        return 1;
    }
    if (const int result = S().m_currentDataSource->AppendCol()) {
        return result;
    }
    return SetNumberCols(count + 1, 1);
}

int CGridControl::DeleteCol(int col)
{
    const int count = S().m_numCols;
    if (col < 0 || col >= count) {
        return 1;
    }
    if (const int result = sourceFor(col)->DeleteCol(mappedColumn(col))) {
        return result;
    }
    auto& info = S().m_colInfo;
    std::rotate(info.begin() + col, info.begin() + col + 1, info.end());
    return SetNumberCols(count - 1, 1);
}

int CGridControl::AutoFitColumns(int startCol, int endCol, int rowsToCheck, int flags)
{
    CGridSheetState& s = S();
    if (startCol < -s.m_numSideHeadingCols) {
        return 1;
    }
    if (endCol >= s.m_numCols) {
        return 2;
    }
    if (startCol > endCol) {
        return 3;
    }
    std::vector<int> best(static_cast<std::size_t>(endCol - startCol + 1), 3);
    CGridCellInfo cell;
    long row = (flags & 1) ? -s.m_numTopHeadingRows : 0;
    for (int visited = 0; visited < rowsToCheck && row < s.m_numRows; ++visited) {
        for (int col = startCol; col <= endCol; ++col) {
            GetDisplayCell(col, row, &cell);
            if (cell.HasProperty(CGridCellInfo::kPropJoin)) {
                continue;
            }
            int width = 0;
            int height = 0;
            typeOfCell(cell)->GetBestSize(width, height, cell);
            int& slot = best[static_cast<std::size_t>(col - startCol)];
            slot = std::max(slot, width);
        }
        ++row;
        if (row == s.m_lockedRows && row < s.m_topRow) {
            row = s.m_topRow;
        }
    }
    const int client = s.m_cellAreaWidth;
    const int maximum = client == 0 ? 300 : std::max(0, client - s.m_sideHeadingWidth);
    int headingSum = 0;
    bool anyHeading = false;
    for (int col = startCol; col <= endCol; ++col) {
        const int width = std::min(best[static_cast<std::size_t>(col - startCol)] + 2, maximum);
        if (col < 0) {
            s.m_sideHeadingColWidths[static_cast<std::size_t>(-col - 1)] = width;
            anyHeading = true;
        } else {
            s.m_colInfo[static_cast<std::size_t>(col)].width = width;
        }
    }
    if (anyHeading) {
        for (int width : s.m_sideHeadingColWidths) {
            headingSum += width;
        }
        s.m_sideHeadingWidth = std::min(headingSum, kMaxHeadingSize);
    }
    recomputeLockedWidth();
    AdjustComponentSizes();
    repaint();
    return 0;
}

int CGridControl::FitColumnsToWidth(int startCol, int endCol)
{
    CGridSheetState& s = S();
    if (startCol < 0 || endCol < startCol || endCol >= s.m_numCols) {
        return 1;
    }
    const int client = s.m_cellAreaWidth;
    const int n = endCol - startCol + 1;
    long long sum = 0;
    for (int col = startCol; col <= endCol; ++col) {
        sum += colWidthOf(col);
    }
    int used = 0;
    for (int col = startCol; col < endCol; ++col) {
        int width = 0;
        if (sum > 0) {
            width = static_cast<int>(static_cast<double>(colWidthOf(col)) * client / sum);
        } else {
            width = client / n; // every width is 0: share the area evenly
        }
        s.m_colInfo[static_cast<std::size_t>(col)].width = width;
        used += width;
    }
    s.m_colInfo[static_cast<std::size_t>(endCol)].width = std::max(0, client - used);
    recomputeLockedWidth();
    computeView();
    repaint();
    return 0;
}

int CGridControl::MoveColPosition(int fromCol, int toCol, int before)
{
    const int count = S().m_numCols;
    const long target = before ? toCol : static_cast<long>(toCol) + 1;
    if (fromCol < 0 || fromCol >= count || target < 0 || target > count) {
        return 1;
    }
    if (target == fromCol || target == fromCol + 1) {
        return 0;
    }
    auto& info = S().m_colInfo;
    const auto from = info.begin() + fromCol;
    if (target > fromCol) {
        std::rotate(from, from + 1, info.begin() + target);
    } else {
        std::rotate(info.begin() + target, from, from + 1);
    }
    recomputeLockedWidth();
    computeView();
    repaint();
    return 0;
}

int CGridControl::SetLockedRows(int count)
{
    if (count < 0 || count > S().m_numRows) {
        return 1;
    }
    S().m_lockedRows = count;
    recomputeLockedHeight();
    if (S().m_topRow < count) {
        S().m_topRow = count;
    }
    computeView();
    repaint();
    return 0;
}

int CGridControl::SetLockedCols(int count)
{
    if (count < 0 || count > S().m_numCols) {
        return 1;
    }
    S().m_lockedCols = count;
    recomputeLockedWidth();
    if (S().m_leftCol < count) {
        S().m_leftCol = count;
    }
    computeView();
    repaint();
    return 0;
}

// ---- headings ------------------------------------------------------------------------------

void CGridControl::scaleSizes(std::vector<int>& sizes, int total)
{
    long long sum = 0;
    for (int size : sizes) {
        sum += size;
    }
    if (sizes.empty()) {
        return;
    }
    if (sum <= 0) {
        // Every size is 0: share the total evenly.
        const int n = static_cast<int>(sizes.size());
        for (int i = 0; i < n; ++i) {
            sizes[static_cast<std::size_t>(i)] = total / n + (i < total % n ? 1 : 0);
        }
        return;
    }
    const double factor = static_cast<double>(total) / static_cast<double>(sum);
    for (int& size : sizes) {
        size = static_cast<int>(size * factor + 0.5);
    }
}

int CGridControl::SetTopHeadingHeight(int height)
{
    if (height < 0 || height > kMaxHeadingSize) {
        return 1;
    }
    S().m_topHeadingHeight = height;
    scaleSizes(S().m_topHeadingRowHeights, height);
    AdjustComponentSizes();
    return 0;
}

int CGridControl::SetSideHeadingWidth(int width)
{
    if (width < 0 || width > kMaxHeadingSize) {
        return 1;
    }
    S().m_sideHeadingWidth = width;
    scaleSizes(S().m_sideHeadingColWidths, width);
    AdjustComponentSizes();
    return 0;
}

int CGridControl::SetTopHeadingRows(int count)
{
    if (count < 1 || count > kMaxHeadingCount) {
        return 1;
    }
    S().m_numTopHeadingRows = count;
    S().m_topHeadingRowHeights.resize(static_cast<std::size_t>(count), S().m_defaultRowHeight);
    AdjustComponentSizes();
    return 0;
}

int CGridControl::SetSideHeadingCols(int count)
{
    if (count < 1 || count > kMaxHeadingCount) {
        return 1;
    }
    S().m_numSideHeadingCols = count;
    S().m_sideHeadingColWidths.resize(static_cast<std::size_t>(count), S().m_defaultColWidth);
    AdjustComponentSizes();
    return 0;
}

int CGridControl::SetTopHeadingRowHeight(int row, int height)
{
    const int index = -row - 1;
    if (row >= 0 || index >= S().m_numTopHeadingRows) {
        return 1;
    }
    if (height < 0 || height > kMaxHeadingSize) {
        return 2;
    }
    S().m_topHeadingRowHeights[static_cast<std::size_t>(index)] = height;
    return 0;
}

int CGridControl::SetSideHeadingColWidth(int col, int width)
{
    const int index = -col - 1;
    if (col >= 0 || index >= S().m_numSideHeadingCols) {
        return 1;
    }
    if (width < 0 || width > kMaxHeadingSize) {
        return 2;
    }
    S().m_sideHeadingColWidths[static_cast<std::size_t>(index)] = width;
    return 0;
}

int CGridControl::SetVScrollBarWidth(int width)
{
    if (width < 0 || width > kMaxHeadingSize) {
        return 1;
    }
    S().m_vScrollBarWidth = width;
    AdjustComponentSizes();
    return 0;
}

int CGridControl::SetHScrollBarHeight(int height)
{
    if (height < 0 || height > kMaxHeadingSize) {
        return 1;
    }
    S().m_hScrollBarHeight = height;
    AdjustComponentSizes();
    return 0;
}

// ---- fonts, bitmaps, cell types ------------------------------------------------------------

int CGridControl::AddFont(std::string_view faceName, int height, int weight)
{
    GridFontSpec spec;
    spec.faceName = std::string(faceName);
    spec.height = height;
    spec.weight = weight;
    return AddFontEx(std::move(spec));
}

int CGridControl::AddFontEx(GridFontSpec spec)
{
    if (spec.faceName.empty() || spec.faceName.size() > 31) {
        spec.faceName.clear();
    }
    for (int index = 0; index < m_fonts.GetCapacity(); ++index) {
        const auto* font = dynamic_cast<const GridFont*>(m_fonts.GetObject(index));
        if (font && font->spec() == spec) {
            m_fonts.SetCount(index, m_fonts.GetCount(index) + 1);
            return index;
        }
    }
    return m_fonts.Add(std::make_unique<GridFont>(std::move(spec)), 1);
}

int CGridControl::RemoveFont(int index)
{
    const int count = m_fonts.GetCount(index);
    if (count <= 0) {
        return 1;
    }
    if (count > 1) {
        m_fonts.SetCount(index, count - 1);
        return 0;
    }
    GridObject* font = m_fonts.GetObject(index);
    for (auto& sheet : m_sheets) {
        if (sheet->m_defaultFont == font) {
            sheet->m_defaultFont = nullptr;
        }
    }
    m_fonts.Remove(index);
    return 0;
}

GridObject* CGridControl::GetFont(int index) const
{
    return m_fonts.GetObject(index);
}

int CGridControl::SetDefaultFont(int index)
{
    GridObject* font = GetFont(index);
    if (!font) {
        return 1;
    }
    S().m_defaultFont = font;
    return 0;
}

int CGridControl::AddBitmap(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return -1;
    }
    std::vector<std::uint8_t> bytes;
    char buffer[65536];
    while (file) {
        file.read(buffer, sizeof buffer);
        const std::streamsize got = file.gcount();
        if (got <= 0) {
            break;
        }
        if (static_cast<std::streamsize>(bytes.size()) + got > kMaxBitmapFileBytes) {
            return -1;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return addBitmapBytes(bytes);
}

namespace {

CGridControl::BitmapResources& bitmapResources()
{
    static CGridControl::BitmapResources resources;
    return resources;
}

} // namespace

void CGridControl::setBitmapResources(BitmapResources resources)
{
    bitmapResources() = std::move(resources);
}

bool CGridControl::hasBitmapResources()
{
    return static_cast<bool>(bitmapResources());
}

int CGridControl::AddBitmap(unsigned resourceId, std::string_view resourceName)
{
    const BitmapResources& resources = bitmapResources();
    if (!resources) {
        return -1;
    }
    std::optional<GridBitmap> bitmap = resources(resourceId, resourceName);
    if (!bitmap || bitmap->width() <= 0 || bitmap->height() <= 0 ||
        bitmap->pixels().size() != static_cast<std::size_t>(bitmap->width()) *
                                       static_cast<std::size_t>(bitmap->height())) {
        return -1;
    }
    return m_bitmaps.Add(std::make_unique<GridBitmap>(std::move(*bitmap)), 1);
}

int CGridControl::addBitmapBytes(std::span<const std::uint8_t> bytes)
{
    std::optional<GridBitmap> bitmap = decodeBmp(bytes);
    if (!bitmap) {
        return -1;
    }
    return m_bitmaps.Add(std::make_unique<GridBitmap>(std::move(*bitmap)), 1);
}

int CGridControl::RemoveBitmap(int index)
{
    return m_bitmaps.Remove(index) ? 0 : 1;
}

int CGridControl::RemoveAllBitmaps()
{
    m_bitmaps.RemoveAll();
    return 0;
}

GridObject* CGridControl::GetBitmap(int index) const
{
    return m_bitmaps.GetObject(index);
}

int CGridControl::AddCellType(CGridCellType* type)
{
    if (!type) {
        return -1;
    }
    m_cellTypes.push_back(type);
    const int index = static_cast<int>(m_cellTypes.size()) - 1;
    type->setControl(this, index);
    return index;
}

int CGridControl::RemoveCellType(int index)
{
    if (index < 1 || index >= static_cast<int>(m_cellTypes.size()) ||
        !m_cellTypes[static_cast<std::size_t>(index)]) {
        return 1;
    }
    m_cellTypes[static_cast<std::size_t>(index)]->setControl(nullptr, -1);
    m_cellTypes[static_cast<std::size_t>(index)] = nullptr;
    return 0;
}

CGridCellType* CGridControl::GetCellType(int index) const
{
    if (index < 1 || index >= static_cast<int>(m_cellTypes.size()) ||
        !m_cellTypes[static_cast<std::size_t>(index)]) {
        return m_cellTypes.front();
    }
    return m_cellTypes[static_cast<std::size_t>(index)];
}

int CGridControl::SetCellTypeOption(int index, long value)
{
    if (index < 0 || index >= static_cast<int>(m_cellTypes.size()) ||
        !m_cellTypes[static_cast<std::size_t>(index)]) {
        return 1;
    }
    return m_cellTypes[static_cast<std::size_t>(index)]->SetOption(value);
}

CGridCellType* CGridControl::typeOfCell(const CGridCellInfo& cell) const
{
    return GetCellType(cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType() : 0);
}

// ---- pop-up menu ---------------------------------------------------------------------------

int CGridControl::ClearMenu()
{
    m_menuItems.clear();
    return 0;
}

int CGridControl::AppendMenuItem(unsigned id, std::string_view text)
{
    if (text.empty() || id == 0xFFFFFFFFu) {
        m_menuItems.push_back({0, {}, true});
    } else {
        m_menuItems.push_back({id, std::string(text), false});
    }
    return 0;
}

int CGridControl::RemoveMenuItem(unsigned id)
{
    const auto found =
        std::find_if(m_menuItems.begin(), m_menuItems.end(),
                     [id](const GridMenuItem& i) { return !i.separator && i.id == id; });
    if (found == m_menuItems.end()) {
        return 1;
    }
    m_menuItems.erase(found);
    return 0;
}

int CGridControl::EnablePopupMenu(int flag)
{
    S().m_popupMenuEnabled = flag ? 1 : 0;
    return 0;
}

int CGridControl::ShowPopupMenu(int col, long row, GridPoint point, int section)
{
    if (!S().m_popupMenuEnabled) {
        return 1;
    }
    if (joinsOn()) {
        GetJoinStartCell(&col, &row);
    }
    if (!OnMenuStart(col, row, section)) {
        return 2;
    }
    m_menuCol = col;
    m_menuRow = row;
    m_menuSection = section;
    if (!m_menu) {
        return 3;
    }
    const std::optional<unsigned> chosen = m_menu->track(m_menuItems, point);
    if (!chosen) {
        return 3;
    }
    if (*chosen != 0) {
        onCommand(*chosen);
    }
    return 0;
}

void CGridControl::onCommand(unsigned id)
{
    if (id >= kFirstMenuCommand) {
        OnMenuCommand(m_menuCol, m_menuRow, m_menuSection, id);
    }
}

// ---- display and switches ------------------------------------------------------------------

void CGridControl::repaint()
{
    if (m_paintEnabled) {
        m_windows->redrawAll();
    }
}

int CGridControl::RedrawAll()
{
    AdjustComponentSizes();
    repaint();
    return 0;
}

int CGridControl::RedrawCell(int col, long row)
{
    if (!m_paintEnabled) {
        return 0;
    }
    const int section =
        col < 0 ? kSectionSideHeading : (row < 0 ? kSectionTopHeading : kSectionCellArea);
    m_windows->redrawCell(section, col, static_cast<int>(std::clamp<long>(row, INT_MIN, INT_MAX)));
    return 0;
}

int CGridControl::RedrawRange(int startCol, long startRow, int endCol, long endRow)
{
    if (m_paintEnabled) {
        m_windows->redrawRange(
            startCol, static_cast<int>(std::clamp<long>(startRow, INT_MIN, INT_MAX)), endCol,
            static_cast<int>(std::clamp<long>(endRow, INT_MIN, INT_MAX)));
    }
    return 0;
}

int CGridControl::EnableJoins(int flag)
{
    S().m_navigationFlags[1] = flag ? 1 : 0;
    repaint();
    return 0;
}

int CGridControl::EnableTextOverflow(int flag)
{
    S().m_navigationFlags[3] = flag ? 1 : 0;
    repaint();
    return 0;
}

int CGridControl::EnableColSwapping(int flag)
{
    S().m_navigationFlags[2] = flag ? 1 : 0;
    return 0;
}

int CGridControl::SetCurrentCellMode(int mode)
{
    if (mode < 0 || mode > 3) {
        return 1;
    }
    S().m_currentCellMode = mode;
    repaint();
    return 0;
}

int CGridControl::Set3DHeight(int pixels)
{
    if (pixels < 1 || pixels > 16) {
        return 1;
    }
    S().m_drawingOptions[1] = pixels;
    repaint();
    return 0;
}

int CGridControl::SetTextMargin(int pixels)
{
    if (pixels < 0) {
        return 1;
    }
    S().m_cellTextMargin = pixels;
    repaint();
    return 0;
}

int CGridControl::SetBallisticMode(int mode)
{
    if (mode < 0 || mode > 3) {
        return 1;
    }
    S().m_ballisticMode = mode;
    return 0;
}

int CGridControl::SetBallisticDelay(int delayMs)
{
    if (delayMs < 0 || delayMs > 32000) {
        return 1;
    }
    S().m_ballisticDelayMs = delayMs;
    return 0;
}

int CGridControl::SetBallisticKeyMode(int mode)
{
    if (mode < 0 || mode > 1000) {
        return 1;
    }
    S().m_ballisticKeyMode = mode;
    return 0;
}

int CGridControl::SetBallisticKeyDelay(int delayMs)
{
    if (delayMs < 0) {
        return 1;
    }
    S().m_ballisticKeyDelayMs = delayMs;
    return 0;
}

int CGridControl::EnableCellTips(int flag)
{
    S().m_cellAreaHints = flag ? 1 : 0;
    return 0;
}

int CGridControl::EnableVScrollTips(int flag)
{
    S().m_vScrollHints = flag ? 1 : 0;
    return 0;
}

int CGridControl::EnableHScrollTips(int flag)
{
    S().m_hScrollHints = flag ? 1 : 0;
    return 0;
}

int CGridControl::SetVScrollMode(int mode)
{
    if (mode < 0 || mode > 2) {
        return 1;
    }
    S().m_vScrollMode = mode;
    m_windows->update(kSectionVScrollBar);
    return 0;
}

int CGridControl::SetHScrollMode(int mode)
{
    S().m_hThumbTracking = mode ? 1 : 0;
    return 0;
}

int CGridControl::SetCompanionWindow(GridRect* window)
{
    if (!window) {
        return 1;
    }
    m_companion = window;
    return 0;
}

int CGridControl::PlaceCompanionWindow()
{
    if (!m_companion || S().m_currentCol < 0 || S().m_currentRow < 0) {
        return 1;
    }
    GridRect cell;
    if (GetCellRect(S().m_currentCol, S().m_currentRow, &cell) != 0) {
        return 1;
    }
    // Into screen coordinates of the cell area (the windows' origin is the screen's here).
    const GridRect area = S().m_cellAreaRect;
    cell.left += area.left;
    cell.right += area.left;
    cell.top += area.top;
    cell.bottom += area.top;
    const GridRect old = *m_companion;
    const int w = old.right - old.left;
    const int h = old.bottom - old.top;
    constexpr int kGap = 5;
    auto fits = [this](const GridRect& r) {
        return r.left >= m_screen.left && r.top >= m_screen.top && r.right <= m_screen.right &&
               r.bottom <= m_screen.bottom;
    };
    GridRect placed;
    if (m_companionMode == 1) {
        placed = {cell.left, cell.bottom + 30, cell.left + w, cell.bottom + 30 + h};
    } else {
        const GridRect candidates[4] = {
            {cell.right + kGap, cell.top, cell.right + kGap + w, cell.top + h},
            {cell.left, cell.bottom + kGap, cell.left + w, cell.bottom + kGap + h},
            {cell.left - kGap - w, cell.top, cell.left - kGap, cell.top + h},
            {cell.left, cell.top - kGap - h, cell.left + w, cell.top - kGap},
        };
        placed = candidates[3];
        for (const GridRect& candidate : candidates) {
            if (fits(candidate)) {
                placed = candidate;
                break;
            }
        }
    }
    OnCompanionWindowMove(&old, &placed);
    *m_companion = placed;
    repaint();
    return 0;
}

GridLayoutRects CGridControl::computeLayout(int cw, int ch)
{
    CGridSheetState& s = S();
    cw = std::max(0, cw);
    ch = std::max(0, ch);
    const int sideW = s.m_sideHeadingWidth;
    const int topH = s.m_topHeadingHeight;
    long long colsW = 0;
    for (const GridColumnInfo& info : s.m_colInfo) {
        colsW += info.width;
    }
    long long rowsH = 0;
    if (s.m_rowHeights.empty()) {
        rowsH = static_cast<long long>(s.m_numRows) * s.m_defaultRowHeight;
    } else {
        for (int h : s.m_rowHeights) {
            rowsH += h;
        }
    }
    int vsw = s.m_vScrollBarWidth;
    int hsh = s.m_hScrollBarHeight;
    const bool colsFit = sideW + colsW <= cw - vsw;
    if (colsFit) {
        hsh = 0;
    }
    const bool tabs = m_tabBar->GetTabCount() > 0;
    const int bottomH = tabs ? s.m_hScrollBarHeight : hsh;
    if (topH + rowsH <= ch - bottomH) {
        vsw = 0;
    }
    int tabW = tabs ? s.m_tabBarWidth : 0;
    if (tabW > cw - vsw - 20) {
        tabW = std::max(0, cw - vsw - 20);
    }
    if (tabs && colsFit) {
        tabW = std::max(0, cw - vsw);
    }
    auto rect = [](int l, int t, int r, int b) {
        return GridRect{l, t, std::max(l, r), std::max(t, b)};
    };
    GridLayoutRects rects;
    rects.corner = rect(0, 0, std::min(sideW, cw), std::min(topH, ch));
    rects.topHeading = rect(sideW, 0, cw - vsw, std::min(topH, ch));
    rects.sideHeading = rect(0, topH, std::min(sideW, cw), ch - bottomH);
    rects.cellArea = rect(sideW, topH, cw - vsw, ch - bottomH);
    rects.vScrollBar = rect(cw - vsw, 0, cw, ch - bottomH);
    rects.tabBar = rect(0, ch - bottomH, tabW, ch);
    rects.hScrollBar = rect(tabW, ch - bottomH, cw - vsw, ch);
    return rects;
}

void CGridControl::AdjustComponentSizes()
{
    CGridSheetState& s = S();
    const int savedSide = s.m_sideHeadingWidth;
    const int savedTop = s.m_topHeadingHeight;
    const int savedTab = s.m_tabBarWidth;
    GridLayoutRects rects = computeLayout(m_windows->clientWidth(), m_windows->clientHeight());
    OnAdjustComponentSizes(&rects);
    s.m_cellAreaRect = rects.cellArea;
    s.m_topHeadingRect = rects.topHeading;
    s.m_sideHeadingRect = rects.sideHeading;
    s.m_cornerRect = rects.corner;
    s.m_vScrollRect = rects.vScrollBar;
    s.m_hScrollRect = rects.hScrollBar;
    s.m_tabBarRect = rects.tabBar;
    s.m_cellAreaWidth = std::max(0, rects.cellArea.right - rects.cellArea.left);
    s.m_cellAreaHeight = std::max(0, rects.cellArea.bottom - rects.cellArea.top);
    m_windows->placeChildren(rects);
    computeView();
    s.m_sideHeadingWidth = savedSide;
    s.m_topHeadingHeight = savedTop;
    s.m_tabBarWidth = savedTab;
}

void CGridControl::computeView()
{
    CGridSheetState& s = S();
    // Columns.
    {
        const int avail = s.m_cellAreaWidth - s.m_lockedColsWidth;
        int col = s.m_numCols - 1;
        int sum = 0;
        while (col >= s.m_lockedCols && sum + colWidthOf(col) <= avail) {
            sum += colWidthOf(col);
            --col;
        }
        s.m_greatestLeftCol = std::max(s.m_lockedCols, std::min(col + 1, s.m_numCols - 1));
        int right = std::max(s.m_leftCol, 0);
        int x = s.m_lockedColsWidth;
        while (right < s.m_numCols && x + colWidthOf(right) <= s.m_cellAreaWidth) {
            x += colWidthOf(right);
            ++right;
        }
        s.m_rightCol = right;
    }
    // Rows.
    {
        const int avail = s.m_cellAreaHeight - s.m_lockedRowsHeight;
        long row = s.m_numRows - 1L;
        long long sum = 0;
        while (row >= s.m_lockedRows && sum + rowHeightOf(row) <= avail) {
            sum += rowHeightOf(row);
            --row;
        }
        s.m_greatestTopRow =
            static_cast<int>(std::max<long>(s.m_lockedRows, std::min(row + 1, s.m_numRows - 1L)));
        long bottom = std::max(s.m_topRow, 0);
        long long y = s.m_lockedRowsHeight;
        while (bottom < s.m_numRows && y + rowHeightOf(bottom) <= s.m_cellAreaHeight) {
            y += rowHeightOf(bottom);
            ++bottom;
        }
        s.m_bottomRow = static_cast<int>(bottom);
    }
}

void CGridControl::OnSysColorChange()
{
    for (CGridCellType* type : m_cellTypes) {
        if (type) {
            type->OnSystemColorChange();
        }
    }
    S().m_headingDefaultCell->SetBackColor(gridSystem().sysColor(kColorBtnFace));
    repaint();
}

// ---- current cell --------------------------------------------------------------------------

long CGridControl::askForMoreRows()
{
    const long before = S().m_numRows;
    long row = before;
    adjustRow(row);
    return S().m_numRows - before;
}

int CGridControl::adjustRow(long& row)
{
    CGridSheetState& s = S();
    if (row >= s.m_numRows) {
        const long rows = s.m_numRows;
        const long past = row - rows + 1;
        int added = 0;
        s.m_currentDataSource->OnRowsExhausted(
            static_cast<int>(rows), static_cast<int>(std::min<long>(past, INT_MAX)), added);
        OnRowsExhausted(rows, past, added);
        if (added > 0) {
            SetNumberRows(std::min<long>(rows + added, kMaxRows), 1);
        }
        if (row >= s.m_numRows) {
            if (s.m_dragRow == s.m_numRows - 1) {
                return 1;
            }
            row = s.m_numRows - 1L;
        }
    }
    if (row < 0) {
        row = 0;
    }
    if (joinsOn() && s.m_dragCol >= 0 && s.m_dragRow >= 0 && row != s.m_dragRow) {
        int sc = 0;
        int ec = 0;
        long sr = 0;
        long er = 0;
        const bool fromBlock = joinRange(s.m_dragCol, s.m_dragRow, sc, sr, ec, er);
        if (row > s.m_dragRow) {
            if (fromBlock && row <= er) {
                row = er + 1 < s.m_numRows ? er + 1 : s.m_dragRow;
            } else if (joinRange(s.m_dragCol, row, sc, sr, ec, er)) {
                row = sr;
            }
        } else if (fromBlock && row >= sr) {
            row = sr - 1 >= 0 ? sr - 1 : s.m_dragRow;
        }
    }
    return 0;
}

int CGridControl::adjustCol(int& col)
{
    CGridSheetState& s = S();
    if (col >= s.m_numCols) {
        if (s.m_dragCol == s.m_numCols - 1) {
            return 1;
        }
        col = s.m_numCols - 1;
    }
    if (col < 0) {
        col = 0;
    }
    if (joinsOn() && s.m_dragCol >= 0 && s.m_dragRow >= 0 && col != s.m_dragCol) {
        int sc = 0;
        int ec = 0;
        long sr = 0;
        long er = 0;
        const bool fromBlock = joinRange(s.m_dragCol, s.m_dragRow, sc, sr, ec, er);
        if (col > s.m_dragCol) {
            if (fromBlock && col <= ec) {
                col = ec + 1 < s.m_numCols ? ec + 1 : s.m_dragCol;
            } else if (joinRange(col, s.m_dragRow, sc, sr, ec, er)) {
                col = sc;
            }
        } else if (fromBlock && col >= sc) {
            col = sc - 1 >= 0 ? sc - 1 : s.m_dragCol;
        }
    }
    return 0;
}

void CGridControl::ensureVisible(int col, long row)
{
    CGridSheetState& s = S();
    if (row >= s.m_lockedRows && row < s.m_numRows) {
        if (row < s.m_topRow) {
            s.m_topRow = static_cast<int>(row);
        } else if (row >= s.m_bottomRow) {
            const int avail = s.m_cellAreaHeight - s.m_lockedRowsHeight;
            long top = row;
            long long sum = rowHeightOf(row);
            while (top - 1 >= s.m_lockedRows && sum + rowHeightOf(top - 1) <= avail) {
                --top;
                sum += rowHeightOf(top);
            }
            s.m_topRow = static_cast<int>(top);
        }
    }
    if (col >= s.m_lockedCols && col < s.m_numCols) {
        if (col < s.m_leftCol) {
            s.m_leftCol = col;
        } else if (col >= s.m_rightCol) {
            const int avail = s.m_cellAreaWidth - s.m_lockedColsWidth;
            int left = col;
            int sum = colWidthOf(col);
            while (left - 1 >= s.m_lockedCols && sum + colWidthOf(left - 1) <= avail) {
                --left;
                sum += colWidthOf(left);
            }
            s.m_leftCol = left;
        }
    }
    computeView();
}

int CGridControl::moveTo(int col, long row)
{
    CGridSheetState& s = S();
    if (col == s.m_dragCol && row == s.m_dragRow) {
        return 0;
    }
    if (joinsOn() && col >= 0 && row >= 0) {
        GetJoinStartCell(&col, &row);
    }
    if (s.m_currentDataSource->OnCanMove(s.m_currentCol, s.m_currentRow, col,
                                         static_cast<int>(row)) != 1) {
        return 2;
    }
    if (!OnCanMove(s.m_currentCol, s.m_currentRow, col, row)) {
        return 2;
    }
    const bool colVisible = col < s.m_lockedCols || (col >= s.m_leftCol && col < s.m_rightCol);
    const bool rowVisible = row < s.m_lockedRows || (row >= s.m_topRow && row < s.m_bottomRow);
    if ((!colVisible || !rowVisible) && !OnCanViewMove(s.m_leftCol, s.m_topRow, col, row)) {
        return 2;
    }
    s.m_dragCol = col;
    s.m_dragRow = static_cast<int>(row);
    ensureVisible(col, row);
    notify();
    return 0;
}

void CGridControl::notify()
{
    CGridSheetState& s = S();
    if (!s.m_multiSelection || m_editing) {
        s.m_currentCol = s.m_dragCol;
        s.m_currentRow = s.m_dragRow;
    } else {
        CGridSelectList& list = *s.m_selectList;
        switch (s.m_moveReason) {
        case 1:
            list.OnMouseSelect(s.m_dragCol, s.m_dragRow, s.m_mouseKeyFlags);
            break;
        case 2:
            list.OnRightClickSelect(s.m_dragCol, s.m_dragRow);
            break;
        case 3:
            list.OnDragSelect(s.m_dragCol, s.m_dragRow);
            break;
        default:
            list.OnKeyMove(s.m_dragCol, s.m_dragRow);
            break;
        }
        int col = 0;
        int row = 0;
        if (list.GetStartCell(col, row) == 0 && list.isActive()) {
            s.m_currentCol = col;
            s.m_currentRow = row;
        } else {
            s.m_currentCol = s.m_dragCol;
            s.m_currentRow = s.m_dragRow;
        }
    }
    const int oldCol = s.m_previousCurrentCol;
    const int oldRow = s.m_previousCurrentRow;
    const bool colChanged = s.m_currentCol != oldCol;
    const bool rowChanged = s.m_currentRow != oldRow;
    const bool leftChanged = s.m_leftCol != s.m_previousLeftCol;
    const bool topChanged = s.m_topRow != s.m_previousTopRow;
    if (colChanged) {
        s.m_currentDataSource->OnColChange(oldCol, s.m_currentCol);
        OnColChange(oldCol, s.m_currentCol);
    }
    if (rowChanged) {
        s.m_currentDataSource->OnRowChange(oldRow, s.m_currentRow);
        OnRowChange(oldRow, s.m_currentRow);
    }
    if (colChanged || rowChanged) {
        OnCellChange(oldCol, s.m_currentCol, oldRow, s.m_currentRow);
    }
    if (leftChanged) {
        OnLeftColChange(s.m_previousLeftCol, s.m_leftCol);
    }
    if (topChanged) {
        OnTopRowChange(s.m_previousTopRow, s.m_topRow);
    }
    if (m_companion && (colChanged || rowChanged)) {
        PlaceCompanionWindow();
    }
    CGridCellInfo cell;
    if (colChanged || rowChanged) {
        if (oldCol >= 0 && oldRow >= 0 && oldCol < s.m_numCols && oldRow < s.m_numRows) {
            GetDisplayCell(oldCol, oldRow, &cell);
            typeOfCell(cell)->OnKillFocus(oldCol, oldRow, cell);
        }
    }
    if (s.m_currentCol >= 0 && s.m_currentRow >= 0) {
        if (colChanged || rowChanged || leftChanged || topChanged) {
            GetDisplayCell(s.m_currentCol, s.m_currentRow, &cell);
        }
        if (colChanged || rowChanged) {
            typeOfCell(cell)->OnSetFocus(s.m_currentCol, s.m_currentRow, cell);
        }
        if (leftChanged || topChanged) {
            typeOfCell(cell)->OnScrolled(s.m_currentCol, s.m_currentRow, cell);
        }
    }
    if (m_paintEnabled) {
        if (leftChanged || topChanged) {
            m_windows->moved(kSectionCellArea);
        }
        for (int section : {kSectionCellArea, kSectionTopHeading, kSectionSideHeading,
                            kSectionVScrollBar, kSectionHScrollBar, kSectionCorner}) {
            m_windows->update(section);
        }
    }
    s.m_previousCurrentCol = s.m_currentCol;
    s.m_previousCurrentRow = s.m_currentRow;
    s.m_previousLeftCol = s.m_leftCol;
    s.m_previousTopRow = s.m_topRow;
}

int CGridControl::GotoCell(int col, long row)
{
    if (col < 0 || col >= S().m_numCols || row < 0 || row >= S().m_numRows) {
        return 1;
    }
    return moveTo(col, row);
}

void CGridControl::resetSelectionToCurrent()
{
    const GridSystem& system = gridSystem();
    if (!S().m_multiSelection && !system.isKeyDown(kVirtualKeyShift) &&
        !system.isKeyDown(kVirtualKeyControl)) {
        S().m_selectList->ClearAll();
    }
}

int CGridControl::GotoCol(int col)
{
    resetSelectionToCurrent();
    if (const int code = adjustCol(col)) {
        return code;
    }
    return moveTo(col, S().m_dragRow);
}

int CGridControl::GotoRow(long row)
{
    resetSelectionToCurrent();
    if (const int code = adjustRow(row)) {
        return code;
    }
    return moveTo(S().m_dragCol, row);
}

int CGridControl::MoveCurrentCol(int action)
{
    CGridSheetState& s = S();
    const int from = s.m_dragCol;
    switch (action) {
    case 0:
        return GotoCol(from - 1);
    case 1:
        return GotoCol(from + 1);
    case 2:
    case 3: {
        const int page = std::max(0, s.m_cellAreaWidth - s.m_lockedColsWidth);
        const int step = action == 3 ? 1 : -1;
        int col = from;
        int used = 0;
        while (col + step >= 0 && col + step < s.m_numCols &&
               used + colWidthOf(col + step) <= page) {
            col += step;
            used += colWidthOf(col);
        }
        if (col == from) {
            col += step; // at least one column
        }
        return GotoCol(col);
    }
    case 4:
        return GotoCol(0);
    case 5:
        return GotoCol(s.m_numCols - 1);
    default:
        return 0;
    }
}

int CGridControl::MoveCurrentRow(int action)
{
    CGridSheetState& s = S();
    const long from = s.m_dragRow;
    switch (action) {
    case 0:
        return GotoRow(from - 1);
    case 1:
        return GotoRow(from + 1);
    case 2:
    case 3: {
        const int page = std::max(0, s.m_cellAreaHeight - s.m_lockedRowsHeight);
        const int step = action == 3 ? 1 : -1;
        long row = from;
        long long used = 0;
        while (row + step >= 0 && row + step < s.m_numRows &&
               used + rowHeightOf(row + step) <= page) {
            row += step;
            used += rowHeightOf(row);
        }
        if (row == from) {
            row += step;
        }
        return GotoRow(row);
    }
    case 4:
        return GotoRow(0);
    case 5:
        return GotoRow(s.m_numRows - 1L);
    default:
        return 0;
    }
}

int CGridControl::MoveCurrentColBy(int offset)
{
    return GotoCol(static_cast<int>(
        std::clamp<long>(static_cast<long>(S().m_dragCol) + offset, INT_MIN, INT_MAX)));
}

int CGridControl::MoveCurrentRowBy(long offset)
{
    const long from = S().m_dragRow;
    const long row = offset > 0 && from > LONG_MAX - offset ? LONG_MAX : from + offset;
    return GotoRow(std::max<long>(row, INT_MIN));
}

int CGridControl::SetLeftCol(int col)
{
    CGridSheetState& s = S();
    col = std::clamp(col, s.m_lockedCols, std::max(s.m_lockedCols, s.m_greatestLeftCol));
    if (col == s.m_leftCol) {
        return 0;
    }
    if (!OnCanViewMove(s.m_leftCol, s.m_topRow, col, s.m_topRow)) {
        return 2;
    }
    s.m_leftCol = col;
    computeView();
    notify();
    return 0;
}

int CGridControl::SetTopRow(long row)
{
    CGridSheetState& s = S();
    row = std::clamp<long>(row, s.m_lockedRows, std::max(s.m_lockedRows, s.m_greatestTopRow));
    if (row == s.m_topRow) {
        return 0;
    }
    if (!OnCanViewMove(s.m_leftCol, s.m_topRow, s.m_leftCol, row)) {
        return 2;
    }
    s.m_topRow = static_cast<int>(row);
    computeView();
    notify();
    return 0;
}

int CGridControl::MoveLeftCol(int action)
{
    CGridSheetState& s = S();
    switch (action) {
    case 0: {
        int col = s.m_leftCol - 1;
        while (col > s.m_lockedCols && colWidthOf(col) == 0) {
            --col;
        }
        return SetLeftCol(col);
    }
    case 1: {
        int col = s.m_leftCol + 1;
        while (col < s.m_numCols - 1 && colWidthOf(col) == 0) {
            ++col;
        }
        return SetLeftCol(col);
    }
    case 2:
    case 3:
        return SetLeftCol(action == 3 ? s.m_rightCol
                                      : s.m_leftCol - std::max(1, s.m_rightCol - s.m_leftCol));
    case 4:
        return SetLeftCol(0);
    case 5:
        return SetLeftCol(s.m_numCols);
    default:
        return 0;
    }
}

int CGridControl::MoveTopRow(int action)
{
    CGridSheetState& s = S();
    switch (action) {
    case 0: {
        long row = s.m_topRow - 1L;
        while (row > s.m_lockedRows && rowHeightOf(row) == 0) {
            --row;
        }
        return SetTopRow(row);
    }
    case 1: {
        long row = s.m_topRow + 1L;
        while (row < s.m_numRows - 1L && rowHeightOf(row) == 0) {
            ++row;
        }
        return SetTopRow(row);
    }
    case 2:
    case 3:
        return SetTopRow(action == 3 ? s.m_bottomRow
                                     : s.m_topRow - std::max(1, s.m_bottomRow - s.m_topRow));
    case 4:
        return SetTopRow(0);
    case 5:
        return SetTopRow(s.m_numRows);
    default:
        return 0;
    }
}

int CGridControl::MoveLeftColBy(int offset)
{
    return SetLeftCol(static_cast<int>(
        std::clamp<long>(static_cast<long>(S().m_leftCol) + offset, INT_MIN, INT_MAX)));
}

int CGridControl::MoveTopRowBy(long offset)
{
    return SetTopRow(std::clamp<long>(S().m_topRow + offset, INT_MIN, INT_MAX));
}

int CGridControl::ResetCurrentCell()
{
    S().m_currentCol = -1;
    S().m_currentRow = -1;
    S().m_dragCol = -1;
    S().m_dragRow = -1;
    S().m_previousCurrentCol = -1;
    S().m_previousCurrentRow = -1;
    return 0;
}

int CGridControl::GetCellFromPoint(int x, int y, int* colOut, long* rowOut, GridRect* rectOut)
{
    CGridSheetState& s = S();
    if (x < 0 || y < 0 || x >= s.m_cellAreaWidth || y >= s.m_cellAreaHeight) {
        return 1;
    }
    int col = -1;
    int px = 0;
    for (int c = 0; c < s.m_lockedCols && col < 0; ++c) {
        if (x < px + colWidthOf(c)) {
            col = c;
        } else {
            px += colWidthOf(c);
        }
    }
    for (int c = s.m_leftCol; col < 0 && c < s.m_numCols && px < s.m_cellAreaWidth; ++c) {
        if (x < px + colWidthOf(c)) {
            col = c;
        } else {
            px += colWidthOf(c);
        }
    }
    long row = -1;
    long long py = 0;
    for (int r = 0; r < s.m_lockedRows && row < 0; ++r) {
        if (y < py + rowHeightOf(r)) {
            row = r;
        } else {
            py += rowHeightOf(r);
        }
    }
    for (long r = s.m_topRow; row < 0 && r < s.m_numRows && py < s.m_cellAreaHeight; ++r) {
        if (y < py + rowHeightOf(r)) {
            row = r;
        } else {
            py += rowHeightOf(r);
        }
    }
    if (col < 0 || row < 0) {
        return 1;
    }
    if (joinsOn()) {
        GetJoinStartCell(&col, &row);
    }
    if (colOut) {
        *colOut = col;
    }
    if (rowOut) {
        *rowOut = row;
    }
    if (rectOut) {
        GetCellRect(col, row, rectOut);
    }
    return 0;
}

int CGridControl::GetCellRect(int col, long row, GridRect* rect)
{
    if (!rect) {
        return 1;
    }
    CGridSheetState& s = S();
    int endCol = col;
    long endRow = row;
    if (joinsOn() && col >= 0 && row >= 0) {
        int sc = 0;
        long sr = 0;
        if (joinRange(col, row, sc, sr, endCol, endRow)) {
            col = sc;
            row = sr;
        }
    }
    auto xOf = [&](int c) -> long long {
        if (c < 0) {
            long long x = s.m_sideHeadingWidth;
            for (int h = -1; h >= c; --h) {
                x -= colWidthOf(h);
            }
            return x - s.m_sideHeadingWidth; // left of the cell area
        }
        long long x = 0;
        if (c < s.m_lockedCols) {
            for (int i = 0; i < c; ++i) {
                x += colWidthOf(i);
            }
            return x;
        }
        x = s.m_lockedColsWidth;
        for (int i = s.m_leftCol; i < c; ++i) {
            x += colWidthOf(i);
        }
        for (int i = c; i < s.m_leftCol; ++i) {
            x -= colWidthOf(i);
        }
        return x;
    };
    auto yOf = [&](long r) -> long long {
        if (r < 0) {
            long long y = s.m_topHeadingHeight;
            for (long h = -1; h >= r; --h) {
                y -= rowHeightOf(h);
            }
            return y - s.m_topHeadingHeight;
        }
        long long y = 0;
        if (r < s.m_lockedRows) {
            for (long i = 0; i < r; ++i) {
                y += rowHeightOf(i);
            }
            return y;
        }
        y = s.m_lockedRowsHeight;
        for (long i = s.m_topRow; i < r; ++i) {
            y += rowHeightOf(i);
        }
        for (long i = r; i < s.m_topRow; ++i) {
            y -= rowHeightOf(i);
        }
        return y;
    };
    auto clampInt = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    };
    rect->left = clampInt(xOf(col));
    rect->top = clampInt(yOf(row));
    rect->right = clampInt(xOf(endCol) + colWidthOf(endCol));
    rect->bottom = clampInt(yOf(endRow) + rowHeightOf(endRow));
    return 0;
}

int CGridControl::GetRangeRect(int startCol, long startRow, int endCol, long endRow, GridRect* rect)
{
    if (!rect) {
        return 1;
    }
    CGridSheetState& s = S();
    GridRect first;
    GridRect last;
    GetCellRect(startCol, startRow, &first);
    GetCellRect(endCol, endRow, &last);
    const bool colShown = startCol < s.m_lockedCols || startCol >= s.m_leftCol;
    const bool rowShown = startRow < s.m_lockedRows || startRow >= s.m_topRow;
    rect->left = colShown ? first.left : -10;
    rect->top = rowShown ? first.top : -10;
    rect->right = last.right;
    rect->bottom = last.bottom;
    return 0;
}

int CGridControl::GetJoinStartCell(int* col, long* row)
{
    if (!col || !row) {
        return 1;
    }
    if (!joinsOn()) {
        return 1;
    }
    int sc = 0;
    int ec = 0;
    long sr = 0;
    long er = 0;
    if (!joinRange(*col, *row, sc, sr, ec, er)) {
        return 2;
    }
    *col = sc;
    *row = sr;
    return 0;
}

int CGridControl::GetJoinRange(int* col, long* row, int* endCol, long* endRow)
{
    if (!col || !row || !endCol || !endRow) {
        return 1;
    }
    int sc = 0;
    long sr = 0;
    if (!joinRange(*col, *row, sc, sr, *endCol, *endRow)) {
        *endCol = *col;
        *endRow = *row;
        return 1;
    }
    *col = sc;
    *row = sr;
    return 0;
}

// ---- selection -----------------------------------------------------------------------------

int CGridControl::SetMultiSelectMode(int mode)
{
    CGridSheetState& s = S();
    if (!mode) {
        s.m_multiSelection = 0;
        s.m_selectList->SetSelectMode(0);
        return 0;
    }
    s.m_multiSelection = m_rangeSelection ? 2 : 1;
    s.m_selectList->SetSelectMode(CGridSelectList::kModeMulti |
                                  (s.m_wholeRowHighlight ? CGridSelectList::kModeWholeRow : 0));
    return 0;
}

int CGridControl::SetRangeSelection(int flag, int value)
{
    m_rangeSelection = flag ? 1 : 0;
    m_rangeSelectionValue = value;
    if (S().m_multiSelection) {
        S().m_multiSelection = flag ? 2 : 1;
    }
    return 0;
}

int CGridControl::SelectRange(int startCol, long startRow, int endCol, long endRow)
{
    CGridSheetState& s = S();
    if (s.m_multiSelection) {
        s.m_selectList->StartBlock(startCol, static_cast<int>(startRow));
        s.m_selectList->EndBlock(endCol, static_cast<int>(endRow));
    }
    s.m_dragCol = endCol;
    s.m_dragRow = static_cast<int>(std::clamp<long>(endRow, INT_MIN, INT_MAX));
    RedrawRange(startCol, startRow, endCol, endRow);
    return 0;
}

int CGridControl::SelectCell(int col, long row)
{
    CGridSheetState& s = S();
    // The one cell replaces the selection; the cells that lose their mark are repainted too.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    const bool hadSelection = s.m_selectList->GetTotalRange(left, top, right, bottom) == 0;
    s.m_selectList->ClearAll();
    s.m_selectList->StartBlock(col, static_cast<int>(row));
    s.m_selectList->EndBlock(col, static_cast<int>(row));
    if (hadSelection) {
        RedrawRange(left, top, right, bottom);
    }
    RedrawCell(col, row);
    return 0;
}

int CGridControl::ClearSelection()
{
    CGridSheetState& s = S();
    s.m_selectList->ClearAll();
    s.m_dragCol = s.m_currentCol;
    s.m_dragRow = s.m_currentRow;
    return 0;
}

int CGridControl::EnumFirstSelected(int* col, long* row)
{
    int c = 0;
    int r = 0;
    const int result = S().m_selectList->EnumFirstSelected(c, r);
    if (col) {
        *col = c;
    }
    if (row) {
        *row = r;
    }
    return result;
}

int CGridControl::EnumNextSelected(int* col, long* row)
{
    int c = 0;
    int r = 0;
    const int result = S().m_selectList->EnumNextSelected(c, r);
    if (col) {
        *col = c;
    }
    if (row) {
        *row = r;
    }
    return result;
}

int CGridControl::EnumFirstBlock(int* startCol, long* startRow, int* endCol, long* endRow)
{
    int l = 0;
    int t = 0;
    int r = 0;
    int b = 0;
    const int result = S().m_selectList->EnumFirstBlock(l, t, r, b);
    if (startCol && startRow && endCol && endRow) {
        *startCol = l;
        *startRow = t;
        *endCol = r;
        *endRow = b;
    }
    return result;
}

int CGridControl::EnumNextBlock(int* startCol, long* startRow, int* endCol, long* endRow)
{
    int l = 0;
    int t = 0;
    int r = 0;
    int b = 0;
    const int result = S().m_selectList->EnumNextBlock(l, t, r, b);
    if (startCol && startRow && endCol && endRow) {
        *startCol = l;
        *startRow = t;
        *endCol = r;
        *endRow = b;
    }
    return result;
}

int CGridControl::IsSelected(int col, long row, int* block)
{
    return S().m_selectList->IsSelected(col, static_cast<int>(row), block);
}

// ---- editing -------------------------------------------------------------------------------

int CGridControl::SetEditWindow(CGridEditBase* editor)
{
    m_sheetEditors[static_cast<std::size_t>(m_currentSheet)].edit = editor;
    return 0;
}

CGridEditBase* CGridControl::GetEditWindow() const
{
    CGridEditBase* own = m_sheetEditors[static_cast<std::size_t>(m_currentSheet)].edit;
    return own ? own : m_defaultEdit;
}

int CGridControl::SetMaskedEditWindow(CGridEditBase* editor)
{
    m_sheetEditors[static_cast<std::size_t>(m_currentSheet)].masked = editor;
    return 0;
}

CGridEditBase* CGridControl::GetMaskedEditWindow() const
{
    CGridEditBase* own = m_sheetEditors[static_cast<std::size_t>(m_currentSheet)].masked;
    return own ? own : m_defaultMaskedEdit;
}

int CGridControl::SetNewSelectList(std::unique_ptr<CGridSelectList> list)
{
    if (!list) {
        return 1;
    }
    // The new list works under the sheet's selection mode, as the old one did.
    list->setSheet(m_sheet);
    list->SetSelectMode(S().m_selectList->GetSelectMode());
    S().m_selectList = std::move(list);
    return 0;
}

int CGridControl::SetArrowCursor(const GridCursor* cursor)
{
    if (!cursor) {
        return 1;
    }
    S().m_normalCursor = *cursor;
    return 0;
}

int CGridControl::SetColSizeCursor(const GridCursor* cursor)
{
    if (!cursor) {
        return 1;
    }
    S().m_colSizingCursor = *cursor;
    return 0;
}

int CGridControl::SetRowSizeCursor(const GridCursor* cursor)
{
    if (!cursor) {
        return 1;
    }
    S().m_rowSizingCursor = *cursor;
    return 0;
}

int CGridControl::StartEdit(int key)
{
    return StartEditAt(S().m_currentCol, S().m_currentRow, key);
}

int CGridControl::StartEditAt(int col, long row, int key)
{
    CGridSheetState& s = S();
    if (col < -s.m_numSideHeadingCols || col >= s.m_numCols || row < -s.m_numTopHeadingRows ||
        row >= s.m_numRows) {
        return 1;
    }
    m_editing = true;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    const bool hadBlock = s.m_selectList->GetTotalRange(left, top, right, bottom) == 0 &&
                          s.m_selectList->blockCount() > 0;
    s.m_selectList->ClearAll();
    if (hadBlock && !(left == col && right == col && top == row && bottom == row)) {
        RedrawRange(left, top, right, bottom);
    }
    if (col >= 0 && row >= 0 && (col != s.m_currentCol || row != s.m_currentRow)) {
        if (GotoCell(col, row) != 0) {
            m_editing = false;
            return 2;
        }
    }
    m_editCol = col;
    m_editRow = row;
    GetDisplayCell(col, row, &m_editCell);
    CGridCellType* type = typeOfCell(m_editCell);
    if (!type->CanEdit()) {
        m_editing = false;
        return 1;
    }
    const int section =
        col < 0 ? kSectionSideHeading : (row < 0 ? kSectionTopHeading : kSectionCellArea);
    GridRect rect;
    GetCellRect(col, row, &rect);
    --rect.right;
    --rect.bottom;
    type->OnEditStartRect(rect);
    if (m_editCell.GetReadOnly()) {
        m_editing = false;
        return 1;
    }
    CGridEditBase* editor =
        m_editCell.HasProperty(CGridCellInfo::kPropMask) ? GetMaskedEditWindow() : GetEditWindow();
    if (!editor) {
        m_editing = false;
        return 1;
    }
    const char* text = m_editCell.GetTextPtr();
    editor->setEditText(text ? text : "");
    if (s.m_currentDataSource->OnEditStart(col, static_cast<int>(row), editor) != 1 || !editor ||
        !OnEditStart(col, row, &editor) || !editor) {
        m_editing = false;
        return 1;
    }
    GetDisplayCell(col, row, &m_editCell);
    text = m_editCell.GetTextPtr();
    editor->setEditText(text ? text : "");
    editor->setEditFont(m_editCell.HasProperty(CGridCellInfo::kPropFont) ? m_editCell.GetFont()
                                                                         : s.m_defaultFont);
    if (m_editCell.HasProperty(CGridCellInfo::kPropMask)) {
        editor->setEditMask(m_editCell.GetMaskPtr() ? m_editCell.GetMaskPtr() : "");
    }
    m_editSection = section;
    m_editorInUse = editor;
    editor->showEditor(section, rect);
    if (key >= 1) {
        editor->typeChar(static_cast<unsigned>(key));
    }
    return 0;
}

int CGridControl::storeText(int col, long row, std::string_view text)
{
    return QuickSetText(col, row, text);
}

int CGridControl::EndEdit(std::string_view text, int cancelled, int moveOn, int nextCol,
                          long nextRow)
{
    if (!m_editing || !m_editorInUse) {
        return 0;
    }
    CGridSheetState& s = S();
    CGridEditBase* editor = m_editorInUse;
    const int col = m_editCol;
    const long row = m_editRow;
    if (!cancelled) {
        if (s.m_currentDataSource->OnEditEnd(col, static_cast<int>(row), editor, text, 0) != 1 ||
            !OnEditEnd(col, row, editor, text, 0)) {
            return 1; // the editor stays open
        }
    } else {
        s.m_currentDataSource->OnEditEnd(col, static_cast<int>(row), editor, text, 1);
        OnEditEnd(col, row, editor, text, 1);
    }
    const bool hadFocus = editor->hasEditFocus();
    editor->hideEditor();
    m_editing = false;
    m_editorInUse = nullptr;
    if (hadFocus) {
        m_windows->setFocus(kSectionCellArea);
    }
    if (!cancelled) {
        storeText(col, row, text);
        RedrawCell(col, row);
        if (s.m_navigationFlags[3] && col >= 0 && col < s.m_numCols - 1 && row >= 0 &&
            QuickGetText(col + 1, row).empty() &&
            m_windows->textWidth(text, m_editCell.GetFont()) > colWidthOf(col)) {
            repaint();
        }
    }
    if (!moveOn || m_editSection != kSectionCellArea) {
        return 0;
    }
    // Past a joined block in the direction of travel, then wrap round the sheet.
    int sc = 0;
    int ec = 0;
    long sr = 0;
    long er = 0;
    if (joinsOn() && nextCol >= 0 && nextRow >= 0 && nextCol < s.m_numCols &&
        nextRow < s.m_numRows && joinRange(nextCol, nextRow, sc, sr, ec, er) && sc == col &&
        sr == row) {
        if (nextCol > col) {
            nextCol = ec + 1;
        } else if (nextCol < col) {
            nextCol = sc - 1;
        }
        if (nextRow > row) {
            nextRow = er + 1;
        } else if (nextRow < row) {
            nextRow = sr - 1;
        }
    }
    if (s.m_numCols <= 0 || s.m_numRows <= 0) {
        return 0;
    }
    if (nextCol < 0) {
        nextCol = s.m_numCols - 1;
    } else if (nextCol >= s.m_numCols) {
        nextCol = 0;
    }
    if (nextRow < 0) {
        nextRow = s.m_numRows - 1;
    } else if (nextRow >= s.m_numRows) {
        nextRow = 0;
    }
    int dataNextCol = nextCol;
    int dataNextRow = static_cast<int>(nextRow);
    if (s.m_currentDataSource->OnEditNext(col, static_cast<int>(row), dataNextCol, dataNextRow) !=
        1) {
        return 0;
    }
    nextCol = dataNextCol;
    nextRow = dataNextRow;
    if (!OnEditNext(col, row, &nextCol, &nextRow)) {
        return 0;
    }
    return StartEditAt(nextCol, nextRow, 0) == 0 ? 1 : 0;
}

bool CGridControl::offerEditKey(unsigned* key)
{
    if (!m_editing || !key) {
        return false;
    }
    unsigned sourceKey = *key;
    if (S().m_currentDataSource->OnEditKey(m_editCol, static_cast<int>(m_editRow), m_editorInUse,
                                           sourceKey) != 1) {
        return false;
    }
    *key = sourceKey;
    return OnEditKey(m_editCol, m_editRow, m_editorInUse, key) != 0;
}

int CGridControl::CancelEdit()
{
    if (!m_editing) {
        return 0;
    }
    m_editing = false;
    if (m_editorInUse) {
        const bool hadFocus = m_editorInUse->hasEditFocus();
        m_editorInUse->hideEditor();
        if (hadFocus) {
            m_windows->setFocus(kSectionCellArea);
        }
    }
    m_editorInUse = nullptr;
    return 0;
}

// ---- clipboard and drag --------------------------------------------------------------------

std::string CGridControl::selectionText()
{
    std::string text;
    int col = 0;
    long row = 0;
    long previousRow = 0;
    bool first = true;
    for (int more = EnumFirstSelected(&col, &row); more == 0; more = EnumNextSelected(&col, &row)) {
        if (!first) {
            text += row == previousRow ? '\t' : '\n';
        }
        text += QuickGetText(col, row);
        previousRow = row;
        first = false;
    }
    return text;
}

int CGridControl::CopySelected(int cut)
{
    if (!m_clipboard) {
        return 1;
    }
    const std::string text = selectionText();
    if (!m_clipboard->setText(text)) {
        return 1;
    }
    if (cut) {
        int col = 0;
        long row = 0;
        std::vector<std::pair<int, long>> cells;
        for (int more = EnumFirstSelected(&col, &row); more == 0;
             more = EnumNextSelected(&col, &row)) {
            cells.emplace_back(col, row);
        }
        CGridCellInfo empty;
        for (const auto& [c, r] : cells) {
            SetCell(c, r, &empty);
        }
    }
    ClearSelection();
    repaint();
    return 0;
}

int CGridControl::Paste()
{
    if (!m_clipboard) {
        return 1;
    }
    const std::optional<std::string> text = m_clipboard->text();
    if (!text) {
        return 1;
    }
    return PasteText(*text);
}

int CGridControl::PasteText(std::string_view text)
{
    CGridSheetState& s = S();
    const int startCol = std::max(0, s.m_currentCol);
    const long startRow = std::max(0, s.m_currentRow);
    int col = startCol;
    long row = startRow;
    int maxCol = -1;
    long maxRow = -1;
    CGridCellInfo cell;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\t\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view field = text.substr(pos, end - pos);
        if (col < s.m_numCols && row < s.m_numRows) {
            GetCell(col, row, &cell);
            cell.SetText(field);
            cell.SetFormat(CGridCellInfo::kFormatText);
            SetCell(col, row, &cell);
            if (!field.empty()) {
                maxCol = std::max(maxCol, col);
                maxRow = std::max(maxRow, row);
            }
        }
        if (end >= text.size()) {
            break;
        }
        if (text[end] == '\t') {
            if (col < INT_MAX) {
                ++col;
            }
        } else {
            if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
                ++end;
            }
            col = startCol;
            ++row;
            if (end + 1 == text.size()) {
                break; // a final line end starts no new field
            }
        }
        pos = end + 1;
    }
    s.m_selectList->ClearAll();
    if (maxCol >= 0 && maxRow >= 0) {
        if (s.m_multiSelection) {
            s.m_selectList->StartBlock(startCol, static_cast<int>(startRow));
            s.m_selectList->EndBlock(maxCol, static_cast<int>(maxRow));
        } else {
            s.m_selectList->StartBlock(startCol, static_cast<int>(startRow));
            s.m_selectList->EndBlock(maxCol, static_cast<int>(maxRow));
        }
    }
    repaint();
    return 0;
}

int CGridControl::EnableDragDrop(int flag)
{
    m_dragDropEnabled = flag != 0;
    if (m_dragDrop) {
        m_dragDrop->enableDropTarget(m_dragDropEnabled);
    }
    return 0;
}

int CGridControl::helpRequest(int col, long row, int section, int request)
{
    const int context = OnHelp(col, row, section, request ? 1 : 0);
    if (m_helpHandler) {
        m_helpHandler(context);
    }
    return context;
}

int CGridControl::StartDragDrop()
{
    if (!m_dragDrop) {
        return 1;
    }
    m_dragDrop->startDrag(selectionText());
    return 0;
}

int CGridControl::dropTargetEnter(const std::string& text)
{
    return OnDragEnter(&text);
}

int CGridControl::dropTargetOver(const std::string& text, int x, int y)
{
    int col = -1;
    long row = -1;
    GetCellFromPoint(x, y, &col, &row);
    return OnDragOver(&text, col, row);
}

int CGridControl::dropTargetDrop(const std::string& text, int x, int y)
{
    int col = -1;
    long row = -1;
    if (GetCellFromPoint(x, y, &col, &row) != 0) {
        col = -1;
        row = -1;
    }
    const int answer = OnDragDrop(&text, col, row);
    if (answer && col >= 0 && row >= 0) {
        if (GotoCell(col, row) == 0 || (GetCurrentCol() == col && GetCurrentRow() == row)) {
            PasteText(text);
        }
    }
    return answer;
}

void CGridControl::dropTargetScroll(int x, int y)
{
    constexpr int kEdge = 10;
    const CGridSheetState& s = S();
    if (x >= 0 && x < kEdge) {
        MoveLeftCol(0);
    } else if (x < s.m_cellAreaWidth && x >= s.m_cellAreaWidth - kEdge) {
        MoveLeftCol(1);
    }
    if (y >= 0 && y < kEdge) {
        MoveTopRow(0);
    } else if (y < s.m_cellAreaHeight && y >= s.m_cellAreaHeight - kEdge) {
        MoveTopRow(1);
    }
}

// ---- find and sort -------------------------------------------------------------------------

int CGridControl::FindDialog()
{
    if (m_findOpen || !m_findDialog) {
        return 1;
    }
    if (!m_findDialog->open(false)) {
        return 1;
    }
    m_findOpen = true;
    return 0;
}

int CGridControl::ReplaceDialog()
{
    if (m_findOpen || !m_findDialog) {
        return 1;
    }
    if (!m_findDialog->open(true)) {
        return 1;
    }
    m_findOpen = true;
    return 0;
}

int CGridControl::SetFindOption(int flag)
{
    m_findExtraFlag = flag ? 1 : 0;
    return 0;
}

int CGridControl::FindFirst(std::string_view text, int* col, long* row, long flags)
{
    if (!col || !row || !rowInIntRange(*row)) {
        return 1;
    }
    int dataCol = mappedColumn(*col);
    int dataRow = static_cast<int>(*row);
    const int result =
        S().m_currentDataSource->FindFirst(text, dataCol, dataRow, static_cast<int>(flags));
    if (result == 0) {
        *col = gridColumnOfData(dataCol);
        *row = dataRow;
    }
    return result;
}

int CGridControl::FindNext(std::string_view text, int* col, long* row, long flags)
{
    if (!col || !row || !rowInIntRange(*row)) {
        return 1;
    }
    int dataCol = mappedColumn(*col);
    int dataRow = static_cast<int>(*row);
    const int result =
        S().m_currentDataSource->FindNext(text, dataCol, dataRow, static_cast<int>(flags));
    if (result == 0) {
        *col = gridColumnOfData(dataCol);
        *row = dataRow;
    }
    return result;
}

int CGridControl::replaceInCurrentCell(const GridFindRequest& request)
{
    CGridSheetState& s = S();
    const int col = s.m_currentCol;
    const long row = s.m_currentRow;
    if (col < 0 || row < 0 || col >= s.m_numCols || row >= s.m_numRows) {
        return 1;
    }
    std::string text = QuickGetText(col, row);
    const bool ignoreCase = !request.matchCase;
    if (request.wholeCell) {
        if (text.empty() || !sameText(text, request.findText, ignoreCase)) {
            return 1;
        }
        text = request.replaceText;
    } else if (!replaceOccurrences(text, request.findText, request.replaceText, ignoreCase)) {
        return 1;
    }
    QuickSetText(col, row, text);
    RedrawCell(col, row);
    return 0;
}

void CGridControl::OnFindReplace(const GridFindRequest& request)
{
    if (!m_findOpen) {
        return;
    }
    if (request.closing) {
        m_findOpen = false;
        return;
    }
    const long flags =
        (request.wholeCell ? 0 : kFindPartial) | (request.matchCase ? 0 : kFindIgnoreCase) |
        (request.searchDown ? 0 : kFindBackwards) | (m_findExtraFlag ? kFindAllColumns : 0);
    if (request.replaceCurrent) {
        replaceInCurrentCell(request);
    }
    if (!request.findNext && !request.replaceAll) {
        return;
    }
    if (request.findText.empty()) {
        if (m_findDialog) {
            m_findDialog->focus();
        }
        return;
    }
    CGridSheetState& s = S();
    int col = std::max(0, s.m_currentCol);
    long row = s.m_currentRow;
    if (!request.replaceAll) {
        if (FindNext(request.findText, &col, &row, flags) == 0) {
            GotoCell(col, row);
        } else if (m_findDialog) {
            m_findDialog->focus();
        }
        return;
    }
    // Replace all: each matching cell once, even when the replacement still matches.
    std::set<std::pair<int, long>> visited;
    bool any = false;
    // The current cell is the first candidate (the search steps past it).
    if (replaceInCurrentCell(request) == 0) {
        visited.emplace(s.m_currentCol, s.m_currentRow);
        any = true;
    }
    const long long limit = static_cast<long long>(s.m_numCols) * s.m_numRows + 1;
    for (long long step = 0; step < limit; ++step) {
        if (FindNext(request.findText, &col, &row, flags) != 0) {
            break;
        }
        if (!visited.emplace(col, row).second) {
            break;
        }
        if (GotoCell(col, row) != 0 && (s.m_currentCol != col || s.m_currentRow != row)) {
            break;
        }
        replaceInCurrentCell(request);
        any = true;
    }
    if (!any && m_findDialog) {
        m_findDialog->focus();
    }
    repaint();
}

int CGridControl::SortBy(int col, int flags)
{
    if (col < 0 || col >= S().m_numCols) {
        return 1;
    }
    const int result = S().m_currentDataSource->SortBy(mappedColumn(col), flags);
    repaint();
    return result;
}

int CGridControl::SortBy(const int* cols, int count, int flags)
{
    if (!cols || count <= 0) {
        return 1;
    }
    std::vector<int> mapped;
    mapped.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (cols[i] < 0 || cols[i] >= S().m_numCols) {
            return 1;
        }
        mapped.push_back(mappedColumn(cols[i]));
    }
    const int result = S().m_currentDataSource->SortBy(mapped.data(), count, flags);
    repaint();
    return result;
}

// ---- printing ------------------------------------------------------------------------------

int CGridControl::PrintInit(const GridPrintDevice& device, int startCol, long startRow, int endCol,
                            long endRow)
{
    return m_printer->PrintInit(device, startCol, startRow, endCol, endRow);
}

int CGridControl::PrintPage(GridPrintTarget& target, int page)
{
    return m_printer->PrintPage(target, page);
}

int CGridControl::PrintSetOption(int option, long value)
{
    return m_printer->PrintSetOption(option, value);
}

int CGridControl::PrintGetOption(int option, long* value) const
{
    return m_printer->PrintGetOption(option, value);
}

} // namespace gridctrl::model
