#pragma once

#include <QFont>

#include <cstdint>
#include <string>

namespace platform::qt {

// The logical-font record in its 60-byte Windows layout, as files and font dialogs carry it.
// lfHeight < 0 is the character height, > 0 the cell height, in logical units (pixels at 96 dots
// per inch where no mapping applies); lfFaceName is a NUL-terminated ANSI name of at most 31
// characters.
struct LOGFONT
{
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT keeps its Windows layout");

constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_BOLD = 700;

// Dots per inch at which logical font heights map to pixels.
constexpr int kFontDpi = 96;

// Sets the face name, cut at 31 bytes without splitting a UTF-8 character.
void setFaceName(LOGFONT& font, const std::string& face);
std::string faceName(const LOGFONT& font);

// The Qt font for a LOGFONT whose height is given in pixels (96 dots per inch).
QFont fontFromLogFont(const LOGFONT& font);
// The LOGFONT of a Qt font: a negative character height in pixels at 96 dots per inch.
LOGFONT logFontFromFont(const QFont& font);

// Point size in tenths of a point for a LOGFONT height (pixels at 96 dots per inch).
int pointSizeTenths(const LOGFONT& font);

} // namespace platform::qt
