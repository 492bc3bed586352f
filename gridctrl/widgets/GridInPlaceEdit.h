#pragma once

#include "gridctrl/model/GridControl.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace gridctrl::widgets {

// The keys common to both editors: Escape cancels, Tab and Shift+Tab move on along the row,
// Enter, Down and Up move on along the column; losing the focus ends the edit (or cancels it
// when the sheet asks so and the focus leaves the grid), except to a menu opened over it, which
// gives the focus back. Returns true when the key was used.
bool handleEditKey(model::CGridControl& control, const std::string& text, int key,
                   Qt::KeyboardModifiers modifiers);
void handleEditFocusLoss(model::CGridControl& control, const std::string& text, QWidget* grid,
                         Qt::FocusReason reason);

// The multi-line in-place editor, a child of the grid widget. GUI thread only.
class CGridInPlaceEdit : public QPlainTextEdit, public model::CGridEditBase
{
public:
    CGridInPlaceEdit(model::CGridControl& control, QWidget* grid);

    void setEditText(std::string_view text) override;
    std::string editText() const override;
    void setEditReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    void showEditor(int section, const model::GridRect& rect) override;
    void hideEditor() override { hide(); }
    bool isEditorVisible() const override { return isVisible(); }
    bool hasEditFocus() const override { return hasFocus(); }
    void typeChar(unsigned key) override;
    void cutText() override { cut(); }
    void copyText() override { copy(); }
    void pasteText() override;

    // Growing with the text (on by default): while on and the sheet lets text overflow, the
    // edit widens to the right edge of the cell its text reaches and deepens to the bottom of
    // the row, inside the cell area and never smaller than the cell it started on.
    void setAutoGrow(bool on) { m_autoGrow = on; }
    bool autoGrow() const { return m_autoGrow; }
    int grownHeight() const { return m_grownHeight; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void grow();

    model::CGridControl& m_control;
    QWidget* m_grid;
    bool m_autoGrow = true;
    QRect m_startRect;
    int m_grownHeight = 0;
};

// The single-line editor of cells with an input mask. GUI thread only.
class CGridEdit : public QLineEdit, public model::CGridEditBase
{
public:
    CGridEdit(model::CGridControl& control, QWidget* grid);

    void setEditText(std::string_view text) override;
    std::string editText() const override;
    void setEditMask(std::string_view mask) override { m_mask = mask; }
    void setEditReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    void showEditor(int section, const model::GridRect& rect) override;
    void hideEditor() override { hide(); }
    bool isEditorVisible() const override { return isVisible(); }
    bool hasEditFocus() const override { return hasFocus(); }
    void typeChar(unsigned key) override;
    void cutText() override { cut(); }
    void copyText() override { copy(); }
    // Pastes as if the clipboard's characters were typed, so the mask holds.
    void pasteText() override;
    // The text fitted to the mask.
    std::string GetMaskedText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void typeMasked(char32_t ch);

    model::CGridControl& m_control;
    QWidget* m_grid;
    std::string m_mask;
};

} // namespace gridctrl::widgets
