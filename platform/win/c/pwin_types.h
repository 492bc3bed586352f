/* Fixed-width types of the Windows-shaped C interface of platform/win.
 * Usable from C and C++. Window handles are 32-bit ids from a process-wide table;
 * message parameters are pointer-sized. */
#ifndef PWIN_TYPES_H
#define PWIN_TYPES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define PWIN_EXTERN_C extern "C"
#else
#define PWIN_EXTERN_C
#endif

/* Every exported function of platform/win is declared with PWIN_API. */
#define PWIN_API PWIN_EXTERN_C __attribute__((visibility("default")))

typedef uint32_t PWIN_HWND; /* 0 is "no window" */
typedef uint32_t PWIN_UINT;
typedef uint32_t PWIN_DWORD;
typedef int32_t PWIN_BOOL;
typedef uintptr_t PWIN_WPARAM;
typedef intptr_t PWIN_LPARAM;
typedef intptr_t PWIN_LRESULT;

#endif
