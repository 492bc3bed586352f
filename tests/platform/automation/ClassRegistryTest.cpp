#include "platform/automation/ClassRegistry.h"

#include "platform/automation/DispatchBinder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace platform::automation;

int g_live = 0;

// Shaped as "Harlune.GenVersion" (three members).
class VersionSample : public AutomationObject
{
public:
    VersionSample() : AutomationObject(findClassByName("I_GenVersion")) { ++g_live; }
    ~VersionSample() override { --g_live; }
    const DispatchTable& GetDispatchMap() const override { return table(); }
    static const DispatchTable& table()
    {
        static const DispatchTable t =
            DispatchBinder<VersionSample>()
                .method("GetDriverVersion", &VersionSample::version)
                .method("GetProgramVersion", &VersionSample::version)
                .method("GetTypeLibraryVersion", &VersionSample::typeLibraryVersion,
                        {"major", "minor"})
                .table();
        return t;
    }

private:
    std::string version() { return "1.0.0"; }
    void typeLibraryVersion(ByRef<int16_t> major, ByRef<int16_t> minor)
    {
        *major = 1;
        *minor = 5;
    }
};

TEST(ClassRegistryTest, ClassTableHoldsTheSixtyOneClasses)
{
    const auto classes = harluneClasses();
    ASSERT_EQ(classes.size(), 61u);
    int members = 0;
    std::set<Guid> ids;
    for (const ClassInfo& c : classes) {
        SCOPED_TRACE(c.progId);
        members += c.memberCount;
        EXPECT_EQ(c.clsidData3 % 2, 0) << "a CLSID's Data3 is even";
        EXPECT_EQ(c.iid().data3 + 1, c.clsid().data3);
        EXPECT_TRUE(ids.insert(c.clsid()).second);
        EXPECT_TRUE(ids.insert(c.iid()).second);
        EXPECT_EQ(findClassByProgId(c.progId), &c);
        EXPECT_EQ(findClassByClsid(c.clsid()), &c);
    }
    EXPECT_EQ(members, 822);
    EXPECT_FALSE(ids.contains(harluneLibraryId()));
    EXPECT_FALSE(ids.contains(eventGeneratorIid()));
    EXPECT_FALSE(ids.contains(eventGeneratorEventsIid()));
    EXPECT_FALSE(ids.contains(eventGeneratorClsid()));
    EXPECT_FALSE(ids.contains(documentClsid()));
}

TEST(ClassRegistryTest, IdentifiersFollowThePattern)
{
    struct Case
    {
        const char* progId;
        const char* clsid;
        const char* iid;
        const char* sourceName;
    };
    const Case cases[] = {
        {"Harlune.GenINIFile", "{CC2B8C8C-ADB4-0008-B838-C448D8CC27C6}",
         "{CC2B8C8C-ADB4-0007-B838-C448D8CC27C6}", nullptr},
        {"Harlune.GenMenu", "{CC2B8C8C-ADB4-007E-B838-C448D8CC27C6}",
         "{CC2B8C8C-ADB4-007D-B838-C448D8CC27C6}", "I_GenMenu"},
        {"Harlune.SpecConfigFilesSettings", "{CC2B8C8C-ADB4-0044-B838-C448D8CC27C6}",
         "{CC2B8C8C-ADB4-0043-B838-C448D8CC27C6}", "I_SpecConfigurationFilesSettings"},
        {"Harlune.SpecUSBNorrel", "{CC2B8C8C-ADB4-0086-B838-C448D8CC27C6}",
         "{CC2B8C8C-ADB4-0085-B838-C448D8CC27C6}", nullptr},
        {"Harlune.GraphTraceSettings", "{CC2B8C8C-ADB4-0074-B838-C448D8CC27C6}",
         "{CC2B8C8C-ADB4-0073-B838-C448D8CC27C6}", nullptr},
    };
    ClassRegistry registry;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progId);
        const ClassInfo* info = findClassByProgId(c.progId);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->clsid().toString(), c.clsid);
        EXPECT_EQ(info->iid().toString(), c.iid);
        EXPECT_EQ(Guid::parse(c.clsid), info->clsid());
        EXPECT_STREQ(info->sourceName ? info->sourceName : "-", c.sourceName ? c.sourceName : "-");
        Guid clsid;
        EXPECT_EQ(registry.CLSIDFromProgID(c.progId, clsid), S_OK);
        EXPECT_EQ(clsid, info->clsid());
    }
    EXPECT_EQ(harluneLibraryId().toString(), "{CC2B8C8C-ADB4-0000-B838-C448D8CC27C6}");
}

TEST(ClassRegistryTest, CreatesByProgIdAndClsidAndReleaseDeletes)
{
    ClassRegistry registry;
    ASSERT_TRUE(registry.registerClass(
        "I_GenVersion", [] { return new VersionSample; }, VersionSample::table()));
    const int locks = applicationLockCount();

    DispatchPtr byProgId;
    ASSERT_EQ(registry.CreateInstance("harlune.genversion", byProgId), S_OK);
    DispatchPtr byClsid;
    ASSERT_EQ(registry.CreateInstance(findClassByName("I_GenVersion")->clsid(), byClsid), S_OK);
    EXPECT_EQ(g_live, 2);
    EXPECT_EQ(applicationLockCount(), locks + 2);
    EXPECT_EQ(byProgId->GetTypeInfoCount(), 1u);

    DispatchPtr own;
    IDispatch* raw = nullptr;
    ASSERT_EQ(byProgId->QueryInterface(findClassByName("I_GenVersion")->iid(), &raw), S_OK);
    own = DispatchPtr::adopt(raw);

    int16_t major = 0;
    int16_t minor = 0;
    std::vector<Variant> args = {Variant::byRef(&major), Variant::byRef(&minor)};
    EXPECT_EQ(byClsid->Invoke(3, DISPATCH_METHOD, args, nullptr, nullptr), S_OK);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 5);

    byProgId.reset();
    EXPECT_EQ(g_live, 2) << "the interface reference keeps the object";
    own.reset();
    byClsid.reset();
    EXPECT_EQ(g_live, 0);
    EXPECT_EQ(applicationLockCount(), locks);
}

TEST(ClassRegistryTest, CreationFailures)
{
    ClassRegistry registry;
    ASSERT_TRUE(registry.registerClass(
        "I_GenVersion", []() -> AutomationObject* { return nullptr; }, VersionSample::table()));
    struct Case
    {
        const char* name;
        const char* progId;
        HRESULT hr;
    };
    const Case cases[] = {
        {"unknown ProgID", "Harlune.NoSuchThing", CO_E_CLASSSTRING},
        {"class without factory", "Harlune.GenTimers", CLASS_E_CLASSNOTAVAILABLE},
        {"factory makes nothing", "Harlune.GenVersion", E_OUTOFMEMORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DispatchPtr out;
        EXPECT_EQ(registry.CreateInstance(c.progId, out), c.hr);
        EXPECT_FALSE(out);
    }
    DispatchPtr out;
    EXPECT_EQ(registry.CreateInstance(harluneGuid(0x0004), out), REGDB_E_CLASSNOTREG);
}

TEST(ClassRegistryTest, TableMustMatchTheClassTablesMemberCount)
{
    ClassRegistry registry;
    // I_GenTimers has two members; the sample table three.
    EXPECT_FALSE(registry.registerClass(
        "I_GenTimers", [] { return new VersionSample; }, VersionSample::table()));
    EXPECT_FALSE(registry.registerClass(
        "I_NotAClass", [] { return new VersionSample; }, VersionSample::table()));
    EXPECT_EQ(registry.dispatchTable(*findClassByName("I_GenTimers")), nullptr);
}

TEST(ClassRegistryTest, GuidTextRoundTrips)
{
    const char* bad[] = {
        "", "{CC2B8C8C-ADB4-0008-B838-C448D8CC27C}", "CC2B8C8C-ADB4-0008-B838-C448D8CC27C6",
        "{CC2B8C8C-ADB4-0008-B838_C448D8CC27C6}", "{CC2B8C8G-ADB4-0008-B838-C448D8CC27C6}"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Guid::parse(text));
    }
    const auto lower = Guid::parse("{cc2b8c8c-adb4-0008-b838-c448d8cc27c6}");
    ASSERT_TRUE(lower);
    EXPECT_EQ(*lower, harluneGuid(8));
}

} // namespace
