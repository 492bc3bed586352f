#include "app/automation/I_GridFormat.h"

#include "app/windows/HarluneGridView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGridView;

const DispatchTable& I_GridFormat::table()
{
    static const DispatchTable t = [] {
        using C = I_GridFormat;
        DispatchBinder<C> b;
        b.property("HeadingAlignment", &C::GetHeadingAlignment, &C::SetHeadingAlignment);
        b.property("HeadingFormat", &C::GetHeadingFormat, &C::SetHeadingFormat);
        b.property("HeadingBackgroundColor", &C::GetHeadingBackgroundColor,
                   &C::SetHeadingBackgroundColor);
        b.property("HeadingTextColor", &C::GetHeadingTextColor, &C::SetHeadingTextColor);
        b.property("TopHeadingHeight", &C::GetTopHeadingHeight, &C::SetTopHeadingHeight);
        b.property("SideHeadingWidth", &C::GetSideHeadingWidth, &C::SetSideHeadingWidth);
        addWindowMembers(b);
        b.method("RegisterFont", &C::RegisterFont, {"fontname", "size", "weight"});
        b.method("SetCellFont", &C::SetCellFont, {"col", "row", "fontindex"});
        b.method("SetColumnFont", &C::SetColumnFont, {"col", "fontindex"});
        b.method("SetHeadingFont", &C::SetHeadingFont, {"fontindex"});
        b.method("AutosizeColumn", &C::AutosizeColumn, {"startcol", "endcol", "rows", "type"});
        b.method("SetSheetPrecision", &C::SetSheetPrecision, {"Precision"});
        b.method("SetSheetFont", &C::SetSheetFont, {"fontindex"});
        b.method("SetSheetFormat", &C::SetSheetFormat, {"format"});
        b.method("SetSheetBackgroundColor", &C::SetSheetBackgroundColor, {"color"});
        b.method("SetSheetTextColor", &C::SetSheetTextColor, {"color"});
        b.method("SetSheetAlignment", &C::SetSheetAlignment, {"alignment"});
        b.method("SetSheetExponentialFormat", &C::SetSheetExponentialFormat, {"On"});
        b.method("SetSheetReadOnly", &C::SetSheetReadOnly, {"On"});
        b.method("SetSheetBorderColor", &C::SetSheetBorderColor, {"color"});
        b.method("SetSheetBorder", &C::SetSheetBorder, {"border"});
        b.method("SetCellBorderColor", &C::SetCellBorderColor, {"col", "row", "color"});
        b.method("SetColumnBorderColor", &C::SetColumnBorderColor, {"col", "color"});
        b.method("SetSheetBorderSizeAndColor", &C::SetSheetBorderSizeAndColor, {"border", "color"});
        b.method("SetRowHeight", &C::SetRowHeight, {"row", "height"});
        b.method("SetColumnWidth", &C::SetColumnWidth, {"col", "width"});
        b.method("SetUniformRowHeight", &C::SetUniformRowHeight, {"On"});
        b.indexedProperty("CellFormat", &C::GetCellFormat, &C::SetCellFormat, {"col", "row"});
        b.indexedProperty("ColumnFormat", &C::GetColumnFormat, &C::SetColumnFormat, {"col"});
        b.indexedProperty("CellBackgroundColor", &C::GetCellBackgroundColor,
                          &C::SetCellBackgroundColor, {"col", "row"});
        b.indexedProperty("ColumnBackgroundColor", &C::GetColumnBackgroundColor,
                          &C::SetColumnBackgroundColor, {"col"});
        b.indexedProperty("CellAlignment", &C::GetCellAlignment, &C::SetCellAlignment,
                          {"col", "row"});
        b.indexedProperty("ColumnAlignment", &C::GetColumnAlignment, &C::SetColumnAlignment,
                          {"col"});
        b.indexedProperty("CellPrecision", &C::GetCellPrecision, &C::SetCellPrecision,
                          {"col", "row"});
        b.indexedProperty("ColumnPrecision", &C::GetColumnPrecision, &C::SetColumnPrecision,
                          {"col"});
        b.indexedProperty("CellExponentialFormat", &C::GetCellExponentialFormat,
                          &C::SetCellExponentialFormat, {"col", "row"});
        b.indexedProperty("ColumnExponentialFormat", &C::GetColumnExponentialFormat,
                          &C::SetColumnExponentialFormat, {"col"});
        b.indexedProperty("CellReadOnly", &C::GetCellReadOnly, &C::SetCellReadOnly, {"col", "row"});
        b.indexedProperty("ColumnReadOnly", &C::GetColumnReadOnly, &C::SetColumnReadOnly, {"col"});
        b.indexedProperty("CellTextColor", &C::GetCellTextColor, &C::SetCellTextColor,
                          {"col", "row"});
        b.indexedProperty("ColumnTextColor", &C::GetColumnTextColor, &C::SetColumnTextColor,
                          {"col"});
        b.indexedProperty("CellBorder", &C::GetCellBorder, &C::SetCellBorder, {"col", "row"});
        b.indexedProperty("ColumnBorder", &C::GetColumnBorder, &C::SetColumnBorder, {"col"});
        return b.table();
    }();
    return t;
}

int16_t I_GridFormat::GetHeadingAlignment()
{
    return onView(int16_t{0},
                  [](View& v) { return static_cast<int16_t>(v.GetHeadingAlignment()); });
}

void I_GridFormat::SetHeadingAlignment(int16_t value)
{
    onView(false, [&](View& v) { return v.SetHeadingAlignment(value); });
}

int16_t I_GridFormat::GetHeadingFormat()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.GetHeadingFormat()); });
}

void I_GridFormat::SetHeadingFormat(int16_t value)
{
    onView(false, [&](View& v) { return v.SetHeadingFormat(value); });
}

int32_t I_GridFormat::GetHeadingBackgroundColor()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.GetHeadingBackgroundColor()); });
}

void I_GridFormat::SetHeadingBackgroundColor(int32_t value)
{
    onView(false, [&](View& v) { return v.SetHeadingBackgroundColor(value); });
}

int32_t I_GridFormat::GetHeadingTextColor()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.GetHeadingTextColor()); });
}

void I_GridFormat::SetHeadingTextColor(int32_t value)
{
    onView(false, [&](View& v) { return v.SetHeadingTextColor(value); });
}

int32_t I_GridFormat::GetTopHeadingHeight()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.GetTopHeadingHeight()); });
}

void I_GridFormat::SetTopHeadingHeight(int32_t value)
{
    onView(false, [&](View& v) { return v.SetTopHeadingHeight(value); });
}

int32_t I_GridFormat::GetSideHeadingWidth()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.GetSideHeadingWidth()); });
}

void I_GridFormat::SetSideHeadingWidth(int32_t value)
{
    onView(false, [&](View& v) { return v.SetSideHeadingWidth(value); });
}

// The control's index of the font, or -1 when it refused it (0 without a grid window).
int32_t I_GridFormat::RegisterFont(const std::string& fontname, int16_t size, int16_t weight)
{
    return onView(int32_t{0}, [&](View& v) {
        return static_cast<int32_t>(v.RegisterFont(fontname, size, weight));
    });
}

bool I_GridFormat::SetCellFont(int32_t col, int32_t row, int32_t fontindex)
{
    return onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellFont(col, row, fontindex);
    });
}

bool I_GridFormat::SetColumnFont(int32_t col, int32_t fontindex)
{
    return onView(false,
                  [&](View& v) { return numbered({col}) && v.SetColumnFont(col, fontindex); });
}

bool I_GridFormat::SetHeadingFont(int32_t fontindex)
{
    return onView(false, [&](View& v) { return v.SetHeadingFont(fontindex); });
}

bool I_GridFormat::AutosizeColumn(int32_t startcol, int32_t endcol, int32_t rows, int16_t type)
{
    return onView(false, [&](View& v) {
        return numbered({startcol, endcol}) && v.AutosizeColumn(startcol, endcol, rows, type);
    });
}

bool I_GridFormat::SetSheetPrecision(int16_t Precision)
{
    return onView(false, [&](View& v) { return v.SetSheetPrecision(Precision); });
}

bool I_GridFormat::SetSheetFont(int32_t fontindex)
{
    return onView(false, [&](View& v) { return v.SetSheetFont(fontindex); });
}

bool I_GridFormat::SetSheetFormat(int16_t format)
{
    return onView(false, [&](View& v) { return v.SetSheetFormat(format); });
}

bool I_GridFormat::SetSheetBackgroundColor(int32_t color)
{
    return onView(false, [&](View& v) { return v.SetSheetBackgroundColor(color); });
}

bool I_GridFormat::SetSheetTextColor(int32_t color)
{
    return onView(false, [&](View& v) { return v.SetSheetTextColor(color); });
}

bool I_GridFormat::SetSheetAlignment(int16_t alignment)
{
    return onView(false, [&](View& v) { return v.SetSheetAlignment(alignment); });
}

bool I_GridFormat::SetSheetExponentialFormat(bool On)
{
    return onView(false, [&](View& v) { return v.SetSheetExponentialFormat(On); });
}

bool I_GridFormat::SetSheetReadOnly(bool On)
{
    return onView(false, [&](View& v) { return v.SetSheetReadOnly(On); });
}

bool I_GridFormat::SetSheetBorderColor(int32_t color)
{
    return onView(false, [&](View& v) { return v.SetSheetBorderColor(color); });
}

bool I_GridFormat::SetSheetBorder(int16_t border)
{
    return onView(false, [&](View& v) { return v.SetSheetBorder(border); });
}

bool I_GridFormat::SetCellBorderColor(int32_t col, int32_t row, int32_t color)
{
    return onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellBorderColor(col, row, color);
    });
}

bool I_GridFormat::SetColumnBorderColor(int32_t col, int32_t color)
{
    return onView(false,
                  [&](View& v) { return numbered({col}) && v.SetColumnBorderColor(col, color); });
}

bool I_GridFormat::SetSheetBorderSizeAndColor(int16_t border, int32_t color)
{
    return onView(false, [&](View& v) { return v.SetSheetBorderSizeAndColor(border, color); });
}

bool I_GridFormat::SetRowHeight(int32_t row, int32_t height)
{
    return onView(false, [&](View& v) { return numbered({row}) && v.SetRowHeight(row, height); });
}

bool I_GridFormat::SetColumnWidth(int32_t col, int32_t width)
{
    return onView(false, [&](View& v) { return numbered({col}) && v.SetColumnWidth(col, width); });
}

bool I_GridFormat::SetUniformRowHeight(bool On)
{
    return onView(false, [&](View& v) { return v.SetUniformRowHeight(On ? 1 : 0); });
}

int16_t I_GridFormat::GetCellFormat(int32_t col, int32_t row)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col, row}) ? static_cast<int16_t>(v.GetCellFormat(col, row)) : int16_t{0};
    });
}

void I_GridFormat::SetCellFormat(int32_t col, int32_t row, int16_t value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellFormat(col, row, value);
    });
}

int16_t I_GridFormat::GetColumnFormat(int32_t col)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col}) ? static_cast<int16_t>(v.GetColumnFormat(col)) : int16_t{0};
    });
}

void I_GridFormat::SetColumnFormat(int32_t col, int16_t value)
{
    onView(false, [&](View& v) { return numbered({col}) && v.SetColumnFormat(col, value); });
}

int32_t I_GridFormat::GetCellBackgroundColor(int32_t col, int32_t row)
{
    return onView(int32_t{0}, [&](View& v) {
        return numbered({col, row}) ? static_cast<int32_t>(v.GetCellBackgroundColor(col, row))
                                    : int32_t{0};
    });
}

void I_GridFormat::SetCellBackgroundColor(int32_t col, int32_t row, int32_t value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellBackgroundColor(col, row, value);
    });
}

int32_t I_GridFormat::GetColumnBackgroundColor(int32_t col)
{
    return onView(int32_t{0}, [&](View& v) {
        return numbered({col}) ? static_cast<int32_t>(v.GetColumnBackgroundColor(col)) : int32_t{0};
    });
}

void I_GridFormat::SetColumnBackgroundColor(int32_t col, int32_t value)
{
    onView(false,
           [&](View& v) { return numbered({col}) && v.SetColumnBackgroundColor(col, value); });
}

int16_t I_GridFormat::GetCellAlignment(int32_t col, int32_t row)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col, row}) ? static_cast<int16_t>(v.GetCellAlignment(col, row))
                                    : int16_t{0};
    });
}

void I_GridFormat::SetCellAlignment(int32_t col, int32_t row, int16_t value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellAlignment(col, row, value);
    });
}

int16_t I_GridFormat::GetColumnAlignment(int32_t col)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col}) ? static_cast<int16_t>(v.GetColumnAlignment(col)) : int16_t{0};
    });
}

void I_GridFormat::SetColumnAlignment(int32_t col, int16_t value)
{
    onView(false, [&](View& v) { return numbered({col}) && v.SetColumnAlignment(col, value); });
}

int16_t I_GridFormat::GetCellPrecision(int32_t col, int32_t row)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col, row}) ? static_cast<int16_t>(v.GetCellPrecision(col, row))
                                    : int16_t{0};
    });
}

void I_GridFormat::SetCellPrecision(int32_t col, int32_t row, int16_t value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellPrecision(col, row, value);
    });
}

int16_t I_GridFormat::GetColumnPrecision(int32_t col)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col}) ? static_cast<int16_t>(v.GetColumnPrecision(col)) : int16_t{0};
    });
}

void I_GridFormat::SetColumnPrecision(int32_t col, int16_t value)
{
    onView(false, [&](View& v) { return numbered({col}) && v.SetColumnPrecision(col, value); });
}

bool I_GridFormat::GetCellExponentialFormat(int32_t col, int32_t row)
{
    return onView(false, [&](View& v) {
        return numbered({col, row}) ? static_cast<bool>(v.GetCellExponentialFormat(col, row))
                                    : false;
    });
}

void I_GridFormat::SetCellExponentialFormat(int32_t col, int32_t row, bool value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellExponentialFormat(col, row, value);
    });
}

bool I_GridFormat::GetColumnExponentialFormat(int32_t col)
{
    return onView(false, [&](View& v) {
        return numbered({col}) ? static_cast<bool>(v.GetColumnExponentialFormat(col)) : false;
    });
}

void I_GridFormat::SetColumnExponentialFormat(int32_t col, bool value)
{
    onView(false,
           [&](View& v) { return numbered({col}) && v.SetColumnExponentialFormat(col, value); });
}

bool I_GridFormat::GetCellReadOnly(int32_t col, int32_t row)
{
    return onView(false, [&](View& v) {
        return numbered({col, row}) ? static_cast<bool>(v.GetCellReadOnly(col, row)) : false;
    });
}

void I_GridFormat::SetCellReadOnly(int32_t col, int32_t row, bool value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellReadOnly(col, row, value);
    });
}

bool I_GridFormat::GetColumnReadOnly(int32_t col)
{
    return onView(false, [&](View& v) {
        return numbered({col}) ? static_cast<bool>(v.GetColumnReadOnly(col)) : false;
    });
}

void I_GridFormat::SetColumnReadOnly(int32_t col, bool value)
{
    onView(false, [&](View& v) { return numbered({col}) && v.SetColumnReadOnly(col, value); });
}

int32_t I_GridFormat::GetCellTextColor(int32_t col, int32_t row)
{
    return onView(int32_t{0}, [&](View& v) {
        return numbered({col, row}) ? static_cast<int32_t>(v.GetCellTextColor(col, row))
                                    : int32_t{0};
    });
}

void I_GridFormat::SetCellTextColor(int32_t col, int32_t row, int32_t value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellTextColor(col, row, value);
    });
}

int32_t I_GridFormat::GetColumnTextColor(int32_t col)
{
    return onView(int32_t{0}, [&](View& v) {
        return numbered({col}) ? static_cast<int32_t>(v.GetColumnTextColor(col)) : int32_t{0};
    });
}

void I_GridFormat::SetColumnTextColor(int32_t col, int32_t value)
{
    onView(false, [&](View& v) { return numbered({col}) && v.SetColumnTextColor(col, value); });
}

int16_t I_GridFormat::GetCellBorder(int32_t col, int32_t row)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col, row}) ? static_cast<int16_t>(v.GetCellBorder(col, row)) : int16_t{0};
    });
}

void I_GridFormat::SetCellBorder(int32_t col, int32_t row, int16_t value)
{
    onView(false, [&](View& v) {
        return numbered({col, row}) && v.SetCellBorder(col, row, value);
    });
}

int16_t I_GridFormat::GetColumnBorder(int32_t col)
{
    return onView(int16_t{0}, [&](View& v) {
        return numbered({col}) ? static_cast<int16_t>(v.GetColumnBorder(col)) : int16_t{0};
    });
}

void I_GridFormat::SetColumnBorder(int32_t col, int16_t value)
{
    onView(false, [&](View& v) { return numbered({col}) && v.SetColumnBorder(col, value); });
}
