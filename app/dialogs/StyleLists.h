#pragma once

#include <span>

// The fixed lists of the style combo boxes that the display sheet, the chart dialogs and the
// cursor dialog share. The index of an entry is the value stored for it.

namespace app::dialogs {

// "(Default)", "None", "Solid", ... "Dash Dot" (8 entries).
std::span<const char* const> lineStyleNames();
// "(Default)", "None", "Dot", ... "Open Diamond" (17 entries).
std::span<const char* const> pointStyleNames();
// "(Default)", "None", "Solid", ... "Cross Hatch" (12 entries).
std::span<const char* const> fillPatternNames();
// Line widths and point sizes "0" to "10"; also the cursor's displayed precision.
std::span<const char* const> widthAndSizeNames();
// Font sizes "8" to "46" (11 entries).
std::span<const char* const> fontSizeNames();
// "Master", "Slave 1" ... "Slave 7".
std::span<const char* const> channelNames();

} // namespace app::dialogs
