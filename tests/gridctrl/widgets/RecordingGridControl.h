#pragma once

#include "gridctrl/model/GridControl.h"

#include <string>
#include <vector>

namespace gridctrl::widgets::test {

// A control whose hooks record their calls: the hook's name, the column, row, the up-or-down
// or section argument. Some answers can be set.
class RecordingGridControl : public model::CGridControl
{
public:
    struct Call
    {
        std::string hook;
        int col = 0;
        long row = 0;
        int arg = 0;
    };

    std::vector<Call> calls;
    int canColMove = 1;
    int menuAnswer = 0; // OnMenuStart: 0 keeps the menu from being tracked
    int helpContext = 0;
    int dragDropAnswer = 0;

    int count(const std::string& hook) const
    {
        int n = 0;
        for (const Call& c : calls) {
            n += c.hook == hook ? 1 : 0;
        }
        return n;
    }
    std::vector<Call> named(const std::string& hook) const
    {
        std::vector<Call> found;
        for (const Call& c : calls) {
            if (c.hook == hook) {
                found.push_back(c);
            }
        }
        return found;
    }

    void OnLClicked(int col, long row, int down, const model::GridRect*, const model::GridPoint*,
                    int) override
    {
        calls.push_back({"OnLClicked", col, row, down});
    }
    void OnRClicked(int col, long row, int down, const model::GridRect*, const model::GridPoint*,
                    int) override
    {
        calls.push_back({"OnRClicked", col, row, down});
    }
    void OnDClicked(int col, long row, const model::GridRect*, const model::GridPoint*,
                    int) override
    {
        calls.push_back({"OnDClicked", col, row, 0});
    }
    void OnTopHeadingClicked(int col, long row, int down, const model::GridRect*,
                             const model::GridPoint*, int) override
    {
        calls.push_back({"OnTopHeadingClicked", col, row, down});
    }
    void OnTopHeadingRClicked(int col, long row, int down, const model::GridRect*,
                              const model::GridPoint*, int) override
    {
        calls.push_back({"OnTopHeadingRClicked", col, row, down});
    }
    void OnTopHeadingDClicked(int col, long row, const model::GridRect*, const model::GridPoint*,
                              int) override
    {
        calls.push_back({"OnTopHeadingDClicked", col, row, 0});
    }
    void OnSideHeadingClicked(int col, long row, int down, const model::GridRect*,
                              const model::GridPoint*, int) override
    {
        calls.push_back({"OnSideHeadingClicked", col, row, down});
    }
    void OnSideHeadingRClicked(int col, long row, int down, const model::GridRect*,
                               const model::GridPoint*, int) override
    {
        calls.push_back({"OnSideHeadingRClicked", col, row, down});
    }
    void OnCornerClicked(int down, const model::GridRect*, const model::GridPoint*, int) override
    {
        calls.push_back({"OnCornerClicked", -1, -1, down});
    }
    void OnCornerRClicked(int down, const model::GridRect*, const model::GridPoint*, int) override
    {
        calls.push_back({"OnCornerRClicked", -1, -1, down});
    }
    int OnMenuStart(int col, long row, int section) override
    {
        calls.push_back({"OnMenuStart", col, row, section});
        return menuAnswer;
    }
    void OnColSizing(int col, int* width) override
    {
        calls.push_back({"OnColSizing", col, 0, *width});
    }
    void OnColSized(int col, int* width) override
    {
        calls.push_back({"OnColSized", col, 0, *width});
    }
    int OnColMoveStart(int col) override
    {
        calls.push_back({"OnColMoveStart", col, 0, 0});
        return 1;
    }
    int OnCanColMove(int from, int to) override
    {
        calls.push_back({"OnCanColMove", from, to, 0});
        return canColMove;
    }
    void OnColMoved(int from, int to) override { calls.push_back({"OnColMoved", from, to, 0}); }
    int OnVScrollTip(long row, std::string* text) override
    {
        calls.push_back({"OnVScrollTip", 0, row, 0});
        *text = "Row " + std::to_string(row);
        return 1;
    }
    int OnHelp(int col, long row, int section, int request) override
    {
        calls.push_back({"OnHelp", col, row, section * 10 + request});
        return helpContext;
    }
    void OnKeyDown(unsigned* key, int) override
    {
        calls.push_back({"OnKeyDown", 0, 0, static_cast<int>(*key)});
    }
    void OnKeyUp(unsigned* key, int) override
    {
        calls.push_back({"OnKeyUp", 0, 0, static_cast<int>(*key)});
    }
    void OnSetFocus(int section) override { calls.push_back({"OnSetFocus", 0, 0, section}); }
    void OnKillFocus(int section) override { calls.push_back({"OnKillFocus", 0, 0, section}); }
    int OnDragEnter(const std::string*) override { return 1; }
    int OnDragOver(const std::string*, int, long) override { return 1; }
    int OnDragDrop(const std::string*, int col, long row) override
    {
        calls.push_back({"OnDragDrop", col, row, 0});
        return dragDropAnswer;
    }
    void OnTabSelected(long id) override { calls.push_back({"OnTabSelected", 0, id, 0}); }
    int OnCellTypeMessage(int, int col, long row, long message, long param) override
    {
        calls.push_back({"OnCellTypeMessage", col, row, static_cast<int>(message)});
        if (message == 101 && param != 0 && !changeTo.empty()) {
            *reinterpret_cast<std::string*>(param) = changeTo;
        }
        return 1;
    }
    int OnHint(int col, long row, int section, std::string* text) override
    {
        calls.push_back({"OnHint", col, row, section});
        model::CGridControl::OnHint(col, row, section, text);
        return hintAnswer;
    }
    void OnRowsExhausted(long rows, long, long) override
    {
        calls.push_back({"OnRowsExhausted", 0, rows, 0});
        if (rows < rowsUpTo) {
            SetNumberRows(std::min(rows + 5, rowsUpTo));
        }
    }

    std::string changeTo;
    int hintAnswer = 1;
    long rowsUpTo = 0; // OnRowsExhausted adds 5 rows at a time up to this many
};

} // namespace gridctrl::widgets::test
