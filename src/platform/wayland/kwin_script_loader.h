// Loads the agent's KWin script (shipped with the package) into KWin over D-Bus and unloads
// it again: org.kde.KWin /Scripting loadScript, then run on the script's own object, which
// KWin 5.27 puts at /<id> and KWin 6 at /Scripting/Script<id>. A script left behind by an
// earlier run is unloaded first, so there is never more than one. Reloaded whenever KWin comes
// (back) onto the bus. Main thread; nothing here blocks.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

class QDBusPendingCall;

namespace tarnwhistle {

class KWinScriptLoader : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* pluginName = "tarnwhistle-focus";
    static constexpr int callTimeoutMs = 3000;

    KWinScriptLoader(const QString& scriptPath,
                     const QDBusConnection& bus = QDBusConnection::sessionBus(),
                     QObject* parent = nullptr);
    ~KWinScriptLoader() override;

    void load();
    void unload();
    bool running() const { return running_; }

  signals:
    void started();
    void failed(const QString& why);

  private:
    QDBusPendingCall call(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& arguments);
    void whenDone(const QDBusPendingCall& pending, std::function<void(const QDBusMessage&)> then);
    void run(int id, bool newerPath);

    QString scriptPath_;
    QDBusConnection bus_;
    bool running_ = false;
    quint64 generation_ = 0;  // answers to an older load are dropped
};

}  // namespace tarnwhistle
