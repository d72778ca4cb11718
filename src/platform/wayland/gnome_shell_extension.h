// Whether the agent's GNOME Shell extension runs: it answers Hello on the Shell's connection
// (org.gnome.Shell /app/tarnwhistle/ShellReporter), and answering makes it report what is in
// front now. Asked at start and whenever the Shell comes (back) onto the bus; an extension
// the user switches on later says so by its first report.
// Main thread; nothing here blocks.
#pragma once

#include <QDBusConnection>
#include <QObject>

namespace tarnwhistle {

class GnomeShellExtension : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* uuid = "tarnwhistle@tarnwhistle.app";
    static constexpr int callTimeoutMs = 3000;

    explicit GnomeShellExtension(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr)
        : QObject(parent), bus_(bus) {}

    void ask();
    bool answered() const { return answered_; }

  signals:
    void answeredChanged(bool answered);

  private:
    void setAnswered(bool answered);
    QDBusConnection bus_;
    bool answered_ = false;
    quint64 generation_ = 0;
};

}  // namespace tarnwhistle
