#include "gridctrl/widgets/GridDropTarget.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace gridctrl::widgets {

CGridDropTarget::CGridDropTarget(model::CGridControl& control, QWidget* cellArea)
    : QObject(cellArea), m_control(control), m_cellArea(cellArea)
{
    cellArea->installEventFilter(this);
}

void CGridDropTarget::enableDropTarget(bool on)
{
    m_cellArea->setAcceptDrops(on);
}

void CGridDropTarget::startDrag(const std::string& text)
{
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text));
    auto* drag = new QDrag(m_cellArea);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

std::optional<std::string> CGridDropTarget::offeredText(const QMimeData* data)
{
    if (!data || !data->hasText()) {
        return std::nullopt;
    }
    std::string text = data->text().toStdString();
    if (const auto nul = text.find('\0'); nul != std::string::npos) {
        text.resize(nul);
    }
    if (text.size() > kMaxDropBytes) {
        return std::nullopt;
    }
    return text;
}

bool CGridDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_cellArea) {
        return false;
    }
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        const std::optional<std::string> text = offeredText(drag->mimeData());
        if (text && m_control.dropTargetEnter(*text) != 0) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QPoint p = drag->position().toPoint();
        m_control.dropTargetScroll(p.x(), p.y());
        const std::optional<std::string> text = offeredText(drag->mimeData());
        if (text && m_control.dropTargetOver(*text, p.x(), p.y()) != 0) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QPoint p = drop->position().toPoint();
        const std::optional<std::string> text = offeredText(drop->mimeData());
        if (text && m_control.dropTargetDrop(*text, p.x(), p.y()) != 0) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
        } else {
            drop->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        return true;
    default:
        return false;
    }
}

} // namespace gridctrl::widgets
