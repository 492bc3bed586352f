#pragma once

#include "toolkit/crypt/ByteFile.h"

#include <string>

namespace toolkit::crypt {

// A file on disk through a POSIX descriptor. A file opened for writing is opened for reading
// too where the permissions allow, so that partly written blocks can be completed.
class PosixFile : public ByteFile
{
public:
    // Opens `path` with FileOpenFlags; throws FileException when it cannot.
    PosixFile(std::string path, unsigned flags);
    ~PosixFile() override;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool isOpen() const override { return m_fd >= 0; }
    std::size_t read(void* buffer, std::size_t count) override;
    void write(const void* buffer, std::size_t count) override;
    std::uint64_t seek(std::uint64_t position) override;
    std::uint64_t position() const override;
    std::uint64_t length() const override;
    void setLength(std::uint64_t length) override;
    void flush() override;
    void close() override;
    void abort() noexcept override;
    void lockRange(std::uint64_t position, std::uint64_t count) override;
    void unlockRange(std::uint64_t position, std::uint64_t count) override;
    std::unique_ptr<ByteFile> duplicate() const override;
    std::string path() const override { return m_path; }

private:
    PosixFile(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    [[noreturn]] void fail(int error) const;
    void checkOpen() const;

    std::string m_path;
    int m_fd = -1;
};

} // namespace toolkit::crypt
