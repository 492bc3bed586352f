#include "driver/serial/SerialAdcProtocol.h"

#include "driver/serial/ScanBusy.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace driver::serial;
using Bytes = std::vector<std::uint8_t>;

std::vector<std::uint16_t> rampPixels()
{
    std::vector<std::uint16_t> pixels(kFramePixels);
    for (int i = 0; i < kFramePixels; ++i)
        pixels[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(2000 + (i * 37) % 300);
    return pixels;
}

TEST(SerialAdcProtocol, CommandsAreLetterThenBigEndianWords)
{
    EXPECT_EQ(encodeCommand('I', {0x1234}), (Bytes{'I', 0x12, 0x34}));
    EXPECT_EQ(encodeCommand('c', {1, 0xFFFF}), (Bytes{'c', 0, 1, 0xFF, 0xFF}));
    EXPECT_EQ(encodeCommand('S', {}), (Bytes{'S'}));
    EXPECT_EQ(encodeQuery('x', {3}), (Bytes{'?', 'x', 0, 3}));
    EXPECT_TRUE(isValidPixelMode(772));
    EXPECT_FALSE(isValidPixelMode(773));
    EXPECT_FALSE(isValidPixelMode(5));
}

struct FrameCase
{
    const char* name;
    FrameLayout layout;
    bool lead;
    bool checksum;
};

class FrameRoundTrip : public testing::TestWithParam<FrameCase>
{};

// Every form, plain and compressed, with and without lead byte and sum: the decoder reads
// back exactly the values the encoder sampled, and needs every byte of the frame.
TEST_P(FrameRoundTrip, DecodesWhatWasEncoded)
{
    const FrameCase& c = GetParam();
    const std::vector<std::uint16_t> pixels = rampPixels();
    const Bytes bytes = encodeScanFrame(c.layout, pixels, {1, 2, 3, 4, 5}, c.lead, c.checksum);
    ScanFrame frame;
    ASSERT_EQ(decodeScanFrame(bytes, c.checksum, false, frame), FrameStatus::Ok);
    EXPECT_EQ(frame.length, bytes.size());
    EXPECT_EQ(frame.values, sampledValues(c.layout, pixels));
    EXPECT_EQ(frame.header[6], c.layout.mode);
    EXPECT_EQ(frame.header[3], 3);
    // One byte short is never whole.
    const Bytes shorter(bytes.begin(), bytes.end() - 1);
    EXPECT_EQ(decodeScanFrame(shorter, c.checksum, false, frame), FrameStatus::Truncated);
    // A flipped sum is caught.
    if (c.checksum) {
        Bytes wrong = bytes;
        wrong.back() ^= 1;
        EXPECT_EQ(decodeScanFrame(wrong, true, false, frame), FrameStatus::BadChecksum);
    }
    // A lost end marker is caught.
    Bytes noMarker = bytes;
    noMarker[bytes.size() - (c.checksum ? 4 : 2)] = 0;
    EXPECT_EQ(decodeScanFrame(noMarker, c.checksum, false, frame), FrameStatus::NoEndMarker);
}

FrameLayout layout(std::uint16_t mode, std::uint16_t step = 1, std::uint16_t first = 0,
                   std::uint16_t last = 0, std::vector<std::uint16_t> list = {})
{
    return FrameLayout{mode, step, first, last, std::move(list)};
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FrameRoundTrip,
    testing::Values(FrameCase{"all_plain", layout(0), false, false},
                    FrameCase{"all_plain_sum_lead", layout(0), true, true},
                    FrameCase{"all_compressed_sum", layout(256), false, true},
                    FrameCase{"every2_plain", layout(1, 2), false, true},
                    FrameCase{"every3_compressed", layout(257, 3), true, true},
                    FrameCase{"every5_form2", layout(2, 5), false, false},
                    FrameCase{"range_plain", layout(3, 4, 10, 90), false, true},
                    FrameCase{"range_compressed", layout(259, 1, 0, 2047), false, true},
                    FrameCase{"list_plain", layout(4, 1, 0, 0, {5, 9, 2047}), false, true},
                    FrameCase{"list_compressed", layout(260, 1, 0, 0, {1, 2, 3, 100}), false, true},
                    FrameCase{"two_values_all", layout(512), false, true},
                    FrameCase{"two_values_every2_compressed", layout(769, 2), false, true},
                    FrameCase{"two_values_list", layout(516, 1, 0, 0, {7, 8}), true, true}),
    [](const testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

TEST(SerialAdcProtocol, PlainAllPixelFrameHasTheDocumentedSize)
{
    const std::vector<std::uint16_t> pixels = rampPixels();
    EXPECT_EQ(encodeScanFrame(layout(0), pixels, {}, false, true).size(), 4114u);
    ScanFrame frame;
    const Bytes bytes = encodeScanFrame(layout(0), pixels, {}, false, false);
    ASSERT_EQ(decodeScanFrame(bytes, false, false, frame), FrameStatus::Ok);
    EXPECT_EQ(bytes[4110], 0xFF);
    EXPECT_EQ(bytes[4111], 0xFD);
}

Bytes header(std::uint16_t mode)
{
    return Bytes{0xFF,
                 0xFF,
                 0,
                 0,
                 0,
                 0,
                 0,
                 0,
                 0,
                 0,
                 0,
                 0,
                 static_cast<std::uint8_t>(mode >> 8),
                 static_cast<std::uint8_t>(mode)};
}

TEST(SerialAdcProtocol, DeltaCodesAndTheirSum)
{
    // Range of three pixels, compressed: 0x1000, then -2 (0xFE), then escaped 0x1234.
    Bytes bytes = header(259);
    for (std::uint8_t b : {0, 0, 0, 2, 0, 1, 0x10, 0x00, 0xFE, 0x80, 0x12, 0x34, 0xFF, 0xFD})
        bytes.push_back(b);
    const std::uint16_t sum = 0x1000 + 0xFE + 0x80 + 0x1234;
    bytes.push_back(static_cast<std::uint8_t>(sum >> 8));
    bytes.push_back(static_cast<std::uint8_t>(sum));
    ScanFrame frame;
    ASSERT_EQ(decodeScanFrame(bytes, true, false, frame), FrameStatus::Ok);
    EXPECT_EQ(frame.values, (std::vector<std::uint16_t>{0x1000, 0x0FFE, 0x1234}));
}

TEST(SerialAdcProtocol, MalformedFramesGetAReason)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        bool skipFirst;
        FrameStatus expected;
    };
    Bytes stepZero = header(1);
    stepZero.insert(stepZero.end(), {0, 0});
    Bytes backwards = header(3);
    backwards.insert(backwards.end(), {0, 9, 0, 3, 0, 1});
    Bytes longList = header(4);
    longList.insert(longList.end(), {0x10, 0x00});
    const Case cases[] = {
        {"no_scan", {0x03, 0xFF}, false, FrameStatus::NoScan},
        {"empty", {}, false, FrameStatus::Truncated},
        {"bad_mark", {0xFF, 0xFE, 0, 0}, false, FrameStatus::BadHeader},
        {"readout_bad_mark", {0x02, 0x12, 0x34}, true, FrameStatus::BadHeader},
        {"garbage", Bytes(40, 0x55), false, FrameStatus::BadHeader},
        {"unknown_mode", header(5), false, FrameStatus::BadMode},
        {"mode_above_772", header(773), false, FrameStatus::BadMode},
        {"step_zero", stepZero, false, FrameStatus::BadLength},
        {"range_backwards", backwards, false, FrameStatus::BadLength},
        {"list_too_long", longList, false, FrameStatus::BadLength},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanFrame frame;
        EXPECT_EQ(decodeScanFrame(c.bytes, true, c.skipFirst, frame), c.expected);
    }
}

TEST(SerialAdcProtocol, EveryNthPixelsAreInterpolatedOrPacked)
{
    std::vector<std::uint16_t> pixels(kFramePixels);
    for (int i = 0; i < kFramePixels; ++i)
        pixels[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i % 4 == 0 ? i * 4 : 7);
    const Bytes bytes = encodeScanFrame(layout(1, 2), pixels, {}, false, false);
    ScanFrame frame;
    ASSERT_EQ(decodeScanFrame(bytes, false, false, frame), FrameStatus::Ok);
    ASSERT_EQ(frame.values.size(), 1024u);

    std::array<std::uint16_t, kScanBufferWords> buffer{};
    fillScanBuffer(frame, true, buffer);
    EXPECT_EQ(buffer[7], 2);
    const std::uint16_t* out = buffer.data() + kScanBufferPixelWord;
    for (int k = 0; k < 1023; ++k) {
        const auto a = frame.values[static_cast<std::size_t>(k)];
        const auto b = frame.values[static_cast<std::size_t>(k) + 1];
        ASSERT_EQ(out[2 * k], a) << k;
        ASSERT_EQ(out[2 * k + 1], static_cast<std::uint16_t>(a + (b - a) / 2.0f)) << k;
    }

    Bytes missing = bytes;
    // Value 0xFFFD in place of the second received value (bytes 18 and 19).
    missing[18] = 0xFF;
    missing[19] = 0xFD;
    ASSERT_EQ(decodeScanFrame(missing, false, false, frame), FrameStatus::Ok);
    fillScanBuffer(frame, false, buffer);
    EXPECT_EQ(out[0], frame.values[0]);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], frame.values[2]);
    EXPECT_EQ(out[1023], frame.values[1023]);
    EXPECT_EQ(out[1024], 0);
}

TEST(SerialAdcProtocol, ListNumbersBeyondTheRecordAreNotCopiedOverThePixels)
{
    std::vector<std::uint16_t> list(100);
    std::iota(list.begin(), list.end(), std::uint16_t{500});
    const std::vector<std::uint16_t> pixels = rampPixels();
    const Bytes bytes = encodeScanFrame(layout(4, 1, 0, 0, list), pixels, {}, false, true);
    ScanFrame frame;
    ASSERT_EQ(decodeScanFrame(bytes, true, false, frame), FrameStatus::Ok);
    std::array<std::uint16_t, kScanBufferWords> buffer{};
    fillScanBuffer(frame, true, buffer);
    EXPECT_EQ(buffer[7], 500);
    EXPECT_EQ(buffer[7 + 80], 580);
    EXPECT_EQ(buffer[kScanBufferPixelWord], 0); // pixel 0 is not in the list
    EXPECT_EQ(buffer[kScanBufferPixelWord + 599], pixels[599]);
}

TEST(ScanBusyFlag, TryWaitAndForcedClear)
{
    ScanBusyFlag& flag = scanBusyFlag();
    const std::uint64_t token = flag.tryAcquireToken();
    ASSERT_NE(token, 0u);
    EXPECT_FALSE(flag.tryAcquire());
    std::jthread clearer([&flag] { flag.forceClear(); });
    flag.waitWhileBusy();
    clearer.join();
    // Raised anew by another scan: the first holder's release leaves it up.
    const std::uint64_t second = flag.tryAcquireToken();
    ASSERT_NE(second, 0u);
    flag.releaseToken(token);
    EXPECT_TRUE(flag.isBusy());
    EXPECT_FALSE(flag.isHeldBy(token));
    EXPECT_TRUE(flag.isHeldBy(second));
    flag.releaseToken(second);
    EXPECT_FALSE(flag.isBusy());
}

} // namespace
