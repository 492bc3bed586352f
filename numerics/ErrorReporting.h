#pragma once

// Error reporting of the numerical routines: the routine name stack, the typed message
// with its value placeholders, and the print and stop decisions.
//
// Every routine of the library pushes its name on entry (E1PSH) and pops it on every exit
// (E1POP). A failure is posted with E1MES as a type (1 NOTE, 2 ALERT, 3 WARNING, 4 FATAL,
// 5 TERMINAL, 6 immediate WARNING, 7 immediate FATAL) and a code; callers test N1RTY(0)
// after each call of another library routine and unwind when it is nonzero.
//
// Threads: one process-wide state without a lock; the library is entered from one thread
// at a time (the program's GUI thread).

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace numerics {

// Message types.
inline constexpr std::int32_t kNote = 1;
inline constexpr std::int32_t kAlert = 2;
inline constexpr std::int32_t kWarning = 3;
inline constexpr std::int32_t kFatal = 4;
inline constexpr std::int32_t kTerminal = 5;
inline constexpr std::int32_t kImmediateWarning = 6;
inline constexpr std::int32_t kImmediateFatal = 7;

// Sets the defaults: empty name stack ("USER" at level 1), empty store, the print and
// stop tables. Runs by itself on first use; an explicit call resets the whole state.
void E1DFLT();

// Pushes a routine name (cut or blank-padded to 32 characters). A push beyond level 50
// posts a TERMINAL message and stops.
void E1PSH(std::string_view name);

// Pops the routine name; writes the message and stops as the tables say.
void E1POP(std::string_view name);

// Records type and code at the current level and builds the pending message from the
// template, filling its "%(Kn)" placeholders from the value store. Type -1 or code -1
// keep what the level holds; type 0 or code 0 drops the pending message.
void E1MES(std::int32_t type, std::int32_t code, std::string_view text);

// Store a value for the placeholder of kind I, L, D or R with digit |index| (1..9).
void E1VALI(std::int32_t index, std::int32_t value);
void E1VALL(std::int32_t index, std::string_view text);
void E1VALD(std::int32_t index, double value);
void E1VALR(std::int32_t index, float value);

// Type (N1RTY) or code (N1RCD) recorded at the current level (which = 0) or at the level
// above it (which = 1, the routine called last). Any other argument stops.
std::int32_t N1RTY(std::int32_t which);
std::int32_t N1RCD(std::int32_t which);

// Writes the pending message (and a traceback when nested) to the message unit.
void E1SHOW();

// Stop decision for a pending type 6 or 7 message; clears the pending flags.
std::int32_t E1HALT();

// Text of a value as E1VALD, E1VALR and E1VALI store it (leading blanks removed).
std::string formatDoubleValue(double value);
std::string formatRealValue(float value);

// What happens when the library decides to stop. The name stack has been reset to level 1
// (with type and code of the stopping message recorded there) and the pending message
// dropped before the hook runs. The default ends the process; a hook that does not
// return (it throws) lets the caller go on.
using StopHook = void (*)(std::int32_t type, std::int32_t code);

// Installs a stop hook; nullptr restores the default (the process ends).
void setStopHook(StopHook hook);

// Thrown by throwOnStop.
class NumericsStop : public std::runtime_error
{
public:
    NumericsStop(std::int32_t type, std::int32_t code);
    std::int32_t type() const { return m_type; }
    std::int32_t code() const { return m_code; }

private:
    std::int32_t m_type;
    std::int32_t m_code;
};

// A stop hook for a host program: throws NumericsStop instead of ending the process.
[[noreturn]] void throwOnStop(std::int32_t type, std::int32_t code);

// Exit status of the default stop.
inline constexpr int kStopExitStatus = 2;

// Pushes a routine name for its lifetime and pops it on every return. While a stop unwinds
// (the hook threw), nothing is popped: the stop has reset the stack already.
class RoutineScope
{
public:
    explicit RoutineScope(std::string_view name) : m_name(name) { E1PSH(name); }
    ~RoutineScope() noexcept(false)
    {
        if (std::uncaught_exceptions() == m_exceptions) {
            E1POP(m_name);
        }
    }
    RoutineScope(const RoutineScope&) = delete;
    RoutineScope& operator=(const RoutineScope&) = delete;

private:
    std::string_view m_name;
    int m_exceptions = std::uncaught_exceptions();
};

// True when the current level holds a FATAL or TERMINAL type: the routine must give up.
inline bool failed()
{
    const std::int32_t type = N1RTY(0);
    return type == kFatal || type == kTerminal || type == kImmediateFatal;
}

namespace detail {
// Runs the stop: resets the stack, calls the hook, ends the process when it returns.
[[noreturn]] void stop(std::int32_t type, std::int32_t code);
} // namespace detail

} // namespace numerics
