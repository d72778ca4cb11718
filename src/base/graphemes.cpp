#include "base/graphemes.h"

#include <QTextBoundaryFinder>

namespace tarnwhistle {

namespace Graphemes {

qsizetype count(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype n = 0;
    while (finder.toNextBoundary() != -1) ++n;
    return n;
}

QString left(const QString& text, qsizetype n) {
    if (n <= 0) return {};
    if (text.size() <= n) return text;  // each character is at least one code unit
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (qsizetype i = 0; i < n; ++i) {
        position = finder.toNextBoundary();
        if (position == -1) return text;
    }
    return text.left(position);
}

}  // namespace Graphemes

}  // namespace tarnwhistle
