#include "app/automation/I_GenVersion.h"

#include "app/automation/AutomationFrame.h"
#include "platform/automation/ClassInfo.h"

using platform::automation::ByRef;
using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

I_GenVersion::I_GenVersion()
    : AutomationObject(platform::automation::findClassByName("I_GenVersion"))
{}

const DispatchTable& I_GenVersion::table()
{
    static const DispatchTable t = [] {
        using C = I_GenVersion;
        DispatchBinder<C> b;
        b.method("GetDriverVersion", &C::GetDriverVersion)
            .method("GetProgramVersion", &C::GetProgramVersion)
            .method("GetTypeLibraryVersion", &C::GetTypeLibraryVersion, {"major", "minor"});
        return b.table();
    }();
    return t;
}

std::string I_GenVersion::GetDriverVersion()
{
    return requireAutomationFrame().driverVersion();
}

std::string I_GenVersion::GetProgramVersion()
{
    return requireAutomationFrame().applicationVersion();
}

void I_GenVersion::GetTypeLibraryVersion(ByRef<int16_t> major, ByRef<int16_t> minor)
{
    if (int16_t* value = major.take(1))
        *value = static_cast<int16_t>(platform::automation::kLibraryMajorVersion);
    if (int16_t* value = minor.take(1))
        *value = static_cast<int16_t>(platform::automation::kLibraryMinorVersion);
}
