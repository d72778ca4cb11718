#include "privacy/name_gazetteer.h"

#include <QFile>

#include "base/system_log.h"
#include "privacy/data_files.h"

namespace tarnwhistle {

NameGazetteer NameGazetteer::fromText(QStringView text) {
    NameGazetteer names;
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.size() < 3 || line[1] != u' ') continue;
        const QString name = line.mid(2).toString();
        QSet<QString>* set = line[0] == u'g'   ? &names.given_
                             : line[0] == u'f' ? &names.family_
                                               : nullptr;
        if (!set) continue;
        set->insert(name);
        set->insert(folded(name));
    }
    return names;
}

QString NameGazetteer::folded(QStringView word) {
    // Only alphabets whose accents are optional in writing: Latin, Greek, Cyrillic, Armenian.
    // (Kana voicing marks, for one, make another name.)
    bool plain = true;
    for (QChar c : word) {
        if (c.unicode() >= 0x0590) return word.toString();
        if (c.unicode() >= 0xC0) plain = false;
    }
    if (plain) return word.toString();
    const QString decomposed = word.toString().normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (!c.isMark()) out += c;
    return out.normalized(QString::NormalizationForm_C);
}

bool NameGazetteer::contains(const QSet<QString>& set, QStringView word) {
    const QString exact = word.toString();
    if (set.contains(exact)) return true;
    const QString bare = folded(word);
    return bare != exact && set.contains(bare);
}

const NameGazetteer& NameGazetteer::shared() {
    static const NameGazetteer names = [] {
        const QString path = dataFilePath(QStringLiteral("person-names.txt"));
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            SystemLog::write(QStringLiteral(
                "Tarnwhistle: name list person-names.txt not found; names are redacted "
                "only after a title such as Mr or Dr"));
            return NameGazetteer();
        }
        return fromText(QString::fromUtf8(file.readAll()));
    }();
    return names;
}

}  // namespace tarnwhistle
