#include "toolkit/widgets/COXFontListBox.h"

#include "platform/qt/UiServices.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/SystemColors.h"

#include <QBitmap>
#include <QFontDatabase>

#include <algorithm>
#include <unordered_map>

using platform::qt::LOGFONT;
using toolkit::widgets::GetSysColor;

namespace {

COXFontListBox::FontSource& fontSource()
{
    static COXFontListBox::FontSource instance;
    return instance;
}

QString faceOf(const LOGFONT& logFont)
{
    return QString::fromStdString(platform::qt::faceName(logFont));
}

// The font-type images: 16-pixel-wide images of one bitmap, light grey transparent.
std::vector<QPixmap> typeImages()
{
    const QImage strip = toolkit::widgets::loadBitmapResource(COXFontListBox::kTypeImagesBitmap);
    std::vector<QPixmap> images;
    if (strip.isNull())
        return images;
    for (int x = 0; x + 16 <= strip.width(); x += 16) {
        const QImage part =
            strip.copy(x, 0, 16, strip.height()).convertToFormat(QImage::Format_RGB32);
        QPixmap pixmap = QPixmap::fromImage(part);
        pixmap.setMask(QBitmap::fromImage(part.createMaskFromColor(qRgb(0xC0, 0xC0, 0xC0))));
        images.push_back(pixmap);
    }
    return images;
}

} // namespace

void COXFontListBox::setFontSource(FontSource replacement)
{
    fontSource() = std::move(replacement);
}

std::vector<COXFontListBox::FontFace> COXFontListBox::installedFaces()
{
    std::vector<FontFace> faces;
    for (const QString& family : QFontDatabase::families()) {
        FontFace face;
        platform::qt::setFaceName(face.logFont, family.toStdString());
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        if (systems.contains(QFontDatabase::Symbol) && !systems.contains(QFontDatabase::Latin))
            face.logFont.lfCharSet = SYMBOL_CHARSET;
        face.fontType =
            QFontDatabase::isSmoothlyScalable(family) ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE;
        faces.push_back(face);
    }
    return faces;
}

bool COXFontListBox::isSymbolFace(const LOGFONT& logFont)
{
    if (logFont.lfCharSet == SYMBOL_CHARSET)
        return true;
    const std::string name = faceOf(logFont).toUpper().toStdString();
    const auto has = [&name](const char* word) { return name.find(word) != std::string::npos; };
    return has("SYMBOL") || has("BATS") || has("BRAILLE") || has(" EXTRAS") ||
           (has("LINE") && has("DRAW"));
}

COXFontListBox::COXFontListBox(QWidget* parent) : COXListBoxEx(false, parent)
{
    SetMaxMRU(6);
    SetImageList(typeImages());
    // Every face is drawn at one height: the rows need not be measured one by one.
    setUniformItemSizes(true);
}

bool COXFontListBox::AcceptFont(const FontRecord&) const
{
    return true;
}

const COXFontListBox::FontRecord* COXFontListBox::fontRecord(int index) const
{
    const intptr_t record = GetItemData(index);
    if (index < 0 || index >= GetCount() || record < 0 ||
        record >= static_cast<intptr_t>(m_fonts.size()))
        return nullptr;
    return &m_fonts[static_cast<std::size_t>(record)];
}

bool COXFontListBox::Initialize()
{
    fill();
    return COXListBoxEx::Initialize();
}

void COXFontListBox::fill()
{
    platform::qt::WaitCursor wait;
    setUpdatesEnabled(false);
    ResetContent();
    m_fonts.clear();
    const std::vector<FontFace> faces = fontSource() ? fontSource()() : installedFaces();
    m_fonts.reserve(faces.size());
    for (const FontFace& face : faces) {
        FontRecord record{face.logFont, face.fontType, false};
        record.logFont.lfFaceName[sizeof record.logFont.lfFaceName - 1] = '\0';
        record.logFont.lfHeight = m_nFontHeight;
        record.symbol = isSymbolFace(record.logFont);
        if (AcceptFont(record))
            m_fonts.push_back(record);
    }
    // By name, case ignored; of two faces of one name the TrueType one stays.
    std::vector<std::pair<QString, std::size_t>> order;
    order.reserve(m_fonts.size());
    for (std::size_t i = 0; i < m_fonts.size(); ++i)
        order.emplace_back(faceOf(m_fonts[i].logFont), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    std::vector<FontRecord> kept;
    kept.reserve(order.size());
    for (const auto& [name, i] : order) {
        const FontRecord& record = m_fonts[i];
        if (!kept.empty() && faceOf(kept.back().logFont).compare(name, Qt::CaseInsensitive) == 0) {
            if ((kept.back().fontType & TRUETYPE_FONTTYPE) == 0 &&
                (record.fontType & TRUETYPE_FONTTYPE) != 0)
                kept.back() = record;
            continue;
        }
        kept.push_back(record);
    }
    m_fonts = std::move(kept);
    ItemInfo info;
    info.textColour = GetSysColor(toolkit::widgets::COLOR_WINDOWTEXT);
    info.bkColour = GetSysColor(toolkit::widgets::COLOR_WINDOW);
    info.highlightTextColour = GetSysColor(toolkit::widgets::COLOR_HIGHLIGHTTEXT);
    info.highlightBkColour = GetSysColor(toolkit::widgets::COLOR_HIGHLIGHT);
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        info.font = platform::qt::fontFromLogFont(m_fonts[i].logFont);
        info.image = m_fonts[i].fontType == TRUETYPE_FONTTYPE ? 1 : 0;
        appendItem(faceOf(m_fonts[i].logFont).toStdString(), static_cast<intptr_t>(i), info);
    }
    setUpdatesEnabled(true);
}

void COXFontListBox::SetFontTypeFilter(int32_t filter)
{
    // The recently-used faces survive the refill through a copy in the profile.
    SaveMRU(kFilterCopySection);
    m_nFontTypeFilter = filter;
    fill();
    LoadMRU(kFilterCopySection);
}

QString COXFontListBox::displayText(int index) const
{
    const FontRecord* record = fontRecord(index);
    const QString name = COXListBoxEx::displayText(index);
    return record && record->symbol ? QStringLiteral("[%1]").arg(name) : name;
}

QFont COXFontListBox::displayFont(int index) const
{
    const FontRecord* record = fontRecord(index);
    return record && record->symbol ? font() : COXListBoxEx::displayFont(index);
}

int COXFontListBox::InsertItem(const std::string& text, int preferredIndex)
{
    const QString name = QString::fromStdString(text);
    int place = std::max(GetLastMRU() + 1, 0);
    while (place < GetCount() &&
           QString::fromStdString(GetText(place)).compare(name, Qt::CaseInsensitive) < 0)
        ++place;
    (void)preferredIndex;
    return InsertString(place, text);
}
