#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/HarluneGridCtrl.h"

#include <optional>
#include <string>
#include <vector>

namespace gridctrl::model::test {

// Windows of a fixed client size that record what the control asks of them.
class FakeWindows : public GridWindows
{
public:
    int clientWidth() const override { return m_width; }
    int clientHeight() const override { return m_height; }
    void placeChildren(const GridLayoutRects& rects) override { m_rects = rects; }
    void redrawAll() override { ++m_redraws; }
    void setFocus(int section) override { m_focus.push_back(section); }

    int m_width = 0;
    int m_height = 0;
    int m_redraws = 0;
    GridLayoutRects m_rects;
    std::vector<int> m_focus;
};

// An editor that keeps its text and whether it is shown.
class FakeEditor : public CGridEditBase
{
public:
    void setEditText(std::string_view text) override { m_text = text; }
    std::string editText() const override { return m_text; }
    void setEditMask(std::string_view mask) override { m_mask = mask; }
    void showEditor(int section, const GridRect& rect) override
    {
        m_visible = true;
        m_section = section;
        m_rect = rect;
    }
    void hideEditor() override { m_visible = false; }
    bool isEditorVisible() const override { return m_visible; }
    void typeChar(unsigned key) override { m_typed.push_back(key); }

    std::string m_text;
    std::string m_mask;
    bool m_visible = false;
    int m_section = 0;
    GridRect m_rect;
    std::vector<unsigned> m_typed;
};

class FakeClipboard : public GridClipboard
{
public:
    bool setText(const std::string& text) override
    {
        m_text = text;
        return true;
    }
    std::optional<std::string> text() const override { return m_text; }

    std::optional<std::string> m_text;
};

class FakeFindDialog : public GridFindDialogPart
{
public:
    bool open(bool withReplace) override
    {
        m_opened.push_back(withReplace);
        return true;
    }
    void focus() override { ++m_focused; }

    std::vector<bool> m_opened;
    int m_focused = 0;
};

class FakeMenu : public GridPopupMenu
{
public:
    std::optional<unsigned> track(const std::vector<GridMenuItem>& items, GridPoint) override
    {
        m_shown = items;
        return m_answer;
    }

    std::optional<unsigned> m_answer = 0u;
    std::vector<GridMenuItem> m_shown;
};

// A memory source that records the notifications and may refuse them.
class RecordingSource : public CGridMemDataSource
{
public:
    int OnRowsExhausted(int first, int missing, int& supplied) override
    {
        m_log.push_back("src.exhausted " + std::to_string(first) + " " + std::to_string(missing));
        supplied = m_supply;
        return 0;
    }
    void OnRowChange(int oldRow, int newRow) override
    {
        m_log.push_back("src.row " + std::to_string(oldRow) + ">" + std::to_string(newRow));
    }
    void OnColChange(int oldCol, int newCol) override
    {
        m_log.push_back("src.col " + std::to_string(oldCol) + ">" + std::to_string(newCol));
    }
    int OnCanMove(int, int, int, int) override { return m_allowMove; }
    int OnEditStart(int, int, CGridEditBase*&) override { return m_allowEditStart; }
    int OnEditEnd(int, int, CGridEditBase*, std::string_view, int) override
    {
        return m_allowEditEnd;
    }

    std::vector<std::string> m_log;
    int m_supply = 0;
    int m_allowMove = 1;
    int m_allowEditStart = 1;
    int m_allowEditEnd = 1;
};

// A control whose hooks record their calls and answer from switches.
template <class Base> class RecordingControlT : public Base
{
public:
    void OnColChange(int o, int n) override
    {
        log("col " + std::to_string(o) + ">" + std::to_string(n));
    }
    void OnRowChange(long o, long n) override
    {
        log("row " + std::to_string(o) + ">" + std::to_string(n));
    }
    void OnCellChange(int, int, long, long) override { log("cell"); }
    void OnLeftColChange(int o, int n) override
    {
        log("left " + std::to_string(o) + ">" + std::to_string(n));
    }
    void OnTopRowChange(long o, long n) override
    {
        log("top " + std::to_string(o) + ">" + std::to_string(n));
    }
    void OnRowsExhausted(long rows, long past, long added) override
    {
        log("exhausted " + std::to_string(rows) + " " + std::to_string(past) + " " +
            std::to_string(added));
    }
    int OnCanMove(int, long, int, long) override { return m_allowMove; }
    int OnCanViewMove(int, long, int, long) override { return m_allowView; }
    int OnEditStart(int col, long row, CGridEditBase** editor) override
    {
        log("editstart");
        return m_allowEditStart ? Base::OnEditStart(col, row, editor) : 0;
    }
    int OnEditEnd(int, long, CGridEditBase*, std::string_view, int cancelled) override
    {
        log(cancelled ? "editend cancelled" : "editend");
        return m_allowEditEnd;
    }
    int OnEditNext(int, long, int*, long*) override { return m_allowEditNext; }
    void OnMenuCommand(int col, long row, int section, unsigned id) override
    {
        log("menu " + std::to_string(col) + "," + std::to_string(row) + " s" +
            std::to_string(section) + " id" + std::to_string(id));
    }
    int OnMenuStart(int, long, int) override { return m_allowMenu; }
    void OnTabSelected(long id) override
    {
        log("tab " + std::to_string(id));
        Base::OnTabSelected(id);
    }
    int OnSortEvaluate(const CGridCellInfo* a, const CGridCellInfo* b, int flags) override
    {
        ++m_sortCalls;
        return Base::OnSortEvaluate(a, b, flags);
    }
    void OnSheetSetup(int index) override { log("sheetsetup " + std::to_string(index)); }

    void log(const std::string& entry) { m_log.push_back(entry); }

    std::vector<std::string> m_log;
    int m_allowMove = 1;
    int m_allowView = 1;
    int m_allowEditStart = 1;
    int m_allowEditEnd = 1;
    int m_allowEditNext = 1;
    int m_allowMenu = 1;
    int m_sortCalls = 0;
};

using RecordingControl = RecordingControlT<CGridControl>;
using RecordingHarluneControl = RecordingControlT<CHarluneGridCtrl>;

} // namespace gridctrl::model::test
