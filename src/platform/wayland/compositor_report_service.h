// The agent's end of what a compositor-side helper (the KWin script, the GNOME Shell
// extension) reports: the window in front and the kinds of data on a new clipboard. A report
// counts only when it comes from the bus connection that owns the compositor's own name, so
// no other program in the session can feed the agent invented windows; others get
// AccessDenied. Main thread.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>

class QDBusServiceWatcher;

namespace tarnwhistle {

// One front window as the compositor names it.
struct ReportedWindow {
    QString desktopId;    // the desktop file's id (no ".desktop"), or the application id
    QString windowClass;  // resource class (Wayland app id or X11 WM_CLASS)
    QString title;
    qint64 pid = 0;  // 0 when the compositor does not know it

    bool operator==(const ReportedWindow&) const = default;
};

class CompositorReportService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.tarnwhistle.Compositor")
  public:
    static constexpr const char* serviceName = "app.tarnwhistle.Agent";
    static constexpr const char* objectPath = "/app/tarnwhistle/Compositor";
    static constexpr int maxTitle = 1024;
    static constexpr int maxTypes = 64;
    static constexpr int maxTypeLength = 255;

    // `compositorName` is the bus name the compositor owns (org.kde.KWin, org.gnome.Shell).
    explicit CompositorReportService(const QString& compositorName,
                                     const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                     QObject* parent = nullptr);
    ~CompositorReportService() override;

    // Offers the object (and the agent's name, unless this connection owns it already); false
    // when the bus or the name cannot be had.
    bool start();

    // Whether the compositor's name is owned now.
    bool compositorPresent() const { return !owner_.isEmpty(); }

  public slots:
    Q_SCRIPTABLE void WindowActivated(const QString& desktopId, const QString& windowClass,
                                      const QString& title, int pid);
    Q_SCRIPTABLE void NoWindow();
    Q_SCRIPTABLE void ClipboardChanged(const QStringList& mimeTypes);

  signals:
    void windowReported(const ReportedWindow& window);
    void noWindowReported();
    void clipboardReported(const QStringList& mimeTypes);
    // The compositor left the bus (it quit or crashed) or came (back).
    void compositorGone();
    void compositorCame();

  private:
    bool fromCompositor();
    QDBusConnection bus_;
    QString compositorName_;
    QString owner_;  // the unique name owning compositorName_, kept by the watcher
    QDBusServiceWatcher* watcher_ = nullptr;
    bool registered_ = false;
};

}  // namespace tarnwhistle
