#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/dialogs/ValueDialog.h"

#include <span>

class QCheckBox;
class QComboBox;

namespace platform::chart {
class CColorPanel;
}

namespace app::dialogs {
class ChartFontFields;
}

// "Configure Legend" (dialog 216): the chart legend's visibility, floating, location,
// orientation, border, border width, colours and font. The owner is the spectrum view when the
// dialog is opened from one, else the graph view. Every change goes to the chart (and the
// owner's legend font and floating flag) at once. A chart value the lists do not hold shows
// no selection. GUI thread only.
class CConfigureLegendDialog : public app::dialogs::ValueDialog
{
public:
    CConfigureLegendDialog(const app::dialogs::ChartDialogParent& parent, QWidget* window);

    // The location list's chart values, index by index ("Top" 16 ... "Lower-left" 34).
    static std::span<const int> locationValues();

protected:
    bool OnInitDialog() override;

private:
    void set(int property, const platform::chart::XrtValue& value);
    // Pins the chart area to the owner's client size, or hands its placement to the chart.
    void pinChartArea();
    void releaseChartArea();
    void fontChanged();
    void floatingClicked();
    void visibleClicked();
    int floating() const;

    app::dialogs::ChartSpectrumOwner* m_spectrum;
    app::dialogs::ChartGraphOwner* m_graph;
    platform::chart::XrtHandle m_chart = 0;
    QCheckBox* m_visible;
    QCheckBox* m_floating;
    QComboBox* m_location;
    QComboBox* m_orientation;
    QComboBox* m_border;
    QComboBox* m_width;
    platform::chart::CColorPanel* m_background;
    platform::chart::CColorPanel* m_foreground;
    app::dialogs::ChartFontFields* m_font;
    bool m_filling = false;
};
