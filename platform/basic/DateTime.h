#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Dates of the scripting dialect: a Double counting days since 30 December 1899, its
// fraction the time of day (for days before that date the fraction still counts forward
// from midnight: -1.25 is 29 December 1899, 06:00). Text is written and read in the "C"
// locale's conventions: month/day/year and a 12-hour clock.
namespace platform::basic::datetime {

// The parts of a date; weekday 1 is Sunday.
struct DateParts
{
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 7;
    int dayOfYear = 364;
};

// Years a date may have.
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// The parts of a date, to the nearest second.
DateParts partsOf(double date);
// The date of a year, month and day, where months and days past their range carry into
// the next (month 13 is January of the next year, day 0 the last day of the month before),
// as DateSerial does; two-digit years are 1930 to 2029. Empty outside years 100 to 9999.
std::optional<double> dateOf(int year, int month, int day);
// A time of day from hours, minutes and seconds that may carry into days (TimeSerial).
double timeOf(int hour, int minute, int second);
// A date and a time of day put together.
double combine(double date, double time);
// "1/2/2024", "1/2/2024 3:04:05 PM", or "3:04:05 PM" for a time alone.
std::string dateText(double date);
// Reads a date, a time or both ("1/2/2024", "2024-01-02", "January 2, 2024", "2-Jan-24",
// "15:04", "3:04:05 PM"); empty when the text is no date.
std::optional<double> parseDate(std::string_view text);

// DateAdd, DateDiff and DatePart for the intervals "yyyy", "q", "m", "y", "d", "w", "ww",
// "h", "n", "s"; empty for another interval or a result outside the years of dates.
// firstDay: the first day of the week (1 Sunday ... 7 Saturday).
std::optional<double> dateAdd(std::string_view interval, double number, double date);
std::optional<int64_t> dateDiff(std::string_view interval, double from, double to, int firstDay);
std::optional<int32_t> datePart(std::string_view interval, double date, int firstDay);
// The weekday of a date counted from firstDay (1 ... 7).
int weekday(double date, int firstDay);

// Format of a date with a pattern ("yyyy-mm-dd hh:nn:ss", "dddd, mmmm d", "h:mm AM/PM")
// or a named format ("General Date", "Long Date", "Medium Date", "Short Date",
// "Long Time", "Medium Time", "Short Time").
std::string formatDate(double date, std::string_view pattern);
// True when a Format pattern is one for dates rather than numbers.
bool isDatePattern(std::string_view pattern);

// English month and weekday names, full or abbreviated to three letters.
std::string monthName(int month, bool abbreviated);
std::string weekdayName(int weekday, bool abbreviated);

} // namespace platform::basic::datetime
