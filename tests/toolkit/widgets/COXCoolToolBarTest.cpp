#include "toolkit/widgets/COXCoolToolBar.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/CommandTarget.h"
#include "platform/framework/Menu.h"
#include "platform/framework/Resources.h"
#include "platform/win/AppProfile.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/StandardCustomControl.h"
#include "toolkit/widgets/SystemColors.h"
#include "toolkit/widgets/ToolBarLayout.h"
#include "toolkit/widgets/ToolBarStateCodec.h"

#include <QAction>
#include <QApplication>
#include <QDateTimeEdit>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <string>

namespace {

namespace fw = platform::framework;

constexpr unsigned kBar = 4242;
constexpr unsigned kOpen = 100;    // prompt and tip
constexpr unsigned kSave = 101;    // prompt without a line feed
constexpr unsigned kPrint = 102;   // no string at all
constexpr unsigned kLongTip = 103; // a tip of 300 characters

const unsigned kButtons[] = {kOpen, 0, kSave, kPrint, kLongTip};
const fw::ToolBarResource kBars[] = {{kBar, "Test", kButtons}};
const std::string kLong = "Long\n" + std::string(300, 'x');
const fw::CommandPrompt kPrompts[] = {
    {kOpen, "Open a file\nOpen"}, {kSave, "Save the file"}, {kLongTip, kLong.c_str()}};

class COXCoolToolBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.isValid());
        qputenv("HARLUNE_REGISTRY_DIR", registry.path().toUtf8());
        fw::Resources::instance().clear();
        fw::Resources::instance().addToolBars(kBars);
        fw::Resources::instance().addPrompts(kPrompts);
        bar = COXCoolToolBar::Create(&window, COXCoolToolBar::WS_VISIBLE, kBar, nullptr);
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override { fw::Resources::instance().clear(); }

    std::string textOf(int index) const { return bar->GetButton(index)->text; }

    QTemporaryDir registry;
    QMainWindow window;
    COXCoolToolBar* bar = nullptr;
};

TEST_F(COXCoolToolBarTest, RecordsMirrorTheResource)
{
    ASSERT_EQ(bar->GetButtonCount(), 5);
    EXPECT_EQ(bar->GetButton(0)->commandId, kOpen);
    EXPECT_EQ(bar->GetButton(0)->image, 0);
    EXPECT_EQ(bar->GetButton(1)->commandId, 0u);
    EXPECT_EQ(bar->GetButton(1)->style, COXCoolToolBar::TBSTYLE_SEP);
    EXPECT_EQ(bar->GetButton(1)->image, COXCoolToolBar::kSeparatorWidth);
    EXPECT_EQ(bar->GetButton(2)->image, 1);
    EXPECT_EQ(bar->GetButton(4)->image, 3);
    EXPECT_EQ(bar->GetButton(5), nullptr);
    EXPECT_EQ(bar->GetButton(-1), nullptr);
    EXPECT_EQ(bar->GetTextType(), 3);
}

TEST_F(COXCoolToolBarTest, ButtonTextsByType)
{
    const fw::HMENU menu = fw::CreateMenu();
    const fw::HMENU file = fw::CreatePopupMenu();
    fw::AppendMenu(file, fw::MF_STRING, kOpen, "&Open...\tCtrl+O");
    fw::AppendMenu(file, fw::MF_STRING, kSave, "&Save");
    fw::AppendMenu(menu, fw::MF_POPUP, file, "&File");
    bar->SetMenuSource([menu]() { return menu; });

    struct Case
    {
        int type;
        int storedType;
        std::string open, save, print;
    };
    const Case cases[] = {
        {0, 0, "Open a file", "Save the file", ""},
        {1, 1, "Open", "", ""},
        {2, 2, "&Open...", "&Save", ""},
        {4, 4, "", "", ""},
        {7, 4, "", "", ""},
        {-1, 4, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        bar->SetButtonsText(0, 0xFFFF, 0); // something to clear
        bar->SetButtonsText(0, 0xFFFF, c.type);
        EXPECT_EQ(bar->GetTextType(), c.storedType);
        EXPECT_EQ(textOf(0), c.open);
        EXPECT_EQ(textOf(2), c.save);
        EXPECT_EQ(textOf(3), c.print);
        EXPECT_EQ(textOf(1), "");
        EXPECT_EQ(bar->actions()[0]->iconText().toStdString(),
                  c.open.empty() ? bar->actions()[0]->text().toStdString() : c.open);
    }

    // Type 3 leaves every text as it is; a range touches only its commands.
    bar->SetButtonsText(0, 0xFFFF, 0);
    bar->SetButtonsText(0, 0xFFFF, 3);
    EXPECT_EQ(textOf(0), "Open a file");
    bar->SetButtonsText(kSave, kSave, 4);
    EXPECT_EQ(textOf(0), "Open a file");
    EXPECT_EQ(textOf(2), "");
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    bar->SetButtonsText(0, 0xFFFF, 4);
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonIconOnly);

    // Without a menu type 2 gives no text.
    bar->SetMenuSource([]() { return fw::HMENU(0); });
    bar->SetButtonsText(0, 0xFFFF, 2);
    EXPECT_EQ(textOf(0), "");
    fw::DestroyMenu(menu);
}

TEST(COXCoolToolBarStateTest, EnableAndCheckOnStateBytes)
{
    using B = COXCoolToolBar;
    struct Case
    {
        uint8_t state;
        bool on;
        uint8_t enabled;
    };
    const Case enables[] = {
        {0x00, true, 0x04},
        {0x04, false, 0x00},
        {B::TBSTATE_PRESSED, true, B::TBSTATE_PRESSED | 0x04},
        {B::TBSTATE_PRESSED | 0x04 | B::TBSTATE_CHECKED, false,
         B::TBSTATE_PRESSED | B::TBSTATE_CHECKED},
        {0x04, true, 0x04},
    };
    for (const Case& c : enables)
        EXPECT_EQ(B::enabledState(c.state, c.on), c.enabled) << int(c.state) << c.on;

    struct CheckCase
    {
        uint8_t state;
        int check;
        uint8_t result;
    };
    const CheckCase checks[] = {
        {0x04, 1, 0x05}, {0x04, 2, 0x14}, {0x05, 2, 0x14},  {0x15, 0, 0x04},
        {0x06, 1, 0x07}, {0x07, 5, 0x06}, {0x07, -1, 0x06},
    };
    for (const CheckCase& c : checks)
        EXPECT_EQ(B::checkedState(c.state, c.check), c.result) << int(c.state) << c.check;
}

TEST_F(COXCoolToolBarTest, StateWrittenOnlyWhenChangedAndStyleKept)
{
    QAction* open = bar->actions()[0];
    const int writes = bar->stateWrites();
    EXPECT_FALSE(bar->EnableButton(0, true)); // already enabled
    EXPECT_FALSE(bar->SetButtonCheck(0, 0));  // already clear
    EXPECT_EQ(bar->stateWrites(), writes);

    EXPECT_TRUE(bar->EnableButton(0, false));
    EXPECT_FALSE(open->isEnabled());
    EXPECT_TRUE(bar->SetButtonCheck(0, 1));
    EXPECT_TRUE(open->isChecked());
    EXPECT_FALSE(bar->SetButtonCheck(0, 1));
    EXPECT_TRUE(bar->SetButtonCheck(0, 2));
    EXPECT_EQ(bar->GetButton(0)->state, COXCoolToolBar::TBSTATE_INDETERMINATE);
    EXPECT_FALSE(open->isChecked());
    EXPECT_EQ(bar->stateWrites(), writes + 3);
    EXPECT_EQ(bar->GetButton(0)->style, COXCoolToolBar::TBSTYLE_BUTTON);
    EXPECT_FALSE(bar->EnableButton(9, true));
}

TEST_F(COXCoolToolBarTest, TipTexts)
{
    EXPECT_EQ(bar->GetButtonTipText(0), "Open");
    EXPECT_EQ(bar->GetButtonTipText(1), ""); // separator, command 0
    EXPECT_EQ(bar->GetButtonTipText(2), ""); // no line feed
    EXPECT_EQ(bar->GetButtonTipText(3), ""); // no string
    EXPECT_EQ(bar->GetButtonTipText(4), std::string(255, 'x'));
    EXPECT_EQ(bar->GetButtonTipText(99), "");
}

} // namespace

namespace {

// A strip of count 16 x 15 images on magenta, each with one dark pixel.
QImage strip(int count)
{
    QImage image(16 * count, 15, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    for (int i = 0; i < count; ++i)
        image.setPixel(16 * i + 8, 7, qRgb(0, 0, 0));
    return image;
}

class COXCoolToolBarImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.isValid());
        qputenv("HARLUNE_REGISTRY_DIR", registry.path().toUtf8());
        fw::Resources::instance().clear();
        fw::Resources::instance().addToolBars(kBars);
    }
    void TearDown() override
    {
        toolkit::widgets::setBitmapSource({});
        fw::Resources::instance().clear();
    }
    // Which buttons (separators left out) got an image.
    std::string icons(COXCoolToolBar* bar)
    {
        std::string marks;
        for (QAction* action : bar->actions())
            if (!action->isSeparator())
                marks += action->icon().isNull() ? '.' : 'i';
        return marks;
    }

    QTemporaryDir registry;
    QMainWindow window;
};

TEST_F(COXCoolToolBarImageTest, ImagesFromTheStripOfTheBarsId)
{
    struct Case
    {
        int count; // -1: no bitmap
        std::string icons;
    };
    const Case cases[] = {{4, "iiii"}, {2, "ii.."}, {-1, "...."}, {0, "...."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        int loads = 0;
        toolkit::widgets::setBitmapSource([&](unsigned id) {
            ++loads;
            return id == kBar && c.count >= 0 ? strip(c.count) : QImage();
        });
        COXCoolToolBar* bar = COXCoolToolBar::Create(&window, 0, kBar, nullptr);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(icons(bar), c.icons);
        bar->LoadBitmap(kBar); // from the cache
        EXPECT_EQ(loads, 1);
        delete bar;
    }
}

TEST_F(COXCoolToolBarImageTest, ImageListsCutMaskAndCache)
{
    int loads = 0;
    toolkit::widgets::setBitmapSource([&](unsigned id) {
        ++loads;
        return id == 700 ? strip(3) : QImage();
    });
    COXCoolToolBar* bar = COXCoolToolBar::Create(&window, 0, kBar, nullptr);
    ASSERT_NE(bar, nullptr);
    loads = 0;

    struct Case
    {
        const char* name;
        int cx, cy;
        int images; // -1: no list
    };
    const Case cases[] = {{"16 x 15", 16, 15, 3},     {"wider", 24, 15, 2},
                          {"too tall", 16, 16, -1},   {"too wide", 49, 15, -1},
                          {"zero", 0, 15, -1},        {"negative", -16, 15, -1},
                          {"huge", INT32_MAX, 15, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COXCoolToolBar* other = COXCoolToolBar::Create(&window, 0, kBar, nullptr);
        const COXCoolToolBar::ImageList* list =
            other->CreateImageList(700, c.cx, c.cy, 0, 0, 0, 0xFF00FF);
        EXPECT_EQ(list ? static_cast<int>(list->size()) : -1, c.images);
        delete other;
    }

    // Masked: magenta is transparent, the dark pixel is not.
    const COXCoolToolBar::ImageList* list = bar->CreateImageList(700, 16, 15, 0, 0, 0, 0xFF00FF);
    ASSERT_NE(list, nullptr);
    const QImage first = (*list)[0].toImage();
    EXPECT_EQ(qAlpha(first.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(first.pixel(8, 7)), 255);
    // Kept by resource id: the same list again, the bitmap not read again.
    const int before = loads;
    EXPECT_EQ(bar->CreateImageList(700, 8, 8), list);
    EXPECT_EQ(bar->LoadImageList(700, 8), list);
    EXPECT_EQ(loads, before);
    // LoadImageList reads on its own; no mask keeps every pixel.
    const COXCoolToolBar::ImageList* loaded = bar->LoadImageList(701, 16);
    EXPECT_EQ(loaded, nullptr);
    toolkit::widgets::setBitmapSource([](unsigned) { return strip(2); });
    loaded = bar->LoadImageList(702, 16);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->size(), 2u);
    EXPECT_EQ(qAlpha((*loaded)[0].toImage().pixel(0, 0)), 255);
    delete bar;
}

} // namespace

namespace {

namespace profile = platform::win::app_profile;
namespace barstate = toolkit::widgets::barstate;
const unsigned kTable[] = {kOpen, kSave, kPrint, kLongTip};

class COXCoolToolBarStateFileTest : public COXCoolToolBarTest
{
protected:
    void SetUp() override
    {
        COXCoolToolBarTest::SetUp();
        profile::setRegistryKey("Software\\Test\\Bars");
        COXCoolToolBar::resetRunFlags();
    }
    COXCoolToolBar* another()
    {
        return COXCoolToolBar::Create(&window, COXCoolToolBar::WS_VISIBLE, kBar, nullptr);
    }
    void writeSettings(const std::vector<uint8_t>& bytes, int64_t size)
    {
        profile::WriteProfileBinary("S", "B_ButtonsSettings", bytes);
        profile::WriteProfileInt("S", "B_ButtonsSettings_Size", static_cast<int32_t>(size));
    }
};

TEST_F(COXCoolToolBarStateFileTest, PropertiesRoundTripOnlyWithProperties)
{
    bar->SetCool(true);
    bar->SetGripper(false);
    bar->SetSeparator(false);
    bar->SetList(true);
    bar->SetDropDownArrow(false);
    bar->SetIndent(5);
    bar->SetDefaultTextColor(0x112233);
    bar->SetHotTextColor(0x445566);
    bar->SetButtonsMinMaxWidth(20, 80);
    bar->SetMaxTextRows(2);

    ASSERT_TRUE(bar->SaveBarState("S", "A", false));
    EXPECT_EQ(profile::GetProfileInt("S_A", "Cool", -1), -1);
    ASSERT_TRUE(bar->SaveBarState("S", "B", true));
    EXPECT_EQ(profile::GetProfileInt("S_B", "Cool", -1), 1);

    COXCoolToolBar* fresh = another();
    fresh->LoadBarState("S", "B", false);
    EXPECT_FALSE(fresh->IsCool());
    fresh->LoadBarState("S", "B", true);
    EXPECT_TRUE(fresh->IsCool());
    EXPECT_FALSE(fresh->IsGripper());
    EXPECT_FALSE(fresh->IsSeparator());
    EXPECT_TRUE(fresh->IsList());
    EXPECT_FALSE(fresh->GetDropDownArrow());
    EXPECT_EQ(fresh->GetIndent(), 5);
    EXPECT_EQ(fresh->GetDefaultTextColor(), 0x112233u);
    EXPECT_EQ(fresh->GetHotTextColor(), 0x445566u);
    EXPECT_EQ(fresh->GetMinButtonsWidth(), 20);
    EXPECT_EQ(fresh->GetMaxButtonsWidth(), 80);
    EXPECT_EQ(fresh->GetTextRows(), 2);
}

TEST_F(COXCoolToolBarStateFileTest, ButtonValuesOnlyForCustomisableBarsAndOnceARunValue)
{
    ASSERT_TRUE(bar->SaveBarState("S", "B", true));
    EXPECT_EQ(profile::GetProfileInt("S", "B_ButtonsSettings_Size", -1), -1);
    EXPECT_FALSE(profile::GetProfileBinary("S", "B_ButtonsSettings"));
    EXPECT_EQ(profile::GetProfileInt("S", "Toolbars_CustomButtonsSettings_Size", -1), 4);

    // Written once per run: a second save leaves it alone.
    profile::deleteProfileEntry("S", "Toolbars_CustomButtonsSettings_Size");
    ASSERT_TRUE(bar->SaveBarState("S", "C", true));
    EXPECT_EQ(profile::GetProfileInt("S", "Toolbars_CustomButtonsSettings_Size", -1), -1);

    bar->SetCustomizationTable(kTable, 4);
    EXPECT_TRUE(bar->IsCustomizable(true));
    ASSERT_TRUE(bar->SaveBarState("S", "B", true));
    EXPECT_GT(profile::GetProfileInt("S", "B_ButtonsSettings_Size", -1), 4);
    EXPECT_EQ(profile::GetProfileInt("S", "B_CustomButtonsPositions_Size", -1), 4);
    EXPECT_TRUE(profile::GetProfileBinary("S", "B")); // the button order
}

TEST_F(COXCoolToolBarStateFileTest, CustomisablePairs)
{
    struct Case
    {
        bool table, customizable, advanced, adjustable, advancedFlag;
    };
    const Case cases[] = {
        {true, true, false, true, false},   {true, true, true, false, true},
        {true, false, true, false, false},  {true, false, false, false, false},
        {false, true, false, false, false}, {false, true, true, false, false},
    };
    for (const Case& c : cases) {
        COXCoolToolBar* b = another();
        if (c.table)
            b->SetCustomizationTable(kTable, 4);
        b->SetCustomizable(c.customizable, c.advanced);
        EXPECT_EQ(b->IsCustomizable(false), c.adjustable);
        EXPECT_EQ(b->IsCustomizable(true), c.advancedFlag);
        delete b;
    }
}

TEST_F(COXCoolToolBarStateFileTest, TextsAndHiddenTextsSurvive)
{
    bar->SetCustomizationTable(kTable, 4);
    // Open shows "Go", Save keeps "Keep" hidden.
    const std::vector<uint8_t> bytes =
        barstate::encodeButtonsSettings({{kOpen, 0, 0, true, "Go"},
                                         {0, 8, COXCoolToolBar::TBSTYLE_SEP, false, ""},
                                         {kSave, 1, 0, false, "Keep"}});
    writeSettings(bytes, static_cast<int64_t>(bytes.size()));
    bar->LoadBarState("S", "B", false);
    EXPECT_EQ(textOf(0), "Go");
    EXPECT_EQ(textOf(2), "");
    EXPECT_EQ(bar->hiddenText(kSave), "Keep");

    ASSERT_TRUE(bar->SaveBarState("S", "B", true));
    COXCoolToolBar* fresh = another();
    fresh->SetCustomizationTable(kTable, 4);
    fresh->SetButtonsText(0, 0xFFFF, 0); // TextType 3 from the profile clears these first
    fresh->LoadBarState("S", "B", true);
    EXPECT_EQ(fresh->GetTextType(), 3);
    EXPECT_EQ(fresh->GetButton(0)->text, "Go");
    EXPECT_EQ(fresh->GetButton(2)->text, "");
    EXPECT_EQ(fresh->GetButton(3)->text, "");
    EXPECT_EQ(fresh->hiddenText(kSave), "Keep");
}

TEST_F(COXCoolToolBarStateFileTest, DamagedButtonValuesChangeNothing)
{
    bar->SetCustomizationTable(kTable, 4);
    const std::vector<uint8_t> good = barstate::encodeButtonsSettings({{kOpen, 7, 0, true, "Go"}});
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    std::vector<uint8_t> hugeCount = good;
    hugeCount[0] = hugeCount[1] = hugeCount[2] = hugeCount[3] = 0xFF;
    std::vector<uint8_t> badFlag = good;
    badFlag[4 + 4 + 4 + 1] = 2; // the text-shown flag
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        int64_t size;
    };
    const Case cases[] = {
        {"truncated", truncated, static_cast<int64_t>(truncated.size())},
        {"size says more", good, static_cast<int64_t>(good.size()) + 1},
        {"size says less", good, static_cast<int64_t>(good.size()) - 1},
        {"trailing bytes", longer, static_cast<int64_t>(longer.size())},
        {"count 0xFFFFFFFF", hugeCount, static_cast<int64_t>(hugeCount.size())},
        {"text flag 2", badFlag, static_cast<int64_t>(badFlag.size())},
        {"empty", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeSettings(c.bytes, c.size);
        bar->LoadBarState("S", "B", false);
        EXPECT_EQ(textOf(0), "");
        EXPECT_EQ(bar->GetButton(0)->image, 0);
    }
    // A string where a binary value belongs is missing too.
    profile::WriteProfileString("S", "B_ButtonsSettings", "text");
    profile::WriteProfileInt("S", "B_ButtonsSettings_Size", 4);
    bar->LoadBarState("S", "B", false);
    EXPECT_EQ(textOf(0), "");
    // The good value applies.
    writeSettings(good, static_cast<int64_t>(good.size()));
    bar->LoadBarState("S", "B", false);
    EXPECT_EQ(textOf(0), "Go");
    EXPECT_EQ(bar->GetButton(0)->image, 7);
}

} // namespace

namespace {

void click(QWidget* widget, QEvent::Type type, Qt::MouseButton button)
{
    QMouseEvent event(type, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// "B" a button, "S" a separator, from the records.
std::string layout(const COXCoolToolBar* bar)
{
    std::string marks;
    for (int i = 0; i < bar->GetButtonCount(); ++i)
        marks += (bar->GetButton(i)->style & COXCoolToolBar::TBSTYLE_SEP) != 0 ? 'S' : 'B';
    return marks;
}

TEST_F(COXCoolToolBarTest, ClickInCustomisationModeSelectsWithoutRunningTheCommand)
{
    window.show();
    QAction* open = bar->actions()[0];
    int runs = 0;
    QObject::connect(open, &QAction::triggered, [&runs]() { ++runs; });
    QWidget* widget = bar->widgetForAction(open);
    ASSERT_NE(widget, nullptr);

    // Without a table the mode cannot make the bar customisable: clicks run commands.
    bar->SetCustomizationMode(true);
    EXPECT_FALSE(bar->IsCustomizable(true));
    click(widget, QEvent::MouseButtonPress, Qt::LeftButton);
    click(widget, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(runs, 1);
    bar->SetCustomizationMode(false);

    bar->SetCustomizationTable(kTable, 4);
    std::vector<unsigned> events;
    bar->SetCustomizationMode(true, [&events](unsigned event, intptr_t) {
        events.push_back(event);
        return intptr_t(0);
    });
    EXPECT_TRUE(bar->IsCustomizable(true)); // the mode makes the bar customisable
    click(widget, QEvent::MouseButtonPress, Qt::LeftButton);
    click(widget, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(bar->GetSelectedButton(), 0);
    EXPECT_EQ(events, std::vector<unsigned>{COXCoolToolBar::kSelectionChanged});
    EXPECT_EQ(bar->SelectButton(0), 0); // unchanged: no second event
    EXPECT_EQ(events.size(), 1u);

    bar->SetCustomizationMode(false);
    EXPECT_EQ(bar->GetSelectedButton(), -1);
    click(widget, QEvent::MouseButtonPress, Qt::LeftButton);
    click(widget, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(runs, 2);
}

TEST_F(COXCoolToolBarTest, ContextMenuItemsByButton)
{
    using B = COXCoolToolBar;
    // Open, separator, Save, Print, LongTip.
    bar->SetButtonsText(kSave, kSave, 0);
    auto item = [&](int index, unsigned command) {
        for (const B::MenuItem& i : bar->contextMenuItems(index))
            if (i.command == command)
                return i;
        return B::MenuItem{};
    };
    struct Case
    {
        int index;
        bool hideEnabled, hideChecked, showChecked, beforeEnabled, afterEnabled;
    };
    const Case cases[] = {
        {0, true, true, false, false, false}, // first; a separator after it
        {1, false, false, false, true, true}, // the separator
        {2, true, false, true, false, true},  // a separator before it; it has a text
        {4, true, true, false, true, false},  // last
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(bar->contextMenuItems(c.index).size(), 8u);
        EXPECT_TRUE(item(c.index, B::ID_DELETE_BUTTON).enabled);
        EXPECT_EQ(item(c.index, B::ID_HIDE_TEXT).enabled, c.hideEnabled);
        EXPECT_EQ(item(c.index, B::ID_SHOW_TEXT).enabled, c.hideEnabled);
        EXPECT_EQ(item(c.index, B::ID_HIDE_TEXT).checked, c.hideChecked);
        EXPECT_EQ(item(c.index, B::ID_SHOW_TEXT).checked, c.showChecked);
        EXPECT_EQ(item(c.index, B::ID_SEPARATOR_BEFORE).enabled, c.beforeEnabled);
        EXPECT_EQ(item(c.index, B::ID_SEPARATOR_AFTER).enabled, c.afterEnabled);
    }
    EXPECT_TRUE(bar->contextMenuItems(5).empty());
}

TEST_F(COXCoolToolBarTest, MenuCommandsAndTheOwnersVeto)
{
    using B = COXCoolToolBar;
    intptr_t answer = 1;
    bar->SetCustomizationMode(true, [&answer](unsigned, intptr_t) { return answer; });
    bar->carryOutMenuCommand(3, B::ID_SEPARATOR_BEFORE); // vetoed
    EXPECT_EQ(layout(bar), "BSBBB");
    answer = 0;
    bar->SelectButton(4);
    bar->carryOutMenuCommand(3, B::ID_SEPARATOR_BEFORE);
    EXPECT_EQ(layout(bar), "BSBSBB");
    EXPECT_EQ(bar->GetSelectedButton(), 5); // kept on its button
    EXPECT_EQ(bar->GetButton(3)->image, -1);
    bar->carryOutMenuCommand(4, B::ID_SEPARATOR_AFTER);
    EXPECT_EQ(layout(bar), "BSBSBSB");
    EXPECT_EQ(bar->actions().size(), 7);
    EXPECT_TRUE(bar->actions()[5]->isSeparator());
    bar->carryOutMenuCommand(5, B::ID_DELETE_BUTTON);
    EXPECT_EQ(layout(bar), "BSBSBB");
    EXPECT_EQ(bar->GetSelectedButton(), 5);
    bar->carryOutMenuCommand(5, B::ID_DELETE_BUTTON);
    EXPECT_EQ(bar->GetSelectedButton(), -1);
    EXPECT_EQ(bar->GetButton(4)->commandId, kPrint);

    // Texts: show takes the tip, hide keeps it for show.
    bar->carryOutMenuCommand(0, B::ID_SHOW_TEXT);
    EXPECT_EQ(textOf(0), "Open");
    bar->carryOutMenuCommand(0, B::ID_HIDE_TEXT);
    EXPECT_EQ(textOf(0), "");
    EXPECT_EQ(bar->hiddenText(kOpen), "Open");
    bar->SetButtonsText(kOpen, kOpen, 4);
    bar->carryOutMenuCommand(0, B::ID_SHOW_TEXT);
    EXPECT_EQ(textOf(0), "Open");
}

TEST_F(COXCoolToolBarTest, MoveKeepsSelectionAndInsertionIndexInStep)
{
    struct Case
    {
        int from, to, selected, selectedAfter;
    };
    const Case cases[] = {{0, 3, 0, 3}, {0, 3, 2, 1}, {3, 0, 1, 2}, {3, 0, 4, 4}, {2, 2, 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << "->" << c.to);
        COXCoolToolBar* b = COXCoolToolBar::Create(&window, 0, kBar, nullptr);
        b->SelectButton(c.selected);
        b->setInsertionIndex(c.selected);
        const uint32_t moved = b->GetButton(c.from)->commandId;
        ASSERT_TRUE(b->MoveButton(c.from, c.to));
        EXPECT_EQ(b->GetButton(c.to)->commandId, moved);
        EXPECT_EQ(b->actions()[c.to]->data().toUInt(), moved);
        EXPECT_EQ(b->GetSelectedButton(), c.selectedAfter);
        EXPECT_EQ(b->insertionIndex(), c.selectedAfter);
        delete b;
    }
    EXPECT_FALSE(bar->MoveButton(0, 5));
    EXPECT_FALSE(bar->MoveButton(-1, 0));
    EXPECT_FALSE(bar->DeleteButton(5));
    EXPECT_FALSE(bar->InsertButton(6, {}));
}

} // namespace

namespace {

TEST_F(COXCoolToolBarTest, ButtonInfoAnswersFollowTheTable)
{
    EXPECT_FALSE(bar->OnGetButtonInfo(0, 64)); // no table
    const unsigned table[] = {kOpen, kSave};
    bar->SetCustomizationTable(table, 2);
    struct Case
    {
        int index;
        std::size_t buffer;
        bool answered;
        uint32_t command;
        std::string text;
    };
    const Case cases[] = {
        {0, 64, true, kOpen, "Open"}, {0, 3, true, kOpen, "Op"}, {0, 0, true, kOpen, ""},
        {1, 64, true, kSave, ""},     {2, 64, false, 0, ""},     {-1, 64, false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        const auto info = bar->OnGetButtonInfo(c.index, c.buffer);
        ASSERT_EQ(info.has_value(), c.answered);
        if (!info)
            continue;
        EXPECT_EQ(info->image, c.index);
        EXPECT_EQ(info->commandId, c.command);
        EXPECT_EQ(info->state, COXCoolToolBar::TBSTATE_ENABLED);
        EXPECT_EQ(info->style, 0);
        EXPECT_EQ(info->text, c.text);
    }
    EXPECT_TRUE(bar->OnQueryInsert(0));
    EXPECT_TRUE(bar->OnQueryDelete(4));
}

} // namespace

namespace {

// Open: enabled and checked by its handler; Save: handled, disabled; the others without handler.
class Target : public fw::CommandTarget
{
public:
    Target()
    {
        onCommand(kOpen, [] {});
        onUpdate(kOpen, [this](fw::CmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(check);
        });
        onUpdate(kSave, [](fw::CmdUI& ui) { ui.Enable(false); });
    }
    int check = 1;
};

TEST_F(COXCoolToolBarTest, IdleUpdateWritesChangedStatesOnly)
{
    Target target;
    window.show();
    COXCoolToolBar* routed =
        COXCoolToolBar::Create(&window, COXCoolToolBar::WS_VISIBLE, kBar,
                               [&target]() -> fw::CommandTarget* { return &target; });
    bool handled = false;
    routed->OnWindowMessage(fw::WM_IDLEUPDATECMDUI, 0, 0, handled);
    EXPECT_TRUE(handled);
    using B = COXCoolToolBar;
    EXPECT_EQ(routed->GetButton(0)->state, B::TBSTATE_ENABLED | B::TBSTATE_CHECKED);
    EXPECT_EQ(routed->GetButton(2)->state, 0);
    EXPECT_EQ(routed->GetButton(3)->state, 0); // no handler: disabled
    EXPECT_TRUE(routed->actions()[0]->isChecked());
    EXPECT_FALSE(routed->actions()[2]->isEnabled());
    const int writes = routed->stateWrites();
    routed->OnWindowMessage(fw::WM_IDLEUPDATECMDUI, 0, 0, handled);
    EXPECT_EQ(routed->stateWrites(), writes);
    target.check = 2;
    routed->OnWindowMessage(fw::WM_IDLEUPDATECMDUI, 0, 0, handled);
    EXPECT_EQ(routed->GetButton(0)->state, B::TBSTATE_ENABLED | B::TBSTATE_INDETERMINATE);
    EXPECT_EQ(routed->stateWrites(), writes + 1);
    EXPECT_EQ(routed->GetButton(0)->style, B::TBSTYLE_BUTTON);
}

} // namespace

namespace {

std::vector<uint8_t> order(const std::vector<uint32_t>& ids, uint32_t count)
{
    std::vector<uint8_t> bytes;
    barstate::putU32(bytes, count);
    for (uint32_t id : ids)
        barstate::putU32(bytes, id);
    return bytes;
}

TEST_F(COXCoolToolBarStateFileTest, ButtonOrderComesBackAndBadOrdersChangeNothing)
{
    bar->SetCustomizationTable(kTable, 4);
    ASSERT_TRUE(bar->MoveButton(4, 0));
    bar->carryOutMenuCommand(1, COXCoolToolBar::ID_DELETE_BUTTON);
    ASSERT_TRUE(bar->SaveBarState("S", "B", false));

    COXCoolToolBar* fresh = another();
    fresh->SetCustomizationTable(kTable, 4);
    fresh->LoadBarState("S", "B", false);
    ASSERT_EQ(fresh->GetButtonCount(), 4);
    const uint32_t expected[] = {kLongTip, 0, kSave, kPrint};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fresh->GetButton(i)->commandId, expected[i]) << i;
        EXPECT_EQ(fresh->actions()[i]->data().toUInt(), expected[i]) << i;
    }
    EXPECT_EQ(fresh->GetButton(0)->image, 3);

    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"count past the value", order({kOpen}, 2)},
        {"count 0xFFFFFFFF", order({kOpen}, 0xFFFFFFFF)},
        {"trailing byte",
         [] {
             auto b = order({kOpen}, 1);
             b.push_back(0);
             return b;
         }()},
        {"a command not on the bar", order({kOpen, 999}, 2)},
        {"a command twice", order({kOpen, kOpen}, 2)},
        {"too short for a count", {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        profile::WriteProfileBinary("S", "B", c.bytes);
        COXCoolToolBar* b = another();
        b->SetCustomizationTable(kTable, 4);
        b->LoadBarState("S", "B", false);
        EXPECT_EQ(b->GetButtonCount(), 5);
        EXPECT_EQ(b->actions().size(), 5);
        delete b;
    }
}

} // namespace

namespace {

// A control object that keeps a text as its state (one length byte, then the bytes) and counts
// what the bars ask of it.
class FakeControl : public CustomButtonControl
{
public:
    struct Counts
    {
        int creates = 0;
        int copies = 0;
        int destroys = 0;
    };
    explicit FakeControl(std::shared_ptr<Counts> counts, bool creatable = true)
        : m_counts(std::move(counts)), m_creatable(creatable)
    {}

    QWidget* window() const override { return m_window; }
    bool create(unsigned controlId, COXCoolToolBar* bar, uint32_t, const QString&,
                const QString& windowClass, const QString&) override
    {
        ++m_counts->creates;
        if (!m_creatable)
            return false;
        m_controlId = controlId;
        m_class = windowClass;
        m_window = new QLineEdit(bar);
        return true;
    }
    std::shared_ptr<CustomButtonControl> copyFor(COXCoolToolBar* bar) const override
    {
        ++m_counts->copies;
        auto copy = std::make_shared<FakeControl>(m_counts, m_creatable);
        if (!copy->create(m_controlId, bar, 0, {}, m_class, {}))
            return nullptr;
        return copy;
    }
    void destroyWindow() override
    {
        if (m_window)
            ++m_counts->destroys;
        delete m_window.data();
    }
    void setCustomizationMode(bool on) override { mode = on; }
    bool recreateOnLoad() const override { return recreate; }
    void saveState(std::vector<uint8_t>& out) const override
    {
        out.push_back(static_cast<uint8_t>(state.size()));
        out.insert(out.end(), state.begin(), state.end());
    }
    std::optional<std::size_t> stateSize(std::span<const uint8_t> rest) const override
    {
        if (rest.empty() || rest.size() < 1u + rest[0])
            return std::nullopt;
        return 1u + rest[0];
    }
    void loadState(std::span<const uint8_t> bytes) override
    {
        state.assign(bytes.begin() + 1, bytes.end());
    }

    bool mode = false;
    bool recreate = false;
    std::string state;

private:
    std::shared_ptr<Counts> m_counts;
    bool m_creatable;
    unsigned m_controlId = 0;
    QString m_class;
    QPointer<QWidget> m_window;
};

constexpr unsigned kCombo = 3001;
constexpr unsigned kEdit = 3002;

class COXCoolToolBarCustomTest : public COXCoolToolBarStateFileTest
{
protected:
    void SetUp() override
    {
        COXCoolToolBarStateFileTest::SetUp();
        COXCoolToolBar::resetCustomButtons();
        counts = std::make_shared<FakeControl::Counts>();
        combo = std::make_shared<FakeControl>(counts);
        CustomButtonRecord record;
        record.control = combo;
        record.controlId = kCombo;
        record.width = 80;
        comboRegistration = COXCoolToolBar::RegisterCustomButton(record);
    }
    void TearDown() override
    {
        COXCoolToolBar::resetCustomButtons();
        COXCoolToolBarStateFileTest::TearDown();
    }
    // "B" a button, "S" a plain separator, "C" a custom button.
    std::string marks(const COXCoolToolBar* on) const
    {
        std::string text;
        for (int i = 0; i < on->GetButtonCount(); ++i)
            text += on->GetCustomButton(i)                                         ? 'C'
                    : (on->GetButton(i)->style & COXCoolToolBar::TBSTYLE_SEP) != 0 ? 'S'
                                                                                   : 'B';
        return text;
    }

    std::shared_ptr<FakeControl::Counts> counts;
    std::shared_ptr<FakeControl> combo;
    int comboRegistration = -1;
};

TEST_F(COXCoolToolBarCustomTest, RegisteringTwiceUpdatesTheFirstRegistration)
{
    EXPECT_EQ(comboRegistration, 0);
    CustomButtonRecord other;
    other.controlId = kEdit;
    EXPECT_EQ(COXCoolToolBar::RegisterCustomButton(other), 1);
    ASSERT_TRUE(bar->InsertCustomButton(2, comboRegistration));

    CustomButtonRecord again;
    again.controlId = kCombo;
    again.width = 120;
    again.height = 10;
    again.displayFlags = 2;
    again.imageWhenHidden = 3;
    EXPECT_EQ(COXCoolToolBar::RegisterCustomButton(again), 0);
    EXPECT_EQ(COXCoolToolBar::customButtonRegistrationCount(), 2);
    const auto stored = COXCoolToolBar::customButtonRegistration(0);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->width, 120);
    EXPECT_EQ(stored->displayFlags, 2u);
    EXPECT_EQ(stored->control, combo); // the control object stays
    // The bar hosting it took the new numbers too.
    EXPECT_EQ(bar->GetCustomButton(2)->width, 120);
    EXPECT_EQ(bar->GetCustomButton(2)->imageWhenHidden, 3);

    EXPECT_EQ(COXCoolToolBar::FindCustomButton(kEdit), 1);
    EXPECT_EQ(COXCoolToolBar::FindCustomButton(999u), -1);
    EXPECT_EQ(COXCoolToolBar::FindCustomButton(combo->window()), 0);
    EXPECT_FALSE(COXCoolToolBar::UpdateCustomButton(2, again));
    EXPECT_FALSE(COXCoolToolBar::UpdateCustomButton(-1, again));
    EXPECT_FALSE(COXCoolToolBar::customButtonRegistration(5));
}

TEST_F(COXCoolToolBarCustomTest, InsertsRefuseBadArgumentsAndControlsThatCannotBeMade)
{
    CustomButtonRecord broken;
    broken.controlId = kEdit;
    broken.control = std::make_shared<FakeControl>(counts, false);
    const int brokenRegistration = COXCoolToolBar::RegisterCustomButton(broken);
    CustomButtonRecord empty;
    empty.controlId = 3003; // no control object
    const int emptyRegistration = COXCoolToolBar::RegisterCustomButton(empty);

    struct Case
    {
        const char* name;
        int index;
        int registration;
    };
    const Case cases[] = {{"index below 0", -1, 0},
                          {"index past the end", 6, 0},
                          {"registration -1", 0, -1},
                          {"registration past the end", 0, 3},
                          {"control not made", 0, brokenRegistration},
                          {"no control object", 0, emptyRegistration}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(bar->InsertCustomButton(c.index, c.registration));
        EXPECT_EQ(marks(bar), "BSBBB");
        EXPECT_EQ(bar->actions().size(), 5);
    }
    EXPECT_TRUE(bar->InsertCustomButton(5, comboRegistration)); // at the end
    EXPECT_EQ(marks(bar), "BSBBBC");
    EXPECT_EQ(bar->FindCustomButtonIndex(kCombo), 5);
    EXPECT_TRUE(bar->HasCustomButton(kCombo));
    EXPECT_FALSE(bar->HasCustomButton(kEdit));
}

TEST_F(COXCoolToolBarCustomTest, TheSecondBarGetsACopy)
{
    COXCoolToolBar* second = another();
    ASSERT_TRUE(bar->InsertCustomButton(1, comboRegistration));
    ASSERT_TRUE(second->InsertCustomButton(0, comboRegistration));
    EXPECT_EQ(counts->creates, 2);
    EXPECT_EQ(counts->copies, 1);
    EXPECT_EQ(bar->GetCustomButton(1)->control, combo);
    ASSERT_NE(second->GetCustomButton(0)->control, nullptr);
    EXPECT_NE(second->GetCustomButton(0)->control, combo);
    EXPECT_TRUE(combo->window()->isAncestorOf(combo->window()) ||
                bar->isAncestorOf(combo->window()));
    EXPECT_TRUE(second->isAncestorOf(second->GetCustomButton(0)->control->window()));

    // Deleting the button destroys its control; the registration makes a new one next time.
    EXPECT_TRUE(bar->DeleteButton(1));
    EXPECT_EQ(counts->destroys, 1);
    EXPECT_EQ(combo->window(), nullptr);
    EXPECT_EQ(marks(bar), "BSBBB");
    ASSERT_TRUE(bar->InsertCustomButton(1, comboRegistration));
    EXPECT_EQ(counts->creates, 3);
    EXPECT_EQ(counts->copies, 1);
    EXPECT_EQ(bar->GetCustomButton(1)->control, combo);
}

TEST_F(COXCoolToolBarCustomTest, IndicesFollowInsertDeleteAndMove)
{
    CustomButtonRecord edit;
    edit.controlId = kEdit;
    edit.control = std::make_shared<FakeControl>(counts);
    const int editRegistration = COXCoolToolBar::RegisterCustomButton(edit);
    ASSERT_TRUE(bar->InsertCustomButton(1, comboRegistration)); // B C S B B B
    ASSERT_TRUE(bar->InsertCustomButton(4, editRegistration));  // B C S B C B B
    bar->SelectButton(4);
    bar->setInsertionIndex(1);

    struct Step
    {
        const char* name;
        std::function<void()> act;
        std::string marks;
        int combo, edit, selected, insertion;
    };
    COXCoolToolBar::ButtonRecord separator;
    separator.style = COXCoolToolBar::TBSTYLE_SEP;
    const Step steps[] = {
        {"start", [] {}, "BCSBCBB", 1, 4, 4, 1},
        {"insert at 0", [&] { bar->InsertButton(0, separator); }, "SBCSBCBB", 2, 5, 5, 2},
        {"insert at a custom button", [&] { bar->InsertButton(5, separator); }, "SBCSBSCBB", 2, 6,
         6, 2},
        {"delete the first", [&] { bar->DeleteButton(0); }, "BCSBSCBB", 1, 5, 5, 1},
        {"move a custom button back", [&] { bar->MoveButton(5, 1); }, "BCCSBSBB", 2, 1, 1, 2},
        {"move a plain button over them", [&] { bar->MoveButton(4, 0); }, "BBCCSSBB", 3, 2, 2, 3},
        {"delete the selected custom button", [&] { bar->DeleteButton(2); }, "BBCSSBB", 2, -1, -1,
         2},
        {"delete the insertion index", [&] { bar->DeleteButton(2); }, "BBSSBB", -1, -1, -1, -1},
        {"delete the last", [&] { bar->DeleteButton(5); }, "BBSSB", -1, -1, -1, -1},
        {"delete the last before separators", [&] { bar->DeleteButton(4); }, "BB", -1, -1, -1, -1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(marks(bar), step.marks);
        EXPECT_EQ(bar->FindCustomButtonIndex(kCombo), step.combo);
        EXPECT_EQ(bar->FindCustomButtonIndex(kEdit), step.edit);
        EXPECT_EQ(bar->GetSelectedButton(), step.selected);
        EXPECT_EQ(bar->insertionIndex(), step.insertion);
        EXPECT_EQ(bar->actions().size(), bar->GetButtonCount());
    }
}

TEST_F(COXCoolToolBarCustomTest, NoPlainSeparatorIsLeftAtEitherEnd)
{
    // B S B B B: deleting the first button leaves no leading separator.
    ASSERT_TRUE(bar->DeleteButton(0));
    EXPECT_EQ(marks(bar), "BBB");
    ASSERT_TRUE(bar->InsertCustomButton(3, comboRegistration));
    COXCoolToolBar::ButtonRecord separator;
    separator.style = COXCoolToolBar::TBSTYLE_SEP;
    bar->InsertButton(3, separator); // B B B S C
    EXPECT_EQ(marks(bar), "BBBSC");
    ASSERT_TRUE(bar->DeleteButton(4));
    EXPECT_EQ(marks(bar), "BBB");
    // A separator that hosts a control stays at an end.
    ASSERT_TRUE(bar->InsertCustomButton(0, comboRegistration));
    bar->InsertButton(1, separator); // C S B B B
    ASSERT_TRUE(bar->DeleteButton(2));
    EXPECT_EQ(marks(bar), "CSBB");
    ASSERT_TRUE(bar->DeleteButton(0)); // the custom button: the separator after it goes too
    EXPECT_EQ(marks(bar), "BB");
}

TEST_F(COXCoolToolBarCustomTest, DisplayFlagsByDockState)
{
    const QPixmap imageOnly = [] {
        QPixmap pixmap(16, 15);
        pixmap.fill(Qt::blue);
        return pixmap;
    }();
    CustomButtonRecord record = *COXCoolToolBar::customButtonRegistration(comboRegistration);
    struct Case
    {
        uint32_t flags;
        Qt::ToolBarArea area; // NoToolBarArea: floating
        bool shown;
    };
    const Case cases[] = {
        {7, Qt::TopToolBarArea, true},    {7, Qt::LeftToolBarArea, true},
        {7, Qt::NoToolBarArea, true},     {2, Qt::TopToolBarArea, true},
        {2, Qt::BottomToolBarArea, true}, {2, Qt::LeftToolBarArea, false},
        {2, Qt::NoToolBarArea, false},    {1, Qt::RightToolBarArea, true},
        {4, Qt::NoToolBarArea, true},     {4, Qt::TopToolBarArea, false},
    };
    window.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.flags) + " in area " + std::to_string(c.area));
        record.displayFlags = c.flags;
        record.imageWhenHidden = 2;
        COXCoolToolBar::UpdateCustomButton(comboRegistration, record);
        auto* tested = COXCoolToolBar::Create(&window, COXCoolToolBar::WS_VISIBLE, kBar, nullptr);
        if (c.area == Qt::NoToolBarArea) {
            tested->setParent(nullptr);
            tested->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
            tested->show();
        } else {
            window.addToolBar(c.area, tested);
        }
        ASSERT_TRUE(tested->InsertCustomButton(1, comboRegistration));
        tested->PlaceCustomButtons();
        QWidget* control = tested->GetCustomButton(1)->control->window();
        EXPECT_EQ(!control->isHidden(), c.shown);
        const COXCoolToolBar::ButtonRecord* button = tested->GetButton(1);
        EXPECT_EQ(button->commandId, kCombo);
        if (c.shown) {
            EXPECT_EQ(button->style, COXCoolToolBar::TBSTYLE_SEP);
            EXPECT_EQ(button->image, 80);
        } else {
            EXPECT_EQ(button->style, COXCoolToolBar::TBSTYLE_AUTOSIZE);
            EXPECT_EQ(button->image, 2);
        }
        delete tested;
    }
    (void)imageOnly;
}

TEST_F(COXCoolToolBarCustomTest, ControlRectInTheItem)
{
    const QRect item(10, 0, 80, 22);
    struct Case
    {
        int height;
        QRect rect;
    };
    const Case cases[] = {{-1, QRect(12, 0, 76, 22)},        {0, QRect(12, 0, 76, 22)},
                          {22, QRect(12, 0, 76, 22)},        {40, QRect(12, 0, 76, 22)},
                          {10, QRect(12, 6, 76, 10)},        {21, QRect(12, 0, 76, 21)},
                          {INT32_MIN, QRect(12, 0, 76, 22)}, {INT32_MAX, QRect(12, 0, 76, 22)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        EXPECT_EQ(COXCoolToolBar::customControlRect(item, c.height), c.rect);
    }

    // On the bar: a height of -1 is the full item height, 2 pixels in on either side.
    window.show();
    ASSERT_TRUE(bar->InsertCustomButton(1, comboRegistration));
    QApplication::processEvents(); // the bar's pending layout
    QWidget* control = combo->window();
    QWidget* host = control->parentWidget();
    EXPECT_EQ(host->width(), 80);
    EXPECT_EQ(control->geometry(), host->rect().adjusted(2, 0, -2, 0));
}

TEST_F(COXCoolToolBarCustomTest, ContextMenuAndModeWithCustomButtons)
{
    using B = COXCoolToolBar;
    ASSERT_TRUE(bar->InsertCustomButton(2, comboRegistration)); // B S C B B B
    const std::vector<B::MenuItem> onCustom = bar->contextMenuItems(2);
    ASSERT_EQ(onCustom.size(), 8u);
    EXPECT_FALSE(onCustom[3].enabled); // no texts for a custom button
    EXPECT_FALSE(onCustom[4].enabled);
    EXPECT_FALSE(onCustom[6].enabled); // a plain separator before it
    EXPECT_TRUE(onCustom[7].enabled);
    // The button after a custom button may take a separator before it.
    EXPECT_TRUE(bar->contextMenuItems(3)[6].enabled);

    bar->SetCustomizationMode(true);
    EXPECT_TRUE(combo->mode);
    ASSERT_TRUE(bar->InsertCustomButton(0, comboRegistration));
    auto* copy = dynamic_cast<FakeControl*>(bar->GetCustomButton(0)->control.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->mode); // placed in the mode
    bar->SetCustomizationMode(false);
    EXPECT_FALSE(combo->mode);
    EXPECT_FALSE(copy->mode);

    // Deleting the custom button through the menu.
    bar->SetCustomizationMode(true);
    bar->carryOutMenuCommand(3, B::ID_DELETE_BUTTON);
    EXPECT_EQ(marks(bar), "CBSBBB");
}

TEST_F(COXCoolToolBarCustomTest, PositionsAndRegistrationsRoundTrip)
{
    bar->SetCustomizationTable(kTable, 4);
    combo->state = "abc";
    ASSERT_TRUE(bar->InsertCustomButton(2, comboRegistration)); // B S C B B B
    bar->MoveButton(5, 0);                                      // B B S C B B
    ASSERT_TRUE(bar->SaveBarState("S", "B", true));
    const auto positions = profile::GetProfileBinary("S", "B_CustomButtonsPositions");
    ASSERT_TRUE(positions);
    EXPECT_EQ(*positions, barstate::encodePositions({{3, kCombo}}));

    // A new run: registrations and bars made again, the control's state read back.
    COXCoolToolBar::resetCustomButtons();
    COXCoolToolBar::resetRunFlags();
    auto fresh = std::make_shared<FakeControl>(counts);
    CustomButtonRecord record;
    record.control = fresh;
    record.controlId = kCombo;
    COXCoolToolBar::RegisterCustomButton(record); // width -1 until the profile says 80
    COXCoolToolBar* loaded = another();
    loaded->SetCustomizationTable(kTable, 4);
    ASSERT_TRUE(loaded->LoadBarState("S", "B", true));
    EXPECT_EQ(fresh->state, "abc");
    EXPECT_EQ(COXCoolToolBar::customButtonRegistration(0)->width, 80);
    EXPECT_EQ(marks(loaded), "BBSCBB");
    EXPECT_EQ(loaded->GetButton(0)->commandId, kLongTip);
    ASSERT_NE(loaded->GetCustomButton(3), nullptr);
    EXPECT_EQ(loaded->GetCustomButton(3)->control, fresh);

    // Loaded again: the live control goes back where it was, not made anew.
    const int creates = counts->creates;
    ASSERT_TRUE(loaded->LoadBarState("S", "B", true));
    EXPECT_EQ(counts->creates, creates);
    EXPECT_EQ(marks(loaded), "BBSCBB");
    // One to be made again is.
    fresh->recreate = true;
    ASSERT_TRUE(loaded->LoadBarState("S", "B", true));
    EXPECT_EQ(counts->creates, creates + 1);
    EXPECT_EQ(marks(loaded), "BBSCBB");
}

TEST_F(COXCoolToolBarCustomTest, DamagedPositionsAndSettingsChangeNothing)
{
    bar->SetCustomizationTable(kTable, 4);
    ASSERT_TRUE(bar->InsertCustomButton(2, comboRegistration)); // B S C B B B
    ASSERT_TRUE(bar->SaveBarState("S", "B", false));

    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        int64_t size;
        std::string marks;
    };
    const auto good = barstate::encodePositions({{2, kCombo}});
    const auto far = barstate::encodePositions({{0x7FFFFFFF, kCombo}, {-5, kCombo}});
    const auto unknown = barstate::encodePositions({{1, 4444}, {2, kCombo}});
    const Case cases[] = {
        {"good", good, static_cast<int64_t>(good.size()), "BSCBBB"},
        {"truncated", {good.begin(), good.end() - 1}, static_cast<int64_t>(good.size()), "BSCBBB"},
        {"count 0xFFFFFFFF", {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0}, 8, "BSCBBB"},
        {"size 0", good, 0, "BSCBBB"},
        {"indices out of range", far, static_cast<int64_t>(far.size()), "BSBBB"},
        {"unregistered control id", unknown, static_cast<int64_t>(unknown.size()), "BSCBBB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        profile::WriteProfileBinary("S", "B_CustomButtonsPositions", c.bytes);
        profile::WriteProfileInt("S", "B_CustomButtonsPositions_Size",
                                 static_cast<int32_t>(c.size));
        ASSERT_TRUE(bar->LoadBarState("S", "B", false));
        EXPECT_EQ(marks(bar), c.marks);
        if (!bar->HasCustomButton(kCombo)) {
            ASSERT_TRUE(bar->InsertCustomButton(2, comboRegistration));
        }
    }

    // A registrations value whose control state runs past the value is not read at all.
    COXCoolToolBar::resetRunFlags();
    barstate::CustomButtonSetting entry;
    entry.controlId = kCombo;
    entry.width = 33;
    entry.controlState = {5, 'a'}; // claims 5 bytes, holds 1
    const auto settings = barstate::encodeCustomButtonsSettings({entry});
    profile::WriteProfileBinary("S", "Toolbars_CustomButtonsSettings", settings);
    profile::WriteProfileInt("S", "Toolbars_CustomButtonsSettings_Size",
                             static_cast<int32_t>(settings.size()));
    bar->LoadBarState("S", "B", false);
    EXPECT_EQ(COXCoolToolBar::customButtonRegistration(comboRegistration)->width, 80);
}

TEST(StandardCustomControlTest, TypedInsertsMakeTheirControls)
{
    QTemporaryDir registry;
    qputenv("HARLUNE_REGISTRY_DIR", registry.path().toUtf8());
    fw::Resources::instance().clear();
    fw::Resources::instance().addToolBars(kBars);
    QMainWindow window;
    COXCoolToolBar* bar =
        COXCoolToolBar::Create(&window, COXCoolToolBar::WS_VISIBLE, kBar, nullptr);
    ASSERT_NE(bar, nullptr);
    COXCoolToolBar::resetCustomButtons();

    struct Case
    {
        const char* className;
        std::function<bool(int index, int registration)> insert;
    };
    const Case cases[] = {
        {"QComboBox", [&](int i, int r) { return bar->InsertComboBox(i, r); }},
        {"QLineEdit", [&](int i, int r) { return bar->InsertEdit(i, r, "text"); }},
        {"QTextEdit", [&](int i, int r) { return bar->InsertRichEdit(i, r); }},
        {"QLabel", [&](int i, int r) { return bar->InsertStatic(i, r, "label"); }},
        {"QKeySequenceEdit", [&](int i, int r) { return bar->InsertHotKey(i, r); }},
        {"QPushButton", [&](int i, int r) { return bar->InsertButton(i, r, "Go"); }},
        {"QProgressBar", [&](int i, int r) { return bar->InsertProgress(i, r); }},
        {"QSlider", [&](int i, int r) { return bar->InsertSlider(i, r); }},
        {"QDateTimeEdit", [&](int i, int r) { return bar->InsertDateTimePicker(i, r, "yyyy"); }},
        {"QLineEdit", [&](int i, int r) { return bar->InsertIPAddress(i, r); }},
    };
    unsigned controlId = 5000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        CustomButtonRecord record;
        record.controlId = ++controlId;
        record.control = std::make_shared<StandardCustomControl>();
        const int registration = COXCoolToolBar::RegisterCustomButton(record);
        ASSERT_TRUE(c.insert(0, registration));
        QWidget* control = bar->GetCustomButton(0)->control->window();
        ASSERT_NE(control, nullptr);
        EXPECT_STREQ(control->metaObject()->className(), c.className);
        EXPECT_EQ(control->objectName(), QStringLiteral("control%1").arg(controlId));
    }
    EXPECT_EQ(
        qobject_cast<QDateTimeEdit*>(bar->GetCustomButton(1)->control->window())->displayFormat(),
        "yyyy");
    // A class no control stands for is refused and leaves the bar as it was.
    CustomButtonRecord unknown;
    unknown.controlId = 6000;
    unknown.control = std::make_shared<StandardCustomControl>();
    const int count = bar->GetButtonCount();
    EXPECT_FALSE(bar->InsertCustomButton(0, COXCoolToolBar::RegisterCustomButton(unknown),
                                         COXCoolToolBar::WS_VISIBLE, {}, "NoSuchClass"));
    EXPECT_EQ(bar->GetButtonCount(), count);
    COXCoolToolBar::resetCustomButtons();
    fw::Resources::instance().clear();
}

} // namespace

namespace {

TEST_F(COXCoolToolBarTest, LeadingAreaIndentAndButtonWidths)
{
    window.show();
    auto firstX = [this]() {
        QApplication::processEvents(); // the bar's pending layout
        return bar->widgetForAction(bar->actions()[0])->geometry().left();
    };
    const int withGripper = firstX();
    bar->SetGripper(false);
    EXPECT_EQ(firstX(), withGripper - 9);
    bar->SetIndent(12);
    EXPECT_EQ(firstX(), withGripper - 9 + 12);
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    bar->SetIcon(QIcon(blue));
    EXPECT_EQ(firstX(), withGripper - 9 + 12 + 18);
    EXPECT_FALSE(bar->GetIcon().isNull());
    // The icon is drawn 5 pixels in, centred across the bar.
    const QImage shot = bar->grab().toImage();
    EXPECT_EQ(shot.pixelColor(5 + 8, bar->height() / 2), QColor(Qt::blue));

    // Floating, without gripper, icon or indent, the bar still has a handle to be moved by.
    bar->SetIcon(QIcon());
    bar->SetIndent(0);
    EXPECT_EQ(bar->leadingExtent(), 0);
    bar->setParent(nullptr);
    bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    ASSERT_TRUE(bar->isFloating());
    EXPECT_GT(bar->leadingExtent(), 0);
    bar->setParent(&window);

    // Button widths: limits applied to every button, -1 leaves one unset; wild values kept
    // within what a widget takes.
    struct Case
    {
        int minWidth, maxWidth;
        int wantMin, wantMax;
    };
    const Case cases[] = {{40, 60, 40, 60},
                          {-1, -1, 0, QWIDGETSIZE_MAX},
                          {50, 30, 50, 50},
                          {INT32_MAX, INT32_MIN, 32767, QWIDGETSIZE_MAX}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.minWidth) + "," + std::to_string(c.maxWidth));
        bar->SetButtonsMinMaxWidth(c.minWidth, c.maxWidth);
        QWidget* open = bar->widgetForAction(bar->actions()[0]);
        EXPECT_EQ(open->minimumWidth(), c.wantMin);
        EXPECT_EQ(open->maximumWidth(), c.wantMax);
    }
}

TEST_F(COXCoolToolBarTest, TextColoursOnAFlatBar)
{
    auto textColor = [this](int index) {
        return bar->widgetForAction(bar->actions()[index])
            ->palette()
            .color(QPalette::ButtonText)
            .rgb();
    };
    const QRgb system = bar->palette().color(QPalette::ButtonText).rgb();
    EXPECT_EQ(textColor(0), system);
    bar->SetDefaultTextColor(0x0000FF); // red, as COLORREF
    EXPECT_EQ(textColor(0), qRgb(255, 0, 0));
    bar->SetHotTextColor(0xFF0000); // blue
    QWidget* open = bar->widgetForAction(bar->actions()[0]);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(open, &enter);
    EXPECT_EQ(textColor(0), qRgb(0, 0, 255));
    EXPECT_EQ(textColor(2), qRgb(255, 0, 0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(open, &leave);
    EXPECT_EQ(textColor(0), qRgb(255, 0, 0));
    // Not flat: the system's colours.
    bar->SetFlat(false);
    EXPECT_EQ(textColor(0), system);
}

TEST_F(COXCoolToolBarStateFileTest, DropDownButtonsShowTheirArrows)
{
    // A drop-down style comes back from the profile; the arrow shows while the arrows are on.
    bar->SetCustomizationTable(kTable, 4);
    ASSERT_TRUE(bar->SaveBarState("S", "B", false));
    std::vector<barstate::ButtonSetting> settings{{kOpen, 0, 0x08, false, ""}};
    writeSettings(barstate::encodeButtonsSettings(settings),
                  static_cast<int64_t>(barstate::encodeButtonsSettings(settings).size()));
    ASSERT_TRUE(bar->LoadBarState("S", "B", false));
    auto* open = qobject_cast<QToolButton*>(bar->widgetForAction(bar->actions()[0]));
    auto* save = qobject_cast<QToolButton*>(bar->widgetForAction(bar->actions()[2]));
    ASSERT_TRUE(open && save);
    EXPECT_TRUE(bar->GetDropDownArrow());
    EXPECT_EQ(open->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(save->popupMode(), QToolButton::DelayedPopup);
    bar->SetDropDownArrow(false);
    EXPECT_EQ(open->popupMode(), QToolButton::DelayedPopup);
    EXPECT_GT(bar->arrowWidth(), 0);
}

TEST_F(COXCoolToolBarTest, SelectedButtonFrameFollowsTheSelection)
{
    window.show();
    QApplication::processEvents();
    bar->SetCustomizationMode(true);
    bar->SelectButton(2);
    QWidget* save = bar->widgetForAction(bar->actions()[2]);
    QWidget* frame = nullptr;
    for (QWidget* child : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->testAttribute(Qt::WA_TransparentForMouseEvents) && !child->isHidden())
            frame = child;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry(), save->geometry());
    bar->SelectButton(-1);
    EXPECT_TRUE(frame->isHidden());
}

} // namespace

namespace {

TEST_F(COXCoolToolBarTest, DragsOverACustomisableBarAnswerNone)
{
    QMimeData data;
    data.setText("x");
    auto enter = [&]() {
        QDragEnterEvent event(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
        return std::make_pair(event.isAccepted(), event.dropAction());
    };
    // Not customisable: left to the base, which takes nothing.
    EXPECT_TRUE(bar->acceptDrops());
    enter();
    EXPECT_FALSE(bar->isDragging());

    bar->SetCustomizationTable(kButtons, 1);
    ASSERT_TRUE(bar->IsCustomizable(true));
    const auto [followed, action] = enter();
    EXPECT_TRUE(followed);
    EXPECT_EQ(action, Qt::IgnoreAction);
    EXPECT_TRUE(bar->isDragging());
    QDragMoveEvent move(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    EXPECT_FALSE(move.isAccepted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(bar, &leave);
    EXPECT_FALSE(bar->isDragging());
    enter();
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_FALSE(bar->isDragging());
}

TEST_F(COXCoolToolBarTest, TheFrameMayDrawTheBarInstead)
{
    window.show();
    std::vector<int> stages;
    bool frameDraws = false;
    bar->setCustomDrawForward([&](COXCoolToolBar::CustomDraw& draw) {
        stages.push_back(draw.stage);
        if (frameDraws)
            draw.doDefault = false;
    });
    bar->SetDefaultTextColor(0x0000FF);
    QWidget* open = bar->widgetForAction(bar->actions()[0]);
    EXPECT_EQ(open->palette().color(QPalette::ButtonText).rgb(), qRgb(255, 0, 0));
    ASSERT_FALSE(stages.empty());
    EXPECT_EQ(stages.back(), COXCoolToolBar::CDDS_ITEMPREPAINT);

    frameDraws = true;
    stages.clear();
    bar->grab(); // a paint of the bar
    ASSERT_FALSE(stages.empty());
    EXPECT_EQ(stages.front(), COXCoolToolBar::CDDS_PREPAINT);
    EXPECT_FALSE(bar->drawsOwnParts());
    bar->SetDefaultTextColor(0x00FF00); // the frame colours the buttons now
    EXPECT_EQ(open->palette().color(QPalette::ButtonText).rgb(), qRgb(255, 0, 0));
    frameDraws = false;
    bar->grab();
    EXPECT_TRUE(bar->drawsOwnParts());
}

} // namespace

namespace {

namespace bl = toolkit::widgets::barlayout;

// The bar's records as the layout rules take them, for a uniform button width: a plain
// separator without a width of its own takes 8 pixels.
std::vector<bl::Button> recordsOf(const COXCoolToolBar& bar)
{
    std::vector<bl::Button> buttons;
    for (int i = 0; i < bar.GetButtonCount(); ++i) {
        const COXCoolToolBar::ButtonRecord* record = bar.GetButton(i);
        const bool separator = (record->style & COXCoolToolBar::TBSTYLE_SEP) != 0;
        buttons.push_back({record->commandId, separator && record->image <= 0 ? 8 : record->image,
                           record->style,
                           static_cast<uint8_t>(record->state & ~COXCoolToolBar::TBSTATE_WRAP)});
    }
    return buttons;
}

// Whether a widget shows the separator line's shadow colour anywhere.
bool showsLine(QWidget* widget)
{
    const QColor shadow = toolkit::widgets::toQColor(
        toolkit::widgets::GetSysColor(toolkit::widgets::COLOR_BTNSHADOW));
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == shadow.rgb())
                return true;
    return false;
}

TEST_F(COXCoolToolBarTest, SizeHintsAndSeparatorWidthsComeFromTheRecords)
{
    window.show();
    QApplication::processEvents();
    const QMargins margins = bar->layout()->contentsMargins();
    struct Case
    {
        int buttonWidth;
        int32_t separator; // the width in the separator's record
        int32_t shown;     // the width it takes
        bool line;
    };
    const Case cases[] = {{30, 8, 8, true}, {40, 12, 12, false}, {25, 0, 8, true},
                          {50, 6, 6, true}, {24, 9, 9, false},   {33, 40, 40, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.buttonWidth) + "/" + std::to_string(c.separator));
        bar->SetButtonsMinMaxWidth(c.buttonWidth, c.buttonWidth);
        ASSERT_TRUE(bar->DeleteButton(1));
        ASSERT_TRUE(bar->InsertButton(1, {0, c.separator, COXCoolToolBar::TBSTYLE_SEP, 0, "", 0}));
        QApplication::processEvents();

        std::vector<bl::Button> expected = recordsOf(*bar);
        bl::Metrics metrics;
        metrics.buttonWidth = c.buttonWidth;
        // Every button as high as the tallest.
        metrics.buttonHeight = 0;
        for (int i : {0, 2, 3, 4})
            metrics.buttonHeight = std::max(
                metrics.buttonHeight, bar->widgetForAction(bar->actions()[i])->sizeHint().height());
        metrics.arrowWidth = bar->arrowWidth();
        bl::SizeToolBar(expected, metrics, 32767, false);
        const bl::Size size = bl::CalcSize(expected, metrics);
        EXPECT_EQ(size.cx, 4 * c.buttonWidth + c.shown);
        EXPECT_EQ(bar->buttonsSize(), QSize(size.cx, size.cy));
        EXPECT_EQ(bar->sizeHint(),
                  QSize(size.cx + bar->leadingExtent() + margins.left() + margins.right(),
                        size.cy + margins.top() + margins.bottom()));

        // The buttons stand where the rules put them; the separator is as wide as its record.
        const QPoint origin = bar->buttonsOrigin();
        QWidget* separator = bar->widgetForAction(bar->actions()[1]);
        QWidget* save = bar->widgetForAction(bar->actions()[2]);
        EXPECT_EQ(separator->geometry(),
                  QRect(origin.x() + c.buttonWidth, origin.y(), c.shown, size.cy));
        EXPECT_EQ(save->geometry(),
                  QRect(origin.x() + c.buttonWidth + c.shown, origin.y(), c.buttonWidth, size.cy));
        // 9 pixels and wider: no line.
        EXPECT_EQ(showsLine(separator), c.line);
    }
}

TEST_F(COXCoolToolBarTest, DockedAtASideTheButtonsFormOneColumn)
{
    bar->SetButtonsMinMaxWidth(30, 30);
    window.addToolBar(Qt::LeftToolBarArea, bar);
    window.show();
    QApplication::processEvents();
    ASSERT_EQ(bar->orientation(), Qt::Vertical);
    const int height = bar->layoutMetrics().buttonHeight;
    const QMargins margins = bar->layout()->contentsMargins();

    std::vector<bl::Button> expected = recordsOf(*bar);
    bl::SizeToolBar(expected, bar->layoutMetrics(), 0, false);
    const bl::Size size = bl::CalcSize(expected, bar->layoutMetrics());
    EXPECT_EQ(size, (bl::Size{30, 4 * height + 8}));
    EXPECT_EQ(bar->buttonsSize(), QSize(size.cx, size.cy));
    EXPECT_EQ(bar->sizeHint().height(),
              size.cy + bar->leadingExtent() + margins.top() + margins.bottom());
    // Open, then the separator as a gap across the column, then one button a row.
    const QPoint origin = bar->buttonsOrigin();
    const QRect rects[] = {{0, 0, 30, height},
                           {0, height, 30, 8},
                           {0, height + 8, 30, height},
                           {0, 2 * height + 8, 30, height},
                           {0, 3 * height + 8, 30, height}};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bar->widgetForAction(bar->actions()[i])->geometry(), rects[i].translated(origin))
            << i;
    EXPECT_TRUE(showsLine(bar->widgetForAction(bar->actions()[1])));
}

TEST_F(COXCoolToolBarTest, AnEmptyBarMeasuresHalfAButtonAlongItsDock)
{
    window.show();
    while (bar->GetButtonCount() > 0)
        ASSERT_TRUE(bar->DeleteButton(0));
    QApplication::processEvents();
    // The common button size, 23 x 22, halved along the bar.
    EXPECT_EQ(bar->buttonsSize(), QSize(11, 22));
    window.addToolBar(Qt::LeftToolBarArea, bar);
    QApplication::processEvents();
    EXPECT_EQ(bar->buttonsSize(), QSize(23, 11));
}

TEST_F(COXCoolToolBarTest, AFloatingBarWrapsForTheWidthItIsGiven)
{
    bar->SetButtonsMinMaxWidth(30, 30);
    bar->setParent(nullptr);
    bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    bar->show();
    QApplication::processEvents();
    ASSERT_TRUE(bar->isFloating());
    const bl::Metrics metrics = bar->layoutMetrics();
    const int height = metrics.buttonHeight;
    const QMargins margins = bar->layout()->contentsMargins();
    // At first in one row.
    EXPECT_EQ(bar->buttonsSize(), QSize(4 * 30 + 8, height));

    struct Case
    {
        int width; // given to the buttons
        int rows;
        int fitted; // the width the bar keeps
    };
    const Case cases[] = {{65, 3, 60}, {100, 2, 90}, {40, 4, 30}, {2000, 1, 128}, {0, 4, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const QPoint origin = bar->buttonsOrigin();
        bar->resize(origin.x() + c.width + margins.right(), bar->height());
        QApplication::processEvents();

        // The rows are those the rules give for the width.
        std::vector<bl::Button> expected = recordsOf(*bar);
        EXPECT_EQ(bl::WrapToolBar(expected, metrics, c.width), c.rows);
        const std::vector<bl::Button> laidOut = bar->layoutButtons();
        ASSERT_EQ(laidOut.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(laidOut[i].state & bl::TBSTATE_WRAP, expected[i].state & bl::TBSTATE_WRAP)
                << i;
        const bl::Size size = bl::CalcSize(expected, metrics);
        EXPECT_EQ(size.cx, c.fitted);
        EXPECT_EQ(bar->buttonsSize(), QSize(size.cx, size.cy));
        EXPECT_EQ(bar->floatingWidth(), c.fitted);
        // The bar takes the size of its rows; the buttons stand where the rules put them.
        EXPECT_EQ(bar->size(), bar->sizeHint());
        EXPECT_EQ(bar->width(), bar->buttonsOrigin().x() + c.fitted + margins.right());
        const std::vector<bl::Rect> rects = bl::buttonRects(expected, metrics);
        for (int i = 0; i < bar->GetButtonCount(); ++i) {
            const bl::Rect& r = rects[static_cast<std::size_t>(i)];
            EXPECT_EQ(bar->widgetForAction(bar->actions()[i])->geometry(),
                      QRect(r.left, r.top, r.right - r.left, r.bottom - r.top)
                          .translated(bar->buttonsOrigin()))
                << i;
        }
    }

    // The right edge dragged with the mouse: narrower, the bar wraps as for a width given.
    bar->resize(2000, bar->height());
    QApplication::processEvents();
    ASSERT_EQ(bar->buttonsSize(), QSize(128, height));
    const QPoint edge(bar->width() - 1, bar->height() / 2);
    auto send = [this](QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(pos), QPointF(bar->mapToGlobal(pos)), Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    };
    send(QEvent::MouseButtonPress, edge, Qt::LeftButton);
    send(QEvent::MouseMove, edge - QPoint(128 - 65, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, edge - QPoint(128 - 65, 0), Qt::NoButton);
    QApplication::processEvents();
    EXPECT_EQ(bar->buttonsSize(), QSize(60, 3 * height + 8));
    EXPECT_EQ(bar->floatingWidth(), 60);
    bar->hide();
    bar->setParent(&window);
}

} // namespace
