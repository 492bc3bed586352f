#pragma once

#include "gridctrl/model/GridCellType.h"

#include <string>
#include <vector>

namespace gridctrl::model {

// The check box: clicks in its box and the space key step its value (two or three states)
// and send message 53 with the new value. GUI thread only.
class CGridCheckBoxCellType : public CGridCellType
{
public:
    static constexpr long kMessageChanged = 53;

    CGridCheckBoxCellType() : CGridCellType("CheckBox", "93AAB8D0-F749-11D0-9C7F-0080C83F712F") {}

    int OnLClicked(int col, int row, int down, const GridRect& rect,
                   const GridPoint& point) override;
    int OnDClicked(int col, int row, const GridRect& rect, const GridPoint& point) override;
    int OnCharDown(int col, int row, unsigned* key) override;

private:
    int step(int col, int row);
};

// The window that shows a drop list's choices, implemented by the widget layer.
class GridDropListPart
{
public:
    virtual ~GridDropListPart() = default;
    virtual bool isListOpen() const = 0;
    virtual void openList(int col, int row, const GridRect& rect,
                          const std::vector<std::string>& choices, int itemHeight) = 0;
    virtual void closeList() = 0;
};

// The drop list: Enter, Ctrl+Down or a press on its button open the list of the label's
// choices below the cell (message 100 to the control must allow it). GUI thread only.
class CGridDropListCellType : public CGridCellType
{
public:
    static constexpr long kMessageOpening = 100;

    CGridDropListCellType() : CGridCellType("DropList", "1667A6A0-F746-11D0-9C7F-0080C83F712F") {}

    void setListPart(GridDropListPart* part) { m_list = part; }
    void setButtonWidth(int width) { m_buttonWidth = width; }
    int buttonWidth() const { return m_buttonWidth; }
    bool isPressed() const { return m_pressed; }

    int OnEditStartRect(GridRect& rect) override;
    int OnLClicked(int col, int row, int down, const GridRect& rect,
                   const GridPoint& point) override;
    int OnDClicked(int col, int row, const GridRect& rect, const GridPoint& point) override;
    int OnKeyDown(int col, int row, unsigned* key) override;
    int OnCharDown(int col, int row, unsigned* key) override;
    int OnKillFocus(int col, int row, CGridCellInfo& cell) override;
    // Opens the list of the cell; false when it stays shut.
    bool openList(int col, int row);
    // The cell whose list is open; the list window sets -1 after a choice and -2 when it
    // closed without one.
    int listCol() const { return m_listCol; }
    int listRow() const { return m_listRow; }
    void setListCell(int col, int row)
    {
        m_listCol = col;
        m_listRow = row;
    }

private:
    GridDropListPart* m_list = nullptr;
    int m_buttonWidth = 17;
    bool m_pressed = false;
    int m_listCol = -1;
    int m_listRow = -1;
};

} // namespace gridctrl::model
