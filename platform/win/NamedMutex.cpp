// Named mutexes across processes. A mutex exists while any process holds a handle to it:
// every holder keeps a shared flock on "<name>.mutex"; a creator that can take the lock
// exclusively knows that no other process holds a handle. Creators serialise on a second
// lock file, "<name>.mutex.guard", so two of them cannot both see themselves first while
// one converts its exclusive lock into a shared one. Within the process a table by name
// answers the same question. Ownership (for the initial owner and pwin_ReleaseMutex) is
// kept within the process.
#include "platform/win/ExportGuard.h"
#include "platform/win/Log.h"
#include "platform/win/c/pwin_system.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kMutexLogModule = "mutex";

struct NamedMutex
{
    std::string name;
    int lockFd = -1;
    int handles = 0;
    std::optional<std::thread::id> owner;
    int ownedCount = 0;
};

struct MutexTable
{
    std::mutex mutex;
    std::map<PWIN_HMUTEX, std::shared_ptr<NamedMutex>> handles;
    std::map<std::string, std::shared_ptr<NamedMutex>> byName;
    PWIN_HMUTEX nextHandle = 0x4000;
};

MutexTable& table()
{
    static MutexTable instance;
    return instance;
}

// The folder of the lock files and the prefix of their names: the user's runtime folder,
// or (when it is not set or not usable) the temporary folder, where the user id keeps
// users apart.
std::string lockFileStem(const std::string& name, bool inRuntimeFolder)
{
    std::string safe;
    for (char c : name) {
        safe += (c == '/' || c == '\\') ? '_' : c;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (inRuntimeFolder && runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/" + safe;
    }
    const char* temp = std::getenv("TMPDIR");
    const std::string folder = temp != nullptr && *temp != '\0' ? temp : "/tmp";
    return folder + "/harlune-" + std::to_string(getuid()) + "-" + safe;
}

int openLockFile(const std::string& path)
{
    return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

int flockRetrying(int fd, int operation)
{
    int result;
    do {
        result = flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Takes the shared existence lock; tells whether another process held one already.
// Returns the locked descriptor, or -1 with errno set.
int joinNamedMutex(const std::string& name, bool& existedElsewhere)
{
    std::string stem = lockFileStem(name, true);
    int guard = openLockFile(stem + ".mutex.guard");
    if (guard < 0) {
        stem = lockFileStem(name, false);
        guard = openLockFile(stem + ".mutex.guard");
    }
    if (guard < 0) {
        return -1;
    }
    if (flockRetrying(guard, LOCK_EX) != 0) {
        const int saved = errno;
        close(guard);
        errno = saved;
        return -1;
    }
    const int fd = openLockFile(stem + ".mutex");
    if (fd < 0) {
        const int saved = errno;
        close(guard);
        errno = saved;
        return -1;
    }
    existedElsewhere = flockRetrying(fd, LOCK_EX | LOCK_NB) != 0;
    // Under the guard nobody else holds the lock exclusively, so this never waits.
    if (flockRetrying(fd, LOCK_SH) != 0) {
        const int saved = errno;
        close(fd);
        close(guard);
        errno = saved;
        return -1;
    }
    close(guard);
    return fd;
}

PWIN_DWORD mutexErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return PWIN_ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return PWIN_ERROR_ACCESS_DENIED;
    default:
        return PWIN_ERROR_INVALID_PARAMETER;
    }
}

} // namespace

static PWIN_HMUTEX pwin_CreateMutexAImpl(void* securityAttributes, PWIN_BOOL initialOwner,
                                         const char* name)
{
    (void)securityAttributes;
    MutexTable& t = table();
    std::unique_lock lock(t.mutex);
    std::shared_ptr<NamedMutex> mutex;
    bool existed = false;
    if (name != nullptr && *name != '\0') {
        const auto found = t.byName.find(name);
        if (found != t.byName.end()) {
            mutex = found->second;
            existed = true;
        } else {
            bool existedElsewhere = false;
            const int fd = joinNamedMutex(name, existedElsewhere);
            if (fd < 0) {
                const int error = errno;
                lock.unlock();
                platform::win::logError(kMutexLogModule,
                                        "cannot make the lock file of mutex \"%s\": errno %d", name,
                                        error);
                pwin_SetLastError(mutexErrorFromErrno(error));
                return 0;
            }
            mutex = std::make_shared<NamedMutex>();
            mutex->name = name;
            mutex->lockFd = fd;
            existed = existedElsewhere;
            t.byName[name] = mutex;
        }
    } else {
        mutex = std::make_shared<NamedMutex>();
    }
    if (initialOwner != 0 && !existed) {
        mutex->owner = std::this_thread::get_id();
        mutex->ownedCount = 1;
    }
    ++mutex->handles;
    const PWIN_HMUTEX handle = t.nextHandle++;
    t.handles[handle] = mutex;
    pwin_SetLastError(existed ? PWIN_ERROR_ALREADY_EXISTS : PWIN_ERROR_SUCCESS);
    return handle;
}

static PWIN_BOOL pwin_ReleaseMutexImpl(PWIN_HMUTEX handle)
{
    MutexTable& t = table();
    std::lock_guard lock(t.mutex);
    const auto found = t.handles.find(handle);
    if (found == t.handles.end()) {
        pwin_SetLastError(PWIN_ERROR_INVALID_HANDLE);
        return 0;
    }
    NamedMutex& mutex = *found->second;
    if (mutex.owner != std::this_thread::get_id()) {
        pwin_SetLastError(PWIN_ERROR_NOT_OWNER);
        return 0;
    }
    if (--mutex.ownedCount == 0) {
        mutex.owner.reset();
    }
    return 1;
}

static PWIN_BOOL pwin_CloseMutexHandleImpl(PWIN_HMUTEX handle)
{
    MutexTable& t = table();
    std::lock_guard lock(t.mutex);
    const auto found = t.handles.find(handle);
    if (found == t.handles.end()) {
        pwin_SetLastError(PWIN_ERROR_INVALID_HANDLE);
        return 0;
    }
    const std::shared_ptr<NamedMutex> mutex = found->second;
    t.handles.erase(found);
    if (--mutex->handles == 0) {
        if (mutex->lockFd >= 0) {
            close(mutex->lockFd);
            mutex->lockFd = -1;
        }
        if (!mutex->name.empty()) {
            t.byName.erase(mutex->name);
        }
    }
    return 1;
}

// ---- exports: every body runs inside the export guard ----

using platform::win::exportGuard;

PWIN_API PWIN_HMUTEX pwin_CreateMutexA(void* securityAttributes, PWIN_BOOL initialOwner,
                                       const char* name)
{
    return exportGuard<PWIN_HMUTEX>("pwin_CreateMutexA", 0, [&] {
        return pwin_CreateMutexAImpl(securityAttributes, initialOwner, name);
    });
}

PWIN_API PWIN_BOOL pwin_ReleaseMutex(PWIN_HMUTEX handle)
{
    return exportGuard<PWIN_BOOL>("pwin_ReleaseMutex", 0,
                                  [&] { return pwin_ReleaseMutexImpl(handle); });
}

PWIN_API PWIN_BOOL pwin_CloseMutexHandle(PWIN_HMUTEX handle)
{
    return exportGuard<PWIN_BOOL>("pwin_CloseMutexHandle", 0,
                                  [&] { return pwin_CloseMutexHandleImpl(handle); });
}
