// The small dialogs offscreen with scripted UI services: Warning, the two channel dialogs,
// Create New Grid and Create New Graph, the autoincrement browse, the colour temperature, the
// cursor and the rename dialog.
#include "app/dialogs/AutoincrementFilenameDialog.h"
#include "app/dialogs/ConfigureCursorDialog.h"
#include "app/dialogs/CreateNewGraphDialog.h"
#include "app/dialogs/CreateNewGridDialog.h"
#include "app/dialogs/DataExchangeRules.h"
#include "app/dialogs/ReferenceColorTemperatureDialog.h"
#include "app/dialogs/RenameSpectralWindowDialog.h"
#include "app/dialogs/SelectChannelsToCopyDialog.h"
#include "app/dialogs/SelectSpectrometerChannelsDialog.h"
#include "app/dialogs/WarningDialog.h"
#include "platform/chart/ColorPanel.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace app::dialogs;
using platform::framework::findControl;

namespace {

class SmallDialogsTest : public ::testing::Test
{
protected:
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
};

TEST_F(SmallDialogsTest, WarningNoReturnsTheClearedCheck)
{
    CWarningDialog dialog(nullptr);
    dialog.m_message = "Scope mode is saturated.";
    dialog.m_continueToWarn = 1;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Harlune Warning");
    EXPECT_EQ(findControl<QLabel>(&dialog, 1146)->text(), "Scope mode is saturated.");
    auto* check = findControl<QCheckBox>(&dialog, 1145);
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(check->text(), "Continue to &warn me about this potential problem");
    EXPECT_TRUE(findControl<QPushButton>(&dialog, 1152)->isDefault());
    check->click();
    findControl<QPushButton>(&dialog, 1153)->click();
    EXPECT_EQ(dialog.result(), CWarningDialog::IDCANCEL);
    EXPECT_EQ(dialog.m_continueToWarn, 0);

    CWarningDialog yes(nullptr);
    yes.m_continueToWarn = 0;
    yes.show();
    findControl<QCheckBox>(&yes, 1145)->click();
    findControl<QPushButton>(&yes, 1152)->click();
    EXPECT_EQ(yes.result(), CWarningDialog::IDOK);
    EXPECT_EQ(yes.m_continueToWarn, 1);
}

TEST_F(SmallDialogsTest, ChannelBoxesFollowTheirFlags)
{
    CSelectSpectrometerChannelsDialog dialog(nullptr);
    dialog.m_available = {1, 1, 0, 0, 0, 0, 0, 0};
    dialog.m_selected = {0, 0, 1, 0, 0, 0, 0, 0};
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Select Spectrometer Channels");
    auto* master = findControl<QCheckBox>(&dialog, 1517);
    auto* slave2 = findControl<QCheckBox>(&dialog, 1519);
    ASSERT_TRUE(master && slave2 && findControl<QCheckBox>(&dialog, 1524));
    EXPECT_EQ(master->text(), "&Master");
    EXPECT_EQ(findControl<QCheckBox>(&dialog, 1524)->text(), "Slave &7");
    // Unavailable: greyed, and its state stays.
    EXPECT_FALSE(slave2->isEnabled());
    EXPECT_TRUE(slave2->isChecked());
    QTest::mouseClick(slave2, Qt::LeftButton);
    EXPECT_TRUE(slave2->isChecked());
    EXPECT_EQ(dialog.m_selected[2], 1);
    // Each click updates its flag at once.
    master->click();
    EXPECT_EQ(dialog.m_selected[0], 1);
    master->click();
    EXPECT_EQ(dialog.m_selected[0], 0);
    master->click();
    dialog.pressOk();
    EXPECT_EQ(dialog.result(), CSelectSpectrometerChannelsDialog::IDOK);
    EXPECT_EQ(dialog.m_selected, (std::array<int32_t, 8>{1, 0, 1, 0, 0, 0, 0, 0}));
}

TEST_F(SmallDialogsTest, ChannelsToCopyHasSixteenBoxes)
{
    CSelectChannelsToCopyDialog dialog(nullptr);
    dialog.m_available.fill(1);
    dialog.m_available[9] = 0;
    dialog.m_selected[9] = 1;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Select Spectrometer Channels to Copy");
    auto* overlay1 = findControl<QCheckBox>(&dialog, 1525);
    auto* overlay8 = findControl<QCheckBox>(&dialog, 1532);
    ASSERT_TRUE(overlay1 && overlay8);
    EXPECT_EQ(overlay1->text(), "Overlay &1");
    EXPECT_FALSE(findControl<QCheckBox>(&dialog, 1526)->isEnabled());
    EXPECT_TRUE(findControl<QCheckBox>(&dialog, 1526)->isChecked());
    overlay8->click();
    EXPECT_EQ(dialog.m_selected[15], 1);
    findControl<QCheckBox>(&dialog, 1518)->click();
    EXPECT_EQ(dialog.m_selected[1], 1);
}

TEST_F(SmallDialogsTest, CreateNewGridRefusesWhatTheGridCannotHold)
{
    const struct
    {
        const char* name;
        const char* columns;
        const char* rows;
        const char* sheets;
        std::string message; // empty: accepted
    } cases[] = {
        {"abc rows", "10", "abc", "1", integerMessage()},
        {"empty rows", "10", "", "1", integerMessage()},
        {"0 rows", "10", "0", "1", rangeMessage({1, 2147483647})},
        {"negative columns", "-5", "100", "1", rangeMessage({1, 32000})},
        {"32001 columns", "32001", "100", "1", rangeMessage({1, 32000})},
        {"1025 sheets", "10", "100", "1025", rangeMessage({1, 1024})},
        {"20 digits", "10", "99999999999999999999", "1", rangeMessage({1, 2147483647})},
        {"largest", "32000", "100", "1024", ""},
        {"blanks around", " 7 ", "8", "2", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        CCreateNewGridDialog dialog(nullptr);
        dialog.m_columns = 10;
        dialog.m_rows = 100;
        dialog.m_sheets = 1;
        dialog.show();
        EXPECT_EQ(findControl<QLineEdit>(&dialog, 1546)->text(), "100");
        findControl<QLineEdit>(&dialog, 1545)->setText(c.columns);
        findControl<QLineEdit>(&dialog, 1546)->setText(c.rows);
        findControl<QLineEdit>(&dialog, 1547)->setText(c.sheets);
        findControl<QPushButton>(&dialog, 1)->click();
        if (c.message.empty()) {
            EXPECT_EQ(dialog.result(), CCreateNewGridDialog::IDOK);
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_TRUE(ui.messageBoxes().empty());
            continue;
        }
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(ui.messageBoxes().size(), 1u);
        EXPECT_EQ(ui.messageBoxes()[0].text, c.message);
    }
}

TEST_F(SmallDialogsTest, CreateNewGraphRefusesNoTraces)
{
    CCreateNewGraphDialog dialog(nullptr);
    dialog.m_traces = 10;
    dialog.m_points = 2048;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Create New Graph");
    findControl<QLineEdit>(&dialog, 1547)->setText("0");
    dialog.pressOk();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].text, rangeMessage({1, 2147483647}));
    findControl<QLineEdit>(&dialog, 1547)->setText("4");
    findControl<QLineEdit>(&dialog, 1548)->setText("512");
    dialog.pressOk();
    EXPECT_EQ(dialog.result(), CCreateNewGraphDialog::IDOK);
    EXPECT_EQ(dialog.m_traces, 4);
    EXPECT_EQ(dialog.m_points, 512);
}

TEST_F(SmallDialogsTest, AutoincrementBrowseNamesANewFile)
{
    CAutoincrementFilenameDialog dialog(nullptr);
    dialog.m_baseName = "/data/run";
    dialog.m_startingIndex = "1";
    dialog.show();
    findControl<QLineEdit>(&dialog, 1164)->setText("5");
    // Cancelled: the base name stays.
    ui.answerFileDialog(std::nullopt);
    findControl<QPushButton>(&dialog, 1569)->click();
    EXPECT_EQ(findControl<QLineEdit>(&dialog, 1163)->text(), "/data/run");
    ASSERT_EQ(ui.fileDialogs().size(), 1u);
    const platform::qt::FileDialogRequest& request = ui.fileDialogs()[0];
    EXPECT_FALSE(request.open);
    EXPECT_EQ(request.title, "Select Autoincrement Filename Basename");
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters[0].description, "All Files (*.*)");
    EXPECT_EQ(request.filters[0].pattern, "*.*");
    EXPECT_FALSE(request.fileMustExist);
    EXPECT_TRUE(request.overwritePrompt);
    EXPECT_TRUE(request.hideReadOnly);
    // A name that does not exist yet is taken; the typed index stays.
    ui.answerFileDialog(std::vector<std::string>{"/data/new/sample"});
    findControl<QPushButton>(&dialog, 1569)->click();
    EXPECT_EQ(findControl<QLineEdit>(&dialog, 1163)->text(), "/data/new/sample");
    EXPECT_EQ(findControl<QLineEdit>(&dialog, 1164)->text(), "5");
    dialog.pressOk();
    EXPECT_EQ(dialog.m_baseName, "/data/new/sample");
    EXPECT_EQ(dialog.m_startingIndex, "5");
}

TEST_F(SmallDialogsTest, ColorTemperatureShowsSecondOrderOnlyWithItsFlag)
{
    for (int shown : {0, 1}) {
        SCOPED_TRACE(shown);
        CReferenceColorTemperatureDialog dialog(nullptr);
        dialog.m_temperature = "3100.0";
        dialog.m_showSecondOrder = shown;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        auto* check = findControl<QCheckBox>(&dialog, 1531);
        auto* edit = findControl<QLineEdit>(&dialog, 1306);
        EXPECT_EQ(check->isVisible(), shown == 1);
        EXPECT_TRUE(edit->hasFocus());
        EXPECT_EQ(edit->selectedText(), "3100.0");
        // Focus elsewhere and back: the text is selected again.
        findControl<QPushButton>(&dialog, 1)->setFocus();
        edit->deselect();
        edit->setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(QTest::qWaitFor([&] { return edit->selectedText() == "3100.0"; }, 10000));
        if (shown)
            check->click();
        edit->setText("2900");
        dialog.pressOk();
        EXPECT_EQ(dialog.m_temperature, "2900");
        EXPECT_EQ(dialog.m_assumeSecondOrder, shown);
    }
}

TEST_F(SmallDialogsTest, CursorDialogOptionsListsAndColour)
{
    CConfigureCursorDialog dialog(nullptr);
    EXPECT_EQ(dialog.m_lineStyle, -1);
    EXPECT_EQ(dialog.m_precision, -1);
    dialog.m_lineStyle = 3;
    dialog.m_lineWidth = 2;
    dialog.m_channel = 1;
    dialog.m_precision = 4;
    dialog.m_limitRange = 1;
    dialog.m_color = 0x0000FF;
    dialog.m_displayOption = 1;
    dialog.show();
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1165)->currentText(), "Long Dash");
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1165)->count(), 8);
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1166)->count(), 11);
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1031)->currentText(), "Slave 1");
    EXPECT_EQ(findControl<QComboBox>(&dialog, 1032)->currentText(), "4");
    EXPECT_TRUE(findControl<QCheckBox>(&dialog, 1536)->isChecked());
    auto* statusBar = findControl<QRadioButton>(&dialog, 1501);
    auto* separate = findControl<QRadioButton>(&dialog, 1502);
    EXPECT_TRUE(statusBar->isChecked());
    EXPECT_FALSE(separate->isChecked());
    // In the dialog, but never shown.
    EXPECT_FALSE(statusBar->isVisible());
    EXPECT_FALSE(separate->isVisible());
    EXPECT_FALSE(statusBar->parentWidget()->isVisible());
    separate->click();
    EXPECT_EQ(dialog.m_displayOption, 0);
    EXPECT_TRUE(separate->isChecked());
    EXPECT_FALSE(statusBar->isChecked());
    statusBar->click();
    EXPECT_EQ(dialog.m_displayOption, 1);
    EXPECT_FALSE(separate->isChecked());

    auto* swatch = findControl<platform::chart::CColorPanel>(&dialog, 1167);
    EXPECT_EQ(swatch->GetBackColor(), 0x0000FFu);
    ui.answerColorDialog(0x0000FF); // the same colour: no change
    emit swatch->Click();
    ui.answerColorDialog(std::nullopt);
    emit swatch->Click();
    EXPECT_EQ(dialog.m_color, 0x0000FFu);
    ui.answerColorDialog(0x00FF00);
    QTest::mouseClick(swatch, Qt::LeftButton);
    EXPECT_EQ(dialog.m_color, 0x00FF00u);
    EXPECT_EQ(swatch->GetBackColor(), 0x00FF00u);
    ASSERT_EQ(ui.colorDialogs().size(), 3u);
    EXPECT_EQ(ui.colorDialogs()[0], 0x0000FFu);

    findControl<QComboBox>(&dialog, 1165)->setCurrentIndex(1);
    dialog.pressOk();
    EXPECT_EQ(dialog.m_lineStyle, 1);
    EXPECT_EQ(dialog.m_lineWidth, 2);
}

TEST_F(SmallDialogsTest, RenameShowsTheTitleSelected)
{
    CRenameSpectralWindowDialog dialog(nullptr);
    dialog.m_title = "Spectrum1";
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* edit = findControl<QLineEdit>(&dialog, 1514);
    EXPECT_EQ(dialog.windowTitle(), "Rename Spectral Window");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "Spectrum1");
    QTest::keyClicks(edit, "Sample");
    dialog.pressOk();
    EXPECT_EQ(dialog.m_title, "Sample");
}

} // namespace
