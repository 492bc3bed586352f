#include "numerics/ErrorReporting.h"

#include "numerics/MachineConstants.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

namespace numerics {

namespace {

constexpr int kNameWidth = 32;
constexpr int kMaxLevel = 50;
constexpr int kSlots = kMaxLevel + 1;
constexpr std::size_t kMessageCapacity = 1024;
constexpr std::size_t kStoreCapacity = 300;
// Widths of the message lines: the first piece's budget is counted from this, the
// further lines hold this many characters.
constexpr int kFirstLineBudget = 59;
constexpr int kLineWidth = 64;

struct ErrorState
{
    int level = 1;
    // Index 1..51 as the levels; index 0 is unused.
    std::array<std::string, kSlots + 1> name;
    std::array<std::int32_t, kSlots + 1> type{};
    std::array<std::int32_t, kSlots + 1> code{};
    std::array<std::int32_t, kSlots + 1> userFlag{};
    std::string message; // the pending message; empty = none
    std::string store;   // the value records; empty = storeLength 1
    std::array<std::int32_t, 8> printFlag{};
    std::array<std::int32_t, 8> stopFlag{};
    std::int32_t pending6 = 0;
    std::int32_t pending7 = 0;
};

ErrorState g_state;
bool g_initialised = false;
StopHook g_stopHook = nullptr;

std::string padName(std::string_view name)
{
    std::string padded(name.substr(0, kNameWidth));
    padded.resize(kNameWidth, ' ');
    return padded;
}

std::string_view trimRight(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// The name as the output shows it: trailing blanks dropped, and a lowercase first letter
// before an uppercase second one ("dSPLEZ") written in uppercase.
std::string shownName(std::string_view name)
{
    std::string shown(trimRight(name));
    if (shown.size() >= 2 && std::islower(static_cast<unsigned char>(shown[0])) &&
        std::isupper(static_cast<unsigned char>(shown[1]))) {
        shown[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(shown[0])));
    }
    return shown;
}

void ensureDefaults()
{
    if (!g_initialised) {
        E1DFLT();
    }
}

bool isKindLetter(char c)
{
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'A':
    case 'C':
    case 'D':
    case 'I':
    case 'K':
    case 'L':
    case 'R':
    case 'S':
    case 'Z':
        return true;
    default:
        return false;
    }
}

// Finds the text stored for kind and digit. The store is walked record by record
// ("*", kind, digit, "*", length, "%", text), so a stored text never poses as a key.
bool findValue(char kind, char digit, std::string_view& text)
{
    const std::string& store = g_state.store;
    std::size_t pos = 0;
    while (pos + 6 <= store.size() && store[pos] == '*') {
        const char recordKind = store[pos + 1];
        const char recordDigit = store[pos + 2];
        std::size_t p = pos + 4;
        std::size_t length = 0;
        while (p < store.size() && store[p] != '%') {
            length = length * 10 + static_cast<std::size_t>(store[p] - '0');
            ++p;
        }
        ++p;
        if (p + length > store.size()) {
            return false;
        }
        if (std::toupper(static_cast<unsigned char>(recordKind)) ==
                std::toupper(static_cast<unsigned char>(kind)) &&
            recordDigit == digit) {
            text = std::string_view(store).substr(p, length);
            return true;
        }
        pos = p + length;
    }
    return false;
}

void storeValue(char kind, std::int32_t index, std::string_view text)
{
    ensureDefaults();
    const std::int32_t magnitude = index < 0 ? -index : index;
    const std::size_t storeLength = g_state.store.empty() ? 1 : g_state.store.size();
    if (magnitude < 1 || magnitude > 9 || storeLength + text.size() + 8 > kStoreCapacity) {
        return;
    }
    std::string_view kept = text;
    if (index > 0) {
        kept = trimRight(text);
        if (kept.empty()) {
            kept = " ";
        }
    }
    std::string& store = g_state.store;
    store += '*';
    store += kind;
    store += static_cast<char>('0' + magnitude);
    store += '*';
    store += std::to_string(kept.size());
    store += '%';
    store += kept;
}

std::string_view dropLeadingBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return text;
}

// Fortran's Ew.d with a scale factor of 1: one digit before the point; an exponent of
// three digits takes the place of the exponent letter.
std::string messageExponentForm(double value, int digits, char letter)
{
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    // Locale-free: the library may run in a program whose decimal separator is a comma.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits);
    std::string text(buffer, written.ptr);
    for (char& c : text) {
        c = c == 'e' ? 'E' : c;
    }
    const std::size_t e = text.find('E');
    std::string mantissa = text.substr(0, e);
    const char sign = text[e + 1];
    std::string exponent = text.substr(e + 2);
    if (exponent.size() <= 2) {
        return mantissa + letter + sign + exponent;
    }
    return mantissa + sign + exponent;
}

void writeMessage()
{
    const std::string& message = g_state.message;
    const int length = static_cast<int>(message.size());
    const int level = g_state.level;

    std::string head = " " + std::to_string(g_state.code[static_cast<std::size_t>(level)]) +
                       " from " + shownName(g_state.name[static_cast<std::size_t>(level)]);
    const bool addedStop = message.rfind(".  ", 0) != 0;
    if (addedStop) {
        head += ".  ";
    }
    const int firstBudget = kFirstLineBudget - static_cast<int>(head.size()) - (addedStop ? 3 : 0);

    const std::int32_t type = g_state.type[static_cast<std::size_t>(level)];
    static constexpr std::array<const char*, 8> kWords = {"UNKNOWN ", "NOTE    ", "ALERT   ",
                                                          "WARNING ", "FATAL   ", "TERMINAL",
                                                          "WARNING ", "FATAL   "};
    const char* word =
        (type >= 1 && type <= 7) ? kWords[static_cast<std::size_t>(type)] : kWords[0];

    std::string out = "\n *** ";
    out += word;
    out += " ERROR";
    out += head;

    // Positions are 0-based here; "start" is the first character of the next piece.
    // A "%/" breaks the line when it starts within markLimit characters of start.
    auto findBreak = [&](int start, int budget, int markLimit, int& end, int& next) {
        const std::size_t mark = message.find("%/", static_cast<std::size_t>(start));
        if (mark != std::string::npos && static_cast<int>(mark) - start < markLimit) {
            end = static_cast<int>(mark);
            next = end + 2;
            return;
        }
        if (length - start <= budget) {
            end = length;
            next = length;
            return;
        }
        // The last blank within the window, not counting its first character.
        for (int i = start + budget - 1; i >= start + 1; --i) {
            if (message[static_cast<std::size_t>(i)] == ' ') {
                end = i;
                next = i + 1; // one leading blank of the next line is skipped
                return;
            }
        }
        end = start + budget;
        next = end;
    };

    int start = 0;
    int end = 0;
    int next = 0;
    // On the first line the mark must stand before the budget's last position.
    findBreak(0, std::max(firstBudget, 0), firstBudget - 1, end, next);
    out.append(message, 0, static_cast<std::size_t>(std::max(end, 0)));
    out += '\n';
    start = next;
    while (start < length) {
        findBreak(start, kLineWidth, kLineWidth, end, next);
        out += " ***          ";
        out.append(message, static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
        out += '\n';
        start = next;
    }

    if (level > 2) {
        out += "     Here is a traceback of subprogram calls in reverse order:\n";
        out += "     Routine name                    Error type  Error code\n";
        out += "     ------------                    ----------  ----------\n";
        for (int l = level; l >= 1; --l) {
            const auto slot = static_cast<std::size_t>(l);
            std::string name = shownName(g_state.name[slot]);
            name.resize(kNameWidth, ' ');
            char numbers[64];
            std::snprintf(numbers, sizeof numbers, "%6d      %6d", g_state.type[slot],
                          g_state.code[slot]);
            out += "     " + name + numbers;
            if (l >= 2 && g_state.userFlag[slot - 1] == 0) {
                out += "    (Called internally)";
            }
            out += '\n';
        }
    }

    std::int32_t unit = 0;
    UMACH(3, unit);
    unitStream(unit) << out << std::flush;
}

} // namespace

NumericsStop::NumericsStop(std::int32_t type, std::int32_t code)
    : std::runtime_error("numerical routine stopped on error type " + std::to_string(type) +
                         ", code " + std::to_string(code)),
      m_type(type), m_code(code)
{}

void throwOnStop(std::int32_t type, std::int32_t code)
{
    throw NumericsStop(type, code);
}

void setStopHook(StopHook hook)
{
    g_stopHook = hook;
}

namespace detail {

void stop(std::int32_t type, std::int32_t code)
{
    ensureDefaults();
    // Unwind the name stack: the stopped call leaves nothing behind but its result at
    // the caller's level.
    for (int l = 2; l <= kSlots; ++l) {
        g_state.type[static_cast<std::size_t>(l)] = -1;
        g_state.code[static_cast<std::size_t>(l)] = -1;
    }
    g_state.level = 1;
    g_state.type[1] = type;
    g_state.code[1] = code;
    g_state.message.clear();
    g_state.store.clear();
    g_state.pending6 = 0;
    g_state.pending7 = 0;
    if (g_stopHook != nullptr) {
        g_stopHook(type, code);
    }
    std::fflush(nullptr);
    std::exit(kStopExitStatus);
}

} // namespace detail

void E1DFLT()
{
    g_initialised = true;
    g_state.level = 1;
    g_state.name.fill(std::string());
    g_state.name[1] = padName("USER");
    g_state.type[1] = 0;
    g_state.code[1] = 0;
    g_state.userFlag[1] = 1;
    for (int l = 2; l <= kSlots; ++l) {
        g_state.type[static_cast<std::size_t>(l)] = -1;
        g_state.code[static_cast<std::size_t>(l)] = -1;
        g_state.userFlag[static_cast<std::size_t>(l)] = 0;
    }
    g_state.printFlag = {0, 0, 0, 1, 1, 1, 1, 1};
    g_state.stopFlag = {0, 0, 0, 0, 1, 1, 0, 1};
    g_state.message.clear();
    g_state.store.clear();
    g_state.pending6 = 0;
    g_state.pending7 = 0;
}

void E1PSH(std::string_view name)
{
    ensureDefaults();
    if (g_state.level < kMaxLevel) {
        ++g_state.level;
        const auto slot = static_cast<std::size_t>(g_state.level);
        g_state.name[slot] = padName(name);
        g_state.type[slot] = 0;
        g_state.code[slot] = 0;
        return;
    }
    E1VALI(1, kMaxLevel);
    E1MES(kTerminal, 1,
          "Error condition in E1PSH.  Push would cause stack level to exceed %(I1). ");
    detail::stop(kTerminal, 1);
}

void E1POP(std::string_view name)
{
    ensureDefaults();
    if (g_state.level < 2) {
        E1PSH("E1POP ");
        E1VALL(1, name);
        E1MES(kTerminal, 1,
              "Error condition in E1POP.  Cannot pop from %(L1) because stack is empty.");
        detail::stop(kTerminal, 1);
    }
    const auto level = static_cast<std::size_t>(g_state.level);
    if (trimRight(name) != trimRight(g_state.name[level])) {
        E1VALL(1, name);
        E1VALL(2, g_state.name[level]);
        E1MES(kTerminal, 2,
              "Error condition in E1POP.  %(L1) does not match the name %(L2) in the stack.");
        detail::stop(kTerminal, 2);
    }
    const std::int32_t t = g_state.type[level];
    if (t != 0) {
        const std::int32_t c = g_state.code[level];
        if (t >= 2 && t <= 7) {
            g_state.type[level - 1] = t;
            g_state.code[level - 1] = c;
        }
        const bool callerIsUser = g_state.userFlag[level - 1] == 1;
        if (t >= 1 && t <= 4) {
            if (callerIsUser && g_state.printFlag[static_cast<std::size_t>(t)] == 1) {
                E1SHOW();
            }
            if (callerIsUser && g_state.stopFlag[static_cast<std::size_t>(t)] == 1) {
                detail::stop(t, c);
            }
        } else if (t >= 5 && t <= 7) {
            if (g_state.printFlag[static_cast<std::size_t>(t)] == 1) {
                E1SHOW();
            }
            if (t == 5 && g_state.stopFlag[5] == 1) {
                detail::stop(t, c);
            }
            if (t >= 6 && callerIsUser && E1HALT() != 0) {
                detail::stop(t, c);
            }
        }
    }
    if (g_state.level < kMaxLevel) {
        g_state.type[level + 1] = -1;
        g_state.code[level + 1] = -1;
    }
    --g_state.level;
}

void E1MES(std::int32_t type, std::int32_t code, std::string_view text)
{
    ensureDefaults();
    if (type < -1 || type > 7) {
        g_state.message = ".  Error from E1MES.  Illegal error type specified.";
        E1SHOW();
        detail::stop(kTerminal, code);
    }
    const auto level = static_cast<std::size_t>(g_state.level);
    if (type != -1) {
        g_state.type[level] = type;
    }
    if (code >= 0) {
        g_state.code[level] = code;
    }
    if (type == 0 || code == 0) {
        g_state.message.clear();
        g_state.store.clear();
        return;
    }
    if (!(text.empty() || (text.size() == 1 && text[0] == ' '))) {
        const std::string_view source = text.substr(0, kMessageCapacity);
        std::string message;
        std::size_t i = 0;
        bool full = false;
        while (i < source.size() && !full) {
            std::string_view value;
            if (i + 5 <= source.size() && source[i] == '%' && source[i + 1] == '(' &&
                isKindLetter(source[i + 2]) && source[i + 3] >= '1' && source[i + 3] <= '9' &&
                source[i + 4] == ')' && findValue(source[i + 2], source[i + 3], value)) {
                const std::size_t room = kMessageCapacity - message.size();
                if (value.size() > room) {
                    message.append(value.substr(0, room));
                    full = true;
                } else {
                    message.append(value);
                }
                i += 5;
                continue;
            }
            message += source[i];
            ++i;
            full = message.size() >= kMessageCapacity;
        }
        g_state.message = std::move(message);
    }
    const std::int32_t recorded = g_state.type[level];
    if (recorded == 6) {
        g_state.pending6 = 1;
    }
    if (recorded == 7) {
        g_state.pending7 = 1;
    }
    if (recorded >= 5 && recorded <= 7 &&
        g_state.printFlag[static_cast<std::size_t>(recorded)] == 1) {
        E1SHOW();
    }
    g_state.store.clear();
}

void E1VALI(std::int32_t index, std::int32_t value)
{
    storeValue('I', index, std::to_string(value));
}

void E1VALL(std::int32_t index, std::string_view text)
{
    storeValue('L', index, text.substr(0, 255));
}

void E1VALD(std::int32_t index, double value)
{
    storeValue('D', index, formatDoubleValue(value));
}

void E1VALR(std::int32_t index, float value)
{
    storeValue('R', index, formatRealValue(value));
}

std::string formatDoubleValue(double value)
{
    return std::string(dropLeadingBlanks(messageExponentForm(value, 15, 'D')));
}

std::string formatRealValue(float value)
{
    return std::string(dropLeadingBlanks(messageExponentForm(static_cast<double>(value), 6, 'E')));
}

std::int32_t N1RTY(std::int32_t which)
{
    ensureDefaults();
    if (which == 0 || which == 1) {
        return g_state.type[static_cast<std::size_t>(g_state.level + which)];
    }
    const auto level = static_cast<std::size_t>(g_state.level);
    g_state.type[level] = kTerminal;
    g_state.code[level] = 1;
    g_state.message = ".  The argument passed to N1RTY must be 0 or 1.";
    E1SHOW();
    detail::stop(kTerminal, 1);
}

std::int32_t N1RCD(std::int32_t which)
{
    ensureDefaults();
    if (which == 0 || which == 1) {
        return g_state.code[static_cast<std::size_t>(g_state.level + which)];
    }
    const auto level = static_cast<std::size_t>(g_state.level);
    g_state.type[level] = kTerminal;
    g_state.code[level] = 1;
    g_state.message = ".  The argument passed to N1RCD must be 0 or 1.";
    E1SHOW();
    detail::stop(kTerminal, 1);
}

void E1SHOW()
{
    ensureDefaults();
    if (g_state.message.empty()) {
        return;
    }
    writeMessage();
    g_state.message.clear();
    g_state.store.clear();
}

std::int32_t E1HALT()
{
    ensureDefaults();
    std::int32_t result = 0;
    if (g_state.pending6 > 0) {
        result = g_state.stopFlag[6];
        g_state.pending6 = 0;
    }
    if (g_state.pending7 > 0) {
        result = g_state.stopFlag[7];
        g_state.pending7 = 0;
    }
    return result;
}

} // namespace numerics
