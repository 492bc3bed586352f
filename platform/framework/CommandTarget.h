#pragma once

#include "platform/framework/CmdUI.h"

#include <functional>
#include <vector>

namespace platform::framework {

class CommandTarget;

// Sees every command just before a handler of `target` runs for it; answering true keeps the
// handler from running. Lets a test walk every road to the handlers without their effects.
using CommandHook = std::function<bool(CommandTarget& target, unsigned id)>;
void setCommandHook(CommandHook hook);

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
    // Routes every id for which `answers` is true: commands to `run`, update requests to
    // `update` (when given; without it such a command is enabled). A view hands its core's own
    // command table to the routing this way, so the ids are listed once, where the core answers
    // them.
    void onCommandTable(std::function<bool(unsigned)> answers, std::function<void(unsigned)> run,
                        std::function<void(CmdUI&)> update);

    // This object's own handlers only, without routing.
    bool dispatchOwn(unsigned id, CmdUI* ui);
    bool hasOwnCommandHandler(unsigned id) const;

private:
    struct CommandEntry
    {
        unsigned first;
        unsigned last;
        std::function<void(unsigned)> handler;
        // When set, only the ids it answers true for.
        std::function<bool(unsigned)> answers;
        bool matches(unsigned id) const
        {
            return id >= first && id <= last && (!answers || answers(id));
        }
    };
    struct UpdateEntry
    {
        unsigned first;
        unsigned last;
        std::function<void(CmdUI&)> handler;
        std::function<bool(unsigned)> answers;
        bool matches(unsigned id) const
        {
            return id >= first && id <= last && (!answers || answers(id));
        }
    };
    std::vector<CommandEntry> m_commands;
    std::vector<UpdateEntry> m_updates;
};

} // namespace platform::framework
