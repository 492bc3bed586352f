#pragma once

#include "gridctrl/model/GridColor.h"
#include "gridctrl/model/GridSheetState.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gridctrl::model {

// The parts of the grid a hook or a child window names.
enum GridSection : int
{
    kSectionCellArea = 1,
    kSectionTopHeading = 2,
    kSectionSideHeading = 3,
    kSectionCorner = 4,
    kSectionHScrollBar = 5,
    kSectionVScrollBar = 6,
    kSectionTabBar = 7,
};

// A point in client pixels.
struct GridPoint
{
    int x = 0;
    int y = 0;
};

// The seven child-window rectangles of the layout, in the order the hook receives them.
struct GridLayoutRects
{
    GridRect cellArea;
    GridRect topHeading;
    GridRect sideHeading;
    GridRect corner;
    GridRect vScrollBar;
    GridRect hScrollBar;
    GridRect tabBar;
};

// The control's windows as the core sees them. The defaults do nothing, which is what the
// core needs without a display. GUI thread only.
class GridWindows
{
public:
    virtual ~GridWindows() = default;

    // The control's client size in pixels.
    virtual int clientWidth() const { return 0; }
    virtual int clientHeight() const { return 0; }
    // Moves the child windows to the layout's rectangles.
    virtual void placeChildren(const GridLayoutRects&) {}
    // Repaints what changed in one section (scroll bars read the sheet again).
    virtual void update(int) {}
    // The view of a section scrolled: it may move its painted pixels.
    virtual void moved(int) {}
    virtual void redrawAll() {}
    // Repaints one cell of a section, or a block of the cell area.
    virtual void redrawCell(int, int, int) {}
    virtual void redrawRange(int, int, int, int) {}
    virtual void setFocus(int) {}
    virtual bool hasFocus(int) const { return false; }
    // Text width in pixels of `text` in a font (null: the sheet's default font).
    virtual int textWidth(std::string_view text, GridObject*) const
    {
        return static_cast<int>(text.size()) * 7;
    }
};

// The in-place editors (the multi-line edit and the masked edit). GUI thread only.
class CGridEditBase
{
public:
    virtual ~CGridEditBase() = default;

    virtual void setEditText(std::string_view text) = 0;
    virtual std::string editText() const = 0;
    virtual void setEditFont(GridObject*) {}
    virtual void setEditMask(std::string_view) {}
    virtual void setEditReadOnly(bool) {}
    // Shows the editor over `rect` of a section, on top, active and focused.
    virtual void showEditor(int section, const GridRect& rect) = 0;
    virtual void hideEditor() = 0;
    virtual bool isEditorVisible() const = 0;
    virtual bool hasEditFocus() const { return isEditorVisible(); }
    // A typed character that starts the edit.
    virtual void typeChar(unsigned) {}
    // The Edit commands on the editor's own text: cut or copy its selected text to the
    // clipboard; paste the clipboard's text at the caret.
    virtual void cutText() {}
    virtual void copyText() {}
    virtual void pasteText() {}
};

// The sheet tab bar: tabs named by an id, addressed by their position from the left.
class GridTabBarPart
{
public:
    virtual ~GridTabBarPart() = default;

    // 0 on success, 1 when the bar is full.
    virtual int AddTab(std::string_view label, long id) = 0;
    virtual int InsertTab(int position, std::string_view label, long id) = 0;
    // 1 when no tab has the id.
    virtual int DeleteTab(long id) = 0;
    // The position of the tab with the id, -1 when there is none.
    virtual int findTab(long id) const = 0;
    virtual int GetTabCount() const = 0;
    virtual int SetTabLabel(int position, std::string_view label) = 0;
    // The label, empty for a position that holds no tab.
    virtual std::string GetTabLabel(int position) const = 0;
    // 1 when no tab has the id.
    virtual int SetCurrentTab(long id) = 0;
    // The current tab's position, -1 when there is none.
    virtual long GetCurrentTab() const = 0;
    virtual int SetTabBackColor(long id, COLORREF colour) = 0;
    virtual int SetTabTextColor(long id, COLORREF colour) = 0;
};

// One item of the pop-up menu; a separator has no text.
struct GridMenuItem
{
    unsigned id = 0;
    std::string text;
    bool separator = false;
};

// The pop-up menu: a list of items and the tracking that the widget layer does.
class GridPopupMenu
{
public:
    virtual ~GridPopupMenu() = default;
    // Tracks `items` at a point of the screen; the chosen id (0: closed without a choice), or
    // nothing when tracking failed.
    virtual std::optional<unsigned> track(const std::vector<GridMenuItem>& items,
                                          GridPoint point) = 0;
};

// The text clipboard.
class GridClipboard
{
public:
    virtual ~GridClipboard() = default;
    virtual bool setText(const std::string& text) = 0;
    // The clipboard's text; nothing when it holds none.
    virtual std::optional<std::string> text() const = 0;
};

// What the modeless find and replace dialog reports to the control.
struct GridFindRequest
{
    std::string findText;
    std::string replaceText;
    bool matchCase = false;
    bool wholeCell = false; // "Match &entire cell text"
    bool searchDown = true;
    bool findNext = false;
    bool replaceCurrent = false;
    bool replaceAll = false;
    bool closing = false;
};

// Opens the modeless find (or find and replace) dialog, whose reports reach
// CGridControl::OnFindReplace.
class GridFindDialogPart
{
public:
    virtual ~GridFindDialogPart() = default;
    // False when the dialog could not be made.
    virtual bool open(bool withReplace) = 0;
    virtual void focus() = 0;
};

// The drop target of the cell area and the start of a drag of the selection's text.
class GridDragDropPart
{
public:
    virtual ~GridDragDropPart() = default;
    virtual void enableDropTarget(bool on) = 0;
    // Offers `text` with copy as the only action; returns when the drag ends.
    virtual void startDrag(const std::string& text) = 0;
};

} // namespace gridctrl::model
