// Lines for the system log (syslog, facility user, priority error). Each begins with the
// product name, so a user or administrator can find them with `journalctl | grep Tarnwhistle`.
#pragma once

#include <QString>
#include <functional>

namespace tarnwhistle {

namespace SystemLog {
void write(const QString& line);

// Tests watch the lines written by the code under test; pass an empty function to stop.
void setObserver(std::function<void(const QString&)> observer);
}  // namespace SystemLog

}  // namespace tarnwhistle
