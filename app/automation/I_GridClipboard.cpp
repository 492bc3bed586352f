#include "app/automation/I_GridClipboard.h"

#include "app/windows/HarluneGridView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGridView;

const DispatchTable& I_GridClipboard::table()
{
    static const DispatchTable t = [] {
        using C = I_GridClipboard;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("CopyCell", &C::CopyCell, {"col", "row", "cut"})
            .method("CopyRange", &C::CopyRange, {"startcol", "startrow", "endcol", "endrow", "cut"})
            .method("CopySelection", &C::CopySelection, {"cut"})
            .method("CopyColumn", &C::CopyColumn, {"col", "cut"})
            .method("CopyRow", &C::CopyRow, {"row", "cut"})
            .method("CopySheet", &C::CopySheet, {"sheet", "cut"})
            .method("Paste", &C::Paste, {"col", "row"})
            .method("PasteSelection", &C::PasteSelection);
        return b.table();
    }();
    return t;
}

bool I_GridClipboard::CopyCell(int32_t col, int32_t row, bool cut)
{
    return onView(false, [&](View& v) {
        return numbered({col, row}) && v.CopyCell(col, row, cut);
    });
}

bool I_GridClipboard::CopyRange(int32_t startcol, int32_t startrow, int32_t endcol, int32_t endrow,
                                bool cut)
{
    return onView(false, [&](View& v) {
        return numbered({startcol, startrow, endcol, endrow}) &&
               v.CopyRange(startcol, startrow, endcol, endrow, cut);
    });
}

bool I_GridClipboard::CopySelection(bool cut)
{
    return onView(false, [&](View& v) { return v.CopySelection(cut); });
}

// The column or row the argument names is copied (the current cell stays where it was).
bool I_GridClipboard::CopyColumn(int32_t col, bool cut)
{
    return onView(false, [&](View& v) { return col >= 1 && v.CopyColumn(col, cut); });
}

bool I_GridClipboard::CopyRow(int32_t row, bool cut)
{
    return onView(false, [&](View& v) { return row >= 1 && v.CopyRow(row, cut); });
}

// Only the current sheet can be copied: another sheet's number answers FALSE.
bool I_GridClipboard::CopySheet(int32_t sheet, bool cut)
{
    return onView(false, [&](View& v) {
        return sheet >= 1 && sheet - 1 == v.grid().GetCurrentSheet() && v.CopySheet(sheet, cut);
    });
}

bool I_GridClipboard::Paste(int32_t col, int32_t row)
{
    return onView(false, [&](View& v) { return numbered({col, row}) && v.Paste(col, row); });
}

bool I_GridClipboard::PasteSelection()
{
    return onView(false, [&](View& v) { return v.PasteSelection(); });
}
