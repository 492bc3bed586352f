#include "app/shell/SpectrometerConfiguration.h"

#include "app/shell/INIFileSupport.h"
#include "app/shell/NumberText.h"

#include <algorithm>
#include <vector>

namespace {

// The spectrum view handed to the most recently made configuration; the USB steps use it to
// reach the main frame. A window handle, so a view that closed is simply no window.
uint32_t s_notedView = 0;

struct NamedCode
{
    const char* name;
    uint16_t code;
};

const NamedCode kSpectrometerTypes[] = {
    {"Gavrel", 0x000}, {"IstrelBT", 0x100}, {"Istrel", 0x200},
    {"Lemmik", 0x300}, {"Wessor", 0x400},   {"Velko", 0x500},
    {"Jolvar", 0x600}, {"Ulmar", 0x700},    {"PellarSPEC", 0xFD00},
};

// Names read; "Kaldris" and "SERIALUSB" are older spellings of the serial converter.
const NamedCode kAdcTypesRead[] = {
    {"Dovrin", 0},        {"DAQ700", 1},  {"Brontel", 2},   {"SERIALADC", 8},  {"Kaldris", 8},
    {"SERIALUSB", 8},     {"Pavik", 4},   {"CadrelPCI", 6}, {"BrontelUSB", 7}, {"Solvi", 9},
    {"Fornic-PC104", 10}, {"Xandel", 11}, {"Trevan", 12},   {"SolviPLUS", 13}, {"UlmarADC", 14},
    {"PavikPLUS", 15},    {"Quarn", 16},  {"Pellar", 253},  {"NONE", 255},
};

const char* const kGeneral = "General";

bool validChannel(int channel)
{
    return channel >= 0 && channel < CSpectrometerConfiguration::kChannels;
}

// Cuts a text to at most maxBytes without splitting a UTF-8 character.
std::string cutText(const std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string channelSection(int channel)
{
    return app::text::formatC("Channel%d", channel);
}

} // namespace

CSpectrometerConfiguration::CSpectrometerConfiguration(const std::string& fileName,
                                                       uint32_t viewWindow,
                                                       SpectrometerConfigurationHost& host)
    : m_host(host), m_fileName(fileName)
{
    s_notedView = viewWindow;
    m_store = std::make_unique<CINIFileSupport>(m_fileName.c_str(), 0);
    for (auto& record : m_reference)
        record = std::make_unique<ReferenceRecord>();
    // The first read takes the whole file, whatever the manufacturing preference says.
    read(0);
    if (m_host.runsWithoutHardware())
        m_adcType = 255;
}

CSpectrometerConfiguration::~CSpectrometerConfiguration()
{
    // A failure is noted in the diagnostic log by the store; nobody is left to tell.
    if (m_host.manufacturingExtensionsEnabled() != 2 && !m_host.runsWithoutHardware())
        (void)WriteSpectrometerConfiguration();
}

void CSpectrometerConfiguration::Load(const std::string& fileName)
{
    m_fileName = fileName;
    m_store = std::make_unique<CINIFileSupport>(m_fileName.c_str(), 0);
    ReadSpectrometerConfiguration();
}

bool CSpectrometerConfiguration::SaveAs(const std::string& fileName)
{
    m_fileName = fileName;
    m_store = std::make_unique<CINIFileSupport>(m_fileName.c_str(), 0);
    return WriteSpectrometerConfiguration();
}

void CSpectrometerConfiguration::ReadSpectrometerConfiguration()
{
    read(m_host.manufacturingExtensionsEnabled());
}

void CSpectrometerConfiguration::read(int manufacturingExtensions)
{
    CINIFileSupport& store = *m_store;
    DriverApi& driver = m_host.driver();

    m_spectrometerType =
        spectrometerTypeFromName(store.GetStringDefault(kGeneral, "SpectrometerType", "Istrel"));

    if (manufacturingExtensions == 2) {
        m_initialized = 1;
        m_scopeModeSaturationThreshold = driver.VYK_GetMaximumScopeModeIntensity();
    } else {
        m_adcType = adcTypeFromName(store.GetStringDefault(kGeneral, "ADCType", "NONE"));
        m_serialNumber = cutText(store.GetStringDefault(kGeneral, "SerialNumber", "Unknown"), 29);
        m_spectrometerSubType =
            cutText(store.GetStringDefault(kGeneral, "SpectrometerSubType", "NONE"), 29);
        m_irq = store.GetUShortDefault(kGeneral, "IRQ", 7);
        m_baseAddress = store.GetUShortDefault(kGeneral, "BaseAddress", 768);
        m_serialPort = store.GetUShortDefault(kGeneral, "SerialPort", 0);
        m_channelRotation = store.GetUShortDefault(kGeneral, "BrontelRotation", 0);
        m_serialPortResolution = store.GetUShortDefault(kGeneral, "SerialPortResolution", 1);
        m_pciCardId = store.GetUShortDefault(kGeneral, "PCICardID", 0);
        m_initialized = store.GetUShortDefault(kGeneral, "Initialized", 0);
        m_displayLimitedRange = store.GetUIntDefault(kGeneral, "DisplayLimitedRange", 0);
        m_lemmikOffset = store.GetDoubleDefault(kGeneral, "LemmikOffset", 0.0);
        m_kaldrisCompression = store.GetUIntDefault(kGeneral, "KaldrisCompression", 0);
        m_serialPortBaudRate = store.GetUShortDefault(kGeneral, "SerialPortBaudRate", 6);
        m_usbSerialNumber = cutText(store.GetStringDefault(kGeneral, "USBSerialNumber", ""), 31);
        m_scopeModeSaturationThreshold =
            store.GetDoubleDefault(kGeneral, "ScopeModeSaturationThreshold", 14.0);
        // 14.0 is the default: take the full-scale count of the connected A/D converter.
        if (m_scopeModeSaturationThreshold == 14.0)
            m_scopeModeSaturationThreshold = driver.VYK_GetMaximumScopeModeIntensity();
        selectUsbSerialInDriver();
    }

    for (int c = 0; c < kChannels; ++c) {
        const std::string section = channelSection(c);
        const char* s = section.c_str();
        m_wlFirst[c] = store.GetFloatDefault(s, "WLFirst", 0.5f);
        m_wlSecond[c] = store.GetFloatDefault(s, "WLSecond", -2.0e-5f);
        m_wlThird[c] = store.GetFloatDefault(s, "WLThird", 0.0f);
        m_wlIntercept[c] = store.GetFloatDefault(s, "WLIntercept", 350.0f);
        m_nlEnabled[c] = store.GetShortDefault(s, "NLEnabled", 0);
        m_slEnabled[c] = store.GetShortDefault(s, "SLEnabled", 0);
        m_slConstant[c] = store.GetFloatDefault(s, "SLConstant", 1.0f);
        for (int i = 0; i < 8; ++i) {
            const std::string key = app::text::formatC("NLCoef%d", i);
            m_nlCoef[c][i] = store.GetFloatDefault(s, key.c_str(), 0.0f);
        }
        m_channelEnabled[c] = store.GetUShortDefault(s, "ChannelEnabled", 0);
        m_displayStart[c] = store.GetFloatDefault(s, "DisplayStart", 0.0f);
        if (m_displayStart[c] == 0.0f)
            m_displayStart[c] = static_cast<float>(PixelToWavelength(c, 0));
        m_displayEnd[c] = store.GetFloatDefault(s, "DisplayEnd", 0.0f);
        if (m_displayEnd[c] == 0.0f)
            m_displayEnd[c] = static_cast<float>(GetLastPixelWavelength(c));
        m_displayStartPixel[c] = store.GetUIntDefault(s, "DisplayStartPixel", 0);
        m_displayEndPixel[c] = store.GetUIntDefault(s, "DisplayEndPixel", 2047);
        ReferenceRecord& r = *m_reference[c];
        r.ReferenceChannel = store.GetUIntDefault(s, "ReferenceChannel", 0);
        r.ReferenceType = store.GetUShortDefault(s, "ReferenceType", 0);
        r.ReferenceWavelength = store.GetFloatDefault(s, "ReferenceWavelength", 0.0f);
        r.ReferenceWavelengthPixel = store.GetUShortDefault(s, "ReferenceWavelengthPixel", 0);
        r.ReferenceBandwidthStart = store.GetFloatDefault(s, "ReferenceBandwidthStart", 0.0f);
        r.ReferenceBandwidthStartPixel =
            store.GetUShortDefault(s, "ReferenceBandwidthStartPixel", 0);
        r.ReferenceBandwidthEnd = store.GetFloatDefault(s, "ReferenceBandwidthEnd", 0.0f);
        r.ReferenceBandwidthEndPixel = store.GetUShortDefault(s, "ReferenceBandwidthEndPixel", 0);
    }

    if (std::none_of(m_channelEnabled.begin(), m_channelEnabled.end(),
                     [](uint16_t enabled) { return enabled != 0; }))
        m_channelEnabled[0] = 1;

    recomputeReferencePixels();

    if (m_initialized == 0) {
        // The driver shows its hardware set-up dialog.
        driver.VYK_Config(0, 0, 0, 0);
        m_initialized = 1;
    }
}

bool CSpectrometerConfiguration::WriteSpectrometerConfiguration()
{
    recomputeReferencePixels();
    const std::string applicationVersion = m_host.applicationVersion();
    const std::string driverVersion = m_host.driverVersion();

    CINIFileSupport& store = *m_store;
    store.beginBatch();
    store.WriteString(kGeneral, "Harlune Version", applicationVersion.c_str());
    store.WriteString(kGeneral, "VYKDrv32 Version", driverVersion.c_str());
    if (const char* name = spectrometerTypeNameOf(m_spectrometerType))
        store.WriteString(kGeneral, "SpectrometerType", name);
    store.WriteString(kGeneral, "ADCType", adcTypeNameOf(m_adcType));
    store.WriteString(kGeneral, "SerialNumber", m_serialNumber.c_str());
    store.WriteString(kGeneral, "SpectrometerSubType", m_spectrometerSubType.c_str());
    store.WriteUShort(kGeneral, "IRQ", m_irq);
    store.WriteUShort(kGeneral, "BaseAddress", m_baseAddress);
    store.WriteUShort(kGeneral, "SerialPort", m_serialPort);
    store.WriteUShort(kGeneral, "SerialPortResolution", m_serialPortResolution);
    store.WriteUShort(kGeneral, "Initialized", m_initialized);
    store.WriteUShort(kGeneral, "BrontelRotation", m_channelRotation);
    store.WriteUShort(kGeneral, "PCICardID", m_pciCardId);
    store.WriteUInt(kGeneral, "DisplayLimitedRange", m_displayLimitedRange);
    store.WriteFloat(kGeneral, "LemmikOffset", static_cast<float>(m_lemmikOffset));
    store.WriteUInt(kGeneral, "KaldrisCompression", m_kaldrisCompression);
    store.WriteUShort(kGeneral, "SerialPortBaudRate", m_serialPortBaudRate);
    store.WriteString(kGeneral, "USBSerialNumber", m_usbSerialNumber.c_str());
    store.WriteDouble(kGeneral, "ScopeModeSaturationThreshold", m_scopeModeSaturationThreshold);

    for (int c = 0; c < kChannels; ++c) {
        const std::string section = channelSection(c);
        const char* s = section.c_str();
        store.WriteFloat(s, "WLFirst", m_wlFirst[c]);
        store.WriteFloatExp(s, "WLSecond", m_wlSecond[c]);
        store.WriteFloatExp(s, "WLThird", m_wlThird[c]);
        store.WriteFloat(s, "WLIntercept", m_wlIntercept[c]);
        store.WriteShort(s, "NLEnabled", m_nlEnabled[c]);
        store.WriteShort(s, "SLEnabled", m_slEnabled[c]);
        store.WriteFloatExp(s, "SLConstant", m_slConstant[c]);
        for (int i = 0; i < 8; ++i) {
            const std::string key = app::text::formatC("NLCoef%d", i);
            store.WriteFloatExp(s, key.c_str(), m_nlCoef[c][i]);
        }
        store.WriteUShort(s, "ChannelEnabled", m_channelEnabled[c]);
        store.WriteFloat(s, "DisplayStart", m_displayStart[c]);
        store.WriteFloat(s, "DisplayEnd", m_displayEnd[c]);
        store.WriteUInt(s, "DisplayStartPixel", m_displayStartPixel[c]);
        store.WriteUInt(s, "DisplayEndPixel", m_displayEndPixel[c]);
        const ReferenceRecord& r = *m_reference[c];
        store.WriteUInt(s, "ReferenceChannel", r.ReferenceChannel);
        store.WriteUShort(s, "ReferenceType", r.ReferenceType);
        store.WriteFloat(s, "ReferenceWavelength", r.ReferenceWavelength);
        store.WriteUShort(s, "ReferenceWavelengthPixel", r.ReferenceWavelengthPixel);
        store.WriteFloat(s, "ReferenceBandwidthStart", r.ReferenceBandwidthStart);
        store.WriteUShort(s, "ReferenceBandwidthStartPixel", r.ReferenceBandwidthStartPixel);
        store.WriteFloat(s, "ReferenceBandwidthEnd", r.ReferenceBandwidthEnd);
        store.WriteUShort(s, "ReferenceBandwidthEndPixel", r.ReferenceBandwidthEndPixel);
    }
    return store.endBatch();
}

unsigned CSpectrometerConfiguration::pixelCountOfType(uint16_t spectrometerType)
{
    switch (spectrometerType) {
    case 0x400:
        return 512;
    case 0x500:
        return 256;
    case 0x600:
        return 3648;
    case 0x700:
        return 1024;
    default:
        return 2048;
    }
}

unsigned CSpectrometerConfiguration::GetPixelCount() const
{
    return pixelCountOfType(m_spectrometerType);
}

double CSpectrometerConfiguration::PixelToWavelength(int channel, int pixel) const
{
    if (!validChannel(channel))
        return 0.0;
    const int last = static_cast<int>(GetPixelCount()) - 1;
    const double p = std::clamp(pixel, 0, last);
    return static_cast<double>(m_wlIntercept[channel]) +
           static_cast<double>(m_wlFirst[channel]) * p +
           static_cast<double>(m_wlSecond[channel]) * p * p +
           static_cast<double>(m_wlThird[channel]) * p * p * p;
}

double CSpectrometerConfiguration::GetLastPixelWavelength(int channel) const
{
    return PixelToWavelength(channel, static_cast<int>(GetPixelCount()) - 1);
}

float CSpectrometerConfiguration::GetWLIntercept(int channel) const
{
    return validChannel(channel) ? m_wlIntercept[channel] : 0.0f;
}

void CSpectrometerConfiguration::FillWavelengthsFloat(int channel, float* wavelengths) const
{
    if (!validChannel(channel) || wavelengths == nullptr)
        return;
    const int count = static_cast<int>(GetPixelCount());
    for (int p = 0; p < count; ++p)
        wavelengths[p] = static_cast<float>(PixelToWavelength(channel, p));
}

void CSpectrometerConfiguration::FillWavelengths(int channel, double* wavelengths) const
{
    if (!validChannel(channel) || wavelengths == nullptr)
        return;
    const int count = static_cast<int>(GetPixelCount());
    for (int p = 0; p < count; ++p)
        wavelengths[p] = PixelToWavelength(channel, p);
}

uint16_t CSpectrometerConfiguration::WavelengthToPixel(int channel, double wavelength) const
{
    if (!validChannel(channel))
        return 0;
    if (PixelToWavelength(channel, 0) >= wavelength)
        return 0;
    const int count = static_cast<int>(GetPixelCount());
    int p = 1;
    while (p < count && PixelToWavelength(channel, p) < wavelength)
        ++p;
    return static_cast<uint16_t>(p - 1);
}

void CSpectrometerConfiguration::recomputeReferencePixels()
{
    const int count = static_cast<int>(GetPixelCount());
    for (int c = 0; c < kChannels; ++c) {
        ReferenceRecord& r = *m_reference[c];
        const int referenceChannel = static_cast<int>(r.ReferenceChannel & 0xFFFF);
        switch (r.ReferenceType) {
        case 1:
            r.ReferenceWavelengthPixel = WavelengthToPixel(referenceChannel, r.ReferenceWavelength);
            break;
        case 3:
            r.ReferenceBandwidthStartPixel =
                WavelengthToPixel(referenceChannel, r.ReferenceBandwidthStart);
            r.ReferenceBandwidthEndPixel =
                WavelengthToPixel(referenceChannel, r.ReferenceBandwidthEnd);
            break;
        case 2: {
            if (!validChannel(referenceChannel)) {
                r.pixelMap.fill(0);
                break;
            }
            // One walk over both calibrations when both rise with the pixel: the pixel found
            // for a wavelength then never moves back. Otherwise a search per pixel. Both give
            // the pixel WavelengthToPixel gives.
            std::vector<double> own(count);
            std::vector<double> reference(count);
            for (int p = 0; p < count; ++p) {
                own[p] = PixelToWavelength(c, p);
                reference[p] = PixelToWavelength(referenceChannel, p);
            }
            const bool rising = std::is_sorted(own.begin(), own.end()) &&
                                std::is_sorted(reference.begin(), reference.end());
            if (!rising) {
                for (int p = 0; p < count; ++p)
                    r.pixelMap[p] = WavelengthToPixel(referenceChannel, own[p]);
                break;
            }
            int q = 1;
            for (int p = 0; p < count; ++p) {
                const double w = own[p];
                if (reference[0] >= w) {
                    r.pixelMap[p] = 0;
                    continue;
                }
                while (q < count && reference[q] < w)
                    ++q;
                r.pixelMap[p] = static_cast<uint16_t>(q - 1);
            }
            break;
        }
        default:
            break;
        }
    }
}

void CSpectrometerConfiguration::SetWavelengthCoefs(int channel, const float* coefficients)
{
    if (!validChannel(channel) || coefficients == nullptr)
        return;
    m_wlIntercept[channel] = coefficients[0];
    m_wlFirst[channel] = coefficients[1];
    m_wlSecond[channel] = coefficients[2];
    m_wlThird[channel] = coefficients[3];
    pushIfAutoApply();
}

void CSpectrometerConfiguration::GetWavelengthCoefs(int channel, float* coefficients) const
{
    if (!validChannel(channel) || coefficients == nullptr)
        return;
    coefficients[0] = m_wlIntercept[channel];
    coefficients[1] = m_wlFirst[channel];
    coefficients[2] = m_wlSecond[channel];
    coefficients[3] = m_wlThird[channel];
}

void CSpectrometerConfiguration::pushIfAutoApply()
{
    if (m_autoApply == 1)
        ApplyToDriver();
}

void CSpectrometerConfiguration::SetInitialized(uint32_t value)
{
    m_initialized = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetNLEnabled(int channel, int16_t value)
{
    if (!validChannel(channel))
        return;
    m_nlEnabled[channel] = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSLEnabled(int channel, int16_t value)
{
    if (!validChannel(channel))
        return;
    m_slEnabled[channel] = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetNLCoefs(int channel, const float* coefficients)
{
    if (!validChannel(channel) || coefficients == nullptr)
        return;
    std::copy_n(coefficients, 8, m_nlCoef[channel].begin());
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSLConstant(int channel, float value)
{
    if (!validChannel(channel))
        return;
    m_slConstant[channel] = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSerialNumber(const std::string& text)
{
    m_serialNumber = cutText(text, 29);
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSpectrometerSubType(const std::string& text)
{
    m_spectrometerSubType = cutText(text, 29);
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSpectrometerType(uint16_t value)
{
    m_spectrometerType = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetADCType(uint16_t value)
{
    m_adcType = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSerialPort(uint16_t value)
{
    m_serialPort = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetIRQ(uint16_t value)
{
    m_irq = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetBaseAddress(uint32_t value)
{
    m_baseAddress = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSerialPortResolution(uint16_t value)
{
    m_serialPortResolution = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetChannelRotation(uint16_t value)
{
    m_channelRotation = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetKaldrisCompression(uint32_t value)
{
    m_kaldrisCompression = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetSerialPortBaudRate(uint16_t value)
{
    m_serialPortBaudRate = value;
    pushIfAutoApply();
}

void CSpectrometerConfiguration::SetUSBSerialNumber(const std::string& text)
{
    m_usbSerialNumber = cutText(text, 31);
    m_host.driver().VYK_SetCurrentUSBSerialNumber(m_usbSerialNumber);
    if (m_host.viewHasWindow(s_notedView))
        m_host.setMainFrameUsbSerial(m_usbSerialNumber);
    pushIfAutoApply();
}

int16_t CSpectrometerConfiguration::GetNLEnabled(int channel) const
{
    return validChannel(channel) ? m_nlEnabled[channel] : 0;
}

int16_t CSpectrometerConfiguration::GetSLEnabled(int channel) const
{
    return validChannel(channel) ? m_slEnabled[channel] : 0;
}

void CSpectrometerConfiguration::GetNLCoefs(int channel, float* coefficients) const
{
    if (validChannel(channel) && coefficients != nullptr)
        std::copy(m_nlCoef[channel].begin(), m_nlCoef[channel].end(), coefficients);
}

float CSpectrometerConfiguration::GetSLConstant(int channel) const
{
    return validChannel(channel) ? m_slConstant[channel] : 0.0f;
}

void CSpectrometerConfiguration::SetChannelEnabled(int channel, uint16_t value)
{
    if (validChannel(channel))
        m_channelEnabled[channel] = value;
}

void CSpectrometerConfiguration::SetDisplayLimitedRange(uint32_t value)
{
    m_displayLimitedRange = value;
}

void CSpectrometerConfiguration::SetPCICardID(uint16_t value)
{
    m_pciCardId = value;
}

void CSpectrometerConfiguration::SetLemmikOffset(double value)
{
    m_lemmikOffset = value;
}

void CSpectrometerConfiguration::SetScopeModeSaturationThreshold(double value)
{
    m_scopeModeSaturationThreshold = value;
}

void CSpectrometerConfiguration::SetDisplayStart(int channel, float wavelength)
{
    if (!validChannel(channel))
        return;
    m_displayStart[channel] = wavelength;
    m_displayStartPixel[channel] = WavelengthToPixel(channel, wavelength);
}

void CSpectrometerConfiguration::SetDisplayEnd(int channel, float wavelength)
{
    if (!validChannel(channel))
        return;
    m_displayEnd[channel] = wavelength;
    m_displayEndPixel[channel] = WavelengthToPixel(channel, wavelength);
}

void CSpectrometerConfiguration::SetReferenceChannel(int channel, uint32_t value)
{
    if (!validChannel(channel))
        return;
    m_reference[channel]->ReferenceChannel = value;
    recomputeReferencePixels();
}

void CSpectrometerConfiguration::SetReferenceType(int channel, uint16_t value)
{
    if (!validChannel(channel))
        return;
    m_reference[channel]->ReferenceType = value;
    recomputeReferencePixels();
}

void CSpectrometerConfiguration::SetReferenceWavelength(int channel, float value)
{
    if (!validChannel(channel))
        return;
    m_reference[channel]->ReferenceWavelength = value;
    recomputeReferencePixels();
}

void CSpectrometerConfiguration::SetReferenceBandwidthStart(int channel, float value)
{
    if (!validChannel(channel))
        return;
    m_reference[channel]->ReferenceBandwidthStart = value;
    recomputeReferencePixels();
}

void CSpectrometerConfiguration::SetReferenceBandwidthEnd(int channel, float value)
{
    if (!validChannel(channel))
        return;
    m_reference[channel]->ReferenceBandwidthEnd = value;
    recomputeReferencePixels();
}

uint16_t CSpectrometerConfiguration::GetChannelEnabled(int channel) const
{
    return validChannel(channel) ? m_channelEnabled[channel] : 0;
}

float CSpectrometerConfiguration::GetDisplayStart(int channel) const
{
    return validChannel(channel) ? m_displayStart[channel] : 0.0f;
}

float CSpectrometerConfiguration::GetDisplayEnd(int channel) const
{
    return validChannel(channel) ? m_displayEnd[channel] : 0.0f;
}

uint32_t CSpectrometerConfiguration::GetDisplayStartPixel(int channel) const
{
    return validChannel(channel) ? m_displayStartPixel[channel] : 0;
}

uint32_t CSpectrometerConfiguration::GetDisplayEndPixel(int channel) const
{
    return validChannel(channel) ? m_displayEndPixel[channel] : 0;
}

uint32_t CSpectrometerConfiguration::GetReferenceChannel(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceChannel : 0;
}

uint16_t CSpectrometerConfiguration::GetReferenceType(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceType : 0;
}

float CSpectrometerConfiguration::GetReferenceWavelength(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceWavelength : 0.0f;
}

float CSpectrometerConfiguration::GetReferenceBandwidthStart(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceBandwidthStart : 0.0f;
}

float CSpectrometerConfiguration::GetReferenceBandwidthEnd(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceBandwidthEnd : 0.0f;
}

uint16_t CSpectrometerConfiguration::GetReferenceWavelengthPixel(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceWavelengthPixel : 0;
}

uint16_t CSpectrometerConfiguration::GetReferenceBandwidthStartPixel(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceBandwidthStartPixel : 0;
}

uint16_t CSpectrometerConfiguration::GetReferenceBandwidthEndPixel(int channel) const
{
    return validChannel(channel) ? m_reference[channel]->ReferenceBandwidthEndPixel : 0;
}

void CSpectrometerConfiguration::GetReferencePixelMap(int channel, uint16_t* map) const
{
    if (!validChannel(channel) || map == nullptr)
        return;
    const auto& source = m_reference[channel]->pixelMap;
    std::copy_n(source.begin(), GetPixelCount(), map);
}

void CSpectrometerConfiguration::selectUsbSerialInDriver()
{
    m_host.driver().VYK_SetCurrentUSBSerialNumber(m_usbSerialNumber);
    if (m_host.viewHasWindow(s_notedView))
        m_host.setMainFrameUsbSerial(m_usbSerialNumber);
}

void CSpectrometerConfiguration::ApplyToDriver()
{
    DriverApi& driver = m_host.driver();
    for (int c = 0; c < kChannels; ++c) {
        const auto channel = static_cast<int16_t>(c);
        driver.VYK_EnableSLCorrection(channel, m_slEnabled[c]);
        driver.VYK_EnableNLCorrection(channel, m_nlEnabled[c]);
        driver.VYK_SetSLCoef(channel, m_slConstant[c]);
        driver.VYK_SetNLCoefs(channel, m_nlCoef[c].data());
    }

    if (m_initialized == 0) {
        driver.VYK_Config(0, 0, 0, 0);
        m_initialized = 1;
    } else if (!(m_spectrometerType == 0 && m_adcType == 0 && m_irq == 0 && m_baseAddress == 0)) {
        driver.VYK_ConfigEx(m_spectrometerType, m_adcType, m_irq,
                            static_cast<uint16_t>(m_baseAddress), m_serialPort, m_pciCardId);
    }

    if (m_adcType == 8) {
        driver.VYK_SetKaldrisBaudRate(m_serialPortBaudRate);
        driver.VYK_SetKaldrisCompressedMode(static_cast<uint16_t>(m_kaldrisCompression));
        driver.VYK_SetKaldrisPixelResolution(m_serialPortResolution);
    }

    switch (m_adcType) {
    case 2:
    case 6:
    case 7:
    case 8:
    case 10:
        if (m_channelRotation == 0)
            driver.VYK_DisableMultichannelSpectra();
        else
            driver.VYK_EnableMultichannelSpectra(m_channelRotation);
        break;
    default:
        break;
    }

    switch (m_adcType) {
    case 4:
    case 7:
    case 9:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 253:
        if (driver.VYK_GetCurrentUSBSerialNumber() != m_usbSerialNumber) {
            driver.VYK_SetCurrentUSBSerialNumber(m_usbSerialNumber);
            if (m_host.viewHasWindow(s_notedView))
                m_host.setMainFrameUsbSerial(m_usbSerialNumber);
        }
        driver.VYK_SetLastUSBScanValid(0);
        break;
    default:
        break;
    }
}

uint16_t CSpectrometerConfiguration::spectrometerTypeFromName(const std::string& name)
{
    for (const NamedCode& entry : kSpectrometerTypes)
        if (name == entry.name)
            return entry.code;
    return 0x200;
}

uint16_t CSpectrometerConfiguration::adcTypeFromName(const std::string& name)
{
    for (const NamedCode& entry : kAdcTypesRead)
        if (name == entry.name)
            return entry.code;
    return 255;
}

const char* CSpectrometerConfiguration::spectrometerTypeNameOf(uint16_t code)
{
    for (const NamedCode& entry : kSpectrometerTypes)
        if (entry.code == code)
            return entry.name;
    return nullptr;
}

const char* CSpectrometerConfiguration::adcTypeNameOf(uint16_t code)
{
    if (code == 3 || code == 5 || code == 8)
        return "SERIALADC";
    for (const NamedCode& entry : kAdcTypesRead)
        if (entry.code == code)
            return entry.name;
    return "NONE";
}

const char* CSpectrometerConfiguration::SpectrometerTypeName()
{
    // A code outside the table has no ".spec" name; show it as a number.
    const char* name = spectrometerTypeNameOf(m_spectrometerType);
    m_spectrometerTypeName =
        name != nullptr ? name : app::text::formatC("Unknown (0x%X)", m_spectrometerType);
    return m_spectrometerTypeName.c_str();
}

const char* CSpectrometerConfiguration::AdcTypeName()
{
    m_adcTypeName = adcTypeNameOf(m_adcType);
    return m_adcTypeName.c_str();
}
