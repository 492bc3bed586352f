#include "driver/usb/PellarTransport.h"

#include "driver/core/DriverPlatform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <vector>

namespace driver::usb {
namespace {

constexpr unsigned kPellarWriteTimeoutMs = 1000;
constexpr unsigned kPellarReplyTimeoutMs = 1000;

struct PellarDevice
{
    std::atomic<Handle> handle{kNoHandle};
    std::atomic<std::size_t> reported{0}; // the block length follows this one
    std::atomic<std::size_t> pixels{0};   // what the library keeps: at most 2048
    std::atomic<int> lastIntegration{0};
    std::mutex infoMutex; // guards info
    PellarInfo info;
};

PellarDevice& device()
{
    static PellarDevice instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_deviceMadeAtLoad = (device(), true);

// The transport's boxes ignore the driver-message switch: a failed transfer is always
// told. The platform hook shows a box raised on a driver thread later, without blocking.
void showPellarError(const char* text)
{
    core::driverPlatform().messageBox(text, kPellarErrorCaption, core::kMbOk);
}

bool validHandle(Handle handle)
{
    return handle != 0 && handle != kNoHandle;
}

// A bulk write on the command pipe; `report` marks the transfers whose failures are shown.
bool pellarWrite(Handle handle, std::span<const std::uint8_t> bytes, bool report)
{
    if (!validHandle(handle)) {
        if (report)
            showPellarError("Invalid Handle Value");
        return false;
    }
    if (ezusbDriver().bulkWrite(handle, kCommandPipe, bytes, kPellarWriteTimeoutMs))
        return true;
    if (report)
        showPellarError("Bulk Write Failed");
    return false;
}

// A bulk read; the bytes read, or nothing. A read ended by `cancel` is not reported.
std::optional<std::size_t> pellarRead(Handle handle, int pipe, std::span<std::uint8_t> data,
                                      unsigned timeoutMs, const std::function<bool()>& cancel)
{
    if (!validHandle(handle)) {
        showPellarError("Invalid Handle Value");
        return std::nullopt;
    }
    const auto got = ezusbDriver().bulkRead(handle, pipe, data, timeoutMs, cancel);
    if (!got && !(cancel && cancel()))
        showPellarError("Bulk Read Failed");
    return got;
}

bool sendCommand2(Handle handle, std::uint8_t command, bool report)
{
    const std::array<std::uint8_t, 2> bytes{command, 0x00};
    return pellarWrite(handle, bytes, report);
}

unsigned pellarBlockTimeoutMs()
{
    return static_cast<unsigned>(std::max(device().lastIntegration.load(), 0)) + 1000;
}

} // namespace

Handle pellarHandle()
{
    return device().handle.load();
}

void setPellarHandle(Handle handle)
{
    device().handle = handle;
}

std::size_t pellarPixelCount()
{
    return device().pixels.load();
}

PellarInfo pellarInfo()
{
    std::lock_guard lock(device().infoMutex);
    return device().info;
}

int lastPellarIntegration()
{
    return device().lastIntegration.load();
}

void setLastPellarIntegration(int ms)
{
    device().lastIntegration = ms;
}

void resetPellarTransport()
{
    PellarDevice& d = device();
    d.handle = kNoHandle;
    d.reported = 0;
    d.pixels = 0;
    d.lastIntegration = 0;
    std::lock_guard lock(d.infoMutex);
    d.info = PellarInfo{};
}

Handle OpenPellarByIndex(int index)
{
    if (index < 0)
        return kNoHandle;
    return ezusbDriver().open(devicePathFor(index));
}

std::string ReadPellarSerial(Handle handle)
{
    if (!sendCommand2(handle, kPellarSerial, true))
        return {};
    std::array<std::uint8_t, kPellarSerialReplyBytes> reply{};
    const auto got = pellarRead(handle, kReplyPipe, reply, kPellarReplyTimeoutMs, {});
    if (!got || *got != reply.size())
        return {};
    return decodeSerialReply(reply);
}

int FindPellarBySerial(const std::string& wanted)
{
    for (int index = 0; index <= kMaxPellarIndex; ++index) {
        const Handle handle = OpenPellarByIndex(index);
        if (handle == kNoHandle)
            continue;
        // Without a wanted serial the first device that opens is taken, whatever it is.
        const bool match = wanted.empty() || ReadPellarSerial(handle) == wanted;
        ClosePellarDevice(handle);
        if (match)
            return index;
    }
    return -1;
}

Handle OpenPellarBySerial(const std::string& wanted)
{
    return OpenPellarByIndex(FindPellarBySerial(wanted));
}

int InitPellarDevice(Handle handle)
{
    if (!sendCommand2(handle, kPellarInit, true))
        return 0;
    QueryPellarInfo(handle);
    return 1;
}

int QueryPellarInfo(Handle handle)
{
    if (!sendCommand2(handle, kPellarQueryInfo, true))
        return 0;
    std::array<std::uint8_t, kPellarInfoReplyBytes> reply{};
    const auto got = pellarRead(handle, kReplyPipe, reply, kPellarReplyTimeoutMs, {});
    if (!got || *got != reply.size())
        return 0;
    const auto info = decodePellarInfo(reply);
    if (!info)
        return 0;
    PellarDevice& d = device();
    {
        std::lock_guard lock(d.infoMutex);
        d.info = *info;
    }
    d.reported = info->pixelCount;
    d.pixels = clampPellarPixelCount(info->pixelCount);
    return 1;
}

int SetPellarIntegration(Handle handle, std::uint16_t ms)
{
    return pellarWrite(handle, encodePellarCommand16(kPellarIntegration, ms), true) ? 1 : 0;
}

int PellarStrobeEnable(Handle handle, std::uint16_t value)
{
    return pellarWrite(handle, encodePellarCommand16(kPellarStrobe, value), true) ? 1 : 0;
}

int RequestPellarSpectrum(Handle handle)
{
    if (sendCommand2(handle, kPellarRequestSpectrum, false))
        return 1;
    showPellarError("Request Spectrum Failed");
    return 0;
}

int ReadPellarBlock(Handle handle, std::span<std::uint16_t, kPellarMaxPixels> pixels,
                    const std::function<bool()>& cancel)
{
    // The device sends every pixel it has; the library keeps at most 2048 of them.
    const std::size_t reported = device().reported.load();
    const std::size_t count = std::min(reported, kPellarMaxPixels);
    // A device that has not told its pixel count has no block to read.
    if (count == 0)
        return 0;
    std::vector<std::uint8_t> block(pellarBlockBytes(reported));
    const auto got = pellarRead(handle, kSpectrumPipe, block, pellarBlockTimeoutMs(), cancel);
    if (!got)
        return 0;
    const DecodeStatus status =
        decodePellarBlock(std::span<const std::uint8_t>(block.data(), std::min(*got, block.size())),
                          reported, pixels);
    if (status == DecodeStatus::Ok)
        return static_cast<int>(count);
    core::driverPlatform().debugOutput("Not Synched\n");
    InitPellarDevice(handle);
    return 0;
}

PellarAcquisition AcquirePellar(Handle handle, int scans, std::span<float, kPellarMaxPixels> buffer,
                                const std::function<bool()>& cancel)
{
    std::fill(buffer.begin(), buffer.end(), 0.0f);
    PellarAcquisition result;
    std::array<std::uint16_t, kPellarMaxPixels> pixels{};
    for (int scan = 0; scan < scans; ++scan) {
        if (cancel && cancel())
            break;
        result.lastRequest = RequestPellarSpectrum(handle);
        const int count = result.lastRequest ? ReadPellarBlock(handle, pixels, cancel) : 0;
        if (count == 0)
            continue;
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
            buffer[i] += static_cast<float>(pixels[i]);
        ++result.added;
    }
    // Only the blocks that arrived are averaged: a failed one would pull the mean down.
    if (result.added > 0) {
        const auto divisor = static_cast<float>(result.added);
        for (float& value : buffer)
            value /= divisor;
    }
    return result;
}

void ClosePellarDevice(Handle handle)
{
    if (handle != kNoHandle)
        ezusbDriver().close(handle);
}

} // namespace driver::usb
