#pragma once

#include "app/automation/GridAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GridGeneral": new grid windows, and the rows, columns and sheets of the target grid
// window inserted, deleted, renamed and chosen, with the script's 1-based numbers. GUI thread
// only.
class I_GridGeneral : public GridAutomationObject
{
public:
    static I_GridGeneral* create() { return new I_GridGeneral(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool CreateGrid(int32_t col, int32_t row, int32_t sheet, const std::string& name);
    bool DeleteRow(int32_t row);
    bool DeleteColumn(int32_t col);
    bool DeleteSheet(int32_t sheet);
    bool InsertRow(int32_t after);
    bool InsertColumn(int32_t after);
    bool SetActiveSheet(int32_t sheet);
    bool SetActiveCell(int32_t col, int32_t row);
    bool RenameColumn(int32_t col, const std::string& name);
    bool RenameRow(int32_t row, const std::string& name);
    bool RenameSheet(int32_t sheet, const std::string& name);
    bool InsertSheet(int32_t col, int32_t row, const std::string& name);

private:
    I_GridGeneral() : GridAutomationObject("I_GridGeneral") {}
    ~I_GridGeneral() override = default;
};
