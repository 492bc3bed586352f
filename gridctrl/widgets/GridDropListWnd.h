#pragma once

#include "gridctrl/model/GridBuiltInCellTypes.h"
#include "gridctrl/model/GridControl.h"

#include <QListWidget>

namespace gridctrl::widgets {

// The list of a drop-list cell's choices, shown below the cell. Enter or a click takes the
// selected choice into the cell (the cell type is told with messages 102 and 101 first);
// Escape or losing the focus closes it without a choice. GUI thread only.
class CGridDropListWnd : public QListWidget, public model::GridDropListPart
{
public:
    // Message 102 carries the chosen index, 101 a std::string* holding the chosen text, which
    // the hook may change; 0 from the second keeps the cell as it is.
    static constexpr long kMessageIndex = 102;
    static constexpr long kMessageText = 101;

    CGridDropListWnd(model::CGridControl& control, model::CGridDropListCellType& type,
                     QWidget* cellArea);

    bool isListOpen() const override { return m_open; }
    void openList(int col, int row, const model::GridRect& rect,
                  const std::vector<std::string>& choices, int itemHeight) override;
    void closeList() override;
    bool choiceMade() const { return m_choiceMade; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void takeChoice();

    model::CGridControl& m_control;
    model::CGridDropListCellType& m_type;
    QWidget* m_cellArea;
    bool m_open = false;
    bool m_choiceMade = false;
    bool m_closing = false;
};

} // namespace gridctrl::widgets
