#include "toolkit/widgets/COXMenuOrganizer.h"

#include "platform/framework/Menu.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "platform/win/AppProfile.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/COXCoolToolBar.h"
#include "toolkit/widgets/SystemColors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace fw = platform::framework;
namespace profile = platform::win::app_profile;

constexpr unsigned kOrganizerOpen = 10, kOrganizerSave = 11, kOrganizerPrint = 12, kExit = 13,
                   kInner = 20;

class COXMenuOrganizerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.isValid());
        qputenv("HARLUNE_REGISTRY_DIR", registry.path().toUtf8());
        fw::Resources::instance().clear();
        root = fw::CreateMenu();
        file = fw::CreatePopupMenu();
        sub = fw::CreatePopupMenu();
        fw::AppendMenu(sub, fw::MF_STRING, kInner, "&Inner");
        fw::AppendMenu(file, fw::MF_STRING, kOrganizerOpen, "&Open\tCtrl+O");
        fw::AppendMenu(file, fw::MF_STRING, kOrganizerSave, "&Save");
        fw::AppendMenu(file, fw::MF_SEPARATOR, 0, "");
        fw::AppendMenu(file, fw::MF_POPUP, sub, "&Recent");
        fw::AppendMenu(file, fw::MF_SEPARATOR, 0, "");
        fw::AppendMenu(file, fw::MF_STRING, kOrganizerPrint, "&Print");
        fw::AppendMenu(file, fw::MF_STRING, kExit, "E&xit");
        fw::AppendMenu(root, fw::MF_POPUP, file, "&File");
        organizer.setMenuBarSource([this] { return root; });
        ASSERT_TRUE(organizer.AttachFrameWindow(&frame));
    }
    void TearDown() override
    {
        organizer.DetachFrameWindow();
        fw::DestroyMenu(root);
        toolkit::widgets::setBitmapSource({});
        toolkit::widgets::setSystemColorSource({});
        fw::Resources::instance().clear();
    }

    std::vector<unsigned> ids(fw::HMENU menu) const
    {
        std::vector<unsigned> out;
        for (int i = 0; i < fw::GetMenuItemCount(menu); ++i)
            out.push_back(fw::GetMenuItemID(menu, i));
        return out;
    }

    QTemporaryDir registry;
    QMainWindow frame;
    COXMenuOrganizer organizer;
    fw::HMENU root = 0, file = 0, sub = 0;
};

constexpr unsigned kSubItem = 0xFFFFFFFF;
constexpr unsigned kMore = COXBitmapMenu::ID_OX_SHOWALLITEMS;

TEST_F(COXMenuOrganizerTest, SecondAttachFailsAndKeepsTheFirst)
{
    QMainWindow other;
    EXPECT_FALSE(organizer.AttachFrameWindow(&other));
    EXPECT_FALSE(organizer.AttachFrameWindow(nullptr));
    EXPECT_TRUE(organizer.AttachFrameWindow(&frame));
    EXPECT_EQ(organizer.DetachFrameWindow(), &frame);
    EXPECT_EQ(organizer.DetachFrameWindow(), nullptr);
}

TEST_F(COXMenuOrganizerTest, ACommandOnTwoBarsShowsTheLaterBarsImage)
{
    const unsigned first[] = {kOrganizerOpen, 0, kOrganizerSave};
    const unsigned second[] = {kOrganizerPrint, kOrganizerOpen};
    const fw::ToolBarResource bars[] = {{901, "First", first}, {902, "Second", second}};
    fw::Resources::instance().addToolBars(bars);
    toolkit::widgets::setBitmapSource([](unsigned id) {
        QImage strip(32, 15, QImage::Format_RGB32);
        strip.fill(id == 901 ? Qt::blue : Qt::green);
        return strip;
    });
    ASSERT_NE(COXCoolToolBar::Create(&frame, 0, 901, nullptr), nullptr);
    ASSERT_NE(COXCoolToolBar::Create(&frame, 0, 902, nullptr), nullptr);
    ASSERT_TRUE(organizer.CollectToolBarImages());
    const auto colour = [&](unsigned id) {
        return organizer.image(id).pixmap(16, 15).toImage().pixelColor(8, 7);
    };
    EXPECT_EQ(colour(kOrganizerOpen), QColor(Qt::green));
    EXPECT_EQ(colour(kOrganizerSave), QColor(Qt::blue));
    EXPECT_EQ(colour(kOrganizerPrint), QColor(Qt::green));
    EXPECT_TRUE(organizer.image(kExit).isNull());

    // A hot image stands behind the normal ones of the command's list.
    QPixmap hot(16, 15);
    hot.fill(Qt::yellow);
    ASSERT_TRUE(organizer.SetMenuHotImage(kOrganizerOpen, hot));
    const OXImageInfo* info = organizer.GetImageInfo(kOrganizerOpen);
    EXPECT_EQ(info->pixmap(true).toImage().pixelColor(1, 1), QColor(Qt::yellow));
    EXPECT_EQ(info->pixmap(false).toImage().pixelColor(1, 1), QColor(Qt::green));
    EXPECT_FALSE(organizer.SetMenuHotImage(kExit, hot));
}

TEST_F(COXMenuOrganizerTest, MenuCharacterChoosesTheMnemonicItem)
{
    organizer.SetShowOnlyRecentlyUsedItems(false);
    organizer.OnInitMenuPopup(file);
    EXPECT_EQ(organizer.OnMenuChar(U's', file), (2u << 16) | 1u);
    EXPECT_EQ(organizer.OnMenuChar(U'X', file), (2u << 16) | 6u);
    EXPECT_EQ(organizer.OnMenuChar(U'r', file), (2u << 16) | 3u);
    EXPECT_EQ(organizer.OnMenuChar(U'q', file), 0u);
    EXPECT_EQ(organizer.OnMenuChar(U's', root), 0u);
}

TEST_F(COXMenuOrganizerTest, DetachLeavesPlainStringMenusWithAllTheirItems)
{
    const std::vector<unsigned> before = ids(file);
    organizer.HideCommand(kOrganizerSave);
    organizer.HideSubmenu(sub);
    organizer.OnInitMenuPopup(file);
    EXPECT_NE(ids(file), before);
    organizer.DetachFrameWindow();
    EXPECT_EQ(ids(file), before);
    EXPECT_EQ(fw::GetSubMenu(file, 3), sub);
    for (int i = 0; i < fw::GetMenuItemCount(file); ++i)
        EXPECT_EQ(fw::GetMenuItemData(file, static_cast<unsigned>(i), fw::MF_BYPOSITION), 0u);
    EXPECT_EQ(fw::GetMenuString(file, 0, fw::MF_BYPOSITION).value_or(""), "&Open\tCtrl+O");
}

// Draws item position of the converted menu checked or not into an image.
QImage drawItem(COXBitmapMenu& menu, int position, unsigned state)
{
    QImage image(120, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    menu.DrawItem(painter, image.rect(), position, state);
    return image;
}

TEST_F(COXMenuOrganizerTest, AnItemWithoutImageShowsTheCheckImageOnlyWhileChecked)
{
    toolkit::widgets::setSystemColorSource([](int) { return 0x00C0C0C0u; });
    organizer.SetShowOnlyRecentlyUsedItems(false);
    organizer.OnInitMenuPopup(file);
    COXBitmapMenu* menu = organizer.convertedMenu(file);
    ASSERT_NE(menu, nullptr);
    const OXImageInfo* info = menu->itemData(0)->image;
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->checkImage);
    const QRect imageRect = menu->GetItemRects(QRect(0, 0, 120, 24), info->size()).image;
    const auto marked = [&](const QImage& image) {
        for (int y = imageRect.top(); y <= imageRect.bottom(); ++y)
            for (int x = imageRect.left(); x <= imageRect.right(); ++x)
                if (image.pixelColor(x, y) != QColor(0xC0, 0xC0, 0xC0))
                    return true;
        return false;
    };
    EXPECT_FALSE(marked(drawItem(*menu, 0, 0)));
    EXPECT_TRUE(marked(drawItem(*menu, 0, COXBitmapMenu::ODS_CHECKED)));
}

TEST_F(COXMenuOrganizerTest, AContextMenuTrackedByTheFrameIsConvertedToo)
{
    const fw::HMENU popup = fw::CreatePopupMenu();
    fw::AppendMenu(popup, fw::MF_STRING, kOrganizerOpen, "Open");
    bool converted = false;
    QTimer::singleShot(0, [&] {
        converted = organizer.convertedMenu(popup) != nullptr;
        if (QWidget* open = QApplication::activePopupWidget())
            open->close();
    });
    fw::MenuRenderer::trackPopupMenu(popup, QPoint(10, 10), nullptr, &frame);
    EXPECT_TRUE(converted);
    organizer.RestoreMenu(popup, true);
    fw::DestroyMenu(popup);
}

TEST_F(COXMenuOrganizerTest, NothingHiddenShowsEveryItemAndNoExpansionItem)
{
    const std::vector<unsigned> before = ids(file);
    organizer.OnInitMenuPopup(file);
    EXPECT_EQ(ids(file), before);
}

TEST_F(COXMenuOrganizerTest, SeparatorsAroundTakenOutItems)
{
    // Menus of commands (1..) and separators (0); hidden commands; what stays.
    const struct
    {
        std::vector<unsigned> items;
        std::vector<unsigned> hidden;
        std::vector<unsigned> kept;
    } cases[] = {
        {{0, 1, 2}, {}, {1, 2, kMore}},                 // a leading separator goes
        {{1, 0, 2}, {}, {1, 0, 2}},                     // one between kept items stays
        {{1, 0, 2, 0, 3}, {2}, {1, 0, 3, kMore}},       // after taken-out items it goes
        {{1, 0, 2, 3, 0, 4}, {2, 3}, {1, 0, 4, kMore}}, // likewise after several
        {{1, 2, 0, 3}, {1}, {2, 0, 3, kMore}},          // taken out first item
        {{1, 0, 2}, {1, 2}, {kMore}},                   // all gone
    };
    for (const auto& c : cases) {
        const fw::HMENU menu = fw::CreatePopupMenu();
        for (unsigned id : c.items)
            fw::AppendMenu(menu, id == 0 ? fw::MF_SEPARATOR : fw::MF_STRING, id, "x");
        for (unsigned id : c.hidden)
            organizer.HideCommand(id);
        organizer.OnInitMenuPopup(menu);
        std::vector<unsigned> expected = c.kept;
        if (c.hidden.empty() && c.items.front() != 0)
            expected = c.items;
        EXPECT_EQ(ids(menu), expected) << c.items.size() << " " << c.hidden.size();
        organizer.RestoreMenu(menu, true);
        EXPECT_EQ(ids(menu), c.items);
        for (unsigned id : c.hidden)
            organizer.ShowCommand(id);
        fw::DestroyMenu(menu);
    }
}

TEST_F(COXMenuOrganizerTest, AHiddenCommandChosenFromTheExpandedMenuBecomesRecentlyUsed)
{
    int told = 0;
    organizer.setMarksChangedHandler([&] { ++told; });
    organizer.HideCommand(kInner);
    organizer.HideSubmenu(sub);
    organizer.HideCommand(kOrganizerPrint);
    organizer.popupShown(file, nullptr, 0, {});
    EXPECT_EQ(ids(file), (std::vector<unsigned>{kOrganizerOpen, kOrganizerSave, 0, kExit, kMore}));
    organizer.expand(file);
    EXPECT_TRUE(organizer.expanded());
    EXPECT_EQ(ids(file), (std::vector<unsigned>{kOrganizerOpen, kOrganizerSave, 0, kSubItem, 0,
                                                kOrganizerPrint, kExit}));
    organizer.popupShown(sub, nullptr, file, {});
    EXPECT_EQ(ids(sub), (std::vector<unsigned>{kInner}));
    organizer.commandChosen(kInner);
    EXPECT_TRUE(organizer.IsCommandRecentlyUsed(kInner));
    EXPECT_TRUE(organizer.IsSubmenuRecentlyUsed(sub));
    EXPECT_EQ(told, 1);
    organizer.commandChosen(kInner);
    EXPECT_EQ(told, 1);
    organizer.menuLoopEnded();
    EXPECT_FALSE(organizer.expanded());
    // The next loop filters again: only Print is still hidden.
    organizer.popupShown(file, nullptr, 0, {});
    EXPECT_EQ(ids(file), (std::vector<unsigned>{kOrganizerOpen, kOrganizerSave, 0, kSubItem, 0,
                                                kExit, kMore}));
}

TEST_F(COXMenuOrganizerTest, CommandsNotChosenFromAMenuMarkNothing)
{
    organizer.HideCommand(kOrganizerPrint);
    int told = 0;
    organizer.setMarksChangedHandler([&] { ++told; });
    // An accelerator runs its command with no pop-up open.
    organizer.commandChosen(kOrganizerPrint);
    EXPECT_FALSE(organizer.IsCommandRecentlyUsed(kOrganizerPrint));
    EXPECT_EQ(told, 0);
}

TEST_F(COXMenuOrganizerTest, HideAndShowAnswers)
{
    EXPECT_FALSE(organizer.HideCommand(0));
    EXPECT_TRUE(organizer.HideCommand(kOrganizerSave));
    EXPECT_FALSE(organizer.HideCommand(kOrganizerSave));
    EXPECT_TRUE(organizer.ShowCommand(kOrganizerSave));
    EXPECT_FALSE(organizer.ShowCommand(kOrganizerSave));
    EXPECT_TRUE(organizer.HideSubmenu(sub));
    EXPECT_FALSE(organizer.HideSubmenu(sub));
    EXPECT_TRUE(organizer.ShowSubmenu(sub));
    EXPECT_FALSE(organizer.ShowSubmenu(sub));
}

std::vector<uint8_t> bytes(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t word : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(word >> (8 * i)));
    return out;
}

TEST_F(COXMenuOrganizerTest, ProfileGoldenBytesForCommandsAndSubmenus)
{
    organizer.HideCommand(kOrganizerSave);
    organizer.HideCommand(kOrganizerPrint);
    organizer.HideSubmenu(sub);
    ASSERT_TRUE(organizer.SaveRUCommandsState());
    EXPECT_EQ(profile::GetProfileBinary("RecentlyUsedMenuItems", "RUContents"),
              bytes({2, kOrganizerSave, kOrganizerPrint}));
    EXPECT_EQ(profile::GetProfileInt("RecentlyUsedMenuItems", "RUItemsDataSize", -1), 12);
    ASSERT_TRUE(organizer.SaveRUSubmenusState(root, "Main_RecentlyUsedSubmenuItems"));
    EXPECT_EQ(profile::GetProfileBinary("Main_RecentlyUsedSubmenuItems", "RUContents"),
              bytes({1, 0, 3, 0xFFFFFFFF}));

    // A hidden sub-menu taken out of its open menu keeps its path.
    organizer.OnInitMenuPopup(file);
    ASSERT_NE(fw::GetSubMenu(file, 2), sub);
    ASSERT_TRUE(organizer.SaveRUSubmenusState(root, "Main_RecentlyUsedSubmenuItems"));
    EXPECT_EQ(profile::GetProfileBinary("Main_RecentlyUsedSubmenuItems", "RUContents"),
              bytes({1, 0, 3, 0xFFFFFFFF}));
    organizer.RestoreAllMenus();

    COXMenuOrganizer fresh;
    EXPECT_TRUE(fresh.LoadRUCommandsState());
    EXPECT_FALSE(fresh.IsCommandRecentlyUsed(kOrganizerSave));
    EXPECT_FALSE(fresh.IsCommandRecentlyUsed(kOrganizerPrint));
    EXPECT_TRUE(fresh.LoadRUSubmenusState(root, "Main_RecentlyUsedSubmenuItems"));
    EXPECT_FALSE(fresh.IsSubmenuRecentlyUsed(sub));

    // A hidden sub-menu that no longer lies under the root is written as the terminator alone;
    // loading it hides nothing.
    const fw::HMENU stray = fw::CreatePopupMenu();
    COXMenuOrganizer other;
    other.HideSubmenu(stray);
    ASSERT_TRUE(other.SaveRUSubmenusState(root));
    EXPECT_EQ(profile::GetProfileBinary("RecentlyUsedSubmenuItems", "RUContents"),
              bytes({1, 0xFFFFFFFF}));
    fw::DestroyMenu(stray);
}

TEST_F(COXMenuOrganizerTest, ProfileValuesThatDoNotParseChangeNothing)
{
    const struct
    {
        const char* name;
        std::vector<uint8_t> value;
        int32_t size;
        bool ok;
        bool saveHidden; // kOrganizerSave still hidden afterwards
    } cases[] = {
        {"count 0 empties", bytes({0}), 4, true, false},
        {"truncated", bytes({3, kOrganizerOpen}), 8, false, true},
        {"over-long", bytes({1, kOrganizerOpen, 7}), 12, false, true},
        {"huge count", bytes({0xFFFFFFFF, kOrganizerOpen}), 8, false, true},
        {"size differs", bytes({1, kOrganizerOpen}), 4, false, true},
        {"three bytes", {1, 0, 0}, 3, false, true},
        {"good", bytes({1, kOrganizerOpen}), 8, true, false},
    };
    for (const auto& c : cases) {
        organizer.HideCommand(kOrganizerSave);
        profile::WriteProfileBinary("S", "RUContents", c.value);
        profile::WriteProfileInt("S", "RUItemsDataSize", c.size);
        EXPECT_EQ(organizer.LoadRUCommandsState("S"), c.ok) << c.name;
        EXPECT_EQ(!organizer.IsCommandRecentlyUsed(kOrganizerSave), c.saveHidden) << c.name;
        organizer.ShowCommand(kOrganizerSave);
        organizer.ShowCommand(kOrganizerOpen);
    }

    const struct
    {
        const char* name;
        std::vector<uint8_t> value;
        bool ok;
        bool subHidden;
    } paths[] = {
        {"never ends", bytes({1, 0, 3, 1, 1}), false, true},
        {"huge count", bytes({0x7FFFFFFF, 0xFFFFFFFF}), false, true},
        {"odd size", {1, 0, 0, 0, 0xFF}, false, true},
        {"trailing", bytes({1, 0xFFFFFFFF, 5}), false, true},
        {"gone path", bytes({1, 0, 9, 0xFFFFFFFF}), true, false},
        {"negative", bytes({1, 0, 0xFFFFFFF0, 0xFFFFFFFF}), true, false},
        {"count 0", bytes({0}), true, false},
    };
    for (const auto& c : paths) {
        organizer.HideSubmenu(sub);
        profile::WriteProfileBinary("P", "RUContents", c.value);
        profile::WriteProfileInt("P", "RUItemsDataSize", static_cast<int32_t>(c.value.size()));
        EXPECT_EQ(organizer.LoadRUSubmenusState(root, "P"), c.ok) << c.name;
        EXPECT_EQ(!organizer.IsSubmenuRecentlyUsed(sub), c.subHidden) << c.name;
        organizer.ShowSubmenu(sub);
    }
    // Missing values leave the sets as they were.
    organizer.HideCommand(kOrganizerSave);
    EXPECT_TRUE(organizer.LoadRUCommandsState("Nothing"));
    EXPECT_FALSE(organizer.IsCommandRecentlyUsed(kOrganizerSave));
}

TEST_F(COXMenuOrganizerTest, TheMenusShowImagesAndShadeHiddenItemsShownByExpansion)
{
    toolkit::widgets::setSystemColorSource([](int index) -> fw::COLORREF {
        switch (index) {
        case toolkit::widgets::COLOR_MENU:
            return 0x00FFFFFF;
        case toolkit::widgets::COLOR_BTNHIGHLIGHT:
            return 0x00000080; // dark red
        default:
            return 0x00404040;
        }
    });
    OXImageList images(1, QPixmap(16, 15));
    images[0].fill(Qt::blue);
    ASSERT_TRUE(organizer.SetMenuImage(kOrganizerOpen, "test", images, 0));
    organizer.HideCommand(kOrganizerPrint);
    fw::MenuRenderer renderer(frame.menuBar(), nullptr);
    renderer.setMenu(root);
    auto* qtMenu = frame.menuBar()->actions().value(0)->menu();
    ASSERT_NE(qtMenu, nullptr);
    emit qtMenu->aboutToShow();
    ASSERT_EQ(qtMenu->actions().size(), 7); // Print taken out, the expansion item added
    // Choosing the expansion item by key shows the whole pop-up in place.
    qtMenu->setActiveAction(qtMenu->actions().last());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(qtMenu, &enter);
    ASSERT_EQ(qtMenu->actions().size(), 7);
    EXPECT_EQ(qtMenu->actions()[5]->data().toUInt(), kOrganizerPrint);
    qtMenu->adjustSize();
    const QImage shot = qtMenu->grab().toImage();
    const auto has = [&](const QRect& area, QColor colour) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (shot.pixelColor(x, y) == colour)
                    return true;
        return false;
    };
    const QRect open = qtMenu->actionGeometry(qtMenu->actions()[0]);
    const QRect print = qtMenu->actionGeometry(qtMenu->actions()[5]);
    const QRect exit = qtMenu->actionGeometry(qtMenu->actions()[6]);
    EXPECT_TRUE(has(open, Qt::blue));
    EXPECT_TRUE(has(print, QColor(0x80, 0, 0)));
    EXPECT_FALSE(has(exit, QColor(0x80, 0, 0)));
    organizer.menuLoopEnded();
}

TEST_F(COXMenuOrganizerTest, MenusDestroyedWhileConvertedAndBadImageIndices)
{
    organizer.HideSubmenu(sub);
    organizer.HideCommand(kOrganizerSave);
    const fw::HMENU popup = fw::CreatePopupMenu();
    fw::AppendMenu(popup, fw::MF_STRING, kOrganizerOpen, "&&&");
    fw::AppendMenu(popup, fw::MF_STRING, kOrganizerPrint, "Ends&");
    organizer.popupShown(file, nullptr, 0, {});
    organizer.popupShown(popup, nullptr, file, {});
    EXPECT_EQ(organizer.OnMenuChar(U'&', popup), 0u);
    fw::DestroyMenu(popup);
    fw::RemoveMenu(root, 0, fw::MF_BYPOSITION);
    fw::DestroyMenu(file); // the taken-out sub-menu has no owner now
    organizer.commandChosen(kOrganizerOpen);
    organizer.expand(file);
    organizer.menuLoopEnded();
    EXPECT_EQ(organizer.convertedMenu(file), nullptr);
    EXPECT_FALSE(fw::IsMenu(sub));
    EXPECT_EQ(organizer.OnMenuChar(U'o', file), 0u);
    EXPECT_FALSE(organizer.MeasureItem(file, 0).has_value());

    // An image index past its list draws no image.
    OXImageInfo info;
    info.imageList = std::make_shared<OXImageList>(1, QPixmap(16, 15));
    info.index = 5;
    info.hotIndex = 9;
    EXPECT_TRUE(info.pixmap().isNull());
    EXPECT_TRUE(info.pixmap(true).isNull());
    EXPECT_EQ(info.size(), QSize(0, 0));
    OXImageList one(1, QPixmap(16, 15));
    EXPECT_FALSE(organizer.SetMenuImage(kOrganizerOpen, "k", one, 1));
    EXPECT_FALSE(organizer.SetMenuImage(kOrganizerOpen, "k", one, -1));
}

} // namespace
