#include "toolkit/widgets/BitmapLoader.h"

#include <QString>

namespace toolkit::widgets {

namespace {

BitmapSource& source()
{
    static BitmapSource instance;
    return instance;
}

} // namespace

void setBitmapSource(BitmapSource replacement)
{
    source() = std::move(replacement);
}

QImage loadBitmapResource(unsigned resourceId)
{
    if (const BitmapSource& custom = source())
        return custom(resourceId);
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(resourceId));
}

} // namespace toolkit::widgets
