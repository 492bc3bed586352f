// "Spectrometer Configuration" offscreen against recording fakes of the view, its
// configuration and the driver: the shared channel selector, the displayed range and
// reference rules, the A/D Interface page's lists and refresh, the pixel-resolution range,
// "Write to BrontelUSB" and the sheet's hardware-changed flag.
#include "app/dialogs/DataExchangeRules.h"
#include "app/dialogs/SpectrometerPropertySheet.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/SpectrometerDialogFakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

#include <gtest/gtest.h>

#include <memory>

using namespace app::dialogs;
using app::dialogs::test::FakeDialogDriver;
using app::dialogs::test::FakeSheetView;
using platform::framework::findControl;

namespace {

enum Page
{
    kWavelength,
    kInterface,
    kDisplayedRange,
    kReference,
    kStrayLight,
    kNonLinearity
};

class SpectrometerSheetTest : public ::testing::Test
{
protected:
    CSpectrometerPropertySheet& open(int page = kWavelength)
    {
        sheet = CSpectrometerPropertySheet::InitFromConfiguration(*view, driver, nullptr);
        sheet->SetActivePage(page);
        sheet->show();
        QApplication::processEvents();
        return *sheet;
    }
    void showPage(int page)
    {
        sheet->SetActivePage(page);
        QApplication::processEvents();
    }
    template <class T> T* on(int page, unsigned id)
    {
        T* control = findControl<T>(sheet->GetPage(page), id);
        EXPECT_NE(control, nullptr) << "control " << id << " on page " << page;
        return control;
    }
    void type(int page, unsigned id, const char* text) { on<QLineEdit>(page, id)->setText(text); }
    QString shown(int page, unsigned id) { return on<QLineEdit>(page, id)->text(); }
    void choose(int page, unsigned id, int index)
    {
        QComboBox* box = on<QComboBox>(page, id);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    std::vector<std::string> log;
    std::unique_ptr<FakeSheetView> view = std::make_unique<FakeSheetView>(log);
    FakeDialogDriver driver{log};
    std::unique_ptr<CSpectrometerPropertySheet> sheet;
};

} // namespace

TEST_F(SpectrometerSheetTest, CaptionAndPages)
{
    open();
    EXPECT_EQ(sheet->windowTitle(), "Spectrometer Configuration");
    const char* captions[] = {"Wavelength Calibration", "A/D Interface",
                              "Displayed Range",        "Reference Monitoring",
                              "Stray Light Correction", "Detector Linearity"};
    const unsigned templates[] = {122, 139, 125, 126, 123, 124};
    ASSERT_EQ(sheet->GetPageCount(), 6);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(sheet->GetPage(k)->caption(), captions[k]);
        EXPECT_EQ(sheet->GetPage(k)->templateId(), templates[k]);
    }
}

TEST_F(SpectrometerSheetTest, ChannelRadiosKeepTypedValuesOnEveryChannelPage)
{
    view->configuration.coefficients[3] = {555.0f, 0.25f, 1e-5f, 2e-9f};
    view->configuration.slConstant[3] = 0.125f;
    open();
    // Wavelength: channel 0 shown first, Master checked.
    EXPECT_TRUE(on<QRadioButton>(kWavelength, 1338)->isChecked());
    EXPECT_EQ(shown(kWavelength, 1390), "400.00000");
    type(kWavelength, 1390, "401.5");
    on<QRadioButton>(kWavelength, 1349)->click(); // Slave 3
    EXPECT_EQ(shown(kWavelength, 1390), "555.00000");
    EXPECT_EQ(shown(kWavelength, 1377), "0.25000");
    EXPECT_EQ(shown(kWavelength, 1381), "1.00000e-05");
    EXPECT_EQ(shown(kWavelength, 1386), "2.00000e-09");
    type(kWavelength, 1377, "0.3");
    on<QRadioButton>(kWavelength, 1338)->click();
    EXPECT_EQ(shown(kWavelength, 1390), "401.50000");

    showPage(kStrayLight);
    on<QRadioButton>(kStrayLight, 1349)->click();
    EXPECT_EQ(shown(kStrayLight, 1085), "0.125000");
    type(kStrayLight, 1085, "0.5");
    on<QCheckBox>(kStrayLight, 1382)->click();
    on<QRadioButton>(kStrayLight, 1338)->click();
    EXPECT_FALSE(on<QCheckBox>(kStrayLight, 1382)->isChecked());

    showPage(kNonLinearity);
    on<QRadioButton>(kNonLinearity, 1365)->click(); // Slave 7
    type(kNonLinearity, 1410, "7.5e-3");
    EXPECT_EQ(shown(kNonLinearity, 1084), "0.0000000e+00");
    on<QRadioButton>(kNonLinearity, 1338)->click();

    sheet->pressOk();
    const auto& c = view->configuration;
    EXPECT_EQ(c.coefficients[0][0], 401.5f);
    EXPECT_EQ(c.coefficients[3][1], 0.3f);
    EXPECT_EQ(c.slConstant[3], 0.5f);
    EXPECT_EQ(c.slEnabled[3], 1);
    EXPECT_EQ(c.nlCoefficients[7][7], 7.5e-3f);
}

TEST_F(SpectrometerSheetTest, GreyedRangeBoxesAreStillApplied)
{
    view->configuration.displayLimitedRange = 1;
    open(kDisplayedRange);
    EXPECT_EQ(on<QLabel>(kDisplayedRange, 1140)->text(), "400.00");
    EXPECT_EQ(on<QLabel>(kDisplayedRange, 1432)->text(), "1493.50");
    type(kDisplayedRange, 1415, "500");
    type(kDisplayedRange, 1092, "800");
    on<QCheckBox>(kDisplayedRange, 1147)->click();
    for (unsigned id : {1414u, 1415u, 1416u, 1086u, 1090u, 1091u, 1098u})
        EXPECT_FALSE(on<QLineEdit>(kDisplayedRange, id)->isEnabled()) << id;
    sheet->pressOk();
    EXPECT_EQ(view->configuration.displayLimitedRange, 0u);
    EXPECT_EQ(view->configuration.displayStart[1], 500.0f);
    EXPECT_EQ(view->configuration.displayEnd[1], 800.0f);
    on<QCheckBox>(kDisplayedRange, 1147)->click();
    EXPECT_TRUE(on<QLineEdit>(kDisplayedRange, 1415)->isEnabled());
}

TEST_F(SpectrometerSheetTest, ReferenceRowRule)
{
    view->configuration.referenceType[2] = 1;
    open(kReference);
    struct Row
    {
        unsigned type, wavelength, start, end;
    };
    const Row rows[] = {{1430, 1429, 1112, 1127}, {1121, 1114, 1130, 1131}};
    EXPECT_TRUE(on<QLineEdit>(kReference, 1114)->isEnabled());
    const struct
    {
        int type;
        bool wavelength, band;
    } cases[] = {{3, false, true}, {1, true, false}, {0, false, false}, {2, false, false}};
    for (const Row& row : rows)
        for (const auto& c : cases) {
            SCOPED_TRACE(c.type);
            choose(kReference, row.type, c.type);
            EXPECT_EQ(on<QLineEdit>(kReference, row.wavelength)->isEnabled(), c.wavelength);
            EXPECT_EQ(on<QLineEdit>(kReference, row.start)->isEnabled(), c.band);
            EXPECT_EQ(on<QLineEdit>(kReference, row.end)->isEnabled(), c.band);
        }
    choose(kReference, 1120, 3);
    choose(kReference, 1422, 4);
    type(kReference, 1128, "450.25");
    sheet->pressOk();
    EXPECT_EQ(view->configuration.referenceType[1], 3);
    EXPECT_EQ(view->configuration.referenceChannel[1], 4u);
    EXPECT_EQ(view->configuration.bandStart[1], 450.25f);
}

TEST_F(SpectrometerSheetTest, InterfaceListsAndLemmikOffset)
{
    view->configuration.adcType = VYK_ADC_BRONTEL;
    view->configuration.baseAddress = 768;
    open(kInterface);
    auto* base = on<QComboBox>(kInterface, 1436);
    ASSERT_EQ(base->count(), 512);
    EXPECT_EQ(base->itemText(48), "768 (0x0300)");
    EXPECT_EQ(base->currentIndex(), 48);
    EXPECT_EQ(on<QComboBox>(kInterface, 1434)->currentText(), "Brontel-ISA/Fornic-ISA");
    EXPECT_TRUE(base->isVisible());
    EXPECT_FALSE(on<QComboBox>(kInterface, 1535)->isVisible());
    EXPECT_FALSE(on<QLineEdit>(kInterface, 1507)->isVisible());

    choose(kInterface, 1431, 3); // Lemmik
    EXPECT_TRUE(on<QLineEdit>(kInterface, 1507)->isVisible());
    choose(kInterface, 1431, 2);
    EXPECT_FALSE(on<QLineEdit>(kInterface, 1507)->isVisible());

    choose(kInterface, 1434, 3); // Cadrel-PCI
    EXPECT_TRUE(on<QComboBox>(kInterface, 1439)->isVisible());
    EXPECT_FALSE(base->isVisible());
    choose(kInterface, 1434, 9); // serial
    for (unsigned id : {1437u, 1438u})
        EXPECT_TRUE(on<QComboBox>(kInterface, id)->isVisible());
    EXPECT_TRUE(on<QLineEdit>(kInterface, 1433)->isVisible());
    EXPECT_TRUE(on<QCheckBox>(kInterface, 1522)->isVisible());
    choose(kInterface, 1434, 15); // None
    for (unsigned id : {1435u, 1436u, 1437u, 1439u, 1535u})
        EXPECT_FALSE(on<QComboBox>(kInterface, id)->isVisible()) << id;
}

TEST_F(SpectrometerSheetTest, UnknownAdcTypeShowsNoneAndIsStored255)
{
    view->configuration.adcType = 5;
    open(kInterface);
    EXPECT_EQ(on<QComboBox>(kInterface, 1434)->currentText(), "None");
    sheet->pressOk();
    EXPECT_EQ(view->configuration.adcType, 255);
}

TEST_F(SpectrometerSheetTest, UsbListFilledByIdentifyWithTheCurrentSerialSelected)
{
    driver.devices = {{0, {1, "PV9"}}, {1, {0, "X"}}, {4, {1, "PV3"}}, {7, {-1, "Y"}}};
    driver.currentSerial = "PV9";
    open(kInterface);
    auto* list = on<QComboBox>(kInterface, 1535);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "PV3");
    EXPECT_EQ(list->itemText(1), "PV9");
    EXPECT_EQ(list->currentText(), "PV9");
    EXPECT_EQ(driver.identifyCalls.size(), 32u);

    // Another Pavik: the driver goes to it and only the Master stays on.
    view->configuration.enabled[2] = 1;
    choose(kInterface, 1535, 0);
    sheet->pressOk();
    EXPECT_EQ(driver.currentSerial, "PV3");
    EXPECT_EQ(view->configuration.usbSerial, "PV3");
    EXPECT_EQ(view->configuration.serialNumber, "PV3");
    EXPECT_EQ(view->enables[0], 1);
    EXPECT_EQ(view->configuration.enabled[2], 0);
    EXPECT_EQ(sheet->hardwareChanged(), 1);
}

TEST_F(SpectrometerSheetTest, PixelResolutionRange)
{
    view->configuration.adcType = VYK_ADC_SERIAL;
    const struct
    {
        const char* text;
        bool accepted;
        std::string message;
    } cases[] = {{"1", true, ""},
                 {"500", true, ""},
                 {"0", false, rangeMessage({1, 500})},
                 {"501", false, rangeMessage({1, 500})},
                 {"abc", false, integerMessage()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        log.clear();
        ui.clear();
        view = std::make_unique<FakeSheetView>(log);
        view->configuration.adcType = VYK_ADC_SERIAL;
        open(kDisplayedRange);
        showPage(kInterface);
        showPage(kWavelength);
        type(kInterface, 1433, c.text);
        sheet->pressApply();
        EXPECT_EQ(std::count(log.begin(), log.end(), "ApplyToDriver"), c.accepted ? 1 : 0);
        if (c.accepted) {
            EXPECT_TRUE(ui.messageBoxes().empty());
            EXPECT_EQ(view->configuration.pixelResolution, std::stoi(c.text));
        } else {
            ASSERT_EQ(ui.messageBoxes().size(), 1u);
            EXPECT_EQ(ui.messageBoxes()[0].text, c.message);
            EXPECT_EQ(sheet->GetActiveIndex(), kInterface);
        }
    }
}

TEST_F(SpectrometerSheetTest, HardwareChoicesSetTheFlagOthersDoNot)
{
    view->configuration.adcType = VYK_ADC_SERIAL;
    const struct
    {
        const char* name;
        unsigned control;
        int index;
        int expected;
    } cases[] = {{"baud rate", 1438, 2, 0},
                 {"serial port", 1437, 3, 1},
                 {"spectrometer type", 1431, 1, 1},
                 {"A/D type", 1434, 9, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open(kInterface);
        choose(kInterface, c.control, c.index);
        type(kInterface, 1507, "2.5");
        on<QCheckBox>(kInterface, 1522)->click();
        sheet->pressOk();
        EXPECT_EQ(sheet->hardwareChanged(), c.expected);
    }
    // The serial number box of the Wavelength page.
    open(kWavelength);
    type(kWavelength, 1149, "NEW1");
    sheet->pressOk();
    EXPECT_EQ(sheet->hardwareChanged(), 1);
}

TEST_F(SpectrometerSheetTest, CancelWritesNothingAndPagesNeverShownApplyTheirValues)
{
    open();
    type(kWavelength, 1390, "410");
    sheet->pressCancel();
    EXPECT_TRUE(log.empty());

    view->configuration.referenceType[6] = 2;
    view->configuration.nlEnabled[5] = 1;
    open();
    sheet->pressOk();
    EXPECT_EQ(view->configuration.referenceType[6], 2);
    EXPECT_EQ(view->configuration.nlEnabled[5], 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "ApplyToDriver"), 1);
}

TEST_F(SpectrometerSheetTest, WriteToBrontelUsbShownForThatConverterOnly)
{
    open();
    EXPECT_FALSE(on<QPushButton>(kWavelength, 1537)->isVisible());
    view->configuration.adcType = VYK_ADC_BRONTELUSB;
    view->configuration.enabled = {1, 1, 0, 1, 0, 0, 0, 0};
    open();
    auto* button = on<QPushButton>(kWavelength, 1537);
    ASSERT_TRUE(button->isVisible());
    type(kWavelength, 1390, "333.5");
    button->click();
    EXPECT_EQ(driver.brontelWritten.count, 0b1011);
    EXPECT_EQ(driver.brontelWritten.wavelength[0][0], 333.5f);
    EXPECT_EQ(ui.waitCursorShows(), 1);
    EXPECT_EQ(ui.waitCursorDepth(), 0);
}

TEST_F(SpectrometerSheetTest, RelativeIrradianceRunsItsCommandAgain)
{
    view->mode = 3;
    open();
    sheet->pressApply();
    EXPECT_EQ(log.back(), "view.modeCommand(3)");
}

// Every number box shows the value it took in its own format once the user leaves it.
TEST_F(SpectrometerSheetTest, NumberBoxesShowTheValueTakenInTheirFormatWhenLeft)
{
    const struct
    {
        int page;
        unsigned id;
        const char* typed;
        const char* shown;
    } cases[] = {
        {kWavelength, 1390, "400", "400.00000"},
        {kWavelength, 1377, "0.25", "0.25000"},
        {kWavelength, 1381, "0.00001", "1.00000e-05"},
        {kWavelength, 1386, "abc", "0.00000e+00"},
        {kInterface, 1507, "12", "12.00"},
        {kDisplayedRange, 1414, "450.126", "450.13"},
        {kDisplayedRange, 1091, "800", "800.00"},
        {kReference, 1429, "500", "500.00"},
        {kReference, 1112, "510.5", "510.50"},
        {kStrayLight, 1085, "0.5", "0.500000"},
        {kNonLinearity, 1084, "1", "1.0000000e+00"},
        {kNonLinearity, 1410, "-7.5e-3", "-7.5000000e-03"},
    };
    open();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " \"" + c.typed + "\"");
        showPage(c.page);
        QLineEdit* edit = on<QLineEdit>(c.page, c.id);
        edit->setText(c.typed);
        emit edit->editingFinished();
        EXPECT_EQ(edit->text().toStdString(), c.shown);
    }
    sheet->pressApply();
    EXPECT_EQ(shown(kWavelength, 1390), "400.00000");
    EXPECT_EQ(view->configuration.coefficients[0][0], 400.0f);
}

// The six tabs are all in sight with their whole captions: the row neither scrolls nor cuts.
TEST_F(SpectrometerSheetTest, EveryTabIsInSightWithItsWholeCaption)
{
    open();
    auto* tabs = sheet->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 6);
    for (int k = 0; k < tabs->count(); ++k) {
        SCOPED_TRACE(tabs->tabText(k).toStdString());
        EXPECT_LE(tabs->tabRect(k).right(), tabs->width());
        EXPECT_GE(tabs->tabRect(k).width(),
                  tabs->fontMetrics().horizontalAdvance(tabs->tabText(k)));
    }
    EXPECT_LE(sheet->width(), 1024);
}
