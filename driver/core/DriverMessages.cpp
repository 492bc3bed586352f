#include "driver/core/DriverMessages.h"

#include "driver/core/DriverPlatform.h"
#include "driver/core/SetupDialog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace driver::core {

void PendingPosts::add(std::uint32_t window, std::uint32_t message, std::uintptr_t wParam,
                       const RegistrationRecord* record)
{
    if (m_count == m_posts.size())
        return;
    m_posts[m_count++] = {window, message, wParam, reinterpret_cast<std::intptr_t>(record)};
}

namespace {
// The innermost HeldPosts alive on this thread, if any.
thread_local HeldPosts* t_heldPosts = nullptr;
} // namespace

void PendingPosts::postAll()
{
    DriverPlatform& platform = driverPlatform();
    for (std::size_t i = 0; i < m_count; ++i) {
        const PendingPost& post = m_posts[i];
        if (HeldPosts* held = t_heldPosts) {
            if (held->hold(post))
                continue;
            held->release();
        }
        platform.postMessage(post.window, post.message, post.wParam, post.lParam);
    }
    m_count = 0;
}

HeldPosts::HeldPosts() : m_outer(t_heldPosts)
{
    t_heldPosts = this;
}

HeldPosts::~HeldPosts()
{
    try {
        release();
    } catch (...) {
        // A post that fails here is lost as one that fails anywhere else would be.
    }
}

bool HeldPosts::hold(const PendingPost& post)
{
    if (!m_active || m_count == m_posts.size())
        return false;
    m_posts[m_count++] = post;
    return true;
}

void HeldPosts::release()
{
    if (!m_active)
        return;
    m_active = false;
    if (t_heldPosts == this)
        t_heldPosts = m_outer;
    DriverPlatform& platform = driverPlatform();
    for (std::size_t i = 0; i < m_count; ++i) {
        const PendingPost& post = m_posts[i];
        platform.postMessage(post.window, post.message, post.wParam, post.lParam);
    }
    m_count = 0;
}

int showDriverBox(const char* text, const char* caption, unsigned style, int quietAnswer)
{
    DriverState& state = driverState();
    bool enabled = false;
    {
        std::lock_guard lock(state.mutex);
        enabled = state.messagesEnabled;
    }
    if (!enabled)
        return quietAnswer;
    return driverPlatform().messageBox(text, caption, style);
}

int runSetupDialog()
{
    // The dialog edits the model's copy; only its OK writes the configuration back.
    SetupDialog model;
    const int answer =
        driverPlatform().runModalDialog("Setup", static_cast<SetupDialogModel*>(&model));
    if (answer == kIdOk)
        model.apply();
    else
        model.cancel();
    return answer;
}

void showInitializationIncomplete()
{
    DriverState& state = driverState();
    bool configured = false;
    {
        std::lock_guard lock(state.mutex);
        configured = (state.startupFlags & kStartupConfigured) != 0;
    }
    if (!configured)
        runSetupDialog();

    std::uint16_t flags = 0;
    bool enabled = false;
    {
        std::lock_guard lock(state.mutex);
        flags = state.startupFlags;
        enabled = state.messagesEnabled;
    }
    std::string text = "Initialization incomplete:\r";
    if (!(flags & kStartupInterruptHandler))
        text += "ISR not installed\r";
    if (!(flags & kStartupParametersSet))
        text += "Parameters not set\r";
    if (!(flags & kStartupDataBuffer))
        text += "Data buffer allocate failed\r";
    if (!(flags & kStartupFloatBuffers))
        text += "Floating point buffers not available\r";
    if (!(flags & kStartupTimerSet))
        text += "Timer not set\r";
    text += "Execution not permitted.";
    if (!enabled)
        return;
    DriverPlatform& platform = driverPlatform();
    platform.messageBeep(kMbIconExclamation);
    platform.messageBox(text.c_str(), kCaptionWarning, kMbOk | kMbIconWarning);
}

void debugLog(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    driverPlatform().debugOutput(text);
}

} // namespace driver::core
