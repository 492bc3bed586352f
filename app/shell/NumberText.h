#pragma once

#include <string>

// Locale-free number text for files and settings: printf formats and atoi/atof parsing as in
// the "C" locale, whatever LC_NUMERIC the process runs with (the driver library and the
// program may live in a process whose locale uses a decimal comma). Any thread.
namespace app::text {

// printf-style formatting in the "C" locale.
std::string formatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// atoi: leading blanks, an optional sign, decimal digits; the first other character ends
// the number; no digits give 0. Values beyond the int range are clamped to it.
int atoiC(const char* text);
// The same parse, clamped to the 64-bit range instead.
long long atollC(const char* text);

// atof in the "C" locale: the longest prefix that is a number; none gives 0.0.
double atofC(const char* text);

} // namespace app::text
