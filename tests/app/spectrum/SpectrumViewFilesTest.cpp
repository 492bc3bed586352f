// The spectrum view's file commands against the fakes: saves, opens, experiments, the
// autoincrementing names, the autosave and Open Configuration.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace app::spectrum;
using namespace app::spectrum::test;
using namespace app::res;
using namespace platform::chart;
namespace fs = std::filesystem;

namespace {

constexpr uint16_t kFilesVelkoType = 0x500; // 256 pixels
constexpr uint16_t kJolvarType = 0x600;     // 3648 pixels

struct FilesView
{
    explicit FilesView(std::array<int, 8> enabled = {1, 1, 0, 0, 0, 0, 0, 0},
                       uint16_t type = kFilesVelkoType, bool create = true)
    {
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(type);
        c.SetADCType(255);
        c.SetSerialNumber("S100");
        const float coefs[4] = {400.0f, 0.5f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, static_cast<uint16_t>(enabled[k]));
            c.SetWavelengthCoefs(k, coefs);
        }
        frame.prefs.CheckFileConformity = 0;
        frame.prefs.FileOverwriteWarning = 0;
        if (create) {
            view->OnCreate();
            EXPECT_TRUE(view->Create());
            view->OnShowWindow();
        }
    }
    ChannelSpectra& spectra() { return document->spectra(); }
    int pixels() { return static_cast<int>(view->configuration().GetPixelCount()); }
    void answer(const std::vector<std::string>& paths, int filterIndex = 1)
    {
        window.fileAnswers.push_back(SpectrumFileDialogResult{paths, filterIndex});
    }
    void fill(ChannelArrays& arrays, ChannelFlags* stored, int channel, double base)
    {
        for (int i = 0; i < kSpectrumPoints; ++i)
            arrays[channel][i] = base + i;
        if (stored != nullptr)
            (*stored)[channel] = 1;
    }

    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

class SpectrumViewFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int tests = 0;
        const fs::path registry = freshFolder("files-registry-" + std::to_string(++tests));
        setenv("HARLUNE_REGISTRY_DIR", (registry / "hives").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (registry / "config").c_str(), 1);
        folder = freshFolder("files-" + std::to_string(tests));
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer",
                          (folder / "window.spec").string().c_str());
    }
    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename() != "window.spec")
                names.insert(fs::relative(entry.path(), folder).string());
        return names;
    }
    std::string firstLine(const std::string& name) const
    {
        const std::string bytes = readBytes(folder / name);
        return bytes.substr(0, bytes.find('\r'));
    }
    fs::path folder;
};

// A data file of the window's kind: the header as the window would write it, values
// base + i.
std::string writeData(FilesView& w, const fs::path& path, int channel, int points, double base,
                      int format = 1)
{
    std::vector<double> wl(kSpectrumPoints), v(kSpectrumPoints);
    for (int i = 0; i < kSpectrumPoints; ++i) {
        wl[i] = w.spectra().wavelengths[0][i];
        v[i] = base + i;
    }
    SpectrumFileHeader header;
    header.version = "5.1.0.7";
    header.serialNumber = "S100";
    header.channel = channel;
    header.integrationTime = w.view->record().integration;
    header.averages = w.view->record().scansToAverage;
    header.boxcar = w.view->record().boxcarHalfWidth;
    header.numberOfPoints = points;
    EXPECT_EQ(w.document->WriteDataFile(path.string(), header, format, wl.data(), v.data()), 0);
    return format == 2 ? path.string() + ".spc" : path.string();
}

// ---------------------------------------------------------------------------------------
// Saves

TEST_F(SpectrumViewFiles, SaveMembersWriteTheirFilesSoundsIndexAndTitle)
{
    struct Case
    {
        std::string name;
        std::function<void(FilesView&, const fs::path&)> setUp;
        unsigned command;
        std::set<std::string> written;
        std::vector<std::string> sounds;
        int index;
        std::string titleTail;
    };
    const std::vector<Case> cases = {
        {"dialog path",
         [](FilesView& w, const fs::path& f) { w.answer({(f / "run.dark").string()}); },
         ID_SAVE_DARK,
         {"run.Master.Dark", "run.Slave1.Dark"},
         {"dark.wav"},
         7,
         ""},
        {"autoincrement",
         [](FilesView& w, const fs::path&) {
             w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
             w.view->OnCommand(ID_AUTOINCREMENT_SHOW_NAME);
         },
         ID_SAVE_DARK,
         {"run.00000007.Master.Dark", "run.00000007.Slave1.Dark"},
         {"dark.wav"},
         8,
         "run.00000008"},
        {"selected channels OK",
         [](FilesView& w, const fs::path& f) {
             w.frame.viewPrefs.SaveFilesForSelected = 1;
             w.window.channelSelection = std::array<int, 8>{0, 1, 0, 0, 0, 0, 0, 0};
             w.answer({(f / "sel.reference").string()});
         },
         ID_SAVE_REFERENCE,
         {"sel.Slave1.Reference"},
         {"reference.wav"},
         7,
         ""},
        {"selected channels Cancel",
         [](FilesView& w, const fs::path&) {
             w.frame.viewPrefs.SaveFilesForSelected = 1;
             w.window.channelSelection.reset();
             w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
         },
         ID_SAVE_DARK,
         {},
         {"dark.wav"},
         8,
         ""},
        {"SPC by default",
         [](FilesView& w, const fs::path& f) {
             w.frame.viewPrefs.DefaultFileFormat = 2;
             w.answer({(f / "spc.dark").string()}, 2);
         },
         ID_SAVE_DARK,
         {"spc.Master.Dark.spc", "spc.Slave1.Dark.spc"},
         {"dark.wav"},
         7,
         ""},
        {"sample",
         [](FilesView& w, const fs::path& f) { w.answer({(f / "s.sample").string()}); },
         ID_SAVE_SAMPLE,
         {"s.Master.Sample", "s.Slave1.Sample"},
         {"data.wav"},
         7,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder / c.name);
        fs::create_directories(folder / c.name);
        const fs::path sub = folder / c.name;
        {
            // Each case starts with autoincrement off, whatever the case before left behind.
            CINIFileSupport store(nullptr, 1);
            store.WriteInt("Preferences\\AutoIncrement", "Enabled", 0);
            store.WriteInt("Preferences\\AutoIncrement", "ShowNextNameEnabled", 0);
        }
        FilesView w;
        w.frame.prefs.SoundEnabled = 1;
        w.frame.viewPrefs.SaveDarkSound = "dark.wav";
        w.frame.viewPrefs.SaveReferenceSound = "reference.wav";
        w.frame.viewPrefs.SaveDataSound = "data.wav";
        w.window.autoincrementAnswer = AutoincrementDialogValues{(sub / "run").string(), "7"};
        w.view->OnCommand(ID_AUTOINCREMENT_CONFIGURE);
        w.fill(w.spectra().dark, &w.spectra().darkStored, 0, 10.0);
        w.fill(w.spectra().dark, &w.spectra().darkStored, 1, 20.0);
        w.fill(w.spectra().reference, &w.spectra().referenceStored, 1, 30.0);
        c.setUp(w, sub);
        w.window.sounds.clear();
        w.view->OnCommand(c.command);
        std::set<std::string> written;
        for (const auto& e : fs::directory_iterator(sub))
            written.insert(e.path().filename().string());
        EXPECT_EQ(written, c.written);
        for (const std::string& name : written) {
            if (name.find(".spc") == std::string::npos) {
                EXPECT_EQ(readBytes(sub / name).substr(0, 34),
                          "Harlune Version 5.1.0.7 Data File\r");
            }
        }
        EXPECT_EQ(w.window.sounds, c.sounds);
        EXPECT_EQ(w.view->autoIncrementIndex(), c.index);
        if (!c.titleTail.empty()) {
            EXPECT_EQ(w.window.title,
                      "Spectrum1 | Next Save Filename: " + (sub / c.titleTail).string());
        }
        EXPECT_EQ(w.window.waitDepth, 0);
    }
}

TEST_F(SpectrumViewFiles, SavedHeaderCarriesTheWindowsAcquisition)
{
    FilesView w;
    w.fill(w.spectra().dark, &w.spectra().darkStored, 0, 10.0);
    w.view->record().integration = 250;
    w.view->record().scansToAverage = 3;
    w.answer({(folder / "h.dark").string()});
    w.view->OnCommand(ID_SAVE_DARK);
    SpectrumFileHeader header;
    SpectrumArray wl{}, values{};
    ASSERT_EQ(w.document->ReadDataFile((folder / "h.Master.Dark").string(), header, wl, values), 0);
    EXPECT_EQ(header.user, "tester");
    EXPECT_EQ(header.serialNumber, "S100");
    EXPECT_EQ(header.integrationTime, 250);
    EXPECT_EQ(header.averages, 3);
    EXPECT_EQ(header.numberOfPoints, 256);
    EXPECT_DOUBLE_EQ(values[255], 265.0);
    // "%m-%d-%Y, %H:%M:%S"
    ASSERT_EQ(header.date.size(), 20u);
    EXPECT_EQ(header.date[2], '-');
    EXPECT_EQ(header.date[10], ',');
}

TEST_F(SpectrumViewFiles, MorvelDefaultDarkGoesBesideTheProgram)
{
    FilesView w;
    w.frame.family = "Morvel";
    w.frame.programFolder = folder.string();
    w.window.replies.push_back({SpectrumDocWindow::Answer::Yes});
    w.spectra().sample[0][5] = 42.0;
    w.view->OnCommand(ID_STORE_DARK);
    EXPECT_TRUE(w.window.fileRequests.empty());
    EXPECT_EQ(files(), (std::set<std::string>{"Morvel.Master.Dark", "Morvel.Slave1.Dark"}));
    EXPECT_EQ(w.frame.lastDark, (folder / "Morvel.Slave1.Dark").string());
    // Outside a store command the same save asks for a name.
    w.view->OnCommand(ID_SAVE_DARK);
    EXPECT_EQ(w.window.fileRequests.size(), 1u);

    // The next window of the family starts with the default dark; a missing default
    // reference is skipped.
    FilesView next({1, 1, 0, 0, 0, 0, 0, 0}, kFilesVelkoType, false);
    next.frame.family = "Morvel";
    next.frame.lastDark = (folder / "Morvel.Master.Dark").string();
    next.frame.lastReference = (folder / "gone.Master.Reference").string();
    next.view->OnCreate();
    ASSERT_TRUE(next.view->Create());
    EXPECT_EQ(next.spectra().darkStored[0], 1u);
    EXPECT_DOUBLE_EQ(next.spectra().dark[0][5], 42.0);
    EXPECT_EQ(next.spectra().referenceStored, ChannelFlags{});
    EXPECT_EQ(next.view->darkStored(), 0);
}

TEST_F(SpectrumViewFiles, SaveDarkWithNothingStoredWritesNothingButPlaysItsSound)
{
    FilesView w;
    w.frame.prefs.SoundEnabled = 1;
    w.frame.viewPrefs.SaveDarkSound = "dark.wav";
    w.answer({(folder / "none.dark").string()});
    w.view->OnCommand(ID_SAVE_DARK);
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(w.window.sounds, std::vector<std::string>{"dark.wav"});
}

TEST_F(SpectrumViewFiles, EnablingRulesOfTheSaveCommands)
{
    FilesView w;
    EXPECT_FALSE(w.view->commandState(ID_SAVE_DARK).enabled);
    EXPECT_FALSE(w.view->commandState(ID_SAVE_REFERENCE).enabled);
    EXPECT_FALSE(w.view->commandState(ID_SAVE_SAMPLE_DARK).enabled);
    EXPECT_TRUE(w.view->commandState(ID_SAVE_PROCESSED).enabled);
    w.spectra().darkStored[3] = 1;
    w.spectra().referenceStored[2] = 1;
    w.spectra().sampleDarkStored[0] = 1;
    EXPECT_TRUE(w.view->commandState(ID_SAVE_DARK).enabled);
    EXPECT_TRUE(w.view->commandState(ID_SAVE_REFERENCE).enabled);
    EXPECT_FALSE(w.view->commandState(ID_SAVE_SAMPLE_DARK).enabled);
    w.view->OnCommand(ID_TIME_NORMALIZED_ENABLE);
    EXPECT_TRUE(w.view->commandState(ID_SAVE_SAMPLE_DARK).enabled);
    EXPECT_EQ(w.view->commandState(ID_AUTOINCREMENT_ENABLED).checked, 0);
    w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
    EXPECT_EQ(w.view->commandState(ID_AUTOINCREMENT_ENABLED).checked, 1);
    EXPECT_EQ(w.view->commandState(ID_AUTOINCREMENT_SHOW_NAME).checked, 0);
}

TEST_F(SpectrumViewFiles, AutoincrementTogglesShowAndStripTheNextName)
{
    FilesView w;
    w.window.autoincrementAnswer = AutoincrementDialogValues{"/d/run", "00000012"};
    w.view->OnCommand(ID_AUTOINCREMENT_CONFIGURE);
    EXPECT_EQ(w.window.autoincrementDialogs.at(0).startingIndex, "00000000");
    w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
    EXPECT_EQ(w.window.title, "Spectrum1");
    w.view->OnCommand(ID_AUTOINCREMENT_SHOW_NAME);
    EXPECT_EQ(w.window.title, "Spectrum1 | Next Save Filename: /d/run.00000012");
    w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
    EXPECT_EQ(w.window.title, "Spectrum1");
}

TEST_F(SpectrumViewFiles, DottedFolderKeepsTheFilesInTheChosenFolder)
{
    FilesView w;
    fs::create_directories(folder / "data.old");
    w.fill(w.spectra().dark, &w.spectra().darkStored, 0, 1.0);
    w.answer({(folder / "data.old" / "run.dark").string()});
    w.view->OnCommand(ID_SAVE_DARK);
    EXPECT_EQ(files(), std::set<std::string>{"data.old/run.Master.Dark"});
    EXPECT_EQ(cutBeforeFirstDotInName("./run"), "./run");
    EXPECT_EQ(cutBeforeFirstDotInName("/home/u/.local/a.b.c"), "/home/u/.local/a");
    EXPECT_EQ(cutBeforeFirstDotInName("C:\\s.x\\run.dark"), "C:\\s.x\\run");
}

TEST_F(SpectrumViewFiles, SaveProcessedNamesEachModesFile)
{
    struct Case
    {
        unsigned modeCommand;
        std::string file;
    };
    const std::vector<Case> cases = {
        {ID_MODE_SCOPE, "p.Master.Scope"},
        {ID_MODE_ABSORBANCE, "p.Master.Absorbance"},
        {ID_MODE_TRANSMISSION, "p.Master.Transmission"},
        {ID_MODE_IRRADIANCE, "p.Master.Irradiance"},
        {ID_MODE_CUSTOM, "p.Master.Conc"},
        {ID_MODE_SPECULAR_REFLECTION, "p.Master.Reflection"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::remove_all(folder / "p");
        fs::create_directories(folder / "p");
        FilesView w({1, 0, 0, 0, 0, 0, 0, 0});
        w.view->setCustomModeEnabled(1);
        w.view->setCustomExtension("Conc");
        w.fill(w.spectra().dark, &w.spectra().darkStored, 0, 1.0);
        w.fill(w.spectra().reference, &w.spectra().referenceStored, 0, 100.0);
        w.view->OnCommand(c.modeCommand);
        w.answer({(folder / "p" / "p.scope").string()});
        w.view->OnCommand(ID_SAVE_PROCESSED);
        EXPECT_EQ(files(), std::set<std::string>{"p/" + c.file});
        EXPECT_NE(w.window.fileRequests.back().filters.find("*.Conc|"), std::string::npos);
    }
}

TEST_F(SpectrumViewFiles, SaveProcessedWritesItsCompanionsAndNotes)
{
    FilesView w({1, 0, 0, 0, 0, 0, 0, 0});
    w.fill(w.spectra().dark, &w.spectra().darkStored, 0, 1.0);
    w.fill(w.spectra().reference, &w.spectra().referenceStored, 0, 100.0);
    w.frame.viewPrefs.AlwaysSaveDark = 1;
    w.frame.viewPrefs.AlwaysSaveReference = 1;
    w.frame.viewPrefs.AlwaysSaveSample = 1;
    w.frame.viewPrefs.AlwaysSaveExperiment = 1;
    w.view->OnCommand(ID_TIME_NORMALIZED_ENABLE);
    w.answer({(folder / "c.scope").string()});
    w.view->OnCommand(ID_SAVE_PROCESSED);
    // The experiment goes under the base name, its data files beside it; no notes, no
    // ".anno".
    EXPECT_EQ(files(),
              (std::set<std::string>{"c", "c.Master.Scope", "c.Master.Dark", "c.Master.SampleDark",
                                     "c.Master.Reference", "c.Master.Sample"}));
    EXPECT_EQ(w.view->experimentFile(), "");

    // With a note, the note file goes beside the processed file only.
    FilesView n({1, 0, 0, 0, 0, 0, 0, 0});
    const auto origin = n.window.screenOrigin;
    n.view->OnContextMenu(origin[0] + 50, origin[1] + 50);
    n.window.annotationAnswers.push_back(AnnotationDialogValues{"peak", 0xFF, 16, "Arial"});
    n.view->OnCommand(ID_ANNOTATE_HERE);
    fs::create_directories(folder / "n");
    n.answer({(folder / "n" / "n.scope").string()});
    n.view->OnCommand(ID_SAVE_PROCESSED);
    EXPECT_TRUE(fs::exists(folder / "n" / "n.Master.Scope.anno"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "n"), fs::directory_iterator()), 2);
}

// ---------------------------------------------------------------------------------------
// Opens

TEST_F(SpectrumViewFiles, OpenDarkTakesEachFilesChannelAndTheLastFileWins)
{
    FilesView w;
    const std::string a = writeData(w, folder / "a.dark", 0, 256, 100.0);
    const std::string b = writeData(w, folder / "b.dark", 1, 256, 200.0);
    const std::string c = writeData(w, folder / "c.dark", 0, 256, 300.0);
    w.answer({a, b, c});
    w.view->OnCommand(ID_OPEN_DARK);
    EXPECT_DOUBLE_EQ(w.spectra().dark[0][10], 310.0);
    EXPECT_DOUBLE_EQ(w.spectra().dark[1][10], 210.0);
    EXPECT_EQ(w.spectra().darkStored[0], 1u);
    EXPECT_EQ(w.spectra().darkStored[1], 1u);
    EXPECT_EQ(w.view->darkStored(), 1);
    EXPECT_TRUE(w.window.fileRequests.at(0).multiSelect);
    EXPECT_EQ(w.window.fileRequests.at(0).title, "Open Dark Spectra");
}

TEST_F(SpectrumViewFiles, DeclinedMismatchSkipsOneFileAndOpensTheOthers)
{
    FilesView w;
    w.frame.prefs.CheckFileConformity = 1;
    const std::string a = writeData(w, folder / "a.reference", 0, 256, 100.0);
    w.view->record().integration = 999;
    const std::string b = writeData(w, folder / "b.reference", 1, 256, 200.0);
    w.view->record().integration = 100;
    w.answer({b, a});
    w.window.replies.push_back({SpectrumDocWindow::Answer::Cancel});
    w.view->OnCommand(ID_OPEN_REFERENCE);
    EXPECT_EQ(w.window.captions, std::vector<std::string>{"File Open Mismatch Warning"});
    EXPECT_EQ(w.spectra().referenceStored[1], 0u);
    EXPECT_EQ(w.spectra().referenceStored[0], 1u);
    EXPECT_DOUBLE_EQ(w.spectra().reference[0][3], 103.0);
}

TEST_F(SpectrumViewFiles, YesInTheMismatchTakesTheFilesParameters)
{
    FilesView w;
    w.frame.prefs.CheckFileConformity = 1;
    w.view->record().integration = 40;
    const std::string a = writeData(w, folder / "a.sample", 0, 256, 1.0);
    w.view->record().integration = 100;
    w.answer({a});
    w.window.replies.push_back({SpectrumDocWindow::Answer::Yes});
    w.view->OnCommand(ID_OPEN_SAMPLE);
    EXPECT_EQ(w.view->record().integration, 40);
    EXPECT_EQ(w.view->snapshotState(), 1);
}

// SPC files carry wavelengths but no acquisition parameters: the check of an SPC reference
// finds the shifted wavelengths, never the integration time the format does not hold.
TEST_F(SpectrumViewFiles, SpcDarkSkipsTheCheckAndSpcReferenceRunsIt)
{
    FilesView w;
    w.frame.prefs.CheckFileConformity = 1;
    w.view->record().integration = 5;
    w.spectra().wavelengths[0][3] += 1.0;
    const std::string dark = writeData(w, folder / "x.dark", 0, 256, 1.0, 2);
    const std::string reference = writeData(w, folder / "x.reference", 0, 256, 1.0, 2);
    w.spectra().wavelengths[0][3] -= 1.0;
    w.view->record().integration = 100;
    w.answer({dark});
    w.view->OnCommand(ID_OPEN_DARK);
    EXPECT_TRUE(w.window.captions.empty());
    EXPECT_EQ(w.spectra().darkStored[0], 1u);
    w.answer({reference});
    w.window.replies.push_back({SpectrumDocWindow::Answer::No});
    w.view->OnCommand(ID_OPEN_REFERENCE);
    EXPECT_EQ(w.window.captions, std::vector<std::string>{"File Open Mismatch Warning"});
    EXPECT_EQ(w.spectra().referenceStored[0], 1u);
}

TEST_F(SpectrumViewFiles, HeaderlessProcessedFileClearsTheTitleWithoutAQuestion)
{
    FilesView w;
    w.frame.prefs.CheckFileConformity = 1;
    w.frame.prefs.NoFileHeaderWarning = 0;
    w.view->SetGraphTitle("Old title");
    writeBytes(folder / "plain.scope", "500.0\t1.5\r\n501.0\t2.5\r\n");
    w.answer({(folder / "plain.scope").string()});
    w.view->OnCommand(ID_OPEN_PROCESSED);
    EXPECT_TRUE(w.window.captions.empty());
    EXPECT_EQ(w.view->GetGraphTitle(), "");
    EXPECT_DOUBLE_EQ(w.spectra().processed[0][1], 2.5);
    EXPECT_EQ(w.view->snapshotState(), 1);
}

TEST_F(SpectrumViewFiles, RefusedOrDeclinedProcessedFileChangesNothingAndKeepsTheNotes)
{
    FilesView w;
    const auto origin = w.window.screenOrigin;
    w.view->OnContextMenu(origin[0] + 50, origin[1] + 50);
    w.window.annotationAnswers.push_back(AnnotationDialogValues{"mine", 0xFF, 16, "Arial"});
    w.view->OnCommand(ID_ANNOTATE_HERE);
    ASSERT_EQ(w.view->annotation(0).inUse, 1);

    // A declined file: its notes are not read.
    w.frame.prefs.CheckFileConformity = 1;
    w.view->record().integration = 7;
    const std::string declined = writeData(w, folder / "d.scope", 0, 256, 1.0);
    w.view->record().integration = 100;
    writeBytes(folder / "d.scope.anno", std::string(4, '\0'));
    w.answer({declined});
    w.window.replies.push_back({SpectrumDocWindow::Answer::Cancel});
    w.view->OnCommand(ID_OPEN_PROCESSED);
    EXPECT_EQ(w.view->annotation(0).inUse, 1);
    EXPECT_STREQ(w.view->annotation(0).text, "mine");
    EXPECT_EQ(w.view->snapshotState(), 0);

    // A refused file (binary rubbish) changes nothing.
    writeBytes(folder / "bad.scope", std::string("\x01\x02\x00\x7f", 4));
    w.answer({(folder / "bad.scope").string()});
    const double before = w.spectra().processed[0][0];
    w.view->OnCommand(ID_OPEN_PROCESSED);
    EXPECT_EQ(w.view->annotation(0).inUse, 1);
    EXPECT_EQ(w.view->snapshotState(), 0);
    EXPECT_DOUBLE_EQ(w.spectra().processed[0][0], before);
}

TEST_F(SpectrumViewFiles, FortyFilesChosenAtOnceAreAllOpened)
{
    FilesView w({1, 1, 1, 1, 1, 1, 1, 1});
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i)
        paths.push_back(
            writeData(w, folder / ("a-rather-long-file-name-" + std::to_string(i) + ".sampledark"),
                      i % 8, 256, 1000.0 * i));
    w.answer(paths);
    w.view->OnCommand(ID_OPEN_SAMPLE_DARK);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(w.spectra().sampleDarkStored[k], 1u);
        EXPECT_DOUBLE_EQ(w.spectra().sampleDark[k][0], 1000.0 * (32 + k));
    }
}

TEST_F(SpectrumViewFiles, ShorterFileAfterALongerOneLeavesZerosBeyondItsEnd)
{
    FilesView w({1, 1, 0, 0, 0, 0, 0, 0}, kJolvarType);
    ASSERT_EQ(w.pixels(), 3648);
    const std::string longer = writeData(w, folder / "long.dark", 0, 3648, 5.0);
    const std::string shorter = writeData(w, folder / "short.dark", 1, 1024, 7.0);
    w.answer({longer, shorter});
    w.view->OnCommand(ID_OPEN_DARK);
    EXPECT_DOUBLE_EQ(w.spectra().dark[0][3000], 3005.0);
    EXPECT_DOUBLE_EQ(w.spectra().dark[1][1023], 1030.0);
    EXPECT_DOUBLE_EQ(w.spectra().dark[1][1024], 0.0);
    EXPECT_DOUBLE_EQ(w.spectra().dark[1][3000], 0.0);
}

TEST_F(SpectrumViewFiles, MicrosecondFileMatchesAMillisecondWindowOfTheSameTime)
{
    FilesView w;
    w.frame.prefs.CheckFileConformity = 1;
    w.view->record().integration = 20;
    std::vector<double> wl(kSpectrumPoints), v(kSpectrumPoints, 1.0);
    std::copy_n(w.spectra().wavelengths[0].begin(), kSpectrumPoints, wl.begin());
    SpectrumFileHeader header;
    header.serialNumber = "S100";
    header.integrationTime = 20000;
    header.microsecondFlag = 1;
    header.averages = w.view->record().scansToAverage;
    header.boxcar = w.view->record().boxcarHalfWidth;
    header.numberOfPoints = 256;
    const std::string path = (folder / "us.dark").string();
    ASSERT_EQ(w.document->WriteDataFile(path, header, 1, wl.data(), v.data()), 0);
    w.answer({path});
    w.view->OnCommand(ID_OPEN_DARK);
    EXPECT_TRUE(w.window.captions.empty());
    EXPECT_EQ(w.spectra().darkStored[0], 1u);

    // A different time: Yes converts it into the window's milliseconds.
    SpectrumFileHeader other = header;
    other.integrationTime = 70000000;
    const std::string slow = (folder / "slow.dark").string();
    ASSERT_EQ(w.document->WriteDataFile(slow, other, 1, wl.data(), v.data()), 0);
    w.answer({slow});
    w.window.replies.push_back({SpectrumDocWindow::Answer::Yes});
    w.view->OnCommand(ID_OPEN_DARK);
    ASSERT_EQ(w.window.messages.size(), 1u);
    EXPECT_NE(w.window.messages[0].find("Integration Time Mismatch:  File 70000000, Current 20000"),
              std::string::npos);
    EXPECT_EQ(w.view->record().integration, 65535);
}

// ---------------------------------------------------------------------------------------
// Experiments

TEST_F(SpectrumViewFiles, ExperimentRoundTripsIntoAFreshView)
{
    const std::string name = (folder / "e.experiment").string();
    {
        FilesView w({1, 1, 0, 0, 0, 0, 0, 0});
        w.view->record().integration = 321;
        w.view->record().scansToAverage = 4;
        w.view->record().triggerMode = 1;
        w.window.autoincrementAnswer = AutoincrementDialogValues{(folder / "auto").string(), "9"};
        w.view->OnCommand(ID_AUTOINCREMENT_CONFIGURE);
        w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
        w.fill(w.spectra().dark, &w.spectra().darkStored, 0, 11.0);
        w.fill(w.spectra().reference, &w.spectra().referenceStored, 0, 500.0);
        w.fill(w.spectra().dark, &w.spectra().darkStored, 1, 22.0);
        w.view->OnCommand(ID_MODE_ABSORBANCE);
        const std::string overlay = writeData(w, folder / "ov.scope", 0, 256, 77.0);
        w.window.chosenFile = overlay;
        w.view->OnCommand(ID_OVERLAY_FIRST + 2);
        w.answer({(folder / "e.exp").string()});
        w.view->OnCommand(ID_SAVE_EXPERIMENT);
        EXPECT_EQ(w.view->experimentFile(), name);
        EXPECT_EQ(w.window.fileRequests.back().defaultExtension, "exp");
    }
    EXPECT_TRUE(fs::exists(name));
    EXPECT_TRUE(fs::exists(folder / "e.Master.Dark"));
    EXPECT_TRUE(fs::exists(folder / "e.Master.Reference"));
    EXPECT_TRUE(fs::exists(folder / "e.Master.Absorbance"));
    EXPECT_TRUE(fs::exists(folder / "e.Slave1.Dark"));
    EXPECT_FALSE(fs::exists(folder / "e.experiment.writing"));
    // The data files carry the long date form.
    SpectrumFileHeader header;
    {
        FilesView r;
        SpectrumArray wl{}, values{};
        ASSERT_EQ(r.document->ReadDataFile((folder / "e.Master.Dark").string(), header, wl, values),
                  0);
        EXPECT_NE(header.date.find(", 20"), std::string::npos);
        EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(header.date[0])));
    }

    FilesView r({1, 0, 0, 0, 0, 0, 0, 0});
    r.answer({name});
    r.view->OnCommand(ID_OPEN_EXPERIMENT);
    EXPECT_EQ(r.view->record().integration, 321);
    EXPECT_EQ(r.view->record().scansToAverage, 4);
    EXPECT_EQ(r.view->record().triggerMode, 1);
    EXPECT_EQ(r.view->record().channelEnables[1], 1);
    EXPECT_EQ(r.view->processingMode(), Absorbance);
    EXPECT_EQ(r.view->autoIncrementEnabled(), 1);
    EXPECT_EQ(r.view->autoIncrementIndex(), 9);
    EXPECT_EQ(r.view->nextSaveFileName(), (folder / "auto.00000009").string());
    EXPECT_EQ(r.view->experimentFile(), name);
    EXPECT_EQ(r.spectra().darkStored[0], 1u);
    EXPECT_EQ(r.spectra().darkStored[1], 1u);
    EXPECT_EQ(r.spectra().referenceStored[0], 1u);
    EXPECT_DOUBLE_EQ(r.spectra().dark[1][7], 29.0);
    EXPECT_DOUBLE_EQ(r.spectra().reference[0][7], 507.0);
    EXPECT_EQ(r.document->overlays().loaded[2], 1);
    EXPECT_DOUBLE_EQ(r.document->overlays().values[2][1], 78.0);
    EXPECT_EQ(r.document->darkFileNames[0], (folder / "e.Master.Dark").string());
    EXPECT_GE(r.frame.nextScans, 1);
}

TEST_F(SpectrumViewFiles, ExperimentModesReopenThroughTheirCommands)
{
    // Custom has no "View Mode" and reopens as Scope; Irradiance asks the colour temperature
    // only when none is known.
    const std::string custom = (folder / "custom.txt").string();
    {
        FilesView w({1, 0, 0, 0, 0, 0, 0, 0});
        w.view->setCustomModeEnabled(1);
        w.view->OnCommand(ID_MODE_CUSTOM);
        w.answer({custom});
        w.view->OnCommand(ID_SAVE_EXPERIMENT);
    }
    EXPECT_TRUE(fs::exists(custom));
    EXPECT_EQ(readBytes(custom).find("View Mode"), std::string::npos);
    FilesView r;
    r.view->OnCommand(ID_MODE_ABSORBANCE);
    r.answer({custom});
    r.view->OnCommand(ID_OPEN_EXPERIMENT);
    EXPECT_EQ(r.view->processingMode(), Scope);

    writeBytes(folder / "irr.experiment",
               "[Acquisition Parameters]\r\nView Mode=Irradiance Mode\r\n"
               "Color Temperature=0\r\n");
    FilesView i;
    i.window.temperatureAnswer = "2800";
    i.answer({(folder / "irr.experiment").string()});
    i.view->OnCommand(ID_OPEN_EXPERIMENT);
    EXPECT_EQ(i.window.temperatureTexts.size(), 1u);
    EXPECT_EQ(i.view->processingMode(), RelativeIrradiance);
    EXPECT_DOUBLE_EQ(i.document->colorTemperature(), 2800.0);

    writeBytes(folder / "irr2.experiment",
               "[Acquisition Parameters]\r\nView Mode=Irradiance Mode\r\n");
    FilesView j;
    j.answer({(folder / "irr2.experiment").string()});
    j.view->OnCommand(ID_OPEN_EXPERIMENT);
    EXPECT_TRUE(j.window.temperatureTexts.empty());
    EXPECT_EQ(j.view->processingMode(), RelativeIrradiance);
}

TEST_F(SpectrumViewFiles, WindowsExperimentFindsItsDataFilesBesideIt)
{
    FilesView w;
    writeData(w, folder / "win.Master.Dark", 0, 256, 40.0);
    writeBytes(folder / "win.display", "[GraphSettings]\r\n");
    writeBytes(folder / "win.experiment",
               "[Settings]\r\nDisplay File=C:\\Data\\win.display\r\n"
               "Spectrometer File=C:\\Data\\gone.spec\r\n"
               "[Channel0]\r\nEnabled=1\r\nDark Stored=1\r\n"
               "Dark Filename=C:\\Data\\Run 1\\win.Master.Dark\r\n"
               "Sample Filename=C:\\Data\\Run 1\\missing.Master.Sample\r\n");
    FilesView r;
    r.answer({(folder / "win.experiment").string()});
    r.view->OnCommand(ID_OPEN_EXPERIMENT);
    EXPECT_EQ(r.spectra().darkStored[0], 1u);
    EXPECT_DOUBLE_EQ(r.spectra().dark[0][2], 42.0);
    EXPECT_EQ(r.view->displaySettingsFile(), (folder / "win.display").string());
    // A name found nowhere stays as stored.
    EXPECT_EQ(r.view->currentConfigurationFile(), "C:\\Data\\gone.spec");
}

TEST_F(SpectrumViewFiles, ExperimentValuesAreClampedAndMissingFilesChangeNothing)
{
    writeBytes(folder / "bad.experiment",
               "[Acquisition Parameters]\r\nIntegration Time=70000\r\nAverages=-99999\r\n"
               "Correct Dark=65537\r\n"
               "[Autosave]\r\nEnabled=1\r\nBaseFilename=" +
                   (folder / "big").string() +
                   "\r\nIndex=2147483647\r\n"
                   "[Channel0]\r\nEnabled=1\r\nDark Stored=1\r\n"
                   "Dark Filename=" +
                   (folder / "gone.dark").string() + "\r\nReference Stored=0\r\n");
    FilesView r({1, 0, 0, 0, 0, 0, 0, 0});
    r.fill(r.spectra().dark, nullptr, 0, 3.0);
    r.spectra().darkStored[0] = 0;
    r.fill(r.spectra().reference, &r.spectra().referenceStored, 0, 9.0);
    r.answer({(folder / "bad.experiment").string()});
    r.view->OnCommand(ID_OPEN_EXPERIMENT);
    EXPECT_EQ(r.view->record().integration, 65535);
    EXPECT_EQ(r.view->record().scansToAverage, INT16_MIN);
    EXPECT_EQ(r.view->record().correctForDark, 1);
    // The missing dark file leaves the array and the flag as they were.
    EXPECT_EQ(r.spectra().darkStored[0], 0u);
    EXPECT_DOUBLE_EQ(r.spectra().dark[0][4], 7.0);
    EXPECT_EQ(r.spectra().referenceStored[0], 0u);
    EXPECT_EQ(r.view->autoIncrementIndex(), INT_MAX);
    r.view->OnCommand(ID_SAVE_SAMPLE);
    EXPECT_TRUE(fs::exists(folder / "big.2147483647.Master.Sample"));
    EXPECT_EQ(r.view->autoIncrementIndex(), INT_MAX);
}

TEST_F(SpectrumViewFiles, CloseWritesTheExperimentWhenAlwaysSaveExperimentIsOn)
{
    const std::string name = (folder / "close.experiment").string();
    {
        FilesView w({1, 0, 0, 0, 0, 0, 0, 0});
        w.fill(w.spectra().dark, &w.spectra().darkStored, 0, 1.0);
        w.answer({name});
        w.view->OnCommand(ID_SAVE_EXPERIMENT);
        fs::remove(name);
        fs::remove(folder / "close.Master.Dark");
        w.frame.viewPrefs.AlwaysSaveExperiment = 1;
        w.view->OnDestroy();
    }
    EXPECT_TRUE(fs::exists(name));
    EXPECT_TRUE(fs::exists(folder / "close.Master.Dark"));
}

// ---------------------------------------------------------------------------------------
// Autosave

TEST_F(SpectrumViewFiles, ExternallyTriggeredScanSavesUnderTheNextIndex)
{
    FilesView w({1, 0, 0, 0, 0, 0, 0, 0});
    w.view->setAutosaveOnExternalTrigger(1);
    w.view->record().triggerMode = 1;
    w.window.autoincrementAnswer = AutoincrementDialogValues{(folder / "trig").string(), "3"};
    w.view->OnCommand(ID_AUTOINCREMENT_CONFIGURE);
    w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
    w.view->OnScanReady(0);
    EXPECT_EQ(files(), std::set<std::string>{"trig.00000003.Master.Scope"});
    EXPECT_EQ(w.view->autoIncrementIndex(), 4);

    // Without autoincrement the save dialog asks; Cancel writes nothing.
    w.view->OnCommand(ID_AUTOINCREMENT_ENABLED);
    w.view->OnScanReady(0);
    ASSERT_EQ(w.window.fileRequests.size(), 1u);
    EXPECT_EQ(w.window.fileRequests[0].title, "Save Processed Spectra");
    EXPECT_EQ(files().size(), 1u);

    // Trigger mode 0 never saves.
    w.view->record().triggerMode = 0;
    w.view->OnScanReady(0);
    EXPECT_EQ(w.window.fileRequests.size(), 1u);
}

// ---------------------------------------------------------------------------------------
// Spectrometer configuration

TEST_F(SpectrumViewFiles, OpenConfigurationSetsMultichannelModeByAdcType)
{
    struct Case
    {
        uint16_t adcType;
        uint16_t rotation;
        std::string call;
    };
    const std::vector<Case> cases = {
        {2, 0, "DisableMultichannel"},
        {6, 3, "EnableMultichannel(3)"},
        {7, 2, "EnableMultichannel(2)"},
        {10, 0, "DisableMultichannel"},
        {4, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.adcType);
        const std::string spec = (folder / "other.spec").string();
        {
            FilesView source;
            source.view->configuration().SetChannelRotation(c.rotation);
            ASSERT_TRUE(source.view->SaveSpectrometerConfiguration(spec));
        }
        FilesView w;
        w.frame.mainAdcType = c.adcType;
        w.driver.calls.clear();
        w.view->OpenSpectrometerConfiguration(spec);
        const int enables =
            w.driver.count("EnableMultichannel(" + std::to_string(c.rotation) + ")") +
            w.driver.count("DisableMultichannel");
        if (c.call.empty()) {
            EXPECT_EQ(enables, 0);
        } else {
            EXPECT_EQ(w.driver.count(c.call), 1);
        }
        EXPECT_EQ(w.view->currentConfigurationFile(), spec);
    }
}

TEST_F(SpectrumViewFiles, OpenConfigurationAsksUnlessManufacturingAndSetsTheRange)
{
    const std::string spec = (folder / "two.spec").string();
    {
        FilesView source({1, 0, 1, 0, 0, 0, 0, 0});
        const float coefs[4] = {600.0f, 1.0f, 0.0f, 0.0f};
        source.view->configuration().SetWavelengthCoefs(2, coefs);
        ASSERT_TRUE(source.view->SaveSpectrometerConfiguration(spec));
    }
    FilesView w({1, 1, 0, 0, 0, 0, 0, 0});
    w.spectra().processed[1][5] = 9.0;
    w.answer({spec});
    w.window.replies.push_back({SpectrumDocWindow::Answer::Yes});
    w.view->OnCommand(ID_OPEN_CONFIGURATION);
    EXPECT_EQ(w.window.captions, std::vector<std::string>{"Save Default Settings"});
    EXPECT_EQ(w.view->configurationFile(), spec);
    EXPECT_DOUBLE_EQ(XrtGetValue(w.view->chart(), kXrtXMin).toDouble(), 400.0);
    EXPECT_DOUBLE_EQ(XrtGetValue(w.view->chart(), kXrtXMax).toDouble(), 855.0);
    EXPECT_EQ(w.view->record().channelEnables[1], 0);
    EXPECT_EQ(w.view->record().channelEnables[2], 1);
    EXPECT_DOUBLE_EQ(w.spectra().processed[1][5], 0.0);
    EXPECT_DOUBLE_EQ(w.spectra().wavelengths[1][5], 0.0);

    FilesView m;
    m.frame.viewPrefs.ManufacturingExtensionsEnabled = 2;
    m.answer({spec});
    m.view->OnCommand(ID_OPEN_CONFIGURATION);
    EXPECT_TRUE(m.window.captions.empty());
}

TEST_F(SpectrumViewFiles, SaveConfigurationAsCompletesSpeAndAsksAlways)
{
    FilesView w;
    w.answer({(folder / "cfg.spe").string()});
    w.window.replies.push_back({SpectrumDocWindow::Answer::No});
    w.view->OnCommand(ID_SAVE_CONFIGURATION_AS);
    EXPECT_TRUE(fs::exists(folder / "cfg.spec"));
    EXPECT_EQ(w.window.fileRequests.at(0).initialName, "S100.spec");
    EXPECT_EQ(w.window.captions, std::vector<std::string>{"Save Default Settings"});
    EXPECT_NE(w.view->configurationFile(), (folder / "cfg.spec").string());
}

} // namespace
