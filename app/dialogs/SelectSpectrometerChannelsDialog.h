#pragma once

#include "app/dialogs/ValueDialog.h"

#include <array>
#include <cstdint>

// "Select Spectrometer Channels" (dialog 198): one check box per channel (Master, Slave 1 to
// 7), enabled by its available flag; each click updates its selected flag at once. GUI
// thread only.
class CSelectSpectrometerChannelsDialog : public app::dialogs::ValueDialog
{
public:
    explicit CSelectSpectrometerChannelsDialog(QWidget* parent);

    std::array<int32_t, 8> m_available{};
    std::array<int32_t, 8> m_selected{};

protected:
    bool OnInitDialog() override;
    // The selected flags follow the boxes as they are clicked.
    void OnOK() override { EndDialog(IDOK); }
};
