#pragma once

#include <cstddef>
#include <functional>

// Script code runs on a large stack of the engine's own, switched to on the calling
// thread, so that deep script recursion does not depend on the size of the GUI thread's
// stack; calls out of the engine (automation members, DoEvents, message boxes, host
// events) switch back to the thread's own stack, where code such as a Java VM expects to
// run. Scripts and their events stay on the thread that runs them.
namespace platform::basic {

enum class StackKind
{
    Thread, // the thread's own stack
    Script, // the engine's stack for script code (one per thread, made on first use)
};

// The engine's stack for script code: reserved, not committed, until used.
constexpr size_t kScriptStackBytes = size_t{512} * 1024 * 1024;

// Runs body on the given stack of the calling thread and returns when it returns; an
// exception body throws is thrown again here. Already on that stack: a plain call. False
// (body not run) when that stack has too little room left.
bool runOnStack(StackKind stack, const std::function<void()>& body);

// The bytes left below the caller on the stack it runs on (large when unknown).
size_t stackLeft();

} // namespace platform::basic
