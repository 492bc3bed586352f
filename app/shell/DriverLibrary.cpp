#include "app/shell/DriverLibrary.h"

#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/include/vykdrv32_serial.h"
#include "driver/include/vykdrv32_usb.h"
#include "driver/include/vykdrv32_xandel.h"
#include "platform/win/Log.h"
#include "platform/win/System.h"

#include <array>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <type_traits>

namespace {

constexpr const char* kModule = "driverlib";
// The driver copies a USB serial number into a buffer of at least 16 bytes and a firmware
// version text into one of at least 32; the buffers here are larger and always terminated.
constexpr size_t kTextBuffer = 256;

std::string terminatedText(const std::array<char, kTextBuffer + 1>& buffer)
{
    return std::string(buffer.data());
}

// A bare library name is looked for beside the program first: dlopen resolves it against the
// run path of the object that calls it, which is not the program's when a preloaded library
// (a sanitizer runtime, a profiler) intercepts the call.
std::string besideProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return name;
    const std::filesystem::path candidate = program.parent_path() / name;
    return std::filesystem::exists(candidate, error) ? candidate.string() : name;
}

} // namespace

DriverLibrary::DriverLibrary(std::string libraryName, Report report)
    : m_libraryName(std::move(libraryName)), m_report(std::move(report))
{
    if (!m_report) {
        m_report = [](const std::string& message) {
            platform::win::MessageBox(0, message.c_str(), "Harlune",
                                      platform::win::MB_OK | platform::win::MB_ICONERROR);
        };
    }
}

DriverLibrary::~DriverLibrary()
{
    // Unloading stops the driver's threads before their code goes away.
    if (m_handle)
        dlclose(m_handle);
}

bool DriverLibrary::load()
{
    if (m_handle)
        return true;
    if (m_loadFailed)
        return false;
    m_handle = dlopen(besideProgram(m_libraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        m_loadFailed = true;
        const char* reason = dlerror();
        platform::win::logError(kModule, "cannot load %s: %s", m_libraryName.c_str(),
                                reason ? reason : "unknown reason");
        reportOnce("", "The driver library \"" + m_libraryName +
                           "\" could not be loaded, so no spectrometer can be used.\n" +
                           (reason ? reason : "") +
                           "\nInstall the driver library beside the program and start it again.");
        return false;
    }
    return true;
}

std::string DriverLibrary::loadedPath() const
{
    if (!m_handle)
        return {};
    link_map* map = nullptr;
    if (dlinfo(m_handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
        return {};
    return map->l_name;
}

void* DriverLibrary::symbol(const char* name)
{
    auto found = m_bound.find(name);
    if (found != m_bound.end())
        return found->second;
    if (!load())
        return nullptr;
    dlerror();
    void* address = dlsym(m_handle, name);
    if (!address) {
        platform::win::logError(kModule, "%s has no function %s", m_libraryName.c_str(), name);
        reportOnce(name, "The driver library \"" + m_libraryName + "\" has no function \"" + name +
                             "\". The driver library may be older than the program.");
        // Remember the miss too, so the user is told once and the lookup is not repeated.
    }
    m_bound.emplace(name, address);
    return address;
}

void DriverLibrary::reportOnce(const std::string& key, const std::string& message)
{
    if (!m_reported.insert(key).second)
        return;
    if (m_report)
        m_report(message);
}

// Each export is called through the type the driver's headers declare for it: a call through
// another type is undefined (a 16-bit result read as 32 bits carries whatever the register's
// upper half held). The arguments convert to the declared parameters; a library without the
// export gives the fallback, as does every call of an export that returns nothing.
template <typename Function, typename R, typename... Args>
R DriverLibrary::callExport(const char* name, R fallback, Args... args)
{
    void* address = symbol(name);
    if (!address)
        return fallback;
    auto* function = reinterpret_cast<Function*>(address);
    if constexpr (std::is_void_v<std::invoke_result_t<Function*, Args...>>) {
        function(args...);
        return fallback;
    } else {
        return static_cast<R>(function(args...));
    }
}

int16_t DriverLibrary::VYK_Config(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                                  uint16_t baseAddress)
{
    return callExport<decltype(::VYK_Config)>("VYK_Config", int16_t(-1), int16_t(spectrometerType),
                                              int16_t(adcType), int16_t(irq), int16_t(baseAddress));
}

int16_t DriverLibrary::VYK_ConfigEx(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                                    uint16_t baseAddress, uint16_t serialPort, uint16_t pciCardId)
{
    return callExport<decltype(::VYK_ConfigEx)>(
        "VYK_ConfigEx", int16_t(-1), int16_t(spectrometerType), int16_t(adcType), int16_t(irq),
        int16_t(baseAddress), int16_t(serialPort), int16_t(pciCardId));
}

void DriverLibrary::VYK_EnableSLCorrection(int16_t channel, int16_t enable)
{
    callExport<decltype(::VYK_EnableSLCorrection)>("VYK_EnableSLCorrection", 0, channel, enable);
}

void DriverLibrary::VYK_EnableNLCorrection(int16_t channel, int16_t enable)
{
    callExport<decltype(::VYK_EnableNLCorrection)>("VYK_EnableNLCorrection", 0, channel, enable);
}

void DriverLibrary::VYK_SetSLCoef(int16_t channel, float constant)
{
    callExport<decltype(::VYK_SetSLCoef)>("VYK_SetSLCoef", 0, channel, constant);
}

void DriverLibrary::VYK_SetNLCoefs(int16_t channel, const float* coefficients)
{
    callExport<decltype(::VYK_SetNLCoefs)>("VYK_SetNLCoefs", 0, channel, coefficients);
}

void DriverLibrary::VYK_SetKaldrisBaudRate(uint16_t baudRateCode)
{
    callExport<decltype(::VYK_SetKaldrisBaudRate)>("VYK_SetKaldrisBaudRate", 0, baudRateCode);
}

void DriverLibrary::VYK_SetKaldrisCompressedMode(uint16_t compressed)
{
    callExport<decltype(::VYK_SetKaldrisCompressedMode)>("VYK_SetKaldrisCompressedMode", 0,
                                                         compressed);
}

void DriverLibrary::VYK_SetKaldrisPixelResolution(uint16_t resolution)
{
    callExport<decltype(::VYK_SetKaldrisPixelResolution)>("VYK_SetKaldrisPixelResolution", 0,
                                                          resolution);
}

void DriverLibrary::VYK_EnableMultichannelSpectra(uint16_t rotation)
{
    callExport<decltype(::VYK_EnableMultichannelSpectra)>("VYK_EnableMultichannelSpectra",
                                                          int16_t(0), rotation);
}

void DriverLibrary::VYK_DisableMultichannelSpectra()
{
    callExport<decltype(::VYK_DisableMultichannelSpectra)>("VYK_DisableMultichannelSpectra", 0);
}

std::string DriverLibrary::VYK_GetCurrentUSBSerialNumber()
{
    std::array<char, kTextBuffer + 1> buffer{};
    callExport<decltype(::VYK_GetCurrentUSBSerialNumber)>("VYK_GetCurrentUSBSerialNumber", 0,
                                                          buffer.data());
    return terminatedText(buffer);
}

int16_t DriverLibrary::VYK_SetCurrentUSBSerialNumber(const std::string& serial)
{
    return callExport<decltype(::VYK_SetCurrentUSBSerialNumber)>("VYK_SetCurrentUSBSerialNumber",
                                                                 int16_t(0), serial.c_str());
}

void DriverLibrary::VYK_SetLastUSBScanValid(int16_t valid)
{
    callExport<decltype(::VYK_SetLastUSBScanValid)>("VYK_SetLastUSBScanValid", 0, valid);
}

uint32_t DriverLibrary::VYK_GetMaximumScopeModeIntensity()
{
    return callExport<decltype(::VYK_GetMaximumScopeModeIntensity)>(
        "VYK_GetMaximumScopeModeIntensity", uint32_t(4095));
}

uint16_t DriverLibrary::VYK_GetSpectrometerType()
{
    return uint16_t(
        callExport<decltype(::VYK_GetSpectrometerType)>("VYK_GetSpectrometerType", int16_t(0)));
}

uint16_t DriverLibrary::VYK_GetADCType()
{
    return callExport<decltype(::VYK_GetADCType)>("VYK_GetADCType", uint16_t(255));
}

uint16_t DriverLibrary::VYK_GetIRQ()
{
    return uint16_t(callExport<decltype(::VYK_GetIRQ)>("VYK_GetIRQ", int16_t(0)));
}

uint32_t DriverLibrary::VYK_GetBaseAddress()
{
    // The driver keeps the base address as a 16-bit word.
    return uint16_t(callExport<decltype(::VYK_GetBaseAddress)>("VYK_GetBaseAddress", int16_t(0)));
}

uint16_t DriverLibrary::VYK_GetPCICardID()
{
    return uint16_t(callExport<decltype(::VYK_GetPCICardID)>("VYK_GetPCICardID", int16_t(0)));
}

int32_t DriverLibrary::VYK_GetIntegrationTime()
{
    return callExport<decltype(::VYK_GetIntegrationTime)>("VYK_GetIntegrationTime", int32_t(0));
}

int16_t DriverLibrary::VYK_Register(RegistrationRecord* record)
{
    return callExport<decltype(::VYK_Register)>("VYK_Register", int16_t(-1), record);
}

void DriverLibrary::VYK_UnRegister(uint32_t instanceKey)
{
    callExport<decltype(::VYK_UnRegister)>("VYK_UnRegister", static_cast<void*>(nullptr),
                                           instanceKey);
}

int16_t DriverLibrary::VYK_ParamSet(RegistrationRecord* record)
{
    return callExport<decltype(::VYK_ParamSet)>("VYK_ParamSet", int16_t(-1), record);
}

int16_t DriverLibrary::VYK_BufferEmpty(uint32_t instanceKey, int16_t channel)
{
    return callExport<decltype(::VYK_BufferEmpty)>("VYK_BufferEmpty", int16_t(-1), instanceKey,
                                                   channel);
}

int16_t DriverLibrary::VYK_StrobeEnable(int16_t enable)
{
    return callExport<decltype(::VYK_StrobeEnable)>("VYK_StrobeEnable", int16_t(0), enable);
}

int16_t DriverLibrary::VYK_SingleScan(uint32_t instanceKey)
{
    return callExport<decltype(::VYK_SingleScan)>("VYK_SingleScan", int16_t(-1), instanceKey);
}

int16_t DriverLibrary::VYK_SingleScan_Thread(uint32_t instanceKey)
{
    return callExport<decltype(::VYK_SingleScan_Thread)>("VYK_SingleScan_Thread", int16_t(0),
                                                         instanceKey);
}

int32_t DriverLibrary::VYK_AcquisitionThreadActive()
{
    return callExport<decltype(::VYK_AcquisitionThreadActive)>("VYK_AcquisitionThreadActive",
                                                               int32_t(0));
}

void DriverLibrary::VYK_USB_ResetAllPipes()
{
    callExport<decltype(::VYK_USB_ResetAllPipes)>("VYK_USB_ResetAllPipes", 0);
}

int16_t DriverLibrary::KAL_SetPixelMode(KaldrisPixelMode* pixelMode)
{
    // The program's record is the driver's, its words kept signed.
    static_assert(sizeof(KaldrisPixelMode) == sizeof(KalPixelMode));
    return callExport<decltype(::KAL_SetPixelMode)>(
        "KAL_SetPixelMode", int16_t(-1), reinterpret_cast<const KalPixelMode*>(pixelMode));
}

std::string DriverLibrary::Pavik_GetFirmwareVersion()
{
    std::array<char, kTextBuffer + 1> buffer{};
    callExport<decltype(::Pavik_GetFirmwareVersion)>("Pavik_GetFirmwareVersion", int16_t(0),
                                                     buffer.data());
    return terminatedText(buffer);
}

int16_t DriverLibrary::Pavik_SetMavrinModulation(int32_t modulation)
{
    return callExport<decltype(::Pavik_SetMavrinModulation)>("Pavik_SetMavrinModulation",
                                                             int16_t(0), modulation);
}

int16_t DriverLibrary::Ulmar_SetTECEnable(int16_t enable)
{
    return callExport<decltype(::Ulmar_SetTECEnable)>("Ulmar_SetTECEnable", int16_t(0), enable);
}

int16_t DriverLibrary::Xandel_EnableCooler(int16_t enable)
{
    return callExport<decltype(::Xandel_EnableCooler)>("Xandel_EnableCooler", int16_t(0), enable);
}

int16_t DriverLibrary::Xandel_EnableFan(int16_t enable)
{
    return callExport<decltype(::Xandel_EnableFan)>("Xandel_EnableFan", int16_t(0), enable);
}
