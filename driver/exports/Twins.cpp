// The `_stdcall` twins and the forwarding `_LVD` wrappers, generated from ExportRows.h.
#include "driver/exports/ExportRows.h"

// Twins exported under their decorated spelling instead of "<name>_stdcall".
#define VYK_DECLARE_DECORATED(plain, decorated)                                                    \
    extern "C" __typeof__(plain) plain##_stdcall __asm__(#decorated);
VYK_DECORATED_TWINS(VYK_DECLARE_DECORATED)

#define VYK_DEFINE_TWIN(result, name, params, args)                                                \
    VYK_API result name##_stdcall params                                                           \
    {                                                                                              \
        return name args;                                                                          \
    }
#define VYK_DEFINE_LVD(result, wrapper, target, params, args)                                      \
    VYK_API result wrapper params                                                                  \
    {                                                                                              \
        return target args;                                                                        \
    }

// clang-format off
VYK_TWIN_ROWS(VYK_DEFINE_TWIN)
#define VYK_TWIN_ROW VYK_DEFINE_TWIN
VYK_TWIN_ROWS_JAVA
#undef VYK_TWIN_ROW
VYK_LVD_ROWS(VYK_DEFINE_LVD)
// clang-format on

// The one twin without a plain export: a client passes an array and gets its address.
VYK_API void* VYK_GetPointerToArray_stdcall(void* array)
{
    return array;
}
