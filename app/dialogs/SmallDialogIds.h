#pragma once

// The control ids of the small dialogs.

namespace app::dialogs::id {

// Autoincrement Filename Properties (175).
inline constexpr unsigned kBaseFileName = 1163;
inline constexpr unsigned kStartingIndex = 1164;
inline constexpr unsigned kBrowseBaseName = 1569;
// Reference Color Temperature (148).
inline constexpr unsigned kColorTemperature = 1306;
inline constexpr unsigned kAssumeSecondOrder = 1531;
// Create New Graph (209) and Create New Grid (208).
inline constexpr unsigned kNumberOfTraces = 1547;
inline constexpr unsigned kPointsPerTrace = 1548;
inline constexpr unsigned kNumberOfColumns = 1545;
inline constexpr unsigned kNumberOfRows = 1546;
inline constexpr unsigned kNumberOfSheets = 1547;
// Configure Cursor (176).
inline constexpr unsigned kCursorLineStyle = 1165;
inline constexpr unsigned kCursorLineWidth = 1166;
inline constexpr unsigned kCursorColor = 1167;
inline constexpr unsigned kCursorChannel = 1031;
inline constexpr unsigned kCursorPrecision = 1032;
inline constexpr unsigned kCursorLimitRange = 1536;
inline constexpr unsigned kCursorShowIntensity = 1570;
inline constexpr unsigned kCursorStatusBar = 1501;
inline constexpr unsigned kCursorSeparateWindow = 1502;
// Select Spectrometer Channels (198) and ... to Copy (199): channels 0 to 7, then overlays
// 1 to 8.
inline constexpr unsigned kFirstChannelCheck = 1517;
inline constexpr unsigned kFirstOverlayCheck = 1525;
// Rename Spectral Window (197).
inline constexpr unsigned kWindowTitle = 1514;
// Warning (169).
inline constexpr unsigned kWarningMessage = 1146;
inline constexpr unsigned kContinueToWarn = 1145;
inline constexpr unsigned kWarningYes = 1152;
inline constexpr unsigned kWarningNo = 1153;

} // namespace app::dialogs::id
