#include "driver/usb/CoefficientSlots.h"

#include "driver/usb/InfoSlotText.h"
#include "driver/usb/UsbProtocol.h"
#include "driver/usb/UsbTransport.h"

#include <cstring>
#include <string>

namespace driver::usb {
namespace {

constexpr int kCoefficientSlots = 15;
constexpr std::size_t kStoredStringField = 16; // 15 characters and the NUL

} // namespace

int readCoefficientSlots(CoefficientsRecord* record,
                         bool (*calibrated)(const CoefficientsRecord& record))
{
    if (!record || !deviceOk())
        return 0;
    std::string slots[kCoefficientSlots];
    for (int slot = 0; slot < kCoefficientSlots; ++slot) {
        // A slot that could not be read makes the whole record unknown.
        if (!ReadInfoSlot(deviceHandle(), slot, slots[slot]))
            return 0;
    }
    CoefficientsRecord out{};
    copyBounded(out.serial, sizeof out.serial, slots[0]);
    for (int i = 0; i < 4; ++i)
        out.wavelength[i] = slotTextToFloat(slots[1 + i]);
    out.strayLight = slotTextToFloat(slots[5]);
    for (int i = 0; i < 8; ++i)
        out.nonLinearity[i] = slotTextToFloat(slots[6 + i]);
    out.nonLinearityOrder = slotTextToInt(slots[14]);
    if (!calibrated(out)) {
        out = CoefficientsRecord{};
        out.wavelength[1] = 1.0f;
        out.nonLinearity[0] = 1.0f;
        copyBounded(out.serial, sizeof out.serial, "NOT SET");
    }
    *record = out;
    return 1;
}

int writeCoefficientSlots(const CoefficientsRecord* record)
{
    if (!record || !deviceOk())
        return 0;
    const Handle handle = deviceHandle();
    char serial[sizeof record->serial + 1] = {};
    std::memcpy(serial, record->serial, sizeof record->serial);
    if (!WriteInfoSlot(handle, 0, serial))
        return 0;
    const float values[13] = {
        record->wavelength[0],   record->wavelength[1],   record->wavelength[2],
        record->wavelength[3],   record->strayLight,      record->nonLinearity[0],
        record->nonLinearity[1], record->nonLinearity[2], record->nonLinearity[3],
        record->nonLinearity[4], record->nonLinearity[5], record->nonLinearity[6],
        record->nonLinearity[7]};
    for (int i = 0; i < 13; ++i) {
        const std::string text = formatSlotFloat(values[i], std::chars_format::scientific);
        if (!WriteInfoSlot(handle, 1 + i, text))
            return 0;
    }
    return WriteInfoSlot(handle, 14, std::to_string(record->nonLinearityOrder));
}

int readStoredStringSlot(int32_t slot, char* text)
{
    if (!text || !deviceOk())
        return 0;
    std::string value;
    if (!ReadInfoSlot(deviceHandle(), slot, value))
        return 0;
    copyBounded(text, kStoredStringField, value);
    return 1;
}

int writeStoredStringSlot(int32_t slot, const char* text)
{
    if (!text || !deviceOk())
        return 0;
    return WriteInfoSlot(deviceHandle(), slot, std::string(text, strnlen(text, kInfoSlotChars)));
}

} // namespace driver::usb
