#include "app/automation/ViewSelection.h"

#include "platform/automation/HandlerGuard.h"

#include <source_location>

namespace {

char foldCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

ViewSelection::ViewSelection(ChildKind kind, const char* sourceName, Policy policy)
    : m_kind(kind), m_sourceName(sourceName), m_policy(policy)
{}

bool ViewSelection::alive(AutomationFrame& frame, uint32_t child)
{
    return child != 0 && frame.isWindow(child) && frame.childKind(child) == m_kind &&
           frame.hasActiveView(child);
}

void ViewSelection::record(uint32_t child, bool held)
{
    m_chosen = child;
    m_held = child != 0 && held;
}

std::vector<uint32_t> ViewSelection::CollectViews()
{
    return platform::automation::runGuarded(m_sourceName, std::vector<uint32_t>{}, [this] {
        std::vector<uint32_t> views;
        AutomationFrame* frame = automationFrame();
        if (!frame)
            return views;
        for (uint32_t child : frame->childWindows()) {
            if (views.size() == kMaxViews)
                break;
            if (frame->childKind(child) == m_kind && frame->hasActiveView(child))
                views.push_back(child);
        }
        return views;
    });
}

uint32_t ViewSelection::GetTargetView()
{
    try {
        AutomationFrame* frame = automationFrame();
        uint32_t chosen = 0;
        if (frame) {
            const uint32_t active = frame->activeChildFrame();
            if (alive(*frame, active)) {
                chosen = active;
            } else {
                const std::vector<uint32_t> views = CollectViews();
                chosen = views.empty() ? 0 : views.front();
            }
        }
        record(chosen, false);
        return chosen;
    } catch (...) {
        platform::automation::reportHandlerException(
            m_sourceName, static_cast<int>(std::source_location::current().line()));
        record(0, false);
        return 0;
    }
}

uint32_t ViewSelection::chooseFirst(const std::function<bool(AutomationFrame&, uint32_t)>& matches)
{
    return platform::automation::runGuarded(m_sourceName, uint32_t{0}, [&]() -> uint32_t {
        AutomationFrame* frame = automationFrame();
        if (!frame)
            return 0;
        for (uint32_t child : CollectViews()) {
            if (matches(*frame, child)) {
                record(child, true);
                return child;
            }
        }
        return 0;
    });
}

uint32_t ViewSelection::SetByName(const std::string& title)
{
    // No window has an empty title, and a longer text cannot equal a title read at its limit.
    if (title.empty() || title.size() > kMaxTitle)
        return 0;
    return chooseFirst([&](AutomationFrame& frame, uint32_t child) {
        std::string text = frame.windowTitle(child);
        if (text.size() > kMaxTitle)
            text.resize(kMaxTitle);
        return equalsIgnoringCase(text, title);
    });
}

uint32_t ViewSelection::target()
{
    try {
        AutomationFrame* frame = automationFrame();
        if (!frame) {
            record(0, false);
            return 0;
        }
        if (m_chosen != 0 && !alive(*frame, m_chosen))
            record(0, false);
        if (m_policy == Policy::Follow && !m_held)
            return GetTargetView();
        return m_chosen;
    } catch (...) {
        platform::automation::reportHandlerException(
            m_sourceName, static_cast<int>(std::source_location::current().line()));
        return 0;
    }
}
