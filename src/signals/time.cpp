#include "signals/time.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>

namespace tarnwhistle {

namespace Time {

QString iso(TimePoint t) {
    const qint64 whole = static_cast<qint64>(std::floor(t));
    return QDateTime::fromSecsSinceEpoch(whole, QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

TimePoint now() { return QDateTime::currentMSecsSinceEpoch() / 1000.0; }

}  // namespace Time

QString dayString(TimePoint t) {
    const qint64 ms = static_cast<qint64>(std::floor(t * 1000.0));
    // toString with a format string uses the C locale in Qt 6: ASCII digits, Gregorian.
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
}

}  // namespace tarnwhistle
