#include "platform/automation/FailureReports.h"

namespace platform::automation {

namespace {

FailureReports* g_innermost = nullptr;

} // namespace

FailureReports::FailureReports() : m_outer(g_innermost)
{
    g_innermost = this;
}

FailureReports::~FailureReports()
{
    g_innermost = m_outer;
}

std::string FailureReports::joined() const
{
    std::string text;
    for (const std::string& t : m_texts) {
        if (!text.empty())
            text += "; ";
        text += t;
    }
    return text;
}

void FailureReports::add(const std::string& text) noexcept
{
    if (!g_innermost)
        return;
    try {
        g_innermost->m_texts.push_back(text);
    } catch (...) {
        // Out of memory: the call answers without this text.
    }
}

} // namespace platform::automation
