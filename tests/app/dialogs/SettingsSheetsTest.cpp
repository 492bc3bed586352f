// The display and properties sheets offscreen, against a recording chart, fake views and
// scripted UI services.
#include "app/dialogs/DisplayPropertySheet.h"
#include "app/dialogs/PropertiesPropertySheet.h"
#include "platform/chart/ColorPanel.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/ChartDialogFakes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>

using namespace app::dialogs;
using namespace app::dialogs::test;
using platform::framework::findControl;
using platform::framework::PropertySheet;

namespace {

class SheetTest : public ::testing::Test
{
protected:
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingChart chart;
    ScopedDialogChart scopedChart{chart};
};

bool applyEnabled(PropertySheet& sheet)
{
    return findControl<QPushButton>(&sheet, PropertySheet::ID_APPLY_NOW)->isEnabled();
}

// The sixteen data styles between the repaint switch: 273 = 0, sets 0 to 15, 273 = 1.
void expectSixteenStyles(const RecordingChart& chart, std::size_t from = 0)
{
    ASSERT_GE(chart.calls.size(), from + 18);
    EXPECT_EQ(chart.calls[from].id, platform::chart::kXrtRepaint);
    EXPECT_EQ(chart.calls[from].value.toInt(), 0);
    for (int i = 0; i < 16; ++i) {
        const ChartCall& c = chart.calls[from + 1 + static_cast<std::size_t>(i)];
        EXPECT_EQ(c.kind, ChartCall::Style);
        EXPECT_EQ(c.id, i);
    }
    EXPECT_EQ(chart.calls[from + 17].id, platform::chart::kXrtRepaint);
    EXPECT_EQ(chart.calls[from + 17].value.toInt(), 1);
}

// Display sheet ---------------------------------------------------------------------------

TEST_F(SheetTest, OneComboChangedThenOkRewritesAllSixteenStyles)
{
    FakeDisplayView view;
    const auto loaded = view.styles;
    CDisplayPropertySheet sheet(view, nullptr);
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), "Display Properties");
    auto* page = sheet.GetPage(0);
    auto* style = findControl<QComboBox>(page, 1307);
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->currentIndex(), loaded[0].linePattern);
    EXPECT_EQ(findControl<platform::chart::CColorPanel>(page, 1327)->GetBackColor(),
              loaded[1].lineColor);
    style->setCurrentIndex(6);
    EXPECT_TRUE(applyEnabled(sheet));
    sheet.pressOk();

    expectSixteenStyles(chart);
    EXPECT_EQ(chart.calls.size(), 18u);
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        XrtDataStyle expected = loaded[static_cast<std::size_t>(i)];
        if (i == 0)
            expected.linePattern = 6;
        EXPECT_EQ(chart.calls[1 + static_cast<std::size_t>(i)].style, expected);
        EXPECT_EQ(view.styles[static_cast<std::size_t>(i)], expected);
    }
}

TEST_F(SheetTest, ColourDialogOnlyAChangedColourCounts)
{
    FakeDisplayView view;
    CDisplayPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(1);
    auto* swatch = findControl<platform::chart::CColorPanel>(sheet.GetPage(1), 1348);
    const uint32_t old = view.styles[1].pointColor;
    // The same colour again, then a cancelled dialog: nothing changes, Apply stays disabled.
    ui.answerColorDialog(old);
    emit swatch->Click();
    ui.answerColorDialog(std::nullopt);
    emit swatch->Click();
    EXPECT_FALSE(sheet.GetPage(1)->isModified());
    EXPECT_FALSE(applyEnabled(sheet));
    ASSERT_EQ(ui.colorDialogs().size(), 2u);
    EXPECT_EQ(ui.colorDialogs()[0], old);

    ui.answerColorDialog(0x123456u);
    emit swatch->Click();
    EXPECT_TRUE(applyEnabled(sheet));
    EXPECT_EQ(swatch->GetBackColor(), 0x123456u);
    sheet.pressApply();
    EXPECT_EQ(view.styles[1].pointColor, 0x123456u);
    EXPECT_FALSE(applyEnabled(sheet));
}

TEST_F(SheetTest, DefaultAndNoneAreIndicesZeroAndOne)
{
    FakeDisplayView view;
    CDisplayPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(3);
    auto* page = sheet.GetPage(3);
    auto* pointStyle = findControl<QComboBox>(page, 1313);
    auto* fill = findControl<QComboBox>(page, 1054);
    EXPECT_EQ(pointStyle->itemText(0), "(Default)");
    EXPECT_EQ(pointStyle->itemText(1), "None");
    EXPECT_EQ(pointStyle->count(), 17);
    EXPECT_EQ(fill->count(), 12);
    pointStyle->setCurrentIndex(0);
    fill->setCurrentIndex(1);
    sheet.pressApply();
    EXPECT_EQ(view.styles[8].pointStyle, 0);
    EXPECT_EQ(view.styles[8].fillPattern, 1);
}

TEST_F(SheetTest, ApplyTwiceThenCancelKeepsTheValues)
{
    FakeDisplayView view;
    CDisplayPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(2);
    findControl<QComboBox>(sheet.GetPage(2), 1346)->setCurrentIndex(9); // Overlay 6 width
    sheet.pressApply();
    const auto applied = view.styles;
    sheet.pressApply();
    expectSixteenStyles(chart, 0);
    expectSixteenStyles(chart, 18);
    for (std::size_t i = 1; i < 17; ++i)
        EXPECT_EQ(chart.calls[i].style, chart.calls[18 + i].style);
    sheet.pressCancel();
    EXPECT_EQ(view.styles, applied);
    EXPECT_EQ(view.styles[13].lineWidth, 9);
}

TEST_F(SheetTest, PagesNeverShownWriteTheirLoadedValues)
{
    FakeDisplayView view;
    const auto loaded = view.styles;
    CDisplayPropertySheet sheet(view, nullptr);
    sheet.pressOk();
    expectSixteenStyles(chart);
    EXPECT_EQ(view.styles, loaded);
}

TEST_F(SheetTest, SplicedRowsAreShownDisabled)
{
    FakeDisplayView view;
    CDisplayPropertySheet sheet(view, nullptr);
    sheet.show();
    auto* spliced = findControl<QComboBox>(sheet.GetPage(0), 1043);
    ASSERT_NE(spliced, nullptr);
    EXPECT_FALSE(spliced->isEnabled());
    EXPECT_EQ(spliced->currentIndex(), -1);
    EXPECT_FALSE(findControl<platform::chart::CColorPanel>(sheet.GetPage(0), 1380)->isEnabled());
}

TEST_F(SheetTest, DisplaySheetScreenshot)
{
    FakeDisplayView view;
    CDisplayPropertySheet sheet(view, nullptr);
    sheet.resize(520, 420);
    sheet.show();
    const QImage shot = sheet.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    QDir().mkpath(HARLUNE_ARTEFACT_DIR);
    EXPECT_TRUE(shot.save(QStringLiteral(HARLUNE_ARTEFACT_DIR "/display-sheet.png")));
}

// Properties sheet ------------------------------------------------------------------------

QLineEdit* edit(PropertySheet& sheet, int page, unsigned id)
{
    return findControl<QLineEdit>(sheet.GetPage(page), id);
}

TEST_F(SheetTest, ToleranceIsReadAsAtofOnEveryKeystroke)
{
    FakePropertiesView view;
    CPropertiesPropertySheet sheet(view, nullptr);
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), "Harlune Settings");
    sheet.SetActivePage(1);
    QLineEdit* tolerance = edit(sheet, 1, 1183);
    EXPECT_EQ(tolerance->text(), "0.0500");
    const struct
    {
        const char* typed;
        double stored;
    } cases[] = {{"0", 0.0}, {"0.", 0.0}, {"0.1", 0.1}, {"", 0.0}, {"2.5nm", 2.5}, {"abc", 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        tolerance->setText(c.typed);
        EXPECT_DOUBLE_EQ(sheet.settings().OpenFileWavelengthTolerance, c.stored);
        EXPECT_TRUE(sheet.GetPage(1)->isModified());
    }
    tolerance->setText("0.1");
    sheet.pressApply();
    EXPECT_DOUBLE_EQ(view.prefs.spectrum.OpenFileWavelengthTolerance, 0.1);
}

TEST_F(SheetTest, NumbersShowInTheirFormats)
{
    FakePropertiesView view;
    CPropertiesPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(5);
    EXPECT_EQ(edit(sheet, 5, 1511)->text(), "14");
    edit(sheet, 5, 1511)->setText("12.75");
    sheet.pressOk();
    EXPECT_DOUBLE_EQ(view.threshold, 12.75);
}

TEST_F(SheetTest, PlayButtonPlaysTheRowsPathOnly)
{
    FakePropertiesView view;
    view.prefs.sounds[1] = "/sounds/reference.wav";
    view.prefs.spectrum.WarningSound = std::string("/sounds/bad\xFF.wav");
    CPropertiesPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(3);
    auto* page = sheet.GetPage(3);
    findControl<QPushButton>(page, 1202)->click(); // Save Dark: empty
    EXPECT_TRUE(view.played.empty());
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(ui.unscriptedCalls(), 0);
    findControl<QPushButton>(page, 1203)->click();
    ASSERT_EQ(view.played.size(), 1u);
    EXPECT_EQ(view.played[0], "/sounds/reference.wav");
    // A path that is not UTF-8 plays nothing and goes back byte for byte.
    findControl<QPushButton>(page, 1209)->click();
    EXPECT_EQ(view.played.size(), 1u);
    edit(sheet, 3, 1474)->setText("/sounds/dark.wav");
    sheet.pressOk();
    EXPECT_EQ(view.prefs.spectrum.WarningSound, std::string("/sounds/bad\xFF.wav"));
    EXPECT_EQ(view.prefs.sounds[0], "/sounds/dark.wav");
}

TEST_F(SheetTest, BrowseTakesTheChosenPathAndCancelKeepsTheOld)
{
    FakePropertiesView view;
    view.prefs.sounds[4] = "/old/saturated.wav";
    CPropertiesPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(3);
    auto* page = sheet.GetPage(3);
    ui.answerFileDialog(std::nullopt);
    findControl<QPushButton>(page, 1200)->click();
    EXPECT_EQ(edit(sheet, 3, 1177)->text(), "/old/saturated.wav");
    EXPECT_FALSE(page->isModified());
    ASSERT_EQ(ui.fileDialogs().size(), 1u);
    const auto& request = ui.fileDialogs()[0];
    EXPECT_EQ(request.title, "Select Scope Mode Saturated Sound");
    EXPECT_TRUE(request.open);
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_EQ(request.defaultExtension, "wav");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "Waveform Files (*.wav)");
    EXPECT_EQ(request.filters[1].pattern, "*.*");

    ui.answerFileDialog(std::vector<std::string>{"/new/saturated.wav"});
    findControl<QPushButton>(page, 1200)->click();
    EXPECT_EQ(edit(sheet, 3, 1177)->text(), "/new/saturated.wav");
    EXPECT_TRUE(page->isModified());
    sheet.pressOk();
    EXPECT_EQ(view.prefs.sounds[4], "/new/saturated.wav");
}

TEST_F(SheetTest, FileNamesAreCopiedVerbatim)
{
    FakePropertiesView view;
    CPropertiesPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(4);
    const std::string longPath = "/data/" + std::string(1000, 'p') + ".spec";
    edit(sheet, 4, 1196)->setText(QString::fromStdString(longPath));
    edit(sheet, 4, 1478)->setText("missing/run 1.TimeParameters");
    ui.answerFileDialog(std::vector<std::string>{"/chosen/lab.display"});
    findControl<QPushButton>(sheet.GetPage(4), 1176)->click();
    EXPECT_EQ(ui.fileDialogs().back().title, "Default Display SettingsFile");
    EXPECT_EQ(ui.fileDialogs().back().defaultExtension, "display");
    sheet.pressOk();
    EXPECT_EQ(view.specFile, longPath);
    EXPECT_EQ(view.timeFile, "missing/run 1.TimeParameters");
    EXPECT_EQ(view.displayFile, "/chosen/lab.display");
}

TEST_F(SheetTest, PagesNeverShownWriteBackTheirLoadedValues)
{
    FakePropertiesView view;
    MainFramePreferences& p = view.prefs;
    p.DefaultFileFormat = 2;
    p.spectrum.DefaultSavePrecision = 7;
    p.spectrum.OpenFileWavelengthTolerance = 0.25;
    p.PrintBWOnly = 0;
    p.spectrum.SoundEnabled = 1;
    p.sounds[5] = "/e.wav";
    p.ScopeModeSaturatedWarning = 0;
    p.TransmissionModeLabel = 1;
    p.RememberGraphScale = 1;
    view.threshold = 9.5;
    const MainFramePreferences before = p;
    CPropertiesPropertySheet sheet(view, nullptr);
    sheet.pressOk();
    EXPECT_EQ(p.DefaultFileFormat, before.DefaultFileFormat);
    EXPECT_EQ(p.spectrum.DefaultSavePrecision, 7);
    EXPECT_DOUBLE_EQ(p.spectrum.OpenFileWavelengthTolerance, 0.25);
    EXPECT_EQ(p.PrintBWOnly, 0u);
    EXPECT_EQ(p.spectrum.SoundEnabled, 1u);
    EXPECT_EQ(p.sounds[5], "/e.wav");
    EXPECT_EQ(p.ScopeModeSaturatedWarning, 0u);
    EXPECT_EQ(p.TransmissionModeLabel, 1);
    EXPECT_EQ(p.RememberGraphScale, 1u);
    EXPECT_DOUBLE_EQ(view.threshold, 9.5);
    EXPECT_EQ(view.log, std::vector<std::string>{"SetScopeModeSaturationThreshold"});
    EXPECT_EQ(view.displayFile, "lab.display");
}

TEST_F(SheetTest, ControlsAreFoundWithinTheirPage)
{
    FakePropertiesView view;
    view.prefs.TransmissionModeLabel = 0;
    CPropertiesPropertySheet sheet(view, nullptr);
    sheet.show();
    sheet.SetActivePage(4);
    sheet.SetActivePage(5);
    // 1178 is a browse button on one page and the label combo on another.
    EXPECT_NE(findControl<QPushButton>(sheet.GetPage(4), 1178), nullptr);
    auto* label = findControl<QComboBox>(sheet.GetPage(5), 1178);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->itemText(1), "Percent Reflection");
    label->setCurrentIndex(1);
    auto* warning = findControl<QComboBox>(sheet.GetPage(5), 1174);
    EXPECT_EQ(warning->currentIndex(), 2);
    findControl<QCheckBox>(sheet.GetPage(5), 1576)->click();
    sheet.pressApply();
    EXPECT_EQ(view.prefs.TransmissionModeLabel, 1);
    EXPECT_EQ(view.prefs.TurnOffLightWhenClosingWindow, 1u);
    EXPECT_FALSE(sheet.GetPage(5)->isModified());
    // Cancel after Apply keeps what Apply wrote.
    label->setCurrentIndex(0);
    sheet.pressCancel();
    EXPECT_EQ(view.prefs.TransmissionModeLabel, 1);
}

} // namespace
