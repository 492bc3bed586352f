#include "gridctrl/widgets/GridQtResources.h"

#include "gridctrl/model/GridControl.h"

#include <QPixmap>
#include <QString>

#include <cstdint>
#include <vector>

namespace gridctrl::widgets {

QCursor gridQCursor(const model::GridCursor& cursor)
{
    if (cursor.hasPicture()) {
        QImage image(cursor.width, cursor.height, QImage::Format_ARGB32);
        for (int y = 0; y < cursor.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < cursor.width; ++x) {
                line[x] = cursor.pixels[static_cast<std::size_t>(y) *
                                            static_cast<std::size_t>(cursor.width) +
                                        static_cast<std::size_t>(x)];
            }
        }
        return QCursor(QPixmap::fromImage(image), cursor.hotX, cursor.hotY);
    }
    switch (cursor.shape) {
    case model::GridCursorShape::SizeWestEast:
        return QCursor(Qt::SizeHorCursor);
    case model::GridCursorShape::SizeNorthSouth:
        return QCursor(Qt::SizeVerCursor);
    case model::GridCursorShape::Cross:
        return QCursor(Qt::CrossCursor);
    case model::GridCursorShape::PointingHand:
        return QCursor(Qt::PointingHandCursor);
    case model::GridCursorShape::Wait:
        return QCursor(Qt::WaitCursor);
    case model::GridCursorShape::Arrow:
        break;
    }
    return QCursor(Qt::ArrowCursor);
}

std::optional<model::GridBitmap> gridBitmapOf(const QImage& image)
{
    if (image.isNull()) {
        return std::nullopt;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(argb.width()) *
                   static_cast<std::size_t>(argb.height()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        pixels.insert(pixels.end(), line, line + argb.width());
    }
    return model::GridBitmap(argb.width(), argb.height(), std::move(pixels));
}

std::optional<model::GridBitmap> qtBitmapResource(unsigned resourceId, std::string_view name)
{
    const QString base = name.empty()
                             ? QString::number(resourceId)
                             : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return gridBitmapOf(QImage(QStringLiteral(":/bitmaps/%1.png").arg(base)));
}

void installQtBitmapResources()
{
    static bool installed = false;
    if (!installed) {
        installed = true;
        if (!model::CGridControl::hasBitmapResources()) {
            model::CGridControl::setBitmapResources(qtBitmapResource);
        }
    }
}

} // namespace gridctrl::widgets
