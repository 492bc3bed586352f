// The program's tool-bar images, drawn at build time from their SVG sources: every button of
// every bar shows a picture of its own at the normal and the doubled pixel density, the bars
// draw them (normal, disabled, checked) and the bitmap menus take the same pictures.
#include "app/res/HarluneResources.h"
#include "platform/framework/Resources.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/COXCoolToolBar.h"
#include "toolkit/widgets/COXMenuOrganizer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

namespace fw = platform::framework;

constexpr QSize kToolBarImageSize(16, 15);
constexpr QRgb kToolBarImageKey = 0xFF00FF;

class ToolBarImagesTest : public ::testing::Test
{
protected:
    ToolBarImagesTest()
    {
        fw::Resources& resources = fw::Resources::instance();
        resources.clear();
        resources.addMenus(app::res::menus());
        resources.addToolBars(app::res::toolBars());
        resources.addPrompts(app::res::prompts());
    }
    ~ToolBarImagesTest() override { fw::Resources::instance().clear(); }

    // A shown main window holding only the bar of id.
    COXCoolToolBar* showBar(unsigned id)
    {
        window = std::make_unique<QMainWindow>();
        window->resize(900, 200);
        COXCoolToolBar* bar = COXCoolToolBar::Create(
            window.get(), COXCoolToolBar::WS_VISIBLE | COXCoolToolBar::TBSTYLE_FLAT, id, {});
        window->show();
        QApplication::processEvents();
        return bar;
    }

    std::unique_ptr<QMainWindow> window;
};

std::vector<QAction*> buttonsOf(const COXCoolToolBar& bar)
{
    std::vector<QAction*> buttons;
    for (QAction* action : bar.actions())
        if (!action->isSeparator() && bar.widgetForAction(action) != nullptr)
            buttons.push_back(action);
    return buttons;
}

int drawnPixels(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int drawn = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > 0)
                ++drawn;
    return drawn;
}

bool holdsKeyColour(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == kToolBarImageKey)
                return true;
    return false;
}

// Pixels of a grabbed area unlike the colour at its top-left corner (the button's face).
int pixelsUnlikeTheFace(const QImage& area)
{
    const QRgb face = area.pixel(0, 0);
    int unlike = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (area.pixel(x, y) != face)
                ++unlike;
    return unlike;
}

// Pixels with a clear colour (not grey).
int colouredPixels(const QImage& area)
{
    int coloured = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (QColor(area.pixel(x, y)).hsvSaturation() > 80)
                ++coloured;
    return coloured;
}

TEST_F(ToolBarImagesTest, StripsHoldOneImagePerButtonAtBothDensities)
{
    for (const fw::ToolBarResource& resource : app::res::toolBars()) {
        SCOPED_TRACE(resource.id);
        int buttons = 0;
        for (unsigned command : resource.buttons)
            buttons += command != 0 ? 1 : 0;
        const QImage strip = toolkit::widgets::loadBitmapResource(resource.id);
        const QImage doubled = toolkit::widgets::loadHighDensityBitmapResource(resource.id);
        ASSERT_FALSE(strip.isNull());
        ASSERT_FALSE(doubled.isNull());
        EXPECT_EQ(strip.size(), QSize(buttons * 16, 15));
        EXPECT_EQ(doubled.size(), QSize(buttons * 32, 30));
        EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
    }
}

TEST_F(ToolBarImagesTest, EveryButtonShowsAnImageOfItsOwnAtBothDensities)
{
    for (const fw::ToolBarResource& resource : app::res::toolBars()) {
        SCOPED_TRACE(resource.id);
        COXCoolToolBar* bar = showBar(resource.id);
        ASSERT_NE(bar, nullptr);
        const std::vector<QAction*> buttons = buttonsOf(*bar);
        ASSERT_FALSE(buttons.empty());
        for (const qreal ratio : {1.0, 2.0}) {
            SCOPED_TRACE(ratio);
            std::vector<QImage> images;
            for (QAction* button : buttons) {
                SCOPED_TRACE(button->data().toUInt());
                const QPixmap pixmap = button->icon().pixmap(kToolBarImageSize, ratio);
                // The doubled density shows the doubled image, not the small one scaled.
                EXPECT_EQ(pixmap.size(), kToolBarImageSize * ratio);
                EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
                const QImage image = pixmap.toImage();
                // A picture, not a dot: a sixth of the cell at least.
                EXPECT_GT(drawnPixels(image), image.width() * image.height() / 6);
                for (std::size_t other = 0; other < images.size(); ++other)
                    EXPECT_NE(image, images[other])
                        << "same image as " << buttons[other]->data().toUInt();
                images.push_back(image);
            }
        }
    }
}

TEST_F(ToolBarImagesTest, BarsDrawTheirImagesNormalDisabledAndChecked)
{
    const QDir shots(QDir::temp().filePath(QStringLiteral("toolbar-shots")));
    ASSERT_TRUE(shots.mkpath(QStringLiteral(".")));
    for (const fw::ToolBarResource& resource : app::res::toolBars()) {
        SCOPED_TRACE(resource.id);
        COXCoolToolBar* bar = showBar(resource.id);
        ASSERT_NE(bar, nullptr);
        const std::vector<QAction*> buttons = buttonsOf(*bar);
        const auto grabIn = [&](const char* state) {
            QApplication::processEvents();
            const QImage shot = bar->grab().toImage();
            EXPECT_TRUE(shot.save(shots.filePath(
                QStringLiteral("%1-%2.png").arg(resource.id).arg(QString::fromUtf8(state)))));
            // The key never shows: it is the images' transparency.
            EXPECT_FALSE(holdsKeyColour(shot)) << state;
            std::vector<QImage> cells;
            for (QAction* button : buttons) {
                const QWidget* widget = bar->widgetForAction(button);
                const QRect cell(widget->mapTo(bar, QPoint(0, 0)) * shot.devicePixelRatio(),
                                 widget->size() * shot.devicePixelRatio());
                cells.push_back(shot.copy(cell));
            }
            return cells;
        };

        const std::vector<QImage> normal = grabIn("normal");
        for (QAction* button : buttons)
            button->setEnabled(false);
        const std::vector<QImage> disabled = grabIn("disabled");
        for (QAction* button : buttons) {
            button->setEnabled(true);
            button->setCheckable(true);
            button->setChecked(true);
        }
        const std::vector<QImage> checked = grabIn("checked");

        ASSERT_EQ(normal.size(), buttons.size());
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            SCOPED_TRACE(buttons[i]->data().toUInt());
            // A blank strip would leave the plain button face.
            EXPECT_GT(pixelsUnlikeTheFace(normal[i]), 40);
            EXPECT_GT(pixelsUnlikeTheFace(disabled[i]), 20);
            EXPECT_GT(pixelsUnlikeTheFace(checked[i]), 40);
            // Disabled is greyed (its colours gone where the image has any); checked is drawn
            // unlike the plain button.
            EXPECT_NE(disabled[i], normal[i]);
            if (colouredPixels(normal[i]) >= 10) {
                EXPECT_LE(colouredPixels(disabled[i]), colouredPixels(normal[i]) / 4);
            }
            EXPECT_NE(checked[i], normal[i]);
        }
    }
}

TEST_F(ToolBarImagesTest, BitmapMenusShowTheButtonsImages)
{
    for (const fw::ToolBarResource& resource : app::res::toolBars()) {
        SCOPED_TRACE(resource.id);
        COXCoolToolBar* bar = showBar(resource.id);
        ASSERT_NE(bar, nullptr);
        COXMenuOrganizer organizer;
        ASSERT_TRUE(organizer.AttachFrameWindow(window.get()));
        ASSERT_TRUE(organizer.CollectToolBarImages());
        const qreal ratio = window->devicePixelRatioF();
        for (QAction* button : buttonsOf(*bar)) {
            const unsigned command = button->data().toUInt();
            SCOPED_TRACE(command);
            const QPixmap menuImage = organizer.image(command).pixmap(kToolBarImageSize, ratio);
            ASSERT_FALSE(menuImage.isNull());
            EXPECT_EQ(menuImage.devicePixelRatio(), ratio);
            EXPECT_EQ(menuImage.toImage(),
                      button->icon().pixmap(kToolBarImageSize, ratio).toImage());
        }
        organizer.DetachFrameWindow();
    }
}

} // namespace
