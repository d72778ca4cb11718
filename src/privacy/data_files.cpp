#include "privacy/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarnwhistle {

QString dataFilePath(const QString& fileName) {
    QStringList folders;
    // applicationDirPath needs an application object; tools and tests always make one.
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tarnwhistle");
#ifdef TARNWHISTLE_BUILD_DATA_DIR
    folders << QStringLiteral(TARNWHISTLE_BUILD_DATA_DIR);
#endif
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder).filePath(fileName));
        if (file.isFile()) return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

}  // namespace tarnwhistle
