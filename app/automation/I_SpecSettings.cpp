#include "app/automation/I_SpecSettings.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

const DispatchTable& I_SpecSettings::table()
{
    static const DispatchTable t = [] {
        DispatchBinder<I_SpecSettings> b;
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}
