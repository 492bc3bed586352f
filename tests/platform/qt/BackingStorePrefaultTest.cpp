#include "platform/qt/BackingStorePrefault.h"

#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

using platform::qt::BackingStorePrefault;

namespace {

QApplication& prefaultApplication()
{
    if (auto* running = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *running;
    static int argc = 1;
    static char name[] = "BackingStorePrefaultTest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv); // lives until exit
    return *app;
}

// Paints coloured stripes, so that a picture drawn in part or in the wrong place differs.
class StripedWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (int y = 0; y < height(); y += 8)
            painter.fillRect(0, y, width(), 4, QColor::fromHsv((y * 3) % 360, 200, 220));
        painter.fillRect(0, 4, width(), 2, Qt::black);
    }
};

const QImage* storeImage(QWidget& window)
{
    QBackingStore* store = window.backingStore();
    if (!store)
        return nullptr;
    store->beginPaint(QRegion());
    QPaintDevice* device = store->paintDevice();
    store->endPaint();
    return device && device->devType() == QInternal::Image ? static_cast<const QImage*>(device)
                                                           : nullptr;
}

// The store the pages were faulted in for is the one the first paint draws into (no second
// store of another size), and what is drawn is what the window paints without it.
TEST(BackingStorePrefaultTest, TheFirstPaintDrawsIntoTheFaultedStoreAndDrawsTheSame)
{
    prefaultApplication();
    StripedWindow plain;
    plain.resize(640, 400);
    plain.show();
    plain.repaint();

    StripedWindow window;
    window.resize(640, 400);
    const uchar* faulted = nullptr;
    {
        BackingStorePrefault prefault(window);
        ASSERT_TRUE(prefault.started());
        const QImage* image = storeImage(window);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->size(), window.size() * window.devicePixelRatio());
        faulted = image->constBits();
        window.show();
        window.repaint();
    }
    const QImage* painted = storeImage(window);
    ASSERT_NE(painted, nullptr);
    EXPECT_EQ(painted->constBits(), faulted);
    EXPECT_EQ(window.grab().toImage(), plain.grab().toImage());
}

// A child widget has no store of its own: nothing is made for it.
TEST(BackingStorePrefaultTest, LeavesAWidgetThatIsNotAWindowAlone)
{
    prefaultApplication();
    QWidget parent;
    QWidget child(&parent);
    BackingStorePrefault prefault(child);
    EXPECT_FALSE(prefault.started());
    EXPECT_FALSE(child.testAttribute(Qt::WA_WState_Created));
}

} // namespace
