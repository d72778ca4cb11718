// Idle time on GNOME from Mutter's idle monitor (org.gnome.Mutter.IdleMonitor GetIdletime):
// Mutter sees every input event, including those it hands to Wayland clients. Unknown while
// Mutter does not answer. Main thread.
#pragma once

#include <QDBusConnection>

#include "capture/idle_source.h"

namespace tarnwhistle {

class GnomeIdleMonitor : public IdleSource {
  public:
    explicit GnomeIdleMonitor(const QDBusConnection& bus = QDBusConnection::sessionBus())
        : bus_(bus) {}

    std::optional<double> secondsSinceLastInput() override;

    // Mutter answers from memory; a compositor that takes longer is hung.
    static constexpr int callTimeoutMs = 500;

  private:
    QDBusConnection bus_;
};

}  // namespace tarnwhistle
