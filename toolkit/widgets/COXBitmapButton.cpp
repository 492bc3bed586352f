#include "toolkit/widgets/COXBitmapButton.h"

#include <QBitmap>
#include <QIcon>
#include <QPixmap>

namespace {

COXBitmapButton::BitmapSource& bitmapSource()
{
    static COXBitmapButton::BitmapSource source;
    return source;
}

} // namespace

void COXBitmapButton::setBitmapSource(BitmapSource source)
{
    bitmapSource() = std::move(source);
}

QImage COXBitmapButton::loadBitmapResource(unsigned resourceId)
{
    if (const BitmapSource& source = bitmapSource())
        return source(resourceId);
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(resourceId));
}

COXBitmapButton::COXBitmapButton(QWidget* parent) : QPushButton(parent) {}

void COXBitmapButton::SetWindowText(const std::string& text)
{
    m_windowText = text;
    const QString all = QString::fromStdString(text);
    setText(all.section(QLatin1Char('\n'), 0, 0));
    applyToolTip();
}

bool COXBitmapButton::LoadBitmap(unsigned resourceId, bool resize,
                                 platform::framework::COLORREF mask)
{
    setIcon(QIcon());
    const QImage image = loadBitmapResource(resourceId);
    if (image.isNull())
        return false;
    QPixmap pixmap = QPixmap::fromImage(image);
    if (mask != CLR_NONE) {
        const QColor maskColor(static_cast<int>(platform::framework::GetRValue(mask)),
                               static_cast<int>(platform::framework::GetGValue(mask)),
                               static_cast<int>(platform::framework::GetBValue(mask)));
        pixmap.setMask(pixmap.createMaskFromColor(maskColor, Qt::MaskInColor));
    }
    setIcon(QIcon(pixmap));
    setIconSize(pixmap.size());
    if (resize)
        this->resize(sizeHint());
    return true;
}

void COXBitmapButton::EnableToolTip(bool enable)
{
    m_toolTipEnabled = enable;
    applyToolTip();
}

void COXBitmapButton::applyToolTip()
{
    const QString tip = QString::fromStdString(m_windowText).section(QLatin1Char('\n'), 1, 1);
    setToolTip(m_toolTipEnabled ? tip : QString());
}

void COXBitmapButton::SetFlatLook(bool flat)
{
    if (flat != isFlat()) {
        setFlat(flat);
        update();
    }
}
