#pragma once

#include "platform/win/c/pwin_sync.h"

namespace platform::win {

using CRITICAL_SECTION = PWIN_CRITICAL_SECTION;

inline PWIN_BOOL InitializeCriticalSection(CRITICAL_SECTION* section)
{
    return pwin_InitializeCriticalSection(section);
}

inline void DeleteCriticalSection(CRITICAL_SECTION* section)
{
    pwin_DeleteCriticalSection(section);
}

inline void EnterCriticalSection(CRITICAL_SECTION* section)
{
    pwin_EnterCriticalSection(section);
}

inline PWIN_BOOL TryEnterCriticalSection(CRITICAL_SECTION* section)
{
    return pwin_TryEnterCriticalSection(section);
}

inline void LeaveCriticalSection(CRITICAL_SECTION* section)
{
    pwin_LeaveCriticalSection(section);
}

// A recursive critical section as a C++ lockable (std::scoped_lock works on it): the
// owning thread may lock it again and unlocks as often. Any thread.
class CriticalSection
{
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    CRITICAL_SECTION m_section;
};

} // namespace platform::win
