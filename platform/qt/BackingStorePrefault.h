#pragma once

#include <thread>

class QWidget;

namespace platform::qt {

// Gives a top-level window, before it is shown, the backing store its first paint draws into,
// and has a thread of its own fault in that store's pages while the window is shown. A first
// paint otherwise takes one page fault per page it writes (700 for a 1024 x 700 window), which
// costs a millisecond in all on a real machine and ten times that under some hypervisors; the
// thread asks the kernel for all of them in one call. Nothing changes what is drawn: the pages
// are only made present. A store that is not an image in this process, a kernel without the
// call, or a window resized before its paint only make it do nothing useful. The destructor
// waits for the thread. GUI thread only.
class BackingStorePrefault
{
public:
    explicit BackingStorePrefault(QWidget& window);
    ~BackingStorePrefault();
    BackingStorePrefault(const BackingStorePrefault&) = delete;
    BackingStorePrefault& operator=(const BackingStorePrefault&) = delete;

    // Whether the store was made and its pages are being faulted in.
    bool started() const { return m_thread.joinable(); }

private:
    std::jthread m_thread;
};

} // namespace platform::qt
