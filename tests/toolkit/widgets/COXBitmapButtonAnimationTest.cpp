#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/COXBitmapButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The fixture: an animated image of four 8x8 frames, red, green, blue and yellow.
const QString kSpinner = QStringLiteral(TOOLKIT_FIXTURE_DIR "/spinner.gif");

void hover(QWidget& widget)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&widget, &enter);
}

void leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

class COXBitmapButtonAnimation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        // A picture of one frame is not an animation.
        QImage still(8, 8, QImage::Format_RGB32);
        still.fill(Qt::white);
        ASSERT_TRUE(still.save(m_folder.filePath("still.gif")) ||
                    still.save(m_folder.filePath("still.png")));
        m_still = QFile::exists(m_folder.filePath("still.gif")) ? m_folder.filePath("still.gif")
                                                                : m_folder.filePath("still.png");
        toolkit::widgets::setAnimationSource([this](unsigned id, const QString& name) {
            if (id == 7001 || name == QLatin1String("Spinner"))
                return kSpinner;
            if (id == 7002)
                return m_still;
            if (id == 7003)
                return m_folder.filePath("missing.gif");
            return QString();
        });
        toolkit::widgets::setBitmapSource([](unsigned id) {
            if (id != 238)
                return QImage();
            QImage image(4, 2, QImage::Format_RGB32);
            image.fill(Qt::blue);
            return image;
        });
    }
    void TearDown() override
    {
        toolkit::widgets::setAnimationSource({});
        toolkit::widgets::setBitmapSource({});
    }

    // Hovers and waits (bounded) until the animation has stopped again; the frames shown.
    std::vector<int> playOnce(COXBitmapButton& button)
    {
        std::vector<int> frames;
        button.setFrameObserver([&frames](int frame) { frames.push_back(frame); });
        hover(button);
        EXPECT_TRUE(button.isPlaying());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !button.isAnimationRunning() && !frames.empty(); },
                                    10000));
        button.setFrameObserver({});
        return frames;
    }

    QTemporaryDir m_folder;
    QString m_still;
};

TEST_F(COXBitmapButtonAnimation, LoadingChoosesTheAnimationOrChangesNothing)
{
    struct Case
    {
        const char* name;
        unsigned id;
        const char* resourceName;
        bool loaded;
    };
    const Case cases[] = {
        {"by id", 7001, "", true},
        {"by name", 0, "Spinner", true},
        {"a picture of one frame", 7002, "", false},
        {"a file that is not there", 7003, "", false},
        {"no such resource", 7999, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COXBitmapButton button;
        button.SetWindowText("Go");
        ASSERT_TRUE(button.LoadBitmap(238, false));
        EXPECT_EQ(button.LoadAnimation(c.id, true, QString::fromLatin1(c.resourceName)), c.loaded);
        EXPECT_EQ(button.isAnimated(), c.loaded);
        // The images make way for the animation; a failed load keeps them.
        EXPECT_EQ(button.imageCount(), c.loaded ? 0 : 3);
        if (c.loaded) {
            EXPECT_EQ(button.animationFrame(), 0);
            EXPECT_FALSE(button.isPlaying());
            // Sized to the frame (8 + 2, with the image margins) beside the text.
            EXPECT_GE(button.width(), 8 + 2 + 10);
        }
    }
}

TEST_F(COXBitmapButtonAnimation, EachHoverPlaysTheFramesOnceAndStopsOnTheLast)
{
    COXBitmapButton button;
    button.SetFlatLook(true);
    ASSERT_TRUE(button.LoadAnimation(7001));
    button.show();

    // At rest the first frame is shown and nothing plays.
    EXPECT_EQ(button.animationFrame(), 0);
    EXPECT_FALSE(button.isAnimationRunning());
    EXPECT_EQ(button.animationFrameCount(), 4);
    const QImage atRest = button.renderToImage();

    const std::vector<int> first = playOnce(button);
    EXPECT_EQ(first, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(button.animationFrame(), 3);
    EXPECT_NE(button.renderToImage(), atRest); // the last frame stays on the button
    // Still over the button: it does not start again by itself.
    QTest::qWait(50);
    EXPECT_FALSE(button.isAnimationRunning());
    EXPECT_TRUE(button.isPlaying());

    // Leaving ends this hover; the next one plays the whole sequence again.
    leave(button);
    EXPECT_FALSE(button.isPlaying());
    EXPECT_EQ(playOnce(button), (std::vector<int>{0, 1, 2, 3}));

    // A disabled button does not play; removing the image stops the animation for good.
    leave(button);
    button.EnableButton(false);
    hover(button);
    EXPECT_FALSE(button.isPlaying());
    button.EnableButton(true);
    button.RemoveImage(false);
    EXPECT_FALSE(button.isAnimated());
    EXPECT_EQ(button.animationFrame(), -1);
    hover(button);
    EXPECT_FALSE(button.isPlaying());

    // A bitmap loaded later closes an animation too.
    ASSERT_TRUE(button.LoadAnimation(7001));
    ASSERT_TRUE(button.LoadBitmap(238, false));
    EXPECT_FALSE(button.isAnimated());
    EXPECT_EQ(button.imageCount(), 3);
}

TEST_F(COXBitmapButtonAnimation, CursorOverEachZone)
{
    // Child windows, as on a dialog (a top-level window keeps its cursor attribute).
    QWidget dialog;
    COXBitmapButton hyper(&dialog);
    COXBitmapButton plain(&dialog);
    hyper.SetWindowText("Link");
    plain.SetWindowText("Plain");
    hyper.SetHyperLook(true);
    EXPECT_EQ(hyper.enabledCursor()->shape(), Qt::PointingHandCursor);
    EXPECT_EQ(hyper.disabledCursor()->shape(), Qt::ForbiddenCursor);

    struct Case
    {
        const char* zone;
        COXBitmapButton* button;
        bool enabled;
        bool ownCursor;
        Qt::CursorShape shape;
    };
    const Case cases[] = {
        {"an enabled hyperlink", &hyper, true, true, Qt::PointingHandCursor},
        {"a disabled hyperlink", &hyper, false, true, Qt::ForbiddenCursor},
        {"enabled again", &hyper, true, true, Qt::PointingHandCursor},
        {"a plain button", &plain, true, false, Qt::ArrowCursor},
        {"a disabled plain button", &plain, false, false, Qt::ArrowCursor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        c.button->EnableButton(c.enabled);
        EXPECT_EQ(c.button->IsButtonEnabled(), c.enabled);
        EXPECT_EQ(c.button->testAttribute(Qt::WA_SetCursor), c.ownCursor);
        EXPECT_EQ(c.button->cursor().shape(), c.shape);
    }
    // A hyperlink stays enabled as a window while it looks disabled, so its cursor shows.
    hyper.EnableButton(false);
    EXPECT_TRUE(hyper.isEnabled());
    // Leaving the hyperlink look gives the pointer back to the window class.
    hyper.SetHyperLook(false);
    EXPECT_FALSE(hyper.enabledCursor().has_value());
    EXPECT_FALSE(hyper.testAttribute(Qt::WA_SetCursor));
}

} // namespace
