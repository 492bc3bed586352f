#include "driver/core/DriverConfig.h"

#include "driver/core/DriverState.h"
#include "platform/win/Profile.h"
#include "platform/win/System.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <strings.h>
#include <vector>

namespace driver::core {
namespace {

constexpr const char* kSetup = "Setup";

struct TypeWord
{
    const char* word;
    std::uint16_t type;
};

// The first entry of each table matches only as written or in lower case.
constexpr std::array kSpectrometerWords = {
    TypeWord{"Gavrel", VYK_SPEC_GAVREL}, TypeWord{"IstrelBT", VYK_SPEC_ISTRELBT},
    TypeWord{"Istrel", VYK_SPEC_ISTREL}, TypeWord{"Lemmik", VYK_SPEC_LEMMIK},
    TypeWord{"Wessor", VYK_SPEC_WESSOR}, TypeWord{"Velko", VYK_SPEC_VELKO},
    TypeWord{"Jolvar", VYK_SPEC_JOLVAR}, TypeWord{"Ulmar", VYK_SPEC_ULMAR},
    TypeWord{"Pellar", VYK_SPEC_PELLAR},
};

constexpr std::array kAdcWords = {
    TypeWord{"Dovrin", VYK_ADC_DOVRIN},
    TypeWord{"DAQ700", VYK_ADC_DAQ700},
    TypeWord{"Brontel", VYK_ADC_BRONTEL},
    TypeWord{"SERIALADC", VYK_ADC_SERIAL},
    TypeWord{"Kaldris", VYK_ADC_SERIAL},
    TypeWord{"SERIALUSB", VYK_ADC_SERIAL},
    TypeWord{"Pavik", VYK_ADC_PAVIK},
    TypeWord{"CadrelPCI", VYK_ADC_CADRELPCI},
    TypeWord{"BrontelUSB", VYK_ADC_BRONTELUSB},
    TypeWord{"Solvi", VYK_ADC_SOLVI},
    TypeWord{"Fornic-PC104", VYK_ADC_FORNICPC104},
    TypeWord{"Xandel", VYK_ADC_XANDEL},
    TypeWord{"Trevan", VYK_ADC_TREVAN},
    TypeWord{"SolviPLUS", VYK_ADC_SOLVIPLUS},
    TypeWord{"Solvi+", VYK_ADC_SOLVIPLUS},
    TypeWord{"UlmarADC", VYK_ADC_ULMARADC},
    TypeWord{"PavikPLUS", VYK_ADC_PAVIKPLUS},
    TypeWord{"Quarn", VYK_ADC_QUARN},
    TypeWord{"Pellar", VYK_ADC_PELLAR},
    TypeWord{"NONE", VYK_ADC_NONE},
};

template <std::size_t N>
std::optional<std::uint16_t> lookUp(const std::array<TypeWord, N>& words, std::string_view word)
{
    const std::string text(word);
    const std::string first = words[0].word;
    std::string lower = first;
    for (char& ch : lower)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
    if (text == first || text == lower)
        return words[0].type;
    for (std::size_t i = 1; i < N; ++i) {
        if (strcasecmp(text.c_str(), words[i].word) == 0)
            return words[i].type;
    }
    return std::nullopt;
}

std::string readString(const char* section, const char* key, const char* defaultValue,
                       const std::string& file)
{
    // Values are read into 30-character buffers, as the file's other readers do.
    char buffer[30] = {};
    platform::win::GetPrivateProfileString(section, key, defaultValue, buffer, sizeof buffer,
                                           file.c_str());
    return buffer;
}

int readInt(const char* section, const char* key, int defaultValue, const std::string& file)
{
    return static_cast<int>(
        platform::win::GetPrivateProfileInt(section, key, defaultValue, file.c_str()));
}

// A decimal number without regard to the process's locale; unparsable text reads as 0.
double parseReal(const std::string& text)
{
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    if (*begin == '+')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, text.c_str() + text.size(), value);
    return result.ec == std::errc{} ? value : 0.0;
}

std::string formatReal(double value, std::chars_format format)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, 6);
    return std::string(buffer, result.ptr);
}

void writeString(const char* section, const char* key, const std::string& value,
                 const std::string& file)
{
    platform::win::WritePrivateProfileString(section, key, value.c_str(), file.c_str());
}

void writeInt(const char* section, const char* key, long value, const std::string& file)
{
    writeString(section, key, std::to_string(value), file);
}

constexpr std::array<const char*, 8> kNlKeys = {
    "NLIntercept",  "NLFirstCoef", "NLSecondCoef", "NLThirdCoef",
    "NLFourthCoef", "NLFifthCoef", "NLSixthCoef",  "NLSeventhCoef",
};

std::string channelSection(int channel)
{
    return "Channel" + std::to_string(channel);
}

} // namespace

std::string driverConfigPath()
{
    if (const char* file = std::getenv("VYKDRV_INI"); file && *file)
        return file;
    std::string folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        folder = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::string(home) + "/.config";
    else
        folder = ".";
    return folder + "/VYKDRV.INI";
}

std::uint16_t spectrometerTypeFromWord(std::string_view word)
{
    return lookUp(kSpectrometerWords, word).value_or(VYK_SPEC_GAVREL);
}

std::uint16_t adcTypeFromWord(std::string_view word)
{
    return lookUp(kAdcWords, word).value_or(VYK_ADC_NONE);
}

const char* spectrometerTypeWord(std::uint16_t type)
{
    for (const TypeWord& w : kSpectrometerWords) {
        if (w.type == type)
            return w.word;
    }
    return "";
}

const char* adcTypeWord(std::uint16_t type)
{
    if (type == 3 || type == 5)
        type = VYK_ADC_SERIAL;
    for (const TypeWord& w : kAdcWords) {
        if (w.type == type)
            return w.word;
    }
    return "NONE";
}

std::string libraryVersionText(const char* name)
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&libraryVersionText), &info) || !info.dli_fname)
        return {};
    PWIN_DWORD handle = 0;
    const PWIN_DWORD size = platform::win::GetFileVersionInfoSize(info.dli_fname, &handle);
    if (size == 0)
        return {};
    std::vector<char> data(size);
    if (!platform::win::GetFileVersionInfo(info.dli_fname, handle, size, data.data()))
        return {};
    void* value = nullptr;
    PWIN_UINT length = 0;
    const std::string block = std::string("\\StringFileInfo\\040904e4\\") + name;
    if (!platform::win::VerQueryValue(data.data(), block.c_str(), &value, &length) || !value)
        return {};
    return std::string(static_cast<const char*>(value),
                       strnlen(static_cast<const char*>(value), length));
}

bool isUsbAdcType(std::uint16_t adcType)
{
    return adcType == VYK_ADC_PAVIK || adcType == VYK_ADC_BRONTELUSB || adcType == VYK_ADC_SOLVI ||
           adcType == VYK_ADC_XANDEL || adcType == VYK_ADC_PELLAR;
}

bool isJavaAdcType(std::uint16_t adcType)
{
    return adcType >= VYK_ADC_TREVAN && adcType <= VYK_ADC_QUARN;
}

bool isPortBoardAdcType(std::uint16_t adcType)
{
    return adcType == VYK_ADC_DOVRIN || adcType == VYK_ADC_DAQ700 || adcType == VYK_ADC_BRONTEL ||
           adcType == VYK_ADC_FORNICPC104;
}

std::int32_t integrationTimeFor(std::uint16_t spectrometerType, std::uint16_t adcType, int periodMs)
{
    if (spectrometerType == VYK_SPEC_ISTREL && adcType != VYK_ADC_ULMARADC &&
        adcType != VYK_ADC_SOLVIPLUS) {
        // The converter clock's factors as the single-precision values they always were.
        const double factor =
            adcType == VYK_ADC_DAQ700 ? static_cast<double>(1.28f) : static_cast<double>(1.024f);
        return static_cast<std::int32_t>(periodMs * factor);
    }
    if (spectrometerType == VYK_SPEC_GAVREL)
        return periodMs > 0 ? 4096 / periodMs : 0;
    return periodMs;
}

std::int32_t maximumScopeModeIntensity(std::uint16_t adcType)
{
    if (adcType <= VYK_ADC_FORNICPC104 || adcType == VYK_ADC_PELLAR || adcType == VYK_ADC_NONE)
        return 4095;
    if (adcType == VYK_ADC_TREVAN || adcType == VYK_ADC_SOLVIPLUS)
        return 16383;
    if (adcType == VYK_ADC_XANDEL || adcType == VYK_ADC_ULMARADC || adcType == VYK_ADC_PAVIKPLUS ||
        adcType == VYK_ADC_QUARN)
        return 65535;
    return 0;
}

void ReadDriverConfig()
{
    const std::string file = driverConfigPath();
    DriverFields read;
    read.spectrometerType =
        spectrometerTypeFromWord(readString(kSetup, "SpectrometerType", "Gavrel", file));
    read.adcType = adcTypeFromWord(readString(kSetup, "ADCType", "Dovrin", file));
    read.irq = readInt(kSetup, "IRQ", 7, file);
    read.messagesEnabled = readInt(kSetup, "EnableMessages", 1, file) != 0;
    read.baseAddress = readInt(kSetup, "BaseAddress", 768, file);
    read.firstPixel = readInt(kSetup, "FirstPixel", 950, file);
    read.doScanProcessYield = readInt(kSetup, "DoScanProcessYield", 1, file) == 1;
    read.extrigProcessYield = readInt(kSetup, "ExtrigProcessYield", 0, file) == 1;
    read.initialized = readInt(kSetup, "Initialized", 0, file) != 0;
    read.serialPort = readInt(kSetup, "SerialPort", 1, file);
    read.compressKalData = readInt(kSetup, "CompressKALData", 0, file) != 0;
    read.serialPortBaudIndex = readInt(kSetup, "SerialPortBaudIndex", 5, file);
    read.kaldrisPixelResolution = readInt(kSetup, "KaldrisPixelResolution", 1, file);
    read.pciCardId = readInt(kSetup, "PCICardID", 0, file);
    read.usbSerialNumber = readString(kSetup, "USBSerialNumber", "", file);
    read.noIntegrationTimeDelayMode = readInt(kSetup, "NoIntegrationTimeDelayMode", 0, file);
    read.autonullingEnabled = readInt(kSetup, "AutonullingEnabled", 1, file) != 0;
    read.pciRq5Fix = readInt(kSetup, "PCI/RQ5-FIX", 0, file) == 1;
    read.specialRotatorDelay = readInt(kSetup, "SpecialRotatorDelay", 1, file);
    read.cadrelPciMasterClockDivisor = readInt(kSetup, "CadrelPCIMasterClockDivisor", 4, file);

    std::array<ChannelCorrections, kChannels> corrections{};
    for (int c = 0; c < kChannels; ++c) {
        const std::string section = channelSection(c);
        ChannelCorrections& k = corrections[static_cast<std::size_t>(c)];
        k.nlEnable = readInt(section.c_str(), "NLEnabled", 0, file);
        for (std::size_t i = 0; i < kNlKeys.size(); ++i)
            k.nlCoefficients[i] =
                parseReal(readString(section.c_str(), kNlKeys[i], "0.0000", file));
        k.slEnable = readInt(section.c_str(), "SLEnabled", 0, file);
        k.slConstant =
            static_cast<float>(parseReal(readString(section.c_str(), "SLConstant", "0", file)));
    }

    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    state.spectrometerType = read.spectrometerType;
    state.adcType = read.adcType;
    state.irq = read.irq;
    state.messagesEnabled = read.messagesEnabled;
    state.baseAddress = read.baseAddress;
    state.firstPixel = read.firstPixel;
    state.doScanProcessYield = read.doScanProcessYield;
    state.extrigProcessYield = read.extrigProcessYield;
    state.initialized = read.initialized;
    state.serialPort = read.serialPort;
    state.compressKalData = read.compressKalData;
    state.serialPortBaudIndex = read.serialPortBaudIndex;
    state.kaldrisPixelResolution = read.kaldrisPixelResolution;
    state.pciCardId = read.pciCardId;
    state.usbSerialNumber = read.usbSerialNumber;
    state.noIntegrationTimeDelayMode = read.noIntegrationTimeDelayMode;
    state.autonullingEnabled = read.autonullingEnabled;
    state.pciRq5Fix = read.pciRq5Fix;
    state.specialRotatorDelay = read.specialRotatorDelay;
    state.cadrelPciMasterClockDivisor = read.cadrelPciMasterClockDivisor;
    for (int c = 0; c < kChannels; ++c) {
        ChannelCorrections& to = state.corrections[static_cast<std::size_t>(c)];
        const ChannelCorrections& from = corrections[static_cast<std::size_t>(c)];
        to.nlEnable = from.nlEnable;
        to.nlCoefficients = from.nlCoefficients;
        to.slEnable = from.slEnable;
        to.slConstant = from.slConstant;
    }
    state.strobeState = true;
    state.usbType = isUsbAdcType(state.adcType);
}

bool WriteDriverConfig()
{
    DriverFields copy;
    {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        copy.spectrometerType = state.spectrometerType;
        copy.adcType = state.adcType;
        copy.irq = state.irq;
        copy.messagesEnabled = state.messagesEnabled;
        copy.baseAddress = state.baseAddress;
        copy.firstPixel = state.firstPixel;
        copy.connectedMarker = state.connectedMarker;
        copy.initialized = state.initialized;
        copy.serialPort = state.serialPort;
        copy.compressKalData = state.compressKalData;
        copy.serialPortBaudIndex = state.serialPortBaudIndex;
        copy.kaldrisPixelResolution = state.kaldrisPixelResolution;
        copy.pciCardId = state.pciCardId;
        copy.usbSerialNumber = state.usbSerialNumber;
        copy.pciRq5Fix = state.pciRq5Fix;
        copy.corrections = state.corrections;
    }

    const std::string file = driverConfigPath();
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);

    platform::win::ProfileBatch batch(file);
    writeString(kSetup, "SpectrometerType", spectrometerTypeWord(copy.spectrometerType), file);
    writeString(kSetup, "ADCType", adcTypeWord(copy.adcType), file);
    writeInt(kSetup, "IRQ", copy.irq, file);
    writeInt(kSetup, "EnableMessages", copy.messagesEnabled ? 1 : 0, file);
    writeInt(kSetup, "BaseAddress", copy.baseAddress, file);
    writeInt(kSetup, "FirstPixel", copy.firstPixel, file);
    // Connected hardware whose back-end has not failed since: the next start connects.
    writeInt(kSetup, "Initialized", copy.connectedMarker != 0 && copy.initialized ? 1 : 0, file);
    writeInt(kSetup, "SerialPort", copy.serialPort, file);
    writeInt(kSetup, "CompressKALData", copy.compressKalData ? 1 : 0, file);
    writeInt(kSetup, "SerialPortBaudIndex", copy.serialPortBaudIndex, file);
    writeInt(kSetup, "KaldrisPixelResolution", copy.kaldrisPixelResolution, file);
    writeInt(kSetup, "PCICardID", copy.pciCardId, file);
    writeString(kSetup, "USBSerialNumber", copy.usbSerialNumber, file);
    if (copy.pciRq5Fix) {
        writeString(kSetup, "PCI/RQ5-FIX", "1", file);
    } else {
        // Written as "0" only where the work-around was once switched on in the file.
        char present[4] = {};
        platform::win::GetPrivateProfileString(kSetup, "PCI/RQ5-FIX", "\x01", present,
                                               sizeof present, file.c_str());
        if (present[0] != '\x01')
            writeString(kSetup, "PCI/RQ5-FIX", "0", file);
    }
    for (int c = 0; c < kChannels; ++c) {
        const std::string section = channelSection(c);
        const ChannelCorrections& k = copy.corrections[static_cast<std::size_t>(c)];
        writeInt(section.c_str(), "NLEnabled", k.nlEnable, file);
        for (std::size_t i = 0; i < kNlKeys.size(); ++i)
            writeString(section.c_str(), kNlKeys[i],
                        formatReal(k.nlCoefficients[i], std::chars_format::scientific), file);
        writeInt(section.c_str(), "SLEnabled", k.slEnable, file);
        writeString(section.c_str(), "SLConstant",
                    formatReal(static_cast<double>(k.slConstant), std::chars_format::fixed), file);
    }
    return batch.commit();
}

} // namespace driver::core
