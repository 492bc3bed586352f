// One outside client's requests without a socket: the protocol's answers, calls through the
// runtime with arrays copied in and out, events, releases, and every kind of bad request.
#include "app/automation/qt/AutomationSession.h"

#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "platform/automation/AutomationObject.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/EventTarget.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace platform::automation;
using app::automation::AutomationSession;

QJsonObject parse(const std::string& line)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    EXPECT_TRUE(document.isObject()) << line;
    return document.object();
}

std::string text(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

QJsonArray doubles(const std::vector<double>& values)
{
    QJsonArray out;
    for (double v : values)
        out.append(v);
    return out;
}

// An array in the protocol's compact form: {"f64": base64 of the little-endian doubles}.
QJsonObject compact(const std::vector<double>& values)
{
    QByteArray bytes;
    for (double v : values) {
        const auto bits = std::bit_cast<uint64_t>(v);
        for (int k = 0; k < 8; ++k)
            bytes.append(static_cast<char>(bits >> (8 * k)));
    }
    return {{"f64", QString::fromLatin1(bytes.toBase64())}};
}

// The doubles of a compact array; empty when the value is not one.
std::vector<double> fromCompact(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    if (object.size() != 1 || !object.value("f64").isString())
        return {};
    const QByteArray bytes = QByteArray::fromBase64(object.value("f64").toString().toLatin1());
    std::vector<double> out(static_cast<size_t>(bytes.size()) / 8);
    for (size_t i = 0; i < out.size(); ++i) {
        uint64_t bits = 0;
        for (int k = 7; k >= 0; --k)
            bits = bits << 8 | static_cast<unsigned char>(bytes[static_cast<qsizetype>(i * 8) + k]);
        out[i] = std::bit_cast<double>(bits);
    }
    return out;
}

// Two spectra of 3648 pixels whose sums need every bit: fractions, a denormal, a -0.
std::pair<std::vector<double>, std::vector<double>> awkwardSpectra()
{
    std::vector<double> a(3648);
    std::vector<double> b(3648);
    for (size_t i = 0; i < a.size(); ++i) {
        a[i] = 1.0 / static_cast<double>(i + 3) + 1e-300 * static_cast<double>(i);
        b[i] = std::sqrt(static_cast<double>(i)) * 0.1 - 123456.789e-7;
    }
    a[7] = std::numeric_limits<double>::denorm_min();
    b[9] = -0.0;
    return {a, b};
}

class AutomationSessionTest : public ::testing::Test
{
protected:
    AutomationSessionTest()
    {
        registerHarluneAutomation(registry);
        generator = RefPtr<CEventGenerator>::adopt(new CEventGenerator());
    }

    std::unique_ptr<AutomationSession> open()
    {
        return std::make_unique<AutomationSession>(
            registry, [this] { return generator.get(); },
            [this](const std::string& line) { notifications.push_back(line); });
    }
    QJsonObject ask(AutomationSession& session, QJsonObject request)
    {
        if (!request.contains(QLatin1String("id")))
            request[QStringLiteral("id")] = ++lastId;
        return parse(session.handleLine(text(request)));
    }
    qint64 create(AutomationSession& session, const char* progId)
    {
        const QJsonObject reply =
            ask(session, {{"request", "create"}, {"progId", QString::fromLatin1(progId)}});
        EXPECT_TRUE(reply.value("ok").toBool()) << text(reply);
        return reply.value("handle").toInteger();
    }
    // Calls `member` (a name or a DISPID) of the object behind `handle`.
    QJsonObject invoke(AutomationSession& session, qint64 handle, const QJsonValue& member,
                       const QJsonArray& args)
    {
        return ask(session,
                   {{"request", "invoke"}, {"handle", handle}, {"member", member}, {"args", args}});
    }
    // Sets the property `member` of the object behind `handle`.
    QJsonObject put(AutomationSession& session, qint64 handle, const char* member,
                    const QJsonValue& value)
    {
        return ask(session, {{"request", "invoke"},
                             {"handle", handle},
                             {"member", QString::fromLatin1(member)},
                             {"call", "put"},
                             {"args", QJsonArray{value}}});
    }

    ClassRegistry registry;
    FakeAutomationFrame frame;
    RefPtr<CEventGenerator> generator;
    std::vector<std::string> notifications;
    int lastId = 0;
};

TEST_F(AutomationSessionTest, HelloNamesTheProtocolAndTheLibrary)
{
    auto session = open();
    const QJsonObject reply = ask(*session, {{"request", "hello"}, {"id", "first"}});
    EXPECT_EQ(reply.value("id").toString(), "first");
    EXPECT_TRUE(reply.value("ok").toBool());
    EXPECT_EQ(reply.value("protocol").toInt(), 1);
    EXPECT_EQ(reply.value("library").toString(), "{CC2B8C8C-ADB4-0000-B838-C448D8CC27C6}");
    EXPECT_EQ(reply.value("major").toInt(), 1);
    EXPECT_EQ(reply.value("minor").toInt(), 5);
}

TEST_F(AutomationSessionTest, ByReferenceArgumentsComeBackAndReleaseUnlocks)
{
    const int locks = applicationLockCount();
    auto session = open();
    const qint64 version = create(*session, "Harlune.GenVersion");
    EXPECT_EQ(session->objectCount(), 1u);
    EXPECT_EQ(applicationLockCount(), locks + 1);
    const QJsonObject reply =
        invoke(*session, version, "GetTypeLibraryVersion", {0, QJsonArray{0}});
    ASSERT_TRUE(reply.value("ok").toBool()) << text(reply);
    EXPECT_EQ(reply.value("refs").toArray(), (QJsonArray{QJsonArray{1}, QJsonArray{5}}));

    // By class id as well, and by DISPID (3 is GetTypeLibraryVersion).
    const QJsonObject byClsid =
        ask(*session, {{"request", "create"}, {"clsid", "{CC2B8C8C-ADB4-0058-B838-C448D8CC27C6}"}});
    ASSERT_TRUE(byClsid.value("ok").toBool()) << text(byClsid);
    EXPECT_EQ(byClsid.value("class").toString(), "I_GenVersion");
    const QJsonObject byDispid =
        invoke(*session, byClsid.value("handle").toInteger(), 3, {QJsonArray{9}, QJsonArray{9}});
    EXPECT_EQ(byDispid.value("refs").toArray(), (QJsonArray{QJsonArray{1}, QJsonArray{5}}));

    EXPECT_TRUE(ask(*session, {{"request", "release"}, {"handle", version}}).value("ok").toBool());
    EXPECT_EQ(applicationLockCount(), locks + 1);
    EXPECT_EQ(ask(*session, {{"request", "release"}, {"handle", version}}).value("error"),
              "unknown-handle");
    session.reset();
    EXPECT_EQ(applicationLockCount(), locks);
}

TEST_F(AutomationSessionTest, SpectralSumsComeBackBitForBit)
{
    auto session = open();
    const qint64 math = create(*session, "Harlune.GenSpectralMath");
    ASSERT_TRUE(put(*session, math, "NumberOfPixels", 3648).value("ok").toBool());
    const auto [a, b] = awkwardSpectra();
    const QJsonObject reply = invoke(*session, math, "AddSpectra",
                                     {doubles(a), doubles(b), doubles(std::vector<double>(3648))});
    ASSERT_TRUE(reply.value("ok").toBool()) << text(reply).substr(0, 300);
    EXPECT_EQ(reply.value("result"), QJsonValue(true));
    const QJsonArray refs = reply.value("refs").toArray();
    ASSERT_EQ(refs.size(), 3);
    const QJsonArray sums = refs.at(2).toArray();
    ASSERT_EQ(sums.size(), 3648);
    // Through the reply's text and back: the same bits.
    const QJsonArray reread = parse(text(reply)).value("refs").toArray().at(2).toArray();
    for (qsizetype i = 0; i < sums.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::bit_cast<uint64_t>(reread.at(i).toDouble()),
                  std::bit_cast<uint64_t>(a[static_cast<size_t>(i)] + b[static_cast<size_t>(i)]));
    }
}

TEST_F(AutomationSessionTest, CompactArraysComeBackBitForBitInTheirForm)
{
    auto session = open();
    const qint64 math = create(*session, "Harlune.GenSpectralMath");
    ASSERT_TRUE(put(*session, math, "NumberOfPixels", 3648).value("ok").toBool());
    const auto [a, b] = awkwardSpectra();
    // The compact form and the JSON form mix in one call; each comes back in its own.
    const QJsonObject reply =
        invoke(*session, math, "AddSpectra",
               {compact(a), doubles(b), compact(std::vector<double>(3648, 7.0))});
    ASSERT_TRUE(reply.value("ok").toBool()) << text(reply).substr(0, 300);
    EXPECT_EQ(reply.value("result"), QJsonValue(true));
    const QJsonArray refs = reply.value("refs").toArray();
    ASSERT_EQ(refs.size(), 3);
    EXPECT_TRUE(refs.at(1).isArray());
    const std::vector<double> unchanged = fromCompact(refs.at(0));
    const std::vector<double> sums = fromCompact(refs.at(2));
    ASSERT_EQ(sums.size(), 3648u);
    ASSERT_EQ(unchanged.size(), 3648u);
    for (size_t i = 0; i < sums.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::bit_cast<uint64_t>(unchanged[i]), std::bit_cast<uint64_t>(a[i]));
        EXPECT_EQ(std::bit_cast<uint64_t>(sums[i]), std::bit_cast<uint64_t>(a[i] + b[i]));
    }

    // Non-finite doubles travel as they are; the math refuses them and leaves the arrays.
    put(*session, math, "NumberOfPixels", 2);
    const std::vector<double> special = {std::numeric_limits<double>::quiet_NaN(),
                                         -std::numeric_limits<double>::infinity()};
    const QJsonObject refused =
        invoke(*session, math, "AddSpectra", {compact(special), compact({1, 1}), compact({0, 0})});
    ASSERT_TRUE(refused.value("ok").toBool()) << text(refused);
    EXPECT_EQ(refused.value("result"), QJsonValue(false));
    const std::vector<double> back = fromCompact(refused.value("refs").toArray().at(0));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_TRUE(std::isnan(back[0]));
    EXPECT_EQ(back[1], -std::numeric_limits<double>::infinity());
}

TEST_F(AutomationSessionTest, CompactArraysOfShortsConvertAsNumbersDo)
{
    auto session = open();
    const qint64 version = create(*session, "Harlune.GenVersion");
    // GetTypeLibraryVersion(short*, short*): doubles in, the shorts written come back as
    // doubles.
    const QJsonObject reply =
        invoke(*session, version, "GetTypeLibraryVersion", {compact({0}), compact({2.5})});
    ASSERT_TRUE(reply.value("ok").toBool()) << text(reply);
    EXPECT_EQ(fromCompact(reply.value("refs").toArray().at(0)), std::vector<double>{1});
    EXPECT_EQ(fromCompact(reply.value("refs").toArray().at(1)), std::vector<double>{5});

    struct Case
    {
        const char* name;
        QJsonValue argument;
        const char* error;
    };
    QByteArray sevenBytes(7, '\1');
    const std::vector<Case> cases = {
        {"70000 into a short", compact({70000}), "overflow"},
        {"empty", compact({}), "type-mismatch"},
        {"not base64", QJsonObject{{"f64", "not base64!"}}, "type-mismatch"},
        {"not whole doubles", QJsonObject{{"f64", QString::fromLatin1(sevenBytes.toBase64())}},
         "type-mismatch"},
        {"not a text", QJsonObject{{"f64", 5}}, "type-mismatch"},
        {"another field beside", QJsonObject{{"f64", compact({1}).value("f64")}, {"n", 1}},
         "type-mismatch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QJsonObject failed =
            invoke(*session, version, "GetTypeLibraryVersion", {c.argument, compact({0})});
        EXPECT_FALSE(failed.value("ok").toBool());
        EXPECT_EQ(failed.value("error").toString().toStdString(), c.error) << text(failed);
    }
}

TEST_F(AutomationSessionTest, NonFiniteDoublesTravelAsTexts)
{
    auto session = open();
    const qint64 math = create(*session, "Harlune.GenSpectralMath");
    put(*session, math, "NumberOfPixels", 4);
    const QJsonObject reply = invoke(*session, math, "AddSpectra",
                                     {QJsonArray{"NaN", "Infinity", "-Infinity", 1.5},
                                      QJsonArray{1, 1, 1, "Infinity"}, QJsonArray{0, 0, 0, 0}});
    ASSERT_TRUE(reply.value("ok").toBool()) << text(reply);
    // The math refuses non-finite input; the arrays come back as they went in.
    EXPECT_EQ(reply.value("result"), QJsonValue(false));
    EXPECT_EQ(reply.value("refs").toArray().at(0).toArray(),
              (QJsonArray{"NaN", "Infinity", "-Infinity", 1.5}))
        << text(reply);
    EXPECT_EQ(reply.value("refs").toArray().at(1).toArray(), (QJsonArray{1, 1, 1, "Infinity"}));
}

TEST_F(AutomationSessionTest, AnArrayTooShortForItsMemberGetsTheNeutralResult)
{
    auto session = open();
    const qint64 math = create(*session, "Harlune.GenSpectralMath");
    // 2048 pixels at creation; three elements are too few, as from a script.
    const QJsonObject reply =
        invoke(*session, math, "AddSpectra",
               {QJsonArray{1, 2, 3}, QJsonArray{1, 2, 3}, QJsonArray{7, 7, 7}});
    ASSERT_TRUE(reply.value("ok").toBool()) << text(reply);
    EXPECT_EQ(reply.value("result"), QJsonValue(false));
    EXPECT_EQ(reply.value("refs").toArray().at(2).toArray(), (QJsonArray{7, 7, 7}));
}

TEST_F(AutomationSessionTest, BadRequestsGetTheirErrorsAndTheSessionGoesOn)
{
    auto session = open();
    const qint64 math = create(*session, "Harlune.GenSpectralMath");
    const std::string handle = std::to_string(math);
    struct Case
    {
        const char* name;
        std::string line;
        const char* error;
        QJsonValue id;
    };
    const std::vector<Case> cases = {
        {"malformed JSON", R"({"id":1,"request":)", "bad-request", QJsonValue()},
        {"array", R"([{"id":1,"request":"hello"}])", "bad-request", QJsonValue()},
        {"number", "42", "bad-request", QJsonValue()},
        {"empty line", "", "bad-request", QJsonValue()},
        {"missing id", R"({"request":"hello"})", "bad-request", QJsonValue()},
        {"id of the wrong type", R"({"id":{},"request":"hello"})", "bad-request", QJsonValue()},
        {"missing kind", R"({"id":2})", "bad-request", 2},
        {"kind of the wrong type", R"({"id":3,"request":7})", "bad-request", 3},
        {"unknown kind", R"({"id":4,"request":"shutdown"})", "unknown-kind", 4},
        {"unknown ProgID", R"({"id":5,"request":"create","progId":"Harlune.Nothing"})",
         "unknown-class", 5},
        {"outside class by CLSID",
         R"({"id":6,"request":"create","clsid":"{B20ABC78-3855-11D3-8F7F-0000861EF01D}"})",
         "unknown-class", 6},
        {"unknown handle", R"({"id":7,"request":"invoke","handle":999,"member":"AddSpectra"})",
         "unknown-handle", 7},
        {"handle of the wrong type", R"({"id":8,"request":"invoke","handle":"1","member":"x"})",
         "bad-request", 8},
        {"unknown member",
         R"({"id":9,"request":"invoke","handle":)" + handle + R"(,"member":"Nothing"})",
         "unknown-member", 9},
        {"unknown DISPID", R"({"id":10,"request":"invoke","handle":)" + handle + R"(,"member":99})",
         "unknown-member", 10},
        {"wrong argument count",
         R"({"id":11,"request":"invoke","handle":)" + handle +
             R"(,"member":"AddSpectra","args":[[1]]})",
         "bad-argument-count", 11},
        {"text into a short",
         R"({"id":12,"request":"invoke","handle":)" + handle +
             R"(,"member":"NumberOfPixels","call":"put","args":["many"]})",
         "type-mismatch", 12},
        {"70000 into a short",
         R"({"id":13,"request":"invoke","handle":)" + handle +
             R"(,"member":"NumberOfPixels","call":"put","args":[70000]})",
         "overflow", 13},
        {"text in an array of doubles",
         R"({"id":14,"request":"invoke","handle":)" + handle +
             R"(,"member":"AddSpectra","args":[["x"],[1],[1]]})",
         "type-mismatch", 14},
        {"empty array",
         R"({"id":15,"request":"invoke","handle":)" + handle +
             R"(,"member":"AddSpectra","args":[[],[1],[1]]})",
         "type-mismatch", 15},
        {"args not an array",
         R"({"id":16,"request":"invoke","handle":)" + handle +
             R"(,"member":"AddSpectra","args":1})",
         "bad-request", 16},
        {"put on a method",
         R"({"id":17,"request":"invoke","handle":)" + handle +
             R"(,"member":"AddSpectra","call":"put","args":[[1],[1],[1],[1]]})",
         "unknown-member", 17},
        {"NUL byte", std::string(R"({"id":18,"request":"hello"})") + '\0', "bad-request",
         QJsonValue()},
        {"invalid UTF-8", "{\"id\":19,\"request\":\"hel\xff\"}", "bad-request", QJsonValue()},
        {"overlong UTF-8", "{\"id\":20,\"request\":\"\xc0\xaf\"}", "bad-request", QJsonValue()},
        {"UTF-8 surrogate", "{\"id\":21,\"request\":\"\xed\xa0\x80\"}", "bad-request",
         QJsonValue()},
        {"cut UTF-8", "{\"id\":22,\"request\":\"\xe2\x82", "bad-request", QJsonValue()},
        {"unknown cookie", R"({"id":23,"request":"unadvise","cookie":5})", "unknown-cookie", 23},
        {"unknown event source", R"({"id":24,"request":"advise","source":"Other"})",
         "unknown-class", 24},
    };
    const int locks = applicationLockCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QJsonObject reply = parse(session->handleLine(c.line));
        EXPECT_FALSE(reply.value("ok").toBool());
        EXPECT_EQ(reply.value("error").toString().toStdString(), c.error) << text(reply);
        EXPECT_FALSE(reply.value("text").toString().isEmpty());
        EXPECT_EQ(reply.value("id"), c.id);
        // The session goes on.
        EXPECT_TRUE(ask(*session, {{"request", "hello"}}).value("ok").toBool());
    }
    EXPECT_EQ(applicationLockCount(), locks);
    EXPECT_EQ(session->objectCount(), 1u);
    const QJsonObject overlong = parse(AutomationSession::overlongReply());
    EXPECT_EQ(overlong.value("error"), "bad-request");
    EXPECT_EQ(overlong.value("id"), QJsonValue());
}

TEST_F(AutomationSessionTest, DescribeGivesMembersTypesAndEnumerations)
{
    auto session = open();
    const QJsonObject version =
        ask(*session, {{"request", "describe"}, {"progId", "harlune.genversion"}});
    ASSERT_TRUE(version.value("ok").toBool()) << text(version);
    EXPECT_EQ(version.value("class"), "I_GenVersion");
    const QJsonArray members = version.value("members").toArray();
    ASSERT_EQ(members.size(), 3);
    const QJsonObject third = members.at(2).toObject();
    EXPECT_EQ(third.value("dispid").toInt(), 3);
    EXPECT_EQ(third.value("name"), "GetTypeLibraryVersion");
    EXPECT_EQ(third.value("kind"), "method");
    EXPECT_EQ(third.value("params").toArray().at(0).toObject().value("type"), "short*");

    const QJsonObject library = ask(*session, {{"request", "describe"}});
    ASSERT_TRUE(library.value("ok").toBool());
    bool found = false;
    for (const QJsonValue& row : library.value("classes").toArray())
        found = found || row.toObject().value("progId") == "Harlune.GenSpectralMath";
    EXPECT_TRUE(found);
    EXPECT_EQ(library.value("events").toArray().size(), 8);
    EXPECT_FALSE(library.value("enums").toArray().isEmpty());
    EXPECT_EQ(
        ask(*session, {{"request", "describe"}, {"progId", "Harlune.Nothing"}}).value("error"),
        "unknown-class");
}

TEST_F(AutomationSessionTest, AdvisedSessionsReceiveEventsUntilTheyLeave)
{
    auto session = open();
    const QJsonObject advised =
        ask(*session, {{"request", "advise"}, {"source", "EventGenerator"}});
    ASSERT_TRUE(advised.value("ok").toBool()) << text(advised);
    EXPECT_EQ(generator->connectionPoint().connections().size(), 1u);

    generator->FireEvent(CEventGenerator::TimerTick, {Variant(int32_t{5})});
    generator->FireEvent(CEventGenerator::NewSpectraReady,
                         {Variant("Spectrum 1"), Variant(int16_t{2})});
    ASSERT_EQ(notifications.size(), 2u);
    EXPECT_EQ(parse(notifications[0]),
              (QJsonObject{{"event", "TimerTick"}, {"dispid", 3}, {"args", QJsonArray{5}}}));
    EXPECT_EQ(parse(notifications[1]), (QJsonObject{{"event", "NewSpectraReady"},
                                                    {"dispid", 1},
                                                    {"args", QJsonArray{"Spectrum 1", 2}}}));

    EXPECT_TRUE(ask(*session, {{"request", "unadvise"}, {"cookie", advised.value("cookie")}})
                    .value("ok")
                    .toBool());
    generator->FireEvent(CEventGenerator::MacroEnd, {});
    EXPECT_EQ(notifications.size(), 2u);

    // A session that closes takes its sinks along.
    ask(*session, {{"request", "advise"}, {"source", "EventGenerator"}});
    session.reset();
    EXPECT_TRUE(generator->connectionPoint().connections().empty());
    generator->FireEvent(CEventGenerator::MacroEnd, {});
    EXPECT_EQ(notifications.size(), 2u);
}

TEST_F(AutomationSessionTest, NoEventGeneratorIsAnError)
{
    AutomationSession session(
        registry, [] { return nullptr; }, [](const std::string&) {});
    const QJsonObject reply =
        parse(session.handleLine(R"({"id":1,"request":"advise","source":"EventGenerator"})"));
    EXPECT_EQ(reply.value("error"), "no-event-source");
}

} // namespace
