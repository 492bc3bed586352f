#include "toolkit/widgets/COXBitmapButton.h"

#include "platform/framework/ControlIds.h"
#include "toolkit/widgets/BitmapLoader.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using B = COXBitmapButton;

// A 4x2 bitmap whose left half is magenta (the usual transparent colour) and right half blue.
QImage twoColourBitmap()
{
    QImage image(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixelColor(x, y, x < 2 ? QColor(255, 0, 255) : QColor(0, 0, 255));
    return image;
}

// The same as a palette image: index 0 magenta, index 1 blue (grey level 0), index 2 light
// green (grey level 192).
QImage paletteBitmap()
{
    QImage image(4, 2, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 255), qRgb(0, 0, 255), qRgb(160, 230, 160)});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, x < 2 ? 0 : (y == 0 ? 1 : 2));
    return image;
}

class COXBitmapButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        toolkit::widgets::setBitmapSource([](unsigned id) {
            if (id == 238)
                return twoColourBitmap();
            if (id == 300)
                return paletteBitmap();
            return QImage();
        });
    }
    void TearDown() override { toolkit::widgets::setBitmapSource({}); }
};

TEST_F(COXBitmapButtonTest, MaskColourBecomesTransparentAndSizeIsKept)
{
    COXBitmapButton button;
    button.resize(89, 40);
    ASSERT_TRUE(button.LoadBitmap(238, false, 0xFF00FF));
    EXPECT_EQ(button.size(), QSize(89, 40));
    const QImage shown = button.image(0).toImage();
    ASSERT_EQ(shown.size(), QSize(4, 2));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(3, 1)), 255);
    EXPECT_EQ(QColor(shown.pixel(3, 1)), QColor(0, 0, 255));
}

TEST_F(COXBitmapButtonTest, WithoutMaskEveryPixelIsOpaque)
{
    COXBitmapButton button;
    ASSERT_TRUE(button.LoadBitmap(238, false));
    EXPECT_EQ(qAlpha(button.image(0).toImage().pixel(0, 0)), 255);
}

TEST_F(COXBitmapButtonTest, MissingResourceFailsAndDropsTheOldImage)
{
    COXBitmapButton button;
    ASSERT_TRUE(button.LoadBitmap(238, false, 0xFF00FF));
    EXPECT_FALSE(button.LoadBitmap(9999, false, 0xFF00FF));
    EXPECT_TRUE(button.image(0).isNull());
    EXPECT_EQ(button.imageCount(), 0);
    EXPECT_FALSE(button.LoadInactiveBitmap(238));
    EXPECT_FALSE(button.LoadAnimation(1));
}

TEST_F(COXBitmapButtonTest, ToolTipIsTheSecondLineOfTheWindowText)
{
    struct Case
    {
        const char* name;
        const char* text;
        bool enable;
        const char* shown;
        const char* tip;
    } cases[] = {
        {"two lines, enabled", "Scan\nSingle Exposure", true, "Scan", "Single Exposure"},
        {"two lines, disabled", "Scan\nSingle Exposure", false, "Scan", ""},
        {"one line", "Scan", true, "Scan", ""},
        {"tip only", "\nStore Reference", true, "", "Store Reference"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COXBitmapButton button;
        button.SetWindowText(c.text);
        button.EnableToolTip(c.enable);
        EXPECT_EQ(button.IsToolTipEnabled(), c.enable);
        EXPECT_EQ(button.text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(button.toolTipText(), c.tip);
        EXPECT_EQ(button.tipWindow() != nullptr && button.tipWindow()->toolCount() == 1,
                  *c.tip != '\0');
        EXPECT_TRUE(button.toolTip().isEmpty()); // Qt's own tip is not used
        EXPECT_EQ(button.GetWindowText(), c.text);
    }
}

TEST_F(COXBitmapButtonTest, ToolTipFollowsLaterTextAndCanBeSwitchedOff)
{
    COXBitmapButton button;
    button.EnableToolTip(true);
    button.SetWindowText("Absorbance\nAbsorbance Mode");
    EXPECT_EQ(button.toolTipText(), "Absorbance Mode");
    button.SetWindowText("Absorbance");
    EXPECT_EQ(button.tipWindow()->toolCount(), 0);
    button.EnableToolTip(false);
    EXPECT_FALSE(button.IsToolTipEnabled());
    EXPECT_TRUE(button.toolTipText().empty());
    // Many lines: the second is the tip.
    std::string lines(10000, '\n');
    lines.replace(0, 5, "a\nb\nc");
    button.SetWindowText(lines);
    button.EnableToolTip(true);
    EXPECT_EQ(button.toolTipText(), "b");
}

TEST_F(COXBitmapButtonTest, FlatLookNeedsOwnerDraw)
{
    COXBitmapButton button;
    EXPECT_FALSE(button.GetFlatLook());
    EXPECT_EQ(button.GetButtonStyle() & B::BS_TYPEMASK, B::BS_OWNERDRAW);
    EXPECT_TRUE(button.SetFlatLook(true));
    EXPECT_TRUE(button.GetFlatLook());
    EXPECT_TRUE(button.SetFlatLook(false));
    EXPECT_FALSE(button.GetFlatLook());
    button.SetButtonStyle(0); // a plain push button
    EXPECT_FALSE(button.SetFlatLook(true));
    EXPECT_FALSE(button.GetFlatLook());
}

TEST(COXBitmapButtonGreyTest, QuantisationTable)
{
    struct Case
    {
        int r, g, b;
        int level;
    } cases[] = {
        {0, 0, 0, 0},         {0, 0, 255, 0},       {0, 106, 0, 0},       {0, 107, 0, 128},
        {128, 128, 128, 128}, {0, 0, 0, 0},         {160, 160, 160, 192}, {223, 223, 223, 192},
        {224, 224, 224, 255}, {255, 255, 255, 255}, {255, 0, 0, 128},     {255, 255, 0, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
        EXPECT_EQ(toolkit::widgets::greyLevel(c.r, c.g, c.b), c.level);
    }
}

TEST_F(COXBitmapButtonTest, PaletteBitmapsGetAGreyCopyTrueColourOnesDoNot)
{
    COXBitmapButton button;
    ASSERT_TRUE(button.SetFlatLook(true));
    ASSERT_TRUE(button.LoadBitmap(300, false, 0xFF00FF));
    const QImage grey = button.image(1).toImage();
    ASSERT_FALSE(grey.isNull());
    EXPECT_EQ(qAlpha(grey.pixel(0, 0)), 0);
    EXPECT_EQ(QColor(grey.pixel(3, 0)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(grey.pixel(3, 1)), QColor(192, 192, 192));
    EXPECT_EQ(button.imageIndex(0), 1); // flat at rest: grey

    ASSERT_TRUE(button.LoadBitmap(238, false, 0xFF00FF));
    EXPECT_TRUE(button.image(1).isNull());
    EXPECT_EQ(button.imageIndex(0), 0); // no grey copy: the normal image
    EXPECT_EQ(button.imageIndex(B::ODS_DISABLED), 2);
}

TEST_F(COXBitmapButtonTest, ImageIndexAndFrameByState)
{
    struct Case
    {
        const char* name;
        bool flat;
        bool hot;
        uint32_t state;   // m_dwState
        uint32_t exStyle; // m_dwExStyle
        uint32_t item;    // owner-draw item state
        int image;
        uint32_t frame;
    } cases[] = {
        {"raised", false, false, 0, 0, 0, 0, B::DFCS_BUTTONPUSH},
        {"flat at rest", true, false, 0, 0, 0, 1, B::kFaceOnly},
        {"flat hot", true, true, 0, 0, 0, 0, B::DFCS_BUTTONPUSH},
        {"flat held", true, true, 0, 0, B::ODS_SELECTED, 0, B::DFCS_BUTTONPUSH | B::DFCS_PUSHED},
        {"held", false, false, 0, 0, B::ODS_SELECTED, 0, B::DFCS_BUTTONPUSH | B::DFCS_PUSHED},
        {"toggle on", false, false, 1, B::OXBB_EX_TOGGLE, 0, 0,
         B::DFCS_BUTTONPUSH | B::DFCS_CHECKED},
        {"toggle on, flat hot", true, true, 1, B::OXBB_EX_TOGGLE, 0, 0,
         B::DFCS_BUTTONPUSH | B::DFCS_PUSHED},
        {"drop-down open", false, false, 1, B::OXBB_EX_DROPDOWN, 0, 0,
         B::DFCS_BUTTONPUSH | B::DFCS_PUSHED},
        {"third state", false, false, 3, B::OXBB_EX_TOGGLE, 0, 1,
         B::DFCS_BUTTONPUSH | B::DFCS_PUSHED},
        {"disabled", false, false, 0, 0, B::ODS_DISABLED, 2, B::DFCS_BUTTONPUSH | B::DFCS_INACTIVE},
        {"flat disabled", true, false, 0, 0, B::ODS_DISABLED, 2, B::kFaceOnly},
        {"focus", false, false, 0, 0, B::ODS_FOCUS, 0, B::DFCS_BUTTONPUSH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget parent;
        auto* button = new COXBitmapButton(&parent);
        button->setGeometry(10, 10, 80, 30);
        parent.show();
        ASSERT_TRUE(button->LoadBitmap(300, false, 0xFF00FF));
        button->SetFlatLook(c.flat);
        button->SetExStyle(c.exStyle);
        button->SetState(c.state);
        if (c.hot) {
            QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(115, 115));
            QApplication::sendEvent(button, &enter);
        }
        EXPECT_EQ(button->isHot(), c.hot && c.flat);
        EXPECT_EQ(button->imageIndex(c.item), c.image);
        EXPECT_EQ(button->buttonFrame(c.item), c.frame);
    }
}

TEST_F(COXBitmapButtonTest, ToggleStateTransitions)
{
    struct Case
    {
        const char* name;
        uint32_t exStyle;
        uint32_t from;
        uint32_t to;
    } cases[] = {
        {"plain button", 0, 0, 0},
        {"toggle on", B::OXBB_EX_TOGGLE, 0, 1},
        {"toggle off", B::OXBB_EX_TOGGLE, 1, 0},
        {"to third state", B::OXBB_EX_TOGGLE | B::OXBB_EX_TOGGLE3STATE, 1, 3},
        {"third state to neither", B::OXBB_EX_TOGGLE | B::OXBB_EX_TOGGLE3STATE, 3, 0},
        {"drop-down open", B::OXBB_EX_DROPDOWN, 0, 1},
        {"drop-down close", B::OXBB_EX_DROPDOWN, 1, 0},
        {"third-state flag on a drop-down", B::OXBB_EX_DROPDOWN | B::OXBB_EX_TOGGLE3STATE, 1, 0},
        {"other bits kept", B::OXBB_EX_TOGGLE, 0x100, 0x101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COXBitmapButton button;
        button.SetExStyle(c.exStyle);
        button.SetState(c.from);
        button.ToggleState();
        EXPECT_EQ(button.GetState(), c.to);
    }
}

struct DropDownButton : COXBitmapButton
{
    int dropDowns = 0;
    void OnDropDown() override { ++dropDowns; }
};

void click(QWidget* button, QPoint release)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(release),
                   button->mapToGlobal(QPointF(release)), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(button, &up);
}

TEST_F(COXBitmapButtonTest, ClicksToggleAndNotify)
{
    QWidget parent;
    auto* button = new DropDownButton;
    button->setParent(&parent);
    button->setGeometry(0, 0, 80, 30);
    parent.show();
    button->SetExStyle(B::OXBB_EX_TOGGLE);
    std::vector<std::pair<unsigned, uint32_t>> notes;
    intptr_t answer = 0;
    button->setNotifyHandler([&](COXBitmapButton& b, unsigned code) {
        notes.emplace_back(code, b.GetState());
        return answer;
    });
    // A release outside does not toggle.
    click(button, QPoint(200, 200));
    EXPECT_EQ(button->GetState(), 0u);
    EXPECT_TRUE(notes.empty());
    click(button, QPoint(5, 5));
    EXPECT_EQ(button->GetState(), 1u);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].first, B::OXBBN_TOGGLE);

    // A drop-down: open while the parent is told, closed after; a non-zero answer runs no
    // default action but the state still toggles.
    notes.clear();
    button->SetExStyle(B::OXBB_EX_DROPDOWN);
    button->SetState(0);
    click(button, QPoint(5, 5));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], std::make_pair(B::OXBBN_DROPDOWN, 1u));
    EXPECT_EQ(button->dropDowns, 1);
    EXPECT_EQ(button->GetState(), 0u);
    answer = 1;
    click(button, QPoint(5, 5));
    EXPECT_EQ(button->dropDowns, 1);
    EXPECT_EQ(notes.back(), std::make_pair(B::OXBBN_DROPDOWN, 1u));
    EXPECT_EQ(button->GetState(), 0u);
}

TEST_F(COXBitmapButtonTest, DataExchangeBothWays)
{
    QWidget dialog;
    auto* toggle = new COXBitmapButton(&dialog);
    platform::framework::setControlId(toggle, 10);
    toggle->SetExStyle(B::OXBB_EX_TOGGLE);
    auto* plain = new COXBitmapButton(&dialog);
    platform::framework::setControlId(plain, 11);
    auto* other = new QWidget(&dialog);
    platform::framework::setControlId(other, 12);

    struct Save
    {
        uint32_t state;
        int value;
    } saves[] = {{0, 0}, {1, 1}, {3, 2}, {2, 2}, {0x100, 0}};
    for (const Save& s : saves) {
        toggle->SetState(s.state);
        int value = 99;
        EXPECT_TRUE(DDX_BitmapButtonState(true, &dialog, 10, value));
        EXPECT_EQ(value, s.value) << s.state;
    }
    int value = 99;
    EXPECT_TRUE(DDX_BitmapButtonState(true, &dialog, 11, value));
    EXPECT_EQ(value, -1);

    struct Load
    {
        int value;
        uint32_t from;
        uint32_t state;
        int written;
    } loads[] = {{1, 2, 1, 1},  {2, 0, 3, 2},         {5, 3, 0, 0},
                 {-1, 1, 0, 0}, {0, 0x103, 0x100, 0}, {INT_MIN, 1, 0, 0}};
    for (const Load& l : loads) {
        SCOPED_TRACE(l.value);
        toggle->SetState(l.from);
        int v = l.value;
        EXPECT_TRUE(DDX_BitmapButtonState(false, &dialog, 10, v));
        EXPECT_EQ(toggle->GetState(), l.state);
        EXPECT_EQ(v, l.written);
    }
    // A plain button is left alone, and so is the int.
    plain->SetState(1);
    int v = 2;
    EXPECT_TRUE(DDX_BitmapButtonState(false, &dialog, 11, v));
    EXPECT_EQ(plain->GetState(), 1u);
    EXPECT_EQ(v, 2);
    // Not a bitmap button, or no control at all.
    EXPECT_FALSE(DDX_BitmapButtonState(true, &dialog, 12, v));
    EXPECT_FALSE(DDX_BitmapButtonState(false, &dialog, 13, v));
    EXPECT_EQ(v, 2);
}

TEST_F(COXBitmapButtonTest, FitSizeAndPseudoDisable)
{
    COXBitmapButton button;
    button.SetWindowText("Go");
    ASSERT_TRUE(button.LoadBitmap(238, true, 0xFF00FF));
    const QSize fit = button.GetFitSize();
    EXPECT_EQ(button.size(), fit);
    // Beside: image 4 + 10 wide plus the text's width + 7.
    EXPECT_EQ(fit.width(), 14 + button.fontMetrics().boundingRect("Go").width() + 7);
    button.SetExStyle(B::OXBB_EX_DROPDOWN);
    EXPECT_GT(button.GetFitSize().width(), fit.width());

    button.SetPseudoDisable(true);
    EXPECT_TRUE(button.isEnabled());
    button.EnableButton(false);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_FALSE(button.IsButtonEnabled());
    EXPECT_EQ(button.imageIndex(button.itemState()), 2);
    // Ending pseudo-disabling applies the logical state to the window.
    button.SetPseudoDisable(false);
    EXPECT_FALSE(button.isEnabled());
}

TEST_F(COXBitmapButtonTest, DrawsTheGreyImageAtRestOnTheFace)
{
    QWidget parent;
    auto* button = new COXBitmapButton(&parent);
    button->setGeometry(0, 0, 40, 30);
    parent.show();
    ASSERT_TRUE(button->LoadBitmap(300, false, 0xFF00FF));
    button->SetFlatLook(true);
    const QImage rest = button->renderToImage();
    int greyPixels = 0;
    int bluePixels = 0;
    for (int y = 0; y < rest.height(); ++y)
        for (int x = 0; x < rest.width(); ++x) {
            greyPixels += rest.pixel(x, y) == qRgb(192, 192, 192) ? 1 : 0;
            bluePixels += rest.pixel(x, y) == qRgb(0, 0, 255) ? 1 : 0;
        }
    EXPECT_EQ(greyPixels, 2);
    EXPECT_EQ(bluePixels, 0);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(button, &enter);
    const QImage hot = button->renderToImage();
    bluePixels = 0;
    for (int y = 0; y < hot.height(); ++y)
        for (int x = 0; x < hot.width(); ++x)
            bluePixels += hot.pixel(x, y) == qRgb(0, 0, 255) ? 1 : 0;
    EXPECT_EQ(bluePixels, 2);
}

} // namespace
