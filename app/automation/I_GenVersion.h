#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GenVersion": the driver library's, the program's and the type library's versions.
// GUI thread only.
class I_GenVersion : public platform::automation::AutomationObject
{
public:
    static I_GenVersion* create() { return new I_GenVersion(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    std::string GetDriverVersion();
    std::string GetProgramVersion();
    // Writes 1 and 5.
    void GetTypeLibraryVersion(platform::automation::ByRef<int16_t> major,
                               platform::automation::ByRef<int16_t> minor);

private:
    I_GenVersion();
    ~I_GenVersion() override = default;
};
