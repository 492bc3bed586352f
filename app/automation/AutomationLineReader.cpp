#include "app/automation/AutomationLineReader.h"

#include <utility>

namespace app::automation {

void AutomationLineReader::push(std::string_view bytes)
{
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        const bool complete = newline != std::string_view::npos;
        const std::string_view piece = bytes.substr(0, complete ? newline : bytes.size());
        bytes.remove_prefix(complete ? newline + 1 : bytes.size());
        if (m_skipping) {
            m_skipping = !complete;
            continue;
        }
        if (m_current.size() + piece.size() > m_maxLineBytes) {
            m_current.clear();
            m_current.shrink_to_fit();
            m_lines.push_back(Line{{}, true});
            m_skipping = !complete;
            continue;
        }
        m_current.append(piece);
        if (complete)
            m_lines.push_back(Line{std::exchange(m_current, {}), false});
    }
}

std::optional<AutomationLineReader::Line> AutomationLineReader::popLine()
{
    if (m_lines.empty())
        return std::nullopt;
    Line line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

} // namespace app::automation
