// The exports every Java-driven model has: identification, firmware and stored strings.
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"
#include "driver/java/JavaModels.h"

#include <cstring>
#include <string_view>

namespace driver::java {
namespace {

const JavaModel& model(std::string_view word)
{
    for (const JavaModel& m : javaModels()) {
        if (word == m.word)
            return m;
    }
    return javaModels().front(); // every word below is in the table
}

// Opens device `index` and reads its serial (slot 0); 1 when a device answered.
int readSerialAt(int index, char* serial, std::size_t size)
{
    if (JavaOpenSpectrometer(index) <= 0) {
        copyText("", serial, size);
        return 0;
    }
    if (!JavaGetSerialNumber(serial, size))
        copyText("", serial, size);
    JavaCloseSpectrometer();
    return 1;
}

int javaIdentify(const JavaModel& m, int deviceIndex, char* serial)
{
    if (!serial || !ensureJavaClass(m))
        return 0;
    const int previous = JavaGetDeviceIndex();
    if (previous != -1)
        JavaCloseSpectrometer();
    const int result = readSerialAt(deviceIndex, serial, VYK_JAVA_SLOT_BYTES);
    if (previous != -1)
        JavaOpenSpectrometer(previous);
    return result;
}

int storedString(int slot, char* text)
{
    if (!text)
        return 0;
    return JavaGetCoefficient(slot, text, VYK_JAVA_SLOT_BYTES);
}

} // namespace

int ensureJavaClass(const JavaModel& m)
{
    if (IsJavaDriverLoaded() && GetLoadedJavaClassName() == m.classPath)
        return 1;
    return LoadJavaDriver(m.classPath);
}

int identifyAllJava(const JavaModel& m, JavaDeviceSlot* list)
{
    if (!list || !ensureJavaClass(m))
        return 0;
    const int previous = JavaGetDeviceIndex();
    if (previous != -1)
        JavaCloseSpectrometer();
    std::memset(list, 0, sizeof(JavaDeviceSlot) * VYK_JAVA_DEVICE_SLOTS);
    for (int i = 0; i < VYK_JAVA_DEVICE_SLOTS; ++i) {
        JavaDeviceSlot& slot = list[i];
        slot.found = readSerialAt(i, slot.serial, sizeof slot.serial);
    }
    if (previous != -1)
        JavaOpenSpectrometer(previous);
    return 1;
}

} // namespace driver::java

namespace dj = driver::java;
using driver::core::guardExport;

#define VYK_JAVA_DEFINE_COMMON(word)                                                               \
    VYK_API int32_t word##_Identify##word(int32_t deviceIndex, char* serial)                       \
    {                                                                                              \
        return guardExport("Identify" #word, int32_t{0}, [&] {                                     \
            return dj::javaIdentify(dj::model(#word), deviceIndex, serial);                        \
        });                                                                                        \
    }                                                                                              \
    VYK_API int32_t word##_GetFirmwareVersion(char* text)                                          \
    {                                                                                              \
        return guardExport(#word "_GetFirmwareVersion", int32_t{0}, [&] {                          \
            return text ? dj::JavaGetStringDescriptor(1, text, VYK_JAVA_TEXT_BYTES) : 0;           \
        });                                                                                        \
    }                                                                                              \
    VYK_API int32_t word##_SetStoredString(int32_t slot, const char* text)                         \
    {                                                                                              \
        return guardExport(#word "_SetStoredString", int32_t{0},                                   \
                           [&] { return text ? dj::JavaSetCoefficient(slot, text) : 0; });         \
    }                                                                                              \
    VYK_API int32_t word##_GetStoredString(int32_t slot, char* text)                               \
    {                                                                                              \
        return guardExport(#word "_GetStoredString", int32_t{0},                                   \
                           [&] { return dj::storedString(slot, text); });                          \
    }                                                                                              \
    VYK_API int32_t VYK_IdentifyAll##word(JavaDeviceSlot* list)                                    \
    {                                                                                              \
        return guardExport("VYK_IdentifyAll" #word, int32_t{0},                                    \
                           [&] { return dj::identifyAllJava(dj::model(#word), list); });           \
    }

VYK_JAVA_MODELS(VYK_JAVA_DEFINE_COMMON)

VYK_API int32_t Quarn_Norrel_LampEnable(int32_t flag)
{
    return guardExport("Quarn_Norrel_LampEnable", int32_t{0}, [&]() -> int32_t {
        if (flag != 0 && flag != 1)
            return 0;
        // The lamp potentiometer command: 0x40 switches the lamp on, 0x3F off.
        const std::uint8_t command[3] = {static_cast<std::uint8_t>(flag ? 0x40 : 0x3F), 0x03, 0x00};
        if (!dj::IsJavaDriverLoaded())
            return 0;
        return dj::callJava(dj::JavaMethod::sendData,
                            {dj::argInt(0), dj::argBytes(command), dj::argInt(3)})
                   ? 1
                   : 0;
    });
}
