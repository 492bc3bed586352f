// The spectrum view's time acquisition against the fakes and a manual clock: the sampling
// step, the run's states and menu, the stream and data files, the per-sample spectrum files,
// the parameters files and the analog outputs.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/win/ManualClock.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace app::spectrum;
using namespace app::spectrum::test;
using namespace app::res;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr uint16_t kTimeVelkoType = 0x500; // 256 pixels

struct RecordingOutput : TimeAnalogOutput
{
    struct Call
    {
        std::string what;
        int32_t channel;
        double a;
        double b;
    };
    explicit RecordingOutput(std::vector<Call>& log) : calls(log) {}
    void SetRange(int32_t channel, double minimum, double maximum) override
    {
        calls.push_back({"range", channel, minimum, maximum});
    }
    void SetValue(int32_t channel, double value) override
    {
        calls.push_back({"value", channel, value, 0.0});
    }
    std::vector<Call>& calls;
};

struct TimeView
{
    TimeView()
    {
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(kTimeVelkoType);
        c.SetADCType(255);
        const float coefs[4] = {400.0f, 0.5f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, k == 0 ? 1 : 0);
            c.SetWavelengthCoefs(k, coefs);
        }
        frame.prefs.FileOverwriteWarning = 0;
        view->OnCreate();
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
        // Processed values i * i, so a band's mean tells which pixels it took.
        for (int i = 0; i < kSpectrumPoints; ++i)
            document->spectra().processed[0][i] = static_cast<double>(i) * i;
    }
    ~TimeView()
    {
        view->OnDestroy();
        view.reset();
    }
    TimeAcquisitionParameters& p() { return view->timeParameters(); }
    TimeAcquisitionSettings& s() { return view->timeParameters().settings; }
    void activateAndStart()
    {
        view->OnActivateTimeAcquisition();
        view->StartTimeAcquisition();
    }

    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

class SpectrumViewTime : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int tests = 0;
        const fs::path registry = freshFolder("time-registry-" + std::to_string(++tests));
        setenv("HARLUNE_REGISTRY_DIR", (registry / "hives").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (registry / "config").c_str(), 1);
        folder = freshFolder("time-" + std::to_string(tests));
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer",
                          (folder / "window.spec").string().c_str());
        store.WriteString("Preferences", "DefaultTimeAcquisitionFile",
                          (folder / "default.time").string().c_str());
        clock = std::make_shared<platform::win::ManualClock>(1000s);
        platform::win::setClock(clock);
        setTimeAnalogOutputFactory(
            [this](CHarluneSpectrumView&) { return std::make_unique<RecordingOutput>(calls); });
    }
    void TearDown() override
    {
        setTimeAnalogOutputFactory({});
        platform::win::setClock(nullptr);
    }
    std::vector<std::string> lines(const fs::path& path) const
    {
        std::vector<std::string> out;
        std::istringstream in(readBytes(path));
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }
    fs::path folder;
    std::shared_ptr<platform::win::ManualClock> clock;
    std::vector<RecordingOutput::Call> calls;
};

TEST_F(SpectrumViewTime, RecordsStartWithTheirDefaults)
{
    TimeView w;
    const TimeAcquisitionSettings& s = w.s();
    EXPECT_EQ(timeFilename(s), "TestTime");
    EXPECT_EQ(s.ShowValuesInStatusBar, 1u);
    EXPECT_EQ(s.InitialDelay, 10u);
    EXPECT_EQ(s.Duration, 11u);
    EXPECT_EQ(s.LogFrequency, 100u);
    EXPECT_EQ(w.p().channels[3].Pixel, w.view->configuration().WavelengthToPixel(0, 500.0));
    EXPECT_EQ(w.p().combos[1].Plotted, 1u);
}

TEST_F(SpectrumViewTime, SamplesBandsTemperatureAndCombinations)
{
    TimeView w;
    auto& ch = w.p().channels;
    auto& co = w.p().combos;
    ch[0] = {.Enabled = 1, .Pixel = 10, .Bandwidth = 0, .Plotted = 1};
    ch[1] = {.Enabled = 1, .Pixel = 20, .Bandwidth = 1};
    ch[2] = {.Enabled = 1, .Pixel = 30, .Bandwidth = 4, .Plotted = 1};
    // Past the last pixel (255): the band keeps 253 to 255.
    ch[3] = {.Enabled = 1, .Pixel = 255, .Bandwidth = 4};
    ch[4] = {.Enabled = 1, .SpectrometerChannel = 8, .Factor = 2.0, .Offset = 1.0};
    ch[5] = {.Enabled = 0, .Pixel = 5, .Value = 9.0};
    co[0] = {.Enabled = 1,
             .FirstChannel = 0,
             .Operation = Divide,
             .SecondChannel = 5,
             .Factor = 3.0,
             .Offset = 7.0};
    co[1] = {.Enabled = 1, .FirstChannel = 6, .Operation = Add, .SecondChannel = 2};
    w.view->setLastTemperature(25.0f);
    w.activateAndStart();

    // Nothing before the initial delay of 10 s.
    clock->advance(9999ms);
    w.view->TimeAcquisitionTick();
    EXPECT_EQ(w.view->timeRun().sampleIndex, 0);
    clock->advance(1ms);
    w.view->TimeAcquisitionTick();
    ASSERT_EQ(w.view->timeRun().sampleIndex, 1);

    EXPECT_DOUBLE_EQ(ch[0].Value, 100.0);
    EXPECT_DOUBLE_EQ(ch[1].Value, 400.0);
    EXPECT_DOUBLE_EQ(ch[2].Value, (784.0 + 841 + 900 + 961 + 1024) / 5);
    EXPECT_DOUBLE_EQ(ch[3].Value, (253.0 * 253 + 254 * 254 + 255 * 255) / 3);
    EXPECT_DOUBLE_EQ(ch[4].Value, 51.0);
    EXPECT_DOUBLE_EQ(ch[5].Value, 0.0);
    EXPECT_DOUBLE_EQ(co[0].Value, 7.0);
    EXPECT_DOUBLE_EQ(co[1].Value, 7.0 + 902.0);
    EXPECT_DOUBLE_EQ(w.view->timeRun().sampleTimes[0], 10.0);
    // Plotted channels fill their overlay slot; B is enabled but not plotted.
    EXPECT_DOUBLE_EQ(w.document->overlays().values[0][0], 100.0);
    EXPECT_DOUBLE_EQ(w.document->overlays().values[1][0], 0.0);
    EXPECT_DOUBLE_EQ(w.view->timeRun().series[1][0], 400.0);
    ASSERT_FALSE(w.window.readOuts.empty());
    EXPECT_EQ(w.window.readOuts.back().substr(0, 28), "Acq 0 | 10.000 sec || A 100.");
    EXPECT_EQ(w.window.readOuts.back().substr(w.window.readOuts.back().size() - 15),
              "Combo2 909.000 ");

    // The next sample comes a Frequency (10 s) later.
    clock->advance(9s);
    w.view->TimeAcquisitionTick();
    EXPECT_EQ(w.view->timeRun().sampleIndex, 1);
    clock->advance(1s);
    w.view->TimeAcquisitionTick();
    EXPECT_EQ(w.view->timeRun().sampleIndex, 2);
}

TEST_F(SpectrumViewTime, ScanReadyRoadFiresTheEventWithTheElapsedTime)
{
    TimeView w;
    w.activateAndStart();
    clock->advance(12500ms);
    w.view->OnScanReady(0);
    ASSERT_EQ(w.frame.timeStamps.size(), 1u);
    EXPECT_DOUBLE_EQ(w.frame.timeStamps[0], 12.5);
    // Between samples no event.
    clock->advance(1s);
    w.view->OnScanReady(0);
    EXPECT_EQ(w.frame.timeStamps.size(), 1u);
}

TEST_F(SpectrumViewTime, EndsAtTheFirstSampleBeyondDelayPlusDuration)
{
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual);
        TimeView w;
        w.s().Frequency = 1;
        w.s().ContinueUntilManuallyStopped = manual ? 1 : 0;
        w.activateAndStart();
        int samples = 0;
        for (int t = 0; t < 40 && w.view->timeRunState() == 1; ++t) {
            clock->advance(1s);
            const int before = w.view->timeRun().sampleIndex;
            w.view->TimeAcquisitionTick();
            samples += w.view->timeRun().sampleIndex != before ? 1 : 0;
        }
        if (manual) {
            EXPECT_EQ(w.view->timeRunState(), 1);
        } else {
            // Samples at 10 s to 22 s; 22 s is the first beyond 21 s.
            EXPECT_EQ(w.view->timeRunState(), 0);
            EXPECT_EQ(samples, 13);
            EXPECT_DOUBLE_EQ(w.view->timeRun().currentTime, 22.0);
        }
    }
}

TEST_F(SpectrumViewTime, DurationsInMillisecondsAndLongDurations)
{
    TimeView w;
    w.s().SaveEveryAcquisition = 1;
    w.s().InitialDelay = 0;
    w.s().Duration = 1500;
    w.s().DurationUnit = kTimeUnitMilliseconds;
    w.activateAndStart();
    EXPECT_DOUBLE_EQ(w.view->timeRun().endTime, 1.5);
    clock->advance(1s);
    w.view->TimeAcquisitionTick();
    EXPECT_EQ(w.view->timeRunState(), 1);
    clock->advance(600ms);
    w.view->TimeAcquisitionTick();
    EXPECT_EQ(w.view->timeRunState(), 0);

    w.view->OnActivateTimeAcquisition();
    w.s().Duration = 2000;
    w.s().DurationUnit = kTimeUnitHours;
    w.activateAndStart();
    EXPECT_DOUBLE_EQ(w.view->timeRun().endTime, 7200000.0);
    EXPECT_EQ(timeUnitToMs(71583, kTimeUnitMinutes), 4294980000ull);
    EXPECT_EQ(timeUnitToMs(5, 7), 5u);
}

TEST_F(SpectrumViewTime, ElapsedTimeGoesBeyondThirtyTwoBitMilliseconds)
{
    clock->advanceTo(std::chrono::milliseconds(4294967295LL - 3000));
    TimeView w;
    w.s().InitialDelay = 0;
    w.s().Frequency = 2;
    w.s().ContinueUntilManuallyStopped = 1;
    w.activateAndStart();
    for (int i = 0; i < 4; ++i) {
        if (i != 0)
            clock->advance(2s);
        w.view->TimeAcquisitionTick();
    }
    EXPECT_EQ(w.view->timeRun().sampleIndex, 4);
    EXPECT_DOUBLE_EQ(w.view->timeRun().sampleTimes[3], 6.0);
    // No sample between the planned times once the 32-bit value has passed.
    clock->advance(1s);
    w.view->TimeAcquisitionTick();
    EXPECT_EQ(w.view->timeRun().sampleIndex, 4);
}

TEST_F(SpectrumViewTime, RingWrapsAndSaveDataListsTheOldestFirst)
{
    TimeView w;
    w.p().channels[0] = {.Enabled = 1, .Pixel = 3};
    w.s().SaveEveryAcquisition = 1;
    w.s().InitialDelay = 0;
    w.s().ContinueUntilManuallyStopped = 1;
    w.activateAndStart();
    for (int i = 0; i < 2049; ++i) {
        clock->advance(1ms);
        w.view->TimeAcquisitionTick();
    }
    EXPECT_EQ(w.view->timeRun().sampleIndex, 2);
    EXPECT_EQ(w.view->timeRun().wrapped, 1);
    const fs::path path = folder / "run.tim";
    w.window.fileAnswers.push_back(SpectrumFileDialogResult{{path.string()}, 1});
    w.view->OnCommand(ID_TIME_SAVE_DATA);
    const auto rows = lines(folder / "run.timeAcquisition");
    ASSERT_EQ(rows.size(), 2048u);
    EXPECT_EQ(rows[0], "Time (sec)\tChannel A\r");
    EXPECT_EQ(rows[1], "0.003\t9.0000\r");
    EXPECT_EQ(rows.back(), "2.049\t9.0000\r");
    EXPECT_EQ(w.window.fileRequests.back().title, "Save Time Acquisition Data File");
}

TEST_F(SpectrumViewTime, StreamFileIsByteExact)
{
    for (const bool exponential : {false, true}) {
        SCOPED_TRACE(exponential);
        TimeView w;
        w.frame.prefs.AlwaysExponential = exponential ? 1 : 0;
        w.frame.prefs.DefaultSavePrecision = 4;
        const fs::path path = folder / (exponential ? "e.time" : "f.time");
        setTimeFilename(w.s(), path.string());
        w.s().StreamDataToDisk = 1;
        w.s().InitialDelay = 0;
        w.s().Frequency = 1500;
        w.s().FrequencyUnit = kTimeUnitMilliseconds;
        w.s().ContinueUntilManuallyStopped = 1;
        w.p().channels[1] = {.Enabled = 1, .Pixel = 2};
        w.p().combos[0] = {
            .Enabled = 1, .FirstChannel = 1, .Operation = Multiply, .SecondChannel = 1};
        w.activateAndStart();
        w.view->TimeAcquisitionTick();
        clock->advance(1500ms);
        w.view->TimeAcquisitionTick();
        w.view->StopTimeAcquisition();
        const std::string expected = exponential ? "Time (sec)\tChannel B\tCombo 1\r\n"
                                                   "0.000\t4.0000e+00\t1.6000e+01\t\r\n"
                                                   "1.500\t4.0000e+00\t1.6000e+01\t\r\n"
                                                 : "Time (sec)\tChannel B\tCombo 1\r\n"
                                                   "0.000\t4.0000\t16.0000\t\r\n"
                                                   "1.500\t4.0000\t16.0000\t\r\n";
        EXPECT_EQ(readBytes(path), expected);
    }
}

TEST_F(SpectrumViewTime, StreamReachesTheDiskInBlocks)
{
    struct Case
    {
        uint32_t logFrequency;
        int samples;
        std::vector<std::pair<int, int>> linesAfter; // sample count, lines on disk
    };
    const Case cases[] = {
        {100, 250, {{100, 1}, {101, 102}, {201, 102}, {202, 203}, {250, 203}}},
        {0, 3, {{1, 2}, {2, 3}, {3, 4}}},
        {4294967295u, 300, {{300, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logFrequency);
        TimeView w;
        const fs::path path = folder / ("s" + std::to_string(c.logFrequency) + ".time");
        setTimeFilename(w.s(), path.string());
        w.s().StreamDataToDisk = 1;
        w.s().LogFrequency = c.logFrequency;
        w.s().SaveEveryAcquisition = 1;
        w.s().InitialDelay = 0;
        w.s().ContinueUntilManuallyStopped = 1;
        w.p().channels[0].Enabled = 1;
        w.activateAndStart();
        std::size_t next = 0;
        for (int i = 1; i <= c.samples; ++i) {
            clock->advance(10ms);
            w.view->TimeAcquisitionTick();
            if (next < c.linesAfter.size() && c.linesAfter[next].first == i) {
                EXPECT_EQ(lines(path).size(), static_cast<std::size_t>(c.linesAfter[next].second))
                    << "after sample " << i;
                ++next;
            }
        }
        w.view->StopTimeAcquisition();
        EXPECT_EQ(lines(path).size(), static_cast<std::size_t>(c.samples + 1));
    }
}

TEST_F(SpectrumViewTime, ChangesWhilePausedWaitForTheNextStart)
{
    TimeView w;
    const fs::path path = folder / "p.time";
    setTimeFilename(w.s(), path.string());
    w.s().StreamDataToDisk = 1;
    w.s().LogFrequency = 0;
    w.s().SaveEveryAcquisition = 1;
    w.s().InitialDelay = 0;
    w.s().ContinueUntilManuallyStopped = 1;
    w.p().channels[0].Enabled = 1;
    w.activateAndStart();
    clock->advance(1s);
    w.view->TimeAcquisitionTick();
    w.view->OnCommand(ID_TIME_PAUSE);
    EXPECT_EQ(w.view->timeRunState(), 2);
    w.p().channels[1].Enabled = 1;
    w.s().LogFrequency = 100;
    w.s().StreamDataToDisk = 0;
    w.view->OnCommand(ID_TIME_START);
    EXPECT_EQ(w.view->timeRunState(), 1);
    clock->advance(1s);
    w.view->TimeAcquisitionTick();
    const auto rows = lines(path);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "Time (sec)\tChannel A\r");
    const int pixel = w.view->configuration().WavelengthToPixel(0, 500.0);
    char row[64];
    std::snprintf(row, sizeof row, "2.000\t%.3f\t\r", double(pixel) * pixel);
    EXPECT_EQ(rows[2], row);
    w.view->StopTimeAcquisition();

    // Started without streaming, the run writes nothing.
    fs::remove(path);
    w.view->StartTimeAcquisition();
    clock->advance(1s);
    w.view->TimeAcquisitionTick();
    w.view->StopTimeAcquisition();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SpectrumViewTime, PerSampleFilesKeepTheirNumbersAcrossPause)
{
    TimeView w;
    setTimeFilename(w.s(), (folder / "run").string());
    w.s().SaveFullSpectrum = 1;
    w.s().SaveEveryAcquisition = 1;
    w.s().InitialDelay = 0;
    w.s().ContinueUntilManuallyStopped = 1;
    w.frame.viewPrefs.AlwaysSaveSample = 1;
    w.activateAndStart();
    w.view->TimeAcquisitionTick();
    w.view->OnPauseTimeAcquisition();
    w.view->StartTimeAcquisition();
    clock->advance(1ms);
    w.view->TimeAcquisitionTick();
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    for (const char* name : {"run.00000.Master.Scope", "run.00000.Master.Sample",
                             "run.00001.Master.Scope", "run.00001.Master.Sample"})
        EXPECT_TRUE(names.count(name)) << name;
    EXPECT_FALSE(names.count("run.00002.Master.Scope"));
}

// Only the spectrum files of an earlier run under the same name are asked about at Start,
// once, and only while overwrites are warned about; No leaves the window stopped.
TEST_F(SpectrumViewTime, StartAsksOnceAboutAnEarlierRunsSpectrumFiles)
{
    struct Case
    {
        const char* existing;
        uint32_t warn;
        bool asks;
    };
    const Case cases[] = {
        {"run.00000.Master.Scope", 1, true},     {"run.123456.Slave1.Sample.spc", 1, true},
        {"run.00000.Master.Scope", 0, false},    {"run", 1, false},
        {"run.0001.Master.Scope", 1, false},     {"run.00000", 1, false},
        {"runner.00000.Master.Scope", 1, false}, {"run.0000x.Master.Scope", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.existing) + (c.warn != 0 ? " warned" : ""));
        const fs::path runFolder = freshFolder("time-ask");
        writeBytes(runFolder / c.existing, "old");
        TimeView w;
        w.frame.prefs.FileOverwriteWarning = c.warn;
        setTimeFilename(w.s(), (runFolder / "run").string());
        w.s().SaveFullSpectrum = 1;
        w.window.replies.push_back({FakeSpectrumWindow::Answer::No});
        w.activateAndStart();
        ASSERT_EQ(w.window.messages.size(), c.asks ? 1u : 0u);
        EXPECT_EQ(w.view->timeRunState(), c.asks ? 0 : 1);
        if (c.asks) {
            EXPECT_EQ(w.window.buttons.back(), SpectrumDocWindow::Buttons::YesNo);
        }
        EXPECT_EQ(readBytes(runFolder / c.existing), "old");
        w.view->StopTimeAcquisition();
    }
}

TEST_F(SpectrumViewTime, StartWithAnExistingOrUnopenableStreamFile)
{
    struct Case
    {
        const char* name;
        bool exists;
        FakeSpectrumWindow::Answer answer;
        int state;
    };
    const Case cases[] = {
        {"x-ok", true, FakeSpectrumWindow::Answer::Ok, 1},
        {"x-cancel", true, FakeSpectrumWindow::Answer::Cancel, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimeView w;
        w.frame.prefs.FileOverwriteWarning = 1;
        const fs::path path = folder / c.name;
        writeBytes(path, "old");
        setTimeFilename(w.s(), path.string());
        w.s().StreamDataToDisk = 1;
        w.window.replies.push_back({FakeSpectrumWindow::Answer::No});
        w.window.replies.push_back({c.answer});
        w.activateAndStart();
        EXPECT_EQ(w.view->timeRunState(), c.state);
        EXPECT_EQ(readBytes(path), "old");
        ASSERT_FALSE(w.window.messages.empty());
        EXPECT_EQ(w.window.messages.back(),
                  "A file named " + path.string() +
                      "_X will be created and used for the Time Acquisition Stream file.\nYou may "
                      "wish to rename this file after the experiment is completed.");
        EXPECT_EQ(w.window.captions.back(), "Harlune Warning");
        w.view->StopTimeAcquisition();
        EXPECT_EQ(fs::exists(path.string() + "_X"), c.state == 1);
    }
    TimeView w;
    setTimeFilename(w.s(), (folder / "missing" / "file").string());
    w.s().StreamDataToDisk = 1;
    w.activateAndStart();
    EXPECT_EQ(w.view->timeRunState(), 0);
    EXPECT_EQ(w.window.messages.back(), "Time Acquisition streaming file could not be opened");
    EXPECT_EQ(w.window.captions.back(), "Harlune Error");
}

TEST_F(SpectrumViewTime, StatesAndMenuStates)
{
    TimeView w;
    const auto state = [&](unsigned id) { return w.view->commandState(id); };
    EXPECT_FALSE(state(ID_TIME_START).enabled);
    EXPECT_FALSE(state(ID_TIME_PAUSE).enabled);
    EXPECT_FALSE(state(ID_TIME_STOP).enabled);
    EXPECT_EQ(state(ID_TIME_ACTIVATE).checked, 0);
    w.view->OnCommand(ID_TIME_START);
    EXPECT_EQ(w.view->timeRunState(), 0);

    w.view->OnCommand(ID_TIME_ACTIVATE);
    EXPECT_EQ(state(ID_TIME_ACTIVATE).checked, 1);
    EXPECT_TRUE(state(ID_TIME_START).enabled);
    EXPECT_EQ(w.window.readOutBar, true);
    w.view->OnCommand(ID_TIME_START);
    EXPECT_EQ(state(ID_TIME_START).checked, 1);
    EXPECT_TRUE(state(ID_TIME_PAUSE).enabled);
    EXPECT_FALSE(state(ID_TIME_CONFIGURE_CHANNELS).enabled);
    EXPECT_FALSE(state(ID_TIME_RESTORE_PARAMETERS).enabled);
    EXPECT_TRUE(state(ID_TIME_SAVE_DATA).enabled);

    w.view->OnCommand(ID_TIME_PAUSE);
    EXPECT_EQ(state(ID_TIME_PAUSE).checked, 1);
    EXPECT_EQ(state(ID_TIME_START).checked, 0);
    EXPECT_TRUE(state(ID_TIME_CONFIGURE_CHANNELS).enabled);

    // Stop asks its verification when its state is refreshed.
    w.frame.verified.clear();
    w.frame.forbidden = mvSpecTimeAcquisitionStop;
    EXPECT_FALSE(state(ID_TIME_STOP).enabled);
    EXPECT_EQ(w.frame.verified.back(), mvSpecTimeAcquisitionStop);
    w.frame.forbidden = 0;
    EXPECT_TRUE(state(ID_TIME_STOP).enabled);

    // A refused command does nothing.
    w.frame.forbidden = mvSpecTimeAcquisitionPause;
    w.view->OnCommand(ID_TIME_PAUSE);
    EXPECT_EQ(w.view->timeRunState(), 2);
    w.frame.forbidden = 0;

    w.view->OnCommand(ID_TIME_STOP);
    EXPECT_EQ(w.view->timeRunState(), 0);
    EXPECT_FALSE(state(ID_TIME_PAUSE).enabled);

    w.view->OnCommand(ID_TIME_SUSPEND_GRAPH);
    EXPECT_EQ(w.view->plotSuspended(), 1);
    EXPECT_EQ(state(ID_TIME_SUSPEND_GRAPH).checked, 1);

    // Leaving the mode hides the bar unless the cursor shows its values there.
    w.view->OnCommand(ID_TIME_START);
    w.view->setCursorShown(0);
    w.view->OnCommand(ID_TIME_ACTIVATE);
    EXPECT_EQ(w.view->timeRunState(), 0);
    EXPECT_EQ(w.view->timeAcquisitionMode(), 0);
    EXPECT_EQ(w.window.readOutBar, false);
    w.view->OnCommand(ID_TIME_ACTIVATE);
    w.view->setCursorShown(1);
    w.view->OnCommand(ID_TIME_ACTIVATE);
    EXPECT_EQ(w.window.readOutBar, true);
}

TEST_F(SpectrumViewTime, SlotsAndOverlayMenuFollowTheRun)
{
    TimeView w;
    w.p().channels[1] = {.Enabled = 1, .Pixel = 2, .Plotted = 1};
    w.p().combos[0].Plotted = 0;
    w.activateAndStart();
    EXPECT_EQ(w.document->overlays().loaded[1], 1);
    EXPECT_EQ(w.document->overlays().fileNames[1], "Time Acquisition Channel B");
    EXPECT_EQ(w.document->overlays().loaded[6], 0);
    w.view->OnActivateTimeAcquisition();
    EXPECT_EQ(w.document->overlays().loaded[1], 0);
}

TEST_F(SpectrumViewTime, AnalogOutputsFollowPlottedChannelsAndEnabledCombinations)
{
    TimeView w;
    w.p().channels[0] = {.Enabled = 1, .Pixel = 2, .Plotted = 1, .DACEnabled = 1};
    w.p().channels[1] = {.Enabled = 1, .Pixel = 3, .Plotted = 0, .DACEnabled = 1};
    w.p().combos[1] = {
        .Enabled = 1, .FirstChannel = 0, .SecondChannel = 1, .Plotted = 0, .DACEnabled = 1};
    w.s().InitialDelay = 0;
    w.activateAndStart();
    ASSERT_EQ(calls.size(), 8u);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(calls[k].what, "range");
        EXPECT_EQ(calls[k].channel, k);
        EXPECT_DOUBLE_EQ(calls[k].a, 0.0);
        EXPECT_DOUBLE_EQ(calls[k].b, 5.0);
    }
    w.view->TimeAcquisitionTick();
    ASSERT_EQ(calls.size(), 10u);
    EXPECT_EQ(calls[8].channel, 0);
    EXPECT_DOUBLE_EQ(calls[8].a, 4.0);
    EXPECT_EQ(calls[9].channel, 7);
    EXPECT_DOUBLE_EQ(calls[9].a, 13.0);
}

TEST_F(SpectrumViewTime, ParametersRoundTrip)
{
    TimeView w;
    setTimeFilename(w.s(), "stream name");
    w.s().LogFrequency = 7;
    w.s().FrequencyUnit = kTimeUnitMilliseconds;
    w.s().DurationUnit = kTimeUnitHours;
    w.p().channels[2] = {.Enabled = 1,
                         .SpectrometerChannel = 8,
                         .Wavelength = 612.25,
                         .Pixel = 77,
                         .Bandwidth = -3,
                         .Factor = 0.125,
                         .Offset = -2.5,
                         .RateOnly = 1,
                         .RateBandwidth = 4,
                         .Plotted = 1,
                         .DACEnabled = 1};
    w.p().combos[1] = {.Enabled = 1, .FirstChannel = 6, .Operation = Divide, .SecondChannel = 5};
    const std::string path = (folder / "a.TimeParameters").string();
    EXPECT_EQ(w.view->WriteTimeAcquisitionParameters(path), 1);
    w.p() = TimeAcquisitionParameters{};
    EXPECT_EQ(w.view->ReadTimeAcquisitionParameters(path), 1);
    EXPECT_EQ(timeFilename(w.s()), "stream name");
    EXPECT_EQ(w.s().LogFrequency, 7u);
    EXPECT_EQ(w.s().FrequencyUnit, kTimeUnitMilliseconds);
    EXPECT_EQ(w.s().DurationUnit, kTimeUnitHours);
    const TimeChannelRecord& c = w.p().channels[2];
    EXPECT_EQ(c.SpectrometerChannel, 8);
    EXPECT_DOUBLE_EQ(c.Wavelength, 612.25);
    EXPECT_EQ(c.Pixel, 77);
    EXPECT_EQ(c.Bandwidth, -3);
    EXPECT_DOUBLE_EQ(c.Factor, 0.125);
    EXPECT_DOUBLE_EQ(c.Offset, -2.5);
    EXPECT_EQ(c.RateBandwidth, 4);
    EXPECT_EQ(c.DACEnabled, 1u);
    EXPECT_EQ(w.p().combos[1].FirstChannel, 6u);
    EXPECT_EQ(w.p().combos[1].SecondChannel, 5u);
    EXPECT_EQ(w.p().combos[1].Operation, static_cast<uint32_t>(Divide));
    const std::string text = readBytes(path);
    EXPECT_NE(text.find("SpectrometerChannel=Slave8"), std::string::npos);
    EXPECT_NE(text.find("Wavelength=612.250000000000000"), std::string::npos);
    EXPECT_NE(text.find("FirstChannel=Combo1"), std::string::npos);
    EXPECT_EQ(w.view->WriteTimeAcquisitionParameters(""), 0);
}

TEST_F(SpectrumViewTime, ParametersFileWithMissingAndBadValues)
{
    TimeView w;
    const fs::path path = folder / "bad.TimeParameters";
    writeBytes(path, "[Acquisition Parameters]\n"
                     "InitialDelayUnit=Fortnights\n"
                     "FrequencyUnit=Milliseconds\n"
                     "LogFrequency=99999999999\n"
                     "[ChannelA]\nEnabled=1\nSpectrometerChannel=Slave3\nWavelength=450\n"
                     "[ChannelB]\nSpectrometerChannel=Slave-1\nPixel=100000\n"
                     "Bandwidth=2147483647000\n"
                     "[ChannelC]\nSpectrometerChannel=Slave9\nPixel=42\nWavelength=450\n"
                     "[Combo1]\nFirstChannel=Q\nOperation=Modulo\n");
    w.p().combos[0].FirstChannel = 3;
    w.view->ReadTimeAcquisitionParameters(path.string());
    EXPECT_EQ(w.s().InitialDelayUnit, kTimeUnitSeconds);
    EXPECT_EQ(w.s().FrequencyUnit, kTimeUnitMilliseconds);
    EXPECT_EQ(w.s().LogFrequency, 4294967295u);
    EXPECT_EQ(w.s().Duration, 11u);
    EXPECT_EQ(w.p().channels[0].SpectrometerChannel, 3);
    EXPECT_EQ(w.p().channels[0].Pixel, w.view->configuration().WavelengthToPixel(3, 450.0));
    EXPECT_EQ(w.p().channels[1].SpectrometerChannel, -1);
    EXPECT_EQ(w.p().channels[1].Pixel, 100000);
    EXPECT_EQ(w.p().channels[1].Bandwidth, 2147483647);
    EXPECT_EQ(w.p().channels[2].Pixel, 42);
    EXPECT_EQ(w.p().channels[3].SpectrometerChannel, 0);
    EXPECT_EQ(w.p().combos[0].FirstChannel, 3u);
    EXPECT_EQ(w.p().combos[0].Operation, static_cast<uint32_t>(Add));

    // Sampling such channels reads nothing outside the arrays.
    w.p().channels[1].Enabled = 1;
    w.p().channels[2].Enabled = 1;
    w.p().channels[1].Value = 5.0;
    w.s().InitialDelay = 0;
    w.s().ContinueUntilManuallyStopped = 1;
    w.activateAndStart();
    w.view->TimeAcquisitionTick();
    EXPECT_DOUBLE_EQ(w.p().channels[1].Value, 5.0);
    w.view->StopTimeAcquisition();
}

TEST_F(SpectrumViewTime, ApplyingTheChannelSheetDerivesEveryPixel)
{
    TimeView w;
    w.p().channels[0].Pixel = 42;
    w.p().channels[0].Wavelength = 450.0;
    w.p().channels[1].Pixel = 42;
    w.p().channels[1].SpectrometerChannel = 8;
    const auto channels = w.p().channels;
    const auto combos = w.p().combos;
    w.view->ApplyTimeChannels(channels, combos);
    EXPECT_EQ(w.p().channels[0].Pixel, w.view->configuration().WavelengthToPixel(0, 450.0));
    EXPECT_EQ(w.p().channels[1].Pixel, 42);
}

TEST_F(SpectrumViewTime, SaveParametersCompletesTheExtension)
{
    struct Case
    {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {{"p.tim", "p.timeParameters"}, {"q.TimeParameters", "q.TimeParameters"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        TimeView w;
        w.window.fileAnswers.push_back(SpectrumFileDialogResult{{(folder / c.chosen).string()}, 1});
        w.window.replies.push_back({FakeSpectrumWindow::Answer::Yes});
        w.view->OnCommand(ID_TIME_SAVE_PARAMETERS);
        EXPECT_TRUE(fs::exists(folder / c.written));
        EXPECT_EQ(w.view->timeParametersFile(), (folder / c.written).string());
    }
}

// A file that cannot be written is reported, and nothing is made the default.
TEST_F(SpectrumViewTime, SaveDataAndParametersReportAFileThatCannotBeWritten)
{
    struct Case
    {
        unsigned command;
        const char* chosen;
        const char* written;
        const char* message;
    };
    const Case cases[] = {
        {ID_TIME_SAVE_DATA, "run.tim", "run.timeAcquisition", "The time acquisition data"},
        {ID_TIME_SAVE_PARAMETERS, "p.tim", "p.timeParameters", "The time acquisition parameters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        TimeView w;
        const std::string before = w.view->timeParametersFile();
        const fs::path missing = folder / "no-such-folder";
        w.window.fileAnswers.push_back(
            SpectrumFileDialogResult{{(missing / c.chosen).string()}, 1});
        w.view->OnCommand(c.command);
        EXPECT_FALSE(fs::exists(missing / c.written));
        ASSERT_EQ(w.window.messages.size(), 1u);
        EXPECT_EQ(w.window.messages[0], std::string(c.message) + " could not be written to " +
                                            (missing / c.written).string() + ".\nThe folder " +
                                            missing.string() + " does not exist.");
        EXPECT_EQ(w.window.buttons[0], FakeSpectrumWindow::Buttons::Ok);
        EXPECT_EQ(w.view->timeParametersFile(), before);
    }
}

TEST_F(SpectrumViewTime, DefaultParametersFileAtCreationAndClose)
{
    {
        TimeView w;
        w.s().Frequency = 33;
        w.frame.viewPrefs.AlwaysSaveTimeParameters = 0;
    }
    EXPECT_FALSE(fs::exists(folder / "default.time"));
    {
        TimeView w;
        w.s().Frequency = 44;
        w.frame.viewPrefs.AlwaysSaveTimeParameters = 1;
    }
    ASSERT_TRUE(fs::exists(folder / "default.time"));
    TimeView w;
    EXPECT_EQ(w.s().Frequency, 44u);
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetString("Preferences", "DefaultTimeAcquisitionFile"),
              (folder / "default.time").string());
}

} // namespace
