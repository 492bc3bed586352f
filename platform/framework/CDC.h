#pragma once

#include "platform/framework/WinTypes.h"
#include "platform/qt/LOGFONT.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRegion>

#include <optional>
#include <string>
#include <vector>

class QPainter;
class QPaintDevice;
class QPrinter;

namespace platform::framework {

using platform::qt::LOGFONT;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;
constexpr int MM_HIMETRIC = 3;
constexpr int MM_LOENGLISH = 4;
constexpr int MM_HIENGLISH = 5;
constexpr int MM_TWIPS = 6;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// GetDeviceCaps indexes.
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;

// Pens, brushes, background, text alignment, DrawText formats.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int BS_SOLID = 0;
constexpr int BS_NULL = 1;
constexpr int BS_HATCHED = 2;
constexpr int BS_PATTERN = 3;
constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_CALCRECT = 0x400;
// Region results.
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
// ExtTextOut options.
constexpr unsigned ETO_OPAQUE = 0x2;
constexpr unsigned ETO_CLIPPED = 0x4;

// A pen: style, width in logical units (0: one device pixel), colour.
struct CPen
{
    int style = PS_SOLID;
    int width = 0;
    COLORREF color = 0;
};

// A brush: style (solid, null, hatched, pattern), colour, hatch. A pattern brush repeats an
// 8 x 8 bitmap from the device origin: a set bit (bit 7 the leftmost pixel of its row) is
// drawn in color, a clear bit in patternBack.
struct CBrush
{
    int style = BS_SOLID;
    COLORREF color = 0xFFFFFF;
    int hatch = HS_HORIZONTAL;
    uint8_t pattern[8] = {};
    COLORREF patternBack = 0xFFFFFF;
};

// A font given by its LOGFONT; the height is in logical units.
struct CFont
{
    LOGFONT logFont;
};

// A device context over a QPainter: logical coordinates through the mapping mode (window and
// viewport origins and extents), pens, brushes, fonts, clipping, save and restore, text and
// lines. Device coordinates are the painter's coordinates (pixels of the widget, image or
// printer page). Text is always drawn upright, whatever the direction of the axes. The painter
// and device outlive the DC. GUI thread (or the thread that owns the painter).
class CDC
{
public:
    CDC(QPainter* painter, QPaintDevice* device);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* painter() const { return m_painter; }
    QPaintDevice* device() const { return m_device; }
    bool IsPrinting() const { return m_printing; }
    void setPrinting(bool printing) { m_printing = printing; }

    int SetMapMode(int mode);
    int GetMapMode() const { return m_state.mapMode; }
    POINT SetWindowOrg(int x, int y);
    POINT GetWindowOrg() const { return m_state.windowOrg; }
    SIZE SetWindowExt(int cx, int cy);
    SIZE GetWindowExt() const { return m_state.windowExt; }
    POINT SetViewportOrg(int x, int y);
    POINT GetViewportOrg() const { return m_state.viewportOrg; }
    SIZE SetViewportExt(int cx, int cy);
    SIZE GetViewportExt() const { return m_state.viewportExt; }
    void LPtoDP(POINT* points, int count = 1) const;
    void DPtoLP(POINT* points, int count = 1) const;
    void LPtoDP(RECT* rect) const;
    void DPtoLP(RECT* rect) const;

    int GetDeviceCaps(int index) const;

    // Saves the state; returns its level (1 for the first save), 0 on failure.
    int SaveDC();
    // Restores a saved level (negative: relative to the latest, -1 the latest); later levels
    // are dropped.
    bool RestoreDC(int saved);

    // Clipping in logical coordinates; results NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const RECT& rect);
    // Removes the clip region.
    int SelectClipRgnNone();
    // The clip box in logical coordinates (the whole device when not clipped).
    int GetClipBox(RECT* rect) const;

    CPen SelectObject(const CPen& pen);
    CBrush SelectObject(const CBrush& brush);
    CFont SelectObject(const CFont& font);
    const CPen& currentPen() const { return m_state.pen; }
    const CBrush& currentBrush() const { return m_state.brush; }
    const CFont& currentFont() const { return m_state.font; }
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_state.textColor; }
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_state.bkColor; }
    int SetBkMode(int mode);
    int GetBkMode() const { return m_state.bkMode; }
    unsigned SetTextAlign(unsigned flags);
    unsigned GetTextAlign() const { return m_state.textAlign; }

    POINT MoveTo(int x, int y);
    // A line from the current position; a pen of one device pixel leaves out the end point,
    // so lines drawn end to end do not touch a pixel twice.
    bool LineTo(int x, int y);
    POINT GetCurrentPosition() const { return m_state.position; }
    bool Polyline(const POINT* points, int count);
    bool Polygon(const POINT* points, int count);
    // Outline with the pen, filled with the brush; right and bottom edges excluded.
    bool Rectangle(int left, int top, int right, int bottom);
    bool Ellipse(int left, int top, int right, int bottom);
    void FillSolidRect(const RECT& rect, COLORREF color);
    void FillRect(const RECT& rect, const CBrush& brush);
    COLORREF SetPixel(int x, int y, COLORREF color);
    // Copies an image to a point, one image pixel per device pixel (BitBlt), or stretches it
    // into a rectangle (StretchBlt); false for a null image or an empty rectangle.
    bool BitBlt(int x, int y, const QImage& image);
    bool StretchBlt(const RECT& rect, const QImage& image);

    bool TextOut(int x, int y, const std::string& text);
    // Text at a point as TextOut does; ETO_OPAQUE first fills rect with the background colour,
    // ETO_CLIPPED clips the text to rect (rect may be null without either option).
    bool ExtTextOut(int x, int y, unsigned options, const RECT* rect, const std::string& text);
    // Draws text in a rectangle with DT_ flags; with DT_CALCRECT only measures (the rectangle's
    // right and bottom are set). Returns the text height in logical units. "&" is always drawn
    // as written (DT_NOPREFIX or not); DT_END_ELLIPSIS ends a single line that does not fit
    // with "...".
    int DrawText(const std::string& text, RECT* rect, unsigned format);
    SIZE GetTextExtent(const std::string& text) const;

    // Printer documents (on a DC over a QPrinter painter): a new page after the first.
    int StartDoc(const std::string& name);
    int StartPage();
    int EndPage();
    int EndDoc();
    int AbortDoc();

private:
    struct State
    {
        int mapMode = MM_TEXT;
        POINT windowOrg;
        SIZE windowExt{1, 1};
        POINT viewportOrg;
        SIZE viewportExt{1, 1};
        CPen pen;
        CBrush brush;
        CFont font;
        COLORREF textColor = 0;
        COLORREF bkColor = 0xFFFFFF;
        int bkMode = OPAQUE;
        unsigned textAlign = TA_LEFT | TA_TOP;
        POINT position;
        std::optional<QRegion> clip; // device coordinates
    };

    double scaleX() const;
    double scaleY() const;
    QPointF toDevice(double x, double y) const;
    QPointF toLogical(double x, double y) const;
    QRectF toDevice(const RECT& rect) const;
    void applyPen() const;
    void applyBrush() const;
    QFont deviceFont() const;
    void applyClip() const;
    void fixIsotropic();
    int regionKind() const;

    QPainter* m_painter;
    QPaintDevice* m_device;
    bool m_printing = false;
    bool m_pageOpen = false;
    int m_pages = 0;
    State m_state;
    std::vector<State> m_saved;
};

} // namespace platform::framework
