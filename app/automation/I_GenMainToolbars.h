#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.GenMainToolbars": shows and hides the main frame's three tool bars (General
// Functions 16000, Global Functions 16002, Tundra Functions 16001). GUI thread only.
class I_GenMainToolbars : public platform::automation::AutomationObject
{
public:
    static I_GenMainToolbars* create() { return new I_GenMainToolbars(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetGeneralFunctions();
    void SetGeneralFunctions(bool show);
    bool GetGlobalFunctions();
    void SetGlobalFunctions(bool show);
    bool GetTundraFunctions();
    void SetTundraFunctions(bool show);

private:
    I_GenMainToolbars();
    ~I_GenMainToolbars() override = default;
};
