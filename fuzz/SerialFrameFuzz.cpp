// The serial A/D converter's frame decoder fed any bytes, in every mode of reading (lead
// byte or not, with or without the sum), and what it decodes written into a scan buffer.

#include "driver/serial/SerialAdcProtocol.h"
#include "fuzz/FuzzCheck.h"

#include <array>
#include <vector>

using namespace driver::serial;

namespace {

bool isFrameStatus(FrameStatus status)
{
    switch (status) {
    case FrameStatus::Ok:
    case FrameStatus::NoScan:
    case FrameStatus::Truncated:
    case FrameStatus::BadHeader:
    case FrameStatus::BadMode:
    case FrameStatus::BadLength:
    case FrameStatus::NoEndMarker:
    case FrameStatus::BadChecksum:
        return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const std::vector<std::uint8_t> bytes(data + 1, data + size);

    ScanFrame frame;
    const FrameStatus status = decodeScanFrame(bytes, (flags & 1) != 0, (flags & 2) != 0, frame);
    FUZZ_CHECK(isFrameStatus(status));
    FUZZ_CHECK(frameStatusName(status) != nullptr);
    if (status != FrameStatus::Ok) {
        return 0;
    }
    FUZZ_CHECK(frame.length <= bytes.size());
    FUZZ_CHECK(isValidPixelMode(frame.mode));
    FUZZ_CHECK(frame.values.size() <= 2 * static_cast<std::size_t>(kFramePixels));
    std::array<std::uint16_t, kScanBufferWords> buffer{};
    fillScanBuffer(frame, (flags & 4) != 0, buffer);
    return 0;
}
