#include "privacy/name_gazetteer.h"

#include <QFile>
#include <QtDebug>

#include "privacy/data_files.h"

NameGazetteer NameGazetteer::fromText(QStringView text) {
    NameGazetteer names;
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.size() < 3 || line[1] != u' ') continue;
        const QString name = line.mid(2).toString();
        if (line[0] == u'g') names.given_.insert(name);
        else if (line[0] == u'f') names.family_.insert(name);
    }
    return names;
}

const NameGazetteer& NameGazetteer::shared() {
    static const NameGazetteer names = [] {
        const QString path = dataFilePath(QStringLiteral("person-names.txt"));
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            qWarning("Tarnwhistle: name list person-names.txt not found; names are redacted "
                     "only after a title such as Mr or Dr");
            return NameGazetteer();
        }
        return fromText(QString::fromUtf8(file.readAll()));
    }();
    return names;
}
