#pragma once

#include "app/automation/GridAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GridData": cell values and texts of the target grid window and arrays of numbers
// put into or read from a column or a row, with the script's 1-based numbers (0 reaches a
// heading). GUI thread only.
class I_GridData : public GridAutomationObject
{
public:
    using DoubleArray = platform::automation::ByRef<double>;

    static I_GridData* create() { return new I_GridData(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool PutArrayInColumn(int32_t col, int32_t startrow, DoubleArray array, int32_t numelements);
    bool GetArrayFromColumn(int32_t col, int32_t startrow, DoubleArray array, int32_t numelements);
    bool GetArrayFromRow(int32_t row, int32_t startcol, DoubleArray array, int32_t numelements);
    bool PutArrayInRow(int32_t row, int32_t startcol, DoubleArray array, int32_t numelements);
    double GetValue(int32_t col, int32_t row);
    void SetValue(int32_t col, int32_t row, double value);
    std::string GetText(int32_t col, int32_t row);
    void SetText(int32_t col, int32_t row, const std::string& text);

private:
    I_GridData() : GridAutomationObject("I_GridData") {}
    ~I_GridData() override = default;
};
