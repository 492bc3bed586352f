// The `_stdcall` twins and the forwarding `_LVD` wrappers, generated from ExportRows.h and
// declared (the decorated twins under their Linux spelling) by vykdrv32_forms.h.
#include "driver/include/vykdrv32.h"

#include <type_traits>

// A forwarding form has exactly its target's type, so it cannot change an argument's width
// or the result on the way.
#define VYK_DEFINE_TWIN(result, name, params, args)                                                \
    static_assert(std::is_same_v<decltype(name), decltype(name##_stdcall)>, #name);                \
    VYK_API result name##_stdcall params                                                           \
    {                                                                                              \
        return name args;                                                                          \
    }
#define VYK_DEFINE_LVD(result, wrapper, target, params, args)                                      \
    static_assert(std::is_same_v<decltype(target), decltype(wrapper)>, #wrapper);                  \
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
