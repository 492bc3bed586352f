#include "gridctrl/widgets/GridTabBar.h"

#include "gridctrl/model/GridSystem.h"
#include "gridctrl/model/GridTabGeometry.h"
#include "gridctrl/widgets/GridQtResources.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace gridctrl::widgets {

namespace {

constexpr int kMetricHScrollArrowWidth = 21;
constexpr int kTabBarColorBtnShadow = 16;

QColor tabBarQColor(model::COLORREF c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace

CGridTabBar::CGridTabBar(model::CGridControl& control, QWidget* parent)
    : QWidget(parent), m_control(control)
{
    setMouseTracking(true);
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPixelSize(14);
    m_font.setWeight(QFont::Medium);
    m_arrows = new QScrollBar(Qt::Horizontal, this);
    m_arrows->setObjectName(QStringLiteral("tabArrows"));
    m_arrows->setRange(0, 2);
    m_arrows->setValue(1);
    m_arrows->setPageStep(1);
    connect(m_arrows, &QAbstractSlider::actionTriggered, this,
            [this](int action) { onArrow(action); });
    // The control's own tab list may already hold tabs: they move here.
    if (const auto* own = dynamic_cast<const model::GridTabList*>(&control.tabBar())) {
        for (const auto& tab : own->tabs()) {
            m_tabs.AddTab(tab.label, tab.id);
            m_tabs.SetTabBackColor(tab.id, tab.backColor);
            m_tabs.SetTabTextColor(tab.id, tab.textColor);
        }
        if (own->GetCurrentTab() >= 0) {
            m_tabs.SetCurrentTab(own->tabs()[static_cast<std::size_t>(own->GetCurrentTab())].id);
        }
    }
}

int CGridTabBar::scrollBarWidth() const
{
    const int metric = model::gridSystem().systemMetric(kMetricHScrollArrowWidth);
    return 2 * (metric > 0 ? metric : 17);
}

std::vector<int> CGridTabBar::tabWidths() const
{
    const QFontMetrics metrics(m_font);
    std::vector<int> widths;
    widths.reserve(m_tabs.tabs().size());
    for (const auto& tab : m_tabs.tabs()) {
        widths.push_back(
            model::tabWidthFor(metrics.horizontalAdvance(QString::fromStdString(tab.label))));
    }
    return widths;
}

void CGridTabBar::recomputeLargest()
{
    m_largest = model::largestTabOffset(scrollBarWidth(), width(), tabWidths());
    m_offset = std::clamp(m_offset, 0, m_largest);
}

int CGridTabBar::AddTab(std::string_view label, long id)
{
    if (m_tabs.AddTab(label, id) != 0) {
        return 1;
    }
    recomputeLargest();
    Update();
    return 0;
}

int CGridTabBar::InsertTab(int position, std::string_view label, long id)
{
    if (m_tabs.InsertTab(position, label, id) != 0) {
        return 1;
    }
    recomputeLargest();
    Update();
    return 0;
}

int CGridTabBar::DeleteTab(long id)
{
    if (m_tabs.DeleteTab(id) != 0) {
        return 1;
    }
    recomputeLargest();
    Update();
    return 0;
}

int CGridTabBar::SetTabLabel(int position, std::string_view label)
{
    if (m_tabs.SetTabLabel(position, label) != 0) {
        return 1;
    }
    recomputeLargest();
    Update();
    return 0;
}

int CGridTabBar::SetCurrentTab(long id)
{
    if (m_tabs.SetCurrentTab(id) != 0) {
        return 1;
    }
    const std::vector<int> widths = tabWidths();
    m_offset = model::scrollTabIntoView(m_offset, widths, static_cast<int>(GetCurrentTab()),
                                        width(), m_largest);
    Update();
    return 0;
}

int CGridTabBar::SetTabBackColor(long id, model::COLORREF colour)
{
    const int result = m_tabs.SetTabBackColor(id, colour);
    Update();
    return result;
}

int CGridTabBar::SetTabTextColor(long id, model::COLORREF colour)
{
    const int result = m_tabs.SetTabTextColor(id, colour);
    Update();
    return result;
}

void CGridTabBar::Update()
{
    update();
}

int CGridTabBar::tabAtX(int x) const
{
    if (x < scrollBarWidth()) {
        return -1; // under the arrow buttons
    }
    return model::tabAt(x, scrollBarWidth(), m_offset, tabWidths(),
                        static_cast<int>(GetCurrentTab()));
}

void CGridTabBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_arrows->setGeometry(0, 0, scrollBarWidth(), height());
    recomputeLargest();
}

void CGridTabBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const model::GridSystem& system = model::gridSystem();
    painter.fillRect(rect(), tabBarQColor(system.sysColor(model::kColorBtnFace)));
    painter.setFont(m_font);
    painter.setClipRect(QRect(scrollBarWidth(), 0, width() - scrollBarWidth(), height()));
    const std::vector<int> widths = tabWidths();
    const int current = static_cast<int>(GetCurrentTab());
    const int h = height() - 1;
    auto drawTab = [&](int i) {
        const auto& tab = m_tabs.tabs()[static_cast<std::size_t>(i)];
        const int w = widths[static_cast<std::size_t>(i)];
        const int left = model::tabLeft(scrollBarWidth(), m_offset, widths, i);
        if (left > width() || left + w + 9 < scrollBarWidth()) {
            return;
        }
        QPolygon shape;
        for (const model::GridPoint& p : model::tabTrapezoid(left, w, h)) {
            shape << QPoint(p.x, p.y);
        }
        painter.setPen(Qt::black);
        painter.setBrush(i == current ? QColor(Qt::white) : tabBarQColor(tab.backColor));
        painter.drawPolygon(shape);
        if (i == current) {
            painter.setPen(Qt::white);
            painter.drawLine(left + 1, 0, left + w + 8, 0);
        }
        painter.setPen(tabBarQColor(tab.textColor));
        painter.drawText(QRect(left + 10, 1, w, h), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(tab.label));
    };
    for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
        if (i != current) {
            drawTab(i);
        }
    }
    if (current >= 0 && current < static_cast<int>(widths.size())) {
        drawTab(current);
    }
    painter.setClipping(false);
    // The sizing edge at the right end.
    const int r = width() - 1;
    painter.setPen(Qt::black);
    painter.drawLine(r, 0, r, height());
    painter.setPen(tabBarQColor(system.sysColor(kTabBarColorBtnShadow)));
    painter.drawLine(r - 1, 0, r - 1, height());
    painter.setPen(tabBarQColor(system.sysColor(model::kColorBtnFace)));
    painter.drawLine(r - 2, 0, r - 2, height());
}

void CGridTabBar::onArrow(int action)
{
    if (action == QAbstractSlider::SliderSingleStepSub ||
        action == QAbstractSlider::SliderPageStepSub) {
        if (m_offset >= 1) {
            m_offset = std::max(0, m_offset - 5);
        }
    } else if (action == QAbstractSlider::SliderSingleStepAdd ||
               action == QAbstractSlider::SliderPageStepAdd) {
        if (m_offset < m_largest - 5) {
            m_offset += 5;
        }
    }
    m_arrows->setSliderPosition(1); // the arrows only: the bar keeps no position
    Update();
}

void CGridTabBar::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && p.x() >= width() - kSizingEdge) {
        m_sizing = true;
        return;
    }
    const int index = tabAtX(p.x());
    if (event->button() == Qt::RightButton) {
        const QPoint global = mapToGlobal(p);
        m_control.ShowPopupMenu(index, 0, {global.x(), global.y()}, model::kSectionTabBar);
        return;
    }
    if (event->button() != Qt::LeftButton || index < 0) {
        return;
    }
    const long id = m_tabs.tabs()[static_cast<std::size_t>(index)].id;
    m_tabs.SetCurrentTab(id);
    // Start at least 5 pixels right of the arrows, end at least 19 left of the right edge.
    const std::vector<int> widths = tabWidths();
    const int left = model::tabLeft(scrollBarWidth(), m_offset, widths, index);
    const int right = left + widths[static_cast<std::size_t>(index)];
    if (left < scrollBarWidth() + 5) {
        m_offset -= scrollBarWidth() + 5 - left;
    } else if (right > width() - 19) {
        m_offset += right - (width() - 19);
    }
    m_offset = std::clamp(m_offset, 0, std::max(m_largest, 0));
    Update();
    m_control.OnTabSelected(id);
}

void CGridTabBar::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_sizing) {
        model::CGridSheetState& sheet = *m_control.currentSheet();
        sheet.m_tabBarWidth = std::clamp(mapToParent(p).x(), kMinWidth, 1 << 16);
        m_control.AdjustComponentSizes();
        return;
    }
    m_overEdge = p.x() >= width() - kSizingEdge;
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    setCursor(gridQCursor(m_overEdge ? sheet.m_colSizingCursor : sheet.m_normalCursor));
}

void CGridTabBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_sizing = false;
    }
}

} // namespace gridctrl::widgets
