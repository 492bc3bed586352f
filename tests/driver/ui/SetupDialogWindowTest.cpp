#include "driver/ui/SetupDialogWindow.h"

#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverStartup.h"
#include "driver/core/SetupDialog.h"
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_usb.h"
#include "driver/java/JavaBridge.h"
#include "driver/usb/UsbTransport.h"
#include "sim/java/FakeJavaDriver.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <functional>
#include <string>
#include <vector>

namespace driver::ui::test {
namespace {

using core::SetupList;

// A library on platform/win (whose dialog hook is the Qt dialog), configured as given.
void startLibrary(std::uint16_t spectrometer, std::uint16_t adc)
{
    core::detachDriver();
    core::setDriverPlatform(nullptr);
    core::attachDriver();
    VYK_Config(static_cast<int16_t>(spectrometer), static_cast<int16_t>(adc), 7, 0x300);
}

// Whether a real Java VM was started in this process.
bool javaVmLoaded()
{
    void* vm = dlopen("libjvm.so", RTLD_NOW | RTLD_NOLOAD);
    if (vm)
        dlclose(vm);
    return vm != nullptr;
}

bool shown(const SetupDialogWindow& window, const char* name)
{
    const QWidget* widget = window.findChild<QWidget*>(QString::fromLatin1(name));
    return widget && !widget->isHidden();
}

struct LayoutCase
{
    const char* name;
    std::uint16_t spectrometer;
    std::uint16_t adc;
    const char* visible; // object names of the controls shown, besides the type lists
};

class SetupDialogLayoutTest : public ::testing::TestWithParam<LayoutCase>
{};

TEST_P(SetupDialogLayoutTest, ShowsTheControlsOfTheType)
{
    const LayoutCase& c = GetParam();
    startLibrary(c.spectrometer, c.adc);
    core::SetupDialog model;
    SetupDialogWindow window(model);
    const std::string visible = std::string(" ") + c.visible + " ";
    for (const char* control :
         {"4002", "4003", "4004", "4005", "4007", "4008", "4009", "4010", "4021"}) {
        SCOPED_TRACE(control);
        EXPECT_EQ(shown(window, control),
                  visible.find(std::string(" ") + control + " ") != std::string::npos);
    }
    EXPECT_TRUE(shown(window, "4000"));
    EXPECT_TRUE(shown(window, "4001"));
    EXPECT_FALSE(javaVmLoaded());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetupDialogLayoutTest,
    ::testing::Values(LayoutCase{"Dovrin", VYK_SPEC_ISTREL, VYK_ADC_DOVRIN, "4002 4003"},
                      LayoutCase{"BrontelIstrelBT", VYK_SPEC_ISTRELBT, VYK_ADC_BRONTEL,
                                 "4002 4003 4004"},
                      LayoutCase{"Pavik", VYK_SPEC_ISTREL, VYK_ADC_PAVIK, "4010"},
                      LayoutCase{"Trevan", VYK_SPEC_ISTREL, VYK_ADC_TREVAN, "4010"},
                      LayoutCase{"CadrelPCI", VYK_SPEC_ISTREL, VYK_ADC_CADRELPCI, "4021"},
                      LayoutCase{"Serial", VYK_SPEC_ISTREL, VYK_ADC_SERIAL, "4005 4007 4008 4009"},
                      LayoutCase{"None", VYK_SPEC_ISTREL, VYK_ADC_NONE, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SetupDialogWindowTest, ChoosingATypeRelaysTheDialogAtOnce)
{
    startLibrary(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    core::SetupDialog model;
    SetupDialogWindow window(model);
    QComboBox* adc = window.list(SetupList::Adc);
    ASSERT_NE(adc, nullptr);
    adc->setCurrentIndex(adc->findText(QStringLiteral("Pavik")));
    EXPECT_TRUE(shown(window, "4010"));
    EXPECT_EQ(window.list(SetupList::UsbSerial)->itemText(0),
              QStringLiteral("First Available Pavik"));
    adc->setCurrentIndex(adc->findText(QStringLiteral("Serial (RS-232) A/D")));
    EXPECT_FALSE(shown(window, "4010"));
    EXPECT_TRUE(shown(window, "4008"));
    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_NONE); // only the dialog's copy changed
}

// Runs `play` on the modal dialog once it is open.
void whenOpen(const std::function<void(SetupDialogWindow&)>& play)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, play] {
        auto* window = dynamic_cast<SetupDialogWindow*>(QApplication::activeModalWidget());
        if (!window)
            return;
        timer->stop();
        timer->deleteLater();
        play(*window);
    });
    timer->start();
}

TEST(SetupDialogWindowTest, OkThroughTheHookStoresAndConnects)
{
    startLibrary(VYK_SPEC_ISTREL, VYK_ADC_DOVRIN);
    installSetupDialogHook();
    whenOpen([](SetupDialogWindow& window) {
        QComboBox* adc = window.list(SetupList::Adc);
        adc->setCurrentIndex(adc->findText(QStringLiteral("NONE")));
        QComboBox* spectrometer = window.list(SetupList::Spectrometer);
        spectrometer->setCurrentIndex(spectrometer->findText(QStringLiteral("Lemmik")));
        window.accept();
    });
    EXPECT_EQ(VYK_Config(0, 0, 0, 0), 0);
    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_NONE);
    EXPECT_EQ(VYK_GetSpectrometerType(), VYK_SPEC_LEMMIK);
    EXPECT_EQ(VYK_GetNumberOfPixels(), 1024);
}

TEST(SetupDialogWindowTest, CancelThroughTheHookChangesNothing)
{
    startLibrary(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    installSetupDialogHook();
    whenOpen([](SetupDialogWindow& window) {
        QComboBox* adc = window.list(SetupList::Adc);
        adc->setCurrentIndex(adc->findText(QStringLiteral("Pavik")));
        window.list(SetupList::Spectrometer)->setCurrentIndex(0);
        window.findChild<QSpinBox*>(QStringLiteral("4004"))->setValue(3);
        window.reject();
    });
    EXPECT_EQ(VYK_Config(0, 0, 0, 0), 2);
    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_NONE);
    EXPECT_EQ(VYK_GetSpectrometerType(), VYK_SPEC_ISTREL);
}

// Two Paviks attached: the dialog lists both after "First Available Pavik", the one in use
// chosen; OK with the other one switches the library to it.
TEST(SetupDialogWindowTest, ListsTheAttachedPaviksAndOkSwitchesToTheChosenOne)
{
    auto first =
        std::make_shared<sim::usb::SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV-A"));
    auto second =
        std::make_shared<sim::usb::SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV-B"));
    auto backend = std::make_shared<sim::usb::SimUsbBackend>();
    backend->add(first);
    backend->add(second);
    usb::setUsbBackend(backend);
    usb::StoreCurrentUSBSerialNumber("");
    startLibrary(VYK_SPEC_ISTREL, VYK_ADC_PAVIK);
    char serial[16] = {};
    VYK_GetCurrentUSBSerialNumber(serial);
    ASSERT_STREQ(serial, "PV-A");
    char firmware[64] = {};
    ASSERT_EQ(Pavik_GetFirmwareVersion(firmware), 1); // opens the device in use

    installSetupDialogHook();
    QStringList listed;
    int chosen = -1;
    whenOpen([&](SetupDialogWindow& window) {
        QComboBox* usbSerials = window.list(SetupList::UsbSerial);
        for (int i = 0; i < usbSerials->count(); ++i)
            listed << usbSerials->itemText(i);
        chosen = usbSerials->currentIndex();
        usbSerials->setCurrentIndex(usbSerials->findText(QStringLiteral("PV-B")));
        window.accept();
    });
    EXPECT_EQ(VYK_Config(0, 0, 0, 0), 0);
    EXPECT_EQ(listed, QStringList({QStringLiteral("First Available Pavik"), QStringLiteral("PV-A"),
                                   QStringLiteral("PV-B")}));
    EXPECT_EQ(chosen, 1);
    VYK_GetCurrentUSBSerialNumber(serial);
    EXPECT_STREQ(serial, "PV-B");

    // The next use of the device opens and initialises the chosen one (the search by serial
    // asks every device for its serial).
    first->clearLog();
    second->clearLog();
    EXPECT_EQ(Pavik_GetFirmwareVersion(firmware), 1);
    const auto initialised = [](const sim::usb::SimulatedUsbSpectrometer& device) {
        for (const auto& transfer : device.log()) {
            if (transfer.bytes == std::vector<std::uint8_t>{0x01, 0x00})
                return true;
        }
        return false;
    };
    EXPECT_FALSE(initialised(*first));
    EXPECT_TRUE(initialised(*second));
    core::detachDriver();
    usb::CloseUsbDevice();
    usb::setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
}

// The Java-driven models list the devices of their Java driver; OK with another device and
// the same A/D type switches to it without reconnecting.
TEST(SetupDialogWindowTest, OkSwitchesAmongTheJavaDriversDevices)
{
    auto java = std::make_shared<sim::java::FakeJavaDriver>();
    java->setDevices("Trevan", {{0, "TRV-0"}, {2, "TRV-2"}});
    java::setJavaBackend(java);
    startLibrary(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    ASSERT_EQ(java::JavaGetDeviceIndex(), 0);
    {
        core::SetupDialog model;
        ASSERT_EQ(model.count(SetupList::UsbSerial), 3);
        EXPECT_EQ(model.item(SetupList::UsbSerial, 0), "First Available Trevan");
        EXPECT_EQ(model.item(SetupList::UsbSerial, 1), "TRV-0");
        EXPECT_EQ(model.item(SetupList::UsbSerial, 2), "TRV-2");
        EXPECT_EQ(model.selection(SetupList::UsbSerial), 1);
        model.select(SetupList::UsbSerial, 2);
        java->clearCalls();
        model.apply();
    }
    char serial[16] = {};
    VYK_GetCurrentUSBSerialNumber(serial);
    EXPECT_STREQ(serial, "TRV-2");
    EXPECT_EQ(java::JavaGetDeviceIndex(), 2);
    core::detachDriver();
    java::setJavaBackend(std::make_shared<sim::java::FakeJavaDriver>());
}

} // namespace
} // namespace driver::ui::test

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // The Java-driven types connect to the simulated Java driver, never to a real VM.
    driver::java::setJavaBackend(std::make_shared<sim::java::FakeJavaDriver>());
    const int result = RUN_ALL_TESTS();
    driver::core::detachDriver();
    return result;
}
