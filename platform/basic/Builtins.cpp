// The dialect's built-in functions and its file statements.

#include "platform/automation/ClassRegistry.h"
#include "platform/basic/Collection.h"
#include "platform/basic/DateTime.h"
#include "platform/basic/Interpreter.h"
#include "platform/basic/Record.h"
#include "platform/basic/TextPattern.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <unistd.h>
#include <vector>

namespace platform::basic {

using automation::DispatchPtr;
using automation::FAILED;
using automation::SUCCEEDED;
using automation::Variant;
using automation::VarType;

namespace {

// The longest text Space and String make at once.
constexpr int32_t kMaxTextLength = 256 * 1024 * 1024;

bool isNumericType(VarType t)
{
    return t == VarType::I2 || t == VarType::I4 || t == VarType::R4 || t == VarType::R8 ||
           t == VarType::UI1 || t == VarType::Cy || t == VarType::Decimal || t == VarType::Bool ||
           t == VarType::Empty;
}

std::string lowerText(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string upperText(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// A number with a fixed count of decimals, independent of the process's locale. The
// dialect sees a Double as its 15 significant decimal digits and rounds those half away
// from zero (2.5 gives 3, 1.005 to two places 1.01), not the binary value half to even.
std::string fixedText(double v, int decimals)
{
    char buf[400];
    if (!std::isfinite(v) || decimals < 0 || decimals > 300) {
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed,
                                             std::clamp(decimals, 0, 300));
        return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    if (ec != std::errc()) {
        return std::string();
    }
    // buf: "d.dddddddddddddde[+-]xx"
    const std::string text(buf, end);
    const size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    int exponent = std::atoi(text.c_str() + e + 1);
    if (v == 0) {
        exponent = 0;
    }
    // The digits kept: those before the point (exponent + 1) and the decimals.
    const int keep = exponent + 1 + decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<size_t>(keep)] >= '5';
        digits.resize(static_cast<size_t>(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[static_cast<size_t>(i)] == '9') {
                digits[static_cast<size_t>(i)] = '0';
                --i;
            }
            if (i >= 0) {
                ++digits[static_cast<size_t>(i)];
            } else {
                digits.insert(digits.begin(), '1');
                ++exponent;
            }
        }
    }
    // Place the point: exponent + 1 digits before it.
    const int whole = exponent + 1;
    std::string out = v < 0 ? "-" : "";
    if (whole <= 0) {
        out += '0';
    } else {
        for (int i = 0; i < whole; ++i) {
            out += i < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
        }
    }
    if (decimals > 0) {
        out += '.';
        for (int i = 0; i < decimals; ++i) {
            const int at = whole + i;
            out += at >= 0 && at < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(at)]
                                                                   : '0';
        }
    }
    return out;
}

} // namespace

std::string basicText(const Variant& v)
{
    if (v.type() == VarType::Date) {
        return datetime::dateText(v.toR8().value);
    }
    return v.toBstr().value;
}

std::string textOf(const Value& v)
{
    return v.date ? datetime::dateText(v.v.toR8().value) : basicText(v.v);
}

namespace {

// The number formats that have names, as the patterns they stand for (empty: handled apart).
std::optional<std::string> namedNumberFormat(const std::string& lowerName)
{
    static const std::map<std::string, std::string> names = {
        {"general number", ""}, {"currency", "$#,##0.00;($#,##0.00)"},
        {"fixed", "0.00"},      {"standard", "#,##0.00"},
        {"percent", "0.00%"},   {"scientific", "0.00E+00"},
        {"yes/no", ""},         {"true/false", ""},
        {"on/off", ""},
    };
    const auto it = names.find(lowerName);
    if (it == names.end()) {
        return std::nullopt;
    }
    return it->second;
}

// The sections of a pattern, split at the semicolons outside quotes.
std::vector<std::string> patternSections(const std::string& pattern)
{
    std::vector<std::string> sections(1);
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"') {
            const size_t close = pattern.find('"', i + 1);
            const size_t end = close == std::string::npos ? pattern.size() : close + 1;
            sections.back() += pattern.substr(i, end - i);
            i = end - 1;
        } else if (c == '\\' && i + 1 < pattern.size()) {
            sections.back() += pattern.substr(i, 2);
            ++i;
        } else if (c == ';') {
            sections.emplace_back();
        } else {
            sections.back() += c;
        }
    }
    return sections;
}

// One section of a number pattern ("#,##0.00", "0.0%", "0.00E+00", "$#,##0"): digit places
// '0' (a digit or 0) and '#' (a digit or nothing), the point, the thousands separator, '%'
// (the value times 100), an exponent and literal text. The sign goes first.
std::string formatSection(double x, const std::string& p, bool withSign)
{
    // Read the layout of the section.
    int wholeZeros = 0;       // '0' places before the point
    int wholePlaces = 0;      // '0' and '#' places before the point
    int decimals = 0;         // places after the point
    int optionalDecimals = 0; // trailing '#' places after the point
    bool point = false;
    bool grouping = false;
    int scaling = 0; // commas right after the last whole place: each divides by 1000
    bool percent = false;
    size_t exponentAt = std::string::npos;
    int exponentDigits = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '"') {
            const size_t close = p.find('"', i + 1);
            i = close == std::string::npos ? p.size() : close;
            continue;
        }
        if (c == '\\') {
            ++i;
            continue;
        }
        if (exponentAt != std::string::npos) {
            if (c == '0' || c == '#') {
                ++exponentDigits;
            }
            continue;
        }
        if (c == '0' || c == '#') {
            if (point) {
                ++decimals;
                optionalDecimals = c == '#' ? optionalDecimals + 1 : 0;
            } else {
                if (scaling > 0) {
                    // A comma between places groups thousands.
                    grouping = true;
                    scaling = 0;
                }
                ++wholePlaces;
                wholeZeros += c == '0' ? 1 : 0;
            }
        } else if (c == '.' && !point) {
            point = true;
        } else if (c == ',' && !point && wholePlaces > 0) {
            ++scaling;
        } else if (c == '%') {
            percent = true;
        } else if ((c == 'E' || c == 'e') && i + 1 < p.size() &&
                   (p[i + 1] == '+' || p[i + 1] == '-') && (wholePlaces > 0 || decimals > 0)) {
            exponentAt = i;
            ++i;
        }
    }
    if (percent) {
        x *= 100;
    }
    for (int k = 0; k < scaling; ++k) {
        x /= 1000;
    }
    const bool negative = x < 0;
    x = std::fabs(x);

    // The digits before and after the point, and the exponent.
    std::string whole, frac, exponent;
    if (exponentAt != std::string::npos) {
        const int lead = std::max(wholePlaces, 1);
        int exp10 = 0;
        if (x != 0) {
            exp10 = static_cast<int>(std::floor(std::log10(x))) - (lead - 1);
        }
        double mantissa = x / std::pow(10.0, exp10);
        std::string m = fixedText(mantissa, decimals);
        // Rounding may carry into one more digit.
        const size_t leadDigits = std::min(m.find('.'), m.size());
        if (x != 0 && leadDigits > static_cast<size_t>(lead)) {
            ++exp10;
            mantissa = x / std::pow(10.0, exp10);
            m = fixedText(mantissa, decimals);
        }
        const size_t dot = m.find('.');
        whole = m.substr(0, dot);
        frac = dot == std::string::npos ? "" : m.substr(dot + 1);
        std::string digits = std::to_string(std::abs(exp10));
        while (static_cast<int>(digits.size()) < exponentDigits) {
            digits = "0" + digits;
        }
        const bool plus = p[exponentAt + 1] == '+';
        exponent = std::string(1, p[exponentAt]) + (exp10 < 0 ? "-" : (plus ? "+" : "")) + digits;
    } else {
        const std::string s = fixedText(x, decimals);
        const size_t dot = s.find('.');
        whole = s.substr(0, dot);
        frac = dot == std::string::npos ? "" : s.substr(dot + 1);
    }
    int dropped = 0;
    while (dropped < optionalDecimals && !frac.empty() && frac.back() == '0') {
        frac.pop_back();
        ++dropped;
    }
    // A whole part of zero shows only as many digits as there are '0' places.
    if (whole == "0") {
        whole.clear();
    }
    while (static_cast<int>(whole.size()) < wholeZeros) {
        whole = "0" + whole;
    }
    if (grouping) {
        std::string grouped;
        for (size_t i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0) {
                grouped += ',';
            }
            grouped += whole[i];
        }
        whole = grouped;
    }
    // Lay the parts out in the pattern's order.
    std::string out = withSign && negative ? "-" : "";
    bool wholeDone = false;
    bool pointSeen = false;
    size_t fracAt = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '"') {
            const size_t close = p.find('"', i + 1);
            const size_t end = close == std::string::npos ? p.size() : close;
            out += p.substr(i + 1, end - i - 1);
            i = end;
            continue;
        }
        if (c == '\\' && i + 1 < p.size()) {
            out += p[++i];
            continue;
        }
        if (i == exponentAt) {
            if (!wholeDone) {
                out += whole;
                wholeDone = true;
            }
            out += exponent;
            i += 1;
            while (i + 1 < p.size() && (p[i + 1] == '0' || p[i + 1] == '#')) {
                ++i;
            }
            continue;
        }
        if (c == '0' || c == '#') {
            if (!pointSeen) {
                if (!wholeDone) {
                    out += whole;
                    wholeDone = true;
                }
            } else if (fracAt < frac.size()) {
                out += frac[fracAt++];
            }
            continue;
        }
        if (c == '.' && !pointSeen) {
            pointSeen = true;
            if (!wholeDone) {
                out += whole;
                wholeDone = true;
            }
            if (!frac.empty()) {
                out += '.';
            }
            continue;
        }
        if (c == ',' && !pointSeen) {
            continue;
        }
        out += c;
    }
    if (!wholeDone && (wholePlaces > 0 || decimals > 0)) {
        out += whole;
    }
    return out;
}

// Format(value, pattern) of a number: a named format ("Fixed", "Percent", "Yes/No") or
// sections "positive;negative;zero" (dates: datetime::formatDate).
std::string formatValue(const Variant& v, const std::string& pattern)
{
    if (pattern.empty()) {
        return basicText(v);
    }
    const auto number = v.toR8();
    const std::string p = lowerText(pattern);
    if (const auto named = namedNumberFormat(p)) {
        if (!number) {
            return v.toBstr().value;
        }
        if (p == "general number") {
            return basicText(Variant(number.value));
        }
        if (p == "yes/no") {
            return number.value != 0 ? "Yes" : "No";
        }
        if (p == "true/false") {
            return number.value != 0 ? "True" : "False";
        }
        if (p == "on/off") {
            return number.value != 0 ? "On" : "Off";
        }
        return formatValue(v, *named);
    }
    if (!number) {
        return v.toBstr().value;
    }
    const std::vector<std::string> sections = patternSections(pattern);
    const double x = number.value;
    if (x < 0 && sections.size() > 1 && !sections[1].empty()) {
        return formatSection(-x, sections[1], false);
    }
    if (x == 0 && sections.size() > 2 && !sections[2].empty()) {
        return formatSection(x, sections[2], false);
    }
    return formatSection(x, sections[0], true);
}

double automationNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double seconds = static_cast<double>(timegm(&local));
    return seconds / 86400.0 + 25569.0;
}

} // namespace

namespace {

// Thrown for a Null text argument of a function that answers Null for it.
struct NullArgument
{};

// The text functions that answer Null for a Null argument.
bool nullPropagates(const std::string& name)
{
    static const char* names[] = {"len",   "left",  "right", "mid",   "trim",
                                  "ltrim", "rtrim", "lcase", "ucase", "strconv"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return name == n; });
}

// The parameter names of the built-ins scripts call with named arguments.
const std::vector<std::string>* builtinParameters(const std::string& name)
{
    static const std::map<std::string, std::vector<std::string>> names = {
        {"msgbox", {"prompt", "buttons", "title", "helpfile", "context"}},
        {"inputbox", {"prompt", "title", "default", "xpos", "ypos", "helpfile", "context"}},
        {"instr", {"start", "string1", "string2", "compare"}},
        {"instrrev", {"stringcheck", "stringmatch", "start", "compare"}},
        {"split", {"expression", "delimiter", "limit", "compare"}},
        {"join", {"sourcearray", "delimiter"}},
        {"filter", {"sourcearray", "match", "include", "compare"}},
        {"replace", {"expression", "find", "replace", "start", "count", "compare"}},
        {"strcomp", {"string1", "string2", "compare"}},
        {"format", {"expression", "format"}},
        {"mid", {"string", "start", "length"}},
        {"left", {"string", "length"}},
        {"right", {"string", "length"}},
        {"round", {"number", "numdigitsafterdecimal"}},
        {"iif", {"expression", "truepart", "falsepart"}},
        {"dateadd", {"interval", "number", "date"}},
        {"datediff", {"interval", "date1", "date2", "firstdayofweek", "firstweekofyear"}},
        {"datepart", {"interval", "date", "firstdayofweek", "firstweekofyear"}},
        {"dateserial", {"year", "month", "day"}},
        {"timeserial", {"hour", "minute", "second"}},
        {"weekday", {"date", "firstdayofweek"}},
        {"abs", {"number"}},
        {"asc", {"string"}},
        {"ascw", {"string"}},
        {"atn", {"number"}},
        {"cbool", {"expression"}},
        {"cbyte", {"expression"}},
        {"ccur", {"expression"}},
        {"cdec", {"expression"}},
        {"cdate", {"expression"}},
        {"cdbl", {"expression"}},
        {"chr", {"charcode"}},
        {"chrw", {"charcode"}},
        {"cint", {"expression"}},
        {"clng", {"expression"}},
        {"cos", {"number"}},
        {"createobject", {"class", "servername"}},
        {"csng", {"expression"}},
        {"cstr", {"expression"}},
        {"cvar", {"expression"}},
        {"datevalue", {"date"}},
        {"day", {"date"}},
        {"dir", {"pathname", "attributes"}},
        {"environ", {"expression"}},
        {"eof", {"filenumber"}},
        {"exp", {"number"}},
        {"fix", {"number"}},
        {"hex", {"number"}},
        {"hour", {"time"}},
        {"int", {"number"}},
        {"isarray", {"varname"}},
        {"isdate", {"expression"}},
        {"isempty", {"expression"}},
        {"ismissing", {"argname"}},
        {"isnull", {"expression"}},
        {"isnumeric", {"expression"}},
        {"isobject", {"identifier"}},
        {"lbound", {"arrayname", "dimension"}},
        {"lcase", {"string"}},
        {"len", {"string"}},
        {"log", {"number"}},
        {"ltrim", {"string"}},
        {"minute", {"time"}},
        {"month", {"date"}},
        {"monthname", {"month", "abbreviate"}},
        {"oct", {"number"}},
        {"rnd", {"number"}},
        {"rtrim", {"string"}},
        {"second", {"time"}},
        {"sgn", {"number"}},
        {"sin", {"number"}},
        {"space", {"number"}},
        {"sqr", {"number"}},
        {"str", {"number"}},
        {"string", {"number", "character"}},
        {"strreverse", {"expression"}},
        {"tan", {"number"}},
        {"timevalue", {"time"}},
        {"trim", {"string"}},
        {"typename", {"varname"}},
        {"ubound", {"arrayname", "dimension"}},
        {"ucase", {"string"}},
        {"val", {"string"}},
        {"vartype", {"varname"}},
        {"weekdayname", {"weekday", "abbreviate", "firstdayofweek"}},
        {"year", {"date"}},
    };
    const auto it = names.find(name);
    return it == names.end() ? nullptr : &it->second;
}

} // namespace

bool Interpreter::callBuiltin(const std::string& name, const std::vector<const Expr*>& givenArgs,
                              Frame& frame, Value& result, int line)
{
    try {
        return callBuiltinOf(name, givenArgs, frame, result, line);
    } catch (const NullArgument&) {
        // A text function given Null answers Null.
        result = Value(Variant::null());
        return true;
    }
}

bool Interpreter::callBuiltinOf(const std::string& name, const std::vector<const Expr*>& givenArgs,
                                Frame& frame, Value& result, int line)
{
    // Named arguments of the built-ins that have parameter names here; other names with
    // named arguments are left to the host's extension objects.
    std::vector<const Expr*> placed;
    const bool named = std::any_of(givenArgs.begin(), givenArgs.end(),
                                   [](const Expr* a) { return !a->argName.empty(); });
    if (named) {
        const auto* names = builtinParameters(name);
        if (!names) {
            return false;
        }
        placed = placeNamed(givenArgs, *names, line);
    }
    const std::vector<const Expr*>& args = named ? placed : givenArgs;
    const auto count = args.size();
    const auto value = [&](size_t i) -> Value {
        if (i >= count || args[i]->kind == ExprKind::Missing) {
            raise(449, line);
        }
        return eval(*args[i], frame);
    };
    const auto text = [&](size_t i) {
        const Value v = value(i);
        if (v.isArray()) {
            raise(13, line);
        }
        const auto s = v.v.toBstr();
        if (!s) {
            if (v.v.isNull()) {
                if (nullPropagates(name)) {
                    throw NullArgument{};
                }
                raise(94, line);
            }
            raise(13, line);
        }
        return textOf(v);
    };
    const auto number = [&](size_t i) {
        const Value v = value(i);
        const auto d = v.isArray() ? automation::Coerced<double>{0, automation::DISP_E_TYPEMISMATCH}
                                   : v.v.toR8();
        if (!d) {
            raise(!v.isArray() && v.v.isNull()          ? 94
                  : d.hr == automation::DISP_E_OVERFLOW ? 6
                                                        : 13,
                  line);
        }
        return d.value;
    };
    const auto integer = [&](size_t i) {
        const auto n = Variant(number(i)).toI4();
        if (!n) {
            raise(6, line);
        }
        return n.value;
    };
    const auto optionalArg = [&](size_t i) {
        return i < count && args[i]->kind != ExprKind::Missing;
    };
    const auto arity = [&](size_t lo, size_t hi) {
        if (count < lo || count > hi) {
            raise(450, line);
        }
    };
    const auto set = [&](Variant v) {
        result = Value(std::move(v));
        return true;
    };
    const auto convert = [&](VarType t) {
        arity(1, 1);
        const Value v = value(0);
        if (v.isArray()) {
            raise(13, line);
        }
        const auto c = t == VarType::Bstr
                           ? automation::Coerced<Variant>{Variant(textOf(v)), automation::S_OK}
                           : v.v.changeType(t);
        if (!c) {
            raise(v.v.isNull() ? 94 : c.hr == automation::DISP_E_OVERFLOW ? 6 : 13, line);
        }
        return set(c.value);
    };

    const auto date = [&](size_t i) { return toDate(value(i), line); };
    const auto setDate = [&](std::optional<double> d) {
        if (!d) {
            raise(5, line);
        }
        result = Value::ofDate(*d);
        return true;
    };
    // The comparison of an optional argument: 0 binary, 1 text, -1 (or none) the module's.
    const auto textCompare = [&](size_t i) {
        const int32_t mode = optionalArg(i) ? integer(i) : -1;
        if (mode < -1 || mode > 2) {
            raise(5, line);
        }
        return mode == -1 ? textCompareOf(frame) : mode == 1;
    };
    const auto firstDay = [&](size_t i) {
        const int32_t d = optionalArg(i) ? integer(i) : 1;
        if (d < 0 || d > 7) {
            raise(5, line);
        }
        return d == 0 ? 1 : d;
    };
    const auto textArray = [&](const std::vector<std::string>& items) {
        auto arr = Array::make(BasicType::String);
        arr->lower = {0};
        arr->extent = {static_cast<int32_t>(items.size())};
        arr->data = items;
        result = Value();
        result.array = std::move(arr);
        return true;
    };
    // Hex and Oct: an Integer (or a small negative number that is no Long) as 16 bits.
    const auto radixText = [&](const char* format) {
        arity(1, 1);
        const int32_t n = integer(0);
        char buf[16];
        const Variant x = value(0).v.value();
        if (x.type() == VarType::I2 || (n >= -32768 && n < 0 && x.type() != VarType::I4)) {
            std::snprintf(buf, sizeof buf, format, static_cast<unsigned>(static_cast<uint16_t>(n)));
        } else {
            std::snprintf(buf, sizeof buf, format, static_cast<unsigned>(n));
        }
        return set(std::string(buf));
    };
    const auto oneDimension = [&](size_t i) {
        Value v = value(i);
        if (!v.isArray() || v.array->extent.size() != 1) {
            raise(13, line);
        }
        return v.array;
    };

    if (name == "lbound" || name == "ubound") {
        arity(1, 2);
        const Value v = value(0);
        if (!v.isArray()) {
            raise(13, line);
        }
        const size_t dim = optionalArg(1) ? static_cast<size_t>(integer(1)) : 1;
        if (dim < 1 || dim > v.array->extent.size()) {
            raise(9, line);
        }
        const int32_t lo = v.array->lower[dim - 1];
        // The upper bound is a Long even where lower bound plus count is none.
        return set(name == "lbound" ? lo
                                    : static_cast<int32_t>(static_cast<int64_t>(lo) +
                                                           v.array->extent[dim - 1] - 1));
    }
    switch (name[0]) {
    case 'a':
        if (name == "abs") {
            arity(1, 1);
            const Value v = value(0);
            const Variant x = v.v.value();
            if (x.type() == VarType::I2) {
                return set(Variant(x.toI4().value < 0 ? -x.toI4().value : x.toI4().value)
                               .changeType(VarType::I4)
                               .value);
            }
            return set(std::fabs(number(0)));
        }
        if (name == "asc") {
            arity(1, 1);
            const std::string s = text(0);
            if (s.empty()) {
                raise(5, line);
            }
            return set(static_cast<int32_t>(static_cast<unsigned char>(s[0])));
        }
        if (name == "atn") {
            arity(1, 1);
            return set(std::atan(number(0)));
        }
        if (name == "array") {
            auto arr = Array::make(BasicType::Variant);
            arr->lower = {optionBaseOf(frame)};
            arr->extent = {static_cast<int32_t>(count)};
            arr->resize(count);
            for (size_t i = 0; i < count; ++i) {
                const Value v = value(i);
                if (v.isArray()) {
                    raise(13, line);
                }
                arr->set(i, v.stored());
            }
            result = Value();
            result.array = std::move(arr);
            return true;
        }
        if (name == "ascw") {
            arity(1, 1);
            const std::string s = text(0);
            if (s.empty()) {
                raise(5, line);
            }
            // The first character of the UTF-8 text.
            const auto b = static_cast<unsigned char>(s[0]);
            int32_t cp = b;
            size_t more = b >= 0xF0 ? 3 : (b >= 0xE0 ? 2 : (b >= 0xC0 ? 1 : 0));
            cp = more == 3 ? b & 0x07 : (more == 2 ? b & 0x0F : (more == 1 ? b & 0x1F : b));
            for (size_t k = 1; k <= more && k < s.size(); ++k) {
                cp = (cp << 6) | (static_cast<unsigned char>(s[k]) & 0x3F);
            }
            return set(cp);
        }
        break;
    case 'c':
        if (name == "cstr") {
            return convert(VarType::Bstr);
        }
        if (name == "cint") {
            return convert(VarType::I2);
        }
        if (name == "clng") {
            return convert(VarType::I4);
        }
        if (name == "csng") {
            return convert(VarType::R4);
        }
        if (name == "cdbl") {
            return convert(VarType::R8);
        }
        if (name == "cbool") {
            return convert(VarType::Bool);
        }
        if (name == "cvar") {
            arity(1, 1);
            result = value(0);
            return true;
        }
        if (name == "chr") {
            arity(1, 1);
            const int32_t c = integer(0);
            if (c < 0 || c > 255) {
                raise(5, line);
            }
            return set(std::string(1, static_cast<char>(c)));
        }
        if (name == "cos") {
            arity(1, 1);
            return set(std::cos(number(0)));
        }
        if (name == "createobject") {
            arity(1, 2);
            DispatchPtr object;
            const std::string progId = text(0);
            automation::HRESULT hr = automation::S_OK;
            outside(
                [&] { hr = automation::ClassRegistry::instance().CreateInstance(progId, object); });
            if (FAILED(hr)) {
                raise(429, line);
            }
            return set(Variant(object));
        }
        if (name == "cdate") {
            arity(1, 1);
            return setDate(date(0));
        }
        if (name == "cbyte") {
            return convert(VarType::UI1);
        }
        if (name == "ccur") {
            return convert(VarType::Cy);
        }
        if (name == "cdec") {
            return convert(VarType::Decimal);
        }
        if (name == "choose") {
            if (count < 1) {
                raise(450, line);
            }
            const int32_t i = integer(0);
            if (i < 1 || static_cast<size_t>(i) >= count) {
                return set(Variant());
            }
            result = value(static_cast<size_t>(i));
            return true;
        }
        if (name == "chrw") {
            arity(1, 1);
            int32_t c = integer(0);
            if (c < -32768 || c > 65535) {
                raise(5, line);
            }
            c &= 0xFFFF;
            std::string s;
            if (c < 0x80) {
                s += static_cast<char>(c);
            } else if (c < 0x800) {
                s += static_cast<char>(0xC0 | (c >> 6));
                s += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                s += static_cast<char>(0xE0 | (c >> 12));
                s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                s += static_cast<char>(0x80 | (c & 0x3F));
            }
            return set(s);
        }
        break;
    case 'd':
        if (name == "doevents") {
            arity(0, 0);
            outside([this] { m_host.doEvents(); });
            m_untilHook = m_hookInterval;
            checkControl();
            return set(int16_t{0});
        }
        if (name == "date") {
            return setDate(std::floor(automationNow()));
        }
        if (name == "dateserial") {
            arity(3, 3);
            return setDate(datetime::dateOf(integer(0), integer(1), integer(2)));
        }
        if (name == "dateadd") {
            arity(3, 3);
            const std::string unit = text(0);
            const double n = number(1);
            return setDate(datetime::dateAdd(unit, n, date(2)));
        }
        if (name == "datediff") {
            arity(3, 5);
            const std::string unit = text(0);
            const auto d = datetime::dateDiff(unit, date(1), date(2), firstDay(3));
            if (!d) {
                raise(5, line);
            }
            if (*d >= INT32_MIN && *d <= INT32_MAX) {
                return set(static_cast<int32_t>(*d));
            }
            return set(static_cast<double>(*d));
        }
        if (name == "datepart") {
            arity(2, 4);
            const std::string unit = text(0);
            const auto d = datetime::datePart(unit, date(1), firstDay(2));
            if (!d) {
                raise(5, line);
            }
            return set(static_cast<int16_t>(*d));
        }
        if (name == "datevalue") {
            arity(1, 1);
            return setDate(std::trunc(date(0)));
        }
        if (name == "day") {
            arity(1, 1);
            return set(static_cast<int16_t>(datetime::partsOf(date(0)).day));
        }
        if (name == "dir") {
            arity(0, 2);
            if (count == 0 || !optionalArg(0)) {
                if (m_dirNext >= m_dirEntries.size()) {
                    return set(std::string());
                }
                return set(m_dirEntries[m_dirNext++]);
            }
            // A path whose last part may hold '*' and '?'; attribute 16 also lists folders.
            const std::string path = text(0);
            const bool folders = optionalArg(1) && (integer(1) & 16) != 0;
            const size_t slash = path.find_last_of("/\\");
            const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
            const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
            m_dirEntries.clear();
            m_dirNext = 0;
            std::error_code ec;
            for (std::filesystem::directory_iterator it(folder.empty() ? "/" : folder, ec), end;
                 !ec && it != end; it.increment(ec)) {
                const std::string entry = it->path().filename().string();
                const bool isFolder = it->is_directory(ec);
                if ((isFolder && !folders) ||
                    !likeMatch(entry, pattern.empty() ? "*" : pattern, false, true)) {
                    continue;
                }
                m_dirEntries.push_back(entry);
            }
            std::sort(m_dirEntries.begin(), m_dirEntries.end());
            if (m_dirEntries.empty()) {
                return set(std::string());
            }
            return set(m_dirEntries[m_dirNext++]);
        }
        break;
    case 'e':
        if (name == "exp") {
            arity(1, 1);
            const double r = std::exp(number(0));
            if (std::isinf(r)) {
                raise(6, line);
            }
            return set(r);
        }
        if (name == "eof") {
            arity(1, 1);
            const int32_t n = integer(0);
            const auto it = m_files.find(n);
            if (it == m_files.end()) {
                raise(52, line);
            }
            std::fstream& f = *it->second;
            return set(f.peek() == std::char_traits<char>::eof());
        }
        if (name == "err") {
            return set(static_cast<int32_t>(m_err.number));
        }
        if (name == "erl") {
            return set(m_err.erl);
        }
        if (name == "environ") {
            arity(1, 1);
            const Value v = value(0);
            if (v.v.value().type() == VarType::Bstr) {
                const char* s = std::getenv(text(0).c_str());
                return set(std::string(s ? s : ""));
            }
            // The n-th "NAME=value" of the environment.
            const int32_t n = integer(0);
            if (n < 1 || n > 255) {
                raise(5, line);
            }
            for (char** e = environ; *e; ++e) {
                if (e - environ == n - 1) {
                    return set(std::string(*e));
                }
            }
            return set(std::string());
        }
        break;
    case 'f':
        if (name == "fix") {
            arity(1, 1);
            const Value v = value(0);
            const double d = number(0);
            (void)v;
            return set(std::trunc(d));
        }
        if (name == "format") {
            arity(1, 2);
            const Value v = value(0);
            const std::string pattern = optionalArg(1) ? text(1) : std::string();
            const bool namedNumber = namedNumberFormat(lowerText(pattern)).has_value();
            if (!namedNumber &&
                (v.date || (!pattern.empty() && datetime::isDatePattern(pattern)))) {
                return set(datetime::formatDate(date(0), pattern));
            }
            return set(formatValue(v.v.value(), pattern));
        }
        if (name == "freefile") {
            for (int32_t n = 1; n < 256; ++n) {
                if (!m_files.contains(n)) {
                    return set(static_cast<int16_t>(n));
                }
            }
            raise(67, line, "Too many files");
        }
        if (name == "filter") {
            arity(2, 4);
            const auto arr = oneDimension(0);
            const std::string match = text(1);
            const bool include = optionalArg(2) ? value(2).v.toBool().value : true;
            const bool folded = textCompare(3);
            const auto fold = [&](std::string s) { return folded ? lowerText(std::move(s)) : s; };
            std::vector<std::string> kept;
            for (size_t i = 0; i < arr->size(); ++i) {
                const std::string item = basicText(arr->get(i));
                if ((fold(item).find(fold(match)) != std::string::npos) == include) {
                    kept.push_back(item);
                }
            }
            return textArray(kept);
        }
        break;
    case 'h':
        if (name == "hex") {
            return radixText("%X");
        }
        if (name == "hour") {
            arity(1, 1);
            return set(static_cast<int16_t>(datetime::partsOf(date(0)).hour));
        }
        break;
    case 'i':
        if (name == "int") {
            arity(1, 1);
            const Variant x = value(0).v.value();
            const double d = std::floor(number(0));
            if (x.type() == VarType::I2 || x.type() == VarType::I4) {
                return set(x);
            }
            return set(d);
        }
        if (name == "instr") {
            arity(2, 4);
            size_t start = 0;
            size_t first = 0;
            if (count >= 3) {
                const int32_t s = integer(0);
                if (s < 1) {
                    raise(5, line);
                }
                start = static_cast<size_t>(s - 1);
                first = 1;
            }
            std::string hay = text(first);
            std::string needle = text(first + 1);
            if (textCompare(3)) {
                hay = lowerText(hay);
                needle = lowerText(needle);
            }
            if (start > hay.size()) {
                return set(int32_t{0});
            }
            const size_t pos = hay.find(needle, start);
            return set(static_cast<int32_t>(pos == std::string::npos ? 0 : pos + 1));
        }
        if (name == "inputbox") {
            // The position and help arguments are accepted and not used. Cancel gives "".
            arity(1, 7);
            const std::string prompt = text(0);
            const std::string title = optionalArg(1) ? text(1) : moduleName();
            const std::string offered = optionalArg(2) ? text(2) : std::string();
            for (size_t i = 3; i < 5; ++i) {
                if (optionalArg(i)) {
                    number(i);
                }
            }
            std::optional<std::string> answer;
            outside([&] { answer = m_host.inputBox(prompt, title, offered); });
            return set(answer ? std::move(*answer) : std::string());
        }
        if (name == "isnumeric") {
            arity(1, 1);
            const Value v = value(0);
            if (v.isArray()) {
                return set(false);
            }
            const Variant x = v.v.value();
            if (x.type() == VarType::Bstr) {
                return set(static_cast<bool>(x.toR8()) && !x.toBstr().value.empty());
            }
            return set(isNumericType(x.type()));
        }
        if (name == "isempty") {
            arity(1, 1);
            const Value v = value(0);
            return set(!v.isArray() && v.v.value().isEmpty());
        }
        if (name == "isobject") {
            arity(1, 1);
            const Value v = value(0);
            return set(!v.isArray() && v.v.value().type() == VarType::Dispatch);
        }
        if (name == "isarray") {
            arity(1, 1);
            return set(value(0).isArray());
        }
        if (name == "ismissing") {
            arity(1, 1);
            return set(value(0).v.isMissing());
        }
        if (name == "iif") {
            arity(3, 3);
            // Both parts are evaluated, as the dialect does.
            const auto c = value(0).v.toBool();
            if (!c) {
                raise(13, line);
            }
            const Value yes = value(1);
            const Value no = value(2);
            result = c.value ? yes : no;
            return true;
        }
        if (name == "isdate") {
            arity(1, 1);
            const Value v = value(0);
            return set(v.date || (!v.isArray() && v.v.value().type() == VarType::Bstr &&
                                  datetime::parseDate(basicText(v.v)).has_value()));
        }
        if (name == "isnull") {
            arity(1, 1);
            const Value v = value(0);
            return set(!v.isArray() && v.v.isNull());
        }
        if (name == "instrrev") {
            arity(2, 4);
            const bool folded = textCompare(3);
            std::string hay = text(0);
            std::string needle = text(1);
            if (folded) {
                hay = lowerText(hay);
                needle = lowerText(needle);
            }
            const int32_t startAt = optionalArg(2) ? integer(2) : -1;
            if (startAt == 0 || startAt < -1) {
                raise(5, line);
            }
            if (startAt > static_cast<int32_t>(hay.size())) {
                return set(int32_t{0});
            }
            // The match must end at or before startAt.
            const size_t last = startAt == -1 ? hay.size() : static_cast<size_t>(startAt);
            if (needle.size() > last) {
                return set(int32_t{0});
            }
            const size_t pos = hay.rfind(needle, last - needle.size());
            return set(pos == std::string::npos ? int32_t{0} : static_cast<int32_t>(pos + 1));
        }
        break;
    case 'l':
        if (name == "len") {
            arity(1, 1);
            return set(static_cast<int32_t>(text(0).size()));
        }
        if (name == "left") {
            arity(2, 2);
            const std::string s = text(0);
            const int32_t n = integer(1);
            if (n < 0) {
                raise(5, line);
            }
            return set(s.substr(0, static_cast<size_t>(n)));
        }
        if (name == "lcase") {
            arity(1, 1);
            return set(lowerText(text(0)));
        }
        if (name == "ltrim") {
            arity(1, 1);
            std::string s = text(0);
            s.erase(0, s.find_first_not_of(' ') == std::string::npos ? s.size()
                                                                     : s.find_first_not_of(' '));
            return set(s);
        }
        if (name == "log") {
            arity(1, 1);
            const double d = number(0);
            if (d <= 0) {
                raise(5, line);
            }
            return set(std::log(d));
        }
        break;
    case 'm':
        if (name == "mid") {
            arity(2, 3);
            const std::string s = text(0);
            const int32_t start = integer(1);
            if (start < 1) {
                raise(5, line);
            }
            const size_t from = static_cast<size_t>(start - 1);
            if (from >= s.size()) {
                return set(std::string());
            }
            if (optionalArg(2)) {
                const int32_t n = integer(2);
                if (n < 0) {
                    raise(5, line);
                }
                return set(s.substr(from, static_cast<size_t>(n)));
            }
            return set(s.substr(from));
        }
        if (name == "msgbox") {
            arity(1, 3);
            const std::string prompt = text(0);
            const int buttons = optionalArg(1) ? integer(1) : 0;
            const std::string title = optionalArg(2) ? text(2) : moduleName();
            int answer = 0;
            outside([&] { answer = m_host.msgBox(prompt, buttons, title); });
            return set(static_cast<int16_t>(answer));
        }
        if (name == "month") {
            arity(1, 1);
            return set(static_cast<int16_t>(datetime::partsOf(date(0)).month));
        }
        if (name == "minute") {
            arity(1, 1);
            return set(static_cast<int16_t>(datetime::partsOf(date(0)).minute));
        }
        if (name == "monthname") {
            arity(1, 2);
            const int32_t m = integer(0);
            if (m < 1 || m > 12) {
                raise(5, line);
            }
            return set(datetime::monthName(m, optionalArg(1) && value(1).v.toBool().value));
        }
        break;
    case 'n':
        if (name == "now") {
            return setDate(automationNow());
        }
        break;
    case 'r':
        if (name == "right") {
            arity(2, 2);
            const std::string s = text(0);
            const int32_t n = integer(1);
            if (n < 0) {
                raise(5, line);
            }
            const size_t k = std::min(s.size(), static_cast<size_t>(n));
            return set(s.substr(s.size() - k));
        }
        if (name == "replace") {
            // Replace(expression, find, replace[, start[, count[, compare]]]): the text from
            // start on, with up to count (-1: every) occurrences replaced.
            arity(3, 6);
            const std::string whole = text(0);
            const std::string find = text(1);
            const std::string with = text(2);
            const int32_t start = optionalArg(3) ? integer(3) : 1;
            const int32_t most = optionalArg(4) ? integer(4) : -1;
            if (start < 1 || most < -1) {
                raise(5, line);
            }
            if (static_cast<size_t>(start) > whole.size()) {
                return set(std::string());
            }
            const std::string s = whole.substr(static_cast<size_t>(start) - 1);
            const bool folded = textCompare(5);
            const std::string hay = folded ? lowerText(s) : s;
            const std::string needle = folded ? lowerText(find) : find;
            std::string out;
            size_t from = 0;
            int32_t done = 0;
            if (!needle.empty()) {
                for (size_t pos = hay.find(needle); pos != std::string::npos && done != most;
                     pos = hay.find(needle, from)) {
                    out.append(s, from, pos - from).append(with);
                    from = pos + needle.size();
                    ++done;
                }
            }
            out.append(s, from, std::string::npos);
            return set(out);
        }
        if (name == "rtrim") {
            arity(1, 1);
            std::string s = text(0);
            s.erase(s.find_last_not_of(' ') + 1);
            return set(s);
        }
        if (name == "round") {
            arity(1, 2);
            const double d = number(0);
            const int32_t digits = optionalArg(1) ? integer(1) : 0;
            if (digits < 0 || digits > 15) {
                raise(5, line);
            }
            const double scale = std::pow(10.0, digits);
            return set(std::nearbyint(d * scale) / scale);
        }
        if (name == "rnd") {
            // A small linear congruential generator: scripts need variety, not quality.
            m_rndState = m_rndState * 1103515245u + 12345u;
            return set(static_cast<float>((m_rndState >> 8) & 0xFFFFFF) / 16777216.0f);
        }
        break;
    case 's':
        if (name == "sqr") {
            arity(1, 1);
            const double d = number(0);
            if (d < 0) {
                raise(5, line);
            }
            return set(std::sqrt(d));
        }
        if (name == "sin") {
            arity(1, 1);
            return set(std::sin(number(0)));
        }
        if (name == "sgn") {
            arity(1, 1);
            const double d = number(0);
            return set(static_cast<int16_t>(d > 0 ? 1 : (d < 0 ? -1 : 0)));
        }
        if (name == "str") {
            arity(1, 1);
            const double d = number(0);
            std::string s = basicText(value(0).v);
            return set(d >= 0 ? " " + s : s);
        }
        if (name == "space") {
            arity(1, 1);
            const int32_t n = integer(0);
            if (n < 0) {
                raise(5, line);
            }
            if (n > kMaxTextLength) {
                raise(7, line, "Out of memory");
            }
            return set(std::string(static_cast<size_t>(n), ' '));
        }
        if (name == "string") {
            arity(2, 2);
            const int32_t n = integer(0);
            const Value c = value(1);
            if (n < 0) {
                raise(5, line);
            }
            if (n > kMaxTextLength) {
                raise(7, line, "Out of memory");
            }
            const Variant cv = c.v.value();
            const char ch = cv.type() == VarType::Bstr
                                ? (cv.toBstr().value.empty() ? ' ' : cv.toBstr().value[0])
                                : static_cast<char>(cv.toI4().value);
            return set(std::string(static_cast<size_t>(n), ch));
        }
        if (name == "second") {
            arity(1, 1);
            return set(static_cast<int16_t>(datetime::partsOf(date(0)).second));
        }
        if (name == "split") {
            arity(1, 4);
            const std::string s = text(0);
            const std::string delimiter = optionalArg(1) ? text(1) : std::string(" ");
            const int32_t limit = optionalArg(2) ? integer(2) : -1;
            const bool folded = textCompare(3);
            if (limit < -1) {
                raise(5, line);
            }
            std::vector<std::string> parts;
            if (s.empty() || limit == 0) {
                return textArray(parts);
            }
            if (delimiter.empty()) {
                return textArray({s});
            }
            const std::string hay = folded ? lowerText(s) : s;
            const std::string needle = folded ? lowerText(delimiter) : delimiter;
            size_t from = 0;
            while (limit == -1 || static_cast<int32_t>(parts.size()) < limit - 1) {
                const size_t pos = hay.find(needle, from);
                if (pos == std::string::npos) {
                    break;
                }
                parts.push_back(s.substr(from, pos - from));
                from = pos + needle.size();
            }
            parts.push_back(s.substr(from));
            return textArray(parts);
        }
        if (name == "strcomp") {
            arity(2, 3);
            std::string a = text(0);
            std::string b = text(1);
            if (textCompare(2)) {
                a = lowerText(a);
                b = lowerText(b);
            }
            const int c = a.compare(b);
            return set(static_cast<int16_t>(c < 0 ? -1 : (c > 0 ? 1 : 0)));
        }
        if (name == "strreverse") {
            arity(1, 1);
            std::string s = text(0);
            std::reverse(s.begin(), s.end());
            return set(s);
        }
        if (name == "switch") {
            if (count % 2 != 0) {
                raise(5, line);
            }
            for (size_t i = 0; i < count; i += 2) {
                const auto c = value(i).v.toBool();
                if (!c) {
                    raise(13, line);
                }
                if (c.value) {
                    result = value(i + 1);
                    return true;
                }
            }
            return set(Variant());
        }
        break;
    case 't':
        if (name == "trim") {
            arity(1, 1);
            std::string s = text(0);
            const size_t a = s.find_first_not_of(' ');
            if (a == std::string::npos) {
                return set(std::string());
            }
            return set(s.substr(a, s.find_last_not_of(' ') - a + 1));
        }
        if (name == "tan") {
            arity(1, 1);
            return set(std::tan(number(0)));
        }
        if (name == "timer") {
            const auto now = std::chrono::system_clock::now();
            const std::time_t t = std::chrono::system_clock::to_time_t(now);
            std::tm local{};
            localtime_r(&t, &local);
            const double fraction = std::chrono::duration<double>(now.time_since_epoch()).count() -
                                    static_cast<double>(t);
            return set(static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec +
                                          fraction));
        }
        if (name == "time") {
            const double n = automationNow();
            return setDate(n - std::floor(n));
        }
        if (name == "typename") {
            arity(1, 1);
            const Value v = value(0);
            if (v.isArray()) {
                return set(std::string("Variant()"));
            }
            if (v.date) {
                return set(std::string("Date"));
            }
            if (const auto d = v.v.value().toDispatch(); d && d.value && isRecord(d.value.get())) {
                return set(recordTypeName(d.value.get()));
            }
            if (const auto d = v.v.value().toDispatch();
                d && d.value && isCollection(d.value.get())) {
                return set(std::string("Collection"));
            }
            static const std::map<VarType, const char*> names = {
                {VarType::Empty, "Empty"},     {VarType::Null, "Null"},
                {VarType::I2, "Integer"},      {VarType::I4, "Long"},
                {VarType::R4, "Single"},       {VarType::R8, "Double"},
                {VarType::Bstr, "String"},     {VarType::Bool, "Boolean"},
                {VarType::Dispatch, "Object"}, {VarType::Error, "Error"},
                {VarType::UI1, "Byte"},        {VarType::Cy, "Currency"},
                {VarType::Decimal, "Decimal"}};
            const auto it = names.find(v.v.value().type());
            return set(std::string(it != names.end() ? it->second : "Variant"));
        }
        if (name == "timeserial") {
            arity(3, 3);
            return setDate(datetime::timeOf(integer(0), integer(1), integer(2)));
        }
        if (name == "timevalue") {
            arity(1, 1);
            const double d = date(0);
            return setDate(std::fabs(d - std::trunc(d)));
        }
        break;
    case 'u':
        if (name == "ucase") {
            arity(1, 1);
            return set(upperText(text(0)));
        }
        break;
    case 'v':
        if (name == "val") {
            arity(1, 1);
            // The longest leading number; blanks are skipped, anything else ends it.
            std::string s = text(0);
            s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
            size_t n = 0;
            if (n < s.size() && (s[n] == '+' || s[n] == '-')) {
                ++n;
            }
            while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n]))) {
                ++n;
            }
            if (n < s.size() && s[n] == '.') {
                ++n;
                while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n]))) {
                    ++n;
                }
            }
            if (n < s.size() && (s[n] == 'e' || s[n] == 'E')) {
                size_t k = n + 1;
                if (k < s.size() && (s[k] == '+' || s[k] == '-')) {
                    ++k;
                }
                if (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) {
                    n = k;
                    while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n]))) {
                        ++n;
                    }
                }
            }
            const auto d = Variant(s.substr(0, n)).toR8();
            return set(d ? d.value : 0.0);
        }
        if (name == "vartype") {
            arity(1, 1);
            const Value v = value(0);
            const auto code = [](VarType t) { return static_cast<int16_t>(t); };
            if (v.isArray()) {
                const BasicType e = v.array->elementType;
                static const std::map<BasicType, int16_t> elements = {
                    {BasicType::Integer, 2}, {BasicType::Long, 3},     {BasicType::Single, 4},
                    {BasicType::Double, 5},  {BasicType::Date, 7},     {BasicType::String, 8},
                    {BasicType::Object, 9},  {BasicType::Boolean, 11}, {BasicType::Variant, 12},
                    {BasicType::Byte, 17},   {BasicType::Currency, 6}};
                return set(static_cast<int16_t>(8192 + elements.at(e)));
            }
            return set(v.date ? int16_t{7} : code(v.v.value().type()));
        }
        break;
    case 'j':
        if (name == "join") {
            arity(1, 2);
            const auto arr = oneDimension(0);
            const std::string delimiter = optionalArg(1) ? text(1) : std::string(" ");
            std::string out;
            for (size_t i = 0; i < arr->size(); ++i) {
                const Variant item = arr->get(i);
                if (!item.toBstr()) {
                    raise(13, line);
                }
                if (i > 0) {
                    out += delimiter;
                }
                out += basicText(item);
            }
            return set(std::move(out));
        }
        break;
    case 'o':
        if (name == "oct") {
            return radixText("%o");
        }
        break;
    case 'w':
        if (name == "weekday") {
            arity(1, 2);
            return set(static_cast<int16_t>(datetime::weekday(date(0), firstDay(1))));
        }
        if (name == "weekdayname") {
            arity(1, 3);
            const int32_t w = integer(0);
            if (w < 1 || w > 7) {
                raise(5, line);
            }
            const int shift = optionalArg(2) ? firstDay(2) : 1;
            return set(datetime::weekdayName((w - 1 + shift - 1) % 7 + 1,
                                             optionalArg(1) && value(1).v.toBool().value));
        }
        break;
    case 'y':
        if (name == "year") {
            arity(1, 1);
            return set(static_cast<int16_t>(datetime::partsOf(date(0)).year));
        }
        break;
    default:
        break;
    }
    return false;
}

void Interpreter::execFileStatement(const Stmt& s, Frame& frame)
{
    const auto fileNumber = [&](const Expr& e) {
        const auto n = eval(e, frame).v.toI4();
        if (!n || n.value < 1 || n.value > 255) {
            raise(52, s.line);
        }
        return n.value;
    };
    switch (s.kind) {
    case StmtKind::Open: {
        const std::string path = basicText(eval(*s.value, frame).v);
        const int32_t n = fileNumber(*s.channel);
        if (m_files.contains(n)) {
            raise(55, s.line);
        }
        std::ios::openmode mode = std::ios::binary;
        mode |= s.openMode == 1 ? std::ios::in
                                : (s.openMode == 2 ? std::ios::out | std::ios::trunc
                                                   : std::ios::out | std::ios::app);
        auto f = std::make_unique<std::fstream>(path, mode);
        if (!f->is_open()) {
            raise(s.openMode == 1 ? 53 : 75, s.line,
                  s.openMode == 1 ? "" : "Path/File access error");
        }
        m_files[n] = std::move(f);
        return;
    }
    case StmtKind::Close:
        if (s.printItems.empty()) {
            m_files.clear();
            return;
        }
        for (const auto& e : s.printItems) {
            m_files.erase(fileNumber(*e));
        }
        return;
    case StmtKind::Print:
    case StmtKind::Write: {
        const int32_t n = fileNumber(*s.channel);
        const auto it = m_files.find(n);
        if (it == m_files.end()) {
            raise(52, s.line);
        }
        std::string out;
        for (size_t i = 0; i < s.printItems.size(); ++i) {
            if (s.printItems[i]) {
                const Variant v = eval(*s.printItems[i], frame).v.value();
                std::string text = basicText(v);
                if (s.kind == StmtKind::Write) {
                    text = v.type() == VarType::Bstr ? "\"" + text + "\"" : text;
                    if (i + 1 < s.printItems.size()) {
                        text += ",";
                    }
                } else if (isNumericType(v.type()) && v.type() != VarType::Empty &&
                           v.type() != VarType::Bool && (text.empty() || text[0] != '-')) {
                    text = " " + text;
                }
                out += text;
            }
            if (s.kind == StmtKind::Print && i < s.separators.size() && s.separators[i] == ',') {
                out.append(14 - out.size() % 14, ' ');
            }
        }
        const bool newline = s.separators.empty() || s.separators.back() == 0;
        *it->second << out << (newline ? "\r\n" : "");
        if (!*it->second) {
            raise(54, s.line);
        }
        return;
    }
    case StmtKind::LineInput:
    case StmtKind::Input: {
        const int32_t n = fileNumber(*s.channel);
        const auto it = m_files.find(n);
        if (it == m_files.end()) {
            raise(52, s.line);
        }
        std::fstream& f = *it->second;
        const auto readLine = [&] {
            std::string l;
            if (f.peek() == std::char_traits<char>::eof() || !std::getline(f, l)) {
                raise(62, s.line);
            }
            if (!l.empty() && l.back() == '\r') {
                l.pop_back();
            }
            return l;
        };
        if (s.kind == StmtKind::LineInput) {
            assign(*s.target, Value(Variant(readLine())), frame, false);
            return;
        }
        // Input #: comma-separated fields, quoted text without its quotes.
        for (const auto& target : s.printItems) {
            std::string field;
            char c = 0;
            while (f.get(c) && (c == ' ' || c == '\r' || c == '\n')) {
            }
            if (!f) {
                raise(62, s.line);
            }
            if (c == '"') {
                while (f.get(c) && c != '"') {
                    field += c;
                }
                while (f.get(c) && c != ',' && c != '\n') {
                }
            } else {
                field += c;
                while (f.get(c) && c != ',' && c != '\n' && c != '\r') {
                    field += c;
                }
                if (c == '\r' && f.peek() == '\n') {
                    f.get(c);
                }
            }
            const auto d = Variant(field).toR8();
            Cell* cell = target->kind == ExprKind::Name ? cellOf(*target, frame) : nullptr;
            const bool wantsText = cell && cell->type == BasicType::String;
            assign(*target, Value(d && !wantsText ? Variant(d.value) : Variant(field)), frame,
                   false);
        }
        return;
    }
    case StmtKind::Erase:
        for (const auto& e : s.printItems) {
            Cell* c = cellOf(*e, frame);
            if (c && c->value.isArray()) {
                auto& arr = *c->value.array;
                if (arr.fixed) {
                    for (size_t i = 0; i < arr.size(); ++i) {
                        arr.set(i, Variant());
                    }
                } else {
                    c->value.array = Array::make(arr.elementType);
                }
            }
        }
        return;
    default:
        raise(1004, s.line, "Statement not supported");
    }
}

} // namespace platform::basic
