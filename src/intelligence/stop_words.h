// Words that say nothing about the kind of work.
#pragma once

#include <QSet>
#include <QString>

namespace tarnwhistle {

namespace StopWords {

// The classifier's own 14: common short words and the words of the window hint's template
// ("App: … Window: … Site: … Type: …").
const QSet<QString>& classifier();

// The classifier's words plus a standard English stop-word list; dropped before a sentence
// vector is formed, because they pull every mean towards the same direction.
const QSet<QString>& sentence();

}  // namespace StopWords

}  // namespace tarnwhistle
