#pragma once

#include <string>
#include <vector>

namespace platform::automation {

// Gathers, while it lives, the failures the program reports (its error log's lines and the
// texts of boxes nobody could see), so that an outside client's call can answer with them
// instead of a plain neutral result. Gatherings nest; a report goes to the innermost one.
// GUI thread only.
class FailureReports
{
public:
    FailureReports();
    ~FailureReports();
    FailureReports(const FailureReports&) = delete;
    FailureReports& operator=(const FailureReports&) = delete;

    const std::vector<std::string>& texts() const { return m_texts; }
    // The texts joined by "; " (empty when none came).
    std::string joined() const;

    // Adds a text to the innermost gathering; nothing when none gathers. Never throws.
    static void add(const std::string& text) noexcept;

private:
    FailureReports* m_outer;
    std::vector<std::string> m_texts;
};

} // namespace platform::automation
