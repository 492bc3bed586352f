// "Trevan Features" offscreen against a recording fake of the driver and its owning view:
// one device call per control, the read-outs and warnings, the refresh timer and its
// interval, and the dialog's life with its view.
#include "app/dialogs/TrevanFeaturesDialog.h"

#include "app/dialogs/TrevanFeatureTexts.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/SpectrometerDialogFakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace app::dialogs;
using app::dialogs::test::FakeDialogDriver;
using app::dialogs::test::FakeSheetView;
using platform::framework::findControl;

namespace {

class TrevanFeaturesDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { owner->configuration.adcType = VYK_ADC_TREVAN; }

    CTrevanFeaturesDialog& open(int intervalMs = 0)
    {
        dialog = new CTrevanFeaturesDialog(*owner, driver, parent.get());
        dialog->setRefreshIntervalMs(intervalMs);
        EXPECT_TRUE(dialog->Create());
        log.clear();
        return *dialog;
    }
    template <class T> T* control(unsigned id)
    {
        T* found = findControl<T>(dialog, id);
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    QString text(unsigned id) { return control<QLabel>(id)->text(); }
    void set(unsigned id, int value) { control<QSpinBox>(id)->setValue(value); }
    // Runs the deferred deletion of closed dialogs.
    void settle()
    {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    std::vector<std::string> log;
    std::unique_ptr<FakeSheetView> owner = std::make_unique<FakeSheetView>(log);
    FakeDialogDriver driver{log};
    std::unique_ptr<QWidget> parent = std::make_unique<QWidget>();
    QPointer<CTrevanFeaturesDialog> dialog;
};

} // namespace

TEST_F(TrevanFeaturesDialogTest, OpensWithTheDevicesValues)
{
    driver.singleStrobeHigh = 12;
    driver.singleStrobeLow = 34;
    driver.strobeBase = 48000;
    driver.strobeClock = 5;
    driver.triggerDelay = 7;
    driver.singleStrobeHighTime = 0.00025;
    driver.strobeTime = 0.005;
    driver.pinMux[3] = 1;
    driver.pinIO[4] = 1;
    driver.pinData[9] = 1;
    open();
    EXPECT_EQ(dialog->windowTitle(), "Trevan Features");
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(control<QSpinBox>(1598)->value(), 12);
    EXPECT_EQ(control<QSpinBox>(1599)->value(), 34);
    EXPECT_EQ(control<QSpinBox>(1604)->value(), 48000);
    EXPECT_EQ(control<QSpinBox>(1605)->value(), 5);
    EXPECT_EQ(control<QSpinBox>(1611)->value(), 7);
    EXPECT_EQ(text(1601), "2.500e-01 msec");
    EXPECT_EQ(text(1609), "5.000e+00 msec");
    EXPECT_TRUE(control<QCheckBox>(1620)->isChecked()); // alternate function, pin 3
    EXPECT_TRUE(control<QCheckBox>(1631)->isChecked()); // output, pin 4
    EXPECT_TRUE(control<QCheckBox>(1646)->isChecked()); // value, pin 9
    EXPECT_FALSE(control<QCheckBox>(1614)->isChecked());
    const struct
    {
        unsigned id;
        int maximum;
    } ranges[] = {{1598, 65535}, {1599, 65535}, {1604, 65535},    {1605, 65535},
                  {1611, 65535}, {1647, 511},   {1649, 100000000}};
    for (const auto& r : ranges) {
        EXPECT_EQ(control<QSpinBox>(r.id)->minimum(), 0) << r.id;
        EXPECT_EQ(control<QSpinBox>(r.id)->maximum(), r.maximum) << r.id;
    }
    // Opening sends nothing to the device.
    EXPECT_TRUE(log.empty());
}

TEST_F(TrevanFeaturesDialogTest, UlmarAdcOpensWithTriggerDelayZero)
{
    driver.triggerDelay = 99;
    owner->configuration.adcType = VYK_ADC_ULMARADC;
    dialog = new CTrevanFeaturesDialog(*owner, driver, parent.get());
    dialog->Create();
    EXPECT_EQ(control<QSpinBox>(1611)->value(), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Trevan_GetHardwareTriggerDelay"), 0);
}

TEST_F(TrevanFeaturesDialogTest, EachControlMakesItsDeviceCall)
{
    open();
    const struct
    {
        const char* name;
        std::function<void()> act;
        std::vector<std::string> calls;
    } cases[] = {
        {"high count", [&] { set(1598, 100); }, {"Trevan_SetSingleStrobeHigh(100)"}},
        {"low count", [&] { set(1599, 200); }, {"Trevan_SetSingleStrobeLow(200)"}},
        {"base divisor", [&] { set(1604, 300); }, {"Trevan_SetContinuousStrobeBase(300)"}},
        {"strobe divisor", [&] { set(1605, 4); }, {"Trevan_SetContinuousStrobeClock(4)"}},
        {"trigger delay", [&] { set(1611, 65535); }, {"Trevan_SetHardwareTriggerDelay(65535)"}},
        {"analog out", [&] { set(1647, 511); }, {"Trevan_SetAnalogOutput(511)"}},
        {"alternate pin 0 on",
         [&] { control<QCheckBox>(1614)->click(); },
         {"Trevan_SetGPIOMuxAlt(0)"}},
        {"alternate pin 0 off",
         [&] { control<QCheckBox>(1614)->click(); },
         {"Trevan_SetGPIOMuxReg(0)"}},
        {"alternate pin 9 on",
         [&] { control<QCheckBox>(1626)->click(); },
         {"Trevan_SetGPIOMuxAlt(9)"}},
        {"output pin 2 on",
         [&] { control<QCheckBox>(1629)->click(); },
         {"Trevan_SetGPIOPinOutput(2)"}},
        {"output pin 2 off",
         [&] { control<QCheckBox>(1629)->click(); },
         {"Trevan_SetGPIOPinInput(2)"}},
        {"value pin 5 on",
         [&] { control<QCheckBox>(1642)->click(); },
         {"Trevan_SetGPIOPinData(5,1)"}},
        {"value pin 5 off",
         [&] { control<QCheckBox>(1642)->click(); },
         {"Trevan_SetGPIOPinData(5,0)"}},
        {"interval", [&] { set(1649, 250); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        c.act();
        std::vector<std::string> sets;
        for (const std::string& entry : log)
            if (entry.rfind("Trevan_Set", 0) == 0)
                sets.push_back(entry);
        EXPECT_EQ(sets, c.calls);
    }
}

TEST_F(TrevanFeaturesDialogTest, ReadOutsAndSingleStrobeWarning)
{
    driver.singleStrobeHighTime = 0.001;
    driver.triggerDelayTime = 2.0e-6;
    open();
    set(1647, 511);
    EXPECT_EQ(text(1616), "4.990 V");
    set(1647, 0);
    EXPECT_EQ(text(1616), "0.000 V");
    set(1599, 100);
    set(1598, 100);
    EXPECT_EQ(text(1603), kSingleStrobeWarning);
    EXPECT_EQ(text(1601), "1.000e+00 msec");
    set(1598, 99);
    EXPECT_EQ(text(1603), "");
    set(1611, 96);
    EXPECT_EQ(text(1613), "2.000e-03 msec");
}

TEST_F(TrevanFeaturesDialogTest, ContinuousStrobeWarning)
{
    driver.integrationTime = 100; // ms
    open();
    const struct
    {
        const char* name;
        double periodSeconds;
        bool warned;
    } cases[] = {{"20 ms divides 100 ms", 0.020, false},
                 {"40 ms does not", 0.040, true},
                 {"a rounded divisor", 48000.0 / 48e6 * 25.0, false},
                 {"period 0", 0.0, true}};
    int clock = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver.strobeTime = c.periodSeconds;
        set(1605, ++clock);
        EXPECT_EQ(text(1610), c.warned ? kContinuousStrobeWarning : "");
    }
}

TEST_F(TrevanFeaturesDialogTest, RefreshReadsAnalogInputAndDataRegister)
{
    open();
    for (int pin : {1, 3})
        control<QCheckBox>(1637 + pin)->click();
    driver.analogInput = 8192;
    driver.dataRegister = 0x0281;
    dialog->OnTimer(CTrevanFeaturesDialog::kRefreshTimerId);
    EXPECT_EQ(text(1615), "8192 Counts, 5.000 V");
    for (int pin = 0; pin < 10; ++pin)
        EXPECT_EQ(control<QCheckBox>(1637 + pin)->isChecked(), pin == 0 || pin == 7 || pin == 9)
            << "pin " << pin;
    // Other timers do nothing.
    log.clear();
    dialog->OnTimer(1);
    EXPECT_TRUE(log.empty());
}

TEST_F(TrevanFeaturesDialogTest, IntervalStartsStopsAndIsKeptForTheNextDialog)
{
    open();
    EXPECT_EQ(dialog->refreshTimerId(), 0);
    set(1649, 20);
    EXPECT_EQ(owner->intervalMs, 20);
    EXPECT_EQ(dialog->refreshTimerId(), 999);
    EXPECT_EQ(dialog->refreshTimerIntervalMs(), 20);
    // The timer reads the device by itself.
    driver.analogInput = 4096;
    ASSERT_TRUE(QTest::qWaitFor([&] { return text(1615) == "4096 Counts, 2.500 V"; }, 5000));
    set(1649, 0);
    EXPECT_EQ(owner->intervalMs, 0);
    EXPECT_EQ(dialog->refreshTimerId(), 0);
    set(1649, 35);
    dialog->DestroyWindow();
    settle();
    EXPECT_TRUE(dialog.isNull());

    // The next dialog starts with the last interval the view kept.
    open(owner->featuresRefreshIntervalMs());
    EXPECT_EQ(dialog->refreshTimerIntervalMs(), 35);
    EXPECT_EQ(control<QSpinBox>(1649)->value(), 35);
}

TEST_F(TrevanFeaturesDialogTest, StoredIntervalOutsideItsRangeIsHeldWithinIt)
{
    open(-5);
    EXPECT_EQ(dialog->refreshTimerId(), 0);
    EXPECT_EQ(control<QSpinBox>(1649)->value(), 0);
    dialog->DestroyWindow();
    open(2000000000);
    EXPECT_EQ(dialog->refreshTimerIntervalMs(), 100000000);
}

TEST_F(TrevanFeaturesDialogTest, SeveralDialogsEachWithItsTimer)
{
    open(15);
    QPointer<CTrevanFeaturesDialog> first = dialog;
    open(40);
    EXPECT_EQ(first->refreshTimerIntervalMs(), 15);
    EXPECT_EQ(dialog->refreshTimerIntervalMs(), 40);
    first->close();
    settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(dialog->refreshTimerIntervalMs(), 40);
}

TEST_F(TrevanFeaturesDialogTest, CancelAndEscapeDestroyTheDialog)
{
    open(10);
    dialog->reject();
    EXPECT_EQ(dialog->refreshTimerId(), 0);
    settle();
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(TrevanFeaturesDialogTest, ClosingTheViewClosesTheDialogAndStopsItsTimer)
{
    open(10);
    driver.analogInput = 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return text(1615).startsWith("1 Counts"); }, 5000));
    parent.reset();
    EXPECT_TRUE(dialog.isNull());
    // The timer went with the dialog: nothing more reaches the driver.
    log.clear();
    QApplication::processEvents();
    EXPECT_TRUE(log.empty());
}
