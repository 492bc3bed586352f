#include "gridctrl/widgets/GridInPlaceEdit.h"

#include "gridctrl/model/GridEditMask.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>

namespace gridctrl::widgets {

namespace {

// The clipboard's text as an editor takes it: a single copied cell comes with a line end,
// which is not part of its text.
QString clipboardTextForEditor()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    QString text = clipboard ? clipboard->text() : QString();
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
        if (text.endsWith(QLatin1Char('\r'))) {
            text.chop(1);
        }
    }
    return text;
}

QRect placeIn(const model::CGridControl& control, int section, const model::GridRect& rect)
{
    const model::CGridSheetState& sheet = *const_cast<model::CGridControl&>(control).currentSheet();
    const model::GridRect origin = section == model::kSectionTopHeading    ? sheet.m_topHeadingRect
                                   : section == model::kSectionSideHeading ? sheet.m_sideHeadingRect
                                                                           : sheet.m_cellAreaRect;
    return QRect(origin.left + rect.left, origin.top + rect.top,
                 std::max(1, rect.right - rect.left), std::max(1, rect.bottom - rect.top));
}

} // namespace

bool handleEditKey(model::CGridControl& control, const std::string& text, int key,
                   Qt::KeyboardModifiers modifiers)
{
    const int col = control.editCol();
    const long row = control.editRow();
    switch (key) {
    case Qt::Key_Escape:
        control.EndEdit(text, 1, 0, col, row);
        return true;
    case Qt::Key_Tab:
        control.EndEdit(text, 0, 1, (modifiers & Qt::ShiftModifier) ? col - 1 : col + 1, row);
        return true;
    case Qt::Key_Backtab:
        control.EndEdit(text, 0, 1, col - 1, row);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        control.EndEdit(text, 0, 1, col, row + 1);
        return true;
    case Qt::Key_Up:
        control.EndEdit(text, 0, 1, col, row - 1);
        return true;
    default:
        return false;
    }
}

void handleEditFocusLoss(model::CGridControl& control, const std::string& text, QWidget* grid,
                         Qt::FocusReason reason)
{
    if (!control.isEditing()) {
        return;
    }
    if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason) {
        // A menu over the editor (Edit > Paste) gives the focus back when it closes.
        return;
    }
    const QWidget* now = QApplication::focusWidget();
    const bool leftGrid = !now || (now != grid && !grid->isAncestorOf(now));
    const bool cancel = control.currentSheet()->m_cancelEditOnFocusLoss && leftGrid;
    control.EndEdit(text, cancel ? 1 : 0, 0, control.editCol(), control.editRow());
    if (control.isEditing()) {
        control.CancelEdit(); // a refused end on focus loss cannot keep the editor
    }
}

CGridInPlaceEdit::CGridInPlaceEdit(model::CGridControl& control, QWidget* grid)
    : QPlainTextEdit(grid), m_control(control), m_grid(grid)
{
    hide();
    setFrameStyle(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { grow(); });
}

void CGridInPlaceEdit::grow()
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    if (!m_autoGrow || !sheet.m_navigationFlags[3] || !isVisible() || m_startRect.isEmpty()) {
        return;
    }
    // Room for the next characters, word-wrapped within the present width + 2.
    const QString text = toPlainText() + QStringLiteral(" X X");
    const QRect present = geometry();
    const QRect measured = QFontMetrics(font()).boundingRect(
        QRect(present.left(), present.top(), present.width() + 2, 1 << 20), Qt::TextWordWrap, text);
    const model::GridRect area = sheet.m_cellAreaRect;
    QRect wanted = present;
    int col = -1;
    long row = -1;
    model::GridRect cell;
    if (measured.right() > present.right()) {
        if (m_control.GetCellFromPoint(measured.right() - area.left, present.top() - area.top, &col,
                                       &row, &cell) == 0) {
            wanted.setRight(area.left + cell.right - 1);
        } else {
            wanted.setRight(area.right - 1);
        }
    }
    if (measured.bottom() > present.bottom()) {
        if (m_control.GetCellFromPoint(present.left() - area.left, measured.bottom() - area.top,
                                       &col, &row, &cell) == 0) {
            wanted.setBottom(area.top + cell.bottom - 1);
        } else {
            wanted.setBottom(area.bottom - 1);
        }
    }
    wanted = wanted.intersected(
        QRect(area.left, area.top, area.right - area.left, area.bottom - area.top));
    wanted = wanted.united(m_startRect);
    if (wanted != present) {
        setGeometry(wanted);
        m_grownHeight = wanted.height();
    }
}

void CGridInPlaceEdit::setEditText(std::string_view text)
{
    setPlainText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

std::string CGridInPlaceEdit::editText() const
{
    return toPlainText().toStdString();
}

void CGridInPlaceEdit::showEditor(int section, const model::GridRect& rect)
{
    m_startRect = placeIn(m_control, section, rect);
    m_grownHeight = m_startRect.height();
    setGeometry(m_startRect);
    show();
    raise();
    setFocus();
    selectAll();
}

void CGridInPlaceEdit::typeChar(unsigned key)
{
    if (key >= 0x20 && key != 0x7F) {
        insertPlainText(QString(QChar(static_cast<char16_t>(key))));
    }
}

void CGridInPlaceEdit::pasteText()
{
    if (!isReadOnly()) {
        insertPlainText(clipboardTextForEditor());
    }
}

void CGridInPlaceEdit::keyPressEvent(QKeyEvent* event)
{
    if (handleEditKey(m_control, editText(), event->key(), event->modifiers())) {
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isPrint()) {
        unsigned key = typed.at(0).unicode();
        if (!m_control.offerEditKey(&key)) {
            return; // dropped by the data source or the hook
        }
        insertPlainText(QString(QChar(static_cast<char16_t>(key))));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CGridInPlaceEdit::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (isVisible()) {
        handleEditFocusLoss(m_control, editText(), m_grid, event->reason());
    }
}

CGridEdit::CGridEdit(model::CGridControl& control, QWidget* grid)
    : QLineEdit(grid), m_control(control), m_grid(grid)
{
    hide();
    setFrame(false);
}

void CGridEdit::setEditText(std::string_view text)
{
    setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

std::string CGridEdit::editText() const
{
    return text().toStdString();
}

std::string CGridEdit::GetMaskedText() const
{
    return model::getMaskedText(m_mask, editText());
}

void CGridEdit::showEditor(int section, const model::GridRect& rect)
{
    setGeometry(placeIn(m_control, section, rect));
    show();
    raise();
    setFocus();
    selectAll();
}

void CGridEdit::typeMasked(char32_t ch)
{
    if (hasSelectedText()) {
        del(); // the selection is cleared first
    }
    const model::MaskTypeResult result =
        model::typeWithMask(m_mask, editText(), cursorPosition(), ch);
    if (!result.accepted) {
        setText(QString::fromStdString(result.text)); // a literal typed first stays
        setCursorPosition(result.caret);
        return;
    }
    unsigned key = static_cast<unsigned>(ch);
    if (!m_control.offerEditKey(&key)) {
        return;
    }
    setText(QString::fromStdString(result.text));
    setCursorPosition(result.caret);
}

void CGridEdit::typeChar(unsigned key)
{
    typeMasked(key);
}

void CGridEdit::pasteText()
{
    if (isReadOnly()) {
        return;
    }
    for (const QChar ch : clipboardTextForEditor()) {
        if (ch.isPrint()) {
            typeMasked(ch.unicode());
        }
    }
}

void CGridEdit::keyPressEvent(QKeyEvent* event)
{
    if (handleEditKey(m_control, editText(), event->key(), event->modifiers())) {
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isPrint()) {
        typeMasked(typed.at(0).unicode());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CGridEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (isVisible()) {
        handleEditFocusLoss(m_control, editText(), m_grid, event->reason());
    }
}

} // namespace gridctrl::widgets
