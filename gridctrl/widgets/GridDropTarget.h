#pragma once

#include "gridctrl/model/GridControl.h"

#include <QObject>

#include <optional>
#include <string>

class QMimeData;

namespace gridctrl::widgets {

// Lets text be dropped onto the cell area: Qt's drag events on the cell area become the
// control's drop-target calls (the hooks decide; an accepted drop pastes at the cell under the
// point), and dragging near an edge scrolls. Only text is taken; it is cut at a NUL byte and
// refused beyond kMaxDropBytes. Also starts drags of the selection's text, copy only.
// GUI thread only.
class CGridDropTarget : public QObject, public model::GridDragDropPart
{
public:
    static constexpr std::size_t kMaxDropBytes = 4 * 1024 * 1024;

    CGridDropTarget(model::CGridControl& control, QWidget* cellArea);

    void enableDropTarget(bool on) override;
    void startDrag(const std::string& text) override;

    // The text a drop offers, or nothing for data the grid does not take.
    static std::optional<std::string> offeredText(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    model::CGridControl& m_control;
    QWidget* m_cellArea;
};

} // namespace gridctrl::widgets
