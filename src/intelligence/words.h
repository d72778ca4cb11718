// How the classifier cuts text into words: lower-cased, split at every character that is not a
// letter.
#pragma once

#include <QString>

namespace tarnwhistle {

// Calls `take(word)` for every run of letters in `text`, in order.
template <class Take>
void forEachWord(const QString& text, Take take) {
    QString word;
    for (const QChar c : text) {
        if (c.isLetter()) {
            word.append(c.toLower());
        } else if (!word.isEmpty()) {
            take(word);
            word.resize(0);  // keeps the buffer
        }
    }
    if (!word.isEmpty()) take(word);
}

}  // namespace tarnwhistle
