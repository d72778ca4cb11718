#include "app/login_item.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace tarnwhistle {

LoginItem::LoginItem(const QString& executable) : LoginItem(defaultDirectory(), executable) {}

LoginItem::LoginItem(const QString& autostartDirectory, const QString& executable)
    : directory_(autostartDirectory), executable_(executable) {}

QString LoginItem::defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString LoginItem::filePath() const {
    return directory_ + QStringLiteral("/tarnwhistle.desktop");
}

QString LoginItem::content() const {
    // Exec takes a quoted path so a folder with spaces still starts.
    QString exec = executable_;
    exec.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Tarnwhistle\n"
               "Comment=Private work signals from this computer\n"
               "Exec=\"%1\"\n"
               "Icon=tarnwhistle\n"
               "Terminal=false\n"
               "NoDisplay=true\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(exec);
}

bool LoginItem::enabled() const {
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly)) return false;
    return file.read(64 * 1024) == content().toUtf8();
}

bool LoginItem::exists() const {
    return QFile::exists(filePath());
}

bool LoginItem::registerItem(QString* error) {
    if (!QDir().mkpath(directory_)) {
        if (error) *error = QStringLiteral("Could not create the folder %1.").arg(directory_);
        return false;
    }
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(content().toUtf8()) < 0 || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool LoginItem::unregisterItem(QString* error) {
    QFile file(filePath());
    if (!file.exists() || file.remove()) return true;
    if (error) *error = file.errorString();
    return false;
}

}  // namespace tarnwhistle
