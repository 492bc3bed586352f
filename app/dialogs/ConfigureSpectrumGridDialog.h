#pragma once

#include "app/dialogs/ValueDialog.h"

#include <cstdint>

namespace platform::chart {
class CColorPanel;
}

// "Configure Spectrum Grid" (dialog 200): the grid's line colour, style and width. The caller
// sets the fields and reads them back after IDOK. The width combo is in the dialog but not
// shown. GUI thread only.
class CConfigureSpectrumGridDialog : public app::dialogs::ValueDialog
{
public:
    explicit CConfigureSpectrumGridDialog(QWidget* parent);

    uint32_t m_color = 0;
    int m_lineStyle = -1;
    int m_lineWidth = -1;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;

private:
    platform::chart::CColorPanel* m_swatch;
};
