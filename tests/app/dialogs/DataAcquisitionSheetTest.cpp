// "Configure Data Acquisition" offscreen against recording fakes of the view, its main frame
// and its configuration: rotation, trigger modes and the long-integration suspension, the
// apply order, Apply and Cancel, labels and visibility by type, the microsecond switch and the
// range of every typed value.
#include "app/dialogs/DataAcquisitionPropertySheet.h"
#include "app/dialogs/DataExchangeRules.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/DialogFakes.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace app::dialogs;
using app::dialogs::test::FakeDialogView;
using platform::framework::findControl;
using platform::framework::PropertySheet;

namespace {

constexpr const char* kTextA =
    "You enabled Brontel channel rotation from the Master channel to the Slave 2.\nOther "
    "spectrometer channels are enabled.  Please select Spectrometer | Configure\nfrom the menu "
    "and disable the necessary spectrometer channels before enabling\nthe Brontel channel "
    "rotation feature.";
constexpr const char* kTextB =
    "You enabled Brontel channel rotation from the Master channel to the Slave 2.\nNot all of "
    "these channels are enabled.  Please select Spectrometer | Configure\nfrom the menu and "
    "enable the necessary spectrometer channels before enabling\nthe Brontel channel rotation "
    "feature.";

class DataAcquisitionSheetTest : public ::testing::Test
{
protected:
    // Builds the sheet over the fake view and shows it on a page.
    CDataAcquisitionPropertySheet& open(int page = 0)
    {
        sheet = std::make_unique<CDataAcquisitionPropertySheet>(view, nullptr);
        sheet->SetActivePage(page);
        sheet->show();
        return *sheet;
    }
    template <class T> T* control(unsigned id)
    {
        for (int k = 0; k < sheet->GetPageCount(); ++k)
            if (T* found = findControl<T>(sheet->GetPage(k), id))
                return found;
        return nullptr;
    }
    void showPage(int page)
    {
        sheet->SetActivePage(page);
        QApplication::processEvents();
    }
    void type(unsigned id, const char* text) { control<QLineEdit>(id)->setText(text); }
    void choose(unsigned id, int index) { control<QComboBox>(id)->setCurrentIndex(index); }

    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    FakeDialogView view;
    std::unique_ptr<CDataAcquisitionPropertySheet> sheet;
};

TEST_F(DataAcquisitionSheetTest, CaptionPagesAndControls)
{
    open();
    EXPECT_EQ(sheet->windowTitle(), "Configure Data Acquisition");
    ASSERT_EQ(sheet->GetPageCount(), 3);
    EXPECT_EQ(sheet->GetPage(0)->caption(), "Basic");
    EXPECT_EQ(sheet->GetPage(1)->caption(), "External Trigger");
    EXPECT_EQ(sheet->GetPage(2)->caption(), "Strobe");
    EXPECT_EQ(sheet->GetPage(0)->templateId(), 149u);
    EXPECT_EQ(control<QLineEdit>(1168)->text(), "100");
    EXPECT_EQ(control<QLineEdit>(1169)->text(), "3");
    EXPECT_EQ(control<QLineEdit>(1170)->text(), "2");
    EXPECT_EQ(control<QLabel>(1521)->text(), "Integration Time (msec)");
    // Filling the controls is not a change.
    EXPECT_FALSE(
        findControl<QAbstractButton>(sheet.get(), PropertySheet::ID_APPLY_NOW)->isEnabled());
}

TEST_F(DataAcquisitionSheetTest, ChannelRotationAgainstTheEnabledChannels)
{
    const struct
    {
        const char* name;
        std::array<uint16_t, 8> enabled;
        int index;
        bool plus;
        uint16_t stored;
        const char* warning;
        bool applied;
    } cases[] = {
        {"slave 2, channels 0 to 2", {1, 1, 1, 0, 0, 0, 0, 0}, 2, false, 2, nullptr, false},
        {"slave 2 in plus mode", {1, 1, 1, 0, 0, 0, 0, 0}, 2, true, 258, nullptr, false},
        {"channel 2 disabled", {1, 1, 0, 0, 0, 0, 0, 0}, 2, false, 0, kTextB, false},
        {"channel 5 enabled too", {1, 1, 0, 0, 0, 1, 0, 0}, 2, false, 0, kTextA, false},
        {"disabled", {1, 1, 1, 0, 0, 0, 0, 0}, 0, false, 0, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        view.log.clear();
        view.config.adcType = VYK_ADC_CADRELPCI;
        view.config.rotation = 7;
        view.config.enabled = c.enabled;
        open();
        choose(1532, c.index);
        if (control<QCheckBox>(1582)->isChecked() != c.plus)
            control<QCheckBox>(1582)->click();
        sheet->pressOk();
        EXPECT_EQ(sheet->result(), QDialog::Accepted);
        EXPECT_EQ(view.config.rotation, c.stored);
        if (c.warning) {
            ASSERT_EQ(ui.messageBoxes().size(), 1u);
            EXPECT_EQ(ui.messageBoxes()[0].text, c.warning);
            EXPECT_EQ(ui.messageBoxes()[0].caption, "Rotation Warning");
            EXPECT_EQ(ui.messageBoxes()[0].flags & platform::qt::kMbTypeMask, platform::qt::kMbOk);
        } else {
            EXPECT_TRUE(ui.messageBoxes().empty());
        }
        // "Disabled" pushes the configuration to the driver itself (auto-apply may be off).
        EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "ApplyToDriver"), c.applied ? 1 : 0);
    }
}

TEST_F(DataAcquisitionSheetTest, AStoredPlusModeRotationOpensSelected)
{
    view.config.adcType = VYK_ADC_CADRELPCI;
    view.config.rotation = 259;
    open();
    EXPECT_EQ(control<QComboBox>(1532)->currentText(), "Master - Slave 3");
    EXPECT_EQ(control<QComboBox>(1532)->count(), 8);
    EXPECT_TRUE(control<QCheckBox>(1582)->isChecked());
}

TEST_F(DataAcquisitionSheetTest, TriggerModesSuspendAndResumeAcquisition)
{
    const struct
    {
        const char* name;
        int opened;
        int applied; // -1: no Apply
        int ok;
        std::vector<int32_t> suspensions;
        int snapshot;
    } cases[] = {
        {"entering with OK suspends", 0, -1, 4, {2}, 1},
        {"leaving with OK resumes", 4, -1, 0, {0}, 0},
        {"no long mode, nothing", 0, -1, 3, {}, 0},
        {"Apply in mode 4, then None and OK resumes", 0, 4, 0, {2, 0}, 0},
        {"Apply with None, then OK resumes once", 4, 0, 0, {0}, 0},
        {"Apply and OK in mode 4", 0, 4, 4, {2, 2}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.config.adcType = VYK_ADC_ULMARADC;
        view.rec.triggerMode = c.opened;
        view.snapshot = c.opened == 4 ? 1 : 0;
        view.main.suspensions.clear();
        open(1);
        EXPECT_EQ(control<QComboBox>(1171)->count(), 5);
        EXPECT_EQ(control<QComboBox>(1171)->currentIndex(), c.opened);
        if (c.applied >= 0) {
            choose(1171, c.applied);
            sheet->pressApply();
        }
        choose(1171, c.ok);
        sheet->pressOk();
        EXPECT_EQ(view.main.suspensions, c.suspensions);
        EXPECT_EQ(view.snapshot, c.snapshot);
        EXPECT_EQ(view.rec.triggerMode, c.ok);
    }
}

TEST_F(DataAcquisitionSheetTest, TriggerListHasFourModesExceptForUlmarAdc)
{
    view.config.adcType = VYK_ADC_PAVIK;
    open(1);
    ASSERT_EQ(control<QComboBox>(1171)->count(), 4);
    EXPECT_EQ(control<QComboBox>(1171)->itemText(3), "Hardware Trigger");
    view.config.adcType = VYK_ADC_ULMARADC;
    open(1);
    EXPECT_EQ(control<QComboBox>(1171)->itemText(4), "Long Int. Time Mode");
}

TEST_F(DataAcquisitionSheetTest, ApplyOrderAndPagesNeverShown)
{
    view.config.enabled = {1, 0, 0, 0, 0, 0, 0, 0};
    view.strobe = 1;
    view.modulation = 1;
    view.autosave = 1;
    open(0);
    type(1169, "12");
    control<QCheckBox>(1544)->click();
    sheet->pressOk();
    const std::vector<std::string> expected = {
        "setAutosaveOnExternalTrigger(1)",
        "setStrobeEnable(1)",
        "setMavrinModulation(1)",
        "setSingleThread(1)",
        "UpdateAcquisitionBar",
        "SetChannelRotation(0)",
        "ApplyToDriver",
    };
    EXPECT_EQ(view.log, expected);
    EXPECT_EQ(view.rec.scansToAverage, 12);
    // The strobe page was never shown: its loaded values went back.
    EXPECT_EQ(view.rec.flashDelay, 20);
    EXPECT_EQ(view.recordAtBar.scansToAverage, 12);
    EXPECT_FALSE(sheet->GetPage(2)->initialised());
}

TEST_F(DataAcquisitionSheetTest, CancelAfterApplyKeepsWhatApplyWrote)
{
    open(0);
    auto* apply = findControl<QAbstractButton>(sheet.get(), PropertySheet::ID_APPLY_NOW);
    type(1169, "12");
    EXPECT_TRUE(apply->isEnabled());
    sheet->pressApply();
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_EQ(view.rec.scansToAverage, 12);
    type(1169, "30");
    sheet->pressCancel();
    EXPECT_EQ(view.rec.scansToAverage, 12);
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
}

TEST_F(DataAcquisitionSheetTest, LabelsEnablesAndVisibilityByType)
{
    const struct
    {
        const char* name;
        uint16_t spectrometer;
        uint16_t adc;
        const char* label;
        bool microseconds;
        bool rotation;
        bool plus;
        bool modulation;
    } cases[] = {
        {"Gavrel", VYK_SPEC_GAVREL, VYK_ADC_DAQ700, "A/D Conversion Frequency (kHz)", false, false,
         false, false},
        {"Istrel on Brontel", VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, "Integration Time (msec)", false,
         true, false, false},
        {"Istrel on CadrelPCI", VYK_SPEC_ISTREL, VYK_ADC_CADRELPCI, "Integration Time (msec)",
         false, true, true, false},
        {"Istrel on SolviPlus", VYK_SPEC_ISTREL, VYK_ADC_SOLVIPLUS, "Integration Time (msec)", true,
         false, false, false},
        {"Jolvar on Pavik", VYK_SPEC_JOLVAR, VYK_ADC_PAVIK, "Integration Time (msec)", true, false,
         false, true},
        {"Ulmar", VYK_SPEC_ULMAR, VYK_ADC_ULMARADC, "Integration Time (msec)", true, false, false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.config.spectrometerType = c.spectrometer;
        view.config.adcType = c.adc;
        open(0);
        showPage(2);
        EXPECT_EQ(control<QLabel>(1521)->text(), c.label);
        EXPECT_EQ(control<QCheckBox>(1596)->isEnabled(), c.microseconds);
        EXPECT_EQ(!control<QComboBox>(1532)->isHidden(), c.rotation);
        EXPECT_EQ(!control<QLabel>(1533)->isHidden(), c.rotation);
        EXPECT_EQ(!control<QCheckBox>(1582)->isHidden(), c.plus);
        EXPECT_EQ(!control<QCheckBox>(1539)->isHidden(), c.modulation);
    }
}

TEST_F(DataAcquisitionSheetTest, MicrosecondSwitchKeepsBothValues)
{
    view.config.spectrometerType = VYK_SPEC_JOLVAR;
    open(0);
    auto* box = control<QLineEdit>(1168);
    auto* label = control<QLabel>(1521);
    control<QCheckBox>(1596)->click();
    EXPECT_EQ(box->text(), "5000");
    EXPECT_EQ(label->text(), "Integration Time (usec)");
    type(1168, "7000");
    control<QCheckBox>(1596)->click();
    EXPECT_EQ(box->text(), "100");
    EXPECT_EQ(label->text(), "Integration Time (msec)");
    type(1168, "250");
    control<QCheckBox>(1596)->click();
    EXPECT_EQ(box->text(), "7000");
    sheet->pressOk();
    EXPECT_EQ(view.rec.microsecondFlag, 1);
    EXPECT_EQ(view.rec.microsecondIntegrationTime, 7000);
    EXPECT_EQ(view.rec.integration, 250);
}

TEST_F(DataAcquisitionSheetTest, TypedValuesAreStoredOrRefusedByTheirFieldsRange)
{
    enum Field
    {
        Ms,
        Us,
        Averages,
        Boxcar,
        Flash
    };
    const struct
    {
        Field field;
        const char* text;
        long long stored; // -1: refused
    } cases[] = {
        {Ms, "65535", 65535},
        {Ms, "65536", -1},
        {Ms, "-1", -1},
        {Ms, "70000", -1},
        {Ms, "abc", 0},
        {Ms, "", 0},
        {Ms, "99999999999999999999", -1},
        {Us, "2147483647", 2147483647},
        {Us, "2147483648", -1},
        {Us, "-1", -1},
        {Us, "70000", 70000},
        {Us, "abc", 0},
        {Averages, "32767", 32767},
        {Averages, "32768", -1},
        {Averages, "-1", -1},
        {Averages, "70000", -1},
        {Averages, "abc", 0},
        {Averages, "+12", 12},
        {Boxcar, "32767", 32767},
        {Boxcar, "32768", -1},
        {Boxcar, "-1", -1},
        {Boxcar, "abc", 0},
        {Flash, "32767", 32767},
        {Flash, "40000", -1},
        {Flash, "-1", -1},
        {Flash, "abc", 0},
        {Flash, "-99999999999999999999", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.field) + " " + c.text);
        ui.clear();
        view.log.clear();
        view.rec = {};
        view.rec.integration = 100;
        view.rec.microsecondIntegrationTime = 5000;
        view.rec.scansToAverage = 3;
        view.rec.boxcarHalfWidth = 2;
        view.rec.flashDelay = 20;
        view.config.spectrometerType = VYK_SPEC_JOLVAR;
        const RegistrationRecord before = view.rec;
        open(c.field == Flash ? 2 : 0);
        unsigned id = 1168;
        ValueRange range = kRecordShortRange;
        switch (c.field) {
        case Ms:
            range = kIntegrationMsRange;
            break;
        case Us:
            control<QCheckBox>(1596)->click();
            range = kIntegrationUsRange;
            break;
        case Averages:
            id = 1169;
            break;
        case Boxcar:
            id = 1170;
            break;
        case Flash:
            id = 1465;
            break;
        }
        type(id, c.text);
        if (c.field != Flash)
            showPage(2); // the refusal brings its page back
        sheet->pressOk();
        if (c.stored < 0) {
            EXPECT_TRUE(sheet->isVisible());
            ASSERT_EQ(ui.messageBoxes().size(), 1u);
            EXPECT_EQ(ui.messageBoxes()[0].text, rangeMessage(range));
            EXPECT_EQ(sheet->GetActiveIndex(), c.field == Flash ? 2 : 0);
            EXPECT_TRUE(view.log.empty());
            EXPECT_EQ(std::memcmp(&view.rec, &before, sizeof before), 0);
            continue;
        }
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_TRUE(ui.messageBoxes().empty());
        switch (c.field) {
        case Ms:
            EXPECT_EQ(view.rec.integration, c.stored);
            break;
        case Us:
            EXPECT_EQ(view.rec.microsecondIntegrationTime, c.stored);
            break;
        case Averages:
            EXPECT_EQ(view.rec.scansToAverage, c.stored);
            break;
        case Boxcar:
            EXPECT_EQ(view.rec.boxcarHalfWidth, c.stored);
            break;
        case Flash:
            EXPECT_EQ(view.rec.flashDelay, c.stored);
            break;
        }
    }
}

TEST_F(DataAcquisitionSheetTest, ARefusedApplyKeepsApplyEnabledAndTheFixedValueGoesThrough)
{
    open(0);
    type(1169, "70000");
    sheet->pressApply();
    EXPECT_EQ(view.rec.scansToAverage, 3);
    auto* apply = findControl<QAbstractButton>(sheet.get(), PropertySheet::ID_APPLY_NOW);
    EXPECT_TRUE(apply->isEnabled());
    type(1169, "700");
    sheet->pressApply();
    EXPECT_EQ(view.rec.scansToAverage, 700);
}

} // namespace
