#include "toolkit/widgets/BitmapLoader.h"

#include <QString>

namespace toolkit::widgets {

namespace {

BitmapSource& bitmapSource()
{
    static BitmapSource instance;
    return instance;
}

AnimationSource& animations()
{
    static AnimationSource instance;
    return instance;
}

} // namespace

void setBitmapSource(BitmapSource replacement)
{
    bitmapSource() = std::move(replacement);
}

QImage loadBitmapResource(unsigned resourceId)
{
    if (const BitmapSource& custom = bitmapSource())
        return custom(resourceId);
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(resourceId));
}

QImage loadHighDensityBitmapResource(unsigned resourceId)
{
    if (bitmapSource())
        return QImage();
    QImage image(QStringLiteral(":/bitmaps/%1@2x.png").arg(resourceId));
    if (!image.isNull())
        image.setDevicePixelRatio(2.0);
    return image;
}

void setAnimationSource(AnimationSource replacement)
{
    animations() = std::move(replacement);
}

QString animationResourcePath(unsigned resourceId, const QString& name)
{
    if (const AnimationSource& custom = animations())
        return custom(resourceId, name);
    return QStringLiteral(":/animations/%1.gif")
        .arg(name.isEmpty() ? QString::number(resourceId) : name);
}

std::optional<QCursor> loadCursorResource(unsigned resourceId)
{
    switch (resourceId) {
    case kHyperlinkCursorId:
        return QCursor(Qt::PointingHandCursor);
    case kHyperlinkDisabledCursorId:
        return QCursor(Qt::ForbiddenCursor);
    default:
        return std::nullopt;
    }
}

} // namespace toolkit::widgets
