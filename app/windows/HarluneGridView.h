#pragma once

#include "app/windows/GridCsv.h"
#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridObject.h"
#include "gridctrl/model/HarluneGridCtrl.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The grid window's view without widgets: the grid control it shows, the members that scripts
// call (1-based columns, rows and sheets turned into the control's 0-based cells), the Edit
// and File commands of menu 131, and the sheets' CSV files and spectrum import. The widget
// around it (app/windows/qt) embeds the control's window and answers the host's questions.
// GUI thread only; automation calls arrive on the same thread.

// One row of a file dialog's filter list: its text and its patterns.
struct GridFileFilter
{
    std::string text;
    std::string patterns;
};

// What the view needs of the window and the program around it.
class GridViewHost
{
public:
    virtual ~GridViewHost() = default;
    // The script's verdict on a user action (its MENUVERIFY value): 0 forbids it.
    virtual int VerifyCommand(int menuVerify) = 0;
    // Reports a caught failure to the error log with the source file and line.
    virtual void logException(const char* file, int line) = 0;
    virtual void beginWaitCursor() {}
    virtual void endWaitCursor() {}
    // The open dialog (several files, each must exist); nothing on Cancel.
    virtual std::vector<std::string> chooseOpenFiles(const std::string& title,
                                                     const std::vector<GridFileFilter>& filters,
                                                     const std::string& defaultExtension) = 0;
    // The save dialog (hide read-only, prompt before overwriting); nothing on Cancel.
    virtual std::optional<std::string> chooseSaveFile(const std::string& title,
                                                      const std::vector<GridFileFilter>& filters,
                                                      const std::string& defaultExtension) = 0;
    // The framework's print, print preview and close of the window.
    virtual void filePrint() {}
    virtual void filePrintPreview() {}
    virtual void closeWindow() {}
    // The document's title.
    virtual void setTitle(const std::string&) {}
    // The program's error box (OK only) with the text.
    virtual void showError(const std::string&) {}
};

// The separator between the fields of the grid's CSV files: the program's setting, read once
// at start (see readGridListSeparator), "," until then.
const std::string& gridListSeparator();
void setGridListSeparator(std::string separator);
// The setting "GridFiles"/"ListSeparator" as read from the program's settings: at most three
// characters; empty or missing gives "," or, when the user's decimal separator is ",", ";".
std::string gridListSeparatorFrom(const std::string& stored, const std::string& decimalSeparator);
// Reads the setting from the program's settings store and makes it the separator in use.
void loadGridListSeparator();

class CHarluneGridView
{
public:
    using COLORREF = gridctrl::model::COLORREF;

    // The automation caller's text buffer.
    static constexpr std::size_t kTextBufferSize = 200;
    static constexpr const char* kSourceName = "HarluneGridView";

    // Command ids of menu 131.
    enum Command : unsigned
    {
        ID_EDIT_COPY = 57634,
        ID_EDIT_CUT = 57635,
        ID_EDIT_PASTE = 57637,
        ID_FILE_OPEN_CSV = 32804,
        ID_FILE_SAVE_ALL_SHEETS = 32785,
        ID_FILE_SAVE_CURRENT_SHEET = 32980,
        ID_FILE_OPEN_SPECTRUM = 32956,
        ID_FILE_CLOSE = 57602,
        ID_FILE_PRINT = 57607,
        ID_FILE_PRINT_PREVIEW = 57609,
        ID_FILE_PRINT_SETUP = 57606,
        ID_FILE_PRINT_DIRECT = 57608,
    };

    // The host must outlive the view.
    explicit CHarluneGridView(GridViewHost& host);
    ~CHarluneGridView();
    CHarluneGridView(const CHarluneGridView&) = delete;
    CHarluneGridView& operator=(const CHarluneGridView&) = delete;

    gridctrl::model::CHarluneGridCtrl& grid() { return *m_grid; }
    // A test hook: called at the start of each member, it may throw to exercise the failure
    // rule.
    void setFaultHook(std::function<void()> hook) { m_faultHook = std::move(hook); }

    // Menu commands; false when the id is not one of the view's.
    bool OnCommand(unsigned id);
    // The view's command table: the ids OnCommand answers. The window routes these ids, and
    // no others, into the view.
    static bool answersCommand(unsigned id);

    // Set-up.
    bool InitGrid(int columns, int rows, int sheets, const char* title);
    bool InsertSheet(int columns, long rows, const char* label);

    // Rows, columns and sheets.
    bool InsertRow(long n);
    bool InsertColumn(int n);
    bool DeleteRow(long n);
    bool DeleteColumn(int n);
    bool DeleteSheet(int n);
    bool SetActiveSheet(int n);
    bool SetActiveCell(int col, long row);
    bool RenameColumn(int col, const std::string& text);
    bool RenameRow(long row, const std::string& text);
    bool RenameSheet(int n, const std::string& text);

    // Fonts.
    long RegisterFont(const std::string& face, int height, int weight);
    bool SetCellFont(int col, long row, int font);

    // Cells.
    short GetCellFormat(int col, long row);
    bool SetCellFormat(int col, long row, short value);
    long GetCellBackgroundColor(int col, long row);
    bool SetCellBackgroundColor(int col, long row, long colour);
    long GetCellTextColor(int col, long row);
    bool SetCellTextColor(int col, long row, long colour);
    short GetCellAlignment(int col, long row);
    bool SetCellAlignment(int col, long row, short flags);
    short GetCellPrecision(int col, long row);
    bool SetCellPrecision(int col, long row, short decimals);
    bool GetCellExponentialFormat(int col, long row);
    bool SetCellExponentialFormat(int col, long row, bool flag);
    bool GetCellReadOnly(int col, long row);
    bool SetCellReadOnly(int col, long row, bool flag);
    short GetCellBorder(int col, long row);
    bool SetCellBorder(int col, long row, short sides);
    bool SetCellBorderColor(int col, long row, long colour);

    // Columns.
    bool SetColumnFont(int col, int font);
    short GetColumnFormat(int col);
    bool SetColumnFormat(int col, short value);
    long GetColumnBackgroundColor(int col);
    bool SetColumnBackgroundColor(int col, long colour);
    long GetColumnTextColor(int col);
    bool SetColumnTextColor(int col, long colour);
    short GetColumnAlignment(int col);
    bool SetColumnAlignment(int col, short flags);
    short GetColumnPrecision(int col);
    bool SetColumnPrecision(int col, short decimals);
    bool GetColumnExponentialFormat(int col);
    bool SetColumnExponentialFormat(int col, bool flag);
    bool GetColumnReadOnly(int col);
    bool SetColumnReadOnly(int col, bool flag);
    short GetColumnBorder(int col);
    bool SetColumnBorder(int col, short sides);
    bool SetColumnBorderColor(int col, long colour);

    // Headings.
    bool SetHeadingFont(int font);
    short GetHeadingFormat();
    bool SetHeadingFormat(short value);
    long GetHeadingBackgroundColor();
    bool SetHeadingBackgroundColor(long colour);
    long GetHeadingTextColor();
    bool SetHeadingTextColor(long colour);
    short GetHeadingAlignment();
    bool SetHeadingAlignment(short flags);

    // The current sheet.
    bool SetSheetPrecision(short decimals);
    bool SetSheetFont(int font);
    bool SetSheetFormat(short value);
    bool SetSheetBackgroundColor(long colour);
    bool SetSheetTextColor(long colour);
    bool SetSheetAlignment(short flags);
    bool SetSheetExponentialFormat(bool flag);
    bool SetSheetReadOnly(bool flag);
    bool SetSheetBorder(short sides);
    bool SetSheetBorderColor(long colour);
    bool SetSheetBorderSizeAndColor(short sides, long colour);

    // Sizes.
    bool SetTopHeadingHeight(int size);
    bool SetSideHeadingWidth(int size);
    long GetTopHeadingHeight();
    long GetSideHeadingWidth();
    bool SetRowHeight(long row, int height);
    bool SetColumnWidth(int col, int width);
    bool SetUniformRowHeight(int flag);
    bool AutosizeColumn(int first, int last, int margin, int flag);

    // Clipboard.
    bool CopyCell(int col, long row, bool cut);
    bool CopyRange(int col1, long row1, int col2, long row2, bool cut);
    bool CopySelection(bool cut);
    bool CopyColumn(int col, bool cut);
    bool CopyRow(long row, bool cut);
    bool CopySheet(int sheet, bool cut);
    bool Paste(int col, long row);
    bool PasteSelection();

    // Data.
    double GetCellValue(int col, long row);
    bool SetCellValue(int col, long row, double value);
    // Copies the text into buffer (size bytes with its terminator), cut on a character.
    bool GetCellText(int col, long row, char* buffer, std::size_t size = kTextBufferSize);
    bool SetCellText(int col, long row, const std::string& text);
    bool PutArrayInColumn(int col, long firstRow, const double* values, long count);
    bool PutArrayInRow(long row, int firstCol, const double* values, long count);
    bool GetArrayFromColumn(int col, long firstRow, double* values, long count);
    bool GetArrayFromRow(long row, int firstCol, double* values, long count);

    // Files: sheet is 0-based here. On a failed write, error (when given) receives its errno
    // (0 when the sheet was refused or the failure had none).
    bool SaveSheet(int sheet, const std::string& path, int* error = nullptr);
    bool OpenSheetIntoNew(const std::string& path, const char* label);
    bool OpenSpectrumIntoNew(const std::string& path, const char* label);
    // The files Save All Sheets writes for a chosen path (saveAllNames): written, read back
    // into the sheets they came from, or read into new sheets labelled as Open CSV File does.
    // FALSE when any of them failed (the others are still done).
    bool SaveAllSheets(const std::string& path);
    bool OpenAllSheets(const std::string& path);
    bool OpenAllSheetsIntoNew(const std::string& path);
    // Reads a CSV file into an existing sheet, which takes the file's size; the file is
    // checked whole before the sheet changes.
    bool OpenSheet(int sheet, const std::string& path);

    // The id of the sheet the current tab names; -1 without tabs.
    int currentTabSheet() const;
    // The file names Save All writes for a chosen path: one per sheet that has a tab.
    std::vector<std::pair<int, std::string>> saveAllNames(const std::string& chosen) const;

    // Pen for a border colour (kept for the view's life).
    gridctrl::model::GridPen* borderPen(COLORREF colour);

private:
    template <typename Result, typename Body> Result guarded(int line, Result failure, Body body);
    template <typename Setter> bool cellSet(int col, long row, Setter setter);
    template <typename Getter> auto cellGet(int col, long row, Getter getter);
    template <typename Setter> bool columnSet(int col, Setter setter);
    template <typename Setter> bool sheetSet(Setter setter, bool withHeadings = false);
    template <typename Setter> bool headingSet(Setter setter);
    template <typename Getter> auto headingGet(Getter getter);
    bool setUpSheet(int columns, long rows);
    // A CSV sheet file's lines, or nothing when it cannot be read, is empty or too wide.
    std::optional<std::vector<app::windows::CsvLine>> readSheetFile(const std::string& path) const;
    // Stores the lines in the current sheet's headings and cells (sized to them already); the
    // cells of a short line's missing fields are emptied when clearMissing is set.
    void fillSheet(const std::vector<app::windows::CsvLine>& lines, bool clearMissing);
    // Whether (col, row), 0-based, is a data cell of the current sheet.
    bool inSheet(int col, long row) const;
    bool copyBlock(int col1, long row1, int col2, long row2, bool cut);
    void runEdit(int line, int menuVerify, const std::function<bool()>& body);
    // The in-place editor while a cell is being edited, else null.
    gridctrl::model::CGridEditBase* openEditor() const;
    void runOpenCommand(bool spectrum);
    void runSaveCommand(bool all);

    GridViewHost& m_host;
    gridctrl::model::CGridCellInfo m_scratch;
    std::unique_ptr<gridctrl::model::CHarluneGridCtrl> m_grid;
    std::map<COLORREF, std::unique_ptr<gridctrl::model::GridPen>> m_pens;
    std::function<void()> m_faultHook;
};

// The text cut to at most limit bytes without splitting a UTF-8 character.
std::string cutUtf8(std::string_view text, std::size_t limit);
