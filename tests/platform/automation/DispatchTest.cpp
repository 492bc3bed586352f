#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/HandlerGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;

struct LoggedException
{
    std::string source;
    int line;
};

class RecordingLog : public ErrorLogSink
{
public:
    void logException(const char* description, const char* sourceName, int line) override
    {
        EXPECT_EQ(description, nullptr);
        lines.push_back({sourceName, line});
    }
    std::vector<LoggedException> lines;
};

int g_liveSamples = 0;

// A sample class with the shapes member tables use: plain, read-only and indexed
// properties, methods with values, text and by-reference arrays.
class Sample : public AutomationObject
{
public:
    explicit Sample(const char* sourceName) : m_source(sourceName) { ++g_liveSamples; }
    ~Sample() override { --g_liveSamples; }

    const DispatchTable& GetDispatchMap() const override { return table(); }

    static const DispatchTable& table()
    {
        static const DispatchTable t =
            DispatchBinder<Sample>()
                .property("Gain", &Sample::getGain, &Sample::setGain)
                .property("Title", &Sample::getTitle, &Sample::setTitle)
                .property("PixelCount", &Sample::getPixelCount)
                .method("SetWindowActive", &Sample::setWindowActive)
                .method("Scale", &Sample::scale, {"factor", "offset"})
                .method("ReadCoefficients", &Sample::readCoefficients, {"coefs"})
                .method("GetVersion", &Sample::getVersion, {"major", "minor"})
                .method("Fail", &Sample::fail)
                .method("Describe", &Sample::describeText, {"prefix"})
                .indexedProperty("ChannelGain", &Sample::getChannelGain, &Sample::setChannelGain,
                                 {"channel"})
                .method("FailUnguarded", &Sample::fail)
                .unguarded()
                .table();
        return t;
    }

    double gain = 1.0;
    std::string title;
    double channelGain[8] = {};

protected:
    const char* errorSourceName() const override { return m_source; }

private:
    double getGain() const { return gain; }
    void setGain(double v) { gain = v; }
    std::string getTitle() const { return title; }
    void setTitle(const std::string& v) { title = v; }
    int16_t getPixelCount() const { return 2048; }
    bool setWindowActive() { return true; }
    double scale(int16_t factor, int32_t offset) { return gain * factor + offset; }
    bool readCoefficients(ByRef<double> coefs)
    {
        // Eight coefficients or nothing: a shorter array gets the neutral result.
        double* c = coefs.take(8);
        if (!c) {
            return false;
        }
        for (int i = 0; i < 8; ++i) {
            c[i] = i * 10.0;
        }
        return true;
    }
    void getVersion(ByRef<int16_t> major, ByRef<int16_t> minor)
    {
        *major = 1;
        *minor = 5;
    }
    int32_t fail() { throw std::runtime_error("broken target"); }
    std::string describeText(const std::string& prefix) { return prefix + title; }
    double getChannelGain(int16_t channel)
    {
        return channel >= 0 && channel < 8 ? channelGain[channel] : 0.0;
    }
    void setChannelGain(int16_t channel, double v)
    {
        if (channel >= 0 && channel < 8) {
            channelGain[channel] = v;
        }
    }

    const char* m_source;
};

class DispatchTest : public ::testing::Test
{
protected:
    void SetUp() override { setErrorLogSink(&log); }
    void TearDown() override { setErrorLogSink(nullptr); }

    HRESULT call(const char* name, uint16_t flags, std::vector<Variant> args, Variant* result,
                 DispatchError* error = nullptr)
    {
        DISPID id = 0;
        const HRESULT hr = object->GetIDsOfNames(name, id);
        if (FAILED(hr)) {
            return hr;
        }
        return object->Invoke(id, flags, args, result, error);
    }

    RecordingLog log;
    RefPtr<Sample> object = RefPtr<Sample>::adopt(new Sample("I_Sample"));
};

TEST_F(DispatchTest, DispidIsThePositionInTheTable)
{
    const std::vector<std::pair<const char*, DISPID>> cases = {
        {"Gain", 1},           {"title", 2},
        {"PIXELCOUNT", 3},     {"SetWindowActive", 4},
        {"Scale", 5},          {"ReadCoefficients", 6},
        {"GetVersion", 7},     {"Fail", 8},
        {"Describe", 9},       {"ChannelGain", 10},
        {"FailUnguarded", 11},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        DISPID id = 0;
        EXPECT_EQ(object->GetIDsOfNames(name, id), S_OK);
        EXPECT_EQ(id, expected);
    }
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames("NoSuchMember", id), DISP_E_UNKNOWNNAME);
    Variant r;
    EXPECT_EQ(object->Invoke(0, DISPATCH_METHOD, {}, &r, nullptr), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(object->Invoke(12, DISPATCH_METHOD, {}, &r, nullptr), DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, InvokeKindsAndConversions)
{
    struct Case
    {
        const char* name;
        const char* member;
        uint16_t flags;
        std::vector<Variant> args;
        HRESULT hr;
        Variant expected;
    };
    const std::vector<Case> cases = {
        {"property put converts", "Gain", DISPATCH_PROPERTYPUT, {"2.5"}, S_OK, {}},
        {"property get", "Gain", DISPATCH_PROPERTYGET, {}, S_OK, 2.5},
        {"get as method and get", "Gain", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, S_OK, 2.5},
        {"read-only put",
         "PixelCount",
         DISPATCH_PROPERTYPUT,
         {int16_t{1}},
         DISP_E_MEMBERNOTFOUND,
         {}},
        {"read-only get", "PixelCount", DISPATCH_PROPERTYGET, {}, S_OK, int16_t{2048}},
        {"method put", "Scale", DISPATCH_PROPERTYPUT, {int16_t{1}}, DISP_E_MEMBERNOTFOUND, {}},
        {"method", "Scale", DISPATCH_METHOD, {int16_t{2}, 1.0}, S_OK, 6.0},
        {"too few arguments", "Scale", DISPATCH_METHOD, {int16_t{2}}, DISP_E_BADPARAMCOUNT, {}},
        {"argument overflow", "Scale", DISPATCH_METHOD, {int32_t{70000}, 1}, DISP_E_OVERFLOW, {}},
        {"missing argument",
         "Scale",
         DISPATCH_METHOD,
         {Variant::missing(), 1},
         DISP_E_PARAMNOTFOUND,
         {}},
        {"BOOL result", "SetWindowActive", DISPATCH_METHOD, {}, S_OK, true},
        {"text put", "Title", DISPATCH_PROPERTYPUT, {int32_t{42}}, S_OK, {}},
        {"text argument", "Describe", DISPATCH_METHOD, {"#"}, S_OK, "#42"},
        {"indexed put", "ChannelGain", DISPATCH_PROPERTYPUT, {int16_t{3}, 0.5}, S_OK, {}},
        {"indexed get", "ChannelGain", DISPATCH_PROPERTYGET, {int16_t{3}}, S_OK, 0.5},
        {"indexed get without index",
         "ChannelGain",
         DISPATCH_PROPERTYGET,
         {},
         DISP_E_BADPARAMCOUNT,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Variant result;
        EXPECT_EQ(call(c.member, c.flags, c.args, &result), c.hr);
        if (c.hr == S_OK && !c.expected.isEmpty()) {
            EXPECT_TRUE(result == c.expected) << result.toBstr().value;
        }
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DispatchTest, BadArgumentNamesItsPosition)
{
    DispatchError error;
    Variant result;
    EXPECT_EQ(call("Scale", DISPATCH_METHOD, {int16_t{1}, "x"}, &result, &error),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(error.argIndex, 1);
}

TEST_F(DispatchTest, ShortArrayGivesNeutralResultWithoutReadingPastItsEnd)
{
    // Five doubles followed by guards that must stay untouched.
    double storage[7] = {-1, -1, -1, -1, -1, 99, 99};
    Variant result;
    ASSERT_EQ(call("ReadCoefficients", DISPATCH_METHOD, {Variant::byRef(storage, 5)}, &result),
              S_OK);
    EXPECT_TRUE(result == Variant(false));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(storage[i], -1.0);
    }
    EXPECT_EQ(storage[5], 99.0);
    EXPECT_TRUE(log.lines.empty()) << "a range check is not an error-log line";

    double eight[8] = {};
    ASSERT_EQ(call("ReadCoefficients", DISPATCH_METHOD, {Variant::byRef(eight, 8)}, &result), S_OK);
    EXPECT_TRUE(result == Variant(true));
    EXPECT_EQ(eight[7], 70.0);
}

TEST_F(DispatchTest, ReferencesOfOtherElementTypesAreConvertedBothWays)
{
    // A script array of Variants passed where the member wants double*.
    std::vector<Variant> elements(8, Variant("0"));
    Variant result;
    ASSERT_EQ(call("ReadCoefficients", DISPATCH_METHOD,
                   {Variant::byRef(elements.data(), elements.size())}, &result),
              S_OK);
    EXPECT_TRUE(result == Variant(true));
    EXPECT_TRUE(elements[7] == Variant(70.0));

    // short* out-values into a script's Long variables, and into a plain value.
    int32_t major = 0;
    int32_t minor = 0;
    ASSERT_EQ(call("GetVersion", DISPATCH_METHOD, {Variant::byRef(&major), Variant::byRef(&minor)},
                   &result),
              S_OK);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 5);
    EXPECT_EQ(call("GetVersion", DISPATCH_METHOD, {int16_t{0}, int16_t{0}}, &result), S_OK);
}

TEST_F(DispatchTest, GuardLogsOnceAndAnswersNeutralResult)
{
    Variant result = int32_t{7};
    ASSERT_EQ(call("Fail", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_TRUE(result == Variant(int32_t{0}));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].source, "I_Sample");
    EXPECT_GT(log.lines[0].line, 0);
}

TEST_F(DispatchTest, ClassWithoutGuardHandsTheExceptionToTheCaller)
{
    object = RefPtr<Sample>::adopt(new Sample(nullptr));
    DispatchError error;
    Variant result;
    EXPECT_EQ(call("Fail", DISPATCH_METHOD, {}, &result, &error), DISP_E_EXCEPTION);
    EXPECT_EQ(error.description, "broken target");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DispatchTest, UnguardedMemberOfAGuardedClassHandsTheExceptionToTheCaller)
{
    DispatchError error;
    Variant result;
    EXPECT_EQ(call("FailUnguarded", DISPATCH_METHOD, {}, &result, &error), DISP_E_EXCEPTION);
    EXPECT_EQ(error.description, "broken target");
    EXPECT_TRUE(log.lines.empty());
    // The class's other members keep their guard.
    EXPECT_EQ(call("Fail", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(DispatchTest, ReleaseDeletesAndUnlocksTheApplication)
{
    const int locks = applicationLockCount();
    const int live = g_liveSamples;
    {
        auto extra = RefPtr<Sample>::adopt(new Sample("I_Sample"));
        EXPECT_EQ(applicationLockCount(), locks + 1);
        IDispatch* itf = nullptr;
        ASSERT_EQ(extra->QueryInterface(IID_IDispatch, &itf), S_OK);
        EXPECT_EQ(itf->Release(), 1u);
        EXPECT_EQ(g_liveSamples, live + 1);
    }
    EXPECT_EQ(g_liveSamples, live);
    EXPECT_EQ(applicationLockCount(), locks);
}

} // namespace
