#pragma once

#include "app/dialogs/ValueDialog.h"

#include <cstdint>

// "Configure Cursor" (dialog 176): the cursor's line style, width and colour, the channel it
// reads, the digits shown, the range limit, the intensity in the legend and the display
// option (1 status bar, 0 separate window; its buttons are not shown). GUI thread only.
class CConfigureCursorDialog : public app::dialogs::ValueDialog
{
public:
    explicit CConfigureCursorDialog(QWidget* parent);

    int m_lineStyle = -1;
    int m_lineWidth = -1;
    uint32_t m_color = 0; // COLORREF
    int m_channel = -1;
    int m_precision = -1;
    int m_limitRange = 0;
    int m_showIntensity = 0;
    int m_displayOption = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;

private:
    void checkDisplayOption();
};
