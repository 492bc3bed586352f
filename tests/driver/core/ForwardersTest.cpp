// The exports that forward to the connected A/D type's back-end (strobe, temperature,
// oxygen probe, Mavrin light source), called as a client calls them, over the simulated
// devices of every family: what reaches the device and what comes back.
#include "driver/core/DriverState.h"
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_brontelusb.h"
#include "driver/include/vykdrv32_forms.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/include/vykdrv32_serial.h"
#include "driver/include/vykdrv32_usb.h"
#include "driver/include/vykdrv32_xandel.h"
#include "driver/java/JavaBridge.h"
#include "driver/serial/SerialPort.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbTransport.h"
#include "sim/java/FakeJavaDriver.h"
#include "sim/serial/SerialAdcSimulator.h"
#include "sim/serial/SimulatorPort.h"
#include "sim/usb/SimulatedBrontelUsb.h"
#include "sim/usb/SimulatedPellar.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "sim/usb/SimulatedXandel.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace driver::core {
namespace {

using sim::java::FakeJavaDriver;
using sim::usb::SimulatedUsbSpectrometer;

// The simulated device of one family behind the library, and what it was last told.
class Device
{
public:
    virtual ~Device() = default;
    // The strobe or lamp state the device was last set to: 1 on, 0 off, -1 never set.
    virtual int strobe() const = 0;
    // Drops what the device has been told so far.
    virtual void forget() {}
};

// The EZ-USB models: the lamp command 03 02 (on) or 03 00 (off).
class UsbDevice final : public Device
{
public:
    explicit UsbDevice(std::shared_ptr<SimulatedUsbSpectrometer> sim) : m_sim(std::move(sim))
    {
        auto backend = std::make_shared<sim::usb::SimUsbBackend>();
        backend->add(m_sim);
        usb::setUsbBackend(backend);
    }
    ~UsbDevice() override
    {
        usb::CloseUsbDevice();
        usb::setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
        usb::StoreCurrentUSBSerialNumber("");
    }
    int strobe() const override
    {
        int last = -1;
        for (const auto& t : m_sim->log()) {
            if (t.bytes.size() == 2 && t.bytes[0] == 0x03)
                last = t.bytes[1] == 2 ? 1 : 0;
        }
        return last;
    }
    void forget() override { m_sim->clearLog(); }
    SimulatedUsbSpectrometer& sim() { return *m_sim; }

private:
    std::shared_ptr<SimulatedUsbSpectrometer> m_sim;
};

class PellarDevice final : public Device
{
public:
    PellarDevice() : m_sim(std::make_shared<sim::usb::SimulatedPellar>("PL-7"))
    {
        auto backend = std::make_shared<sim::usb::SimPellarBackend>();
        backend->add(m_sim);
        usb::setUsbBackend(backend);
    }
    ~PellarDevice() override { usb::setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>()); }
    int strobe() const override { return m_sim->strobe(); }

private:
    std::shared_ptr<sim::usb::SimulatedPellar> m_sim;
};

// The serial converter on a pseudo-terminal, named as COM1 in "VYKDRV.INI".
class SerialDevice final : public Device
{
public:
    SerialDevice()
    {
        const char* ini = std::getenv("VYKDRV_INI");
        std::ofstream(ini && *ini ? ini : "VYKDRV.INI", std::ios::trunc)
            << "[Setup]\r\nSerialDevice1=" << m_sim.devicePath() << "\r\n";
        serial::setSerialPortOpener(sim::serial::simulatorPortOpener(m_sim));
    }
    int strobe() const override
    {
        int last = -1;
        for (const auto& command : m_sim.commands()) {
            if (command.size() == 3 && command[0] == 'J')
                last = command[2];
        }
        return last;
    }

private:
    sim::serial::SerialAdcSimulator m_sim{2};
};

class JavaDevice final : public Device
{
public:
    JavaDevice() { java::setJavaBackend(m_fake); }
    ~JavaDevice() override { java::setJavaBackend(nullptr); }
    int strobe() const override
    {
        return static_cast<int>(m_fake->lastArgument(java::JavaMethod::setStrobeEnableFlag));
    }
    void forget() override { m_fake->clearCalls(); }
    FakeJavaDriver& fake() { return *m_fake; }

private:
    std::shared_ptr<FakeJavaDriver> m_fake = std::make_shared<FakeJavaDriver>();
};

class NoDevice final : public Device
{
public:
    int strobe() const override { return -1; }
};

std::shared_ptr<UsbDevice> usbDevice(sim::usb::SimIdentity identity)
{
    return std::make_shared<UsbDevice>(std::make_shared<SimulatedUsbSpectrometer>(identity));
}

// One A/D type: its device, how the library is configured for it, and how a client has
// its device opened before the first scan (the firmware query opens on demand).
struct Family
{
    const char* name;
    int spectrometer;
    int adc;
    std::function<std::shared_ptr<Device>()> plug;
    std::function<void()> open;
    bool strobes; // the type has a strobe the library drives
};

std::vector<Family> families()
{
    return {
        {"Pavik", VYK_SPEC_ISTREL, VYK_ADC_PAVIK,
         [] { return usbDevice(sim::usb::pavikIdentity("PV-1")); },
         [] {
             char firmware[64] = {};
             Pavik_GetFirmwareVersion(firmware);
         },
         true},
        {"Solvi", VYK_SPEC_ISTREL, VYK_ADC_SOLVI,
         [] { return usbDevice(sim::usb::solviIdentity("SV-1", "Solvi 2.1.0")); },
         [] {
             char firmware[64] = {};
             Solvi_GetFirmwareVersion(firmware);
         },
         true},
        {"BrontelUSB", VYK_SPEC_ISTREL, VYK_ADC_BRONTELUSB,
         [] {
             return std::make_shared<UsbDevice>(std::make_shared<sim::usb::SimulatedBrontelUsb>(
                 sim::usb::brontelUsbIdentity("BU-1")));
         },
         [] {
             char firmware[64] = {};
             BrontelUSB_GetFirmwareVersion(firmware);
         },
         true},
        {"Xandel", VYK_SPEC_WESSOR, VYK_ADC_XANDEL,
         [] {
             return std::make_shared<UsbDevice>(std::make_shared<sim::usb::SimulatedXandel>(
                 sim::usb::wessorIdentity("XW-1"), 512));
         },
         [] {
             char firmware[64] = {};
             Xandel_GetFirmwareVersion(firmware);
         },
         true},
        {"Pellar", VYK_SPEC_PELLAR, VYK_ADC_PELLAR, [] { return std::make_shared<PellarDevice>(); },
         [] {}, true},
        {"SerialAdc", VYK_SPEC_ISTREL, VYK_ADC_SERIAL,
         [] { return std::make_shared<SerialDevice>(); }, [] {}, true},
        {"Trevan", VYK_SPEC_JOLVAR, VYK_ADC_TREVAN, [] { return std::make_shared<JavaDevice>(); },
         [] {}, true},
        {"Quarn", VYK_SPEC_JOLVAR, VYK_ADC_QUARN, [] { return std::make_shared<JavaDevice>(); },
         [] {}, true},
        {"Ulmar", VYK_SPEC_ULMAR, VYK_ADC_ULMARADC, [] { return std::make_shared<JavaDevice>(); },
         [] {}, true},
        {"None", VYK_SPEC_ISTREL, VYK_ADC_NONE, [] { return std::make_shared<NoDevice>(); }, [] {},
         false},
    };
}

// A library on the fake platform, connected to the family's device.
struct Connected
{
    std::shared_ptr<Device> device;
    std::shared_ptr<test::FakeDriverPlatform> platform;

    explicit Connected(const Family& family)
    {
        usb::resetPavikSolviState();
        usb::resetPavikExportState();
        device = family.plug();
        platform = test::startFakeDriver(family.spectrometer, VYK_ADC_NONE);
        EXPECT_EQ(VYK_ConfigEx(static_cast<int16_t>(family.spectrometer),
                               static_cast<int16_t>(family.adc), 0, 0, 1, 0),
                  VYK_SUCCESS);
    }
    ~Connected() { detachDriver(); }
};

class ForwardersTest : public testing::TestWithParam<Family>
{};

TEST_P(ForwardersTest, StrobeEnableReachesTheDeviceOfTheType)
{
    const Family& family = GetParam();
    Connected library(family);
    family.open();
    for (int flag : {0, 1, 0}) {
        SCOPED_TRACE(flag);
        library.device->forget();
        EXPECT_EQ(VYK_StrobeEnable(static_cast<int16_t>(flag)), family.strobes ? 1 : 0);
        EXPECT_EQ(library.device->strobe(), family.strobes ? flag : -1);
    }
    // The other names forward to the same call.
    library.device->forget();
    EXPECT_EQ(VYK_IstrelStrobeEnable(1), family.strobes ? 1 : 0);
    EXPECT_EQ(library.device->strobe(), family.strobes ? 1 : -1);
    EXPECT_EQ(VYK_SE_LVD(0), family.strobes ? 1 : 0);
    EXPECT_EQ(library.device->strobe(), family.strobes ? 0 : -1);
    EXPECT_TRUE(library.platform->boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Types, ForwardersTest, testing::ValuesIn(families()),
                         [](const auto& info) { return std::string(info.param.name); });

// Pavik and Solvi switch their lamp at every open to the strobe state the client set
// before; the lamp command has nothing to reach while no device is open.
TEST(ForwardersOpenTest, TheUsbOpenSendsTheStrobeStateKept)
{
    for (const Family& family : families()) {
        if (family.adc != VYK_ADC_PAVIK && family.adc != VYK_ADC_SOLVI)
            continue;
        for (int flag : {0, 1}) {
            SCOPED_TRACE(std::string(family.name) + " " + std::to_string(flag));
            Connected library(family);
            EXPECT_EQ(VYK_StrobeEnable(static_cast<int16_t>(flag)), 0);
            EXPECT_EQ(library.device->strobe(), -1);
            family.open();
            EXPECT_EQ(library.device->strobe(), flag);
        }
    }
}

// Temperature, temperature coefficients, oxygen probe and Mavrin light source: the Pavik's
// plug-in accessory for Pavik and Solvi, the Java driver for Trevan, SolviPlus, PavikPlus
// and Quarn, the neutral answers for the others.
TEST(ForwardersAccessoryTest, PavikAccessoryAnswersThroughTheForwarders)
{
    for (const Family& family : families()) {
        if (family.adc != VYK_ADC_PAVIK && family.adc != VYK_ADC_SOLVI)
            continue;
        SCOPED_TRACE(family.name);
        Connected library(family);
        auto& sim = std::static_pointer_cast<UsbDevice>(library.device)->sim();
        EXPECT_EQ(VYK_SetTemperatureCoefficients(0.02f, 1.0f), 1);
        EXPECT_EQ(sim.pluginSlot(1), "0.02");
        EXPECT_EQ(sim.pluginSlot(2), "1");
        float gain = -5.0f;
        float offset = -5.0f;
        EXPECT_EQ(VYK_GetTemperatureCoefficients(&gain, &offset), 1);
        EXPECT_FLOAT_EQ(gain, 0.02f);
        EXPECT_FLOAT_EQ(offset, 1.0f);
        // The simulated sensor reads 1000 counts.
        EXPECT_NEAR(VYK_GetExternalTemperatureCelsius(), 21.0f, 1e-4);

        std::array<float, 18> o2{};
        for (std::size_t i = 0; i < o2.size(); ++i)
            o2[i] = 0.25f * static_cast<float>(i);
        EXPECT_EQ(VYK_SetO2ProbeCalibrationCoefficients(o2.data()), 1);
        EXPECT_EQ(sim.pluginSlot(3 + 17), "4.25");
        std::array<float, 18> back{};
        EXPECT_EQ(VYK_GetO2ProbeCalibrationCoefficients(back.data()), 1);
        EXPECT_EQ(back, o2);

        sim.clearLog();
        EXPECT_EQ(VYK_SetMavrinModulation(7), 1);
        EXPECT_EQ(VYK_GetMavrinModulation(), 7);
        EXPECT_EQ(VYK_SetMavrinDa(300), 1);
        const std::vector<std::vector<std::uint8_t>> expected{{0x21, 7, 0}, {0x25, 0x2C, 0x01}};
        std::vector<std::vector<std::uint8_t>> sent;
        for (const auto& t : sim.log()) {
            if (t.bytes[0] == 0x21 || t.bytes[0] == 0x25)
                sent.push_back(t.bytes);
        }
        EXPECT_EQ(sent, expected);
    }
}

TEST(ForwardersAccessoryTest, JavaDriverAnswersThroughTheForwarders)
{
    for (const Family& family : families()) {
        if (family.adc != VYK_ADC_TREVAN && family.adc != VYK_ADC_QUARN)
            continue;
        SCOPED_TRACE(family.name);
        Connected library(family);
        FakeJavaDriver& fake = std::static_pointer_cast<JavaDevice>(library.device)->fake();
        EXPECT_FLOAT_EQ(VYK_GetExternalTemperatureCelsius(), 21.5f);
        float first = -5.0f;
        float second = -5.0f;
        EXPECT_EQ(VYK_GetTemperatureCoefficients(&first, &second), 0);
        EXPECT_FLOAT_EQ(first, 0.5f);
        EXPECT_FLOAT_EQ(second, 0.25f);
        EXPECT_EQ(VYK_GetTemperatureCoefficients(nullptr, &second), 1);
        EXPECT_EQ(VYK_SetTemperatureCoefficients(1.5f, 2.5f), 1);
        EXPECT_EQ(fake.callCount(java::JavaMethod::setTemperatureCoefficients), 1);

        std::array<float, 17> o2{};
        EXPECT_EQ(VYK_GetO2ProbeCalibrationCoefficients(o2.data()), 1);
        EXPECT_FLOAT_EQ(o2[16], 0.5f);
        o2.fill(3.0f);
        EXPECT_EQ(VYK_SetO2ProbeCalibrationCoefficients(o2.data()), 1);
        o2.fill(0.0f);
        EXPECT_EQ(VYK_GetO2ProbeCalibrationCoefficients(o2.data()), 1);
        EXPECT_FLOAT_EQ(o2[16], 3.0f);

        EXPECT_EQ(VYK_SetMavrinModulation(7), 1);
        EXPECT_EQ(fake.lastArgument(java::JavaMethod::setMavrinModulation), 7);
        EXPECT_EQ(VYK_GetMavrinModulation(), 7);
        EXPECT_EQ(VYK_SetMavrinDa(5), 1);
        EXPECT_EQ(fake.lastArgument(java::JavaMethod::setMavrinDa), 5);
    }
}

TEST(ForwardersAccessoryTest, TypesWithoutTheAccessoryGiveTheNeutralAnswers)
{
    for (const Family& family : families()) {
        if (family.adc == VYK_ADC_PAVIK || family.adc == VYK_ADC_SOLVI ||
            family.adc == VYK_ADC_TREVAN || family.adc == VYK_ADC_QUARN)
            continue;
        SCOPED_TRACE(family.name);
        Connected library(family);
        library.device->forget();
        float first = -5.0f;
        float second = -5.0f;
        std::array<float, 18> o2{};
        EXPECT_FLOAT_EQ(VYK_GetExternalTemperatureCelsius(), -1.0f);
        EXPECT_NE(VYK_GetTemperatureCoefficients(&first, &second), 0);
        EXPECT_EQ(first, -5.0f);
        EXPECT_EQ(VYK_SetTemperatureCoefficients(1.0f, 2.0f), 0);
        EXPECT_EQ(VYK_GetO2ProbeCalibrationCoefficients(o2.data()), 0);
        EXPECT_EQ(VYK_SetO2ProbeCalibrationCoefficients(o2.data()), -1);
        EXPECT_EQ(VYK_SetMavrinModulation(7), 0);
        EXPECT_EQ(VYK_GetMavrinModulation(), 0);
        EXPECT_EQ(VYK_SetMavrinDa(5), -1);
        if (family.adc == VYK_ADC_ULMARADC) {
            auto& fake = std::static_pointer_cast<JavaDevice>(library.device)->fake();
            EXPECT_EQ(fake.callCount(java::JavaMethod::setMavrinModulation), 0);
            EXPECT_EQ(fake.callCount(java::JavaMethod::getExternalTemperatureCelsius), 0);
        }
    }
}

} // namespace
} // namespace driver::core
