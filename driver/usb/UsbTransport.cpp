#include "driver/usb/UsbTransport.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/usb/UsbModelIds.h"
#include "platform/usb/LibusbBackend.h"
#include "platform/win/Profile.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace driver::usb {
namespace {

using platform::usb::EzusbDriver;

constexpr unsigned kWriteTimeoutMs = 1000;
constexpr unsigned kReplyTimeoutMs = 1000;
constexpr std::uint16_t kFirstLanguage = 0x001B;
constexpr std::uint16_t kFallbackLanguage = 0x0409;

// "VYKDRV.INI": $VYKDRV_INI, else the file in the user's configuration folder.
std::string configPath()
{
    if (const char* path = std::getenv("VYKDRV_INI"); path && *path)
        return path;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/VYKDRV.INI";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.config/VYKDRV.INI";
}

std::uint16_t configuredId(const std::string& path, const char* key, std::uint16_t fallback)
{
    char text[32] = {};
    platform::win::GetPrivateProfileString("USB", key, "", text, sizeof text, path.c_str());
    if (text[0] == '\0')
        return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (end == text || value > 0xFFFF)
        return fallback;
    return static_cast<std::uint16_t>(value);
}

std::shared_ptr<platform::usb::UsbBackend> libusbBackendFromConfig()
{
    const std::string path = configPath();
    const std::uint16_t vendor = configuredId(path, "VendorId", kDefaultVendorId);
    std::vector<platform::usb::UsbId> ids;
    for (auto [key, fallback] : {std::pair{"PavikProductId", kDefaultPavikProductId},
                                 std::pair{"SolviProductId", kDefaultSolviProductId},
                                 std::pair{"BrontelUsbProductId", kDefaultBrontelUsbProductId},
                                 std::pair{"VelkoProductId", kDefaultVelkoProductId},
                                 std::pair{"WessorProductId", kDefaultWessorProductId}})
        ids.push_back({vendor, configuredId(path, key, fallback)});
    static const platform::usb::LibusbApi api = platform::usb::realLibusbApi();
    return platform::usb::makeLibusbBackend(api, std::move(ids));
}

// The device lock: taken with a bounded wait. (A plain flag under a mutex rather than a
// timed mutex, whose timed wait the thread sanitizer cannot follow.)
class BoundedLock
{
public:
    bool tryLockFor(std::chrono::milliseconds bound)
    {
        std::unique_lock lock(m_mutex);
        if (!m_released.wait_for(lock, bound, [this] { return !m_held; }))
            return false;
        m_held = true;
        return true;
    }
    void unlock()
    {
        {
            std::lock_guard lock(m_mutex);
            m_held = false;
        }
        m_released.notify_one();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
};

struct UsbDeviceContext
{
    std::atomic<bool> ok{false};
    std::atomic<Handle> handle{kNoHandle};
    std::atomic<std::uint32_t> firmware{0};
    std::atomic<int> index{-1};
    std::atomic<bool> reinit{true};
    std::atomic<int> lastIntegration{0};
    std::atomic<bool> searching{false};
    std::atomic<std::size_t> blockSize{0};

    std::mutex stateMutex; // guards the serials, the driver pointer and the buffers' shape
    std::string currentSerial;
    std::string configuredSerial;
    std::shared_ptr<EzusbDriver> driver;

    // Taken for each command with its reply and each transfer; never while waiting for
    // the state mutex.
    BoundedLock deviceLock;
    std::vector<std::uint8_t> blockA; // kept for the layout; blocks are read into B
    std::vector<std::uint8_t> blockB;
    std::array<std::uint16_t, kBlockPixels> pixels{};
};

UsbDeviceContext& context()
{
    static UsbDeviceContext instance;
    return instance;
}

// The library's detach at unload or exit closes the device through the context: it is
// made when the library is loaded, so that it is destroyed only after that detach (exit
// handlers run in the reverse order of their registration).
[[maybe_unused]] const bool g_contextMadeAtLoad = (context(), true);

std::shared_ptr<EzusbDriver> driverRef()
{
    UsbDeviceContext& c = context();
    std::lock_guard lock(c.stateMutex);
    if (!c.driver)
        c.driver = std::make_shared<EzusbDriver>(libusbBackendFromConfig());
    return c.driver;
}

void debugText(const char* text)
{
    if (text)
        core::driverPlatform().debugOutput(text);
}

// The device lock, waited for with a bound so that an export never hangs behind a scan.
class DeviceLock
{
public:
    DeviceLock()
        : m_owned(context().deviceLock.tryLockFor(std::chrono::milliseconds(exportLockWaitMs())))
    {}
    ~DeviceLock()
    {
        if (m_owned)
            context().deviceLock.unlock();
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
    explicit operator bool() const { return m_owned; }

private:
    bool m_owned;
};

bool writeLocked(Handle handle, std::span<const std::uint8_t> bytes)
{
    return driverRef()->bulkWrite(handle, kCommandPipe, bytes, kWriteTimeoutMs);
}

std::optional<std::size_t> readLocked(Handle handle, int pipe, std::span<std::uint8_t> data,
                                      unsigned timeoutMs, const std::function<bool()>& cancel = {})
{
    return driverRef()->bulkRead(handle, pipe, data, timeoutMs, cancel);
}

// Writes a command and reads the whole reply on `handle`; nothing on any failure.
bool queryOn(Handle handle, std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
             std::uint32_t waitMs = 0)
{
    DeviceLock lock;
    if (!lock || !writeLocked(handle, bytes))
        return false;
    if (waitMs)
        core::driverPlatform().sleepMs(waitMs);
    const auto got = readLocked(handle, kReplyPipe, reply, kReplyTimeoutMs);
    return got && *got == reply.size();
}

unsigned blockTimeoutMs()
{
    return static_cast<unsigned>(context().lastIntegration.load()) + 1000;
}

int syncLocked()
{
    UsbDeviceContext& c = context();
    const Handle handle = c.handle.load();
    if (handle == kNoHandle)
        return 0;
    std::array<std::uint8_t, kDrainReadBytes> chunk{};
    bool lastOk = false;
    for (int i = 0; i < kDrainReads; ++i) {
        chunk.fill(0);
        const auto got = readLocked(handle, kSpectrumPipe, chunk, blockTimeoutMs());
        lastOk = got.has_value() && *got > 0;
        if (!lastOk) {
            // The three pipes are reset without taking the lock again.
            for (int pipe : {kSpectrumPipe, kCommandPipe, kReplyPipe})
                ResetUsbPipe(handle, pipe);
            debugText("Error in USB_SyncTargetDevice\n");
        }
    }
    if (!lastOk || chunk[0] != kSyncByte)
        c.ok = false;
    return lastOk ? 1 : 0;
}

} // namespace

void setUsbBackend(std::shared_ptr<platform::usb::UsbBackend> backend)
{
    CloseUsbDevice();
    UsbDeviceContext& c = context();
    std::lock_guard lock(c.stateMutex);
    c.driver =
        std::make_shared<EzusbDriver>(backend ? std::move(backend) : libusbBackendFromConfig());
    c.reinit = true;
    c.index = -1;
    c.lastIntegration = 0;
}

std::uint16_t configuredVendorId()
{
    return configuredId(configPath(), "VendorId", kDefaultVendorId);
}

std::uint16_t configuredProductId(const char* productKey, std::uint16_t fallback)
{
    return configuredId(configPath(), productKey, fallback);
}

platform::usb::EzusbDriver& ezusbDriver()
{
    return *driverRef();
}

std::string devicePathFor(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\Ezusb-%d", index);
    return name;
}

bool deviceOk()
{
    return context().ok.load();
}

void setDeviceOk(bool ok)
{
    context().ok = ok;
}

Handle deviceHandle()
{
    return context().handle.load();
}

int currentDeviceIndex()
{
    return context().index.load();
}

std::uint32_t firmwareVersion()
{
    return context().firmware.load();
}

std::string currentSerial()
{
    std::lock_guard lock(context().stateMutex);
    return context().currentSerial;
}

std::string configuredSerial()
{
    std::lock_guard lock(context().stateMutex);
    return context().configuredSerial;
}

void clearCurrentSerial()
{
    std::lock_guard lock(context().stateMutex);
    context().currentSerial.clear();
}

void StoreCurrentUSBSerialNumber(const char* serial)
{
    // The serial fields hold 15 characters and a NUL.
    std::string text = serial ? std::string(serial).substr(0, kInfoSlotChars) : std::string();
    UsbDeviceContext& c = context();
    {
        std::lock_guard lock(c.stateMutex);
        c.configuredSerial = text;
        c.currentSerial = text;
    }
    c.reinit = true;
}

void RequestHardwareReinit()
{
    context().reinit = true;
}

bool reinitRequested()
{
    return context().reinit.load();
}

void clearReinit()
{
    context().reinit = false;
}

int lastIntegrationSent()
{
    return context().lastIntegration.load();
}

void setLastIntegrationSent(int ms)
{
    context().lastIntegration = ms;
}

std::uint32_t exportLockWaitMs()
{
    return static_cast<std::uint32_t>(context().lastIntegration.load()) + 3000;
}

int AllocateUsbBuffers()
{
    UsbDeviceContext& c = context();
    DeviceLock lock;
    try {
        c.blockA.assign(kBlockBytes, 0);
        c.blockB.assign(kBlockBytes, 0);
    } catch (const std::bad_alloc&) {
        c.blockA = {};
        c.blockB = {};
        c.blockSize = 0;
        core::showDriverBox("No Memory For USB data...", "USB Warning",
                            core::kMbTaskModal | core::kMbIconError, core::kIdOk);
        return -1;
    }
    c.firmware = 0;
    c.blockSize = kBlockBytes;
    return 0;
}

void FreeUsbBuffers()
{
    UsbDeviceContext& c = context();
    DeviceLock lock;
    c.blockA = {};
    c.blockB = {};
    c.blockSize = 0;
    c.ok = false;
    c.handle = kNoHandle;
}

bool OpenUsbDevice(int index)
{
    const Handle handle = driverRef()->open(devicePathFor(index));
    context().handle = handle;
    return handle != kNoHandle;
}

void CloseUsbDevice()
{
    UsbDeviceContext& c = context();
    const Handle handle = c.handle.exchange(kNoHandle);
    std::shared_ptr<EzusbDriver> driver;
    {
        std::lock_guard lock(c.stateMutex);
        driver = c.driver;
    }
    if (handle != kNoHandle && driver)
        driver->close(handle);
    FreeUsbBuffers();
}

bool isRecognised(Handle handle)
{
    const auto pipes = driverRef()->pipes(handle);
    return pipes && isMakerInterface(*pipes);
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> deviceIds(Handle handle)
{
    const auto d = driverRef()->deviceDescriptor(handle);
    if (!d)
        return std::nullopt;
    return std::pair{static_cast<std::uint16_t>((*d)[8] | ((*d)[9] << 8)),
                     static_cast<std::uint16_t>((*d)[10] | ((*d)[11] << 8))};
}

std::string ReadUsbSerialNumber(Handle handle)
{
    const std::array<std::uint8_t, 2> command{kQuerySerial, 0x00};
    std::array<std::uint8_t, kSerialReplyBytes> reply{};
    DeviceLock lock;
    if (!lock || !writeLocked(handle, command)) {
        debugText("Send Command failed in\nSend Command()");
        return {};
    }
    const auto got = readLocked(handle, kReplyPipe, reply, kReplyTimeoutMs);
    if (!got || *got != reply.size()) {
        debugText("Recv Command failed in\nRecv Command()");
        return {};
    }
    return decodeSerialReply(reply);
}

int ReadInfoSlot(Handle handle, int slot, std::string& text)
{
    text.clear();
    if (handle == kNoHandle || handle == 0 || slot < 0 || slot > 255)
        return 0;
    const std::array<std::uint8_t, 3> command{kReadInfoSlot, static_cast<std::uint8_t>(slot), 0x01};
    std::array<std::uint8_t, kInfoSlotPacket> reply{};
    if (!queryOn(handle, command, reply))
        return 0;
    text = decodeSlotReply(reply);
    return 1;
}

int WriteInfoSlot(Handle handle, int slot, const std::string& text)
{
    if (handle == kNoHandle || handle == 0 || slot < 0 || slot > 255)
        return 0;
    const auto packet = encodeSlotWrite(kWriteInfoSlot, static_cast<std::uint8_t>(slot), text);
    {
        DeviceLock lock;
        if (!lock || !writeLocked(handle, packet))
            return 0;
    }
    // The device needs this long to store the slot.
    core::driverPlatform().sleepMs(200);
    return 1;
}

std::optional<std::string> readStringDescriptor(Handle handle, std::uint8_t index,
                                                std::size_t maxChars)
{
    std::array<std::uint8_t, 400> raw{};
    DeviceLock lock;
    if (!lock)
        return std::nullopt;
    int got = driverRef()->stringDescriptor(handle, index, kFirstLanguage, raw);
    if (got < 0)
        got = driverRef()->stringDescriptor(handle, index, kFallbackLanguage, raw);
    if (got < 0)
        return std::nullopt;
    return decodeStringDescriptor(std::span<const std::uint8_t>(raw.data(), std::size_t(got)),
                                  maxChars);
}

std::uint32_t QueryFirmwareVersion()
{
    UsbDeviceContext& c = context();
    if (!c.ok || c.handle == kNoHandle)
        return 0;
    // The firmware string is at most 31 characters.
    const auto text = readStringDescriptor(c.handle, 1, 31);
    const std::uint32_t version = text ? parseFirmwareVersion(*text) : 0;
    c.firmware = version;
    return version;
}

int FindEzusbDeviceBySerial(std::string& wanted)
{
    auto driver = driverRef();
    for (int index = 0; index <= kMaxDeviceIndex; ++index) {
        const std::string name = "Ezusb-" + std::to_string(index);
        const Handle handle = driver->open("\\\\.\\" + name);
        if (handle == kNoHandle)
            continue;
        const std::string serial = isRecognised(handle) ? ReadUsbSerialNumber(handle) : name;
        driver->close(handle);
        if (wanted.empty() && !serial.empty() && serial.rfind("Ezusb", 0) != 0) {
            wanted = serial.substr(0, kInfoSlotChars);
            return index;
        }
        if (!wanted.empty() && serial == wanted)
            return index;
    }
    return -1;
}

bool sendCommand(std::span<const std::uint8_t> bytes, const char* failureText)
{
    UsbDeviceContext& c = context();
    if (!c.ok)
        return false;
    DeviceLock lock;
    if (lock && writeLocked(c.handle, bytes))
        return true;
    c.ok = false;
    debugText(failureText);
    return false;
}

bool sendCommand16(std::uint8_t command, std::uint16_t value, const char* failureText)
{
    return sendCommand(encodeCommand16(command, value), failureText);
}

bool BulkWriteInitTarget()
{
    const std::array<std::uint8_t, 2> bytes{kInit, 0x00};
    return sendCommand(bytes, "BULK_WRITE Config failed in\nBulkWriteInitTarget()");
}

bool BulkWriteLampTarget(int enable)
{
    const std::array<std::uint8_t, 2> bytes{kLamp, static_cast<std::uint8_t>(enable == 1 ? 2 : 0)};
    return sendCommand(bytes, "BULK_WRITE failed in\nBulkWriteLampTarget()");
}

std::optional<std::size_t> query(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                                 std::uint32_t waitMs, bool allowShort)
{
    UsbDeviceContext& c = context();
    if (!c.ok)
        return std::nullopt;
    DeviceLock lock;
    if (!lock)
        return std::nullopt;
    if (!writeLocked(c.handle, bytes)) {
        c.ok = false;
        return std::nullopt;
    }
    if (waitMs)
        core::driverPlatform().sleepMs(waitMs);
    const auto got = readLocked(c.handle, kReplyPipe, reply, kReplyTimeoutMs);
    if (!got) {
        c.ok = false;
        return std::nullopt;
    }
    // A reply shorter than its layout is refused: the missing bytes would be stale.
    if (*got != reply.size() && !allowShort)
        return std::nullopt;
    return got;
}

bool ReadUsbSpectrum(unsigned timeoutMs, const std::function<bool()>& cancel)
{
    UsbDeviceContext& c = context();
    if (!c.ok)
        return false;
    DeviceLock lock;
    if (!lock)
        return false;
    const Handle handle = c.handle.load();
    const std::array<std::uint8_t, 2> request{kRequestSpectrum, 0x00};
    if (!writeLocked(handle, request)) {
        c.ok = false;
        debugText("Request Spectrum Failed.");
        return false;
    }
    if (c.blockSize.load() != kBlockBytes || handle == kNoHandle)
        return false;
    std::fill(c.blockB.begin(), c.blockB.end(), std::uint8_t{0});
    const auto got = readLocked(handle, kSpectrumPipe, c.blockB, timeoutMs, cancel);
    if (!got) {
        c.ok = false;
        debugText("BULK_READ failed in\nBulkReadTarget()");
        return false;
    }
    const DecodeStatus status =
        unpackSpectrumBlock(std::span<const std::uint8_t>(c.blockB.data(), *got), c.pixels);
    if (status == DecodeStatus::Ok)
        return true;
    debugText("Not Synched\n");
    const std::array<std::uint8_t, 2> init{kInit, 0x00};
    if (!writeLocked(handle, init))
        c.ok = false;
    syncLocked();
    return false;
}

std::optional<std::size_t> requestUsbBlock(std::span<std::uint8_t> block, unsigned timeoutMs,
                                           const std::function<bool()>& cancel,
                                           const char* readFailureText)
{
    UsbDeviceContext& c = context();
    if (!c.ok)
        return std::nullopt;
    DeviceLock lock;
    if (!lock)
        return std::nullopt;
    const Handle handle = c.handle.load();
    const std::array<std::uint8_t, 2> request{kRequestSpectrum, 0x00};
    if (handle == kNoHandle || !writeLocked(handle, request)) {
        c.ok = false;
        debugText("Request Spectrum Failed.");
        return std::nullopt;
    }
    std::fill(block.begin(), block.end(), std::uint8_t{0});
    const auto got = readLocked(handle, kSpectrumPipe, block, timeoutMs, cancel);
    if (!got) {
        c.ok = false;
        debugText(readFailureText);
    }
    return got;
}

std::span<const std::uint16_t, kBlockPixels> unpackedPixels()
{
    return context().pixels;
}

int ResetUsbPipe(Handle handle, int pipe)
{
    auto driver = driverRef();
    if (!driver->resetPipe(handle, pipe))
        debugText("USB_ResetPipe failed");
    const bool aborted = driver->abortPipe(handle, pipe);
    if (!aborted)
        debugText("USB_AbortPipe failed");
    return aborted ? 1 : 0;
}

void ResetUsbPipes()
{
    const Handle handle = context().handle.load();
    if (handle == kNoHandle)
        return;
    for (int pipe : {kSpectrumPipe, kCommandPipe, kReplyPipe})
        ResetUsbPipe(handle, pipe);
}

int USB_SyncTargetDevice()
{
    DeviceLock lock;
    if (!lock)
        return 0;
    return syncLocked();
}

bool rawBulkWrite(int pipe, std::span<const std::uint8_t> bytes)
{
    UsbDeviceContext& c = context();
    if (!c.ok || c.handle == kNoHandle)
        return false;
    DeviceLock lock;
    if (!lock)
        return false;
    if (driverRef()->bulkWrite(c.handle, pipe, bytes, kWriteTimeoutMs))
        return true;
    c.ok = false;
    return false;
}

std::optional<std::size_t> rawBulkRead(int pipe, std::span<std::uint8_t> bytes)
{
    UsbDeviceContext& c = context();
    if (!c.ok || c.handle == kNoHandle)
        return std::nullopt;
    DeviceLock lock;
    if (!lock)
        return std::nullopt;
    const auto got = readLocked(c.handle, pipe, bytes, blockTimeoutMs());
    if (!got)
        c.ok = false;
    return got;
}

int resetAllPipes()
{
    const Handle handle = context().handle.load();
    if (handle == kNoHandle)
        return 0;
    DeviceLock lock;
    if (!lock)
        return 0;
    int result = 0;
    for (int pipe = 0; pipe <= 3; ++pipe)
        result = ResetUsbPipe(handle, pipe);
    return result;
}

void UsbDeviceRecheck()
{
    UsbDeviceContext& c = context();
    if (c.ok || c.searching.exchange(true))
        return;
    std::string wanted = currentSerial();
    if (FindEzusbDeviceBySerial(wanted) >= 0)
        c.reinit = true;
    c.searching = false;
}

} // namespace driver::usb
