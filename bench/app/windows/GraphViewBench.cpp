// SetYData of 16 traces of 4096 points through the graph view with global repaint off, then
// one repaint drawn into a 1600 x 1000 image, against the same data set and drawn with the
// chart layer's own calls. The view should add little to the chart layer's figure.
#include "app/windows/HarluneGraphView.h"
#include "platform/chart/ChartRenderer.h"
#include "platform/chart/Xrt.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace platform::chart;

namespace {

constexpr int kTraces = 16;
constexpr int kPoints = 4096;
constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

class BenchHost : public GraphViewHost
{
public:
    int VerifyCommand(int) override { return 1; }
    void logException(const std::string&, const char*, int) override {}
    std::array<int, 2> chartClientSize() override { return {kWidth, kHeight}; }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&,
                                              const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<XrtColor> chooseColor(XrtColor) override { return std::nullopt; }
    int drawChartToFile(XrtHandle, const std::string&) override { return 0; }
    int drawChartToClipboard(XrtHandle) override { return 0; }
    int runAxisTextDialog(CHarluneGraphView&, int, const std::string&) override { return 2; }
    std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>&) override
    {
        return std::nullopt;
    }
    int runTraceDialog(CHarluneGraphView&) override { return 2; }
    std::optional<GraphGridDialogValues> showGridDialog(const GraphGridDialogValues&) override
    {
        return std::nullopt;
    }
    int runLegendDialog(CHarluneGraphView&) override { return 2; }
};

struct Data
{
    std::vector<double> x = std::vector<double>(kPoints);
    std::vector<std::vector<double>> y =
        std::vector<std::vector<double>>(kTraces, std::vector<double>(kPoints));
    Data()
    {
        for (int i = 0; i < kPoints; ++i)
            x[static_cast<std::size_t>(i)] = 200.0 + i * 0.2;
        for (int t = 0; t < kTraces; ++t)
            for (int i = 0; i < kPoints; ++i)
                y[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] =
                    500.0 + t * 150.0 + 60.0 * std::sin(i * 0.37 + t);
    }
    void next(int scan)
    {
        for (int t = 0; t < kTraces; ++t)
            y[static_cast<std::size_t>(t)][static_cast<std::size_t>(scan % kPoints)] += 1.0;
    }
};

void draw(XrtHandle chart, ChartRenderer& renderer, QImage& image)
{
    QPainter p(&image);
    renderer.draw(p, *xrtChart(chart));
    p.end();
    benchmark::DoNotOptimize(image.constBits());
}

void BM_ChartLayer(benchmark::State& state)
{
    Data d;
    XrtHandle chart = XrtCreate();
    xrtChart(chart)->setSizePx(kWidth, kHeight);
    useQtTextMetrics(*xrtChart(chart));
    XrtHandle data = XrtDataCreate(kXrtDataGeneral, kTraces, kPoints);
    for (int t = 0; t < kTraces; ++t)
        XrtDataSetXData(data, t, d.x.data(), kPoints, 0);
    XrtSetValues(chart, {{kXrtData, static_cast<int>(data)}});
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    ChartRenderer renderer;
    draw(chart, renderer, image);
    int scan = 0;
    for (auto _ : state) {
        d.next(++scan);
        XrtSetValues(chart, {{kXrtRepaint, 0}});
        for (int t = 0; t < kTraces; ++t)
            XrtDataSetYData(data, t, d.y[static_cast<std::size_t>(t)].data(), kPoints, 0);
        XrtSetValues(chart, {{kXrtData, static_cast<int>(data)}});
        XrtSetValues(chart, {{kXrtRepaint, 1}});
        draw(chart, renderer, image);
    }
    XrtDestroy(chart);
    XrtDataDestroy(data);
}
BENCHMARK(BM_ChartLayer)->Unit(benchmark::kMillisecond);

void BM_GraphView(benchmark::State& state)
{
    Data d;
    BenchHost host;
    XrtHandle chart = XrtCreate();
    xrtChart(chart)->setSizePx(kWidth, kHeight);
    useQtTextMetrics(*xrtChart(chart));
    {
        CHarluneGraphView view(host, chart);
        view.InitGraph(kTraces, kPoints);
        view.SetXData(0, d.x.data(), kPoints, true, 0);
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        ChartRenderer renderer;
        draw(chart, renderer, image);
        int scan = 0;
        for (auto _ : state) {
            d.next(++scan);
            view.SetGlobalRepaint(false);
            for (int t = 0; t < kTraces; ++t)
                view.SetYData(t, d.y[static_cast<std::size_t>(t)].data(), kPoints, 0);
            view.SetGlobalRepaint(true);
            draw(chart, renderer, image);
        }
    }
    XrtDestroy(chart);
}
BENCHMARK(BM_GraphView)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
