#pragma once

#include "app/dialogs/DataExchangeRules.h"

#include <cstdint>
#include <limits>

// The sizes a new grid or graph window accepts: at least one of each, and no more sheets or
// columns than the grid control holds.

namespace app::dialogs {

inline constexpr ValueRange kGridColumnsRange{1, 32000};
inline constexpr ValueRange kGridRowsRange{1, std::numeric_limits<int32_t>::max()};
inline constexpr ValueRange kGridSheetsRange{1, 1024};
inline constexpr ValueRange kGraphTracesRange{1, std::numeric_limits<int32_t>::max()};
inline constexpr ValueRange kGraphPointsRange{1, std::numeric_limits<int32_t>::max()};

} // namespace app::dialogs
