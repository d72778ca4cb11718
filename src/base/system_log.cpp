#include "base/system_log.h"

#include "base/system_calls.h"

namespace tarnwhistle {

namespace {
std::function<void(const QString&)>& observer() {
    static std::function<void(const QString&)> instance;
    return instance;
}
}  // namespace

namespace SystemLog {

void write(const QString& line) {
    SystemCalls::syslogError(line.toUtf8());
    if (observer()) observer()(line);
}

void setObserver(std::function<void(const QString&)> newObserver) {
    observer() = std::move(newObserver);
}

}  // namespace SystemLog

}  // namespace tarnwhistle
