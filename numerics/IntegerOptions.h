#pragma once

// Integer options that tune the numerical routines, by product ("MATH" or "STAT"),
// chapter and option number. Threads: process-wide state without a lock.

#include <cstdint>
#include <string_view>

namespace numerics {

// iact 1 (get): the values of each option iopts[0..numopt-1] are appended to ivals, the
// current ones for a positive number, the defaults for a negative one. iact 2 (put): a
// positive number takes its values from ivals in order, a negative one is reset to its
// defaults. Failures are TERMINAL with codes 1..6 (the call then changes nothing).
void IUMAG(std::string_view prodnm, std::int32_t ichp, std::int32_t iact, std::int32_t numopt,
           const std::int32_t* iopts, std::int32_t* ivals);

} // namespace numerics
