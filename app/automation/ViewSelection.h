#pragma once

#include "app/automation/AutomationFrame.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The choice of the one MDI child window of a kind (spectrum, grid or graph) that an automation
// object acts on. The choice is held by the frame's window handle and checked with isWindow
// before each use, so a window that closed is never touched. Children are listed by a walk of
// the selector's own over the main frame's children, which leaves the acquisition round-robin's
// position alone. Every operation runs under the error guard with the selector's source name:
// an exception is logged and the operation answers none. GUI thread only.
class ViewSelection
{
public:
    using ChildKind = AutomationFrame::ChildKind;

    // A view list holds at most this many views; children beyond are not considered.
    static constexpr size_t kMaxViews = 128;
    // Window titles are compared on at most this many characters.
    static constexpr size_t kMaxTitle = 256;

    virtual ~ViewSelection() = default;

    // The frames of the kind that have a view, in MDI order (at most kMaxViews).
    std::vector<uint32_t> CollectViews();
    // Resolves the target: the active child when it is of the kind, else the first of the
    // kind, else none; records it and returns it (0: none).
    uint32_t GetTargetView();
    // Chooses the first frame of the kind whose title equals title ignoring case; 0 when none
    // (the choice then stays as it was).
    uint32_t SetByName(const std::string& title);

    // The frame the object's members act on now, or 0.
    uint32_t target();
    ChildKind kind() const { return m_kind; }

protected:
    // Follow: every use resolves anew until a choosing operation found a window, which then
    // holds until GetTargetView or its closing. Hold: the window recorded by the last choice
    // holds until the next choice; once it closed there is none.
    enum class Policy
    {
        Follow,
        Hold,
    };
    ViewSelection(ChildKind kind, const char* sourceName, Policy policy);

    // Chooses the first collected frame that matches; 0 when none does (the choice stays).
    uint32_t chooseFirst(const std::function<bool(AutomationFrame&, uint32_t)>& matches);

private:
    bool alive(AutomationFrame& frame, uint32_t child);
    void record(uint32_t child, bool held);

    ChildKind m_kind;
    const char* m_sourceName;
    Policy m_policy;
    uint32_t m_chosen = 0;
    bool m_held = false;
};

// Compares two texts ignoring the case of ASCII letters.
bool equalsIgnoringCase(const std::string& a, const std::string& b);
