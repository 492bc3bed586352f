#include "app/qt/HarluneApp.h"

#include "app/automation/qt/AutomationServer.h"
#include "app/dialogs/CreateNewGridDialog.h"
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/ScanCountView.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "driver/include/vykdrv32.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/ControlIds.h"
#include "platform/framework/DocTemplate.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "platform/win/Messages.h"
#include "platform/win/Registry.h"
#include "platform/win/System.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/qt/frames/MainFrameFixture.h"
#include "tests/app/shell/ShellFakes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QLocalSocket>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace win = platform::win;

namespace {

// Counts the idle hook's calls.
class CountingApp : public CHarluneApp
{
public:
    using CHarluneApp::CHarluneApp;
    bool OnIdle(long count) override
    {
        ++idleCalls;
        return CHarluneApp::OnIdle(count);
    }
    int idleCalls = 0;
};

long countOf(const std::vector<std::string>& calls, const std::string& call)
{
    return std::count(calls.begin(), calls.end(), call);
}

class HarluneAppTest : public ::testing::Test
{
protected:
    // The shell's own tests count scans with the small view; one test below opens the real one.
    HarluneAppTest() { CHarluneApp::useScanCountViews(true); }
    ~HarluneAppTest() override { CHarluneApp::useScanCountViews(false); }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;

    size_t spectrumDocuments(CHarluneApp& app)
    {
        return app.docTemplate(129) ? app.docTemplate(129)->documents().size() : 0;
    }
};

TEST_F(HarluneAppTest, StartUpSwitches)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> arguments;
        std::vector<int> answers;
        bool starts;
        bool hidden;
    };
    const Case cases[] = {
        {"plain", {}, {}, true, false},
        {"a document is ignored", {"spectrum.txt"}, {}, true, false},
        {"hidden", {"/HIDDEN"}, {}, true, true},
        {"cleanregall declined", {"/cleanregall"}, {win::IDNO}, true, false},
        {"cleanreg declined", {"/cleanreg"}, {win::IDNO}, false, false},
        {"two switches are none", {"/cleanreg", "/hidden"}, {}, true, false},
        {"registeronly", {"/registeronly"}, {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int answer : c.answers)
            ui.answerMessageBox(answer);
        const size_t boxes = ui.messageBoxes().size();
        CHarluneApp app(driver);
        EXPECT_EQ(app.InitInstance(c.arguments), c.starts);
        EXPECT_EQ(ui.messageBoxes().size() - boxes, c.answers.size());
        if (c.starts) {
            EXPECT_EQ(spectrumDocuments(app), 1u);
            EXPECT_EQ(app.mainFrameWidget()->isVisible(), !c.hidden);
        }
    }
}

// Counts the paints of the main frame's widgets, and those that came while the frame had no
// spectrum window yet.
class MainFramePaintWatch : public QObject
{
public:
    MainFramePaintWatch() { qApp->installEventFilter(this); }
    ~MainFramePaintWatch() override { qApp->removeEventFilter(this); }
    int paints = 0;
    int paintsBeforeSpectrumWindow = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Paint || !widget ||
            !dynamic_cast<MainFrameWidget*>(widget->window()))
            return false;
        ++paints;
        if (widget->window()->findChildren<CChildFrameSpectrum*>().isEmpty())
            ++paintsBeforeSpectrumWindow;
        return false;
    }
};

// A shown start paints its main frame before it makes the first spectrum window, and before it
// returns; a hidden one (by the switch, or for an automation client) paints nothing. Either way
// the script engine, made after the paint, is there when the start returns.
TEST_F(HarluneAppTest, ShownStartPaintsTheFrameBeforeTheFirstWindowHiddenPaintsNothing)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> arguments;
        bool shown;
    };
    const Case cases[] = {
        {"plain", {}, true},
        {"no hardware", {"/none"}, true},
        {"hidden", {"/HIDDEN"}, false},
        {"automation", {"/Automation"}, false},
        {"embedding", {"-Embedding"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainFramePaintWatch watch;
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance(c.arguments));
        EXPECT_EQ(spectrumDocuments(app), 1u);
        EXPECT_EQ(app.mainFrameWidget()->isVisible(), c.shown);
        EXPECT_TRUE(app.mainFrameWidget()->scriptObject().hasEngine());
        if (c.shown) {
            EXPECT_GT(watch.paintsBeforeSpectrumWindow, 0);
        } else {
            QCoreApplication::processEvents();
            EXPECT_EQ(watch.paints, 0);
        }
    }
}

// Connects one automation client to the program's server and closes it again.
void visitAsClient(CHarluneApp& app)
{
    app::automation::AutomationServer* server = app.automationServer();
    ASSERT_NE(server, nullptr);
    QLocalSocket client;
    client.connectToServer(QString::fromStdString(server->socketPath()));
    ASSERT_TRUE(runUntil([&] { return server->connectionCount() == 1; }));
    client.write("{\"id\":1,\"request\":\"create\",\"progId\":\"Harlune.GenVersion\"}\n");
    ASSERT_TRUE(runUntil([&] { return client.canReadLine(); }));
    EXPECT_EQ(server->clientObjectCount(), 1u);
    client.disconnectFromServer();
    ASSERT_TRUE(runUntil([&] { return server->connectionCount() == 0; }));
}

// Started for an automation client, the program is nobody's: it ends once its last client has
// gone, and the question its close asks (data left on the clipboard) takes its default answer
// without reaching anyone. Started by the user, it stays.
TEST_F(HarluneAppTest, AutomationStartEndsAfterItsLastClientWithoutAsking)
{
    CHarluneApp::useScanCountViews(false);
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    {
        std::FILE* file = std::fopen(spec.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n",
                   file);
        std::fclose(file);
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    }
    int ended = 0;
    {
        CHarluneApp app(driver);
        app.setEndHandler([&] { ++ended; });
        ASSERT_TRUE(app.InitInstance({"/Automation"}));
        EXPECT_FALSE(app.mainFrameWidget()->isVisible());
        auto* frame = app.mainFrameWidget()->MDIGetActive();
        ASSERT_NE(frame, nullptr);
        auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(runUntil([&] { return view->isReady(); }));
        view->core().OnCopyAllSpectralData();
        ASSERT_EQ(view->core().largeClipboard(), 1);

        visitAsClient(app);
        ASSERT_TRUE(runUntil([&] { return ended == 1; }));
    }
    EXPECT_TRUE(ui.messageBoxes().empty());

    CHarluneApp app(driver);
    app.setEndHandler([&] { ++ended; });
    ASSERT_TRUE(app.InitInstance({"/none"}));
    visitAsClient(app);
    // A second visit is served after the first one's leaving was handled.
    visitAsClient(app);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(app.mainFrameWidget()->isVisible());
}

TEST_F(HarluneAppTest, SecondInstanceEndsAtOnce)
{
    CHarluneApp first(driver);
    ASSERT_TRUE(first.InitInstance({}));
    {
        RecordingDriver other;
        CHarluneApp second(other);
        EXPECT_FALSE(second.InitInstance({}));
        EXPECT_EQ(second.mainFrameWidget(), nullptr);
        EXPECT_TRUE(other.calls.empty());
    }
    EXPECT_TRUE(first.mainFrameWidget()->isVisible());
}

TEST_F(HarluneAppTest, RoundRobinScansThroughIdleAndRestsWhenHalted)
{
    CountingApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    const std::string scan = "SingleScan_Thread(" + std::to_string(getpid()) + ")";
    ASSERT_TRUE(runUntil([&] { return countOf(driver.calls, scan) >= 1; }));

    // The scan's completion arrives as the channel's message at the view.
    auto* frame = app.mainFrameWidget()->MDIGetActive();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<ScanCountView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < 3; ++i) {
        const long before = countOf(driver.calls, scan);
        win::PostMessage(view->GetSafeHwnd(), VYK_MSG_BUFFER_FULL, 0, 0);
        ASSERT_TRUE(runUntil([&] { return countOf(driver.calls, scan) > before; }));
    }
    EXPECT_EQ(view->scansReceived(), 3);

    // Halted, the program rests: no scan starts and it uses (almost) no CPU.
    app.mainFrameWidget()->core().SetAcquisitionSuspended(2);
    win::PostMessage(view->GetSafeHwnd(), VYK_MSG_BUFFER_FULL, 0, 0);
    const long scans = countOf(driver.calls, scan);
    // The halted channel message is handled (it has left the view's queue).
    ASSERT_TRUE(runUntil([&] {
        win::MSG pending{};
        return !win::PeekMessage(&pending, view->GetSafeHwnd(), VYK_MSG_BUFFER_FULL,
                                 VYK_MSG_BUFFER_FULL, win::PM_NOREMOVE);
    }));
    const int idleCalls = app.idleCalls;
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer wall;
    wall.start();
    QEventLoop rest;
    QTimer::singleShot(1000, &rest, &QEventLoop::quit);
    rest.exec();
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    // The quit timer's own event may wake the hook once; nothing else does.
    EXPECT_LE(app.idleCalls - idleCalls, 2);
    EXPECT_EQ(countOf(driver.calls, scan), scans);
    EXPECT_LT(cpuSeconds, 0.1 * wall.elapsed() / 1000.0);

    app.mainFrameWidget()->core().SetAcquisitionSuspended(0);
    EXPECT_GT(countOf(driver.calls, scan), scans);
}

TEST_F(HarluneAppTest, MainMenuCommands)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    const std::string scan = "SingleScan_Thread(" + std::to_string(getpid()) + ")";
    ASSERT_TRUE(runUntil([&] { return countOf(driver.calls, scan) >= 1; }));

    // Kick Start starts the next scan although one is outstanding.
    const long scans = countOf(driver.calls, scan);
    EXPECT_TRUE(frame.executeCommand(32830));
    EXPECT_EQ(countOf(driver.calls, scan), scans + 1);

    EXPECT_TRUE(frame.executeCommand(32790));
    EXPECT_TRUE(frame.core().snapshotOn());
    EXPECT_TRUE(frame.executeCommand(32790));
    EXPECT_FALSE(frame.core().snapshotOn());

    // File New of the spectrum menu opens a second spectrum window; a grid window is passed
    // over by the round-robin.
    EXPECT_TRUE(frame.executeCommand(32805));
    // The grid's size is asked first; its defaults are taken.
    answerNextModal<CCreateNewGridDialog>([](CCreateNewGridDialog& dialog) { dialog.pressOk(); });
    EXPECT_TRUE(frame.executeCommand(32957));
    EXPECT_EQ(spectrumDocuments(app), 2u);
    EXPECT_EQ(frame.childWindows().size(), 3u);
}

TEST_F(HarluneAppTest, SpectrumWindowsGetTheSpectrumView)
{
    CHarluneApp::useScanCountViews(false);
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    {
        std::FILE* file = std::fopen(spec.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n",
                   file);
        std::fclose(file);
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    }
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    auto* frame = app.mainFrameWidget()->MDIGetActive();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(runUntil([&] { return view->isReady(); }));
}

// The driver library runs its start-up (configuration file, operation sets) at the first call,
// so the program's first calls leave it ready to scan without hardware.
TEST_F(HarluneAppTest, RealDriverWithoutHardwareDeliversScans)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    {
        std::FILE* file = std::fopen(spec.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n",
                   file);
        std::fclose(file);
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
        // The blocking scan call: the no-hardware scan runs in the calling thread.
        store.WriteString("Preferences", "SingleThread", "1");
    }
    std::vector<std::string> reports;
    DriverLibrary library("libVYKDRV32.so",
                          [&](const std::string& message) { reports.push_back(message); });
    CHarluneApp app(library);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    ASSERT_TRUE(library.isLoaded());
    auto* frame = app.mainFrameWidget()->MDIGetActive();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<ScanCountView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(runUntil([&] { return view->scansReceived() >= 3; }, 10000))
        << view->scansReceived() << " scans; " << (reports.empty() ? "" : reports[0]) << " | "
        << ui.messageBoxes().size()
        << " boxes: " << (ui.messageBoxes().empty() ? "" : ui.messageBoxes()[0].text);
}

// Seeds the settings as scripts/run does: a default spectrometer without A/D (the driver's
// synthetic channel), a short integration time and the threaded scan.
void seedNoHardwareSpectrometer()
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    std::FILE* file = std::fopen(spec.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n", file);
    std::fclose(file);
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    store.WriteString("Preferences", "SingleThread", "0");
    store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 4);
}

std::vector<SpectrumViewWidget*> spectrumViews(MainFrameWidget& frame)
{
    std::vector<SpectrumViewWidget*> views;
    for (platform::framework::ChildFrame* child : frame.childFrames())
        if (auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView()))
            views.push_back(view);
    return views;
}

// A value no scan of the synthetic channel gives: a window that shows it has had no scan since
// it was put there.
constexpr double kNoScan = -7.0;

void markUnscanned(SpectrumViewWidget* view)
{
    view->core().document().spectra().processed[0][1000] = kNoScan;
}

bool scannedSinceMark(SpectrumViewWidget* view)
{
    return view->core().document().spectra().processed[0][1000] != kNoScan;
}

// The synthetic ramp of the no-hardware set: pixel i lies between i and i + 50.
void expectRamp(const SpectrumArray& values)
{
    for (int i : {1, 100, 1000, 2047}) {
        EXPECT_GE(values[i], i - 0.01) << "pixel " << i;
        EXPECT_LE(values[i], i + 50.01) << "pixel " << i;
    }
}

// The program as scripts/run starts it, on the real driver library bound at its first call:
// several spectrum windows take turns in the round-robin and show the synthetic spectra live.
TEST_F(HarluneAppTest, RealDriverSpectrumWindowsShowLiveSpectra)
{
    CHarluneApp::useScanCountViews(false);
    seedNoHardwareSpectrometer();
    std::vector<std::string> reports;
    DriverLibrary library("libVYKDRV32.so",
                          [&](const std::string& message) { reports.push_back(message); });
    {
        CHarluneApp app(library);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        // The first window scans on its own, as at every start.
        std::vector<SpectrumViewWidget*> views = spectrumViews(frame);
        ASSERT_EQ(views.size(), 1u);
        markUnscanned(views[0]);
        ASSERT_TRUE(runUntil([&] { return scannedSinceMark(views[0]); }, 10000))
            << (reports.empty() ? "" : reports[0]);
        app.NewSpectrumWindow();
        app.NewSpectrumWindow();
        views = spectrumViews(frame);
        ASSERT_EQ(views.size(), 3u);
        const auto allScanned = [&] {
            return std::all_of(views.begin(), views.end(), scannedSinceMark);
        };

        // Every window scans, and goes on scanning.
        for (int round = 0; round < 2; ++round) {
            std::for_each(views.begin(), views.end(), markUnscanned);
            ASSERT_TRUE(runUntil(allScanned, 10000)) << (reports.empty() ? "" : reports[0]);
        }
        for (SpectrumViewWidget* view : views) {
            expectRamp(view->core().document().spectra().processed[0]);
            // Without a cooled detector or the Quintar lamp unit their bars are hidden.
            auto* child = dynamic_cast<CChildFrameSpectrum*>(view->GetParentFrame());
            ASSERT_NE(child, nullptr);
            EXPECT_TRUE(
                child->controlBar(CChildFrameSpectrum::IDD_ACQUISITION_PARAMETERS)->isVisible());
            EXPECT_FALSE(child->controlBar(CChildFrameSpectrum::IDD_WESSOR_ULMAR)->isVisible());
            EXPECT_FALSE(child->controlBar(CChildFrameSpectrum::IDD_USB_NORREL)->isVisible());
        }
        EXPECT_TRUE(reports.empty());
        EXPECT_TRUE(ui.messageBoxes().empty());

        // However fast the scans come, each chart is drawn at most once per display frame.
        std::vector<uint64_t> paints;
        for (SpectrumViewWidget* view : views)
            paints.push_back(view->chartWindow().paintCount());
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < 5; ++round) {
            std::for_each(views.begin(), views.end(), markUnscanned);
            ASSERT_TRUE(runUntil(allScanned, 10000));
        }
        const qint64 elapsedMs = clock.elapsed();
        for (size_t k = 0; k < views.size(); ++k)
            EXPECT_LE(views[k]->chartWindow().paintCount() - paints[k],
                      static_cast<uint64_t>(elapsedMs / 16 + 2));

        // Snapshot freezes one window while the others go on; the second toggle resumes it.
        SpectrumViewWidget* frozen = views[0];
        EXPECT_TRUE(frozen->GetParentFrame()->executeCommand(32818));
        markUnscanned(frozen);
        for (int round = 0; round < 2; ++round) {
            markUnscanned(views[1]);
            markUnscanned(views[2]);
            ASSERT_TRUE(runUntil(
                [&] { return scannedSinceMark(views[1]) && scannedSinceMark(views[2]); }, 10000));
        }
        EXPECT_FALSE(scannedSinceMark(frozen));
        EXPECT_TRUE(frozen->GetParentFrame()->executeCommand(32818));
        EXPECT_TRUE(runUntil([&] { return scannedSinceMark(frozen); }, 10000));

        // Store Dark, Store Reference, then Absorbance: log10((R - D) / (S - D)), 0 where a
        // difference is not positive.
        SpectrumViewWidget* absorbance = views[1];
        const ChannelSpectra& s = absorbance->core().document().spectra();
        // A scan whose pixel 1000 differs from the stored dark and reference: new data (the
        // noise of the ramp makes equal values rare).
        const auto nextNewScan = [&] {
            const auto isNew = [&] {
                return scannedSinceMark(absorbance) &&
                       (!s.darkStored[0] || s.sample[0][1000] != s.dark[0][1000]) &&
                       (!s.referenceStored[0] || s.sample[0][1000] != s.reference[0][1000]);
            };
            markUnscanned(absorbance);
            return runUntil([&] {
                if (scannedSinceMark(absorbance) && !isNew())
                    markUnscanned(absorbance);
                return isNew();
            });
        };
        ASSERT_TRUE(nextNewScan());
        EXPECT_TRUE(absorbance->GetParentFrame()->executeCommand(32816));
        ASSERT_TRUE(nextNewScan());
        EXPECT_TRUE(absorbance->GetParentFrame()->executeCommand(32817));
        EXPECT_TRUE(absorbance->GetParentFrame()->executeCommand(32796));
        ASSERT_EQ(absorbance->core().processingMode(), Absorbance);
        ASSERT_TRUE(nextNewScan());
        int ratios = 0;
        for (int i = 0; i < 2048; ++i) {
            const double sample = s.sample[0][i] - s.dark[0][i];
            const double reference = s.reference[0][i] - s.dark[0][i];
            const double expected =
                (sample <= 0.0 || reference <= 0.0) ? 0.0 : std::log10(reference / sample);
            ASSERT_NEAR(s.processed[0][i], expected, 1e-12) << "pixel " << i;
            ratios += expected != 0.0 ? 1 : 0;
        }
        EXPECT_GT(ratios, 100); // the ramp's noise gives real ratios

        // Closing a window releases its channels; the others keep scanning.
        frozen->GetParentFrame()->close();
        ASSERT_TRUE(runUntil([&] { return spectrumViews(frame).size() == 2; }));
        views = spectrumViews(frame);
        for (int round = 0; round < 3; ++round) {
            std::for_each(views.begin(), views.end(), markUnscanned);
            ASSERT_TRUE(runUntil(allScanned, 10000));
        }
        EXPECT_TRUE(ui.messageBoxes().empty());
    }
    CHarluneApp::useScanCountViews(true);
}

// Clicks the tool-bar button of a command in the spectrum window's tool bars (which the main
// frame hosts), or triggers its action where the offscreen bar shows no button; false when no
// bar has the command.
bool clickToolButton(MainFrameWidget& frame, unsigned id)
{
    for (QToolBar* bar : frame.findChildren<QToolBar*>())
        for (QAction* action : bar->actions())
            if (action->data().toUInt() == id && action->isEnabled()) {
                auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
                if (button != nullptr && button->isVisible())
                    QTest::mouseClick(button, Qt::LeftButton);
                else
                    action->trigger();
                return true;
            }
    return false;
}

// Types the text into an edit key by key, over what it holds; Return commits it.
void typeInto(QLineEdit* edit, const QString& text, bool commit)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    if (commit)
        QTest::keyClick(edit, Qt::Key_Return);
}

// A long exposure asked by a typing slip is not waited out: the Emergency Reset button and
// menu item, Global Emergency Reset, Kick Start and a new time typed in the bar each end it
// and bring a scan at once, and the next scan runs at the new time.
TEST_F(HarluneAppTest, EveryRoadEndsALongNoHardwareExposureAtOnce)
{
    CHarluneApp::useScanCountViews(false);
    seedNoHardwareSpectrometer();
    DriverLibrary library("libVYKDRV32.so", [](const std::string&) {});
    {
        CHarluneApp app(library);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        std::vector<SpectrumViewWidget*> views = spectrumViews(frame);
        ASSERT_EQ(views.size(), 1u);
        SpectrumViewWidget* view = views[0];
        auto* child = view->GetParentFrame();
        auto* integration = dynamic_cast<QLineEdit*>(platform::framework::GetDlgItem(child, 1006));
        ASSERT_NE(integration, nullptr);
        const auto menuItem = [&](unsigned id) {
            QAction* item = frames_test::menuAction(frame.menuBar(), id);
            ASSERT_NE(item, nullptr) << id;
            ASSERT_TRUE(item->isEnabled()) << id;
            item->trigger();
        };
        const struct
        {
            const char* name;
            std::function<void()> road;
        } roads[] = {
            {"Emergency Reset button", [&] { ASSERT_TRUE(clickToolButton(frame, 32820)); }},
            {"Emergency Reset menu item", [&] { menuItem(32820); }},
            {"Global Emergency Reset", [&] { menuItem(32791); }},
            {"Kick Start after a script's new time",
             [&] {
                 // As the automation property IntegrationTime stores it: no scan of its own.
                 view->core().record().integration = 100;
                 view->core().UpdateAcquisitionBar();
                 menuItem(32830);
             }},
            {"a new time typed in the bar", [&] { typeInto(integration, "100", true); }},
        };
        for (const auto& road : roads) {
            SCOPED_TRACE(road.name);
            // Acquisition rests between two scans while the slip is typed ...
            frame.core().SetAcquisitionSuspended(2);
            ASSERT_TRUE(runUntil([&] { return !frame.core().scanPending(); }, 10000));
            typeInto(integration, "60000", true);
            ASSERT_EQ(view->core().record().integration, 60000);
            // ... and resumes: the long exposure starts.
            markUnscanned(view);
            frame.core().SetAcquisitionSuspended(0);
            ASSERT_TRUE(runUntil([&] { return library.VYK_AcquisitionThreadActive() != 0; }));
            road.road();
            EXPECT_EQ(integration->text(), QStringLiteral("100"));
            EXPECT_TRUE(runUntil([&] { return scannedSinceMark(view); }, 2000));
            EXPECT_EQ(view->core().record().integration, 100);
            // The next scan runs at the new time as well.
            markUnscanned(view);
            EXPECT_TRUE(runUntil([&] { return scannedSinceMark(view); }, 2000));
        }
    }
    CHarluneApp::useScanCountViews(true);
}

// A number typed key by key into Average reaches no scan before it is committed; committed,
// it goes to the running scan at once, the box and the status bar show the same value, and a
// new value ends that scan in turn.
TEST_F(HarluneAppTest, TypedAverageCountsOnlyWhenCommitted)
{
    CHarluneApp::useScanCountViews(false);
    seedNoHardwareSpectrometer();
    DriverLibrary library("libVYKDRV32.so", [](const std::string&) {});
    {
        CHarluneApp app(library);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        std::vector<SpectrumViewWidget*> views = spectrumViews(frame);
        ASSERT_EQ(views.size(), 1u);
        SpectrumViewWidget* view = views[0];
        auto* child = view->GetParentFrame();
        auto* integration = dynamic_cast<QLineEdit*>(platform::framework::GetDlgItem(child, 1006));
        auto* average = dynamic_cast<QLineEdit*>(platform::framework::GetDlgItem(child, 1009));
        ASSERT_NE(integration, nullptr);
        ASSERT_NE(average, nullptr);
        const RegistrationRecord& record = view->core().record();

        // A scan of 999 averages of 100 ms runs.
        frame.core().SetAcquisitionSuspended(2);
        ASSERT_TRUE(runUntil([&] { return !frame.core().scanPending(); }, 10000));
        typeInto(integration, "100", true);
        typeInto(average, "999", true);
        frame.core().SetAcquisitionSuspended(0);
        ASSERT_TRUE(runUntil([&] { return library.VYK_AcquisitionThreadActive() != 0; }));
        ASSERT_EQ(record.scansToAverage, 999);

        const uint64_t started = frame.core().scansStarted();
        const QString status = frame.statusBar()->currentMessage();
        typeInto(average, "99999999", false);
        QCoreApplication::processEvents();
        EXPECT_EQ(frame.core().scansStarted(), started);
        EXPECT_EQ(record.scansToAverage, 999);
        EXPECT_EQ(frame.statusBar()->currentMessage(), status);

        QTest::keyClick(average, Qt::Key_Return);
        EXPECT_EQ(record.scansToAverage, 9999);
        EXPECT_EQ(average->text(), QStringLiteral("9999"));
        EXPECT_TRUE(frame.statusBar()->currentMessage().contains(QStringLiteral("Averages: 9999")))
            << frame.statusBar()->currentMessage().toStdString();

        // Average 1 ends the running scan of many averages.
        markUnscanned(view);
        typeInto(average, "1", true);
        EXPECT_TRUE(frame.statusBar()->currentMessage().contains(QStringLiteral("Averages: 1 ")))
            << frame.statusBar()->currentMessage().toStdString();
        EXPECT_TRUE(runUntil([&] { return scannedSinceMark(view); }, 2000));
    }
    CHarluneApp::useScanCountViews(true);
}

// At the very first start the acquisition bar shows the first window's values.
TEST_F(HarluneAppTest, FirstWindowShowsItsAcquisitionValuesAtOnce)
{
    CHarluneApp::useScanCountViews(false);
    seedNoHardwareSpectrometer();
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    std::vector<SpectrumViewWidget*> views = spectrumViews(*app.mainFrameWidget());
    ASSERT_EQ(views.size(), 1u);
    auto* child = views[0]->GetParentFrame();
    const RegistrationRecord& record = views[0]->core().record();
    const struct
    {
        unsigned id;
        int value;
    } fields[] = {
        {1006, record.integration}, {1009, record.scansToAverage}, {1012, record.boxcarHalfWidth}};
    for (const auto& field : fields) {
        auto* edit = dynamic_cast<QLineEdit*>(platform::framework::GetDlgItem(child, field.id));
        ASSERT_NE(edit, nullptr);
        EXPECT_FALSE(edit->text().isEmpty()) << field.id;
        EXPECT_EQ(edit->text(), QString::number(field.value)) << field.id;
    }
    CHarluneApp::useScanCountViews(true);
}

// The main window's status bar names the integration time the window scans at: the driver's
// synthetic channel applies the time it is given, as a device does.
TEST_F(HarluneAppTest, RealDriverStatusBarShowsTheWindowsIntegrationTime)
{
    CHarluneApp::useScanCountViews(false);
    seedNoHardwareSpectrometer();
    CINIFileSupport(nullptr, 1).WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 30);
    DriverLibrary library("libVYKDRV32.so", [](const std::string&) {});
    {
        CHarluneApp app(library);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        std::vector<SpectrumViewWidget*> views = spectrumViews(frame);
        ASSERT_EQ(views.size(), 1u);
        SpectrumViewWidget* view = views[0];
        // The first scans apply the window's time; the status text of the next ones names it.
        for (int scan = 0; scan < 2; ++scan) {
            markUnscanned(view);
            ASSERT_TRUE(runUntil([&] { return scannedSinceMark(view); }, 10000));
        }
        ASSERT_EQ(view->core().record().integration, 30);
        const QString expected = QStringLiteral("Integration Time: 30 msec");
        EXPECT_TRUE(
            runUntil([&] { return frame.statusBar()->currentMessage().contains(expected); }, 10000))
            << frame.statusBar()->currentMessage().toStdString();
    }
    CHarluneApp::useScanCountViews(true);
}

void writeCurrentUser(const char* path, const char* name, const std::string& text)
{
    win::HKEY key = 0;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_CURRENT_USER, path, 0, nullptr,
                                  win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
              0);
    win::RegSetValueEx(key, name, 0, win::REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                       static_cast<PWIN_DWORD>(text.size() + 1));
    win::RegCloseKey(key);
}

std::string readCurrentUser(const char* path, const char* name)
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, path, 0, win::KEY_READ, &key) != 0)
        return "(none)";
    char text[256] = {};
    PWIN_DWORD size = sizeof(text) - 1;
    PWIN_DWORD type = 0;
    const long result =
        win::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<uint8_t*>(text), &size);
    win::RegCloseKey(key);
    return result == 0 ? std::string(text) : "(none)";
}

constexpr const char* kPlacementKey =
    "Software\\Varnholt Software\\Harlune Toolbars\\MainWindowSize";

TEST_F(HarluneAppTest, PreferencesAndPlacementRestoredAndWrittenBack)
{
    struct Case
    {
        const char* name;
        std::string placement;
        bool maximized;
        std::string writtenPrefix;
    };
    const Case cases[] = {
        {"maximised", "2,3,-1,-1,-1,-1,10,20,610,420", true, "2,3,"},
        {"malformed", "0,1,2,3", false, "0,1,"},
        {"missing", "", false, "0,1,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            CINIFileSupport store(nullptr, 1);
            store.WriteString("Preferences", "AlwaysSaveDark", "1");
            store.WriteString("Preferences", "SingleThread", "1");
            store.WriteString("Preferences", "ManufacturingExtensionsEnabled", "1");
        }
        writeCurrentUser(kPlacementKey, "WindowPos", c.placement);
        const std::string scan = "SingleScan(" + std::to_string(getpid()) + ")";
        driver.calls.clear();
        {
            CHarluneApp app(driver);
            ASSERT_TRUE(app.InitInstance({}));
            EXPECT_EQ(app.mainFrameWidget()->isMaximized(), c.maximized);
            EXPECT_EQ(app.manufacturingExtensionsEnabled(), 1);
            // "SingleThread" 1 scans with the blocking call.
            EXPECT_TRUE(runUntil([&] { return countOf(driver.calls, scan) >= 1; }));
            // Removed while the program runs: written back at exit, except the manufacturing
            // switch.
            CINIFileSupport store(nullptr, 1);
            win::HKEY key = 0;
            ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE,
                                        "Software\\Varnholt Software\\Harlune\\Preferences", 0,
                                        win::KEY_ALL_ACCESS, &key),
                      0);
            win::RegDeleteValue(key, "ManufacturingExtensionsEnabled");
            win::RegDeleteValue(key, "PrintBWOnly");
            win::RegCloseKey(key);
            app.mainFrameWidget()->close();
        }
        CINIFileSupport store(nullptr, 1);
        EXPECT_EQ(store.GetStringDefault("Preferences", "AlwaysSaveDark", "?"), "1");
        EXPECT_EQ(store.GetStringDefault("Preferences", "PrintBWOnly", "?"), "1");
        EXPECT_EQ(store.GetStringDefault("Preferences", "OpenFileWavelengthTolerance", "?"),
                  "0.050000000000000");
        EXPECT_EQ(store.GetStringDefault("Preferences", "ManufacturingExtensionsEnabled", "?"),
                  "?");
        EXPECT_EQ(readCurrentUser(kPlacementKey, "WindowPos").rfind(c.writtenPrefix, 0), 0u)
            << readCurrentUser(kPlacementKey, "WindowPos");
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
