// Names inside runs of Han, Kana or Hangul, which are written without spaces between words:
// a known family name and a known given name together, or a known name before an honorific
// ("さん", "先生", "님"). Only where the run ends with the name or an honorific follows it,
// so that the same characters inside ordinary words are left alone.
#pragma once

#include <QString>
#include <vector>

#include "privacy/name_gazetteer.h"
#include "privacy/text_range.h"

namespace tarnwhistle {

namespace CjkNames {

// True for the first character of a run that find() reads.
bool isCjk(QStringView text, qsizetype at);

// Names in text[start, end), a run of letters; ranges are positions in `text`.
std::vector<TextRange> find(const QString& text, qsizetype start, qsizetype end,
                            const NameGazetteer& names);

}  // namespace CjkNames

}  // namespace tarnwhistle
