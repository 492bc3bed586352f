// The Pellar's decoders fed any device reply: the information reply, spectrum blocks of
// any announced pixel count, and the dark correction of what they decode. The first two
// bytes are the pixel count the device announced, the rest is the reply.

#include "driver/usb/PellarProtocol.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace driver::usb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    const std::uint16_t announced = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    const std::vector<std::uint8_t> reply(data + 2, data + size);

    if (const auto info = decodePellarInfo(reply)) {
        FUZZ_CHECK(reply.size() >= kPellarInfoReplyBytes);
        FUZZ_CHECK(info->pixelCount == (reply[0] << 8 | reply[1]));
    } else {
        FUZZ_CHECK(reply.size() < kPellarInfoReplyBytes);
    }

    const std::size_t pixels = clampPellarPixelCount(announced);
    FUZZ_CHECK(pixels <= kPellarMaxPixels && pixels <= announced);
    // An output of exactly the library's size, so a write past it is caught.
    std::vector<std::uint16_t> out(kPellarMaxPixels, 0xBEEF);
    const DecodeStatus status = decodePellarBlock(reply, pixels, out);
    if (status != DecodeStatus::Ok) {
        FUZZ_CHECK(status == DecodeStatus::Truncated || status == DecodeStatus::BadSync);
        FUZZ_CHECK(
            std::all_of(out.begin(), out.end(), [](std::uint16_t p) { return p == 0xBEEF; }));
        return 0;
    }
    FUZZ_CHECK(reply.size() == pellarBlockBytes(pixels));

    std::vector<float> spectrum(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(pixels));
    float even = 0.0f;
    float odd = 0.0f;
    correctPellarDark(spectrum, even, odd);
    FUZZ_CHECK(std::isfinite(even) && std::isfinite(odd));
    return 0;
}
