// The coefficients record of the Java-driven models, kept in the driver's stored slots:
// slot 0 the serial, 1 to 4 the wavelength coefficients, 5 stray light, 6 to 13 the
// non-linearity coefficients, 14 the non-linearity order.
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"

#include <charconv>
#include <cstring>
#include <string>

#ifndef VYKDRV32_USB_H
// The record as the USB models' header defines it; used here until that header is part of
// the library's public header.
struct CoefficientsRecord
{
    char serial[16];
    float wavelength[4];
    float strayLight;
    float nonLinearity[8];
    int32_t nonLinearityOrder;
};
#endif
static_assert(sizeof(CoefficientsRecord) == 72, "the coefficients record is 72 bytes");

namespace driver::java {
namespace {

constexpr int kSlots = 15;

// A slot's text read from the device; no value when the driver answered null or failed.
std::optional<std::string> readSlot(int slot)
{
    auto value = callJava(JavaMethod::getCoefficient, {argInt(slot)});
    if (!value || value->isNull)
        return std::nullopt;
    return value->text;
}

float textToFloat(const std::string& text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    if (begin != end && *begin == '+')
        ++begin;
    float value = 0.0f;
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc{} ? value : 0.0f;
}

int textToInt(const std::string& text)
{
    return static_cast<int>(textToFloat(text));
}

// "%e" without regard to the locale.
std::string scientific(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                      std::chars_format::scientific, 6);
    return std::string(text, result.ptr);
}

int javaGetCoefficients(CoefficientsRecord* record)
{
    if (!record)
        return 0;
    std::memset(record, 0, sizeof *record);
    if (!IsJavaDriverLoaded())
        return 0;
    WaitWhileHardwareBusy();
    std::string slots[kSlots];
    const std::optional<std::string> serial = readSlot(0);
    if (serial)
        slots[0] = *serial;
    for (int slot = 1; slot < kSlots; ++slot)
        slots[slot] = readSlot(slot).value_or("");
    std::strncpy(record->serial, slots[0].c_str(), sizeof record->serial - 1);
    for (int i = 0; i < 4; ++i)
        record->wavelength[i] = textToFloat(slots[1 + i]);
    record->strayLight = textToFloat(slots[5]);
    for (int i = 0; i < 8; ++i)
        record->nonLinearity[i] = textToFloat(slots[6 + i]);
    record->nonLinearityOrder = textToInt(slots[14]);
    if (!(record->wavelength[0] > 0.0f) || !(record->wavelength[1] > 0.0f)) {
        std::memset(record, 0, sizeof *record);
        record->wavelength[1] = 1.0f;
        record->nonLinearity[0] = 1.0f;
        std::strncpy(record->serial, "NOT SET", sizeof record->serial - 1);
    }
    return serial ? 1 : 0;
}

int javaSetCoefficients(const CoefficientsRecord* record)
{
    if (!record || !IsJavaDriverLoaded())
        return 0;
    // The serial field need not be terminated: at most its 16 bytes are taken.
    const std::string serial(record->serial, strnlen(record->serial, sizeof record->serial));
    JavaSetCoefficient(6, scientific(record->nonLinearity[0]).c_str());
    JavaSetCoefficient(0, serial.c_str());
    for (int i = 0; i < 4; ++i)
        JavaSetCoefficient(1 + i, scientific(record->wavelength[i]).c_str());
    JavaSetCoefficient(5, scientific(record->strayLight).c_str());
    for (int i = 1; i < 8; ++i)
        JavaSetCoefficient(6 + i, scientific(record->nonLinearity[i]).c_str());
    JavaSetCoefficient(14, std::to_string(record->nonLinearityOrder).c_str());
    return 1;
}

} // namespace
} // namespace driver::java

#define VYK_JAVA_DEFINE_COEFFICIENTS(word)                                                         \
    VYK_API int32_t word##_GetCoefficients(struct CoefficientsRecord* record)                      \
    {                                                                                              \
        return driver::core::guardExport(#word "_GetCoefficients", int32_t{0}, [&] {               \
            return driver::java::javaGetCoefficients(record);                                      \
        });                                                                                        \
    }                                                                                              \
    VYK_API int32_t word##_SetCoefficients(const struct CoefficientsRecord* record)                \
    {                                                                                              \
        return driver::core::guardExport(#word "_SetCoefficients", int32_t{0}, [&] {               \
            return driver::java::javaSetCoefficients(record);                                      \
        });                                                                                        \
    }

VYK_JAVA_MODELS(VYK_JAVA_DEFINE_COEFFICIENTS)
