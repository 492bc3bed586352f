#include "app/automation/I_GridGeneral.h"

#include "app/windows/HarluneGridView.h"
#include "gridctrl/model/GridControl.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGridView;

const DispatchTable& I_GridGeneral::table()
{
    static const DispatchTable t = [] {
        using C = I_GridGeneral;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("CreateGrid", &C::CreateGrid, {"col", "row", "sheet", "name"})
            .method("DeleteRow", &C::DeleteRow, {"row"})
            .method("DeleteColumn", &C::DeleteColumn, {"col"})
            .method("DeleteSheet", &C::DeleteSheet, {"sheet"})
            .method("InsertRow", &C::InsertRow, {"after"})
            .method("InsertColumn", &C::InsertColumn, {"after"})
            .method("SetActiveSheet", &C::SetActiveSheet, {"sheet"})
            .method("SetActiveCell", &C::SetActiveCell, {"col", "row"})
            .method("RenameColumn", &C::RenameColumn, {"col", "name"})
            .method("RenameRow", &C::RenameRow, {"row", "name"})
            .method("RenameSheet", &C::RenameSheet, {"sheet", "name"})
            .method("InsertSheet", &C::InsertSheet, {"col", "row", "name"});
        return b.table();
    }();
    return t;
}

// Opens the window through the application (which asks the script's VerifyMenu first); the
// object keeps the window it targeted. Sizes the grid would refuse open no window.
bool I_GridGeneral::CreateGrid(int32_t col, int32_t row, int32_t sheet, const std::string& name)
{
    using gridctrl::model::CGridControl;
    if (col < 0 || col > CGridControl::kMaxCols || row < 0 || row == INT32_MAX || sheet < 1 ||
        sheet > CGridControl::kMaxSheets)
        return false;
    requireAutomationFrame().newGridWindow(col, row, sheet, name);
    return true;
}

bool I_GridGeneral::DeleteRow(int32_t row)
{
    return onView(false, [&](View& v) { return numbered({row}) && v.DeleteRow(row); });
}

bool I_GridGeneral::DeleteColumn(int32_t col)
{
    return onView(false, [&](View& v) { return numbered({col}) && v.DeleteColumn(col); });
}

bool I_GridGeneral::DeleteSheet(int32_t sheet)
{
    return onView(false, [&](View& v) { return numbered({sheet}) && v.DeleteSheet(sheet); });
}

// `after` goes to the control unchanged: the new line follows the 1-based line `after`.
bool I_GridGeneral::InsertRow(int32_t after)
{
    return onView(false, [&](View& v) { return numbered({after}) && v.InsertRow(after); });
}

bool I_GridGeneral::InsertColumn(int32_t after)
{
    return onView(false, [&](View& v) { return numbered({after}) && v.InsertColumn(after); });
}

bool I_GridGeneral::SetActiveSheet(int32_t sheet)
{
    return onView(false, [&](View& v) { return numbered({sheet}) && v.SetActiveSheet(sheet); });
}

bool I_GridGeneral::SetActiveCell(int32_t col, int32_t row)
{
    return onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetActiveCell(col, row);
    });
}

bool I_GridGeneral::RenameColumn(int32_t col, const std::string& name)
{
    return onView(false, [&](View& v) { return numbered({col}) && v.RenameColumn(col, name); });
}

bool I_GridGeneral::RenameRow(int32_t row, const std::string& name)
{
    return onView(false, [&](View& v) { return numbered({row}) && v.RenameRow(row, name); });
}

bool I_GridGeneral::RenameSheet(int32_t sheet, const std::string& name)
{
    return onView(false, [&](View& v) { return numbered({sheet}) && v.RenameSheet(sheet, name); });
}

bool I_GridGeneral::InsertSheet(int32_t col, int32_t row, const std::string& name)
{
    return onView(false, [&](View& v) { return v.InsertSheet(col, row, name.c_str()); });
}
