// Answers the next modal window of a window test: the command under test waits in that
// window's own event loop, and the answer runs inside it once the window is shown.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

template <class W>
void whenShown(std::function<void(W&)> answer) {
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(10000);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, deadline] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w && !deadline.hasExpired()) return;
        timer->stop();
        timer->deleteLater();
        if (w) answer(*w);
    });
    timer->start(5);
}
