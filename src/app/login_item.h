// The login item on a Linux desktop: an XDG autostart entry, "tarnwhistle.desktop" in
// $XDG_CONFIG_HOME/autostart (default ~/.config/autostart), starting this executable. Main
// thread only.
#pragma once

#include <QString>

namespace tarnwhistle {

class LoginItem {
  public:
    // The entry of the current user, starting `executable`.
    explicit LoginItem(const QString& executable);
    LoginItem(const QString& autostartDirectory, const QString& executable);

    // The entry exists with exactly the content this build writes.
    bool enabled() const;
    // Any entry of that name exists (perhaps an older one).
    bool exists() const;
    // Writes the entry; false with a description when it cannot.
    bool registerItem(QString* error);
    // Removes the entry; false with a description when it cannot.
    bool unregisterItem(QString* error);

    QString filePath() const;
    QString content() const;

    static QString defaultDirectory();

  private:
    QString directory_;
    QString executable_;
};

}  // namespace tarnwhistle
