#pragma once

#include "toolkit/crypt/ByteFile.h"
#include "toolkit/crypt/COXWatchBuffer.h"
#include "toolkit/crypt/FileException.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace toolkit::crypt {

// A file whose reads and writes pass block by block through a conversion that a derived
// class supplies. It works on its own file (Open) or on a file it is attached to (Attach).
// With the conversion on, the file is written in whole blocks (the last one padded with
// zeros before conversion) and a short last block is read zero-padded; with it off, the file
// keeps the exact length of its data. Failures throw FileException. One thread at a time.
class COXConvertedFile
{
public:
    enum SeekPosition
    {
        begin = 0,
        current = 1,
        end = 2,
    };

    COXConvertedFile(unsigned blockSize, bool conversion);
    virtual ~COXConvertedFile();
    COXConvertedFile(const COXConvertedFile&) = delete;
    COXConvertedFile& operator=(const COXConvertedFile&) = delete;

    // Opens a file on disk with FileOpenFlags. False (and `error` filled when given) when it
    // cannot be opened; the converted file then stays closed.
    bool Open(const std::string& path, unsigned flags, FileException* error = nullptr);
    // Works on `file` (not owned; it stays open after Close) from now on.
    void Attach(ByteFile* file, unsigned flags);
    // Writes any pending data, forgets the attached file and switches the conversion off.
    void Detach();

    // Completes the current block (zeros written in write mode, the rest read and dropped
    // otherwise), then changes the switch. Returns the bytes used to complete the block, or -1
    // when the switch was refused because the position still lies inside a block.
    int SetConversion(bool on);
    bool GetConversion() const { return m_conversion; }
    unsigned GetBlockSize() const { return m_blockSize; }

    // Reads up to `count` bytes; fewer at the end of the file. Throws when not open.
    unsigned Read(void* buffer, unsigned count);
    // Throws when the file is not open for writing.
    void Write(const void* buffer, unsigned count);
    // Returns the new position; a target before the start of the file throws badSeek.
    std::uint64_t Seek(std::int64_t offset, SeekPosition from);
    std::uint64_t GetPosition() const { return m_blockStart + m_posInBlock; }
    // Sets the length of the file worked on, rounded up to whole blocks while converting.
    void SetLength(std::uint64_t length);
    std::uint64_t GetLength() const;
    void LockRange(std::uint64_t position, std::uint64_t count);
    void UnlockRange(std::uint64_t position, std::uint64_t count);
    void Flush();
    void Close();
    void Abort();
    std::unique_ptr<ByteFile> Duplicate() const;
    void SetFilePath(const std::string& path) { m_filePath = path; }
    const std::string& GetFilePath() const { return m_filePath; }

    virtual bool IsOpen() const;
    // Turns one stored block into the block the caller sees, and back.
    virtual bool ConvertOnRead(const std::uint8_t* raw, std::uint8_t* plain) = 0;
    virtual bool ConvertOnWrite(const std::uint8_t* plain, std::uint8_t* raw) = 0;
    // Reads one line as UTF-8 into a buffer of `count` wide characters (with the terminating
    // zero); null when nothing was read.
    virtual wchar_t* ReadStringW(wchar_t* buffer, unsigned count);
    // Reads one line into a buffer of `count` bytes (with the terminating zero): "\r\n"
    // becomes "\n", which is kept; the byte 26 ends the text and is not consumed. Null when
    // nothing was read (always for a count of 0 or 1).
    virtual char* ReadString(char* buffer, unsigned count);
    // Writes the wide text as UTF-8 through WriteString.
    virtual void WriteStringW(const wchar_t* text);
    // Writes the text with every "\n" written as "\r\n".
    virtual void WriteString(const char* text);

protected:
    // Closes the file without completing the current block (for destructors of derived
    // classes whose conversion is gone).
    void closeQuietly() noexcept;

private:
    ByteFile* fileWorkedOn() const;
    ByteFile& requireFile() const;
    void resetCounters();
    unsigned readBlock();
    void writeBlockOut();
    void advanceBlock();
    unsigned validLimit() const;
    void convertIn(const std::uint8_t* raw, std::uint8_t* plain);
    void convertOut(const std::uint8_t* plain, std::uint8_t* raw);

    bool m_conversion;
    unsigned m_blockSize;
    std::vector<std::uint8_t> m_raw;
    COXWatchBuffer m_watch;
    unsigned m_posInBlock = 0;
    std::uint64_t m_blockStart = 0;
    bool m_loaded = false;
    unsigned m_validBytes = 0; // bytes of the current block that hold data
    bool m_open = false;
    bool m_writeMode = false;
    ByteFile* m_attached = nullptr;
    std::unique_ptr<ByteFile> m_own;
    std::string m_filePath;
};

} // namespace toolkit::crypt
