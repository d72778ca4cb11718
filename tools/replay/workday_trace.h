#pragma once

#include <QByteArray>

namespace tarnwhistle {

// A realistic 8-hour working day as a trace (several applications, browser tabs, documents,
// copy and paste between applications, idle periods, a lock, a lunch break, typing bursts).
// The same seed always gives the same trace.
QByteArray generateWorkdayTrace(quint64 seed);

}  // namespace tarnwhistle
