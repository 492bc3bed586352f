#include "app/dialogs/SelectChannelsToCopyDialog.h"

#include "app/dialogs/ChannelChecks.h"
#include "app/dialogs/SmallDialogIds.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace app::dialogs;

CSelectChannelsToCopyDialog::CSelectChannelsToCopyDialog(QWidget* parent)
    : ValueDialog(199, "Select Spectrometer Channels to Copy", parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout();
    auto* channels = new QVBoxLayout();
    auto* overlays = new QVBoxLayout();
    const auto select = [this](int index, bool on) { m_selected[index] = on ? 1 : 0; };
    addChannelChecks(this, channels, id::kFirstChannelCheck, channelCheckLabels(), select);
    addChannelChecks(this, overlays, id::kFirstOverlayCheck, overlayCheckLabels(), select, 8);
    columns->addLayout(channels);
    columns->addLayout(overlays);
    layout->addLayout(columns);
    addOkCancel(layout);
}

bool CSelectChannelsToCopyDialog::OnInitDialog()
{
    // The sixteen ids run on from the channels to the overlays.
    showChannelChecks(this, id::kFirstChannelCheck, m_available, m_selected);
    return true;
}
