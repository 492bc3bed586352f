#pragma once

// Character utilities of the numerical library, over explicit lengths. Positions are
// 1-based, as the texts that use them count. A destination is a span of characters whose
// size is its length.

#include <cstdint>
#include <span>
#include <string_view>

namespace numerics {

// Copies source into destination, blank-filling or cutting.
void S1COPY(std::string_view source, std::span<char> destination);

// Reads a signed decimal integer from the first width characters of text (leading blanks,
// optional sign, digits). status: -1 width < 1, 1 all blank, -2 overflow, 0 the whole width
// was read, else the position of the first character not read.
void S1RDIN(std::string_view text, std::int32_t width, std::int32_t& value, std::int32_t& status);

// Writes value right-aligned into text. status: -1 empty text, 1 it does not fit, 0 done.
void S1WRIN(std::int32_t value, std::span<char> text, std::int32_t& status);

// Position of the first occurrence of pattern in text, letters compared without regard to
// case (S1INDX) or exactly (S1INDC); 0 when none or the pattern is longer.
std::int32_t S1INDX(std::string_view text, std::string_view pattern);
std::int32_t S1INDC(std::string_view text, std::string_view pattern);

// Position of the first character of text not in set; 0 when all are; 1 when either is
// empty.
std::int32_t S1VRFY(std::string_view text, std::string_view set);

// Copies source(first:last) into destination(destFirst:destLast), blank-filling the rest
// of the destination range. status: -2 empty or out-of-range source range, -1 destination
// range outside its length, else the number of source characters that did not fit.
void S1SUBC(std::string_view source, std::int32_t first, std::int32_t last,
            std::span<char> destination, std::int32_t destFirst, std::int32_t destLast,
            std::int32_t& status);

// -1, 0 or 1: a compared with b without regard to case, the shorter padded with blanks.
std::int32_t S1CMPI(std::string_view a, std::string_view b);

// The character's code, a..z mapped to A..Z (S1UPCH) or unchanged (S1CODE).
std::int32_t S1UPCH(char c);
std::int32_t S1CODE(char c);

// The character of a code 0..255; other codes give the character of code 0.
char S1CHAR(std::int32_t code);

} // namespace numerics
