#pragma once

#include "platform/framework/PropertySheet.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class QComboBox;

namespace platform::chart {
class CColorPanel;
}

namespace app::dialogs {

// One row of a display page: its label and the control ids of its style, width or size, fill
// and swatch controls (0 where the page has no such column).
struct DisplayStyleRow
{
    const char* name;
    std::array<unsigned, 4> ids;
};

// A page of the display sheet: rows of style combos and a colour swatch. A line page has the
// columns line style, line width and line colour; a point page point style, point size, fill
// pattern and point colour. Each row keeps a current value per column (an index or a
// COLORREF), loaded by the sheet and read back by its apply. The first eight rows carry
// values; a further row (the channel pages' "Spliced Spectrum") is shown disabled, since
// nothing in the view stands behind it. GUI thread only.
class DisplayStylePage : public platform::framework::PropertyPage
{
public:
    enum Column
    {
        kStyle = 0,
        kWidthOrSize = 1,
        kFill = 2,
        kColor = 3,
    };
    static constexpr int kLoadedRows = 8;

    DisplayStylePage(unsigned templateId, const std::string& caption, bool pointPage,
                     std::span<const DisplayStyleRow> rows);

    bool pointPage() const { return m_pointPage; }
    int rowCount() const { return static_cast<int>(m_values.size()); }
    int32_t& value(int row, Column column) { return m_values.at(row)[column]; }
    // The combo selections as last read from the controls (-1: none).
    int selection(int row, Column column) const { return m_selections.at(row)[column]; }

    bool OnInitDialog() override;
    // Reads every combo's selection (save) or shows the selections (load).
    void UpdateData(bool save);

private:
    void comboChanged(int row, Column column);

    bool m_pointPage;
    std::vector<std::array<int32_t, 4>> m_values;
    std::vector<std::array<int, 4>> m_selections;
    std::vector<std::array<QComboBox*, 3>> m_combos;
    std::vector<platform::chart::CColorPanel*> m_swatches;
    bool m_filling = false;
};

} // namespace app::dialogs
