#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/shell/ShellFakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fw = platform::framework;

namespace {

// The program's spectrum window: the frame's bars write into the real spectrum view.
TEST(SpectrumWindowBarsTest, BarsWriteTheSpectrumView)
{
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    std::FILE* file = std::fopen(spec.c_str(), "w");
    ASSERT_NE(file, nullptr);
    // A Jolvar: its window offers the microsecond integration times.
    std::fputs("[General]\r\nSpectrometerType=Jolvar\r\nADCType=NONE\r\nInitialized=1\r\n", file);
    std::fclose(file);
    CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", spec.c_str());

    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    auto* frame = dynamic_cast<CChildFrameSpectrum*>(app.mainFrameWidget()->MDIGetActive());
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    QElapsedTimer waited;
    waited.start();
    while (!view->isReady() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(view->isReady());
    CHarluneSpectrumView& core = view->core();

    auto* average = dynamic_cast<QLineEdit*>(fw::GetDlgItem(frame, 1009));
    ASSERT_NE(average, nullptr);
    average->setText("7");
    emit average->editingFinished();
    EXPECT_EQ(core.record().scansToAverage, 7);

    auto* usec = dynamic_cast<QRadioButton*>(fw::GetDlgItem(frame, 1596));
    ASSERT_NE(usec, nullptr);
    usec->click();
    EXPECT_EQ(core.record().microsecondFlag, 1);
    // The refill takes the limits of the window's hardware (no converter: 1000 to 1600000 us)
    // and shows the microsecond time clamped into them.
    core.UpdateAcquisitionBar();
    EXPECT_EQ(core.integrationMinimum(), 1000u);
    EXPECT_EQ(core.integrationMaximum(), 1600000u);
    auto* integration = dynamic_cast<QLineEdit*>(fw::GetDlgItem(frame, 1006));
    ASSERT_NE(integration, nullptr);
    EXPECT_GE(core.record().microsecondIntegrationTime, 1000);
    EXPECT_EQ(integration->text().toStdString(),
              std::to_string(core.record().microsecondIntegrationTime));
    EXPECT_EQ(average->text(), "7");
    frame->ResetIntegrationTimeRange();
    EXPECT_EQ(core.record().microsecondFlag, 0);
    EXPECT_EQ(core.integrationMaximum(), 65500u);

    auto* strobe = dynamic_cast<QCheckBox*>(fw::GetDlgItem(frame, 1019));
    ASSERT_NE(strobe, nullptr);
    const bool before = strobe->isChecked();
    strobe->click();
    EXPECT_EQ(core.strobeEnable(), before ? 0 : 1);
    EXPECT_EQ(core.record().strobeFlashSelect, before ? 0 : 1);
}

} // namespace
