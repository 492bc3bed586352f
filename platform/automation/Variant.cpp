#include "platform/automation/Variant.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace platform::automation {

const char* varTypeName(VarType type)
{
    switch (type) {
    case VarType::Empty:
        return "Empty";
    case VarType::Null:
        return "NULL";
    case VarType::I2:
        return "short";
    case VarType::I4:
        return "long";
    case VarType::R4:
        return "float";
    case VarType::R8:
        return "double";
    case VarType::Cy:
        return "CY";
    case VarType::Date:
        return "DATE";
    case VarType::Bstr:
        return "BSTR";
    case VarType::Dispatch:
        return "IDispatch*";
    case VarType::Error:
        return "SCODE";
    case VarType::Bool:
        return "BOOL";
    case VarType::Variant:
        return "VARIANT";
    case VarType::UI1:
        return "BYTE";
    case VarType::Decimal:
        return "DECIMAL";
    }
    return "?";
}

Variant Variant::error(HRESULT code)
{
    Variant v;
    v.m_value = Tagged{VarType::Error, 0, false, 0, 0.0, code};
    return v;
}

Variant Variant::null()
{
    Variant v;
    v.m_value = Tagged{VarType::Null, 0, false, 0, 0.0, 0};
    return v;
}

Variant Variant::byte(uint8_t value)
{
    Variant v;
    v.m_value = Tagged{VarType::UI1, 0, false, 0, 0.0, value};
    return v;
}

Variant Variant::currency(int64_t tenThousandths)
{
    Variant v;
    v.m_value = Tagged{VarType::Cy, 0, false, 0, 0.0, tenThousandths};
    return v;
}

Variant Variant::decimal(const DecimalNumber& d)
{
    Variant v;
    v.m_value =
        Tagged{VarType::Decimal, d.scale, d.negative, d.high, 0.0, static_cast<int64_t>(d.low)};
    return v;
}

Variant Variant::date(double days)
{
    Variant v;
    v.m_value = Tagged{VarType::Date, 0, false, 0, days, 0};
    return v;
}

bool Variant::isNull() const
{
    if (const auto* r = std::get_if<VariantRef>(&m_value)) {
        return r->elementType == VarType::Variant && r->data && r->count > 0 &&
               static_cast<const Variant*>(r->data)->isNull();
    }
    return tagged(VarType::Null) != nullptr;
}

Variant Variant::ref(VarType type, void* p, size_t count)
{
    Variant v;
    v.m_value = VariantRef{type, p, p ? count : 0};
    return v;
}

VarType Variant::type() const
{
    switch (m_value.index()) {
    case 1:
        return VarType::I2;
    case 2:
        return VarType::I4;
    case 3:
        return VarType::R4;
    case 4:
        return VarType::R8;
    case 5:
        return VarType::Bool;
    case 6:
        return VarType::Bstr;
    case 7:
        return VarType::Dispatch;
    case 8:
        return std::get<VariantRef>(m_value).elementType;
    case 9:
        return std::get<Tagged>(m_value).type;
    default:
        return VarType::Empty;
    }
}

bool Variant::isMissing() const
{
    const Tagged* e = tagged(VarType::Error);
    return e && e->n == DISP_E_PARAMNOTFOUND;
}

Variant Variant::value() const
{
    const auto* r = std::get_if<VariantRef>(&m_value);
    if (!r) {
        return *this;
    }
    if (!r->data || r->count == 0) {
        return Variant();
    }
    switch (r->elementType) {
    case VarType::I2:
        return *static_cast<const int16_t*>(r->data);
    case VarType::I4:
        return *static_cast<const int32_t*>(r->data);
    case VarType::R4:
        return *static_cast<const float*>(r->data);
    case VarType::R8:
        return *static_cast<const double*>(r->data);
    case VarType::Bool:
        return *static_cast<const bool*>(r->data);
    case VarType::UI1:
        return byte(*static_cast<const uint8_t*>(r->data));
    case VarType::Bstr:
        return *static_cast<const std::string*>(r->data);
    case VarType::Variant:
        return static_cast<const Variant*>(r->data)->value();
    default:
        return Variant();
    }
}

namespace {

size_t elementSize(VarType type)
{
    switch (type) {
    case VarType::I2:
        return sizeof(int16_t);
    case VarType::I4:
        return sizeof(int32_t);
    case VarType::R4:
        return sizeof(float);
    case VarType::R8:
        return sizeof(double);
    case VarType::Bool:
        return sizeof(bool);
    case VarType::UI1:
        return sizeof(uint8_t);
    case VarType::Bstr:
        return sizeof(std::string);
    case VarType::Variant:
        return sizeof(Variant);
    default:
        return 0;
    }
}

} // namespace

Variant Variant::elementRef(size_t i) const
{
    const auto* r = std::get_if<VariantRef>(&m_value);
    const size_t size = r ? elementSize(r->elementType) : 0;
    if (!r || !r->data || i >= r->count || size == 0) {
        return Variant();
    }
    return ref(r->elementType, static_cast<char*>(r->data) + i * size, r->count - i);
}

namespace {

template <class T> HRESULT storeAs(const Variant& v, Coerced<T> (Variant::*conv)() const, void* p)
{
    auto c = (v.*conv)();
    if (c) {
        *static_cast<T*>(p) = std::move(c.value);
    }
    return c.hr;
}

} // namespace

HRESULT Variant::assign(const Variant& v)
{
    auto* r = std::get_if<VariantRef>(&m_value);
    if (!r) {
        *this = v.value();
        return S_OK;
    }
    if (!r->data || r->count == 0) {
        return E_POINTER;
    }
    switch (r->elementType) {
    case VarType::I2:
        return storeAs(v, &Variant::toI2, r->data);
    case VarType::I4:
        return storeAs(v, &Variant::toI4, r->data);
    case VarType::R4:
        return storeAs(v, &Variant::toR4, r->data);
    case VarType::R8:
        return storeAs(v, &Variant::toR8, r->data);
    case VarType::Bool:
        return storeAs(v, &Variant::toBool, r->data);
    case VarType::UI1:
        return storeAs(v, &Variant::toUI1, r->data);
    case VarType::Bstr:
        return storeAs(v, &Variant::toBstr, r->data);
    case VarType::Variant:
        *static_cast<Variant*>(r->data) = v.value();
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

void Variant::appendText(std::string_view text)
{
    if (auto* s = std::get_if<std::string>(&m_value)) {
        s->append(text);
    }
}

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Text read as a number: blanks around it are allowed, a leading '+' too; anything else
// that is not entirely a number is a type mismatch. Too large for a double is overflow.
Coerced<double> parseNumber(std::string_view text)
{
    std::string_view s = trimmed(text);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    if (s.empty()) {
        return {0.0, DISP_E_TYPEMISMATCH};
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (end != s.data() + s.size()) {
        return {0.0, DISP_E_TYPEMISMATCH};
    }
    if (ec == std::errc::result_out_of_range) {
        return {0.0, DISP_E_OVERFLOW};
    }
    if (ec != std::errc()) {
        return {0.0, DISP_E_TYPEMISMATCH};
    }
    return {value, S_OK};
}

// Doubles with 15 significant digits and Singles with 7, as automation writes them
// ("0.3", "1E+20"), independent of the process's locale.
std::string realText(double value, int digits)
{
    if (value == 0) {
        return "0";
    }
    char buf[64];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    if (ec != std::errc()) {
        return std::string();
    }
    std::string text(buf, end);
    for (char& c : text) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return text;
}

template <class T> std::string numberText(T value)
{
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

// Currency as text: up to four decimals, trailing zeros dropped ("1.5", "-0.0001").
std::string currencyText(int64_t tenThousandths)
{
    const bool negative = tenThousandths < 0;
    // The magnitude as unsigned, so the most negative count has one too.
    const uint64_t magnitude = negative ? uint64_t{0} - static_cast<uint64_t>(tenThousandths)
                                        : static_cast<uint64_t>(tenThousandths);
    std::string text = (negative ? "-" : "") + numberText(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        std::string digits = numberText(fraction + 10000).substr(1);
        while (digits.back() == '0') {
            digits.pop_back();
        }
        text += "." + digits;
    }
    return text;
}

} // namespace

namespace {

// Any numeric-like value as a double (exact for every integer type here).
Coerced<double> asDouble(const Variant& in)
{
    const Variant v = in.value();
    switch (v.type()) {
    case VarType::Empty:
        return {0.0, S_OK};
    case VarType::I2:
    case VarType::I4:
    case VarType::R4:
    case VarType::R8:
    case VarType::Bool:
    case VarType::Date:
    case VarType::UI1:
    case VarType::Cy:
    case VarType::Decimal:
        return {v.toR8().value, S_OK};
    case VarType::Bstr: {
        const std::string s = v.toBstr().value;
        if (equalsNoCase(trimmed(s), "true")) {
            return {-1.0, S_OK};
        }
        if (equalsNoCase(trimmed(s), "false")) {
            return {0.0, S_OK};
        }
        return parseNumber(s);
    }
    default:
        return {0.0, DISP_E_TYPEMISMATCH};
    }
}

template <class T> Coerced<T> toInteger(const Variant& v)
{
    const auto d = asDouble(v);
    if (!d) {
        return {T{}, d.hr};
    }
    if (std::isnan(d.value)) {
        return {T{}, DISP_E_OVERFLOW};
    }
    // Half-way values go to the even neighbour (the default rounding mode).
    const double r = std::nearbyint(d.value);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max())) {
        return {T{}, DISP_E_OVERFLOW};
    }
    return {static_cast<T>(r), S_OK};
}

} // namespace

Coerced<uint8_t> Variant::toUI1() const
{
    if (const Tagged* p = tagged(VarType::UI1)) {
        return {static_cast<uint8_t>(p->n), S_OK};
    }
    return toInteger<uint8_t>(*this);
}

Coerced<int64_t> Variant::toCy() const
{
    const Variant v = value();
    if (const Tagged* p = v.tagged(VarType::Cy)) {
        return {p->n, S_OK};
    }
    if (const auto* p = std::get_if<int16_t>(&v.m_value)) {
        return {int64_t{*p} * 10000, S_OK};
    }
    if (const auto* p = std::get_if<int32_t>(&v.m_value)) {
        return {int64_t{*p} * 10000, S_OK};
    }
    const auto d = asDouble(v);
    if (!d) {
        return {0, d.hr};
    }
    // Half-way values go to the even neighbour; the limits are those of a 64-bit count.
    const double r = std::nearbyint(d.value * 10000.0);
    if (std::isnan(r) || r < -9223372036854775808.0 || r >= 9223372036854775808.0) {
        return {0, DISP_E_OVERFLOW};
    }
    return {static_cast<int64_t>(r), S_OK};
}

Coerced<DecimalNumber> Variant::toDecimal() const
{
    const Variant v = value();
    if (const Tagged* p = v.tagged(VarType::Decimal)) {
        return {DecimalNumber{static_cast<uint64_t>(p->n), p->high, p->scale, p->negative}, S_OK};
    }
    switch (v.type()) {
    case VarType::Empty:
    case VarType::I2:
    case VarType::I4:
    case VarType::UI1:
    case VarType::Bool:
        return {decimalFromInteger(static_cast<int64_t>(v.toR8().value)), S_OK};
    case VarType::Cy:
        return {decimalFromInteger(v.toCy().value, 4), S_OK};
    case VarType::R4:
    case VarType::R8:
    case VarType::Date: {
        const double d = v.toR8().value;
        const auto r = decimalFromDouble(d);
        return {r.value_or(DecimalNumber{}), r ? S_OK : DISP_E_OVERFLOW};
    }
    case VarType::Bstr: {
        const std::string s = v.toBstr().value;
        if (const auto r = decimalFromText(s)) {
            return {*r, S_OK};
        }
        // Not a decimal: a number too large, or no number at all.
        const auto d = asDouble(v);
        return {DecimalNumber{}, d ? DISP_E_OVERFLOW : d.hr};
    }
    default:
        return {DecimalNumber{}, DISP_E_TYPEMISMATCH};
    }
}

Coerced<int16_t> Variant::toI2() const
{
    if (const auto* p = std::get_if<int16_t>(&m_value)) {
        return {*p, S_OK};
    }
    return toInteger<int16_t>(*this);
}

Coerced<int32_t> Variant::toI4() const
{
    if (const auto* p = std::get_if<int32_t>(&m_value)) {
        return {*p, S_OK};
    }
    return toInteger<int32_t>(*this);
}

Coerced<double> Variant::toR8() const
{
    if (isByRef()) {
        return value().toR8();
    }
    switch (m_value.index()) {
    case 1:
        return {static_cast<double>(std::get<int16_t>(m_value)), S_OK};
    case 2:
        return {static_cast<double>(std::get<int32_t>(m_value)), S_OK};
    case 3:
        return {static_cast<double>(std::get<float>(m_value)), S_OK};
    case 4:
        return {std::get<double>(m_value), S_OK};
    case 5:
        return {std::get<bool>(m_value) ? -1.0 : 0.0, S_OK};
    case 9: {
        const Tagged& t = std::get<Tagged>(m_value);
        switch (t.type) {
        case VarType::Date:
            return {t.d, S_OK};
        case VarType::UI1:
            return {static_cast<double>(t.n), S_OK};
        case VarType::Cy:
            return {static_cast<double>(t.n) / 10000.0, S_OK};
        case VarType::Decimal:
            return {decimalToDouble(toDecimal().value), S_OK};
        default:
            return asDouble(*this);
        }
    }
    default:
        return asDouble(*this);
    }
}

Coerced<float> Variant::toR4() const
{
    if (const auto* p = std::get_if<float>(&m_value)) {
        return {*p, S_OK};
    }
    const auto d = asDouble(*this);
    if (!d) {
        return {0.0f, d.hr};
    }
    if (std::isfinite(d.value) && std::fabs(d.value) > std::numeric_limits<float>::max()) {
        return {0.0f, DISP_E_OVERFLOW};
    }
    return {static_cast<float>(d.value), S_OK};
}

Coerced<bool> Variant::toBool() const
{
    const Variant v = value();
    if (const auto* p = std::get_if<bool>(&v.m_value)) {
        return {*p, S_OK};
    }
    const auto d = asDouble(v);
    if (!d) {
        return {false, d.hr};
    }
    return {d.value != 0.0, S_OK};
}

Coerced<std::string> Variant::toBstr() const
{
    const Variant v = value();
    switch (v.m_value.index()) {
    case 0:
        return {std::string(), S_OK};
    case 1:
        return {numberText(std::get<int16_t>(v.m_value)), S_OK};
    case 2:
        return {numberText(std::get<int32_t>(v.m_value)), S_OK};
    case 3:
        return {realText(std::get<float>(v.m_value), 7), S_OK};
    case 4:
        return {realText(std::get<double>(v.m_value), 15), S_OK};
    case 5:
        return {std::get<bool>(v.m_value) ? "True" : "False", S_OK};
    case 6:
        return {std::get<std::string>(v.m_value), S_OK};
    case 9: {
        const Tagged& t = std::get<Tagged>(v.m_value);
        switch (t.type) {
        case VarType::Date:
            return {realText(t.d, 15), S_OK};
        case VarType::UI1:
            return {numberText(t.n), S_OK};
        case VarType::Cy:
            return {currencyText(t.n), S_OK};
        case VarType::Decimal:
            return {decimalText(v.toDecimal().value), S_OK};
        default:
            return {std::string(), DISP_E_TYPEMISMATCH};
        }
    }
    default:
        return {std::string(), DISP_E_TYPEMISMATCH};
    }
}

Coerced<DispatchPtr> Variant::toDispatch() const
{
    const Variant v = value();
    if (const auto* p = std::get_if<DispatchPtr>(&v.m_value)) {
        return {*p, S_OK};
    }
    if (v.isEmpty()) {
        return {DispatchPtr(), S_OK};
    }
    return {DispatchPtr(), DISP_E_TYPEMISMATCH};
}

Coerced<HRESULT> Variant::toError() const
{
    const Variant v = value();
    if (const Tagged* p = v.tagged(VarType::Error)) {
        return {static_cast<HRESULT>(p->n), S_OK};
    }
    return {S_OK, DISP_E_TYPEMISMATCH};
}

namespace {

template <class T> Coerced<Variant> wrap(const Coerced<T>& c)
{
    return {c ? Variant(c.value) : Variant(), c.hr};
}

} // namespace

Coerced<Variant> Variant::changeType(VarType type) const
{
    switch (type) {
    case VarType::Empty:
        return {Variant(), S_OK};
    case VarType::Null:
        return {Variant::null(), S_OK};
    case VarType::I2:
        return wrap(toI2());
    case VarType::I4:
        return wrap(toI4());
    case VarType::R4:
        return wrap(toR4());
    case VarType::R8:
        return wrap(toR8());
    case VarType::UI1: {
        const auto c = toUI1();
        return {c ? Variant::byte(c.value) : Variant(), c.hr};
    }
    case VarType::Decimal: {
        const auto c = toDecimal();
        return {c ? Variant::decimal(c.value) : Variant(), c.hr};
    }
    case VarType::Cy: {
        const auto c = toCy();
        return {c ? Variant::currency(c.value) : Variant(), c.hr};
    }
    case VarType::Date: {
        const auto d = toR8();
        return {d ? Variant::date(d.value) : Variant(), d.hr};
    }
    case VarType::Bool:
        return wrap(toBool());
    case VarType::Bstr:
        return wrap(toBstr());
    case VarType::Dispatch:
        return wrap(toDispatch());
    case VarType::Error: {
        const auto e = toError();
        return {e ? Variant::error(e.value) : Variant(), e.hr};
    }
    case VarType::Variant:
        return {value(), S_OK};
    }
    return {Variant(), DISP_E_TYPEMISMATCH};
}

bool operator==(const Variant& a, const Variant& b)
{
    return a.m_value == b.m_value;
}

} // namespace platform::automation
