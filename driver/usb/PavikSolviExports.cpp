// The Pavik and Solvi exports: coefficients, stored strings, identification, firmware,
// and the Pavik's temperature sensor, plug-in memory, Mavrin source, Norrel lamps, I2C
// bridge and float memory.

#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/usb/CoefficientSlots.h"
#include "driver/usb/InfoSlotText.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

namespace driver::usb {
namespace {

using core::guardExport;

constexpr std::uint32_t kFirmwareAccessories = 2000000; // 2.0.0
constexpr std::uint32_t kFirmwareNorrel = 2040000;      // 2.40.0
constexpr std::uint32_t kFirmwareI2c = 2050000;         // 2.50.0
constexpr std::uint8_t kTemperaturePlugin = 2;
constexpr std::size_t kMaxI2cBytes = 60;
constexpr std::size_t kFloatChunkBytes = 60;
constexpr int kFloatTries = 10;

// State of the Pavik exports, shared by every caller thread.
struct PavikExportState
{
    std::mutex mutex;
    float gain = 0.0f;
    float offset = 0.0f;
    float lastTemperature = 0.0f;
    bool coefficientsLoaded = false;
    int mavrinModulation = 0;
};

PavikExportState& pavikState()
{
    static PavikExportState instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_pavikStateMadeAtLoad = (pavikState(), true);

bool adcIsPavik()
{
    auto& state = core::driverState();
    std::lock_guard lock(state.mutex);
    return state.adcType == VYK_ADC_PAVIK;
}

// Opens on demand; false when the open left an open-failure status.
bool ensureOpen()
{
    const int status = openOnDemand();
    return !(status >= 10 && status <= 13) && deviceOk();
}

bool firmwareAtLeast(std::uint32_t version)
{
    return firmwareVersion() >= version;
}

// An uncalibrated Pavik or Solvi has a non-positive first or second wavelength coefficient.
bool pavikCalibrated(const CoefficientsRecord& record)
{
    return record.wavelength[0] > 0.0f && record.wavelength[1] > 0.0f;
}

int pavikGetCoefficients(CoefficientsRecord* record)
{
    return readCoefficientSlots(record, pavikCalibrated);
}

int pavikSetCoefficients(const CoefficientsRecord* record)
{
    return writeCoefficientSlots(record);
}

bool pluginDetected(std::uint8_t id)
{
    if (!ensureOpen())
        return false;
    const std::array<std::uint8_t, 2> command{kPluginList, 0x00};
    std::array<std::uint8_t, kPluginListBytes> list{};
    if (!query(command, list, 100))
        return false;
    return std::find(list.begin(), list.begin() + 6, id) != list.begin() + 6;
}

bool readPluginSlot(int slot, std::string& text)
{
    text.clear();
    if (!firmwareAtLeast(kFirmwareAccessories) || !deviceOk())
        return false;
    const std::array<std::uint8_t, 3> command{kReadPluginSlot, static_cast<std::uint8_t>(slot),
                                              0x01};
    std::array<std::uint8_t, kInfoSlotPacket> reply{};
    if (!query(command, reply))
        return false;
    text = decodeSlotReply(reply);
    return true;
}

bool writePluginSlot(int slot, const std::string& text)
{
    if (!firmwareAtLeast(kFirmwareAccessories) || !deviceOk())
        return false;
    return sendCommand(encodeSlotWrite(kWritePluginSlot, static_cast<std::uint8_t>(slot), text));
}

bool commitPluginSlots()
{
    if (!firmwareAtLeast(kFirmwareAccessories) || !deviceOk())
        return false;
    const std::array<std::uint8_t, 2> command{kCommitPluginSlots, 0x00};
    if (!sendCommand(command))
        return false;
    // The accessory writes its memory for this long.
    core::driverPlatform().sleepMs(4000);
    return true;
}

bool loadTemperatureCoefficients()
{
    std::string gain;
    std::string offset;
    if (!readPluginSlot(1, gain) || !readPluginSlot(2, offset))
        return false;
    PavikExportState& s = pavikState();
    std::lock_guard lock(s.mutex);
    s.gain = slotTextToFloat(gain);
    s.offset = slotTextToFloat(offset);
    s.coefficientsLoaded = true;
    return true;
}

bool ensureTemperatureCoefficients()
{
    {
        PavikExportState& s = pavikState();
        std::lock_guard lock(s.mutex);
        if (s.coefficientsLoaded)
            return true;
    }
    return pluginDetected(kTemperaturePlugin) && loadTemperatureCoefficients();
}

// The accessory checks shared by the temperature, O2 and Mavrin exports.
bool accessoryReady()
{
    return ensureOpen() && firmwareAtLeast(kFirmwareAccessories) &&
           pluginDetected(kTemperaturePlugin);
}

std::uint32_t rawTemperature()
{
    if (!ensureTemperatureCoefficients())
        return 0;
    const std::array<std::uint8_t, 2> command{kReadTemperature, 0x00};
    std::array<std::uint8_t, 4> reply{};
    if (!query(command, reply))
        return 0;
    return std::uint32_t{reply[0]} | std::uint32_t{reply[1]} << 8 | std::uint32_t{reply[2]} << 16 |
           std::uint32_t{reply[3]} << 24;
}

float getTemperature()
{
    if (!firmwareAtLeast(kFirmwareAccessories))
        return 0.0f;
    auto& platform = core::driverPlatform();
    std::uint32_t raw = rawTemperature();
    bool retried = false;
    if (raw == 0) {
        platform.sleepMs(140);
        raw = rawTemperature();
        retried = true;
    } else if ((raw & 0xFFFF) == 0xFFFF) {
        platform.sleepMs(140);
        rawTemperature();
        platform.sleepMs(140);
        raw = rawTemperature();
        retried = true;
    }
    PavikExportState& s = pavikState();
    std::lock_guard lock(s.mutex);
    const bool bad = raw == 0 || (raw & 0xFFFF) == 0xFFFF;
    if (retried && bad)
        return s.lastTemperature;
    const float t = static_cast<float>(raw) * s.gain + s.offset;
    // A jump of more than 60 degrees from one reading to the next is a misread.
    if (!retried && std::fabs(t - s.lastTemperature) > 60.0f)
        return s.lastTemperature;
    s.lastTemperature = t;
    return t;
}

// The byte offsets of the 60-byte chunks of an array of `bytes` bytes: 0, 60, 120 ...,
// the last one ending at the end of the array.
template <class Chunk> bool forEachChunk(std::size_t bytes, Chunk&& chunk)
{
    for (std::size_t offset = 0;; offset += kFloatChunkBytes) {
        const bool last = offset + kFloatChunkBytes >= bytes;
        if (last)
            offset = bytes >= kFloatChunkBytes ? bytes - kFloatChunkBytes : 0;
        if (!chunk(offset))
            return false;
        if (last)
            return true;
    }
}

bool readFloatChunk(std::size_t offset, std::uint8_t* out)
{
    auto& platform = core::driverPlatform();
    const auto command = encodeCommand16(kReadFloats, static_cast<std::uint16_t>(offset));
    for (int attempt = 0; attempt < kFloatTries; ++attempt) {
        if (attempt > 0)
            platform.sleepMs(50);
        std::array<std::uint8_t, 1 + kFloatChunkBytes> reply{};
        if (query(command, reply) && reply[0] == 0) {
            std::memcpy(out, reply.data() + 1, kFloatChunkBytes);
            return true;
        }
    }
    return false;
}

bool writeFloatChunk(std::size_t offset, const std::uint8_t* data)
{
    auto& platform = core::driverPlatform();
    std::array<std::uint8_t, 3 + kFloatChunkBytes> command{};
    const auto head = encodeCommand16(kWriteFloats, static_cast<std::uint16_t>(offset));
    std::copy(head.begin(), head.end(), command.begin());
    std::memcpy(command.data() + 3, data, kFloatChunkBytes);
    for (int attempt = 0; attempt < kFloatTries; ++attempt) {
        if (attempt > 0)
            platform.sleepMs(50);
        std::array<std::uint8_t, 4> reply{};
        if (query(command, reply) && reply[0] == 0)
            return true;
    }
    return false;
}

// 0: refuse, 1: nothing to do, else the byte count to move.
long floatArrayBytes(int32_t count)
{
    if (count <= 0)
        return 1;
    const long bytes = long{count} * 4;
    if (bytes > 8188 && bytes != 8192)
        return 0;
    return bytes;
}

int readFloatArray(PavikFloatArray* array)
{
    if (!array)
        return 0;
    const long bytes = floatArrayBytes(array->count);
    if (bytes <= 1)
        return static_cast<int>(bytes);
    if (!deviceOk())
        return 0;
    std::array<std::uint8_t, 8192> image{};
    auto& platform = core::driverPlatform();
    const bool ok = forEachChunk(static_cast<std::size_t>(bytes), [&](std::size_t offset) {
        platform.sleepMs(10);
        return readFloatChunk(offset, image.data() + offset);
    });
    if (!ok)
        return 0;
    std::memcpy(array->values, image.data(), static_cast<std::size_t>(bytes));
    return 1;
}

int writeFloatArray(const PavikFloatArray* array)
{
    if (!array)
        return 0;
    const long bytes = floatArrayBytes(array->count);
    if (bytes <= 1)
        return static_cast<int>(bytes);
    if (!deviceOk())
        return 0;
    auto& platform = core::driverPlatform();
    std::array<std::uint8_t, 8192> image{};
    // An array shorter than one chunk keeps the accessory's bytes after it: the chunk is
    // read first and only the array's part replaced.
    if (static_cast<std::size_t>(bytes) < kFloatChunkBytes) {
        platform.sleepMs(10);
        if (!readFloatChunk(0, image.data()))
            return 0;
    }
    std::memcpy(image.data(), array->values, static_cast<std::size_t>(bytes));
    const bool ok = forEachChunk(static_cast<std::size_t>(bytes), [&](std::size_t offset) {
        platform.sleepMs(10);
        return writeFloatChunk(offset, image.data() + offset);
    });
    return ok ? 1 : 0;
}

bool norrelReady()
{
    return adcIsPavik() && ensureOpen() && firmwareAtLeast(kFirmwareNorrel);
}

int writePot(int32_t pot, int32_t value)
{
    if (!norrelReady() || pot < 0 || pot > 3)
        return 0;
    const std::array<std::uint8_t, 3> command{kNorrelWritePot, static_cast<std::uint8_t>(pot),
                                              static_cast<std::uint8_t>(value)};
    const bool ok = sendCommand(command);
    core::driverPlatform().sleepMs(10);
    return ok ? 1 : 0;
}

bool readPots(std::array<std::uint8_t, 4>& pots)
{
    if (!norrelReady())
        return false;
    const std::array<std::uint8_t, 2> command{kNorrelReadPots, 0x00};
    return query(command, pots).has_value();
}

int potIntensity(int32_t value)
{
    return std::min(value & 0xFF, 63);
}

int pavikFirmwareText(char* text, bool pavik)
{
    if (!text)
        return 0;
    const int status = openOnDemand();
    if (pavik && status >= 10 && status <= 13)
        return 0;
    constexpr std::size_t kFirmwareText = 32;
    if (!deviceOk() || deviceHandle() == kNoHandle) {
        copyBounded(text, kFirmwareText, "Pavik not opened");
        return pavik ? 1 : 0;
    }
    const auto descriptor = readStringDescriptor(deviceHandle(), 1, kFirmwareText - 1);
    if (!descriptor) {
        copyBounded(text, kFirmwareText, "Pavik not active");
        return pavik ? 1 : 0;
    }
    copyBounded(text, kFirmwareText, *descriptor);
    return 1;
}

} // namespace

// Forgets the Pavik exports' state (tests).
void resetPavikExportState()
{
    PavikExportState& s = pavikState();
    std::lock_guard lock(s.mutex);
    s.gain = s.offset = s.lastTemperature = 0.0f;
    s.coefficientsLoaded = false;
    s.mavrinModulation = 0;
}

} // namespace driver::usb

using driver::core::guardExport;
namespace usb = driver::usb;

VYK_API int32_t Pavik_GetCoefficients(CoefficientsRecord* record)
{
    return guardExport<int32_t>("Pavik_GetCoefficients", 0,
                                [&] { return usb::pavikGetCoefficients(record); });
}

VYK_API int32_t Solvi_GetCoefficients(CoefficientsRecord* record)
{
    return guardExport<int32_t>("Solvi_GetCoefficients", 0,
                                [&] { return usb::pavikGetCoefficients(record); });
}

VYK_API int32_t Pavik_SetCoefficients(const CoefficientsRecord* record)
{
    return guardExport<int32_t>("Pavik_SetCoefficients", 0,
                                [&] { return usb::pavikSetCoefficients(record); });
}

VYK_API int32_t Solvi_SetCoefficients(const CoefficientsRecord* record)
{
    return guardExport<int32_t>("Solvi_SetCoefficients", 0,
                                [&] { return usb::pavikSetCoefficients(record); });
}

VYK_API int32_t Pavik_GetStoredString(int32_t slot, char* text)
{
    return guardExport<int32_t>("Pavik_GetStoredString", 0,
                                [&] { return usb::readStoredStringSlot(slot, text); });
}

VYK_API int32_t Solvi_GetStoredString(int32_t slot, char* text)
{
    return guardExport<int32_t>("Solvi_GetStoredString", 0,
                                [&] { return usb::readStoredStringSlot(slot, text); });
}

VYK_API int32_t Pavik_SetStoredString(int32_t slot, const char* text)
{
    return guardExport<int32_t>("Pavik_SetStoredString", 0,
                                [&] { return usb::writeStoredStringSlot(slot, text); });
}

VYK_API int32_t Solvi_SetStoredString(int32_t slot, const char* text)
{
    return guardExport<int32_t>("Solvi_SetStoredString", 0,
                                [&] { return usb::writeStoredStringSlot(slot, text); });
}

VYK_API int32_t Pavik_GetFirmwareVersion(char* text)
{
    return guardExport<int32_t>("Pavik_GetFirmwareVersion", 0,
                                [&] { return usb::pavikFirmwareText(text, true); });
}

VYK_API int32_t Solvi_GetFirmwareVersion(char* text)
{
    return guardExport<int32_t>("Solvi_GetFirmwareVersion", 0,
                                [&] { return usb::pavikFirmwareText(text, false); });
}

VYK_API int32_t Pavik_IdentifyPavik(int32_t deviceIndex, char* text)
{
    return guardExport<int32_t>("Pavik_IdentifyPavik", 0, [&] {
        char found[16] = {};
        const int result = usb::identifyDevice(
            deviceIndex, found,
            usb::configuredProductId("PavikProductId", usb::kDefaultPavikProductId), "NOT Pavik");
        if (text)
            usb::copyBounded(text, 16, found);
        return result;
    });
}

VYK_API int32_t Solvi_IdentifySolvi(int32_t deviceIndex, char* text)
{
    return guardExport<int32_t>("Solvi_IdentifySolvi", 0, [&] {
        char found[16] = {};
        const int result = usb::identifyDevice(
            deviceIndex, found,
            usb::configuredProductId("SolviProductId", usb::kDefaultSolviProductId), "NOT Solvi");
        if (text)
            usb::copyBounded(text, 16, found);
        return result;
    });
}

VYK_API float Pavik_GetTemperature(void)
{
    return guardExport<float>("Pavik_GetTemperature", 0.0f, [] { return usb::getTemperature(); });
}

VYK_API int32_t Pavik_GetTemperatureCoefficients(float* gain, float* offset)
{
    return guardExport<int32_t>("Pavik_GetTemperatureCoefficients", 0, [&]() -> int32_t {
        if (!gain || !offset || !usb::accessoryReady() || !usb::loadTemperatureCoefficients())
            return 0;
        auto& s = usb::pavikState();
        std::lock_guard lock(s.mutex);
        *gain = s.gain;
        *offset = s.offset;
        return 1;
    });
}

VYK_API int32_t Pavik_SetTemperatureCoefficients(float gain, float offset)
{
    return guardExport<int32_t>("Pavik_SetTemperatureCoefficients", 0, [&]() -> int32_t {
        if (!usb::accessoryReady())
            return 0;
        if (!usb::writePluginSlot(1, usb::formatSlotFloat(gain, std::chars_format::general)) ||
            !usb::writePluginSlot(2, usb::formatSlotFloat(offset, std::chars_format::general)) ||
            !usb::commitPluginSlots())
            return 0;
        auto& s = usb::pavikState();
        std::lock_guard lock(s.mutex);
        s.gain = gain;
        s.offset = offset;
        s.coefficientsLoaded = true;
        return 1;
    });
}

VYK_API int32_t Pavik_GetO2CalibrationCoefficients(float* coefficients)
{
    return guardExport<int32_t>("Pavik_GetO2CalibrationCoefficients", 0, [&]() -> int32_t {
        if (!coefficients || !usb::accessoryReady() || !usb::ensureTemperatureCoefficients())
            return 0;
        float values[18];
        for (int i = 0; i < 18; ++i) {
            std::string text;
            if (!usb::readPluginSlot(3 + i, text))
                return 0;
            values[i] = usb::slotTextToFloat(text);
        }
        std::copy(values, values + 18, coefficients);
        return 1;
    });
}

VYK_API int32_t Pavik_SetO2CalibrationCoefficients(const float* coefficients)
{
    return guardExport<int32_t>("Pavik_SetO2CalibrationCoefficients", 0, [&]() -> int32_t {
        if (!coefficients || !usb::accessoryReady() || !usb::ensureTemperatureCoefficients())
            return 0;
        for (int i = 0; i < 18; ++i) {
            if (!usb::writePluginSlot(
                    3 + i, usb::formatSlotFloat(coefficients[i], std::chars_format::general)))
                return 0;
        }
        return usb::commitPluginSlots() ? 1 : 0;
    });
}

VYK_API int32_t Pavik_SetMavrinModulation(int32_t modulation)
{
    return guardExport<int32_t>("Pavik_SetMavrinModulation", 0, [&]() -> int32_t {
        if (!usb::accessoryReady() || !usb::ensureTemperatureCoefficients())
            return 0;
        {
            auto& s = usb::pavikState();
            std::lock_guard lock(s.mutex);
            s.mavrinModulation = modulation;
        }
        return usb::sendCommand16(usb::kMavrinModulation, static_cast<std::uint16_t>(modulation),
                                  nullptr)
                   ? 1
                   : 0;
    });
}

VYK_API int32_t Pavik_GetMavrinModulation(void)
{
    return guardExport<int32_t>("Pavik_GetMavrinModulation", 0, [] {
        auto& s = usb::pavikState();
        std::lock_guard lock(s.mutex);
        return s.mavrinModulation;
    });
}

VYK_API int32_t Pavik_SetMavrinDA(int32_t value)
{
    return guardExport<int32_t>("Pavik_SetMavrinDA", 0, [&]() -> int32_t {
        if (!usb::accessoryReady())
            return 0;
        return usb::sendCommand16(usb::kMavrinDa, static_cast<std::uint16_t>(value), nullptr) ? 1
                                                                                              : 0;
    });
}

VYK_API int32_t Pavik_IsPluginDetected(uint8_t pluginId)
{
    return guardExport<int32_t>("Pavik_IsPluginDetected", 0,
                                [&] { return usb::pluginDetected(pluginId) ? 1 : 0; });
}

VYK_API int32_t Pavik_I2C_Read(uint8_t address, int32_t length, uint8_t* buffer)
{
    return guardExport<int32_t>("Pavik_I2C_Read", 0, [&]() -> int32_t {
        if (length < 0 || static_cast<std::size_t>(length) > usb::kMaxI2cBytes ||
            (!buffer && length > 0))
            return 0;
        if (!usb::adcIsPavik() || !usb::ensureOpen() || !usb::firmwareAtLeast(usb::kFirmwareI2c))
            return 0;
        const std::array<std::uint8_t, 3> command{usb::kI2cRead, address,
                                                  static_cast<std::uint8_t>(length)};
        std::array<std::uint8_t, usb::kMaxI2cBytes + 4> reply{};
        const auto got = usb::query(
            command, std::span<std::uint8_t>(reply.data(), static_cast<std::size_t>(length) + 4));
        if (!got)
            return 0;
        std::memcpy(buffer, reply.data() + 4, static_cast<std::size_t>(length));
        return reply[3];
    });
}

VYK_API int32_t Pavik_I2C_Write(uint8_t address, int32_t length, const uint8_t* bytes)
{
    return guardExport<int32_t>("Pavik_I2C_Write", 0, [&]() -> int32_t {
        if (length < 0 || static_cast<std::size_t>(length) > usb::kMaxI2cBytes ||
            (!bytes && length > 0))
            return 0;
        if (!usb::adcIsPavik() || !usb::ensureOpen() || !usb::firmwareAtLeast(usb::kFirmwareI2c))
            return 0;
        std::array<std::uint8_t, usb::kMaxI2cBytes + 3> command{};
        command[0] = usb::kI2cWrite;
        command[1] = address;
        command[2] = static_cast<std::uint8_t>(length);
        if (length > 0)
            std::memcpy(command.data() + 3, bytes, static_cast<std::size_t>(length));
        std::array<std::uint8_t, 4> reply{};
        if (!usb::query(
                std::span<const std::uint8_t>(command.data(), static_cast<std::size_t>(length) + 3),
                reply))
            return 0;
        return reply[3];
    });
}

VYK_API int32_t Pavik_ReadFloatArray(PavikFloatArray* array)
{
    return guardExport<int32_t>("Pavik_ReadFloatArray", 0,
                                [&] { return usb::readFloatArray(array); });
}

VYK_API int32_t Pavik_WriteFloatArray(const PavikFloatArray* array)
{
    return guardExport<int32_t>("Pavik_WriteFloatArray", 0,
                                [&] { return usb::writeFloatArray(array); });
}

VYK_API int32_t USBNorrel_WritePotValue(int32_t pot, int32_t value)
{
    return guardExport<int32_t>("USBNorrel_WritePotValue", 0,
                                [&] { return usb::writePot(pot, value); });
}

VYK_API int32_t USBNorrel_ReadPotValues(uint8_t* pots)
{
    return guardExport<int32_t>("USBNorrel_ReadPotValues", 0, [&]() -> int32_t {
        std::array<std::uint8_t, 4> values{};
        if (!pots || !usb::readPots(values))
            return 0;
        std::copy(values.begin(), values.end(), pots);
        return 1;
    });
}

VYK_API int32_t Pavik_Norrel_StoreCurrentPotValues(void)
{
    return guardExport<int32_t>("Pavik_Norrel_StoreCurrentPotValues", 0, []() -> int32_t {
        if (!usb::norrelReady())
            return 0;
        const std::array<std::uint8_t, 3> command{usb::kNorrelStorePots, 0x01, 0x80};
        const bool ok = usb::sendCommand(command);
        driver::core::driverPlatform().sleepMs(10);
        return ok ? 1 : 0;
    });
}

VYK_API int32_t Pavik_Norrel_LampOn(int32_t on)
{
    return guardExport<int32_t>("Pavik_Norrel_LampOn", 0,
                                [&] { return usb::writePot(3, on == 1 ? 0 : 63); });
}

VYK_API int32_t Pavik_Norrel_SetVisLampOn(int32_t on)
{
    return guardExport<int32_t>("Pavik_Norrel_SetVisLampOn", 0,
                                [&] { return usb::writePot(2, on == 1 ? 0 : 63); });
}

VYK_API int32_t Pavik_Norrel_SetVisLampIntensity(int32_t value)
{
    return guardExport<int32_t>("Pavik_Norrel_SetVisLampIntensity", 0,
                                [&] { return usb::writePot(0, usb::potIntensity(value)); });
}

VYK_API int32_t Pavik_Norrel_SetUVLampIntensity(int32_t value)
{
    return guardExport<int32_t>("Pavik_Norrel_SetUVLampIntensity", 0,
                                [&] { return usb::writePot(1, usb::potIntensity(value)); });
}

namespace {

int32_t potReading(const char* name, int pot, bool asOnFlag)
{
    return guardExport<int32_t>(name, 0, [&]() -> int32_t {
        std::array<std::uint8_t, 4> values{};
        if (!usb::readPots(values))
            return 0;
        const int value = values[static_cast<std::size_t>(pot)];
        return asOnFlag ? (value == 0 ? 1 : 0) : value;
    });
}

} // namespace

VYK_API int32_t Pavik_Norrel_GetVisLampIntensity(void)
{
    return potReading("Pavik_Norrel_GetVisLampIntensity", 0, false);
}

VYK_API int32_t Pavik_Norrel_GetUVLampIntensity(void)
{
    return potReading("Pavik_Norrel_GetUVLampIntensity", 1, false);
}

VYK_API int32_t Pavik_Norrel_GetVisLampOn(void)
{
    return potReading("Pavik_Norrel_GetVisLampOn", 2, true);
}

VYK_API int32_t Pavik_Norrel_GetLampOn(void)
{
    return potReading("Pavik_Norrel_GetLampOn", 3, true);
}

VYK_API int32_t Pavik_Norrel_SetShutterOpened(int32_t open)
{
    return guardExport<int32_t>("Pavik_Norrel_SetShutterOpened", 0, [&]() -> int32_t {
        if (!usb::norrelReady())
            return 0;
        usb::BulkWriteLampTarget(open);
        return 1;
    });
}
