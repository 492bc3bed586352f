#include "platform/chart/XrtLogFont.h"

namespace platform::chart {

XrtFont xrtFont(const platform::qt::LOGFONT& font)
{
    XrtFont f;
    f.face = platform::qt::faceName(font);
    f.height = font.lfHeight;
    f.weight = font.lfWeight;
    f.italic = font.lfItalic != 0;
    f.underline = font.lfUnderline != 0;
    f.strikeOut = font.lfStrikeOut != 0;
    return f;
}

platform::qt::LOGFONT logFont(const XrtFont& font)
{
    platform::qt::LOGFONT f;
    platform::qt::setFaceName(f, font.face);
    f.lfHeight = font.height;
    f.lfWeight = font.weight;
    f.lfItalic = font.italic ? 1 : 0;
    f.lfUnderline = font.underline ? 1 : 0;
    f.lfStrikeOut = font.strikeOut ? 1 : 0;
    return f;
}

} // namespace platform::chart
