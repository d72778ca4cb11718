// Lengths and cuts of window text count user-perceived characters (grapheme clusters), so a
// cut never splits an accented letter or an emoji.
#pragma once

#include <QString>

namespace tarnwhistle {

namespace Graphemes {
qsizetype count(const QString& text);
// The first `n` user-perceived characters of `text` (all of it when shorter; none for n <= 0).
QString left(const QString& text, qsizetype n);
}  // namespace Graphemes

}  // namespace tarnwhistle
