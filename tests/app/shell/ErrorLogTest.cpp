#include "app/shell/ErrorLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FakeEnvironment : public ErrorLogEnvironment
{
public:
    bool askYesNo(const std::string& text) override
    {
        boxes.push_back(text);
        return answerYes;
    }
    std::string applicationVersion() override { return "5.1.0.7"; }
    std::string driverVersion() override { return "3.2.0.1"; }
    std::tm localTime() override
    {
        std::tm t{};
        t.tm_year = 2026 - 1900;
        t.tm_mon = 11;
        t.tm_mday = 9;
        t.tm_hour = 8;
        t.tm_min = 7;
        t.tm_sec = 6;
        return t;
    }

    std::vector<std::string> boxes;
    bool answerYes = true;
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

const char* const kHeader = "Harlune Error Log\r\n"
                            "Application Version: 5.1.0.7\r\n"
                            "Driver Version: 3.2.0.1\r\n"
                            "Type Library Version: 1.5\r\n"
                            "----------- BEGIN LOG -----------\r\n";

class ErrorLogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* base = std::getenv("HARLUNE_TEST_DIR");
        m_dir = fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
                testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_dir);
        m_previous = fs::current_path();
        fs::current_path(m_dir);
    }
    void TearDown() override { fs::current_path(m_previous); }

    fs::path m_dir;
    fs::path m_previous;
};

TEST_F(ErrorLogTest, RunWithoutReportsLeavesNoFile)
{
    FakeEnvironment environment;
    {
        CErrorLog log(environment);
    }
    EXPECT_TRUE(fs::is_empty(m_dir));
    EXPECT_TRUE(environment.boxes.empty());
}

TEST_F(ErrorLogTest, WritesHeaderAndOneLinePerReport)
{
    FakeEnvironment environment;
    {
        CErrorLog log(environment);
        EXPECT_EQ(log.LogException("disk full", "MainFrame", 120), 1);
        EXPECT_EQ(log.LogException(nullptr, "I_SpecCursor", 44), 1);
        // Later reports go to the same file even after the current directory changed.
        fs::create_directories(m_dir / "elsewhere");
        fs::current_path(m_dir / "elsewhere");
        log.LogException(nullptr, "I_GridFormat", 9);
        fs::current_path(m_dir);
    }
    const fs::path file = m_dir / "2026-12-09-08-07-06.errorlog";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(readAll(file),
              std::string(kHeader) +
                  "Exception occurred. Description: disk full | Filename: MainFrame | Line: 120 "
                  "| Application Version: 5.1.0.7 | Driver Version: 3.2.0.1 | Type Library "
                  "Version: 1.5\r\n"
                  "Exception occurred. Filename: I_SpecCursor | Line: 44 | Application Version: "
                  "5.1.0.7 | Driver Version: 3.2.0.1 | Type Library Version: 1.5\r\n"
                  "Exception occurred. Filename: I_GridFormat | Line: 9 | Application Version: "
                  "5.1.0.7 | Driver Version: 3.2.0.1 | Type Library Version: 1.5\r\n");
    EXPECT_TRUE(fs::is_empty(m_dir / "elsewhere"));

    ASSERT_EQ(environment.boxes.size(), 3u);
    EXPECT_EQ(environment.boxes[0],
              "Exception occurred.\n\nDescription: disk full\nFilename: MainFrame\nLine: "
              "120\nApplication Version: 5.1.0.7\nDriver Version: 3.2.0.1\nType Library "
              "Version: 1.5\n\nPlease have all of this information when you contact "
              "Varnholt.\n\nWould you like to continue to receive exception warnings?");
    EXPECT_EQ(environment.boxes[1],
              "Exception occurred.\n\nFilename: I_SpecCursor\nLine: 44\nApplication Version: "
              "5.1.0.7\nDriver Version: 3.2.0.1\nType Library Version: 1.5\n\nPlease have all "
              "of this information when you contact Varnholt.\n\nWould you like to continue to "
              "receive exception warnings?");
}

TEST_F(ErrorLogTest, LineIsOnDiskRightAfterTheReport)
{
    FakeEnvironment environment;
    CErrorLog log(environment);
    log.LogException(nullptr, "MainFrame", 1);
    const std::string text = readAll(log.logFilePath());
    EXPECT_NE(text.find("Line: 1 |"), std::string::npos);
}

TEST_F(ErrorLogTest, AnsweringNoStopsBoxesButNotLines)
{
    FakeEnvironment environment;
    environment.answerYes = false;
    std::string path;
    {
        CErrorLog log(environment);
        log.LogException(nullptr, "A", 1);
        EXPECT_FALSE(log.boxesOn());
        log.LogException(nullptr, "B", 2);
        log.LogException(nullptr, "C", 3);
        path = log.logFilePath();
    }
    EXPECT_EQ(environment.boxes.size(), 1u);
    const std::string text = readAll(path);
    EXPECT_NE(text.find("Filename: C | Line: 3"), std::string::npos);
}

TEST_F(ErrorLogTest, SameSecondRunKeepsTheEarlierLog)
{
    FakeEnvironment environment;
    {
        CErrorLog first(environment);
        first.LogException("first run", "A", 1);
    }
    {
        CErrorLog second(environment);
        second.LogException("second run", "B", 2);
        EXPECT_EQ(fs::path(second.logFilePath()).filename(), "2026-12-09-08-07-06-2.errorlog");
    }
    EXPECT_NE(readAll(m_dir / "2026-12-09-08-07-06.errorlog").find("first run"), std::string::npos);
    EXPECT_NE(readAll(m_dir / "2026-12-09-08-07-06-2.errorlog").find("second run"),
              std::string::npos);
}

TEST_F(ErrorLogTest, UncreatableFileKeepsBoxesGoing)
{
    FakeEnvironment environment;
    // A current directory that no longer exists: the file cannot be created there.
    fs::create_directories(m_dir / "gone");
    fs::current_path(m_dir / "gone");
    fs::remove(m_dir / "gone");
    {
        CErrorLog log(environment);
        EXPECT_EQ(log.LogException("x", "A", 1), 1);
        EXPECT_EQ(log.LogException(nullptr, "B", 2), 1);
        EXPECT_TRUE(log.logFilePath().empty());
    }
    fs::current_path(m_dir);
    EXPECT_EQ(environment.boxes.size(), 2u);
    EXPECT_TRUE(fs::is_empty(m_dir));
}

} // namespace
