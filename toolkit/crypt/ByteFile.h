#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace toolkit::crypt {

// Open flags of a file.
enum FileOpenFlags : unsigned
{
    kModeRead = 0x0000,
    kModeWrite = 0x0001,
    kModeReadWrite = 0x0002,
    kModeCreate = 0x1000,
    kModeNoTruncate = 0x2000,
};

// A file of bytes with a position: a POSIX file or a memory buffer. Failures throw
// FileException. One thread at a time.
class ByteFile
{
public:
    virtual ~ByteFile() = default;

    virtual bool isOpen() const = 0;
    // Reads up to `count` bytes at the position; fewer at the end of the file.
    virtual std::size_t read(void* buffer, std::size_t count) = 0;
    virtual void write(const void* buffer, std::size_t count) = 0;
    // Moves to an absolute position (past the end is allowed) and returns it.
    virtual std::uint64_t seek(std::uint64_t position) = 0;
    virtual std::uint64_t position() const = 0;
    virtual std::uint64_t length() const = 0;
    virtual void setLength(std::uint64_t length) = 0;
    virtual void flush() = 0;
    virtual void close() = 0;
    // Closes without reporting errors.
    virtual void abort() noexcept = 0;
    virtual void lockRange(std::uint64_t position, std::uint64_t count) = 0;
    virtual void unlockRange(std::uint64_t position, std::uint64_t count) = 0;
    // A second file on the same data with its own position, or null when not supported.
    virtual std::unique_ptr<ByteFile> duplicate() const = 0;
    virtual std::string path() const = 0;
};

} // namespace toolkit::crypt
