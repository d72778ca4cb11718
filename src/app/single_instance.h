// One agent per session. The first process owns a name on the session bus; a later start hands
// its arguments (connection links, or none) to that process over the bus and exits. Without a
// session bus every process counts as the first.
#pragma once

#include <QObject>
#include <QStringList>

namespace tarnwhistle {

class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.tarnwhistle.Agent")
  public:
    static constexpr const char* serviceName = "app.tarnwhistle.Agent";
    static constexpr const char* objectPath = "/app/tarnwhistle/Agent";

    explicit SingleInstance(QObject* parent = nullptr);

    // Takes the name; false when another process holds it (or the bus refused the object).
    bool claim();
    // Hands `arguments` to the process that holds the name; false when it did not answer.
    static bool forward(const QStringList& arguments);

  public slots:
    // Called over the bus by a later start.
    Q_SCRIPTABLE void Open(const QStringList& arguments);

  signals:
    void opened(const QStringList& arguments);
};

}  // namespace tarnwhistle
