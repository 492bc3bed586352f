#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Answers the next modal dialog of type T from inside its modal run: polls for it, bounded,
// and hands it to answer (which ends it). Past the bound, whatever modal widget is up is
// rejected, so a test never hangs on a dialog it did not expect.
template <class T> void answerNextModal(std::function<void(T&)> answer, int boundMs = 10000)
{
    auto* timer = new QTimer();
    timer->setInterval(5);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, answer, elapsed, boundMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = dynamic_cast<T*>(modal)) {
            timer->stop();
            timer->deleteLater();
            answer(*dialog);
        } else if (elapsed->elapsed() > boundMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected dialog did not come";
            if (auto* other = qobject_cast<QDialog*>(modal))
                other->reject();
        }
    });
    timer->start();
}
