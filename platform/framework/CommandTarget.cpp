#include "platform/framework/CommandTarget.h"

namespace platform::framework {

namespace {

CommandHook& commandHook()
{
    static CommandHook hook;
    return hook;
}

} // namespace

void setCommandHook(CommandHook hook)
{
    commandHook() = std::move(hook);
}

bool CommandTarget::OnCmdMsg(unsigned id, CmdUI* ui)
{
    return dispatchOwn(id, ui);
}

bool CommandTarget::hasCommandHandler(unsigned id)
{
    return hasOwnCommandHandler(id);
}

void CommandTarget::onCommand(unsigned id, std::function<void()> handler)
{
    m_commands.push_back({id, id, [handler = std::move(handler)](unsigned) { handler(); }, {}});
}

void CommandTarget::onCommandRange(unsigned first, unsigned last,
                                   std::function<void(unsigned)> handler)
{
    m_commands.push_back({first, last, std::move(handler), {}});
}

void CommandTarget::onUpdate(unsigned id, std::function<void(CmdUI&)> handler)
{
    m_updates.push_back({id, id, std::move(handler), {}});
}

void CommandTarget::onUpdateRange(unsigned first, unsigned last,
                                  std::function<void(CmdUI&)> handler)
{
    m_updates.push_back({first, last, std::move(handler), {}});
}

void CommandTarget::onCommandTable(std::function<bool(unsigned)> answers,
                                   std::function<void(unsigned)> run,
                                   std::function<void(CmdUI&)> update)
{
    m_commands.push_back({0, ~0u, std::move(run), answers});
    if (update) {
        m_updates.push_back({0, ~0u, std::move(update), std::move(answers)});
    }
}

bool CommandTarget::dispatchOwn(unsigned id, CmdUI* ui)
{
    if (ui == nullptr) {
        // The latest handler wins, so a derived class overrides its base's handler.
        for (auto it = m_commands.rbegin(); it != m_commands.rend(); ++it) {
            const CommandEntry& entry = *it;
            if (entry.matches(id)) {
                // Copy: the handler may add handlers and so move the table.
                const auto handler = entry.handler;
                if (const CommandHook hook = commandHook(); hook && hook(*this, id)) {
                    return true;
                }
                handler(id);
                return true;
            }
        }
        return false;
    }
    for (auto it = m_updates.rbegin(); it != m_updates.rend(); ++it) {
        const UpdateEntry& entry = *it;
        if (entry.matches(id)) {
            const auto handler = entry.handler;
            handler(*ui);
            ui->handled = true;
            return true;
        }
    }
    return false;
}

bool CommandTarget::hasOwnCommandHandler(unsigned id) const
{
    for (const CommandEntry& entry : m_commands) {
        if (entry.matches(id)) {
            return true;
        }
    }
    return false;
}

} // namespace platform::framework
