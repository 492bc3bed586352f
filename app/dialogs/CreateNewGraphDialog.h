#pragma once

#include "app/dialogs/ValueDialog.h"

// "Create New Graph" (dialog 209): the number of traces and the points per trace, each a whole
// number of at least 1. GUI thread only.
class CCreateNewGraphDialog : public app::dialogs::ValueDialog
{
public:
    explicit CCreateNewGraphDialog(QWidget* parent);

    int m_traces = 0;
    int m_points = 0;

protected:
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;
};
