#pragma once

#include "gridctrl/model/GridBitmap.h"
#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridCellType.h"
#include "gridctrl/model/GridControlParts.h"
#include "gridctrl/model/GridDataSource.h"
#include "gridctrl/model/GridFont.h"
#include "gridctrl/model/GridObjectTable.h"
#include "gridctrl/model/GridPrinter.h"
#include "gridctrl/model/GridSelectList.h"
#include "gridctrl/model/GridSheetState.h"
#include "gridctrl/model/GridTabList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gridctrl::model {

// The spreadsheet control without its windows: sheets, cell access through data sources,
// rows, columns, headings, fonts, bitmaps, the pop-up menu, layout, the current cell and its
// notifications, selection, the edit flow, the clipboard, find and sort. It reaches its
// windows, editors, tab bar, menu, clipboard, find dialog and drop target through the small
// interfaces of GridControlParts.h, which the widget layer implements and tests fake.
// Operations answer 0 for success and a small positive code for failure; nothing throws.
// The virtual On... operations are the hooks a derived class overrides. GUI thread only.
class CGridControl : public GridDataSourceHost
{
public:
    static constexpr int kMaxSheets = 1024;
    static constexpr int kMaxCols = 32000;
    static constexpr int kUniformRowsAbove = 64000;
    static constexpr unsigned kFirstMenuCommand = 1000;

    CGridControl();
    ~CGridControl() override;
    CGridControl(const CGridControl&) = delete;
    CGridControl& operator=(const CGridControl&) = delete;

    // Parts. The control does not own them; a null part falls back to a built-in stand-in
    // that does nothing (the tab bar to a plain tab list).
    void setWindows(GridWindows* windows);
    GridWindows& windows() const { return *m_windows; }
    void setTabBar(GridTabBarPart* tabBar);
    GridTabBarPart& tabBar() const { return *m_tabBar; }
    void setEditors(CGridEditBase* inPlaceEdit, CGridEditBase* maskedEdit);
    void setPopupMenu(GridPopupMenu* menu) { m_menu = menu; }
    void setClipboard(GridClipboard* clipboard) { m_clipboard = clipboard; }
    void setFindDialog(GridFindDialogPart* dialog) { m_findDialog = dialog; }
    void setDragDrop(GridDragDropPart* dragDrop) { m_dragDrop = dragDrop; }
    // Shows help for a context OnHelp answered to a help request (the program's help).
    void setHelpHandler(std::function<void(int)> handler) { m_helpHandler = std::move(handler); }
    // Help at a cell of a section, a request (F1, `request` 1) or a help hit test (0):
    // OnHelp decides the context, which goes to the help handler.
    int helpRequest(int col, long row, int section, int request = 1);

    // Creation: the hooks OnSetup and OnSheetSetup (0), then the layout.
    int CreateGrid();

    // GridDataSourceHost.
    CGridSheetState* currentSheet() override { return m_sheet; }
    int onSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second, int flags) override;

    // Cell access.
    int GetCell(int col, long row, CGridCellInfo* cell);
    int GetDisplayCell(int col, long row, CGridCellInfo* cell);
    int SetCell(int col, long row, CGridCellInfo* cell);
    int SetColumnDefaultCell(int col, const CGridCellInfo* cell);
    int GetColumnDefaultCell(int col, CGridCellInfo* cell) const;
    int SetSheetDefaultCell(const CGridCellInfo* cell);
    int GetSheetDefaultCell(CGridCellInfo* cell) const;
    int SetHeadingDefault(const CGridCellInfo* cell);
    int GetHeadingDefault(CGridCellInfo* cell) const;
    int JoinCellBlock(int startCol, long startRow, int endCol, long endRow);
    int SplitCellBlock(int col, long row);
    int CopyCell(int destCol, long destRow, int srcCol, long srcRow);
    std::string QuickGetText(int col, long row);
    int QuickSetText(int col, long row, std::string_view text);
    int QuickSetNumber(int col, long row, double number);
    int QuickSetLabel(int col, long row, std::string_view label);
    int QuickSetTextColor(int col, long row, COLORREF colour);
    int QuickSetHTextColor(int col, long row, COLORREF colour);
    int QuickSetBackColor(int col, long row, COLORREF colour);
    int QuickSetHBackColor(int col, long row, COLORREF colour);
    int QuickSetBitmap(int col, long row, GridObject* bitmap);
    int QuickSetBitmapIndex(int col, long row, int index);
    int QuickSetFont(int col, long row, GridObject* font);
    int QuickSetFontIndex(int col, long row, int index);
    int QuickSetAlignment(int col, long row, unsigned short alignment);
    int QuickSetBorder(int col, long row, unsigned short border);
    int QuickSetBorderColor(int col, long row, GridPen* pen);
    int QuickSetCellType(int col, long row, int index);
    int QuickSetCellTypeEx(int col, long row, int param);
    int QuickSetRange(int startCol, long startRow, int endCol, long endRow,
                      const CGridCellInfo* cell);

    // Data sources.
    int AddDataSource(CGridDataSource* source);
    CGridDataSource* GetDataSource(int index) const;
    int RemoveDataSource(int index);
    int SetDefDataSource(int index);
    int GetDefDataSource() const;
    int SetColDataSource(int col, int index);
    int SetColDataSource(int col, CGridDataSource* source);
    int SetGridUsingDataSource(int index);

    // Sheets and tabs.
    int SetNumberSheets(int count);
    int GetNumberSheets() const { return static_cast<int>(m_sheets.size()); }
    int GetCurrentSheet() const { return m_currentSheet; }
    int SelectSheet(int index, int redraw = 1);
    CGridSheetState* sheet(int index) const;
    int AddTab(std::string_view label, long id);
    int InsertTab(int position, std::string_view label, long id);
    int DeleteTab(long id);
    // Tab labels are named by the tab's id.
    int SetTabLabel(long id, std::string_view label);
    std::string GetTabLabel(long id) const;
    int SetTabWidth(int width);
    int SetCurrentTab(long id);
    long GetCurrentTab() const;
    int SetTabBackColor(long id, COLORREF colour);
    int SetTabTextColor(long id, COLORREF colour);

    // Rows and columns.
    int SetNumberRows(long rows, int redraw = 1);
    long GetNumberRows() const { return m_sheet->m_numRows; }
    int SetNumberCols(int cols, int redraw = 1);
    int GetNumberCols() const { return m_sheet->m_numCols; }
    int SetColWidth(int col, int width);
    int GetColWidth(int col, int* width) const;
    int GetColWidth(int col) const;
    int SetDefaultColWidth(int width);
    int SetRowHeight(long row, int height);
    int GetRowHeight(long row, int* height) const;
    int GetRowHeight(long row) const;
    int SetDefaultRowHeight(int height);
    int SetUniformRowHeight(int flag);
    int InsertRow(long row);
    int AppendRow();
    int DeleteRow(long row);
    int InsertCol(int col);
    int AppendCol();
    int DeleteCol(int col);
    int AutoFitColumns(int startCol, int endCol, int rowsToCheck, int flags);
    int FitColumnsToWidth(int startCol, int endCol);
    int MoveColPosition(int fromCol, int toCol, int before);
    int SetLockedRows(int count);
    int SetLockedCols(int count);

    // Headings.
    int SetTopHeadingHeight(int height);
    int GetTopHeadingHeight() const { return m_sheet->m_topHeadingHeight; }
    int SetSideHeadingWidth(int width);
    int GetSideHeadingWidth() const { return m_sheet->m_sideHeadingWidth; }
    int SetTopHeadingRows(int count);
    int SetSideHeadingCols(int count);
    int SetTopHeadingRowHeight(int row, int height);
    int SetSideHeadingColWidth(int col, int width);
    int SetVScrollBarWidth(int width);
    int SetHScrollBarHeight(int height);

    // Fonts and bitmaps.
    int AddFont(std::string_view faceName, int height, int weight);
    int AddFontEx(GridFontSpec spec);
    int RemoveFont(int index);
    GridObject* GetFont(int index) const;
    int fontUseCount(int index) const { return m_fonts.GetCount(index); }
    int SetDefaultFont(int index);
    // Reads a BMP file; its index, or -1 when it cannot be read or decoded.
    int AddBitmap(const std::string& path);
    // Where bitmap resources come from: the bitmap of a resource id (or, when a name is given,
    // of that resource name), or nothing. Process-wide; the widget layer installs the
    // program's resources, tests their own. An empty function: no resources.
    using BitmapResources =
        std::function<std::optional<GridBitmap>(unsigned resourceId, std::string_view name)>;
    static void setBitmapResources(BitmapResources resources);
    static bool hasBitmapResources();
    // Loads a bitmap resource by id, or by name when one is given; its index, or -1 when
    // there is no such resource.
    int AddBitmap(unsigned resourceId, std::string_view resourceName = {});
    int addBitmapBytes(std::span<const std::uint8_t> bytes);
    int RemoveBitmap(int index);
    int RemoveAllBitmaps();
    GridObject* GetBitmap(int index) const;
    // True while `bitmap` is one of the control's registered bitmaps (a cell may still name one
    // that was removed).
    bool isBitmapRegistered(const GridObject* bitmap) const
    {
        return bitmap && m_bitmaps.Find(bitmap) >= 0;
    }

    // Cell types.
    int AddCellType(CGridCellType* type);
    int RemoveCellType(int index);
    CGridCellType* GetCellType(int index) const;
    int SetCellTypeOption(int index, long value);

    // Pop-up menu.
    int ClearMenu();
    int AppendMenuItem(unsigned id, std::string_view text);
    int RemoveMenuItem(unsigned id);
    const std::vector<GridMenuItem>& menuItems() const { return m_menuItems; }
    int EnablePopupMenu(int flag);
    int ShowPopupMenu(int col, long row, GridPoint point, int section);
    // A menu command chosen in the control's windows.
    void onCommand(unsigned id);

    // Display and switches.
    int RedrawAll();
    int RedrawCell(int col, long row);
    int RedrawRange(int startCol, long startRow, int endCol, long endRow);
    void SetPaintEnabled(int flag) { m_paintEnabled = flag; }
    int isPaintEnabled() const { return m_paintEnabled; }
    int EnableJoins(int flag);
    int EnableTextOverflow(int flag);
    int EnableColSwapping(int flag);
    int SetCurrentCellMode(int mode);
    int Set3DHeight(int pixels);
    int SetTextMargin(int pixels);
    int SetBallisticMode(int mode);
    int SetBallisticDelay(int delayMs);
    int SetBallisticKeyMode(int mode);
    int SetBallisticKeyDelay(int delayMs);
    int EnableCellTips(int flag);
    int EnableVScrollTips(int flag);
    int EnableHScrollTips(int flag);
    int SetVScrollMode(int mode);
    int SetHScrollMode(int mode);
    int SetCompanionWindow(GridRect* window);
    // Screen rectangle the companion window may use (the desktop's).
    void setScreenRect(const GridRect& screen) { m_screen = screen; }
    void setCompanionPlacementMode(int mode) { m_companionMode = mode; }
    int PlaceCompanionWindow();
    // Computes the seven rectangles for a client size and moves the windows.
    void AdjustComponentSizes();
    GridLayoutRects computeLayout(int clientWidth, int clientHeight);
    void OnSysColorChange();

    // Printing (forwarded to the control's printer).
    int PrintInit(const GridPrintDevice& device, int startCol, long startRow, int endCol,
                  long endRow);
    int PrintPage(GridPrintTarget& target, int page);
    int PrintSetOption(int option, long value);
    int PrintGetOption(int option, long* value) const;
    CGridPrinter& printer() { return *m_printer; }

    // Current cell and view.
    int GotoCell(int col, long row);
    int GotoCol(int col);
    int GotoRow(long row);
    int MoveCurrentCol(int action);
    int MoveCurrentRow(int action);
    int MoveCurrentColBy(int offset);
    int MoveCurrentRowBy(long offset);
    int SetLeftCol(int col);
    int SetTopRow(long row);
    int MoveLeftCol(int action);
    int MoveTopRow(int action);
    int MoveLeftColBy(int offset);
    int MoveTopRowBy(long offset);
    int GetCurrentCol() const { return m_sheet->m_currentCol; }
    long GetCurrentRow() const { return m_sheet->m_currentRow; }
    int GetLeftCol() const { return m_sheet->m_leftCol; }
    long GetTopRow() const { return m_sheet->m_topRow; }
    int GetRightCol() const { return m_sheet->m_rightCol; }
    long GetBottomRow() const { return m_sheet->m_bottomRow; }
    int ResetCurrentCell();
    int GetCellFromPoint(int x, int y, int* col, long* row, GridRect* rect = nullptr);
    // Painting ran out of rows with room left: the data source and OnRowsExhausted may add
    // some. Returns the number of rows added.
    long askForMoreRows();
    int GetCellRect(int col, long row, GridRect* rect);
    int GetRangeRect(int startCol, long startRow, int endCol, long endRow, GridRect* rect);
    int GetJoinStartCell(int* col, long* row);
    int GetJoinRange(int* col, long* row, int* endCol, long* endRow);

    // Selection.
    int SetMultiSelectMode(int mode);
    int SetRangeSelection(int flag, int value);
    int SelectRange(int startCol, long startRow, int endCol, long endRow);
    int SelectCell(int col, long row);
    int ClearSelection();
    int EnumFirstSelected(int* col, long* row);
    int EnumNextSelected(int* col, long* row);
    int EnumFirstBlock(int* startCol, long* startRow, int* endCol, long* endRow);
    int EnumNextBlock(int* startCol, long* startRow, int* endCol, long* endRow);
    int IsSelected(int col, long row, int* block = nullptr);

    // Editing.
    int StartEdit(int key = 0);
    int StartEditAt(int col, long row, int key = 0);
    // 1 when editing is still on afterwards.
    int EndEdit(std::string_view text, int cancelled, int moveOn, int nextCol, long nextRow);
    int CancelEdit();
    bool isEditing() const { return m_editing; }
    int editCol() const { return m_editCol; }
    long editRow() const { return m_editRow; }
    // Offers a typed character of the editor to the data source and the OnEditKey hook; false
    // when either drops it.
    bool offerEditKey(unsigned* key);
    CGridEditBase* editorInUse() const { return m_editorInUse; }
    int SetEditWindow(CGridEditBase* editor);
    CGridEditBase* GetEditWindow() const;
    int SetMaskedEditWindow(CGridEditBase* editor);
    CGridEditBase* GetMaskedEditWindow() const;
    // Replaces the current sheet's selection list; the control owns the new one (1 for null).
    int SetNewSelectList(std::unique_ptr<CGridSelectList> list);

    // The current sheet's mouse pointers: over cells, over a column's sizing edge and over a
    // row's sizing edge. 1 for a null cursor.
    int SetArrowCursor(const GridCursor* cursor);
    int SetColSizeCursor(const GridCursor* cursor);
    int SetRowSizeCursor(const GridCursor* cursor);

    // Clipboard and drag.
    int CopySelected(int cut);
    int Copy() { return CopySelected(0); }
    int Cut() { return CopySelected(1); }
    int Paste();
    int PasteText(std::string_view text);
    // The selection's text as copying writes it.
    std::string selectionText();
    int EnableDragDrop(int flag);
    int StartDragDrop();
    // The drop target's events at a point of the cell area: the hooks decide; an accepted drop
    // of text makes the cell under the point current and pastes there. Drag over scrolls by
    // one column or row within 10 pixels of an edge.
    int dropTargetEnter(const std::string& text);
    int dropTargetOver(const std::string& text, int x, int y);
    int dropTargetDrop(const std::string& text, int x, int y);
    void dropTargetScroll(int x, int y);

    // Find and sort.
    int FindDialog();
    int ReplaceDialog();
    int SetFindOption(int flag);
    int FindFirst(std::string_view text, int* col, long* row, long flags);
    int FindNext(std::string_view text, int* col, long* row, long flags);
    // A report of the find dialog.
    void OnFindReplace(const GridFindRequest& request);
    bool isFindDialogOpen() const { return m_findOpen; }
    int SortBy(int col, int flags = 0);
    int SortBy(const int* cols, int count, int flags = 0);

    // Hooks, in slot order.
    virtual void OnSetFocus(int) {}
    virtual void OnSetup() {}
    virtual void OnSheetSetup(int) {}
    virtual int OnCanMove(int, long, int, long) { return 1; }
    virtual int OnCanViewMove(int, long, int, long) { return 1; }
    virtual void OnRowsExhausted(long, long, long) {}
    virtual void OnReserved1(long, long) {}
    virtual int OnCanSizeCol(int) { return 1; }
    virtual void OnColSizing(int, int*) {}
    virtual void OnColSized(int, int*) {}
    virtual int OnCanSizeRow(long) { return 1; }
    virtual void OnRowSizing(long, int*) {}
    virtual void OnRowSized(long, int*) {}
    virtual int OnCanSizeTopHeading() { return 1; }
    virtual int OnCanSizeSideHeading() { return 1; }
    virtual int OnTopHeadingSizing(int*) { return 1; }
    virtual int OnSideHeadingSizing(int*) { return 1; }
    virtual int OnTopHeadingSized(int*) { return 1; }
    virtual int OnSideHeadingSized(int*) { return 1; }
    virtual void OnColChange(int, int) {}
    virtual void OnRowChange(long, long) {}
    virtual void OnCellChange(int, int, long, long) {}
    virtual void OnLeftColChange(int, int) {}
    virtual void OnTopRowChange(long, long) {}
    virtual void OnLClicked(int, long, int, const GridRect*, const GridPoint*, int) {}
    virtual void OnRClicked(int, long, int, const GridRect*, const GridPoint*, int) {}
    virtual void OnDClicked(int, long, const GridRect*, const GridPoint*, int) {}
    virtual void OnMouseMove(int, long, const GridPoint*, unsigned, int) {}
    virtual void OnTopHeadingClicked(int, long, int, const GridRect*, const GridPoint*, int) {}
    virtual void OnTopHeadingRClicked(int, long, int, const GridRect*, const GridPoint*, int) {}
    virtual void OnTopHeadingDClicked(int, long, const GridRect*, const GridPoint*, int) {}
    virtual void OnSideHeadingClicked(int, long, int, const GridRect*, const GridPoint*, int) {}
    virtual void OnSideHeadingRClicked(int, long, int, const GridRect*, const GridPoint*, int) {}
    virtual void OnSideHeadingDClicked(int, long, const GridRect*, const GridPoint*, int) {}
    virtual void OnCornerClicked(int, const GridRect*, const GridPoint*, int) {}
    virtual void OnCornerRClicked(int, const GridRect*, const GridPoint*, int) {}
    virtual void OnCornerDClicked(const GridRect*, const GridPoint*, int) {}
    virtual void OnKeyDown(unsigned*, int) {}
    virtual void OnKeyUp(unsigned*, int) {}
    virtual void OnCharDown(unsigned*, int) {}
    virtual void OnGetCell(int, long, CGridCellInfo*) {}
    virtual void OnSetCell(int, long, CGridCellInfo*) {}
    virtual void OnReserved2(long, long, long) {}
    virtual int OnCellTypeMessage(int, int, long, long, long) { return 1; }
    virtual int OnEditStart(int, long, CGridEditBase**) { return 1; }
    virtual int OnEditKey(int, long, CGridEditBase*, unsigned*) { return 1; }
    virtual int OnEditEnd(int, long, CGridEditBase*, std::string_view, int) { return 1; }
    virtual int OnEditNext(int, long, int*, long*) { return 1; }
    virtual int OnReserved3(long, long, long, long) { return 1; }
    virtual int OnReserved4(long, long, long, long) { return 1; }
    virtual void OnMenuCommand(int, long, int, unsigned) {}
    virtual int OnMenuStart(int, long, int) { return 1; }
    // Help for a cell of a section: `request` 0 asks the context of a help hit test, 1 a
    // help request (F1); the answer is the help context.
    virtual int OnHelp(int, long, int, int) { return 0; }
    virtual int OnHint(int col, long row, int section, std::string* text);
    virtual int OnVScrollTip(long, std::string*) { return 1; }
    virtual int OnHScrollTip(int, std::string*) { return 1; }
    virtual int OnDragEnter(const std::string*) { return 0; }
    virtual int OnDragOver(const std::string*, int, long) { return 0; }
    virtual int OnDragDrop(const std::string*, int, long) { return 0; }
    virtual int OnSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second, int flags);
    virtual void OnPrepareDC(void*, int, int) {}
    virtual void OnAdjustComponentSizes(GridLayoutRects*) {}
    virtual void OnTabSelected(long) {}
    virtual COLORREF OnGetDefBackColor(int section);
    // Shrinks the focus rectangle the drawing layer then draws; 0 to let it draw as given.
    virtual int OnDrawFocusRect(void*, GridRect*) { return 0; }
    virtual void OnKillFocus(int) {}
    virtual int OnColMoveStart(int) { return 1; }
    virtual int OnCanColMove(int, int) { return 1; }
    virtual void OnColMoved(int, int) {}
    virtual void OnCompanionWindowMove(const GridRect*, const GridRect*) {}

    // Geometry the windows read.
    int rowHeightOf(long row) const;
    int colWidthOf(int col) const;
    // Recomputes the right column, bottom row and the greatest left column and top row.
    void computeView();

private:
    struct SheetEditors
    {
        CGridEditBase* edit = nullptr;
        CGridEditBase* masked = nullptr;
    };

    CGridSheetState& S() const { return *m_sheet; }
    CGridDataSource* sourceFor(int col) const;
    int mappedColumn(int col) const;
    int gridColumnOfData(int dataCol) const;
    bool joinsOn() const { return m_sheet->m_navigationFlags[1] != 0; }
    bool joinRange(int col, long row, int& startCol, long& startRow, int& endCol, long& endRow);
    void attachSheet(CGridSheetState& sheet);
    void makeColumnRecord(GridColumnInfo& info, int index) const;
    void recomputeLockedWidth();
    void recomputeLockedHeight();
    void scaleSizes(std::vector<int>& sizes, int total);
    int adjustRow(long& row);
    int adjustCol(int& col);
    void ensureVisible(int col, long row);
    int moveTo(int col, long row);
    void notify();
    void resetSelectionToCurrent();
    void repaint();
    void writeQuick(int col, long row, void (*apply)(CGridCellInfo&, const void*),
                    const void* value);
    int storeText(int col, long row, std::string_view text);
    int findFrom(const GridFindRequest& request, bool& found);
    int replaceInCurrentCell(const GridFindRequest& request);
    CGridCellType* typeOfCell(const CGridCellInfo& cell) const;

    std::vector<std::unique_ptr<CGridSheetState>> m_sheets;
    int m_currentSheet = 0;
    CGridSheetState* m_sheet = nullptr;
    std::vector<SheetEditors> m_sheetEditors;
    CGridCellInfo m_scratch;
    CGridCellInfo m_editCell;
    CGridObjectTable m_fonts;
    CGridObjectTable m_bitmaps;
    std::vector<CGridCellType*> m_cellTypes;
    std::vector<std::unique_ptr<CGridCellType>> m_builtInTypes;
    std::vector<CGridDataSource*> m_dataSources{nullptr}; // entry 0: the sheet's own source
    std::vector<GridMenuItem> m_menuItems;
    int m_menuCol = 0;
    long m_menuRow = 0;
    int m_menuSection = 0;
    int m_paintEnabled = 1;

    GridWindows m_nullWindows;
    GridTabList m_ownTabs;
    GridWindows* m_windows = &m_nullWindows;
    GridTabBarPart* m_tabBar = &m_ownTabs;
    CGridEditBase* m_defaultEdit = nullptr;
    CGridEditBase* m_defaultMaskedEdit = nullptr;
    GridPopupMenu* m_menu = nullptr;
    GridClipboard* m_clipboard = nullptr;
    GridFindDialogPart* m_findDialog = nullptr;
    GridDragDropPart* m_dragDrop = nullptr;

    bool m_findOpen = false;
    int m_findExtraFlag = 0;

    bool m_editing = false;
    int m_editCol = -1;
    long m_editRow = -1;
    int m_editSection = kSectionCellArea;
    CGridEditBase* m_editorInUse = nullptr;

    GridRect* m_companion = nullptr;
    GridRect m_screen{0, 0, 1920, 1080};
    int m_companionMode = 0;
    int m_rangeSelectionValue = 0;
    int m_rangeSelection = 0;
    bool m_dragDropEnabled = false;
    std::unique_ptr<CGridPrinter> m_printer;
    std::function<void(int)> m_helpHandler;
};

} // namespace gridctrl::model
