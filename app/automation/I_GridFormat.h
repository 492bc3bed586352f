#pragma once

#include "app/automation/GridAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GridFormat": fonts, formats, colours, alignment, precision, borders and sizes of the
// target grid window's cells, columns, headings and current sheet, with the script's 1-based
// numbers. A column property reads the column's first data row and writes every row. Setters
// of properties answer nothing; a refused one changes nothing. GUI thread only.
class I_GridFormat : public GridAutomationObject
{
public:
    static I_GridFormat* create() { return new I_GridFormat(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }
    int16_t GetHeadingAlignment();
    void SetHeadingAlignment(int16_t value);
    int16_t GetHeadingFormat();
    void SetHeadingFormat(int16_t value);
    int32_t GetHeadingBackgroundColor();
    void SetHeadingBackgroundColor(int32_t value);
    int32_t GetHeadingTextColor();
    void SetHeadingTextColor(int32_t value);
    int32_t GetTopHeadingHeight();
    void SetTopHeadingHeight(int32_t value);
    int32_t GetSideHeadingWidth();
    void SetSideHeadingWidth(int32_t value);
    int32_t RegisterFont(const std::string& fontname, int16_t size, int16_t weight);
    bool SetCellFont(int32_t col, int32_t row, int32_t fontindex);
    bool SetColumnFont(int32_t col, int32_t fontindex);
    bool SetHeadingFont(int32_t fontindex);
    bool AutosizeColumn(int32_t startcol, int32_t endcol, int32_t rows, int16_t type);
    bool SetSheetPrecision(int16_t Precision);
    bool SetSheetFont(int32_t fontindex);
    bool SetSheetFormat(int16_t format);
    bool SetSheetBackgroundColor(int32_t color);
    bool SetSheetTextColor(int32_t color);
    bool SetSheetAlignment(int16_t alignment);
    bool SetSheetExponentialFormat(bool On);
    bool SetSheetReadOnly(bool On);
    bool SetSheetBorderColor(int32_t color);
    bool SetSheetBorder(int16_t border);
    bool SetCellBorderColor(int32_t col, int32_t row, int32_t color);
    bool SetColumnBorderColor(int32_t col, int32_t color);
    bool SetSheetBorderSizeAndColor(int16_t border, int32_t color);
    bool SetRowHeight(int32_t row, int32_t height);
    bool SetColumnWidth(int32_t col, int32_t width);
    bool SetUniformRowHeight(bool On);
    int16_t GetCellFormat(int32_t col, int32_t row);
    void SetCellFormat(int32_t col, int32_t row, int16_t value);
    int16_t GetColumnFormat(int32_t col);
    void SetColumnFormat(int32_t col, int16_t value);
    int32_t GetCellBackgroundColor(int32_t col, int32_t row);
    void SetCellBackgroundColor(int32_t col, int32_t row, int32_t value);
    int32_t GetColumnBackgroundColor(int32_t col);
    void SetColumnBackgroundColor(int32_t col, int32_t value);
    int16_t GetCellAlignment(int32_t col, int32_t row);
    void SetCellAlignment(int32_t col, int32_t row, int16_t value);
    int16_t GetColumnAlignment(int32_t col);
    void SetColumnAlignment(int32_t col, int16_t value);
    int16_t GetCellPrecision(int32_t col, int32_t row);
    void SetCellPrecision(int32_t col, int32_t row, int16_t value);
    int16_t GetColumnPrecision(int32_t col);
    void SetColumnPrecision(int32_t col, int16_t value);
    bool GetCellExponentialFormat(int32_t col, int32_t row);
    void SetCellExponentialFormat(int32_t col, int32_t row, bool value);
    bool GetColumnExponentialFormat(int32_t col);
    void SetColumnExponentialFormat(int32_t col, bool value);
    bool GetCellReadOnly(int32_t col, int32_t row);
    void SetCellReadOnly(int32_t col, int32_t row, bool value);
    bool GetColumnReadOnly(int32_t col);
    void SetColumnReadOnly(int32_t col, bool value);
    int32_t GetCellTextColor(int32_t col, int32_t row);
    void SetCellTextColor(int32_t col, int32_t row, int32_t value);
    int32_t GetColumnTextColor(int32_t col);
    void SetColumnTextColor(int32_t col, int32_t value);
    int16_t GetCellBorder(int32_t col, int32_t row);
    void SetCellBorder(int32_t col, int32_t row, int16_t value);
    int16_t GetColumnBorder(int32_t col);
    void SetColumnBorder(int32_t col, int16_t value);

private:
    I_GridFormat() : GridAutomationObject("I_GridFormat") {}
    ~I_GridFormat() override = default;
};
