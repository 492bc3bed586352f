#include "platform/automation/EventTarget.h"

#include "platform/automation/ClassInfo.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;

struct Received
{
    std::string sink;
    DISPID dispid;
    std::vector<Variant> args;
};

// A script's event handler object.
class Sink : public IDispatch
{
public:
    enum class Behaviour
    {
        Receive,
        Throw,
        Fail,
    };
    Sink(std::string name, std::vector<Received>& log, bool offersEventInterface = true,
         Behaviour behaviour = Behaviour::Receive)
        : m_name(std::move(name)), m_log(log), m_offersEvents(offersEventInterface),
          m_behaviour(behaviour)
    {}
    virtual ~Sink() = default;

    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override
    {
        const uint32_t left = --m_refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT QueryInterface(const Guid& iid, IDispatch** out) override
    {
        *out = nullptr;
        if (iid == IID_IDispatch || (m_offersEvents && iid == eventGeneratorEventsIid())) {
            AddRef();
            *out = this;
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    uint32_t GetTypeInfoCount() override { return 0; }
    HRESULT GetIDsOfNames(std::string_view, DISPID&) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant*,
                   DispatchError*) override
    {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        if (onEvent) {
            onEvent();
        }
        if (m_behaviour == Behaviour::Throw) {
            throw std::runtime_error("handler failed");
        }
        if (m_behaviour == Behaviour::Fail) {
            return DISP_E_EXCEPTION;
        }
        m_log.push_back({m_name, dispid, {args.begin(), args.end()}});
        return S_OK;
    }

    std::function<void()> onEvent;

private:
    std::string m_name;
    std::vector<Received>& m_log;
    bool m_offersEvents;
    Behaviour m_behaviour;
    uint32_t m_refs = 1;
};

class Generator : public CEventGenerator
{
public:
    std::vector<bool> notifications;

protected:
    void OnAdviseNotify(bool advise) override { notifications.push_back(advise); }
};

class EventTargetTest : public ::testing::Test
{
protected:
    uint32_t connect(Sink* sink)
    {
        uint32_t cookie = 0;
        EXPECT_EQ(generator->connectionPoint().Advise(sink, &cookie), S_OK);
        sink->Release(); // the connection holds it now
        return cookie;
    }
    std::vector<std::string> receivers() const
    {
        std::vector<std::string> names;
        for (const Received& r : log) {
            names.push_back(r.sink);
        }
        return names;
    }

    std::vector<Received> log;
    RefPtr<Generator> generator = RefPtr<Generator>::adopt(new Generator);
};

TEST_F(EventTargetTest, FailingSinkDoesNotStopTheOthers)
{
    for (const auto behaviour : {Sink::Behaviour::Throw, Sink::Behaviour::Fail}) {
        SCOPED_TRACE(behaviour == Sink::Behaviour::Throw ? "throws" : "fails");
        RefPtr<Generator> g = RefPtr<Generator>::adopt(new Generator);
        generator = g;
        log.clear();
        connect(new Sink("first", log));
        connect(new Sink("second", log, true, behaviour));
        connect(new Sink("third", log));
        EXPECT_EQ(generator->FireEvent(CEventGenerator::NewSpectraReady, {"Spectrum1", 3}), S_OK);
        EXPECT_EQ(receivers(), (std::vector<std::string>{"first", "third"}));
        ASSERT_EQ(log[0].args.size(), 2u);
        EXPECT_TRUE(log[0].args[0] == Variant("Spectrum1"));
        EXPECT_TRUE(log[0].args[1] == Variant(int16_t{3})) << "converted to the event's short";
        EXPECT_EQ(log[0].dispid, 1);
    }
}

TEST_F(EventTargetTest, NoSinkFiresNothing)
{
    EXPECT_EQ(generator->FireEvent(CEventGenerator::MacroEnd, {}), S_OK);
    EXPECT_TRUE(log.empty());
}

TEST_F(EventTargetTest, UnadviseDuringAFireIsSafe)
{
    auto* first = new Sink("first", log);
    const uint32_t firstCookie = connect(first);
    const uint32_t secondCookie = connect(new Sink("second", log));
    connect(new Sink("third", log));
    // The first sink disconnects itself and the second while it runs.
    first->onEvent = [&] {
        EXPECT_EQ(generator->connectionPoint().Unadvise(firstCookie), S_OK);
        EXPECT_EQ(generator->connectionPoint().Unadvise(secondCookie), S_OK);
    };
    generator->FireEvent(CEventGenerator::TimerTick, {int32_t{5}});
    EXPECT_EQ(receivers(), (std::vector<std::string>{"first", "third"}));
    log.clear();
    generator->FireEvent(CEventGenerator::TimerTick, {int32_t{6}});
    EXPECT_EQ(receivers(), (std::vector<std::string>{"third"}));
    EXPECT_EQ(generator->connectionPoint().Unadvise(secondCookie), CONNECT_E_NOCONNECTION);
}

TEST_F(EventTargetTest, SinkOfferingOnlyIDispatchConnects)
{
    connect(new Sink("plain", log, false));
    generator->FireEvent(CEventGenerator::UserMenu, {int32_t{47001}});
    ASSERT_EQ(receivers(), (std::vector<std::string>{"plain"}));
    EXPECT_EQ(log[0].dispid, 5);
    EXPECT_EQ(generator->notifications, (std::vector<bool>{true}));
}

TEST_F(EventTargetTest, ConnectionPointAndClassInformation)
{
    ConnectionPoint* point = nullptr;
    EXPECT_EQ(generator->FindConnectionPoint(eventGeneratorEventsIid(), &point), S_OK);
    EXPECT_EQ(point, &generator->connectionPoint());
    EXPECT_EQ(point->GetConnectionInterface(), eventGeneratorEventsIid());
    EXPECT_NE(generator->FindConnectionPoint(eventGeneratorIid(), &point), S_OK);
    EXPECT_EQ(point, nullptr);
    EXPECT_EQ(generator->EnumConnectionPoints().size(), 1u);
    EXPECT_EQ(generator->connectionPoint().Advise(nullptr, nullptr), E_POINTER);

    struct Case
    {
        uint32_t kind;
        HRESULT hr;
        Guid guid;
    };
    const Case cases[] = {
        {1, S_OK, eventGeneratorEventsIid()}, {0, E_INVALIDARG, Guid{}}, {2, E_INVALIDARG, Guid{}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Guid guid = harluneGuid(0x1234);
        EXPECT_EQ(generator->GetGUID(c.kind, &guid), c.hr);
        EXPECT_EQ(guid, c.guid);
    }
    EXPECT_EQ(static_cast<uint32_t>(E_INVALIDARG), 0x80070057u);

    const auto info = generator->GetClassInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "IEventGenerator");
    IDispatch* own = nullptr;
    ASSERT_EQ(generator->QueryInterface(eventGeneratorIid(), &own), S_OK);
    own->Release();
}

TEST_F(EventTargetTest, TargetWithoutInterfaceReportsNullGuid)
{
    class Plain : public CEventTarget
    {};
    auto plain = RefPtr<Plain>::adopt(new Plain);
    EXPECT_TRUE(plain->connectionPoint().GetConnectionInterface().isNull());
    // A sink offering only IDispatch still connects.
    uint32_t cookie = 0;
    auto* sink = new Sink("s", log, false);
    EXPECT_EQ(plain->connectionPoint().Advise(sink, &cookie), S_OK);
    sink->Release();
    plain->FireEvent(7, {Variant("x")});
    EXPECT_EQ(receivers(), (std::vector<std::string>{"s"}));
}

TEST_F(EventTargetTest, GeneratorChecksEventsAndArguments)
{
    connect(new Sink("s", log));
    struct Case
    {
        const char* name;
        DISPID dispid;
        std::vector<Variant> args;
        HRESULT hr;
    };
    const std::vector<Case> cases = {
        {"unknown event", 9, {}, DISP_E_MEMBERNOTFOUND},
        {"too many arguments", CEventGenerator::MacroEnd, {int32_t{1}}, DISP_E_BADPARAMCOUNT},
        {"timer id out of short", CEventGenerator::TimerTick, {int32_t{70000}}, DISP_E_OVERFLOW},
        {"keystroke", CEventGenerator::Keystroke, {65, 0, "Spectrum1"}, S_OK},
        {"time acquisition", CEventGenerator::TimeAcquisition, {"Spectrum1", 1.5}, S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        EXPECT_EQ(generator->FireEvent(c.dispid, c.args), c.hr);
        EXPECT_EQ(log.size(), c.hr == S_OK ? 1u : 0u);
    }
}

TEST_F(EventTargetTest, KeystrokeCarriesKeyFlagsAndWindowName)
{
    connect(new Sink("s", log));
    generator->FireKeystroke(0x41, 0x401E, "Spectrum2");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].dispid, CEventGenerator::Keystroke);
    ASSERT_EQ(log[0].args.size(), 3u);
    EXPECT_TRUE(log[0].args[0] == Variant(int32_t{0x41}));
    EXPECT_TRUE(log[0].args[1] == Variant(int32_t{0x401E}));
    EXPECT_TRUE(log[0].args[2] == Variant("Spectrum2"));
}

} // namespace
