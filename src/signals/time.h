// Time inside the agent is floating-point seconds since 1970 (UTC). On the wire it is
// ISO 8601 internet date-time text in UTC with whole seconds.
#pragma once

#include <QString>

namespace tarnwhistle {

using TimePoint = double;

namespace Time {
// 2025-03-04T09:15:02Z. Fractions of a second are dropped (floored), never rounded up.
QString iso(TimePoint t);
// The real current time; the engine uses its own replaceable clock instead.
TimePoint now();
}  // namespace Time

// The calendar date of `t` in the machine's time zone as "yyyy-MM-dd", with fixed digits and
// Gregorian calendar whatever the user's locale.
QString dayString(TimePoint t);

}  // namespace tarnwhistle
