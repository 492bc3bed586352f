#include "platform/win/System.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::win;

namespace {

// Runs body in a child process and returns its exit status (the child's verdict).
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

// In a child: 1 when creating the mutex reports "already exists", 0 when it does not.
int childSeesExisting(const char* name)
{
    return inChild([name] {
        const HMUTEX mutex = CreateMutex(nullptr, 1, name);
        if (mutex == 0) {
            return 99;
        }
        return GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
    });
}

TEST(NamedMutexTest, FirstCreatorCreatesAndLaterOnesSeeItExisting)
{
    const char* name = "HarlunePreventSecondInstance";
    EXPECT_EQ(childSeesExisting(name), 0) << "nobody holds it yet";

    const HMUTEX first = CreateMutex(nullptr, 1, name);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(ReleaseMutex(first), 1);

    // The handle stays open after the release: the mutex still exists, in this process
    // and in any other.
    const HMUTEX second = CreateMutex(nullptr, 1, name);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReleaseMutex(second), 0) << "an existing mutex is not owned by its opener";
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    EXPECT_EQ(childSeesExisting(name), 1);

    EXPECT_EQ(CloseHandle(second), 1);
    EXPECT_EQ(childSeesExisting(name), 1) << "one handle is still open";
    EXPECT_EQ(CloseHandle(first), 1);
    EXPECT_EQ(childSeesExisting(name), 0) << "the last handle closed ends the mutex";
    EXPECT_EQ(CloseHandle(first), 0) << "a closed handle is invalid";
}

TEST(NamedMutexTest, AMutexHeldByAnotherProcessExistsUntilThatProcessEnds)
{
    const char* name = "HeldElsewhere";
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        const HMUTEX mutex = CreateMutex(nullptr, 0, name);
        const char created = (mutex != 0 && GetLastError() == 0) ? 'c' : 'x';
        (void)!write(fromChild[1], &created, 1);
        char go;
        (void)!read(toChild[0], &go, 1);
        _exit(0);
    }
    char created = 0;
    ASSERT_EQ(read(fromChild[0], &created, 1), 1);
    EXPECT_EQ(created, 'c');

    const HMUTEX mine = CreateMutex(nullptr, 1, name);
    ASSERT_NE(mine, 0u);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(mine);

    const char go = 'g';
    ASSERT_EQ(write(toChild[1], &go, 1), 1);
    int status = 0;
    waitpid(pid, &status, 0);

    const HMUTEX again = CreateMutex(nullptr, 1, name);
    EXPECT_EQ(GetLastError(), 0u) << "the other process has ended";
    EXPECT_EQ(ReleaseMutex(again), 1);
    CloseHandle(again);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
        close(fd);
    }
}

TEST(NamedMutexTest, NamesWithSeparatorsAndUnnamedMutexesWork)
{
    const HMUTEX local = CreateMutex(nullptr, 0, "Local\\Some/Name");
    ASSERT_NE(local, 0u);
    EXPECT_EQ(GetLastError(), 0u);
    const HMUTEX unnamed1 = CreateMutex(nullptr, 1, nullptr);
    const HMUTEX unnamed2 = CreateMutex(nullptr, 0, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_NE(unnamed1, unnamed2);
    EXPECT_EQ(ReleaseMutex(unnamed1), 1);
    EXPECT_EQ(ReleaseMutex(unnamed1), 0);
    for (HMUTEX m : {local, unnamed1, unnamed2}) {
        EXPECT_EQ(CloseHandle(m), 1);
    }
}

} // namespace

namespace {

TEST(NamedMutexTest, AnUnusableRuntimeFolderFallsBackToTheTemporaryFolder)
{
    const std::string saved = std::getenv("XDG_RUNTIME_DIR");
    const char* tmp = std::getenv("TMPDIR");
    const std::optional<std::string> savedTmp =
        tmp ? std::optional<std::string>(tmp) : std::nullopt;
    const std::string work = std::getenv("HARLUNE_TEST_DIR");
    setenv("XDG_RUNTIME_DIR", (work + "/does/not/exist").c_str(), 1);
    setenv("TMPDIR", work.c_str(), 1);
    const HMUTEX mutex = CreateMutex(nullptr, 0, "FallbackMutex");
    ASSERT_NE(mutex, 0u);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(childSeesExisting("FallbackMutex"), 1);
    CloseHandle(mutex);
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    // Back to the run's own temporary folder for whatever runs after.
    if (savedTmp)
        setenv("TMPDIR", savedTmp->c_str(), 1);
    else
        unsetenv("TMPDIR");
}

} // namespace
