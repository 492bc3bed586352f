// Full redraws of a live spectrum chart: 16 traces of 4096 points, grid, legend and 20
// text areas, into a 1600 x 1000 image. "Warm" reuses the renderer's caches as the chart
// window does between scans (/0 as the window draws, /1 on one thread); "Cold" starts
// without them. With Qt Charts installed the same
// picture is drawn with it, and the ratio of the two warm figures is printed at the end.
#include "platform/chart/ChartRenderer.h"
#include "platform/chart/Xrt.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#ifdef HARLUNE_HAVE_QT_CHARTS
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#endif

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace platform::chart;

namespace {

constexpr int kSets = 16;
constexpr int kPoints = 4096;
constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

// One scan's worth of data: noisy peaks on a slope, a new phase per scan.
void fillScan(std::vector<std::vector<double>>& y, int scan)
{
    for (int set = 0; set < kSets; ++set)
        for (int i = 0; i < kPoints; ++i)
            y[set][i] = 500.0 + set * 150.0 +
                        2500.0 * std::exp(-std::pow((i - 256.0 * (set + 0.5)) / 60.0, 2)) +
                        60.0 * std::sin(i * 0.37 + scan + set) + ((i * 7919 + scan) % 97);
}

struct LiveChart
{
    XrtHandle chart = XrtCreate();
    XrtHandle data = XrtDataCreate(kXrtDataGeneral, kSets, kPoints);
    std::vector<double> x = std::vector<double>(kPoints);
    std::vector<std::vector<double>> y =
        std::vector<std::vector<double>>(kSets, std::vector<double>(kPoints));
    int scan = 0;

    LiveChart()
    {
        XrtChart* c = xrtChart(chart);
        c->setSizePx(kWidth, kHeight);
        useQtTextMetrics(*c);
        for (int i = 0; i < kPoints; ++i)
            x[i] = 200.0 + i * 0.2;
        fillScan(y, 0);
        std::vector<std::string> labels;
        for (int set = 0; set < kSets; ++set) {
            XrtDataSetXData(data, set, x.data(), kPoints, 0);
            XrtDataSetYData(data, set, y[set].data(), kPoints, 0);
            labels.push_back(set < 8 ? (set == 0 ? "Master" : "Slave " + std::to_string(set))
                                     : "Overlay " + std::to_string(set - 7));
        }
        XrtDataStyle grid;
        grid.linePattern = kXrtLineDotted;
        grid.lineColor = xrtRgb(170, 170, 170);
        XrtSetValues(chart, {{kXrtData, static_cast<int>(data)},
                             {kXrtLegendLabels, labels},
                             {kXrtHorizontalGridStyle, grid},
                             {kXrtVerticalGridStyle, grid},
                             {kXrtXAxisTitle, "Wavelength (nm)"},
                             {kXrtYAxisTitle, "Intensity (counts)"},
                             {kXrtHeaderStrings, std::vector<std::string>{"Live"}},
                             {kXrtXMin, 200.0},
                             {kXrtXMax, 200.0 + 0.2 * (kPoints - 1)},
                             {kXrtYMin, 0.0},
                             {kXrtYMax, 6000.0}});
        for (int i = 0; i < 20; ++i) {
            XrtHandle area = XrtTextAreaCreate(chart);
            XrtTextAreaSetValues(
                area, {{kXrtTextAreaX, 250.0 + i * 38.0},
                       {kXrtTextAreaY, 5000.0 - i * 100.0},
                       {kXrtTextAreaStrings, std::vector<std::string>{"Note " + std::to_string(i)}},
                       {kXrtTextAreaColor, xrtRgb(0, 0, 128)}});
        }
    }
    ~LiveChart()
    {
        XrtDestroy(chart);
        XrtDataDestroy(data);
    }

    // A new scan arrives: the data change, the axes do not.
    void nextScan()
    {
        ++scan;
        for (int set = 0; set < kSets; ++set) {
            y[set][static_cast<std::size_t>(scan % kPoints)] += 1.0;
            XrtDataSetYData(data, set, y[set].data(), kPoints, 0);
        }
    }
};

// The argument is the renderer's thread setting: 0 lets it draw on as many threads as there
// are processors (up to 4); 1 draws on this thread alone.
void BM_RedrawWarm(benchmark::State& state)
{
    LiveChart live;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    ChartRenderer renderer;
    renderer.setThreads(static_cast<int>(state.range(0)));
    {
        QPainter p(&image);
        renderer.draw(p, *xrtChart(live.chart));
    }
    for (auto _ : state) {
        live.nextScan();
        QPainter p(&image);
        renderer.draw(p, *xrtChart(live.chart));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RedrawWarm)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RedrawCold(benchmark::State& state)
{
    LiveChart live;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        live.nextScan();
        ChartRenderer renderer;
        QPainter p(&image);
        renderer.draw(p, *xrtChart(live.chart));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RedrawCold)->Unit(benchmark::kMillisecond);

void BM_RedrawWithoutSpans(benchmark::State& state)
{
    LiveChart live;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    ChartRenderer renderer;
    renderer.setFastTraces(false);
    for (auto _ : state) {
        live.nextScan();
        QPainter p(&image);
        renderer.draw(p, *xrtChart(live.chart));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RedrawWithoutSpans)->Unit(benchmark::kMillisecond);

#ifdef HARLUNE_HAVE_QT_CHARTS
void BM_QtChartsRedraw(benchmark::State& state)
{
    std::vector<std::vector<double>> y(kSets, std::vector<double>(kPoints));
    fillScan(y, 0);
    QGraphicsScene scene;
    auto* chart = new QChart();
    scene.addItem(chart);
    chart->setGeometry(0, 0, kWidth, kHeight);
    chart->setTitle("Live");
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* ax = new QValueAxis();
    auto* ay = new QValueAxis();
    ax->setRange(200.0, 200.0 + 0.2 * (kPoints - 1));
    ay->setRange(0.0, 6000.0);
    ax->setTitleText("Wavelength (nm)");
    ay->setTitleText("Intensity (counts)");
    ax->setGridLinePen(QPen(QColor(170, 170, 170), 0, Qt::DotLine));
    ay->setGridLinePen(QPen(QColor(170, 170, 170), 0, Qt::DotLine));
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    chart->legend()->setAlignment(Qt::AlignRight);
    std::vector<QLineSeries*> series;
    QList<QPointF> points(kPoints);
    for (int set = 0; set < kSets; ++set) {
        auto* s = new QLineSeries();
        for (int i = 0; i < kPoints; ++i)
            points[i] = QPointF(200.0 + i * 0.2, y[set][i]);
        s->replace(points);
        s->setName(QString("Trace %1").arg(set));
        chart->addSeries(s);
        s->attachAxis(ax);
        s->attachAxis(ay);
        series.push_back(s);
    }
    for (int i = 0; i < 20; ++i) {
        auto* text = new QGraphicsSimpleTextItem(QString("Note %1").arg(i), chart);
        text->setPos(chart->mapToPosition(QPointF(250.0 + i * 38.0, 5000.0 - i * 100.0)));
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    int scan = 0;
    for (auto _ : state) {
        ++scan;
        for (int set = 0; set < kSets; ++set) {
            y[set][static_cast<std::size_t>(scan % kPoints)] += 1.0;
            for (int i = 0; i < kPoints; ++i)
                points[i] = QPointF(200.0 + i * 0.2, y[set][i]);
            series[static_cast<std::size_t>(set)]->replace(points);
        }
        QPainter p(&image);
        scene.render(&p, QRectF(0, 0, kWidth, kHeight), QRectF(0, 0, kWidth, kHeight));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_QtChartsRedraw)->Unit(benchmark::kMillisecond);
#endif

// Keeps each benchmark's real time per iteration for the ratio printed at the end.
class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                seconds[r.benchmark_name()] = r.real_accumulated_time / r.iterations;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto theirs = reporter.seconds.find("BM_QtChartsRedraw");
    for (const char* which : {"BM_RedrawWarm/0", "BM_RedrawWarm/1"}) {
        auto ours = reporter.seconds.find(which);
        if (ours != reporter.seconds.end() && theirs != reporter.seconds.end() && ours->second > 0)
            std::printf("Qt Charts redraw / our warm redraw (%s): %.1f times\n", which,
                        theirs->second / ours->second);
    }
    benchmark::Shutdown();
    return 0;
}
