#pragma once

#include "gridctrl/model/GridControlParts.h"

class QWidget;

namespace gridctrl::model {
class CGridControl;
}

namespace gridctrl::widgets {

// The control's find and replace dialog through the UI services: the whole-word box is
// captioned "Match &entire cell text" and every report goes to CGridControl::OnFindReplace.
// The dialog is closed when this object goes. GUI thread only.
class GridQtFindDialog : public model::GridFindDialogPart
{
public:
    static constexpr const char* kWholeCellCaption = "Match &entire cell text";

    GridQtFindDialog(model::CGridControl& control, QWidget* owner = nullptr);
    ~GridQtFindDialog() override;
    GridQtFindDialog(const GridQtFindDialog&) = delete;
    GridQtFindDialog& operator=(const GridQtFindDialog&) = delete;

    bool open(bool withReplace) override;
    void focus() override;

private:
    model::CGridControl& m_control;
    QWidget* m_owner;
    int m_dialog = 0;
};

} // namespace gridctrl::widgets
