#include "app/spectrum/HarluneSpectrumView.h"

#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "platform/chart/Xrt.h"
#include "platform/win/ManualClock.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace app::spectrum::test;
using namespace platform::chart;

namespace {

constexpr unsigned kIstrel = 0x200;

// One spectrum window: the view with its fakes, created, registered and shown.
struct CoreViewWindow
{
    explicit CoreViewWindow(std::array<int, 8> enabled = {1, 0, 0, 0, 0, 0, 0, 0},
                            uint16_t adcType = 255, bool create = true)
    {
        if (create)
            setDefaultConfiguration();
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(kIstrel);
        c.SetADCType(adcType);
        c.SetScopeModeSaturationThreshold(4000.0);
        const float coefs[4] = {400.0f, 0.1f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, static_cast<uint16_t>(enabled[k]));
            c.SetWavelengthCoefs(k, coefs);
        }
        if (create) {
            view->OnCreate();
            EXPECT_TRUE(view->Create());
            view->OnShowWindow();
        }
    }
    static void setDefaultConfiguration()
    {
        CINIFileSupport store(nullptr, 1);
        const std::string path = freshFolder("config").string() + "/window.spec";
        store.WriteString("Preferences", "DefaultSpectrometer", path.c_str());
    }

    // Puts a flat scan of value into channel ch's raw buffer and delivers its message.
    void scan(int ch, float value)
    {
        RawScanBuffer& raw = document->rawScanBuffer(ch);
        std::fill(std::begin(raw.values), std::end(raw.values), value);
        view->OnScanReady(static_cast<uint32_t>(ch));
    }
    // One whole scan: every enabled channel's message, lowest first.
    void scanAll(float value)
    {
        for (int k = 0; k < 8; ++k)
            if (view->record().channelEnables[k] != 0)
                scan(k, value);
    }
    double chart(int id) { return XrtGetValue(view->chart(), id).toDouble(); }
    const SpectrumArray& processed(int ch) { return document->spectra().processed[ch]; }

    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

TEST(HarluneSpectrumView, FirstRunAsksForTheDefaultConfiguration)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> chosen;
        std::string expected;
    };
    const Case cases[] = {
        {"chosen", std::string("/tmp/chosen.spec"), "/tmp/chosen.spec"},
        {"cancelled", std::nullopt, "XXXX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", "XXXX");
        FakeConfigurationHost host;
        FakeViewWindow window;
        window.chosenFile = c.chosen;
        FakeViewFrame frame;
        FakeViewDriver driver;
        CHarluneSpectrumDoc document(frame, window.docWindow());
        CHarluneSpectrumView view(window, frame, driver, document, host);
        EXPECT_EQ(view.configurationFile(), c.expected);
        ASSERT_EQ(window.captions.size(), 1u);
        EXPECT_EQ(window.captions[0], "Select Default Spectrometer");
        EXPECT_EQ(window.fileDialogs, std::vector<std::string>{"Select Default Spectrometer"});
    }
}

// A configuration file on a removable drive is questioned once; Yes offers the file dialog
// again, whose choice is taken unchecked, No keeps the file.
TEST(HarluneSpectrumView, ConfigurationOnARemovableDriveIsQuestioned)
{
    using A = FakeSpectrumWindow::Answer;
    struct Case
    {
        const char* name;
        bool removable;
        A answer;
        std::optional<std::string> chosen;
        std::string expected;
        std::size_t boxes;
        std::size_t dialogs;
    };
    const Case cases[] = {
        {"fixed drive", false, A::Yes, std::nullopt, "/media/stick/window.spec", 0, 0},
        {"No keeps it", true, A::No, std::string("/other.spec"), "/media/stick/window.spec", 1, 0},
        {"Yes chooses again", true, A::Yes, std::string("/other.spec"), "/other.spec", 1, 1},
        {"Yes then cancel", true, A::Yes, std::nullopt, "/media/stick/window.spec", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CINIFileSupport(nullptr, 1)
            .WriteString("Preferences", "DefaultSpectrometer", "/media/stick/window.spec");
        FakeConfigurationHost host;
        FakeViewWindow window;
        window.chosenFile = c.chosen;
        window.replies.push_back({c.answer});
        FakeViewFrame frame;
        if (c.removable)
            frame.removablePaths.insert("/media/stick/window.spec");
        FakeViewDriver driver;
        CHarluneSpectrumDoc document(frame, window.docWindow());
        CHarluneSpectrumView view(window, frame, driver, document, host);
        EXPECT_EQ(view.configurationFile(), c.expected);
        ASSERT_EQ(window.captions.size(), c.boxes);
        if (c.boxes > 0) {
            EXPECT_EQ(window.captions[0], "Spectrometer Config. File Warning");
            EXPECT_EQ(window.messages[0].rfind("You have specified a spectrometer configuration "
                                               "file\nthat exists on a removable drive.",
                                               0),
                      0u);
        }
        EXPECT_EQ(window.fileDialogs.size(), c.dialogs);
    }
}

TEST(HarluneSpectrumView, RegistrationLendsTheDocumentBuffers)
{
    CoreViewWindow w({1, 0, 0, 1, 0, 0, 0, 0});
    const RegistrationRecord& r = w.driver.registered;
    EXPECT_EQ(r.size, static_cast<int16_t>(sizeof(RegistrationRecord)));
    EXPECT_EQ(r.window, 0x1234u);
    EXPECT_EQ(r.instanceKey, 77u);
    EXPECT_EQ(r.integration, 100u); // no settings yet
    EXPECT_EQ(r.scansToAverage, 1);
    EXPECT_EQ(r.channelEnables[0], 1);
    EXPECT_EQ(r.channelEnables[3], 1);
    EXPECT_EQ(r.channelEnables[1], 0);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(r.channelBuffers[k], w.document->rawScanBuffer(k).values);
    EXPECT_EQ(w.frame.halted, 0);
    EXPECT_EQ(w.processed(0).size(), 4096u);
    EXPECT_EQ(w.view->processingMode(), Scope);
}

TEST(HarluneSpectrumView, RegistrationFailureHaltsAcquisition)
{
    CoreViewWindow w({1, 0, 0, 0, 0, 0, 0, 0}, 255, false);
    w.driver.registerResult = 5;
    w.view->OnCreate();
    ASSERT_TRUE(w.view->Create());
    w.view->OnShowWindow();
    EXPECT_EQ(w.frame.halted, 2);
}

TEST(HarluneSpectrumView, OnlyTheLastChannelProcessesPlotsAndFiresTheEvent)
{
    CoreViewWindow w({1, 0, 0, 1, 0, 0, 0, 0});
    w.scan(0, 100.0f);
    EXPECT_EQ(w.driver.count("BufferEmpty(77,0)"), 1);
    EXPECT_EQ(w.frame.pendingCleared, 1);
    EXPECT_TRUE(w.frame.newSpectra.empty());
    EXPECT_EQ(w.processed(0)[5], 0.0);

    w.scan(3, 250.0f);
    EXPECT_EQ(w.driver.count("BufferEmpty(77,3)"), 1);
    ASSERT_EQ(w.frame.newSpectra.size(), 1u);
    EXPECT_EQ(w.frame.newSpectra[0].first, "Spectrum1");
    EXPECT_EQ(w.frame.newSpectra[0].second, 9);
    EXPECT_DOUBLE_EQ(w.processed(0)[5], 100.0);
    EXPECT_DOUBLE_EQ(w.processed(3)[2047], 250.0);
    EXPECT_DOUBLE_EQ(w.processed(3)[2048], 0.0); // beyond the pixel count
}

// Once the last channel is copied out and returned, the next scan may start before this one
// is processed and drawn; a scan whose handling could show a box or change the next scan
// leaves the start to the idle hook.
TEST(HarluneSpectrumView, TheNextScanMayStartOnceTheLastChannelIsCopied)
{
    CoreViewWindow w({1, 0, 0, 1, 0, 0, 0, 0});
    w.frame.startsEarly = true;
    w.scan(0, 100.0f);
    EXPECT_EQ(w.frame.earlyStarts, 0); // not the last channel
    EXPECT_EQ(w.frame.pendingCleared, 1);
    w.scan(3, 250.0f);
    EXPECT_EQ(w.frame.earlyStarts, 1);
    // The early start is the outstanding scan now: this one's message leaves the flag.
    EXPECT_EQ(w.frame.pendingCleared, 1);
    // Processed, plotted and announced all the same.
    ASSERT_EQ(w.frame.newSpectra.size(), 1u);
    EXPECT_DOUBLE_EQ(w.processed(0)[5], 100.0);
    EXPECT_DOUBLE_EQ(w.processed(3)[2047], 250.0);

    // Refused by the main frame: the scan's message clears the flag as before.
    w.frame.startsEarly = false;
    w.scan(0, 1.0f);
    w.scan(3, 1.0f);
    EXPECT_EQ(w.frame.earlyStarts, 2);
    EXPECT_EQ(w.frame.pendingCleared, 4);

    // A saturated scan may show its warning's box: not asked.
    w.frame.startsEarly = true;
    w.frame.viewPrefs.ScopeModeSaturatedWarning = 2;
    w.scan(0, 5000.0f);
    w.scan(3, 5000.0f);
    EXPECT_EQ(w.frame.earlyStarts, 2);
    EXPECT_EQ(w.frame.pendingCleared, 7);
    // A frozen window: not asked.
    w.view->OnSnapshot();
    w.scan(0, 1.0f);
    w.scan(3, 1.0f);
    EXPECT_EQ(w.frame.earlyStarts, 2);
}

TEST(HarluneSpectrumView, ChannelsOutsideTheRecordAreIgnored)
{
    for (uint32_t channel : {8u, 9u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(channel);
        CoreViewWindow w;
        w.view->OnScanReady(channel);
        EXPECT_EQ(w.driver.count("BufferEmpty(77,8)"), 0);
        EXPECT_EQ(w.frame.pendingCleared, 0);
        EXPECT_TRUE(w.frame.newSpectra.empty());
    }
}

TEST(HarluneSpectrumView, ChannelRotationMakesTheRotatedChannelLast)
{
    CoreViewWindow w;
    w.view->configuration().SetChannelRotation(2);
    w.scan(2, 10.0f);
    EXPECT_EQ(w.view->record().channelEnables[2], 1);
    ASSERT_EQ(w.frame.newSpectra.size(), 1u);
    EXPECT_EQ(w.frame.newSpectra[0].second, 5);
}

TEST(HarluneSpectrumView, SaturationWarningFollowsThePreference)
{
    struct Case
    {
        const char* name;
        int preference;
        int clearBox;
        float value;
        size_t warnings;
        int flashes;
        int preferenceAfter;
    };
    const Case cases[] = {
        {"below threshold", 1, -1, 4000.0f, 0, 0, 1},
        {"dialog, keep warning", 1, -1, 4001.0f, 2, 0, 1},
        {"dialog, box cleared", 1, 0, 4001.0f, 1, 0, 0},
        {"flash", 2, -1, 5000.0f, 0, 2, 2},
        {"nothing", 0, -1, 5000.0f, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreViewWindow w;
        w.frame.viewPrefs.ScopeModeSaturatedWarning = c.preference;
        w.frame.prefs.SoundEnabled = 1;
        w.frame.viewPrefs.ScopeModeSaturatedSound = "sat.wav";
        if (c.clearBox >= 0)
            w.window.replies.push_back({SpectrumDocWindow::Answer::Ok, c.clearBox});
        w.scanAll(c.value);
        w.scanAll(c.value);
        EXPECT_EQ(w.window.warnings.size(), c.warnings);
        EXPECT_EQ(w.window.sounds.size(), c.warnings);
        EXPECT_EQ(w.window.flashes, c.flashes);
        EXPECT_EQ(w.frame.viewPrefs.ScopeModeSaturatedWarning, c.preferenceAfter);
    }
}

TEST(HarluneSpectrumView, FirstScanStepsRunOnce)
{
    CoreViewWindow w({1, 0, 0, 0, 0, 0, 0, 0}, VYK_ADC_XANDEL);
    w.scanAll(1.0f);
    EXPECT_TRUE(w.window.bars[SpectrumBar::Cooler]);
    EXPECT_EQ(w.window.timers[CHarluneSpectrumView::kTemperatureTimerId], 2000);
    EXPECT_EQ(w.driver.count("XandelSetPoint(0)"), 1);
    // The cooler state is resent at the next message, once.
    w.scanAll(1.0f);
    w.scanAll(1.0f);
    EXPECT_EQ(w.driver.count("XandelFan(1)"), 2); // the first message and the resend
    EXPECT_EQ(w.driver.count("XandelCooler(1)"), 2);
    // A timer tick leads to one temperature read at the next message.
    w.view->OnTimer(CHarluneSpectrumView::kTemperatureTimerId);
    w.scanAll(1.0f);
    w.scanAll(1.0f);
    EXPECT_EQ(w.driver.count("XandelTemperature(0)"), 1);
    ASSERT_FALSE(w.window.barTexts.empty());
    EXPECT_EQ(w.window.barTexts.back().control, 1580);
    EXPECT_EQ(w.window.barTexts.back().text, "-12.5");

    CoreViewWindow pavik({1, 0, 0, 0, 0, 0, 0, 0}, VYK_ADC_PAVIK);
    pavik.scanAll(1.0f);
    pavik.scanAll(1.0f);
    EXPECT_EQ(pavik.driver.count("PluginDetected(2)"), 1);
    EXPECT_FALSE(pavik.window.bars[SpectrumBar::Cooler]);
}

// The Pavik plug-in is probed 200 ms into the first scan's steps, on the process clock (a
// manual one here, which a sleep moves on at once); other converters do not wait.
TEST(HarluneSpectrumView, PavikPluginProbeWaitsItsMoment)
{
    using namespace std::chrono_literals;
    auto clock = std::make_shared<platform::win::ManualClock>(5s);
    clock->setAutoAdvance(true);
    platform::win::setClock(clock);
    struct Restore
    {
        ~Restore() { platform::win::setClock(nullptr); }
    } restore;

    CoreViewWindow pavik({1, 0, 0, 0, 0, 0, 0, 0}, VYK_ADC_PAVIK);
    const auto before = clock->now();
    pavik.scanAll(1.0f);
    ASSERT_EQ(pavik.driver.count("PluginDetected(2)"), 1);
    EXPECT_GE(pavik.driver.pluginProbedAt - before, 200ms);
    // Only the first scan waits.
    const auto afterFirst = clock->now();
    pavik.scanAll(1.0f);
    EXPECT_EQ(clock->now(), afterFirst);

    CoreViewWindow xandel({1, 0, 0, 0, 0, 0, 0, 0}, VYK_ADC_XANDEL);
    const auto xandelBefore = clock->now();
    xandel.scanAll(1.0f);
    EXPECT_EQ(clock->now(), xandelBefore);
    EXPECT_EQ(xandel.driver.count("PluginDetected(2)"), 0);
}

TEST(HarluneSpectrumView, FirstScanRestoresTheGraphScaleOrSetsScopeMode)
{
    for (int remember : {0, 1}) {
        SCOPED_TRACE(remember);
        CINIFileSupport store(nullptr, 1);
        store.WriteDouble("Preferences\\GraphScale", "StoredXMin", 450.0);
        store.WriteDouble("Preferences\\GraphScale", "StoredXMax", 550.0);
        store.WriteDouble("Preferences\\GraphScale", "StoredYMin", -5.0);
        store.WriteDouble("Preferences\\GraphScale", "StoredYMax", 777.0);
        CoreViewWindow w;
        w.frame.viewPrefs.RememberGraphScale = remember;
        w.view->OnAbsorbanceMode();
        w.scanAll(1.0f);
        EXPECT_EQ(w.chart(kXrtXMin), remember ? 450.0 : 400.0);
        EXPECT_EQ(w.chart(kXrtYMax), remember ? 777.0 : 4100.0);
        EXPECT_EQ(w.view->processingMode(), remember ? Absorbance : Scope);
    }
}

TEST(HarluneSpectrumView, CoefficientsAreReloadedOnce)
{
    CoreViewWindow w;
    w.driver.coefficients.wavelength = {500.0f, 0.2f, 0.0f, 0.0f};
    w.view->OnLoadDeviceCoefficients(1);
    EXPECT_EQ(w.driver.count("ReadCoefficients(255)"), 0);
    w.view->OnLoadDeviceCoefficients(0);
    w.view->OnLoadDeviceCoefficients(0);
    EXPECT_EQ(w.driver.count("ReadCoefficients(255)"), 1);
    EXPECT_TRUE(w.view->coefficientsLoaded());
    EXPECT_NEAR(w.document->spectra().wavelengths[0][10], 502.0, 1e-3);
    EXPECT_NEAR(w.chart(kXrtXMin), 500.0, 1e-3);
    EXPECT_NEAR(w.chart(kXrtXMax), 500.0 + 0.2 * 2047, 1e-2);

    CoreViewWindow failed;
    failed.driver.coefficientsResult = 0;
    failed.view->OnLoadDeviceCoefficients(0);
    EXPECT_TRUE(failed.view->coefficientsLoaded());
    EXPECT_NEAR(failed.document->spectra().wavelengths[0][10], 401.0, 1e-3);
}

TEST(HarluneSpectrumView, SnapshotFreezesAndResumes)
{
    CoreViewWindow w({1, 1, 0, 0, 0, 0, 0, 0});
    w.scanAll(10.0f);
    w.view->OnSnapshot();
    EXPECT_EQ(w.view->snapshotState(), 1);
    const int cleared = w.frame.pendingCleared;
    w.scanAll(20.0f);
    EXPECT_DOUBLE_EQ(w.processed(0)[0], 10.0);
    EXPECT_EQ(w.frame.pendingCleared, cleared + 1); // once, at the highest channel
    EXPECT_EQ(w.frame.newSpectra.size(), 1u);
    w.view->OnSnapshot();
    EXPECT_EQ(w.view->snapshotState(), 0);
    EXPECT_EQ(w.frame.nextScans, 1);
    w.scanAll(30.0f);
    EXPECT_DOUBLE_EQ(w.processed(1)[0], 30.0);

    // 99 takes one more scan, then freezes.
    w.view->setSnapshotState(99);
    w.scanAll(40.0f);
    w.scanAll(50.0f);
    EXPECT_DOUBLE_EQ(w.processed(1)[0], 40.0);
    EXPECT_EQ(w.view->snapshotState(), 1);
}

TEST(HarluneSpectrumView, StoredDarkAndReferenceGiveTheProcessedModes)
{
    struct Case
    {
        const char* name;
        unsigned command;
        double expected; // sample 300 over dark 100 and reference 1100
    };
    const Case cases[] = {
        {"absorbance", app::res::ID_MODE_ABSORBANCE, std::log10(1000.0 / 200.0)},
        {"transmission", app::res::ID_MODE_TRANSMISSION, 20.0},
        {"specular", app::res::ID_MODE_SPECULAR_REFLECTION, 20.0},
        {"scope", app::res::ID_MODE_SCOPE, 300.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreViewWindow w;
        EXPECT_FALSE(w.view->commandState(c.command).enabled &&
                     c.command != app::res::ID_MODE_SCOPE);
        w.scanAll(100.0f);
        w.view->OnCommand(app::res::ID_STORE_DARK);
        EXPECT_EQ(w.view->darkStored(), 1);
        w.scanAll(1100.0f);
        w.view->OnCommand(app::res::ID_STORE_REFERENCE);
        EXPECT_TRUE(w.view->commandState(c.command).enabled);
        w.view->OnCommand(c.command);
        EXPECT_EQ(w.view->commandState(c.command).checked, 1);
        w.scanAll(300.0f);
        EXPECT_NEAR(w.processed(0)[100], c.expected, 1e-9);
    }
}

TEST(HarluneSpectrumView, StoreDarkWithTheChannelDialog)
{
    CoreViewWindow w({1, 1, 0, 0, 0, 0, 0, 0});
    w.frame.viewPrefs.StoreDarkReference = 1;
    w.scanAll(5.0f);
    w.view->OnStoreDark(); // Cancel: nothing stored, but dark counts as stored
    EXPECT_EQ(w.window.channelDialogs, 1);
    EXPECT_EQ(w.document->spectra().darkStored[0], 0u);
    EXPECT_EQ(w.view->darkStored(), 1);
    w.window.channelSelection = std::array<int, 8>{0, 1, 0, 0, 0, 0, 0, 0};
    w.view->OnStoreDark();
    EXPECT_EQ(w.document->spectra().darkStored[0], 0u);
    EXPECT_EQ(w.document->spectra().darkStored[1], 1u);
    EXPECT_DOUBLE_EQ(w.document->spectra().dark[1][7], 5.0);
}

TEST(HarluneSpectrumView, RefusedCommandsChangeNothing)
{
    CoreViewWindow w;
    w.frame.forbidden = app::res::mvSpecSpectrumSnapshot;
    w.view->OnCommand(app::res::ID_SNAPSHOT);
    EXPECT_EQ(w.view->snapshotState(), 0);
    w.frame.forbidden = app::res::mvSpecViewSpectrumScaleUnscale;
    XrtSetValues(w.view->chart(), {{kXrtYMax, 5.0}});
    w.view->OnKeyDown('R');
    EXPECT_EQ(w.chart(kXrtYMax), 5.0);
}

TEST(HarluneSpectrumView, UnscaleByMode)
{
    struct Case
    {
        const char* name;
        unsigned command;
        int logScale;
        std::string family;
        double yMax;
    };
    const Case cases[] = {
        {"scope", app::res::ID_MODE_SCOPE, 0, "Default", 4100.0},
        {"absorbance", app::res::ID_MODE_ABSORBANCE, 0, "Default", 4.0},
        {"absorbance log", app::res::ID_MODE_ABSORBANCE, 1, "Default", std::log10(4.0)},
        {"transmission", app::res::ID_MODE_TRANSMISSION, 0, "Default", 100.0},
        {"irradiance", app::res::ID_MODE_IRRADIANCE, 0, "Default", 10.0},
        {"irradiance Morvel", app::res::ID_MODE_IRRADIANCE, 0, "Morvel", 1.1},
        {"specular", app::res::ID_MODE_SPECULAR_REFLECTION, 0, "Default", 100.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreViewWindow w;
        w.frame.family = c.family;
        w.view->setVerticalLogScale(c.logScale);
        w.view->OnCommand(c.command);
        XrtSetValues(w.view->chart(), {{kXrtXMin, 1.0}, {kXrtYMin, 3.0}});
        w.view->OnKeyDown('R');
        EXPECT_NEAR(w.chart(kXrtYMax), c.yMax, 1e-12);
        EXPECT_EQ(w.chart(kXrtYMin), 0.0);
        EXPECT_NEAR(w.chart(kXrtXMin), 400.0, 1e-6);
        EXPECT_NEAR(w.chart(kXrtXMax), 400.0 + 0.1 * 2047, 1e-3);
    }
}

TEST(HarluneSpectrumView, PanAndZoomKeys)
{
    struct Case
    {
        const char* name;
        unsigned key;
        double xMin, xMax, yMin, yMax;
    };
    // Start: X 400..600, Y 0..1000; pan 0.1, zoom 0.25.
    const Case cases[] = {
        {"I", 'I', 400, 600, -100, 900},  {"i", 0x69, 400, 600, -100, 900},
        {"M", 'M', 400, 600, 100, 1100},  {"J", 'J', 420, 620, 0, 1000},
        {"K", 'K', 380, 580, 0, 1000},    {"U", 'U', 450, 550, 250, 750},
        {"O", 'O', 350, 650, -250, 1250}, {"other", 'Q', 400, 600, 0, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreViewWindow w;
        w.view->setPanZoomSteps(0.1, 0.25);
        XrtSetValues(w.view->chart(),
                     {{kXrtXMin, 400.0}, {kXrtXMax, 600.0}, {kXrtYMin, 0.0}, {kXrtYMax, 1000.0}});
        w.view->OnKeyDown(c.key);
        EXPECT_NEAR(w.chart(kXrtXMin), c.xMin, 1e-9);
        EXPECT_NEAR(w.chart(kXrtXMax), c.xMax, 1e-9);
        EXPECT_NEAR(w.chart(kXrtYMin), c.yMin, 1e-9);
        EXPECT_NEAR(w.chart(kXrtYMax), c.yMax, 1e-9);
    }
}

TEST(HarluneSpectrumView, EndAndHomePutTheCursorAtTheEnds)
{
    struct Case
    {
        unsigned key;
        int pixel;
    };
    for (const Case& c : {Case{0x23, 2047}, Case{0x26, 2047}, Case{0x24, 0}, Case{0x28, 0}}) {
        SCOPED_TRACE(c.key);
        CoreViewWindow w;
        w.view->configuration().SetSpectrometerType(0x400); // 512 pixels
        w.view->OnKeyDown(c.key);
        EXPECT_EQ(w.view->cursorPixel(), c.pixel == 0 ? 0 : 511);
    }
}

TEST(HarluneSpectrumView, AutoscaleIgnoresPixelsAtTheLimits)
{
    CoreViewWindow w;
    w.scanAll(10.0f);
    SpectrumArray& p = w.document->spectra().processed[0];
    p[0] = 9999.0; // 400.0 nm, at the X minimum
    p[50] = 70.0;  // 405 nm
    p[60] = -3.0;  // 406 nm
    XrtSetValues(w.view->chart(), {{kXrtXMin, 400.0}, {kXrtXMax, 420.0}});
    w.view->OnAutoscale();
    EXPECT_EQ(w.chart(kXrtYMax), 70.0);
    EXPECT_EQ(w.chart(kXrtYMin), -3.0);

    XrtSetValues(w.view->chart(), {{kXrtXMin, 100.0}, {kXrtXMax, 200.0}});
    w.view->OnAutoscale();
    EXPECT_EQ(w.chart(kXrtYMax), -100000.0);
    EXPECT_EQ(w.chart(kXrtYMin), 100000.0);
}

TEST(HarluneSpectrumView, SetScaleTakesTheLeadingNumbers)
{
    CoreViewWindow w;
    XrtSetValues(w.view->chart(),
                 {{kXrtXMin, 400.0}, {kXrtXMax, 600.5}, {kXrtYMin, 0.0}, {kXrtYMax, 1000.0}});
    w.window.scaleAnswer = std::array<std::string, 4>{"350.5nm", "abc", " -2", "1e3"};
    w.view->OnSetScale();
    EXPECT_EQ(w.window.scaleTexts[1], "600.500");
    EXPECT_EQ(w.chart(kXrtXMin), 350.5);
    EXPECT_EQ(w.chart(kXrtXMax), 0.0);
    EXPECT_EQ(w.chart(kXrtYMin), -2.0);
    EXPECT_EQ(w.chart(kXrtYMax), 1000.0);
}

TEST(HarluneSpectrumView, TemplateViewsAreBoundedAndDroppedWhenClosed)
{
    CoreViewWindow w;
    for (uint32_t h = 1; h <= 50; ++h)
        EXPECT_TRUE(w.view->AddTemplateView(h));
    EXPECT_FALSE(w.view->AddTemplateView(51));
    w.scanAll(1.0f);
    EXPECT_EQ(w.window.notices.size(), 50u);

    CoreViewWindow closing;
    closing.view->AddTemplateView(5);
    closing.view->AddTemplateView(0x9000); // a window that no longer exists
    closing.scanAll(1.0f);
    EXPECT_EQ(closing.window.notices, std::vector<uint32_t>{5});
    EXPECT_EQ(closing.view->templateViewCount(), 1);
}

TEST(HarluneSpectrumView, DestroyReleasesTheChannelsAndSavesTheSettings)
{
    CoreViewWindow w({1, 0, 1, 0, 0, 0, 0, 0});
    w.view->record().integration = 450;
    w.view->OnDestroy();
    const RegistrationRecord& r = w.driver.paramSet;
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(r.channelEnables[k], 0);
        EXPECT_EQ(r.channelBuffers[k], nullptr);
    }
    EXPECT_EQ(r.timingDirty, 1);
    EXPECT_EQ(w.frame.nextScans, 1);
    EXPECT_EQ(CINIFileSupport(nullptr, 1).GetInt("DefaultAcquisitionParameters", "IntegrationTime"),
              300);
    // Closing: no more script events.
    w.scanAll(1.0f);
    EXPECT_TRUE(w.frame.newSpectra.empty());
}

// The framework deletes a closing window's document before the window itself: the document
// hands its buffers back through the view first, so the driver never writes into freed
// memory, and a message still queued for the window is ignored.
TEST(HarluneSpectrumView, TheDocumentTakesItsBuffersBackBeforeItGoes)
{
    CoreViewWindow w({1, 0, 1, 0, 0, 0, 0, 0});
    ASSERT_EQ(w.driver.count("Register"), 1);
    const int nextScans = w.frame.nextScans;
    w.document.reset();
    const RegistrationRecord& r = w.driver.paramSet;
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(r.channelEnables[k], 0);
        EXPECT_EQ(r.channelBuffers[k], nullptr);
    }
    // The view started the next scan; the document did not start another.
    EXPECT_EQ(w.frame.nextScans, nextScans + 1);
    EXPECT_EQ(w.view->OnScanReady(0), 0);
    EXPECT_EQ(w.view->OnLoadDeviceCoefficients(0), 0);
    EXPECT_FALSE(w.view->OnCommand(32816));
    const int paramSets = w.driver.count("ParamSet");
    w.view->OnDestroy(); // the window's own destruction: already done
    EXPECT_EQ(w.driver.count("ParamSet"), paramSets);
    w.view.reset();
}

TEST(HarluneSpectrumView, TheChartAreaFollowsTheWindowUnlessTheChartPlacesIt)
{
    struct Case
    {
        const char* name;
        int placesItself; // chart property 0x101
        int floating;     // the display settings' floating legend
        bool follows;
    };
    for (const Case& c : {Case{"area set by the view", 0, 0, true},
                          Case{"chart's own", 1, 0, false}, Case{"floating legend", 1, 1, true}}) {
        SCOPED_TRACE(c.name);
        CoreViewWindow w;
        w.window.legendAnswer = [&c](XrtHandle, ChartFontSetting&, int& floating) {
            floating = c.floating;
            return true;
        };
        w.view->OnLegendConfigure();
        XrtSetValues(w.view->chart(), {{kXrtLegendShown, c.placesItself},
                                       {kXrtChartAreaWidth, 11},
                                       {kXrtChartAreaHeight, 12}});
        w.view->OnSize(640, 480);
        EXPECT_EQ(w.chart(kXrtChartAreaWidth), c.follows ? 640.0 : 11.0);
        EXPECT_EQ(w.chart(kXrtChartAreaHeight), c.follows ? 480.0 : 12.0);
        EXPECT_EQ(w.chart(kXrtRepaint), 1.0);
    }
}

TEST(HarluneSpectrumView, TimeNormalisationDividesTheScan)
{
    CoreViewWindow w;
    w.view->record().integration = 50;
    w.view->OnCommand(app::res::ID_TIME_NORMALIZED_ENABLE);
    EXPECT_EQ(w.view->timeNormalization(), 1);
    EXPECT_EQ(w.chart(kXrtYMax), 4100.0 / 50.0);
    EXPECT_TRUE(w.view->commandState(app::res::ID_STORE_SAMPLE_DARK).enabled);
    w.scanAll(1000.0f);
    EXPECT_DOUBLE_EQ(w.processed(0)[3], 20.0);
    w.view->OnCommand(app::res::ID_TIME_NORMALIZED_ENABLE);
    EXPECT_EQ(w.chart(kXrtYMax), 4100.0);
    EXPECT_EQ(XrtGetValue(w.view->chart(), kXrtYAxisTitle).toText(), "Intensity (counts)");
}

TEST(HarluneSpectrumView, CreationChoosesTheStartingMode)
{
    struct Case
    {
        const char* name;
        std::string family;
        int gated;
        uint16_t spectrometerType;
        ProcessingMode mode;
        int triggerMode;
        int coolerCalls;
    };
    const Case cases[] = {
        {"default", "Default", 0, 0x200, Scope, 0, 0},
        {"Morvel", "Morvel", 0, 0x200, RelativeIrradiance, 0, 0},
        {"Morvel gated", "Morvel", 1, 0x200, RelativeIrradiance, 3, 0},
        {"Wessor", "Default", 0, 0x400, Scope, 0, 1},
        {"Velko", "Default", 0, 0x500, Scope, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreViewWindow w({1, 0, 0, 0, 0, 0, 0, 0}, 255, false);
        CoreViewWindow::setDefaultConfiguration();
        w.frame.family = c.family;
        w.frame.gated = c.gated;
        w.view->configuration().SetSpectrometerType(c.spectrometerType);
        w.view->OnCreate();
        ASSERT_TRUE(w.view->Create());
        EXPECT_EQ(w.view->processingMode(), c.mode);
        EXPECT_EQ(w.view->record().triggerMode, c.triggerMode);
        EXPECT_EQ(w.driver.count("XandelCooler(1)"), c.coolerCalls);
        EXPECT_EQ(w.driver.count("XandelFan(1)"), c.coolerCalls);
    }
}

} // namespace
