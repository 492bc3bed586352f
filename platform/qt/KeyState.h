#pragma once

namespace platform::qt {

// Whether Ctrl+Break is held down on the keyboard at this moment, asked of the display server
// directly, so it is seen while the GUI thread is busy and no key event has been read yet
// (a script looping without DoEvents). Break is the Pause key with Ctrl, on some keyboards
// Cancel. Always false where the platform is not X11 (offscreen, Wayland). The server is
// asked at most every 30 ms; calls in between answer false.
bool stopKeyHeld();

} // namespace platform::qt
