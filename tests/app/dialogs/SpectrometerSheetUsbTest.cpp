// The spectrometer sheet in the program with the real driver library and two simulated
// Pavik spectrometers behind the test's fake libusb: the A/D Interface page lists both
// devices by serial number with the driver's current one selected, and OK with the other
// leaves the driver on that one.
#include "app/dialogs/SpectrometerPropertySheet.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/qt/FakeLibusbExports.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/platform/usb/FakeLibusb.h"

#include <QApplication>
#include <QComboBox>
#include <QSemaphore>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using platform::framework::findControl;
using platform::usb::test::FakeLibusb;
using sim::usb::SimulatedUsbSpectrometer;

namespace {

class SpectrometerSheetUsbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeLibusb::instance().reset();
        FakeLibusb::instance().add({1, {1}, first, false, false});
        FakeLibusb::instance().add({1, {2}, second, false, false});
        const char* dir = std::getenv("HARLUNE_TEST_DIR");
        const std::string spec = std::string(dir ? dir : ".") + "/TwoPaviks.spec";
        std::FILE* file = std::fopen(spec.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=Pavik\r\n"
                   "USBSerialNumber=PV00042\r\nInitialized=1\r\n",
                   file);
        std::fclose(file);
        CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    std::shared_ptr<SimulatedUsbSpectrometer> first =
        std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00042"));
    std::shared_ptr<SimulatedUsbSpectrometer> second =
        std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00043"));
    std::vector<std::string> reports;
    DriverLibrary library{"libVYKDRV32.so",
                          [this](const std::string& message) { reports.push_back(message); }};
    CHarluneApp app{library};
};

// Qt's painting runs on Qt's global thread pool, whose threads are detached and are stopped
// while the program exits. Such a thread's QThread counts as finished before the thread has run
// the thread-local key destructor that frees its per-thread data, and until then that data is
// reachable only from the thread's thread-local storage. On a loaded machine the leak check at
// exit can meet a pool thread there by chance; this hold keeps one there every run, so the
// check has to count that storage as reachable (see tests/app/UnloadedLibraryLeakOptions.cpp).
struct SpectrometerSheetUsbExitHold
{
    bool armed = false;

    ~SpectrometerSheetUsbExitHold()
    {
        if (armed) {
            // Nobody releases it: the process ends first. The bound only keeps a hung exit
            // from hanging here too.
            static auto* const never = new QSemaphore;
            never->tryAcquire(1, 60000);
        }
    }
};

thread_local SpectrometerSheetUsbExitHold t_spectrometerSheetUsbExitHold;

void holdASpectrometerSheetUsbPoolThreadAtExit()
{
    auto armed = std::make_shared<QSemaphore>();
    QThreadPool::globalInstance()->start([armed] {
        t_spectrometerSheetUsbExitHold.armed = true;
        armed->release();
    });
    if (!armed->tryAcquire(1, 10000)) {
        std::fputs("the pool thread to hold at exit did not start\n", stderr);
        std::exit(1);
    }
}

} // namespace

TEST_F(SpectrometerSheetUsbTest, ListsBothDevicesAndSwitchesTheDriverToTheChosenOne)
{
    ASSERT_TRUE(app.InitInstance({}));
    platform::framework::ChildFrame* frame = app.mainFrameWidget()->MDIGetActive();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(runUntil([&] { return view->isReady(); }));
    ASSERT_TRUE(runUntil([&] { return library.VYK_GetCurrentUSBSerialNumber() == "PV00042"; }));

    bool asked = false;
    answerNextModal<CSpectrometerPropertySheet>([&](CSpectrometerPropertySheet& sheet) {
        asked = true;
        sheet.SetActivePage(1);
        QApplication::processEvents();
        auto* list = findControl<QComboBox>(sheet.GetPage(1), 1535);
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->isVisible());
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), "PV00042");
        EXPECT_EQ(list->itemText(1), "PV00043");
        EXPECT_EQ(list->currentText(), "PV00042");
        list->setCurrentIndex(1);
        emit list->activated(1);
        sheet.pressOk();
    });
    EXPECT_TRUE(frame->executeCommand(32831)); // Configure Spectrometer
    EXPECT_TRUE(asked);
    EXPECT_EQ(library.VYK_GetCurrentUSBSerialNumber(), "PV00043");
    EXPECT_EQ(view->core().configuration().GetUSBSerialNumber(), "PV00043");
    EXPECT_EQ(view->core().hardware().usbSerialNumber, "PV00043");
    // The next scans come from the chosen device, and the driver stays on it.
    double& marked = view->core().document().spectra().processed[0][1000];
    marked = -7.0;
    EXPECT_TRUE(runUntil([&] { return marked != -7.0; }));
    EXPECT_EQ(library.VYK_GetCurrentUSBSerialNumber(), "PV00043");
    EXPECT_TRUE(reports.empty()) << reports.front();
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    holdASpectrometerSheetUsbPoolThreadAtExit();
    return result;
}
