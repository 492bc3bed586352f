#pragma once

// Choosing the edit descriptor with which the matrix printer writes a matrix or a column:
// an integer descriptor when every entry is a whole number that fits, else a fixed
// descriptor showing the asked significant digits of the largest entry, else a scaled
// one. A chosen format is exactly 10 characters, numbers right-justified in two
// characters: "(I10)     ", "(0PF10. 1)", "(1PD10. 3)".
//
// Matrices are column-major with leading dimension lda; itring selects the part: 0 all,
// 1 upper triangle, 2 upper without diagonal, -1 lower, -2 lower without diagonal.
// Threads: see ErrorReporting.h.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace numerics {

// Format for the entries of a selected by itring. nwidth: field width, |nwidth| in 3..40,
// negative for "at most this wide"; nsig: significant digits, negative to forbid the
// integer descriptor. Argument errors are TERMINAL; the result is set only without them.
void dFMTRR(std::string& result, std::int32_t nra, std::int32_t nca, const double* a,
            std::int32_t lda, std::int32_t itring, std::int32_t nwidth, std::int32_t nsig);

// Format for one magnitude x in a field of nwidth (3..40) with nsig (1..nwidth-2)
// significant digits.
void dFMTX(std::string& result, double x, std::int32_t nwidth, std::int32_t nsig);

// 1-based index of the element of largest magnitude among x[0], x[incx], ... (n of them),
// NaN elements skipped; 0 when there is none.
std::int32_t dI1MAX(std::int32_t n, const double* x, std::int32_t incx);

// flag = 1 when every non-NaN x[i] is a whole number within the 32-bit range with
// -10^(w-1) < x[i] < 10^w, else 0.
void ISINTC(std::int32_t n, const double* x, std::int32_t w, std::int32_t& flag);

// The rows of column j (1-based) in the selection: firstRow (1-based) and count (>= 0).
void TRIROW(std::int32_t itring, std::int32_t first, std::int32_t nra, std::int32_t j,
            std::int32_t& firstRow, std::int32_t& count);

// Lowers the decimals of a fixed format to what the selected entries need.
void FMTTRM(std::int32_t nra, std::int32_t nca, const double* a, std::int32_t lda,
            std::int32_t itring, std::string_view formatIn, std::string& formatOut);

// Per-column formats of the block of columns firstColumn..lastColumn: each column's
// descriptor of fmt (with reversion); a V or W descriptor is replaced by the format that
// column's selected entries call for. fmtwk[j - firstColumn] receives column j's format.
void WRCFMT(std::int32_t itring, std::int32_t firstColumn, std::int32_t lastColumn,
            std::int32_t nra, std::int32_t nca, const double* a, std::int32_t lda,
            std::string_view fmt, std::span<std::string> fmtwk);

} // namespace numerics
