#include "platform/win/FileUtil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::win;

namespace {

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& bytes, mode_t mode)
{
    std::ofstream(path, std::ios::binary) << bytes;
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
}

mode_t modeOf(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

bool isLink(const std::string& path)
{
    struct stat info
    {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::set<std::string> namesIn(const std::string& folder)
{
    std::set<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.insert(name);
            }
        }
        closedir(dir);
    }
    return names;
}

// The id of a process that has ended (and been reaped).
pid_t deadProcessId()
{
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return pid;
}

// Makes writes beyond a few bytes fail (EFBIG) while it lives, as a full disk would.
class FullDisk
{
public:
    FullDisk()
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_saved;
        small.rlim_cur = 8;
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

class FileUtilTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* base = std::getenv("HARLUNE_TEST_DIR");
        ASSERT_NE(base, nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::string(base) + "/" + info->name();
        mkdir(m_dir.c_str(), 0700);
    }

    std::string m_dir;
};

// One table over every rule of the atomic replacement that the profile and registry files,
// the spectrum files and the scriptcrypt tool share.
TEST_F(FileUtilTest, ReplacementsFollowTheRulesOfEveryWriter)
{
    const pid_t dead = deadProcessId();
    struct Case
    {
        const char* name;
        // Prepares the folder; returns the path to write.
        std::function<std::string(const std::string& dir)> setUp;
        int expected;
        // Checks the folder afterwards.
        std::function<void(const std::string& dir)> check;
        bool fullDisk = false;
    };
    const Case cases[] = {
        {"plain target: new bytes, its mode kept",
         [](const std::string& dir) {
             writeText(dir + "/t.spec", "old", 0640);
             return dir + "/t.spec";
         },
         0,
         [](const std::string& dir) {
             EXPECT_EQ(readText(dir + "/t.spec"), "new bytes");
             EXPECT_EQ(modeOf(dir + "/t.spec"), 0640u);
         }},
        {"new target", [](const std::string& dir) { return dir + "/t.spec"; }, 0,
         [](const std::string& dir) { EXPECT_EQ(readText(dir + "/t.spec"), "new bytes"); }},
        {"read-only target: refused, even for root",
         [](const std::string& dir) {
             writeText(dir + "/t.spec", "old", 0444);
             return dir + "/t.spec";
         },
         EACCES,
         [](const std::string& dir) {
             EXPECT_EQ(readText(dir + "/t.spec"), "old");
             EXPECT_EQ(modeOf(dir + "/t.spec"), 0444u);
         }},
        {"group-writable but not by its owner: refused",
         [](const std::string& dir) {
             writeText(dir + "/t.spec", "old", 0464);
             return dir + "/t.spec";
         },
         EACCES, [](const std::string& dir) { EXPECT_EQ(readText(dir + "/t.spec"), "old"); }},
        {"symbolic link: its file gets the bytes, the link stays",
         [](const std::string& dir) {
             mkdir((dir + "/data").c_str(), 0700);
             writeText(dir + "/data/real.spec", "old", 0600);
             EXPECT_EQ(symlink("data/real.spec", (dir + "/t.spec").c_str()), 0);
             return dir + "/t.spec";
         },
         0,
         [](const std::string& dir) {
             EXPECT_TRUE(isLink(dir + "/t.spec"));
             EXPECT_EQ(readText(dir + "/data/real.spec"), "new bytes");
             EXPECT_EQ(modeOf(dir + "/data/real.spec"), 0600u);
             EXPECT_EQ(namesIn(dir + "/data"), std::set<std::string>{"real.spec"});
         }},
        {"link to a read-only file: refused",
         [](const std::string& dir) {
             writeText(dir + "/real.spec", "old", 0444);
             EXPECT_EQ(symlink((dir + "/real.spec").c_str(), (dir + "/t.spec").c_str()), 0);
             return dir + "/t.spec";
         },
         EACCES,
         [](const std::string& dir) {
             EXPECT_TRUE(isLink(dir + "/t.spec"));
             EXPECT_EQ(readText(dir + "/real.spec"), "old");
         }},
        {"link loop",
         [](const std::string& dir) {
             EXPECT_EQ(symlink("t.spec", (dir + "/t.spec").c_str()), 0);
             return dir + "/t.spec";
         },
         ELOOP, [](const std::string& dir) { EXPECT_TRUE(isLink(dir + "/t.spec")); }},
        {"folder in the target's place",
         [](const std::string& dir) {
             mkdir((dir + "/t.spec").c_str(), 0700);
             return dir + "/t.spec";
         },
         EISDIR, [](const std::string&) {}},
        {"full disk: old file intact, no temporary left",
         [](const std::string& dir) {
             writeText(dir + "/t.spec", "old", 0644);
             return dir + "/t.spec";
         },
         EFBIG, [](const std::string& dir) { EXPECT_EQ(readText(dir + "/t.spec"), "old"); }, true},
        {"stale temporaries of the target's dead writers go, nothing else does",
         [dead](const std::string& dir) {
             writeText(dir + "/t.spec", "old", 0644);
             const std::string prefix = dir + "/" + temporaryNamePrefix("t.spec");
             writeText(prefix + std::to_string(dead) + "-0.tmp", "dead", 0644);
             writeText(prefix + std::to_string(dead) + "-17.tmp", "dead", 0644);
             writeText(prefix + std::to_string(getppid()) + "-0.tmp", "live", 0644);
             writeText(prefix + std::to_string(dead) + "-x.tmp", "not ours", 0644);
             writeText(prefix + std::to_string(dead) + "-0.tmp.keep", "not ours", 0644);
             writeText(dir + "/" + temporaryNamePrefix("other.spec") + std::to_string(dead) +
                           "-0.tmp",
                       "another target", 0644);
             return dir + "/t.spec";
         },
         0,
         [dead](const std::string& dir) {
             const std::string prefix = temporaryNamePrefix("t.spec");
             EXPECT_EQ(namesIn(dir),
                       (std::set<std::string>{
                           "t.spec", prefix + std::to_string(getppid()) + "-0.tmp",
                           prefix + std::to_string(dead) + "-x.tmp",
                           prefix + std::to_string(dead) + "-0.tmp.keep",
                           temporaryNamePrefix("other.spec") + std::to_string(dead) + "-0.tmp"}));
         }},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = m_dir + "/" + std::to_string(index++);
        ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
        const std::string path = c.setUp(dir);
        const std::set<std::string> before = namesIn(dir);
        FileStamp stamp;
        int error = 0;
        if (c.fullDisk) {
            const std::string big(4096, 'x');
            FullDisk full;
            error = replaceFile(path, big, stamp);
        } else {
            error = replaceFile(path, "new bytes", stamp);
        }
        EXPECT_EQ(error, c.expected) << std::strerror(error);
        c.check(dir);
        if (c.expected != 0) {
            EXPECT_EQ(namesIn(dir), before) << "a failed write leaves the folder as it was";
        }
    }
}

// The temporaries of one target never clash with another's, long names included, and never
// exceed the longest name a file system takes.
TEST_F(FileUtilTest, TemporaryNamesAreTheTargetsOwn)
{
    const std::string longName(255, 'n');
    const std::string otherLong = std::string(254, 'n') + "m";
    EXPECT_EQ(temporaryNamePrefix("a.spec"), ".a.spec.harlune-");
    EXPECT_NE(temporaryNamePrefix(longName), temporaryNamePrefix(otherLong));
    EXPECT_LE(temporaryNamePrefix(longName).size() + 10 + 1 + 10 + 4, 255u);
    // A cut never splits a UTF-8 character.
    const std::string umlauts = [] {
        std::string text;
        for (int i = 0; i < 100; ++i) {
            text += "\xC3\xBC";
        }
        return text;
    }();
    const std::string prefix = temporaryNamePrefix(umlauts);
    const size_t tilde = prefix.find('~');
    ASSERT_NE(tilde, std::string::npos);
    EXPECT_EQ((tilde - 1) % 2, 0u);

    const std::string path = m_dir + "/" + longName;
    FileStamp stamp;
    EXPECT_EQ(replaceFile(path, "long", stamp), 0);
    EXPECT_EQ(readText(path), "long");
}

// An object destroyed without commit, or a commit that finds the target protected since
// the write began, leaves the target and the folder as they were.
TEST_F(FileUtilTest, AnUncommittedReplacementChangesNothing)
{
    const std::string path = m_dir + "/t.spec";
    writeText(path, "old", 0644);
    {
        AtomicReplace file(path);
        ASSERT_EQ(file.open(), 0);
        ASSERT_EQ(file.write("half"), 0);
        EXPECT_FALSE(file.temporaryPath().empty());
    }
    EXPECT_EQ(namesIn(m_dir), std::set<std::string>{"t.spec"});

    AtomicReplace file(path);
    ASSERT_EQ(file.open(), 0);
    ASSERT_EQ(file.write("new"), 0);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(file.commit(), EACCES);
    EXPECT_EQ(readText(path), "old");
    EXPECT_EQ(namesIn(m_dir), std::set<std::string>{"t.spec"});
}

} // namespace
