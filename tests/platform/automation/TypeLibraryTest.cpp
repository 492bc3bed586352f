#include "platform/automation/ClassRegistry.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/TypeLibraryEnums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

using namespace platform::automation;

TEST(TypeLibraryTest, EnumerationsHoldTheirValues)
{
    struct Case
    {
        const char* name;
        size_t count;
    };
    const Case cases[] = {{"VYKBOOL", 2},        {"MENUVERIFY", 182}, {"MENUFLAGS", 14},
                          {"USERMENULIMITS", 2}, {"GRIDBORDER", 17},  {"GRAPHTRACE", 16},
                          {"POINTTYPE", 14}};
    const auto enums = programEnumerations();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto it = std::find_if(enums.begin(), enums.end(),
                                     [&](const EnumDescription& e) { return e.name == c.name; });
        ASSERT_NE(it, enums.end());
        EXPECT_EQ(it->values.size(), c.count);
        std::set<std::string> names;
        for (const auto& v : it->values) {
            EXPECT_TRUE(names.insert(v.first).second) << v.first;
        }
    }
    EXPECT_EQ(mvFileNewSpectrumWindow, 49);
    EXPECT_EQ(mvSpecSpectrumSpecularReflectionMode, 0x1005024);
    EXPECT_EQ(mvUSBNorrelUVIntensity, 0x8000005);
}

class IniSample : public AutomationObject
{
public:
    static const DispatchTable& table()
    {
        // The first members of "Harlune.GenINIFile" and seventeen rows in all.
        static const DispatchTable t = [] {
            DispatchBinder<IniSample> b;
            b.property("RegistryBaseKey", &IniSample::text, &IniSample::setText)
                .property("UseRegistry", &IniSample::flag, &IniSample::setFlag)
                .property("INIFileName", &IniSample::text, &IniSample::setText)
                .method("GetLong", &IniSample::getLong, {"section", "entry", "defvalue"});
            for (int i = 5; i < 16; ++i) {
                b.method("Filler" + std::to_string(i), &IniSample::nothing);
            }
            b.method("GetShort", &IniSample::getShort, {"section", "entry", "defvalue"})
                .method("WriteColor", &IniSample::nothing);
            return b.table();
        }();
        return t;
    }

private:
    std::string text() { return {}; }
    void setText(const std::string&) {}
    bool flag() { return true; }
    void setFlag(bool) {}
    int32_t getLong(const std::string&, const std::string&, int32_t v) { return v; }
    int16_t getShort(const std::string&, const std::string&, int16_t v) { return v; }
    void nothing() {}
};

TEST(TypeLibraryTest, BoundTablesAppearWithTheirDispids)
{
    ClassRegistry registry;
    ASSERT_TRUE(registry.registerClass("I_CINIFileSupport", nullptr, IniSample::table()));
    const std::string text = registry.typeLibraryDescription();
    const char* expected[] = {
        "[id 1] property BSTR RegistryBaseKey\n",
        "[id 2] property BOOL UseRegistry\n",
        "[id 3] property BSTR INIFileName\n",
        "[id 4] method long GetLong(BSTR section, BSTR entry, long defvalue)\n",
        "[id 16] method short GetShort(BSTR section, BSTR entry, short defvalue)\n",
    };
    for (const char* line : expected) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    const auto info = registry.findInterface(findClassByName("I_CINIFileSupport")->iid());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "IGenINIFile");
    EXPECT_EQ(info->members.size(), 17u);
}

} // namespace
