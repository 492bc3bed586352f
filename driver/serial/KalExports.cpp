// The serial A/D converter's exports: each forwards to the converter link inside the
// export guard. Their _stdcall twins and short-named wrappers come from the export table
// (driver/exports).
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/serial/SerialAdc.h"

#include <charconv>
#include <cstring>

namespace {

using namespace driver::core;
using namespace driver::serial;

static_assert(sizeof(KalPixelMode) == sizeof(PixelModeRecord));

const PixelModeRecord* asRecord(const KalPixelMode* record)
{
    return reinterpret_cast<const PixelModeRecord*>(record);
}

PixelModeRecord* asRecord(KalPixelMode* record)
{
    return reinterpret_cast<PixelModeRecord*>(record);
}

int16_t setInterpolate(int16_t on)
{
    if (on != 0 && on != 1)
        return kKalOutOfRange;
    serialAdc().interpolateMissingPixels = on == 1;
    return kKalDone;
}

int16_t setRaman(int16_t on)
{
    serialAdc().ramanMode = on;
    return kKalDone;
}

// The converter keeps the numbers as text; they are written and read without the process's
// locale (a client's locale may use a decimal comma), as "%e" and "%d" would in "C".
int16_t setStoredFloat(uint16_t slot, float value)
{
    char text[64] = {};
    const auto written = std::to_chars(text, text + sizeof text - 1, static_cast<double>(value),
                                       std::chars_format::scientific, 6);
    if (written.ec != std::errc())
        return kKalOutOfRange;
    return serialAdc().setStoredString(slot, text);
}

int16_t setStoredInt(uint16_t slot, int32_t value)
{
    char text[16] = {};
    std::to_chars(text, text + sizeof text - 1, value);
    return serialAdc().setStoredString(slot, text);
}

// The start of a stored number: past leading blanks and a plus sign.
const char* kalNumberStart(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return *text == '+' ? text + 1 : text;
}

// The stored text, terminated: the export fills only 15 bytes.
int16_t storedText(uint16_t slot, char (&text)[16])
{
    std::memset(text, 0, sizeof text);
    return serialAdc().getStoredString(slot, text);
}

int16_t getStoredFloat(uint16_t slot, float* value)
{
    if (!value)
        return kKalOutOfRange;
    char text[16];
    const int16_t result = storedText(slot, text);
    if (result != kKalDone)
        return result;
    const char* first = kalNumberStart(text);
    float parsed = 0.0f;
    if (std::from_chars(first, text + std::strlen(text), parsed).ec != std::errc())
        return kKalNoAck;
    *value = parsed;
    return kKalDone;
}

int16_t getStoredInt(uint16_t slot, int32_t* value)
{
    if (!value)
        return kKalOutOfRange;
    char text[16];
    const int16_t result = storedText(slot, text);
    if (result != kKalDone)
        return result;
    const char* first = kalNumberStart(text);
    int32_t parsed = 0;
    if (std::from_chars(first, text + std::strlen(text), parsed).ec != std::errc())
        return kKalNoAck;
    *value = parsed;
    return kKalDone;
}

int16_t readoutScansInMemory(int16_t memory)
{
    const int16_t shown = serialAdc().notImplemented("KAL_ReadoutScansInMemory not implimented");
    if (shown != kKalDone)
        return shown;
    return memory == 1 || memory == 2 ? kKalDone : kKalOutOfRange;
}

// Runs one export's call on the converter inside the export guard; the guard answers
// `failure` when the call throws.
template <class Call> int16_t onConverter(const char* name, int16_t failure, Call&& call) noexcept
{
    return guardExport<int16_t>(name, failure,
                                [&] { return static_cast<int16_t>(call(serialAdc())); });
}

} // namespace

VYK_API int16_t KAL_Init(int16_t port, int16_t baudIndex)
{
    return onConverter("KAL_Init", 0, [&](SerialAdc& adc) { return adc.init(port, baudIndex); });
}

VYK_API int16_t KAL_Close(int16_t mode)
{
    return onConverter("KAL_Close", 0, [&](SerialAdc& adc) { return adc.close(mode); });
}

VYK_API int16_t KAL_SetSerialPort(int16_t port)
{
    return onConverter("KAL_SetSerialPort", 0,
                       [&](SerialAdc& adc) { return adc.setSerialPort(port); });
}

VYK_API int16_t KAL_SetBaudRate(int16_t index)
{
    return onConverter("KAL_SetBaudRate", 0,
                       [&](SerialAdc& adc) { return adc.setBaudRate(index); });
}

VYK_API int16_t KAL_DetermineSerialADCType(void)
{
    return onConverter("KAL_DetermineSerialADCType", 0,
                       [&](SerialAdc& adc) { return adc.determineType(); });
}

VYK_API int16_t KAL_SetScansToAdd(uint16_t scans)
{
    return onConverter("KAL_SetScansToAdd", 0,
                       [&](SerialAdc& adc) { return adc.setScansToAdd(scans); });
}

VYK_API int16_t KAL_SetBoxcarWidth(uint16_t width)
{
    return onConverter("KAL_SetBoxcarWidth", 0,
                       [&](SerialAdc& adc) { return adc.command('B', {width}); });
}

VYK_API int16_t KAL_DumpFastMemory(void)
{
    return onConverter("KAL_DumpFastMemory", 0,
                       [&](SerialAdc& adc) { return adc.command('D', {}, kTypes123); });
}

VYK_API int16_t KAL_ChangeSlowReadPointer(uint16_t position)
{
    return onConverter("KAL_ChangeSlowReadPointer", 0,
                       [&](SerialAdc& adc) { return adc.command('E', {position}, kTypes123); });
}

VYK_API int16_t KAL_SetADCRate(uint16_t rate)
{
    return onConverter("KAL_SetADCRate", 0,
                       [&](SerialAdc& adc) { return adc.command('F', {rate}, kTypes13); });
}

VYK_API int16_t KAL_SetCompressedMode(uint16_t mode)
{
    return onConverter("KAL_SetCompressedMode", 0,
                       [&](SerialAdc& adc) { return adc.command('G', {mode}); });
}

VYK_API int16_t KAL_SetSpectrometerChannel(uint16_t channel)
{
    return onConverter("KAL_SetSpectrometerChannel", 0,
                       [&](SerialAdc& adc) { return adc.command('H', {channel}, kTypes13); });
}

VYK_API int16_t KAL_SetIntegrationTime(uint16_t ms)
{
    return onConverter("KAL_SetIntegrationTime", 0,
                       [&](SerialAdc& adc) { return adc.setIntegrationTime(ms); });
}

VYK_API int16_t KAL_SetStrobeEnable(uint16_t enable)
{
    return onConverter("KAL_SetStrobeEnable", 0,
                       [&](SerialAdc& adc) { return adc.command('J', {enable}); });
}

VYK_API int16_t KAL_ClearMemory(uint16_t memory)
{
    return onConverter("KAL_ClearMemory", 0,
                       [&](SerialAdc& adc) { return adc.clearMemory(memory); });
}

VYK_API int16_t KAL_SetScanMode(uint16_t mode)
{
    return onConverter("KAL_SetScanMode", 0,
                       [&](SerialAdc& adc) { return adc.command('M', {mode}, kTypes13); });
}

VYK_API int16_t KAL_SetNumberOfScansToStore(uint16_t scans)
{
    return onConverter("KAL_SetNumberOfScansToStore", 0,
                       [&](SerialAdc& adc) { return adc.command('N', {scans}, kTypes123); });
}

VYK_API int16_t KAL_ScanReceivedOK(uint16_t ok)
{
    return onConverter("KAL_ScanReceivedOK", 0,
                       [&](SerialAdc& adc) { return adc.scanReceivedOk(ok); });
}

VYK_API int16_t KAL_SetPixelMode(const KalPixelMode* record)
{
    return onConverter("KAL_SetPixelMode", 0,
                       [&](SerialAdc& adc) { return adc.setPixelMode(asRecord(record)); });
}

VYK_API int16_t KAL_Reset(void)
{
    return onConverter("KAL_Reset", 0, [&](SerialAdc& adc) { return adc.command('Q', {}); });
}

VYK_API int16_t KAL_SetExternalTrigger(uint16_t mode)
{
    return onConverter("KAL_SetExternalTrigger", 0,
                       [&](SerialAdc& adc) { return adc.setExternalTrigger(mode); });
}

VYK_API int16_t KAL_GetSlowMemoryAvailable(void)
{
    return onConverter("KAL_GetSlowMemoryAvailable", 0,
                       [&](SerialAdc& adc) { return adc.query('U', {}, false, kTypes123); });
}

VYK_API int16_t KAL_GetNumberOfScansInMemory(uint16_t memory)
{
    return onConverter("KAL_GetNumberOfScansInMemory", 0,
                       [&](SerialAdc& adc) { return adc.getNumberOfScansInMemory(memory); });
}

VYK_API int16_t KAL_GetFastMemoryAvailable(void)
{
    return onConverter("KAL_GetFastMemoryAvailable", 0,
                       [&](SerialAdc& adc) { return adc.query('X', {}, false, kTypes13); });
}

VYK_API int16_t KAL_ClearSlowMemory(uint16_t first, uint16_t last)
{
    return onConverter("KAL_ClearSlowMemory", 0, [&](SerialAdc& adc) {
        return adc.command('c', {first, last}, kTypes123, true);
    });
}

VYK_API int16_t KAL_ToggleDebugMode(void)
{
    return onConverter("KAL_ToggleDebugMode", 0,
                       [&](SerialAdc& adc) { return adc.command('d', {}, 0, true); });
}

VYK_API int16_t KAL_ToggleDebugPrintMode(void)
{
    return onConverter("KAL_ToggleDebugPrintMode", 0,
                       [&](SerialAdc& adc) { return adc.command('d', {}, kTypes123, true); });
}

VYK_API int16_t KAL_SetFlashDelay(uint16_t delay)
{
    return onConverter("KAL_SetFlashDelay", 0,
                       [&](SerialAdc& adc) { return adc.setFlashDelay(delay); });
}

VYK_API int16_t KAL_SetLemmikCDSMode(uint16_t mode)
{
    return onConverter("KAL_SetLemmikCDSMode", 0,
                       [&](SerialAdc& adc) { return adc.setLemmikCDSMode(mode); });
}

VYK_API int16_t KAL_SetChecksumMode(uint16_t mode)
{
    return onConverter("KAL_SetChecksumMode", 0,
                       [&](SerialAdc& adc) { return adc.setChecksumMode(mode); });
}

VYK_API int16_t KAL_GetError(void)
{
    return onConverter("KAL_GetError", 0,
                       [&](SerialAdc& adc) { return adc.query('q', {}, false, kTypes123); });
}

VYK_API int16_t KAL_ReadSlowMemory(uint16_t high, uint16_t low, uint8_t* data, uint8_t* trailer)
{
    return onConverter("KAL_ReadSlowMemory", 0, [&](SerialAdc& adc) {
        return adc.readSlowMemory(high, low, data, trailer);
    });
}

VYK_API int16_t KAL_GetIntegrationCounter(void)
{
    return onConverter("KAL_GetIntegrationCounter", 0,
                       [&](SerialAdc& adc) { return adc.query('t', {}, false, kTypes123); });
}

VYK_API int16_t KAL_GetVersion(void)
{
    return onConverter("KAL_GetVersion", 0,
                       [&](SerialAdc& adc) { return adc.query('v', {}, false); });
}

VYK_API int16_t KAL_SetStoredString(uint16_t slot, const char* text)
{
    return onConverter("KAL_SetStoredString", 0,
                       [&](SerialAdc& adc) { return adc.setStoredString(slot, text); });
}

VYK_API int16_t KAL_GetStoredString(uint16_t slot, char* text)
{
    return onConverter("KAL_GetStoredString", 0,
                       [&](SerialAdc& adc) { return adc.getStoredString(slot, text); });
}

VYK_API int16_t KAL_GetScansToAdd(void)
{
    return onConverter("KAL_GetScansToAdd", 0,
                       [&](SerialAdc& adc) { return adc.query('A', {}, true); });
}

VYK_API int16_t KAL_GetBoxcarWidth(void)
{
    return onConverter("KAL_GetBoxcarWidth", 0,
                       [&](SerialAdc& adc) { return adc.query('B', {}, true); });
}

VYK_API int16_t KAL_GetADCRate(void)
{
    return onConverter("KAL_GetADCRate", 0,
                       [&](SerialAdc& adc) { return adc.query('F', {}, true); });
}

VYK_API int16_t KAL_GetSpectrometerChannel(void)
{
    return onConverter("KAL_GetSpectrometerChannel", 0,
                       [&](SerialAdc& adc) { return adc.query('H', {}, true); });
}

VYK_API int16_t KAL_GetIntegrationTime(void)
{
    return onConverter("KAL_GetIntegrationTime", 0,
                       [&](SerialAdc& adc) { return adc.query('I', {}, true); });
}

VYK_API int16_t KAL_GetStrobeEnable(void)
{
    return onConverter("KAL_GetStrobeEnable", 0,
                       [&](SerialAdc& adc) { return adc.query('J', {}, true); });
}

VYK_API int16_t KAL_GetBaudRate(void)
{
    return onConverter("KAL_GetBaudRate", 0,
                       [&](SerialAdc& adc) { return adc.query('K', {}, true); });
}

VYK_API int16_t KAL_GetScanMode(void)
{
    return onConverter("KAL_GetScanMode", 0,
                       [&](SerialAdc& adc) { return adc.query('M', {}, true); });
}

VYK_API int16_t KAL_GetNumberOfScansToStore(void)
{
    return onConverter("KAL_GetNumberOfScansToStore", 0,
                       [&](SerialAdc& adc) { return adc.query('N', {}, true); });
}

VYK_API int16_t KAL_GetPixelMode(void)
{
    return onConverter("KAL_GetPixelMode", 0,
                       [&](SerialAdc& adc) { return adc.query('P', {}, true); });
}

VYK_API int16_t KAL_GetExternalTrigger(void)
{
    return onConverter("KAL_GetExternalTrigger", 0,
                       [&](SerialAdc& adc) { return adc.query('T', {}, true); });
}

VYK_API int16_t KAL_GetCompressedMode(void)
{
    return onConverter("KAL_GetCompressedMode", 0,
                       [&](SerialAdc& adc) { return adc.query('G', {}, true); });
}

VYK_API int16_t KAL_GetChecksumMode(void)
{
    return onConverter("KAL_GetChecksumMode", 0,
                       [&](SerialAdc& adc) { return adc.query('k', {}, true); });
}

VYK_API int16_t KAL_GetLemmikCDSMode(void)
{
    return onConverter("KAL_GetLemmikCDSMode", 0,
                       [&](SerialAdc& adc) { return adc.query('h', {}, true); });
}

VYK_API int16_t KAL_GetNumberOfBadMemoryBlocks(void)
{
    return onConverter("KAL_GetNumberOfBadMemoryBlocks", 0,
                       [&](SerialAdc& adc) { return adc.query('n', {}, true, kTypes123, true); });
}

VYK_API int16_t KAL_GetDebugMode(void)
{
    return onConverter("KAL_GetDebugMode", 0,
                       [&](SerialAdc& adc) { return adc.query('d', {}, true, 0, true); });
}

VYK_API int16_t KAL_GetPrintDebugMode(void)
{
    return onConverter("KAL_GetPrintDebugMode", 0,
                       [&](SerialAdc& adc) { return adc.query('m', {}, true, kTypes123, true); });
}

VYK_API int16_t KAL_GetFullPixelMode(KalPixelMode* record)
{
    return onConverter("KAL_GetFullPixelMode", 0,
                       [&](SerialAdc& adc) { return adc.getFullPixelMode(asRecord(record)); });
}

VYK_API int16_t KAL_EnterDoubleSecretMode(int16_t code)
{
    return onConverter("KAL_EnterDoubleSecretMode", 0,
                       [&](SerialAdc& adc) { return adc.enterHiddenMode(code); });
}

VYK_API int16_t KAL_SetInterpolateMissingPixels(int16_t on)
{
    return onConverter("KAL_SetInterpolateMissingPixels", 0,
                       [&](SerialAdc&) { return setInterpolate(on); });
}

VYK_API int16_t KAL_GetInterpolateMissingPixels(void)
{
    return onConverter("KAL_GetInterpolateMissingPixels", 0, [&](SerialAdc& adc) {
        return static_cast<int16_t>(adc.interpolateMissingPixels.load() ? 1 : 0);
    });
}

VYK_API int16_t KAL_SetRamanMode(int16_t on)
{
    return onConverter("KAL_SetRamanMode", 0, [&](SerialAdc&) { return setRaman(on); });
}

VYK_API int16_t KAL_GetRamanMode(void)
{
    return onConverter("KAL_GetRamanMode", 0,
                       [&](SerialAdc& adc) { return static_cast<int16_t>(adc.ramanMode.load()); });
}

VYK_API int16_t KAL_SetStoredFloat(uint16_t slot, float value)
{
    return onConverter("KAL_SetStoredFloat", 0,
                       [&](SerialAdc&) { return setStoredFloat(slot, value); });
}

VYK_API int16_t KAL_GetStoredFloat(uint16_t slot, float* value)
{
    return onConverter("KAL_GetStoredFloat", 0,
                       [&](SerialAdc&) { return getStoredFloat(slot, value); });
}

VYK_API int16_t KAL_SetStoredInt(uint16_t slot, int32_t value)
{
    return onConverter("KAL_SetStoredInt", 0,
                       [&](SerialAdc&) { return setStoredInt(slot, value); });
}

VYK_API int16_t KAL_GetStoredInt(uint16_t slot, int32_t* value)
{
    return onConverter("KAL_GetStoredInt", 0,
                       [&](SerialAdc&) { return getStoredInt(slot, value); });
}

VYK_API int16_t KAL_ReadoutScansInMemory(int16_t memory)
{
    return onConverter("KAL_ReadoutScansInMemory", 0,
                       [&](SerialAdc&) { return readoutScansInMemory(memory); });
}

VYK_API int16_t KAL_EnableISR(void)
{
    return onConverter("KAL_EnableISR", 0, [&](SerialAdc& adc) {
        return adc.notImplemented("KAL_EnableISR not implimented");
    });
}

VYK_API int16_t KAL_Scan(uint16_t* buffer)
{
    return onConverter("KAL_Scan", 0, [&](SerialAdc& adc) { return adc.scan(buffer); });
}

VYK_API int16_t KAL_ReadoutOneScan(uint16_t memory, uint16_t* buffer)
{
    return onConverter("KAL_ReadoutOneScan", 0,
                       [&](SerialAdc& adc) { return adc.readoutOneScan(memory, buffer); });
}

VYK_API int16_t KAL_ScanWithAverage(uint16_t* buffer, int16_t scans, float* average)
{
    return onConverter("KAL_ScanWithAverage", 0,
                       [&](SerialAdc& adc) { return adc.scanWithAverage(buffer, scans, average); });
}
