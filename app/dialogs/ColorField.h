#pragma once

#include <cstdint>
#include <functional>

namespace platform::chart {
class CColorPanel;
}

// A colour field: a colour swatch whose click opens the UI services' colour dialog at the
// current colour. Only a different colour counts as a change: the swatch then shows it and
// the callback receives it. GUI thread only.

namespace app::dialogs {

// Connects the swatch; the callback is called with each changed colour (COLORREF).
void attachColorField(platform::chart::CColorPanel* panel, std::function<void(uint32_t)> changed);

// What a click does: the colour dialog at the swatch's colour; true (and the swatch and
// callback updated) when another colour was chosen.
bool chooseColorField(platform::chart::CColorPanel& panel,
                      const std::function<void(uint32_t)>& changed);

} // namespace app::dialogs
