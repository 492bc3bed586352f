#pragma once
// A client of the driver library on the test's own thread: its message window counts the
// buffer-full messages, and waitForScans pumps the thread's queue until they have come.

#include "driver/include/vykdrv32.h"
#include "platform/win/c/pwin.h"

#include <chrono>
#include <poll.h>
#include <vector>

namespace driver::java::test {

struct Client
{
    PWIN_HWND window = 0;
    RegistrationRecord record{};
    std::vector<float> buffer = std::vector<float>(4096, 0.0f);
    int full = 0;
};

// The client's window procedure (its context is the Client).
inline PWIN_LRESULT onMessage(void* context, PWIN_HWND, PWIN_UINT message, PWIN_WPARAM, PWIN_LPARAM)
{
    if (message == VYK_MSG_BUFFER_FULL)
        ++static_cast<Client*>(context)->full;
    return 0;
}

// Pumps the thread's messages until the client has `full` scans, within a bound.
inline bool waitForScans(Client& client, int full)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (client.full < full) {
        PWIN_MSG msg;
        if (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE)) {
            pwin_DispatchMessage(&msg);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fd{pwin_GetQueueWaitHandle(), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
    return true;
}

} // namespace driver::java::test
