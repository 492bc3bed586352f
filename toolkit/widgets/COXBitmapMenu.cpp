#include "toolkit/widgets/COXBitmapMenu.h"

#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "toolkit/widgets/COXBitmapMenuPopupWnd.h"
#include "toolkit/widgets/COXMenuOrganizer.h"
#include "toolkit/widgets/SystemColors.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cstring>

namespace fw = platform::framework;
namespace tw = toolkit::widgets;

QPixmap OXImageInfo::pixmap(bool hot) const
{
    const int at = hot && hotIndex >= 0 ? hotIndex : index;
    if (!imageList || at < 0 || at >= static_cast<int>(imageList->size()))
        return QPixmap();
    return (*imageList)[static_cast<size_t>(at)];
}

QSize OXImageInfo::size() const
{
    const QPixmap image = pixmap();
    return image.isNull() ? QSize(0, 0) : image.deviceIndependentSize().toSize();
}

namespace {

bool bitmapMenuIsSeparator(unsigned state)
{
    return (state & fw::MF_POPUP) == 0 && (state & fw::MF_SEPARATOR) != 0;
}

QSize defaultMeasure(const QString& text)
{
    const QFontMetrics metrics(QApplication::font("QMenu"));
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

// Splits an item text at its first tab into item text and accelerator text.
std::pair<std::string, std::string> splitText(const std::string& text)
{
    const size_t tab = text.find('\t');
    if (tab == std::string::npos)
        return {text, std::string()};
    return {text.substr(0, tab), text.substr(tab + 1)};
}

// The text as Qt shows it: "&" marks the mnemonic and "&&" stands for one "&".
QString shownText(const std::string& text)
{
    QString out;
    const QString in = QString::fromStdString(text);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'&') {
            if (i + 1 < in.size() && in[i + 1] == u'&')
                out += u'&', ++i;
            continue;
        }
        out += in[i];
    }
    return out;
}

QColor sysColor(int index)
{
    return tw::toQColor(tw::GetSysColor(index));
}

QBrush shadingBrush()
{
    QImage pattern(8, 8, QImage::Format_RGB32);
    const QRgb menu = sysColor(tw::COLOR_MENU).rgb();
    const QRgb light = sysColor(tw::COLOR_BTNHIGHLIGHT).rgb();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, ((x + y) % 2) == 0 ? menu : light);
    return QBrush(QPixmap::fromImage(pattern));
}

} // namespace

COXBitmapMenu::COXBitmapMenu(fw::HMENU menu) : m_hMenu(menu), m_measurer(defaultMeasure) {}

COXBitmapMenu::~COXBitmapMenu()
{
    m_dragging = false;
    if (m_popupWnd)
        m_popupWnd->HideMenu();
    // The records are the items' data: take them off the items that still point at them.
    if (fw::IsMenu(m_hMenu)) {
        for (int i = 0; i < fw::GetMenuItemCount(m_hMenu); ++i) {
            if (ownsItemData(
                    fw::GetMenuItemData(m_hMenu, static_cast<unsigned>(i), fw::MF_BYPOSITION)))
                fw::SetMenuItemData(m_hMenu, static_cast<unsigned>(i), fw::MF_BYPOSITION, 0);
        }
    }
}

OXItemData* COXBitmapMenu::AddItemData(OXImageInfo* image, std::string text)
{
    auto record = std::make_unique<OXItemData>();
    record->image = image;
    record->text = std::move(text);
    m_itemData.push_back(std::move(record));
    return m_itemData.back().get();
}

bool COXBitmapMenu::ownsItemData(uintptr_t data) const
{
    if (data == 0)
        return false;
    return std::any_of(m_itemData.begin(), m_itemData.end(), [data](const auto& record) {
        return reinterpret_cast<uintptr_t>(record.get()) == data;
    });
}

OXItemData* COXBitmapMenu::itemData(int position) const
{
    const uintptr_t data =
        fw::GetMenuItemData(m_hMenu, static_cast<unsigned>(position), fw::MF_BYPOSITION);
    return ownsItemData(data) ? reinterpret_cast<OXItemData*>(data) : nullptr;
}

void COXBitmapMenu::freeItemData()
{
    m_itemData.clear();
}

void COXBitmapMenu::setMnemonic(char32_t character, int position)
{
    // Qt chooses the first item with a mnemonic: keep the first entry of a character.
    m_mnemonics.emplace(character, position);
}

std::optional<int> COXBitmapMenu::mnemonic(char32_t character) const
{
    const auto found = m_mnemonics.find(character);
    if (found == m_mnemonics.end())
        return std::nullopt;
    return found->second;
}

std::optional<char32_t> COXBitmapMenu::mnemonicOf(const std::string& text)
{
    const QString in = QString::fromStdString(text);
    for (qsizetype i = 0; i + 1 < in.size(); ++i) {
        if (in[i] != u'&')
            continue;
        if (in[i + 1] == u'&') {
            ++i;
            continue;
        }
        return static_cast<char32_t>(in[i + 1].toLower().unicode());
    }
    return std::nullopt;
}

void COXBitmapMenu::CalcExtents()
{
    m_bitmapExtent = 0;
    m_stringExtent = 0;
    m_acceleratorExtent = 0;
    const int count = std::max(0, fw::GetMenuItemCount(m_hMenu));
    for (int i = 0; i < count; ++i) {
        const unsigned state =
            fw::GetMenuState(m_hMenu, static_cast<unsigned>(i), fw::MF_BYPOSITION);
        if (bitmapMenuIsSeparator(state))
            continue;
        const OXItemData* data = itemData(i);
        if (data && data->image)
            m_bitmapExtent = std::max(m_bitmapExtent, data->image->size().width());
        const std::string text =
            data ? data->text
                 : fw::GetMenuString(m_hMenu, static_cast<unsigned>(i), fw::MF_BYPOSITION)
                       .value_or("");
        auto [item, accelerator] = splitText(text);
        if (accelerator.empty() && (state & fw::MF_POPUP) != 0)
            accelerator = "W";
        m_stringExtent = std::max(m_stringExtent, m_measurer(shownText(item)).width());
        if (!accelerator.empty())
            m_acceleratorExtent =
                std::max(m_acceleratorExtent, m_measurer(shownText(accelerator)).width());
    }
    m_textHeight = m_measurer(QStringLiteral("A")).height();
}

std::optional<QSize> COXBitmapMenu::MeasureItem(int position) const
{
    const OXItemData* data = itemData(position);
    if (!data)
        return std::nullopt;
    const int imageHeight = data->image ? data->image->size().height() + 2 : 0;
    int width =
        kImageGapLeft + m_bitmapExtent + kImageTextGap + m_stringExtent + kAcceleratorGapRight;
    if (m_acceleratorExtent != 0)
        width += m_acceleratorExtent + kTextAcceleratorGap;
    const unsigned id = fw::GetMenuItemID(m_hMenu, position);
    const unsigned state =
        fw::GetMenuState(m_hMenu, static_cast<unsigned>(position), fw::MF_BYPOSITION);
    if ((id == 0 || id == 0xFFFF) && (state & fw::MF_POPUP) == 0)
        return QSize(width, kSeparatorHeight);
    return QSize(width, std::max(m_textHeight + kTextHeightExtra, imageHeight + kImageHeightExtra));
}

COXBitmapMenu::ItemRects COXBitmapMenu::GetItemRects(const QRect& item, const QSize& image) const
{
    ItemRects rects;
    rects.image =
        QRect(item.left() + kImageGapLeft, item.top() + (item.height() - image.height()) / 2,
              image.width(), image.height());
    rects.imageFrame = rects.image.adjusted(-2, -2, 2, 2);
    rects.text =
        QRect(item.left() + kImageGapLeft + m_bitmapExtent + kImageTextGap,
              item.top() + (item.height() - m_textHeight) / 2, m_stringExtent, m_textHeight);
    QRect accelerator(item.right() + 1 - kAcceleratorGapRight - m_acceleratorExtent,
                      rects.text.top(), m_acceleratorExtent, m_textHeight);
    const int gap = accelerator.left() - (rects.text.right() + 1);
    accelerator.translate(-gap / 2, 0);
    rects.accelerator = accelerator;
    return rects;
}

int COXBitmapMenu::ItemFromPoint(const QPoint& point, bool* lowerHalf) const
{
    int top = 0;
    const int count = std::max(0, fw::GetMenuItemCount(m_hMenu));
    for (int i = 0; i < count; ++i) {
        const int height = MeasureItem(i).value_or(QSize()).height();
        if (top + height > point.y()) {
            if (lowerHalf)
                *lowerHalf = point.y() >= top + height / 2;
            return i;
        }
        top += height;
    }
    if (lowerHalf)
        *lowerHalf = false;
    return -1;
}

void COXBitmapMenu::DrawItem(QPainter& painter, const QRect& rect, int position, unsigned state)
{
    const OXItemData* data = itemData(position);
    const unsigned id = fw::GetMenuItemID(m_hMenu, position);
    const unsigned itemState =
        fw::GetMenuState(m_hMenu, static_cast<unsigned>(position), fw::MF_BYPOSITION);
    if (m_organizer && m_organizer->IsShowOnlyRecentlyUsedItems() &&
        !m_organizer->IsItemRecentlyUsed(m_hMenu, position)) {
        state |= OXODS_HIDDEN;
        if (position > 0 && m_organizer->IsItemRecentlyUsed(m_hMenu, position - 1))
            state |= OXODS_PREVVISIBLE;
        if (position + 1 < fw::GetMenuItemCount(m_hMenu) &&
            m_organizer->IsItemRecentlyUsed(m_hMenu, position + 1))
            state |= OXODS_NEXTVISIBLE;
    }
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool checked = (state & ODS_CHECKED) != 0;
    const bool hidden = (state & OXODS_HIDDEN) != 0;
    painter.save();
    if ((id == 0 || id == 0xFFFF) && (itemState & fw::MF_POPUP) == 0) {
        // An etched line at the vertical centre.
        const QRect line = rect.adjusted(2, 0, -2, 0);
        const int y = line.top() + line.height() / 2 - 1;
        painter.fillRect(QRect(line.left(), y, line.width(), 1), sysColor(tw::COLOR_BTNSHADOW));
        painter.fillRect(QRect(line.left(), y + 1, line.width(), 1),
                         sysColor(tw::COLOR_BTNHIGHLIGHT));
        painter.restore();
        return;
    }
    const OXImageInfo* image = data ? data->image : nullptr;
    const bool checkImage = image && image->checkImage;
    const QSize imageSize = image ? image->size() : QSize(0, 0);
    const ItemRects rects = GetItemRects(rect, imageSize);

    // Background: the image frame, then the rest of the item.
    const QColor menuColor = sysColor(tw::COLOR_MENU);
    const QColor highlight = sysColor(tw::COLOR_HIGHLIGHT);
    if (image) {
        if (hidden && !checkImage)
            painter.fillRect(rects.imageFrame, shadingBrush());
        else if (checked)
            painter.fillRect(rects.imageFrame, selected ? QBrush(menuColor) : shadingBrush());
        else
            painter.fillRect(rects.imageFrame, selected && checkImage ? highlight : menuColor);
    }
    if (hidden && !selected) {
        painter.fillRect(rect, shadingBrush());
        if (state & OXODS_PREVVISIBLE)
            painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1),
                             sysColor(tw::COLOR_BTNSHADOW));
        if (state & OXODS_NEXTVISIBLE)
            painter.fillRect(QRect(rect.left(), rect.bottom() - 1, rect.width(), 1),
                             sysColor(tw::COLOR_BTNHIGHLIGHT));
    } else {
        const int k = checked ? 2 : (checkImage ? -1 : 1);
        const int left = std::max(image ? rects.imageFrame.right() + 1 : rect.left(),
                                  rect.left() + kImageGapLeft + m_bitmapExtent + k);
        painter.fillRect(QRect(left, rect.top(), rect.right() + 1 - left, rect.height() - 1),
                         selected ? highlight : menuColor);
    }
    // Image frame.
    if (image && checked) {
        painter.setPen(sysColor(tw::COLOR_BTNSHADOW));
        painter.drawRect(rects.imageFrame.adjusted(0, 0, -1, -1));
    } else if (image && selected && !disabled && !checkImage) {
        painter.setPen(sysColor(tw::COLOR_BTNHIGHLIGHT));
        painter.drawRect(rects.imageFrame.adjusted(1, 1, -2, -2));
    }
    // Image.
    if (image && (!checkImage || checked)) {
        QPixmap pixmap = image->pixmap(selected);
        if (disabled && !pixmap.isNull())
            pixmap = QIcon(pixmap).pixmap(pixmap.deviceIndependentSize().toSize(), QIcon::Disabled);
        if (!pixmap.isNull())
            painter.drawPixmap(rects.image.topLeft(), pixmap);
    }
    const QColor textColor = disabled   ? sysColor(tw::COLOR_GRAYTEXT)
                             : selected ? sysColor(tw::COLOR_HIGHLIGHTTEXT)
                                        : sysColor(tw::COLOR_MENUTEXT);
    QStyle* style = QApplication::style();
    if (id == ID_OX_SHOWALLITEMS) {
        QStyleOption option;
        option.rect = rect;
        option.palette.setColor(QPalette::ButtonText, textColor);
        option.palette.setColor(QPalette::WindowText, textColor);
        option.state = disabled ? QStyle::State_None : QStyle::State_Enabled;
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter);
        painter.restore();
        return;
    }
    const auto [item, accelerator] = splitText(data ? data->text : std::string());
    painter.setPen(textColor);
    painter.setFont(QApplication::font("QMenu"));
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    painter.drawText(rects.text.adjusted(0, 0, 4, 0), flags | Qt::AlignLeft,
                     QString::fromStdString(item));
    if (!accelerator.empty())
        painter.drawText(rects.accelerator, flags | Qt::AlignRight,
                         QString::fromStdString(accelerator));
    if ((itemState & fw::MF_POPUP) != 0) {
        // The sub-menu arrow in the accelerator column, which reserves the width of "W".
        QStyleOption option;
        option.rect = QRect(rect.right() - kAcceleratorGapRight - rects.text.height(),
                            rects.text.top(), rects.text.height(), rects.text.height());
        option.palette.setColor(QPalette::ButtonText,
                                disabled ? sysColor(tw::COLOR_BTNSHADOW) : textColor);
        option.palette.setColor(QPalette::WindowText,
                                disabled ? sysColor(tw::COLOR_BTNSHADOW) : textColor);
        option.state = QStyle::State_Enabled;
        style->drawPrimitive(QStyle::PE_IndicatorArrowRight, &option, &painter);
    }
    if (position == m_selectedIndex && m_customizeMode) {
        painter.setPen(QPen(sysColor(tw::COLOR_MENUTEXT), 2, Qt::DotLine));
        painter.drawRect(rect.adjusted(1, 1, -1, -1));
    }
    if (m_dropPosition >= 0) {
        const int count = fw::GetMenuItemCount(m_hMenu);
        const int markAt = std::min(m_dropPosition, count - 1);
        if (markAt == position) {
            const QRect line = rect.adjusted(2, 0, -2, 0);
            const int y = m_dropPosition >= count ? rect.bottom() : rect.top();
            painter.setPen(sysColor(tw::COLOR_MENUTEXT));
            painter.drawLine(line.left(), y, line.right(), y);
            painter.drawLine(line.left(), y - 2, line.left(), y + 1);
            painter.drawLine(line.right(), y - 2, line.right(), y + 1);
        }
    }
    painter.restore();
}

void COXBitmapMenu::SelectItem(int index)
{
    if (index == m_selectedIndex)
        return;
    m_selectedIndex = index;
    if (!m_popupWnd)
        return;
    m_popupWnd->update();
    NotifyOwner(CMD_SELECTION_CHANGED);
}

void COXBitmapMenu::SetDropPosition(int position)
{
    if (position == m_dropPosition)
        return;
    m_dropPosition = position;
    if (m_popupWnd)
        m_popupWnd->update();
    NotifyOwner(CMD_DROP_POSITION_CHANGED);
}

int COXBitmapMenu::NotifyOwner(unsigned command)
{
    return m_target ? m_target(OXBMN_NOTIFY, command) : 0;
}

std::vector<COXBitmapMenu::MenuEntry> COXBitmapMenu::CustomizeMenuEntries(int index) const
{
    std::vector<MenuEntry> entries;
    const int count = fw::GetMenuItemCount(m_hMenu);
    if (index < 0 || index >= count)
        return entries;
    const unsigned id = fw::GetMenuItemID(m_hMenu, index);
    const bool hasSubmenu = fw::GetSubMenu(m_hMenu, index) != 0;
    if ((id >= 57616 && id <= 57631) || (!hasSubmenu && id >= 65280))
        return entries;
    const auto separatorAt = [this, count](int at) {
        return at >= 0 && at < count &&
               bitmapMenuIsSeparator(
                   fw::GetMenuState(m_hMenu, static_cast<unsigned>(at), fw::MF_BYPOSITION));
    };
    const bool separator = separatorAt(index);
    entries.push_back({ID_OXCUSTBM_DELETE, 0});
    if (!separator) {
        entries.push_back({0, fw::MF_SEPARATOR});
        entries.push_back({ID_OXCUSTBM_OWNER, 0});
        entries.push_back({0, fw::MF_SEPARATOR});
    }
    if (m_organizer && m_organizer->isAttached() && m_organizer->IsShowOnlyRecentlyUsedItems()) {
        entries.push_back({ID_OXCUSTBM_RECENTLY_USED,
                           m_organizer->IsItemRecentlyUsed(m_hMenu, index) ? fw::MF_CHECKED : 0u});
        entries.push_back({0, fw::MF_SEPARATOR});
    }
    const bool before = index > 0 && !separatorAt(index - 1);
    const bool after = index + 1 < count && !separatorAt(index + 1);
    entries.push_back({ID_OXCUSTBM_SEPARATOR_BEFORE, before ? 0u : fw::MF_GRAYED});
    entries.push_back({ID_OXCUSTBM_SEPARATOR_AFTER, after ? 0u : fw::MF_GRAYED});
    return entries;
}

bool COXBitmapMenu::ShowCustomizeMenu(int index, const QPoint& screenPoint)
{
    const std::vector<MenuEntry> entries = CustomizeMenuEntries(index);
    if (entries.empty())
        return false;
    // Captions of the string table, with our own where it has none.
    const char* fallbacks[] = {"Delete", "Owner Command", "Insert Separator Before",
                               "Insert Separator After", "Recently Used"};
    const unsigned stringIds[] = {26531, 26532, 26534, 26535, 26533};
    const fw::HMENU popup = fw::CreatePopupMenu();
    for (const MenuEntry& entry : entries) {
        if (entry.command == 0) {
            fw::AppendMenu(popup, fw::MF_SEPARATOR, 0, "");
            continue;
        }
        const unsigned slot = entry.command - ID_OXCUSTBM_DELETE;
        const std::string text =
            fw::Resources::instance().LoadString(stringIds[slot]).value_or(fallbacks[slot]);
        fw::AppendMenu(popup, fw::MF_STRING | entry.flags, entry.command, text);
    }
    const unsigned chosen = fw::MenuRenderer::trackPopupMenu(popup, screenPoint, nullptr, nullptr);
    fw::DestroyMenu(popup);
    if (chosen != 0)
        OnCommand(chosen);
    return true;
}

void COXBitmapMenu::OnCommand(unsigned command)
{
    if (command < ID_OXCUSTBM_DELETE || command > ID_OXCUSTBM_RECENTLY_USED)
        return;
    if (NotifyOwner(command) != 0)
        return;
    const int count = fw::GetMenuItemCount(m_hMenu);
    const int index = m_selectedIndex;
    const bool valid = index >= 0 && index < count;
    switch (command) {
    case ID_OXCUSTBM_DELETE:
        if (valid)
            fw::DeleteMenu(m_hMenu, static_cast<unsigned>(index), fw::MF_BYPOSITION);
        m_selectedIndex = -1;
        Refresh();
        break;
    case ID_OXCUSTBM_OWNER:
        break;
    case ID_OXCUSTBM_SEPARATOR_BEFORE:
        if (valid) {
            fw::InsertMenu(m_hMenu, static_cast<unsigned>(index),
                           fw::MF_BYPOSITION | fw::MF_SEPARATOR, 0, "");
            Refresh();
            m_selectedIndex = index + 1;
        }
        break;
    case ID_OXCUSTBM_SEPARATOR_AFTER:
        if (valid) {
            fw::InsertMenu(m_hMenu, static_cast<unsigned>(index + 1),
                           fw::MF_BYPOSITION | fw::MF_SEPARATOR, 0, "");
            Refresh();
        }
        break;
    case ID_OXCUSTBM_RECENTLY_USED:
        if (valid && m_organizer) {
            if (m_organizer->IsItemRecentlyUsed(m_hMenu, index))
                m_organizer->HideItem(m_hMenu, index);
            else
                m_organizer->ShowItem(m_hMenu, index);
        }
        Refresh();
        break;
    default:
        break;
    }
}

void COXBitmapMenu::Refresh()
{
    if (m_organizer && m_organizer->isAttached())
        m_organizer->ConvertMenu(this, false);
    CalcExtents();
    if (m_popupWnd)
        m_popupWnd->RecalcAndRefresh();
}

void COXBitmapMenu::OnDragStart(int)
{
    m_dragging = false;
}

bool COXBitmapMenu::OnDragEnter()
{
    if (!m_customizable)
        return false;
    m_dragOver = true;
    int effect = 0;
    return OnDragOver(&effect);
}

bool COXBitmapMenu::OnDragOver(int* dropEffect)
{
    if (!m_customizable)
        return false;
    if (dropEffect)
        *dropEffect = 0;
    return true;
}

bool COXBitmapMenu::OnDragLeave()
{
    if (!m_customizable)
        return false;
    SetDropPosition(-1);
    m_dragOver = false;
    return true;
}

bool COXBitmapMenu::OnDrop(int* dropEffect)
{
    if (!m_customizable)
        return false;
    if (dropEffect)
        *dropEffect = 0;
    m_dragOver = false;
    return true;
}

namespace {

struct DraggedRecord
{
    uint32_t id = 0;
    std::string text;
    uint32_t code = 0;
};

// One record at cursor, bounded by end; nothing when it is truncated (cursor unchanged).
std::optional<DraggedRecord> readDraggedRecord(const uint8_t*& cursor, const uint8_t* end)
{
    const uint8_t* at = cursor;
    if (end - at < 4)
        return std::nullopt;
    DraggedRecord record;
    std::memcpy(&record.id, at, 4);
    at += 4;
    const auto* nul =
        static_cast<const uint8_t*>(std::memchr(at, 0, static_cast<size_t>(end - at)));
    if (!nul)
        return std::nullopt;
    record.text.assign(reinterpret_cast<const char*>(at), static_cast<size_t>(nul - at));
    at = nul + 1;
    if (end - at < 5 + 4)
        return std::nullopt;
    at += 5;
    std::memcpy(&record.code, at, 4);
    at += 4;
    cursor = at;
    return record;
}

} // namespace

int COXBitmapMenu::InsertDraggedItems(const uint8_t*& cursor, const uint8_t* end, fw::HMENU menu,
                                      int position)
{
    if (!fw::IsMenu(menu) || cursor == nullptr || end == nullptr || cursor > end)
        return 0;
    int inserted = 0;
    // Bounded by the data: every record takes at least 14 bytes.
    while (cursor < end) {
        const std::optional<DraggedRecord> record = readDraggedRecord(cursor, end);
        if (!record)
            break;
        std::string text = record->text;
        if (text.empty() && record->id != 0) {
            const std::string resource =
                fw::Resources::instance().LoadString(record->id).value_or("");
            const size_t newline = resource.find('\n');
            text = newline == std::string::npos ? std::string() : resource.substr(newline + 1);
        }
        const unsigned at = static_cast<unsigned>(position + inserted);
        if (record->id == 0) {
            fw::InsertMenu(menu, at, fw::MF_BYPOSITION | fw::MF_SEPARATOR, 0, "");
        } else if (record->id == 0xFFFFFFFF) {
            const fw::HMENU sub = fw::CreatePopupMenu();
            if (record->code != 0 && record->code != 2)
                InsertDraggedItems(cursor, end, sub, 0);
            fw::InsertMenu(menu, at, fw::MF_BYPOSITION | fw::MF_POPUP, sub, text);
        } else {
            fw::InsertMenu(menu, at, fw::MF_BYPOSITION | fw::MF_STRING, record->id, text);
        }
        ++inserted;
        if (record->code == 0 || record->code == 2)
            break;
    }
    if (inserted > 0 && m_organizer && m_organizer->isAttached() && menu != m_hMenu &&
        !m_organizer->convertedMenu(menu))
        m_organizer->OnInitMenuPopup(menu);
    if (inserted > 0)
        Refresh();
    return inserted;
}

OXPopupLayout layoutBitmapMenuPopup(const std::vector<QSize>& itemSizes, int alignment, int x,
                                    int y, int frameWidth, int frameHeight)
{
    OXPopupLayout layout;
    int width = 0;
    int height = 0;
    for (const QSize& size : itemSizes) {
        layout.items.emplace_back(0, height, size.width(), size.height());
        width = std::max(width, size.width());
        height += size.height();
    }
    if (width == 0 && height == 0) {
        width = 50;
        height = 18;
    }
    int left = x;
    if (alignment == 4)
        left = x - width / 2;
    else if (alignment == 8)
        left = x - width;
    // Grown by the frame, its outer top-left at (left, y), widened on the right by twice the
    // frame's left width.
    layout.window =
        QRect(left, y, width + 2 * frameWidth + 2 * frameWidth, height + 2 * frameHeight);
    for (QRect& item : layout.items) {
        if (item.width() < width + 2 * frameWidth)
            item.setWidth(width + 2 * frameWidth);
    }
    return layout;
}
