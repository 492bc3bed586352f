#include "platform/win/CriticalSection.h"

#include <atomic>
#include <mutex>
#include <new>
#include <thread>

namespace {

// A recursive mutex that knows its owner, so that a Leave by a thread that does not hold
// it is refused instead of unlocking someone else's mutex.
struct Section
{
    std::recursive_mutex mutex;
    std::atomic<std::thread::id> owner{};
    int depth = 0; // touched by the owner only
};

Section* sectionOf(PWIN_CRITICAL_SECTION* section)
{
    return section ? static_cast<Section*>(section->impl) : nullptr;
}

void entered(Section& s)
{
    s.owner = std::this_thread::get_id();
    ++s.depth;
}

} // namespace

PWIN_API PWIN_BOOL pwin_InitializeCriticalSection(PWIN_CRITICAL_SECTION* section)
{
    if (!section) {
        return 0;
    }
    section->impl = new (std::nothrow) Section;
    return section->impl ? 1 : 0;
}

PWIN_API void pwin_DeleteCriticalSection(PWIN_CRITICAL_SECTION* section)
{
    if (auto* s = sectionOf(section)) {
        delete s;
        section->impl = nullptr;
    }
}

PWIN_API void pwin_EnterCriticalSection(PWIN_CRITICAL_SECTION* section)
{
    if (auto* s = sectionOf(section)) {
        s->mutex.lock();
        entered(*s);
    }
}

PWIN_API PWIN_BOOL pwin_TryEnterCriticalSection(PWIN_CRITICAL_SECTION* section)
{
    auto* s = sectionOf(section);
    if (!s || !s->mutex.try_lock()) {
        return 0;
    }
    entered(*s);
    return 1;
}

PWIN_API void pwin_LeaveCriticalSection(PWIN_CRITICAL_SECTION* section)
{
    auto* s = sectionOf(section);
    if (!s || s->owner.load() != std::this_thread::get_id()) {
        return;
    }
    if (--s->depth == 0) {
        s->owner = std::thread::id();
    }
    s->mutex.unlock();
}

namespace platform::win {

CriticalSection::CriticalSection()
{
    if (!pwin_InitializeCriticalSection(&m_section)) {
        throw std::bad_alloc();
    }
}

CriticalSection::~CriticalSection()
{
    pwin_DeleteCriticalSection(&m_section);
}

void CriticalSection::lock()
{
    pwin_EnterCriticalSection(&m_section);
}

bool CriticalSection::try_lock()
{
    return pwin_TryEnterCriticalSection(&m_section) != 0;
}

void CriticalSection::unlock()
{
    pwin_LeaveCriticalSection(&m_section);
}

} // namespace platform::win
