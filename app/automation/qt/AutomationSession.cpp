#include "app/automation/qt/AutomationSession.h"

#include "app/automation/CompactArray.h"
#include "platform/automation/AutomationObject.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/EventTarget.h"
#include "platform/automation/FailureReports.h"
#include "platform/automation/TypeInfo.h"
#include "platform/automation/Variant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace app::automation {

namespace pa = platform::automation;

// The connection point's sink for one client: turns each event into a notification line.
// The session clears its notify function before it lets the sink go, so an event in flight
// never reaches a closed client.
class ClientEventSink final : public pa::IDispatch
{
public:
    explicit ClientEventSink(AutomationSession::Notify notify) : m_notify(std::move(notify)) {}

    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override
    {
        const uint32_t left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    pa::HRESULT QueryInterface(const pa::Guid& iid, pa::IDispatch** out) override
    {
        if (!out)
            return pa::E_POINTER;
        *out = nullptr;
        if (iid != pa::IID_IUnknown && iid != pa::IID_IDispatch &&
            iid != pa::eventGeneratorEventsIid())
            return pa::E_NOINTERFACE;
        AddRef();
        *out = this;
        return pa::S_OK;
    }
    uint32_t GetTypeInfoCount() override { return 0; }
    pa::HRESULT GetIDsOfNames(std::string_view, pa::DISPID&) override
    {
        return pa::DISP_E_UNKNOWNNAME;
    }
    pa::HRESULT Invoke(pa::DISPID dispid, uint16_t, std::span<pa::Variant> args, pa::Variant*,
                       pa::DispatchError*) override;

    void detach() { m_notify = nullptr; }

private:
    ~ClientEventSink() = default;

    AutomationSession::Notify m_notify;
    uint32_t m_refs = 1;
};

namespace {

// Error codes of replies.
constexpr const char* kBadRequest = "bad-request";
constexpr const char* kUnknownKind = "unknown-kind";
constexpr const char* kUnknownClass = "unknown-class";
constexpr const char* kUnknownHandle = "unknown-handle";
constexpr const char* kUnknownMember = "unknown-member";
constexpr const char* kBadArgumentCount = "bad-argument-count";
constexpr const char* kTypeMismatch = "type-mismatch";
constexpr const char* kOverflow = "overflow";
constexpr const char* kMemberFailed = "member-failed";
constexpr const char* kNoEventSource = "no-event-source";
constexpr const char* kUnknownCookie = "unknown-cookie";

std::string toLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

// A double as JSON: non-finite values as the texts "NaN", "Infinity" and "-Infinity" (JSON
// has no literal for them); finite ones are written shortest-exact, so they read back the
// same bits.
QJsonValue doubleToJson(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    return value;
}

std::optional<double> nonFiniteText(const QJsonValue& value)
{
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    if (text == QLatin1String("NaN"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("Infinity"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-Infinity"))
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

// Whether bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool isValidUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        // Runs of ASCII (most of a request, a compact array's text all of it) eight bytes
        // at a time.
        while (i + 8 <= text.size()) {
            uint64_t word = 0;
            std::memcpy(&word, text.data() + i, 8);
            if ((word & 0x8080808080808080ull) != 0)
                break;
            i += 8;
        }
        if (i >= text.size())
            break;
        const auto c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

const char* kindName(pa::MemberKind kind)
{
    switch (kind) {
    case pa::MemberKind::Method:
        return "method";
    case pa::MemberKind::Property:
        return "property";
    case pa::MemberKind::IndexedProperty:
        return "indexed-property";
    }
    return "method";
}

bool isRefType(pa::ParamType type)
{
    return type == pa::ParamType::ShortRef || type == pa::ParamType::LongRef ||
           type == pa::ParamType::FloatRef || type == pa::ParamType::DoubleRef;
}

// The key of a by-reference array's compact form: {"f64":"<base64>"}, the elements as
// little-endian IEEE 754 doubles (8 bytes each), base64 with padding. A double holds every
// short, long and float exactly, so one form serves every element type.
constexpr const char* kCompactArrayKey = "f64";

// The doubles of a compact array's text; none when it is not base64 of whole doubles.
std::optional<std::vector<double>> compactDoubles(const QJsonValue& text)
{
    if (!text.isString())
        return std::nullopt;
    const QByteArray latin = text.toString().toLatin1();
    return parseCompactDoubles(
        std::string_view(latin.constData(), static_cast<size_t>(latin.size())));
}

// Caller storage for one by-reference argument: the client's array copied in, in the
// member's element type, and copied back out after the call (in the form it came in).
struct RefArgument
{
    pa::ParamType type = pa::ParamType::Void;
    bool compact = false;
    std::vector<int16_t> shorts;
    std::vector<int32_t> longs;
    std::vector<float> floats;
    std::vector<double> doubles;

    pa::Variant reference()
    {
        switch (type) {
        case pa::ParamType::ShortRef:
            return pa::Variant::byRef(shorts.data(), shorts.size());
        case pa::ParamType::LongRef:
            return pa::Variant::byRef(longs.data(), longs.size());
        case pa::ParamType::FloatRef:
            return pa::Variant::byRef(floats.data(), floats.size());
        default:
            return pa::Variant::byRef(doubles.data(), doubles.size());
        }
    }
    // The elements as a JSON array. Written directly (shortest round-trip numbers) rather
    // than through a JSON document: a spectrum is thousands of doubles and this is the hot
    // path of every array reply.
    void appendJson(std::string& out) const
    {
        if (compact) {
            appendCompact(out);
            return;
        }
        out += '[';
        char buffer[32];
        auto number = [&](auto value) {
            if constexpr (std::is_floating_point_v<decltype(value)>) {
                if (std::isnan(value)) {
                    out += "\"NaN\"";
                    return;
                }
                if (std::isinf(value)) {
                    out += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
                    return;
                }
            }
            const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
            out.append(buffer, r.ptr);
        };
        bool first = true;
        auto each = [&](const auto& values) {
            for (const auto& v : values) {
                if (!first)
                    out += ',';
                first = false;
                number(v);
            }
        };
        each(shorts);
        each(longs);
        for (float f : floats) {
            if (!first)
                out += ',';
            first = false;
            number(static_cast<double>(f));
        }
        each(doubles);
        out += ']';
    }
    // The most bytes appendJson writes: 24 per number (the longest shortest-exact double
    // and its comma), or the compact form's base64 of 8 bytes each.
    size_t textBound() const
    {
        const size_t count = shorts.size() + longs.size() + floats.size() + doubles.size();
        return 16 + (compact ? (count * 8 + 2) / 3 * 4 : count * 25);
    }
    // The elements in the compact form: {"f64":"<base64 of little-endian doubles>"}.
    void appendCompact(std::string& out) const
    {
        std::vector<double> values;
        const std::vector<double>* all = &doubles;
        if (!shorts.empty() || !longs.empty() || !floats.empty()) {
            values.reserve(shorts.size() + longs.size() + floats.size());
            values.insert(values.end(), shorts.begin(), shorts.end());
            values.insert(values.end(), longs.begin(), longs.end());
            values.insert(values.end(), floats.begin(), floats.end());
            all = &values;
        }
        out += "{\"";
        out += kCompactArrayKey;
        out += "\":\"";
        appendCompactDoubles(out, *all);
        out += "\"}";
    }
};

// Why an argument could not be taken: its reply code and text.
struct ArgumentError
{
    const char* code;
    std::string text;
};

pa::Variant scalarFromJson(const QJsonValue& value)
{
    if (value.isBool())
        return pa::Variant(value.toBool());
    if (value.isString())
        return pa::Variant(value.toString().toStdString());
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (std::floor(d) == d && d >= std::numeric_limits<int32_t>::min() &&
            d <= std::numeric_limits<int32_t>::max())
            return pa::Variant(static_cast<int32_t>(d));
        return pa::Variant(d);
    }
    return pa::Variant::missing();
}

const char* codeOfConversion(pa::HRESULT hr)
{
    return hr == pa::DISP_E_OVERFLOW ? kOverflow : kTypeMismatch;
}

} // namespace

pa::HRESULT ClientEventSink::Invoke(pa::DISPID dispid, uint16_t, std::span<pa::Variant> args,
                                    pa::Variant*, pa::DispatchError*)
{
    if (!m_notify)
        return pa::S_OK;
    QJsonObject line;
    QString name;
    for (const pa::MemberSignature& event : pa::eventGeneratorEventsInterface().members)
        if (event.dispid == dispid)
            name = QString::fromStdString(event.name);
    line[QStringLiteral("event")] = name;
    line[QStringLiteral("dispid")] = dispid;
    QJsonArray values;
    for (const pa::Variant& arg : args) {
        const pa::Variant v = arg.value();
        switch (v.type()) {
        case pa::VarType::I2:
        case pa::VarType::I4:
        case pa::VarType::UI1:
            values.append(v.toI4().value);
            break;
        case pa::VarType::R4:
        case pa::VarType::R8:
        case pa::VarType::Cy:
        case pa::VarType::Decimal:
            values.append(doubleToJson(v.toR8().value));
            break;
        case pa::VarType::Bool:
            values.append(v.toBool().value);
            break;
        case pa::VarType::Bstr:
            values.append(QString::fromStdString(v.toBstr().value));
            break;
        default:
            values.append(QJsonValue());
            break;
        }
    }
    line[QStringLiteral("args")] = values;
    // The notify function may drop the connection; keep it alive for the call.
    const AutomationSession::Notify notify = m_notify;
    notify(toLine(line));
    return pa::S_OK;
}

struct AutomationSession::Request
{
    QJsonObject fields;
    QJsonValue id;

    std::string error(const char* code, const std::string& text, pa::HRESULT hr = 0) const
    {
        QJsonObject reply;
        reply[QStringLiteral("id")] = id;
        reply[QStringLiteral("ok")] = false;
        reply[QStringLiteral("error")] = QLatin1String(code);
        reply[QStringLiteral("text")] = QString::fromStdString(text);
        if (hr != 0)
            reply[QStringLiteral("hresult")] = static_cast<qint64>(static_cast<uint32_t>(hr));
        return toLine(reply);
    }
    std::string ok(QJsonObject reply = {}) const
    {
        reply[QStringLiteral("id")] = id;
        reply[QStringLiteral("ok")] = true;
        return toLine(reply);
    }
    // A field of the request; absent when missing.
    QJsonValue field(const char* name) const { return fields.value(QLatin1String(name)); }
};

AutomationSession::AutomationSession(pa::ClassRegistry& registry, EventSource events, Notify notify)
    : m_registry(registry), m_events(std::move(events)), m_notify(std::move(notify))
{}

AutomationSession::~AutomationSession()
{
    releaseAll();
}

void AutomationSession::releaseAll()
{
    pa::CEventGenerator* generator = m_events ? m_events() : nullptr;
    for (auto& [cookie, sink] : std::exchange(m_sinks, {})) {
        sink->detach();
        if (generator)
            generator->connectionPoint().Unadvise(cookie);
    }
    // Each release may run the object's destructor, which may call back into the program.
    std::map<int64_t, pa::DispatchPtr> objects = std::exchange(m_objects, {});
    objects.clear();
}

std::string AutomationSession::overlongReply()
{
    Request request;
    return request.error(kBadRequest,
                         "request line longer than " + std::to_string(kMaxRequestBytes) + " bytes");
}

std::string AutomationSession::handleLine(std::string_view line)
{
    Request request;
    if (line.find('\0') != std::string_view::npos)
        return request.error(kBadRequest, "NUL byte in request");
    if (!isValidUtf8(line))
        return request.error(kBadRequest, "request is not valid UTF-8");
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return request.error(kBadRequest,
                             "malformed JSON: " + parseError.errorString().toStdString());
    if (!document.isObject())
        return request.error(kBadRequest, "request is not a JSON object");
    request.fields = document.object();
    const QJsonValue id = request.field("id");
    if (id.isUndefined())
        return request.error(kBadRequest, "request has no id");
    if (!id.isDouble() && !id.isString())
        return request.error(kBadRequest, "id is neither a number nor a string");
    request.id = id;
    try {
        return dispatch(request);
    } catch (const std::exception& error) {
        return request.error(kMemberFailed, error.what());
    }
}

std::string AutomationSession::dispatch(Request& request)
{
    const QJsonValue kind = request.field("request");
    if (!kind.isString())
        return request.error(kBadRequest, "request kind missing or not a string");
    const QString name = kind.toString();
    if (name == QLatin1String("hello"))
        return hello(request);
    if (name == QLatin1String("create"))
        return create(request);
    if (name == QLatin1String("release"))
        return release(request);
    if (name == QLatin1String("describe"))
        return describe(request);
    if (name == QLatin1String("invoke"))
        return invoke(request);
    if (name == QLatin1String("advise"))
        return advise(request);
    if (name == QLatin1String("unadvise"))
        return unadvise(request);
    return request.error(kUnknownKind, "unknown request kind \"" + name.toStdString() + "\"");
}

std::string AutomationSession::hello(Request& request)
{
    QJsonObject reply;
    reply[QStringLiteral("protocol")] = kAutomationProtocolVersion;
    reply[QStringLiteral("library")] = QString::fromStdString(pa::harluneLibraryId().toString());
    reply[QStringLiteral("major")] = pa::kLibraryMajorVersion;
    reply[QStringLiteral("minor")] = pa::kLibraryMinorVersion;
    return request.ok(reply);
}

namespace {

// The class a create or describe request names by "progId" or "clsid"; null with the reason.
const pa::ClassInfo* requestedClass(const QJsonObject& fields, std::string& why, bool& malformed)
{
    malformed = false;
    const QJsonValue progId = fields.value(QLatin1String("progId"));
    const QJsonValue clsid = fields.value(QLatin1String("clsid"));
    if (progId.isString()) {
        const std::string text = progId.toString().toStdString();
        if (const pa::ClassInfo* info = pa::findClassByProgId(text))
            return info;
        why = "no class of ProgID \"" + text + "\"";
        return nullptr;
    }
    if (clsid.isString()) {
        const std::string text = clsid.toString().toStdString();
        const std::optional<pa::Guid> guid = pa::Guid::parse(text);
        if (!guid) {
            malformed = true;
            why = "clsid is not a class id";
            return nullptr;
        }
        if (const pa::ClassInfo* info = pa::findClassByClsid(*guid))
            return info;
        why = "no class of class id " + text;
        return nullptr;
    }
    malformed = true;
    why = "request names no class (a string progId or clsid)";
    return nullptr;
}

std::optional<int64_t> integerField(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (std::floor(d) != d || std::fabs(d) > 9.0e15)
        return std::nullopt;
    return static_cast<int64_t>(d);
}

} // namespace

int64_t AutomationSession::addObject(pa::DispatchPtr object)
{
    const int64_t handle = m_nextHandle++;
    m_objects.emplace(handle, std::move(object));
    return handle;
}

std::string AutomationSession::create(Request& request)
{
    std::string why;
    bool malformed = false;
    const pa::ClassInfo* info = requestedClass(request.fields, why, malformed);
    if (!info)
        return request.error(malformed ? kBadRequest : kUnknownClass, why);
    pa::DispatchPtr object;
    const pa::HRESULT hr = m_registry.CreateInstance(info->clsid(), object);
    if (pa::FAILED(hr) || !object)
        return request.error(kMemberFailed,
                             std::string("the class ") + info->className + " made no object", hr);
    QJsonObject reply;
    reply[QStringLiteral("handle")] = static_cast<qint64>(addObject(std::move(object)));
    reply[QStringLiteral("class")] = QLatin1String(info->className);
    reply[QStringLiteral("progId")] = QLatin1String(info->progId);
    return request.ok(reply);
}

std::string AutomationSession::release(Request& request)
{
    const std::optional<int64_t> handle = integerField(request.field("handle"));
    if (!handle)
        return request.error(kBadRequest, "handle missing or not an integer");
    const auto found = m_objects.find(*handle);
    if (found == m_objects.end())
        return request.error(kUnknownHandle, "no object of handle " + std::to_string(*handle));
    const pa::DispatchPtr object = std::move(found->second);
    m_objects.erase(found);
    return request.ok();
}

namespace {

QJsonArray describeMembers(const std::vector<pa::MemberSignature>& members,
                           const pa::DispatchTable* table)
{
    QJsonArray out;
    for (const pa::MemberSignature& member : members) {
        QJsonObject row;
        row[QStringLiteral("dispid")] = member.dispid;
        row[QStringLiteral("name")] = QString::fromStdString(member.name);
        row[QStringLiteral("kind")] = QLatin1String(kindName(member.kind));
        QJsonArray params;
        for (const pa::ParamDescription& param : member.params) {
            QJsonObject p;
            p[QStringLiteral("name")] = QString::fromStdString(param.name);
            p[QStringLiteral("type")] = QLatin1String(pa::paramTypeName(param.type));
            params.append(p);
        }
        row[QStringLiteral("params")] = params;
        row[QStringLiteral("result")] = QLatin1String(pa::paramTypeName(member.result));
        if (member.kind != pa::MemberKind::Method && table)
            if (const pa::MemberDescription* description = table->member(member.dispid))
                row[QStringLiteral("put")] = static_cast<bool>(description->put);
        out.append(row);
    }
    return out;
}

} // namespace

std::string AutomationSession::describe(Request& request)
{
    QJsonObject reply;
    QJsonArray enums;
    for (const pa::EnumDescription& e : m_registry.enumerations()) {
        QJsonObject values;
        QJsonArray pairs;
        for (const auto& [name, value] : e.values) {
            QJsonObject pair;
            pair[QStringLiteral("name")] = QString::fromStdString(name);
            pair[QStringLiteral("value")] = value;
            pairs.append(pair);
        }
        values[QStringLiteral("name")] = QString::fromStdString(e.name);
        values[QStringLiteral("values")] = pairs;
        enums.append(values);
    }
    reply[QStringLiteral("enums")] = enums;

    const bool namesClass = request.fields.contains(QLatin1String("progId")) ||
                            request.fields.contains(QLatin1String("clsid"));
    if (!namesClass) {
        // The library as a whole: its classes and the event interface.
        QJsonArray classes;
        for (const pa::ClassInfo& info : pa::harluneClasses()) {
            if (!m_registry.dispatchTable(info))
                continue;
            QJsonObject row;
            row[QStringLiteral("progId")] = QLatin1String(info.progId);
            row[QStringLiteral("class")] = QLatin1String(info.className);
            row[QStringLiteral("clsid")] = QString::fromStdString(info.clsid().toString());
            classes.append(row);
        }
        reply[QStringLiteral("classes")] = classes;
        reply[QStringLiteral("events")] =
            describeMembers(pa::eventGeneratorEventsInterface().members, nullptr);
        return request.ok(reply);
    }
    std::string why;
    bool malformed = false;
    const pa::ClassInfo* info = requestedClass(request.fields, why, malformed);
    if (!info)
        return request.error(malformed ? kBadRequest : kUnknownClass, why);
    const pa::DispatchTable* table = m_registry.dispatchTable(*info);
    if (!table)
        return request.error(kUnknownClass,
                             std::string("the class ") + info->className + " is not served");
    reply[QStringLiteral("progId")] = QLatin1String(info->progId);
    reply[QStringLiteral("class")] = QLatin1String(info->className);
    reply[QStringLiteral("clsid")] = QString::fromStdString(info->clsid().toString());
    reply[QStringLiteral("iid")] = QString::fromStdString(info->iid().toString());
    reply[QStringLiteral("members")] = describeMembers(pa::signaturesOf(*table), table);
    return request.ok(reply);
}

std::string AutomationSession::invoke(Request& request)
{
    const std::optional<int64_t> handle = integerField(request.field("handle"));
    if (!handle)
        return request.error(kBadRequest, "handle missing or not an integer");
    const auto found = m_objects.find(*handle);
    if (found == m_objects.end())
        return request.error(kUnknownHandle, "no object of handle " + std::to_string(*handle));
    // The object stays alive for the call even if the session lets it go meanwhile.
    const pa::DispatchPtr object = found->second;
    const auto* automationObject = dynamic_cast<const pa::AutomationObject*>(object.get());
    const pa::DispatchTable* table =
        automationObject ? &automationObject->GetDispatchMap() : nullptr;

    // The member, by name or by DISPID.
    const QJsonValue memberField = request.field("member");
    pa::DISPID dispid = 0;
    if (memberField.isString()) {
        const std::string name = memberField.toString().toStdString();
        if (pa::FAILED(object->GetIDsOfNames(name, dispid)))
            return request.error(kUnknownMember, "no member \"" + name + "\"",
                                 pa::DISP_E_UNKNOWNNAME);
    } else if (const std::optional<int64_t> number = integerField(memberField)) {
        if (*number < 1 || *number > std::numeric_limits<int32_t>::max())
            return request.error(kUnknownMember, "no member of DISPID " + std::to_string(*number),
                                 pa::DISP_E_MEMBERNOTFOUND);
        dispid = static_cast<pa::DISPID>(*number);
    } else {
        return request.error(kBadRequest, "member missing or neither a name nor a DISPID");
    }
    const pa::MemberDescription* member = table ? table->member(dispid) : nullptr;
    if (!member)
        return request.error(kUnknownMember, "no member of DISPID " + std::to_string(dispid),
                             pa::DISP_E_MEMBERNOTFOUND);

    // How it is called: a method, or a property's get or put.
    uint16_t flags =
        member->kind == pa::MemberKind::Method ? pa::DISPATCH_METHOD : pa::DISPATCH_PROPERTYGET;
    const QJsonValue callField = request.field("call");
    if (!callField.isUndefined()) {
        const QString call = callField.toString();
        if (call == QLatin1String("method"))
            flags = pa::DISPATCH_METHOD;
        else if (call == QLatin1String("get"))
            flags = pa::DISPATCH_PROPERTYGET;
        else if (call == QLatin1String("put"))
            flags = pa::DISPATCH_PROPERTYPUT;
        else
            return request.error(kBadRequest, "call is not \"method\", \"get\" or \"put\"");
    }
    if ((flags & pa::DISPATCH_PROPERTYPUT) &&
        (member->kind == pa::MemberKind::Method || !member->put))
        return request.error(kUnknownMember, member->name + " cannot be set",
                             pa::DISP_E_MEMBERNOTFOUND);
    if ((flags & pa::DISPATCH_METHOD) && member->kind != pa::MemberKind::Method)
        flags |= pa::DISPATCH_PROPERTYGET;

    const QJsonValue argsField = request.field("args");
    if (!argsField.isUndefined() && !argsField.isArray())
        return request.error(kBadRequest, "args is not an array");
    const QJsonArray jsonArgs = argsField.toArray();
    // The parameter types: the index parameters, then for a put the property's own type.
    std::vector<pa::ParamType> types;
    for (const pa::ParamDescription& param : member->params)
        types.push_back(param.type);
    if (flags & pa::DISPATCH_PROPERTYPUT)
        types.push_back(member->result);
    if (static_cast<size_t>(jsonArgs.size()) != types.size())
        return request.error(kBadArgumentCount,
                             member->name + " takes " + std::to_string(types.size()) +
                                 " arguments, not " + std::to_string(jsonArgs.size()),
                             pa::DISP_E_BADPARAMCOUNT);

    std::vector<RefArgument> refs(types.size());
    std::vector<pa::Variant> args(types.size());
    for (size_t i = 0; i < types.size(); ++i) {
        const QJsonValue value = jsonArgs.at(static_cast<qsizetype>(i));
        const std::string which = "argument " + std::to_string(i + 1) + " of " + member->name;
        if (isRefType(types[i])) {
            RefArgument& ref = refs[i];
            ref.type = types[i];
            const QJsonValue compactText =
                value.isObject() ? value.toObject().value(QLatin1String(kCompactArrayKey))
                                 : QJsonValue(QJsonValue::Undefined);
            std::optional<std::vector<double>> compactValues;
            QJsonArray elements;
            if (!compactText.isUndefined()) {
                compactValues = compactDoubles(compactText);
                if (!compactValues || value.toObject().size() != 1)
                    return request.error(kTypeMismatch, which + " is not base64 of whole doubles",
                                         pa::DISP_E_TYPEMISMATCH);
                ref.compact = true;
            } else if (value.isArray()) {
                elements = value.toArray();
            } else {
                elements.append(value);
            }
            if (compactValues ? compactValues->empty() : elements.isEmpty())
                return request.error(kTypeMismatch, which + " is an empty array",
                                     pa::DISP_E_TYPEMISMATCH);
            if (compactValues && types[i] == pa::ParamType::DoubleRef) {
                // Doubles for doubles: nothing to convert.
                ref.doubles = std::move(*compactValues);
                args[i] = ref.reference();
                continue;
            }
            const size_t count =
                compactValues ? compactValues->size() : static_cast<size_t>(elements.size());
            for (size_t e = 0; e < count; ++e) {
                pa::Variant v;
                if (compactValues) {
                    v = pa::Variant((*compactValues)[e]);
                } else {
                    const QJsonValue element = elements.at(static_cast<qsizetype>(e));
                    const std::optional<double> special = nonFiniteText(element);
                    if (!element.isDouble() && !element.isBool() && !special)
                        return request.error(kTypeMismatch, which + " holds a non-number",
                                             pa::DISP_E_TYPEMISMATCH);
                    v = special            ? pa::Variant(*special)
                        : element.isBool() ? pa::Variant(element.toBool())
                                           : pa::Variant(element.toDouble());
                }
                pa::HRESULT hr = pa::S_OK;
                switch (types[i]) {
                case pa::ParamType::ShortRef: {
                    const auto c = v.toI2();
                    hr = c.hr;
                    ref.shorts.push_back(c.value);
                    break;
                }
                case pa::ParamType::LongRef: {
                    const auto c = v.toI4();
                    hr = c.hr;
                    ref.longs.push_back(c.value);
                    break;
                }
                case pa::ParamType::FloatRef: {
                    const auto c = v.toR4();
                    hr = c.hr;
                    ref.floats.push_back(c.value);
                    break;
                }
                default:
                    ref.doubles.push_back(v.toR8().value);
                    break;
                }
                if (pa::FAILED(hr))
                    return request.error(codeOfConversion(hr),
                                         which + " does not fit " + pa::paramTypeName(types[i]),
                                         hr);
            }
            args[i] = ref.reference();
            continue;
        }
        if (value.isArray() || value.isObject()) {
            // An object argument names one of the client's objects by handle.
            const std::optional<int64_t> objectHandle =
                value.isObject() ? integerField(value.toObject().value(QLatin1String("handle")))
                                 : std::nullopt;
            const auto objectFound = objectHandle ? m_objects.find(*objectHandle) : m_objects.end();
            if (types[i] != pa::ParamType::Dispatch && types[i] != pa::ParamType::Variant)
                return request.error(kTypeMismatch, which + " is not a single value",
                                     pa::DISP_E_TYPEMISMATCH);
            if (objectFound == m_objects.end())
                return request.error(kUnknownHandle, which + " names no object of this client");
            args[i] = pa::Variant(objectFound->second);
            continue;
        }
        if (value.isNull())
            return request.error(kTypeMismatch, which + " is null", pa::DISP_E_TYPEMISMATCH);
        const std::optional<double> special = nonFiniteText(value);
        if (special && (types[i] == pa::ParamType::Double || types[i] == pa::ParamType::Float ||
                        types[i] == pa::ParamType::Variant))
            args[i] = pa::Variant(*special);
        else if (value.isDouble() &&
                 (types[i] == pa::ParamType::Double || types[i] == pa::ParamType::Float))
            args[i] = pa::Variant(value.toDouble());
        else
            args[i] = scalarFromJson(value);
        // Values are converted to the member's types by the runtime's own rules first, so the
        // reply says which argument failed.
        const pa::Coerced<pa::Variant> converted = args[i].changeType(pa::paramVarType(types[i]));
        if (pa::FAILED(converted.hr))
            return request.error(codeOfConversion(converted.hr),
                                 which + " does not convert to " + pa::paramTypeName(types[i]),
                                 converted.hr);
    }

    pa::Variant result;
    pa::DispatchError error;
    // What the program reports while the member runs (its error log's lines, the boxes it
    // answered for nobody) fails the call with those texts: the member's own answer is then
    // only the neutral result of a failure.
    pa::FailureReports reports;
    const pa::HRESULT hr = object->Invoke(dispid, flags, args, &result, &error);
    if (pa::FAILED(hr)) {
        std::string text = member->name + " failed";
        if (!error.description.empty())
            text += ": " + error.description;
        if (!reports.texts().empty())
            text += (error.description.empty() ? ": " : "; ") + reports.joined();
        if (error.argIndex >= 0)
            text += " (argument " + std::to_string(error.argIndex + 1) + ")";
        switch (hr) {
        case pa::DISP_E_BADPARAMCOUNT:
        case pa::DISP_E_PARAMNOTFOUND:
            return request.error(kBadArgumentCount, text, hr);
        case pa::DISP_E_TYPEMISMATCH:
            return request.error(kTypeMismatch, text, hr);
        case pa::DISP_E_OVERFLOW:
            return request.error(kOverflow, text, hr);
        case pa::DISP_E_MEMBERNOTFOUND:
            return request.error(kUnknownMember, text, hr);
        default:
            return request.error(kMemberFailed, text, hr);
        }
    }

    if (!reports.texts().empty())
        return request.error(kMemberFailed, member->name + " failed: " + reports.joined(),
                             pa::DISP_E_EXCEPTION);

    QJsonObject reply;
    const pa::Variant value = result.value();
    switch (value.type()) {
    case pa::VarType::I2:
    case pa::VarType::I4:
    case pa::VarType::UI1:
        reply[QStringLiteral("result")] = value.toI4().value;
        break;
    // A JSON number is a double: currency and decimal values go as their nearest one.
    case pa::VarType::R4:
    case pa::VarType::R8:
    case pa::VarType::Cy:
    case pa::VarType::Decimal:
        reply[QStringLiteral("result")] = doubleToJson(value.toR8().value);
        break;
    case pa::VarType::Bool:
        reply[QStringLiteral("result")] = value.toBool().value;
        break;
    case pa::VarType::Bstr:
        reply[QStringLiteral("result")] = QString::fromStdString(value.toBstr().value);
        break;
    case pa::VarType::Dispatch: {
        pa::DispatchPtr returned = value.toDispatch().value;
        if (returned) {
            QJsonObject handleObject;
            handleObject[QStringLiteral("handle")] =
                static_cast<qint64>(addObject(std::move(returned)));
            reply[QStringLiteral("result")] = handleObject;
        } else {
            reply[QStringLiteral("result")] = QJsonValue();
        }
        break;
    }
    default:
        reply[QStringLiteral("result")] = QJsonValue();
        break;
    }
    // The by-reference arrays go in as text after the other fields, written straight into the
    // reply: a spectrum is tens of kilobytes, grown once rather than copied as it grows.
    std::string line = request.ok(reply);
    line.pop_back(); // the object's closing brace, put back after the arrays
    size_t room = line.size() + 16;
    for (const RefArgument& ref : refs)
        room += ref.textBound();
    line.reserve(room);
    line += ",\"refs\":[";
    for (size_t i = 0; i < refs.size(); ++i) {
        if (i != 0)
            line += ',';
        if (refs[i].type == pa::ParamType::Void)
            line += "null";
        else
            refs[i].appendJson(line);
    }
    line += "]}";
    return line;
}

std::string AutomationSession::advise(Request& request)
{
    const QJsonValue source = request.field("source");
    if (!source.isString())
        return request.error(kBadRequest, "source missing or not a string");
    if (source.toString() != QLatin1String("EventGenerator"))
        return request.error(kUnknownClass,
                             "no event source \"" + source.toString().toStdString() + "\"");
    pa::CEventGenerator* generator = m_events ? m_events() : nullptr;
    if (!generator)
        return request.error(kNoEventSource, "the program has no event generator now");
    auto sink = pa::RefPtr<ClientEventSink>::adopt(new ClientEventSink(m_notify));
    uint32_t cookie = 0;
    const pa::HRESULT hr = generator->connectionPoint().Advise(sink.get(), &cookie);
    if (pa::FAILED(hr))
        return request.error(kMemberFailed, "the event generator refused the connection", hr);
    m_sinks.emplace(cookie, std::move(sink));
    QJsonObject reply;
    reply[QStringLiteral("cookie")] = static_cast<qint64>(cookie);
    return request.ok(reply);
}

std::string AutomationSession::unadvise(Request& request)
{
    const std::optional<int64_t> cookie = integerField(request.field("cookie"));
    if (!cookie)
        return request.error(kBadRequest, "cookie missing or not an integer");
    const auto found = cookie && *cookie > 0 && *cookie <= std::numeric_limits<uint32_t>::max()
                           ? m_sinks.find(static_cast<uint32_t>(*cookie))
                           : m_sinks.end();
    if (found == m_sinks.end())
        return request.error(kUnknownCookie, "no connection of cookie " + std::to_string(*cookie),
                             pa::CONNECT_E_NOCONNECTION);
    found->second->detach();
    if (pa::CEventGenerator* generator = m_events ? m_events() : nullptr)
        generator->connectionPoint().Unadvise(found->first);
    m_sinks.erase(found);
    return request.ok();
}

} // namespace app::automation
