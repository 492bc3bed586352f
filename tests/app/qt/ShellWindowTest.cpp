// The main window's own parts, offscreen: registration at start, the About box, help, the bars
// and the status panes, the scripting commands and the error log as the automation sink.
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/ScanCountView.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/ErrorLog.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/VersionText.h"
#include "app/shell/qt/AboutDlg.h"
#include "app/shell/qt/HtmlHelpLauncher.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/basic/BasicEngine.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/Commands.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/qt/MessagePump.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "platform/win/Clock.h"
#include "platform/win/ManualClock.h"
#include "platform/win/Registry.h"
#include "platform/win/Timers.h"
#include "tests/app/automation/RecordingEngine.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/shell/ShellFakes.h"
#include "toolkit/crypt/COXCryptFile.h"
#include "toolkit/crypt/MemoryFile.h"
#include "toolkit/crypt/ScriptKey.h"
#include "toolkit/widgets/COXCoolToolBar.h"
#include "toolkit/widgets/COXMenuOrganizer.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace win = platform::win;
namespace fs = std::filesystem;

namespace {

bool classesRootHas(const char* path, const char* name = nullptr)
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, path, 0, win::KEY_READ, &key) != 0)
        return false;
    bool found = true;
    if (name) {
        PWIN_DWORD type = 0;
        PWIN_DWORD size = 0;
        found = win::RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) == 0;
    }
    win::RegCloseKey(key);
    return found;
}

// A recording driver whose module is the real driver library, for its version text.
class VersionedDriver : public RecordingDriver
{
public:
    std::string moduleFileName() override { return path; }
    std::string path;
};

// A script whose VerifyMenu forbids one action.
class ForbiddingScript : public ScriptHost
{
public:
    explicit ForbiddingScript(int32_t forbidden) : m_forbidden(forbidden) {}
    bool definesVerifyMenu() override { return true; }
    std::optional<int32_t> callVerifyMenu(int32_t id) override { return id == m_forbidden ? 0 : 1; }
    void reportError(const std::string&) override {}
    bool isRunning() override { return false; }
    void stop() override {}

private:
    int32_t m_forbidden;
};

class ShellWindowTest : public ::testing::Test
{
protected:
    ShellWindowTest()
    {
        CHarluneApp::useScanCountViews(true);
        // The tests share one registry: each starts without registration and bar states.
        win::RegDeleteTree(win::HKEY_CLASSES_ROOT, "Harlune.Document");
        win::RegDeleteTree(win::HKEY_CURRENT_USER, "Software\\Varnholt Software\\Harlune Toolbars");
    }
    ~ShellWindowTest() override { CHarluneApp::useScanCountViews(false); }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
};

TEST_F(ShellWindowTest, RegisterOnlyRegistersTheServerAndEndsWithoutTouchingPreferences)
{
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "AlwaysSaveDark", "1");
    }
    {
        CHarluneApp app(driver);
        EXPECT_FALSE(app.InitInstance({"/REGISTERONLY"}));
    }
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_TRUE(classesRootHas("Harlune.Document"));
    EXPECT_TRUE(classesRootHas("TypeLib"));
    // The preferences were never read, so they are not written back either.
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetStringDefault("Preferences", "AlwaysSaveDark", "?"), "1");
}

TEST_F(ShellWindowTest, StartRegistersTheTypeLibraryAndRefreshesAnEarlierRegistration)
{
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
    }
    // Never registered: only the type library is.
    EXPECT_TRUE(classesRootHas("TypeLib"));
    EXPECT_FALSE(classesRootHas("Harlune.Document"));

    {
        CHarluneApp app(driver);
        EXPECT_FALSE(app.InitInstance({"/registeronly"}));
    }
    ASSERT_TRUE(classesRootHas("Harlune.Document\\CLSID", ""));
    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, "Harlune.Document\\CLSID", 0,
                                win::KEY_ALL_ACCESS, &key),
              0);
    win::RegDeleteValue(key, "");
    win::RegCloseKey(key);
    ASSERT_FALSE(classesRootHas("Harlune.Document\\CLSID", ""));
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
    }
    EXPECT_TRUE(classesRootHas("Harlune.Document\\CLSID", ""));
}

// Runs the About command and reads the box that it shows (closing it again).
std::optional<std::pair<QString, QString>> runAbout(MainFrameWidget& frame)
{
    std::optional<std::pair<QString, QString>> shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = dynamic_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            shown.emplace(box->programVersionText(), box->driverVersionText());
            box->accept();
        }
    });
    frame.executeCommand(57664);
    // A box that was not shown leaves the single shot to run here.
    QApplication::processEvents();
    return shown;
}

TEST_F(ShellWindowTest, AboutBoxShowsBothVersionsUnlessTheScriptForbidsIt)
{
    DriverLibrary library("libVYKDRV32.so");
    ASSERT_TRUE(library.load());
    VersionedDriver versioned;
    versioned.path = library.moduleFileName();
    CHarluneApp app(versioned);
    ASSERT_TRUE(app.InitInstance({}));
    const std::string driverVersion = readFileVersion(versioned.path, "040904e4");
    ASSERT_FALSE(driverVersion.empty());
    EXPECT_EQ(app.GetDriverVersion(), driverVersion);

    auto shown = runAbout(*app.mainFrameWidget());
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->first.toStdString(), "Program Version: " + app.GetApplicationVersion());
    EXPECT_EQ(shown->second.toStdString(), "Driver Version: " + driverVersion);

    ForbiddingScript script(0x13); // mvHelpAboutHarlune
    app.mainFrameWidget()->core().setScriptHost(&script);
    EXPECT_FALSE(runAbout(*app.mainFrameWidget()).has_value());
    app.mainFrameWidget()->core().setScriptHost(nullptr);
}

TEST_F(ShellWindowTest, DriverVersionIsEmptyWhileNoLibraryIsLoaded)
{
    CHarluneApp app(driver);
    EXPECT_EQ(app.GetDriverVersion(), "");
}

TEST_F(ShellWindowTest, HelpOpensTheHtmlFolderOrSaysWhereItWasLookedFor)
{
    const fs::path work = fs::current_path();
    const std::string helpFile = work.string() + "\\Harlune.chm";
    std::vector<QUrl> opened;
    auto opener = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    CHtmlHelpLauncher launcher(0, helpFile, std::string(), opener);
    EXPECT_EQ(launcher.helpFolder(), (work / "Harlune.help").string());

    // No help installed: a box says where it was looked for, no browser opens.
    EXPECT_FALSE(launcher.ShowContents());
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_NE(ui.messageBoxes()[0].text.find((work / "Harlune.help").string()), std::string::npos);
    EXPECT_NE(ui.messageBoxes()[0].text.find("not found"), std::string::npos);
    EXPECT_TRUE(opened.empty());

    fs::create_directories(work / "Harlune.help");
    std::ofstream(work / "Harlune.help" / "index.html") << "<html></html>";
    std::ofstream(work / "Harlune.help" / "topic-7.html") << "<html></html>";
    struct Case
    {
        const char* name;
        std::function<bool()> show;
        const char* page;
    };
    const Case cases[] = {
        {"contents", [&] { return launcher.ShowContents(); }, "index.html"},
        {"index falls back to the contents", [&] { return launcher.ShowIndex(); }, "index.html"},
        {"context with a page", [&] { return launcher.ShowContext(7); }, "topic-7.html"},
        {"context without one", [&] { return launcher.ShowContext(8); }, "index.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        opened.clear();
        EXPECT_TRUE(c.show());
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_TRUE(opened[0].isLocalFile());
        EXPECT_EQ(opened[0].toLocalFile().toStdString(), (work / "Harlune.help" / c.page).string());
    }
    EXPECT_EQ(ui.messageBoxes().size(), 1u);
    fs::remove_all(work / "Harlune.help");
}

TEST_F(ShellWindowTest, HelpCommandsAndAlwaysOnTop)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    // The application path (the test's work folder) has no pages: the help opens from the
    // pages the build puts beside the program, through the UI services' browser.
    const fs::path pages = fs::path(CHarluneApp::programFolder()) / "Harlune.help";
    ASSERT_TRUE(fs::is_regular_file(pages / "index.html")) << pages;
    struct Road
    {
        const char* name;
        std::function<void()> ask;
        const char* page;
    };
    const Road roads[] = {
        {"F1 on the frame",
         [&] {
             // Where the user's key goes: the focus widget of the active window.
             QWidget* target = QApplication::focusWidget();
             QTest::keyClick(target != nullptr ? target : &frame, Qt::Key_F1);
         },
         "index.html"},
        {"Help > Contents", [&] { frame.executeCommand(33051); }, "index.html"},
        {"Help > Index", [&] { frame.executeCommand(app::res::ID_HELP_SHOW_INDEX); },
         "keywords.html"},
        {"the framework's help", [&] { frame.executeCommand(57670); }, "index.html"},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        const size_t before = ui.openedUrls().size();
        road.ask();
        ASSERT_TRUE(runUntil([&] { return ui.openedUrls().size() > before; }));
        EXPECT_EQ(fs::path(ui.openedUrls().back().toLocalFile().toStdString()), pages / road.page);
    }
    EXPECT_TRUE(ui.messageBoxes().empty());

    EXPECT_EQ(platform::framework::queryCommandState(frame, 33052).check, std::optional<int>(0));
    EXPECT_TRUE(frame.executeCommand(33052));
    EXPECT_EQ(frame.allPreferences().HelpAlwaysOnTop, 1u);
    EXPECT_EQ(platform::framework::queryCommandState(frame, 33052).check, std::optional<int>(1));
}

TEST_F(ShellWindowTest, StartedForAutomationTheWindowStaysHiddenButASpectrumWindowOpens)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"-Embedding"}));
    EXPECT_FALSE(app.mainFrameWidget()->isVisible());
    ASSERT_NE(app.docTemplate(129), nullptr);
    EXPECT_EQ(app.docTemplate(129)->documents().size(), 1u);
}

TEST_F(ShellWindowTest, ToolBarsStatusBarAndTheirToggles)
{
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        QApplication::processEvents();
        COXCoolToolBar* general = frame.controlBar(16000);
        COXCoolToolBar* tundra = frame.controlBar(16001);
        COXCoolToolBar* global = frame.controlBar(16002);
        COXCoolToolBar* hidden = frame.controlBar(212);
        ASSERT_TRUE(general && tundra && global && hidden);
        EXPECT_EQ(general->windowTitle(), "General Functions");
        EXPECT_EQ(tundra->windowTitle(), "Tundra Functions");
        EXPECT_EQ(global->windowTitle(), "Global Functions");
        EXPECT_EQ(hidden->windowTitle(), "hidden");
        EXPECT_FALSE(general->isVisible());
        EXPECT_TRUE(tundra->isVisible());
        EXPECT_TRUE(global->isVisible());
        EXPECT_FALSE(hidden->isVisible());
        // "Global Functions" sits right beside "Tundra Functions" on one row at the top.
        EXPECT_EQ(frame.toolBarArea(global), Qt::TopToolBarArea);
        EXPECT_EQ(frame.toolBarArea(tundra), Qt::TopToolBarArea);
        EXPECT_EQ(global->geometry().top(), tundra->geometry().top());
        EXPECT_GE(global->geometry().left(), tundra->geometry().right());

        auto check = [&](unsigned id) {
            return platform::framework::queryCommandState(frame, id).check;
        };
        EXPECT_EQ(check(16000), std::optional<int>(0));
        EXPECT_EQ(check(16001), std::optional<int>(1));
        EXPECT_TRUE(frame.executeCommand(16000));
        EXPECT_TRUE(general->isVisible());
        EXPECT_EQ(check(16000), std::optional<int>(1));
        EXPECT_TRUE(frame.executeCommand(16001));
        EXPECT_FALSE(tundra->isVisible());
        // An id without a bar is disabled.
        EXPECT_FALSE(platform::framework::queryCommandState(frame, 16050).enabled);

        // A script that forbids the check-mark update leaves the marks alone.
        ForbiddingScript script(0x1002081); // mvSpecViewToggleMainToolbars
        frame.core().setScriptHost(&script);
        EXPECT_EQ(check(16000), std::nullopt);
        frame.core().setScriptHost(nullptr);

        EXPECT_EQ(check(32813), std::optional<int>(1));
        EXPECT_TRUE(frame.executeCommand(32813));
        EXPECT_FALSE(frame.statusBar()->isVisible());
        EXPECT_EQ(check(32813), std::optional<int>(0));
        EXPECT_TRUE(frame.executeCommand(32813));

        // The status panes: halted, snapshot, no hardware.
        frame.updateStatusPanes();
        EXPECT_EQ(frame.statusPaneText(0), "");
        EXPECT_EQ(frame.statusPaneText(2), "NO HARDWARE");
        frame.core().SetAcquisitionSuspended(2);
        EXPECT_TRUE(frame.executeCommand(32790));
        frame.updateStatusPanes();
        EXPECT_EQ(frame.statusPaneText(0), "HALTED");
        EXPECT_EQ(frame.statusPaneText(1), "SNAPSHOT");
        frame.close();
    }
    // The bars' states come back at the next start.
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    QApplication::processEvents();
    EXPECT_TRUE(app.mainFrameWidget()->controlBar(16000)->isVisible());
    EXPECT_FALSE(app.mainFrameWidget()->controlBar(16001)->isVisible());
    EXPECT_TRUE(app.mainFrameWidget()->controlBar(16002)->isVisible());
    EXPECT_FALSE(app.mainFrameWidget()->controlBar(212)->isVisible());
    EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST_F(ShellWindowTest, ToolBarsShowTheirImagesAndKeepTheirProperties)
{
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        QApplication::processEvents();
        for (unsigned id : {16000u, 16001u, 16002u, 212u}) {
            SCOPED_TRACE(id);
            COXCoolToolBar* bar = frame.controlBar(id);
            ASSERT_NE(bar, nullptr);
            EXPECT_EQ(bar->barId(), id);
            // Every button has its image from the shipped strip.
            for (QAction* action : bar->actions())
                if (!action->isSeparator()) {
                    EXPECT_FALSE(action->icon().isNull()) << action->data().toUInt();
                }
        }
        COXCoolToolBar* tundra = frame.controlBar(16001);
        COXCoolToolBar* global = frame.controlBar(16002);
        EXPECT_EQ(global->geometry().top(), tundra->geometry().top());
        tundra->SetIndent(6);
        tundra->SetGripper(false);
        tundra->SetButtonsText(0, 0xFFFF, 1);
        global->SetDefaultTextColor(0x123456);
        global->SetButtonsMinMaxWidth(30, 90);
        frame.close();
    }
    // Made again: the properties come back.
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    COXCoolToolBar* tundra = app.mainFrameWidget()->controlBar(16001);
    COXCoolToolBar* global = app.mainFrameWidget()->controlBar(16002);
    EXPECT_EQ(tundra->GetIndent(), 6);
    EXPECT_FALSE(tundra->IsGripper());
    EXPECT_EQ(tundra->GetTextType(), 1);
    EXPECT_FALSE(tundra->GetButton(0)->text.empty());
    EXPECT_EQ(global->GetDefaultTextColor(), 0x123456u);
    EXPECT_EQ(global->GetMinButtonsWidth(), 30);
    EXPECT_EQ(global->GetMaxButtonsWidth(), 90);
    EXPECT_TRUE(global->IsGripper());
    EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST_F(ShellWindowTest, UnreadableBarStateIsLoggedAndStartUpGoesOn)
{
    win::HKEY key = 0;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_CURRENT_USER,
                                  "Software\\Varnholt Software\\Harlune Toolbars\\MainBars", 0,
                                  nullptr, win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
              0);
    const char garbage[] = "not a state";
    win::RegSetValueEx(key, "State", 0, win::REG_BINARY, reinterpret_cast<const uint8_t*>(garbage),
                       sizeof(garbage));
    win::RegCloseKey(key);

    ui.answerMessageBox(win::IDYES);
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_NE(ui.messageBoxes()[0].text.find("Error loading toolbars.  This error is common the "
                                             "first time you run Harlune after upgrade."),
              std::string::npos);
    EXPECT_TRUE(app.mainFrameWidget()->controlBar(16001)->isVisibleTo(app.mainFrameWidget()));
}

TEST_F(ShellWindowTest, BarStateSavedForOtherButtonsIsNotApplied)
{
    const struct
    {
        const char* name;
        const char* buttons;
        bool generalShown;
    } cases[] = {
        {"the bar's own buttons", "32957,32959,0,57650,57651,57652", true},
        {"buttons of an older program", "32957,32959", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        win::HKEY key = 0;
        ASSERT_EQ(
            win::RegCreateKeyEx(win::HKEY_CURRENT_USER,
                                "Software\\Varnholt Software\\Harlune Toolbars\\BarStates\\General",
                                0, nullptr, win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
            0);
        const PWIN_DWORD visible = 1;
        win::RegSetValueEx(key, "Visible", 0, win::REG_DWORD,
                           reinterpret_cast<const uint8_t*>(&visible), sizeof(visible));
        win::RegSetValueEx(key, "Buttons", 0, win::REG_SZ,
                           reinterpret_cast<const uint8_t*>(c.buttons),
                           static_cast<PWIN_DWORD>(std::string(c.buttons).size() + 1));
        win::RegCloseKey(key);
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
        EXPECT_EQ(app.mainFrameWidget()->controlBar(16000)->isVisible(), c.generalShown);
    }
}

TEST_F(ShellWindowTest, MenusShowTheImagesOfTheCommandsOnTheBars)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    QApplication::processEvents();
    std::set<unsigned> onBars;
    for (unsigned id : {16000u, 16001u, 16002u})
        for (QAction* action : frame.controlBar(id)->actions())
            if (!action->isSeparator())
                onBars.insert(action->data().toUInt());
    int shown = 0;
    for (QAction* top : frame.menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (!menu)
            continue;
        emit menu->aboutToShow();
        const platform::framework::HMENU model = platform::framework::MenuRenderer::modelMenu(menu);
        const COXBitmapMenu* bitmapMenu = frame.menuOrganizer().convertedMenu(model);
        ASSERT_NE(bitmapMenu, nullptr) << top->text().toStdString();
        menu->adjustSize();
        const QImage shot = menu->grab().toImage();
        for (int i = 0; i < menu->actions().size(); ++i) {
            const unsigned id = menu->actions()[i]->data().toUInt();
            if (menu->actions()[i]->isSeparator() || onBars.count(id) == 0)
                continue;
            const OXItemData* data = bitmapMenu->itemData(i);
            ASSERT_NE(data, nullptr) << id;
            ASSERT_NE(data->image, nullptr) << id;
            EXPECT_FALSE(data->image->checkImage) << id;
            // The image's pixels are not all one colour in the grabbed menu.
            const QRect item = menu->actionGeometry(menu->actions()[i]);
            const QRect image = bitmapMenu->GetItemRects(item, data->image->size()).image;
            std::set<QRgb> colours;
            for (int y = image.top(); y <= image.bottom(); ++y)
                for (int x = image.left(); x <= image.right(); ++x)
                    colours.insert(shot.pixel(x, y));
            EXPECT_GT(colours.size(), 1u) << id;
            ++shown;
        }
        emit menu->aboutToHide();
    }
    EXPECT_GT(shown, 3);
}

TEST_F(ShellWindowTest, ContextMenuOffersTheToolBars)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    QStringList titles;
    QTimer::singleShot(0, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : popup->actions())
                titles << action->text();
            popup->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                            frame.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&frame, &event);
    EXPECT_EQ(titles, (QStringList{"&Main Toolbars...", "Spectrum &Toolbar..."}));
}

TEST_F(ShellWindowTest, ScriptingCommandsExistAndAreDisabledWithoutAnEngine)
{
    // A class that makes no engine: the program runs without one.
    auto& registry = platform::automation::ClassRegistry::instance();
    registry.registerOutsideClass(platform::basic::BasicEngine::engineClsid(),
                                  [] { return platform::automation::DispatchPtr(); });
    struct Unregister
    {
        ~Unregister()
        {
            platform::automation::ClassRegistry::instance().registerOutsideClass(
                platform::basic::BasicEngine::engineClsid(), nullptr);
        }
    } unregister;
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    for (unsigned id : {32940u, 33055u, 33056u, 33057u, 33058u, 32941u, 33078u, 33079u, 33064u}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(platform::framework::queryCommandState(frame, id).enabled);
        EXPECT_FALSE(frame.executeCommand(id));
    }
    // The menu bar (the spectrum window's, which is active) shows every menu, however many items
    // each holds.
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions())
        titles << action->text();
    EXPECT_EQ(titles,
              (QStringList{"&File", "&Edit", "&View", "&Overlay", "Spectro&meter", "&Spectrum",
                           "&Time Acquisition", "S&cript", "&Window", "&Help"}));
    // The menu the frame shows holds them.
    const platform::framework::HMENU menu = frame.currentMenu();
    ASSERT_NE(menu, 0u);
    EXPECT_TRUE(platform::framework::GetMenuString(menu, 33055, platform::framework::MF_BYCOMMAND)
                    .has_value());
}

TEST_F(ShellWindowTest, RealDriverWithoutHardwareScansOnItsWorkerThroughTheRoundRobin)
{
    const std::string spec = fs::current_path().string() + "/Default.spec";
    std::ofstream(spec) << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\n"
                           "Initialized=1\r\n";
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
        // The default: each scan runs on the driver's worker and comes back as a message.
        store.WriteString("Preferences", "SingleThread", "0");
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
        << view->scansReceived() << " scans; " << (reports.empty() ? "" : reports[0]);
    EXPECT_TRUE(reports.empty());

    // Halted, the scans stop after the one outstanding.
    app.mainFrameWidget()->core().SetAcquisitionSuspended(2);
    runUntil([&] { return !app.mainFrameWidget()->core().scanPending(); }, 5000);
    const int scans = view->scansReceived();
    runUntil([] { return false; }, 200);
    EXPECT_EQ(view->scansReceived(), scans);
    app.mainFrameWidget()->close();
}

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

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

TEST_F(ShellWindowTest, HaltedWithLiveSpectrumWindowsTheProgramRests)
{
    CHarluneApp::useScanCountViews(false);
    const std::string spec = fs::current_path().string() + "/Default.spec";
    std::ofstream(spec) << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\n"
                           "Initialized=1\r\n";
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    }
    DriverLibrary library("libVYKDRV32.so");
    {
        CountingApp app(library);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        app.NewSpectrumWindow();
        CMainFrame& core = app.mainFrameWidget()->core();
        // Scans go round (the next one may start as the last one's data arrives, so the
        // pending flag need not fall in between).
        const uint64_t started = core.scansStarted();
        ASSERT_TRUE(runUntil([&] { return core.scansStarted() >= started + 3; }, 10000));

        core.SetAcquisitionSuspended(2);
        ASSERT_TRUE(runUntil([&] { return !core.scanPending(); }, 5000));
        // Let what the last scan left behind (repaints, posted messages) settle.
        runUntil([] { return false; }, 200);

        const int idleCalls = app.idleCalls;
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QEventLoop rest;
        QTimer::singleShot(1000, &rest, &QEventLoop::quit);
        rest.exec();
        const double cpuSeconds = processCpuSeconds() - cpuBefore;
        const double wallSeconds = static_cast<double>(wall.elapsed()) / 1000.0;
        // Nothing happens but the quit timer, which may wake the hook once.
        EXPECT_LE(app.idleCalls - idleCalls, 1);
        EXPECT_LT(cpuSeconds, 0.1 * wallSeconds) << cpuSeconds << " s of CPU in " << wallSeconds;
        EXPECT_FALSE(core.scanPending());
        app.mainFrameWidget()->close();
    }
    CHarluneApp::useScanCountViews(true);
}

// A script that runs until the frame stops it.
class RunningScript : public ScriptHost
{
public:
    bool definesVerifyMenu() override { return false; }
    std::optional<int32_t> callVerifyMenu(int32_t) override { return 1; }
    void reportError(const std::string&) override {}
    bool isRunning() override { return running; }
    void stop() override
    {
        running = false;
        ++stops;
    }
    bool running = true;
    int stops = 0;
};

TEST_F(ShellWindowTest, ScriptTimersFireOnceAndCloseWaitsForARunningScript)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    std::vector<int16_t> ticks;
    frame.setScriptEvents([&](int16_t id) { ticks.push_back(id); }, nullptr);

    // A periodic window timer of a script (id 5 + 1000) arrives once as TimerTick(5).
    frame.SetTimer(1005, 5);
    EXPECT_TRUE(runUntil([&] { return !ticks.empty(); }, 3000));
    runUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, std::vector<int16_t>{5});

    RunningScript script;
    frame.core().setScriptHost(&script);
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(script.stops, 1);
    // Timer 999 repeats the close half a second later; the script has stopped by then.
    EXPECT_TRUE(runUntil([&] { return !frame.isVisible(); }, 5000));
    EXPECT_EQ(script.stops, 1);
    frame.core().setScriptHost(nullptr);
}

TEST_F(ShellWindowTest, RecentScriptsAreListedInEveryMenu)
{
    namespace fw = platform::framework;
    {
        RecentFileList list("RecentScripts", "script", 6, 100);
        list.Add("/s/a&b.bas");
        list.Add("/s/c.bas");
        ASSERT_TRUE(list.WriteList());
    }
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        for (fw::HMENU menu : {frame.defaultMenu(), app.docTemplate(129)->sharedMenu()}) {
            EXPECT_EQ(fw::GetMenuString(menu, 33064, fw::MF_BYCOMMAND),
                      std::optional<std::string>("&1 /s/c.bas"));
            EXPECT_EQ(fw::GetMenuString(menu, 33065, fw::MF_BYCOMMAND),
                      std::optional<std::string>("&2 /s/a&&b.bas"));
            EXPECT_EQ(fw::GetMenuString(menu, 33066, fw::MF_BYCOMMAND), std::nullopt);
        }
        // With the script engine they can be opened; the empty list's placeholder cannot.
        EXPECT_TRUE(fw::queryCommandState(frame, 33065).enabled);
        frame.recentScripts().Remove(0);
        frame.recentScripts().Remove(0);
        frame.refreshRecentScriptMenus();
        EXPECT_FALSE(fw::queryCommandState(frame, 33064).enabled);
        EXPECT_EQ(fw::GetMenuString(frame.defaultMenu(), 33064, fw::MF_BYCOMMAND),
                  std::optional<std::string>("Recent Scripts"));
        EXPECT_EQ(fw::GetMenuString(frame.defaultMenu(), 33065, fw::MF_BYCOMMAND), std::nullopt);
    }
    // The list is written back when the frame goes.
    RecentFileList list("RecentScripts", "script", 6, 100);
    list.ReadList();
    EXPECT_EQ(list.size(), 0u);
}

TEST_F(ShellWindowTest, HandlerExceptionsReachTheErrorLog)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    ui.answerMessageBox(win::IDYES);
    platform::automation::reportHandlerException("I_SpecCursor", 42);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_NE(ui.messageBoxes()[0].text.find("Filename: I_SpecCursor\nLine: 42"),
              std::string::npos);
    EXPECT_FALSE(app.errorLog().logFilePath().empty());
}

} // namespace

// The program's own engine: Show IDE shows its editor, a script's VerifyMenu decides whether a
// command runs, and the editor's close box hides it.
TEST_F(ShellWindowTest, ScriptCommandsWithTheEngine)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    ASSERT_TRUE(frame.scriptObject().hasEngine());
    ASSERT_NE(frame.scriptEditor(), nullptr);
    EXPECT_FALSE(frame.scriptEditor()->isVisible());
    EXPECT_TRUE(platform::framework::queryCommandState(frame, 32940).enabled);
    EXPECT_TRUE(frame.executeCommand(32940));
    EXPECT_TRUE(frame.scriptEditor()->isVisible());
    EXPECT_TRUE(frame.ideCreated());
    QCloseEvent close;
    QApplication::sendEvent(frame.scriptEditor(), &close);
    EXPECT_FALSE(frame.scriptEditor()->isVisible());

    // A script that forbids new spectrum windows.
    const std::string path = std::string(std::getenv("HARLUNE_REGISTRY_DIR")) + "/verify.bas";
    std::ofstream(path) << "Function VerifyMenu(id As MENUVERIFY) As Long\n"
                           "VerifyMenu = IIf(id = mvFileNewSpectrumWindow, 0, 1)\nEnd Function\n";
    frame.scriptObject().PutProperty(32, platform::automation::Variant(true));
    frame.openScriptWhenIdle(path);
    const size_t before = frame.childWindows().size();
    app.NewSpectrumWindow();
    EXPECT_EQ(frame.childWindows().size(), before);
    EXPECT_EQ(frame.core().VerifyCommand(app::res::mvHelpContents), 1);
    EXPECT_EQ(frame.recentScripts()[0], path);
}

// Records the keys that reach it.
class KeyRecorder : public QWidget
{
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

// A loop without DoEvents holds the GUI thread: the stop key queued before the run ends it, and
// the other keys queued with it are handled afterwards, in their order.
TEST_F(ShellWindowTest, StopKeyEndsALoopWithoutDoEventsAndKeepsOtherKeys)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    ASSERT_TRUE(frame.scriptObject().hasEngine());
    KeyRecorder recorder;
    QCoreApplication::postEvent(&recorder, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, {}, "a"));
    QCoreApplication::postEvent(
        &frame, new QKeyEvent(QEvent::KeyPress, Qt::Key_Pause, Qt::ControlModifier));
    QCoreApplication::postEvent(&recorder, new QKeyEvent(QEvent::KeyPress, Qt::Key_B, {}, "b"));

    const std::string path = std::string(std::getenv("HARLUNE_REGISTRY_DIR")) + "/busy.bas";
    std::ofstream(path) << "Sub Main\nDo: x = x + 1: Loop\nEnd Sub\n";
    frame.scriptObject().PutProperty(32, platform::automation::Variant(false));
    frame.openScriptWhenIdle(path);
    EXPECT_EQ(frame.scriptObject().GetMacroState(), 0);
    EXPECT_TRUE(recorder.keys.empty());
    EXPECT_TRUE(runUntil([&] { return recorder.keys.size() == 2; }, 3000));
    EXPECT_EQ(recorder.keys, (std::vector<int>{Qt::Key_A, Qt::Key_B}));
}

// The auto-run script opens at the first scan of the first spectrum window only: plain and
// enciphered alike run once over three new windows; "XXX" runs nothing.
TEST_F(ShellWindowTest, AutoRunScriptRunsOnceOverThreeWindows)
{
    const std::string dir = std::getenv("HARLUNE_REGISTRY_DIR");
    const std::string spec = dir + "/Default.spec";
    std::ofstream(spec) << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\n"
                           "Initialized=1\r\n";
    const std::string plain = "Sub Main\n"
                              "WriteLong \"AutoTest\", \"Runs\", GetLong(\"AutoTest\", \"Runs\", "
                              "0) + 1\nEnd Sub\n";
    const std::string plainPath = dir + "/auto.bas";
    std::ofstream(plainPath) << plain;
    toolkit::crypt::MemoryFile memory;
    {
        toolkit::crypt::COXCryptFile out(toolkit::crypt::kScriptKeyBits);
        out.SetConversion(true);
        out.Attach(&memory, toolkit::crypt::kModeCreate | toolkit::crypt::kModeWrite);
        out.Write(plain.data(), static_cast<unsigned>(plain.size()));
        out.Close();
    }
    const std::string encipheredPath = dir + "/auto.bin";
    const std::vector<unsigned char> bytes = memory.bytes();
    std::ofstream(encipheredPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    struct Case
    {
        const char* name;
        std::string filename;
        int encrypted;
        long runs;
    };
    CHarluneApp::useScanCountViews(false);
    for (const Case& c : {Case{"plain", plainPath, 0, 1}, Case{"enciphered", encipheredPath, 1, 1},
                          Case{"none", "XXX", 0, 0}}) {
        SCOPED_TRACE(c.name);
        {
            CINIFileSupport store(nullptr, 1);
            store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
            store.WriteString("Preferences", "SingleThread", "0");
            store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 4);
            store.WriteInt("Scripting\\BasicIDE", "EventMode", 0);
            store.WriteInt("Scripting\\AutoRunScript", "Enabled", 1);
            store.WriteString("Scripting\\AutoRunScript", "Filename", c.filename.c_str());
            store.WriteInt("Scripting\\AutoRunScript", "Encrypted", c.encrypted);
            store.WriteInt("AutoTest", "Runs", 0);
        }
        DriverLibrary library("libVYKDRV32.so", [](const std::string&) {});
        CHarluneApp app(library);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        MainFrameWidget& frame = *app.mainFrameWidget();
        app.NewSpectrumWindow();
        app.NewSpectrumWindow();
        // A value no scan of the synthetic channel gives: once every window has replaced it,
        // every window has had its first scan.
        std::vector<SpectrumViewWidget*> views;
        for (platform::framework::ChildFrame* child : frame.childFrames())
            if (auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView()))
                views.push_back(view);
        ASSERT_EQ(views.size(), 3u);
        for (SpectrumViewWidget* view : views) {
            ASSERT_TRUE(runUntil([view] { return view->isReady(); }, 10000));
            view->core().document().spectra().processed[0][1000] = -7.0;
        }
        ASSERT_TRUE(runUntil(
            [&] {
                return std::all_of(views.begin(), views.end(), [](SpectrumViewWidget* v) {
                    return v->core().document().spectra().processed[0][1000] != -7.0;
                });
            },
            10000));
        CINIFileSupport store(nullptr, 1);
        EXPECT_EQ(store.GetLong("AutoTest", "Runs"), c.runs)
            << (ui.messageBoxes().empty() ? "" : ui.messageBoxes()[0].text);
    }
    CHarluneApp::useScanCountViews(true);
}

// Open and Execute reached through a running macro's DoEvents opens the new script only after
// that macro ended: the script on the stack keeps its code.
TEST_F(ShellWindowTest, OpenFromInsideAMacroWaitsUntilItEnded)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    CSaxBasicObj& script = frame.scriptObject();
    ASSERT_TRUE(script.hasEngine());
    const std::string dir = std::getenv("HARLUNE_REGISTRY_DIR");
    const std::string waiting = dir + "/waiting.bas";
    std::ofstream(waiting) << "Sub Main\nDo\nDoEvents\nLoop\nEnd Sub\n";
    const std::string second = dir + "/second.bas";
    std::ofstream(second) << "Sub Main\nWriteLong \"OpenTest\", \"Runs\", 1\nEnd Sub\n";
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteInt("OpenTest", "Runs", 0);
    }
    script.PutProperty(32, platform::automation::Variant(false));

    int stateInside = 99;
    long runsInside = -1;
    QTimer::singleShot(20, [&] {
        stateInside = script.GetMacroState();
        frame.openScriptWhenIdle(second);
        CINIFileSupport store(nullptr, 1);
        runsInside = store.GetLong("OpenTest", "Runs");
        script.stop();
    });
    frame.openScriptWhenIdle(waiting);
    EXPECT_EQ(stateInside, -1);
    EXPECT_EQ(runsInside, 0);
    EXPECT_TRUE(runUntil(
        [] {
            CINIFileSupport store(nullptr, 1);
            return store.GetLong("OpenTest", "Runs") == 1;
        },
        5000));
    EXPECT_EQ(frame.recentScripts()[0], second);
}

// A script timer on the test clock: a handler's GenTimers.SetTimer 5, 100 comes back once as
// TimerTick(5), however long the clock runs on.
TEST_F(ShellWindowTest, ScriptTimerTicksOnceOnTheManualClock)
{
    auto clock = std::make_shared<win::ManualClock>(std::chrono::seconds(10));
    win::setClock(clock);
    struct Restore
    {
        ~Restore() { win::setClock(nullptr); }
    } restore;
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    CSaxBasicObj& script = frame.scriptObject();
    ASSERT_TRUE(script.hasEngine());
    const std::string path = std::string(std::getenv("HARLUNE_REGISTRY_DIR")) + "/timer.bas";
    std::ofstream(path) << "Dim ticks As Long\n"
                           "Sub EventGenerator_UserMenu(menuid As Long)\n"
                           "Dim timers\nSet timers = CreateObject(\"Harlune.GenTimers\")\n"
                           "timers.SetTimer 5, 100\nEnd Sub\n"
                           "Sub EventGenerator_TimerTick(timerid As Integer)\n"
                           "ticks = ticks + 1\n"
                           "WriteLong \"TimerTest\", \"Ticks\", ticks\n"
                           "WriteLong \"TimerTest\", \"Id\", timerid\nEnd Sub\n";
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteInt("TimerTest", "Ticks", 0);
    }
    script.PutProperty(32, platform::automation::Variant(true));
    frame.openScriptWhenIdle(path);
    const auto ticks = [] {
        CINIFileSupport store(nullptr, 1);
        return store.GetLong("TimerTest", "Ticks");
    };
    script.fire(platform::automation::CEventGenerator::UserMenu,
                {platform::automation::Variant(int32_t{47000})});
    EXPECT_TRUE(ui.messageBoxes().empty())
        << (ui.messageBoxes().empty() ? "" : ui.messageBoxes()[0].text);

    // Not due yet.
    clock->advance(std::chrono::milliseconds(99));
    ASSERT_TRUE(win::waitTimersSettled(std::chrono::seconds(2)));
    platform::qt::pumpPendingMessages(100);
    EXPECT_EQ(ticks(), 0);

    clock->advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(win::waitTimersSettled(std::chrono::seconds(2)));
    EXPECT_TRUE(runUntil([&] { return ticks() == 1; }, 3000));
    // The frame killed the timer before the tick: ten more periods bring none.
    clock->advance(std::chrono::milliseconds(1000));
    ASSERT_TRUE(win::waitTimersSettled(std::chrono::seconds(2)));
    platform::qt::pumpPendingMessages(100);
    EXPECT_EQ(ticks(), 1);
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetLong("TimerTest", "Id"), 5);
    EXPECT_FALSE(frame.KillTimer(1005));
}

// The spectrum window on a recording driver, with its view the program's own.
SpectrumViewWidget* firstSpectrumView(MainFrameWidget& frame)
{
    for (platform::framework::ChildFrame* child : frame.childFrames())
        if (auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView()))
            return view;
    return nullptr;
}

// A script's VerifyMenu decides: forbidding Store Dark makes it do nothing; forbidding new
// spectrum windows makes GenWindows.NewSpectrumWindow, called by the script itself, open none.
TEST_F(ShellWindowTest, ScriptVerifyMenuForbidsStoreDarkAndNewSpectrumWindowsFromScripts)
{
    const std::string dir = std::getenv("HARLUNE_REGISTRY_DIR");
    const std::string spec = dir + "/Default.spec";
    std::ofstream(spec) << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\n"
                           "Initialized=1\r\n";
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    }
    CHarluneApp::useScanCountViews(false);
    struct Restore
    {
        ~Restore() { CHarluneApp::useScanCountViews(true); }
    } restore;
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    CSaxBasicObj& script = frame.scriptObject();
    ASSERT_TRUE(script.hasEngine());
    SpectrumViewWidget* view = firstSpectrumView(frame);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(runUntil([view] { return view->isReady(); }, 5000));

    const auto verifying = [&](const char* name, const char* forbidden, const char* main) {
        const std::string path = dir + "/" + name;
        std::ofstream(path) << "Function VerifyMenu(id As MENUVERIFY) As Long\n"
                            << "VerifyMenu = IIf(id = " << forbidden << ", 0, 1)\nEnd Function\n"
                            << main;
        return path;
    };
    // Event-driven: armed, it answers the program's questions.
    script.PutProperty(32, platform::automation::Variant(true));
    frame.openScriptWhenIdle(verifying("nodark.bas", "mvSpecSpectrumStoreDark", ""));
    view->core().OnStoreDark();
    EXPECT_EQ(view->core().darkStored(), 0);
    frame.openScriptWhenIdle(verifying("dark.bas", "mvSpecSpectrumStoreReference", ""));
    view->core().OnStoreDark();
    EXPECT_EQ(view->core().darkStored(), 1);

    // Procedural: the script asks for a window the VerifyMenu of the same script forbids.
    const size_t before = frame.childWindows().size();
    script.PutProperty(32, platform::automation::Variant(false));
    const std::string main = "Sub Main\nDim windows\n"
                             "Set windows = CreateObject(\"Harlune.GenWindows\")\n"
                             "windows.NewSpectrumWindow \"Forbidden\"\nEnd Sub\n";
    frame.openScriptWhenIdle(verifying("nowindow.bas", "mvFileNewSpectrumWindow", main.c_str()));
    EXPECT_EQ(frame.childWindows().size(), before);
    frame.openScriptWhenIdle(verifying("window.bas", "mvSpecSpectrumStoreDark", main.c_str()));
    EXPECT_EQ(frame.childWindows().size(), before + 1);
    EXPECT_TRUE(ui.messageBoxes().empty())
        << (ui.messageBoxes().empty() ? "" : ui.messageBoxes()[0].text);
}

// A procedural script looping on DoEvents until NewSpectraReady reaches its handler: the idle
// step inside DoEvents starts the scans on the real driver without hardware.
TEST_F(ShellWindowTest, ProceduralScriptWaitsInDoEventsForNewSpectraReady)
{
    const std::string dir = std::getenv("HARLUNE_REGISTRY_DIR");
    const std::string spec = dir + "/Default.spec";
    std::ofstream(spec) << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\n"
                           "Initialized=1\r\n";
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
        store.WriteString("Preferences", "SingleThread", "0");
        store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 4);
        store.WriteString("ReadyTest", "Window", "");
    }
    CHarluneApp::useScanCountViews(false);
    struct Restore
    {
        ~Restore() { CHarluneApp::useScanCountViews(true); }
    } restore;
    DriverLibrary library("libVYKDRV32.so", [](const std::string&) {});
    CHarluneApp app(library);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& frame = *app.mainFrameWidget();
    CSaxBasicObj& script = frame.scriptObject();
    ASSERT_TRUE(script.hasEngine());
    const std::string path = dir + "/ready.bas";
    std::ofstream(path) << "Dim got As String\n"
                           "Sub EventGenerator_NewSpectraReady(windowname As String, "
                           "channels As Integer)\ngot = windowname\nEnd Sub\n"
                           "Sub Main\nDo While got = \"\"\nDoEvents\nLoop\n"
                           "WriteString \"ReadyTest\", \"Window\", got\nEnd Sub\n";
    // The bound: a script still waiting then is stopped, and the test fails.
    bool bounded = false;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [&] {
        bounded = true;
        script.stop();
    });
    bound.start(10000);
    script.PutProperty(32, platform::automation::Variant(false));
    frame.openScriptWhenIdle(path);
    bound.stop();
    EXPECT_FALSE(bounded);
    EXPECT_EQ(script.GetMacroState(), 0);
    // The handler had the window's name.
    CINIFileSupport store(nullptr, 1);
    EXPECT_NE(store.GetStringDefault("ReadyTest", "Window", ""), "");
}

// The editor settings on a recording engine: read from the store into the engine at start, in
// their order, written back at close in their formats, and read again the same at the next
// start (a system colour, high bit set, included).
TEST_F(ShellWindowTest, EditorSettingsRoundTripThroughTheStore)
{
    using platform::automation::DispatchPtr;
    using platform::automation::Variant;
    RecordingEngine* engine = nullptr;
    platform::automation::ClassRegistry::instance().registerOutsideClass(
        platform::basic::BasicEngine::engineClsid(), [&engine] {
            auto made = DispatchPtr::adopt(new RecordingEngine);
            engine = static_cast<RecordingEngine*>(made.get());
            return made;
        });
    struct Unregister
    {
        ~Unregister()
        {
            platform::automation::ClassRegistry::instance().registerOutsideClass(
                platform::basic::BasicEngine::engineClsid(), nullptr);
        }
    } unregister;
    const char* section = "Scripting\\BasicIDE";
    {
        CINIFileSupport store(nullptr, 1);
        const std::pair<const char*, const char*> stored[] = {
            {"Left", "12"},
            {"Top", "34"},
            {"Width", "640"},
            {"Height", "480"},
            {"EventMode", "0"},
            {"AlwaysSplit", "1"},
            {"EditTools", "0"},
            {"TabAsSpaces", "1"},
            {"BackColor", "2147483653"},
            {"DebugHeight", "120"},
            {"ToolbarVisible", "0"},
            {"StatusVisible", "0"},
            {"FileDirectory", "/scripts"},
            {"ForeColor", "255"},
            {"TabWidth", "8"},
        };
        for (const auto& [name, value] : stored)
            store.WriteString(section, name, value);
    }
    const std::vector<std::string> settingPuts = {
        "put 90 12",    "put 91 34",
        "put 92 640",   "put 93 480",
        "put 32 False", "put -518 Harlune Scripting in Procedural Mode",
        "put 31 1",     "put 9 0",
        "put 81 1",     "put -501 -2147483643",
        "put 66 120",   "put 22 0",
        "put 21 0",     "put 106 /scripts",
        "put -513 255", "put 82 8"};
    // The settings' puts, found after the set-up's own.
    const auto settingsPutIn = [](const RecordingEngine& e) {
        const std::vector<std::string> puts = e.only("put");
        const auto first = std::find(puts.begin(), puts.end(), "put 90 12");
        return std::vector<std::string>(first, std::min(puts.end(), first + 16));
    };
    DispatchPtr keep;
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
        ASSERT_NE(engine, nullptr);
        keep = DispatchPtr(engine);
        const std::vector<std::string> puts = engine->only("put");
        ASSERT_GE(puts.size(), 2u);
        EXPECT_EQ(puts[0], "put -518 Harlune Scripting");
        EXPECT_EQ(puts[1], "put 36 True");
        EXPECT_EQ(settingsPutIn(*engine), settingPuts);

        // The user moved the editor and the colours changed.
        engine->properties[90] = Variant(int32_t{-5});
        engine->properties[-501] = Variant(int32_t{-1});
        engine->properties[106] = Variant("/other");
        engine->calls.clear();
        app.mainFrameWidget()->close();
        // The macro state is asked, the settings are read, then the objects go and the engine
        // is closed.
        std::vector<std::string> calls;
        for (const std::string& call : engine->calls)
            if (call != "call 43")
                calls.push_back(call.rfind("get ", 0) == 0 ? "get" : call);
        calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
        EXPECT_EQ(calls, (std::vector<std::string>{"get", "call 48 EventGenerator", "call 48 {}",
                                                   "call 39"}));
    }
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetStringDefault(section, "Left", "?"), "-5");
    EXPECT_EQ(store.GetStringDefault(section, "BackColor", "?"), "4294967295");
    EXPECT_EQ(store.GetStringDefault(section, "ForeColor", "?"), "255");
    EXPECT_EQ(store.GetStringDefault(section, "FileDirectory", "?"), "/other");
    EXPECT_EQ(store.GetStringDefault(section, "EventMode", "?"), "0");
    EXPECT_EQ(store.GetStringDefault(section, "TabWidth", "?"), "8");

    // Read again at the next start as they were left.
    engine = nullptr;
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_NE(engine, nullptr);
    std::vector<std::string> expected = settingPuts;
    expected[0] = "put 90 -5";
    expected[9] = "put -501 -1";
    expected[13] = "put 106 /other";
    const std::vector<std::string> puts = engine->only("put");
    const auto first = std::find(puts.begin(), puts.end(), "put 90 -5");
    EXPECT_EQ(std::vector<std::string>(first, std::min(puts.end(), first + 16)), expected);
}
