#pragma once

#include "platform/qt/LOGFONT.h"
#include "toolkit/widgets/COXListBoxEx.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A list of the installed font faces, each drawn in its own face with an image for its font type
// (1 TrueType, 0 others) and a block of up to 6 recently-used faces on top; symbol faces are
// shown as "[name]" in the box's own font. The faces come from a font source (the font database
// unless a test installs another). GUI thread only.
class COXFontListBox : public COXListBoxEx
{
public:
    static constexpr uint32_t RASTER_FONTTYPE = 0x1;
    static constexpr uint32_t DEVICE_FONTTYPE = 0x2;
    static constexpr uint32_t TRUETYPE_FONTTYPE = 0x4;
    static constexpr uint8_t SYMBOL_CHARSET = 2;
    static constexpr unsigned kTypeImagesBitmap = 26360;
    // Where the block is kept while the list is refilled for another filter.
    static constexpr const char* kFilterCopySection = "FontListBox_MRU_ABCDEFG_0123456_Copy";

    // One enumerated face.
    struct FontFace
    {
        platform::qt::LOGFONT logFont;
        uint32_t fontType = 0;
    };
    struct FontRecord
    {
        platform::qt::LOGFONT logFont;
        uint32_t fontType = 0;
        bool symbol = false;
    };
    using FontSource = std::function<std::vector<FontFace>()>;
    // Replaces where faces come from (an empty function: the font database).
    static void setFontSource(FontSource source);
    // The faces of the font database.
    static std::vector<FontFace> installedFaces();
    // Whether a face is a symbol font: the symbol character set, or a name holding "SYMBOL",
    // "BATS", "BRAILLE", " EXTRAS", or both "LINE" and "DRAW".
    static bool isSymbolFace(const platform::qt::LOGFONT& logFont);

    explicit COXFontListBox(QWidget* parent = nullptr);

    // Fills the list (and loads the block when saving is on).
    bool Initialize() override;
    void SetFontTypeFilter(int32_t filter);
    int32_t GetFontTypeFilter() const { return m_nFontTypeFilter; }
    void SetFontHeight(int32_t height) { m_nFontHeight = height; }
    int32_t GetFontHeight() const { return m_nFontHeight; }
    // Every face is listed unless a subclass says otherwise.
    virtual bool AcceptFont(const FontRecord& record) const;
    // The record of an item, null outside the list.
    const FontRecord* fontRecord(int index) const;

    QString displayText(int index) const override;
    QFont displayFont(int index) const override;

protected:
    // Puts a face back outside the block at its place in name order.
    int InsertItem(const std::string& text, int preferredIndex) override;
    void fill();

private:
    int32_t m_nFontHeight = 20;
    int32_t m_nFontTypeFilter = 0;
    std::vector<FontRecord> m_fonts;
};
