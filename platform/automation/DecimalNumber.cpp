#include "platform/automation/DecimalNumber.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace platform::automation {

namespace {

using DecimalWide = unsigned __int128;

constexpr DecimalWide kDecimalLimit = DecimalWide{1} << 96; // magnitudes stay below
constexpr int kDecimalMaxScale = 28;

DecimalWide magnitudeOf(const DecimalNumber& d)
{
    return (DecimalWide{d.high} << 64) | d.low;
}

int bitsOf(DecimalWide m)
{
    int n = 0;
    while (m != 0) {
        m >>= 1;
        ++n;
    }
    return n;
}

DecimalWide powerOfTen(int k)
{
    DecimalWide p = 1;
    for (int i = 0; i < k; ++i) {
        p *= 10;
    }
    return p;
}

// m / 10, rounded half to even.
DecimalWide tenthRounded(DecimalWide m)
{
    DecimalWide q = m / 10;
    const auto r = static_cast<int>(m % 10);
    if (r > 5 || (r == 5 && (q & 1) != 0)) {
        ++q;
    }
    return q;
}

// A result brought into range: digits after the point are dropped (rounding) until the
// magnitude fits and the scale is at most 28; nothing when only whole digits would go.
std::optional<DecimalNumber> fitted(DecimalWide m, int scale, bool negative)
{
    while (m >= kDecimalLimit || scale > kDecimalMaxScale) {
        if (scale <= 0) {
            return std::nullopt;
        }
        m = tenthRounded(m);
        --scale;
    }
    while (scale < 0) {
        if (m > (kDecimalLimit - 1) / 10) {
            return std::nullopt;
        }
        m *= 10;
        ++scale;
    }
    DecimalNumber d;
    d.low = static_cast<uint64_t>(m);
    d.high = static_cast<uint32_t>(m >> 64);
    d.scale = static_cast<uint8_t>(scale);
    d.negative = negative && m != 0;
    return d;
}

std::optional<DecimalNumber> addSigned(const DecimalNumber& a, const DecimalNumber& b, bool negateB)
{
    DecimalWide ma = magnitudeOf(a);
    DecimalWide mb = magnitudeOf(b);
    int sa = a.scale;
    int sb = b.scale;
    const bool na = a.negative;
    const bool nb = b.negative != negateB;
    // Bring both to one scale; where the coarser one cannot be widened enough, the finer one
    // gives up digits instead.
    DecimalWide& coarse = sa < sb ? ma : mb;
    DecimalWide& fine = sa < sb ? mb : ma;
    int& coarseScale = sa < sb ? sa : sb;
    int& fineScale = sa < sb ? sb : sa;
    while (fineScale > coarseScale && bitsOf(coarse) + 4 * (fineScale - coarseScale) > 125) {
        fine = tenthRounded(fine);
        --fineScale;
    }
    coarse *= powerOfTen(fineScale - coarseScale);
    coarseScale = fineScale;
    if (na == nb) {
        return fitted(ma + mb, sa, na);
    }
    if (ma >= mb) {
        return fitted(ma - mb, sa, na);
    }
    return fitted(mb - ma, sa, nb);
}

} // namespace

std::optional<DecimalNumber> decimalFromText(std::string_view text)
{
    size_t i = 0;
    const auto blank = [&](size_t k) {
        return k < text.size() && std::isspace(static_cast<unsigned char>(text[k]));
    };
    while (blank(i)) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    DecimalWide m = 0;
    int scale = 0;
    int digits = 0;
    bool any = false;
    bool point = false;
    int dropped = 0; // digits beyond what the magnitude holds, before the point
    bool roundUp = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            break;
        }
        any = true;
        if (digits >= 36) {
            // Further digits only round; whole ones still count as places.
            if (digits == 36) {
                roundUp = c >= '5';
            }
            ++digits;
            if (!point) {
                ++dropped;
            }
            continue;
        }
        m = m * 10 + static_cast<DecimalWide>(c - '0');
        if (m != 0) {
            ++digits;
        }
        if (point) {
            ++scale;
        }
    }
    if (!any) {
        return std::nullopt;
    }
    if (roundUp) {
        ++m;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i >= text.size()) {
            return std::nullopt;
        }
        int exponent = 0;
        const auto [end, ec] = std::from_chars(text.data() + i + (text[i] == '+' ? 1 : 0),
                                               text.data() + text.size(), exponent);
        if (ec != std::errc()) {
            return std::nullopt;
        }
        i = static_cast<size_t>(end - text.data());
        if (exponent > 60 || exponent < -60) {
            return exponent < 0 ? std::optional<DecimalNumber>(DecimalNumber{}) : std::nullopt;
        }
        scale -= exponent;
    }
    while (blank(i)) {
        ++i;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return fitted(m, scale - dropped, negative);
}

std::optional<DecimalNumber> decimalFromDouble(double value)
{
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    char buf[64];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc()) {
        return std::nullopt;
    }
    return decimalFromText(std::string_view(buf, static_cast<size_t>(end - buf)));
}

DecimalNumber decimalFromInteger(int64_t value, uint8_t scale)
{
    const bool negative = value < 0;
    const uint64_t magnitude =
        negative ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return *fitted(magnitude, scale, negative);
}

double decimalToDouble(const DecimalNumber& d)
{
    const long double v =
        static_cast<long double>(magnitudeOf(d)) / static_cast<long double>(powerOfTen(d.scale));
    return static_cast<double>(d.negative ? -v : v);
}

std::string decimalText(const DecimalNumber& d)
{
    // The digits, least significant first, at least one before the point.
    DecimalWide m = magnitudeOf(d);
    std::string reversed;
    while (m != 0 || reversed.size() <= d.scale) {
        reversed.push_back(static_cast<char>('0' + static_cast<int>(m % 10)));
        m /= 10;
    }
    size_t firstKept = 0; // trailing zeros after the point are dropped
    while (firstKept < d.scale && reversed[firstKept] == '0') {
        ++firstKept;
    }
    std::string text;
    if (d.negative && !decimalIsZero(d)) {
        text.push_back('-');
    }
    for (size_t k = reversed.size(); k-- > firstKept;) {
        text.push_back(reversed[k]);
        if (k == d.scale && k > firstKept) {
            text.push_back('.');
        }
    }
    return text;
}

std::optional<DecimalNumber> decimalAdd(const DecimalNumber& a, const DecimalNumber& b)
{
    return addSigned(a, b, false);
}

std::optional<DecimalNumber> decimalSubtract(const DecimalNumber& a, const DecimalNumber& b)
{
    return addSigned(a, b, true);
}

std::optional<DecimalNumber> decimalMultiply(const DecimalNumber& a, const DecimalNumber& b)
{
    DecimalWide ma = magnitudeOf(a);
    DecimalWide mb = magnitudeOf(b);
    int sa = a.scale;
    int sb = b.scale;
    // The product must fit 128 bits: the operand with more places gives up digits first.
    while (bitsOf(ma) + bitsOf(mb) > 127) {
        if (sa == 0 && sb == 0) {
            return std::nullopt;
        }
        if (sa >= sb) {
            ma = tenthRounded(ma);
            --sa;
        } else {
            mb = tenthRounded(mb);
            --sb;
        }
    }
    return fitted(ma * mb, sa + sb, a.negative != b.negative);
}

std::optional<DecimalNumber> decimalDivide(const DecimalNumber& a, const DecimalNumber& b)
{
    const DecimalWide mb = magnitudeOf(b);
    if (mb == 0) {
        return std::nullopt;
    }
    const DecimalWide ma = magnitudeOf(a);
    DecimalWide q = ma / mb;
    DecimalWide r = ma % mb;
    int scale = static_cast<int>(a.scale) - static_cast<int>(b.scale);
    // Long division, a digit at a time, while the quotient has room.
    while (r != 0 && q < kDecimalLimit / 10 && scale < kDecimalMaxScale) {
        r *= 10;
        q = q * 10 + r / mb;
        r %= mb;
        ++scale;
    }
    if (r != 0 && (2 * r > mb || (2 * r == mb && (q & 1) != 0))) {
        ++q;
    }
    return fitted(q, scale, a.negative != b.negative);
}

bool decimalIsZero(const DecimalNumber& d)
{
    return d.low == 0 && d.high == 0;
}

int decimalCompare(const DecimalNumber& a, const DecimalNumber& b)
{
    const auto difference = decimalSubtract(a, b);
    if (!difference) {
        // Too far apart to subtract: the signs decide.
        return a.negative ? -1 : 1;
    }
    if (decimalIsZero(*difference)) {
        return 0;
    }
    return difference->negative ? -1 : 1;
}

} // namespace platform::automation
