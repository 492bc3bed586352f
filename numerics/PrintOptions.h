#pragma once

// Settings of the library's printed output and the line writer under the matrix printer:
// sixteen printer options with current and permanent values and a scope each, the page
// width and length, the writing of lines with Fortran carriage control (a blank in the
// first column, "1" for a page eject) on the standard output unit of UMACH, and the
// breaking of titles and labels into lines.
//
// Threads: process-wide tables without a lock (see ErrorReporting.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace numerics {

// iopt k > 0: iset receives the permanent value of option k when iscope is 1, its current
// value when 0. iopt -k: the current value of option k becomes iset, and with iscope 1 its
// permanent value too; its scope becomes iscope. iopt 0: every current value goes back to
// its permanent value and every scope to 1, except that option 3 keeps its current value
// while its permanent value is at least 0. Range errors are TERMINAL and change nothing.
void WROPT(std::int32_t iopt, std::int32_t& iset, std::int32_t iscope);

// iopt 1 or 2 retrieve the page width or length into ipage; -1 or -2 set them (at least
// 10, else a TERMINAL error that changes nothing).
void PGOPT(std::int32_t iopt, std::int32_t& ipage);

// n = -1: a page eject; n >= 1: writes text(1..n) as one line; n = 0 writes an empty line.
// Counts the lines of the page in option 3 and ejects a full page first.
void WRLINE(std::int32_t n, std::string_view text);

// The lines of text (trailing blanks dropped) broken to width characters: later lines
// begin with indent blanks, which count in their length; "%/" forces a break; window is
// the number of characters before a line's limit where a break is looked for.
std::vector<std::string> breakText(std::string_view text, std::int32_t width, std::int32_t indent,
                                   std::int32_t window);

// Line k (1-based) of the broken text into line; k = 0 gives the number of lines and the
// length of the longest instead.
void WRBRK(std::string_view text, std::int32_t width, std::int32_t indent, std::int32_t window,
           std::int32_t k, std::string& line, std::int32_t& lines, std::int32_t& longest);

// Shifts line right so that its middle falls on the middle column (when that moves it
// right at all); length is the width the line counts as.
void CENTRE(std::int32_t middle, std::int32_t length, std::string& line);

// Writes the title lines centred on the middle column; an empty line stays empty.
void WRTITL(std::string_view title, std::int32_t pageWidth, std::int32_t window,
            std::int32_t middle);

// Puts the options, scopes and page size back to their initial values.
void resetPrintSettings();

} // namespace numerics
