// A spectrum window's time acquisition and colour temperature as a user meets them in the
// program's own frame: a run under the name of an earlier one asks once, at Start, whether
// to replace its spectrum files, and then keeps every sample without a box; the second-order
// option of the colour temperature dialog is offered for a spectrometer without a sub-type.
#include "app/dialogs/ReferenceColorTemperatureDialog.h"
#include "app/dialogs/TimeAcquisitionConfigurationDialog.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/QtUiServices.h"
#include "platform/win/Messages.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/qt/frames/MainFrameFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using platform::framework::findControl;

namespace window_runs_test {

fs::path testFolder(const std::string& name)
{
    const fs::path folder = fs::path(frames_test::testDir()) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files of a folder by name, with their bytes.
std::map<std::string, std::string> filesOf(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = readText(entry.path());
    return files;
}

// While it lives, any modal dialog that comes up is noted and closed: a run that held its
// samples on a box would otherwise wait for an answer nobody gives.
class ModalWatch
{
public:
    ModalWatch()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown.push_back(dialog->metaObject()->className());
                dialog->reject();
            }
        });
        m_timer.start(5);
    }

    std::vector<std::string> shown;

private:
    QTimer m_timer;
};

class SpectrumWindowRunsTest : public frames_test::MainFrameFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(true, QSize(), testFolder("configuration").string()));
    }

    CHarluneSpectrumView& core() { return view->core(); }

    void run(const char* path)
    {
        ASSERT_NO_FATAL_FAILURE(runMenuItem(frames_test::menuPath(path)));
    }

    // Time Acquisition > Configure > Configure Acquisition...: the run is named, saves the full
    // spectra of every scan from the first on, and goes on until it is stopped.
    void configureRun(const fs::path& name)
    {
        bool answered = false;
        answerNextModal<CTimeAcquisitionConfigurationDialog>(
            [&](CTimeAcquisitionConfigurationDialog& dialog) {
                findControl<QLineEdit>(&dialog, 1486)->setText(QString::fromStdString(name));
                findControl<QLineEdit>(&dialog, 1489)->setText(QStringLiteral("0"));
                for (const unsigned check : {1530u, 1215u, 1499u}) {
                    auto* box = findControl<QCheckBox>(&dialog, check);
                    if (!box->isChecked())
                        box->click();
                }
                answered = true;
                dialog.pressOk();
            });
        run("Time Acquisition > Configure > Configure Acquisition...");
        ASSERT_TRUE(answered);
    }

    // The driver's scan-ready messages, one at a time, each waited for as the next sample.
    void scans(int count)
    {
        for (int i = 0; i < count; ++i) {
            const int before = core().timeRun().sampleIndex;
            platform::win::PostMessage(view->GetSafeHwnd(), CHarluneSpectrumView::kScanReadyMessage,
                                       0, 0);
            ASSERT_TRUE(runUntil([&] { return core().timeRun().sampleIndex == before + 1; }, 5000))
                << "scan " << i;
        }
    }

    // The spectrum files a run of count samples under "run" writes.
    static std::vector<std::string> runFiles(int count)
    {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "run.%05d.Master.Scope", i);
            names.push_back(name);
        }
        return names;
    }
};

TEST_F(SpectrumWindowRunsTest, ARunUnderAnEarlierRunsNameAsksOnceAndKeepsEverySample)
{
    constexpr int kSamples = 7;
    const fs::path folder = testFolder("time-runs");
    ASSERT_NO_FATAL_FAILURE(configureRun(folder / "run"));
    run("Time Acquisition > Activate Time Acquisition");

    // The first run: nothing to replace, no question.
    size_t mark = ui.messageBoxes().size();
    {
        ModalWatch watch;
        run("Time Acquisition > Start");
        ASSERT_EQ(core().timeRunState(), 1);
        ASSERT_NO_FATAL_FAILURE(scans(kSamples));
        run("Time Acquisition > Stop");
        EXPECT_TRUE(watch.shown.empty());
    }
    EXPECT_EQ(ui.messageBoxes().size(), mark);
    const auto first = filesOf(folder);
    ASSERT_EQ(first.size(), static_cast<size_t>(kSamples));
    for (const std::string& name : runFiles(kSamples)) {
        ASSERT_EQ(first.count(name), 1u) << name;
        EXPECT_NE(first.at(name).find("Harlune Version"), std::string::npos) << name;
    }

    // No: the run does not start and the earlier files stay as they are.
    mark = ui.messageBoxes().size();
    ui.answerMessageBox(platform::qt::kIdNo);
    run("Time Acquisition > Start");
    EXPECT_EQ(core().timeRunState(), 0);
    ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
    EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Warning");
    EXPECT_EQ(ui.messageBoxes().back().text,
              "Spectrum files of an earlier time acquisition named " + (folder / "run").string() +
                  " exist.\nDo you wish to replace them with this run's?");
    EXPECT_EQ(filesOf(folder), first);

    // Yes: one question, then every sample's file is replaced while the run goes on.
    for (const std::string& name : runFiles(kSamples))
        std::ofstream(folder / name, std::ios::binary | std::ios::trunc) << "old";
    mark = ui.messageBoxes().size();
    ui.answerMessageBox(platform::qt::kIdYes);
    {
        ModalWatch watch;
        run("Time Acquisition > Start");
        ASSERT_EQ(core().timeRunState(), 1);
        ASSERT_NO_FATAL_FAILURE(scans(kSamples));
        run("Time Acquisition > Stop");
        EXPECT_TRUE(watch.shown.empty()) << watch.shown.front();
    }
    EXPECT_EQ(ui.messageBoxes().size(), mark + 1);
    const auto second = filesOf(folder);
    EXPECT_EQ(second.size(), static_cast<size_t>(kSamples));
    for (const std::string& name : runFiles(kSamples)) {
        ASSERT_EQ(second.count(name), 1u) << name;
        EXPECT_NE(second.at(name).find("Harlune Version"), std::string::npos) << name;
    }
}

// Spectrum files a run cannot write hold no sample on a box: the reason is told once the run
// has stopped.
TEST_F(SpectrumWindowRunsTest, ARunThatCannotWriteItsFilesSaysWhyWhenItStops)
{
    const fs::path folder = testFolder("time-run-nowhere");
    ASSERT_NO_FATAL_FAILURE(configureRun(folder / "missing" / "run"));
    run("Time Acquisition > Activate Time Acquisition");
    const size_t mark = ui.messageBoxes().size();
    {
        ModalWatch watch;
        run("Time Acquisition > Start");
        ASSERT_EQ(core().timeRunState(), 1);
        ASSERT_NO_FATAL_FAILURE(scans(3));
        EXPECT_EQ(ui.messageBoxes().size(), mark);
        run("Time Acquisition > Stop");
        EXPECT_TRUE(watch.shown.empty());
    }
    ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
    EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Error");
    EXPECT_NE(ui.messageBoxes().back().text.find("run.00000.Master.Scope could not be written"),
              std::string::npos)
        << ui.messageBoxes().back().text;
    EXPECT_NE(ui.messageBoxes().back().text.find("does not exist."), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

// The default spectrometer of these tests names no sub-type: the option is offered all the
// same, and what the user checks becomes the window's second-order flag.
TEST_F(SpectrumWindowRunsTest, TheColorTemperatureDialogOffersSecondOrderLight)
{
    ASSERT_TRUE(core().configuration().GetSpectrometerSubType().empty() ||
                core().configuration().GetSpectrometerSubType() == "NONE")
        << core().configuration().GetSpectrometerSubType();
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "switched on" : "switched off");
        bool shown = false;
        answerNextModal<CReferenceColorTemperatureDialog>(
            [&](CReferenceColorTemperatureDialog& dialog) {
                auto* check = findControl<QCheckBox>(&dialog, 1531);
                shown = check->isVisible();
                check->setChecked(on);
                findControl<QLineEdit>(&dialog, 1306)->setText(QStringLiteral("2900"));
                dialog.pressOk();
            });
        run("Spectrum > Reference Color Temperature...");
        EXPECT_TRUE(shown);
        EXPECT_EQ(core().document().assumeSecondOrder(), on ? 1u : 0u);
        EXPECT_DOUBLE_EQ(core().document().colorTemperature(), 2900.0);
    }
}

} // namespace window_runs_test
