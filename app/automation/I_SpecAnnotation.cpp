#include "app/automation/I_SpecAnnotation.h"

#include "app/spectrum/WindowsPaths.h"

#include <cmath>
#include <cstring>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using Record = CHarluneSpectrumView::AnnotationRecord;
using namespace platform::chart;

namespace {

constexpr const char* kFreeText = "Enter your annotation here";
constexpr const char* kDefaultFace = "Arial";

bool validIndex(int index)
{
    return index >= 0 && index < I_SpecAnnotation::kRecords;
}

bool validPlacement(int fontSize, double x, double y)
{
    return fontSize >= 1 && fontSize <= SpectrumChartObject::kMaxFontHeight && std::isfinite(x) &&
           std::isfinite(y);
}

template <std::size_t N> void setField(char (&field)[N], const std::string& text)
{
    const std::string cut = app::spectrum::cutAtCharacterBoundary(text, N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, cut.data(), cut.size());
}

// The chart's font for a record's logical font.
XrtFont annotationChartFont(const AnnotationLogFont& font)
{
    XrtFont f;
    f.face = std::string(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
    f.height = font.lfHeight;
    f.weight = font.lfWeight;
    f.italic = font.lfItalic != 0;
    f.underline = font.lfUnderline != 0;
    f.strikeOut = font.lfStrikeOut != 0;
    return f;
}

// Text, position, font and colour of a record onto its text area, the area's place read back
// and the area shown. anchor: a new note's text area is anchored at its point first.
void place(Record& r, bool anchor, const std::string& text, const std::string& fontName,
           int fontSize, int32_t color, double x, double y)
{
    setField(r.text, text);
    if (anchor)
        XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaAnchor, 0}});
    XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaX, x}, {kXrtTextAreaY, y}});
    r.x = x;
    r.y = y;
    r.font.lfHeight = fontSize;
    setField(r.font.lfFaceName, fontName.empty() ? std::string(kDefaultFace) : fontName);
    XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaFont, annotationChartFont(r.font)}});
    XrtTextAreaSetValues(r.textArea,
                         {{kXrtTextAreaStrings, std::vector<std::string>{std::string(r.text)}}});
    XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaColor, color}});
    r.color = static_cast<XrtColor>(color);
    int left = 0, top = 0, width = 0, height = 0;
    XrtTextAreaGetValues(r.textArea, {{kXrtTextAreaLeft, &left},
                                      {kXrtTextAreaTop, &top},
                                      {kXrtTextAreaWidth, &width},
                                      {kXrtTextAreaHeight, &height}});
    r.pixel = {left, top};
    r.rect = {left, top, left + width, top + height};
    XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaShown, 1}});
}

} // namespace

const DispatchTable& I_SpecAnnotation::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecAnnotation;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("ClearAnnotation", &C::ClearAnnotation, {"index"})
            .method("AddAnnotation", &C::AddAnnotation,
                    {"text", "fontname", "fontsize", "color", "x", "y"})
            .method("ModifyAnnotation", &C::ModifyAnnotation,
                    {"index", "text", "fontname", "fontsize", "color", "x", "y"});
        return b.table();
    }();
    return t;
}

bool I_SpecAnnotation::ClearAnnotation(int16_t index)
{
    if (!validIndex(index))
        return false;
    return onView(false, [&](View& v) {
        Record& r = v.annotationRecord(index);
        if (r.inUse != 0) {
            r.inUse = 0;
            setField(r.text, kFreeText);
            if (r.textArea != 0)
                XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaShown, 0}});
        }
        return true;
    });
}

int16_t I_SpecAnnotation::AddAnnotation(const std::string& text, const std::string& fontName,
                                        int16_t fontSize, int32_t color, double x, double y)
{
    if (!validPlacement(fontSize, x, y))
        return -1;
    return onView(int16_t{-1}, [&](View& v) -> int16_t {
        int index = 0;
        while (index < kRecords && v.annotationRecord(index).inUse != 0)
            ++index;
        if (index == kRecords)
            return -1;
        Record& r = v.annotationRecord(index);
        // A record keeps its text area once made: a cleared note's area is only hidden.
        if (r.textArea == 0)
            r.textArea = XrtTextAreaCreate(v.chart());
        if (r.textArea == 0)
            return -1;
        r.inUse = 1;
        r.overlaySlot = -1;
        place(r, true, text, fontName, fontSize, color, x, y);
        return static_cast<int16_t>(index);
    });
}

bool I_SpecAnnotation::ModifyAnnotation(int16_t index, const std::string& text,
                                        const std::string& fontName, int16_t fontSize,
                                        int32_t color, double x, double y)
{
    if (!validIndex(index) || !validPlacement(fontSize, x, y))
        return false;
    return onView(false, [&](View& v) {
        Record& r = v.annotationRecord(index);
        if (r.inUse == 0)
            return false;
        if (r.textArea == 0)
            r.textArea = XrtTextAreaCreate(v.chart());
        if (r.textArea == 0)
            return false;
        place(r, false, text, fontName, fontSize, color, x, y);
        return true;
    });
}
