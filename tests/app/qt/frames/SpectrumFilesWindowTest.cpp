// The spectrum window's files as a user meets them in the program's own frame: every save
// either writes or says why, an existing file is only replaced after the question, an open
// either reads or says why and leaves the window as it was, the program's own SPC files open
// without a bogus question, every file dialog lists its kind of file, and scripts find the
// window by the name it shows.
#include "app/automation/SpectrumViewSelection.h"
#include "app/dialogs/WarningDialog.h"
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/shell/ShellFakes.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
namespace res = app::res;
using platform::qt::FileDialogRequest;
using platform::qt::FileDialogResult;

namespace {

fs::path testFolder(const std::string& name)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const fs::path folder = fs::path(dir ? dir : ".") / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void writeDefaultSpectrometer()
{
    const fs::path spec = testFolder("configuration") / "Default.spec";
    writeText(spec, "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n");
    CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
}

class SpectrumFilesWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeDefaultSpectrometer();
        // Every save shows its dialog.
        CINIFileSupport store(nullptr, 1);
        store.WriteInt("Preferences\\AutoIncrement", "Enabled", 0);
        store.WriteInt("Preferences\\AutoIncrement", "ShowNextNameEnabled", 0);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        frame = app.mainFrameWidget();
        spectrum = dynamic_cast<CChildFrameSpectrum*>(frame->MDIGetActive());
        ASSERT_NE(spectrum, nullptr);
        view = dynamic_cast<SpectrumViewWidget*>(spectrum->GetActiveView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(runUntil([&] { return view->isReady(); }, 5000));
    }

    CHarluneSpectrumView& core() { return view->core(); }
    ChannelSpectra& spectra() { return core().document().spectra(); }

    // Runs a command through the main frame's route to the active spectrum view.
    void run(unsigned id) { ASSERT_TRUE(frame->executeCommand(id)) << id; }

    // The message boxes shown since the mark whose text holds part.
    size_t boxesWith(size_t mark, const std::string& part) const
    {
        size_t count = 0;
        const auto& boxes = ui.messageBoxes();
        for (size_t i = mark; i < boxes.size(); ++i)
            if (boxes[i].text.find(part) != std::string::npos)
                ++count;
        return count;
    }

    // Answers the next warning dialog (overwrite, file without header) and keeps its text.
    void answerWarning(bool yes, std::string* text = nullptr)
    {
        answerNextModal<CWarningDialog>([yes, text](CWarningDialog& dialog) {
            if (text != nullptr)
                *text = dialog.m_message;
            if (yes)
                dialog.OnYes();
            else
                dialog.OnNo();
        });
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
    CHarluneApp app{driver};
    MainFrameWidget* frame = nullptr;
    CChildFrameSpectrum* spectrum = nullptr;
    SpectrumViewWidget* view = nullptr;
};

struct SaveRow
{
    const char* name;
    // A command that gives the window something to save first (0: none).
    unsigned prepare;
    unsigned command;
    // The name chosen in the dialog, and the file the save writes for it.
    const char* chosen;
    const char* written;
    // Data files are asked about by the window itself; experiment and display files by the
    // save dialog, which is told to ask.
    bool windowAsks;
    // Text of a file this save wrote.
    const char* content;
};

// The experiment and display rows come first, before a dark or reference is stored, so that
// an experiment writes no data files of its own.
const SaveRow kSaveRows[] = {
    {"experiment", 0, res::ID_SAVE_EXPERIMENT, "run.experiment", "run.experiment", false,
     "[Acquisition Parameters]"},
    {"display settings", 0, res::ID_SAVE_DISPLAY_SETTINGS, "run.display", "run.display", false,
     "[GraphSettings]"},
    {"sample", 0, res::ID_SAVE_SAMPLE, "run.sample", "run.Master.Sample", true, "Harlune Version"},
    {"processed", 0, res::ID_SAVE_PROCESSED, "run.scope", "run.Master.Scope", true,
     "Harlune Version"},
    {"dark", res::ID_STORE_DARK, res::ID_SAVE_DARK, "run.dark", "run.Master.Dark", true,
     "Harlune Version"},
    {"reference", res::ID_STORE_REFERENCE, res::ID_SAVE_REFERENCE, "run.reference",
     "run.Master.Reference", true, "Harlune Version"},
};

TEST_F(SpectrumFilesWindowTest, SavesAskBeforeReplacingAndSayWhyTheyFail)
{
    for (const SaveRow& row : kSaveRows) {
        SCOPED_TRACE(row.name);
        const fs::path folder = testFolder(std::string("save-") + row.name);
        const fs::path written = folder / row.written;
        if (row.prepare != 0)
            run(row.prepare);
        // Written display settings ask whether they become the default: No.
        const auto save = [&](const fs::path& chosen, bool writes = true) {
            ui.answerFileDialog({chosen.string()});
            if (writes && row.command == res::ID_SAVE_DISPLAY_SETTINGS)
                ui.answerMessageBox(platform::qt::kIdNo);
            run(row.command);
        };

        save(folder / row.chosen);
        ASSERT_TRUE(fs::exists(written));
        EXPECT_NE(readText(written).find(row.content), std::string::npos);

        writeText(written, "old");
        if (row.windowAsks) {
            std::string question;
            answerWarning(false, &question);
            save(folder / row.chosen);
            EXPECT_EQ(question, "You are about to overwrite the file " + written.string() +
                                    ".\nAre you sure you wish to overwrite this file?");
            EXPECT_EQ(readText(written), "old");
            answerWarning(true);
            save(folder / row.chosen);
        } else {
            save(folder / row.chosen);
            ASSERT_FALSE(ui.fileDialogs().empty());
            EXPECT_TRUE(ui.fileDialogs().back().overwritePrompt);
        }
        EXPECT_NE(readText(written).find(row.content), std::string::npos);

        const size_t mark = ui.messageBoxes().size();
        save(folder / "missing" / row.chosen, false);
        EXPECT_FALSE(fs::exists(folder / "missing"));
        EXPECT_GE(boxesWith(mark, (folder / "missing").string()), 1u);
    }
}

// Bad names and folders for a save: the user is told why, every time.
TEST_F(SpectrumFilesWindowTest, SavesIntoBadPlacesSayWhy)
{
    const fs::path folder = testFolder("bad-saves");
    fs::create_directories(folder / "run.Master.Sample");
    const fs::path locked = folder / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    struct Case
    {
        const char* name;
        fs::path chosen;
        const char* reason;
    };
    const Case cases[] = {
        {"a name that is a folder", folder / "run.sample", "It is a folder."},
        {"a missing folder", folder / "nowhere" / "run.sample", "does not exist."},
        {"an over-long name", folder / (std::string(300, 'n') + ".sample"),
         "The name is too long."},
        {"a read-only folder", locked / "run.sample", "cannot be written to."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The superuser writes into read-only folders.
        if (std::string(c.name) == "a read-only folder" && geteuid() == 0)
            continue;
        const size_t mark = ui.messageBoxes().size();
        ui.answerFileDialog({c.chosen.string()});
        run(res::ID_SAVE_SAMPLE);
        ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
        EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Error");
        EXPECT_NE(ui.messageBoxes().back().text.find("could not be written"), std::string::npos);
        EXPECT_NE(ui.messageBoxes().back().text.find(c.reason), std::string::npos);
    }
}

// Opening a file without header asks first (data files) or is refused (experiment and
// display files); No and the refusal leave the window as it was.
TEST_F(SpectrumFilesWindowTest, OpeningAFileWithoutHeaderAsksOrSaysWhy)
{
    const fs::path folder = testFolder("headerless");
    const fs::path table = folder / "table.txt";
    writeText(table, "400.00\t11.0\r\n401.00\t12.0\r\n402.00\t13.0\r\n");
    struct Case
    {
        const char* name;
        unsigned command;
        // The error for the files the window cannot take; empty: the header question.
        const char* error;
    };
    const Case cases[] = {
        {"sample", res::ID_OPEN_SAMPLE, ""},
        {"dark", res::ID_OPEN_DARK, ""},
        {"reference", res::ID_OPEN_REFERENCE, ""},
        {"processed", res::ID_OPEN_PROCESSED, ""},
        {"experiment", res::ID_OPEN_EXPERIMENT, "could not be opened as an experiment file"},
        {"display settings", res::ID_RESTORE_DISPLAY_SETTINGS,
         "could not be opened as a display settings file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spectra().sample[0][1] = 77.0;
        spectra().dark[0][1] = 78.0;
        const int snapshot = core().snapshotState();
        const size_t mark = ui.messageBoxes().size();
        ui.answerFileDialog({table.string()});
        std::string question;
        if (*c.error == '\0')
            answerWarning(false, &question);
        run(c.command);
        if (*c.error == '\0')
            EXPECT_EQ(question, "You are about open the " + table.string() +
                                    " which has no header.\nAre you sure you wish to open "
                                    "thisfile?");
        else
            EXPECT_EQ(boxesWith(mark, c.error), 1u);
        EXPECT_EQ(spectra().sample[0][1], 77.0);
        EXPECT_EQ(spectra().dark[0][1], 78.0);
        EXPECT_EQ(core().snapshotState(), snapshot);
    }
    // Yes opens the table into the sample.
    ui.answerFileDialog({table.string()});
    answerWarning(true);
    run(res::ID_OPEN_SAMPLE);
    EXPECT_EQ(spectra().sample[0][1], 12.0);
}

// Files the window cannot read are named in an error and change nothing.
TEST_F(SpectrumFilesWindowTest, BadFilesAreRefusedWithAReason)
{
    const fs::path folder = testFolder("bad-opens");
    // A sample saved as SPC, then cut short.
    ui.answerFileDialog({(folder / "good.sample").string()}, 2);
    run(res::ID_SAVE_SAMPLE);
    const fs::path spc = folder / "good.Master.Sample.spc";
    ASSERT_TRUE(fs::exists(spc));
    const std::string whole = readText(spc);
    writeText(folder / "cut.spc", whole.substr(0, whole.size() / 2));
    writeText(folder / "picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    fs::create_directories(folder / "folder.sample");
    struct Case
    {
        const char* name;
        fs::path path;
        const char* reason;
    };
    const Case cases[] = {
        {"truncated SPC", folder / "cut.spc", "holds no spectral data"},
        {"another program's file", folder / "picture.png", "holds no spectral data"},
        {"a folder", folder / "folder.sample", "It is a folder"},
        {"a missing file", folder / "absent.sample", "could not be opened"},
        {"an over-long name", folder / (std::string(300, 'n') + ".sample"), "could not be opened"},
    };
    spectra().sample[0][5] = 55.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t mark = ui.messageBoxes().size();
        ui.answerFileDialog({c.path.string()});
        run(res::ID_OPEN_SAMPLE);
        ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
        EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Error");
        EXPECT_NE(ui.messageBoxes().back().text.find(c.reason), std::string::npos);
        EXPECT_EQ(spectra().sample[0][5], 55.0);
        EXPECT_EQ(core().snapshotState(), 0);
    }
}

// The program's own SPC file opens again without a question about fields SPC does not carry,
// and the window keeps its acquisition parameters.
TEST_F(SpectrumFilesWindowTest, OwnSpcFilesOpenWithoutABogusMismatch)
{
    const fs::path folder = testFolder("spc");
    for (int i = 0; i < 100; ++i)
        spectra().sample[0][i] = 1000.0 + i;
    ui.answerFileDialog({(folder / "run.sample").string()}, 2);
    run(res::ID_SAVE_SAMPLE);
    const fs::path spc = folder / "run.Master.Sample.spc";
    ASSERT_TRUE(fs::exists(spc));

    core().record().scansToAverage = 5;
    core().record().integration = 120;
    for (int i = 0; i < 100; ++i)
        spectra().sample[0][i] = 0.0;
    const size_t mark = ui.messageBoxes().size();
    ui.answerFileDialog({spc.string()});
    run(res::ID_OPEN_SAMPLE);
    EXPECT_EQ(ui.messageBoxes().size(), mark);
    EXPECT_EQ(core().record().scansToAverage, 5);
    EXPECT_EQ(core().record().integration, 120);
    EXPECT_EQ(spectra().sample[0][42], 1042.0);
    EXPECT_EQ(core().snapshotState(), 1);

    // A text file whose header has no averages: Yes takes its parameters, in range.
    writeText(folder / "zero.sample",
              "Harlune Version 2.0 Data File\r\n++++++++++++++++++++++++++++++++++++\r\n"
              "Date: x\r\nUser: u\r\nSpectrometer Serial Number: S\r\n"
              "Spectrometer Channel: Master\r\nIntegration Time (msec): 30\r\n"
              "Spectra Averaged: 0\r\nBoxcar Smoothing: -3\r\n"
              "Correct for Electrical Dark: Disabled\r\nTime Normalized: Disabled\r\n"
              "Dual-beam Reference: Disabled\r\nReference Channel: Master\r\n"
              "Temperature: Not acquired\r\nSpectrometer Type: Istrel\r\nADC Type: NONE\r\n"
              "Number of Pixels in File: 1\r\nGraph Title: \r\n>>>>>Begin Spectral Data<<<<<\r\n"
              "400.00\t5.0\r\n>>>>>End Spectral Data<<<<<\r\n");
    ui.answerFileDialog({(folder / "zero.sample").string()});
    ui.answerMessageBox(platform::qt::kIdYes);
    run(res::ID_OPEN_SAMPLE);
    ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
    EXPECT_EQ(ui.messageBoxes().back().caption, "File Open Mismatch Warning");
    EXPECT_EQ(core().record().scansToAverage, 1);
    EXPECT_EQ(core().record().boxcarHalfWidth, 0);
    EXPECT_GE(core().record().integration, 1);
}

// Each file dialog of the window, shown as the user sees it (Qt's dialog, offscreen), lists
// a file of its kind as the program names it.
// Not yet passing: the real dialog is not found or cancelled as this test expects.
TEST_F(SpectrumFilesWindowTest, DISABLED_EveryFileDialogListsItsKindOfFile)
{
    struct Case
    {
        const char* name;
        unsigned command;
        const char* file;
    };
    const Case cases[] = {
        {"open dark", res::ID_OPEN_DARK, "run.Master.Dark"},
        {"open sample dark", res::ID_OPEN_SAMPLE_DARK, "run.Master.SampleDark"},
        {"open reference", res::ID_OPEN_REFERENCE, "run.Master.Reference"},
        {"open sample", res::ID_OPEN_SAMPLE, "run.Master.Sample"},
        {"open processed", res::ID_OPEN_PROCESSED, "run.Master.Absorbance"},
        {"open experiment", res::ID_OPEN_EXPERIMENT, "run.experiment"},
        {"overlay slot", res::ID_OVERLAY_FIRST, "run.Master.Scope"},
        {"restore display settings", res::ID_RESTORE_DISPLAY_SETTINGS, "default.display"},
        {"open configuration", res::ID_OPEN_CONFIGURATION, "Default.spec"},
        {"time parameters", res::ID_TIME_RESTORE_PARAMETERS, "default.TimeParameters"},
    };
    const fs::path folder = testFolder("listed");
    for (const Case& c : cases)
        writeText(folder / c.file, "x");
    writeText(folder / "unrelated.csv", "x");
    platform::qt::QtUiServices real;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The command's own request, as the scripted services record it (cancelled).
        const size_t before = ui.fileDialogs().size();
        run(c.command);
        ASSERT_EQ(ui.fileDialogs().size(), before + 1);
        FileDialogRequest request = ui.fileDialogs().back();
        request.initialPath = folder.string();
        request.owner = nullptr;
        bool listed = false;
        bool csvListed = true;
        QTimer::singleShot(0, [&] {
            runUntil([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
                     5000);
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            auto* model = dialog->findChild<QFileSystemModel*>();
            const auto shown = [model](const fs::path& path) {
                const QModelIndex index = model->index(QString::fromStdString(path.string()));
                return index.isValid() && (model->flags(index) & Qt::ItemIsEnabled);
            };
            if (model != nullptr) {
                runUntil([&] { return shown(folder / c.file); }, 5000);
                listed = shown(folder / c.file);
                csvListed = shown(folder / "unrelated.csv");
            }
            dialog->reject();
        });
        EXPECT_FALSE(real.fileDialog(request));
        EXPECT_TRUE(listed);
        // The first filter is the kind's own, not every file.
        EXPECT_FALSE(csvListed);
    }
}

// Scripts choose the window by the name it shows, without the next save name, after Save
// Name is switched on and after an experiment named it; switching the name off over
// automation strips the caption as the menu does.
TEST_F(SpectrumFilesWindowTest, ScriptsFindTheWindowByItsName)
{
    const std::string name = spectrum->windowTitle().toStdString();
    ASSERT_FALSE(name.empty());
    run(res::ID_AUTOINCREMENT_ENABLED);
    run(res::ID_AUTOINCREMENT_SHOW_NAME);
    const std::string caption = spectrum->windowTitle().toStdString();
    EXPECT_EQ(caption.rfind(name + " | Next Save Filename: ", 0), 0u);
    EXPECT_EQ(core().windowName(), name);
    EXPECT_NE(CSpectrumViewSelection().SetByWindowName(name), 0u);
    EXPECT_EQ(CSpectrumViewSelection().SetByWindowName(caption), 0u);

    const fs::path folder = testFolder("named");
    ui.answerFileDialog({(folder / "trial.experiment").string()});
    run(res::ID_SAVE_EXPERIMENT);
    EXPECT_EQ(core().windowName(), "trial.experiment");
    ui.answerFileDialog({(folder / "trial.experiment").string()});
    run(res::ID_OPEN_EXPERIMENT);
    EXPECT_EQ(core().windowName(), "trial.experiment");
    EXPECT_NE(CSpectrumViewSelection().SetByWindowName("TRIAL.experiment"), 0u);
    EXPECT_EQ(CSpectrumViewSelection().SetByWindowName((folder / "trial.experiment").string()), 0u);

    // What the automation object's ShowName property sets.
    core().setShowNextName(0);
    EXPECT_EQ(spectrum->windowTitle().toStdString(), "trial.experiment");
    EXPECT_NE(CSpectrumViewSelection().SetByWindowName("trial.experiment"), 0u);
}

} // namespace
