#include "app/spectrum/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app::spectrum {

namespace {

std::atomic<unsigned> g_temporaryCounter{0};

// The folder part of path, with its trailing separator ("" for a bare name).
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile()
{
    abandon();
}

bool AtomicFile::open()
{
    if (m_fd >= 0 || m_path.empty())
        return false;
    // A hidden name beside the target, so the rename stays within one file system; it does
    // not repeat the target's name, which may already be as long as a name can be.
    const std::string folder = folderOf(m_path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporaryPath = folder + ".harlune-" + std::to_string(::getpid()) + "-" +
                          std::to_string(g_temporaryCounter.fetch_add(1)) + ".tmp";
        m_fd = ::open(m_temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_failed = false;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    m_temporaryPath.clear();
    return false;
}

bool AtomicFile::write(std::string_view bytes)
{
    if (m_fd < 0 || m_failed)
        return false;
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_failed = true;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFile::commit()
{
    if (m_fd < 0 || m_failed) {
        abandon();
        return false;
    }
    const bool synced = ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed || std::rename(m_temporaryPath.c_str(), m_path.c_str()) != 0) {
        abandon();
        return false;
    }
    m_temporaryPath.clear();
    return true;
}

void AtomicFile::abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporaryPath.empty()) {
        ::unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}

bool writeFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFile file(path);
    return file.open() && file.write(bytes) && file.commit();
}

} // namespace app::spectrum
