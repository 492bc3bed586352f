#pragma once

#include "platform/automation/DispatchTable.h"
#include "platform/automation/HandlerGuard.h"

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <source_location>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// Builds a class's dispatch table from its member functions, in the order of the class's
// member table: handler parameter and result types give the member's automation types.
//   short -> int16_t, long -> int32_t, float, double, BOOL -> bool, BSTR and LPCSTR ->
//   std::string (const std::string& for arguments), VARIANT -> Variant, object ->
//   DispatchPtr, short* / long* / float* / double* -> ByRef<int16_t / int32_t / ...>.
//   A BOOL argument whose handler tells 1 from other non-zero values -> BoolValue.
namespace platform::automation {

// A BOOL argument as the caller gave it: a boolean as 1 or 0, a number as its value.
struct BoolValue
{
    int32_t value = 0;
};

// A by-reference argument as a handler sees it: the referenced element and the elements
// after it in the caller's array. A member that reads or fills n elements asks take(n),
// which gives nothing when the caller's array holds fewer, so a short array never makes
// a handler read or write past its end.
template <class T> class ByRef
{
public:
    ByRef() = default;
    ByRef(T* data, size_t count) : m_data(data), m_count(data ? count : 0) {}

    // Elements available from the referenced one to the end of the caller's array (>= 1).
    size_t count() const { return m_count; }
    // The first n elements, or null when fewer than n are available.
    T* take(size_t n) const { return n <= m_count ? m_data : nullptr; }
    // The referenced element.
    T& operator*() const { return *m_data; }

private:
    T* m_data = nullptr;
    size_t m_count = 0;
};

namespace binder {

template <class T> struct Scalar;
template <> struct Scalar<int16_t>
{
    static constexpr ParamType type = ParamType::Short;
    static constexpr ParamType refType = ParamType::ShortRef;
    static Coerced<int16_t> from(const Variant& v) { return v.toI2(); }
};
template <> struct Scalar<int32_t>
{
    static constexpr ParamType type = ParamType::Long;
    static constexpr ParamType refType = ParamType::LongRef;
    static Coerced<int32_t> from(const Variant& v) { return v.toI4(); }
};
template <> struct Scalar<float>
{
    static constexpr ParamType type = ParamType::Float;
    static constexpr ParamType refType = ParamType::FloatRef;
    static Coerced<float> from(const Variant& v) { return v.toR4(); }
};
template <> struct Scalar<double>
{
    static constexpr ParamType type = ParamType::Double;
    static constexpr ParamType refType = ParamType::DoubleRef;
    static Coerced<double> from(const Variant& v) { return v.toR8(); }
};
template <> struct Scalar<bool>
{
    static constexpr ParamType type = ParamType::Bool;
    static Coerced<bool> from(const Variant& v) { return v.toBool(); }
};
template <> struct Scalar<BoolValue>
{
    static constexpr ParamType type = ParamType::Bool;
    static Coerced<BoolValue> from(const Variant& v)
    {
        const Variant value = v.value();
        if (value.type() == VarType::Bool)
            return {BoolValue{value.toBool().value ? 1 : 0}, S_OK};
        const Coerced<int32_t> number = value.toI4();
        return {BoolValue{number.value}, number.hr};
    }
};
template <> struct Scalar<std::string>
{
    static constexpr ParamType type = ParamType::Bstr;
    static Coerced<std::string> from(const Variant& v) { return v.toBstr(); }
};
template <> struct Scalar<DispatchPtr>
{
    static constexpr ParamType type = ParamType::Dispatch;
    static Coerced<DispatchPtr> from(const Variant& v) { return v.toDispatch(); }
};

// Converts one argument into what the handler takes and writes references back after
// the call.
template <class T> struct Arg
{
    static_assert(!std::is_same_v<T, long> && !std::is_same_v<T, int64_t>,
                  "automation long is 32 bits: use int32_t");
    static constexpr ParamType type = Scalar<T>::type;
    T value{};
    HRESULT load(Variant& a)
    {
        if (a.isMissing()) {
            return DISP_E_PARAMNOTFOUND;
        }
        auto c = Scalar<T>::from(a);
        value = std::move(c.value);
        return c.hr;
    }
    const T& get() const { return value; }
    void finish() {}
};

template <> struct Arg<Variant>
{
    static constexpr ParamType type = ParamType::Variant;
    Variant value;
    HRESULT load(Variant& a)
    {
        value = a;
        return S_OK;
    }
    const Variant& get() const { return value; }
    void finish() {}
};

template <class E> struct Arg<ByRef<E>>
{
    static constexpr ParamType type = Scalar<E>::refType;
    Variant* source = nullptr;
    std::vector<E> copy; // when the caller's elements are of another type
    bool writeBack = false;
    ByRef<E> view;

    HRESULT load(Variant& a)
    {
        if (a.isMissing()) {
            return DISP_E_PARAMNOTFOUND;
        }
        if (!a.isByRef()) {
            // A plain value for a reference: the handler works on a temporary.
            auto c = Scalar<E>::from(a);
            if (!c) {
                return c.hr;
            }
            copy.assign(1, c.value);
            view = ByRef<E>(copy.data(), 1);
            return S_OK;
        }
        const VariantRef& r = a.ref();
        if (!r.data || r.count == 0) {
            return DISP_E_TYPEMISMATCH;
        }
        if (r.elementType == paramVarType(type)) {
            view = ByRef<E>(static_cast<E*>(r.data), r.count);
            return S_OK;
        }
        // Elements of another type (a script's Variant or Integer array): converted in,
        // and converted back after the call.
        copy.resize(r.count);
        for (size_t i = 0; i < r.count; ++i) {
            auto c = Scalar<E>::from(a.elementRef(i));
            if (!c) {
                return c.hr;
            }
            copy[i] = c.value;
        }
        source = &a;
        writeBack = true;
        view = ByRef<E>(copy.data(), copy.size());
        return S_OK;
    }
    ByRef<E> get() const { return view; }
    void finish()
    {
        if (!writeBack) {
            return;
        }
        for (size_t i = 0; i < copy.size(); ++i) {
            source->elementRef(i).assign(Variant(copy[i]));
        }
    }
};

template <class R> struct Result
{
    static constexpr ParamType type = Scalar<R>::type;
};
template <> struct Result<void>
{
    static constexpr ParamType type = ParamType::Void;
};
template <> struct Result<Variant>
{
    static constexpr ParamType type = ParamType::Variant;
};

template <class F> struct MemberFn;
template <class C, class R, class... A> struct MemberFn<R (C::*)(A...)>
{
    using Class = C;
    using ResultType = R;
    using Args = std::tuple<std::decay_t<A>...>;
    static constexpr size_t arity = sizeof...(A);
};
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...) const> : MemberFn<R (C::*)(A...)>
{};

template <class Tuple> struct ParamTypes;
template <class... A> struct ParamTypes<std::tuple<A...>>
{
    static std::vector<ParamType> get() { return {Arg<A>::type...}; }
};

// Answers a caught exception: with a guard, report it and give the neutral result;
// without one, hand it to the caller as an exception of the call.
inline HRESULT caught(const GuardContext& guard, ParamType resultType, Variant* result,
                      DispatchError* error, const char* what)
{
    if (guard.sourceName) {
        reportHandlerException(guard.sourceName, guard.line);
        if (result) {
            *result = neutralResult(resultType);
        }
        return S_OK;
    }
    if (error) {
        error->description = what;
    }
    return DISP_E_EXCEPTION;
}

template <class C, class Fn, class Tuple, size_t... I>
MemberHandler makeHandler(Fn fn, std::index_sequence<I...>)
{
    using R = typename MemberFn<Fn>::ResultType;
    return [fn](AutomationObject& self, std::span<Variant> args, Variant* result,
                DispatchError* error, const GuardContext& guard) -> HRESULT {
        std::tuple<Arg<std::tuple_element_t<I, Tuple>>...> bound;
        (void)args;
        HRESULT hr = S_OK;
        int failedAt = -1;
        (
            [&] {
                if (SUCCEEDED(hr)) {
                    hr = std::get<I>(bound).load(args[I]);
                    if (FAILED(hr)) {
                        failedAt = static_cast<int>(I);
                    }
                }
            }(),
            ...);
        if (FAILED(hr)) {
            if (error) {
                error->argIndex = failedAt;
            }
            return hr;
        }
        C& object = static_cast<C&>(self);
        const auto finish = [&] { (std::get<I>(bound).finish(), ...); };
        try {
            if constexpr (std::is_void_v<R>) {
                (object.*fn)(std::get<I>(bound).get()...);
                if (result) {
                    *result = Variant();
                }
            } else {
                R value = (object.*fn)(std::get<I>(bound).get()...);
                if (result) {
                    *result = Variant(std::move(value));
                }
            }
        } catch (const std::exception& e) {
            finish();
            return caught(guard, Result<R>::type, result, error, e.what());
        } catch (...) {
            finish();
            return caught(guard, Result<R>::type, result, error, "unknown exception");
        }
        finish();
        return S_OK;
    };
}

template <class C, class Fn> MemberHandler handlerFor(Fn fn)
{
    using Traits = MemberFn<Fn>;
    static_assert(std::is_base_of_v<typename Traits::Class, C>,
                  "the handler must be a member of the bound class or its base");
    return makeHandler<C, Fn, typename Traits::Args>(fn, std::make_index_sequence<Traits::arity>());
}

inline std::vector<ParamDescription> describe(const std::vector<ParamType>& types,
                                              std::initializer_list<const char*> names)
{
    std::vector<ParamDescription> out;
    auto name = names.begin();
    for (size_t i = 0; i < types.size(); ++i) {
        std::string n = name != names.end() ? std::string(*name++) : "arg" + std::to_string(i + 1);
        out.push_back({std::move(n), types[i]});
    }
    return out;
}

} // namespace binder

// Reads a member table row by row. The DISPID of each member is its position.
template <class C> class DispatchBinder
{
public:
    // A method; argNames name its parameters in the type library.
    template <class F>
    DispatchBinder& method(std::string name, F fn, std::initializer_list<const char*> argNames = {},
                           std::source_location where = std::source_location::current())
    {
        using Traits = binder::MemberFn<F>;
        MemberDescription m;
        m.name = std::move(name);
        m.kind = MemberKind::Method;
        m.params = binder::describe(binder::ParamTypes<typename Traits::Args>::get(), argNames);
        m.result = binder::Result<typename Traits::ResultType>::type;
        m.get = binder::handlerFor<C>(fn);
        m.line = static_cast<int>(where.line());
        m_members.push_back(std::move(m));
        return *this;
    }

    // A property with a getter and, unless setter is null, a setter of the same type.
    template <class G, class S = std::nullptr_t>
    DispatchBinder& property(std::string name, G getter, S setter = nullptr,
                             std::source_location where = std::source_location::current())
    {
        static_assert(binder::MemberFn<G>::arity == 0, "a plain property getter takes nothing");
        return addProperty(std::move(name), MemberKind::Property, getter, setter, {}, where);
    }

    // A property with parameters: getter (index...) -> T, setter (index..., T).
    template <class G, class S>
    DispatchBinder& indexedProperty(std::string name, G getter, S setter,
                                    std::initializer_list<const char*> argNames = {},
                                    std::source_location where = std::source_location::current())
    {
        return addProperty(std::move(name), MemberKind::IndexedProperty, getter, setter, argNames,
                           where);
    }

    // Exempts the member just added from its class's guard.
    DispatchBinder& unguarded()
    {
        if (!m_members.empty())
            m_members.back().guarded = false;
        return *this;
    }

    DispatchTable table() { return DispatchTable(std::move(m_members)); }

private:
    template <class G, class S>
    DispatchBinder& addProperty(std::string name, MemberKind kind, G getter, S setter,
                                std::initializer_list<const char*> argNames,
                                std::source_location where)
    {
        using Get = binder::MemberFn<G>;
        MemberDescription m;
        m.name = std::move(name);
        m.kind = kind;
        m.params = binder::describe(binder::ParamTypes<typename Get::Args>::get(), argNames);
        m.result = binder::Result<typename Get::ResultType>::type;
        m.get = binder::handlerFor<C>(getter);
        if constexpr (!std::is_same_v<S, std::nullptr_t>) {
            using Set = binder::MemberFn<S>;
            static_assert(Set::arity == Get::arity + 1,
                          "a setter takes the getter's parameters and the value");
            using Value = std::tuple_element_t<Get::arity, typename Set::Args>;
            static_assert(binder::Arg<Value>::type ==
                              binder::Result<typename Get::ResultType>::type,
                          "getter and setter disagree on the property's type");
            m.put = binder::handlerFor<C>(setter);
        }
        m.line = static_cast<int>(where.line());
        m_members.push_back(std::move(m));
        return *this;
    }

    std::vector<MemberDescription> m_members;
};

} // namespace platform::automation
