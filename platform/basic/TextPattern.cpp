#include "platform/basic/TextPattern.h"

#include <cctype>
#include <vector>

namespace platform::basic {

namespace {

char fold(char c, bool textCompare)
{
    return textCompare ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
}

// The length of the bracket at p[0] == '[' and whether c matches it; 0 for a bracket that
// does not close (then '[' is an ordinary character).
size_t bracket(std::string_view p, char c, bool textCompare, bool& matches)
{
    const size_t close = p.find(']', 1);
    if (close == std::string_view::npos) {
        return 0;
    }
    std::string_view list = p.substr(1, close - 1);
    bool negate = false;
    if (!list.empty() && list[0] == '!') {
        negate = true;
        list.remove_prefix(1);
    }
    const char x = fold(c, textCompare);
    bool found = false;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i + 2 < list.size() && list[i + 1] == '-') {
            const char lo = fold(list[i], textCompare);
            const char hi = fold(list[i + 2], textCompare);
            found = found || (x >= lo && x <= hi);
            i += 2;
        } else {
            found = found || x == fold(list[i], textCompare);
        }
    }
    matches = found != negate;
    return close + 1;
}

} // namespace

bool likeMatch(std::string_view text, std::string_view pattern, bool textCompare,
               bool fileWildcards)
{
    // Iterative matching with one back-track point for the last '*': linear in practice,
    // never recursive, so long texts and patterns cannot exhaust the stack.
    size_t t = 0;
    size_t p = 0;
    size_t starP = std::string_view::npos;
    size_t starT = 0;
    while (t < text.size()) {
        bool step = false;
        size_t width = 1;
        if (p < pattern.size()) {
            const char pc = pattern[p];
            if (pc == '*') {
                starP = ++p;
                starT = t;
                continue;
            }
            if (pc == '?') {
                step = true;
            } else if (pc == '#' && !fileWildcards) {
                step = std::isdigit(static_cast<unsigned char>(text[t])) != 0;
            } else if (pc == '[' && !fileWildcards) {
                bool matches = false;
                width = bracket(pattern.substr(p), text[t], textCompare, matches);
                if (width == 0) {
                    width = 1;
                    step = text[t] == '[';
                } else {
                    step = matches;
                }
            } else {
                step = fold(pc, textCompare) == fold(text[t], textCompare);
            }
        }
        if (step) {
            ++t;
            p += width;
            continue;
        }
        if (starP == std::string_view::npos) {
            return false;
        }
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace platform::basic
