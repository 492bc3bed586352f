// The spectrum window's files as a user meets them in the program's own frame: every save
// either writes or says why, an existing file is only replaced after the question, an open
// either reads or says why and leaves the window as it was, the program's own SPC files open
// without a bogus question, every file dialog lists its kind of file, and scripts find the
// window by the name it shows.
#include "app/automation/SpectrumViewSelection.h"
#include "app/dialogs/ValueDialog.h"
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
#include "tests/app/qt/frames/MainFrameFixture.h"
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
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
namespace res = app::res;

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

class SpectrumFilesWindowTest : public frames_test::MainFrameFixture
{
protected:
    void SetUp() override
    {
        // Every save shows its dialog.
        CINIFileSupport store(nullptr, 1);
        store.WriteInt("Preferences\\AutoIncrement", "Enabled", 0);
        store.WriteInt("Preferences\\AutoIncrement", "ShowNextNameEnabled", 0);
        ASSERT_NO_FATAL_FAILURE(startProgram(true, QSize(), testFolder("configuration").string()));
    }

    CHarluneSpectrumView& core() { return view->core(); }
    ChannelSpectra& spectra() { return core().document().spectra(); }

    // Runs the menu item the user reaches by these texts ("File > Save > Sample...").
    void run(const char* path)
    {
        ASSERT_NO_FATAL_FAILURE(runMenuItem(frames_test::menuPath(path)));
    }

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
};

constexpr const char* kSaveSample = "File > Save > Sample...";
constexpr const char* kOpenSample = "File > Open > Sample...";
constexpr const char* kOpenExperiment = "File > Open > Experiment...";

struct SaveRow
{
    const char* name;
    // The menu item that gives the window something to save first (empty: none).
    const char* prepare;
    const char* command;
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
    {"experiment", "", "File > Save > Experiment...", "run.experiment", "run.experiment", false,
     "[Acquisition Parameters]"},
    {"display settings", "", "View > Display Property Files > Save Display Settings...",
     "run.display", "run.display", false, "[GraphSettings]"},
    {"sample", "", kSaveSample, "run.sample", "run.Master.Sample", true, "Harlune Version"},
    {"processed", "", "File > Save > Processed...", "run.scope", "run.Master.Scope", true,
     "Harlune Version"},
    {"dark", "Spectrum > Store Dark", "File > Save > Dark...", "run.dark", "run.Master.Dark", true,
     "Harlune Version"},
    {"reference", "Spectrum > Store Reference", "File > Save > Reference...", "run.reference",
     "run.Master.Reference", true, "Harlune Version"},
};

TEST_F(SpectrumFilesWindowTest, SavesAskBeforeReplacingAndSayWhyTheyFail)
{
    for (const SaveRow& row : kSaveRows) {
        SCOPED_TRACE(row.name);
        const fs::path folder = testFolder(std::string("save-") + row.name);
        const fs::path written = folder / row.written;
        if (*row.prepare != '\0')
            run(row.prepare);
        // Written display settings ask whether they become the default: No.
        const auto save = [&](const fs::path& chosen, bool writes = true) {
            ui.answerFileDialog({chosen.string()});
            if (writes && std::string(row.name) == "display settings")
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
        run(kSaveSample);
        ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
        EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Error");
        EXPECT_NE(ui.messageBoxes().back().text.find("could not be written"), std::string::npos);
        EXPECT_NE(ui.messageBoxes().back().text.find(c.reason), std::string::npos);
    }
}

// Saving over a read-only file says so, whatever kind of spectrum file is saved, and leaves
// the file as it was.
TEST_F(SpectrumFilesWindowTest, SavesOverAReadOnlyFileSayWhy)
{
    struct Case
    {
        const char* name;
        const char* command;
        int filterIndex;
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {
        {"sample", kSaveSample, 1, "run.sample", "run.Master.Sample"},
        {"sample as SPC", kSaveSample, 2, "run.sample", "run.Master.Sample.spc"},
        {"processed", "File > Save > Processed...", 1, "run.scope", "run.Master.Scope"},
        {"dark", "File > Save > Dark...", 1, "run.dark", "run.Master.Dark"},
    };
    run("Spectrum > Store Dark");
    const fs::path folder = testFolder("read-only-saves");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path written = folder / c.written;
        writeText(written, "old");
        fs::permissions(written, fs::perms::owner_read | fs::perms::group_read);
        const size_t mark = ui.messageBoxes().size();
        answerWarning(true);
        ui.answerFileDialog({(folder / c.chosen).string()}, c.filterIndex);
        run(c.command);
        ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
        EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Error");
        EXPECT_EQ(ui.messageBoxes().back().text,
                  "The file " + written.string() +
                      " could not be written.\nThe file is read-only.");
        EXPECT_EQ(readText(written), "old");
    }
}

// The settings and time acquisition files that cannot be written say why, in each command's
// own box, and a read-only file is left as it was.
TEST_F(SpectrumFilesWindowTest, SettingsAndTimeSavesThatFailSayWhy)
{
    struct Row
    {
        const char* name;
        const char* command;
        const char* chosen;
        const char* caption;
        // The box's first line before and after the file's name.
        const char* before;
        const char* after;
    };
    const Row rows[] = {
        {"experiment", "File > Save > Experiment...", "run.experiment", "Harlune Error",
         "The experiment file ", " could not be written."},
        {"display settings", "View > Display Property Files > Save Display Settings...",
         "run.display", "Save Display Settings", "The display settings could not be written to ",
         "."},
        {"time parameters", "Time Acquisition > Configure > Save Parameters...",
         "run.TimeParameters", "Save Time Acquisition Parameters",
         "The time acquisition parameters could not be written to ", "."},
        {"time data", "Time Acquisition > Save Data...", "run.TimeAcquisition",
         "Save Time Acquisition Data File", "The time acquisition data could not be written to ",
         "."},
    };
    enum class Place
    {
        ReadOnlyFile,
        MissingFolder,
        FolderOfThatName
    };
    for (const Row& row : rows) {
        for (const Place place :
             {Place::ReadOnlyFile, Place::MissingFolder, Place::FolderOfThatName}) {
            SCOPED_TRACE(std::string(row.name) + ", case " +
                         std::to_string(static_cast<int>(place)));
            fs::path folder = testFolder(std::string("failed-") + row.name);
            if (place == Place::MissingFolder)
                folder /= "missing";
            const fs::path written = folder / row.chosen;
            std::string reason;
            if (place == Place::ReadOnlyFile) {
                writeText(written, "old");
                fs::permissions(written, fs::perms::owner_read | fs::perms::group_read);
                reason = "The file is read-only.";
            } else if (place == Place::MissingFolder) {
                reason = "The folder " + folder.string() + " does not exist.";
            } else {
                fs::create_directories(written);
                reason = "It is a folder.";
            }
            const size_t mark = ui.messageBoxes().size();
            ui.answerFileDialog({written.string()});
            run(row.command);
            ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
            EXPECT_EQ(ui.messageBoxes().back().caption, row.caption);
            EXPECT_EQ(ui.messageBoxes().back().text,
                      row.before + written.string() + row.after + "\n" + reason);
            if (place == Place::ReadOnlyFile) {
                EXPECT_EQ(readText(written), "old");
            } else if (place == Place::MissingFolder) {
                EXPECT_FALSE(fs::exists(folder));
            }
        }
    }
}

// A small file system of its own, mounted while the object lives (only the superuser may).
class SmallDisk
{
public:
    explicit SmallDisk(fs::path where) : m_where(std::move(where))
    {
        fs::create_directories(m_where);
        const std::string command =
            "mount -t tmpfs -o size=64k tmpfs '" + m_where.string() + "' 2>/dev/null";
        m_mounted = geteuid() == 0 && std::system(command.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            (void)std::system(("umount '" + m_where.string() + "'").c_str());
    }
    bool mounted() const { return m_mounted; }

    // Fills the disk to its last byte.
    void fill() const
    {
        std::FILE* file = std::fopen((m_where / "filler").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), file) == block.size() &&
               std::fflush(file) == 0) {
        }
        std::fclose(file);
    }

private:
    fs::path m_where;
    bool m_mounted = false;
};

TEST_F(SpectrumFilesWindowTest, SavesOntoAFullDiskSayWhy)
{
    const fs::path folder = testFolder("full-disk");
    SmallDisk disk(folder / "disk");
    if (!disk.mounted())
        GTEST_SKIP() << "a small file system can only be mounted by the superuser";
    ASSERT_NO_FATAL_FAILURE(disk.fill());
    const size_t mark = ui.messageBoxes().size();
    ui.answerFileDialog({(folder / "disk" / "run.sample").string()});
    run(kSaveSample);
    ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
    EXPECT_EQ(ui.messageBoxes().back().text, "The file " +
                                                 (folder / "disk" / "run.Master.Sample").string() +
                                                 " could not be written.\nThere is no space left "
                                                 "on the disk.");
    EXPECT_FALSE(fs::exists(folder / "disk" / "run.Master.Sample"));
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
        const char* command;
        // The error for the files the window cannot take; empty: the header question.
        const char* error;
    };
    const Case cases[] = {
        {"sample", kOpenSample, ""},
        {"dark", "File > Open > Dark...", ""},
        {"reference", "File > Open > Reference...", ""},
        {"processed", "File > Open > Processed...", ""},
        {"experiment", kOpenExperiment, "could not be opened as an experiment file"},
        {"display settings", "View > Display Property Files > Restore Display Settings...",
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
    run(kOpenSample);
    EXPECT_EQ(spectra().sample[0][1], 12.0);
}

// Files the window cannot read are named in an error and change nothing.
TEST_F(SpectrumFilesWindowTest, BadFilesAreRefusedWithAReason)
{
    const fs::path folder = testFolder("bad-opens");
    // A sample saved as SPC, then cut short.
    ui.answerFileDialog({(folder / "good.sample").string()}, 2);
    run(kSaveSample);
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
        run(kOpenSample);
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
    run(kSaveSample);
    const fs::path spc = folder / "run.Master.Sample.spc";
    ASSERT_TRUE(fs::exists(spc));

    core().record().scansToAverage = 5;
    core().record().integration = 120;
    for (int i = 0; i < 100; ++i)
        spectra().sample[0][i] = 0.0;
    const size_t mark = ui.messageBoxes().size();
    ui.answerFileDialog({spc.string()});
    run(kOpenSample);
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
    run(kOpenSample);
    ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
    EXPECT_EQ(ui.messageBoxes().back().caption, "File Open Mismatch Warning");
    EXPECT_EQ(core().record().scansToAverage, 1);
    EXPECT_EQ(core().record().boxcarHalfWidth, 0);
    EXPECT_GE(core().record().integration, 1);
}

// What a file dialog showed: its name filters, and whether it listed a file of its kind and
// a file of another kind in the folder shown.
struct ShownFileDialog
{
    bool found = false;
    QStringList filters;
    QString selectedFilter;
    bool kindListed = false;
    bool otherListed = true;
};

// Watches for the next modal file dialog (within a bound), turns it to the folder, reads what
// it shows and cancels it; any other modal window met instead is cancelled too, so a road that
// asks something else first cannot hang the test.
void watchNextFileDialog(const fs::path& folder, const fs::path& kind, const fs::path& other,
                         ShownFileDialog& shown)
{
    QTimer::singleShot(0, [folder, kind, other, &shown] {
        runUntil([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                modal->reject();
            return;
        }
        shown.found = true;
        shown.filters = dialog->nameFilters();
        shown.selectedFilter = dialog->selectedNameFilter();
        dialog->setDirectory(QString::fromStdString(folder.string()));
        auto* model = dialog->findChild<QFileSystemModel*>();
        if (model != nullptr) {
            // The names the dialog's list shows: the rows under the folder shown. (Asking the
            // model for a path would add that file to the rows, filtered or not.)
            const auto names = [model] {
                QStringList shownNames;
                const QModelIndex root = model->index(model->rootPath());
                for (int row = 0; row < model->rowCount(root); ++row)
                    shownNames.append(model->fileName(model->index(row, 0, root)));
                return shownNames;
            };
            const QString kindName = QString::fromStdString(kind.filename().string());
            const QString otherName = QString::fromStdString(other.filename().string());
            // The folder is read by the model's own thread: wait for the file that must show.
            runUntil([&] { return names().contains(kindName); }, 5000);
            shown.kindListed = names().contains(kindName);
            shown.otherListed = names().contains(otherName);
        }
        dialog->reject();
    });
}

// Every file dialog of the program, reached by its menu item with Qt's own dialogs (offscreen),
// lists the files of its kind with its first filter, and not the files of another kind;
// cancelling it changes nothing.
TEST_F(SpectrumFilesWindowTest, EveryFileDialogListsItsKindOfFile)
{
    struct Case
    {
        const char* name;
        // The window whose menu holds the item: spectrum or grid.
        bool grid;
        const char* item;
        const char* file;
        // The pattern of the kind's filter, and a file of another kind.
        const char* pattern;
        const char* other;
    };
    const Case cases[] = {
        {"open dark", false, "File > Open > Dark...", "run.Master.Dark", "*.dark", "x.csv"},
        {"open reference", false, "File > Open > Reference...", "run.Master.Reference",
         "*.reference", "x.csv"},
        {"open sample", false, "File > Open > Sample...", "run.Master.Sample", "*.sample", "x.csv"},
        {"open processed", false, "File > Open > Processed...", "run.Master.Absorbance",
         "*.absorbance", "x.csv"},
        {"open experiment", false, "File > Open > Experiment...", "run.experiment", "*.experiment",
         "x.csv"},
        {"save sample", false, "File > Save > Sample...", "run.Master.Sample", "*.sample", "x.csv"},
        {"save experiment", false, "File > Save > Experiment...", "run.experiment", "*.experiment",
         "x.csv"},
        {"overlay slot", false, "Overlay > 1. -- Select to add overlay...", "run.Master.Scope",
         "*.scope", "x.csv"},
        {"restore display settings", false,
         "View > Display Property Files > Restore Display Settings...", "default.display",
         "*.display", "x.csv"},
        {"save display settings", false, "View > Display Property Files > Save Display Settings...",
         "default.display", "*.display", "x.csv"},
        {"open configuration", false, "Spectrometer > Open Configuration...", "Default.spec",
         "*.spec", "x.csv"},
        {"save configuration", false, "Spectrometer > Save Configuration As...", "Default.spec",
         "*.spec", "x.csv"},
        {"time parameters", false, "Time Acquisition > Configure > Restore Parameters...",
         "default.TimeParameters", "*.timeparameters", "x.csv"},
        {"save time parameters", false, "Time Acquisition > Configure > Save Parameters...",
         "default.TimeParameters", "*.timeparameters", "x.csv"},
        {"script", false, "Script > Open and Execute Script...", "run.bas", "*.bas", "x.csv"},
        {"autorun script", false, "Script > AutoRun Script > Select Script...", "run.bas", "*.bas",
         "x.csv"},
        {"grid CSV", true, "File > Open CSV File...", "table.csv", "*.csv", "x.sample"},
        {"grid spectrum", true, "File > Open Spectrum File...", "run.Master.Sample", "*.sample",
         "x.csv"},
        {"grid save sheet", true, "File > Save Current Sheet...", "table.csv", "*.csv", "x.sample"},
    };
    const fs::path folder = testFolder("listed");
    for (const Case& c : cases) {
        writeText(folder / c.file, "x");
        writeText(folder / c.other, "x");
    }
    const auto openGrid = [&] {
        answerNextModal<app::dialogs::ValueDialog>(
            [](app::dialogs::ValueDialog& dialog) { dialog.pressOk(); });
        run("File > Grid Window...");
        ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() != spectrum; }, 5000));
    };
    platform::qt::QtUiServices real;
    platform::qt::ScopedUiServices scopedReal(real);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.grid && frame->MDIGetActive() == spectrum) {
            ASSERT_NO_FATAL_FAILURE(openGrid());
        }
        const int snapshot = core().snapshotState();
        ShownFileDialog shown;
        watchNextFileDialog(folder, folder / c.file, folder / c.other, shown);
        run(c.item);
        ASSERT_TRUE(shown.found);
        ASSERT_FALSE(shown.filters.isEmpty());
        SCOPED_TRACE(shown.filters.join(QStringLiteral(" | ")).toStdString());
        EXPECT_TRUE(
            shown.filters.front().contains(QString::fromUtf8(c.pattern), Qt::CaseInsensitive))
            << shown.filters.front().toStdString();
        EXPECT_EQ(shown.selectedFilter, shown.filters.front());
        EXPECT_TRUE(shown.kindListed);
        EXPECT_FALSE(shown.otherListed);
        EXPECT_EQ(core().snapshotState(), snapshot);
    }
}

// Scripts choose the window by the name it shows, without the next save name, after Save
// Name is switched on and after an experiment named it; switching the name off over
// automation strips the caption as the menu does.
TEST_F(SpectrumFilesWindowTest, ScriptsFindTheWindowByItsName)
{
    const std::string name = spectrum->windowTitle().toStdString();
    ASSERT_FALSE(name.empty());
    run("File > Autoincrement Filenames > Enabled");
    run("File > Autoincrement Filenames > Show Name");
    const std::string caption = spectrum->windowTitle().toStdString();
    EXPECT_EQ(caption.rfind(name + " | Next Save Filename: ", 0), 0u);
    EXPECT_EQ(core().windowName(), name);
    EXPECT_NE(CSpectrumViewSelection().SetByWindowName(name), 0u);
    EXPECT_EQ(CSpectrumViewSelection().SetByWindowName(caption), 0u);

    const fs::path folder = testFolder("named");
    ui.answerFileDialog({(folder / "trial.experiment").string()});
    run("File > Save > Experiment...");
    EXPECT_EQ(core().windowName(), "trial.experiment");
    ui.answerFileDialog({(folder / "trial.experiment").string()});
    run(kOpenExperiment);
    EXPECT_EQ(core().windowName(), "trial.experiment");
    EXPECT_NE(CSpectrumViewSelection().SetByWindowName("TRIAL.experiment"), 0u);
    EXPECT_EQ(CSpectrumViewSelection().SetByWindowName((folder / "trial.experiment").string()), 0u);

    // What the automation object's ShowName property sets.
    core().setShowNextName(0);
    EXPECT_EQ(spectrum->windowTitle().toStdString(), "trial.experiment");
    EXPECT_NE(CSpectrumViewSelection().SetByWindowName("trial.experiment"), 0u);
}

} // namespace
