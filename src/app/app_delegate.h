// The application's delegate: the launch order, pause and resume, deleting local data, the
// login item, opened links and the orderly end of the process. Main thread only.
//
// It works on the objects it is given (the app hands it the shared ones; tests hand it their
// own), and reaches the desktop only through `Hooks`, so the launch and quit sequences run
// without a tray or a window.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace tarnwhistle {

class AppStatus;
class Capture;
class ConfigStore;
class EventLog;
class LoginItem;
class Outbox;
class Store;

class AppDelegate : public QObject {
    Q_OBJECT
  public:
    struct Parts {
        ConfigStore& config;
        Store& store;
        Capture& capture;
        Outbox& outbox;
        AppStatus& status;
        EventLog& events;
        LoginItem& loginItem;
    };
    // What the desktop does for the delegate. Any hook may be left empty.
    struct Hooks {
        std::function<void()> setupMenuBar;
        std::function<bool()> trusted;      // whether other windows may be read (no prompt)
        std::function<void()> showWelcome;  // the welcome window
        // The modal "Delete all local data?" alert; true when "Delete" was chosen.
        std::function<bool()> confirmDelete;
        // Connection links arrive here, one at a time, in order.
        std::function<void(const QString& link)> handleLink;
        // Termination may go ahead: closes the store and ends the event loop.
        std::function<void()> terminate;
    };

    enum class TerminateReply { now, later };

    // The agent's delegate over the shared objects, with the desktop's hooks.
    static AppDelegate& shared();

    AppDelegate(Parts parts, Hooks hooks, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence, in order: configuration, store, purge, tray, login item, status,
    // capture (unless paused), outbox, purge timer, welcome.
    void applicationDidFinishLaunching();
    // Capture stops ("quit"), the outbox flushes; with sends in flight the reply comes when
    // they end or after 4 seconds, whichever is first, and only once.
    TerminateReply applicationShouldTerminate();
    // Closes the store; nothing may use it afterwards.
    void applicationWillTerminate();
    // Opened addresses, in order.
    void open(const QStringList& links);

    // Asks to end the process: runs the quit sequence, then `terminate` once. Menu, signals
    // and the session's end all come through here.
    void quit();

    // Pause or resume capture (menu, Settings).
    void setPaused(bool paused);
    // Asks for confirmation, then empties the signals, batches and the in-memory activity log.
    void deleteLocalData();
    // Makes the autostart entry match `startAtLogin` (launch, Settings save).
    void applyLoginItem();

    // The store's file in the support folder.
    QString storePath() const;

    static constexpr int purgeIntervalMs = 21600 * 1000;
    // The longest quit waits for deliveries in flight; shorter in tests.
    int quitWaitMs = 4000;

  private:
    void reply();

    Parts parts_;
    Hooks hooks_;
    QTimer purgeTimer_;
    bool terminating_ = false;
    std::shared_ptr<bool> replied_;
};

}  // namespace tarnwhistle
