// The spectrometer sheet's and the model features dialog's rules without widgets: the A/D
// Interface lists, the USB serial list, "Write to BrontelUSB", the apply steps against
// recording fakes, and the features dialog's texts and strobe checks.
#include "app/dialogs/SpectrometerSheetSettings.h"
#include "app/dialogs/TrevanFeatureTexts.h"
#include "tests/app/dialogs/SpectrometerDialogFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace app::dialogs;
using app::dialogs::test::FakeDialogDriver;
using app::dialogs::test::FakeSheetView;

namespace {

// The position of the first log entry that starts with prefix; -1 when there is none.
int find(const std::vector<std::string>& log, const std::string& prefix, int from = 0)
{
    for (size_t k = static_cast<size_t>(from); k < log.size(); ++k)
        if (log[k].rfind(prefix, 0) == 0)
            return static_cast<int>(k);
    return -1;
}

int count(const std::vector<std::string>& log, const std::string& prefix)
{
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
}

class SpectrometerApplyTest : public ::testing::Test
{
protected:
    SpectrometerSheetSettings loaded()
    {
        return SpectrometerSheetSettings::load(view->configuration);
    }
    int apply(SpectrometerSheetSettings& s) { return applySpectrometerSettings(s, *view, driver); }

    std::vector<std::string> log;
    std::unique_ptr<FakeSheetView> view = std::make_unique<FakeSheetView>(log);
    FakeDialogDriver driver{log};
};

} // namespace

TEST(SpectrometerInterfaceLists, AdcTypesByNameAndUnknownCodes)
{
    const auto names = adcTypeNames();
    ASSERT_EQ(names.size(), 16u);
    const struct
    {
        const char* name;
        uint16_t type;
    } table[] = {{"Dovrin/Elvast", 0}, {"Brontel-ISA/Fornic-ISA", 2},
                 {"Brontel-USB", 7},   {"Cadrel-PCI", 6},
                 {"DAQ700", 1},        {"Solvi", 9},
                 {"Xandel", 11},       {"Fornic-PC104", 10},
                 {"Pavik", 4},         {"Serial (RS-232) A/D", 8},
                 {"Trevan", 12},       {"Solvi+", 13},
                 {"Quarn", 16},        {"Pavik+", 15},
                 {"Ulmar", 14},        {"None", 255}};
    for (int k = 0; k < 16; ++k) {
        SCOPED_TRACE(table[k].name);
        EXPECT_STREQ(names[k], table[k].name);
        EXPECT_EQ(adcTypeOfIndex(k), table[k].type);
        EXPECT_EQ(indexOfAdcType(table[k].type), k);
    }
    for (uint16_t unknown : {3, 5, 17, 253, 1000}) {
        SCOPED_TRACE(unknown);
        EXPECT_STREQ(names[indexOfAdcType(unknown)], "None");
        EXPECT_EQ(knownAdcType(unknown), 255);
    }
}

TEST(SpectrometerInterfaceLists, BaseAddressesSpectrometerTypesAndGroups)
{
    EXPECT_EQ(baseAddressText(48), "768 (0x0300)");
    EXPECT_EQ(baseAddressText(0), "0 (0x0000)");
    EXPECT_EQ(baseAddressText(kBaseAddressEntries - 1), "8176 (0x1ff0)");
    EXPECT_EQ(spectrometerTypeNames().size(), 8u);
    EXPECT_EQ(indexOfSpectrometerType(VYK_SPEC_LEMMIK), 3);
    EXPECT_EQ(indexOfSpectrometerType(VYK_SPEC_PELLAR), -1);

    const struct
    {
        uint16_t adc;
        InterfaceGroup group;
    } groups[] = {
        {0, InterfaceGroup::Boards},  {1, InterfaceGroup::Boards},  {2, InterfaceGroup::Boards},
        {10, InterfaceGroup::Boards}, {6, InterfaceGroup::PciCard}, {8, InterfaceGroup::SerialPort},
        {4, InterfaceGroup::Usb},     {7, InterfaceGroup::Usb},     {9, InterfaceGroup::Usb},
        {11, InterfaceGroup::Usb},    {12, InterfaceGroup::Usb},    {13, InterfaceGroup::Usb},
        {14, InterfaceGroup::Usb},    {15, InterfaceGroup::Usb},    {16, InterfaceGroup::Usb},
        {255, InterfaceGroup::None}};
    for (const auto& g : groups) {
        SCOPED_TRACE(g.adc);
        EXPECT_EQ(interfaceGroup(g.adc), g.group);
    }
    EXPECT_TRUE(lemmikOffsetShown(VYK_SPEC_LEMMIK));
    EXPECT_FALSE(lemmikOffsetShown(VYK_SPEC_ISTREL));
}

TEST(SpectrometerInterfaceLists, IdentifyExportByType)
{
    const struct
    {
        uint16_t adc;
        uint16_t spectrometer;
        const char* name;
    } table[] = {
        {4, VYK_SPEC_ISTREL, "Pavik_IdentifyPavik"},
        {7, VYK_SPEC_ISTREL, "BrontelUSB_IdentifyBrontelUSB"},
        {9, VYK_SPEC_ISTREL, "Solvi_IdentifySolvi"},
        {11, VYK_SPEC_WESSOR, "Xandel_IdentifyWessor"},
        {11, VYK_SPEC_VELKO, "Xandel_IdentifyVelko"},
        {11, VYK_SPEC_ISTREL, "Xandel_IdentifyVelko"},
        {12, VYK_SPEC_JOLVAR, "Trevan_IdentifyTrevan"},
        {13, VYK_SPEC_ISTREL, "SolviPlus_IdentifySolviPlus"},
        {14, VYK_SPEC_ULMAR, "Ulmar_IdentifyUlmar"},
        {15, VYK_SPEC_ISTREL, "PavikPlus_IdentifyPavikPlus"},
        {16, VYK_SPEC_JOLVAR, "Quarn_IdentifyQuarn"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(identifyExport(row.adc, row.spectrometer), nullptr);
        EXPECT_STREQ(identifyExport(row.adc, row.spectrometer), row.name);
    }
    for (uint16_t adc : {0, 2, 6, 8, 255})
        EXPECT_EQ(identifyExport(adc, VYK_SPEC_ISTREL), nullptr);
}

TEST(SpectrometerInterfaceLists, UsbListTakesOnlyIndicesThatAnswerOne)
{
    std::vector<std::string> log;
    FakeDialogDriver driver(log);
    driver.devices = {
        {0, {1, "PV1"}}, {3, {0, "NOPE"}}, {5, {2, "ALSO"}}, {31, {1, "PV2"}}, {32, {1, "BEYOND"}}};
    driver.currentSerial = "PV2";
    const UsbSerialList list = listUsbSerials(VYK_ADC_PAVIK, VYK_SPEC_ISTREL, driver);
    EXPECT_EQ(list.serials, (std::vector<std::string>{"PV1", "PV2"}));
    EXPECT_EQ(list.current, "PV2");
    ASSERT_EQ(driver.identifyCalls.size(), 32u);
    EXPECT_EQ(driver.identifyCalls.front(), "Pavik_IdentifyPavik(0)");
    EXPECT_EQ(driver.identifyCalls.back(), "Pavik_IdentifyPavik(31)");
}

TEST(SpectrometerInterfaceLists, WriteToBrontelUsbKeepsTheRecordItRead)
{
    std::vector<std::string> log;
    FakeDialogDriver driver(log);
    std::strcpy(driver.brontelRecord.serial, "BU0001");
    driver.brontelRecord.count = 0x7F00;
    driver.brontelRecord.wavelength[7][3] = 9.0f;
    SpectrometerSheetSettings s;
    s.channels[0].enabled = 1;
    s.channels[2].enabled = 1;
    s.channels[2].coefficients = {350.0f, 0.25f, 1e-5f, -2e-9f};
    s.channels[7].coefficients = {1.0f, 2.0f, 3.0f, 4.0f};
    EXPECT_EQ(writeToBrontelUsb(s, driver), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"BrontelUSB_GetCoefficients",
                                             "BrontelUSB_SetCoefficients"}));
    EXPECT_STREQ(driver.brontelWritten.serial, "BU0001");
    EXPECT_EQ(driver.brontelWritten.count, 0b101);
    EXPECT_EQ(driver.brontelWritten.wavelength[2][0], 350.0f);
    EXPECT_EQ(driver.brontelWritten.wavelength[2][3], -2e-9f);
    EXPECT_EQ(driver.brontelWritten.wavelength[7][3], 4.0f);

    // A failed read writes nothing.
    log.clear();
    driver.brontelReadResult = 0;
    EXPECT_EQ(writeToBrontelUsb(s, driver), 0);
    EXPECT_EQ(log, std::vector<std::string>{"BrontelUSB_GetCoefficients"});
}

TEST_F(SpectrometerApplyTest, LoadingClampsTheDisplayedRangeToTheCalibration)
{
    auto& c = view->configuration;
    c.displayStart[0] = 300.0f; // below the intercept 400
    c.displayEnd[0] = 5000.0f;  // beyond the last pixel
    c.displayStart[1] = 500.0f;
    c.displayEnd[1] = 600.0f;
    c.adcType = 3; // a code the list does not name
    const SpectrometerSheetSettings s = loaded();
    EXPECT_EQ(s.channels[0].displayStart, 400.0f);
    EXPECT_FLOAT_EQ(s.channels[0].displayEnd, 400.0f + 0.5f * 2047);
    EXPECT_EQ(s.channels[1].displayStart, 500.0f);
    EXPECT_EQ(s.channels[1].displayEnd, 600.0f);
    EXPECT_EQ(s.channels[1].firstPixelNm, 410.0);
    EXPECT_EQ(s.adcType, 255);
}

TEST_F(SpectrometerApplyTest, StepsRunInTheirOrder)
{
    SpectrometerSheetSettings s = loaded();
    s.adcType = VYK_ADC_XANDEL;
    s.spectrometerType = VYK_SPEC_WESSOR;
    s.usbSerialNumber = "WS0001";
    view->mode = 1;
    apply(s);

    const char* order[] = {"SetAutoApply(0)",
                           "view.applying(1)",
                           "SetSpectrometerType(1024)",
                           "view.adcType(11)",
                           "SetADCType(11)",
                           "SetPCICardID",
                           "SetBaseAddress",
                           "SetIRQ",
                           "SetSerialPort",
                           "SetSerialPortResolution",
                           "SetUSBSerialNumber(WS0001)",
                           "SetSpectrometerType(1024)",
                           "view.usbSerial(WS0001)",
                           "view.spectrometerType(1024)",
                           "view.irq",
                           "view.baseAddress",
                           "view.serialPort",
                           "view.pixelResolution",
                           "view.pciCardId",
                           "SetLemmikOffset",
                           "SetKaldrisCompression",
                           "SetSerialPortBaudRate",
                           "view.deviceProbe(0)",
                           "view.deviceChanged(1)",
                           "VYK_SetCurrentUSBSerialNumber(WS0001)",
                           "SetDisplayStart(0",
                           "SetReferenceWavelength(7",
                           "SetDisplayLimitedRange",
                           "SetSerialNumber(WS0001)",
                           "ApplyToDriver",
                           "chart.repaint(0)",
                           "chart.x(0,4096)",
                           "view.displayedRange",
                           "chart.xLimits",
                           "Xandel_EnableCooler(1)",
                           "Xandel_EnableFan(1)",
                           "chart.lastPoint(0,2047)",
                           "chart.lastPoint(7,2047)",
                           "chart.repaint(1)",
                           "view.modeCommand(1)"};
    int at = 0;
    for (const char* entry : order) {
        const int next = find(log, entry, at);
        ASSERT_GE(next, 0) << entry << " missing or out of order";
        at = next + 1;
    }
    EXPECT_EQ(count(log, "ApplyToDriver"), 1);
    EXPECT_EQ(count(log, "SetAutoApply"), 1);
    EXPECT_EQ(count(log, "Ulmar_"), 0);
    // Channel setters come per channel in their order.
    const int channel3 = find(log, "SetDisplayStart(3");
    const char* perChannel[] = {"SetDisplayEnd(3",
                                "SetWavelengthCoefs(3",
                                "SetChannelEnabled(3",
                                "view.enable(3",
                                "SetSLEnabled(3",
                                "SetSLConstant(3",
                                "SetNLEnabled(3",
                                "SetNLCoefs(3",
                                "SetReferenceChannel(3",
                                "SetReferenceType(3",
                                "SetReferenceBandwidthStart(3",
                                "SetReferenceBandwidthEnd(3",
                                "SetReferenceWavelength(3"};
    at = channel3;
    for (const char* entry : perChannel) {
        const int next = find(log, entry, at);
        ASSERT_EQ(next, at + 1) << entry;
        at = next;
    }
}

TEST_F(SpectrometerApplyTest, UlmarSwitchesFanAndCoolerAndOtherModesRunNoCommand)
{
    SpectrometerSheetSettings s = loaded();
    s.adcType = VYK_ADC_ULMARADC;
    view->mode = 4;
    apply(s);
    const int fan = find(log, "Ulmar_SetFanEnable(1)");
    ASSERT_GE(fan, 0);
    EXPECT_EQ(find(log, "Ulmar_SetTECEnable(1)"), fan + 1);
    EXPECT_GT(fan, find(log, "chart.xLimits"));
    EXPECT_LT(fan, find(log, "chart.lastPoint"));
    EXPECT_EQ(count(log, "Xandel_"), 0);
    EXPECT_EQ(count(log, "view.modeCommand"), 0);
    // Ulmar is not among the types whose device is switched by serial number.
    EXPECT_EQ(count(log, "VYK_SetCurrentUSBSerialNumber"), 0);
}

TEST_F(SpectrometerApplyTest, DeviceSwitchOnlyWhenTheDeviceChanged)
{
    const struct
    {
        const char* name;
        std::string serial;
        uint16_t adc;
        uint16_t spectrometer;
        bool switched;
        bool masterOnly;
    } cases[] = {
        {"same device", "PV00042", VYK_ADC_PAVIK, VYK_SPEC_ISTREL, false, false},
        {"another Pavik", "PV00043", VYK_ADC_PAVIK, VYK_SPEC_ISTREL, true, true},
        {"another A/D type", "PV00042", VYK_ADC_SOLVI, VYK_SPEC_ISTREL, true, true},
        {"another spectrometer", "PV00042", VYK_ADC_PAVIK, VYK_SPEC_LEMMIK, true, true},
        {"Brontel-USB keeps channels", "BU1", VYK_ADC_BRONTELUSB, VYK_SPEC_ISTREL, true, false},
        {"a board never switches", "PV00043", VYK_ADC_BRONTEL, VYK_SPEC_ISTREL, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        view = std::make_unique<FakeSheetView>(log);
        SpectrometerSheetSettings s = loaded();
        for (int k : {0, 2, 5})
            s.channels[k].enabled = 1;
        s.usbSerialNumber = c.serial;
        s.adcType = c.adc;
        s.spectrometerType = c.spectrometer;
        apply(s);
        EXPECT_EQ(count(log, "VYK_SetCurrentUSBSerialNumber(" + c.serial + ")"),
                  c.switched ? 1 : 0);
        EXPECT_EQ(count(log, "view.deviceChanged(1)"), c.switched ? 1 : 0);
        const std::array<int16_t, 8> expected =
            c.masterOnly ? std::array<int16_t, 8>{1, 0, 0, 0, 0, 0, 0, 0}
                         : std::array<int16_t, 8>{1, 0, 1, 0, 0, 1, 0, 0};
        EXPECT_EQ(view->enables, expected);
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(view->configuration.enabled[k], expected[k]) << "channel " << k;
        // A spectrometer on USB carries its device's serial number.
        if (c.adc != VYK_ADC_BRONTEL) {
            EXPECT_EQ(view->configuration.serialNumber, c.serial);
        }
    }
}

TEST_F(SpectrometerApplyTest, HardwareChangedFlagByCause)
{
    const struct
    {
        const char* name;
        bool serialEdited;
        bool interfaceChanged;
        int expected;
    } cases[] = {{"nothing", false, false, 0},
                 {"serial number edited", true, false, 1},
                 {"hardware choice", false, true, 1},
                 {"both", true, true, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrometerSheetSettings s = loaded();
        s.serialNumberEdited = c.serialEdited;
        s.interfaceChanged = c.interfaceChanged;
        // Values that do not count as hardware: offset, compression, baud rate, resolution.
        s.lemmikOffset = 3.5;
        s.compression = 1;
        s.baudRateIndex = 2;
        s.pixelResolution = 250;
        EXPECT_EQ(apply(s), c.expected);
    }
}

TEST_F(SpectrometerApplyTest, DisplayedRangeClampTable)
{
    // Channel 0: intercept 400, last pixel 400 + 0.5 x 2047 = 1423.5.
    const struct
    {
        const char* name;
        float start, end;
        float storedStart, storedEnd;
    } cases[] = {
        {"inside", 500.0f, 900.0f, 500.0f, 900.0f},
        {"below and beyond", 100.0f, 5000.0f, 400.0f, 1423.5f},
        {"0 is the calibrated end", 0.0f, 0.0f, 400.0f, 1423.5f},
        {"start 0 only", 0.0f, 700.0f, 400.0f, 700.0f},
        {"end 0 only", 450.0f, 0.0f, 450.0f, 1423.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrometerSheetSettings s = loaded();
        s.channels[0].displayStart = c.start;
        s.channels[0].displayEnd = c.end;
        apply(s);
        EXPECT_EQ(view->configuration.displayStart[0], c.storedStart);
        EXPECT_EQ(view->configuration.displayEnd[0], c.storedEnd);
    }
}

TEST_F(SpectrometerApplyTest, ChartTakesEnabledChannelsAndClearsTheOthers)
{
    SpectrometerSheetSettings s = loaded();
    s.adcType = VYK_ADC_BRONTELUSB;
    s.usbSerialNumber = "PV00042";
    view->adc = VYK_ADC_BRONTELUSB;
    s.channels[0].enabled = 0;
    s.channels[2].enabled = 1;
    s.channels[4].enabled = 1;
    view->plottedArrays[1].fill(5.0);
    view->wavelengthArrays[1].fill(5.0);
    apply(s);
    // Channels 2 (420 nm up) and 4 (440 nm up) set the range.
    EXPECT_EQ(view->rangeMin, 420.0);
    EXPECT_DOUBLE_EQ(view->rangeMax, 440.0 + 0.5 * 2047);
    EXPECT_EQ(count(log, "chart.xLimits(420,"), 1);
    EXPECT_EQ(view->wavelengthArrays[2][1], 420.5);
    EXPECT_EQ(view->wavelengthArrays[1][1], 0.0);
    EXPECT_EQ(view->plottedArrays[1][1], 0.0);
    EXPECT_EQ(count(log, "chart.y(1,4096)"), 1);
    EXPECT_EQ(count(log, "chart.y(2,"), 0);
    EXPECT_EQ(count(log, "chart.x("), 8);
}

TEST_F(SpectrometerApplyTest, NoChannelEnabledLeaves9999To0)
{
    SpectrometerSheetSettings s = loaded();
    s.adcType = VYK_ADC_BRONTELUSB; // keeps the enables as typed
    view->adc = VYK_ADC_BRONTELUSB;
    for (auto& c : s.channels)
        c.enabled = 0;
    apply(s);
    EXPECT_EQ(view->rangeMin, 9999.0);
    EXPECT_EQ(view->rangeMax, 0.0);
    EXPECT_EQ(count(log, "chart.xLimits(9999,0)"), 1);
    EXPECT_EQ(count(log, "chart.y("), 8);
}

TEST(TrevanFeatureTexts, ReadOuts)
{
    EXPECT_EQ(outputVoltsText(511), "4.990 V");
    EXPECT_EQ(outputVoltsText(0), "0.000 V");
    EXPECT_EQ(analogInputText(8192), "8192 Counts, 5.000 V");
    EXPECT_EQ(analogInputText(0), "0 Counts, 0.000 V");
    EXPECT_EQ(millisecondsText(0.0015), "1.500e+00 msec");
    EXPECT_EQ(millisecondsText(0.0), "0.000e+00 msec");
}

TEST(TrevanFeatureTexts, SingleStrobeWarning)
{
    EXPECT_EQ(singleStrobeWarning(100, 100), kSingleStrobeWarning);
    EXPECT_EQ(singleStrobeWarning(101, 100), kSingleStrobeWarning);
    EXPECT_EQ(singleStrobeWarning(99, 100), "");
}

TEST(TrevanFeatureTexts, ContinuousStrobeAgainstIntegrationTime)
{
    const struct
    {
        const char* name;
        double integrationMs;
        double periodSeconds;
        bool divides;
    } cases[] = {
        {"20 ms into 100 ms", 100.0, 0.020, true},
        {"40 ms into 100 ms", 100.0, 0.040, false},
        {"equal", 100.0, 0.100, true},
        {"longer than the integration", 100.0, 0.300, false},
        // 48000 counts of 48 MHz times 3: 3 ms with a rounding error.
        {"rounded divisor", 99.0, 48000.0 / 48e6 * 3.0, true},
        {"0.1 ms steps", 1.0, 0.0001, true},
        {"a tiny miss is still a miss", 100.0, 0.0200001, false},
        {"period 0", 100.0, 0.0, false},
        {"negative period", 100.0, -0.02, false},
        {"not a number", 100.0, std::nan(""), false},
        {"integration 0", 0.0, 0.02, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(strobeDividesIntegration(c.integrationMs, c.periodSeconds), c.divides);
        EXPECT_EQ(continuousStrobeWarning(c.integrationMs, c.periodSeconds),
                  c.divides ? "" : kContinuousStrobeWarning);
    }
}
