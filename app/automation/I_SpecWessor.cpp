#include "app/automation/I_SpecWessor.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

const DispatchTable& I_SpecWessor::table()
{
    static const DispatchTable t = [] {
        DispatchBinder<I_SpecWessor> b;
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}
