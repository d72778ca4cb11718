// The one trim of user-typed texts (addresses, list entries, phrases), so that every part
// reads the same text the same way: the outbox, the status, the settings and the filters can
// never disagree about whether an address is set or what it is.
#pragma once

#include <QString>

namespace tarnwhistle {

namespace Text {
// `text` without horizontal white space at either end: tabs and spaces of any kind (a
// no-break space pasted from a web page too), but not line breaks, which stay part of it.
QString trimHorizontalSpace(const QString& text);
}  // namespace Text

}  // namespace tarnwhistle
