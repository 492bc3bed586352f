#pragma once

#include "driver/core/DriverState.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace driver::core {

inline constexpr const char* kCaptionWarning = "VYKDrv Warning";
inline constexpr const char* kCaptionError = "VYKDrv Error";

// A message to post once the scheduler mutex is released.
struct PendingPost
{
    std::uint32_t window = 0;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Up to one post per channel plus one; fixed storage, so a scan allocates nothing.
class PendingPosts
{
public:
    void add(std::uint32_t window, std::uint32_t message, std::uintptr_t wParam,
             const RegistrationRecord* record);
    // Posts everything collected, in order. Call without the mutex held.
    void postAll();
    std::size_t size() const { return m_count; }

private:
    std::array<PendingPost, kChannels + 2> m_posts{};
    std::size_t m_count = 0;
};

// While one is alive on a thread, the messages that thread's PendingPosts send are kept
// back, in order, until release() or its end posts them. The acquisition worker holds a
// scan's messages until the scan has wholly ended and the worker is no longer busy, so a
// client that starts its next scan from the message finds the library ready for it.
class HeldPosts
{
public:
    HeldPosts();
    ~HeldPosts();
    HeldPosts(const HeldPosts&) = delete;
    HeldPosts& operator=(const HeldPosts&) = delete;

    // Posts everything held, in order, and holds nothing more. Call without the mutex held.
    void release();

private:
    friend class PendingPosts;
    // Takes the post; false when the store is full and the caller should post it itself
    // (after release(), so that the order is kept).
    bool hold(const PendingPost& post);

    // A scan's end posts one message per channel, and a status message or a failure at most
    // as many again; fixed storage, so a scan allocates nothing.
    std::array<PendingPost, 4 * (kChannels + 2)> m_posts{};
    std::size_t m_count = 0;
    bool m_active = true;
    HeldPosts* m_outer = nullptr;
};

// Shows a driver message box when message boxes are on; otherwise answers `quietAnswer`.
// Call without the mutex held.
int showDriverBox(const char* text, const char* caption, unsigned style, int quietAnswer);

// Runs the set-up dialog "Setup"; IDOK or IDCANCEL (a client without a UI
// gets IDCANCEL). Call without the mutex held.
int runSetupDialog();

// The "Initialization incomplete" message for the missing start-up flags (after the
// set-up dialog when the library is not configured).
void showInitializationIncomplete();

// printf-style diagnostic output through the platform.
void debugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace driver::core
