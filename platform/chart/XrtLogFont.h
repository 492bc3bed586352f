#pragma once

#include "platform/chart/XrtTypes.h"
#include "platform/qt/LOGFONT.h"

// Between the chart's font descriptions and the LOGFONT records that files, font dialogs
// and the views keep. GUI thread or any.

namespace platform::chart {

XrtFont xrtFont(const platform::qt::LOGFONT& font);
platform::qt::LOGFONT logFont(const XrtFont& font);

} // namespace platform::chart
