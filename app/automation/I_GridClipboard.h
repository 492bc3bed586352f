#pragma once

#include "app/automation/GridAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.GridClipboard": cells, ranges, columns, rows and the sheet of the target grid
// window copied or cut to the clipboard as text, and the clipboard's text pasted, with the
// script's 1-based numbers. GUI thread only.
class I_GridClipboard : public GridAutomationObject
{
public:
    static I_GridClipboard* create() { return new I_GridClipboard(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool CopyCell(int32_t col, int32_t row, bool cut);
    bool CopyRange(int32_t startcol, int32_t startrow, int32_t endcol, int32_t endrow, bool cut);
    bool CopySelection(bool cut);
    bool CopyColumn(int32_t col, bool cut);
    bool CopyRow(int32_t row, bool cut);
    bool CopySheet(int32_t sheet, bool cut);
    bool Paste(int32_t col, int32_t row);
    bool PasteSelection();

private:
    I_GridClipboard() : GridAutomationObject("I_GridClipboard") {}
    ~I_GridClipboard() override = default;
};
