// Runs the event loop until `done()` holds (or a generous guard expires, so that a broken
// test fails instead of hanging).
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

template <class Done>
bool waitFor(Done done, int guardMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < guardMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return done();
}
