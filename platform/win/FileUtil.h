#pragma once

// Whole-file reads, atomic replacement and the write lock shared by the profile and
// registry files.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform::win {

// An open descriptor of a file version that was read or written. While it is held, the
// file's inode cannot be freed, so its number cannot be reused by a later version.
class FilePin
{
public:
    explicit FilePin(int fd) : m_fd(fd) {}
    FilePin(const FilePin&) = delete;
    FilePin& operator=(const FilePin&) = delete;
    ~FilePin();

private:
    int m_fd;
};

// What identifies one version of a file: every replacement makes a new inode (and the
// pin keeps a known version's inode number from being reused); the size and
// modification time tell a rewrite in place.
struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    std::shared_ptr<const FilePin> pin; // not compared

    bool operator==(const FileStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               mtimeNs == other.mtimeNs;
    }
};

// The stamp of the file at path, or nothing when it does not exist (or is no file).
std::optional<FileStamp> fileStamp(const std::string& path);

// Reads the whole file; the stamp pins the version read. Returns 0, or the errno of the
// failure (ENOENT when missing).
int readWholeFile(const std::string& path, std::string& bytes, FileStamp& stamp);

// A new version of a file, written to a temporary file beside it and put in its place by a
// rename once every byte is on disk, so a crash, a kill or a full disk never leaves a torn
// or emptied file. The rules every whole-file writer of the system follows:
// - A target without its owner-write bit is protected, as a read-only file is on Windows,
//   whoever runs the program (root included): it is not replaced (EACCES).
// - A symbolic link is written through: the file it points to is replaced, the link stays.
// - The new version keeps the old one's permission bits (and, where allowed, its owner).
// - After the rename the folder is flushed too, so the new name survives a power cut.
// - The temporary is named after the target and the writing process
//   (".<name>.harlune-<pid>-<n>.tmp"); opening a write removes the temporaries of the same
//   target that processes no longer running left behind, and nothing else.
// One thread per object; objects on different targets are independent.
class AtomicReplace
{
public:
    explicit AtomicReplace(std::string path);
    ~AtomicReplace();
    AtomicReplace(const AtomicReplace&) = delete;
    AtomicReplace& operator=(const AtomicReplace&) = delete;

    // Checks the target and creates the temporary file. Returns 0 or the errno.
    int open();
    // Appends bytes to the temporary file. Returns 0 or the errno; a failed write abandons
    // the replacement.
    int write(std::string_view bytes);
    // Flushes the temporary file and renames it over the target, then flushes the folder.
    // Returns 0 (stamp, when given, is the new version's, pinned) or the errno; the target
    // is untouched on failure, except after a failed folder flush (EIO and the like), when
    // the new content is in place but may not survive a power cut.
    int commit(FileStamp* stamp = nullptr);
    // Drops the temporary file; the target stays as it was. Done by the destructor too.
    void abandon();

    // The file that is replaced: the path with its symbolic links followed (after open).
    const std::string& targetPath() const { return m_target; }
    // The temporary file (empty when none is open).
    const std::string& temporaryPath() const { return m_temporary; }

private:
    std::string m_path;
    std::string m_target;
    std::string m_temporary;
    int m_fd = -1;
    int m_error = 0;
};

// Replaces the file's content through an AtomicReplace. Returns 0 and the new file's stamp
// (pinned), or the errno of the failure (the file untouched).
int replaceFile(const std::string& path, std::string_view bytes, FileStamp& stamp);

// The prefix of the temporary file names of target (a file name without folder); the
// process id, a counter and ".tmp" follow it.
std::string temporaryNamePrefix(std::string_view target);

// Creates the folder and its parents as needed. Returns 0 or an errno.
int makeFolders(const std::string& folder);

// The folder part of a path ("." when it has none).
std::string folderOf(const std::string& path);

// An exclusive flock on the file at path (created empty when missing), held while the
// object lives. Writers replace files by rename, so the lock is taken on the inode that
// path names once the lock is granted: a waiter that wakes up on a replaced inode locks
// the new one instead. Several objects of one process on one path exclude each other too.
class FileWriteLock
{
public:
    // Returns the lock, or nothing with error set to the errno of the failure.
    static std::optional<FileWriteLock> acquire(const std::string& path, int& error);

    FileWriteLock(FileWriteLock&& other) noexcept;
    FileWriteLock& operator=(FileWriteLock&& other) noexcept;
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;
    ~FileWriteLock();

private:
    explicit FileWriteLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace platform::win
