#include "app/shell/DriverLibrary.h"

#include "platform/win/Log.h"
#include "platform/win/System.h"

#include <array>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>

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

template <typename R, typename... Args>
R DriverLibrary::call(const char* name, R fallback, Args... args)
{
    using Function = R (*)(Args...);
    void* address = symbol(name);
    if (!address)
        return fallback;
    return reinterpret_cast<Function>(address)(args...);
}

template <typename... Args> void DriverLibrary::callVoid(const char* name, Args... args)
{
    using Function = void (*)(Args...);
    if (void* address = symbol(name))
        reinterpret_cast<Function>(address)(args...);
}

int16_t DriverLibrary::VYK_Config(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                                  uint16_t baseAddress)
{
    return call<int16_t>("VYK_Config", int16_t(-1), int16_t(spectrometerType), int16_t(adcType),
                         int16_t(irq), int16_t(baseAddress));
}

int16_t DriverLibrary::VYK_ConfigEx(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                                    uint16_t baseAddress, uint16_t serialPort, uint16_t pciCardId)
{
    return call<int16_t>("VYK_ConfigEx", int16_t(-1), int16_t(spectrometerType), int16_t(adcType),
                         int16_t(irq), int16_t(baseAddress), int16_t(serialPort),
                         int16_t(pciCardId));
}

void DriverLibrary::VYK_EnableSLCorrection(int16_t channel, int16_t enable)
{
    callVoid("VYK_EnableSLCorrection", channel, enable);
}

void DriverLibrary::VYK_EnableNLCorrection(int16_t channel, int16_t enable)
{
    callVoid("VYK_EnableNLCorrection", channel, enable);
}

void DriverLibrary::VYK_SetSLCoef(int16_t channel, float constant)
{
    callVoid("VYK_SetSLCoef", channel, constant);
}

void DriverLibrary::VYK_SetNLCoefs(int16_t channel, const float* coefficients)
{
    callVoid("VYK_SetNLCoefs", channel, coefficients);
}

void DriverLibrary::VYK_SetKaldrisBaudRate(uint16_t baudRateCode)
{
    callVoid("VYK_SetKaldrisBaudRate", baudRateCode);
}

void DriverLibrary::VYK_SetKaldrisCompressedMode(uint16_t compressed)
{
    callVoid("VYK_SetKaldrisCompressedMode", compressed);
}

void DriverLibrary::VYK_SetKaldrisPixelResolution(uint16_t resolution)
{
    callVoid("VYK_SetKaldrisPixelResolution", resolution);
}

void DriverLibrary::VYK_EnableMultichannelSpectra(uint16_t rotation)
{
    call<int16_t>("VYK_EnableMultichannelSpectra", int16_t(0), rotation);
}

void DriverLibrary::VYK_DisableMultichannelSpectra()
{
    callVoid("VYK_DisableMultichannelSpectra");
}

std::string DriverLibrary::VYK_GetCurrentUSBSerialNumber()
{
    std::array<char, kTextBuffer + 1> buffer{};
    callVoid("VYK_GetCurrentUSBSerialNumber", buffer.data());
    return terminatedText(buffer);
}

int16_t DriverLibrary::VYK_SetCurrentUSBSerialNumber(const std::string& serial)
{
    return call<int16_t>("VYK_SetCurrentUSBSerialNumber", int16_t(0), serial.c_str());
}

void DriverLibrary::VYK_SetLastUSBScanValid(int16_t valid)
{
    callVoid("VYK_SetLastUSBScanValid", valid);
}

uint32_t DriverLibrary::VYK_GetMaximumScopeModeIntensity()
{
    return call<uint32_t>("VYK_GetMaximumScopeModeIntensity", uint32_t(4095));
}

uint16_t DriverLibrary::VYK_GetSpectrometerType()
{
    return uint16_t(call<int16_t>("VYK_GetSpectrometerType", int16_t(0)));
}

uint16_t DriverLibrary::VYK_GetADCType()
{
    return uint16_t(call<int16_t>("VYK_GetADCType", int16_t(255)));
}

uint16_t DriverLibrary::VYK_GetIRQ()
{
    return uint16_t(call<int16_t>("VYK_GetIRQ", int16_t(0)));
}

uint32_t DriverLibrary::VYK_GetBaseAddress()
{
    return uint32_t(call<int32_t>("VYK_GetBaseAddress", int32_t(0)));
}

uint16_t DriverLibrary::VYK_GetPCICardID()
{
    return uint16_t(call<int16_t>("VYK_GetPCICardID", int16_t(0)));
}

int32_t DriverLibrary::VYK_GetIntegrationTime()
{
    return call<int32_t>("VYK_GetIntegrationTime", int32_t(0));
}

int16_t DriverLibrary::VYK_Register(RegistrationRecord* record)
{
    return call<int16_t>("VYK_Register", int16_t(-1), record);
}

void DriverLibrary::VYK_UnRegister(uint32_t instanceKey)
{
    call<void*>("VYK_UnRegister", static_cast<void*>(nullptr), instanceKey);
}

int16_t DriverLibrary::VYK_ParamSet(RegistrationRecord* record)
{
    return call<int16_t>("VYK_ParamSet", int16_t(-1), record);
}

int16_t DriverLibrary::VYK_BufferEmpty(uint32_t instanceKey, int16_t channel)
{
    return call<int16_t>("VYK_BufferEmpty", int16_t(-1), instanceKey, channel);
}

int16_t DriverLibrary::VYK_StrobeEnable(int16_t enable)
{
    return call<int16_t>("VYK_StrobeEnable", int16_t(0), enable);
}

int16_t DriverLibrary::VYK_SingleScan(uint32_t instanceKey)
{
    return call<int16_t>("VYK_SingleScan", int16_t(-1), instanceKey);
}

int16_t DriverLibrary::VYK_SingleScan_Thread(uint32_t instanceKey)
{
    return call<int16_t>("VYK_SingleScan_Thread", int16_t(0), instanceKey);
}

int32_t DriverLibrary::VYK_AcquisitionThreadActive()
{
    return call<int32_t>("VYK_AcquisitionThreadActive", int32_t(0));
}

void DriverLibrary::VYK_USB_ResetAllPipes()
{
    callVoid("VYK_USB_ResetAllPipes");
}

int16_t DriverLibrary::KAL_SetPixelMode(KaldrisPixelMode* pixelMode)
{
    return call<int16_t>("KAL_SetPixelMode", int16_t(-1), pixelMode);
}

std::string DriverLibrary::Pavik_GetFirmwareVersion()
{
    std::array<char, kTextBuffer + 1> buffer{};
    call<int16_t>("Pavik_GetFirmwareVersion", int16_t(0), buffer.data());
    return terminatedText(buffer);
}

int16_t DriverLibrary::Pavik_SetMavrinModulation(int32_t modulation)
{
    return call<int16_t>("Pavik_SetMavrinModulation", int16_t(0), modulation);
}

int16_t DriverLibrary::Ulmar_SetTECEnable(int16_t enable)
{
    return call<int16_t>("Ulmar_SetTECEnable", int16_t(0), enable);
}

int16_t DriverLibrary::Xandel_EnableCooler(int16_t enable)
{
    return call<int16_t>("Xandel_EnableCooler", int16_t(0), enable);
}

int16_t DriverLibrary::Xandel_EnableFan(int16_t enable)
{
    return call<int16_t>("Xandel_EnableFan", int16_t(0), enable);
}
