#include "platform/chart/XrtDraw.h"

#include "platform/chart/ChartRenderer.h"
#include "platform/chart/Xrt.h"
#include "platform/framework/CDC.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace platform::chart {

QImage renderChartImage(XrtChart& chart)
{
    useQtTextMetrics(chart);
    QImage image(std::max(1, chart.widthPx()), std::max(1, chart.heightPx()), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    ChartRenderer renderer;
    renderer.draw(painter, chart);
    painter.end();
    return image;
}

QByteArray renderChartSvg(XrtChart& chart)
{
    useQtTextMetrics(chart);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(chart.widthPx(), chart.heightPx()));
    svg.setViewBox(QRect(0, 0, chart.widthPx(), chart.heightPx()));
    QPainter painter(&svg);
    ChartRenderer renderer;
    renderer.draw(painter, chart);
    painter.end();
    return buffer.data();
}

int XrtDrawToDC(XrtHandle chart, QPainter* painter, int format, int scale, int left, int top,
                int width, int height)
{
    XrtChart* c = xrtChart(chart);
    if (!c || !painter || !painter->isActive() || width <= 0 || height <= 0 ||
        (format != kXrtDrawBitmap && format != kXrtDrawPicture))
        return 0;
    useQtTextMetrics(*c);
    QRectF target(left, top, width, height);
    if (scale != kXrtDrawScaleToFit)
        target.setSize(QSizeF(c->widthPx(), c->heightPx()));
    if (format == kXrtDrawBitmap) {
        painter->drawImage(target, renderChartImage(*c));
        return 1;
    }
    ChartRenderer renderer;
    renderer.draw(*painter, *c, target);
    return 1;
}

int XrtDrawToDC(XrtHandle chart, platform::framework::CDC* dc, int format, int scale, int left,
                int top, int width, int height)
{
    // The DC's device coordinates are its painter's coordinates.
    if (!dc)
        return 0;
    return XrtDrawToDC(chart, dc->painter(), format, scale, left, top, width, height);
}

int XrtDrawToClipboard(XrtHandle chart, int format)
{
    XrtChart* c = xrtChart(chart);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!c || !clipboard || (format != kXrtDrawBitmap && format != kXrtDrawPicture))
        return 0;
    auto mime = std::make_unique<QMimeData>();
    mime->setImageData(renderChartImage(*c));
    if (format == kXrtDrawPicture)
        mime->setData(QStringLiteral("image/svg+xml"), renderChartSvg(*c));
    clipboard->setMimeData(mime.release());
    return 1;
}

int XrtDrawToFile(XrtHandle chart, const char* path, int format)
{
    XrtChart* c = xrtChart(chart);
    if (!c || !path || !*path || format != kXrtDrawBitmap)
        return 0;
    QImage image = renderChartImage(*c);
    QSaveFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    if (!image.save(&file, "BMP"))
        return 0; // QSaveFile discards the temporary file
    return file.commit() ? 1 : 0;
}

} // namespace platform::chart
