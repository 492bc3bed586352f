#include "platform/framework/Menu.h"

#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "tests/platform/framework/TestApplication.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform::framework;

namespace {

constexpr MenuEntry kMenu[] = {
    menuPopup("&File"),
    menuItem(32805, "&New\tCtrl+N"),
    menuSeparator(),
    menuPopup("&Recent"),
    menuItem(33064, "one"),
    menuEnd(),
    menuItem(57665, "E&xit"),
    menuEnd(),
    menuPopup("&Window"),
    menuItem(57650, "&Cascade"),
    menuEnd(),
};

std::vector<std::string> texts(QMenu* menu)
{
    std::vector<std::string> result;
    for (QAction* action : menu->actions()) {
        result.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    return result;
}

QMenu* barMenu(QMenuBar& bar, const QString& title)
{
    for (QAction* action : bar.actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

} // namespace

TEST(MenuModel, ItemsAddressedByCommandAndByPosition)
{
    const HMENU bar = buildMenu(kMenu);
    ASSERT_TRUE(IsMenu(bar));
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    const HMENU file = GetSubMenu(bar, 0);
    const HMENU recent = GetSubMenu(file, 2);
    ASSERT_TRUE(IsMenu(recent));

    struct Case
    {
        const char* name;
        std::function<bool()> change;
        HMENU menu;
        std::vector<unsigned> ids;
    };
    const Case cases[] = {
        {"append to a sub-menu found by command",
         [&] { return AppendMenu(findMenuContaining(bar, 33064), MF_STRING, 33065, "two"); },
         recent,
         {33064, 33065}},
        {"insert before a command, searched through sub-menus",
         [&] { return InsertMenu(bar, 33064, MF_BYCOMMAND | MF_STRING, 33066, "zero"); },
         recent,
         {33066, 33064, 33065}},
        {"insert by position past the end appends",
         [&] { return InsertMenu(recent, 99, MF_BYPOSITION | MF_STRING, 33067, "last"); },
         recent,
         {33066, 33064, 33065, 33067}},
        {"modify by command changes id and text",
         [&] { return ModifyMenu(bar, 33064, MF_BYCOMMAND | MF_STRING, 33070, "renamed"); },
         recent,
         {33066, 33070, 33065, 33067}},
        {"delete by position",
         [&] { return DeleteMenu(recent, 0, MF_BYPOSITION); },
         recent,
         {33070, 33065, 33067}},
        {"delete by command",
         [&] { return DeleteMenu(bar, 33067, MF_BYCOMMAND); },
         recent,
         {33070, 33065}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.change());
        std::vector<unsigned> ids;
        for (int i = 0; i < GetMenuItemCount(c.menu); ++i) {
            ids.push_back(GetMenuItemID(c.menu, i));
        }
        EXPECT_EQ(ids, c.ids);
    }
    EXPECT_EQ(GetMenuString(bar, 33070, MF_BYCOMMAND), std::optional<std::string>("renamed"));
    EXPECT_EQ(GetMenuItemID(file, 2), 0xFFFFFFFFu); // a sub-menu has no command id
    EXPECT_EQ(GetMenuItemID(file, 1), 0u);          // a separator
    EXPECT_FALSE(DeleteMenu(bar, 12345, MF_BYCOMMAND));
    EXPECT_FALSE(ModifyMenu(bar, 7, MF_BYPOSITION, 1, "x"));

    // Deleting the pop-up item destroys the sub-menu; removing keeps it.
    EXPECT_TRUE(RemoveMenu(file, 2, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(recent));
    EXPECT_TRUE(AppendMenu(file, MF_POPUP, recent, "&Recent"));
    EXPECT_TRUE(DeleteMenu(file, 3, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(recent));
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(file));
    EXPECT_EQ(GetMenuItemCount(bar), -1);
}

TEST(MenuModel, StatesAndGuards)
{
    const HMENU menu = CreatePopupMenu();
    AppendMenu(menu, MF_STRING, 1, "one");
    EXPECT_EQ(CheckMenuItem(menu, 1, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 1, MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(EnableMenuItem(menu, 0, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(menu, 1, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(CheckMenuItem(menu, 99, MF_CHECKED), 0xFFFFFFFFu);
    // A menu cannot become its own sub-menu, directly or through a child.
    EXPECT_FALSE(AppendMenu(menu, MF_POPUP, menu, "self"));
    const HMENU child = CreatePopupMenu();
    AppendMenu(menu, MF_POPUP, child, "child");
    EXPECT_FALSE(AppendMenu(child, MF_POPUP, menu, "cycle"));
    EXPECT_FALSE(AppendMenu(menu, MF_POPUP, 0xDEAD, "missing"));
    EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION), MF_POPUP); // no items: count 0
    // Handles are never reused.
    DestroyMenu(menu);
    const HMENU next = CreateMenu();
    EXPECT_NE(next, menu);
    EXPECT_NE(next, child);
    DestroyMenu(next);
}

TEST(MenuModel, UnbalancedTablesAreRefused)
{
    constexpr MenuEntry open[] = {menuPopup("&File"), menuItem(1, "a")};
    constexpr MenuEntry extraEnd[] = {menuItem(1, "a"), menuEnd()};
    EXPECT_EQ(buildMenu(open), 0u);
    EXPECT_EQ(buildMenu(extraEnd), 0u);
}

TEST(MenuRendererTest, ChangesToTheModelShowUpInTheQtMenus)
{
    testApplication();
    QMenuBar bar;
    const HMENU menu = buildMenu(kMenu);
    MenuRenderer renderer(&bar, nullptr);
    renderer.setMenu(menu);
    QMenu* file = barMenu(bar, "&File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(texts(file), (std::vector<std::string>{"&New\tCtrl+N", "-", "&Recent", "E&xit"}));

    InsertMenu(menu, 57665, MF_BYCOMMAND | MF_STRING, 57601, "&Open...");
    ModifyMenu(menu, 32805, MF_BYCOMMAND | MF_STRING, 32805, "&New Spectrum");
    DeleteMenu(GetSubMenu(menu, 0), 1, MF_BYPOSITION); // the separator
    emit file->aboutToShow();
    EXPECT_EQ(texts(file),
              (std::vector<std::string>{"&New Spectrum", "&Recent", "&Open...", "E&xit"}));

    // A new top-level pop-up appears in the bar after the next rebuild.
    const HMENU help = CreatePopupMenu();
    AppendMenu(help, MF_STRING, 57664, "&About Harlune...");
    AppendMenu(menu, MF_POPUP, help, "&Help");
    renderer.rebuild();
    QMenu* helpMenu = barMenu(bar, "&Help");
    ASSERT_NE(helpMenu, nullptr);
    EXPECT_EQ(texts(helpMenu), std::vector<std::string>{"&About Harlune..."});
    DestroyMenu(menu);
}

TEST(ResourcesTest, PromptsAndStrings)
{
    constexpr CommandPrompt prompts[] = {
        {32830, "Kickstart the data acquisition\nKickstart"},
        {1, "no tip"},
    };
    constexpr StringResource strings[] = {{61446, "Configure Data Acquisition"}};
    Resources& resources = Resources::instance();
    resources.addPrompts(prompts);
    resources.addStrings(strings);
    EXPECT_EQ(resources.statusPrompt(32830), "Kickstart the data acquisition");
    EXPECT_EQ(resources.toolTip(32830), "Kickstart");
    EXPECT_EQ(resources.statusPrompt(1), "no tip");
    EXPECT_EQ(resources.toolTip(1), "");
    EXPECT_EQ(resources.LoadString(61446),
              std::optional<std::string>("Configure Data Acquisition"));
    EXPECT_FALSE(resources.LoadString(2));
    EXPECT_EQ(resources.LoadMenu(999), 0u);
    resources.clear();
}

TEST(MenuRendererTest, PopupMenuRunsTheChosenCommand)
{
    testApplication();
    struct Target : CommandTarget
    {
        std::vector<unsigned> ran;
        Target()
        {
            onCommandRange(16000, 16109, [this](unsigned id) { ran.push_back(id); });
        }
    } target;
    constexpr MenuEntry popupTable[] = {
        menuPopup("&Main Toolbars..."),
        menuItem(16000, "&General"),
        menuItem(16001, "&Tundra"),
        menuEnd(),
    };
    const HMENU popup = buildMenu(popupTable);
    struct Case
    {
        const char* name;
        const char* choose; // item text, or nothing: the menu is dismissed
        unsigned expected;
    };
    const Case cases[] = {{"chosen", "&Tundra", 16001}, {"dismissed", nullptr, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        target.ran.clear();
        QTimer::singleShot(0, [&c]() {
            auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(open, nullptr);
            for (QAction* action : open->actions()) {
                if (c.choose != nullptr && action->text() == QString::fromLatin1(c.choose)) {
                    // As the user does: highlight the item and press Return.
                    open->setActiveAction(action);
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                    QApplication::sendEvent(open, &press);
                    return;
                }
            }
            open->close();
        });
        const unsigned chosen = MenuRenderer::trackPopupMenu(
            GetSubMenu(popup, 0), QPoint(10, 10), [&]() -> CommandTarget* { return &target; });
        EXPECT_EQ(chosen, c.expected);
        EXPECT_EQ(target.ran,
                  c.expected == 0 ? std::vector<unsigned>{} : std::vector<unsigned>{c.expected});
    }
    DestroyMenu(popup);
}
