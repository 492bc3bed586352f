#include "gridctrl/model/GridBuiltInCellTypes.h"

#include "gridctrl/model/GridCellTypeGeometry.h"
#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridFont.h"
#include "gridctrl/model/GridSystem.h"

#include <cstdlib>

namespace gridctrl::model {

namespace {

constexpr unsigned kKeyEnter = 13;
constexpr unsigned kKeySpace = 32;
constexpr unsigned kVirtualKeyDown = 0x28;

bool inside(const GridRect& r, const GridPoint& p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

} // namespace

int CGridCellType::Notify(int col, long row, long message, long param)
{
    CGridControl* owner = control();
    return owner ? owner->OnCellTypeMessage(index(), col, row, message, param) : 1;
}

int CGridCellType::CanOverflow(const CGridCellInfo& cell) const
{
    const unsigned short alignment =
        cell.HasProperty(CGridCellInfo::kPropAlignment) ? cell.GetAlignment() : 0;
    if (alignment & 1) {
        return m_overflow;
    }
    const bool plain = alignment == 0 && !cell.HasProperty(CGridCellInfo::kPropCellTypeEx) &&
                       !cell.HasProperty(CGridCellInfo::kPropJoin);
    return plain ? m_overflow : 0;
}

int CGridCheckBoxCellType::step(int col, int row)
{
    CGridControl* owner = control();
    if (!owner) {
        return 0;
    }
    CGridCellInfo shown;
    owner->GetDisplayCell(col, row, &shown);
    if (shown.GetReadOnly()) {
        return 0;
    }
    const int param = shown.HasProperty(CGridCellInfo::kPropCellTypeEx) ? shown.GetCellTypeEx() : 0;
    const int value = checkBoxNextValue(checkBoxValue(shown.GetNumber(), param), param);
    CGridCellInfo stored;
    owner->GetCell(col, row, &stored);
    stored.SetNumber(value);
    if (owner->SetCell(col, row, &stored) != 0) {
        return 0;
    }
    Notify(col, row, kMessageChanged, value);
    owner->RedrawCell(col, row);
    return 1;
}

int CGridCheckBoxCellType::OnLClicked(int col, int row, int down, const GridRect& rect,
                                      const GridPoint& point)
{
    CGridControl* owner = control();
    if (!down || !owner) {
        return 0;
    }
    CGridCellInfo shown;
    owner->GetDisplayCell(col, row, &shown);
    const int param = shown.HasProperty(CGridCellInfo::kPropCellTypeEx) ? shown.GetCellTypeEx() : 0;
    const unsigned short alignment =
        shown.HasProperty(CGridCellInfo::kPropAlignment) ? shown.GetAlignment() : 0;
    const GridRect box = checkBoxRect(rect, param, alignment);
    if (!inside(box, point)) {
        return 0;
    }
    return step(col, row);
}

int CGridCheckBoxCellType::OnDClicked(int col, int row, const GridRect& rect,
                                      const GridPoint& point)
{
    return OnLClicked(col, row, 1, rect, point);
}

int CGridCheckBoxCellType::OnCharDown(int col, int row, unsigned* key)
{
    if (!key || *key != kKeySpace) {
        return 0;
    }
    step(col, row);
    return 1;
}

int CGridDropListCellType::OnEditStartRect(GridRect& rect)
{
    rect.right = std::max(rect.left, rect.right - (m_buttonWidth + 1));
    return 1;
}

bool CGridDropListCellType::openList(int col, int row)
{
    CGridControl* owner = control();
    if (!owner || !m_list || m_list->isListOpen()) {
        return false;
    }
    CGridCellInfo shown;
    owner->GetDisplayCell(col, row, &shown);
    if (shown.GetReadOnly()) {
        return false;
    }
    if (owner->GetCurrentCol() != col || owner->GetCurrentRow() != row) {
        if (owner->GotoCell(col, row) != 0) {
            return false;
        }
    }
    if (!Notify(col, row, kMessageOpening, 0)) {
        return false;
    }
    int itemHeight = 12;
    const GridObject* fontObject = shown.HasProperty(CGridCellInfo::kPropFont)
                                       ? shown.GetFont()
                                       : owner->currentSheet()->m_defaultFont;
    if (const auto* font = dynamic_cast<const GridFont*>(fontObject)) {
        if (font->spec().height != 0) {
            itemHeight = std::abs(font->spec().height);
        }
    }
    const char* label = shown.GetLabelPtr();
    const std::vector<std::string> choices = dropListChoices(label ? label : "");
    GridRect cellRect;
    owner->GetCellRect(col, row, &cellRect);
    const CGridSheetState& sheet = *owner->currentSheet();
    const GridRect listRect = dropListRect(cellRect, itemHeight, static_cast<int>(choices.size()),
                                           sheet.m_cellAreaWidth, sheet.m_cellAreaHeight);
    m_listCol = col;
    m_listRow = row;
    m_list->openList(col, row, listRect, choices, itemHeight);
    return true;
}

int CGridDropListCellType::OnLClicked(int col, int row, int down, const GridRect& rect,
                                      const GridPoint& point)
{
    const GridRect button = dropButtonRect(rect, m_buttonWidth);
    if (!down) {
        const bool was = m_pressed;
        m_pressed = false;
        if (was && control()) {
            control()->RedrawCell(col, row);
        }
        return was ? 1 : 0;
    }
    if (!inside(button, point)) {
        return 0;
    }
    if (m_list && m_list->isListOpen() && m_listCol == col && m_listRow == row) {
        m_list->closeList();
        m_listCol = -1;
        m_listRow = -1;
        return 1;
    }
    m_pressed = true;
    if (control()) {
        control()->RedrawCell(col, row);
    }
    openList(col, row);
    return 1;
}

int CGridDropListCellType::OnDClicked(int col, int row, const GridRect& rect,
                                      const GridPoint& point)
{
    return OnLClicked(col, row, 1, rect, point);
}

int CGridDropListCellType::OnKeyDown(int col, int row, unsigned* key)
{
    if (key && *key == kVirtualKeyDown && gridSystem().isKeyDown(kVirtualKeyControl)) {
        openList(col, row);
        *key = 0;
        return 1;
    }
    return 0;
}

int CGridDropListCellType::OnCharDown(int col, int row, unsigned* key)
{
    if (key && *key == kKeyEnter) {
        openList(col, row);
        *key = 0;
        return 1;
    }
    return 0;
}

int CGridDropListCellType::OnKillFocus(int, int, CGridCellInfo&)
{
    m_listCol = -1;
    m_listRow = -1;
    return -1;
}

} // namespace gridctrl::model
