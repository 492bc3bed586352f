#include "platform/chart/Chart2D.h"

#include "platform/chart/Xrt.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace platform::chart {

CChart2D::CChart2D(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] { update(); });
}

CChart2D::~CChart2D()
{
    if (m_chart != 0) {
        XrtAttachWindow(m_chart, nullptr);
        XrtDestroy(m_chart);
    }
}

bool CChart2D::Create(const char* windowName, std::uint32_t style, const QRect& rect,
                      QWidget* parent, unsigned id)
{
    if (!parent)
        return false;
    setParent(parent);
    setWindowTitle(QString::fromUtf8(windowName ? windowName : ""));
    setGeometry(rect);
    m_id = id;
    if (style & kStyleVisible)
        show();
    XrtHandle chart = XrtCreate();
    if (chart == 0)
        return false;
    XrtChart* model = xrtChart(chart);
    useQtTextMetrics(*model);
    model->setSizePx(width(), height());
    XrtAttachWindow(chart, this);
    m_chart = chart;
    return true;
}

void CChart2D::chartChanged()
{
    // Coalesce to the display's frame rate: live scans may change the chart far more often
    // than a screen can show.
    if (m_updatePending || m_frameTimer.isActive())
        return;
    double hz = screen() ? screen()->refreshRate() : 60.0;
    if (!(hz >= 10.0 && hz <= 500.0))
        hz = 60.0;
    qint64 frameMs = static_cast<qint64>(std::ceil(1000.0 / hz));
    qint64 elapsed = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : frameMs;
    if (elapsed >= frameMs) {
        m_updatePending = true;
        update();
    } else {
        m_frameTimer.start(static_cast<int>(frameMs - elapsed));
    }
}

bool CChart2D::chartWindowSize(int& w, int& h) const
{
    // The geometry is current even while the window is hidden and its resize event waits.
    w = width();
    h = height();
    return true;
}

void CChart2D::paintEvent(QPaintEvent*)
{
    m_updatePending = false;
    m_sinceFrame.start();
    ++m_paintCount;
    QPainter painter(this);
    XrtChart* model = xrtChart(m_chart);
    if (!model) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    qreal dpr = devicePixelRatioF();
    QSize device(static_cast<int>(std::ceil(width() * dpr)),
                 static_cast<int>(std::ceil(height() * dpr)));
    if (m_backBuffer.size() != device) {
        m_backBuffer = QImage(device, QImage::Format_RGB32);
        m_backBuffer.setDevicePixelRatio(dpr);
    }
    QPainter back(&m_backBuffer);
    m_renderer.draw(back, *model);
    back.end();
    painter.drawImage(QPoint(0, 0), m_backBuffer);
}

void CChart2D::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (XrtChart* model = xrtChart(m_chart))
        model->setSizePx(width(), height());
}

} // namespace platform::chart
