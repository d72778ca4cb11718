#include "app/links.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace tarnwhistle {

QUrl Links::dashboard() {
    static const QUrl url(QStringLiteral("https://tarnwhistle.app/app/"));
    return url;
}

QUrl Links::docs() {
    static const QUrl url(QStringLiteral("https://tarnwhistle.app/docs/"));
    return url;
}

QStringList Links::accessibilitySettingsCommand(const QString& currentDesktop) {
    for (const QString& name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString desktop = name.trimmed().toUpper();
        if (desktop == QLatin1String("GNOME") || desktop == QLatin1String("UNITY") ||
            desktop == QLatin1String("BUDGIE"))
            return {QStringLiteral("gnome-control-center"), QStringLiteral("universal-access")};
        if (desktop == QLatin1String("KDE"))
            return {QStringLiteral("systemsettings"), QStringLiteral("kcm_access")};
    }
    return {};
}

void Links::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void Links::openAccessibilitySettings() {
    const QStringList command =
        accessibilitySettingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (!command.isEmpty() && !QStandardPaths::findExecutable(command.first()).isEmpty() &&
        QProcess::startDetached(command.first(), command.mid(1)))
        return;
    open(docs());
}

void Links::openScreenRecordingSettings() {
    open(docs());
}

}  // namespace tarnwhistle
