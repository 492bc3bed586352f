#pragma once

#include "platform/framework/CmdUI.h"

#include <functional>
#include <vector>

namespace platform::framework {

// An object that handles numbered commands and their update-UI requests. Handlers are added
// by the derived class (usually in its constructor) for one id or a range of ids. Routing
// (view, document, frame, main frame, application) is done by OnCmdMsg overrides. GUI thread
// only.
class CommandTarget
{
public:
    CommandTarget() = default;
    virtual ~CommandTarget() = default;
    CommandTarget(const CommandTarget&) = delete;
    CommandTarget& operator=(const CommandTarget&) = delete;

    // Routes a command: with ui == nullptr runs its handler, otherwise its update handler
    // (which sets ui->handled). Returns true when a handler of the requested kind was found.
    virtual bool OnCmdMsg(unsigned id, CmdUI* ui);
    // True when a command handler for id is reachable through the routing.
    virtual bool hasCommandHandler(unsigned id);

protected:
    void onCommand(unsigned id, std::function<void()> handler);
    void onCommandRange(unsigned first, unsigned last, std::function<void(unsigned)> handler);
    void onUpdate(unsigned id, std::function<void(CmdUI&)> handler);
    void onUpdateRange(unsigned first, unsigned last, std::function<void(CmdUI&)> handler);

    // This object's own handlers only, without routing.
    bool dispatchOwn(unsigned id, CmdUI* ui);
    bool hasOwnCommandHandler(unsigned id) const;

private:
    struct CommandEntry
    {
        unsigned first;
        unsigned last;
        std::function<void(unsigned)> handler;
    };
    struct UpdateEntry
    {
        unsigned first;
        unsigned last;
        std::function<void(CmdUI&)> handler;
    };
    std::vector<CommandEntry> m_commands;
    std::vector<UpdateEntry> m_updates;
};

} // namespace platform::framework
