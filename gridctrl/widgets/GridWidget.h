#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridScrollMath.h"

#include <QWidget>

#include <memory>

namespace gridctrl::widgets {

class CGridCellArea;
class CGridTopHeading;
class CGridSideHeading;
class CGridCornerButton;
class CGridVScrollBar;
class CGridHScrollBar;
class CGridTabBar;
class CGridHintWnd;
class CGridDropTarget;
class CGridDropListWnd;
class GridQtPopupMenu;
class GridQtClipboard;

// The grid control's own window: it makes the child windows (cell area, headings, corner
// button, scroll bars, tab bar, hint window, drop target and the two in-place editors) and
// gives the control a Qt pop-up menu and the application's clipboard; it lays
// them out from the core's rectangles and passes the core's repaint requests to the child
// that shows the cells concerned. The wheel is summed here for the cell area. It holds no
// state the core does not hold. GUI thread only.
class GridWidget : public QWidget, public model::GridWindows
{
public:
    explicit GridWidget(model::CGridControl& control, QWidget* parent = nullptr);
    ~GridWidget() override;

    model::CGridControl& control() const { return m_control; }
    CGridCellArea* cellArea() const { return m_cellArea; }
    CGridTopHeading* topHeading() const { return m_topHeading; }
    CGridSideHeading* sideHeading() const { return m_sideHeading; }
    CGridCornerButton* cornerButton() const { return m_corner; }
    CGridVScrollBar* vScrollBar() const { return m_vBar; }
    CGridHScrollBar* hScrollBar() const { return m_hBar; }
    CGridTabBar* tabBar() const { return m_tabBar; }
    CGridHintWnd& hint() const { return *m_hint; }
    CGridDropTarget* dropTarget() const { return m_dropTarget; }
    CGridDropListWnd* dropList() const { return m_dropList; }

    // Replace a part by an object of a class derived from the part's: the grid deletes the
    // part it has, takes the new one (made with this grid as its parent) and lays it out.
    // 0 on success, 1 for null or for the part that is already there.
    int SetNewCellArea(CGridCellArea* area);
    int SetNewTopHeading(CGridTopHeading* heading);
    int SetNewSideHeading(CGridSideHeading* heading);
    int SetNewVScrollBar(CGridVScrollBar* bar);
    int SetNewHScrollBar(CGridHScrollBar* bar);
    // The tabs of the old bar (labels, ids, colours and the current one) move to the new bar.
    int SetNewTabBar(CGridTabBar* bar);

    // Takes the place of the dialog's control with that id (its parent, geometry, control id
    // and tab order) and deletes it; takes focus with the tab key; a QDialog's font becomes
    // the current sheet's default font; then the control's CreateGrid (OnSetup, OnSheetSetup
    // (0), layout). 1 on success, 0 when the dialog has no such control.
    int CreateGridOnDialogItem(QWidget* dialog, unsigned controlId);

    // The sizing and drop markers drawn over the cell area: a 2-pixel bar at x (vertical) or
    // y of the cell area.
    void showMarker(bool vertical, int position);
    void hideMarker();
    QWidget* marker() const { return m_marker; }

    // A help request (F1, `request` 1) or a help hit test (What's This, 0) for what lies under
    // a point of the screen: the cell and section go to OnHelp, its answer to the control's
    // help handler.
    void helpRequestAt(QPoint global, int request = 1);

    // GridWindows.
    int clientWidth() const override { return width(); }
    int clientHeight() const override { return height(); }
    void update(int section) override;
    void moved(int section) override;
    void placeChildren(const model::GridLayoutRects& rects) override;
    void redrawAll() override;
    void redrawCell(int section, int col, int row) override;
    void redrawRange(int left, int top, int right, int bottom) override;
    void setFocus(int section) override;
    bool hasFocus(int section) const override;
    int textWidth(std::string_view text, model::GridObject* font) const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    model::CGridControl& m_control;
    model::GridWheelAccumulator m_wheel;
    CGridCellArea* m_cellArea = nullptr;
    CGridTopHeading* m_topHeading = nullptr;
    CGridSideHeading* m_sideHeading = nullptr;
    CGridCornerButton* m_corner = nullptr;
    CGridVScrollBar* m_vBar = nullptr;
    CGridHScrollBar* m_hBar = nullptr;
    CGridTabBar* m_tabBar = nullptr;
    CGridHintWnd* m_hint = nullptr;
    CGridDropTarget* m_dropTarget = nullptr;
    CGridDropListWnd* m_dropList = nullptr;
    QWidget* m_marker = nullptr;
    std::unique_ptr<GridQtPopupMenu> m_menu;
    std::unique_ptr<GridQtClipboard> m_clipboard;
    bool m_forwardingKey = false;
    model::CGridEditBase* m_edit = nullptr;
    model::CGridEditBase* m_maskedEdit = nullptr;
};

} // namespace gridctrl::widgets
