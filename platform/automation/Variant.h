#pragma once

#include "platform/automation/AutomationTypes.h"
#include "platform/automation/DecimalNumber.h"
#include "platform/automation/IDispatch.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace platform::automation {

// The value types that cross the automation interface, numbered as automation clients
// number them. Strings are UTF-8 (BSTR and LPCSTR alike).
enum class VarType : uint16_t
{
    Empty = 0,
    Null = 1,     // no valid data (a script's Null)
    I2 = 2,       // short
    I4 = 3,       // long (32 bits)
    R4 = 4,       // float
    R8 = 5,       // double
    Cy = 6,       // currency: a 64-bit integer of ten-thousandths
    Date = 7,     // a double of days since 30 December 1899
    Bstr = 8,     // text
    Dispatch = 9, // object
    Error = 10,   // an error code; DISP_E_PARAMNOTFOUND marks a missing argument
    Bool = 11,    // -1 true, 0 false when seen as a number
    Variant = 12, // only as the element type of a reference
    Decimal = 14, // 96-bit magnitude, scale and sign (DecimalNumber)
    UI1 = 17,     // byte (0 to 255)
};

const char* varTypeName(VarType type);

// A reference into the caller's storage: `count` elements of `elementType` start at
// `data` (a by-reference scalar has count 1; an element of a script array counts the
// elements from it to the end of the array). Element storage: I2 int16_t, I4 int32_t,
// R4 float, R8 double, Bool bool, Bstr std::string, Variant Variant.
struct VariantRef
{
    VarType elementType = VarType::Empty;
    void* data = nullptr;
    size_t count = 0;
    friend bool operator==(const VariantRef&, const VariantRef&) = default;
};

// A conversion result: the value, or the reason it failed (DISP_E_TYPEMISMATCH,
// DISP_E_OVERFLOW) with a default value.
template <class T> struct Coerced
{
    T value{};
    HRESULT hr = S_OK;
    explicit operator bool() const { return SUCCEEDED(hr); }
};

// One automation value, or a reference to the caller's storage. Coercions follow the
// rules automation clients expect: numbers round half to even into integers, a value
// outside the target's range is DISP_E_OVERFLOW, booleans are -1 and 0 as numbers and
// "True" and "False" as text, text is read as a number with the "C" conventions.
class Variant
{
public:
    Variant() = default;
    Variant(int16_t v) : m_value(v) {}
    Variant(int32_t v) : m_value(v) {}
    Variant(float v) : m_value(v) {}
    Variant(double v) : m_value(v) {}
    Variant(bool v) : m_value(v) {}
    Variant(std::string v) : m_value(std::move(v)) {}
    Variant(const char* v) : m_value(std::string(v ? v : "")) {}
    Variant(DispatchPtr v) : m_value(std::move(v)) {}

    // An argument the caller left out.
    static Variant missing() { return error(DISP_E_PARAMNOTFOUND); }
    // Null: no valid data. It converts to nothing (DISP_E_TYPEMISMATCH).
    static Variant null();
    // A date: days since 30 December 1899, the fraction the time of day. As a number it is
    // the days; as text, the days' number (the script engine writes it as a date).
    static Variant date(double days);
    static Variant error(HRESULT code);
    // A byte. A factory, not a constructor: a uint8_t argument keeps becoming a long.
    static Variant byte(uint8_t v);
    // A currency value from its count of ten-thousandths (1.5 is 15000).
    static Variant currency(int64_t tenThousandths);
    static Variant decimal(const DecimalNumber& d);
    // References to caller storage; count is the number of elements from p on (>= 1).
    static Variant byRef(int16_t* p, size_t count = 1) { return ref(VarType::I2, p, count); }
    static Variant byRef(int32_t* p, size_t count = 1) { return ref(VarType::I4, p, count); }
    static Variant byRef(float* p, size_t count = 1) { return ref(VarType::R4, p, count); }
    static Variant byRef(double* p, size_t count = 1) { return ref(VarType::R8, p, count); }
    static Variant byRef(bool* p, size_t count = 1) { return ref(VarType::Bool, p, count); }
    static Variant byRef(std::string* p, size_t count = 1) { return ref(VarType::Bstr, p, count); }
    static Variant byRef(Variant* p, size_t count = 1) { return ref(VarType::Variant, p, count); }

    // The type of the value; for a reference, the element type.
    VarType type() const;
    bool isByRef() const { return std::holds_alternative<VariantRef>(m_value); }
    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isMissing() const;
    bool isNull() const;
    const VariantRef& ref() const { return std::get<VariantRef>(m_value); }
    // The value itself: for a reference, a copy of the first element it points at.
    Variant value() const;
    // Writes v into the first element a reference points at, converted to the element's
    // type (a Variant element takes v as it is); not a reference: replaces this value.
    HRESULT assign(const Variant& v);
    // A reference to element i of the elements a reference points at (count shrinks by
    // i); Empty when this is no reference or i is past the end.
    Variant elementRef(size_t i) const;

    // Appends to a text value in place (the value must be text, not a reference).
    void appendText(std::string_view text);

    Coerced<uint8_t> toUI1() const;
    Coerced<int16_t> toI2() const;
    Coerced<int32_t> toI4() const;
    Coerced<float> toR4() const;
    Coerced<double> toR8() const;
    // As currency: ten-thousandths, rounded half to even; outside its range DISP_E_OVERFLOW.
    Coerced<int64_t> toCy() const;
    // As a decimal: exact from integers, currency and text, doubles to 15 digits.
    Coerced<DecimalNumber> toDecimal() const;
    Coerced<bool> toBool() const;
    Coerced<std::string> toBstr() const;
    Coerced<DispatchPtr> toDispatch() const;
    Coerced<HRESULT> toError() const;
    // The value converted to `type` (Empty gives an empty value, Variant the value itself).
    Coerced<Variant> changeType(VarType type) const;

    friend bool operator==(const Variant& a, const Variant& b);

private:
    // The less common types share one alternative: Null, Error (the code in n), Date (the
    // days in d), UI1, Cy (ten-thousandths in n) and Decimal (low bits in n, the rest in
    // high, scale and negative). The variant must keep at most eleven
    // alternatives: past that, the standard library copies, moves and destroys it through a
    // table of function pointers instead of a switch, which slows the script engine's loops
    // by a fifth.
    struct Tagged
    {
        VarType type = VarType::Null;
        uint8_t scale = 0;
        bool negative = false;
        uint32_t high = 0;
        double d = 0.0;
        int64_t n = 0;
        friend bool operator==(const Tagged&, const Tagged&) = default;
    };
    const Tagged* tagged(VarType type) const
    {
        const auto* t = std::get_if<Tagged>(&m_value);
        return t && t->type == type ? t : nullptr;
    }
    static Variant ref(VarType type, void* p, size_t count);

    std::variant<std::monostate, int16_t, int32_t, float, double, bool, std::string, DispatchPtr,
                 VariantRef, Tagged>
        m_value;
    static_assert(std::variant_size_v<decltype(m_value)> <= 11);
};

} // namespace platform::automation
