#pragma once

#include "app/dialogs/ValueDialog.h"

#include <string>

// "Set Spectrum Scale" (dialog 147), captioned "Set Graph Scale" for a graph: the X and Y
// axes' minimum and maximum as typed texts. Each box selects its whole text when it gets the
// focus. The caller formats the limits in and converts the texts back after IDOK. GUI thread
// only.
class CSetSpectrumScaleDialog : public app::dialogs::ValueDialog
{
public:
    explicit CSetSpectrumScaleDialog(QWidget* parent);

    std::string m_xMin;
    std::string m_xMax;
    std::string m_yMin;
    std::string m_yMax;
    // 1 when a graph window asks.
    int m_graph = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
