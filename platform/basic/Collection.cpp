#include "platform/basic/Collection.h"

#include "platform/automation/AutomationObject.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace platform::basic {

using automation::DispatchPtr;
using automation::DISPID;
using automation::FAILED;
using automation::HRESULT;
using automation::Variant;
using automation::VarType;

namespace {

constexpr DISPID kItem = 0; // the default member
constexpr DISPID kAdd = 1;
constexpr DISPID kCount = 2;
constexpr DISPID kRemove = 3;

constexpr int kBadArgument = 5;
constexpr int kSubscript = 9;
constexpr int kTypeMismatch = 13;
constexpr int kDuplicateKey = 457;

std::string lowerOf(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool given(const Variant& v)
{
    return !v.isMissing();
}

class Collection : public automation::AutomationObject
{
public:
    Collection() : AutomationObject(nullptr, AppLock::None) {}

    HRESULT GetIDsOfNames(std::string_view name, DISPID& dispid) override
    {
        static const std::pair<const char*, DISPID> members[] = {
            {"", kItem}, {"item", kItem}, {"add", kAdd}, {"count", kCount}, {"remove", kRemove}};
        const std::string lower = lowerOf(std::string(name));
        for (const auto& [n, id] : members) {
            if (lower == n) {
                dispid = id;
                return automation::S_OK;
            }
        }
        return automation::DISP_E_UNKNOWNNAME;
    }

    HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                   automation::DispatchError*) override
    {
        if (flags & automation::DISPATCH_PROPERTYPUT) {
            return automation::DISP_E_MEMBERNOTFOUND;
        }
        switch (dispid) {
        case kItem: {
            if (args.size() != 1) {
                return automation::DISP_E_BADPARAMCOUNT;
            }
            size_t at = 0;
            if (const HRESULT hr = find(args[0].value(), at); FAILED(hr)) {
                return hr;
            }
            if (result) {
                *result = m_items[at].value;
            }
            return automation::S_OK;
        }
        case kAdd:
            return add(args);
        case kCount:
            if (!args.empty()) {
                return automation::DISP_E_BADPARAMCOUNT;
            }
            if (result) {
                *result = Variant(static_cast<int32_t>(m_items.size()));
            }
            return automation::S_OK;
        case kRemove: {
            if (args.size() != 1) {
                return automation::DISP_E_BADPARAMCOUNT;
            }
            size_t at = 0;
            if (const HRESULT hr = find(args[0].value(), at); FAILED(hr)) {
                return hr;
            }
            m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(at));
            return automation::S_OK;
        }
        default:
            return automation::DISP_E_MEMBERNOTFOUND;
        }
    }

    std::vector<Variant> items() const
    {
        std::vector<Variant> out;
        out.reserve(m_items.size());
        for (const Entry& e : m_items) {
            out.push_back(e.value);
        }
        return out;
    }

private:
    struct Entry
    {
        Variant value;
        std::string key; // lower case; empty: none
    };

    // The place of an item named by a position from 1 or by its key.
    HRESULT find(const Variant& index, size_t& at) const
    {
        if (index.type() == VarType::Bstr) {
            const std::string key = lowerOf(index.toBstr().value);
            const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const Entry& e) {
                return !key.empty() && e.key == key;
            });
            if (it == m_items.end()) {
                return dialectError(kBadArgument);
            }
            at = static_cast<size_t>(it - m_items.begin());
            return automation::S_OK;
        }
        const auto n = index.toI4();
        if (!n) {
            return index.isNull() || n.hr == automation::DISP_E_TYPEMISMATCH
                       ? dialectError(kTypeMismatch)
                       : dialectError(kSubscript);
        }
        if (n.value < 1 || static_cast<size_t>(n.value) > m_items.size()) {
            return dialectError(kSubscript);
        }
        at = static_cast<size_t>(n.value - 1);
        return automation::S_OK;
    }

    // Add(Item, [Key], [Before], [After]).
    HRESULT add(std::span<Variant> args)
    {
        if (args.empty() || args.size() > 4 || !given(args[0])) {
            return args.empty() || args.size() > 4 ? automation::DISP_E_BADPARAMCOUNT
                                                   : automation::DISP_E_PARAMNOTFOUND;
        }
        Entry entry{args[0].value(), {}};
        if (args.size() > 1 && given(args[1])) {
            const Variant key = args[1].value();
            if (key.type() != VarType::Bstr) {
                return dialectError(kTypeMismatch);
            }
            entry.key = lowerOf(key.toBstr().value);
            if (!entry.key.empty() &&
                std::any_of(m_items.begin(), m_items.end(),
                            [&](const Entry& e) { return e.key == entry.key; })) {
                return dialectError(kDuplicateKey);
            }
        }
        const bool before = args.size() > 2 && given(args[2]);
        const bool after = args.size() > 3 && given(args[3]);
        if (before && after) {
            return dialectError(kBadArgument);
        }
        size_t at = m_items.size();
        if (before || after) {
            size_t found = 0;
            if (const HRESULT hr = find(args[before ? 2 : 3].value(), found); FAILED(hr)) {
                // A position that names no item is an invalid argument here.
                return hr == dialectError(kSubscript) ? dialectError(kBadArgument) : hr;
            }
            at = before ? found : found + 1;
        }
        m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
        return automation::S_OK;
    }

    std::vector<Entry> m_items;
};

} // namespace

DispatchPtr makeCollection()
{
    return DispatchPtr::adopt(new Collection());
}

bool isCollection(automation::IDispatch* object)
{
    return dynamic_cast<Collection*>(object) != nullptr;
}

std::vector<Variant> collectionItems(automation::IDispatch* object)
{
    const auto* c = dynamic_cast<Collection*>(object);
    return c ? c->items() : std::vector<Variant>();
}

std::vector<std::string> collectionParameters(const std::string& member)
{
    const std::string lower = lowerOf(member);
    if (lower == "add") {
        return {"item", "key", "before", "after"};
    }
    if (lower == "item" || lower == "remove") {
        return {"index"};
    }
    return {};
}

} // namespace platform::basic
