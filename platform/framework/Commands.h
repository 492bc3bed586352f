#pragma once

#include "platform/framework/CommandTarget.h"

#include <optional>
#include <string>

namespace platform::framework {

// The state of a command as its update handler leaves it. A command without an update handler
// is enabled exactly when some command handler is reachable.
struct CommandState
{
    bool enabled = false;
    std::optional<int> check;
    std::optional<std::string> text;
};

CommandState queryCommandState(CommandTarget& route, unsigned id);

// Runs a command from a menu, a tool-bar button, an accelerator or a dialog-bar control: asks
// its update handler first and does nothing when the command is disabled. Exceptions of the
// handler are caught (they must not reach the event loop). True when a handler ran.
bool executeCommand(CommandTarget& route, unsigned id);

} // namespace platform::framework
