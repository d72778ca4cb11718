// SIGTERM, SIGINT and SIGHUP (the session's terminal or login going away) end the agent the
// orderly way. The handler only writes a byte to a socket
// pair; the main loop reads it and runs the quit sequence, so nothing unsafe runs inside the
// handler.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarnwhistle {

class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Installs the handlers; false when the socket pair or a handler could not be set up.
    bool install();

  signals:
    void received(int signal);

  private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tarnwhistle
