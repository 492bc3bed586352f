#include "platform/basic/Value.h"

namespace platform::basic {

using automation::HRESULT;
using automation::Variant;

automation::VarType varTypeOf(BasicType type)
{
    using automation::VarType;
    switch (type) {
    case BasicType::Integer:
        return VarType::I2;
    case BasicType::Long:
        return VarType::I4;
    case BasicType::Single:
        return VarType::R4;
    case BasicType::Double:
    case BasicType::Date:
        return VarType::R8;
    case BasicType::String:
        return VarType::Bstr;
    case BasicType::Boolean:
        return VarType::Bool;
    case BasicType::Byte:
        return VarType::UI1;
    case BasicType::Currency:
        return VarType::Cy;
    case BasicType::Object:
        return VarType::Dispatch;
    case BasicType::Variant:
        break;
    }
    return VarType::Variant;
}

std::shared_ptr<Array> Array::make(BasicType type)
{
    auto a = std::make_shared<Array>();
    a->elementType = type;
    switch (type) {
    case BasicType::Integer:
        a->data = std::vector<int16_t>();
        break;
    case BasicType::Long:
        a->data = std::vector<int32_t>();
        break;
    case BasicType::Single:
        a->data = std::vector<float>();
        break;
    case BasicType::Double:
    case BasicType::Date:
        a->data = std::vector<double>();
        break;
    case BasicType::String:
        a->data = std::vector<std::string>();
        break;
    default:
        a->data = std::vector<Variant>();
        break;
    }
    return a;
}

size_t Array::size() const
{
    return std::visit([](const auto& v) { return v.size(); }, data);
}

void Array::resize(size_t n)
{
    std::visit([n](auto& v) { v.resize(n); }, data);
}

Variant Array::get(size_t i) const
{
    return std::visit([i](const auto& v) -> Variant { return Variant(v[i]); }, data);
}

HRESULT Array::set(size_t i, const Variant& value)
{
    switch (data.index()) {
    case 0: {
        auto c = value.toI2();
        if (c) {
            std::get<0>(data)[i] = c.value;
        }
        return c.hr;
    }
    case 1: {
        auto c = value.toI4();
        if (c) {
            std::get<1>(data)[i] = c.value;
        }
        return c.hr;
    }
    case 2: {
        auto c = value.toR4();
        if (c) {
            std::get<2>(data)[i] = c.value;
        }
        return c.hr;
    }
    case 3: {
        auto c = value.toR8();
        if (c) {
            std::get<3>(data)[i] = c.value;
        }
        return c.hr;
    }
    case 4: {
        auto c = value.toBstr();
        if (c) {
            std::get<4>(data)[i] = std::move(c.value);
        }
        return c.hr;
    }
    default: {
        Variant v = value.value();
        if (elementType == BasicType::Boolean) {
            auto c = v.toBool();
            if (!c) {
                return c.hr;
            }
            v = Variant(c.value);
        } else if (elementType == BasicType::Byte || elementType == BasicType::Currency) {
            auto c = v.changeType(varTypeOf(elementType));
            if (!c) {
                return c.hr;
            }
            v = std::move(c.value);
        } else if (elementType == BasicType::Object) {
            auto c = v.toDispatch();
            if (!c) {
                return c.hr;
            }
            v = Variant(c.value);
        }
        std::get<5>(data)[i] = std::move(v);
        return automation::S_OK;
    }
    }
}

Variant Array::refAt(size_t i)
{
    return std::visit(
        [i](auto& v) -> Variant {
            return i < v.size() ? Variant::byRef(v.data() + i, v.size() - i) : Variant();
        },
        data);
}

} // namespace platform::basic
