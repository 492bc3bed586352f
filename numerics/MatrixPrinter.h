#pragma once

// The library's table printer: a real matrix, or one of its triangles, as a titled table
// with row and column labels on the standard output unit, cut into column blocks that fit
// the page width and into pages that fit the page length (PrintOptions.h).
//
// Threads: process-wide settings without a lock (see ErrorReporting.h).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace numerics {

// Prints a (nra by nca, column-major, leading dimension lda) under title ("%/" breaks a
// line; all blanks for none). itring: 0 full, 1 upper triangle, 2 upper without diagonal,
// -1 lower, -2 lower without diagonal. fmt: a format of D, E, F, G, I, V and W edit
// descriptors for the entries, all blanks to choose one. rowlab: nra labels, or the single
// keyword "NUMBER" or "NONE". collab: the heading over the row labels, then nca column
// headings; "NONE" or "NUMBER" as element 1 or 2 select no or numbered headings. fmtwk:
// work space for per-column formats (may be empty). Labels that are missing print blank.
// Argument, format and page-width errors are TERMINAL; nothing is printed after them.
// All printer options go back to their permanent values at the end.
void DW2RRL(std::string_view title, std::int32_t nra, std::int32_t nca, const double* a,
            std::int32_t lda, std::int32_t itring, std::string_view fmt,
            std::span<const std::string> rowlab, std::span<const std::string> collab,
            std::span<std::string> fmtwk);

} // namespace numerics
