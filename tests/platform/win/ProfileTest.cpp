#include "platform/win/Profile.h"

#include "platform/win/System.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace platform::win;

namespace {

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes a file by rename, as every writer of profiles does, so readers see a new file.
void putFile(const std::string& path, const std::string& bytes)
{
    const std::string temp = path + ".new";
    std::ofstream(temp, std::ios::binary) << bytes;
    ASSERT_EQ(rename(temp.c_str(), path.c_str()), 0);
}

ino_t inodeOf(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class ProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* base = std::getenv("HARLUNE_TEST_DIR");
        ASSERT_NE(base, nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::string(base) + "/" + info->name();
        mkdir(m_dir.c_str(), 0700);
        m_file = m_dir + "/VYKDRV.INI";
    }

    std::string get(const char* section, const char* key, const char* fallback = "",
                    PWIN_DWORD size = 256)
    {
        std::vector<char> buffer(size + 1, '#');
        const PWIN_DWORD length =
            GetPrivateProfileString(section, key, fallback, buffer.data(), size, m_file.c_str());
        EXPECT_EQ(buffer[length], '\0');
        EXPECT_EQ(buffer[size], '#') << "nothing written past the buffer";
        return std::string(buffer.data(), length);
    }

    // A name list as one string with "|" for each terminator.
    std::string list(const char* section, PWIN_DWORD size = 256)
    {
        std::vector<char> buffer(size + 1, '#');
        const PWIN_DWORD length =
            GetPrivateProfileString(section, nullptr, nullptr, buffer.data(), size, m_file.c_str());
        EXPECT_EQ(buffer[size], '#');
        std::string text(buffer.data(), length + 1);
        for (char& c : text) {
            c = c == '\0' ? '|' : c;
        }
        return text;
    }

    bool put(const char* section, const char* key, const char* value)
    {
        return WritePrivateProfileString(section, key, value, m_file.c_str()) != 0;
    }

    std::string m_dir;
    std::string m_file;
};

const std::string kSample = "; hardware set-up\r\n"
                            "[Setup]\r\n"
                            "SpectrometerType = Gavrel \r\n"
                            " IRQ=7\n"
                            "Quoted=\"  spaced  \"\r\n"
                            "Single='x'\r\n"
                            "Mismatched=\"x'\r\n"
                            "Empty=\r\n"
                            "a line without equals sign\r\n"
                            "Path=C:\\a=b\r\n"
                            "[channel0]\r\n"
                            "NLEnabled=1\r\n"
                            "[Setup]\r\n"
                            "IRQ=9\r\n";

TEST_F(ProfileTest, ValuesAreReadAsWindowsReadsThem)
{
    putFile(m_file, kSample);
    struct Case
    {
        const char* name;
        const char* section;
        const char* key;
        const char* fallback;
        const char* expected;
    };
    const Case cases[] = {
        {"blanks trimmed", "Setup", "SpectrometerType", "", "Gavrel"},
        {"names without case, LF line end", "SETUP", "irq", "", "7"},
        {"names trimmed", " Setup ", " IRQ ", "", "7"},
        {"double quotes stripped, inner blanks kept", "Setup", "Quoted", "", "  spaced  "},
        {"single quotes stripped", "Setup", "Single", "", "x"},
        {"mismatched quotes kept", "Setup", "Mismatched", "", "\"x'"},
        {"empty value", "Setup", "Empty", "dflt", ""},
        {"first equals sign splits", "Setup", "Path", "", "C:\\a=b"},
        {"missing key: default without trailing blanks", "Setup", "Missing", "dflt  ", "dflt"},
        {"missing section", "Nowhere", "IRQ", "d", "d"},
        {"null default", "Nowhere", "IRQ", nullptr, ""},
        {"second section", "Channel0", "nlenabled", "", "1"},
        {"a line without equals sign is no key", "Setup", "a line without equals sign", "d", "d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(get(c.section, c.key, c.fallback), c.expected);
    }
    EXPECT_EQ(get("Setup", "SpectrometerType", "", 4), "Gav") << "cut to the buffer";
}

TEST_F(ProfileTest, SectionsAndKeysAreEnumerated)
{
    putFile(m_file, kSample);
    EXPECT_EQ(list(nullptr), "Setup|channel0||") << "a repeated section is listed once";
    EXPECT_EQ(list("setup"), "SpectrometerType|IRQ|Quoted|Single|Mismatched|Empty|Path||");
    EXPECT_EQ(list("Missing"), "|");
    EXPECT_EQ(list(nullptr, 9), "Setup|c|") << "cut short: two zeros at the end";
    char names[64];
    EXPECT_EQ(GetPrivateProfileSectionNames(names, sizeof names, m_file.c_str()), 15u);
}

// Every buffer size, the exact fits included: the names that fit, the next one cut short,
// two zeros at the end and size - 2 returned; never a byte past the buffer.
TEST_F(ProfileTest, NameListsAreCutAtEveryBufferSize)
{
    putFile(m_file, "[ab]\r\nab=1\r\nc=2\r\n[c]\r\n");
    struct Case
    {
        PWIN_DWORD size;
        PWIN_DWORD length;
        std::string bytes; // the buffer's first min(size, length + 2) bytes
    };
    const Case cases[] = {
        {1, 0, std::string(1, '\0')},        {2, 0, std::string(2, '\0')},
        {3, 1, std::string("a\0\0", 3)},     {4, 2, std::string("ab\0\0", 4)},
        {5, 3, std::string("ab\0\0\0", 5)},  {6, 5, std::string("ab\0c\0\0", 6)},
        {7, 5, std::string("ab\0c\0\0", 6)}, {8, 5, std::string("ab\0c\0\0", 6)},
    };
    for (const char* section : {static_cast<const char*>(nullptr), "ab"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(section != nullptr ? "keys, " : "sections, ") + "size " +
                         std::to_string(c.size));
            std::vector<char> buffer(c.size + 16, '#');
            const PWIN_DWORD length = GetPrivateProfileString(
                section, nullptr, nullptr, buffer.data(), c.size, m_file.c_str());
            EXPECT_EQ(length, c.length);
            EXPECT_EQ(std::string(buffer.data(), c.bytes.size()), c.bytes);
            EXPECT_EQ(std::string(buffer.data() + c.size, 16), std::string(16, '#'))
                << "nothing written past the buffer";
        }
    }
    for (const auto& c : cases) {
        SCOPED_TRACE("section names, size " + std::to_string(c.size));
        std::vector<char> buffer(c.size + 16, '#');
        EXPECT_EQ(GetPrivateProfileSectionNames(buffer.data(), c.size, m_file.c_str()), c.length);
        EXPECT_EQ(std::string(buffer.data(), c.bytes.size()), c.bytes);
        EXPECT_EQ(std::string(buffer.data() + c.size, 16), std::string(16, '#'));
    }
}

TEST_F(ProfileTest, IntegersAreParsedAsWindowsParsesThem)
{
    putFile(m_file, "[S]\r\nA=7\r\nB=-5\r\nC=0x1F\r\nD=12abc\r\nE=abc\r\nF=\r\nG= 42 \r\n"
                    "H=4294967297\r\n");
    struct Case
    {
        const char* key;
        PWIN_UINT expected;
    };
    const Case cases[] = {{"A", 7}, {"B", 0xFFFFFFFBu}, {"C", 31}, {"D", 12},        {"E", 0},
                          {"F", 0}, {"G", 42},          {"H", 1},  {"Missing", 1234}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(GetPrivateProfileInt("s", c.key, 1234, m_file.c_str()), c.expected);
    }
}

TEST_F(ProfileTest, WritesKeepEverythingElseAndEndLinesWithCrLf)
{
    putFile(m_file, "; header comment\n[Setup]\nIRQ=7\n\n[Channel0]\nNLEnabled=0\ngarbage");
    EXPECT_TRUE(put("setup", "irq", "9"));
    EXPECT_TRUE(put("Setup", "BaseAddress", "768"));
    EXPECT_TRUE(put("New", "Key", " value with blanks "));
    EXPECT_TRUE(put("channel0", "NLENABLED", nullptr));
    EXPECT_TRUE(put("Setup", "Missing", nullptr));
    EXPECT_EQ(readText(m_file), "; header comment\r\n[Setup]\r\nIRQ=9\r\nBaseAddress=768\r\n\r\n"
                                "[Channel0]\r\ngarbage\r\n[New]\r\nKey= value with blanks \r\n");
    EXPECT_EQ(get("new", "key"), "value with blanks");

    EXPECT_TRUE(put("Channel0", nullptr, nullptr));
    EXPECT_EQ(readText(m_file), "; header comment\r\n[Setup]\r\nIRQ=9\r\nBaseAddress=768\r\n\r\n"
                                "[New]\r\nKey= value with blanks \r\n");
}

TEST_F(ProfileTest, MissingFilesReadAsEmptyAndAreCreatedByAWrite)
{
    EXPECT_EQ(get("Setup", "IRQ", "7"), "7");
    EXPECT_EQ(GetLastError(), PWIN_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(list(nullptr), "|");
    EXPECT_TRUE(put("Setup", "IRQ", nullptr));
    EXPECT_TRUE(put("Setup", nullptr, nullptr));
    EXPECT_NE(access(m_file.c_str(), F_OK), 0) << "deleting from no file creates none";

    EXPECT_TRUE(put("Setup", "IRQ", "5"));
    EXPECT_EQ(readText(m_file), "[Setup]\r\nIRQ=5\r\n");

    const std::string elsewhere = m_dir + "/no/such/folder/x.ini";
    EXPECT_EQ(WritePrivateProfileString("S", "K", "V", elsewhere.c_str()), 0);
    EXPECT_EQ(GetLastError(), PWIN_ERROR_PATH_NOT_FOUND);
}

TEST_F(ProfileTest, WritesThatWouldNotReadBackAreRefused)
{
    putFile(m_file, "[S]\r\nK=V\r\n");
    struct Case
    {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"line end in a value", "S", "K", "a\nb"},
        {"carriage return in a value", "S", "K", "a\rb"},
        {"equals sign in a key", "S", "K=2", "v"},
        {"line end in a key", "S", "K\n", "v"},
        {"bracket in a section", "S]x", "K", "v"},
        {"empty section", " ", "K", "v"},
        {"empty key", "S", "  ", "v"},
        {"key that reads as a comment", "S", ";K", "v"},
        {"null section with a key", nullptr, "K", "v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(put(c.section, c.key, c.value));
        EXPECT_EQ(GetLastError(), PWIN_ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(readText(m_file), "[S]\r\nK=V\r\n");
    EXPECT_TRUE(put(nullptr, nullptr, nullptr)) << "the flush call of Windows";
    EXPECT_EQ(GetPrivateProfileString("S", "K", "", nullptr, 10, m_file.c_str()), 0u);
}

TEST_F(ProfileTest, BadFilesAreReadWithoutHarmAndTheirLinesKept)
{
    const std::string longLine(100000, 'x');
    const std::string nulLine("Bad\0Key=1", 9);
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<std::string> keptLines;
    };
    const Case cases[] = {
        {"garbage lines",
         "[S]\n@@@ garbage\n[unclosed\nK=V\n=no key\n",
         {"@@@ garbage", "[unclosed", "=no key"}},
        {"a line of 100,000 characters", "[S]\n" + longLine + "\nK=V\n", {longLine}},
        {"NUL bytes", "[S]\n" + nulLine + "\nK=V\n", {nulLine}},
        {"no final newline", "[S]\r\nK=V\r\ntail", {"tail"}},
        {"byte order mark", "\xEF\xBB\xBF[S]\r\nK=V\r\n", {"\xEF\xBB\xBF[S]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        putFile(m_file, c.text);
        EXPECT_EQ(get("S", "K"), "V");
        EXPECT_TRUE(put("S", "Added", "1"));
        const std::string written = readText(m_file);
        for (const auto& line : c.keptLines) {
            EXPECT_NE(written.find(line + "\r\n"), std::string::npos);
        }
        EXPECT_EQ(get("S", "Added"), "1");
    }
    putFile(m_file, "[S]\nLong=" + longLine + "\n");
    EXPECT_EQ(get("S", "Long"), std::string(255, 'x'));
}

// A read-only file is not written, as on Windows, whoever runs the program; a linked file
// is written through its link.
TEST_F(ProfileTest, ReadOnlyFilesAreRefusedAndLinksWrittenThrough)
{
    putFile(m_file, "[S]\r\nK=V\r\n");
    ASSERT_EQ(chmod(m_file.c_str(), 0444), 0);
    EXPECT_FALSE(put("S", "K", "W"));
    EXPECT_EQ(GetLastError(), PWIN_ERROR_ACCESS_DENIED);
    {
        ProfileBatch batch(m_file);
        EXPECT_TRUE(put("S", "K", "W"));
        EXPECT_FALSE(batch.commit()) << "a batch that cannot be written says so";
    }
    EXPECT_EQ(readText(m_file), "[S]\r\nK=V\r\n");
    EXPECT_EQ(get("S", "K"), "V") << "the refused write is not seen by reads";

    const std::string real = m_dir + "/real.ini";
    const std::string link = m_dir + "/link.ini";
    putFile(real, "[S]\r\nK=V\r\n");
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(symlink("real.ini", link.c_str()), 0);
    EXPECT_NE(WritePrivateProfileString("S", "K", "W", link.c_str()), 0);
    struct stat info
    {};
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readText(real), "[S]\r\nK=W\r\n");
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(ProfileTest, ABatchReplacesTheFileOnceAtItsCommit)
{
    putFile(m_file, "; kept\r\n[Setup]\r\nIRQ=7\r\n");
    const ino_t before = inodeOf(m_file);
    {
        ProfileBatch batch(m_file);
        for (int channel = 0; channel < 8; ++channel) {
            const std::string section = "Channel" + std::to_string(channel);
            EXPECT_TRUE(put(section.c_str(), "NLEnabled", "0"));
            EXPECT_TRUE(put(section.c_str(), "SLConstant", "0.000000"));
        }
        EXPECT_TRUE(put("Setup", "IRQ", "5"));
        {
            ProfileBatch nested(m_file);
            EXPECT_TRUE(put("Setup", "Initialized", "1"));
        }
        EXPECT_EQ(get("Setup", "IRQ"), "5") << "reads see the batch";
        EXPECT_EQ(get("Channel7", "NLEnabled"), "0");
        EXPECT_EQ(inodeOf(m_file), before) << "nothing written before the commit";
        EXPECT_EQ(readText(m_file), "; kept\r\n[Setup]\r\nIRQ=7\r\n");
        EXPECT_TRUE(batch.commit());
    }
    EXPECT_NE(inodeOf(m_file), before);
    const std::string written = readText(m_file);
    EXPECT_EQ(written.rfind("; kept\r\n[Setup]\r\nIRQ=5\r\nInitialized=1\r\n[Channel0]\r\n", 0), 0u)
        << written;
    EXPECT_NE(written.find("[Channel7]\r\nNLEnabled=0\r\nSLConstant=0.000000\r\n"),
              std::string::npos);
    EXPECT_EQ(pwin_CommitProfileBatch(m_file.c_str()), 0) << "no batch open";
}

// Runs body in a child process; returns its exit code.
template <typename Body> int inChild(Body body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST_F(ProfileTest, WritesOfAnotherProcessAreSeenAndNeverLost)
{
    ASSERT_TRUE(put("Setup", "Parent", "1"));
    EXPECT_EQ(get("Setup", "Parent"), "1");
    ASSERT_EQ(inChild([this] { return put("Setup", "Child", "2") ? 0 : 1; }), 0);
    EXPECT_EQ(get("Setup", "Child"), "2");

    // A batch open while another process writes keeps that write. The child is forked
    // before the batch begins, as a separate program would be, and writes when told.
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        char byte;
        if (read(go[0], &byte, 1) != 1) {
            _exit(2);
        }
        _exit(put("Other", "During", "4") ? 0 : 1);
    }
    ASSERT_TRUE(pwin_BeginProfileBatch(m_file.c_str()));
    ASSERT_TRUE(put("Setup", "Batched", "3"));
    ASSERT_EQ(write(go[1], "g", 1), 1);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(pwin_CommitProfileBatch(m_file.c_str()));
    close(go[0]);
    close(go[1]);
    EXPECT_EQ(readText(m_file),
              "[Setup]\r\nParent=1\r\nChild=2\r\nBatched=3\r\n[Other]\r\nDuring=4\r\n");
}

TEST_F(ProfileTest, ProcessesAndThreadsWritingAtOnceLoseNothing)
{
    constexpr int kWrites = 60;
    const auto writeMany = [this](const std::string& prefix) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string key = prefix + std::to_string(i);
            if (!put("Race", key.c_str(), "v")) {
                return 1;
            }
        }
        return 0;
    };
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(writeMany("child"));
    }
    std::thread other([&] { EXPECT_EQ(writeMany("thread"), 0); });
    EXPECT_EQ(writeMany("parent"), 0);
    other.join();
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::vector<char> names(65536);
    const PWIN_DWORD length =
        GetPrivateProfileString("Race", nullptr, nullptr, names.data(),
                                static_cast<PWIN_DWORD>(names.size()), m_file.c_str());
    int count = 0;
    for (PWIN_DWORD i = 0; i < length; ++i) {
        count += names[i] == '\0' ? 1 : 0;
    }
    EXPECT_EQ(count, 3 * kWrites);
}

} // namespace

namespace {

TEST_F(ProfileTest, ManyFilesInOneSessionKeepAnOpenBatch)
{
    ProfileBatch batch(m_file);
    ASSERT_TRUE(put("Setup", "IRQ", "5"));
    for (int i = 0; i < 80; ++i) {
        const std::string other = m_dir + "/file" + std::to_string(i) + ".spec";
        ASSERT_TRUE(WritePrivateProfileString("General", "Index", std::to_string(i).c_str(),
                                              other.c_str()));
        char text[16];
        GetPrivateProfileString("General", "Index", "", text, sizeof text, other.c_str());
        EXPECT_EQ(std::string(text), std::to_string(i));
    }
    EXPECT_EQ(get("Setup", "IRQ"), "5");
    EXPECT_TRUE(batch.commit());
    EXPECT_EQ(readText(m_file), "[Setup]\r\nIRQ=5\r\n");
}

} // namespace
