// The type library as the program registers it: every automation class the program binds,
// with its members and DISPIDs, the enumerations and the event interface. Each automation
// change updates the golden copy in one reviewed step.
#include "app/automation/AutomationClasses.h"
#include "app/automation/GridAutomationClasses.h"
#include "platform/automation/ClassRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace platform::automation;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(TypeLibraryTest, DescriptionMatchesTheGoldenCopy)
{
    ClassRegistry registry;
    registerHarluneAutomation(registry);
    registerGridAutomation(registry);
    const std::string actual = registry.typeLibraryDescription();
    const std::string golden = readFile(std::string(HARLUNE_SOURCE_DIR) +
                                        "/tests/fixtures/app/automation/TypeLibrary.txt");
    if (actual != golden) {
        const char* dir = std::getenv("HARLUNE_TEST_DIR");
        const std::string out = std::string(dir ? dir : ".") + "/TypeLibrary.txt";
        std::ofstream(out, std::ios::binary) << actual;
        FAIL() << "the type library changed; review the new description (written to " << out
               << ") and check it in as tests/fixtures/app/automation/TypeLibrary.txt\n"
               << actual.substr(0, 2000);
    }
}

TEST(TypeLibraryTest, EveryRegisteredClassHasTheClassTablesMemberCount)
{
    ClassRegistry registry;
    registerHarluneAutomation(registry);
    registerGridAutomation(registry);
    int bound = 0;
    for (const ClassInfo& info : harluneClasses()) {
        if (const DispatchTable* table = registry.dispatchTable(info)) {
            SCOPED_TRACE(info.className);
            EXPECT_EQ(table->size(), info.memberCount);
            ++bound;
        }
    }
    EXPECT_EQ(bound, 61);
}

} // namespace
