#include "gridctrl/model/GridSheetState.h"

#include "gridctrl/model/GridSortEvaluate.h"
#include "gridctrl/model/GridSystem.h"

namespace gridctrl::model {

namespace {

// Heading cells: a raised bottom-right border and centred text.
constexpr unsigned short kHeadingBorder = 0x2000;
constexpr unsigned short kHeadingAlignment = 0x24;

} // namespace

CGridSheetState::CGridSheetState()
    : m_gridDefaultCell(std::make_unique<CGridCellInfo>()),
      m_headingDefaultCell(std::make_unique<CGridCellInfo>()),
      m_ownDataSource(std::make_unique<CGridMemDataSource>()),
      m_selectList(std::make_unique<CGridSelectList>(this)),
      m_objectTable(std::make_unique<CGridObjectTable>()),
      m_gridLinePen(std::make_unique<GridPen>(GridPen::Solid, 1, rgbColor(220, 220, 220)))
{
    const GridSystem& system = gridSystem();
    m_headingDefaultCell->SetBackColor(system.sysColor(kColorBtnFace));
    m_headingDefaultCell->SetBorder(kHeadingBorder);
    m_headingDefaultCell->SetAlignment(kHeadingAlignment);
    m_vScrollBarWidth = system.systemMetric(kMetricVScrollWidth);
    m_hScrollBarHeight = system.systemMetric(kMetricHScrollHeight);
    m_currentDataSource = m_ownDataSource.get();
    m_ownDataSource->attach(this);
}

CGridSheetState::~CGridSheetState()
{
    m_colInfo.clear();
    m_rowHeights.clear();
    m_topHeadingRowHeights.clear();
    m_sideHeadingColWidths.clear();
    m_gridDefaultCell.reset();
    m_headingDefaultCell.reset();
    if (m_selectList) {
        m_selectList->ClearAll();
    }
    m_selectList.reset();
    m_objectTable.reset();
    m_currentDataSource = nullptr;
    m_ownDataSource.reset();
    m_gridLinePen.reset();
}

CGridDataSource* CGridSheetState::dataSourceOf(int col) const
{
    if (col >= 0 && col < static_cast<int>(m_colInfo.size()) &&
        m_colInfo[static_cast<std::size_t>(col)].dataSource) {
        return m_colInfo[static_cast<std::size_t>(col)].dataSource;
    }
    return m_currentDataSource;
}

int CGridSheetState::onSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second,
                                    int flags)
{
    return gridSortEvaluate(first, second, flags);
}

} // namespace gridctrl::model
