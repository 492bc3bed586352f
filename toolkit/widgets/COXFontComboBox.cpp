#include "toolkit/widgets/COXFontComboBox.h"

#include "platform/framework/ControlIds.h"

#include <QAbstractItemView>
#include <QFont>
#include <QFontInfo>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Draws the drop-down list's rows as the font list box draws its items.
class FontRowDelegate : public QStyledItemDelegate
{
public:
    FontRowDelegate(COXFontListBox& list, QObject* parent)
        : QStyledItemDelegate(parent), m_list(list)
    {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        m_list.paintItem(*painter, index.row(), option.rect,
                         (option.state & QStyle::State_Selected) != 0,
                         (option.state & QStyle::State_HasFocus) != 0);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        return m_list.itemSize(index.row());
    }

private:
    COXFontListBox& m_list;
};

} // namespace

bool COXFontListBoxHelper::Initialize()
{
    const int selected = GetCurSel();
    const bool done = COXFontListBox::Initialize();
    SetCurSel(selected < GetCount() ? selected : -1);
    return done;
}

bool COXFontListBoxHelper::AcceptFont(const FontRecord& record) const
{
    return m_pComboBox ? m_pComboBox->AcceptFont(record) : true;
}

COXFontComboBox::COXFontComboBox(QWidget* parent) : QComboBox(parent)
{
    m_listBox.hide();
    m_listBox.setComboBox(this);
    setEditable(false);
    view()->setItemDelegate(new FontRowDelegate(m_listBox, this));
    // Only a choice in the opened list moves a face into the block.
    connect(this, &QComboBox::activated, this, [this](int index) { chooseFromList(index); });
    Initialize();
}

bool COXFontComboBox::AcceptFont(const COXFontListBox::FontRecord&) const
{
    return true;
}

bool COXFontComboBox::Initialize()
{
    const bool done = m_listBox.Initialize();
    syncItems();
    return done;
}

void COXFontComboBox::syncItems()
{
    const QSignalBlocker blocker(this);
    const int selected = currentIndex();
    clear();
    QStringList names;
    names.reserve(m_listBox.GetCount());
    for (int i = 0; i < m_listBox.GetCount(); ++i)
        names.push_back(QString::fromStdString(m_listBox.GetText(i)));
    addItems(names);
    setCurrentIndex(selected < count() ? selected : -1);
}

std::optional<platform::qt::LOGFONT> COXFontComboBox::GetSelectedFont() const
{
    const COXFontListBox::FontRecord* record = m_listBox.fontRecord(currentIndex());
    if (!record)
        return std::nullopt;
    platform::qt::LOGFONT logFont = record->logFont;
    if (!m_standInFor.empty() && currentIndex() == m_standInIndex)
        platform::qt::setFaceName(logFont, m_standInFor);
    return logFont;
}

int COXFontComboBox::SelectFont(const platform::framework::CFont& font)
{
    return SelectFont(font.logFont);
}

int COXFontComboBox::SelectFont(const platform::qt::LOGFONT& logFont)
{
    platform::qt::LOGFONT copy = logFont;
    copy.lfFaceName[sizeof copy.lfFaceName - 1] = '\0';
    return SelectFontName(platform::qt::faceName(copy));
}

int COXFontComboBox::SelectFontName(const std::string& name)
{
    // The whole name must match: a prefix would choose "Arial Black" for "Arial" when that face
    // sits in the block above, or "Courier New" for a "Courier" that is not installed.
    m_standInFor.clear();
    m_standInIndex = -1;
    int found = name.empty() ? -1 : m_listBox.FindStringExact(-1, name);
    if (found < 0 && !name.empty()) {
        // Not installed: show the face that text in it is drawn with, so the box is never
        // blank, and keep the face asked for (a stored setting, a file written elsewhere).
        const QString substitute = QFontInfo(QFont(QString::fromStdString(name))).family();
        found = m_listBox.FindStringExact(-1, substitute.toStdString());
        if (found >= 0) {
            m_standInFor = name;
            m_standInIndex = found;
        }
    }
    setCurrentIndex(found);
    return found;
}

void COXFontComboBox::chooseFromList(int index)
{
    // A maximum of 0 or -1 means no block.
    // A face the user picks is the face from now on, even when it is the stand-in.
    m_standInFor.clear();
    m_standInIndex = -1;
    if (index < 0 || m_listBox.GetMaxMRU() <= 0)
        return;
    const int moved = m_listBox.MoveToMRU(index, 0, true);
    if (moved < 0)
        return;
    syncItems();
    setCurrentIndex(moved);
}

bool DDX_FontComboBox(bool saveAndValidate, QWidget* dialog, unsigned controlId,
                      platform::framework::CFont& font)
{
    auto* combo =
        dynamic_cast<COXFontComboBox*>(platform::framework::GetDlgItem(dialog, controlId));
    if (combo == nullptr)
        return false;
    if (saveAndValidate) {
        // Nothing selected leaves the caller's font as it was instead of taking it away.
        if (const auto selected = combo->GetSelectedFont())
            font.logFont = *selected;
        return true;
    }
    combo->SelectFont(font);
    return true;
}
