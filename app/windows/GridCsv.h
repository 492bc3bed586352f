#pragma once

#include <string>
#include <string_view>
#include <vector>

// The grid's CSV text without files: fields as they are written, and the reader's split of a
// file's bytes into lines of fields. Pure functions; any thread.
namespace app::windows {

// One field of a line as read: its text (quotes taken off, doubled quotes made one) and
// whether it was quoted.
struct CsvField
{
    std::string text;
    bool quoted = false;
};
using CsvLine = std::vector<CsvField>;

// The field for a cell's text: "" for an empty text, the text bare when asked and it holds
// neither the separator, a quote nor a line break, otherwise quoted with inner quotes doubled.
std::string csvField(std::string_view text, bool bare, std::string_view separator);

// Splits a file's bytes into lines of fields. Lines end with LF or CR LF (a lone CR ends one
// as well); the separator splits only outside quotes; a quoted field may hold separators and
// line breaks; "" inside quotes is one quote; an empty field is an empty text. NUL bytes are
// dropped. A quote left open runs to the end of the bytes. A last line without a line break
// counts; nothing after the last line break does not.
std::vector<CsvLine> parseCsv(std::string_view bytes, std::string_view separator);

// A bare field as a number: the first decimal separator taken as ".", then the longest
// leading part that is a number in the "C" form; none gives 0.0. No process locale.
double csvNumber(std::string_view token, std::string_view decimalSeparator);

} // namespace app::windows
