#include "platform/basic/ScriptStack.h"

#include <cstdint>
#include <exception>
#include <pthread.h>
#include <sys/mman.h>
#include <ucontext.h>

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
// Unmapped at the low end of the script stack, so an overrun faults instead of writing
// into other memory.
constexpr size_t kGuardBytes = 64 * 1024;

uintptr_t currentAddress()
{
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
}

struct StackState
{
    // Lowest usable address of each stack, and the highest free one while code runs on
    // the other (below the frames of the suspended context).
    uintptr_t low[2] = {0, 0};
    uintptr_t free[2] = {0, 0};
    StackKind current = StackKind::Thread;
    void* mapping = nullptr;

    StackState()
    {
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            void* address = nullptr;
            size_t size = 0;
            if (pthread_attr_getstack(&attr, &address, &size) == 0) {
                low[0] = reinterpret_cast<uintptr_t>(address) + kGuardBytes;
            }
            pthread_attr_destroy(&attr);
        }
    }
    ~StackState()
    {
        if (mapping) {
            munmap(mapping, kScriptStackBytes);
        }
    }
    StackState(const StackState&) = delete;
    StackState& operator=(const StackState&) = delete;

    bool mapScriptStack()
    {
        if (mapping) {
            return true;
        }
        void* p = mmap(nullptr, kScriptStackBytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
        if (p == MAP_FAILED) {
            return false;
        }
        mprotect(p, kGuardBytes, PROT_NONE);
        mapping = p;
        low[1] = reinterpret_cast<uintptr_t>(p) + kGuardBytes;
        free[1] = reinterpret_cast<uintptr_t>(p) + kScriptStackBytes;
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
    if (st.current == stack) {
        body();
        return true;
    }
    if (stack == StackKind::Script && !st.mapScriptStack()) {
        return false;
    }
    const auto to = static_cast<size_t>(stack);
    const auto from = static_cast<size_t>(st.current);
    if (st.low[to] == 0 || st.free[to] < st.low[to] + kMinimumRoom) {
        return false;
    }
    const uintptr_t top = (st.free[to] - kSwitchReserve) & ~uintptr_t{15};
    const size_t size = top - st.low[to];
    Switch s;
    s.body = &body;
    ucontext_t back;
    ucontext_t context;
    if (getcontext(&context) != 0) {
        return false;
    }
    context.uc_stack.ss_sp = reinterpret_cast<void*>(st.low[to]);
    context.uc_stack.ss_size = size;
    context.uc_link = &back;
    makecontext(&context, &enter, 0);

    const uintptr_t savedFree = st.free[from];
    const StackKind savedCurrent = st.current;
    st.free[from] = currentAddress() - kSwitchReserve;
    st.current = stack;
    Switch* savedSwitch = t_switch;
    t_switch = &s;
#if defined(__SANITIZE_THREAD__)
    s.callerFiber = __tsan_get_current_fiber();
    void* fiber = __tsan_create_fiber(0);
    __tsan_switch_to_fiber(fiber, 0);
#endif
#if defined(__SANITIZE_ADDRESS__)
    void* fakeStack = nullptr;
    __sanitizer_start_switch_fiber(&fakeStack, reinterpret_cast<void*>(st.low[to]), size);
#endif
    const int rc = swapcontext(&back, &context);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
#if defined(__SANITIZE_THREAD__)
    __tsan_destroy_fiber(fiber);
#endif
    t_switch = savedSwitch;
    st.current = savedCurrent;
    st.free[from] = savedFree;
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
    const StackState& st = t_state;
    const uintptr_t low = st.low[static_cast<size_t>(st.current)];
    const uintptr_t here = currentAddress();
    return low == 0 || here < low ? (low == 0 ? SIZE_MAX : 0) : here - low;
}

} // namespace platform::basic
