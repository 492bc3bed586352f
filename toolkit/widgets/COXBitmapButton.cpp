#include "toolkit/widgets/COXBitmapButton.h"

#include "platform/framework/ControlIds.h"
#include "toolkit/widgets/SystemColors.h"

#include <QBitmap>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

namespace fw = platform::framework;
using toolkit::widgets::GetSysColor;
using toolkit::widgets::toQColor;

namespace {

enum : int
{
    kNormal = 0,
    kInactive = 1,
    kDisabled = 2,
};

// The face colour, read again when the palette changes.
fw::COLORREF& faceColour()
{
    static fw::COLORREF colour = GetSysColor(toolkit::widgets::COLOR_BTNFACE);
    return colour;
}

// The image with the mask colour's pixels made transparent (none for CLR_NONE).
QPixmap masked(const QImage& image, fw::COLORREF mask)
{
    QPixmap pixmap = QPixmap::fromImage(image.convertToFormat(QImage::Format_ARGB32));
    if (mask != COXBitmapButton::CLR_NONE)
        pixmap.setMask(
            QBitmap::fromImage(image.convertToFormat(QImage::Format_RGB32)
                                   .createMaskFromColor(toQColor(mask).rgb(), Qt::MaskInColor)));
    return pixmap;
}

// The grey copy of a palette image: every colour but the mask colour takes its grey level.
QImage greyCopy(const QImage& image, fw::COLORREF mask)
{
    QImage grey = image;
    QList<QRgb> table = grey.colorTable();
    const QRgb maskRgb = toQColor(mask).rgb();
    for (QRgb& entry : table) {
        if (mask != COXBitmapButton::CLR_NONE && (entry | 0xFF000000) == maskRgb)
            continue;
        const int level = toolkit::widgets::greyLevel(qRed(entry), qGreen(entry), qBlue(entry));
        entry = qRgb(level, level, level);
    }
    grey.setColorTable(table);
    return grey;
}

QSize grown(QSize size, QSize by)
{
    return QSize(std::max(0, size.width() + by.width()), std::max(0, size.height() + by.height()));
}

} // namespace

namespace toolkit::widgets {

int greyLevel(int red, int green, int blue)
{
    const int y = (77 * red + 153 * green + 25 * blue) / 255;
    if (y < 64)
        return 0;
    if (y < 160)
        return 128;
    if (y < 224)
        return 192;
    return 255;
}

} // namespace toolkit::widgets

void COXBitmapButton::setBitmapSource(BitmapSource source)
{
    toolkit::widgets::setBitmapSource(std::move(source));
}

QImage COXBitmapButton::loadBitmapResource(unsigned resourceId)
{
    return toolkit::widgets::loadBitmapResource(resourceId);
}

COXBitmapButton::COXBitmapButton(QWidget* parent) : QPushButton(parent)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, [this] { OnClicked(); });
}

COXBitmapButton::~COXBitmapButton() = default;

void COXBitmapButton::SetWindowText(const std::string& text)
{
    m_windowText = text;
    setText(firstLine());
    if (m_tipWindow)
        rearmTip();
    update();
}

QString COXBitmapButton::firstLine() const
{
    return QString::fromStdString(m_windowText).section(QLatin1Char('\n'), 0, 0);
}

std::string COXBitmapButton::secondLine() const
{
    return QString::fromStdString(m_windowText).section(QLatin1Char('\n'), 1, 1).toStdString();
}

void COXBitmapButton::SetButtonStyle(uint32_t style)
{
    m_style = style;
    update();
}

bool COXBitmapButton::LoadBitmap(unsigned resourceId, bool resize, COLORREF mask)
{
    m_images.clear();
    closeAnimation();
    const QImage image = toolkit::widgets::loadBitmapResource(resourceId);
    if (image.isNull()) {
        update();
        return false;
    }
    m_images.resize(3);
    m_images[kNormal] = masked(image, mask);
    // Only palette images get the grey copy for the flat look at rest.
    if (image.depth() <= 8 && image.colorCount() > 0)
        m_images[kInactive] = masked(greyCopy(image, mask), mask);
    QStyleOption option;
    option.initFrom(this);
    m_images[kDisabled] = style()->generatedIconPixmap(QIcon::Disabled, m_images[kNormal], &option);
    if (resize)
        SizeToContent();
    update();
    return true;
}

bool COXBitmapButton::LoadInactiveBitmap(unsigned resourceId)
{
    if (m_images.empty())
        return false;
    const QImage image = toolkit::widgets::loadBitmapResource(resourceId);
    if (image.isNull())
        return false;
    m_images[kInactive] = QPixmap::fromImage(image);
    update();
    return true;
}

bool COXBitmapButton::LoadDisabledBitmap(unsigned resourceId)
{
    if (m_images.empty())
        return false;
    const QImage image = toolkit::widgets::loadBitmapResource(resourceId);
    if (image.isNull())
        return false;
    m_images[kDisabled] = QPixmap::fromImage(image);
    update();
    return true;
}

bool COXBitmapButton::LoadInactiveIcon(unsigned resourceId, int cx, int cy)
{
    if (!LoadInactiveBitmap(resourceId))
        return false;
    if (cx > 0 && cy > 0)
        m_images[kInactive] = m_images[kInactive].scaled(cx, cy);
    return true;
}

bool COXBitmapButton::LoadDisabledIcon(unsigned resourceId, int cx, int cy)
{
    if (!LoadDisabledBitmap(resourceId))
        return false;
    if (cx > 0 && cy > 0)
        m_images[kDisabled] = m_images[kDisabled].scaled(cx, cy);
    return true;
}

bool COXBitmapButton::LoadAnimation(unsigned resourceId, bool resize, const QString& name)
{
    const QString path = toolkit::widgets::animationResourcePath(resourceId, name);
    if (path.isEmpty())
        return false;
    // The frames are decoded once: QMovie reads the image, the button plays it by its own
    // timer, so that a play always runs from the first frame to the last, once.
    QMovie movie(path);
    if (!movie.isValid() || !movie.jumpToFrame(0))
        return false;
    constexpr int kMaxFrames = 1000;
    const int count = movie.frameCount();
    std::vector<QPixmap> frames;
    std::vector<int> delays;
    do {
        frames.push_back(movie.currentPixmap());
        delays.push_back(std::max(10, movie.nextFrameDelay()));
    } while (static_cast<int>(frames.size()) < (count > 0 ? count : kMaxFrames) &&
             movie.jumpToNextFrame() && movie.currentFrameNumber() > 0);
    // One frame is a picture, not an animation.
    if (frames.size() < 2)
        return false;
    closeAnimation();
    m_animationFrames = std::move(frames);
    m_animationDelays = std::move(delays);
    if (m_animationTimer == nullptr) {
        m_animationTimer = new QTimer(this);
        m_animationTimer->setSingleShot(true);
        connect(m_animationTimer, &QTimer::timeout, this, [this] {
            const int next = m_animationFrame + 1;
            showAnimationFrame(next);
            if (next + 1 < animationFrameCount())
                m_animationTimer->start(m_animationDelays[static_cast<std::size_t>(next)]);
        });
    }
    showAnimationFrame(0);
    m_images.clear();
    if (resize)
        SizeToContent();
    update();
    return true;
}

bool COXBitmapButton::isAnimationRunning() const
{
    return m_animationTimer != nullptr && m_animationTimer->isActive();
}

void COXBitmapButton::closeAnimation()
{
    if (m_animationTimer != nullptr)
        m_animationTimer->stop();
    m_animationFrames.clear();
    m_animationDelays.clear();
    m_animationFrame = -1;
    m_bPlaying = false;
}

void COXBitmapButton::showAnimationFrame(int frame)
{
    if (frame < 0 || frame >= animationFrameCount())
        return;
    m_animationFrame = frame;
    if (m_frameObserver)
        m_frameObserver(frame);
    update();
}

void COXBitmapButton::playAnimation()
{
    if (!isAnimated() || m_bPlaying)
        return;
    m_bPlaying = true;
    // Played once: each frame arms the timer for the next; the last one stays.
    showAnimationFrame(0);
    m_animationTimer->start(m_animationDelays[0]);
}

void COXBitmapButton::RemoveImage(bool resize)
{
    closeAnimation();
    m_images.clear();
    if (resize)
        SizeToContent();
    update();
}

QPixmap COXBitmapButton::image(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_images.size()))
        return QPixmap();
    return m_images[static_cast<std::size_t>(index)];
}

bool COXBitmapButton::SetFlatLook(bool flat)
{
    if ((m_style & BS_TYPEMASK) != BS_OWNERDRAW)
        return false;
    if (flat != m_bFlat) {
        m_bFlat = flat;
        update();
    }
    return true;
}

void COXBitmapButton::SetHorizontalAlignment(uint32_t alignment)
{
    const uint32_t style = (m_style & ~BS_CENTER) | (alignment & BS_CENTER);
    if (style != m_style) {
        m_style = style;
        update();
    }
}

uint32_t COXBitmapButton::GetHorizontalAlignment() const
{
    const uint32_t bits = m_style & BS_CENTER;
    return bits == 0 ? BS_CENTER : bits;
}

void COXBitmapButton::SetVerticalAlignment(uint32_t alignment)
{
    const uint32_t style = (m_style & ~BS_VCENTER) | (alignment & BS_VCENTER);
    if (style != m_style) {
        m_style = style;
        update();
    }
}

uint32_t COXBitmapButton::GetVerticalAlignment() const
{
    const uint32_t bits = m_style & BS_VCENTER;
    return bits == 0 ? BS_VCENTER : bits;
}

void COXBitmapButton::SetTextColor(COLORREF color)
{
    if (color != m_clrText) {
        m_clrText = color;
        update();
    }
}

void COXBitmapButton::SetFont(const QFont& newFont)
{
    if (newFont != font()) {
        setFont(newFont);
        update();
    }
}

void COXBitmapButton::EnableToolTip(bool enable)
{
    if (!enable) {
        if (m_tipWindow)
            m_tipWindow->RemoveTool(this, kToolId);
        m_tipWindow.reset();
        return;
    }
    if (!m_tipWindow) {
        m_tipWindow = std::make_unique<COXTipWindow>();
        m_tipWindow->Create(this);
    }
    rearmTip();
}

void COXBitmapButton::rearmTip()
{
    m_tipWindow->RemoveTool(this, kToolId);
    const std::string tip = secondLine();
    if (!tip.empty())
        m_tipWindow->AddTool(this, tip, rect(), kToolId);
}

std::string COXBitmapButton::toolTipText() const
{
    TOOLINFO info;
    if (!m_tipWindow ||
        !m_tipWindow->GetToolInfo(info, const_cast<COXBitmapButton*>(this), kToolId))
        return std::string();
    return info.lpszText;
}

void COXBitmapButton::SetHyperLook(bool hyper)
{
    m_bHyperLook = hyper;
    if (hyper) {
        m_nCursorId = toolkit::widgets::kHyperlinkCursorId;
        m_nDisabledCursorId = toolkit::widgets::kHyperlinkDisabledCursorId;
        m_hCursor = toolkit::widgets::loadCursorResource(m_nCursorId);
        m_hDisabledCursor = toolkit::widgets::loadCursorResource(m_nDisabledCursorId);
    } else {
        m_nCursorId = m_nDisabledCursorId = 0;
        m_hCursor.reset();
        m_hDisabledCursor.reset();
    }
    if (hyper)
        SetPseudoDisable(true);
    applyCursor();
    update();
}

void COXBitmapButton::SetPseudoDisable(bool pseudo)
{
    if (pseudo == m_bPseudoDisabled)
        return;
    if (pseudo) {
        m_bPseudoEnabled = isEnabled();
        m_bHadTabStop = (focusPolicy() & Qt::TabFocus) != 0;
        m_bPseudoDisabled = true;
        setEnabled(true);
        if (m_bHadTabStop && !m_bPseudoEnabled)
            setFocusPolicy(Qt::ClickFocus);
    } else {
        m_bPseudoDisabled = false;
        if (m_bHadTabStop)
            setFocusPolicy(Qt::StrongFocus);
        setEnabled(m_bPseudoEnabled);
    }
    applyCursor();
    update();
}

void COXBitmapButton::EnableButton(bool enable)
{
    if (!m_bPseudoDisabled) {
        setEnabled(enable);
        applyCursor();
        return;
    }
    if (enable == m_bPseudoEnabled)
        return;
    m_bPseudoEnabled = enable;
    if (m_bHadTabStop)
        setFocusPolicy(enable ? Qt::StrongFocus : Qt::ClickFocus);
    if (!enable)
        setHot(false);
    applyCursor();
    update();
}

void COXBitmapButton::applyCursor()
{
    const std::optional<QCursor>& shown = IsButtonEnabled() ? m_hCursor : m_hDisabledCursor;
    if (shown)
        setCursor(*shown);
    else
        unsetCursor();
}

bool COXBitmapButton::IsButtonEnabled() const
{
    return m_bPseudoDisabled ? m_bPseudoEnabled : isEnabled();
}

void COXBitmapButton::SetExStyle(uint32_t exStyle, bool redraw)
{
    m_dwExStyle = exStyle;
    if (redraw)
        update();
}

void COXBitmapButton::SetState(uint32_t state, bool redraw)
{
    m_dwState = state;
    if (redraw)
        update();
}

void COXBitmapButton::ToggleState()
{
    if ((m_dwExStyle & (OXBB_EX_DROPDOWN | OXBB_EX_TOGGLE)) == 0)
        return;
    if ((m_dwState & OXBB_STATE_THIRDSTATE) != 0)
        m_dwState &= ~(OXBB_STATE_PRESSED | OXBB_STATE_THIRDSTATE);
    else if ((m_dwState & OXBB_STATE_PRESSED) == 0)
        m_dwState |= OXBB_STATE_PRESSED;
    else if ((m_dwExStyle & OXBB_EX_TOGGLE) != 0 && (m_dwExStyle & OXBB_EX_TOGGLE3STATE) != 0)
        m_dwState |= OXBB_STATE_THIRDSTATE;
    else
        m_dwState &= ~OXBB_STATE_PRESSED;
    update();
}

bool COXBitmapButton::hasVisibleArrow() const
{
    return (m_dwExStyle & OXBB_EX_DROPDOWN) != 0 && (m_dwExStyle & OXBB_EX_DROPDOWNNOARROW) == 0;
}

QSize COXBitmapButton::GetArrowSize() const
{
    if (!hasVisibleArrow())
        return QSize(0, 0);
    const int arrowWidth = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, this);
    return QSize(arrowWidth - m_nArrowGap, arrowWidth);
}

QSize COXBitmapButton::textSize() const
{
    const QString text = firstLine();
    if (text.isEmpty())
        return QSize(0, 0);
    const int flags = (m_style & BS_MULTILINE) != 0 ? Qt::TextWordWrap : Qt::TextSingleLine;
    return fontMetrics().boundingRect(QRect(0, 0, 4096, 4096), flags, text).size();
}

QSize COXBitmapButton::GetFitSize() const
{
    const bool beside = GetVerticalAlignment() == BS_VCENTER;
    // The animation stands one pixel inside its box.
    const QSize first =
        isAnimated() ? grown(m_animationFrames[0].size(), QSize(2, 2)) : image(kNormal).size();
    const QSize imageBox =
        first.isEmpty()
            ? QSize(0, 0)
            : grown(first, QSize(-2 * m_szImageMargin.width(), -2 * m_szImageMargin.height()));
    const QSize text = textSize();
    QSize textBox(0, 0);
    if (!text.isEmpty())
        textBox = beside
                      ? grown(text, QSize(-m_szTextMargin.width(), -2 * m_szTextMargin.height()))
                      : grown(text, QSize(-2 * m_szTextMargin.width(), -m_szTextMargin.height()));
    QSize fit = beside ? QSize(imageBox.width() + textBox.width(),
                               std::max(imageBox.height(), textBox.height()))
                       : QSize(std::max(imageBox.width(), textBox.width()),
                               imageBox.height() + textBox.height());
    const QSize arrow = GetArrowSize();
    fit.rwidth() += arrow.width();
    fit.setHeight(std::max(fit.height(), arrow.height()));
    return fit;
}

void COXBitmapButton::SizeToContent()
{
    resize(GetFitSize());
}

QSize COXBitmapButton::sizeHint() const
{
    return GetFitSize().expandedTo(QSize(1, 1));
}

QSize COXBitmapButton::minimumSizeHint() const
{
    return QSize(1, 1);
}

void COXBitmapButton::DistributeSpace(uint32_t state, const QRect& button, QRect& imageRect,
                                      QRect& textRect) const
{
    QRect area = button;
    area.setRight(area.right() - GetArrowSize().width());
    const bool beside = GetVerticalAlignment() == BS_VCENTER;
    const QPixmap first = image(kNormal);
    QSize imageBox = first.isNull() ? QSize(0, 0)
                                    : grown(first.size(), QSize(-2 * m_szImageMargin.width(),
                                                                -2 * m_szImageMargin.height()));
    const QSize text = textSize();
    QSize textBox(0, 0);
    if (!text.isEmpty())
        textBox = beside
                      ? grown(text, QSize(-m_szTextMargin.width(), -2 * m_szTextMargin.height()))
                      : grown(text, QSize(-2 * m_szTextMargin.width(), -m_szTextMargin.height()));
    imageBox = imageBox.boundedTo(area.size());
    textBox = textBox.boundedTo(area.size());
    const uint32_t horizontal = GetHorizontalAlignment();
    const uint32_t vertical = GetVerticalAlignment();
    const auto alignX = [&](int width) {
        if (horizontal == BS_LEFT)
            return area.left();
        if (horizontal == BS_RIGHT)
            return area.right() + 1 - width;
        return area.left() + (area.width() - width) / 2;
    };
    const auto alignY = [&](int height) {
        if (vertical == BS_TOP)
            return area.top();
        if (vertical == BS_BOTTOM)
            return area.bottom() + 1 - height;
        return area.top() + (area.height() - height) / 2;
    };
    if (beside) {
        const int total = std::min(area.width(), imageBox.width() + textBox.width());
        const int left = alignX(total);
        imageRect = QRect(QPoint(left, alignY(imageBox.height())), imageBox);
        textRect =
            QRect(QPoint(left + imageBox.width(), alignY(textBox.height())),
                  QSize(std::min(textBox.width(), area.right() + 1 - left - imageBox.width()),
                        textBox.height()));
    } else {
        const int total = std::min(area.height(), imageBox.height() + textBox.height());
        const int top = alignY(total);
        imageRect = QRect(QPoint(alignX(imageBox.width()), top), imageBox);
        textRect = QRect(QPoint(alignX(textBox.width()), top + imageBox.height()),
                         QSize(textBox.width(), std::min(textBox.height(), area.bottom() + 1 - top -
                                                                               imageBox.height())));
    }
    if (imageBox.isEmpty())
        imageRect = QRect();
    if (textBox.isEmpty() || textRect.isEmpty())
        textRect = QRect();
    QSize offset(0, 0);
    if ((state & ODS_SELECTED) != 0)
        offset = m_szSelectedOffset;
    else if ((m_dwState & OXBB_STATE_PRESSED) != 0)
        offset = m_szPressedOffset;
    else if (m_bHyperLook && m_bHot && (state & ODS_DISABLED) == 0)
        offset = m_szHotOffset;
    imageRect.translate(offset.width(), offset.height());
    textRect.translate(offset.width(), offset.height());
}

uint32_t COXBitmapButton::itemState() const
{
    uint32_t state = 0;
    if (isDown())
        state |= ODS_SELECTED;
    if (!IsButtonEnabled())
        state |= ODS_DISABLED;
    if (hasFocus())
        state |= ODS_FOCUS;
    return state;
}

uint32_t COXBitmapButton::buttonFrame(uint32_t state) const
{
    if (m_bHyperLook)
        return kHyperBackground;
    const bool disabled = (state & ODS_DISABLED) != 0;
    if ((m_dwState & OXBB_STATE_THIRDSTATE) != 0)
        return DFCS_BUTTONPUSH | DFCS_PUSHED;
    if ((m_dwState & OXBB_STATE_PRESSED) != 0)
        return (m_bFlat && m_bHot) || (m_dwExStyle & OXBB_EX_DROPDOWN) != 0
                   ? DFCS_BUTTONPUSH | DFCS_PUSHED
                   : DFCS_BUTTONPUSH | DFCS_CHECKED;
    if ((state & ODS_SELECTED) != 0)
        return DFCS_BUTTONPUSH | DFCS_PUSHED;
    if (m_bFlat && (!m_bHot || disabled))
        return kFaceOnly;
    if (disabled)
        return DFCS_BUTTONPUSH | DFCS_INACTIVE;
    return DFCS_BUTTONPUSH;
}

int COXBitmapButton::imageIndex(uint32_t state) const
{
    int index = kNormal;
    if ((state & ODS_DISABLED) != 0 && !m_bHyperLook)
        index = kDisabled;
    else if ((m_bFlat && !m_bHyperLook && !m_bHot && (state & ODS_SELECTED) == 0) ||
             (m_dwState & OXBB_STATE_THIRDSTATE) != 0)
        index = kInactive;
    // An image the list does not hold falls back to the normal one.
    if (index >= static_cast<int>(m_images.size()) ||
        m_images[static_cast<std::size_t>(index)].isNull())
        index = kNormal;
    return index;
}

COXBitmapButton::COLORREF COXBitmapButton::textColour(uint32_t state) const
{
    if ((state & ODS_DISABLED) != 0 && !m_bHyperLook)
        return CLR_NONE;
    if ((m_dwState & OXBB_STATE_THIRDSTATE) != 0)
        return GetSysColor(toolkit::widgets::COLOR_BTNSHADOW);
    if (m_bFlat && !m_bHot && !m_bHyperLook)
        return 0;
    return m_clrText;
}

void COXBitmapButton::DrawItem(QPainter& painter, uint32_t state)
{
    const QRect all = rect();
    QRect imageRect;
    QRect textRect;
    DistributeSpace(state, all, imageRect, textRect);
    DrawButton(painter, state, all);
    DrawImage(painter, state, imageRect);
    DrawButtonText(painter, state, textRect, firstLine());
    if (hasVisibleArrow()) {
        const QSize arrow = GetArrowSize();
        DrawArrow(painter, state,
                  QRect(all.right() + 1 - arrow.width(), all.top(), arrow.width(), all.height()));
    }
    if ((state & ODS_FOCUS) != 0)
        DrawFocusRectangle(painter, state, imageRect, textRect);
}

void COXBitmapButton::DrawButton(QPainter& painter, uint32_t state, const QRect& area)
{
    const uint32_t frame = buttonFrame(state);
    if (frame == kHyperBackground)
        return;
    painter.fillRect(area, toQColor(faceColour()));
    if (frame == kFaceOnly)
        return;
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = area;
    if ((state & ODS_FOCUS) != 0 && !m_bFlat)
        option.rect = area.adjusted(1, 1, -1, -1);
    option.state &= ~(QStyle::State_Sunken | QStyle::State_On | QStyle::State_HasFocus);
    option.state |= QStyle::State_Raised;
    if ((frame & DFCS_PUSHED) != 0)
        option.state = (option.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    if ((frame & DFCS_CHECKED) != 0)
        option.state |= QStyle::State_On;
    if ((frame & DFCS_INACTIVE) != 0)
        option.state &= ~QStyle::State_Enabled;
    else
        option.state |= QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, this);
}

void COXBitmapButton::DrawImage(QPainter& painter, uint32_t state, const QRect& area)
{
    if (isAnimated() && !area.isEmpty() && m_animationFrame >= 0) {
        const QPixmap& frame = m_animationFrames[static_cast<std::size_t>(m_animationFrame)];
        const QPoint at(area.left() + (area.width() - frame.width()) / 2,
                        area.top() + (area.height() - frame.height()) / 2);
        painter.drawPixmap(at, frame);
        return;
    }
    if (m_images.empty() || area.isEmpty())
        return;
    const QPixmap& shown = m_images[static_cast<std::size_t>(imageIndex(state))];
    if (shown.isNull())
        return;
    const QPoint at(area.left() + (area.width() - shown.width()) / 2,
                    area.top() + (area.height() - shown.height()) / 2);
    painter.drawPixmap(at, shown);
}

void COXBitmapButton::DrawButtonText(QPainter& painter, uint32_t state, const QRect& area,
                                     const QString& text)
{
    if (text.isEmpty() || area.isEmpty())
        return;
    int flags = (m_style & BS_MULTILINE) != 0 ? Qt::TextWordWrap : Qt::TextSingleLine;
    const uint32_t horizontal = GetHorizontalAlignment();
    flags |= horizontal == BS_CENTER  ? Qt::AlignHCenter
             : horizontal == BS_RIGHT ? Qt::AlignRight
                                      : Qt::AlignLeft;
    flags |= Qt::AlignVCenter;
    painter.setFont(font());
    const COLORREF colour = textColour(state);
    if (colour == CLR_NONE) {
        // The disabled look: a light copy one pixel down and right under the grey text.
        painter.setPen(toQColor(GetSysColor(toolkit::widgets::COLOR_BTNHIGHLIGHT)));
        painter.drawText(area.translated(1, 1), flags, text);
        painter.setPen(toQColor(GetSysColor(toolkit::widgets::COLOR_GRAYTEXT)));
        painter.drawText(area, flags, text);
        return;
    }
    painter.setPen(toQColor(colour));
    painter.drawText(area, flags, text);
}

void COXBitmapButton::DrawArrow(QPainter& painter, uint32_t state, const QRect& arrow)
{
    if (m_bArrowSeparator && (!m_bFlat || m_bHot)) {
        painter.setPen(toQColor(GetSysColor(toolkit::widgets::COLOR_BTNSHADOW)));
        painter.drawLine(arrow.left(), arrow.top() + 3, arrow.left(), arrow.bottom() - 3);
        painter.setPen(toQColor(GetSysColor(toolkit::widgets::COLOR_BTNHIGHLIGHT)));
        painter.drawLine(arrow.left() + 1, arrow.top() + 3, arrow.left() + 1, arrow.bottom() - 3);
    }
    QStyleOption option;
    option.initFrom(this);
    option.rect = arrow.adjusted(2, 0, 0, 0);
    if ((m_dwState & OXBB_STATE_PRESSED) != 0)
        option.rect.translate(1, 1);
    if ((state & ODS_DISABLED) != 0)
        option.state &= ~QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, this);
}

void COXBitmapButton::DrawFocusRectangle(QPainter& painter, uint32_t state, const QRect& image,
                                         const QRect& text)
{
    if (m_bHyperLook) {
        const QRect around = text.isEmpty() ? image : text;
        painter.setBrush(Qt::black);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRect(QPoint(around.center().x() - m_szHyperFocus.width() / 2,
                                         around.center().y() - m_szHyperFocus.height() / 2),
                                  m_szHyperFocus));
        return;
    }
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(-m_szFocusRectInflate.width(), -m_szFocusRectInflate.height(),
                                  m_szFocusRectInflate.width(), m_szFocusRectInflate.height());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    if (!m_bFlat && (m_dwState & (OXBB_STATE_PRESSED | OXBB_STATE_THIRDSTATE)) == 0) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(Qt::black);
        const QRect frame =
            rect().adjusted(-m_szFrameInflate.width(), -m_szFrameInflate.height(),
                            m_szFrameInflate.width() - 1, m_szFrameInflate.height() - 1);
        painter.drawRect(frame);
        if ((state & ODS_SELECTED) != 0) {
            painter.setPen(toQColor(GetSysColor(toolkit::widgets::COLOR_BTNSHADOW)));
            painter.drawRect(frame.adjusted(1, 1, -1, -1));
        }
    }
}

QImage COXBitmapButton::renderToImage()
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawItem(painter, itemState());
    return image;
}

void COXBitmapButton::paintEvent(QPaintEvent*)
{
    // Drawn off-screen first, then copied, so the face never flickers.
    const QImage drawn = renderToImage();
    QPainter painter(this);
    painter.drawImage(0, 0, drawn);
}

void COXBitmapButton::setHot(bool hot)
{
    if (hot == m_bHot)
        return;
    m_bHot = hot;
    if (m_bFlat || m_bHyperLook)
        update();
}

void COXBitmapButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    if (!IsButtonEnabled())
        return;
    if (m_bFlat || m_bHyperLook)
        setHot(true);
    playAnimation();
}

void COXBitmapButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    if (!m_bMouseDown)
        setHot(false);
    // The next hover plays the animation again.
    m_bPlaying = false;
}

void COXBitmapButton::mousePressEvent(QMouseEvent* event)
{
    if (!IsButtonEnabled()) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_bMouseDown = true;
    QPushButton::mousePressEvent(event);
}

void COXBitmapButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (!IsButtonEnabled()) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        isDown())
        ToggleState();
    QPushButton::mouseReleaseEvent(event);
    m_bMouseDown = false;
    if (!rect().contains(event->position().toPoint()))
        setHot(false);
}

void COXBitmapButton::keyPressEvent(QKeyEvent* event)
{
    if (IsButtonEnabled() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        ToggleState();
    QPushButton::keyPressEvent(event);
}

void COXBitmapButton::keyReleaseEvent(QKeyEvent* event)
{
    if (IsButtonEnabled() && event->key() == Qt::Key_Space && !event->isAutoRepeat())
        ToggleState();
    QPushButton::keyReleaseEvent(event);
}

void COXBitmapButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    if (m_tipWindow)
        rearmTip();
}

void COXBitmapButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange) {
        faceColour() = GetSysColor(toolkit::widgets::COLOR_BTNFACE);
        update();
    } else if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            setHot(false);
        applyCursor();
        update();
    }
}

intptr_t COXBitmapButton::notifyParent(unsigned code)
{
    return m_notify ? m_notify(*this, code) : 0;
}

void COXBitmapButton::OnClicked()
{
    if ((m_dwExStyle & OXBB_EX_DROPDOWN) != 0) {
        if (notifyParent(OXBBN_DROPDOWN) == 0)
            OnDropDown();
        ToggleState();
        update();
    } else if ((m_dwExStyle & OXBB_EX_TOGGLE) != 0) {
        if (notifyParent(OXBBN_TOGGLE) == 0)
            OnToggle();
    }
}

bool DDX_BitmapButtonState(bool saveAndValidate, QWidget* dialog, unsigned controlId, int& value)
{
    auto* button =
        dynamic_cast<COXBitmapButton*>(platform::framework::GetDlgItem(dialog, controlId));
    if (button == nullptr)
        return false;
    const bool toggle = (button->GetExStyle() & COXBitmapButton::OXBB_EX_TOGGLE) != 0;
    const uint32_t state = button->GetState();
    if (saveAndValidate) {
        if (!toggle)
            value = -1;
        else if ((state & COXBitmapButton::OXBB_STATE_THIRDSTATE) != 0)
            value = 2;
        else if ((state & COXBitmapButton::OXBB_STATE_PRESSED) != 0)
            value = 1;
        else
            value = 0;
        return true;
    }
    if (!toggle)
        return true;
    constexpr uint32_t both =
        COXBitmapButton::OXBB_STATE_PRESSED | COXBitmapButton::OXBB_STATE_THIRDSTATE;
    uint32_t next = state & ~both;
    if (value == 1)
        next |= COXBitmapButton::OXBB_STATE_PRESSED;
    else if (value == 2)
        next |= both;
    else
        value = 0;
    button->SetState(next, true);
    return true;
}
