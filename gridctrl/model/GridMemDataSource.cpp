#include "gridctrl/model/GridMemDataSource.h"

#include "gridctrl/model/GridSheetState.h"
#include "gridctrl/model/GridSortEvaluate.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace gridctrl::model {

// One place of a row. An empty place holds no cell; a plain cell keeps its properties here
// (a short text inside the string itself), any other cell lives in `full`.
struct CGridMemDataSource::StoredCell
{
    std::string text;
    double value = 0.0;
    std::unique_ptr<CGridCellInfo> full;
    std::uint32_t mask = 0;
    int precision = 0;
    unsigned short format = CGridCellInfo::kFormatText;
    bool present = false;

    void clear()
    {
        std::string().swap(text);
        full.reset();
        mask = 0;
        present = false;
    }

    void store(const CGridCellInfo& cell)
    {
        present = true;
        if (!cell.isPlain()) {
            std::string().swap(text);
            if (!full) {
                full = std::make_unique<CGridCellInfo>();
            }
            full->CopyInfoFrom(cell);
            return;
        }
        full.reset();
        mask = cell.GetPropertyFlags();
        if (mask & CGridCellInfo::kPropText) {
            text.assign(cell.textView());
        } else {
            std::string().swap(text);
        }
        format = cell.GetFormat();
        precision = cell.GetPrecision();
        value = (mask & CGridCellInfo::kPropValue) ? cell.GetNumber() : 0.0;
    }

    void mergeInto(CGridCellInfo& cell) const
    {
        if (full) {
            cell.AddInfoFrom(*full);
        } else {
            cell.addPlainInfo(mask, text, format, precision, value);
        }
    }

    // The text as a C string, null when the cell has no text property.
    const char* textPtr() const
    {
        if (full) {
            return full->GetTextPtr();
        }
        return (mask & CGridCellInfo::kPropText) ? text.c_str() : nullptr;
    }

    bool hasText() const
    {
        if (full) {
            return full->GetTextLength() > 0;
        }
        return (mask & CGridCellInfo::kPropText) && !text.empty();
    }
};

// One row: its places, the first of which is column `firstCol` (at most 0 when there are
// places, and the last at least 0).
struct CGridMemDataSource::Row
{
    int firstCol = 0;
    std::vector<StoredCell> places;

    Row() = default;
    Row(Row&&) noexcept = default;
    Row& operator=(Row&&) noexcept = default;
    ~Row() { recycle(std::move(places)); }

    StoredCell* place(int col)
    {
        const long long at = static_cast<long long>(col) - firstCol;
        if (at < 0 || at >= static_cast<long long>(places.size())) {
            return nullptr;
        }
        return &places[static_cast<std::size_t>(at)];
    }

    // An empty block of places with room for `width` of them, a recycled one when there is.
    static std::vector<StoredCell> takeBlock(std::size_t width)
    {
        Spares* spares = sparesOfThisThread();
        std::vector<StoredCell> block;
        if (spares && !spares->blocks.empty()) {
            block = std::move(spares->blocks.back());
            spares->blocks.pop_back();
            spares->bytes -= block.capacity() * sizeof(StoredCell);
        }
        block.reserve(width);
        return block;
    }

private:
    // Blocks of places of rows that went away, kept for the next rows made on this thread.
    // A sheet's cells come and go in thousands of blocks at a time (a file opened into a new
    // grid, the grid closed again); kept, they spare the allocator the system's fresh pages,
    // which it would otherwise take back one page fault at a time. Bounded per thread.
    struct Spares
    {
        std::vector<std::vector<StoredCell>> blocks;
        std::size_t bytes = 0;
    };
    static constexpr std::size_t kSpareBytes = std::size_t(32) << 20;

    // Null once the thread's blocks were freed at its exit (a store that outlives them, a
    // static one, frees its blocks itself).
    static Spares* sparesOfThisThread()
    {
        struct Holder
        {
            bool& gone;
            Spares spares;
            ~Holder() { gone = true; }
        };
        thread_local bool gone = false;
        thread_local Holder holder{gone, {}};
        return gone ? nullptr : &holder.spares;
    }

    static void recycle(std::vector<StoredCell>&& block)
    {
        const std::size_t bytes = block.capacity() * sizeof(StoredCell);
        if (bytes == 0) {
            return;
        }
        Spares* spares = sparesOfThisThread();
        if (!spares || spares->bytes + bytes > kSpareBytes) {
            return; // the block is freed with its row
        }
        block.clear();
        try {
            spares->blocks.push_back(std::move(block));
            spares->bytes += bytes;
        } catch (const std::bad_alloc&) {
            // Not kept: the block is freed with its row.
        }
    }
};

namespace {

// Puts `count` new empty elements in front of the others (the elements move, never copy).
template <class Element> void prependEmpty(std::vector<Element>& elements, std::size_t count)
{
    elements.resize(elements.size() + count);
    std::rotate(elements.begin(), elements.end() - static_cast<long>(count), elements.end());
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

CGridMemDataSource::Row* CGridMemDataSource::findRow(int row)
{
    const long long at = static_cast<long long>(row) - m_firstRow;
    if (at < 0 || at >= static_cast<long long>(m_rows.size())) {
        return nullptr;
    }
    return &m_rows[static_cast<std::size_t>(at)];
}

CGridMemDataSource::StoredCell* CGridMemDataSource::findPlace(int col, int row)
{
    Row* found = findRow(row);
    return found ? found->place(col) : nullptr;
}

CGridMemDataSource::Row& CGridMemDataSource::ensureRow(int row)
{
    if (m_rows.empty()) {
        m_firstRow = 0;
        if (const CGridSheetState* sheet = host() ? host()->currentSheet() : nullptr) {
            const long long height =
                static_cast<long long>(sheet->m_numRows) + sheet->m_numTopHeadingRows;
            if (height > 0 && height <= (1 << 20)) {
                m_rows.reserve(static_cast<std::size_t>(height));
            }
        }
        m_rows.emplace_back();
    }
    const long long last = m_firstRow + static_cast<long long>(m_rows.size()) - 1;
    if (row > last) {
        m_rows.resize(m_rows.size() + static_cast<std::size_t>(row - last));
    } else if (row < m_firstRow) {
        prependEmpty(m_rows, static_cast<std::size_t>(m_firstRow - row));
        m_firstRow = row;
    }
    return m_rows[static_cast<std::size_t>(static_cast<long long>(row) - m_firstRow)];
}

CGridMemDataSource::StoredCell& CGridMemDataSource::ensurePlace(Row& row, int col)
{
    if (row.places.empty()) {
        row.firstCol = 0;
        // A row is mostly filled across the sheet's width: one block for all of it.
        std::size_t width = 1;
        if (const CGridSheetState* sheet = host() ? host()->currentSheet() : nullptr) {
            const long long sheetWidth =
                static_cast<long long>(sheet->m_numCols) + sheet->m_numSideHeadingCols;
            if (sheetWidth > 0 && sheetWidth <= 4096) {
                width = static_cast<std::size_t>(sheetWidth);
            }
        }
        if (row.places.capacity() < width) {
            row.places = Row::takeBlock(width);
        }
        row.places.emplace_back();
    }
    const long long last = row.firstCol + static_cast<long long>(row.places.size()) - 1;
    if (col > last) {
        row.places.resize(row.places.size() + static_cast<std::size_t>(col - last));
    } else if (col < row.firstCol) {
        // Places before column 0 hold side heading cells; column 0 keeps its place.
        prependEmpty(row.places, static_cast<std::size_t>(row.firstCol - col));
        row.firstCol = col;
    }
    return row.places[static_cast<std::size_t>(static_cast<long long>(col) - row.firstCol)];
}

int CGridMemDataSource::GetLastRow()
{
    return m_rows.empty()
               ? 0
               : static_cast<int>(m_firstRow + static_cast<long long>(m_rows.size()) - 1);
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
    if (!findRow(row)) {
        return 1;
    }
    // The rows from `row` on move down one place; the rows above keep their indices.
    m_rows.insert(m_rows.begin() + (row - m_firstRow), Row());
    return 0;
}

int CGridMemDataSource::DeleteRow(int row)
{
    if (!findRow(row)) {
        return 0;
    }
    m_rows.erase(m_rows.begin() + (row - m_firstRow));
    if (m_rows.empty()) {
        m_firstRow = 0;
    }
    return 0;
}

int CGridMemDataSource::InsertCol(int col)
{
    if (m_rows.empty()) {
        return 1;
    }
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
    for (Row& row : m_rows) {
        if (!row.place(position)) {
            continue; // the row does not reach the position
        }
        // The new place goes in before the one at `position`. From column 0 on the places
        // right of it move right; left of column 0 the places left of it move left.
        row.places.insert(row.places.begin() + (position - row.firstCol), StoredCell());
        if (position < 0) {
            --row.firstCol;
        }
    }
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
    if (m_rows.empty()) {
        return 1;
    }
    for (Row& row : m_rows) {
        StoredCell* place = row.place(col);
        if (!place) {
            continue;
        }
        if (place == &row.places.back()) {
            place->clear(); // the last place stays as an empty one
            continue;
        }
        // From column 0 on the places right of it move left; left of column 0 the places
        // left of it move right.
        row.places.erase(row.places.begin() + (col - row.firstCol));
        if (col < 0) {
            ++row.firstCol;
        }
    }
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
    StoredCell* place = findPlace(col, row);
    if (!place) {
        return 1;
    }
    place->clear();
    return 0;
}

int CGridMemDataSource::RemoveAll()
{
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_firstRow = 0;
    return 0;
}

int CGridMemDataSource::GetCell(int col, int row, CGridCellInfo& cell)
{
    const StoredCell* place = findPlace(col, row);
    if (!place || !place->present) {
        return 1;
    }
    place->mergeInto(cell);
    return 0;
}

int CGridMemDataSource::SetCell(int col, int row, const CGridCellInfo& cell)
{
    ensurePlace(ensureRow(row), col).store(cell);
    return 0;
}

int CGridMemDataSource::widestRow() const
{
    std::size_t widest = 0;
    for (const Row& row : m_rows) {
        widest = std::max(widest, row.places.size());
    }
    return static_cast<int>(std::min<std::size_t>(widest, INT_MAX));
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
    const int rowCount = sheet ? sheet->m_numRows : GetLastRow() + (m_rows.empty() ? 0 : 1);
    const int colCount = sheet ? sheet->m_numCols : widestRow();
    const bool allColumns = (flags & kFindAllColumns) != 0;
    if (rowCount <= 0 || (allColumns && colCount <= 0)) {
        return 1;
    }
    const bool backwards = (flags & kFindBackwards) != 0;
    const bool partial = (flags & kFindPartial) != 0;
    const bool ignoreCase = (flags & kFindIgnoreCase) != 0;
    const std::string upperText = partial && ignoreCase ? upperCase(text) : std::string();

    auto matches = [&](const StoredCell& cell) {
        const char* stored = cell.textPtr();
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
        const StoredCell* cell = findPlace(c, r);
        if (cell && cell->present && matches(*cell)) {
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
    if (!cols || count <= 0 || !findRow(0)) {
        return 1;
    }
    const std::size_t firstData = static_cast<std::size_t>(-m_firstRow);
    const std::size_t rowCount = m_rows.size() - firstData;

    // The sort keys: per row, the stored cell of each sort column; a missing cell compares
    // as an empty cell. Plain cells are unpacked into full ones for the comparison.
    const CGridCellInfo empty;
    const std::size_t keyCount = static_cast<std::size_t>(count);
    std::size_t unpackedCount = 0;
    for (std::size_t r = 0; r < rowCount; ++r) {
        for (std::size_t k = 0; k < keyCount; ++k) {
            const StoredCell* place = m_rows[firstData + r].place(cols[k]);
            if (place && place->present && !place->full) {
                ++unpackedCount;
            }
        }
    }
    std::vector<CGridCellInfo> unpacked;
    unpacked.reserve(unpackedCount); // no reallocation: the keys point into it
    std::vector<const CGridCellInfo*> keys;
    keys.reserve(rowCount * keyCount);
    for (std::size_t r = 0; r < rowCount; ++r) {
        for (std::size_t k = 0; k < keyCount; ++k) {
            const StoredCell* place = m_rows[firstData + r].place(cols[k]);
            if (!place || !place->present) {
                keys.push_back(&empty);
            } else if (place->full) {
                keys.push_back(place->full.get());
            } else {
                place->mergeInto(unpacked.emplace_back());
                keys.push_back(&unpacked.back());
            }
        }
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
    std::vector<std::size_t> order(rowCount);
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

    // Put the data rows in their new order below the heading rows.
    std::vector<Row> sorted;
    sorted.reserve(rowCount);
    for (std::size_t index : order) {
        sorted.push_back(std::move(m_rows[firstData + index]));
    }
    std::move(sorted.begin(), sorted.end(), m_rows.begin() + static_cast<long>(firstData));
    return 0;
}

int CGridMemDataSource::SortBy(int col, int flags)
{
    return SortBy(&col, 1, flags);
}

int CGridMemDataSource::GetPrevNonBlankCol(int& col, int row)
{
    Row* found = findRow(row);
    if (!found || found->places.empty() || col <= 0) {
        return 1;
    }
    // From the place left of `col`, or from the row's last place when the row is shorter.
    const int last = found->firstCol + static_cast<int>(found->places.size()) - 1;
    for (int c = std::min(col - 1, last); c >= 0; --c) {
        if (found->place(c)->present && found->place(c)->hasText()) {
            col = c;
            return 0;
        }
    }
    return 1;
}

} // namespace gridctrl::model
