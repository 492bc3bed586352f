#include "gridctrl/widgets/GridDropListWnd.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace gridctrl::widgets {

using model::CGridCellInfo;

CGridDropListWnd::CGridDropListWnd(model::CGridControl& control, model::CGridDropListCellType& type,
                                   QWidget* cellArea)
    : QListWidget(cellArea), m_control(control), m_type(type), m_cellArea(cellArea)
{
    hide();
    setFocusPolicy(Qt::StrongFocus);
    m_type.setListPart(this);
}

void CGridDropListWnd::openList(int, int, const model::GridRect& rect,
                                const std::vector<std::string>& choices, int itemHeight)
{
    clear();
    for (const std::string& choice : choices) {
        auto* item = new QListWidgetItem(QString::fromStdString(choice), this);
        item->setSizeHint(QSize(rect.right - rect.left, std::max(itemHeight, 12)));
    }
    setGeometry(rect.left, rect.top, std::max(1, rect.right - rect.left),
                std::max(1, rect.bottom - rect.top));
    m_open = true;
    m_choiceMade = false;
    show();
    raise();
    setFocus();
}

void CGridDropListWnd::closeList()
{
    if (m_closing) {
        return;
    }
    m_closing = true;
    m_open = false;
    if (!m_choiceMade) {
        m_type.setListCell(-2, -2); // closed without a choice
    }
    hide();
    m_cellArea->update();
    m_closing = false;
}

void CGridDropListWnd::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    m_open = true;
    m_choiceMade = false;
}

void CGridDropListWnd::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    if (isVisible()) {
        closeList();
    }
}

void CGridDropListWnd::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentRow() != -1) {
            takeChoice();
        } else {
            closeList();
        }
        return;
    case Qt::Key_Escape:
        closeList();
        m_cellArea->setFocus();
        return;
    default:
        QListWidget::keyPressEvent(event);
    }
}

void CGridDropListWnd::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && currentRow() != -1) {
        takeChoice();
    }
}

void CGridDropListWnd::takeChoice()
{
    m_choiceMade = true;
    const int col = m_type.listCol();
    const int row = m_type.listRow();
    CGridCellInfo shown;
    if (col >= 0 && row >= 0 && m_control.GetDisplayCell(col, row, &shown) == 0 &&
        !shown.GetReadOnly()) {
        const int index = currentRow();
        std::string text = currentItem() ? currentItem()->text().toStdString() : std::string();
        m_type.Notify(col, row, kMessageIndex, index);
        if (m_type.Notify(col, row, kMessageText, reinterpret_cast<long>(&text)) != 0) {
            CGridCellInfo cell;
            m_control.GetCell(col, row, &cell);
            cell.SetText(text);
            m_control.SetCell(col, row, &cell);
            m_control.RedrawCell(col, row);
        }
    }
    m_open = false;
    m_type.setListCell(-1, -1);
    hide();
    m_cellArea->setFocus();
}

} // namespace gridctrl::widgets
