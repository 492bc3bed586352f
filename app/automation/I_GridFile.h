#pragma once

#include "app/automation/GridAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GridFile": the target grid window's sheets written to and read from the grid's CSV
// files (the files and checks of the window's Save and Open commands), and spectrum files
// imported into new sheets. Sheets are numbered from 1. GUI thread only.
class I_GridFile : public GridAutomationObject
{
public:
    static I_GridFile* create() { return new I_GridFile(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool SaveSheet(int32_t sheet, const std::string& filename);
    bool SaveAllSheets(const std::string& filename);
    bool OpenSheet(int32_t sheet, const std::string& filename);
    bool OpenAllSheets(const std::string& filename);
    bool OpenAllSheetsIntoNew(const std::string& filename);
    bool OpenSheetIntoNew(const std::string& filename, const std::string& title);
    bool OpenSpectrumIntoNew(const std::string& filename, const std::string& title);

private:
    I_GridFile() : GridAutomationObject("I_GridFile") {}
    ~I_GridFile() override = default;
};
