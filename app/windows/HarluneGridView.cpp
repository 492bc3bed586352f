#include "app/windows/HarluneGridView.h"

#include "app/shell/INIFileSupport.h"
#include "app/spectrum/AtomicFile.h"
#include "app/spectrum/SpectrumDataFile.h"
#include "app/windows/GridCsv.h"
#include "gridctrl/model/GridSystem.h"
#include "platform/automation/TypeLibraryEnums.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

using gridctrl::model::CGridCellInfo;
using gridctrl::model::CGridControl;
using gridctrl::model::CHarluneGridCtrl;
using gridctrl::model::GridPen;
namespace mv = platform::automation;

namespace {

constexpr const char* kBeginMarker = ">>>>>Begin Spectral Data<<<<<";
constexpr const char* kEndMarker = ">>>>>End Spectral Data<<<<<";
constexpr const char* kGridFileTitle = "Open Grid File";
constexpr const char* kSaveSheetTitle = "Save Current Grid Sheet";

std::string& listSeparatorSetting()
{
    static std::string separator = ",";
    return separator;
}

const std::vector<GridFileFilter>& csvFilters()
{
    static const std::vector<GridFileFilter> filters = {{"CSV Files (*.csv)", "*.csv"},
                                                        {"All Files (*.*)", "*.*"}};
    return filters;
}

const std::vector<GridFileFilter>& spectrumFilters()
{
    static const std::vector<GridFileFilter> filters = {
        {"Harlune Spectra", "*.scope;*.absorbance;*.transmission;*.irradiance;*.dark;*.sample;"
                            "*.reference;*.sampledark"},
        {"All Files (*.*)", "*.*"}};
    return filters;
}

// The whole file, or nothing when it is a folder or cannot be read.
std::optional<std::string> readWholeFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    // Read in blocks: a byte at a time through stream iterators cost as much as the parse.
    std::string bytes;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size < (std::uintmax_t{1} << 31))
        bytes.reserve(static_cast<std::size_t>(size));
    char block[1 << 16];
    for (;;) {
        file.read(block, sizeof block);
        bytes.append(block, static_cast<std::size_t>(file.gcount()));
        if (!file)
            break;
    }
    if (file.bad())
        return std::nullopt;
    return bytes;
}

// Lines split at LF with a CR before it taken off; a last line without a line break counts.
std::vector<std::string_view> splitLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

// The label the open commands give a sheet: the file's title and extension ("%s.%s").
std::string fileLabel(const std::string& path)
{
    const std::filesystem::path p(path);
    std::string extension = p.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    return p.stem().string() + "." + extension;
}

class WaitCursor
{
public:
    explicit WaitCursor(GridViewHost& host) : m_host(host) { m_host.beginWaitCursor(); }
    ~WaitCursor() { m_host.endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    GridViewHost& m_host;
};

// Puts the sheet that was current back when a member worked on another one.
class SheetRestorer
{
public:
    explicit SheetRestorer(CGridControl& grid) : m_grid(grid), m_sheet(grid.GetCurrentSheet()) {}
    ~SheetRestorer()
    {
        if (m_grid.GetCurrentSheet() != m_sheet)
            m_grid.SelectSheet(m_sheet, 0);
    }
    SheetRestorer(const SheetRestorer&) = delete;
    SheetRestorer& operator=(const SheetRestorer&) = delete;

private:
    CGridControl& m_grid;
    int m_sheet;
};

} // namespace

const std::string& gridListSeparator()
{
    return listSeparatorSetting();
}

void setGridListSeparator(std::string separator)
{
    listSeparatorSetting() = separator.empty() ? std::string(",") : separator.substr(0, 3);
}

std::string gridListSeparatorFrom(const std::string& stored, const std::string& decimalSeparator)
{
    if (stored.empty())
        return decimalSeparator == "," ? ";" : ",";
    return stored.substr(0, 3);
}

void loadGridListSeparator()
{
    CINIFileSupport settings(nullptr, 1);
    const std::string stored = settings.GetStringDefault("GridFiles", "ListSeparator", "");
    setGridListSeparator(gridListSeparatorFrom(stored, gridctrl::model::userDecimalSeparator()));
}

std::string cutUtf8(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return std::string(text);
    std::size_t end = limit;
    // Back off continuation bytes so that the cut falls before a character's first byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

CHarluneGridView::CHarluneGridView(GridViewHost& host)
    : m_host(host), m_grid(std::make_unique<CHarluneGridCtrl>())
{
    m_grid->CreateGrid();
}

CHarluneGridView::~CHarluneGridView() = default;

template <typename Result, typename Body>
Result CHarluneGridView::guarded(int line, Result failure, Body body)
{
    try {
        if (m_faultHook)
            m_faultHook();
        return body();
    } catch (...) {
        try {
            m_host.logException(kSourceName, line);
        } catch (...) {
        }
        return failure;
    }
}

// A cell read into the scratch cell, then changed and stored; false when the control refuses
// the store (a cell outside the sheet).
template <typename Setter> bool CHarluneGridView::cellSet(int col, long row, Setter setter)
{
    m_scratch.ClearInfo();
    m_grid->GetCell(col, row, &m_scratch);
    setter(m_scratch);
    return m_grid->SetCell(col, row, &m_scratch) == 0;
}

template <typename Getter> auto CHarluneGridView::cellGet(int col, long row, Getter getter)
{
    m_scratch.ClearInfo();
    m_grid->GetCell(col, row, &m_scratch);
    return getter(m_scratch);
}

template <typename Setter> bool CHarluneGridView::columnSet(int col, Setter setter)
{
    bool stored = true;
    const long rows = m_grid->GetNumberRows();
    if (col < 1 || col > m_grid->GetNumberCols())
        stored = false;
    else
        for (long r = 0; r < rows; ++r)
            stored = cellSet(col - 1, r, setter) && stored;
    m_grid->RedrawAll();
    return stored;
}

template <typename Setter> bool CHarluneGridView::sheetSet(Setter setter, bool withHeadings)
{
    WaitCursor wait(m_host);
    bool stored = true;
    const long rows = m_grid->GetNumberRows();
    const int cols = m_grid->GetNumberCols();
    const int first = withHeadings ? -1 : 0;
    for (long r = first; r < rows; ++r)
        for (int c = first; c < cols; ++c)
            stored = cellSet(c, r, setter) && stored;
    m_grid->RedrawAll();
    return stored;
}

template <typename Setter> bool CHarluneGridView::headingSet(Setter setter)
{
    m_grid->GetHeadingDefault(&m_scratch);
    setter(m_scratch);
    const bool stored = m_grid->SetHeadingDefault(&m_scratch) == 0;
    m_grid->RedrawAll();
    return stored;
}

template <typename Getter> auto CHarluneGridView::headingGet(Getter getter)
{
    m_grid->GetHeadingDefault(&m_scratch);
    return getter(m_scratch);
}

GridPen* CHarluneGridView::borderPen(COLORREF colour)
{
    auto& pen = m_pens[colour];
    if (!pen)
        pen = std::make_unique<GridPen>(GridPen::Solid, 1, colour);
    return pen.get();
}

// ---- set-up ---------------------------------------------------------------------------------

bool CHarluneGridView::setUpSheet(int columns, long rows)
{
    CHarluneGridCtrl& g = *m_grid;
    bool stored = true;
    char label[32];
    for (long r = 0; r < rows; ++r) {
        std::snprintf(label, sizeof label, "%ld", r + 1);
        stored = cellSet(-1, r, [&](CGridCellInfo& c) { c.SetText(label); }) && stored;
    }
    for (int c = 0; c < columns; ++c) {
        std::snprintf(label, sizeof label, "%d", c + 1);
        stored = cellSet(c, -1, [&](CGridCellInfo& cell) { cell.SetText(label); }) && stored;
    }
    g.RedrawAll();
    return stored;
}

bool CHarluneGridView::InitGrid(int columns, int rows, int sheets, const char* title)
{
    return guarded(__LINE__, false, [&] {
        CHarluneGridCtrl& g = *m_grid;
        if (columns < 0 || columns > CGridControl::kMaxCols || rows < 0 || sheets < 1 ||
            sheets > CGridControl::kMaxSheets)
            return false;
        const int fontA = g.AddFont("Arial", 14, 0);
        const int fontB = g.AddFont("Arial", 16, 900);
        bool stored = g.SetNumberCols(columns, 0) == 0;
        stored = g.SetNumberRows(rows, 0) == 0 && stored;
        stored = g.SetNumberSheets(sheets) == 0 && stored;
        char label[32];
        for (int i = 0; i < sheets; ++i) {
            std::snprintf(label, sizeof label, "Sheet %d", i + 1);
            g.AddTab(label, i);
            g.SelectSheet(i, 0);
            g.SetUniformRowHeight(1);
            stored = g.SetNumberCols(columns, 0) == 0 && stored;
            stored = g.SetNumberRows(rows, 0) == 0 && stored;
            g.SetMultiSelectMode(1);
            g.SetDefaultFont(fontA);
            g.GetHeadingDefault(&m_scratch);
            m_scratch.SetFont(g.GetFont(fontB));
            g.SetHeadingDefault(&m_scratch);
            stored = setUpSheet(columns, rows) && stored;
        }
        g.SetTabWidth(200);
        g.SelectSheet(0, 1);
        g.SetCurrentTab(0);
        g.RedrawAll();
        if (title)
            m_host.setTitle(title);
        return stored;
    });
}

bool CHarluneGridView::InsertSheet(int columns, long rows, const char* label)
{
    return guarded(__LINE__, false, [&] {
        CHarluneGridCtrl& g = *m_grid;
        // Counts the control would refuse are refused before a sheet is added, so that no
        // half set-up sheet is left behind.
        if (columns < 0 || columns > CGridControl::kMaxCols || rows < 0 || rows >= INT32_MAX)
            return false;
        if (g.SetNumberSheets(g.GetNumberSheets() + 1) != 0)
            return false;
        const int n = g.GetNumberSheets();
        g.AddTab(label ? label : "", n - 1);
        g.SelectSheet(n - 1, 0);
        bool stored = g.SetNumberCols(columns, 0) == 0;
        stored = g.SetNumberRows(rows, 0) == 0 && stored;
        g.SetCurrentTab(n - 1);
        const int fontB = g.AddFont("Arial", 16, 900);
        const int fontA = g.AddFont("Arial", 14, 0);
        g.SetDefaultFont(fontA);
        g.SetUniformRowHeight(1);
        g.GetHeadingDefault(&m_scratch);
        m_scratch.SetFont(g.GetFont(fontB));
        g.SetMultiSelectMode(1);
        g.SetHeadingDefault(&m_scratch);
        return setUpSheet(columns, rows) && stored;
    });
}

// ---- rows, columns and sheets ---------------------------------------------------------------

bool CHarluneGridView::InsertRow(long n)
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->InsertRow(n) == 0;
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::InsertColumn(int n)
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->InsertCol(n) == 0;
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::DeleteRow(long n)
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->DeleteRow(n - 1) == 0;
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::DeleteColumn(int n)
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->DeleteCol(n - 1) == 0;
        m_grid->RedrawAll();
        return done;
    });
}

int CHarluneGridView::currentTabSheet() const
{
    const long position = m_grid->GetCurrentTab();
    if (position < 0)
        return -1;
    const int sheets = m_grid->GetNumberSheets();
    for (int id = 0; id < sheets; ++id)
        if (m_grid->tabBar().findTab(id) == position)
            return id;
    return -1;
}

bool CHarluneGridView::DeleteSheet(int n)
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->DeleteTab(n - 1) == 0;
        // The tab bar makes another tab current when the deleted one was: show its sheet.
        if (done && m_grid->GetCurrentSheet() == n - 1) {
            const int shown = currentTabSheet();
            if (shown >= 0)
                m_grid->SelectSheet(shown, 1);
        }
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::SetActiveSheet(int n)
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->SelectSheet(n - 1, 1) == 0;
        if (done)
            m_grid->SetCurrentTab(n - 1);
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::SetActiveCell(int col, long row)
{
    return guarded(__LINE__, false, [&] {
        // The control selects any cell it is given; one outside the sheet is refused here so
        // that a script learns nothing was selected.
        if (!inSheet(col - 1, row - 1))
            return false;
        CHarluneGridCtrl& g = *m_grid;
        // The cell becomes the current one and the only one selected. The selection is emptied
        // first so that the move neither extends nor adds to it (whatever keys are held); a
        // hook that refuses the move leaves the cell where it was, and nothing is selected.
        g.ClearSelection();
        bool done = g.GotoCell(col - 1, row - 1) == 0 && g.GetCurrentCol() == col - 1 &&
                    g.GetCurrentRow() == row - 1;
        if (done)
            done = g.SelectCell(col - 1, row - 1) == 0;
        g.RedrawAll();
        return done;
    });
}

bool CHarluneGridView::inSheet(int col, long row) const
{
    return col >= 0 && col < m_grid->GetNumberCols() && row >= 0 && row < m_grid->GetNumberRows();
}

bool CHarluneGridView::RenameColumn(int col, const std::string& text)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(col - 1, -1, [&](CGridCellInfo& c) { c.SetText(text); });
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::RenameRow(long row, const std::string& text)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(-1, row - 1, [&](CGridCellInfo& c) { c.SetText(text); });
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::RenameSheet(int n, const std::string& text)
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->SetTabLabel(n - 1, text) == 0;
        m_grid->RedrawAll();
        return done;
    });
}

// ---- fonts ----------------------------------------------------------------------------------

long CHarluneGridView::RegisterFont(const std::string& face, int height, int weight)
{
    return guarded(__LINE__, -1L,
                   [&] { return static_cast<long>(m_grid->AddFont(face, height, weight)); });
}

bool CHarluneGridView::SetCellFont(int col, long row, int font)
{
    return guarded(__LINE__, false, [&] {
        auto* object = m_grid->GetFont(font);
        if (!object)
            return false;
        const bool done = cellSet(col - 1, row - 1, [&](CGridCellInfo& c) { c.SetFont(object); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

// ---- cells ----------------------------------------------------------------------------------

short CHarluneGridView::GetCellFormat(int col, long row)
{
    return guarded(__LINE__, static_cast<short>(-1), [&] {
        return cellGet(col - 1, row - 1,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetFormat()); });
    });
}

bool CHarluneGridView::SetCellFormat(int col, long row, short v)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(col - 1, row - 1, [&](CGridCellInfo& c) {
            c.SetFormat(static_cast<unsigned short>(v));
        });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

short CHarluneGridView::GetColumnFormat(int col)
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return cellGet(col - 1, 0,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetFormat()); });
    });
}

bool CHarluneGridView::SetColumnFormat(int col, short v)
{
    return guarded(__LINE__, false, [&] {
        return columnSet(col,
                         [&](CGridCellInfo& c) { c.SetFormat(static_cast<unsigned short>(v)); });
    });
}

short CHarluneGridView::GetHeadingFormat()
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return headingGet([](const CGridCellInfo& c) { return static_cast<short>(c.GetFormat()); });
    });
}

bool CHarluneGridView::SetHeadingFormat(short v)
{
    return guarded(__LINE__, false, [&] {
        return headingSet([&](CGridCellInfo& c) { c.SetFormat(static_cast<unsigned short>(v)); });
    });
}

bool CHarluneGridView::SetSheetFormat(short v)
{
    return guarded(__LINE__, false, [&] {
        return sheetSet([&](CGridCellInfo& c) { c.SetFormat(static_cast<unsigned short>(v)); });
    });
}

long CHarluneGridView::GetCellBackgroundColor(int col, long row)
{
    return guarded(__LINE__, static_cast<long>(0), [&] {
        return cellGet(col - 1, row - 1,
                       [](const CGridCellInfo& c) { return static_cast<long>(c.GetBackColor()); });
    });
}

bool CHarluneGridView::SetCellBackgroundColor(int col, long row, long v)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(
            col - 1, row - 1, [&](CGridCellInfo& c) { c.SetBackColor(static_cast<COLORREF>(v)); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

long CHarluneGridView::GetColumnBackgroundColor(int col)
{
    return guarded(__LINE__, static_cast<long>(0), [&] {
        return cellGet(col - 1, 0,
                       [](const CGridCellInfo& c) { return static_cast<long>(c.GetBackColor()); });
    });
}

bool CHarluneGridView::SetColumnBackgroundColor(int col, long v)
{
    return guarded(__LINE__, false, [&] {
        return columnSet(col, [&](CGridCellInfo& c) { c.SetBackColor(static_cast<COLORREF>(v)); });
    });
}

long CHarluneGridView::GetHeadingBackgroundColor()
{
    return guarded(__LINE__, static_cast<long>(0), [&] {
        return headingGet(
            [](const CGridCellInfo& c) { return static_cast<long>(c.GetBackColor()); });
    });
}

bool CHarluneGridView::SetHeadingBackgroundColor(long v)
{
    return guarded(__LINE__, false, [&] {
        return headingSet([&](CGridCellInfo& c) { c.SetBackColor(static_cast<COLORREF>(v)); });
    });
}

bool CHarluneGridView::SetSheetBackgroundColor(long v)
{
    return guarded(__LINE__, false, [&] {
        return sheetSet([&](CGridCellInfo& c) { c.SetBackColor(static_cast<COLORREF>(v)); });
    });
}

long CHarluneGridView::GetCellTextColor(int col, long row)
{
    return guarded(__LINE__, static_cast<long>(0), [&] {
        return cellGet(col - 1, row - 1,
                       [](const CGridCellInfo& c) { return static_cast<long>(c.GetTextColor()); });
    });
}

bool CHarluneGridView::SetCellTextColor(int col, long row, long v)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(
            col - 1, row - 1, [&](CGridCellInfo& c) { c.SetTextColor(static_cast<COLORREF>(v)); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

long CHarluneGridView::GetColumnTextColor(int col)
{
    return guarded(__LINE__, static_cast<long>(0), [&] {
        return cellGet(col - 1, 0,
                       [](const CGridCellInfo& c) { return static_cast<long>(c.GetTextColor()); });
    });
}

bool CHarluneGridView::SetColumnTextColor(int col, long v)
{
    return guarded(__LINE__, false, [&] {
        return columnSet(col, [&](CGridCellInfo& c) { c.SetTextColor(static_cast<COLORREF>(v)); });
    });
}

long CHarluneGridView::GetHeadingTextColor()
{
    return guarded(__LINE__, static_cast<long>(0), [&] {
        return headingGet(
            [](const CGridCellInfo& c) { return static_cast<long>(c.GetTextColor()); });
    });
}

bool CHarluneGridView::SetHeadingTextColor(long v)
{
    return guarded(__LINE__, false, [&] {
        return headingSet([&](CGridCellInfo& c) { c.SetTextColor(static_cast<COLORREF>(v)); });
    });
}

bool CHarluneGridView::SetSheetTextColor(long v)
{
    return guarded(__LINE__, false, [&] {
        return sheetSet([&](CGridCellInfo& c) { c.SetTextColor(static_cast<COLORREF>(v)); });
    });
}

short CHarluneGridView::GetCellAlignment(int col, long row)
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return cellGet(col - 1, row - 1,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetAlignment()); });
    });
}

bool CHarluneGridView::SetCellAlignment(int col, long row, short v)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(col - 1, row - 1, [&](CGridCellInfo& c) {
            c.SetAlignment(static_cast<unsigned short>(v));
        });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

short CHarluneGridView::GetColumnAlignment(int col)
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return cellGet(col - 1, 0,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetAlignment()); });
    });
}

bool CHarluneGridView::SetColumnAlignment(int col, short v)
{
    return guarded(__LINE__, false, [&] {
        return columnSet(col,
                         [&](CGridCellInfo& c) { c.SetAlignment(static_cast<unsigned short>(v)); });
    });
}

short CHarluneGridView::GetHeadingAlignment()
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return headingGet(
            [](const CGridCellInfo& c) { return static_cast<short>(c.GetAlignment()); });
    });
}

bool CHarluneGridView::SetHeadingAlignment(short v)
{
    return guarded(__LINE__, false, [&] {
        return headingSet(
            [&](CGridCellInfo& c) { c.SetAlignment(static_cast<unsigned short>(v)); });
    });
}

bool CHarluneGridView::SetSheetAlignment(short v)
{
    return guarded(__LINE__, false, [&] {
        return sheetSet([&](CGridCellInfo& c) { c.SetAlignment(static_cast<unsigned short>(v)); });
    });
}

short CHarluneGridView::GetCellPrecision(int col, long row)
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return cellGet(col - 1, row - 1,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetPrecision()); });
    });
}

bool CHarluneGridView::SetCellPrecision(int col, long row, short v)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(col - 1, row - 1, [&](CGridCellInfo& c) { c.SetPrecision(v); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

short CHarluneGridView::GetColumnPrecision(int col)
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return cellGet(col - 1, 0,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetPrecision()); });
    });
}

bool CHarluneGridView::SetColumnPrecision(int col, short v)
{
    return guarded(__LINE__, false,
                   [&] { return columnSet(col, [&](CGridCellInfo& c) { c.SetPrecision(v); }); });
}

bool CHarluneGridView::SetSheetPrecision(short v)
{
    return guarded(__LINE__, false,
                   [&] { return sheetSet([&](CGridCellInfo& c) { c.SetPrecision(v); }); });
}

bool CHarluneGridView::GetCellExponentialFormat(int col, long row)
{
    return guarded(__LINE__, static_cast<bool>(false), [&] {
        return cellGet(col - 1, row - 1, [](const CGridCellInfo& c) {
            return static_cast<bool>(c.GetExponentialFormat() != 0);
        });
    });
}

bool CHarluneGridView::SetCellExponentialFormat(int col, long row, bool v)
{
    return guarded(__LINE__, false, [&] {
        const bool done =
            cellSet(col - 1, row - 1, [&](CGridCellInfo& c) { c.SetExponentialFormat(v ? 1 : 0); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

bool CHarluneGridView::GetColumnExponentialFormat(int col)
{
    return guarded(__LINE__, static_cast<bool>(false), [&] {
        return cellGet(col - 1, 0, [](const CGridCellInfo& c) {
            return static_cast<bool>(c.GetExponentialFormat() != 0);
        });
    });
}

bool CHarluneGridView::SetColumnExponentialFormat(int col, bool v)
{
    return guarded(__LINE__, false, [&] {
        return columnSet(col, [&](CGridCellInfo& c) { c.SetExponentialFormat(v ? 1 : 0); });
    });
}

bool CHarluneGridView::SetSheetExponentialFormat(bool v)
{
    return guarded(__LINE__, false, [&] {
        return sheetSet([&](CGridCellInfo& c) { c.SetExponentialFormat(v ? 1 : 0); });
    });
}

bool CHarluneGridView::GetCellReadOnly(int col, long row)
{
    return guarded(__LINE__, static_cast<bool>(false), [&] {
        return cellGet(col - 1, row - 1, [](const CGridCellInfo& c) {
            return static_cast<bool>(c.GetReadOnly() != 0);
        });
    });
}

bool CHarluneGridView::SetCellReadOnly(int col, long row, bool v)
{
    return guarded(__LINE__, false, [&] {
        const bool done =
            cellSet(col - 1, row - 1, [&](CGridCellInfo& c) { c.SetReadOnly(v ? 1 : 0); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

bool CHarluneGridView::GetColumnReadOnly(int col)
{
    return guarded(__LINE__, static_cast<bool>(false), [&] {
        return cellGet(col - 1, 0, [](const CGridCellInfo& c) {
            return static_cast<bool>(c.GetReadOnly() != 0);
        });
    });
}

bool CHarluneGridView::SetColumnReadOnly(int col, bool v)
{
    return guarded(__LINE__, false, [&] {
        return columnSet(col, [&](CGridCellInfo& c) { c.SetReadOnly(v ? 1 : 0); });
    });
}

bool CHarluneGridView::SetSheetReadOnly(bool v)
{
    return guarded(__LINE__, false,
                   [&] { return sheetSet([&](CGridCellInfo& c) { c.SetReadOnly(v ? 1 : 0); }); });
}

short CHarluneGridView::GetCellBorder(int col, long row)
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return cellGet(col - 1, row - 1,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetBorder()); });
    });
}

bool CHarluneGridView::SetCellBorder(int col, long row, short v)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(col - 1, row - 1, [&](CGridCellInfo& c) {
            c.SetBorder(static_cast<unsigned short>(v));
        });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

short CHarluneGridView::GetColumnBorder(int col)
{
    return guarded(__LINE__, static_cast<short>(0), [&] {
        return cellGet(col - 1, 0,
                       [](const CGridCellInfo& c) { return static_cast<short>(c.GetBorder()); });
    });
}

bool CHarluneGridView::SetColumnBorder(int col, short v)
{
    return guarded(__LINE__, false, [&] {
        return columnSet(col,
                         [&](CGridCellInfo& c) { c.SetBorder(static_cast<unsigned short>(v)); });
    });
}

bool CHarluneGridView::SetCellBorderColor(int col, long row, long colour)
{
    return guarded(__LINE__, false, [&] {
        GridPen* pen = borderPen(static_cast<COLORREF>(colour));
        return cellSet(col - 1, row - 1, [&](CGridCellInfo& c) { c.SetBorderColor(pen); });
    });
}

bool CHarluneGridView::SetColumnFont(int col, int font)
{
    return guarded(__LINE__, false, [&] {
        auto* object = m_grid->GetFont(font);
        if (!object)
            return false;
        return columnSet(col, [&](CGridCellInfo& c) { c.SetFont(object); });
    });
}

bool CHarluneGridView::SetColumnBorderColor(int col, long colour)
{
    return guarded(__LINE__, false, [&] {
        GridPen* pen = borderPen(static_cast<COLORREF>(colour));
        return columnSet(col, [&](CGridCellInfo& c) { c.SetBorderColor(pen); });
    });
}

bool CHarluneGridView::SetHeadingFont(int font)
{
    return guarded(__LINE__, false, [&] {
        auto* object = m_grid->GetFont(font);
        if (!object)
            return false;
        return headingSet([&](CGridCellInfo& c) { c.SetFont(object); });
    });
}

bool CHarluneGridView::SetSheetFont(int font)
{
    return guarded(__LINE__, false, [&] {
        auto* object = m_grid->GetFont(font);
        if (!object)
            return false;
        return sheetSet([&](CGridCellInfo& c) { c.SetFont(object); });
    });
}

bool CHarluneGridView::SetSheetBorder(short sides)
{
    return guarded(__LINE__, false, [&] {
        return sheetSet([&](CGridCellInfo& c) { c.SetBorder(static_cast<unsigned short>(sides)); },
                        true);
    });
}

bool CHarluneGridView::SetSheetBorderColor(long colour)
{
    return guarded(__LINE__, false, [&] {
        GridPen* pen = borderPen(static_cast<COLORREF>(colour));
        return sheetSet([&](CGridCellInfo& c) { c.SetBorderColor(pen); }, true);
    });
}

bool CHarluneGridView::SetSheetBorderSizeAndColor(short sides, long colour)
{
    return guarded(__LINE__, false, [&] {
        GridPen* pen = borderPen(static_cast<COLORREF>(colour));
        return sheetSet(
            [&](CGridCellInfo& c) {
                c.SetBorder(static_cast<unsigned short>(sides));
                c.SetBorderColor(pen);
            },
            true);
    });
}

// ---- sizes ----------------------------------------------------------------------------------

bool CHarluneGridView::SetTopHeadingHeight(int size)
{
    return guarded(__LINE__, false, [&] { return m_grid->SetTopHeadingHeight(size) == 0; });
}

bool CHarluneGridView::SetSideHeadingWidth(int size)
{
    return guarded(__LINE__, false, [&] { return m_grid->SetSideHeadingWidth(size) == 0; });
}

long CHarluneGridView::GetTopHeadingHeight()
{
    return guarded(__LINE__, 0L, [&] { return static_cast<long>(m_grid->GetTopHeadingHeight()); });
}

long CHarluneGridView::GetSideHeadingWidth()
{
    return guarded(__LINE__, 0L, [&] { return static_cast<long>(m_grid->GetSideHeadingWidth()); });
}

bool CHarluneGridView::SetRowHeight(long row, int height)
{
    return guarded(__LINE__, false, [&] { return m_grid->SetRowHeight(row - 1, height) == 0; });
}

bool CHarluneGridView::SetColumnWidth(int col, int width)
{
    return guarded(__LINE__, false, [&] { return m_grid->SetColWidth(col - 1, width) == 0; });
}

bool CHarluneGridView::SetUniformRowHeight(int flag)
{
    return guarded(__LINE__, false, [&] { return m_grid->SetUniformRowHeight(flag) == 0; });
}

bool CHarluneGridView::AutosizeColumn(int first, int last, int margin, int flag)
{
    return guarded(__LINE__, false,
                   [&] { return m_grid->AutoFitColumns(first - 1, last - 1, margin, flag) == 0; });
}

// ---- clipboard ------------------------------------------------------------------------------

// Copies exactly the block of the current sheet from (col1, row1) to (col2, row2), 0-based, and
// leaves the current cell where it was. A block reaching outside the sheet copies nothing.
bool CHarluneGridView::copyBlock(int col1, long row1, int col2, long row2, bool cut)
{
    CHarluneGridCtrl& g = *m_grid;
    if (!inSheet(col1, row1) || !inSheet(col2, row2))
        return false;
    const int col = g.GetCurrentCol();
    const long row = g.GetCurrentRow();
    // The block replaces what was selected before, so that only its cells are copied. A sheet
    // without multi-selection records no block: then nothing is copied.
    g.ClearSelection();
    bool done = g.SelectRange(col1, row1, col2, row2) == 0 &&
                g.EnumFirstBlock(nullptr, nullptr, nullptr, nullptr) == 0;
    if (done)
        done = g.CopySelected(cut ? 1 : 0) == 0;
    if (!done)
        g.ClearSelection();
    g.GotoCell(col, row);
    g.RedrawAll();
    return done;
}

bool CHarluneGridView::CopyCell(int col, long row, bool cut)
{
    return guarded(__LINE__, false,
                   [&] { return copyBlock(col - 1, row - 1, col - 1, row - 1, cut); });
}

bool CHarluneGridView::CopyRange(int col1, long row1, int col2, long row2, bool cut)
{
    return guarded(__LINE__, false,
                   [&] { return copyBlock(col1 - 1, row1 - 1, col2 - 1, row2 - 1, cut); });
}

bool CHarluneGridView::CopySelection(bool cut)
{
    return guarded(__LINE__, false, [&] {
        CHarluneGridCtrl& g = *m_grid;
        // Without a selected block the control copies the current cell; with neither there is
        // nothing to copy.
        if (g.EnumFirstBlock(nullptr, nullptr, nullptr, nullptr) != 0 &&
            !inSheet(g.GetCurrentCol(), g.GetCurrentRow()))
            return false;
        const bool done = g.CopySelected(cut ? 1 : 0) == 0;
        g.RedrawAll();
        return done;
    });
}

bool CHarluneGridView::CopyColumn(int col, bool cut)
{
    return guarded(__LINE__, false, [&] {
        return copyBlock(col - 1, 0, col - 1, m_grid->GetNumberRows() - 1, cut);
    });
}

bool CHarluneGridView::CopyRow(long row, bool cut)
{
    return guarded(__LINE__, false, [&] {
        return copyBlock(0, row - 1, m_grid->GetNumberCols() - 1, row - 1, cut);
    });
}

// The sheet number is not used: the current sheet is copied, as scripts have always had it.
bool CHarluneGridView::CopySheet(int, bool cut)
{
    return guarded(__LINE__, false, [&] {
        return copyBlock(0, 0, m_grid->GetNumberCols() - 1, m_grid->GetNumberRows() - 1, cut);
    });
}

// The clipboard's block lands with its first value in (col, row), which becomes the current
// cell; a cell outside the sheet or a clipboard without text pastes nothing.
bool CHarluneGridView::Paste(int col, long row)
{
    return guarded(__LINE__, false, [&] {
        if (!SetActiveCell(col, row))
            return false;
        const bool done = m_grid->Paste() == 0;
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::PasteSelection()
{
    return guarded(__LINE__, false, [&] {
        const bool done = m_grid->Paste() == 0;
        m_grid->RedrawAll();
        return done;
    });
}

// ---- data -----------------------------------------------------------------------------------

double CHarluneGridView::GetCellValue(int col, long row)
{
    return guarded(__LINE__, 0.0, [&] {
        return cellGet(col - 1, row - 1, [](const CGridCellInfo& c) { return c.GetNumber(); });
    });
}

bool CHarluneGridView::SetCellValue(int col, long row, double value)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(col - 1, row - 1, [&](CGridCellInfo& c) { c.SetNumber(value); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

bool CHarluneGridView::GetCellText(int col, long row, char* buffer, std::size_t size)
{
    return guarded(__LINE__, false, [&] {
        if (!buffer || size == 0)
            return false;
        std::string text;
        cellGet(col - 1, row - 1, [&](const CGridCellInfo& c) { return c.GetText(text); });
        const std::string cut = cutUtf8(text, size - 1);
        std::memcpy(buffer, cut.data(), cut.size());
        buffer[cut.size()] = '\0';
        return true;
    });
}

bool CHarluneGridView::SetCellText(int col, long row, const std::string& text)
{
    return guarded(__LINE__, false, [&] {
        const bool done = cellSet(col - 1, row - 1, [&](CGridCellInfo& c) { c.SetText(text); });
        m_grid->RedrawCell(col - 1, row - 1);
        return done;
    });
}

bool CHarluneGridView::PutArrayInColumn(int col, long firstRow, const double* values, long count)
{
    return guarded(__LINE__, false, [&] {
        if (!values && count > 0)
            return false;
        bool done = true;
        for (long i = 0; i < count; ++i)
            done = cellSet(col - 1, firstRow - 1 + i,
                           [&](CGridCellInfo& c) { c.SetNumber(values[i]); }) &&
                   done;
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::PutArrayInRow(long row, int firstCol, const double* values, long count)
{
    return guarded(__LINE__, false, [&] {
        if (!values && count > 0)
            return false;
        bool done = true;
        for (long i = 0; i < count; ++i)
            done = cellSet(firstCol - 1 + static_cast<int>(i), row - 1,
                           [&](CGridCellInfo& c) { c.SetNumber(values[i]); }) &&
                   done;
        m_grid->RedrawAll();
        return done;
    });
}

bool CHarluneGridView::GetArrayFromColumn(int col, long firstRow, double* values, long count)
{
    return guarded(__LINE__, false, [&] {
        if (!values && count > 0)
            return false;
        for (long i = 0; i < count; ++i)
            values[i] = cellGet(col - 1, firstRow - 1 + i,
                                [](const CGridCellInfo& c) { return c.GetNumber(); });
        return true;
    });
}

bool CHarluneGridView::GetArrayFromRow(long row, int firstCol, double* values, long count)
{
    return guarded(__LINE__, false, [&] {
        if (!values && count > 0)
            return false;
        for (long i = 0; i < count; ++i)
            values[i] = cellGet(firstCol - 1 + static_cast<int>(i), row - 1,
                                [](const CGridCellInfo& c) { return c.GetNumber(); });
        return true;
    });
}

// ---- files ----------------------------------------------------------------------------------

bool CHarluneGridView::SaveSheet(int sheet, const std::string& path, int* error)
{
    if (error != nullptr)
        *error = 0;
    return guarded(__LINE__, false, [&] {
        CHarluneGridCtrl& g = *m_grid;
        // The sheet is checked before the file is touched, and the file is replaced only once
        // it is written whole, so a refused or failed save leaves an existing file as it was.
        if (sheet < 0 || sheet >= g.GetNumberSheets())
            return false;
        const std::string& separator = gridListSeparator();
        std::string bytes;
        {
            SheetRestorer restore(g);
            if (sheet != g.GetCurrentSheet())
                g.SelectSheet(sheet, 0);
            const long rows = g.GetNumberRows();
            const int cols = g.GetNumberCols();
            std::string text;
            for (long r = -1; r < rows; ++r) {
                for (int k = -1; k < cols; ++k) {
                    if (k > -1)
                        bytes += separator;
                    if (k == -1 && r == -1) {
                        bytes += "\"\"";
                        continue;
                    }
                    m_scratch.ClearInfo();
                    g.GetCell(k, r, &m_scratch);
                    text.clear();
                    m_scratch.GetText(text);
                    const bool bare = m_scratch.GetFormat() == CGridCellInfo::kFormatNumber;
                    bytes += app::windows::csvField(text, bare, separator);
                }
                bytes += "\r\n";
            }
        }
        return app::spectrum::writeFileAtomically(path, bytes, error);
    });
}

std::optional<std::vector<app::windows::CsvLine>>
CHarluneGridView::readSheetFile(const std::string& path) const
{
    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    std::vector<app::windows::CsvLine> lines = app::windows::parseCsv(*bytes, gridListSeparator());
    if (lines.empty() || lines.front().empty())
        return std::nullopt;
    if (lines.front().size() - 1 > static_cast<std::size_t>(CGridControl::kMaxCols))
        return std::nullopt;
    return lines;
}

void CHarluneGridView::fillSheet(const std::vector<app::windows::CsvLine>& lines, bool clearMissing)
{
    const std::size_t fields = lines.front().size();
    const long rows = static_cast<long>(lines.size()) - 1;
    const std::string& decimal = gridctrl::model::userDecimalSeparator();
    for (long r = -1; r < rows; ++r) {
        const app::windows::CsvLine& line = lines[static_cast<std::size_t>(r + 1)];
        // Fields beyond the first line's count have no column: they are dropped. The cells a
        // short line has no field for are emptied or keep what they hold.
        for (std::size_t k = 0; k < fields; ++k) {
            const int col = static_cast<int>(k) - 1;
            if (k >= line.size()) {
                if (clearMissing)
                    cellSet(col, r, [](CGridCellInfo& c) { c.SetText(""); });
                continue;
            }
            const app::windows::CsvField& field = line[k];
            if (field.quoted || field.text.empty()) {
                cellSet(col, r, [&](CGridCellInfo& c) { c.SetText(field.text); });
            } else {
                const double value = app::windows::csvNumber(field.text, decimal);
                cellSet(col, r, [&](CGridCellInfo& c) { c.SetNumber(value); });
            }
        }
    }
}

bool CHarluneGridView::OpenSheetIntoNew(const std::string& path, const char* label)
{
    return guarded(__LINE__, false, [&] {
        CHarluneGridCtrl& g = *m_grid;
        if (g.GetNumberSheets() >= CGridControl::kMaxSheets)
            return false;
        const auto lines = readSheetFile(path);
        if (!lines)
            return false;
        const int cols = static_cast<int>(lines->front().size()) - 1;
        const long rows = static_cast<long>(lines->size()) - 1;
        if (!InsertSheet(cols, rows, label ? label : path.c_str()))
            return false;
        fillSheet(*lines, false);
        g.RedrawAll();
        return true;
    });
}

bool CHarluneGridView::OpenSheet(int sheet, const std::string& path)
{
    return guarded(__LINE__, false, [&] {
        CHarluneGridCtrl& g = *m_grid;
        // The file is read whole and checked before the sheet changes.
        if (sheet < 0 || sheet >= g.GetNumberSheets())
            return false;
        const auto lines = readSheetFile(path);
        if (!lines)
            return false;
        const int cols = static_cast<int>(lines->front().size()) - 1;
        const long rows = static_cast<long>(lines->size()) - 1;
        {
            SheetRestorer restore(g);
            if (sheet != g.GetCurrentSheet())
                g.SelectSheet(sheet, 0);
            if (g.SetNumberCols(cols, 0) != 0 || g.SetNumberRows(rows, 0) != 0)
                return false;
            fillSheet(*lines, true);
        }
        g.RedrawAll();
        return true;
    });
}

bool CHarluneGridView::SaveAllSheets(const std::string& path)
{
    return guarded(__LINE__, false, [&] {
        bool saved = true;
        const auto names = saveAllNames(path);
        for (const auto& [sheet, name] : names)
            saved = SaveSheet(sheet, name) && saved;
        return saved && !names.empty();
    });
}

bool CHarluneGridView::OpenAllSheets(const std::string& path)
{
    return guarded(__LINE__, false, [&] {
        bool opened = true;
        const auto names = saveAllNames(path);
        for (const auto& [sheet, name] : names)
            opened = OpenSheet(sheet, name) && opened;
        return opened && !names.empty();
    });
}

bool CHarluneGridView::OpenAllSheetsIntoNew(const std::string& path)
{
    return guarded(__LINE__, false, [&] {
        bool opened = true;
        // The names are those of the sheets there are now, before any is added.
        const auto names = saveAllNames(path);
        for (const auto& [sheet, name] : names)
            opened = OpenSheetIntoNew(name, fileLabel(name).c_str()) && opened;
        return opened && !names.empty();
    });
}

bool CHarluneGridView::OpenSpectrumIntoNew(const std::string& path, const char* label)
{
    return guarded(__LINE__, false, [&] {
        CHarluneGridCtrl& g = *m_grid;
        if (g.GetNumberSheets() >= CGridControl::kMaxSheets)
            return false;
        const std::optional<std::string> bytes = readWholeFile(path);
        if (!bytes)
            return false;
        const std::vector<std::string_view> lines = splitLines(*bytes);
        if (lines.empty())
            return false;
        const long rows = static_cast<long>(lines.size());
        if (!InsertSheet(3, rows, (label && *label) ? label : path.c_str()))
            return false;
        const auto storeText = [&](long row, std::string_view text) {
            cellSet(0, row, [&](CGridCellInfo& c) { c.SetText(text); });
        };
        long row = 0;
        bool begun = false;
        while (row < rows && !begun) {
            storeText(row, lines[static_cast<std::size_t>(row)]);
            begun = lines[static_cast<std::size_t>(row)] == kBeginMarker;
            ++row;
        }
        if (!begun)
            return false;
        while (row < rows && lines[static_cast<std::size_t>(row)] != kEndMarker) {
            double wavelength = 0.0;
            double value = 0.0;
            // A line that is not two numbers leaves its cells empty.
            if (app::spectrum::parseDataRow(lines[static_cast<std::size_t>(row)], wavelength,
                                            value)) {
                cellSet(0, row, [&](CGridCellInfo& c) { c.SetNumber(wavelength); });
                cellSet(1, row, [&](CGridCellInfo& c) { c.SetNumber(value); });
            }
            ++row;
        }
        if (row >= rows)
            return false;
        storeText(row, lines[static_cast<std::size_t>(row)]);
        return true;
    });
}

std::vector<std::pair<int, std::string>>
CHarluneGridView::saveAllNames(const std::string& chosen) const
{
    // The base is cut at a dot only within the file name: folders may hold dots.
    const std::size_t slash = chosen.find_last_of('/');
    const std::size_t dot = chosen.find_last_of('.');
    const bool dotInName = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string base = dotInName ? chosen.substr(0, dot) : chosen;
    std::vector<std::pair<int, std::string>> names;
    const int sheets = m_grid->GetNumberSheets();
    for (int id = 0; id < sheets; ++id) {
        if (m_grid->tabBar().findTab(id) < 0)
            continue;
        std::string label = m_grid->GetTabLabel(id);
        // A label may be a whole path: its separators would make the name point elsewhere.
        for (char& c : label)
            if (c == '/' || c == '\\')
                c = '_';
        names.emplace_back(id, base + "." + label + ".csv");
    }
    return names;
}

// ---- commands -------------------------------------------------------------------------------

void CHarluneGridView::runEdit(int line, int menuVerify, const std::function<bool()>& body)
{
    if (m_host.VerifyCommand(menuVerify) == 0)
        return;
    WaitCursor wait(m_host);
    guarded(line, false, body);
}

gridctrl::model::CGridEditBase* CHarluneGridView::openEditor() const
{
    return m_grid->isEditing() ? m_grid->editorInUse() : nullptr;
}

void CHarluneGridView::runOpenCommand(bool spectrum)
{
    if (m_host.VerifyCommand(spectrum ? mv::mvGridFileOpenSpectrumFile
                                      : mv::mvGridFileOpenCSVFile) == 0)
        return;
    guarded(__LINE__, false, [&] {
        const std::vector<std::string> paths =
            spectrum ? m_host.chooseOpenFiles(kGridFileTitle, spectrumFilters(), "")
                     : m_host.chooseOpenFiles(kGridFileTitle, csvFilters(), "csv");
        if (paths.empty())
            return false;
        WaitCursor wait(m_host);
        for (const std::string& path : paths) {
            const std::string label = fileLabel(path);
            if (spectrum)
                OpenSpectrumIntoNew(path, label.c_str());
            else
                OpenSheetIntoNew(path, label.c_str());
        }
        m_grid->RedrawAll();
        return true;
    });
}

void CHarluneGridView::runSaveCommand(bool all)
{
    if (m_host.VerifyCommand(all ? mv::mvGridFileSaveAllSheets : mv::mvGridFileSaveCurrentSheet) ==
        0)
        return;
    guarded(__LINE__, false, [&] {
        const std::optional<std::string> chosen =
            m_host.chooseSaveFile(kSaveSheetTitle, csvFilters(), "csv");
        if (!chosen)
            return false;
        // The first file that could not be written is named with its reason; Save All still
        // writes the sheets after it.
        std::optional<std::string> failure;
        const auto save = [&](int sheet, const std::string& name) {
            int error = 0;
            if (SaveSheet(sheet, name, &error))
                return true;
            if (!failure)
                failure = "The file " + name + " could not be written.\n" +
                          app::spectrum::fileWriteFailure(name, error);
            return false;
        };
        bool saved = true;
        {
            WaitCursor wait(m_host);
            if (!all)
                saved = save(currentTabSheet(), *chosen);
            else
                for (const auto& [sheet, name] : saveAllNames(*chosen))
                    saved = save(sheet, name) && saved;
        }
        if (failure)
            m_host.showError(*failure);
        return saved;
    });
}

namespace {

constexpr unsigned kGridCommands[] = {
    CHarluneGridView::ID_EDIT_COPY,
    CHarluneGridView::ID_EDIT_CUT,
    CHarluneGridView::ID_EDIT_PASTE,
    CHarluneGridView::ID_FILE_OPEN_CSV,
    CHarluneGridView::ID_FILE_SAVE_ALL_SHEETS,
    CHarluneGridView::ID_FILE_SAVE_CURRENT_SHEET,
    CHarluneGridView::ID_FILE_OPEN_SPECTRUM,
    CHarluneGridView::ID_FILE_CLOSE,
    CHarluneGridView::ID_FILE_PRINT,
    CHarluneGridView::ID_FILE_PRINT_PREVIEW,
    CHarluneGridView::ID_FILE_PRINT_SETUP,
    CHarluneGridView::ID_FILE_PRINT_DIRECT,
};

} // namespace

bool CHarluneGridView::answersCommand(unsigned id)
{
    return std::find(std::begin(kGridCommands), std::end(kGridCommands), id) !=
           std::end(kGridCommands);
}

bool CHarluneGridView::OnCommand(unsigned id)
{
    if (!answersCommand(id))
        return false;
    switch (id) {
    // While a cell is being edited, Cut, Copy and Paste work on the editor's text; else on the
    // sheet's cells.
    case ID_EDIT_COPY:
        runEdit(__LINE__, mv::mvGridEditCopy, [this] {
            if (auto* editor = openEditor()) {
                editor->copyText();
                return true;
            }
            return CopySelection(false);
        });
        return true;
    case ID_EDIT_CUT:
        runEdit(__LINE__, mv::mvGridEditCut, [this] {
            if (auto* editor = openEditor()) {
                editor->cutText();
                return true;
            }
            return CopySelection(true);
        });
        return true;
    case ID_EDIT_PASTE:
        runEdit(__LINE__, mv::mvGridEditPaste, [this] {
            if (auto* editor = openEditor()) {
                editor->pasteText();
                return true;
            }
            return PasteSelection();
        });
        return true;
    case ID_FILE_OPEN_CSV:
        runOpenCommand(false);
        return true;
    case ID_FILE_OPEN_SPECTRUM:
        runOpenCommand(true);
        return true;
    case ID_FILE_SAVE_CURRENT_SHEET:
        runSaveCommand(false);
        return true;
    case ID_FILE_SAVE_ALL_SHEETS:
        runSaveCommand(true);
        return true;
    case ID_FILE_CLOSE:
        if (m_host.VerifyCommand(mv::mvGridFileClose) != 0)
            m_host.closeWindow();
        return true;
    case ID_FILE_PRINT:
        if (m_host.VerifyCommand(mv::mvGridFilePrint) != 0)
            m_host.filePrint();
        return true;
    case ID_FILE_PRINT_PREVIEW:
        if (m_host.VerifyCommand(mv::mvGridFilePrintPreview) != 0)
            m_host.filePrintPreview();
        return true;
    case ID_FILE_PRINT_SETUP:
        return true;
    case ID_FILE_PRINT_DIRECT:
        m_host.filePrint();
        return true;
    default:
        return false;
    }
}
