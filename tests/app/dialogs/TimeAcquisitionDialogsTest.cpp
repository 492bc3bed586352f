// The time-acquisition channel sheet and configuration dialog offscreen with scripted UI
// services.
#include "app/dialogs/DataExchangeRules.h"
#include "app/dialogs/TimeAcquisitionChannelPropertySheet.h"
#include "app/dialogs/TimeAcquisitionConfigurationDialog.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/fake/ScriptedUiServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace app::dialogs;
using namespace app::spectrum;
using platform::framework::findControl;

namespace {

class TimeAcquisitionDialogsTest : public ::testing::Test
{
protected:
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    CTimeAcquisitionChannelPropertySheet::Channels channels{};
    CTimeAcquisitionChannelPropertySheet::Combos combos{};
    int applies = 0;
    CTimeAcquisitionChannelPropertySheet::Channels appliedChannels{};
    CTimeAcquisitionChannelPropertySheet::Combos appliedCombos{};
    CTimeAcquisitionChannelPropertySheet::ApplyFunction apply()
    {
        return [this](const auto& c, const auto& k) {
            ++applies;
            appliedChannels = c;
            appliedCombos = k;
        };
    }
};

TEST_F(TimeAcquisitionDialogsTest, PagesAndOkWithoutChanges)
{
    channels[2].Enabled = 1;
    channels[2].Wavelength = 612.5;
    CTimeAcquisitionChannelPropertySheet sheet(channels, combos, apply());
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), "Time Acquisition Channel Configuration");
    ASSERT_EQ(sheet.GetPageCount(), 8);
    const char* captions[8] = {"Channel A", "Channel B", "Channel C",     "Channel D",
                               "Channel E", "Channel F", "Combination 1", "Combination 2"};
    const unsigned templates[8] = {162, 165, 163, 166, 164, 167, 168, 170};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(sheet.GetPage(i)->caption(), captions[i]);
        EXPECT_EQ(sheet.GetPage(i)->templateId(), templates[i]);
        EXPECT_EQ(findControl<QCheckBox>(sheet.GetPage(i), 1194)->text().toStdString(),
                  "Enable &D/A Output (Channel " + std::to_string(i) + ")");
    }
    sheet.pressOk();
    EXPECT_EQ(applies, 1);
    EXPECT_DOUBLE_EQ(appliedChannels[2].Wavelength, 612.5);
    EXPECT_EQ(appliedChannels[2].Enabled, 1u);
}

TEST_F(TimeAcquisitionDialogsTest, ApplyThenCancelKeepsWhatWasApplied)
{
    CTimeAcquisitionChannelPropertySheet sheet(channels, combos, apply());
    sheet.show();
    QWidget* page = sheet.GetPage(0);
    findControl<QCheckBox>(page, 1191)->click();
    sheet.pressApply();
    EXPECT_EQ(applies, 1);
    EXPECT_EQ(appliedChannels[0].Enabled, 1u);
    findControl<QCheckBox>(page, 1191)->click();
    sheet.pressCancel();
    EXPECT_EQ(applies, 1);
    EXPECT_EQ(appliedChannels[0].Enabled, 1u);
}

TEST_F(TimeAcquisitionDialogsTest, EnabledGreysNineControlsAndEditsStoreNumbers)
{
    channels[0].Enabled = 1;
    channels[0].Bandwidth = 6;
    CTimeAcquisitionChannelPropertySheet sheet(channels, combos, apply());
    sheet.show();
    QWidget* page = sheet.GetPage(0);
    const unsigned nine[9] = {1503, 1164, 1504, 1506, 1507, 1192, 1193, 1508, 1194};
    for (unsigned id : nine)
        EXPECT_TRUE(findControl<QWidget>(page, id)->isEnabled()) << id;
    EXPECT_EQ(findControl<QLineEdit>(page, 1506)->text(), "1.000");
    EXPECT_FALSE(findControl<QWidget>(page, 1193)->isVisible());
    EXPECT_FALSE(findControl<QWidget>(page, 1508)->isVisible());
    findControl<QLineEdit>(page, 1507)->setText("2.5");
    findControl<QLineEdit>(page, 1504)->setText("2.5");
    findControl<QCheckBox>(page, 1191)->click();
    for (unsigned id : nine)
        EXPECT_FALSE(findControl<QWidget>(page, id)->isEnabled()) << id;
    sheet.pressOk();
    EXPECT_EQ(appliedChannels[0].Enabled, 0u);
    EXPECT_DOUBLE_EQ(appliedChannels[0].Offset, 2.5);
    EXPECT_EQ(appliedChannels[0].Bandwidth, 2);
}

TEST_F(TimeAcquisitionDialogsTest, SecondCombinationOffersTheFirst)
{
    combos[1].Enabled = 1;
    CTimeAcquisitionChannelPropertySheet sheet(channels, combos, apply());
    sheet.show();
    EXPECT_EQ(findControl<QComboBox>(sheet.GetPage(6), 1505)->count(), 6);
    sheet.SetActivePage(7);
    auto* first = findControl<QComboBox>(sheet.GetPage(7), 1505);
    ASSERT_EQ(first->count(), 7);
    EXPECT_EQ(first->itemText(6).toStdString(), "Combo 1");
    EXPECT_EQ(findControl<QComboBox>(sheet.GetPage(7), 1510)->count(), 7);
    EXPECT_EQ(findControl<QLineEdit>(sheet.GetPage(7), 1506)->text().toStdString(), "1");
    first->setCurrentIndex(6);
    sheet.pressOk();
    EXPECT_EQ(appliedCombos[1].FirstChannel, 6u);
}

TEST_F(TimeAcquisitionDialogsTest, ConfigurationDialogGreysAndUnitGroups)
{
    TimeAcquisitionSettings s;
    s.ContinueUntilManuallyStopped = 1;
    s.FrequencyUnit = kTimeUnitMilliseconds;
    CTimeAcquisitionConfigurationDialog dialog(nullptr);
    dialog.fill(s);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Time Acquisition Configuration");
    EXPECT_FALSE(findControl<QWidget>(&dialog, 1488)->isEnabled());
    EXPECT_FALSE(findControl<QWidget>(&dialog, 1242)->isEnabled());
    EXPECT_FALSE(findControl<QWidget>(&dialog, 1519)->isEnabled());
    EXPECT_TRUE(findControl<QWidget>(&dialog, 1490)->isEnabled());
    EXPECT_TRUE(findControl<QRadioButton>(&dialog, 1503)->isChecked());
    EXPECT_FALSE(findControl<QRadioButton>(&dialog, 1497)->isChecked());
    findControl<QCheckBox>(&dialog, 1499)->click();
    EXPECT_TRUE(findControl<QWidget>(&dialog, 1488)->isEnabled());
    EXPECT_TRUE(findControl<QWidget>(&dialog, 1493)->isEnabled());
    findControl<QRadioButton>(&dialog, 1495)->click();
    EXPECT_TRUE(findControl<QRadioButton>(&dialog, 1495)->isChecked());
    EXPECT_FALSE(findControl<QRadioButton>(&dialog, 1503)->isChecked());
    findControl<QCheckBox>(&dialog, 1215)->click();
    EXPECT_FALSE(findControl<QWidget>(&dialog, 1490)->isEnabled());
    findControl<QLineEdit>(&dialog, 1488)->setText("abc");
    dialog.pressOk();
    TimeAcquisitionSettings out;
    dialog.storeInto(out);
    EXPECT_EQ(out.FrequencyUnit, kTimeUnitHours);
    EXPECT_EQ(out.Duration, 0u);
    EXPECT_EQ(out.ContinueUntilManuallyStopped, 0u);
    EXPECT_EQ(out.SaveEveryAcquisition, 1u);
}

TEST_F(TimeAcquisitionDialogsTest, BrowseCompletesTimAndLogFrequencyRefusesText)
{
    struct Case
    {
        const char* chosen;
        const char* shown;
    };
    const Case cases[] = {{"/data/run.tim", "/data/run.time"}, {"/data/run.txt", "/data/run.txt"}};
    for (const Case& c : cases) {
        CTimeAcquisitionConfigurationDialog dialog(nullptr);
        dialog.fill(TimeAcquisitionSettings{});
        dialog.show();
        ui.answerFileDialog(std::vector<std::string>{c.chosen});
        findControl<QPushButton>(&dialog, 1241)->click();
        EXPECT_EQ(findControl<QLineEdit>(&dialog, 1486)->text().toStdString(), c.shown);
    }
    ASSERT_FALSE(ui.fileDialogs().empty());
    EXPECT_EQ(ui.fileDialogs()[0].title, "Select Time Acquisition Data File");
    EXPECT_EQ(ui.fileDialogs()[0].defaultExtension, "time");

    CTimeAcquisitionConfigurationDialog dialog(nullptr);
    TimeAcquisitionSettings s;
    s.StreamDataToDisk = 1;
    dialog.fill(s);
    dialog.show();
    findControl<QLineEdit>(&dialog, 1519)->setText("abc");
    dialog.pressOk();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_FALSE(ui.messageBoxes().empty());
    EXPECT_EQ(ui.messageBoxes().back().text, integerMessage());
    findControl<QLineEdit>(&dialog, 1519)->setText("250");
    dialog.pressOk();
    TimeAcquisitionSettings out;
    dialog.storeInto(out);
    EXPECT_EQ(out.LogFrequency, 250u);
}

} // namespace
