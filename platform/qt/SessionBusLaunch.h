#pragma once

#include <functional>
#include <string>

namespace platform::qt {

// Where the D-Bus library looks for the session bus when the environment names none: in
// $XDG_RUNTIME_DIR/bus, else it forks the process to run "dbus-launch", from its own folder or
// from the PATH. Qt asks for the session bus while the main window is built (its menu bar, its
// accessibility bridge). A fork marks every page of the process copy-on-write, so each page the
// start writes afterwards takes a fault of its own.

// Whether asking for the session bus can only fail after such a fork: no address is set, there
// is no socket in the runtime folder and no "dbus-launch" to run. `isThere` answers whether a
// file is there, `canRun` whether a file can be run. Any thread.
bool sessionBusLaunchCanOnlyFail(const char* busAddress, const char* runtimeDir, const char* path,
                                 const std::function<bool(const std::string&)>& isThere,
                                 const std::function<bool(const std::string&)>& canRun);

// Before the QApplication exists: where asking for the session bus can only fail, names the
// D-Bus library's "disabled:" address, so that it fails at once, without the fork. The same
// environment is what child processes inherit, with the same outcome. Main thread, before
// other threads start.
void skipHopelessSessionBusLaunch();

} // namespace platform::qt
