#pragma once

#include <cstdint>
#include <functional>
#include <span>

class QBoxLayout;
class QWidget;

// The rows of channel check boxes of the two channel dialogs.

namespace app::dialogs {

// "&Master", "Slave &1" ... "Slave &7".
std::span<const char* const> channelCheckLabels();
// "Overlay &1" ... "Overlay &8".
std::span<const char* const> overlayCheckLabels();

// Adds one check box per label with consecutive control ids from firstId; each click calls
// clicked (index from 0, state).
void addChannelChecks(QWidget* dialog, QBoxLayout* layout, unsigned firstId,
                      std::span<const char* const> labels,
                      const std::function<void(int, bool)>& clicked, int firstIndex = 0);

// Enables each box by its available flag and checks it by its selected flag.
void showChannelChecks(QWidget* dialog, unsigned firstId, std::span<const int32_t> available,
                       std::span<const int32_t> selected);

} // namespace app::dialogs
