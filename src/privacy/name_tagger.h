// Finds personal names with a gazetteer and capitalisation rules. A name is
//   - a title (Mr, Mrs, Ms, Dr, Prof, Herr, Frau, Mme, M. ...) followed by a capitalised word,
//   - a known given name followed by a capitalised word ("Anna Smith", "Jonas Feldmann"),
//   - a given name that is also a common word ("Will", "May", "Grace", "Paris") only when a
//     known family name follows ("Will Turner"),
//   - a known given name right after a greeting ("Hi Anna", "Thanks Priya").
// Following capitalised name words and lower-case particles ("van der", "de") join the name.
// A lone given name is not a name: too many of them are ordinary words.
#pragma once

#include <QString>

#include "privacy/name_gazetteer.h"
#include "privacy/text_range.h"

namespace tarnwhistle {

namespace NameTagger {

// The ranges of `text` that hold personal names, sorted, without overlaps. A possessive "'s"
// stays outside the range.
std::vector<TextRange> find(const QString& text, const NameGazetteer& names);

}  // namespace NameTagger

}  // namespace tarnwhistle
