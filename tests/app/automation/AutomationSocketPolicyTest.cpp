// The automation server's request lines and its decisions on who gets in: the bounded line
// reader, the socket folder's owner and mode, the socket path's length and the peer's user.
#include "app/automation/AutomationSocketPolicy.h"

#include "app/automation/AutomationLineReader.h"
#include "tests/app/windows/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

using namespace app::automation;

// Puts an environment variable back as it was (set or unset) when the case ends.
class SavedPolicyVariable
{
public:
    explicit SavedPolicyVariable(const char* name) : m_name(name)
    {
        const char* value = std::getenv(name);
        m_set = value != nullptr;
        m_value = m_set ? value : "";
    }
    ~SavedPolicyVariable()
    {
        if (m_set)
            setenv(m_name, m_value.c_str(), 1);
        else
            unsetenv(m_name);
    }
    SavedPolicyVariable(const SavedPolicyVariable&) = delete;
    SavedPolicyVariable& operator=(const SavedPolicyVariable&) = delete;

private:
    const char* m_name;
    bool m_set = false;
    std::string m_value;
};

std::vector<std::string> drain(AutomationLineReader& reader)
{
    std::vector<std::string> lines;
    while (auto line = reader.popLine())
        lines.push_back(line->overlong ? "<overlong>" : line->text);
    return lines;
}

TEST(AutomationLineReaderTest, CutsLinesAndSkipsOverlongOnesWithoutHoldingThem)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> pushes;
        std::vector<std::string> lines;
        size_t pending;
    };
    const std::string longLine(40, 'x');
    const std::vector<Case> cases = {
        {"two lines in one push", {"ab\ncd\n"}, {"ab", "cd"}, 0},
        {"a line over three pushes", {"a", "b", "c\nd"}, {"abc"}, 1},
        {"empty lines", {"\n\n"}, {"", ""}, 0},
        {"exactly the bound", {std::string(16, 'y') + "\n"}, {std::string(16, 'y')}, 0},
        {"overlong then a good line", {longLine + "\n{}\n"}, {"<overlong>", "{}"}, 0},
        {"overlong over several pushes",
         {longLine, longLine, "tail\nok\n"},
         {"<overlong>", "ok"},
         0},
        {"overlong growing past the bound",
         {"0123456789", "0123456789\nok\n"},
         {"<overlong>", "ok"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AutomationLineReader reader(16);
        for (const std::string& bytes : c.pushes) {
            reader.push(bytes);
            EXPECT_LE(reader.pendingBytes(), 16u);
        }
        EXPECT_EQ(drain(reader), c.lines);
        EXPECT_EQ(reader.pendingBytes(), c.pending);
    }
}

TEST(AutomationSocketPolicyTest, OnlyAPrivateFolderOfThisUserIsUsed)
{
    struct Case
    {
        const char* name;
        bool isFolder;
        uid_t owner;
        mode_t mode;
        FolderVerdict verdict;
    };
    const Case cases[] = {
        {"private folder", true, 1000, S_IFDIR | 0700, FolderVerdict::Usable},
        {"another owner", true, 1001, S_IFDIR | 0700, FolderVerdict::OtherOwner},
        {"mode 0755", true, 1000, S_IFDIR | 0755, FolderVerdict::OpenToOthers},
        {"group may write", true, 1000, S_IFDIR | 0730, FolderVerdict::OpenToOthers},
        {"others may enter", true, 1000, S_IFDIR | 0701, FolderVerdict::OpenToOthers},
        {"a file", false, 1000, S_IFREG | 0700, FolderVerdict::NotAFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(judgeSocketFolder(c.isFolder, c.owner, c.mode, 1000), c.verdict);
    }
}

TEST(AutomationSocketPolicyTest, PreparedFolderIsMadePrivateAndAnOpenOneRefused)
{
    namespace fs = std::filesystem;
    const app::windows::test::ScratchFolder scratch;
    const fs::path& root = scratch.path();
    std::string reason;

    const std::string made = (root / "made").string();
    EXPECT_TRUE(prepareSocketFolder(made, reason)) << reason;
    struct stat info
    {};
    ASSERT_EQ(stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const std::string open = (root / "open").string();
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    EXPECT_FALSE(prepareSocketFolder(open, reason));
    EXPECT_EQ(reason, "open to other users");

    // A link planted at the name is not followed.
    const std::string link = (root / "link").string();
    ASSERT_EQ(symlink(made.c_str(), link.c_str()), 0);
    EXPECT_FALSE(prepareSocketFolder(link, reason));
    EXPECT_EQ(reason, "not a folder");
}

TEST(AutomationSocketPolicyTest, SocketFolderFollowsTheRuntimeFolderOrTheTemporaryOne)
{
    // Later cases of this program keep the run's own folders.
    const SavedPolicyVariable runtime("XDG_RUNTIME_DIR");
    const SavedPolicyVariable temporary("TMPDIR");
    setenv("XDG_RUNTIME_DIR", "/run/user/77", 1);
    EXPECT_EQ(automationSocketPath(), "/run/user/77/harlune/automation.sock");
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(automationSocketFolder(), "/var/tmp/harlune-" + std::to_string(getuid()));
    unsetenv("TMPDIR");
    EXPECT_EQ(automationSocketFolder(), "/tmp/harlune-" + std::to_string(getuid()));
}

TEST(AutomationSocketPolicyTest, LongPathsAndOtherUsersAreRefused)
{
    const size_t limit = sizeof(sockaddr_un::sun_path);
    EXPECT_TRUE(fitsSocketAddress(std::string(limit - 1, 'a')));
    EXPECT_FALSE(fitsSocketAddress(std::string(limit, 'a')));
    EXPECT_FALSE(fitsSocketAddress(""));
    EXPECT_TRUE(acceptPeer(1000, 1000));
    EXPECT_FALSE(acceptPeer(0, 1000));
    EXPECT_FALSE(acceptPeer(1001, 1000));
    EXPECT_FALSE(peerUid(-1).has_value());
}

} // namespace
