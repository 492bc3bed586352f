// The chart's pictures from I_SpecGraphSettings with the real drawing calls, offscreen: a
// bitmap file an image reader opens, a refusal for a folder that does not exist, and the
// picture on the clipboard.
#include "AutomationCall.h"
#include "ChartWindow.h"
#include "app/automation/AutomationClasses.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/chart/XrtDraw.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

using namespace platform::automation;
using namespace chart_test;

// The main frame's window with the drawing calls the program's window makes.
class DrawingFrame : public FakeAutomationFrame
{
public:
    int drawChartToClipboard(XrtHandle chart, int format) override
    {
        return XrtDrawToClipboard(chart, format);
    }
    int drawChartToFile(XrtHandle chart, const std::string& path, int format) override
    {
        return XrtDrawToFile(chart, path.c_str(), format);
    }
};

class ChartOutputTest : public ::testing::Test
{
protected:
    ChartOutputTest() : window(kIstrel, std::make_unique<DrawingFrame>())
    {
        registerHarluneAutomation(registry);
        EXPECT_EQ(registry.CreateInstance("Harlune.SpecGraphSettings", settings), S_OK);
    }

    ClassRegistry registry;
    RecordingSink log;
    Window window;
    DispatchPtr settings;
};

TEST_F(ChartOutputTest, SaveAsBitmapWritesABitmapOrAnswersFalse)
{
    const std::filesystem::path folder = freshFolder("pictures");
    const std::string file = (folder / "chart.bmp").string();
    EXPECT_TRUE(asBool(call(*settings, "SaveAsBitmap", {Variant(file)})));
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(file), "BMP"));
    EXPECT_EQ(image.width(), 600);
    EXPECT_EQ(image.height(), 400);
    EXPECT_EQ(window.window.waitDepth, 0);
    EXPECT_EQ(window.window.waitCursors, 1);

    const std::string missing = (folder / "no such folder" / "chart.bmp").string();
    EXPECT_FALSE(asBool(call(*settings, "SaveAsBitmap", {Variant(missing)})));
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartOutputTest, CopyToClipboardPutsAnImageThere)
{
    QApplication::clipboard()->clear();
    EXPECT_TRUE(asBool(call(*settings, "CopyToClipboard")));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage());
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
    EXPECT_TRUE(log.sources.empty());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
