#pragma once

// Machine constants, the unit table, and the small arithmetic helpers under every
// numerical routine. Threads: process-wide state without a lock (see ErrorReporting.h).

#include <cstdint>
#include <iosfwd>

namespace numerics {

// Double-precision constants, n = 1..8: smallest normalised, largest finite, smallest and
// largest relative spacing, log10(2), quiet NaN, +infinity, -infinity. Any other n posts
// a TERMINAL message (code 5) and stops; the value would be the NaN.
double DMACH(std::int32_t n);

// Integer and single-precision constants, n = 1..12. Any other n writes a TERMINAL
// message on the output unit and stops.
std::int32_t IMACH(std::int32_t n);

// Unit table: n = 1..3 returns the standard input, standard output or message unit in
// unit; n = -1..-3 stores unit for that role. Any other n writes a message and stops.
void UMACH(std::int32_t n, std::int32_t& unit);

// The unit numbers of standard input and standard output.
inline constexpr std::int32_t kStandardInputUnit = 5;
inline constexpr std::int32_t kStandardOutputUnit = 6;

// Connects a unit number to a stream (nullptr disconnects it). Unit 6 is standard output
// until connected elsewhere; a unit that is not connected writes to standard output.
// The stream must outlive its connection.
void attachUnit(std::int32_t unit, std::ostream* stream);

// The stream a unit writes to.
std::ostream& unitStream(std::int32_t unit);

// Sets n elements x[0], x[incx], ... to value; n <= 0 does nothing.
void VFILL(std::int32_t n, double value, double* x, std::int32_t incx);

// True when x is a NaN (all exponent bits set, fraction not zero).
bool ISNAND(double x);

// Division guarded against overflow and underflow: NaN for a NaN operand or 0/0, a signed
// infinity when the quotient would overflow, 0 when it would underflow.
void SAFEDV(double x, double y, double& result);

} // namespace numerics
