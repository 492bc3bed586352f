#include "gridctrl/widgets/GridCellDrawing.h"

#include "gridctrl/model/GridBitmap.h"
#include "gridctrl/model/GridBuiltInCellTypes.h"
#include "gridctrl/model/GridCellTypeGeometry.h"
#include "gridctrl/model/GridFont.h"
#include "gridctrl/model/GridSystem.h"
#include "gridctrl/widgets/GridDrawnCellType.h"
#include "gridctrl/widgets/GridTextCache.h"

#include <QImage>

#include <algorithm>
#include <cmath>

namespace gridctrl::widgets {

namespace fw = platform::framework;
using model::CGridCellInfo;
using model::GridRect;

namespace {

constexpr int kCellColorBtnShadow = 16;
constexpr int kColorBtnHighlight = 20;
constexpr const char* kDropListId = "1667A6A0-F746-11D0-9C7F-0080C83F712F";
constexpr const char* kCheckBoxId = "93AAB8D0-F749-11D0-9C7F-0080C83F712F";
constexpr const char* kArrowsId = "F5C12593-D930-11D5-9B36-0050BAD44BCD";

GridRect toGrid(const fw::RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

fw::RECT toRect(const GridRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

bool isEmpty(const fw::RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

int paramOf(const CGridCellInfo& cell)
{
    return cell.HasProperty(CGridCellInfo::kPropCellTypeEx) ? cell.GetCellTypeEx() : 0;
}

bool highlighted(const model::CGridSheetState& sheet, const GridCellDrawState& state)
{
    return state.selected || (state.current && (sheet.m_currentCellMode & 2) != 0);
}

fw::COLORREF backColorOf(model::CGridControl& control, const CGridCellInfo& cell,
                         const model::CGridSheetState& sheet, const GridCellDrawState& state)
{
    if (highlighted(sheet, state)) {
        return cell.HasProperty(CGridCellInfo::kPropHBackColor)
                   ? cell.GetHBackColor()
                   : model::gridSystem().sysColor(model::kColorHighlight);
    }
    return cell.HasProperty(CGridCellInfo::kPropBackColor)
               ? cell.GetBackColor()
               : control.OnGetDefBackColor(model::kSectionCellArea);
}

fw::COLORREF textColorOf(const CGridCellInfo& cell, const model::CGridSheetState& sheet,
                         const GridCellDrawState& state)
{
    if (highlighted(sheet, state)) {
        return cell.HasProperty(CGridCellInfo::kPropHTextColor)
                   ? cell.GetHTextColor()
                   : model::gridSystem().sysColor(model::kColorHighlightText);
    }
    return cell.HasProperty(CGridCellInfo::kPropTextColor) ? cell.GetTextColor() : 0;
}

// A vertical or horizontal line of one device pixel, end point left out.
void line(fw::CDC& dc, int x1, int y1, int x2, int y2, fw::COLORREF colour)
{
    dc.SelectObject(fw::CPen{fw::PS_SOLID, 0, colour});
    dc.MoveTo(x1, y1);
    dc.LineTo(x2, y2);
}

// A three-dimensional edge `depth` pixels deep: raised lit at the top left, recessed at the
// bottom right.
fw::RECT drawEdge(fw::CDC& dc, fw::RECT r, int depth, bool raised)
{
    const model::GridSystem& system = model::gridSystem();
    const fw::COLORREF light = system.sysColor(kColorBtnHighlight);
    const fw::COLORREF dark = system.sysColor(kCellColorBtnShadow);
    const fw::COLORREF topLeft = raised ? light : dark;
    const fw::COLORREF bottomRight = raised ? dark : light;
    for (int i = 0; i < depth && !isEmpty(r); ++i) {
        dc.FillSolidRect({r.left, r.top, r.right, r.top + 1}, topLeft);
        dc.FillSolidRect({r.left, r.top, r.left + 1, r.bottom}, topLeft);
        dc.FillSolidRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        dc.FillSolidRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    return r;
}

QImage imageOf(const model::GridObject* object)
{
    const auto* bitmap = dynamic_cast<const model::GridBitmap*>(object);
    if (!bitmap || bitmap->width() <= 0 || bitmap->height() <= 0 ||
        bitmap->pixels().size() < static_cast<std::size_t>(bitmap->width()) *
                                      static_cast<std::size_t>(bitmap->height())) {
        return {};
    }
    QImage image(bitmap->width(), bitmap->height(), QImage::Format_ARGB32);
    for (int y = 0; y < bitmap->height(); ++y) {
        std::copy_n(bitmap->pixels().data() + static_cast<std::size_t>(y) * bitmap->width(),
                    bitmap->width(), reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    }
    return image;
}

// The cell's text may run into empty neighbours, as far as its alignment and options go.
bool canOverflow(const CGridCellInfo& cell)
{
    const unsigned short alignment =
        cell.HasProperty(CGridCellInfo::kPropAlignment) ? cell.GetAlignment() : 0;
    if (alignment & 1) {
        return true;
    }
    return alignment == 0 && paramOf(cell) == 0 && !cell.HasProperty(CGridCellInfo::kPropJoin);
}

void drawCheckBox(fw::CDC& dc, model::CGridControl& control, const model::CGridSheetState& sheet,
                  const CGridCellInfo& cell, const fw::RECT& rect, const GridCellDrawState& state)
{
    const model::GridSystem& system = model::gridSystem();
    const int param = paramOf(cell);
    const fw::RECT inner = drawCellBorder(dc, sheet, cell, rect, state.scale);
    if (isEmpty(inner)) {
        return;
    }
    dc.FillSolidRect(inner, backColorOf(control, cell, sheet, state));
    const unsigned short alignment =
        cell.HasProperty(CGridCellInfo::kPropAlignment) ? cell.GetAlignment() : 0;
    const GridRect box = model::checkBoxRect(toGrid(inner), param, alignment);
    const int side = box.bottom - box.top;
    const int value = model::checkBoxValue(cell.GetNumber(), param);
    fw::CBrush pattern{fw::BS_PATTERN, system.sysColor(model::kColorBtnFace)};
    for (int row = 0; row < 8; ++row) {
        pattern.pattern[row] = (row % 2 == 0) ? 0x55 : 0xAA;
    }
    pattern.patternBack = system.sysColor(kColorBtnHighlight);
    if (side >= model::kMinCheckBoxSide) {
        const fw::COLORREF shadow = system.sysColor(kCellColorBtnShadow);
        const fw::COLORREF face = system.sysColor(model::kColorBtnFace);
        const fw::COLORREF lightPen = 0xE1E1E1;
        const fw::RECT b = toRect(box);
        if (param & model::kParamCheckSunken) {
            line(dc, b.left, b.bottom - 1, b.left, b.top, shadow);
            line(dc, b.left, b.top, b.right, b.top, shadow);
            line(dc, b.right - 1, b.top, b.right - 1, b.bottom, lightPen);
            line(dc, b.left, b.bottom - 1, b.right, b.bottom - 1, lightPen);
            line(dc, b.left + 1, b.bottom - 2, b.left + 1, b.top + 1, 0);
            line(dc, b.left + 1, b.top + 1, b.right - 1, b.top + 1, 0);
            line(dc, b.right - 2, b.top + 1, b.right - 2, b.bottom - 1, face);
            line(dc, b.left + 1, b.bottom - 2, b.right - 1, b.bottom - 2, face);
        } else if (param & model::kParamCheckRaised) {
            line(dc, b.left, b.bottom - 1, b.left, b.top, lightPen);
            line(dc, b.left, b.top, b.right, b.top, lightPen);
            line(dc, b.right - 1, b.top, b.right - 1, b.bottom, 0);
            line(dc, b.left, b.bottom - 1, b.right, b.bottom - 1, 0);
            line(dc, b.left + 1, b.bottom - 2, b.left + 1, b.top + 1, face);
            line(dc, b.left + 1, b.top + 1, b.right - 1, b.top + 1, face);
            line(dc, b.right - 2, b.top + 1, b.right - 2, b.bottom - 1, shadow);
            line(dc, b.left + 1, b.bottom - 2, b.right - 1, b.bottom - 2, shadow);
        } else if (param & model::kParamCheckRound) {
            dc.SelectObject(fw::CPen{fw::PS_SOLID, 0, 0});
            dc.SelectObject(fw::CBrush{fw::BS_SOLID, 0xFFFFFF});
            dc.Ellipse(b.left, b.top, b.right, b.bottom);
        } else {
            dc.SelectObject(fw::CPen{fw::PS_SOLID, 0, 0});
            dc.SelectObject(fw::CBrush{fw::BS_NULL});
            dc.Rectangle(b.left, b.top, b.right, b.bottom);
        }
        const GridRect inside = model::checkBoxInside(box, param);
        if (!(param & model::kParamCheckRound)) {
            const fw::RECT fill = toRect(inside);
            if (value <= 1) {
                dc.FillSolidRect(fill, system.sysColor(model::kColorWindow));
            } else {
                dc.FillRect(fill, pattern);
            }
            if (cell.GetReadOnly()) {
                dc.FillRect(fill, pattern);
            }
        }
        if (value > 0) {
            const fw::COLORREF markColour = value > 1 ? shadow : 0;
            const auto lines = model::checkMarkLines(inside, side, param);
            if (lines.empty()) {
                dc.SelectObject(fw::CPen{fw::PS_SOLID, 0, value > 1 ? shadow : 0});
                dc.SelectObject(value > 1 ? fw::CBrush{fw::BS_NULL} : fw::CBrush{fw::BS_SOLID, 0});
                dc.Ellipse(inside.left + 1, inside.top + 1, inside.right - 1, inside.bottom - 1);
            }
            for (const model::GridLine& l : lines) {
                line(dc, l.x1, l.y1, l.x2, l.y2, markColour);
            }
        }
    }
    if (!(param & model::kParamCheckAligned)) {
        fw::RECT caption = inner;
        caption.left = inner.left + std::max(side, 0) + 6;
        if (!isEmpty(caption)) {
            drawCellBody(dc, control, cell, caption, state, true);
        }
    }
}

void drawDropList(fw::CDC& dc, model::CGridControl& control, const model::CGridSheetState& sheet,
                  CGridCellInfo& cell, const fw::RECT& rect, const GridCellDrawState& state)
{
    const model::GridSystem& system = model::gridSystem();
    const fw::RECT inner = drawCellBorder(dc, sheet, cell, rect, state.scale);
    if (isEmpty(inner)) {
        return;
    }
    const int buttonWidth = static_cast<int>(system.systemMetric(model::kMetricVScrollWidth) *
                                             (state.printing ? state.scale : 1.0));
    fw::RECT button = toRect(model::dropButtonRect(toGrid(inner), buttonWidth));
    if (state.printing) {
        const int shrink = static_cast<int>(state.scale);
        button = {button.left + shrink, button.top + shrink, button.right - shrink,
                  button.bottom - shrink};
    }
    fw::RECT body = inner;
    body.right =
        std::max(inner.left,
                 button.right - static_cast<int>(buttonWidth * (state.printing ? 1.0 : 1.0)) - 1);
    if (state.printing) {
        body.top = button.top;
        body.bottom = button.bottom;
    }
    if (!isEmpty(body)) {
        drawCellBody(dc, control, cell, body, state, false);
    }
    if (isEmpty(button)) {
        return;
    }
    const int depth = std::clamp(sheet.m_drawingOptions[1], 1, 16);
    // Recessed while pressed on the current cell, raised otherwise. The edge becomes the
    // cell's border, which a printed cell's frame then shows.
    const auto* type = dynamic_cast<const model::CGridDropListCellType*>(control.GetCellType(1));
    const bool pressed = type && type->isPressed() && state.current && !state.printing;
    cell.SetBorder(pressed ? 0x1000 : 0x2000);
    const fw::RECT face = drawEdge(dc, button, depth, !pressed);
    dc.FillSolidRect(face, system.sysColor(model::kColorBtnFace));
    line(dc, button.left - 1, button.top, button.left - 1, button.bottom,
         system.sysColor(model::kColorBtnFace));
    if (state.printing) {
        const model::GridTriangle t = model::printedDropTriangle(toGrid(button));
        const fw::POINT points[3] = {{t.a.x, t.a.y}, {t.b.x, t.b.y}, {t.c.x, t.c.y}};
        dc.SelectObject(fw::CPen{fw::PS_NULL});
        dc.SelectObject(fw::CBrush{fw::BS_SOLID, 0});
        dc.Polygon(points, 3);
        line(dc, button.left, button.top, button.right, button.top, 0);
        return;
    }
    std::vector<model::GridLine> emboss;
    const bool readOnly = cell.GetReadOnly() != 0;
    const auto arrow = model::dropArrowLines(toGrid(button), &emboss);
    for (const model::GridLine& l : arrow) {
        line(dc, l.x1, l.y1, l.x2, l.y2, readOnly ? fw::RGB(128, 128, 128) : 0);
    }
    if (readOnly) {
        for (const model::GridLine& l : emboss) {
            line(dc, l.x1, l.y1, l.x2, l.y2, 0xFFFFFF);
        }
    }
}

void drawArrows(fw::CDC& dc, model::CGridControl& control, const model::CGridSheetState& sheet,
                const CGridCellInfo& cell, const fw::RECT& rect, const GridCellDrawState& state)
{
    const fw::RECT inner = drawCellBorder(dc, sheet, cell, rect, state.scale);
    if (isEmpty(inner)) {
        return;
    }
    dc.FillSolidRect(inner, backColorOf(control, cell, sheet, state));
    const int kind =
        model::arrowKind(paramOf(cell), cell.HasProperty(CGridCellInfo::kPropCellTypeEx));
    if (state.printing) {
        dc.SelectObject(fw::CPen{fw::PS_NULL});
        dc.SelectObject(fw::CBrush{fw::BS_SOLID, 0});
        for (const model::GridTriangle& t :
             model::printedArrows(toGrid(inner), kind, state.scale)) {
            const fw::POINT points[3] = {{t.a.x, t.a.y}, {t.b.x, t.b.y}, {t.c.x, t.c.y}};
            dc.Polygon(points, 3);
        }
        return;
    }
    const fw::COLORREF colour =
        cell.HasProperty(CGridCellInfo::kPropTextColor) ? cell.GetTextColor() : 0;
    for (const model::GridColumnSpan& c : model::arrowColumns(toGrid(inner), kind)) {
        dc.FillSolidRect({c.x, c.top, c.x + 1, c.top + c.height}, colour);
    }
}

model::CGridCellType* cellTypeOf(model::CGridControl& control, const CGridCellInfo& cell)
{
    return control.GetCellType(cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType()
                                                                              : 0);
}

// Whether a cell is drawn by the normal drawing, text and all.
bool drawsAsNormal(const model::CGridCellType& type)
{
    if (dynamic_cast<const CGridDrawnCellType*>(&type) != nullptr) {
        return false;
    }
    const std::string id = type.GetId();
    return id != kCheckBoxId && id != kDropListId && id != kArrowsId;
}

// The width of a cell's text in the cell's own font.
int textWidthOf(fw::CDC& dc, const model::CGridSheetState& sheet, const CGridCellInfo& cell,
                const std::string& text, const GridCellDrawState& state)
{
    const int saved = dc.SaveDC();
    const model::GridObject* fontObject =
        cell.HasProperty(CGridCellInfo::kPropFont) ? cell.GetFont() : sheet.m_defaultFont;
    if (fontObject && !state.keepFont) {
        dc.SelectObject(gridFont(fontObject));
    }
    const GridTextCache::Text* laid =
        state.textCache != nullptr ? state.textCache->find(dc, text) : nullptr;
    const int width = laid != nullptr ? laid->extent.cx : dc.GetTextExtent(text).cx;
    dc.RestoreDC(saved);
    return width;
}

} // namespace

GridOverflowRole overflowRoleOf(model::CGridControl& control, const CGridCellInfo& cell)
{
    if (cell.HasProperty(CGridCellInfo::kPropJoin) || !drawsAsNormal(*cellTypeOf(control, cell))) {
        return GridOverflowRole::None;
    }
    const char* text = cell.GetTextPtr();
    if (text == nullptr || *text == '\0') {
        return GridOverflowRole::Coverable;
    }
    return canOverflow(cell) ? GridOverflowRole::Source : GridOverflowRole::None;
}

fw::CFont gridFont(const model::GridObject* object)
{
    fw::CFont font;
    const auto* gridFontObject = dynamic_cast<const model::GridFont*>(object);
    if (!gridFontObject) {
        font.logFont.lfHeight = -13;
        return font;
    }
    const model::GridFontSpec& spec = gridFontObject->spec();
    font.logFont.lfHeight = spec.height;
    font.logFont.lfWidth = spec.width;
    font.logFont.lfEscapement = spec.escapement;
    font.logFont.lfOrientation = spec.orientation;
    font.logFont.lfWeight = spec.weight;
    font.logFont.lfItalic = spec.italic;
    font.logFont.lfUnderline = spec.underline;
    font.logFont.lfStrikeOut = spec.strikeOut;
    font.logFont.lfCharSet = spec.charSet;
    platform::qt::setFaceName(font.logFont, spec.faceName);
    return font;
}

fw::RECT drawCellBorder(fw::CDC& dc, const model::CGridSheetState& sheet, const CGridCellInfo& cell,
                        fw::RECT rect, double scale)
{
    if (isEmpty(rect)) {
        return rect;
    }
    const unsigned flags = cell.HasProperty(CGridCellInfo::kPropBorder) ? cell.GetBorder() : 0;
    const model::GridPen* pen =
        cell.HasProperty(CGridCellInfo::kPropBorderColor) && cell.GetBorderColor()
            ? cell.GetBorderColor()
            : sheet.m_gridLinePen.get();
    const fw::COLORREF penColour = pen ? pen->colour() : fw::RGB(220, 220, 220);
    const int unit = std::max(1, static_cast<int>(scale));
    auto width = [&](unsigned one, unsigned two, unsigned three) {
        return ((flags & one) ? 1 : (flags & two) ? 2 : (flags & three) ? 3 : 0) * unit;
    };
    const int left = width(1, 16, 0x100);
    const int top = width(2, 32, 0x200);
    const int right = width(4, 64, 0x400);
    const int bottom = width(8, 128, 0x800);
    const bool threeD = (flags & 0x3000) != 0;
    if (left) {
        dc.FillSolidRect({rect.left, rect.top, rect.left + left, rect.bottom}, penColour);
    }
    if (top) {
        dc.FillSolidRect({rect.left, rect.top, rect.right, rect.top + top}, penColour);
    }
    if (right) {
        dc.FillSolidRect({rect.right - right, rect.top, rect.right, rect.bottom}, penColour);
    } else if (!threeD) {
        dc.FillSolidRect({rect.right - unit, rect.top, rect.right, rect.bottom}, penColour);
    }
    if (bottom) {
        dc.FillSolidRect({rect.left, rect.bottom - bottom, rect.right, rect.bottom}, penColour);
    } else if (!threeD) {
        dc.FillSolidRect({rect.left, rect.bottom - unit, rect.right, rect.bottom}, penColour);
    }
    fw::RECT inner{rect.left + left, rect.top + top,
                   rect.right - (right    ? right
                                 : threeD ? 0
                                          : unit),
                   rect.bottom - (bottom   ? bottom
                                  : threeD ? 0
                                           : unit)};
    if (threeD) {
        const int depth = std::clamp(sheet.m_drawingOptions[1], 1, 16) * unit;
        inner = drawEdge(dc, inner, depth, (flags & 0x2000) != 0);
    }
    return inner;
}

void drawCellBody(fw::CDC& dc, model::CGridControl& control, const CGridCellInfo& cell,
                  const fw::RECT& rect, const GridCellDrawState& state, bool showLabel)
{
    if (isEmpty(rect)) {
        return;
    }
    const model::CGridSheetState& sheet = *control.currentSheet();
    const char* chosen = showLabel ? cell.GetLabelPtr() : cell.GetTextPtr();
    const std::string text = chosen ? chosen : "";
    const int saved = dc.SaveDC();
    const model::GridObject* fontObject =
        cell.HasProperty(CGridCellInfo::kPropFont) ? cell.GetFont() : sheet.m_defaultFont;
    if (fontObject && !state.keepFont) {
        dc.SelectObject(gridFont(fontObject));
    }
    const fw::COLORREF back = backColorOf(control, cell, sheet, state);
    dc.SetTextColor(textColorOf(cell, sheet, state));
    dc.SetBkColor(back);
    fw::RECT area = rect;
    if (cell.HasProperty(CGridCellInfo::kPropBitmap) &&
        control.isBitmapRegistered(cell.GetBitmap())) {
        const QImage image = imageOf(cell.GetBitmap());
        if (!image.isNull()) {
            dc.FillSolidRect(area, back);
            dc.IntersectClipRect(area);
            const int y = area.top + (area.bottom - area.top - image.height()) / 2;
            dc.BitBlt(area.left, y, image);
            dc.SelectClipRgnNone();
            area.left = std::min(area.right, area.left + image.width());
        }
    }
    const unsigned short alignment =
        cell.HasProperty(CGridCellInfo::kPropAlignment) ? cell.GetAlignment() : 0;
    const int margin = static_cast<int>(sheet.m_cellTextMargin * state.scale);
    const GridTextCache::Text* laid =
        state.textCache != nullptr ? state.textCache->find(dc, text) : nullptr;
    const fw::SIZE extent = laid != nullptr ? laid->extent : dc.GetTextExtent(text);
    int x = area.left + margin;
    if (alignment & 4) {
        x = area.left + (area.right - area.left - extent.cx) / 2;
    } else if (alignment & 2) {
        x = area.right - margin - extent.cx;
    }
    int y = area.top + 1;
    if (alignment & 32) {
        y = area.top + (area.bottom - area.top - extent.cy) / 2;
    } else if (alignment & 16) {
        y = area.bottom - 1 - extent.cy;
    }
    const int param = paramOf(cell);
    if (param & model::kParamWrap) {
        dc.FillSolidRect(area, back);
        dc.SetBkMode(fw::TRANSPARENT);
        fw::RECT box = area;
        unsigned format = fw::DT_WORDBREAK | fw::DT_NOPREFIX;
        if (alignment & 4) {
            format |= fw::DT_CENTER;
        } else if (alignment & 2) {
            format |= fw::DT_RIGHT;
            box.right -= margin;
        } else if ((alignment & 1) || alignment == 0) {
            box.left += margin;
        }
        dc.DrawText(text, &box, format);
    } else if (param & model::kParamEllipsis) {
        dc.FillSolidRect(area, back);
        dc.SetBkMode(fw::TRANSPARENT);
        fw::RECT box{area.left + 3, y, area.right, area.bottom};
        dc.DrawText(text, &box, fw::DT_SINGLELINE | fw::DT_END_ELLIPSIS | fw::DT_NOPREFIX);
    } else if (laid != nullptr && laid->drawable) {
        state.textCache->drawOpaqueClipped(dc, x, y, area, *laid);
    } else {
        dc.SetTextAlign(fw::TA_LEFT | fw::TA_TOP);
        dc.ExtTextOut(x, y, fw::ETO_OPAQUE | fw::ETO_CLIPPED, &area, text);
    }
    dc.RestoreDC(saved);
}

void drawGridCell(fw::CDC& dc, model::CGridControl& control, const fw::RECT& rect, int col, int row,
                  CGridCellInfo& cell, const GridCellDrawState& state, int* overflowEndCol)
{
    if (overflowEndCol) {
        *overflowEndCol = col;
    }
    if (isEmpty(rect) || !control.currentSheet()) {
        return;
    }
    const model::CGridSheetState& sheet = *control.currentSheet();
    model::CGridCellType* type = cellTypeOf(control, cell);
    const std::string id = type->GetId();
    const int saved = dc.SaveDC();
    if (auto* drawn = dynamic_cast<CGridDrawnCellType*>(type)) {
        drawn->OnDraw(dc, rect, col, row, cell,
                      state.selected ? std::max(1, state.selectedValue) : 0, state.current ? 1 : 0);
    } else if (id == kCheckBoxId) {
        drawCheckBox(dc, control, sheet, cell, rect, state);
    } else if (id == kDropListId &&
               !((paramOf(cell) & model::kParamDropListCurrentOnly) && !state.current)) {
        drawDropList(dc, control, sheet, cell, rect, state);
    } else if (id == kArrowsId) {
        drawArrows(dc, control, sheet, cell, rect, state);
    } else {
        const bool showLabel = type->GetValue() != 0 || (paramOf(cell) & model::kParamShowLabel);
        fw::RECT body = drawCellBorder(dc, sheet, cell, rect, state.scale);
        if (!state.printing && !showLabel && sheet.m_navigationFlags[3] && col >= 0 && row >= 0 &&
            overflowRoleOf(control, cell) == GridOverflowRole::Source) {
            // Run on across the empty cells to the right as far as the text reaches: the border
            // goes round them all and the text across them.
            const int wanted = body.left + sheet.m_cellTextMargin +
                               textWidthOf(dc, sheet, cell, std::string(cell.GetTextPtr()), state);
            int right = rect.right;
            int last = col;
            CGridCellInfo next;
            while (right < wanted && last + 1 < control.GetNumberCols()) {
                control.GetDisplayCell(last + 1, row, &next);
                if (overflowRoleOf(control, next) != GridOverflowRole::Coverable ||
                    (state.mayCover && !state.mayCover(last + 1))) {
                    break;
                }
                ++last;
                right += control.GetColWidth(last);
            }
            if (last > col) {
                body = drawCellBorder(dc, sheet, cell, {rect.left, rect.top, right, rect.bottom},
                                      state.scale);
                if (overflowEndCol) {
                    *overflowEndCol = last;
                }
            }
        }
        drawCellBody(dc, control, cell, body, state, showLabel);
    }
    dc.RestoreDC(saved);
}

} // namespace gridctrl::widgets
