#include "toolkit/crypt/COXConvertedFile.h"

#include "toolkit/crypt/FileException.h"
#include "toolkit/crypt/PosixFile.h"
#include "toolkit/crypt/Utf8.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace toolkit::crypt {

COXConvertedFile::COXConvertedFile(unsigned blockSize, bool conversion)
    : m_conversion(conversion), m_blockSize(std::max(blockSize, 1u)), m_raw(m_blockSize, 0),
      m_watch(m_blockSize)
{}

COXConvertedFile::~COXConvertedFile()
{
    closeQuietly();
}

void COXConvertedFile::closeQuietly() noexcept
{
    if (m_own) {
        m_own->abort();
        m_own.reset();
    }
    m_attached = nullptr;
    m_open = false;
    m_writeMode = false;
    resetCounters();
}

ByteFile* COXConvertedFile::fileWorkedOn() const
{
    return m_attached ? m_attached : m_own.get();
}

ByteFile& COXConvertedFile::requireFile() const
{
    ByteFile* file = fileWorkedOn();
    if (!m_open || !file || !file->isOpen()) {
        throw FileException(FileException::accessDenied, m_filePath);
    }
    return *file;
}

void COXConvertedFile::resetCounters()
{
    m_posInBlock = 0;
    m_blockStart = 0;
    m_loaded = false;
    m_validBytes = 0;
    m_watch.clear();
}

bool COXConvertedFile::IsOpen() const
{
    const ByteFile* file = fileWorkedOn();
    return file && file->isOpen();
}

bool COXConvertedFile::Open(const std::string& path, unsigned flags, FileException* error)
{
    if (m_open) {
        Close();
    }
    try {
        m_own = std::make_unique<PosixFile>(path, flags);
    } catch (const FileException& e) {
        if (error) {
            *error = e;
        }
        return false;
    }
    m_attached = nullptr;
    m_writeMode = (flags & 3u) != 0;
    m_open = true;
    m_filePath = path;
    resetCounters();
    return true;
}

void COXConvertedFile::Attach(ByteFile* file, unsigned flags)
{
    if (m_own) {
        m_own->abort();
        m_own.reset();
    }
    m_attached = file;
    m_writeMode = (flags & 3u) != 0;
    m_open = file != nullptr;
    m_filePath = file ? file->path() : std::string();
    resetCounters();
}

void COXConvertedFile::Detach()
{
    // Pending data belongs to the file being let go: write it before forgetting the file.
    if (m_open && m_writeMode && fileWorkedOn()) {
        writeBlockOut();
    }
    m_attached = nullptr;
    m_conversion = false;
    m_open = m_own && m_own->isOpen();
    resetCounters();
}

void COXConvertedFile::convertIn(const std::uint8_t* raw, std::uint8_t* plain)
{
    if (!m_conversion) {
        std::memcpy(plain, raw, m_blockSize);
    } else if (!ConvertOnRead(raw, plain)) {
        throw FileException(FileException::invalidFile, m_filePath);
    }
}

void COXConvertedFile::convertOut(const std::uint8_t* plain, std::uint8_t* raw)
{
    if (!m_conversion) {
        std::memcpy(raw, plain, m_blockSize);
    } else if (!ConvertOnWrite(plain, raw)) {
        throw FileException(FileException::genericException, m_filePath);
    }
}

unsigned COXConvertedFile::validLimit() const
{
    return m_conversion ? m_blockSize : m_validBytes;
}

void COXConvertedFile::advanceBlock()
{
    writeBlockOut();
    m_blockStart += m_blockSize;
    m_posInBlock = 0;
    m_loaded = false;
    m_validBytes = 0;
    m_watch.clear();
}

unsigned COXConvertedFile::readBlock()
{
    ByteFile& file = requireFile();
    writeBlockOut();
    if (m_posInBlock >= m_blockSize) {
        advanceBlock();
    }
    file.seek(m_blockStart);
    std::fill(m_raw.begin(), m_raw.end(), 0);
    const auto n = static_cast<unsigned>(file.read(m_raw.data(), m_blockSize));
    if (n == 0) {
        m_loaded = false;
        m_validBytes = 0;
        return 0;
    }
    convertIn(m_raw.data(), m_watch.data());
    m_watch.setAllMarks(false);
    m_loaded = true;
    m_validBytes = n;
    return n;
}

void COXConvertedFile::writeBlockOut()
{
    if (!m_watch.anyWritten()) {
        return;
    }
    ByteFile& file = requireFile();
    unsigned stored = m_loaded ? m_validBytes : 0;
    if (!m_loaded && m_watch.firstUnwritten() >= 0) {
        // Complete the block from what the file holds, so that a partial write keeps the
        // other bytes of the block.
        std::vector<std::uint8_t> raw(m_blockSize, 0);
        std::vector<std::uint8_t> plain(m_blockSize, 0);
        file.seek(m_blockStart);
        std::size_t n = 0;
        try {
            n = file.read(raw.data(), m_blockSize);
        } catch (const FileException& e) {
            if (e.cause() != FileException::accessDenied) {
                throw; // a file opened for writing only has nothing to read back
            }
        }
        if (n > 0) {
            convertIn(raw.data(), plain.data());
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (!m_watch.isWritten(i)) {
                *m_watch.data(i) = plain[i];
            }
        }
        stored = static_cast<unsigned>(n);
    }
    // Converted blocks are always whole; plain data keeps its exact extent.
    const unsigned extent =
        m_conversion ? m_blockSize
                     : std::max(stored, static_cast<unsigned>(m_watch.lastWritten() + 1));
    convertOut(m_watch.data(), m_raw.data());
    file.seek(m_blockStart);
    file.write(m_raw.data(), extent);
    m_watch.setAllMarks(false);
    m_loaded = true;
    m_validBytes = extent;
}

unsigned COXConvertedFile::Read(void* buffer, unsigned count)
{
    requireFile();
    auto* out = static_cast<std::uint8_t*>(buffer);
    unsigned done = 0;
    while (done < count) {
        if (!m_loaded || m_posInBlock >= m_blockSize) {
            if (readBlock() == 0) {
                break;
            }
        }
        const unsigned limit = validLimit();
        if (m_posInBlock >= limit) {
            break; // the end of a short last block of plain data
        }
        const unsigned n = std::min(count - done, limit - m_posInBlock);
        std::memcpy(out + done, m_watch.data(m_posInBlock), n);
        m_posInBlock += n;
        done += n;
    }
    return done;
}

void COXConvertedFile::Write(const void* buffer, unsigned count)
{
    if (!m_writeMode) {
        throw FileException(FileException::accessDenied, m_filePath);
    }
    requireFile();
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    unsigned done = 0;
    while (done < count) {
        if (m_posInBlock >= m_blockSize) {
            advanceBlock();
        }
        const unsigned n = std::min(count - done, m_blockSize - m_posInBlock);
        m_watch.write(m_posInBlock, in + done, n);
        m_posInBlock += n;
        done += n;
        if (m_loaded) {
            m_validBytes = std::max(m_validBytes, m_posInBlock);
        }
        if (m_posInBlock == m_blockSize) {
            advanceBlock(); // a full block is written out and the next one begun
        }
    }
}

std::uint64_t COXConvertedFile::Seek(std::int64_t offset, SeekPosition from)
{
    ByteFile& file = requireFile();
    std::int64_t base = 0;
    if (from == current) {
        base = static_cast<std::int64_t>(GetPosition());
    } else if (from == end) {
        writeBlockOut(); // data not yet written belongs to the length
        base = static_cast<std::int64_t>(file.length());
    }
    if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) ||
        base + offset < 0) {
        throw FileException(FileException::badSeek, m_filePath);
    }
    const auto target = static_cast<std::uint64_t>(base + offset);
    const std::uint64_t start = target - target % m_blockSize;
    if (start != m_blockStart) {
        writeBlockOut();
        m_loaded = false;
        m_validBytes = 0;
        m_watch.clear();
    }
    m_blockStart = start;
    m_posInBlock = static_cast<unsigned>(target - start);
    file.seek(m_blockStart);
    return target;
}

void COXConvertedFile::SetLength(std::uint64_t length)
{
    ByteFile& file = requireFile();
    if (!m_writeMode) {
        throw FileException(FileException::accessDenied, m_filePath);
    }
    writeBlockOut();
    std::uint64_t target = length;
    if (m_conversion && length % m_blockSize != 0) {
        target = length + (m_blockSize - length % m_blockSize);
    }
    file.setLength(target);
    m_loaded = false;
    m_validBytes = 0;
    m_watch.clear();
}

std::uint64_t COXConvertedFile::GetLength() const
{
    return requireFile().length();
}

void COXConvertedFile::LockRange(std::uint64_t position, std::uint64_t count)
{
    const std::uint64_t start = position - position % m_blockSize;
    std::uint64_t stop = position + count;
    if (stop % m_blockSize != 0) {
        stop += m_blockSize - stop % m_blockSize;
    }
    requireFile().lockRange(start, stop - start);
}

void COXConvertedFile::UnlockRange(std::uint64_t position, std::uint64_t count)
{
    const std::uint64_t start = position - position % m_blockSize;
    std::uint64_t stop = position + count;
    if (stop % m_blockSize != 0) {
        stop += m_blockSize - stop % m_blockSize;
    }
    requireFile().unlockRange(start, stop - start);
}

void COXConvertedFile::Flush()
{
    if (!m_open) {
        return;
    }
    if (m_writeMode) {
        writeBlockOut();
        requireFile().flush();
    }
    m_loaded = false;
}

void COXConvertedFile::Close()
{
    if (!m_open) {
        closeQuietly();
        return;
    }
    try {
        Flush();
        if (m_own) {
            m_own->close();
        }
    } catch (...) {
        closeQuietly();
        throw;
    }
    closeQuietly();
}

void COXConvertedFile::Abort()
{
    if (ByteFile* file = fileWorkedOn()) {
        file->abort();
    }
    closeQuietly();
}

std::unique_ptr<ByteFile> COXConvertedFile::Duplicate() const
{
    return requireFile().duplicate();
}

int COXConvertedFile::SetConversion(bool on)
{
    int used = 0;
    if (m_open && m_posInBlock != 0 && m_posInBlock != m_blockSize) {
        const unsigned rest = m_blockSize - m_posInBlock;
        std::vector<std::uint8_t> bytes(rest, 0);
        if (m_writeMode) {
            Write(bytes.data(), rest);
            used = static_cast<int>(rest);
        } else {
            used = static_cast<int>(Read(bytes.data(), rest));
        }
        used = std::min(used, 65535);
    }
    if (on != m_conversion) {
        if (m_posInBlock != 0 && m_posInBlock != m_blockSize) {
            return -1;
        }
        Flush();
        m_conversion = on;
    }
    return used;
}

char* COXConvertedFile::ReadString(char* buffer, unsigned count)
{
    if (!buffer || count == 0) {
        return nullptr;
    }
    const unsigned max = count - 1;
    unsigned n = 0;
    while (n < max) {
        char c = 0;
        if (Read(&c, 1) == 0) {
            break;
        }
        if (c == 26) {
            Seek(-1, current); // the end-of-text mark stays for the next read
            break;
        }
        if (c == '\n') {
            if (n > 0 && buffer[n - 1] == '\r') {
                buffer[n - 1] = '\n';
            } else {
                buffer[n++] = '\n';
            }
            break;
        }
        buffer[n++] = c;
    }
    if (n == max && n > 0 && buffer[n - 1] == '\r') {
        // The buffer filled up right after a carriage return: a line feed next completes the
        // pair, anything else is left for the next read.
        char c = 0;
        if (Read(&c, 1) == 1) {
            if (c == '\n') {
                buffer[n - 1] = '\n';
            } else {
                Seek(-1, current);
            }
        }
    }
    buffer[n] = '\0';
    return n > 0 ? buffer : nullptr;
}

wchar_t* COXConvertedFile::ReadStringW(wchar_t* buffer, unsigned count)
{
    if (!buffer || count == 0) {
        return nullptr;
    }
    buffer[0] = L'\0';
    // Room for count - 1 characters of up to four bytes each.
    const std::uint64_t start = GetPosition();
    const auto bytesWanted = static_cast<unsigned>(
        std::min<std::uint64_t>(4ull * (count - 1) + 1, std::numeric_limits<unsigned>::max()));
    std::vector<char> bytes(bytesWanted, '\0');
    if (!ReadString(bytes.data(), bytesWanted)) {
        return nullptr;
    }
    std::string_view line(bytes.data());
    // A character cut by the byte buffer's end is left for the next read.
    const std::size_t tail = incompleteUtf8Tail(line);
    if (tail > 0 && tail < line.size()) {
        Seek(-static_cast<std::int64_t>(tail), current);
        line.remove_suffix(tail);
    }
    std::wstring wide = utf8ToWide(line);
    if (wide.size() > count - 1) {
        // More characters than the caller's buffer holds: read the line again up to the end
        // of the last character that fits, leaving the rest for the next read.
        const std::size_t keep = wideToUtf8(std::wstring_view(wide).substr(0, count - 1)).size();
        Seek(static_cast<std::int64_t>(start), begin);
        std::fill(bytes.begin(), bytes.end(), '\0');
        ReadString(bytes.data(), static_cast<unsigned>(keep + 1));
        wide = utf8ToWide(std::string_view(bytes.data()));
    }
    const std::size_t n = std::min<std::size_t>(wide.size(), count - 1);
    std::copy_n(wide.begin(), n, buffer);
    buffer[n] = L'\0';
    return buffer;
}

void COXConvertedFile::WriteString(const char* text)
{
    if (!text) {
        return;
    }
    const std::string_view all(text);
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t lineFeed = all.find('\n', start);
        if (lineFeed == std::string_view::npos) {
            Write(all.data() + start, static_cast<unsigned>(all.size() - start));
            break;
        }
        Write(all.data() + start, static_cast<unsigned>(lineFeed - start));
        Write("\r\n", 2);
        start = lineFeed + 1;
    }
}

void COXConvertedFile::WriteStringW(const wchar_t* text)
{
    if (!text) {
        return;
    }
    // Measured by the conversion itself: a character may take up to four bytes.
    const std::string utf8 = wideToUtf8(text);
    WriteString(utf8.c_str());
}

} // namespace toolkit::crypt
