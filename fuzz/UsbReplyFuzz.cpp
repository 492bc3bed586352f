// The EZ-USB models' decoders fed any device reply: spectrum blocks (the common layout and
// the Xandel's), serial-number, slot and string-descriptor replies, firmware versions,
// endpoint lists, the Xandel's status and temperature replies and the BrontelUSB's DAC
// reply. The first byte picks the decoder, the rest is the reply.

#include "driver/usb/BrontelUsbProtocol.h"
#include "driver/usb/UsbProtocol.h"
#include "driver/usb/XandelProtocol.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

using namespace driver::usb;

namespace {

bool isDecodeStatus(DecodeStatus status)
{
    return status == DecodeStatus::Ok || status == DecodeStatus::Truncated ||
           status == DecodeStatus::BadSync;
}

// The pixels are untouched unless the block decodes.
template <typename Decode> void checkBlock(Decode decode)
{
    std::array<std::uint16_t, kBlockPixels> pixels;
    pixels.fill(0xBEEF);
    const DecodeStatus status = decode(std::span<std::uint16_t, kBlockPixels>(pixels));
    FUZZ_CHECK(isDecodeStatus(status));
    if (status != DecodeStatus::Ok) {
        FUZZ_CHECK(
            std::all_of(pixels.begin(), pixels.end(), [](std::uint16_t p) { return p == 0xBEEF; }));
    }
}

// A reply copied to a vector of its exact size, so a read past it is caught.
template <std::size_t N> std::array<std::uint8_t, N> fixedReply(std::span<const std::uint8_t> bytes)
{
    std::array<std::uint8_t, N> reply{};
    std::copy_n(bytes.begin(), std::min(N, bytes.size()), reply.begin());
    return reply;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t pick = data[0];
    const std::vector<std::uint8_t> reply(data + 1, data + size);
    const std::span<const std::uint8_t> bytes(reply);

    switch (pick % 8) {
    case 0:
        checkBlock([&](auto pixels) {
            const DecodeStatus status = unpackSpectrumBlock(bytes, pixels);
            if (status == DecodeStatus::Ok) {
                // 12-bit pixels.
                FUZZ_CHECK(std::all_of(pixels.begin(), pixels.end(),
                                       [](std::uint16_t p) { return p <= 0x0FFF; }));
            }
            return status;
        });
        break;
    case 1: {
        const std::size_t pixels =
            (pick >> 3) % 2 == 0 ? xandel::kWessorPixels : xandel::kVelkoPixels;
        checkBlock([&](auto out) {
            const DecodeStatus status = xandel::unpackBlock(bytes, pixels, out);
            if (status == DecodeStatus::Ok) {
                FUZZ_CHECK(out[0] == 0);
                FUZZ_CHECK(std::all_of(out.begin() + pixels, out.end(),
                                       [](std::uint16_t p) { return p == 0; }));
            }
            return status;
        });
        break;
    }
    case 2:
        FUZZ_CHECK(decodeSerialReply(bytes).size() <= kInfoSlotChars);
        break;
    case 3:
        FUZZ_CHECK(decodeSlotReply(bytes).size() <= kInfoSlotChars);
        break;
    case 4: {
        const std::size_t maxChars = pick >> 3;
        const std::string text = decodeStringDescriptor(bytes, maxChars);
        FUZZ_CHECK(text.size() <= maxChars);
        FUZZ_CHECK(text.size() <= bytes.size() / 2);
        break;
    }
    case 5:
        (void)parseFirmwareVersion(
            std::string_view(reinterpret_cast<const char*>(reply.data()), reply.size()));
        (void)isMakerInterface(bytes);
        break;
    case 6: {
        const auto status = fixedReply<xandel::kStatusReplyBytes>(bytes);
        (void)xandel::decodeStatus(status);
        const auto temperatures = fixedReply<xandel::kTemperatureReplyBytes>(bytes);
        (void)xandel::decodeTemperatures(temperatures);
        break;
    }
    default: {
        const auto dac = fixedReply<3>(bytes);
        const int channel = pick >> 3;
        const int value = brontel::decodeDacValue(channel, dac);
        FUZZ_CHECK(value >= 0 && value <= 0xFFFF);
        if (channel != brontel::kDacStatusChannel) {
            FUZZ_CHECK(value <= 0x0FFF);
        }
        break;
    }
    }
    return 0;
}
