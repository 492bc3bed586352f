#include "platform/framework/Commands.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/ControlIds.h"
#include "platform/framework/DialogBar.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/ToolBar.h"
#include "platform/win/Messages.h"
#include "tests/platform/framework/FrameworkFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

using namespace frameworktest;

namespace {

constexpr unsigned kKickStart = 32830;
constexpr unsigned kSnapshot = 32790;
constexpr unsigned kDisabled = 32791;
constexpr unsigned kAppOnly = 57664;
constexpr unsigned kNobody = 33333;

constexpr MenuEntry kSpectrumMenu[] = {
    menuPopup("&Spectrum"),
    menuItem(kKickStart, "&Kick Start"),
    menuItem(kSnapshot, "Global &Snapshot"),
    menuItem(kDisabled, "Global Emergency &Reset"),
    menuItem(kAppOnly, "&About Harlune..."),
    menuItem(kNobody, "Nobody"),
    menuEnd(),
};
constexpr MenuResource kMenus[] = {{129, kSpectrumMenu}};
constexpr unsigned kButtons[] = {kKickStart, 0, kSnapshot, kDisabled, kNobody};
constexpr ToolBarResource kBar = {16002, "Global Functions", kButtons};
constexpr Accelerator kAccelerators[] = {
    {"Ctrl+K", kKickStart}, {"Ctrl+Alt+R", kDisabled}, {"Ctrl+Alt+S", kSnapshot}};
constexpr CommandPrompt kPrompts[] = {{kKickStart, "Kickstart the data acquisition\nKickstart"}};

QAction* menuAction(QMenuBar* bar, unsigned id)
{
    for (QAction* top : bar->actions()) {
        if (QMenu* menu = top->menu()) {
            emit menu->aboutToShow(); // runs the update handlers, as opening it does
            for (QAction* action : menu->actions()) {
                if (action->data().toUInt() == id && !action->isSeparator()) {
                    return action;
                }
            }
        }
    }
    return nullptr;
}

QShortcut* shortcut(QWidget* window, const char* key)
{
    for (QShortcut* candidate : window->findChildren<QShortcut*>()) {
        if (candidate->key() == QKeySequence(QString::fromLatin1(key))) {
            return candidate;
        }
    }
    return nullptr;
}

} // namespace

class CommandsTest : public FrameworkFixture
{
protected:
    void SetUp() override
    {
        Resources::instance().addMenus(kMenus);
        Resources::instance().addPrompts(kPrompts);
        FrameworkFixture::SetUp();
        main->installAccelerators(kAccelerators);
        toolBar = new ToolBar(
            kBar, [this]() -> CommandTarget* { return main.get(); }, main.get());
        main->addToolBar(toolBar);
        toolBar->show();
        document = open(129);
        view = static_cast<TestView*>(main->GetActiveView());
        view->onCommand(kKickStart, [this]() { ++kickStarts; });
        view->onCommand(kDisabled, [this]() { ++resets; });
        view->onUpdate(kDisabled, [](CmdUI& ui) { ui.Enable(false); });
        main->onCommand(kSnapshot, [this]() { snapshot = !snapshot; });
        main->onUpdate(kSnapshot, [this](CmdUI& ui) { ui.SetCheck(snapshot ? 1 : 0); });
        app->onCommand(kAppOnly, [this]() { ++abouts; });
    }

    void TearDown() override
    {
        FrameworkFixture::TearDown();
        Resources::instance().clear();
    }

    ToolBar* toolBar = nullptr;
    Document* document = nullptr;
    TestView* view = nullptr;
    int kickStarts = 0;
    int resets = 0;
    int abouts = 0;
    bool snapshot = false;
};

TEST_F(CommandsTest, MenuToolBarAndAcceleratorReachTheSameHandler)
{
    QAction* item = menuAction(main->menuBar(), kKickStart);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->statusTip().toStdString(), "Kickstart the data acquisition");
    item->trigger();
    ASSERT_NE(toolBar->button(kKickStart), nullptr);
    EXPECT_EQ(toolBar->button(kKickStart)->toolTip().toStdString(), "Kickstart");
    toolBar->button(kKickStart)->trigger();
    QShortcut* key = shortcut(main.get(), "Ctrl+K");
    ASSERT_NE(key, nullptr);
    emit key->activated();
    EXPECT_EQ(kickStarts, 3);
    EXPECT_TRUE(main->executeCommand(kAppOnly)); // the application ends the routing
    EXPECT_EQ(abouts, 1);
}

TEST_F(CommandsTest, DisabledCommandDoesNotRunFromAnySource)
{
    QAction* item = menuAction(main->menuBar(), kDisabled);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isEnabled());
    item->trigger(); // a disabled QAction does not fire, and the route checks again
    EXPECT_FALSE(executeCommand(*main, kDisabled));
    main->idleUpdate();
    EXPECT_FALSE(toolBar->button(kDisabled)->isEnabled());
    toolBar->button(kDisabled)->activate(QAction::Trigger);
    QShortcut* key = shortcut(main.get(), "Ctrl+Alt+R");
    ASSERT_NE(key, nullptr);
    emit key->activated();
    EXPECT_EQ(resets, 0);

    // A command nobody handles is disabled in the menu and on the bar.
    EXPECT_FALSE(menuAction(main->menuBar(), kNobody)->isEnabled());
    EXPECT_FALSE(toolBar->button(kNobody)->isEnabled());
    EXPECT_FALSE(main->executeCommand(kNobody));
}

TEST_F(CommandsTest, UpdateHandlersSetCheckMarks)
{
    struct Case
    {
        const char* name;
        std::function<void()> toggle;
    };
    const Case cases[] = {
        {"menu", [this] { menuAction(main->menuBar(), kSnapshot)->trigger(); }},
        {"tool bar", [this] { toolBar->button(kSnapshot)->trigger(); }},
        {"accelerator", [this] { emit shortcut(main.get(), "Ctrl+Alt+S")->activated(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool before = snapshot;
        c.toggle();
        EXPECT_NE(snapshot, before);
        QAction* item = menuAction(main->menuBar(), kSnapshot);
        EXPECT_EQ(item->isChecked(), snapshot);
        EXPECT_EQ((GetMenuState(main->currentMenu(), kSnapshot, MF_BYCOMMAND) & MF_CHECKED) != 0,
                  snapshot);
        main->idleUpdate();
        EXPECT_EQ(toolBar->button(kSnapshot)->isChecked(), snapshot);
    }
}

TEST_F(CommandsTest, ExceptionInAHandlerStaysInsideTheCommand)
{
    view->onCommand(kNobody, []() { throw std::runtime_error("handler fault"); });
    EXPECT_FALSE(main->executeCommand(kNobody));
    QAction* item = menuAction(main->menuBar(), kNobody);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    item->trigger(); // must not leave through the event loop
    EXPECT_TRUE(main->executeCommand(kKickStart));
    EXPECT_EQ(kickStarts, 1);
}

TEST_F(CommandsTest, ViewHandlerTakesPrecedenceOverFrameAndApplication)
{
    int frameRuns = 0;
    int appRuns = 0;
    auto* frame = static_cast<TestFrame*>(main->MDIGetActive());
    frame->onCommand(kKickStart, [&]() { ++frameRuns; });
    app->onCommand(kKickStart, [&]() { ++appRuns; });
    EXPECT_TRUE(main->executeCommand(kKickStart));
    EXPECT_EQ(kickStarts, 1);
    EXPECT_EQ(frameRuns, 0);
    // The frame's routing reaches the application when nothing nearer handles the command.
    EXPECT_TRUE(frame->executeCommand(kAppOnly));
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(appRuns, 0);
}

TEST_F(CommandsTest, MessagesReachEveryDescendantRecursively)
{
    struct Receiver : QWidget, WindowMessageHandler
    {
        using QWidget::QWidget;
        std::vector<unsigned> seen;
        intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t,
                                 bool& handled) override
        {
            seen.push_back(message + static_cast<unsigned>(wParam));
            handled = true;
            return 1;
        }
    };
    auto* outer = new Receiver(view);
    auto* inner = new Receiver(new QWidget(outer));
    open(131);
    const int handled = SendMessageToDescendants(main.get(), 0x52C, 2, 1);
    EXPECT_GE(handled, 2);
    EXPECT_EQ(outer->seen, std::vector<unsigned>{0x52C + 2});
    EXPECT_EQ(inner->seen, std::vector<unsigned>{0x52C + 2});
    // Only the direct children when not deep.
    SendMessageToDescendants(outer, 0x52C, 0, 0, false);
    EXPECT_EQ(inner->seen.size(), 1u);

    // The windows that handlers reach follow the tree: one added, one gone, one moved away.
    auto* added = new Receiver(new QWidget(view));
    delete inner;
    auto* moved = new Receiver(view);
    SendMessageToDescendants(main.get(), 0x52C, 3, 0);
    EXPECT_EQ(added->seen, std::vector<unsigned>{0x52C + 3});
    EXPECT_EQ(moved->seen, std::vector<unsigned>{0x52C + 3});
    QWidget elsewhere;
    moved->setParent(&elsewhere);
    SendMessageToDescendants(main.get(), 0x52C, 4, 0);
    EXPECT_EQ(moved->seen.size(), 1u);
    EXPECT_EQ(outer->seen.back(), 0x52Cu + 4);
    // A handler that closes a window later in the walk: the closed one is passed over.
    struct Closer : QWidget, WindowMessageHandler
    {
        using QWidget::QWidget;
        QWidget* victim = nullptr;
        intptr_t OnWindowMessage(unsigned, uintptr_t, intptr_t, bool& handled) override
        {
            delete victim;
            victim = nullptr;
            handled = true;
            return 0;
        }
    };
    auto* host = new QWidget(view);
    auto* closer = new Closer(host);
    closer->victim = new Receiver(host);
    EXPECT_GE(SendMessageToDescendants(main.get(), 0x52C, 5, 0), 3);
}

TEST_F(CommandsTest, DialogBarControlsRunCommandsAndTakeTheirStates)
{
    auto* frame = static_cast<TestFrame*>(main->MDIGetActive());
    auto* bar = new DialogBar(
        16105, "Acquisition Parameters", [frame]() -> CommandTarget* { return frame; }, nullptr);
    auto* strobe = new QCheckBox(QStringLiteral("Strobe/Lamp Enable"), bar->panel());
    auto* save = new QPushButton(QStringLiteral("Save"), bar->panel());
    auto* unhandled = new QPushButton(QStringLiteral("Unhandled"), bar->panel());
    bar->addControl(strobe, 1019);
    bar->addControl(save, 1569);
    bar->addControl(unhandled, 1570);
    bool strobeOn = false;
    int saves = 0;
    bool saveAllowed = false;
    view->onCommand(1019, [&]() { strobeOn = strobe->isChecked(); });
    view->onCommand(1569, [&]() { ++saves; });
    view->onUpdate(1569, [&](CmdUI& ui) { ui.Enable(saveAllowed); });
    EXPECT_EQ(findControl<QCheckBox>(bar, 1019), strobe);
    EXPECT_EQ(controlId(save), 1569u);

    strobe->click();
    EXPECT_TRUE(strobeOn);
    save->click();
    EXPECT_EQ(saves, 0); // its update handler disables it
    bar->updateControls();
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(unhandled->isEnabled());
    saveAllowed = true;
    bar->updateControls();
    EXPECT_TRUE(save->isEnabled());
    save->click();
    EXPECT_EQ(saves, 1);
    delete bar;
}

TEST_F(CommandsTest, WindowTimersDeliverTheirIdsUntilKilled)
{
    view->SetTimer(5, 1);
    view->SetTimer(7, 1);
    ASSERT_TRUE(waitFor([&] {
        return std::count(view->timers.begin(), view->timers.end(), 5u) >= 2 &&
               std::count(view->timers.begin(), view->timers.end(), 7u) >= 1;
    }));
    EXPECT_TRUE(view->KillTimer(5));
    EXPECT_FALSE(view->KillTimer(5));
    EXPECT_TRUE(view->KillTimer(7));
    QCoreApplication::processEvents();
    view->timers.clear();
    // A timer set again after a kill fires again; one killed does not.
    view->SetTimer(9, 1);
    ASSERT_TRUE(waitFor([&] { return !view->timers.empty(); }));
    EXPECT_TRUE(
        std::all_of(view->timers.begin(), view->timers.end(), [](unsigned id) { return id == 9; }));
    view->KillTimer(9);
}

namespace {

// A strip of count images of 16 x 15 (or twice that at scale 2): image i filled with colour i,
// its top-left pixel the magenta key.
QImage toolBarStripOfColours(int count, int scale)
{
    QImage strip(16 * scale * count, 15 * scale, QImage::Format_RGB32);
    QPainter painter(&strip);
    for (int i = 0; i < count; ++i) {
        const QRect cell(16 * scale * i, 0, 16 * scale, 15 * scale);
        painter.fillRect(cell, QColor::fromHsv(40 * i, 255, 200));
        painter.fillRect(QRect(cell.topLeft(), QSize(scale, scale)), QColor(255, 0, 255));
    }
    return strip;
}

} // namespace

TEST_F(CommandsTest, ToolBarTakesHighDensityImagesOnlyFromAStripThatMatches)
{
    const QImage strip = toolBarStripOfColours(3, 1);
    const struct
    {
        const char* name;
        QImage doubled;
        bool taken;
    } cases[] = {
        {"none", QImage(), false},
        {"every image at twice the size", toolBarStripOfColours(3, 2), true},
        {"one image short", toolBarStripOfColours(2, 2), false},
        {"the normal size", toolBarStripOfColours(3, 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<QIcon> icons = ToolBar::stripIcons(strip, QSize(16, 15), c.doubled);
        ASSERT_EQ(icons.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            const QImage normal = icons[i].pixmap(QSize(16, 15), 1.0).toImage();
            const QImage dense = icons[i].pixmap(QSize(16, 15), 2.0).toImage();
            EXPECT_EQ(normal.size(), QSize(16, 15));
            EXPECT_EQ(dense.size(), c.taken ? QSize(32, 30) : QSize(16, 15));
            // The images keep their order and the key is transparent at both sizes.
            EXPECT_EQ(normal.pixel(8, 8), QColor::fromHsv(40 * i, 255, 200).rgb());
            EXPECT_EQ(dense.pixel(dense.width() / 2, 8), QColor::fromHsv(40 * i, 255, 200).rgb());
            EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(dense.pixel(0, 0)), 0);
        }
    }
}
