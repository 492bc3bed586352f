#include "app/shell/MainFramePreferences.h"

#include "app/shell/INIFileSupport.h"
#include "platform/win/c/pwin_system.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void collectLog(void* context, const char* text)
{
    *static_cast<std::string*>(context) += text;
}

// Makes file writes beyond a few bytes fail (EFBIG) while it lives, as a full disk would.
class FullDisk
{
public:
    FullDisk()
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_saved;
        small.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

// The preferences are written in one batch: when the batch is lost (a full disk), the
// caller learns it, the log says it, and the stored preferences stay as they were.
TEST(MainFramePreferences, ALostBatchIsReportedToTheCaller)
{
    const char* folder = std::getenv("HARLUNE_REGISTRY_DIR");
    ASSERT_NE(folder, nullptr);
    const std::string hive = std::string(folder) + "/HKEY_LOCAL_MACHINE.hive";

    MainFramePreferences preferences;
    preferences.AlwaysSaveDark = 1;
    {
        CINIFileSupport store(nullptr, 1);
        ASSERT_TRUE(preferences.write(store));
    }
    const std::string before = readAll(hive);
    ASSERT_FALSE(before.empty());

    std::string log;
    pwin_SetDebugOutputHook(collectLog, &log);
    preferences.AlwaysSaveDark = 0;
    bool written = true;
    {
        CINIFileSupport store(nullptr, 1);
        FullDisk full;
        written = preferences.write(store);
    }
    pwin_SetDebugOutputHook(nullptr, nullptr);
    EXPECT_FALSE(written);
    EXPECT_NE(log.find("[error] settings: a batch of settings was not written to the registry"),
              std::string::npos)
        << log;
    EXPECT_EQ(readAll(hive), before);

    CINIFileSupport store(nullptr, 1);
    MainFramePreferences stored;
    stored.read(store);
    EXPECT_EQ(stored.AlwaysSaveDark, 1u) << "the lost batch is not seen by later reads";
}

} // namespace
