#include "toolkit/widgets/COXListBoxEx.h"

#include "platform/win/AppProfile.h"
#include "toolkit/widgets/SystemColors.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>
#include <climits>

namespace profile = platform::win::app_profile;
using toolkit::widgets::GetSysColor;
using toolkit::widgets::toQColor;

namespace {

constexpr COXListBoxEx::COLORREF kNoColour = 0xFFFFFFFF;
// Space between an item's image and its text, and round the text.
constexpr int kImageGap = 2;
constexpr int kTextMargin = 2;
// The line under the block's last entry.
constexpr int kSeparatorHeight = 2;

// An item with its data value and its attributes.
class InfoItem : public QListWidgetItem
{
public:
    explicit InfoItem(const QString& text) : QListWidgetItem(text) {}
    intptr_t data = 0;
    std::optional<COXListBoxEx::ItemInfo> info;
};

InfoItem* infoItem(QListWidgetItem* item)
{
    return static_cast<InfoItem*>(item);
}

// Draws the items through the list box's own drawing.
class ItemDelegate : public QStyledItemDelegate
{
public:
    explicit ItemDelegate(COXListBoxEx& box) : QStyledItemDelegate(&box), m_box(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        m_box.paintItem(*painter, index.row(), option.rect,
                        (option.state & QStyle::State_Selected) != 0,
                        (option.state & QStyle::State_HasFocus) != 0);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        return m_box.itemSize(index.row());
    }

private:
    COXListBoxEx& m_box;
};

} // namespace

struct COXListBoxEx::Saved
{
    std::string text;
    intptr_t data = 0;
    std::optional<ItemInfo> info;
    bool selected = false;
    bool current = false;
};

COXListBoxEx::COXListBoxEx(bool multipleSelection, QWidget* parent)
    : QListWidget(parent), m_clrBackground(GetSysColor(toolkit::widgets::COLOR_WINDOW))
{
    setSelectionMode(multipleSelection ? QAbstractItemView::MultiSelection
                                       : QAbstractItemView::SingleSelection);
    setItemDelegate(new ItemDelegate(*this));
    setUniformItemSizes(false);
    SetBkColor(m_clrBackground);
}

COXListBoxEx::~COXListBoxEx()
{
    if (m_bSaveMRU)
        SaveMRU(kMruSection);
}

int COXListBoxEx::AddString(const std::string& text)
{
    addItem(new InfoItem(QString::fromStdString(text)));
    return count() - 1;
}

int COXListBoxEx::appendItem(const std::string& text, intptr_t data, const ItemInfo& info)
{
    auto* row = new InfoItem(QString::fromStdString(text));
    row->data = data;
    row->info = info;
    row->info->mruPosition = -1;
    addItem(row);
    return count() - 1;
}

int COXListBoxEx::InsertString(int index, const std::string& text)
{
    if (index < -1 || index > count())
        return LB_ERR;
    // An item inserted inside the block takes no place in it: it goes right after the block.
    const int row = std::max(index == -1 ? count() : index, m_nLastMRU + 1);
    insertItem(row, new InfoItem(QString::fromStdString(text)));
    return row;
}

int COXListBoxEx::DeleteString(int index)
{
    if (index < 0 || index >= count())
        return LB_ERR;
    const bool inBlock = index <= m_nLastMRU;
    delete takeItem(index);
    if (inBlock)
        renumberMru();
    return count();
}

void COXListBoxEx::ResetContent()
{
    clear();
    m_nLastMRU = -1;
}

std::string COXListBoxEx::GetText(int index) const
{
    const QListWidgetItem* row = item(index);
    return row ? row->text().toStdString() : std::string();
}

bool COXListBoxEx::SetItemData(int index, intptr_t data)
{
    QListWidgetItem* row = item(index);
    if (!row)
        return false;
    infoItem(row)->data = data;
    return true;
}

intptr_t COXListBoxEx::GetItemData(int index) const
{
    QListWidgetItem* row = item(index);
    return row ? infoItem(row)->data : LB_ERR;
}

int COXListBoxEx::FindStringExact(int start, const std::string& text) const
{
    const QString wanted = QString::fromStdString(text);
    const int first = start < -1 || start >= count() ? 0 : start + 1;
    for (int i = 0; i < count(); ++i) {
        const int row = (first + i) % std::max(count(), 1);
        if (item(row)->text().compare(wanted, Qt::CaseInsensitive) == 0)
            return row;
    }
    return LB_ERR;
}

int COXListBoxEx::GetCurSel() const
{
    if (selectionMode() != QAbstractItemView::SingleSelection)
        return LB_ERR;
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? LB_ERR : row(selected.front());
}

int COXListBoxEx::SetCurSel(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return index == -1 ? 0 : LB_ERR;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    return index;
}

bool COXListBoxEx::GetSel(int index) const
{
    const QListWidgetItem* row = item(index);
    return row && row->isSelected();
}

int COXListBoxEx::SetSel(int index, bool select)
{
    if (index == -1) {
        for (int i = 0; i < count(); ++i)
            item(i)->setSelected(select);
        return 0;
    }
    QListWidgetItem* row = item(index);
    if (!row)
        return LB_ERR;
    row->setSelected(select);
    return 0;
}

int COXListBoxEx::GetCaretIndex() const
{
    return currentRow();
}

int COXListBoxEx::SetCaretIndex(int index)
{
    if (index < 0 || index >= count())
        return LB_ERR;
    setCurrentRow(index, QItemSelectionModel::NoUpdate);
    return 0;
}

bool COXListBoxEx::SetItemInfo(int index, uint32_t mask, const QFont* font, COLORREF textColour,
                               COLORREF bkColour, const std::string& tipText, int32_t image,
                               int32_t indent, COLORREF highlightTextColour,
                               COLORREF highlightBkColour)
{
    if (index == -1) {
        bool all = true;
        for (int i = 0; i < count(); ++i)
            all = SetItemInfo(i, mask, font, textColour, bkColour, tipText, image, indent,
                              highlightTextColour, highlightBkColour) &&
                  all;
        return all;
    }
    QListWidgetItem* row = item(index);
    if (!row)
        return false;
    std::optional<ItemInfo>& info = infoItem(row)->info;
    if (!info)
        info.emplace();
    if ((mask & OXLBI_FONT) != 0)
        info->font = font ? std::optional<QFont>(*font) : std::nullopt;
    if ((mask & OXLBI_TEXT) != 0)
        info->textColour = textColour;
    if ((mask & OXLBI_BK) != 0)
        info->bkColour = bkColour;
    if ((mask & OXLBI_TOOLTIP) != 0)
        info->tipText = tipText;
    if ((mask & OXLBI_IMAGE) != 0)
        info->image = image;
    if ((mask & OXLBI_INDENT) != 0)
        info->indent = std::clamp(indent, 0, 4096);
    if ((mask & OXLBI_HIGHLIGHTTEXT) != 0)
        info->highlightTextColour = highlightTextColour;
    if ((mask & OXLBI_HIGHLIGHTBK) != 0)
        info->highlightBkColour = highlightBkColour;
    refreshItem(index);
    return true;
}

const COXListBoxEx::ItemInfo* COXListBoxEx::itemInfo(int index) const
{
    QListWidgetItem* row = item(index);
    if (!row || !infoItem(row)->info)
        return nullptr;
    return &*infoItem(row)->info;
}

std::optional<QFont> COXListBoxEx::GetItemFont(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->font : std::nullopt;
}

COXListBoxEx::COLORREF COXListBoxEx::GetItemTextColor(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->textColour : kNoColour;
}

COXListBoxEx::COLORREF COXListBoxEx::GetItemBkColor(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->bkColour : kNoColour;
}

COXListBoxEx::COLORREF COXListBoxEx::GetItemHighlightTextColor(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->highlightTextColour : kNoColour;
}

COXListBoxEx::COLORREF COXListBoxEx::GetItemHighlightBkColor(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->highlightBkColour : kNoColour;
}

std::string COXListBoxEx::GetItemToolTipText(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->tipText : std::string();
}

int32_t COXListBoxEx::GetItemImageIndex(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->image : -1;
}

int32_t COXListBoxEx::GetItemIndent(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info ? info->indent : -1;
}

int COXListBoxEx::GetMRUPosition(int index) const
{
    return index >= 0 && index <= m_nLastMRU && index < count() ? index : -1;
}

void COXListBoxEx::renumberMru()
{
    // The block is the run of items from the top that still carry a place in it.
    int last = -1;
    for (int i = 0; i < count(); ++i) {
        std::optional<ItemInfo>& info = infoItem(item(i))->info;
        if (!info || info->mruPosition < 0)
            break;
        info->mruPosition = i;
        last = i;
    }
    for (int i = last + 1; i < count(); ++i)
        if (std::optional<ItemInfo>& info = infoItem(item(i))->info)
            info->mruPosition = -1;
    m_nLastMRU = last;
    viewport()->update();
}

COXListBoxEx::Saved COXListBoxEx::take(int index)
{
    QListWidgetItem* row = item(index);
    Saved saved;
    saved.text = row->text().toStdString();
    saved.data = infoItem(row)->data;
    saved.info = infoItem(row)->info;
    saved.selected = row->isSelected();
    saved.current = currentRow() == index;
    delete takeItem(index);
    return saved;
}

int COXListBoxEx::put(int index, Saved saved)
{
    auto* row = new InfoItem(QString::fromStdString(saved.text));
    row->data = saved.data;
    row->info = std::move(saved.info);
    insertItem(index, row);
    if (saved.current)
        setCurrentRow(index, QItemSelectionModel::NoUpdate);
    row->setSelected(saved.selected);
    return index;
}

void COXListBoxEx::SetMaxMRU(int maximum)
{
    // Both 0 and -1 mean "no block"; anything below is taken as -1.
    m_nMaxMRU = std::max(maximum, -1);
    const int keep = std::max(m_nMaxMRU, 0);
    while (m_nLastMRU + 1 > keep)
        RemoveFromMRU(m_nLastMRU);
    viewport()->update();
}

int COXListBoxEx::MoveToMRU(int index, int position, bool force)
{
    if (index < 0 || index >= count() || position < 0 || position > m_nLastMRU + 1 ||
        m_nMaxMRU <= 0 || position >= m_nMaxMRU)
        return -1;
    if (index <= m_nLastMRU) {
        // Already in the block: it moves within it.
        const int target = std::min(position, m_nLastMRU);
        if (target != index) {
            Saved saved = take(index);
            put(target, std::move(saved));
            renumberMru();
        }
        return target;
    }
    if (m_nLastMRU + 1 >= m_nMaxMRU) {
        if (!force)
            return -1;
        QListWidgetItem* moving = item(index);
        RemoveFromMRU(m_nLastMRU);
        index = row(moving);
        if (position > m_nLastMRU + 1)
            position = m_nLastMRU + 1;
    }
    if (index == position && index == m_nLastMRU + 1) {
        std::optional<ItemInfo>& info = infoItem(item(index))->info;
        if (!info)
            info.emplace();
        info->mruPosition = index;
        renumberMru();
        return index;
    }
    Saved saved = take(index);
    if (!saved.info)
        saved.info.emplace();
    saved.info->mruPosition = position;
    put(position, std::move(saved));
    renumberMru();
    return position;
}

int COXListBoxEx::RemoveFromMRU(int index)
{
    if (index < 0 || index > m_nLastMRU || index >= count())
        return -1;
    Saved saved = take(index);
    if (saved.info)
        saved.info->mruPosition = -1;
    renumberMru();
    const bool selected = saved.selected;
    const bool current = saved.current;
    const int placed = InsertItem(saved.text, m_nLastMRU + 1);
    if (placed < 0)
        return -1;
    auto* row = infoItem(item(placed));
    row->data = saved.data;
    row->info = std::move(saved.info);
    if (current)
        setCurrentRow(placed, QItemSelectionModel::NoUpdate);
    row->setSelected(selected);
    refreshItem(placed);
    return placed;
}

int COXListBoxEx::InsertItem(const std::string& text, int preferredIndex)
{
    return InsertString(std::clamp(preferredIndex, 0, count()), text);
}

int COXListBoxEx::CompareItem(int first, int second) const
{
    const int a = GetMRUPosition(first);
    const int b = GetMRUPosition(second);
    if (a == b)
        return 0;
    if (a == -1)
        return 1;
    if (b == -1)
        return -1;
    return a < b ? -1 : 1;
}

bool COXListBoxEx::SaveMRU(const std::string& section) const
{
    bool written = profile::WriteProfileInt(section, "MRU_MaxNumber", m_nMaxMRU);
    written = profile::WriteProfileInt(section, "MRU_Count", m_nLastMRU + 1) && written;
    for (int i = 0; i <= m_nLastMRU; ++i)
        written =
            profile::WriteProfileString(section, "MRU_Entry_" + std::to_string(i), GetText(i)) &&
            written;
    return written;
}

bool COXListBoxEx::LoadMRU(const std::string& section)
{
    SetMaxMRU(profile::GetProfileInt(section, "MRU_MaxNumber", m_nMaxMRU));
    const int stored = profile::GetProfileInt(section, "MRU_Count", m_nMaxMRU);
    while (m_nLastMRU >= 0)
        RemoveFromMRU(m_nLastMRU);
    // Only as many entries as the block can hold are read; an empty or missing one ends them.
    const int wanted = std::min(stored, std::max(m_nMaxMRU, 0));
    for (int i = 0; i < wanted; ++i) {
        const std::string text =
            profile::GetProfileString(section, "MRU_Entry_" + std::to_string(i));
        if (text.empty())
            break;
        const int found = FindStringExact(-1, text);
        if (found < 0 || found <= m_nLastMRU)
            continue;
        MoveToMRU(found, m_nLastMRU + 1, false);
    }
    return true;
}

bool COXListBoxEx::Initialize()
{
    if (m_bSaveMRU)
        LoadMRU(kMruSection);
    return true;
}

void COXListBoxEx::SetBkColor(COLORREF colour)
{
    m_clrBackground = colour;
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, toQColor(colour));
    viewport()->setPalette(colours);
    setPalette(colours);
    viewport()->update();
}

void COXListBoxEx::SetImageList(std::vector<QPixmap> images)
{
    m_images = std::move(images);
    for (int i = 0; i < count(); ++i)
        refreshItem(i);
}

void COXListBoxEx::refreshItem(int index)
{
    if (QListWidgetItem* row = item(index)) {
        // A new size hint makes the view measure the item again (its height and the width that
        // sets the horizontal extent).
        row->setSizeHint(itemSize(index));
        viewport()->update();
    }
}

QString COXListBoxEx::displayText(int index) const
{
    const QListWidgetItem* row = item(index);
    return row ? row->text() : QString();
}

QFont COXListBoxEx::displayFont(int index) const
{
    const ItemInfo* info = itemInfo(index);
    return info && info->font ? *info->font : font();
}

QSize COXListBoxEx::itemSize(int index) const
{
    const ItemInfo* info = itemInfo(index);
    const QFontMetrics metrics(displayFont(index));
    const QSize text(metrics.horizontalAdvance(displayText(index)) + 2 * kTextMargin,
                     metrics.height() + 2 * kTextMargin);
    QSize image(0, 0);
    if (info && info->image >= 0 && info->image < static_cast<int>(m_images.size()))
        image = m_images[static_cast<std::size_t>(info->image)].size() + QSize(kImageGap, 0);
    const int indent = info ? info->indent : 0;
    int height = std::max(text.height(), image.height());
    if (index == m_nLastMRU)
        height += kSeparatorHeight;
    return QSize(indent + image.width() + text.width(), height);
}

void COXListBoxEx::paintItem(QPainter& painter, int index, const QRect& rect, bool selected,
                             bool focused) const
{
    const ItemInfo* info = itemInfo(index);
    const auto colour = [](COLORREF own, int system) {
        return toQColor(own == kNoColour ? GetSysColor(system) : own);
    };
    const QColor back =
        selected
            ? colour(info ? info->highlightBkColour : kNoColour, toolkit::widgets::COLOR_HIGHLIGHT)
            : colour(info ? info->bkColour : kNoColour, toolkit::widgets::COLOR_WINDOW);
    const QColor fore =
        selected ? colour(info ? info->highlightTextColour : kNoColour,
                          toolkit::widgets::COLOR_HIGHLIGHTTEXT)
                 : colour(info ? info->textColour : kNoColour, toolkit::widgets::COLOR_WINDOWTEXT);
    QRect area = rect;
    if (index == m_nLastMRU) {
        // The line under the block's last entry.
        const QRect line(rect.left(), rect.bottom() + 1 - kSeparatorHeight, rect.width(),
                         kSeparatorHeight);
        painter.fillRect(line, toQColor(GetSysColor(toolkit::widgets::COLOR_BTNSHADOW)));
        area.setBottom(line.top() - 1);
    }
    painter.fillRect(area, back);
    int left = area.left() + (info ? info->indent : 0);
    if (info && info->image >= 0 && info->image < static_cast<int>(m_images.size())) {
        const QPixmap& image = m_images[static_cast<std::size_t>(info->image)];
        painter.drawPixmap(left, area.top() + (area.height() - image.height()) / 2, image);
        left += image.width() + kImageGap;
    }
    painter.setFont(displayFont(index));
    painter.setPen(fore);
    painter.drawText(QRect(left + kTextMargin, area.top(), area.right() - left, area.height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, displayText(index));
    if (focused) {
        QStyleOptionFocusRect option;
        option.rect = area;
        option.backgroundColor = back;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

bool COXListBoxEx::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const std::string tip = index.isValid() ? GetItemToolTipText(index.row()) : std::string();
        if (tip.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), QString::fromStdString(tip), viewport(),
                               visualRect(index));
        return true;
    }
    return QListWidget::viewportEvent(event);
}
