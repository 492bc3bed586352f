#include "platform/basic/Record.h"

#include "platform/automation/AutomationObject.h"
#include "platform/automation/Variant.h"
#include "platform/basic/Value.h"

#include <vector>

namespace platform::basic {

using automation::DispatchPtr;
using automation::DISPID;
using automation::HRESULT;
using automation::Variant;
using automation::VarType;

namespace {

class Record : public automation::AutomationObject
{
public:
    Record(std::shared_ptr<const UserType> type, std::vector<Variant> values,
           std::vector<std::shared_ptr<Array>> arrays)
        : AutomationObject(nullptr, AppLock::None), m_type(std::move(type)),
          m_values(std::move(values)), m_arrays(std::move(arrays))
    {}

    HRESULT GetIDsOfNames(std::string_view name, DISPID& dispid) override
    {
        for (size_t i = 0; i < m_type->fields.size(); ++i) {
            if (automation::namesEqual(m_type->fields[i].name, name)) {
                dispid = static_cast<DISPID>(i + 1);
                return automation::S_OK;
            }
        }
        return automation::DISP_E_UNKNOWNNAME;
    }

    HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                   automation::DispatchError*) override
    {
        if (dispid < 1 || static_cast<size_t>(dispid) > m_values.size()) {
            return automation::DISP_E_MEMBERNOTFOUND;
        }
        const auto i = static_cast<size_t>(dispid - 1);
        const UserTypeField& field = m_type->fields[i];
        if (field.isArray) {
            // The interpreter reaches array fields through recordArray().
            return automation::DISP_E_TYPEMISMATCH;
        }
        if (flags & automation::DISPATCH_PROPERTYPUT) {
            if (args.size() != 1) {
                return automation::DISP_E_BADPARAMCOUNT;
            }
            const Variant v = args[0].value();
            if (field.record) {
                // A record field takes a copy of a record of any type with the same fields.
                const auto d = v.toDispatch();
                if (!d || !d.value || !isRecord(d.value.get())) {
                    return automation::DISP_E_TYPEMISMATCH;
                }
                m_values[i] = Variant(copyRecord(d.value.get()));
                return automation::S_OK;
            }
            auto c = v.changeType(varTypeOf(field.type));
            if (!c) {
                return c.hr;
            }
            m_values[i] = std::move(c.value);
            return automation::S_OK;
        }
        if (!args.empty()) {
            return automation::DISP_E_BADPARAMCOUNT;
        }
        if (result) {
            *result = m_values[i];
        }
        return automation::S_OK;
    }

    DispatchPtr copy() const
    {
        std::vector<Variant> values = m_values;
        for (size_t i = 0; i < values.size(); ++i) {
            if (m_type->fields[i].record) {
                const auto d = values[i].toDispatch();
                if (d && d.value) {
                    values[i] = Variant(copyRecord(d.value.get()));
                }
            }
        }
        std::vector<std::shared_ptr<Array>> arrays;
        for (const auto& a : m_arrays) {
            arrays.push_back(a ? copyArray(*a) : nullptr);
        }
        return DispatchPtr::adopt(new Record(m_type, std::move(values), std::move(arrays)));
    }

    const std::string& typeName() const { return m_type->name; }

    std::shared_ptr<Array>* array(std::string_view name)
    {
        for (size_t i = 0; i < m_type->fields.size(); ++i) {
            if (m_arrays[i] && automation::namesEqual(m_type->fields[i].name, name)) {
                return &m_arrays[i];
            }
        }
        return nullptr;
    }

private:
    std::shared_ptr<const UserType> m_type;
    std::vector<Variant> m_values;
    std::vector<std::shared_ptr<Array>> m_arrays; // of array fields, null for the others

    // Records are values: a copy holds copies of the records in the array too.
    static std::shared_ptr<Array> copyArray(const Array& from)
    {
        auto copy = std::make_shared<Array>(from);
        if (from.elementType == BasicType::Variant || from.elementType == BasicType::Object) {
            for (size_t i = 0; i < copy->size(); ++i) {
                const Variant v = copy->get(i);
                const auto d = v.type() == VarType::Dispatch ? v.toDispatch()
                                                             : automation::Coerced<DispatchPtr>{};
                if (d.value && isRecord(d.value.get())) {
                    copy->set(i, Variant(copyRecord(d.value.get())));
                }
            }
        }
        return copy;
    }
};

// A new array field: fixed ones get their elements, at their type's default.
std::shared_ptr<Array> makeFieldArray(const UserTypeField& f)
{
    auto arr = Array::make(f.type);
    if (f.extent.empty()) {
        return arr;
    }
    arr->fixed = true;
    arr->lower = f.lowerBounds;
    arr->extent = f.extent;
    size_t total = 1;
    for (int32_t n : f.extent) {
        total *= static_cast<size_t>(n);
    }
    arr->resize(total);
    for (size_t i = 0; i < total; ++i) {
        if (f.record) {
            arr->set(i, Variant(makeRecord(f.record)));
        } else if (f.type != BasicType::Variant) {
            arr->set(i, Variant().changeType(varTypeOf(f.type)).value);
        }
    }
    return arr;
}

} // namespace

std::shared_ptr<const UserType> findUserType(const Module& module, const std::string& lower)
{
    for (const auto& t : module.types) {
        if (t->lower == lower) {
            return t;
        }
    }
    return nullptr;
}

DispatchPtr makeRecord(const std::shared_ptr<const UserType>& type)
{
    std::vector<Variant> values;
    std::vector<std::shared_ptr<Array>> arrays;
    for (const UserTypeField& f : type->fields) {
        arrays.push_back(f.isArray ? makeFieldArray(f) : nullptr);
        if (f.isArray) {
            values.emplace_back();
        } else if (f.record) {
            values.emplace_back(makeRecord(f.record));
        } else if (f.type == BasicType::Variant) {
            values.emplace_back();
        } else {
            values.push_back(Variant().changeType(varTypeOf(f.type)).value);
        }
    }
    return DispatchPtr::adopt(new Record(type, std::move(values), std::move(arrays)));
}

std::shared_ptr<Array>* recordArray(automation::IDispatch* record, std::string_view name)
{
    auto* r = dynamic_cast<Record*>(record);
    return r ? r->array(name) : nullptr;
}

bool isRecord(automation::IDispatch* object)
{
    return dynamic_cast<Record*>(object) != nullptr;
}

DispatchPtr copyRecord(automation::IDispatch* record)
{
    const auto* r = dynamic_cast<Record*>(record);
    return r ? r->copy() : DispatchPtr(record);
}

std::string recordTypeName(automation::IDispatch* record)
{
    const auto* r = dynamic_cast<Record*>(record);
    return r ? r->typeName() : std::string();
}

} // namespace platform::basic
