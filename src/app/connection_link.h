// Connection links: a dashboard hands this computer its delivery settings with
// "tarnwhistle://connect?webhook=https://…&secret=…&org=…". Each link is confirmed by the user,
// saved, and tried with a test batch at once; links that arrive while one is being confirmed
// wait their turn. Main thread only.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

namespace tarnwhistle {

class ConfigStore;
class Outbox;

struct ConnectionLink {
    QString webhook;
    std::optional<QString> secret;  // present only when the link carries one
    std::optional<QString> org;

    // The link's settings, or nothing when it must be ignored: another scheme or host, no
    // query, or no "https://" webhook. The first value of a repeated key wins; a key without
    // a value counts as empty.
    static std::optional<ConnectionLink> parse(const QString& link);
    bool operator==(const ConnectionLink&) const = default;
};

class ConnectionLinks : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        // The modal confirmation for `webhook`; true when "Connect" was chosen.
        std::function<bool(const QString& webhook)> confirm;
        // The test's result alert: "Connected" or "Saved, but the test failed", and the
        // outbox's message.
        std::function<void(const QString& message, const QString& informative)> inform;
    };

    ConnectionLinks(ConfigStore& config, Outbox& outbox, Hooks hooks, QObject* parent = nullptr);

    // Handles `link` now, or after the links before it when one is being confirmed.
    void handle(const QString& link);

  private:
    void connectTo(const ConnectionLink& link);

    ConfigStore& config_;
    Outbox& outbox_;
    Hooks hooks_;
    std::deque<QString> queue_;
    bool busy_ = false;
};

}  // namespace tarnwhistle
