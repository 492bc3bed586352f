#pragma once

#include "platform/framework/WinTypes.h"

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace platform::framework {

constexpr uint32_t SW_HIDE = 0;
constexpr uint32_t SW_SHOWNORMAL = 1;
constexpr uint32_t SW_SHOWMINIMIZED = 2;
constexpr uint32_t SW_SHOWMAXIMIZED = 3;
constexpr uint32_t WPF_RESTORETOMAXIMIZED = 2;

// A window's show state and its normal (restored) rectangle, in the parent's client
// coordinates for an MDI child frame and in screen coordinates for a top-level window.
struct WINDOWPLACEMENT
{
    uint32_t length = 44;
    uint32_t flags = 0;
    uint32_t showCmd = SW_SHOWNORMAL;
    POINT ptMinPosition{-1, -1};
    POINT ptMaxPosition{-1, -1};
    RECT rcNormalPosition;
};

// The stored text "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": flags, show command, minimised x and y,
// maximised x and y, normal left, top, right, bottom.
std::string formatWindowPlacement(const WINDOWPLACEMENT& placement);
// Parses the stored text; nothing unless all ten numbers parse (fields 1 and 2 unsigned, all in
// range). Text after the tenth number is ignored.
std::optional<WINDOWPLACEMENT> parseWindowPlacement(const std::string& text);

// Reads a window's placement (show command 3 while maximised, 2 while minimised).
WINDOWPLACEMENT GetWindowPlacement(const QWidget* window);
// Applies a placement: the normal rectangle, then the show state (a hidden window stays hidden
// and shows in that state later). A top-level rectangle that lies on no screen is moved onto
// the primary screen, so a placement saved on a screen since removed cannot hide the window.
void SetWindowPlacement(QWidget* window, const WINDOWPLACEMENT& placement);

} // namespace platform::framework
