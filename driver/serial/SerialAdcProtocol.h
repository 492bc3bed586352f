#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

// The serial A/D converter's byte protocol, as pure functions over bytes (no I/O, no clock).
//
// Commands are one letter (queries "?" and a letter) followed by 16-bit arguments, high
// byte first; the converter acknowledges with kAck. A scan ("S", or "Z" for a memory
// read-out) is answered by one frame:
//   [0x02]            optional lead byte (a read-out frame always has one lead byte)
//   0x03              instead of a frame: the converter has no scan
//   FF FF             header mark (word 0)
//   6 words           header words 1 to 6; word 6 is the pixel mode
//   pixel data        by the pixel mode (below)
//   FF FD             end marker
//   [sum]             checksum mode only: 16-bit sum of the transmitted values
// Pixel mode: low byte the form, high byte the family (0 plain, 1 compressed, 2 plain with
// two values per pixel, 3 compressed with two values per pixel).
//   form 0: every pixel (2048 values)
//   form 1, 2: every n-th pixel; word n, then m values with m the least count of
//              m x n >= 2048 (two-value families: 2 x m with m x n >= 1024)
//   form 3: a range; words first, last, step, then (last - first) / step + 1 values
//   form 4: a list; word N, N pixel numbers, then N values
// Two-value families carry twice the values. Compressed data is the first value as a
// word, then one delta code per further value: 0x80 and a 16-bit word that is the value
// itself, or a signed byte added to the previous value. The sum of a compressed frame
// counts the first value as itself, an escaped value as 128 + the value and a delta byte
// as its unsigned byte value; plain frames sum their values. Sums wrap at 16 bits.
namespace driver::serial {

inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kLeadByte = 0x02;
inline constexpr std::uint8_t kNoScanByte = 0x03;
inline constexpr std::uint8_t kDeltaEscape = 0x80;
inline constexpr int kFramePixels = 2048;
inline constexpr int kHeaderWords = 7;
inline constexpr std::size_t kListArguments = 81; // pixel numbers a pixel-mode record holds
inline constexpr std::uint16_t kHighestPixelMode = 772;

// The scan buffer handed to KAL_Scan: header words, pixel step, then the pixels.
inline constexpr std::size_t kScanBufferWords = 2136;
inline constexpr std::size_t kScanBufferPixelWord = 88;
inline constexpr std::uint16_t kMissingPixel = 0xFFFD;

// Bytes of a command: the letter (or "?" and the letter), then each argument high byte first.
std::vector<std::uint8_t> encodeCommand(char letter, std::initializer_list<std::uint16_t> args);
std::vector<std::uint8_t> encodeQuery(char letter, std::initializer_list<std::uint16_t> args = {});

// Whether a pixel mode names a known form (0 to 4) in a known family (0 to 3).
bool isValidPixelMode(std::uint16_t mode);

enum class FrameStatus
{
    Ok,
    NoScan,      // the converter answered 0x03
    Truncated,   // more bytes are needed
    BadHeader,   // word 0 is not 0xFFFF
    BadMode,     // the pixel mode in header word 6 is unknown
    BadLength,   // the frame's own counts are impossible (step 0, range backwards, ...)
    NoEndMarker, // the bytes after the pixel data are not FF FD
    BadChecksum, // the sum differs
};

const char* frameStatusName(FrameStatus status);

struct ScanFrame
{
    std::array<std::uint16_t, kHeaderWords> header{};
    std::uint16_t mode = 0;
    int form = 0;
    bool compressed = false;
    bool twoValues = false;
    std::uint16_t step = 1;                  // every-n-th forms: n; range form: the step
    std::uint16_t first = 0;                 // range form
    std::uint16_t last = 0;                  // range form
    std::vector<std::uint16_t> pixelNumbers; // list form
    std::vector<std::uint16_t> values;       // as transmitted, in order
    std::uint16_t sum = 0;                   // computed over the transmitted values
    std::size_t length = 0;                  // bytes of the frame, lead byte included
};

// Decodes one frame from the start of `bytes`. `skipFirst` drops one leading byte (memory
// read-out frames); otherwise a lead byte 0x02 is skipped. With `checksum` the sum after the
// end marker is checked. Truncated until every byte the frame announces has arrived.
FrameStatus decodeScanFrame(std::span<const std::uint8_t> bytes, bool checksum, bool skipFirst,
                            ScanFrame& frame);

// Writes a decoded frame into a scan buffer of kScanBufferWords words: header words 0 to 6,
// word 7 the pixel step (every-n-th forms) or the pixel numbers of a list (at most 81),
// pixels from word 88. Every-n-th forms fill the pixels between received ones by linear
// interpolation when `interpolate`, else store the received values in order (a value
// 0xFFFD leaves its pixel 0). Two-value families put the second values at pixels 1024 on.
void fillScanBuffer(const ScanFrame& frame, bool interpolate,
                    std::span<std::uint16_t, kScanBufferWords> buffer);

// What a frame carries, for the encoder (the simulator and tests).
struct FrameLayout
{
    std::uint16_t mode = 0;
    std::uint16_t step = 1;                  // every-n-th and range forms
    std::uint16_t first = 0;                 // range form
    std::uint16_t last = 0;                  // range form
    std::vector<std::uint16_t> pixelNumbers; // list form
};

// Encodes the frame the converter sends for `pixels` (2048 values) under `layout`, with
// header words 1 to 5 from `header`, an optional lead byte and an optional sum.
std::vector<std::uint8_t> encodeScanFrame(const FrameLayout& layout,
                                          std::span<const std::uint16_t> pixels,
                                          std::array<std::uint16_t, 5> header, bool leadByte,
                                          bool checksum);

// The values a frame of `layout` transmits for `pixels`, in order.
std::vector<std::uint16_t> sampledValues(const FrameLayout& layout,
                                         std::span<const std::uint16_t> pixels);

} // namespace driver::serial
