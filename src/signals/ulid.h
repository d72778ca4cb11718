// 26-character, time-ordered identifiers in Crockford base 32: 10 characters of milliseconds
// since 1970, then 16 random characters. Nothing is remembered between calls, so two ids made
// in the same millisecond sort in random order.
#pragma once

#include <QString>

#include "signals/time.h"

namespace tarnwhistle {

namespace ULID {
QString make(TimePoint t);
}

}  // namespace tarnwhistle
