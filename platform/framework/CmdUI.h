#pragma once

#include <optional>
#include <string>

namespace platform::framework {

// The state an update handler gives one command: enabled, check mark (0 none, 1 checked,
// 2 indeterminate), radio mark and text. Unset fields are left as they were. GUI thread only.
class CmdUI
{
public:
    explicit CmdUI(unsigned id) : m_nID(id) {}

    void Enable(bool on = true) { m_enabled = on; }
    void SetCheck(int check = 1) { m_check = check; }
    void SetRadio(bool on = true) { m_check = on ? 1 : 0; }
    void SetText(const std::string& text) { m_text = text; }

    unsigned id() const { return m_nID; }
    const std::optional<bool>& enabled() const { return m_enabled; }
    const std::optional<int>& check() const { return m_check; }
    const std::optional<std::string>& text() const { return m_text; }

    // Set by the routing once an update handler ran for the command.
    bool handled = false;

    unsigned m_nID;

private:
    std::optional<bool> m_enabled;
    std::optional<int> m_check;
    std::optional<std::string> m_text;
};

} // namespace platform::framework
