#include "toolkit/widgets/COXTipWindow.h"

#include "toolkit/widgets/SystemColors.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

namespace fw = platform::framework;
using toolkit::widgets::GetSysColor;
using toolkit::widgets::toQColor;

namespace {

// The text layout of the tip: word breaks and expanded tabs, no prefix characters.
constexpr int kTextFlags = Qt::TextWordWrap | Qt::TextExpandTabs;
// A text is measured and drawn whole up to this many characters; the rest is not shown.
constexpr qsizetype kLongestText = 65536;

bool sameFont(const platform::qt::LOGFONT& a, const platform::qt::LOGFONT& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfWeight == b.lfWeight &&
           a.lfCharSet == b.lfCharSet && platform::qt::faceName(a) == platform::qt::faceName(b);
}

QString shownString(const std::string& text)
{
    return QString::fromStdString(text).left(kLongestText);
}

} // namespace

COXTipWindow::COXTipWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

COXTipWindow::~COXTipWindow()
{
    if (m_pOwner)
        m_pOwner->removeEventFilter(this);
}

bool COXTipWindow::Create(QWidget* owner)
{
    if (owner == nullptr || m_handle)
        return false;
    m_pOwner = owner;
    m_handle = std::make_unique<fw::WindowHandle>(
        [this](unsigned message, uintptr_t wParam, intptr_t) -> intptr_t {
            if (message == fw::kTimerMessage)
                onTimer(static_cast<unsigned>(wParam));
            return 0;
        });
    takeSystemFont();
    owner->installEventFilter(this);
    resize(10, 10);
    return true;
}

void COXTipWindow::takeSystemFont()
{
    m_font = QToolTip::font();
    m_logFont = platform::qt::logFontFromFont(m_font);
    m_bSystemFont = true;
}

bool COXTipWindow::AddTool(QWidget* tool, const std::string& text, std::optional<QRect> rect,
                           uint32_t id, bool callback)
{
    if (tool == nullptr)
        return false;
    Tool item;
    item.window = tool;
    item.id = id;
    item.textKind = callback ? -1 : 0;
    item.text = callback ? std::string() : text;
    item.maxWidth = m_nMaxTipWidth;
    item.textColour = m_clrDefaultText;
    item.bkColour = m_clrDefaultBk;
    const QRect inTool = rect ? *rect : tool->rect();
    if (m_pOwner)
        item.rect =
            QRect(m_pOwner->mapFromGlobal(tool->mapToGlobal(inTool.topLeft())), inTool.size());
    else
        item.rect = inTool;
    m_tools.push_back(std::move(item));
    return true;
}

void COXTipWindow::RemoveTool(QWidget* tool, uint32_t id)
{
    for (int i = static_cast<int>(m_tools.size()) - 1; i >= 0; --i) {
        if (m_tools[static_cast<std::size_t>(i)].window != tool ||
            m_tools[static_cast<std::size_t>(i)].id != id)
            continue;
        m_tools.erase(m_tools.begin() + i);
        if (m_current == i) {
            Hide();
            m_current = -1;
            if (m_handle) {
                m_handle->KillTimer(kInitialTimer);
                m_handle->KillTimer(kCheckTimer);
            }
        } else if (m_current > i) {
            --m_current;
        }
    }
}

void COXTipWindow::SetMargins(fw::RECT margins)
{
    const auto bounded = [](int32_t v) { return std::clamp(v, 0, 1000); };
    m_rcMargins = {bounded(margins.left), bounded(margins.top), bounded(margins.right),
                   bounded(margins.bottom)};
}

void COXTipWindow::SetDelayTime(int which, int32_t ms)
{
    const int32_t bounded = std::max(ms, 0);
    if (which == TTDT_AUTOPOP)
        m_nAutoPopTime = bounded;
    else if (which == TTDT_INITIAL)
        m_nInitialTime = bounded;
}

int32_t COXTipWindow::GetDelayTime(int which) const
{
    if (which == TTDT_AUTOPOP)
        return m_nAutoPopTime;
    if (which == TTDT_INITIAL)
        return m_nInitialTime;
    return 0;
}

int32_t COXTipWindow::SetMaxTipWidth(int32_t width)
{
    const int32_t old = m_nMaxTipWidth;
    for (Tool& tool : m_tools)
        if (tool.maxWidth == old)
            tool.maxWidth = width;
    m_nMaxTipWidth = width;
    return old;
}

COXTipWindow::COLORREF COXTipWindow::SetTipBkColor(COLORREF color)
{
    const COLORREF old = m_clrDefaultBk;
    for (Tool& tool : m_tools)
        if (tool.bkColour == old)
            tool.bkColour = color;
    m_clrDefaultBk = color;
    return old;
}

COXTipWindow::COLORREF COXTipWindow::SetTipTextColor(COLORREF color)
{
    const COLORREF old = m_clrDefaultText;
    for (Tool& tool : m_tools)
        if (tool.textColour == old)
            tool.textColour = color;
    m_clrDefaultText = color;
    return old;
}

void COXTipWindow::fillInfo(const Tool& tool, TOOLINFO& info) const
{
    info.cbSize = 56;
    info.uFlags = tool.flags;
    info.hwnd = tool.window;
    info.uId = tool.id;
    info.rect = tool.rect;
    info.textCallback = tool.textKind == -1;
    info.lpszText = tool.text;
    info.lParam = tool.userValue;
    info.nMaxWidth = tool.maxWidth;
    info.clrText = tool.textColour;
    info.clrBackground = tool.bkColour;
}

int COXTipWindow::findTool(QWidget* window, uint32_t id) const
{
    for (std::size_t i = 0; i < m_tools.size(); ++i)
        if (m_tools[i].window == window && m_tools[i].id == id)
            return static_cast<int>(i);
    return -1;
}

bool COXTipWindow::GetToolInfo(TOOLINFO& info, QWidget* tool, uint32_t id) const
{
    const int index = findTool(tool, id);
    if (index < 0)
        return false;
    fillInfo(m_tools[static_cast<std::size_t>(index)], info);
    return true;
}

bool COXTipWindow::SetToolInfo(const TOOLINFO& info)
{
    const int index = findTool(info.hwnd, info.uId);
    if (index < 0)
        return false;
    Tool& tool = m_tools[static_cast<std::size_t>(index)];
    tool.rect = info.rect;
    tool.textKind = info.textCallback ? -1 : 0;
    tool.text = info.textCallback ? std::string() : info.lpszText;
    tool.userValue = info.lParam;
    tool.maxWidth = info.nMaxWidth;
    tool.textColour = info.clrText;
    tool.bkColour = info.clrBackground;
    return true;
}

QWidget* COXTipWindow::windowAt(QPoint global) const
{
    if (m_windowAt)
        return m_windowAt(global);
    return QApplication::widgetAt(global);
}

QRect COXTipWindow::screenAt(QPoint global) const
{
    if (m_screenAt)
        return m_screenAt(global);
    QScreen* screen = QGuiApplication::screenAt(global);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QPoint COXTipWindow::cursorPos() const
{
    return m_cursor ? m_cursor() : QCursor::pos();
}

QWidget* COXTipWindow::currentToolWindow() const
{
    return m_current >= 0 ? m_tools[static_cast<std::size_t>(m_current)].window.data() : nullptr;
}

bool COXTipWindow::HitTest(QWidget* window, int x, int y, TOOLINFO* info) const
{
    if (window == nullptr || !m_pOwner)
        return false;
    const QPoint point(x, y);
    for (const Tool& tool : m_tools) {
        const bool mine = tool.window == window;
        const bool parents = tool.window != nullptr && window->parentWidget() == tool.window &&
                             tool.rect.contains(point);
        if (!mine && !parents)
            continue;
        if (info != nullptr)
            fillInfo(tool, *info);
        QWidget* under = windowAt(m_pOwner->mapToGlobal(point));
        const bool over = under != nullptr && tool.window != nullptr &&
                          (under == tool.window || tool.window->isAncestorOf(under));
        return over && tool.rect.contains(point);
    }
    return false;
}

int COXTipWindow::ToolFromPoint(QPoint global) const
{
    if (!m_pOwner)
        return -1;
    QWidget* under = windowAt(global);
    if (under == nullptr || (under != m_pOwner && !m_pOwner->isAncestorOf(under)))
        return -1;
    const QPoint point = m_pOwner->mapFromGlobal(global);
    TOOLINFO info;
    if (!HitTest(under, point.x(), point.y(), &info))
        return -1;
    return findTool(info.hwnd, info.uId);
}

void COXTipWindow::RelayEvent(QEvent::Type type, Qt::MouseButton button, QPoint global)
{
    switch (type) {
    case QEvent::MouseMove: {
        const int tool = ToolFromPoint(global);
        if (tool >= 0) {
            if (tool == m_current)
                return;
            if (isVisible() && geometry().contains(global))
                return;
            StartTool(tool);
        } else if (m_bHidden) {
            m_current = -1;
        }
        return;
    }
    case QEvent::MouseButtonPress:
        if (button == Qt::LeftButton) {
            if (!(isVisible() && geometry().contains(global)))
                Hide();
            return;
        }
        Hide();
        return;
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        Hide();
        return;
    default:
        return;
    }
}

void COXTipWindow::StartTool(int index)
{
    if (m_handle) {
        m_handle->KillTimer(kInitialTimer);
        m_handle->KillTimer(kCheckTimer);
    }
    hide();
    m_bHidden = false;
    m_current = index;
    if (m_handle)
        m_handle->SetTimer(kInitialTimer, static_cast<unsigned>(m_nInitialTime));
}

void COXTipWindow::onTimer(unsigned id)
{
    if (m_current < 0 || m_bHidden || !m_handle)
        return;
    if (id == kInitialTimer) {
        m_handle->KillTimer(kInitialTimer);
        const QPoint cursor = cursorPos();
        if (ToolFromPoint(cursor) == m_current) {
            ShowTip(cursor + m_ptOffset, false);
            m_nElapsed = 0;
            m_handle->SetTimer(kCheckTimer, static_cast<unsigned>(m_nCheckPeriod));
        }
        return;
    }
    if (id != kCheckTimer)
        return;
    m_nElapsed += m_nCheckPeriod;
    const QPoint cursor = cursorPos();
    const int under = ToolFromPoint(cursor);
    if (under >= 0 && under != m_current) {
        m_handle->KillTimer(kCheckTimer);
        Hide();
        return;
    }
    if (under == m_current && m_nElapsed < m_nAutoPopTime)
        return;
    if (isVisible() && geometry().contains(cursor))
        return;
    m_handle->KillTimer(kCheckTimer);
    Hide();
}

std::string COXTipWindow::GetToolText(int index)
{
    Tool& tool = m_tools[static_cast<std::size_t>(index)];
    std::string text = tool.text;
    if (tool.textKind == -1)
        text = m_textCallback ? m_textCallback(tool.window, tool.id) : std::string();
    m_bHasMore = false;
    const std::size_t cr = text.find('\r');
    if (cr == std::string::npos)
        return text;
    m_bHasMore = true;
    return m_bShowMore ? "  " + text.substr(cr + 1) : text.substr(0, cr) + "  ";
}

void COXTipWindow::ShowTip(QPoint point, bool showMore)
{
    if (!m_bActive || m_current < 0)
        return;
    m_bShowMore = showMore;
    const std::string text = GetToolText(m_current);
    m_shownText = text;
    if (text.empty())
        return;
    QRect rect = CalcTipRect(text, m_tools[static_cast<std::size_t>(m_current)].maxWidth);
    PositionTip(point, rect, m_current);
    hide();
    setGeometry(rect);
    show();
    update();
}

QRect COXTipWindow::CalcTipRect(const std::string& text, int32_t maxWidth)
{
    const QFontMetrics metrics(m_font);
    const QString all = shownString(text);
    int width = maxWidth;
    if (width <= 0) {
        width = 0;
        for (const QString& line : all.split(QLatin1Char('\n')))
            width = std::max(width, metrics.horizontalAdvance(line + QStringLiteral("  ")));
    }
    // A tip never grows wider than the screen's free area: it wraps there.
    const QRect screen = screenAt(cursorPos());
    const int widest = std::max(1, screen.width() - m_rcMargins.left - m_rcMargins.right);
    width = std::clamp(width, 1, widest);
    m_textFlags = kTextFlags;
    QRect laid = metrics.boundingRect(QRect(0, 0, width, 1 << 24), m_textFlags, all);
    if (laid.width() > widest) {
        m_textFlags = Qt::TextWrapAnywhere | Qt::TextExpandTabs;
        laid = metrics.boundingRect(QRect(0, 0, width, 1 << 24), m_textFlags, all);
    }
    return QRect(0, 0, std::min(laid.width(), widest) + m_rcMargins.left + m_rcMargins.right,
                 laid.height() + m_rcMargins.top + m_rcMargins.bottom);
}

void COXTipWindow::PositionTip(QPoint point, QRect& rect, int item)
{
    // The free area of the screen that holds the point, so a tip on a second screen stays there.
    const QRect screen = screenAt(point);
    rect.moveTopLeft(point);
    if (rect.right() > screen.right())
        rect.moveRight(screen.right());
    if (rect.left() < screen.left())
        rect.moveLeft(screen.left());
    if (rect.bottom() > screen.bottom()) {
        int toolTop = point.y();
        if (item >= 0 && item < static_cast<int>(m_tools.size()) && m_pOwner) {
            const Tool& tool = m_tools[static_cast<std::size_t>(item)];
            toolTop = m_pOwner->mapToGlobal(tool.rect.topLeft()).y();
            if (tool.window)
                toolTop = tool.window->mapToGlobal(QPoint(0, 0)).y();
        }
        rect.moveBottom(toolTop - 1);
    }
}

void COXTipWindow::SetTipFont(const platform::qt::LOGFONT& font, bool redraw)
{
    m_logFont = font;
    m_logFont.lfFaceName[sizeof m_logFont.lfFaceName - 1] = '\0';
    platform::qt::LOGFONT bounded = m_logFont;
    bounded.lfHeight = std::clamp(bounded.lfHeight, -1000, 1000);
    bounded.lfWeight = std::clamp(bounded.lfWeight, 0, 1000);
    m_font = platform::qt::fontFromLogFont(bounded);
    m_bSystemFont = sameFont(m_logFont, platform::qt::logFontFromFont(QToolTip::font()));
    if (redraw)
        update();
}

void COXTipWindow::Hide()
{
    hide();
    m_bHidden = true;
}

void COXTipWindow::clickTip()
{
    if (!isVisible() || !m_bHasMore)
        return;
    ShowTip(pos(), !m_bShowMore);
}

bool COXTipWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pOwner) {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            RelayEvent(event->type(), mouse->button(), mouse->globalPosition().toPoint());
            break;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            RelayEvent(event->type(), Qt::NoButton, cursorPos());
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool COXTipWindow::event(QEvent* event)
{
    if (event->type() == QEvent::ApplicationFontChange && m_bSystemFont) {
        takeSystemFont();
        update();
    }
    return QWidget::event(event);
}

void COXTipWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        clickTip();
}

void COXTipWindow::paintTip(QPainter& painter)
{
    COLORREF back = CLR_DEFAULT;
    COLORREF fore = CLR_DEFAULT;
    if (m_current >= 0) {
        back = m_tools[static_cast<std::size_t>(m_current)].bkColour;
        fore = m_tools[static_cast<std::size_t>(m_current)].textColour;
    }
    if (back == CLR_DEFAULT)
        back = GetSysColor(toolkit::widgets::COLOR_INFOBK);
    if (fore == CLR_DEFAULT)
        fore = GetSysColor(toolkit::widgets::COLOR_INFOTEXT);
    const QRect all = rect();
    painter.fillRect(all, toQColor(back));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(all.adjusted(0, 0, -1, -1));
    painter.setFont(m_font);
    painter.setPen(toQColor(fore));
    const QRect textRect =
        all.adjusted(m_rcMargins.left, m_rcMargins.top, -m_rcMargins.right, -m_rcMargins.bottom);
    const QString text = shownString(m_shownText);
    painter.drawText(textRect, m_textFlags, text);
    if (!m_bHasMore)
        return;
    // A small triangle in the two-space gap: at the end of the first line pointing down while
    // collapsed, at the start pointing up while expanded.
    const QFontMetrics metrics(m_font);
    const int gapWidth = metrics.horizontalAdvance(QStringLiteral("  "));
    const int size = std::max(2, (std::min(gapWidth, metrics.height()) / 2) & ~1);
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    int left = textRect.left() + (gapWidth - size) / 2;
    if (!m_bShowMore)
        left = textRect.left() + metrics.horizontalAdvance(firstLine.trimmed()) +
               (gapWidth - size) / 2;
    const int top = textRect.top() + (metrics.height() - size) / 2;
    QPainterPath triangle;
    if (!m_bShowMore) {
        triangle.moveTo(left, top);
        triangle.lineTo(left + size, top);
        triangle.lineTo(left + size / 2.0, top + size);
    } else {
        triangle.moveTo(left, top + size);
        triangle.lineTo(left + size, top + size);
        triangle.lineTo(left + size / 2.0, top);
    }
    triangle.closeSubpath();
    painter.fillPath(triangle, Qt::black);
}

void COXTipWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintTip(painter);
}

QImage COXTipWindow::renderToImage()
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    paintTip(painter);
    return image;
}
