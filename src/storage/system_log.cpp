#include "storage/system_log.h"

#include <syslog.h>

namespace {
std::function<void(const QString&)>& observer() {
    static std::function<void(const QString&)> instance;
    return instance;
}
}  // namespace

namespace SystemLog {

void write(const QString& line) {
    // The line is the argument, never the format: error texts may contain '%'.
    syslog(LOG_USER | LOG_ERR, "%s", line.toUtf8().constData());
    if (observer()) observer()(line);
}

void setObserver(std::function<void(const QString&)> newObserver) {
    observer() = std::move(newObserver);
}

}  // namespace SystemLog
