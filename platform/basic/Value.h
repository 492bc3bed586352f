#pragma once

#include "platform/automation/Variant.h"
#include "platform/basic/Ast.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace platform::basic {

// A script array: element type, bounds per dimension and contiguous storage, so that an
// element can be passed by reference as the first of the elements after it.
struct Array
{
    BasicType elementType = BasicType::Variant;
    std::vector<int32_t> lower;
    std::vector<int32_t> extent;
    bool fixed = false; // declared with bounds: ReDim is not allowed
    std::variant<std::vector<int16_t>, std::vector<int32_t>, std::vector<float>,
                 std::vector<double>, std::vector<std::string>, std::vector<automation::Variant>>
        data;

    size_t size() const;
    void resize(size_t n);
    automation::Variant get(size_t i) const;
    // Converts v to the element type; a failed conversion answers its reason.
    automation::HRESULT set(size_t i, const automation::Variant& v);
    // A reference to element i and the elements after it.
    automation::Variant refAt(size_t i);
    // Makes storage for the element type (empty).
    static std::shared_ptr<Array> make(BasicType type);
};

// A script value: an automation value or an array.
struct Value
{
    automation::Variant v;
    std::shared_ptr<Array> array;
    // v is a Double that is a date (automation clients see the Double).
    bool date = false;

    Value() = default;
    Value(automation::Variant value) : v(std::move(value)) {}
    static Value ofDate(double days)
    {
        Value d{automation::Variant(days)};
        d.date = true;
        return d;
    }
    bool isArray() const { return static_cast<bool>(array); }
    // The automation value to keep in a Variant element: a date keeps its Date type.
    automation::Variant stored() const
    {
        return date ? automation::Variant::date(v.toR8().value) : v.value();
    }
    // A value read from a Variant element: a Date is a date again.
    static Value loaded(automation::Variant element)
    {
        if (element.type() == automation::VarType::Date) {
            return ofDate(element.toR8().value);
        }
        return Value(std::move(element));
    }
};

// The automation type that holds a variable of a declared type (Variant for Variant).
automation::VarType varTypeOf(BasicType type);

// A value as text the way the dialect writes it (Doubles to 15 significant digits).
std::string basicText(const automation::Variant& v);
// The same for a script value: dates as dates.
std::string textOf(const Value& v);

// A variable: its declared type and its value.
struct Cell
{
    Value value;
    BasicType type = BasicType::Variant;
};

// The Static variables of a procedure (of one instance for a class module), by slot, and
// whether each one's declaration has run.
struct StaticCells
{
    std::vector<Cell> cells;
    std::vector<bool> declared;
};

} // namespace platform::basic
