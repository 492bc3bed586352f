#pragma once

#include "app/dialogs/ValueDialog.h"

#include <array>
#include <cstdint>

// "Select Spectrometer Channels to Copy" (dialog 199): the eight channels and the eight
// overlays (flags in the order Master, Slave 1 to 7, Overlay 1 to 8), each box enabled by its
// available flag; each click updates its selected flag at once. GUI thread only.
class CSelectChannelsToCopyDialog : public app::dialogs::ValueDialog
{
public:
    explicit CSelectChannelsToCopyDialog(QWidget* parent);

    std::array<int32_t, 16> m_available{};
    std::array<int32_t, 16> m_selected{};

protected:
    bool OnInitDialog() override;
    void OnOK() override { EndDialog(IDOK); }
};
