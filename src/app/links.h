// The fixed addresses the agent opens: the dashboard and documentation on the product's web
// site, and the desktop's accessibility and screen-capture settings.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace tarnwhistle {

namespace Links {
QUrl dashboard();  // https://tarnwhistle.app/app/
QUrl docs();       // https://tarnwhistle.app/docs/

// The program that shows the desktop's accessibility settings, by the desktop named in
// `currentDesktop` ($XDG_CURRENT_DESKTOP, colon-separated); empty where none is known.
QStringList accessibilitySettingsCommand(const QString& currentDesktop);

// Opens an address in the default browser.
void open(const QUrl& url);
// The desktop's accessibility settings where the desktop is known (GNOME, KDE), else the
// documentation.
void openAccessibilitySettings();
// X11 lets any client read windows, so there is no screen-capture permission to give: the
// documentation says so.
void openScreenRecordingSettings();
}  // namespace Links

}  // namespace tarnwhistle
