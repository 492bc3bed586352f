#include "platform/basic/DateTime.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace platform::basic::datetime {

namespace {

// The date number of 1 January 1970.
constexpr int64_t kUnixEpoch = 25569;
constexpr int64_t kSecondsPerDay = 86400;

int64_t floorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

int64_t floorMod(int64_t a, int64_t b)
{
    return a - floorDiv(a, b) * b;
}

// Days from 1 January 1970 of a date of the Gregorian calendar, and back.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2 ? 1 : 0;
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool leapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

// The date number of a valid year, month and day.
int64_t dayNumber(int y, int m, int d)
{
    return daysFromCivil(y, m, d) + kUnixEpoch;
}

// A date as its day number and the seconds into that day.
struct DayTime
{
    int64_t day;
    int64_t seconds;
    int64_t total() const { return day * kSecondsPerDay + seconds; }
};

DayTime split(double date)
{
    const double whole = std::trunc(date);
    auto day = static_cast<int64_t>(whole);
    auto seconds = static_cast<int64_t>(std::llround(std::fabs(date - whole) * kSecondsPerDay));
    if (seconds >= kSecondsPerDay) {
        // Rounded up to the next midnight.
        seconds -= kSecondsPerDay;
        day += 1;
    }
    return {day, seconds};
}

double join(int64_t day, int64_t seconds)
{
    const double time = static_cast<double>(seconds) / kSecondsPerDay;
    return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

double joinTotal(int64_t total)
{
    return join(floorDiv(total, kSecondsPerDay), floorMod(total, kSecondsPerDay));
}

bool inRange(double date)
{
    return date >= static_cast<double>(dayNumber(kMinYear, 1, 1)) &&
           date < static_cast<double>(dayNumber(kMaxYear, 12, 31) + 1);
}

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};
const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

int currentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

int fullYear(int year, int digits)
{
    if (digits <= 2 && year < 100) {
        return year < 30 ? 2000 + year : 1900 + year;
    }
    return year;
}

int weekStart(int64_t day, int firstDay)
{
    // Day number 1 (31 December 1899) is a Sunday.
    return static_cast<int>(day - floorMod(day - 1 - (firstDay - 1), 7));
}

} // namespace

DateParts partsOf(double date)
{
    const DayTime dt = split(date);
    DateParts p;
    civilFromDays(dt.day - kUnixEpoch, p.year, p.month, p.day);
    p.hour = static_cast<int>(dt.seconds / 3600);
    p.minute = static_cast<int>(dt.seconds / 60 % 60);
    p.second = static_cast<int>(dt.seconds % 60);
    p.weekday = static_cast<int>(floorMod(dt.day - 1, 7)) + 1;
    p.dayOfYear = static_cast<int>(dt.day - dayNumber(p.year, 1, 1)) + 1;
    return p;
}

std::optional<double> dateOf(int year, int month, int day)
{
    year = fullYear(year, year < 100 && year >= 0 ? 2 : 4);
    const int64_t months = static_cast<int64_t>(year) * 12 + (month - 1);
    const int64_t y = floorDiv(months, 12);
    const int64_t m = floorMod(months, 12) + 1;
    if (y < kMinYear || y > kMaxYear) {
        return std::nullopt;
    }
    const double date = static_cast<double>(daysFromCivil(y, m, 1) + kUnixEpoch + (day - 1));
    if (!inRange(date)) {
        return std::nullopt;
    }
    return date;
}

double timeOf(int hour, int minute, int second)
{
    const int64_t total =
        static_cast<int64_t>(hour) * 3600 + static_cast<int64_t>(minute) * 60 + second;
    return joinTotal(total);
}

double combine(double date, double time)
{
    const DayTime d = split(date);
    const DayTime t = split(time);
    return joinTotal(d.day * kSecondsPerDay + t.total());
}

std::string dateText(double date)
{
    const DayTime dt = split(date);
    const DateParts p = partsOf(date);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d/%d/%d", p.month, p.day, p.year);
    const std::string day = buf;
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", hour12, p.minute, p.second,
                  p.hour < 12 ? "AM" : "PM");
    const std::string time = buf;
    if (dt.day == 0) {
        return time;
    }
    return dt.seconds == 0 ? day : day + " " + time;
}

std::optional<double> parseDate(std::string_view text)
{
    struct Part
    {
        bool number;
        std::string text;
        int value;
    };
    std::vector<Part> parts;
    std::vector<char> separators; // the separator after each part
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isdigit(c)) {
            size_t j = i;
            while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
                ++j;
            }
            if (j - i > 4) {
                return std::nullopt;
            }
            const std::string digits(text.substr(i, j - i));
            parts.push_back({true, digits, std::stoi(digits)});
            separators.push_back(' ');
            i = j;
        } else if (std::isalpha(c)) {
            size_t j = i;
            while (j < text.size() && std::isalpha(static_cast<unsigned char>(text[j]))) {
                ++j;
            }
            parts.push_back({false, lower(text.substr(i, j - i)), 0});
            separators.push_back(' ');
            i = j;
        } else if (c == ':' || c == '/' || c == '-' || c == ',' || c == '.' || c == ' ') {
            if (c == ':') {
                if (separators.empty()) {
                    return std::nullopt;
                }
                separators.back() = ':';
            }
            ++i;
        } else {
            return std::nullopt;
        }
    }
    // The time: numbers joined by ':', then AM or PM.
    std::optional<int> hour, minute, second;
    int ampm = 0; // 1 AM, 2 PM
    std::vector<Part> dateParts;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].number && separators[i] == ':' && !hour) {
            hour = parts[i].value;
            if (i + 1 >= parts.size() || !parts[i + 1].number) {
                return std::nullopt;
            }
            minute = parts[++i].value;
            if (separators[i] == ':') {
                if (i + 1 >= parts.size() || !parts[i + 1].number) {
                    return std::nullopt;
                }
                second = parts[++i].value;
            }
            continue;
        }
        if (!parts[i].number && (parts[i].text == "am" || parts[i].text == "a" ||
                                 parts[i].text == "pm" || parts[i].text == "p")) {
            ampm = parts[i].text[0] == 'a' ? 1 : 2;
            continue;
        }
        dateParts.push_back(parts[i]);
    }
    if (ampm != 0 && !hour) {
        // "3 PM": an hour alone.
        if (dateParts.empty() || !dateParts.back().number) {
            return std::nullopt;
        }
        hour = dateParts.back().value;
        minute = 0;
        dateParts.pop_back();
    }
    std::vector<Part> numbers;
    int month = 0;
    for (const Part& p : dateParts) {
        if (p.number) {
            numbers.push_back(p);
            continue;
        }
        bool known = false;
        for (int m = 0; m < 12 && p.text.size() >= 3; ++m) {
            if (lower(kMonths[m]).rfind(p.text, 0) == 0) {
                if (month != 0) {
                    return std::nullopt;
                }
                month = m + 1;
                known = true;
            }
        }
        for (int w = 0; w < 7 && !known && p.text.size() >= 3; ++w) {
            known = lower(kWeekdays[w]).rfind(p.text, 0) == 0;
        }
        if (!known) {
            return std::nullopt;
        }
    }
    double date = 0;
    if (!numbers.empty() || month != 0) {
        int year = 0;
        int day = 0;
        if (month != 0) {
            if (numbers.size() == 2) {
                const bool firstIsYear = numbers[0].text.size() >= 3 || numbers[0].value > 31;
                const Part& y = firstIsYear ? numbers[0] : numbers[1];
                const Part& d = firstIsYear ? numbers[1] : numbers[0];
                year = fullYear(y.value, static_cast<int>(y.text.size()));
                day = d.value;
            } else if (numbers.size() == 1) {
                year = currentYear();
                day = numbers[0].value;
            } else {
                return std::nullopt;
            }
        } else if (numbers.size() == 3) {
            if (numbers[0].text.size() >= 3 || numbers[0].value > 31) {
                year = numbers[0].value;
                month = numbers[1].value;
                day = numbers[2].value;
            } else {
                month = numbers[0].value;
                day = numbers[1].value;
                year = fullYear(numbers[2].value, static_cast<int>(numbers[2].text.size()));
            }
        } else if (numbers.size() == 2) {
            month = numbers[0].value;
            day = numbers[1].value;
            year = currentYear();
        } else {
            return std::nullopt;
        }
        if (month > 12 && day <= 12) {
            std::swap(month, day);
        }
        if (year < kMinYear || year > kMaxYear || month < 1 || month > 12 || day < 1 ||
            day > daysInMonth(year, month)) {
            return std::nullopt;
        }
        date = static_cast<double>(dayNumber(year, month, day));
    } else if (!hour) {
        return std::nullopt;
    }
    if (hour) {
        int h = *hour;
        if (ampm != 0) {
            if (h < 1 || h > 12) {
                return std::nullopt;
            }
            h = ampm == 2 ? (h % 12) + 12 : h % 12;
        }
        const int m = minute.value_or(0);
        const int s = second.value_or(0);
        if (h > 23 || m > 59 || s > 59) {
            return std::nullopt;
        }
        date = combine(date, timeOf(h, m, s));
    }
    return date;
}

std::optional<double> dateAdd(std::string_view interval, double number, double date)
{
    const std::string unit = lower(interval);
    const auto n = static_cast<int64_t>(std::nearbyint(number));
    const DayTime dt = split(date);
    double out = 0;
    if (unit == "yyyy" || unit == "q" || unit == "m") {
        const DateParts p = partsOf(date);
        const int64_t per = unit == "yyyy" ? 12 : (unit == "q" ? 3 : 1);
        const int64_t months = static_cast<int64_t>(p.year) * 12 + (p.month - 1) + n * per;
        const int64_t y = floorDiv(months, 12);
        const auto m = static_cast<int>(floorMod(months, 12) + 1);
        if (y < kMinYear || y > kMaxYear) {
            return std::nullopt;
        }
        // The day stays, or becomes the last of a shorter month.
        const int d = std::min(p.day, daysInMonth(static_cast<int>(y), m));
        out = join(dayNumber(static_cast<int>(y), m, d), dt.seconds);
    } else if (unit == "y" || unit == "d" || unit == "w") {
        out = join(dt.day + n, dt.seconds);
    } else if (unit == "ww") {
        out = join(dt.day + 7 * n, dt.seconds);
    } else if (unit == "h" || unit == "n" || unit == "s") {
        const int64_t per = unit == "h" ? 3600 : (unit == "n" ? 60 : 1);
        out = joinTotal(dt.total() + n * per);
    } else {
        return std::nullopt;
    }
    if (!inRange(out)) {
        return std::nullopt;
    }
    return out;
}

std::optional<int64_t> dateDiff(std::string_view interval, double from, double to, int firstDay)
{
    const std::string unit = lower(interval);
    const DayTime a = split(from);
    const DayTime b = split(to);
    const DateParts pa = partsOf(from);
    const DateParts pb = partsOf(to);
    if (unit == "yyyy") {
        return pb.year - pa.year;
    }
    if (unit == "q") {
        return (pb.year * 4 + (pb.month - 1) / 3) - (pa.year * 4 + (pa.month - 1) / 3);
    }
    if (unit == "m") {
        return (pb.year * 12 + pb.month) - (pa.year * 12 + pa.month);
    }
    if (unit == "y" || unit == "d") {
        return b.day - a.day;
    }
    if (unit == "w") {
        return (b.day - a.day) / 7;
    }
    if (unit == "ww") {
        return (weekStart(b.day, firstDay) - weekStart(a.day, firstDay)) / 7;
    }
    if (unit == "h" || unit == "n" || unit == "s") {
        const int64_t per = unit == "h" ? 3600 : (unit == "n" ? 60 : 1);
        return floorDiv(b.total(), per) - floorDiv(a.total(), per);
    }
    return std::nullopt;
}

int weekday(double date, int firstDay)
{
    return static_cast<int>(floorMod(partsOf(date).weekday - firstDay, 7)) + 1;
}

std::optional<int32_t> datePart(std::string_view interval, double date, int firstDay)
{
    const std::string unit = lower(interval);
    const DateParts p = partsOf(date);
    if (unit == "yyyy") {
        return p.year;
    }
    if (unit == "q") {
        return (p.month - 1) / 3 + 1;
    }
    if (unit == "m") {
        return p.month;
    }
    if (unit == "y") {
        return p.dayOfYear;
    }
    if (unit == "d") {
        return p.day;
    }
    if (unit == "w") {
        return weekday(date, firstDay);
    }
    if (unit == "ww") {
        // Week 1 holds 1 January.
        const int64_t jan1 = dayNumber(p.year, 1, 1);
        return (weekStart(split(date).day, firstDay) - weekStart(jan1, firstDay)) / 7 + 1;
    }
    if (unit == "h") {
        return p.hour;
    }
    if (unit == "n") {
        return p.minute;
    }
    if (unit == "s") {
        return p.second;
    }
    return std::nullopt;
}

std::string monthName(int month, bool abbreviated)
{
    if (month < 1 || month > 12) {
        return std::string();
    }
    const std::string name = kMonths[month - 1];
    return abbreviated ? name.substr(0, 3) : name;
}

std::string weekdayName(int weekday, bool abbreviated)
{
    if (weekday < 1 || weekday > 7) {
        return std::string();
    }
    const std::string name = kWeekdays[weekday - 1];
    return abbreviated ? name.substr(0, 3) : name;
}

bool isDatePattern(std::string_view pattern)
{
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
        if (c == '"') {
            const size_t close = pattern.find('"', i + 1);
            i = close == std::string_view::npos ? pattern.size() : close;
            continue;
        }
        if (c == '\\') {
            ++i;
            continue;
        }
        if (std::string_view("ydhnswqmc").find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string formatDate(double date, std::string_view pattern)
{
    const std::string named = lower(pattern);
    if (named.empty() || named == "general date" || named == "c") {
        return dateText(date);
    }
    if (named == "long date") {
        return formatDate(date, "dddd, mmmm d, yyyy");
    }
    if (named == "medium date") {
        return formatDate(date, "dd-mmm-yy");
    }
    if (named == "short date") {
        return formatDate(date, "m/d/yyyy");
    }
    if (named == "long time") {
        return formatDate(date, "h:nn:ss AM/PM");
    }
    if (named == "medium time") {
        return formatDate(date, "hh:nn AM/PM");
    }
    if (named == "short time") {
        return formatDate(date, "hh:nn");
    }
    const DateParts p = partsOf(date);
    const bool twelveHour =
        named.find("am/pm") != std::string::npos || named.find("a/p") != std::string::npos;
    const auto number = [](int v, int width) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", width, v);
        return std::string(buf);
    };
    std::string out;
    bool afterHour = false; // "m" after an hour is minutes
    for (size_t i = 0; i < pattern.size();) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
        if (pattern[i] == '"') {
            const size_t close = pattern.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? pattern.size() : close;
            out += pattern.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (pattern[i] == '\\' && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        if (named.compare(i, 5, "am/pm") == 0) {
            const bool upper = std::isupper(static_cast<unsigned char>(pattern[i]));
            out += p.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        if (named.compare(i, 3, "a/p") == 0) {
            const bool upper = std::isupper(static_cast<unsigned char>(pattern[i]));
            out += p.hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
            i += 3;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() &&
               std::tolower(static_cast<unsigned char>(pattern[i + run])) == c) {
            ++run;
        }
        const int hour = twelveHour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
        switch (c) {
        case 'y':
            out += run == 1 ? std::to_string(p.dayOfYear)
                            : (run == 2 ? number(p.year % 100, 2) : number(p.year, 4));
            break;
        case 'm': {
            // Minutes after an hour or before seconds, else the month.
            size_t k = i + run;
            while (k < named.size() && !std::isalpha(static_cast<unsigned char>(named[k]))) {
                ++k;
            }
            const bool minutes = run <= 2 && (afterHour || (k < named.size() && named[k] == 's'));
            if (minutes) {
                out += number(p.minute, static_cast<int>(run));
            } else if (run <= 2) {
                out += number(p.month, static_cast<int>(run));
            } else {
                out += monthName(p.month, run == 3);
            }
            break;
        }
        case 'd':
            if (run <= 2) {
                out += number(p.day, static_cast<int>(run));
            } else if (run <= 4) {
                out += weekdayName(p.weekday, run == 3);
            } else {
                out += formatDate(date, run == 5 ? "short date" : "long date");
            }
            break;
        case 'w':
            out += run == 1 ? std::to_string(p.weekday)
                            : std::to_string(datePart("ww", date, 1).value_or(0));
            break;
        case 'q':
            out += std::to_string((p.month - 1) / 3 + 1);
            break;
        case 'h':
            out += number(hour, std::min<int>(static_cast<int>(run), 2));
            break;
        case 'n':
            out += number(p.minute, std::min<int>(static_cast<int>(run), 2));
            break;
        case 's':
            out += number(p.second, std::min<int>(static_cast<int>(run), 2));
            break;
        case 'c':
            out += dateText(date);
            break;
        default:
            out += pattern.substr(i, run);
            break;
        }
        if (std::isalpha(static_cast<unsigned char>(c))) {
            afterHour = c == 'h';
        }
        i += run;
    }
    return out;
}

} // namespace platform::basic::datetime
