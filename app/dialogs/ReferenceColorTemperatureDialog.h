#pragma once

#include "app/dialogs/ValueDialog.h"

#include <string>

// "Reference Color Temperature" (dialog 148): the temperature text and, when the caller
// shows it, the second-order check box. GUI thread only.
class CReferenceColorTemperatureDialog : public app::dialogs::ValueDialog
{
public:
    explicit CReferenceColorTemperatureDialog(QWidget* parent);

    std::string m_temperature;
    int m_assumeSecondOrder = 0;
    // 1 shows the second-order check box.
    int m_showSecondOrder = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
