#include "platform/qt/KeyState.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>
#include <xcb/xcb.h>

namespace platform::qt {
namespace {

constexpr xcb_keysym_t kPause = 0xff13;
constexpr xcb_keysym_t kCancel = 0xff69;
constexpr xcb_keysym_t kBreak = 0xff6b;
constexpr xcb_keysym_t kControlLeft = 0xffe3;
constexpr xcb_keysym_t kControlRight = 0xffe4;

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};

// The key codes that carry the stop key's and Ctrl's symbols in the display's keyboard map.
struct StopKeyCodes
{
    std::vector<xcb_keycode_t> stop;
    std::vector<xcb_keycode_t> control;
};

StopKeyCodes keyCodesOf(xcb_connection_t* connection)
{
    StopKeyCodes codes;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (!setup || setup->max_keycode < setup->min_keycode)
        return codes;
    const xcb_keycode_t first = setup->min_keycode;
    const auto count = static_cast<uint8_t>(setup->max_keycode - first + 1);
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, FreeReply> reply(
        xcb_get_keyboard_mapping_reply(
            connection, xcb_get_keyboard_mapping(connection, first, count), nullptr));
    if (!reply || reply->keysyms_per_keycode == 0)
        return codes;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int length = xcb_get_keyboard_mapping_keysyms_length(reply.get());
    for (int i = 0; i < length; ++i) {
        const auto code = static_cast<xcb_keycode_t>(first + i / reply->keysyms_per_keycode);
        const xcb_keysym_t symbol = symbols[i];
        std::vector<xcb_keycode_t>* list = nullptr;
        if (symbol == kPause || symbol == kCancel || symbol == kBreak)
            list = &codes.stop;
        else if (symbol == kControlLeft || symbol == kControlRight)
            list = &codes.control;
        if (list && (list->empty() || list->back() != code))
            list->push_back(code);
    }
    return codes;
}

bool anyDown(const uint8_t* keys, const std::vector<xcb_keycode_t>& codes)
{
    for (const xcb_keycode_t code : codes) {
        if (keys[code / 8] & (1u << (code % 8)))
            return true;
    }
    return false;
}

} // namespace

bool stopKeyHeld()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 =
        application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return false;
    // A round trip to the server is not free: a tight loop asks at most every 30 ms, well
    // inside the time a key is held down.
    static std::chrono::steady_clock::time_point lastAsked;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastAsked < std::chrono::milliseconds(30))
        return false;
    lastAsked = now;
    // The keyboard map is read once per connection; a program has one.
    static std::once_flag mapped;
    static StopKeyCodes codes;
    std::call_once(mapped, [&] { codes = keyCodesOf(connection); });
    if (codes.stop.empty() || codes.control.empty())
        return false;
    std::unique_ptr<xcb_query_keymap_reply_t, FreeReply> keymap(
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr));
    if (!keymap)
        return false;
    return anyDown(keymap->keys, codes.control) && anyDown(keymap->keys, codes.stop);
}

} // namespace platform::qt
