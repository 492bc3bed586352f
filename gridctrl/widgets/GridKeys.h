#pragma once

#include <QKeyEvent>

namespace gridctrl::widgets {

// Virtual key codes the grid's hooks and cell types receive.
constexpr unsigned kVkBack = 0x08;
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkSpace = 0x20;
constexpr unsigned kVkPrior = 0x21;
constexpr unsigned kVkNext = 0x22;
constexpr unsigned kVkEnd = 0x23;
constexpr unsigned kVkHome = 0x24;
constexpr unsigned kVkLeft = 0x25;
constexpr unsigned kVkUp = 0x26;
constexpr unsigned kVkRight = 0x27;
constexpr unsigned kVkDown = 0x28;
constexpr unsigned kVkInsert = 0x2D;
constexpr unsigned kVkDelete = 0x2E;
constexpr unsigned kVkF1 = 0x70;

// The virtual key of a Qt key event; 0 for a key the grid does not name.
unsigned virtualKeyOf(const QKeyEvent& event);

// Whether a key press belongs to the grid rather than to the window's accelerators: the grid's
// moving and editing keys (with any modifier), F1 and the typing keys. A letter, a digit or a
// function key held with Ctrl or Alt, and F2 and above, go on to the frame (Ctrl+C, Ctrl+P).
bool isGridKey(const QKeyEvent& event);

} // namespace gridctrl::widgets
