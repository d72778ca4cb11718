#include "intelligence/hint_text.h"

#include <QSet>

#include "intelligence/words.h"

namespace tarnwhistle {

namespace HintText {

namespace {
const QString appPrefix = QStringLiteral("App: ");
const QString windowPart = QStringLiteral(". Window: ");
}  // namespace

QString withoutApplicationName(const QString& text) {
    if (!text.startsWith(appPrefix)) return text;
    const qsizetype end = text.indexOf(windowPart, appPrefix.size());
    if (end < 0) return text;
    QSet<QString> name;
    forEachWord(text.mid(appPrefix.size(), end - appPrefix.size()),
                [&](const QString& word) { name.insert(word); });
    const QString rest = text.mid(end + 2);  // from "Window: "
    QString kept;
    kept.reserve(rest.size());
    qsizetype i = 0;
    while (i < rest.size()) {
        if (!rest[i].isLetter()) {
            kept.append(rest[i++]);
            continue;
        }
        qsizetype j = i;
        while (j < rest.size() && rest[j].isLetter()) ++j;
        const QString word = rest.mid(i, j - i);
        if (!name.contains(word.toLower())) kept.append(word);
        i = j;
    }
    return kept;
}

}  // namespace HintText

}  // namespace tarnwhistle
