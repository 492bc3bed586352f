// A label paint only copies the image prepared when the text or its look changed, so a short
// plain text and a long embossed text with depth should paint in about the same time; the step
// choice should not grow with the speed.
#include "toolkit/widgets/COXTextLabel.h"
#include "toolkit/widgets/TextLabelGeometry.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

struct Label
{
    QWidget parent;
    COXTextLabel* label = nullptr;

    Label(int depth, bool emboss, const std::string& text)
    {
        parent.resize(420, 60);
        label = new COXTextLabel(depth);
        label->Create("", COXTextLabel::WS_VISIBLE, {0, 0, 400, 40}, &parent, 1);
        if (emboss)
            label->SetEmboss(true, true, false, 0xFFFFFF, 0x808080);
        label->SetText(text);
    }
};

void BM_PaintShortPlain(benchmark::State& state)
{
    Label l(0, false, "Ready");
    for (auto _ : state)
        benchmark::DoNotOptimize(l.label->renderToImage());
}
BENCHMARK(BM_PaintShortPlain);

void BM_PaintLongEmbossedDepth20(benchmark::State& state)
{
    Label l(20, true, std::string(200, 'x'));
    for (auto _ : state)
        benchmark::DoNotOptimize(l.label->renderToImage());
}
BENCHMARK(BM_PaintLongEmbossedDepth20);

void BM_ChooseScrollStep(benchmark::State& state)
{
    const auto speed = static_cast<int32_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(toolkit::widgets::textlabel::chooseScrollStep(speed, 10));
}
BENCHMARK(BM_ChooseScrollStep)->Arg(100)->Arg(10000000);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
