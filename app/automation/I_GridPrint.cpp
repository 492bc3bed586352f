#include "app/automation/I_GridPrint.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

const DispatchTable& I_GridPrint::table()
{
    static const DispatchTable t = [] {
        DispatchBinder<I_GridPrint> b;
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}
