#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

// Runs a nested event loop (where the idle hook runs and posted messages arrive) until the
// condition holds or the bound passes; answers the condition.
inline bool runUntil(const std::function<bool()>& condition, int boundMs = 10000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (condition() || elapsed.elapsed() > boundMs)
            loop.quit();
    });
    poll.start();
    loop.exec();
    return condition();
}
