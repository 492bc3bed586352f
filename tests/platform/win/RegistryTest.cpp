#include "platform/win/Registry.h"

#include "platform/win/Log.h"
#include "platform/win/c/pwin_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
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

bool exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

// Writes a file by rename, as every writer of hives does, so the reader sees a new file.
void putFile(const std::string& path, const std::string& bytes)
{
    const std::string temp = path + ".new";
    std::ofstream(temp, std::ios::binary) << bytes;
    ASSERT_EQ(rename(temp.c_str(), path.c_str()), 0);
}

// Every test works in a folder of its own, so each starts with empty hives.
class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* base = std::getenv("HARLUNE_REGISTRY_DIR");
        ASSERT_NE(base, nullptr);
        m_base = base;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = m_base + "/" + info->name();
        mkdir(m_dir.c_str(), 0700);
        setenv("HARLUNE_REGISTRY_DIR", m_dir.c_str(), 1);
    }

    void TearDown() override { setenv("HARLUNE_REGISTRY_DIR", m_base.c_str(), 1); }

    std::string hivePath(const char* hive) const { return m_dir + "/" + hive + ".hive"; }

    static HKEY create(HKEY root, const char* path)
    {
        HKEY key = 0;
        EXPECT_EQ(RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr),
                  0);
        return key;
    }

    static LONG setString(HKEY key, const char* name, const std::string& text)
    {
        return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                             static_cast<PWIN_DWORD>(text.size() + 1));
    }

    static std::string queryString(HKEY key, const char* name)
    {
        char buffer[300] = {};
        PWIN_DWORD size = sizeof buffer - 1;
        PWIN_DWORD type = 0;
        if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<uint8_t*>(buffer), &size) !=
            0) {
            return "<missing>";
        }
        return std::string(buffer);
    }

    static std::vector<std::string> subKeyNames(HKEY key)
    {
        std::vector<std::string> names;
        for (PWIN_DWORD i = 0;; ++i) {
            char name[256];
            PWIN_DWORD length = sizeof name;
            const LONG status =
                RegEnumKeyEx(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status != 0) {
                EXPECT_EQ(status, static_cast<LONG>(ERROR_NO_MORE_ITEMS));
                return names;
            }
            EXPECT_EQ(length, std::strlen(name));
            names.emplace_back(name);
        }
    }

    static std::vector<std::string> valueNames(HKEY key)
    {
        std::vector<std::string> names;
        for (PWIN_DWORD i = 0;; ++i) {
            char name[256];
            PWIN_DWORD length = sizeof name;
            const LONG status =
                RegEnumValue(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status != 0) {
                EXPECT_EQ(status, static_cast<LONG>(ERROR_NO_MORE_ITEMS));
                return names;
            }
            names.emplace_back(name);
        }
    }

    std::string m_base;
    std::string m_dir;
};

struct ValueCase
{
    const char* name;
    const char* valueName;
    PWIN_DWORD type;
    std::string data;
};

std::vector<ValueCase> valueCases()
{
    const uint32_t number = 0xDEADBEEF;
    return {
        {"string with terminator", "Text", REG_SZ, std::string("hello\0", 6)},
        {"string without terminator", "Bare", REG_SZ, "no zero"},
        {"string with quotes, backslashes and line ends", "Odd", REG_SZ,
         std::string("a\"b\\c\r\nd\x01\0", 10)},
        {"UTF-8 string", "Unicode", REG_SZ,
         std::string("Gr\xC3\xBC\xC3\x9F"
                     "e\0",
                     8)},
        {"empty string", "Empty", REG_SZ, ""},
        {"dword", "Count", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4)},
        {"binary", "Blob", REG_BINARY, std::string("\x00\xFF\x10\x80", 4)},
        {"empty binary", "NoBytes", REG_BINARY, ""},
        {"default value", "", REG_SZ, std::string("default\0", 8)},
        {"other type", "Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"name with quotes and equals", "a \"q\" = b", REG_SZ, std::string("x\0", 2)},
    };
}

void expectValues(HKEY key, const std::vector<ValueCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PWIN_DWORD size = 0;
        PWIN_DWORD type = 99;
        ASSERT_EQ(RegQueryValueEx(key, c.valueName, nullptr, &type, nullptr, &size), 0);
        EXPECT_EQ(type, c.type);
        ASSERT_EQ(size, c.data.size());
        std::vector<uint8_t> data(size + 1, 0xAB);
        ASSERT_EQ(RegQueryValueEx(key, c.valueName, nullptr, nullptr, data.data(), &size), 0);
        EXPECT_EQ(std::string(data.begin(), data.begin() + size), c.data);
        EXPECT_EQ(data[size], 0xAB) << "nothing written past the value";
    }
}

TEST_F(RegistryTest, ValuesOfEveryTypeRoundTripThroughMemoryAndTheFile)
{
    const HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Varnholt Software\\Harlune");
    const auto cases = valueCases();
    for (const auto& c : cases) {
        ASSERT_EQ(RegSetValueEx(key, c.valueName, 0, c.type,
                                reinterpret_cast<const uint8_t*>(c.data.data()),
                                static_cast<PWIN_DWORD>(c.data.size())),
                  0)
            << c.name;
    }
    expectValues(key, cases);
    RegCloseKey(key);

    // A fresh copy of the hive, read from the file alone.
    const std::string copyDir = m_dir + "/copy";
    mkdir(copyDir.c_str(), 0700);
    putFile(copyDir + "/HKEY_LOCAL_MACHINE.hive", readText(hivePath("HKEY_LOCAL_MACHINE")));
    setenv("HARLUNE_REGISTRY_DIR", copyDir.c_str(), 1);
    HKEY reread = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Varnholt Software\\Harlune", 0, KEY_READ,
                           &reread),
              0);
    expectValues(reread, cases);
    RegCloseKey(reread);
    EXPECT_FALSE(exists(hivePath("HKEY_CURRENT_USER"))) << "only the written hive has a file";
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling)
{
    HKEY key = 0;
    PWIN_DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Varnholt Software", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, &disposition),
              0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(setString(key, "WindowPlacement", "1,2"), 0);
    ASSERT_EQ(setString(key, "WINDOWPLACEMENT", "3,4"), 0);
    EXPECT_EQ(valueNames(key), std::vector<std::string>{"WindowPlacement"});
    EXPECT_EQ(queryString(key, "windowplacement"), "3,4");

    HKEY again = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\varnholt software", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &again, &disposition),
              0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(subKeyNames(HKEY_CURRENT_USER), std::vector<std::string>{"Software"});
    HKEY software = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software", 0, KEY_READ, &software), 0);
    EXPECT_EQ(subKeyNames(software), std::vector<std::string>{"Varnholt Software"});
    for (HKEY k : {key, again, software}) {
        EXPECT_EQ(RegCloseKey(k), 0);
    }
}

TEST_F(RegistryTest, SubKeysEnumerateByNameAndValuesInOrderOfCreation)
{
    const HKEY key = create(HKEY_CLASSES_ROOT, "Harlune.GridData");
    for (const char* name : {"delta", "Alpha", "charlie", "Bravo"}) {
        RegCloseKey(create(key, name));
        ASSERT_EQ(setString(key, name, name), 0);
    }
    EXPECT_EQ(subKeyNames(key), (std::vector<std::string>{"Alpha", "Bravo", "charlie", "delta"}));
    EXPECT_EQ(valueNames(key), (std::vector<std::string>{"delta", "Alpha", "charlie", "Bravo"}));
    RegCloseKey(key);
}

TEST_F(RegistryTest, TwoHandlesSeeEachOthersWritesAtOnce)
{
    const HKEY writer = create(HKEY_LOCAL_MACHINE, "Software\\A");
    HKEY reader = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\a", 0, KEY_READ, &reader), 0);
    ASSERT_EQ(setString(writer, "Key", "one"), 0);
    EXPECT_EQ(queryString(reader, "Key"), "one");
    ASSERT_EQ(RegDeleteValue(writer, "key"), 0);
    EXPECT_EQ(queryString(reader, "Key"), "<missing>");
    RegCloseKey(writer);
    RegCloseKey(reader);
}

TEST_F(RegistryTest, ErrorsAreWin32Codes)
{
    const HKEY key = create(HKEY_CURRENT_USER, "Software\\Errors");
    RegCloseKey(create(key, "Child\\Grandchild"));
    ASSERT_EQ(setString(key, "Long", "0123456789"), 0);
    HKEY out = 0;
    const std::string longName(256, 'k');
    const uint8_t three[3] = {1, 2, 3};
    char small[4];
    PWIN_DWORD length = 0;
    uint8_t data[4];
    PWIN_DWORD size = 0;

    struct Case
    {
        const char* name;
        std::function<LONG()> call;
        LONG expected;
    };
    const Case cases[] = {
        {"open a missing key", [&] { return RegOpenKeyEx(key, "Missing", 0, KEY_READ, &out); }, 2},
        {"open below a missing key",
         [&] { return RegOpenKeyEx(key, "Missing\\Deeper", 0, KEY_READ, &out); }, 2},
        {"query a missing value",
         [&] { return RegQueryValueEx(key, "Missing", nullptr, nullptr, nullptr, nullptr); }, 2},
        {"delete a missing value", [&] { return RegDeleteValue(key, "Missing"); }, 2},
        {"delete a missing key", [&] { return RegDeleteKey(key, "Missing"); }, 2},
        {"enumerate past the last key",
         [&] {
             length = sizeof small;
             return RegEnumKeyEx(key, 1, small, &length, nullptr, nullptr, nullptr, nullptr);
         },
         259},
        {"enumerate past the last value",
         [&] {
             length = sizeof small;
             return RegEnumValue(key, 1, small, &length, nullptr, nullptr, nullptr, nullptr);
         },
         259},
        {"key name too long for the buffer",
         [&] {
             length = sizeof small;
             return RegEnumKeyEx(key, 0, small, &length, nullptr, nullptr, nullptr, nullptr);
         },
         234},
        {"value larger than the buffer",
         [&] {
             size = sizeof data;
             const LONG status = RegQueryValueEx(key, "Long", nullptr, nullptr, data, &size);
             return size == 11 ? status : -1;
         },
         234},
        {"empty name inside a path",
         [&] { return RegCreateKeyEx(key, "a\\\\b", 0, nullptr, 0, 0, nullptr, &out, nullptr); },
         1010},
        {"path starting with a backslash",
         [&] { return RegOpenKeyEx(key, "\\Child", 0, KEY_READ, &out); }, 1010},
        {"name over 255 characters",
         [&] {
             return RegCreateKeyEx(key, longName.c_str(), 0, nullptr, 0, 0, nullptr, &out, nullptr);
         },
         1010},
        {"unknown handle",
         [&] { return RegQueryValueEx(0x12345, "x", nullptr, nullptr, nullptr, nullptr); }, 6},
        {"null handle", [&] { return RegOpenKeyEx(0, "x", 0, KEY_READ, &out); }, 6},
        {"dword of three bytes", [&] { return RegSetValueEx(key, "D", 0, REG_DWORD, three, 3); },
         87},
        {"data missing", [&] { return RegSetValueEx(key, "D", 0, REG_BINARY, nullptr, 3); }, 87},
        {"no result handle", [&] { return RegOpenKeyEx(key, "Child", 0, KEY_READ, nullptr); }, 87},
        {"delete a key that has sub-keys", [&] { return RegDeleteKey(key, "Child"); }, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), c.expected);
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, HandlesAreNeverReusedAndOutliveTheirKeysSafely)
{
    const HKEY first = create(HKEY_CURRENT_USER, "Gone");
    ASSERT_EQ(RegCloseKey(first), 0);
    EXPECT_EQ(RegCloseKey(first), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(setString(first, "x", "y"), static_cast<LONG>(ERROR_INVALID_HANDLE));
    const HKEY second = create(HKEY_CURRENT_USER, "Gone");
    EXPECT_NE(second, first);

    ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Gone"), 0);
    EXPECT_EQ(setString(second, "x", "y"), ERROR_KEY_DELETED);
    EXPECT_EQ(queryString(second, "x"), "<missing>");
    EXPECT_EQ(RegCloseKey(second), 0);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), 0) << "closing a root does nothing";
}

TEST_F(RegistryTest, TreesAreDeletedWhole)
{
    const HKEY key = create(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32\\Deep");
    ASSERT_EQ(setString(key, "", "x"), 0);
    RegCloseKey(key);
    const HKEY sibling = create(HKEY_CLASSES_ROOT, "CLSID\\{2}");
    ASSERT_EQ(setString(sibling, "v", "kept"), 0);

    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "CLSID\\{1}"),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "clsid\\{1}"), 0);
    HKEY out = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{1}", 0, KEY_READ, &out),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(queryString(sibling, "v"), "kept");

    HKEY clsid = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_ALL_ACCESS, &clsid), 0);
    EXPECT_EQ(RegDeleteTree(clsid, nullptr), 0);
    EXPECT_TRUE(subKeyNames(clsid).empty());
    EXPECT_EQ(queryString(sibling, "v"), "<missing>");
    RegCloseKey(clsid);
    RegCloseKey(sibling);
}

TEST_F(RegistryTest, ConcurrentThreadsLoseNoWrite)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            const HKEY key = create(HKEY_CURRENT_USER, "Threads");
            for (int i = 0; i < 50; ++i) {
                const std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
                setString(key, name.c_str(), name);
            }
            RegCloseKey(key);
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const HKEY key = create(HKEY_CURRENT_USER, "Threads");
    EXPECT_EQ(valueNames(key).size(), 200u);
    RegCloseKey(key);
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

TEST_F(RegistryTest, AnotherProcessesWritesAreSeenAndNotLost)
{
    const HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Shared");
    ASSERT_EQ(setString(key, "Parent", "1"), 0);
    EXPECT_EQ(inChild([key] { return setString(key, "Child", "2") == 0 ? 0 : 1; }), 0);
    EXPECT_EQ(queryString(key, "Child"), "2") << "re-read after the other process's write";
    ASSERT_EQ(setString(key, "Parent2", "3"), 0);
    EXPECT_EQ(inChild([key] {
                  return queryString(key, "Parent2") == "3" && queryString(key, "Child") == "2" ? 0
                                                                                                : 1;
              }),
              0);
    const std::string text = readText(hivePath("HKEY_LOCAL_MACHINE"));
    for (const char* name : {"\"Parent\"", "\"Child\"", "\"Parent2\""}) {
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing)
{
    const HKEY key = create(HKEY_CURRENT_USER, "Race");
    constexpr int kWrites = 100;
    const auto writeMany = [key](const char* prefix) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string name = prefix + std::to_string(i);
            if (setString(key, name.c_str(), name) != 0) {
                return 1;
            }
        }
        return 0;
    };
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(writeMany("child"));
    }
    EXPECT_EQ(writeMany("parent"), 0);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(valueNames(key).size(), 2u * kWrites);
    RegCloseKey(key);
}

ino_t inodeOf(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST_F(RegistryTest, ABatchWritesTheHiveOnceAtItsCommit)
{
    const HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Batch");
    ASSERT_EQ(setString(key, "Before", "0"), 0);
    const std::string path = hivePath("HKEY_LOCAL_MACHINE");
    const ino_t before = inodeOf(path);
    const std::string textBefore = readText(path);

    // Another process, started before the batch, writes while it is open.
    int pipes[2][2];
    ASSERT_EQ(pipe(pipes[0]), 0);
    ASSERT_EQ(pipe(pipes[1]), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        char byte;
        if (read(pipes[0][0], &byte, 1) != 1 || write(pipes[1][1], "w", 1) != 1) {
            _exit(2);
        }
        _exit(setString(key, "FromProcess", "p") == 0 ? 0 : 1);
    }
    {
        RegistryBatch batch(HKEY_LOCAL_MACHINE);
        for (int i = 0; i < 50; ++i) {
            const std::string name = "V" + std::to_string(i);
            ASSERT_EQ(setString(key, name.c_str(), name), 0);
        }
        {
            RegistryBatch nested(key);
            RegCloseKey(create(key, "Sub"));
        }
        std::thread other([key] { EXPECT_EQ(setString(key, "FromThread", "t"), 0); });
        other.join();
        ASSERT_EQ(write(pipes[0][1], "g", 1), 1);
        char byte = 0;
        ASSERT_EQ(read(pipes[1][0], &byte, 1), 1);

        EXPECT_EQ(queryString(key, "V49"), "V49") << "reads see the batch";
        EXPECT_EQ(inodeOf(path), before) << "nothing written before the commit";
        EXPECT_EQ(readText(path), textBefore);
        EXPECT_EQ(batch.commit(), 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_EQ(queryString(key, "FromProcess"), "p");
    EXPECT_EQ(queryString(key, "V0"), "V0");
    const std::string text = readText(path);
    for (const char* line :
         {"\"V49\"=sz:", "\"FromThread\"=sz:", "\"FromProcess\"=sz:", "[Software\\Batch\\Sub]"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(pwin_RegCommitBatch(key), static_cast<LONG>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(pwin_RegBeginBatch(0x7777), static_cast<LONG>(ERROR_INVALID_HANDLE));
    RegCloseKey(key);
    for (auto& p : pipes) {
        close(p[0]);
        close(p[1]);
    }
}

TEST_F(RegistryTest, DamagedHiveIsSetAsideAndStartedAfresh)
{
    const std::string path = hivePath("HKEY_CURRENT_USER");
    const std::string garbage("\x7f"
                              "ELF\0\0 not a hive at all\n[Software]\n",
                              36);
    putFile(path, garbage);
    ::testing::internal::CaptureStderr();
    const HKEY key = create(HKEY_CURRENT_USER, "Software\\Fresh");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("damaged"), std::string::npos) << err;
    EXPECT_NE(err.find(path + ".corrupt"), std::string::npos) << err;
    EXPECT_EQ(readText(path + ".corrupt"), garbage) << "kept byte for byte";
    ASSERT_EQ(setString(key, "v", "new"), 0);
    EXPECT_EQ(subKeyNames(HKEY_CURRENT_USER), std::vector<std::string>{"Software"});
    RegCloseKey(key);

    // A second damaged file does not overwrite the first one set aside.
    putFile(path, "garbage again");
    ::testing::internal::CaptureStderr();
    HKEY out = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &out),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(readText(path + ".corrupt"), garbage);
    EXPECT_EQ(readText(path + ".corrupt.2"), "garbage again");
}

TEST_F(RegistryTest, UnreadableLinesOfAHiveAreKeptAndWrittenBack)
{
    const std::string longLine(100000, 'x');
    const std::string nulLine("\"Nul\"=sz:\"a\0b\"", 15);
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<std::string> keptLines;
    };
    const Case cases[] = {
        {"garbage lines",
         "Harlune registry hive 1\n[Software]\n\"Good\"=sz:\"yes\"\nthis is garbage\n"
         "\"Bad\"=dword:xyz\n[broken\n",
         {"this is garbage", "\"Bad\"=dword:xyz", "[broken"}},
        {"a line of 100,000 characters",
         "Harlune registry hive 1\n[Software]\n" + longLine + "\n\"Good\"=sz:\"yes\"\n",
         {longLine}},
        {"NUL bytes",
         "Harlune registry hive 1\n[Software]\n" + nulLine + "\n\"Good\"=sz:\"yes\"",
         {nulLine}},
        {"no final newline and CR LF ends",
         "Harlune registry hive 1\r\n[Software]\r\n\"Good\"=sz:\"yes\"\r\njunk",
         {"junk"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = hivePath("HKEY_LOCAL_MACHINE");
        putFile(path, c.text);
        HKEY key = 0;
        ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS, &key), 0);
        EXPECT_EQ(queryString(key, "Good"), "yes");
        ASSERT_EQ(setString(key, "Added", "1"), 0);
        const std::string written = readText(path);
        for (const auto& line : c.keptLines) {
            EXPECT_NE(written.find(line + "\n"), std::string::npos);
        }
        EXPECT_NE(written.find("\"Added\"=sz:"), std::string::npos);
        EXPECT_FALSE(exists(path + ".corrupt"));
        RegCloseKey(key);
    }
}

void collectLog(void* context, const char* text)
{
    *static_cast<std::string*>(context) += text;
}

size_t countOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A damaged value line reads as a missing value; each load of the hive notes it once in the
// diagnostic log, with the count and the first line, whatever the number of reads.
TEST_F(RegistryTest, DamagedLinesAreNotedOncePerLoad)
{
    std::string log;
    pwin_SetDebugOutputHook(collectLog, &log);
    const std::string path = hivePath("HKEY_LOCAL_MACHINE");
    putFile(path, "Harlune registry hive 1\n[Software]\n\"Good\"=sz:\"yes\"\n"
                  "\"Bad\"=dword:xyz\n\"Also\"=sz:\"unclosed\n");
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS, &key), 0);
    EXPECT_EQ(queryString(key, "Good"), "yes");
    EXPECT_EQ(queryString(key, "Bad"), "<missing>");
    EXPECT_EQ(queryString(key, "Also"), "<missing>");
    EXPECT_EQ(countOf(log, "damaged line"), 1u) << log;
    EXPECT_NE(log.find("[warn] registry: " + path + ": 2 damaged line(s)"), std::string::npos)
        << log;
    EXPECT_NE(log.find("the first at line 4"), std::string::npos) << log;

    // A write loads nothing new (the file is ours); a file replaced from outside is a new load.
    ASSERT_EQ(setString(key, "Added", "1"), 0);
    EXPECT_EQ(countOf(log, "damaged line"), 1u) << log;
    putFile(path, readText(path));
    EXPECT_EQ(queryString(key, "Added"), "1");
    EXPECT_EQ(countOf(log, "damaged line"), 2u) << log;
    RegCloseKey(key);
    pwin_SetDebugOutputHook(nullptr, nullptr);
}

} // namespace
