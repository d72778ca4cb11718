#include "intelligence/word_vector_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Installed: <prefix>/bin/../share/tarnwhistle; while developing: the build tree's share folder.
QString wordVectorFilePath() {
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() + "/../share/tarnwhistle";
    folders << QStringLiteral(TARNWHISTLE_BUILD_DATA_DIR);
    for (const QString& folder : folders) {
        const QString path = QDir::cleanPath(folder + '/' + wordVectorFileName);
        if (QFileInfo(path).isFile()) return path;
    }
    return {};
}
