#include "toolkit/widgets/COXBitmapMenu.h"

#include "platform/framework/Menu.h"
#include "toolkit/widgets/COXBitmapMenuPopupWnd.h"
#include "toolkit/widgets/COXMenuOrganizer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fw = platform::framework;

// 7 pixels per character, a fixed text height.
COXBitmapMenu::TextMeasurer measurer(int height)
{
    return
        [height](const QString& text) { return QSize(7 * static_cast<int>(text.size()), height); };
}

QPixmap solid(int width, int height, QColor color = Qt::red)
{
    QPixmap pixmap(width, height);
    pixmap.fill(color);
    return pixmap;
}

class COXBitmapMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.isValid());
        qputenv("HARLUNE_REGISTRY_DIR", registry.path().toUtf8());
        menu = fw::CreatePopupMenu();
        bitmapMenu = std::make_unique<COXBitmapMenu>(menu);
        bitmapMenu->setTextMeasurer(measurer(13));
        images = std::make_shared<OXImageList>(OXImageList{solid(16, 15), solid(16, 20)});
        small.imageList = images;
        tall.imageList = images;
        tall.index = 1;
    }
    void TearDown() override
    {
        bitmapMenu.reset();
        fw::DestroyMenu(menu);
    }

    // Appends an item with a record.
    void add(unsigned flags, uintptr_t id, const std::string& text, OXImageInfo* image = nullptr)
    {
        fw::AppendMenu(menu, flags, id, text);
        const int at = fw::GetMenuItemCount(menu) - 1;
        fw::SetMenuItemData(menu, static_cast<unsigned>(at), fw::MF_BYPOSITION,
                            reinterpret_cast<uintptr_t>(bitmapMenu->AddItemData(image, text)));
    }

    QTemporaryDir registry;
    fw::HMENU menu = 0;
    std::unique_ptr<COXBitmapMenu> bitmapMenu;
    std::shared_ptr<OXImageList> images;
    OXImageInfo small;
    OXImageInfo tall;
};

TEST_F(COXBitmapMenuTest, SeparatorIsEightPixelsHighWhateverTheFont)
{
    add(fw::MF_STRING, 10, "Open");
    add(fw::MF_SEPARATOR, 0, "");
    for (int height : {5, 13, 40}) {
        bitmapMenu->setTextMeasurer(measurer(height));
        bitmapMenu->CalcExtents();
        EXPECT_EQ(bitmapMenu->MeasureItem(1)->height(), 8) << height;
        EXPECT_EQ(bitmapMenu->MeasureItem(0)->height(), height + 4) << height;
    }
}

TEST_F(COXBitmapMenuTest, ItemHeightIsTheLargerOfTextAndImage)
{
    add(fw::MF_STRING, 10, "Open", &tall);
    add(fw::MF_STRING, 11, "Save", &small);
    bitmapMenu->setTextMeasurer(measurer(10));
    bitmapMenu->CalcExtents();
    EXPECT_EQ(bitmapMenu->MeasureItem(0)->height(), 20 + 5);
    EXPECT_EQ(bitmapMenu->MeasureItem(1)->height(), 15 + 5);
    bitmapMenu->setTextMeasurer(measurer(30));
    bitmapMenu->CalcExtents();
    EXPECT_EQ(bitmapMenu->MeasureItem(0)->height(), 34);
}

TEST_F(COXBitmapMenuTest, WidthsWithAndWithoutAccelerators)
{
    add(fw::MF_STRING, 10, "&Open", &small);
    add(fw::MF_STRING, 11, "Save as");
    bitmapMenu->CalcExtents();
    // 2 + image 16 + 4 + "Save as" 49 + 3.
    EXPECT_EQ(bitmapMenu->stringExtent(), 49);
    EXPECT_EQ(bitmapMenu->acceleratorExtent(), 0);
    EXPECT_EQ(bitmapMenu->MeasureItem(0)->width(), 2 + 16 + 4 + 49 + 3);

    add(fw::MF_STRING, 12, "Print\tCtrl+P");
    bitmapMenu->CalcExtents();
    EXPECT_EQ(bitmapMenu->acceleratorExtent(), 42);
    EXPECT_EQ(bitmapMenu->MeasureItem(1)->width(), 2 + 16 + 4 + 49 + 3 + 42 + 2);
    // An item without a record is measured by the system.
    fw::AppendMenu(menu, fw::MF_STRING, 13, "Plain");
    EXPECT_FALSE(bitmapMenu->MeasureItem(3).has_value());
}

TEST_F(COXBitmapMenuTest, SubmenuItemReservesTheWidthOfW)
{
    add(fw::MF_STRING, 10, "Open");
    fw::HMENU sub = fw::CreatePopupMenu();
    add(fw::MF_POPUP, sub, "Recent");
    bitmapMenu->CalcExtents();
    EXPECT_EQ(bitmapMenu->acceleratorExtent(), 7);
    EXPECT_EQ(bitmapMenu->MeasureItem(0)->width(), 2 + 0 + 4 + 42 + 3 + 7 + 2);
}

TEST_F(COXBitmapMenuTest, ItemRectanglesFollowTheLayoutConstants)
{
    add(fw::MF_STRING, 10, "Open\tCtrl+O", &small);
    bitmapMenu->CalcExtents();
    const QRect item(0, 0, 100, 20);
    const COXBitmapMenu::ItemRects rects = bitmapMenu->GetItemRects(item, QSize(16, 15));
    EXPECT_EQ(rects.image, QRect(2, 2, 16, 15));
    EXPECT_EQ(rects.imageFrame, QRect(0, 0, 20, 19));
    EXPECT_EQ(rects.text, QRect(22, 3, 28, 13));
    // Ends 3 left of the right edge, then shifted left by half the gap to the text.
    const int left = 100 - 3 - 42;
    EXPECT_EQ(rects.accelerator, QRect(left - (left - 50) / 2, 3, 42, 13));
}

TEST_F(COXBitmapMenuTest, ItemAtAPointWithHalvesAndPastTheEnd)
{
    add(fw::MF_STRING, 10, "Open"); // 17 high
    add(fw::MF_SEPARATOR, 0, "");   // 8 high
    add(fw::MF_STRING, 11, "Save"); // 17 high
    bitmapMenu->CalcExtents();
    const struct
    {
        int y;
        int index;
        bool lower;
    } cases[] = {{0, 0, false}, {7, 0, false},  {8, 0, true},  {16, 0, true},   {17, 1, false},
                 {21, 1, true}, {25, 2, false}, {41, 2, true}, {42, -1, false}, {500, -1, false}};
    for (const auto& c : cases) {
        bool lower = !c.lower;
        EXPECT_EQ(bitmapMenu->ItemFromPoint(QPoint(5, c.y), &lower), c.index) << c.y;
        EXPECT_EQ(lower, c.lower) << c.y;
    }
}

TEST(BitmapMenuPopupLayoutTest, EmptyAreaAndAlignments)
{
    const OXPopupLayout empty = layoutBitmapMenuPopup({}, 0, 100, 50, 3, 3);
    EXPECT_EQ(empty.window, QRect(100, 50, 50 + 12, 18 + 6));
    const std::vector<QSize> sizes = {QSize(80, 20), QSize(60, 8)};
    const struct
    {
        int alignment;
        int left;
    } cases[] = {{0, 200}, {4, 160}, {8, 120}};
    for (const auto& c : cases) {
        const OXPopupLayout layout = layoutBitmapMenuPopup(sizes, c.alignment, 200, 10, 2, 2);
        EXPECT_EQ(layout.window, QRect(c.left, 10, 80 + 8, 28 + 4)) << c.alignment;
        ASSERT_EQ(layout.items.size(), 2u);
        EXPECT_EQ(layout.items[1], QRect(0, 20, 84, 8));
    }
}

TEST_F(COXBitmapMenuTest, CustomizeMenuEntries)
{
    add(fw::MF_STRING, 57616, "1 file");
    add(fw::MF_STRING, 57631, "16 file");
    add(fw::MF_STRING, 65280, "System");
    fw::HMENU sub = fw::CreatePopupMenu();
    add(fw::MF_POPUP, sub, "Sub");
    add(fw::MF_SEPARATOR, 0, "");
    add(fw::MF_STRING, 10, "Open");
    add(fw::MF_STRING, 11, "Save");
    EXPECT_TRUE(bitmapMenu->CustomizeMenuEntries(0).empty());
    EXPECT_TRUE(bitmapMenu->CustomizeMenuEntries(1).empty());
    EXPECT_TRUE(bitmapMenu->CustomizeMenuEntries(2).empty());
    EXPECT_TRUE(bitmapMenu->CustomizeMenuEntries(99).empty());

    using E = COXBitmapMenu;
    const auto commands = [&](int index) {
        std::vector<std::pair<unsigned, unsigned>> out;
        for (const auto& entry : bitmapMenu->CustomizeMenuEntries(index))
            out.emplace_back(entry.command, entry.flags);
        return out;
    };
    // A sub-menu: previous item is a command, next a separator.
    EXPECT_EQ(commands(3), (std::vector<std::pair<unsigned, unsigned>>{
                               {E::ID_OXCUSTBM_DELETE, 0},
                               {0, fw::MF_SEPARATOR},
                               {E::ID_OXCUSTBM_OWNER, 0},
                               {0, fw::MF_SEPARATOR},
                               {E::ID_OXCUSTBM_SEPARATOR_BEFORE, 0},
                               {E::ID_OXCUSTBM_SEPARATOR_AFTER, fw::MF_GRAYED}}));
    // A separator gets no owner command.
    EXPECT_EQ(commands(4).size(), 3u);
    // After a separator: greyed before; the last item: greyed after.
    EXPECT_EQ(commands(5)[4].second, fw::MF_GRAYED);
    EXPECT_EQ(commands(6)[4].second, 0u);
    EXPECT_EQ(commands(6)[5].second, fw::MF_GRAYED);

    // The toggle entry only with an attached organiser whose filter is on.
    COXMenuOrganizer organizer;
    bitmapMenu->setOrganizer(&organizer);
    EXPECT_EQ(commands(6).size(), 6u);
    QMainWindow frame;
    ASSERT_TRUE(organizer.AttachFrameWindow(&frame));
    ASSERT_EQ(commands(6).size(), 8u);
    EXPECT_EQ(commands(6)[4], std::make_pair(E::ID_OXCUSTBM_RECENTLY_USED, fw::MF_CHECKED));
    organizer.HideCommand(11);
    EXPECT_EQ(commands(6)[4], std::make_pair(E::ID_OXCUSTBM_RECENTLY_USED, 0u));
    organizer.SetShowOnlyRecentlyUsedItems(false);
    EXPECT_EQ(commands(6).size(), 6u);
    bitmapMenu->setOrganizer(nullptr);
}

TEST_F(COXBitmapMenuTest, CommandsAreVetoedByANonZeroAnswer)
{
    add(fw::MF_STRING, 10, "Open");
    add(fw::MF_STRING, 11, "Save");
    std::vector<unsigned> told;
    int answer = 1;
    bitmapMenu->setNotificationTarget([&](unsigned code, unsigned command) {
        EXPECT_EQ(code, COXBitmapMenu::OXBMN_NOTIFY);
        told.push_back(command);
        return answer;
    });
    const unsigned commands[] = {
        COXBitmapMenu::ID_OXCUSTBM_DELETE, COXBitmapMenu::ID_OXCUSTBM_SEPARATOR_BEFORE,
        COXBitmapMenu::ID_OXCUSTBM_SEPARATOR_AFTER, COXBitmapMenu::ID_OXCUSTBM_RECENTLY_USED};
    bitmapMenu->SelectItem(1);
    for (unsigned command : commands) {
        bitmapMenu->OnCommand(command);
        EXPECT_EQ(fw::GetMenuItemCount(menu), 2) << command;
    }
    EXPECT_EQ(told, std::vector<unsigned>(std::begin(commands), std::end(commands)));

    answer = 0;
    bitmapMenu->OnCommand(COXBitmapMenu::ID_OXCUSTBM_SEPARATOR_BEFORE);
    ASSERT_EQ(fw::GetMenuItemCount(menu), 3);
    EXPECT_EQ(fw::GetMenuItemID(menu, 1), 0u);
    EXPECT_EQ(bitmapMenu->selectedIndex(), 2);
    bitmapMenu->OnCommand(COXBitmapMenu::ID_OXCUSTBM_SEPARATOR_AFTER);
    EXPECT_EQ(fw::GetMenuItemCount(menu), 4);
    EXPECT_EQ(fw::GetMenuItemID(menu, 3), 0u);
    bitmapMenu->OnCommand(COXBitmapMenu::ID_OXCUSTBM_DELETE);
    EXPECT_EQ(fw::GetMenuItemCount(menu), 3);
    EXPECT_EQ(bitmapMenu->selectedIndex(), -1);
}

// A drag record: id, text, NUL, five bytes, continuation code.
void record(std::vector<uint8_t>& out, uint32_t id, const std::string& text, uint32_t code)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(id >> (8 * i)));
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    out.insert(out.end(), 5, 0xAA);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(code >> (8 * i)));
}

TEST_F(COXBitmapMenuTest, InsertDraggedItemsStopsAtTheEndOfTheData)
{
    std::vector<uint8_t> data;
    record(data, 10, "Open", 1);
    record(data, 0, "", 1);
    record(data, 0xFFFFFFFF, "Sub", 1);
    record(data, 20, "Inner", 0);
    record(data, 11, "Save", 0);
    const uint8_t* cursor = data.data();
    EXPECT_EQ(bitmapMenu->InsertDraggedItems(cursor, data.data() + data.size(), menu, 0), 4);
    EXPECT_EQ(cursor, data.data() + data.size());
    ASSERT_EQ(fw::GetMenuItemCount(menu), 4);
    EXPECT_EQ(fw::GetMenuItemID(menu, 0), 10u);
    EXPECT_EQ(fw::GetMenuItemID(menu, 1), 0u);
    EXPECT_EQ(fw::GetMenuItemID(fw::GetSubMenu(menu, 2), 0), 20u);
    EXPECT_EQ(fw::GetMenuItemID(menu, 3), 11u);

    // Truncated anywhere inside a record, or a text without NUL: that record inserts nothing.
    std::vector<uint8_t> one;
    record(one, 30, "Print", 0);
    for (size_t size = 0; size < one.size(); ++size) {
        fw::HMENU target = fw::CreatePopupMenu();
        std::vector<uint8_t> cut(one.begin(), one.begin() + static_cast<long>(size));
        const uint8_t* at = cut.data();
        EXPECT_EQ(bitmapMenu->InsertDraggedItems(at, cut.data() + cut.size(), target, 0), 0)
            << size;
        EXPECT_EQ(fw::GetMenuItemCount(target), 0) << size;
        fw::DestroyMenu(target);
    }
}

TEST_F(COXBitmapMenuTest, MnemonicIsTheOneQtChooses)
{
    const struct
    {
        const char* text;
        char32_t expected;
    } cases[] = {{"&Open", U'o'}, {"Save &As", U'a'}, {"Fish && &Chips", U'c'},
                 {"A&&B", 0},     {"Ends&", 0},       {"&X &Y", U'x'}};
    for (const auto& c : cases)
        EXPECT_EQ(COXBitmapMenu::mnemonicOf(c.text).value_or(0), c.expected) << c.text;
}

// A window whose left button is down or up as the test says.
class TestPopupWnd : public COXBitmapMenuPopupWnd
{
public:
    bool leftDown = false;
    bool leftButtonDown() const override { return leftDown; }
};

void send(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

TEST_F(COXBitmapMenuTest, CustomisationWindowSelectsAndStartsTheSelectionTimer)
{
    add(fw::MF_STRING, 10, "Open"); // 17 high
    add(fw::MF_SEPARATOR, 0, "");   // 8 high
    add(fw::MF_STRING, 11, "Save");
    std::vector<unsigned> told;
    bitmapMenu->setNotificationTarget([&](unsigned, unsigned command) {
        told.push_back(command);
        return 0;
    });
    TestPopupWnd window;
    // Without a menu in customise mode the mouse is ignored.
    send(window, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(window.selectionTimerPending());

    window.ShowMenu(bitmapMenu.get(), 0, 100, 100);
    EXPECT_TRUE(bitmapMenu->IsCustomizable());
    EXPECT_TRUE(bitmapMenu->customizeMode());
    ASSERT_EQ(window.itemRects().size(), 3u);
    EXPECT_EQ(window.itemRects()[2].top(), 25);
    send(window, QEvent::MouseButtonPress, QPoint(5, 30), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(bitmapMenu->selectedIndex(), 2);
    EXPECT_EQ(told, std::vector<unsigned>{COXBitmapMenu::CMD_SELECTION_CHANGED});
    EXPECT_TRUE(window.selectionTimerPending());
    // Moving with the button up ends the wait.
    send(window, QEvent::MouseMove, QPoint(6, 30), Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(window.selectionTimerPending());
    // Past the last item: no selection.
    send(window, QEvent::MouseButtonPress, QPoint(5, 300), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(bitmapMenu->selectedIndex(), -1);

    // The timer runs out with the button still down: drag start.
    window.leftDown = true;
    send(window, QEvent::MouseButtonPress, QPoint(5, 2), Qt::LeftButton, Qt::LeftButton);
    QElapsedTimer clock;
    clock.start();
    while (window.selectionTimerPending() && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(window.selectionTimerPending());
    EXPECT_FALSE(bitmapMenu->dragging());

    EXPECT_TRUE(window.HideMenu());
    EXPECT_EQ(bitmapMenu->selectedIndex(), -1);
    EXPECT_EQ(window.GetBitmapMenu(), nullptr);
    EXPECT_EQ(bitmapMenu->popupWnd(), nullptr);
}

} // namespace
