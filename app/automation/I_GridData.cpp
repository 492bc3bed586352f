#include "app/automation/I_GridData.h"

#include "app/windows/HarluneGridView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGridView;

const DispatchTable& I_GridData::table()
{
    static const DispatchTable t = [] {
        using C = I_GridData;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("PutArrayInColumn", &C::PutArrayInColumn,
                 {"col", "startrow", "array", "numelements"})
            .method("GetArrayFromColumn", &C::GetArrayFromColumn,
                    {"col", "startrow", "array", "numelements"})
            .method("GetArrayFromRow", &C::GetArrayFromRow,
                    {"row", "startcol", "array", "numelements"})
            .method("PutArrayInRow", &C::PutArrayInRow,
                    {"row", "startcol", "dataarray", "numelements"})
            .indexedProperty("Value", &C::GetValue, &C::SetValue, {"col", "row"})
            .indexedProperty("Text", &C::GetText, &C::SetText, {"col", "row"});
        return b.table();
    }();
    return t;
}

// Each array member refuses, before the view is called, a count beyond the script's array, a
// negative line or start, a last cell past 2^31 - 1 and (puts) a number that is not finite;
// the view answers for cells outside the sheet and writes nothing there.

bool I_GridData::PutArrayInColumn(int32_t col, int32_t startrow, DoubleArray array,
                                  int32_t numelements)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        if (!elements(array, numelements, values) || !numbered({col}) ||
            !span(startrow, numelements) || !finite(values, numelements))
            return false;
        return v.PutArrayInColumn(col, startrow, values, numelements);
    });
}

bool I_GridData::GetArrayFromColumn(int32_t col, int32_t startrow, DoubleArray array,
                                    int32_t numelements)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        if (!elements(array, numelements, values) || !numbered({col}) ||
            !span(startrow, numelements))
            return false;
        return v.GetArrayFromColumn(col, startrow, values, numelements);
    });
}

bool I_GridData::GetArrayFromRow(int32_t row, int32_t startcol, DoubleArray array,
                                 int32_t numelements)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        if (!elements(array, numelements, values) || !numbered({row}) ||
            !span(startcol, numelements))
            return false;
        return v.GetArrayFromRow(row, startcol, values, numelements);
    });
}

bool I_GridData::PutArrayInRow(int32_t row, int32_t startcol, DoubleArray array,
                               int32_t numelements)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        if (!elements(array, numelements, values) || !numbered({row}) ||
            !span(startcol, numelements) || !finite(values, numelements))
            return false;
        return v.PutArrayInRow(row, startcol, values, numelements);
    });
}

double I_GridData::GetValue(int32_t col, int32_t row)
{
    return onView(0.0, [&](View& v) {
        return numbered({col, row}) ? v.GetCellValue(col, row) : 0.0;
    });
}

void I_GridData::SetValue(int32_t col, int32_t row, double value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && std::isfinite(value) && v.SetCellValue(col, row, value);
    });
}

// The view cuts a text longer than the buffer on a character boundary.
std::string I_GridData::GetText(int32_t col, int32_t row)
{
    return onView(std::string(), [&](View& v) {
        char buffer[View::kTextBufferSize] = {};
        if (!numbered({col, row}) || !v.GetCellText(col, row, buffer, sizeof buffer))
            return std::string();
        return std::string(buffer);
    });
}

void I_GridData::SetText(int32_t col, int32_t row, const std::string& text)
{
    onView(false, [&](View& v) { return numbered({col, row}) && v.SetCellText(col, row, text); });
}
