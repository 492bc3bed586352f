#pragma once

#include "platform/framework/WinTypes.h"
#include "platform/qt/LOGFONT.h"
#include "toolkit/widgets/TextLabelGeometry.h"

#include <QFont>
#include <QImage>
#include <QLabel>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QTimer;

// A static text control that paints its text from an off-screen image: any colour and font,
// turned by the font's angle, with a 3D depth or an embossed look, shortened with an ellipsis,
// and scrolled in any direction. Every setter stores its value and renders the image again
// (unless told not to redraw), returning the result of that rendering. The scroll steps on a
// GUI-thread timer. The label's text as set by SetText is its own (GetText); QLabel's text is
// the window text read when no text was set. GUI thread only.
class COXTextLabel : public QLabel
{
public:
    using COLORREF = platform::framework::COLORREF;

    static constexpr uint32_t WS_CHILD = 0x40000000;
    static constexpr uint32_t WS_VISIBLE = 0x10000000;
    static constexpr uint32_t WS_DISABLED = 0x08000000;
    static constexpr uint32_t WS_BORDER = 0x00800000;
    static constexpr uint32_t kCreateStyleMask = 0x58800000;
    static constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100;
    static constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
    static constexpr uint32_t WS_EX_STATICEDGE = 0x00020000;
    static constexpr int32_t GM_COMPATIBLE = 1;
    static constexpr int32_t GM_ADVANCED = 2;

    // depth 0 to 100, graphics mode (1 or 2), alignments (0 to 2, 3 to 5).
    explicit COXTextLabel(int32_t depth = 0, int32_t graphicsMode = GM_COMPATIBLE,
                          int32_t horzAlignment = 1, int32_t vertAlignment = 4,
                          QWidget* parent = nullptr);
    ~COXTextLabel() override;

    // Places the label on parent at rect with the text and the control id; the style keeps
    // only WS_CHILD, WS_VISIBLE, WS_DISABLED and WS_BORDER. False without a parent.
    bool Create(const std::string& text, uint32_t style, const platform::framework::RECT& rect,
                QWidget* parent, unsigned id);
    uint32_t GetStyle() const { return m_style; }
    uint32_t GetExStyle() const { return m_exStyle; }

    bool SetHorzAlignment(int32_t alignment, bool redraw = true);
    int32_t GetHorzAlignment() const { return m_nHorzAlignment; }
    bool SetVertAlignment(int32_t alignment, bool redraw = true);
    int32_t GetVertAlignment() const { return m_nVertAlignment; }
    bool SetBkColor(COLORREF color, bool redraw = true);
    COLORREF GetBkColor() const { return m_clrBackground; }
    bool SetTextColor(COLORREF color, bool redraw = true);
    COLORREF GetTextColor() const { return m_clrText; }
    bool SetEmboss(bool emboss, bool raised, bool redraw, COLORREF highlight, COLORREF shadow);
    bool GetEmboss() const { return m_bEmboss; }
    bool SetText(const std::string& text, bool redraw = true);
    std::string GetText() const { return m_strText; }
    std::string GetDisplayText() const { return m_strDisplayText; }
    bool SetGraphicsMode(int32_t mode, bool redraw = true);
    int32_t GetGraphicsMode() const { return m_nGraphicsMode; }
    bool SetEllipsisMode(int32_t mode, bool redraw = true);
    int32_t GetEllipsisMode() const { return m_nEllipsisMode; }
    // Refuses depths outside 0 to 100.
    bool SetDepth(int32_t depth, bool redraw = true);
    int32_t GetDepth() const { return m_nDepth; }
    // which 0 bold, 1 italic, 2 underline, 3 strike-out.
    bool SetFontAttribute(int32_t which, int32_t value, bool redraw = true);
    bool SetFontEscapement(int32_t tenths, bool redraw = true);
    bool SetFontOrientation(int32_t tenths, bool redraw = true);
    bool SetCharSet(uint8_t charSet, bool redraw = true);
    bool SetFontHeight(int32_t height, bool redraw = true);
    // Refuses names of 32 characters or more, with a NUL, that are not UTF-8, or that do not fit
    // the face field's 31 bytes whole.
    bool SetFontName(const std::string& face, bool redraw = true);
    std::string GetFontName() const { return platform::qt::faceName(m_logFont); }
    bool GetLogFont(platform::qt::LOGFONT* logFont) const;
    bool SetLogFont(const platform::qt::LOGFONT* logFont, bool redraw = true);
    const QFont& labelFont() const { return m_font; }

    bool SetPlainBorder(bool on);
    bool SetStaticEdge(bool on);
    bool SetClientEdge(bool on);
    bool SetWindowEdge(bool on);
    bool SetDottedEdge(bool on);
    bool GetDottedEdge() const { return m_bDottedEdge; }

    bool SetScrollDirection(int32_t degrees, bool redraw = true);
    int32_t GetScrollDirection() const { return m_nScrollDirection; }
    bool SetScrollSpeed(int32_t pixelsPerSecond);
    int32_t GetScrollSpeed() const { return m_nScrollSpeed; }
    int32_t GetScrollStep() const { return m_nScrollStep; }
    int32_t GetScrollPeriod() const { return m_nScrollPeriod; }
    // Ignored (FALSE) for 0, above 500 or unchanged.
    bool SetMinTimerPeriod(int32_t periodMs);
    int32_t GetMinTimerPeriod() const { return m_nMinTimerPeriod; }
    bool SetScrollGap(platform::framework::SIZE gap, bool redraw = true);
    bool SetTextMargins(platform::framework::RECT margins, bool redraw = true);
    void StartScrolling(bool start);
    bool IsScrolling() const;
    // One step of the scroll: moves the text's centre, wraps it round; false when it did not
    // move.
    bool scrollStep();

    bool Realign(bool redraw = true);
    // Renders the text's image (nothing when redraw is false); false when the image cannot be
    // made, which leaves the label without one.
    virtual bool RebuildBitmap(bool redraw);

    // The paint-time check: records the duration of a paint from its start and end ticks and
    // renders the image again when the duration doubled or halved while armed. True when it did.
    bool notePaintTime(uint32_t startTick, uint32_t endTick);

    // What the label holds, for its users and tests.
    bool hasTextBitmap() const { return !m_textBitmap.isNull(); }
    const QImage& textBitmap() const { return m_textBitmap; }
    platform::framework::SIZE bitmapSize() const { return m_szBitmap; }
    toolkit::widgets::textlabel::PointF textCentre() const { return m_ptTextCentre; }
    toolkit::widgets::textlabel::PointF wrapOffset() const { return m_ptWrapOffset; }
    toolkit::widgets::textlabel::PointF stepOffset() const { return m_szStep; }
    int renderCount() const { return m_renderCount; }
    uint32_t lastPaintTime() const { return m_nLastPaintTime; }
    uint32_t previousPaintTime() const { return m_nPrevPaintTime; }
    bool timingArmed() const { return m_bTimingArmed; }
    // The label as it paints, client area and edge, into an image of its size.
    QImage renderToImage();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool PrepareBitmap(bool redraw);
    bool RefreshBitmap();
    void paintInto(QPainter& painter);
    bool recreateFont();
    void applyEdges();
    QRect clientRect() const;
    void ComputeTextCentre();
    void ComputeScrollGeometry();
    void DrawLabelText(QPainter& painter, int x, int y, int width, int height);
    void DrawEmbossed(QPainter& painter, const QImage& mask, const QPoint& at);
    int32_t fontAngle() const;

    QImage m_textBitmap;
    int32_t m_nHorzAlignment;
    int32_t m_nVertAlignment;
    bool m_bDottedEdge = false;
    bool m_bTimingArmed = false;
    bool m_bEmboss = false;
    bool m_bRaised = false;
    COLORREF m_clrEmbossHighlight;
    COLORREF m_clrEmbossShadow;
    uint32_t m_nLastPaintTime = 0;
    uint32_t m_nPrevPaintTime = 0;
    uint32_t m_nPaintStart = 0;
    uint32_t m_nPaintEnd = 0;
    COLORREF m_clrBackground;
    int32_t m_nMinTimerPeriod = 10;
    int32_t m_nDepth;
    int32_t m_nScrollSpeed = 0;
    int32_t m_nScrollPeriod = 0;
    COLORREF m_clrText;
    platform::qt::LOGFONT m_logFont;
    int32_t m_nEllipsisMode = 7;
    int32_t m_nGraphicsMode;
    int32_t m_nScrollStep = 0;
    int32_t m_nScrollDirection = 0;
    toolkit::widgets::textlabel::PointF m_ptWrapOffset;
    toolkit::widgets::textlabel::PointF m_ptTextCentre;
    toolkit::widgets::textlabel::PointF m_szStep;
    QTimer* m_scrollTimer = nullptr;
    QFont m_font;
    std::string m_strText;
    std::string m_strDisplayText;
    platform::framework::SIZE m_szBitmap;
    platform::framework::SIZE m_szScrollGap;
    platform::framework::RECT m_rcMargins{2, 0, 2, 0};

    uint32_t m_style = 0;
    uint32_t m_exStyle = 0;
    int m_renderCount = 0;
};
