#include "gridctrl/model/GridMemDataSource.h"

#include "gridctrl/model/GridSheetState.h"
#include "gridctrl/model/GridSortEvaluate.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace gridctrl::model {

// One place of a row: the stored cell (none for an empty place) and its neighbours. The
// left neighbour owns it, the leftmost place is owned by the row.
struct CGridMemDataSource::CellNode
{
    std::unique_ptr<CGridCellInfo> cell;
    std::unique_ptr<CellNode> next;
    CellNode* prev = nullptr;

    ~CellNode()
    {
        // Free the rest of the row without recursion: rows can be long.
        while (next) {
            next = std::move(next->next);
        }
    }
};

// One row: its places (the leftmost owns the list; `first` is the place of column 0) and its
// neighbours. The row above owns it; the topmost row is owned by the store.
struct CGridMemDataSource::RowNode
{
    std::unique_ptr<CellNode> headCell;
    CellNode* firstCell = nullptr;
    std::unique_ptr<RowNode> next;
    RowNode* prev = nullptr;

    ~RowNode()
    {
        while (next) {
            next = std::move(next->next);
        }
    }
};

namespace {

// Links `node` in before `at`; `head` owns the list. Returns the new node.
template <class Node>
Node* linkBefore(std::unique_ptr<Node>& head, Node* at, std::unique_ptr<Node> node)
{
    Node* raw = node.get();
    raw->prev = at->prev;
    std::unique_ptr<Node>& slot = at->prev ? at->prev->next : head;
    raw->next = std::move(slot);
    at->prev = raw;
    slot = std::move(node);
    return raw;
}

// Links `node` in after `at`. Returns the new node.
template <class Node> Node* linkAfter(Node* at, std::unique_ptr<Node> node)
{
    Node* raw = node.get();
    raw->prev = at;
    raw->next = std::move(at->next);
    if (raw->next) {
        raw->next->prev = raw;
    }
    at->next = std::move(node);
    return raw;
}

// Unlinks `node` from the list that `head` owns and frees it.
template <class Node> void unlinkAndFree(std::unique_ptr<Node>& head, Node* node)
{
    std::unique_ptr<Node>& slot = node->prev ? node->prev->next : head;
    std::unique_ptr<Node> owned = std::move(slot);
    if (owned->next) {
        owned->next->prev = owned->prev;
    }
    slot = std::move(owned->next);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    const bool ascii = std::all_of(a.begin(), a.end(), [](char c) { return (c & 0x80) == 0; }) &&
                       std::all_of(b.begin(), b.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   auto lower = [](char c) {
                       return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
                   };
                   return lower(x) == lower(y);
               });
    }
    return QString::compare(QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())),
                            QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                            Qt::CaseInsensitive) == 0;
}

std::string upperCase(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .toUpper()
        .toStdString();
}

} // namespace

CGridMemDataSource::CGridMemDataSource() = default;

CGridMemDataSource::~CGridMemDataSource() = default;

void CGridMemDataSource::resetColumnCursor()
{
    m_curColIndex = 0;
    m_curCell = m_curRow ? m_curRow->firstCell : nullptr;
}

bool CGridMemDataSource::gotoRow(int row)
{
    if (!m_curRow) {
        return false;
    }
    if (row == m_curRowIndex) {
        return true;
    }
    while (m_curRowIndex < row && m_curRow->next) {
        m_curRow = m_curRow->next.get();
        ++m_curRowIndex;
    }
    while (m_curRowIndex > row && m_curRow->prev) {
        m_curRow = m_curRow->prev;
        --m_curRowIndex;
    }
    resetColumnCursor();
    return m_curRowIndex == row;
}

bool CGridMemDataSource::gotoCol(int col)
{
    if (!m_curRow || !m_curRow->firstCell) {
        return false;
    }
    if (!m_curCell) {
        resetColumnCursor();
    }
    while (m_curColIndex < col && m_curCell->next) {
        m_curCell = m_curCell->next.get();
        ++m_curColIndex;
    }
    while (m_curColIndex > col && m_curCell->prev) {
        m_curCell = m_curCell->prev;
        --m_curColIndex;
    }
    return m_curColIndex == col;
}

void CGridMemDataSource::gotoFirstRow()
{
    if (!m_curRow) {
        return;
    }
    while (m_curRow->prev) {
        m_curRow = m_curRow->prev;
        --m_curRowIndex;
    }
    resetColumnCursor();
}

CGridMemDataSource::RowNode* CGridMemDataSource::ensureRow(int row)
{
    if (!m_headRow) {
        m_headRow = std::make_unique<RowNode>();
        m_curRow = m_headRow.get();
        m_curRowIndex = 0;
        resetColumnCursor();
    }
    if (!gotoRow(row)) {
        while (m_curRowIndex < row) {
            m_curRow = linkAfter(m_curRow, std::make_unique<RowNode>());
            ++m_curRowIndex;
        }
        while (m_curRowIndex > row) {
            m_curRow = linkBefore(m_headRow, m_curRow, std::make_unique<RowNode>());
            --m_curRowIndex;
        }
        resetColumnCursor();
    }
    return m_curRow;
}

CGridMemDataSource::CellNode* CGridMemDataSource::ensureCol(int col)
{
    RowNode* row = m_curRow;
    if (!row->firstCell) {
        row->headCell = std::make_unique<CellNode>();
        row->firstCell = row->headCell.get();
        resetColumnCursor();
    }
    if (!gotoCol(col)) {
        while (m_curColIndex < col) {
            m_curCell = linkAfter(m_curCell, std::make_unique<CellNode>());
            ++m_curColIndex;
        }
        while (m_curColIndex > col) {
            // Places before column 0 hold side heading cells; the first place stays column 0.
            m_curCell = linkBefore(row->headCell, m_curCell, std::make_unique<CellNode>());
            --m_curColIndex;
        }
    }
    return m_curCell;
}

const CGridCellInfo* CGridMemDataSource::storedCell(int col, int row)
{
    if (!gotoRow(row) || !gotoCol(col)) {
        return nullptr;
    }
    return m_curCell->cell.get();
}

int CGridMemDataSource::GetLastRow()
{
    if (!m_curRow) {
        return 0;
    }
    bool moved = false;
    while (m_curRow->next) {
        m_curRow = m_curRow->next.get();
        ++m_curRowIndex;
        moved = true;
    }
    if (moved) {
        resetColumnCursor();
    }
    return m_curRowIndex;
}

int CGridMemDataSource::AppendRow()
{
    return 0;
}

int CGridMemDataSource::AppendCol()
{
    return 0;
}

int CGridMemDataSource::InsertRow(int row)
{
    if (!gotoRow(row)) {
        return 1;
    }
    linkBefore(m_headRow, m_curRow, std::make_unique<RowNode>());
    ++m_curRowIndex; // the cursor stays on its node, which moved down one place
    return 0;
}

int CGridMemDataSource::DeleteRow(int row)
{
    if (!gotoRow(row)) {
        return 0;
    }
    RowNode* doomed = m_curRow;
    RowNode* next = doomed->next.get();
    RowNode* prev = doomed->prev;
    unlinkAndFree(m_headRow, doomed);
    if (next) {
        m_curRow = next;
    } else if (prev) {
        m_curRow = prev;
        --m_curRowIndex;
    } else {
        m_curRow = nullptr;
        m_curRowIndex = 0;
    }
    resetColumnCursor();
    return 0;
}

int CGridMemDataSource::InsertCol(int col)
{
    if (!m_curRow) {
        return 1;
    }
    gotoFirstRow();
    CGridSheetState* sheet = host() ? host()->currentSheet() : nullptr;
    // The place to insert at: the grid column that shows this data column (the control gives
    // a new column its grid position as its data column).
    int position = col;
    if (sheet) {
        const auto& info = sheet->m_colInfo;
        const auto found = std::find_if(info.begin(), info.end(), [col](const GridColumnInfo& c) {
            return c.mappedColumn == col;
        });
        if (found != info.end()) {
            position = static_cast<int>(found - info.begin());
        }
    }
    for (RowNode* row = m_curRow; row; row = row->next.get()) {
        if (!row->firstCell) {
            continue;
        }
        CellNode* place = row->firstCell;
        int index = 0;
        while (index < position && place->next) {
            place = place->next.get();
            ++index;
        }
        while (index > position && place->prev) {
            place = place->prev;
            --index;
        }
        if (index != position) {
            continue; // the row ends before the position
        }
        CellNode* inserted = linkBefore(row->headCell, place, std::make_unique<CellNode>());
        if (place == row->firstCell) {
            row->firstCell = inserted;
        }
    }
    resetColumnCursor();
    if (sheet) {
        for (GridColumnInfo& info : sheet->m_colInfo) {
            if (info.mappedColumn >= position) {
                ++info.mappedColumn;
            }
        }
    }
    return 0;
}

int CGridMemDataSource::DeleteCol(int col)
{
    if (!m_curRow) {
        return 1;
    }
    gotoFirstRow();
    for (RowNode* row = m_curRow; row; row = row->next.get()) {
        if (!row->firstCell) {
            continue;
        }
        CellNode* place = row->firstCell;
        int index = 0;
        while (index < col && place->next) {
            place = place->next.get();
            ++index;
        }
        while (index > col && place->prev) {
            place = place->prev;
            --index;
        }
        if (index != col) {
            continue;
        }
        if (place->next) {
            if (place == row->firstCell) {
                row->firstCell = place->next.get();
            }
            unlinkAndFree(row->headCell, place);
        } else {
            place->cell.reset(); // the last place stays as an empty one
        }
    }
    resetColumnCursor();
    CGridSheetState* sheet = host() ? host()->currentSheet() : nullptr;
    if (sheet) {
        for (GridColumnInfo& info : sheet->m_colInfo) {
            if (info.mappedColumn >= col) {
                --info.mappedColumn;
            }
        }
    }
    return 0;
}

int CGridMemDataSource::DeleteCell(int col, int row)
{
    if (!gotoRow(row) || !gotoCol(col)) {
        return 1;
    }
    m_curCell->cell.reset();
    return 0;
}

int CGridMemDataSource::RemoveAll()
{
    m_headRow.reset();
    m_curRow = nullptr;
    m_curRowIndex = 0;
    m_curCell = nullptr;
    m_curColIndex = 0;
    return 0;
}

int CGridMemDataSource::GetCell(int col, int row, CGridCellInfo& cell)
{
    const CGridCellInfo* stored = storedCell(col, row);
    if (!stored) {
        return 1;
    }
    cell.AddInfoFrom(*stored);
    return 0;
}

int CGridMemDataSource::SetCell(int col, int row, const CGridCellInfo& cell)
{
    ensureRow(row);
    CellNode* place = ensureCol(col);
    if (!place->cell) {
        place->cell = std::make_unique<CGridCellInfo>();
    }
    place->cell->CopyInfoFrom(cell);
    return 0;
}

int CGridMemDataSource::widestRow() const
{
    int widest = 0;
    for (const RowNode* row = m_headRow.get(); row; row = row->next.get()) {
        int count = 0;
        for (const CellNode* place = row->firstCell; place; place = place->next.get()) {
            ++count;
        }
        widest = std::max(widest, count);
    }
    return widest;
}

int CGridMemDataSource::FindFirst(std::string_view text, int& col, int& row, int flags)
{
    if (flags & kFindAllColumns) {
        col = -1;
        row = 0;
    } else {
        row = -1;
    }
    return FindNext(text, col, row, flags);
}

int CGridMemDataSource::FindNext(std::string_view text, int& col, int& row, int flags)
{
    const CGridSheetState* sheet = host() ? host()->currentSheet() : nullptr;
    const int rowCount = sheet ? sheet->m_numRows : GetLastRow() + (m_curRow ? 1 : 0);
    const int colCount = sheet ? sheet->m_numCols : widestRow();
    const bool allColumns = (flags & kFindAllColumns) != 0;
    if (rowCount <= 0 || (allColumns && colCount <= 0)) {
        return 1;
    }
    const bool backwards = (flags & kFindBackwards) != 0;
    const bool partial = (flags & kFindPartial) != 0;
    const bool ignoreCase = (flags & kFindIgnoreCase) != 0;
    const std::string upperText = partial && ignoreCase ? upperCase(text) : std::string();

    auto matches = [&](const CGridCellInfo& cell) {
        const char* stored = cell.GetTextPtr();
        const std::string_view cellText = stored ? std::string_view(stored) : std::string_view();
        if (!partial) {
            if (cellText.empty()) {
                return false;
            }
            return ignoreCase ? equalsIgnoringCase(cellText, text) : cellText == text;
        }
        if (ignoreCase) {
            return upperCase(cellText).find(upperText) != std::string::npos;
        }
        return cellText.find(text) != std::string_view::npos;
    };
    // Wraps a row that left the sheet to the row the direction continues at.
    auto wrapRow = [&](int r) {
        return r < 0 || r >= rowCount ? (backwards ? rowCount - 1 : 0) : r;
    };

    int c = col;
    int r = row;
    const long long passes =
        allColumns ? (static_cast<long long>(rowCount) + 1) * colCount : rowCount + 1ll;
    for (long long step = 0; step < passes; ++step) {
        if (allColumns) {
            c += backwards ? -1 : 1;
            if (c < 0 || c >= colCount) {
                c = backwards ? colCount - 1 : 0;
                r += backwards ? -1 : 1;
            }
        } else {
            r += backwards ? -1 : 1;
        }
        r = wrapRow(r);
        const CGridCellInfo* cell = storedCell(c, r);
        if (cell && matches(*cell)) {
            col = c;
            row = r;
            m_searchCol = c;
            m_searchRow = r;
            return 0;
        }
    }
    return 1;
}

int CGridMemDataSource::compareCells(const CGridCellInfo* first, const CGridCellInfo* second,
                                     int flags)
{
    return host() ? host()->onSortEvaluate(first, second, flags)
                  : gridSortEvaluate(first, second, flags);
}

int CGridMemDataSource::SortBy(const int* cols, int count, int flags)
{
    if (!cols || count <= 0 || !gotoRow(0)) {
        return 1;
    }
    RowNode* firstDataRow = m_curRow;
    RowNode* above = firstDataRow->prev; // heading rows stay above the data rows

    // The sort keys: per row, the stored cell of each sort column; a missing cell compares
    // as an empty cell.
    const CGridCellInfo empty;
    const std::size_t keyCount = static_cast<std::size_t>(count);
    std::vector<std::unique_ptr<RowNode>> rows;
    std::vector<const CGridCellInfo*> keys;
    for (RowNode* row = firstDataRow; row; row = row->next.get()) {
        for (std::size_t k = 0; k < keyCount; ++k) {
            const CellNode* place = row->firstCell;
            int index = 0;
            const int col = cols[k];
            while (place && index < col) {
                place = place->next.get();
                ++index;
            }
            while (place && index > col) {
                place = place->prev;
                --index;
            }
            keys.push_back(place && place->cell ? place->cell.get() : &empty);
        }
    }
    // Detach the data rows.
    std::unique_ptr<RowNode> chain = std::move(above ? above->next : m_headRow);
    while (chain) {
        std::unique_ptr<RowNode> rest = std::move(chain->next);
        chain->prev = nullptr;
        rows.push_back(std::move(chain));
        chain = std::move(rest);
    }

    // A row sorts before another when the first key that differs says so.
    auto before = [&](std::size_t a, std::size_t b) {
        for (std::size_t k = 0; k < keyCount; ++k) {
            const int result = compareCells(keys[a * keyCount + k], keys[b * keyCount + k], flags);
            if (result != 0) {
                return result < 0;
            }
        }
        return false;
    };
    // Bottom-up merge sort of the row order. A row from the right half goes first only when
    // it sorts strictly before the left one, so rows that compare equal keep their order, and
    // a comparison that is not a consistent order still yields a permutation of the rows.
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::vector<std::size_t> buffer(order.size());
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, order.size());
            const std::size_t hi = std::min(lo + 2 * width, order.size());
            std::size_t i = lo;
            std::size_t j = mid;
            std::size_t out = lo;
            while (i < mid && j < hi) {
                buffer[out++] = before(order[j], order[i]) ? order[j++] : order[i++];
            }
            while (i < mid) {
                buffer[out++] = order[i++];
            }
            while (j < hi) {
                buffer[out++] = order[j++];
            }
        }
        order.swap(buffer);
    }

    // Link the rows back in their new order below the heading rows.
    RowNode* prev = above;
    RowNode* newFirst = nullptr;
    for (std::size_t index : order) {
        std::unique_ptr<RowNode> row = std::move(rows[index]);
        RowNode* raw = row.get();
        raw->prev = prev;
        (prev ? prev->next : m_headRow) = std::move(row);
        prev = raw;
        if (!newFirst) {
            newFirst = raw;
        }
    }
    m_curRow = newFirst;
    m_curRowIndex = 0;
    resetColumnCursor();
    return 0;
}

int CGridMemDataSource::SortBy(int col, int flags)
{
    return SortBy(&col, 1, flags);
}

int CGridMemDataSource::GetPrevNonBlankCol(int& col, int row)
{
    if (!gotoRow(row) || !m_curRow->firstCell || col <= 0) {
        return 1;
    }
    // Walk to the place left of `col`, or to the row's last place when the row is shorter.
    gotoCol(col - 1);
    if (m_curColIndex > col - 1) {
        return 1;
    }
    for (CellNode* place = m_curCell; place && m_curColIndex >= 0;) {
        if (place->cell && place->cell->GetTextLength() > 0) {
            col = m_curColIndex;
            return 0;
        }
        if (!place->prev || m_curColIndex == 0) {
            break;
        }
        place = place->prev;
        m_curCell = place;
        --m_curColIndex;
    }
    return 1;
}

} // namespace gridctrl::model
