#include "driver/java/JavaBridge.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/java/ScanBusyFlag.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

namespace driver::java {
namespace {

struct Bridge
{
    std::mutex mutex; // guards the members; never held across a Java call
    std::shared_ptr<JavaDriverBackend> backend;
    std::string classPath;
    std::vector<double> spectrum;
    std::atomic<bool> loaded{false};
};

Bridge& bridge()
{
    static Bridge instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_bridgeMadeAtLoad = (bridge(), true);

std::shared_ptr<JavaDriverBackend> backendLocked(Bridge& b)
{
    if (!b.backend)
        b.backend = makeJniJavaBackend();
    return b.backend;
}

std::shared_ptr<JavaDriverBackend> currentBackend()
{
    Bridge& b = bridge();
    std::lock_guard lock(b.mutex);
    return b.loaded ? b.backend : nullptr;
}

int javaPixelCount()
{
    core::DriverState& state = core::driverState();
    std::lock_guard lock(state.mutex);
    return std::max(state.pixelCount, 0);
}

} // namespace

void copyText(const std::string& text, char* out, std::size_t size)
{
    if (!out || size == 0)
        return;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

void setJavaBackend(std::shared_ptr<JavaDriverBackend> backend)
{
    Bridge& b = bridge();
    std::lock_guard lock(b.mutex);
    b.backend = std::move(backend);
    b.loaded = false;
    b.classPath.clear();
}

int LoadJavaDriver(const char* classPath)
{
    if (!classPath)
        return 0;
    Bridge& b = bridge();
    std::shared_ptr<JavaDriverBackend> backend;
    {
        std::lock_guard lock(b.mutex);
        backend = backendLocked(b);
        b.loaded = false;
        b.classPath.clear();
    }
    const JavaLoadResult result = backend->load(classPath);
    if (result == JavaLoadResult::NoVm) {
        core::driverPlatform().messageBox("Can't create Java VM for VYKDrvJ", core::kCaptionError,
                                          core::kMbOk);
        return 0;
    }
    if (result == JavaLoadResult::ClassFailed) {
        core::driverPlatform().messageBox(
            "There was an error loading the Java\nportion of the VYKDrv32 driver.",
            "Tarnwick Loading Error", core::kMbOk);
        return 0;
    }
    std::lock_guard lock(b.mutex);
    b.classPath = classPath;
    b.loaded = true;
    return 1;
}

int UnloadJavaDriver()
{
    Bridge& b = bridge();
    std::shared_ptr<JavaDriverBackend> backend;
    {
        std::lock_guard lock(b.mutex);
        if (!b.loaded)
            return 0;
        b.loaded = false;
        b.classPath.clear();
        backend = b.backend;
    }
    if (backend)
        backend->unload();
    return 1;
}

int IsJavaDriverLoaded()
{
    return bridge().loaded ? 1 : 0;
}

std::string GetLoadedJavaClassName()
{
    Bridge& b = bridge();
    std::lock_guard lock(b.mutex);
    return b.classPath;
}

void WaitWhileHardwareBusy()
{
    hardwareScanBusy().waitWhileBusy();
}

std::optional<JavaValue> callJava(JavaMethod method, std::initializer_list<JavaArg> args)
{
    std::shared_ptr<JavaDriverBackend> backend = currentBackend();
    if (!backend)
        return std::nullopt;
    return backend->call(method, std::span<const JavaArg>(args.begin(), args.size()));
}

int JavaOpenSpectrometer(int deviceIndex)
{
    auto result = callJava(JavaMethod::openSpectrometer, {argInt(deviceIndex)});
    return result ? static_cast<int>(result->integer) : 0;
}

int JavaCloseSpectrometer()
{
    return callJava(JavaMethod::closeSpectrometer) ? 1 : 0;
}

int JavaSetIntegrationTime(int time)
{
    int lowest = 10;
    {
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        if (state.adcType == VYK_ADC_ULMARADC)
            lowest = 1;
    }
    if (time < lowest || time > 65535000)
        return 0;
    return callJava(JavaMethod::setIntegrationTime, {argInt(time)}) ? 1 : 0;
}

int JavaSetStrobeEnable(int flag)
{
    return callJava(JavaMethod::setStrobeEnableFlag, {argInt(flag & 0xFF)}) ? 1 : 0;
}

int JavaSetContinuousStrobeClock(int clock)
{
    if (clock < 0 || clock > 65535)
        return 0;
    return callJava(JavaMethod::setContinuousStrobeClock, {argInt(clock)}) ? 1 : 0;
}

int JavaSetExternalTriggerMode(int mode)
{
    return callJava(JavaMethod::setExternalTriggerMode, {argInt(mode)}) ? 1 : 0;
}

int JavaSetSpectrometerChannel(int channel)
{
    if (channel != 0)
        return 0;
    return callJava(JavaMethod::setSpectrometerChannel, {argInt(0)}) ? 1 : 0;
}

int JavaScan(int scans)
{
    if (!IsJavaDriverLoaded())
        return 0;
    ScanBusyScope busy(hardwareScanBusy());
    return callJava(JavaMethod::scan, {argInt(scans)}) ? 1 : 0;
}

int JavaGetAccumulator()
{
    auto result = callJava(JavaMethod::getAccumulator);
    if (!result)
        return 0;
    const std::size_t pixels = static_cast<std::size_t>(javaPixelCount());
    Bridge& b = bridge();
    std::lock_guard lock(b.mutex);
    b.spectrum.assign(pixels, 0.0);
    // The driver may hand back fewer values than the core expects: copy what is there.
    const std::size_t n = std::min(pixels, result->isNull ? 0 : result->doubles.size());
    std::copy_n(result->doubles.begin(), n, b.spectrum.begin());
    return 1;
}

std::optional<std::size_t> copyJavaSpectrum(std::span<float> out)
{
    Bridge& b = bridge();
    std::lock_guard lock(b.mutex);
    if (!b.loaded)
        return std::nullopt;
    const std::size_t n = std::min(out.size(), b.spectrum.size());
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<float>(b.spectrum[i]);
    return n;
}

int JavaGetCoefficient(int slot, char* text, std::size_t size)
{
    auto result = callJava(JavaMethod::getCoefficient, {argInt(slot)});
    if (!result || result->isNull)
        return 0;
    copyText(result->text, text, size);
    return 1;
}

int JavaGetSerialNumber(char* text, std::size_t size)
{
    return JavaGetCoefficient(0, text, size);
}

int JavaSetCoefficient(int slot, const char* text)
{
    WaitWhileHardwareBusy();
    return callJava(JavaMethod::setCoefficient, {argInt(slot), argText(text ? text : "")}) ? 1 : 0;
}

int JavaGetStringDescriptor(int index, char* text, std::size_t size)
{
    auto result = callJava(JavaMethod::getStringDescriptor, {argInt(index)});
    if (!result || result->isNull)
        return 0;
    copyText(result->text, text, size);
    return 1;
}

int JavaGetDeviceIndex()
{
    auto result = callJava(JavaMethod::getDeviceIndex);
    return result ? static_cast<int>(result->integer) : 0;
}

int JavaBulkOut(int pipe, const std::uint8_t* bytes, int length)
{
    if (length < 0 || (length > 0 && !bytes))
        return 0;
    std::span<const std::uint8_t> data(bytes, static_cast<std::size_t>(length));
    auto result = callJava(JavaMethod::sendData, {argInt(pipe), argBytes(data), argInt(length)});
    return result ? static_cast<int>(result->integer) : 0;
}

int JavaBulkIn(int pipe, std::uint8_t* buffer, int length)
{
    if (length < 0 || (length > 0 && !buffer))
        return 0;
    // The driver fills a Java array of `length` bytes; it starts zeroed.
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(length));
    auto result = callJava(JavaMethod::getData, {argInt(pipe), argBytes(scratch), argInt(length)});
    if (!result)
        return 0;
    const std::size_t n = std::min(scratch.size(), result->bytes.size());
    std::copy_n(result->bytes.begin(), n, buffer);
    return static_cast<int>(result->integer);
}

} // namespace driver::java
