#include "app/dialogs/DisplayStylePage.h"

#include "app/dialogs/ColorField.h"
#include "app/dialogs/DataExchange.h"
#include "app/dialogs/StyleLists.h"
#include "platform/chart/ColorPanel.h"
#include "platform/framework/ControlIds.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include <algorithm>

namespace app::dialogs {

using platform::chart::CColorPanel;
using platform::framework::setControlId;

DisplayStylePage::DisplayStylePage(unsigned templateId, const std::string& caption, bool pointPage,
                                   std::span<const DisplayStyleRow> rows)
    : PropertyPage(templateId, caption), m_pointPage(pointPage)
{
    auto* grid = new QGridLayout(this);
    const char* const headers[4] = {
        pointPage ? "Point Style" : "Line Style", pointPage ? "Point Size" : "Line Width",
        pointPage ? "Fill Pattern" : nullptr, pointPage ? "Point Color" : "Line Color"};
    for (int c = 0; c < 4; ++c)
        if (headers[c] != nullptr)
            grid->addWidget(new QLabel(QString::fromUtf8(headers[c]), this), 0, c + 1);

    m_values.assign(rows.size(), {0, 0, 0, 0});
    m_selections.assign(rows.size(), {-1, -1, -1, -1});
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r);
        const bool carried = row < kLoadedRows;
        auto* label = new QLabel(QString::fromUtf8(rows[r].name), this);
        label->setEnabled(carried);
        grid->addWidget(label, row + 1, 0);
        std::array<QComboBox*, 3> combos{};
        for (int c = 0; c < 3; ++c) {
            const unsigned id = rows[r].ids[c];
            if (id == 0)
                continue;
            auto* box = new QComboBox(this);
            setControlId(box, id);
            if (c == kStyle)
                fillComboBox(box, pointPage ? pointStyleNames() : lineStyleNames());
            else if (c == kWidthOrSize)
                fillComboBox(box, widthAndSizeNames());
            else
                fillComboBox(box, fillPatternNames());
            box->setCurrentIndex(-1);
            box->setEnabled(carried);
            grid->addWidget(box, row + 1, c + 1);
            combos[c] = box;
            const auto column = static_cast<Column>(c);
            connect(box, &QComboBox::currentIndexChanged, this, [this, row, column] {
                if (!m_filling)
                    comboChanged(row, column);
            });
        }
        m_combos.push_back(combos);
        auto* swatch = new CColorPanel(this);
        setControlId(swatch, rows[r].ids[kColor]);
        swatch->setMinimumSize(48, 20);
        swatch->setEnabled(carried);
        grid->addWidget(swatch, row + 1, kColor + 1);
        m_swatches.push_back(swatch);
        attachColorField(swatch, [this, row](uint32_t color) {
            SetModified(true);
            m_values[static_cast<std::size_t>(row)][kColor] = static_cast<int32_t>(color);
        });
    }
    grid->setRowStretch(static_cast<int>(rows.size()) + 1, 1);
}

bool DisplayStylePage::OnInitDialog()
{
    const int loaded = std::min(kLoadedRows, rowCount());
    for (int row = 0; row < loaded; ++row) {
        for (int c = 0; c < 3; ++c)
            m_selections[static_cast<std::size_t>(row)][c] =
                m_values[static_cast<std::size_t>(row)][c];
        m_swatches[static_cast<std::size_t>(row)]->SetBackColor(
            static_cast<uint32_t>(m_values[static_cast<std::size_t>(row)][kColor]));
    }
    UpdateData(false);
    return true;
}

void DisplayStylePage::UpdateData(bool save)
{
    const bool filling = m_filling;
    m_filling = true;
    for (std::size_t r = 0; r < m_combos.size(); ++r) {
        for (int c = 0; c < 3; ++c) {
            QComboBox* box = m_combos[r][c];
            if (box == nullptr)
                continue;
            if (save) {
                m_selections[r][c] = box->currentIndex();
            } else {
                // A value outside the list shows no selection.
                const int index = m_selections[r][c];
                box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
            }
        }
    }
    m_filling = filling;
}

void DisplayStylePage::comboChanged(int row, Column column)
{
    SetModified(true);
    UpdateData(true);
    m_values.at(static_cast<std::size_t>(row))[column] =
        m_selections.at(static_cast<std::size_t>(row))[column];
}

} // namespace app::dialogs
