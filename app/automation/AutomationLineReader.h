#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace app::automation {

// Cuts the bytes of an outside client's connection into request lines, with no I/O. A line
// longer than the bound is never buffered whole: the reader hands out one overlong marker
// in its place and drops its bytes up to the next newline. Single-threaded.
class AutomationLineReader
{
public:
    struct Line
    {
        std::string text;      // without its newline (empty for an overlong line)
        bool overlong = false; // the line passed the bound and was skipped
    };

    explicit AutomationLineReader(size_t maxLineBytes) : m_maxLineBytes(maxLineBytes) {}

    void push(std::string_view bytes);
    // The next complete line (or overlong marker) in order, or none until more bytes arrive.
    std::optional<Line> popLine();
    bool hasLine() const { return !m_lines.empty(); }
    // Bytes held of the line not yet complete.
    size_t pendingBytes() const { return m_current.size(); }

private:
    size_t m_maxLineBytes;
    std::string m_current;
    std::deque<Line> m_lines;
    bool m_skipping = false; // inside an overlong line, dropping up to its newline
};

} // namespace app::automation
