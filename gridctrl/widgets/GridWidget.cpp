#include "gridctrl/widgets/GridWidget.h"

#include "gridctrl/model/GridBuiltInCellTypes.h"
#include "gridctrl/model/GridSystem.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridCellDrawing.h"
#include "gridctrl/widgets/GridCornerButton.h"
#include "gridctrl/widgets/GridDropListWnd.h"
#include "gridctrl/widgets/GridDropTarget.h"
#include "gridctrl/widgets/GridHScrollBar.h"
#include "gridctrl/widgets/GridHintWnd.h"
#include "gridctrl/widgets/GridInPlaceEdit.h"
#include "gridctrl/widgets/GridQtClipboard.h"
#include "gridctrl/widgets/GridQtPopupMenu.h"
#include "gridctrl/widgets/GridQtResources.h"
#include "gridctrl/widgets/GridQtSystem.h"
#include "gridctrl/widgets/GridSideHeading.h"
#include "gridctrl/widgets/GridTabBar.h"
#include "gridctrl/widgets/GridTopHeading.h"
#include "gridctrl/widgets/GridVScrollBar.h"
#include "platform/framework/ControlIds.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

namespace gridctrl::widgets {

GridWidget::GridWidget(model::CGridControl& control, QWidget* parent)
    : QWidget(parent), m_control(control)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    installQtBitmapResources();
    installGridQtSystem();
    m_cellArea = new CGridCellArea(control, this);
    m_topHeading = new CGridTopHeading(control, *this);
    m_sideHeading = new CGridSideHeading(control, *this);
    m_corner = new CGridCornerButton(control, *this);
    m_vBar = new CGridVScrollBar(control, *this);
    m_hBar = new CGridHScrollBar(control, *this);
    m_tabBar = new CGridTabBar(control, this);
    m_hint = new CGridHintWnd(this);
    m_dropTarget = new CGridDropTarget(control, m_cellArea);
    m_marker = new QWidget(this);
    m_marker->setAutoFillBackground(true);
    QPalette palette = m_marker->palette();
    palette.setColor(QPalette::Window, Qt::black);
    m_marker->setPalette(palette);
    m_marker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marker->hide();
    setFocusProxy(m_cellArea);
    m_control.setWindows(this);
    m_control.setTabBar(m_tabBar);
    m_control.setDragDrop(m_dropTarget);
    m_menu = std::make_unique<GridQtPopupMenu>(this);
    m_clipboard = std::make_unique<GridQtClipboard>();
    m_control.setPopupMenu(m_menu.get());
    m_control.setClipboard(m_clipboard.get());
    if (auto* dropListType = dynamic_cast<model::CGridDropListCellType*>(control.GetCellType(1))) {
        m_dropList = new CGridDropListWnd(control, *dropListType, m_cellArea);
    }
    auto* edit = new CGridInPlaceEdit(control, this);
    auto* masked = new CGridEdit(control, this);
    m_edit = edit;
    m_maskedEdit = masked;
    m_control.setEditors(edit, masked);
}

GridWidget::~GridWidget()
{
    m_control.CancelEdit();
    m_control.setEditors(nullptr, nullptr);
    m_control.setDragDrop(nullptr);
    m_control.setPopupMenu(nullptr);
    m_control.setClipboard(nullptr);
    m_control.setTabBar(nullptr);
    if (auto* dropListType =
            dynamic_cast<model::CGridDropListCellType*>(m_control.GetCellType(1))) {
        dropListType->setListPart(nullptr);
    }
    m_control.setWindows(nullptr);
}

namespace {

// Puts a new part in the place of the old one: same parent, the old one deleted.
template <class Part> int replacePart(QWidget* grid, Part*& current, Part* replacement)
{
    if (replacement == nullptr || replacement == current) {
        return 1;
    }
    if (replacement->parentWidget() != grid) {
        replacement->setParent(grid);
    }
    Part* old = current;
    current = replacement;
    delete old;
    replacement->show();
    return 0;
}

} // namespace

int GridWidget::SetNewCellArea(CGridCellArea* area)
{
    if (area == nullptr || area == m_cellArea) {
        return 1;
    }
    // The drop target and the drop list live on the cell area: they go with the old one and
    // are made again on the new one, the drop target keeping its switch.
    const bool dropsOn = m_cellArea->acceptDrops();
    m_control.setDragDrop(nullptr);
    auto* dropListType = dynamic_cast<model::CGridDropListCellType*>(m_control.GetCellType(1));
    if (dropListType != nullptr) {
        dropListType->setListPart(nullptr);
    }
    m_dropTarget = nullptr;
    m_dropList = nullptr;
    replacePart(this, m_cellArea, area);
    m_dropTarget = new CGridDropTarget(m_control, m_cellArea);
    m_dropTarget->enableDropTarget(dropsOn);
    m_control.setDragDrop(m_dropTarget);
    if (dropListType != nullptr) {
        m_dropList = new CGridDropListWnd(m_control, *dropListType, m_cellArea);
    }
    setFocusProxy(m_cellArea);
    m_marker->raise();
    m_control.AdjustComponentSizes();
    m_control.RedrawAll();
    return 0;
}

int GridWidget::SetNewTopHeading(CGridTopHeading* heading)
{
    const int result = replacePart(this, m_topHeading, heading);
    if (result == 0) {
        m_control.AdjustComponentSizes();
        m_topHeading->Update();
    }
    return result;
}

int GridWidget::SetNewSideHeading(CGridSideHeading* heading)
{
    const int result = replacePart(this, m_sideHeading, heading);
    if (result == 0) {
        m_control.AdjustComponentSizes();
        m_sideHeading->Update();
    }
    return result;
}

int GridWidget::SetNewVScrollBar(CGridVScrollBar* bar)
{
    const int result = replacePart(this, m_vBar, bar);
    if (result == 0) {
        m_control.AdjustComponentSizes();
        m_vBar->Update();
    }
    return result;
}

int GridWidget::SetNewHScrollBar(CGridHScrollBar* bar)
{
    const int result = replacePart(this, m_hBar, bar);
    if (result == 0) {
        m_control.AdjustComponentSizes();
        m_hBar->Update();
    }
    return result;
}

int GridWidget::SetNewTabBar(CGridTabBar* bar)
{
    if (bar == nullptr || bar == m_tabBar) {
        return 1;
    }
    const model::GridTabList& tabs = m_tabBar->tabs();
    for (const model::GridTabList::Tab& tab : tabs.tabs()) {
        if (bar->findTab(tab.id) < 0) {
            bar->AddTab(tab.label, tab.id);
        }
        bar->SetTabBackColor(tab.id, tab.backColor);
        bar->SetTabTextColor(tab.id, tab.textColor);
    }
    const long current = tabs.GetCurrentTab();
    if (current >= 0 && current < static_cast<long>(tabs.tabs().size())) {
        bar->SetCurrentTab(tabs.tabs()[static_cast<std::size_t>(current)].id);
    }
    m_control.setTabBar(bar);
    replacePart(this, m_tabBar, bar);
    m_control.AdjustComponentSizes();
    m_tabBar->Update();
    return 0;
}

int GridWidget::CreateGridOnDialogItem(QWidget* dialog, unsigned controlId)
{
    QWidget* item = dialog ? platform::framework::GetDlgItem(dialog, controlId) : nullptr;
    if (item == nullptr || item == this) {
        return 0;
    }
    QWidget* parent = item->parentWidget();
    setParent(parent);
    setGeometry(item->geometry());
    platform::framework::setControlId(this, controlId);
    setFocusPolicy(Qt::StrongFocus);
    // Keep the item's place in the tab order.
    QWidget::setTabOrder(item, this);
    if (auto* asDialog = qobject_cast<QDialog*>(dialog)) {
        const QFont font = asDialog->font();
        const int pixels = font.pixelSize() > 0
                               ? font.pixelSize()
                               : static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
        const int weight = font.bold() ? 700 : 400;
        const int index = m_control.AddFont(font.family().toStdString(), -pixels, weight);
        if (index >= 0) {
            m_control.SetDefaultFont(index);
        }
    }
    item->hide();
    item->setParent(nullptr);
    delete item;
    show();
    m_control.CreateGrid();
    return 1;
}

void GridWidget::placeChildren(const model::GridLayoutRects& rects)
{
    // Returns true when the child moved or changed its size.
    auto place = [](QWidget* child, const model::GridRect& r) {
        const bool shown = r.right > r.left && r.bottom > r.top;
        const QRect geometry(r.left, r.top, std::max(0, r.right - r.left),
                             std::max(0, r.bottom - r.top));
        const bool changed = child->geometry() != geometry || child->isVisible() != shown;
        child->setGeometry(geometry);
        child->setVisible(shown);
        return changed;
    };
    const bool areaChanged = place(m_cellArea, rects.cellArea);
    const bool topChanged = place(m_topHeading, rects.topHeading);
    const bool sideChanged = place(m_sideHeading, rects.sideHeading);
    place(m_corner, rects.corner);
    place(m_vBar, rects.vScrollBar);
    place(m_hBar, rects.hScrollBar);
    place(m_tabBar, rects.tabBar);
    m_vBar->Update();
    m_hBar->Update();
    if (areaChanged || topChanged || sideChanged) {
        m_cellArea->Update();
        m_topHeading->Update();
        m_sideHeading->Update();
        m_corner->Update();
    }
}

void GridWidget::update(int section)
{
    switch (section) {
    case model::kSectionCellArea:
        m_cellArea->currentCellChanged();
        break;
    case model::kSectionTopHeading:
        m_topHeading->Update();
        break;
    case model::kSectionSideHeading:
        m_sideHeading->Update();
        break;
    case model::kSectionCorner:
        m_corner->Update();
        break;
    case model::kSectionVScrollBar:
        m_vBar->Update();
        break;
    case model::kSectionHScrollBar:
        m_hBar->Update();
        break;
    case model::kSectionTabBar:
        m_tabBar->Update();
        break;
    default:
        break;
    }
}

void GridWidget::moved(int)
{
    m_cellArea->Moved();
    m_topHeading->Update();
    m_sideHeading->Update();
}

void GridWidget::redrawAll()
{
    m_cellArea->Update();
    m_topHeading->Update();
    m_sideHeading->Update();
    m_corner->Update();
    m_tabBar->Update();
    m_vBar->Update();
    m_hBar->Update();
}

void GridWidget::redrawCell(int section, int col, int row)
{
    switch (section) {
    case model::kSectionCellArea:
        m_cellArea->RedrawCell(col, row);
        break;
    case model::kSectionTopHeading:
        m_topHeading->Update();
        break;
    case model::kSectionSideHeading:
        m_sideHeading->Update();
        break;
    default:
        m_corner->Update();
        break;
    }
}

void GridWidget::redrawRange(int left, int top, int right, int bottom)
{
    m_cellArea->RedrawRange(left, top, right, bottom);
}

void GridWidget::setFocus(int)
{
    m_cellArea->setFocus();
}

bool GridWidget::hasFocus(int) const
{
    return m_cellArea->hasFocus();
}

int GridWidget::textWidth(std::string_view text, model::GridObject* font) const
{
    const QFont qtFont = platform::qt::fontFromLogFont(gridFont(font).logFont);
    return QFontMetrics(qtFont).horizontalAdvance(
        QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

void GridWidget::showMarker(bool vertical, int position)
{
    const model::GridRect area = m_control.currentSheet()->m_cellAreaRect;
    if (vertical) {
        m_marker->setGeometry(area.left + position - 1, area.top, 2, area.bottom - area.top);
    } else {
        m_marker->setGeometry(area.left, area.top + position - 1, area.right - area.left, 2);
    }
    m_marker->show();
    m_marker->raise();
}

void GridWidget::hideMarker()
{
    m_marker->hide();
}

bool GridWidget::event(QEvent* event)
{
    if (event->type() == QEvent::WhatsThis) {
        // A help hit test in any child window comes here unless the child took it.
        helpRequestAt(static_cast<QHelpEvent*>(event)->globalPos(), 0);
        return true;
    }
    return QWidget::event(event);
}

void GridWidget::helpRequestAt(QPoint global, int request)
{
    QWidget* under = childAt(mapFromGlobal(global));
    if (under == m_topHeading) {
        m_topHeading->helpRequestAt(m_topHeading->mapFromGlobal(global), request);
    } else if (under == m_sideHeading) {
        m_sideHeading->helpRequestAt(m_sideHeading->mapFromGlobal(global), request);
    } else if (under == m_corner) {
        m_control.helpRequest(-1, -1, model::kSectionCorner, request);
    } else if (under == m_hBar) {
        m_control.helpRequest(0, 0, model::kSectionHScrollBar, request);
    } else if (under == m_vBar) {
        m_control.helpRequest(0, 0, model::kSectionVScrollBar, request);
    } else {
        const QPoint p = m_cellArea->mapFromGlobal(global);
        int col = -1;
        long row = -1;
        m_control.GetCellFromPoint(p.x(), p.y(), &col, &row);
        m_control.helpRequest(col, row, model::kSectionCellArea, request);
    }
}

void GridWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_control.AdjustComponentSizes();
}

void GridWidget::paintEvent(QPaintEvent* event)
{
    // Only the gaps between the children show the control's own face.
    QPainter painter(this);
    const model::COLORREF face = model::gridSystem().sysColor(model::kColorBtnFace);
    painter.fillRect(event->rect(), QColor(face & 0xFF, (face >> 8) & 0xFF, (face >> 16) & 0xFF));
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    // Keys sent to the control's window go to the cell area; one it leaves comes back here
    // and stops.
    if (!m_forwardingKey) {
        m_forwardingKey = true;
        QApplication::sendEvent(m_cellArea, event);
        m_forwardingKey = false;
    }
}

void GridWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (!m_forwardingKey) {
        m_forwardingKey = true;
        QApplication::sendEvent(m_cellArea, event);
        m_forwardingKey = false;
    }
}

void GridWidget::wheelEvent(QWheelEvent* event)
{
    const int rows = m_wheel.add(event->angleDelta().y());
    if (rows != 0) {
        m_control.currentSheet()->m_moveReason = 3;
        m_control.MoveTopRowBy(rows);
        m_control.currentSheet()->m_moveReason = 0;
    }
    event->accept();
}

} // namespace gridctrl::widgets
