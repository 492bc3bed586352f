#include "driver/serial/SerialAdcProtocol.h"

#include <algorithm>

namespace driver::serial {
namespace {

void appendWord(std::vector<std::uint8_t>& bytes, std::uint16_t word)
{
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

// Reads big-endian words from a byte span, remembering whether it ran short.
class WordReader
{
public:
    explicit WordReader(std::span<const std::uint8_t> bytes, std::size_t at)
        : m_bytes(bytes), m_at(at)
    {}
    bool word(std::uint16_t& value)
    {
        if (m_at + 2 > m_bytes.size())
            return false;
        value = static_cast<std::uint16_t>((m_bytes[m_at] << 8) | m_bytes[m_at + 1]);
        m_at += 2;
        return true;
    }
    bool byte(std::uint8_t& value)
    {
        if (m_at + 1 > m_bytes.size())
            return false;
        value = m_bytes[m_at++];
        return true;
    }
    std::size_t position() const { return m_at; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at;
};

int halfPixels(bool twoValues)
{
    return twoValues ? kFramePixels / 2 : kFramePixels;
}

// The least m with m x n >= pixels.
int everyNthCount(int n, int pixels)
{
    return (pixels + n - 1) / n;
}

// Values the frame of this form transmits, or -1 when its counts are impossible.
long valueCount(const ScanFrame& frame)
{
    const int half = halfPixels(frame.twoValues);
    const long factor = frame.twoValues ? 2 : 1;
    switch (frame.form) {
    case 0:
        return kFramePixels;
    case 1:
    case 2:
        if (frame.step == 0)
            return -1;
        return factor * everyNthCount(frame.step, half);
    case 3: {
        if (frame.step == 0 || frame.last < frame.first)
            return -1;
        const long count = (frame.last - frame.first) / frame.step + 1;
        return count > half ? -1 : factor * count;
    }
    case 4:
        return frame.pixelNumbers.size() > static_cast<std::size_t>(kFramePixels)
                   ? -1
                   : factor * static_cast<long>(frame.pixelNumbers.size());
    default:
        return -1;
    }
}

} // namespace

std::vector<std::uint8_t> encodeCommand(char letter, std::initializer_list<std::uint16_t> args)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(1 + 2 * args.size());
    bytes.push_back(static_cast<std::uint8_t>(letter));
    for (std::uint16_t arg : args)
        appendWord(bytes, arg);
    return bytes;
}

std::vector<std::uint8_t> encodeQuery(char letter, std::initializer_list<std::uint16_t> args)
{
    std::vector<std::uint8_t> bytes = encodeCommand(letter, args);
    bytes.insert(bytes.begin(), static_cast<std::uint8_t>('?'));
    return bytes;
}

bool isValidPixelMode(std::uint16_t mode)
{
    return mode <= kHighestPixelMode && (mode & 0xFF) <= 4;
}

const char* frameStatusName(FrameStatus status)
{
    switch (status) {
    case FrameStatus::Ok:
        return "Ok";
    case FrameStatus::NoScan:
        return "NoScan";
    case FrameStatus::Truncated:
        return "Truncated";
    case FrameStatus::BadHeader:
        return "BadHeader";
    case FrameStatus::BadMode:
        return "BadMode";
    case FrameStatus::BadLength:
        return "BadLength";
    case FrameStatus::NoEndMarker:
        return "NoEndMarker";
    case FrameStatus::BadChecksum:
        return "BadChecksum";
    }
    return "?";
}

FrameStatus decodeScanFrame(std::span<const std::uint8_t> bytes, bool checksum, bool skipFirst,
                            ScanFrame& frame)
{
    frame = ScanFrame{};
    std::size_t start = 0;
    if (skipFirst) {
        if (bytes.empty())
            return FrameStatus::Truncated;
        start = 1;
    } else {
        if (bytes.empty())
            return FrameStatus::Truncated;
        if (bytes[0] == kNoScanByte)
            return FrameStatus::NoScan;
        if (bytes[0] == kLeadByte)
            start = 1;
    }

    WordReader in(bytes, start);
    for (std::uint16_t& word : frame.header) {
        if (!in.word(word))
            return FrameStatus::Truncated;
        if (&word == &frame.header[0] && word != 0xFFFF)
            return FrameStatus::BadHeader;
    }
    frame.mode = frame.header[6];
    if (!isValidPixelMode(frame.mode))
        return FrameStatus::BadMode;
    frame.form = frame.mode & 0xFF;
    const int family = frame.mode >> 8;
    frame.compressed = (family & 1) != 0;
    frame.twoValues = family >= 2;

    switch (frame.form) {
    case 1:
    case 2:
        if (!in.word(frame.step))
            return FrameStatus::Truncated;
        break;
    case 3:
        if (!in.word(frame.first) || !in.word(frame.last) || !in.word(frame.step))
            return FrameStatus::Truncated;
        break;
    case 4: {
        std::uint16_t count = 0;
        if (!in.word(count))
            return FrameStatus::Truncated;
        if (count > kFramePixels)
            return FrameStatus::BadLength;
        frame.pixelNumbers.resize(count);
        for (std::uint16_t& number : frame.pixelNumbers) {
            if (!in.word(number))
                return FrameStatus::Truncated;
        }
        break;
    }
    default:
        break;
    }
    const long count = valueCount(frame);
    if (count < 0)
        return FrameStatus::BadLength;

    frame.values.resize(static_cast<std::size_t>(count));
    std::uint16_t sum = 0;
    for (long k = 0; k < count; ++k) {
        std::uint16_t value = 0;
        if (!frame.compressed || k == 0) {
            if (!in.word(value))
                return FrameStatus::Truncated;
            sum = static_cast<std::uint16_t>(sum + value);
        } else {
            std::uint8_t code = 0;
            if (!in.byte(code))
                return FrameStatus::Truncated;
            if (code == kDeltaEscape) {
                if (!in.word(value))
                    return FrameStatus::Truncated;
                sum = static_cast<std::uint16_t>(sum + kDeltaEscape + value);
            } else {
                value = static_cast<std::uint16_t>(frame.values[static_cast<std::size_t>(k - 1)] +
                                                   static_cast<std::int8_t>(code));
                sum = static_cast<std::uint16_t>(sum + code);
            }
        }
        frame.values[static_cast<std::size_t>(k)] = value;
    }
    frame.sum = sum;

    std::uint16_t marker = 0;
    if (!in.word(marker))
        return FrameStatus::Truncated;
    if (marker != 0xFFFD) {
        frame.length = in.position();
        return FrameStatus::NoEndMarker;
    }
    if (checksum) {
        std::uint16_t sent = 0;
        if (!in.word(sent))
            return FrameStatus::Truncated;
        frame.length = in.position();
        if (sent != sum)
            return FrameStatus::BadChecksum;
    }
    frame.length = in.position();
    return FrameStatus::Ok;
}

void fillScanBuffer(const ScanFrame& frame, bool interpolate,
                    std::span<std::uint16_t, kScanBufferWords> buffer)
{
    std::copy(frame.header.begin(), frame.header.end(), buffer.begin());
    std::span<std::uint16_t> pixels = buffer.subspan(kScanBufferPixelWord, kFramePixels);
    std::fill(pixels.begin(), pixels.end(), std::uint16_t{0});
    const int half = halfPixels(frame.twoValues);
    const int halves = frame.twoValues ? 2 : 1;
    const std::size_t perHalf = frame.values.size() / static_cast<std::size_t>(halves);

    auto put = [&](long pixel, std::uint16_t value) {
        if (pixel >= 0 && pixel < kFramePixels)
            pixels[static_cast<std::size_t>(pixel)] = value;
    };

    switch (frame.form) {
    case 0:
        for (std::size_t i = 0; i < frame.values.size() && i < pixels.size(); ++i)
            pixels[i] = frame.values[i];
        break;
    case 1:
    case 2: {
        buffer[7] = frame.step;
        const int n = frame.step;
        for (int h = 0; h < halves; ++h) {
            const std::uint16_t* received = frame.values.data() + h * perHalf;
            const long base = static_cast<long>(h) * half;
            for (std::size_t j = 0; j < perHalf; ++j) {
                if (!interpolate) {
                    if (received[j] != kMissingPixel)
                        put(base + static_cast<long>(j), received[j]);
                    continue;
                }
                const float a = received[j];
                const float b = j + 1 < perHalf ? received[j + 1] : received[j];
                for (int k = 0; k < n; ++k) {
                    const long p = static_cast<long>(j) * n + k;
                    if (p >= half)
                        break;
                    put(base + p, static_cast<std::uint16_t>(a + static_cast<float>(k) * (b - a) /
                                                                     static_cast<float>(n)));
                }
            }
        }
        break;
    }
    case 3:
        buffer[7] = frame.first;
        buffer[8] = frame.last;
        buffer[9] = frame.step;
        for (int h = 0; h < halves; ++h) {
            for (std::size_t k = 0; k < perHalf; ++k)
                put(static_cast<long>(h) * half + frame.first + static_cast<long>(k) * frame.step,
                    frame.values[h * perHalf + k]);
        }
        break;
    case 4: {
        // The record that names the pixels holds 81 numbers; longer lists keep only those.
        const std::size_t kept = std::min(frame.pixelNumbers.size(), kListArguments);
        std::copy_n(frame.pixelNumbers.begin(), kept, buffer.begin() + 7);
        for (int h = 0; h < halves; ++h) {
            for (std::size_t k = 0; k < perHalf && k < frame.pixelNumbers.size(); ++k)
                put(static_cast<long>(h) * half + frame.pixelNumbers[k],
                    frame.values[h * perHalf + k]);
        }
        break;
    }
    default:
        break;
    }
}

std::vector<std::uint16_t> sampledValues(const FrameLayout& layout,
                                         std::span<const std::uint16_t> pixels)
{
    const int form = layout.mode & 0xFF;
    const bool twoValues = (layout.mode >> 8) >= 2;
    const int half = halfPixels(twoValues);
    const int halves = twoValues ? 2 : 1;
    auto at = [&](long p) -> std::uint16_t {
        return p >= 0 && static_cast<std::size_t>(p) < pixels.size()
                   ? pixels[static_cast<std::size_t>(p)]
                   : std::uint16_t{0};
    };
    std::vector<std::uint16_t> values;
    switch (form) {
    case 0:
        for (int i = 0; i < kFramePixels; ++i)
            values.push_back(at(i));
        break;
    case 1:
    case 2: {
        const int n = std::max<int>(layout.step, 1);
        const int m = everyNthCount(n, half);
        for (int h = 0; h < halves; ++h)
            for (int k = 0; k < m; ++k)
                values.push_back(at(static_cast<long>(h) * half + static_cast<long>(k) * n));
        break;
    }
    case 3: {
        const int step = std::max<int>(layout.step, 1);
        for (int h = 0; h < halves; ++h)
            for (long p = layout.first; p <= layout.last; p += step)
                values.push_back(at(static_cast<long>(h) * half + p));
        break;
    }
    case 4:
        for (int h = 0; h < halves; ++h)
            for (std::uint16_t p : layout.pixelNumbers)
                values.push_back(at(static_cast<long>(h) * half + p));
        break;
    default:
        break;
    }
    return values;
}

std::vector<std::uint8_t> encodeScanFrame(const FrameLayout& layout,
                                          std::span<const std::uint16_t> pixels,
                                          std::array<std::uint16_t, 5> header, bool leadByte,
                                          bool checksum)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(6200);
    if (leadByte)
        bytes.push_back(kLeadByte);
    appendWord(bytes, 0xFFFF);
    for (std::uint16_t word : header)
        appendWord(bytes, word);
    appendWord(bytes, layout.mode);
    const int form = layout.mode & 0xFF;
    const bool compressed = ((layout.mode >> 8) & 1) != 0;
    if (form == 1 || form == 2) {
        appendWord(bytes, layout.step);
    } else if (form == 3) {
        appendWord(bytes, layout.first);
        appendWord(bytes, layout.last);
        appendWord(bytes, layout.step);
    } else if (form == 4) {
        appendWord(bytes, static_cast<std::uint16_t>(layout.pixelNumbers.size()));
        for (std::uint16_t p : layout.pixelNumbers)
            appendWord(bytes, p);
    }
    const std::vector<std::uint16_t> values = sampledValues(layout, pixels);
    std::uint16_t sum = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::uint16_t value = values[k];
        if (!compressed || k == 0) {
            appendWord(bytes, value);
            sum = static_cast<std::uint16_t>(sum + value);
            continue;
        }
        const int delta = static_cast<int>(value) - static_cast<int>(values[k - 1]);
        if (delta >= -127 && delta <= 127) {
            const auto code = static_cast<std::uint8_t>(static_cast<std::int8_t>(delta));
            bytes.push_back(code);
            sum = static_cast<std::uint16_t>(sum + code);
        } else {
            bytes.push_back(kDeltaEscape);
            appendWord(bytes, value);
            sum = static_cast<std::uint16_t>(sum + kDeltaEscape + value);
        }
    }
    appendWord(bytes, 0xFFFD);
    if (checksum)
        appendWord(bytes, sum);
    return bytes;
}

} // namespace driver::serial
