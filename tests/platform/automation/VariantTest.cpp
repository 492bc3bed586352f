#include "platform/automation/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;

struct CoercionCase
{
    const char* name;
    Variant input;
    VarType target;
    HRESULT hr;
    Variant expected; // compared only when hr is S_OK
};

TEST(VariantTest, CoercionTable)
{
    const std::vector<CoercionCase> cases = {
        {"long 70000 into short overflows", int32_t{70000}, VarType::I2, DISP_E_OVERFLOW, {}},
        {"long -32768 into short", int32_t{-32768}, VarType::I2, S_OK, int16_t{-32768}},
        {"long -32769 into short overflows", int32_t{-32769}, VarType::I2, DISP_E_OVERFLOW, {}},
        {"text 70000 into short overflows", "70000", VarType::I2, DISP_E_OVERFLOW, {}},
        {"double 2.5 rounds to even", 2.5, VarType::I2, S_OK, int16_t{2}},
        {"double 3.5 rounds to even", 3.5, VarType::I4, S_OK, int32_t{4}},
        {"double -2.5 rounds to even", -2.5, VarType::I4, S_OK, int32_t{-2}},
        {"double past long overflows", 2147483647.5, VarType::I4, DISP_E_OVERFLOW, {}},
        {"NaN into long overflows", std::nan(""), VarType::I4, DISP_E_OVERFLOW, {}},
        {"double past float overflows", 1e39, VarType::R4, DISP_E_OVERFLOW, {}},
        {"infinity stays infinity as float", std::numeric_limits<double>::infinity(), VarType::R4,
         S_OK, std::numeric_limits<float>::infinity()},
        {"true is -1 as short", true, VarType::I2, S_OK, int16_t{-1}},
        {"false is 0 as long", false, VarType::I4, S_OK, int32_t{0}},
        {"true is -1 as double", true, VarType::R8, S_OK, -1.0},
        {"true as text", true, VarType::Bstr, S_OK, "True"},
        {"zero is false", int16_t{0}, VarType::Bool, S_OK, false},
        {"any other number is true", 0.25, VarType::Bool, S_OK, true},
        {"text true in any case", "TRUE", VarType::Bool, S_OK, true},
        {"text false as number", "False", VarType::I2, S_OK, int16_t{0}},
        {"text number with blanks", " 1.5 ", VarType::R8, S_OK, 1.5},
        {"text with plus sign", "+12", VarType::I4, S_OK, int32_t{12}},
        {"text not a number", "12abc", VarType::I4, DISP_E_TYPEMISMATCH, {}},
        {"empty text is no number", "", VarType::I2, DISP_E_TYPEMISMATCH, {}},
        {"huge text overflows double", "1e999", VarType::R8, DISP_E_OVERFLOW, {}},
        {"short as text", int16_t{-7}, VarType::Bstr, S_OK, "-7"},
        {"double as shortest text", 0.1, VarType::Bstr, S_OK, "0.1"},
        {"double to fifteen digits", 0.1 + 0.2, VarType::Bstr, S_OK, "0.3"},
        {"large double", 1e20, VarType::Bstr, S_OK, "1E+20"},
        {"single to seven digits", 1.0f / 3.0f, VarType::Bstr, S_OK, "0.3333333"},
        {"empty is zero", Variant(), VarType::I4, S_OK, int32_t{0}},
        {"empty is empty text", Variant(), VarType::Bstr, S_OK, ""},
        {"missing is no number", Variant::missing(), VarType::I4, DISP_E_TYPEMISMATCH, {}},
        {"object is no number", DispatchPtr(), VarType::I4, DISP_E_TYPEMISMATCH, {}},
        {"number is no object", int32_t{1}, VarType::Dispatch, DISP_E_TYPEMISMATCH, {}},
        {"byte rounds to even", 254.5, VarType::UI1, S_OK, Variant::byte(254)},
        {"byte past 255 overflows", int16_t{256}, VarType::UI1, DISP_E_OVERFLOW, {}},
        {"negative byte overflows", int16_t{-1}, VarType::UI1, DISP_E_OVERFLOW, {}},
        {"byte as text", Variant::byte(200), VarType::Bstr, S_OK, "200"},
        {"currency keeps four decimals", 1.23456, VarType::Cy, S_OK, Variant::currency(12346)},
        {"currency half to even", 0.00005, VarType::Cy, S_OK, Variant::currency(0)},
        {"currency as text", Variant::currency(-15000), VarType::Bstr, S_OK, "-1.5"},
        {"currency as double", Variant::currency(12345), VarType::R8, S_OK, 1.2345},
        {"currency past its range overflows", 1e16, VarType::Cy, DISP_E_OVERFLOW, {}},
        {"decimal from text keeps its places", "-2.50", VarType::Decimal, S_OK,
         Variant::decimal(decimalFromInteger(-250, 2))},
        {"decimal as text drops trailing zeros", Variant::decimal(decimalFromInteger(1500, 3)),
         VarType::Bstr, S_OK, "1.5"},
        {"decimal from a double to fifteen digits", 0.1 + 0.2, VarType::Decimal, S_OK,
         Variant::decimal(decimalFromInteger(3, 1))},
        {"decimal from currency", Variant::currency(25000), VarType::Decimal, S_OK,
         Variant::decimal(decimalFromInteger(25000, 4))},
        {"decimal past 96 bits overflows",
         "79228162514264337593543950336",
         VarType::Decimal,
         DISP_E_OVERFLOW,
         {}},
        {"decimal of no number", "x1", VarType::Decimal, DISP_E_TYPEMISMATCH, {}},
    };
    for (const CoercionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto out = c.input.changeType(c.target);
        EXPECT_EQ(out.hr, c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(out.value.type(), c.expected.type());
            EXPECT_TRUE(out.value == c.expected) << out.value.toBstr().value;
        }
    }
}

TEST(VariantTest, ReferencesReadAndWriteTheCallersStorage)
{
    int16_t s = 12;
    Variant r = Variant::byRef(&s);
    EXPECT_TRUE(r.isByRef());
    EXPECT_EQ(r.type(), VarType::I2);
    EXPECT_EQ(r.toR8().value, 12.0);

    EXPECT_EQ(r.assign(int32_t{300}), S_OK);
    EXPECT_EQ(s, 300);
    // A value that does not fit leaves the storage as it was.
    EXPECT_EQ(r.assign(int32_t{70000}), DISP_E_OVERFLOW);
    EXPECT_EQ(s, 300);

    // A Variant element takes any value as it is.
    Variant slot;
    EXPECT_EQ(Variant::byRef(&slot).assign("text"), S_OK);
    EXPECT_EQ(slot.type(), VarType::Bstr);
}

TEST(VariantTest, ElementReferencesCountToTheEndOfTheArray)
{
    double values[5] = {1, 2, 3, 4, 5};
    const Variant first = Variant::byRef(values, 5);
    const Variant third = first.elementRef(2);
    EXPECT_EQ(third.ref().count, 3u);
    EXPECT_EQ(third.toR8().value, 3.0);
    EXPECT_TRUE(first.elementRef(5).isEmpty());
    EXPECT_TRUE(Variant(1.0).elementRef(0).isEmpty());
}

} // namespace
