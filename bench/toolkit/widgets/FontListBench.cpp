// The font list filled from a source of 2,000 faces (a chart dialog opens with one), and one
// screenful (30 items) of it painted.
#include "toolkit/widgets/COXFontListBox.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::vector<COXFontListBox::FontFace> manyFaces()
{
    std::vector<COXFontListBox::FontFace> faces(2000);
    for (std::size_t i = 0; i < faces.size(); ++i) {
        platform::qt::setFaceName(faces[i].logFont, "Face " + std::to_string(i * 7919 % 2000));
        faces[i].fontType = COXFontListBox::TRUETYPE_FONTTYPE;
    }
    return faces;
}

void BM_FillFrom2000Faces(benchmark::State& state)
{
    const auto faces = manyFaces();
    COXFontListBox::setFontSource([&faces] { return faces; });
    COXFontListBox box;
    for (auto _ : state)
        box.Initialize();
    COXFontListBox::setFontSource({});
}
BENCHMARK(BM_FillFrom2000Faces)->Unit(benchmark::kMillisecond);

void BM_PaintScreenful(benchmark::State& state)
{
    const auto faces = manyFaces();
    COXFontListBox::setFontSource([&faces] { return faces; });
    COXFontListBox box;
    box.Initialize();
    const QSize item = box.itemSize(0);
    QImage image(300, item.height() * 30, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        for (int i = 0; i < 30; ++i)
            box.paintItem(painter, i, QRect(0, i * item.height(), 300, item.height()), i == 3,
                          false);
    }
    COXFontListBox::setFontSource({});
}
BENCHMARK(BM_PaintScreenful)->Unit(benchmark::kMillisecond);

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
