#include "platform/qt/LOGFONT.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace platform::qt {

void setFaceName(LOGFONT& font, const std::string& face)
{
    size_t length = std::min(face.size(), sizeof(font.lfFaceName) - 1);
    // Never cut inside a UTF-8 sequence: step back over continuation bytes.
    while (length > 0 && length < face.size() &&
           (static_cast<unsigned char>(face[length]) & 0xC0) == 0x80) {
        --length;
    }
    std::memset(font.lfFaceName, 0, sizeof(font.lfFaceName));
    std::memcpy(font.lfFaceName, face.data(), length);
}

std::string faceName(const LOGFONT& font)
{
    const char* end =
        static_cast<const char*>(std::memchr(font.lfFaceName, 0, sizeof(font.lfFaceName)));
    size_t length = end ? static_cast<size_t>(end - font.lfFaceName) : sizeof(font.lfFaceName);
    return std::string(font.lfFaceName, length);
}

// The largest character height a font is made with, in pixels.
constexpr std::int64_t kMaxFontPixels = 2048;

QFont fontFromLogFont(const LOGFONT& font)
{
    QFont result;
    const std::string face = faceName(font);
    if (!face.empty()) {
        result.setFamily(QString::fromStdString(face));
    }
    // A positive height is the cell height, which includes the internal leading; about 80 % of
    // it is the character height, as in the common Windows faces.
    // Heights come from files and scripts: any value, INT_MIN too, gives a usable size.
    const std::int64_t height = font.lfHeight;
    std::int64_t pixels = height < 0 ? -height : std::llround(static_cast<double>(height) * 0.8);
    if (pixels == 0) {
        pixels = 13; // the default GUI font at 96 dots per inch
    }
    result.setPixelSize(static_cast<int>(std::min<std::int64_t>(pixels, kMaxFontPixels)));
    if (font.lfWeight > 0) {
        // Windows weights run 1..1000, Qt's QFont::Weight 1..1000 likewise since Qt 6.
        result.setWeight(static_cast<QFont::Weight>(std::clamp<int32_t>(font.lfWeight, 1, 1000)));
    }
    result.setItalic(font.lfItalic != 0);
    result.setUnderline(font.lfUnderline != 0);
    result.setStrikeOut(font.lfStrikeOut != 0);
    return result;
}

LOGFONT logFontFromFont(const QFont& font)
{
    LOGFONT result;
    double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kFontDpi / 72.0;
    result.lfHeight = -static_cast<int32_t>(std::lround(pixels));
    result.lfWeight = static_cast<int32_t>(font.weight());
    result.lfItalic = font.italic() ? 1 : 0;
    result.lfUnderline = font.underline() ? 1 : 0;
    result.lfStrikeOut = font.strikeOut() ? 1 : 0;
    setFaceName(result, font.family().toStdString());
    return result;
}

int pointSizeTenths(const LOGFONT& font)
{
    const int pixels =
        font.lfHeight < 0 ? -font.lfHeight : static_cast<int>(std::lround(font.lfHeight * 0.8));
    return static_cast<int>(std::lround(pixels * 720.0 / kFontDpi));
}

} // namespace platform::qt
