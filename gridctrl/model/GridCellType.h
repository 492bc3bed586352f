#pragma once

#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridControlParts.h"
#include "gridctrl/model/GridObject.h"
#include "gridctrl/model/GridSheetState.h"

#include <string>

namespace gridctrl::model {

class CGridControl;

// A cell type: how a cell is measured, edited and told of focus and scrolling. The drawing
// layer derives from it and adds the painting. The defaults keep the cell as it is.
// GUI thread only.
class CGridCellType : public GridObject
{
public:
    explicit CGridCellType(std::string name = "Normal Cell Type (default)",
                           std::string id = "78A705C1-F3E9-11D0-9C7B-0080C83F712F")
        : m_name(std::move(name)), m_id(std::move(id))
    {}

    virtual std::string GetName() const { return m_name; }
    virtual std::string GetId() const { return m_id; }
    // May shrink the editor's rectangle; 0 when unchanged.
    virtual int OnEditStartRect(GridRect&) { return 0; }
    // Input on a cell of this type: 1 when the type handled it. `rect` is the cell's rectangle
    // in its window, `point` where the mouse is.
    virtual int OnLClicked(int, int, int, const GridRect&, const GridPoint&) { return 0; }
    virtual int OnRClicked(int, int, int, const GridRect&, const GridPoint&) { return 0; }
    virtual int OnDClicked(int, int, const GridRect&, const GridPoint&) { return 0; }
    virtual int OnKeyDown(int, int, unsigned*) { return 0; }
    virtual int OnKeyUp(int, int, unsigned*) { return 0; }
    virtual int OnCharDown(int, int, unsigned*) { return 0; }
    virtual int OnMouseMove(int, int, const GridPoint&, unsigned) { return 0; }
    virtual void OnSetFocus(int, int, CGridCellInfo&) {}
    virtual int OnKillFocus(int, int, CGridCellInfo&) { return 0; }
    virtual void OnScrolled(int, int, CGridCellInfo&) {}
    // The best width and height of the cell's content; `width` and `height` come in with a
    // starting size. Without a drawing layer the text is measured by the control's windows.
    virtual void GetBestSize(int& width, int& height, const CGridCellInfo& cell);
    virtual int OnSystemColorChange() { return 0; }
    virtual int SetOption(long) { return 0; }
    // Passes a message to the control's OnCellTypeMessage hook; its answer (1 without a control).
    virtual int Notify(int col, long row, long message, long param);

    // The text may run into empty cells to the right: left-aligned, or without alignment,
    // parameter and join.
    int CanOverflow(const CGridCellInfo& cell) const;

    void SetCanEdit(int flag) { m_canEdit = flag; }
    int CanEdit() const { return m_canEdit; }
    void SetValue(long value) { m_value = value; }
    long GetValue() const { return m_value; }
    void setControl(CGridControl* control, int index)
    {
        m_control = control;
        m_index = index;
    }
    CGridControl* control() const { return m_control; }
    int index() const { return m_index; }

protected:
    int m_canEdit = 1;
    long m_value = 0;
    int m_overflow = 1;
    double m_scale = 1.0;

private:
    std::string m_name;
    std::string m_id;
    CGridControl* m_control = nullptr;
    int m_index = -1;
};

} // namespace gridctrl::model
