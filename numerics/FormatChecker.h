#pragma once

// The format texts of the matrix printer: checking a caller's format, handing out its edit
// descriptors one column at a time with format reversion, and the small text routines the
// printing code shares.
//
// A format is "(" a comma-separated list of D, E, F, G, I, V and W edit descriptors ")",
// each with an optional repeat count and scale factor; blanks are ignored and letters may be
// of either case. V and W ask the printer to choose a descriptor from the column's values.
//
// Threads: the descriptor walk keeps a process-wide cursor (see ErrorReporting.h).

#include <cstdint>
#include <string>
#include <string_view>

namespace numerics {

// Checks fmt. Posts at most one TERMINAL message (on the caller's level) and sets code to
// its number, else to 0. singleVW is 1 when the format is one V or W descriptor without a
// repeat count (or with 1); maxWidth is the largest field width, -1 when none was accepted.
void FMTCHK(std::string_view fmt, std::int32_t& code, std::int32_t& singleVW,
            std::int32_t& maxWidth);

// Posts the TERMINAL message of a format fault with piece as %(L1) and letter as %(L2).
void FMTERR(std::int32_t code, std::string_view piece, std::string_view letter = {});

// The k-th edit descriptor of a checked format, as "(" descriptor ")" without blanks or
// repeat count and in upper case, for example "(1PE12.5)". Descriptors repeat by their
// counts and the list starts again after its end. k = 1 restarts the walk, k = last + 1
// continues it, any other k restarts and walks forward. Empty when fmt has no descriptor.
void FMTITM(std::int32_t k, std::string_view fmt, std::string& item);

// The field width of an item: the digits between its letter and "." or ")".
std::int32_t FMTWID(std::string_view item);

// Reads an unsigned decimal number from the first length characters of text, skipping
// blanks; flag is 1 when another character than " 0123456789-+" occurs (or no digit, or
// overflow), else 0.
void FMTINT(std::string_view text, std::int32_t length, std::int32_t& value, std::int32_t& flag);

// The character with code i; a negative i is a TERMINAL error. Codes above 255 give the
// character of code 0.
char ACHAR(std::int32_t i);

// Length of text without trailing blanks.
std::int32_t LENTRM(std::string_view text);

// -1, 0 or 1: a against b with letters compared without regard to case, the shorter text
// extended with blanks.
std::int32_t STRCMP(std::string_view a, std::string_view b);

} // namespace numerics
