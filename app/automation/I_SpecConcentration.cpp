#include "app/automation/I_SpecConcentration.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

const DispatchTable& I_SpecConcentration::table()
{
    static const DispatchTable t = [] {
        DispatchBinder<I_SpecConcentration> b;
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}
