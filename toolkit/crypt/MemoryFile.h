#pragma once

#include "toolkit/crypt/ByteFile.h"

#include <vector>

namespace toolkit::crypt {

// A file held in memory: a growable byte buffer with a position.
class MemoryFile : public ByteFile
{
public:
    MemoryFile() = default;
    explicit MemoryFile(std::vector<unsigned char> bytes) : m_bytes(std::move(bytes)) {}

    const std::vector<unsigned char>& bytes() const { return m_bytes; }

    bool isOpen() const override { return m_open; }
    std::size_t read(void* buffer, std::size_t count) override;
    void write(const void* buffer, std::size_t count) override;
    std::uint64_t seek(std::uint64_t position) override;
    std::uint64_t position() const override { return m_position; }
    std::uint64_t length() const override { return m_bytes.size(); }
    void setLength(std::uint64_t length) override;
    void flush() override {}
    void close() override { m_open = false; }
    void abort() noexcept override { m_open = false; }
    void lockRange(std::uint64_t, std::uint64_t) override {}
    void unlockRange(std::uint64_t, std::uint64_t) override {}
    std::unique_ptr<ByteFile> duplicate() const override { return nullptr; }
    std::string path() const override { return {}; }

private:
    void checkOpen() const;

    std::vector<unsigned char> m_bytes;
    std::uint64_t m_position = 0;
    bool m_open = true;
};

} // namespace toolkit::crypt
