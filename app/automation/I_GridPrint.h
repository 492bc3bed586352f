#pragma once

#include "app/automation/GridAutomationObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.GridPrint": only the two window-choosing members; it prints nothing. GUI thread
// only.
class I_GridPrint : public GridAutomationObject
{
public:
    static I_GridPrint* create() { return new I_GridPrint(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

private:
    I_GridPrint() : GridAutomationObject("I_GridPrint") {}
    ~I_GridPrint() override = default;
};
