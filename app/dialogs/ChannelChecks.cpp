#include "app/dialogs/ChannelChecks.h"

#include "platform/framework/ControlIds.h"

#include <QBoxLayout>
#include <QCheckBox>

namespace app::dialogs {

namespace {

constexpr const char* kChannelLabels[] = {"&Master",  "Slave &1", "Slave &2", "Slave &3",
                                          "Slave &4", "Slave &5", "Slave &6", "Slave &7"};
constexpr const char* kOverlayLabels[] = {"Overlay &1", "Overlay &2", "Overlay &3", "Overlay &4",
                                          "Overlay &5", "Overlay &6", "Overlay &7", "Overlay &8"};

} // namespace

std::span<const char* const> channelCheckLabels()
{
    return kChannelLabels;
}

std::span<const char* const> overlayCheckLabels()
{
    return kOverlayLabels;
}

void addChannelChecks(QWidget* dialog, QBoxLayout* layout, unsigned firstId,
                      std::span<const char* const> labels,
                      const std::function<void(int, bool)>& clicked, int firstIndex)
{
    for (size_t k = 0; k < labels.size(); ++k) {
        auto* box = new QCheckBox(QString::fromUtf8(labels[k]), dialog);
        platform::framework::setControlId(box, firstId + static_cast<unsigned>(k));
        layout->addWidget(box);
        const int index = firstIndex + static_cast<int>(k);
        QObject::connect(box, &QCheckBox::clicked, dialog,
                         [clicked, index](bool on) { clicked(index, on); });
    }
}

void showChannelChecks(QWidget* dialog, unsigned firstId, std::span<const int32_t> available,
                       std::span<const int32_t> selected)
{
    for (size_t k = 0; k < available.size() && k < selected.size(); ++k) {
        auto* box =
            platform::framework::findControl<QCheckBox>(dialog, firstId + static_cast<unsigned>(k));
        if (box == nullptr)
            continue;
        box->setChecked(selected[k] != 0);
        // A channel that is not available shows its state greyed and cannot be changed.
        box->setEnabled(available[k] != 0);
    }
}

} // namespace app::dialogs
