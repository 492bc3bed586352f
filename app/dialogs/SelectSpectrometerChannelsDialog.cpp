#include "app/dialogs/SelectSpectrometerChannelsDialog.h"

#include "app/dialogs/ChannelChecks.h"
#include "app/dialogs/SmallDialogIds.h"

#include <QVBoxLayout>

using namespace app::dialogs;

CSelectSpectrometerChannelsDialog::CSelectSpectrometerChannelsDialog(QWidget* parent)
    : ValueDialog(198, "Select Spectrometer Channels", parent)
{
    auto* layout = new QVBoxLayout(this);
    addChannelChecks(this, layout, id::kFirstChannelCheck, channelCheckLabels(),
                     [this](int index, bool on) { m_selected[index] = on ? 1 : 0; });
    addOkCancel(layout);
}

bool CSelectSpectrometerChannelsDialog::OnInitDialog()
{
    showChannelChecks(this, id::kFirstChannelCheck, m_available, m_selected);
    return true;
}
