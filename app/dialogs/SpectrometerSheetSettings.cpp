#include "app/dialogs/SpectrometerSheetSettings.h"

#include "app/shell/NumberText.h"

#include <algorithm>
#include <cstring>

namespace app::dialogs {

namespace {

constexpr const char* kSpectrometerTypeNames[] = {
    "Gavrel/Elvast", "IstrelBT", "Istrel/Fornic/Pavik/Solvi", "Lemmik", "Wessor", "Velko",
    "Quarn/Trevan",  "Ulmar",
};

struct AdcEntry
{
    const char* name;
    uint16_t type;
};
constexpr AdcEntry kAdcEntries[] = {
    {"Dovrin/Elvast", VYK_ADC_DOVRIN},
    {"Brontel-ISA/Fornic-ISA", VYK_ADC_BRONTEL},
    {"Brontel-USB", VYK_ADC_BRONTELUSB},
    {"Cadrel-PCI", VYK_ADC_CADRELPCI},
    {"DAQ700", VYK_ADC_DAQ700},
    {"Solvi", VYK_ADC_SOLVI},
    {"Xandel", VYK_ADC_XANDEL},
    {"Fornic-PC104", VYK_ADC_FORNICPC104},
    {"Pavik", VYK_ADC_PAVIK},
    {"Serial (RS-232) A/D", VYK_ADC_SERIAL},
    {"Trevan", VYK_ADC_TREVAN},
    {"Solvi+", VYK_ADC_SOLVIPLUS},
    {"Quarn", VYK_ADC_QUARN},
    {"Pavik+", VYK_ADC_PAVIKPLUS},
    {"Ulmar", VYK_ADC_ULMARADC},
    {"None", VYK_ADC_NONE},
};
constexpr int kNoneIndex = 15;

constexpr auto kAdcNames = [] {
    std::array<const char*, std::size(kAdcEntries)> names{};
    for (size_t k = 0; k < names.size(); ++k)
        names[k] = kAdcEntries[k].name;
    return names;
}();

constexpr const char* kSerialPortNames[] = {
    "None", "COM1",  "COM2",  "COM3",  "COM4",  "COM5",  "COM6",  "COM7",  "COM8",
    "COM9", "COM10", "COM11", "COM12", "COM13", "COM14", "COM15", "COM16",
};
constexpr const char* kBaudRateNames[] = {"2400",  "4800",  "9600",  "19200",
                                          "38400", "57600", "115200"};
constexpr const char* kReferenceTypeNames[] = {"None", "Single-point", "Wavelength-by-Wavelength",
                                               "Integrated Intensity"};

bool oneOf(uint16_t value, std::initializer_list<uint16_t> values)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

// The A/D types whose device is chosen by USB serial number at apply.
bool switchesUsbDevice(uint16_t adcType)
{
    return oneOf(adcType, {VYK_ADC_PAVIK, VYK_ADC_BRONTELUSB, VYK_ADC_SOLVI, VYK_ADC_XANDEL,
                           VYK_ADC_TREVAN, VYK_ADC_SOLVIPLUS, VYK_ADC_PAVIKPLUS, VYK_ADC_QUARN});
}

double polynomial(const std::array<float, 4>& c, double pixel)
{
    return c[0] + c[1] * pixel + c[2] * pixel * pixel + c[3] * pixel * pixel * pixel;
}

} // namespace

SpectrometerSheetSettings SpectrometerSheetSettings::load(SheetConfiguration& configuration)
{
    SpectrometerSheetSettings s;
    for (int k = 0; k < kChannels; ++k) {
        SpectrometerChannelSettings& c = s.channels[k];
        const double intercept = configuration.GetWLIntercept(k);
        const double last = configuration.GetLastPixelWavelength(k);
        c.displayStart = std::max(configuration.GetDisplayStart(k), static_cast<float>(intercept));
        c.displayEnd = std::min(configuration.GetDisplayEnd(k), static_cast<float>(last));
        c.firstPixelNm = intercept;
        c.lastPixelNm = last;
        configuration.GetWavelengthCoefs(k, c.coefficients.data());
        c.enabled = configuration.GetChannelEnabled(k);
        c.slEnabled = configuration.GetSLEnabled(k);
        c.slConstant = configuration.GetSLConstant(k);
        c.nlEnabled = configuration.GetNLEnabled(k);
        configuration.GetNLCoefs(k, c.nlCoefficients.data());
        c.referenceChannel = static_cast<int>(configuration.GetReferenceChannel(k));
        c.referenceType = configuration.GetReferenceType(k);
        c.referenceWavelength = configuration.GetReferenceWavelength(k);
        c.referenceBandwidthStart = configuration.GetReferenceBandwidthStart(k);
        c.referenceBandwidthEnd = configuration.GetReferenceBandwidthEnd(k);
    }
    s.spectrometerType = configuration.GetSpectrometerType();
    // Codes the A/D list does not name are shown as "None" and stored as 255.
    s.adcType = knownAdcType(configuration.GetADCType());
    s.baseAddress = configuration.GetBaseAddress();
    s.irq = configuration.GetIRQ();
    s.serialPort = configuration.GetSerialPort();
    s.pixelResolution = configuration.GetSerialPortResolution();
    s.lemmikOffset = configuration.GetLemmikOffset();
    s.pciCardId = configuration.GetPCICardID();
    s.usbSerialNumber = configuration.GetUSBSerialNumber();
    s.compression = configuration.GetKaldrisCompression();
    s.baudRateIndex = configuration.GetSerialPortBaudRate();
    s.displayLimitedRange = configuration.GetDisplayLimitedRange();
    s.serialNumber = configuration.GetSerialNumber();
    return s;
}

std::span<const char* const> spectrometerTypeNames()
{
    return kSpectrometerTypeNames;
}

std::span<const char* const> adcTypeNames()
{
    return kAdcNames;
}

uint16_t adcTypeOfIndex(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kAdcEntries)))
        return VYK_ADC_NONE;
    return kAdcEntries[index].type;
}

int indexOfAdcType(uint16_t adcType)
{
    for (size_t k = 0; k < std::size(kAdcEntries); ++k)
        if (kAdcEntries[k].type == adcType)
            return static_cast<int>(k);
    return kNoneIndex;
}

uint16_t knownAdcType(uint16_t adcType)
{
    return adcTypeOfIndex(indexOfAdcType(adcType));
}

int indexOfSpectrometerType(uint16_t spectrometerType)
{
    if (spectrometerType % 256 != 0 || spectrometerType / 256 >= std::size(kSpectrometerTypeNames))
        return -1;
    return spectrometerType / 256;
}

std::string baseAddressText(int index)
{
    const unsigned address = static_cast<unsigned>(index) * 16;
    return app::text::formatC("%u (0x%04x)", address, address);
}

std::span<const char* const> serialPortNames()
{
    return kSerialPortNames;
}

std::span<const char* const> baudRateNames()
{
    return kBaudRateNames;
}

std::span<const char* const> referenceTypeNames()
{
    return kReferenceTypeNames;
}

InterfaceGroup interfaceGroup(uint16_t adcType)
{
    switch (adcType) {
    case VYK_ADC_DOVRIN:
    case VYK_ADC_DAQ700:
    case VYK_ADC_BRONTEL:
    case VYK_ADC_FORNICPC104:
        return InterfaceGroup::Boards;
    case VYK_ADC_CADRELPCI:
        return InterfaceGroup::PciCard;
    case VYK_ADC_SERIAL:
        return InterfaceGroup::SerialPort;
    case VYK_ADC_PAVIK:
    case VYK_ADC_BRONTELUSB:
    case VYK_ADC_SOLVI:
    case VYK_ADC_XANDEL:
    case VYK_ADC_TREVAN:
    case VYK_ADC_SOLVIPLUS:
    case VYK_ADC_ULMARADC:
    case VYK_ADC_PAVIKPLUS:
    case VYK_ADC_QUARN:
        return InterfaceGroup::Usb;
    default:
        return InterfaceGroup::None;
    }
}

bool lemmikOffsetShown(uint16_t spectrometerType)
{
    return spectrometerType == VYK_SPEC_LEMMIK;
}

const char* identifyExport(uint16_t adcType, uint16_t spectrometerType)
{
    switch (adcType) {
    case VYK_ADC_PAVIK:
        return "Pavik_IdentifyPavik";
    case VYK_ADC_BRONTELUSB:
        return "BrontelUSB_IdentifyBrontelUSB";
    case VYK_ADC_SOLVI:
        return "Solvi_IdentifySolvi";
    case VYK_ADC_XANDEL:
        return spectrometerType == VYK_SPEC_WESSOR ? "Xandel_IdentifyWessor"
                                                   : "Xandel_IdentifyVelko";
    case VYK_ADC_TREVAN:
        return "Trevan_IdentifyTrevan";
    case VYK_ADC_SOLVIPLUS:
        return "SolviPlus_IdentifySolviPlus";
    case VYK_ADC_ULMARADC:
        return "Ulmar_IdentifyUlmar";
    case VYK_ADC_PAVIKPLUS:
        return "PavikPlus_IdentifyPavikPlus";
    case VYK_ADC_QUARN:
        return "Quarn_IdentifyQuarn";
    default:
        return nullptr;
    }
}

UsbSerialList listUsbSerials(uint16_t adcType, uint16_t spectrometerType, DialogDriver& driver)
{
    UsbSerialList list;
    const char* exportName = identifyExport(adcType, spectrometerType);
    if (exportName == nullptr)
        return list;
    for (int index = 0; index < kUsbDeviceIndices; ++index) {
        std::string serial;
        if (driver.identify(exportName, index, serial) == 1)
            list.serials.push_back(serial);
    }
    list.current = driver.VYK_GetCurrentUSBSerialNumber();
    return list;
}

int32_t writeToBrontelUsb(const SpectrometerSheetSettings& settings, DialogDriver& driver)
{
    BrontelUSBCoefficientsRecord record{};
    if (driver.BrontelUSB_GetCoefficients(record) != 1)
        return 0;
    int32_t mask = 0;
    for (int k = 0; k < SpectrometerSheetSettings::kChannels; ++k) {
        const SpectrometerChannelSettings& c = settings.channels[k];
        if (c.enabled != 0)
            mask |= 1 << k;
        std::copy(c.coefficients.begin(), c.coefficients.end(), record.wavelength[k]);
    }
    record.count = mask;
    return driver.BrontelUSB_SetCoefficients(record);
}

float clampDisplayStart(float start, double interceptNm)
{
    const float intercept = static_cast<float>(interceptNm);
    return start == 0.0f ? intercept : std::max(start, intercept);
}

float clampDisplayEnd(float end, double lastPixelNm)
{
    const float last = static_cast<float>(lastPixelNm);
    return end == 0.0f ? last : std::min(end, last);
}

int applySpectrometerSettings(SpectrometerSheetSettings& s, SpectrometerSheetView& view,
                              DialogDriver& driver)
{
    SheetConfiguration& configuration = view.sheetConfiguration();
    // 1. No push per setter: the configuration goes to the driver once, in step 7.
    configuration.SetAutoApply(0);
    view.setConfigurationApplying(1);

    // 2. The device as it was.
    const std::string oldSerial = view.usbSerialNumber();
    const uint16_t oldAdcType = view.adcType();
    const uint16_t oldSpectrometerType = view.spectrometerType();

    // 3.
    configuration.SetSpectrometerType(s.spectrometerType);
    view.setAdcType(s.adcType);
    configuration.SetADCType(s.adcType);
    configuration.SetPCICardID(s.pciCardId);
    configuration.SetBaseAddress(s.baseAddress);
    configuration.SetIRQ(s.irq);
    configuration.SetSerialPort(s.serialPort);
    configuration.SetSerialPortResolution(s.pixelResolution);
    configuration.SetUSBSerialNumber(s.usbSerialNumber);
    configuration.SetSpectrometerType(s.spectrometerType);

    // 4.
    view.setUsbSerialNumber(s.usbSerialNumber.substr(0, 15));
    view.setSpectrometerType(s.spectrometerType);
    view.setIrq(s.irq);
    view.setBaseAddress(s.baseAddress);
    view.setSerialPort(s.serialPort);
    view.setSerialPortResolution(s.pixelResolution);
    view.setPciCardId(s.pciCardId);
    configuration.SetLemmikOffset(s.lemmikOffset);
    configuration.SetKaldrisCompression(s.compression);
    configuration.SetSerialPortBaudRate(s.baudRateIndex);
    view.setDeviceProbe(0);

    // 5. A spectrometer on USB carries the serial number of its device.
    if (switchesUsbDevice(s.adcType)) {
        s.serialNumber = s.usbSerialNumber;
        if (s.usbSerialNumber != oldSerial || s.adcType != oldAdcType ||
            s.spectrometerType != oldSpectrometerType) {
            view.setDeviceChanged(1);
            driver.VYK_SetCurrentUSBSerialNumber(s.usbSerialNumber);
            // A single-channel device: only the Master stays on. The Brontel-USB converter
            // keeps the channels as typed.
            if (s.adcType != VYK_ADC_BRONTELUSB)
                for (int k = 0; k < SpectrometerSheetSettings::kChannels; ++k)
                    s.channels[k].enabled = k == 0 ? 1 : 0;
        }
    }

    // 6. The calibrated ends follow the coefficients being stored, on the pixel count of the
    // spectrometer type stored in step 3.
    const unsigned pixels = configuration.GetPixelCount();
    const double lastPixel = pixels > 0 ? pixels - 1.0 : 0.0;
    for (int k = 0; k < SpectrometerSheetSettings::kChannels; ++k) {
        SpectrometerChannelSettings& c = s.channels[k];
        c.displayStart = clampDisplayStart(c.displayStart, c.coefficients[0]);
        c.displayEnd = clampDisplayEnd(c.displayEnd, polynomial(c.coefficients, lastPixel));
        configuration.SetDisplayStart(k, c.displayStart);
        configuration.SetDisplayEnd(k, c.displayEnd);
        configuration.SetWavelengthCoefs(k, c.coefficients.data());
        configuration.SetChannelEnabled(k, static_cast<uint16_t>(c.enabled));
        view.setChannelEnableWord(k, static_cast<int16_t>(c.enabled));
        configuration.SetSLEnabled(k, static_cast<int16_t>(c.slEnabled));
        configuration.SetSLConstant(k, c.slConstant);
        configuration.SetNLEnabled(k, static_cast<int16_t>(c.nlEnabled));
        configuration.SetNLCoefs(k, c.nlCoefficients.data());
        configuration.SetReferenceChannel(k, static_cast<uint32_t>(c.referenceChannel));
        configuration.SetReferenceType(k, static_cast<uint16_t>(c.referenceType));
        configuration.SetReferenceBandwidthStart(k, c.referenceBandwidthStart);
        configuration.SetReferenceBandwidthEnd(k, c.referenceBandwidthEnd);
        configuration.SetReferenceWavelength(k, c.referenceWavelength);
    }

    // 7.
    configuration.SetDisplayLimitedRange(s.displayLimitedRange);
    configuration.SetSerialNumber(s.serialNumber);
    configuration.ApplyToDriver();

    // 8. The chart follows the new calibration. With no channel enabled the range stays
    // 9999 to 0, and the chart draws its frame only.
    view.setChartRepaint(false);
    double minimum = 9999.0;
    double maximum = 0.0;
    constexpr int kPoints = SpectrometerSheetView::kPoints;
    for (int k = 0; k < SpectrometerSheetSettings::kChannels; ++k) {
        double* wavelengths = view.wavelengths(k);
        std::fill(wavelengths, wavelengths + kPoints, 0.0);
        configuration.FillWavelengths(k, wavelengths);
        if (s.channels[k].enabled != 0) {
            minimum = std::min<double>(minimum, configuration.GetWLIntercept(k));
            maximum = std::max(maximum, configuration.GetLastPixelWavelength(k));
            view.setChartXData(k, wavelengths, kPoints);
        } else {
            double* plotted = view.plotted(k);
            std::fill(wavelengths, wavelengths + kPoints, 0.0);
            std::fill(plotted, plotted + kPoints, 0.0);
            view.setChartXData(k, wavelengths, kPoints);
            view.setChartYData(k, plotted, kPoints);
        }
    }
    view.setDisplayedRange(minimum, maximum);
    view.setChartXLimits(minimum, maximum);

    // 9.
    if (s.adcType == VYK_ADC_XANDEL) {
        driver.Xandel_EnableCooler(1);
        driver.Xandel_EnableFan(1);
    } else if (s.adcType == VYK_ADC_ULMARADC) {
        driver.Ulmar_SetFanEnable(1);
        driver.Ulmar_SetTECEnable(1);
    }

    // 10.
    for (int k = 0; k < SpectrometerSheetSettings::kChannels; ++k)
        view.setChartLastPoint(k, static_cast<int>(pixels) - 1);
    view.setChartRepaint(true);

    // 11.
    const int hardwareChanged = s.serialNumberEdited || s.interfaceChanged ? 1 : 0;

    // 12. Scope, Absorbance, Transmission and Relative Irradiance run their command again.
    const int mode = view.processingMode();
    if (mode >= 0 && mode <= 3)
        view.runProcessingModeCommand(mode);
    return hardwareChanged;
}

} // namespace app::dialogs
