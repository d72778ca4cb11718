#include "base/text_trim.h"

namespace tarnwhistle {

namespace Text {

QString trimHorizontalSpace(const QString& text) {
    auto horizontal = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0, end = text.size();
    while (begin < end && horizontal(text[begin])) ++begin;
    while (end > begin && horizontal(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

}  // namespace Text

}  // namespace tarnwhistle
