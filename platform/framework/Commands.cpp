#include "platform/framework/Commands.h"

namespace platform::framework {

CommandState queryCommandState(CommandTarget& route, unsigned id)
{
    CommandState state;
    CmdUI ui(id);
    route.OnCmdMsg(id, &ui);
    if (ui.handled) {
        state.enabled = ui.enabled().value_or(true);
    } else {
        state.enabled = route.hasCommandHandler(id);
    }
    state.check = ui.check();
    state.text = ui.text();
    return state;
}

bool executeCommand(CommandTarget& route, unsigned id)
{
    try {
        if (!queryCommandState(route, id).enabled) {
            return false;
        }
        return route.OnCmdMsg(id, nullptr);
    } catch (...) {
        return false;
    }
}

} // namespace platform::framework
