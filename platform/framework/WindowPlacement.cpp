#include "platform/framework/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <charconv>
#include <cstdio>

namespace platform::framework {

std::string formatWindowPlacement(const WINDOWPLACEMENT& p)
{
    char text[160];
    std::snprintf(text, sizeof(text), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd,
                  p.ptMinPosition.x, p.ptMinPosition.y, p.ptMaxPosition.x, p.ptMaxPosition.y,
                  p.rcNormalPosition.left, p.rcNormalPosition.top, p.rcNormalPosition.right,
                  p.rcNormalPosition.bottom);
    return text;
}

std::optional<WINDOWPLACEMENT> parseWindowPlacement(const std::string& text)
{
    int64_t values[10] = {};
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 10; ++i) {
        while (cursor < end && (*cursor == ' ' || *cursor == '\t')) {
            ++cursor;
        }
        if (i < 2 && cursor < end && *cursor == '+') {
            ++cursor;
        }
        const auto [next, error] = std::from_chars(cursor, end, values[i]);
        if (error != std::errc() || next == cursor) {
            return std::nullopt;
        }
        const bool isUnsigned = i < 2;
        if (isUnsigned ? (values[i] < 0 || values[i] > UINT32_MAX)
                       : (values[i] < INT32_MIN || values[i] > INT32_MAX)) {
            return std::nullopt;
        }
        cursor = next;
        if (i < 9) {
            while (cursor < end && (*cursor == ' ' || *cursor == '\t')) {
                ++cursor;
            }
            if (cursor == end || *cursor != ',') {
                return std::nullopt;
            }
            ++cursor;
        }
    }
    WINDOWPLACEMENT p;
    p.flags = static_cast<uint32_t>(values[0]);
    p.showCmd = static_cast<uint32_t>(values[1]);
    p.ptMinPosition = {static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3])};
    p.ptMaxPosition = {static_cast<int32_t>(values[4]), static_cast<int32_t>(values[5])};
    p.rcNormalPosition = {static_cast<int32_t>(values[6]), static_cast<int32_t>(values[7]),
                          static_cast<int32_t>(values[8]), static_cast<int32_t>(values[9])};
    return p;
}

WINDOWPLACEMENT GetWindowPlacement(const QWidget* window)
{
    WINDOWPLACEMENT p;
    if (window == nullptr) {
        return p;
    }
    QRect normal = window->geometry();
    if (window->isWindow()) {
        normal = window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
    } else if ((window->isMaximized() || window->isMinimized()) &&
               window->property("harluneNormalGeometry").isValid()) {
        normal = window->property("harluneNormalGeometry").toRect();
    }
    p.rcNormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                          normal.top() + normal.height()};
    if (window->isMinimized()) {
        p.showCmd = SW_SHOWMINIMIZED;
    } else if (window->isMaximized()) {
        p.showCmd = SW_SHOWMAXIMIZED;
    } else {
        p.showCmd = SW_SHOWNORMAL;
    }
    return p;
}

void SetWindowPlacement(QWidget* window, const WINDOWPLACEMENT& p)
{
    if (window == nullptr) {
        return;
    }
    const RECT& r = p.rcNormalPosition;
    QRect normal(r.left, r.top, std::max(1, r.right - r.left), std::max(1, r.bottom - r.top));
    if (window->isWindow()) {
        bool onScreen = false;
        for (const QScreen* screen : QGuiApplication::screens()) {
            onScreen = onScreen || screen->availableGeometry().intersects(normal);
        }
        if (!onScreen && QGuiApplication::primaryScreen() != nullptr) {
            normal.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
        }
    }
    Qt::WindowStates state = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    window->setWindowState(state);
    window->setGeometry(normal);
    window->setProperty("harluneNormalGeometry", normal);
    if (p.showCmd == SW_SHOWMAXIMIZED ||
        (p.showCmd == SW_SHOWMINIMIZED && (p.flags & WPF_RESTORETOMAXIMIZED) != 0)) {
        state |= Qt::WindowMaximized;
    }
    if (p.showCmd == SW_SHOWMINIMIZED) {
        state |= Qt::WindowMinimized;
    }
    window->setWindowState(state);
}

} // namespace platform::framework
