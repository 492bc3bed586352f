#pragma once

#include <cstddef>
#include <functional>

// Script code runs on stacks of the engine's own, switched to on the calling thread, so
// that deep script recursion does not depend on the size of the GUI thread's stack; calls
// out of the engine (automation members, DoEvents, message boxes, host events) switch
// back to the thread's own stack, where code such as a Java VM expects to run. Scripts
// and their events stay on the thread that runs them.
//
// The engine's stack comes in segments: code that nears the end of one goes on in the
// next (kept per thread, made on first use, reserved but not committed until used).
namespace platform::basic {

enum class StackKind
{
    Thread,      // the thread's own stack
    Script,      // the engine's stack, in the segment script code last ran on
    NextSegment, // the engine's stack, in a fresh segment after the current one
};

// The size of one segment. Under AddressSanitizer it stays below the 64 MB the sanitizer
// cleans up after an exception.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kScriptSegmentBytes = size_t{48} * 1024 * 1024;
#else
constexpr size_t kScriptSegmentBytes = size_t{128} * 1024 * 1024;
#endif
// The most segments a thread uses.
constexpr size_t kMaxScriptSegments = 16;

// Runs body on the given stack of the calling thread and returns when it returns; an
// exception body throws is thrown again here. Already on that stack: a plain call. False
// (body not run) when that stack has too little room left or no segment can be made.
bool runOnStack(StackKind stack, const std::function<void()>& body);

// The bytes left below the caller on the stack (or segment) it runs on; large when
// unknown.
size_t stackLeft();

} // namespace platform::basic
