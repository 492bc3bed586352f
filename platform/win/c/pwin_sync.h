/* A recursive critical section of platform/win. Usable from C and C++. */
#ifndef PWIN_SYNC_H
#define PWIN_SYNC_H

#include "platform/win/c/pwin_types.h"

/* Initialise before use and delete after the last use; do not copy. */
typedef struct PWIN_CRITICAL_SECTION
{
    void* impl;
} PWIN_CRITICAL_SECTION;

/* Prepares section for use; 0 when out of memory. */
PWIN_API PWIN_BOOL pwin_InitializeCriticalSection(PWIN_CRITICAL_SECTION* section);

/* Frees what InitializeCriticalSection took; the section must not be held. */
PWIN_API void pwin_DeleteCriticalSection(PWIN_CRITICAL_SECTION* section);

/* Takes the section, waiting for another thread to leave it; the owning thread may enter
 * again and must leave as often as it entered. */
PWIN_API void pwin_EnterCriticalSection(PWIN_CRITICAL_SECTION* section);

/* Takes the section when that needs no wait; non-zero when taken. */
PWIN_API PWIN_BOOL pwin_TryEnterCriticalSection(PWIN_CRITICAL_SECTION* section);

/* Leaves once; a thread that does not hold the section changes nothing. */
PWIN_API void pwin_LeaveCriticalSection(PWIN_CRITICAL_SECTION* section);

#endif
