// The window selectors and the members every spectrum, grid and graph class shares, against a
// fake main frame window; and the round-robin left alone by the selectors' walks.
#include "AutomationCall.h"
#include "FakeAutomationFrame.h"
#include "app/automation/GraphAutomationObject.h"
#include "app/automation/GridAutomationObject.h"
#include "app/automation/I_GenWindows.h"
#include "app/automation/SpectrumAutomationObject.h"
#include "app/shell/MainFrame.h"
#include "platform/automation/DispatchBinder.h"
#include "tests/app/shell/ShellFakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using Kind = MainFrameWindow::ChildKind;

// A spectrum class as later classes are made: a plain property, the six window members, then
// a method that reports the frame it acts on.
class TestSpectrumObject : public SpectrumAutomationObject
{
public:
    explicit TestSpectrumObject(const char* className) : SpectrumAutomationObject(className) {}
    static const DispatchTable& table()
    {
        static const DispatchTable t = [] {
            DispatchBinder<TestSpectrumObject> b;
            b.property("Plain", &TestSpectrumObject::plain);
            addWindowMembers(b);
            b.method("Target", &TestSpectrumObject::Target)
                .method("HasView", &TestSpectrumObject::HasView);
            return b.table();
        }();
        return t;
    }
    const DispatchTable& GetDispatchMap() const override { return table(); }
    int32_t plain() { return 7; }
    int32_t Target()
    {
        return onTarget(int32_t{0}, [](uint32_t frame) { return static_cast<int32_t>(frame); });
    }
    bool HasView()
    {
        return onView(false, [](CHarluneSpectrumView&) { return true; });
    }
};

template <class Base> class TestWindowObject : public Base
{
public:
    explicit TestWindowObject(const char* className) : Base(className) {}
    static const DispatchTable& table()
    {
        static const DispatchTable t = [] {
            DispatchBinder<TestWindowObject> b;
            Base::addWindowMembers(b);
            b.method("Target", &TestWindowObject::Target)
                .method("HasView", &TestWindowObject::HasView);
            return b.table();
        }();
        return t;
    }
    const DispatchTable& GetDispatchMap() const override { return table(); }
    int32_t Target()
    {
        return this->onTarget(int32_t{0},
                              [](uint32_t frame) { return static_cast<int32_t>(frame); });
    }
    bool HasView()
    {
        return this->onView(false, [](auto&) { return true; });
    }
};
using TestGridObject = TestWindowObject<GridAutomationObject>;
using TestGraphObject = TestWindowObject<GraphAutomationObject>;

template <class T> DispatchPtr make(const char* className)
{
    return DispatchPtr::adopt(new T(className));
}

class SelectorTest : public ::testing::Test
{
protected:
    FakeAutomationFrame frame;
    RecordingSink log;
};

TEST_F(SelectorTest, WindowMembersStandAfterThePlainPropertiesInTheirOrder)
{
    const DispatchTable& t = TestSpectrumObject::table();
    const char* expected[] = {"Plain",
                              "SetWindowByUSBSerialNumber",
                              "SetWindowActive",
                              "SetWindowBySerialPort",
                              "SetWindowByWindowName",
                              "SetWindowByIRQ",
                              "SetWindowByBaseAddress",
                              "Target"};
    for (DISPID id = 1; id <= 8; ++id)
        EXPECT_EQ(t.member(id)->name, expected[id - 1]);
    EXPECT_EQ(TestGridObject::table().member(1)->name, "SetGridActive");
    EXPECT_EQ(TestGridObject::table().member(2)->name, "SetGridByName");
    EXPECT_EQ(TestGraphObject::table().member(1)->name, "SetGraphActive");
    EXPECT_EQ(TestGraphObject::table().member(2)->name, "SetGraphByName");
}

TEST_F(SelectorTest, OrderOfChoice)
{
    struct Case
    {
        const char* name;
        std::vector<Kind> kinds; // handles 1, 2, 3 ... in MDI order
        uint32_t active;
        int32_t target;
    };
    const Case cases[] = {
        {"active graph, two spectrum windows: the first spectrum",
         {Kind::Graph, Kind::Spectrum, Kind::Spectrum},
         1,
         2},
        {"active spectrum window", {Kind::Spectrum, Kind::Graph, Kind::Spectrum}, 3, 3},
        {"nothing active", {Kind::Grid, Kind::Spectrum}, 0, 2},
        {"no spectrum window", {Kind::Grid, Kind::Graph}, 1, 0},
        {"no window", {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frame.children.clear();
        uint32_t handle = 1;
        for (Kind kind : c.kinds)
            frame.add(handle++, kind, "w");
        frame.active = c.active;
        auto object = make<TestSpectrumObject>("I_SpecCursor");
        EXPECT_EQ(asLong(call(*object, "Target")), c.target);
        EXPECT_EQ(asBool(call(*object, "SetWindowActive")), c.target != 0);
    }
}

TEST_F(SelectorTest, NoTargetAnswersNeutralAndLogsOnlyForAGuardedClass)
{
    auto guarded = make<TestSpectrumObject>("I_SpecCursor");
    auto plain = make<TestSpectrumObject>("I_SpecSettings");
    EXPECT_EQ(asLong(call(*guarded, "Target")), 0);
    ASSERT_EQ(log.sources, std::vector<std::string>{"I_SpecCursor"});
    EXPECT_EQ(asLong(call(*plain, "Target")), 0);
    EXPECT_EQ(log.sources.size(), 1u);
    EXPECT_FALSE(asBool(call(*guarded, "SetWindowActive")));
    EXPECT_EQ(log.sources.size(), 1u);

    // A window whose view cannot be reached counts as none.
    frame.add(1, Kind::Spectrum, "Spectrum 1");
    EXPECT_EQ(asLong(call(*guarded, "Target")), 1);
    EXPECT_FALSE(asBool(call(*guarded, "HasView")));
    EXPECT_EQ(log.sources.size(), 2u);
}

TEST_F(SelectorTest, ChoosingByTitleAndIdentity)
{
    frame.add(1, Kind::Graph, "Spectrum 1");
    FakeChild& first = frame.add(2, Kind::Spectrum, "Spectrum 1");
    first.identity = {0x300, 5, 65535, "USB2G1234"};
    FakeChild& second = frame.add(3, Kind::Spectrum, "Other");
    second.identity = {0x80000000u, 7, 3, "usb4000"};
    struct Case
    {
        const char* member;
        Variant argument;
        int32_t target; // 0: none found
    };
    const Case cases[] = {
        {"SetWindowByWindowName", Variant("spectrum 1"), 2},
        {"SetWindowByWindowName", Variant("OTHER"), 3},
        {"SetWindowByWindowName", Variant("Nowhere"), 0},
        {"SetWindowByWindowName", Variant(""), 0},
        {"SetWindowByWindowName", Variant(std::string(300, 'x')), 0},
        {"SetWindowBySerialPort", Variant(int32_t{-1}), 0},
        {"SetWindowBySerialPort", Variant(int32_t{65535}), 2},
        {"SetWindowBySerialPort", Variant(int32_t{3}), 3},
        {"SetWindowByIRQ", Variant(int32_t{7}), 3},
        {"SetWindowByIRQ", Variant(int32_t{-65531}), 0},
        {"SetWindowByBaseAddress", Variant(int32_t{0x300}), 2},
        {"SetWindowByBaseAddress", Variant(int32_t{INT32_MIN}), 3},
        {"SetWindowByUSBSerialNumber", Variant("USB4000"), 3},
        {"SetWindowByUSBSerialNumber", Variant("usb2g1234"), 2},
        {"SetWindowByUSBSerialNumber", Variant(""), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " " + asText(c.argument).substr(0, 20));
        auto object = make<TestSpectrumObject>("I_SpecCursor");
        EXPECT_EQ(asBool(call(*object, c.member, {c.argument})), c.target != 0);
        // A failed choice leaves the object following the order of choice (the first).
        EXPECT_EQ(asLong(call(*object, "Target")), c.target != 0 ? c.target : 2);
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SelectorTest, ChoiceHoldsUntilSetWindowActiveOrTheWindowCloses)
{
    frame.add(1, Kind::Spectrum, "Spectrum 1");
    frame.add(2, Kind::Spectrum, "Spectrum 2");
    frame.active = 1;
    auto object = make<TestSpectrumObject>("I_SpecCursor");
    ASSERT_TRUE(asBool(call(*object, "SetWindowByWindowName", {Variant("Spectrum 2")})));
    EXPECT_EQ(asLong(call(*object, "Target")), 2);
    EXPECT_EQ(asLong(call(*object, "Target")), 2);
    // A failed choice keeps the held window.
    EXPECT_FALSE(asBool(call(*object, "SetWindowByWindowName", {Variant("Spectrum 3")})));
    EXPECT_EQ(asLong(call(*object, "Target")), 2);
    // SetWindowActive returns to following the active window.
    EXPECT_TRUE(asBool(call(*object, "SetWindowActive")));
    EXPECT_EQ(asLong(call(*object, "Target")), 1);
    frame.active = 2;
    EXPECT_EQ(asLong(call(*object, "Target")), 2);

    // The held window closes: the object follows again, never touching the closed window.
    frame.active = 1;
    ASSERT_TRUE(asBool(call(*object, "SetWindowByWindowName", {Variant("spectrum 2")})));
    frame.close(2);
    frame.add(3, Kind::Spectrum, "Spectrum 3");
    EXPECT_EQ(asLong(call(*object, "Target")), 1);
    frame.active = 3;
    EXPECT_EQ(asLong(call(*object, "Target")), 3);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SelectorTest, GridObjectKeepsItsWindowAfterANewGridAndHasNoneOnceItClosed)
{
    frame.add(1, Kind::Grid, "Grid A");
    frame.active = 1;
    auto object = make<TestGridObject>("I_GridData");
    frame.onNewGrid = [this] {
        frame.add(2, Kind::Grid, "Grid B");
        frame.active = 2;
    };
    DispatchPtr windows = DispatchPtr::adopt(I_GenWindows::create());
    EXPECT_TRUE(asBool(
        call(*windows, "NewGridWindow",
             {Variant(int32_t{3}), Variant(int32_t{4}), Variant(int32_t{1}), Variant("Grid B")})));
    EXPECT_EQ(asLong(call(*object, "Target")), 1);
    // A name that matches none keeps the window.
    EXPECT_FALSE(asBool(call(*object, "SetGridByName", {Variant("Grid C")})));
    EXPECT_EQ(asLong(call(*object, "Target")), 1);

    frame.close(1);
    EXPECT_EQ(asLong(call(*object, "Target")), 0);
    EXPECT_EQ(log.sources, std::vector<std::string>{"I_GridData"});
    // Until the next choice.
    frame.active = 0;
    EXPECT_EQ(asLong(call(*object, "Target")), 0);
    EXPECT_EQ(log.sources.size(), 2u);
    EXPECT_TRUE(asBool(call(*object, "SetGridActive")));
    EXPECT_EQ(asLong(call(*object, "Target")), 2);
    EXPECT_TRUE(asBool(call(*object, "SetGridByName", {Variant("grid b")})));
    // Grid windows have no view object yet: none to act on.
    EXPECT_FALSE(asBool(call(*object, "HasView")));
    EXPECT_EQ(log.sources.size(), 3u);

    // A graph object of a class without a source name: none, and no line.
    auto graph = make<TestGraphObject>("I_GraphData");
    EXPECT_EQ(asLong(call(*graph, "Target")), 0);
    EXPECT_FALSE(asBool(call(*graph, "SetGraphActive")));
    EXPECT_EQ(log.sources.size(), 3u);
}

TEST_F(SelectorTest, OnlyTheFirst128WindowsAreConsidered)
{
    for (uint32_t i = 1; i <= 129; ++i)
        frame.add(i, Kind::Spectrum, "W" + std::to_string(i));
    CSpectrumViewSelection selection;
    EXPECT_EQ(selection.CollectViews().size(), 128u);
    EXPECT_EQ(selection.SetByWindowName("W128"), 128u);
    EXPECT_EQ(selection.SetByWindowName("W129"), 0u);
}

TEST_F(SelectorTest, AFaultWhileChoosingIsLoggedUnderTheSelectorsName)
{
    frame.add(1, Kind::Spectrum, "Spectrum 1");
    frame.throwOnIdentity = 1;
    auto object = make<TestSpectrumObject>("I_SpecCursor");
    EXPECT_FALSE(asBool(call(*object, "SetWindowBySerialPort", {Variant(int32_t{1})})));
    EXPECT_EQ(log.sources, std::vector<std::string>{"SpectrumViewSelection"});
}

TEST_F(SelectorTest, ObjectsOutlivingTheMainFrameAnswerNeutralResults)
{
    frame.add(1, Kind::Spectrum, "Spectrum 1");
    auto object = make<TestSpectrumObject>("I_SpecSettings");
    ASSERT_EQ(asLong(call(*object, "Target")), 1);
    setAutomationFrame(nullptr);
    EXPECT_EQ(asLong(call(*object, "Target")), 0);
    EXPECT_FALSE(asBool(call(*object, "SetWindowByWindowName", {Variant("Spectrum 1")})));
    setAutomationFrame(&frame);
}

// A script that reads a spectrum object at every scan while a graph window is active lists the
// spectrum windows each time; the round-robin still serves every window in turn.
TEST_F(SelectorTest, RoundRobinGoesOnWhileScriptsReadSpectrumObjects)
{
    RecordingDriver driver;
    CMainFrame core(frame, driver, 0x4000);
    frame.mainFrame = &core;
    frame.add(1, Kind::Graph, "Graph");
    frame.add(2, Kind::Spectrum, "A");
    frame.add(3, Kind::Spectrum, "B");
    frame.add(4, Kind::Spectrum, "C");
    frame.active = 1;
    auto object = make<TestSpectrumObject>("I_SpecCursor");
    for (int scan = 0; scan < 4; ++scan) {
        core.StartNextScan();
        EXPECT_EQ(asLong(call(*object, "Target")), 2);
        ASSERT_TRUE(asBool(call(*object, "SetWindowActive")));
    }
    EXPECT_EQ(frame.scanned, (std::vector<std::string>{"A", "B", "C", "A"}));
}

} // namespace
