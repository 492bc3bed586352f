#include "platform/basic/ScriptStack.h"

#include <cstdint>
#include <exception>
#include <pthread.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace platform::basic {

namespace {

// Room kept below a suspended context for the switch itself, and the least room a new
// context needs to be worth starting.
constexpr uintptr_t kSwitchReserve = 4096;
constexpr uintptr_t kMinimumRoom = 256 * 1024;
// Unmapped at the low end of each segment (and kept free at the end of the thread's
// stack), so an overrun faults instead of writing into other memory.
constexpr size_t kGuardBytes = 64 * 1024;

uintptr_t currentAddress()
{
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
}

// One stack: the lowest usable address, and the highest free one while code runs
// elsewhere (below the frames of its suspended context).
struct Region
{
    uintptr_t low = 0;
    uintptr_t free = 0;
    void* mapping = nullptr;
};

struct StackState
{
    Region thread;
    std::vector<Region> segments;
    // Where code runs now: -1 the thread's stack, else a segment.
    int current = -1;
    // The segment script code last ran on.
    int lastSegment = 0;

    StackState()
    {
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            void* address = nullptr;
            size_t size = 0;
            if (pthread_attr_getstack(&attr, &address, &size) == 0) {
                thread.low = reinterpret_cast<uintptr_t>(address) + kGuardBytes;
            }
            pthread_attr_destroy(&attr);
        }
    }
    ~StackState()
    {
        for (const Region& r : segments) {
            munmap(r.mapping, kScriptSegmentBytes);
        }
    }
    StackState(const StackState&) = delete;
    StackState& operator=(const StackState&) = delete;

    Region& region(int index) { return index < 0 ? thread : segments[static_cast<size_t>(index)]; }

    // Segment `index`, made when it does not exist yet.
    bool ensureSegment(int index)
    {
        if (index < 0 || static_cast<size_t>(index) >= kMaxScriptSegments) {
            return false;
        }
        while (segments.size() <= static_cast<size_t>(index)) {
            void* p = mmap(nullptr, kScriptSegmentBytes, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
            if (p == MAP_FAILED) {
                return false;
            }
            mprotect(p, kGuardBytes, PROT_NONE);
            Region r;
            r.mapping = p;
            r.low = reinterpret_cast<uintptr_t>(p) + kGuardBytes;
            r.free = reinterpret_cast<uintptr_t>(p) + kScriptSegmentBytes;
            segments.push_back(r);
        }
        return true;
    }
};

thread_local StackState t_state;

// What the new context runs, handed over through a thread-local pointer that the
// context reads first thing.
struct Switch
{
    const std::function<void()>* body = nullptr;
    std::exception_ptr error;
#if defined(__SANITIZE_ADDRESS__)
    const void* callerBottom = nullptr;
    size_t callerSize = 0;
#endif
#if defined(__SANITIZE_THREAD__)
    void* callerFiber = nullptr;
#endif
};

thread_local Switch* t_switch = nullptr;

// The first function of a new context. Not instrumented for ThreadSanitizer: its exit runs
// after the switch back to the caller's fiber and must not pop the caller's call stack.
#if defined(__SANITIZE_THREAD__)
__attribute__((no_sanitize_thread))
#endif
void enter()
{
    Switch* s = t_switch;
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(nullptr, &s->callerBottom, &s->callerSize);
#endif
    try {
        (*s->body)();
    } catch (...) {
        s->error = std::current_exception();
    }
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_start_switch_fiber(nullptr, s->callerBottom, s->callerSize);
#endif
#if defined(__SANITIZE_THREAD__)
    __tsan_switch_to_fiber(s->callerFiber, 0);
#endif
    // Returning resumes the caller through uc_link.
}

} // namespace

bool runOnStack(StackKind stack, const std::function<void()>& body)
{
    StackState& st = t_state;
    int target = -1;
    switch (stack) {
    case StackKind::Thread:
        target = -1;
        break;
    case StackKind::Script:
        target = st.current >= 0 ? st.current : st.lastSegment;
        break;
    case StackKind::NextSegment:
        target = st.current >= 0 ? st.current + 1 : st.lastSegment;
        break;
    }
    if (target == st.current) {
        body();
        return true;
    }
    if (target >= 0 && !st.ensureSegment(target)) {
        return false;
    }
    Region& to = st.region(target);
    if (to.low == 0 || to.free < to.low + kMinimumRoom) {
        return false;
    }
    const uintptr_t top = (to.free - kSwitchReserve) & ~uintptr_t{15};
    const size_t size = top - to.low;

    Switch s;
    s.body = &body;
    ucontext_t back;
    ucontext_t context;
    if (getcontext(&context) != 0) {
        return false;
    }
    context.uc_stack.ss_sp = reinterpret_cast<void*>(to.low);
    context.uc_stack.ss_size = size;
    context.uc_link = &back;
    makecontext(&context, &enter, 0);

    const int from = st.current;
    const int savedLast = st.lastSegment;
    Region& here = st.region(from);
    const uintptr_t savedFree = here.free;
    here.free = currentAddress() - kSwitchReserve;
    st.current = target;
    if (target >= 0) {
        st.lastSegment = target;
    }
    Switch* savedSwitch = t_switch;
    t_switch = &s;
#if defined(__SANITIZE_THREAD__)
    s.callerFiber = __tsan_get_current_fiber();
    void* fiber = __tsan_create_fiber(0);
    __tsan_switch_to_fiber(fiber, 0);
#endif
#if defined(__SANITIZE_ADDRESS__)
    void* fakeStack = nullptr;
    __sanitizer_start_switch_fiber(&fakeStack, reinterpret_cast<void*>(to.low), size);
#endif
    const int rc = swapcontext(&back, &context);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
#if defined(__SANITIZE_THREAD__)
    __tsan_destroy_fiber(fiber);
#endif
    t_switch = savedSwitch;
    st.current = from;
    st.lastSegment = savedLast;
    st.region(from).free = savedFree;
    if (stack == StackKind::NextSegment && from >= 0) {
        // Give back the memory of a segment that deep recursion filled.
        Region& done = st.region(target);
        madvise(reinterpret_cast<char*>(done.low), top - done.low, MADV_DONTNEED);
    }
    if (rc != 0) {
        return false;
    }
    if (s.error) {
        std::rethrow_exception(s.error);
    }
    return true;
}

size_t stackLeft()
{
    StackState& st = t_state;
    const uintptr_t low = st.region(st.current).low;
    const uintptr_t here = currentAddress();
    if (low == 0) {
        return SIZE_MAX;
    }
    return here < low ? 0 : here - low;
}

} // namespace platform::basic
