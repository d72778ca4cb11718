// The Settings window's logic, apart from its widgets: the working copy (`draft`) of the
// configuration, `dirty`, save and revert, the delivery destination, the connection test and
// import. Every control of the window edits `draft`; nothing reaches the configuration store
// until save(). Main thread only.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>

#include "config/deployment_config.h"

namespace tarnwhistle {

class ConfigStore;
class Outbox;

class SettingsModel : public QObject {
    Q_OBJECT
  public:
    enum class Destination { dashboard, custom, local };
    static QString title(Destination destination);  // "Tarnwhistle dashboard" ...

    explicit SettingsModel(ConfigStore& store, QObject* parent = nullptr);

    const DeploymentConfig& draft() const { return draft_; }
    const DeploymentConfig& saved() const;
    // Changes the working copy through `change` (a control was edited).
    void edit(const std::function<void(DeploymentConfig&)>& change);
    // The working copy differs from the saved configuration in any of its 27 fields.
    bool dirty() const;

    // Back to the saved configuration.
    void revert();
    // Saves the working copy; the pause switch and the login item go through their own paths.
    // False (and the working copy kept) when the settings file could not be written.
    bool save();

    // Who applies a changed pause switch (it saves the configuration and starts or stops
    // capture) and the login item. Without them the pause is saved directly.
    std::function<void(bool paused)> setPaused;
    std::function<void()> applyLoginItem;

    // The overview's Pause/Resume: applies the opposite of the saved pause at once, and the
    // working copy follows (so a later save does not undo it).
    void togglePause();

    // Delivery destination: the one last picked here, else what the address says.
    Destination destination() const;
    // Switches destination, filing the current address and secret so that switching back
    // restores them.
    void choose(Destination destination);
    // The address, trimmed of spaces and tabs, is not empty.
    bool hasAddress() const;

    // How many of the 15 signal types the engine would let through under `enabled`: never the
    // two not produced yet; a listed type when on; an unlisted one except "input.pattern".
    static int signalsOnCount(const std::map<QString, bool>& enabled);

    // Saves, then sends one test batch; testMessage() gets "✓ " or "✗ " and the outcome.
    void testConnection(Outbox& outbox);
    bool testing() const { return testing_; }
    QString testMessage() const { return testMessage_; }

    // Import from a file (this computer keeps its device id) and reload the working copy; false
    // with the reason, and nothing changed, when the file cannot be read.
    bool importFrom(const QString& path, QString* error);
    void exportTo(const QString& path) const;

  signals:
    // The working copy was edited by a control (footer, counts and dependent rows update).
    void edited();
    // The working copy was replaced (revert, save, destination, import): controls reload.
    void reset();
    // dirty() may have changed (also when the saved configuration changes elsewhere).
    void dirtyChanged();
    void testChanged();

  private:
    void replaceDraft(const DeploymentConfig& config);
    // Through setPaused when set, else saved directly.
    void applyPause(bool paused);

    ConfigStore& store_;
    DeploymentConfig draft_;
    std::optional<Destination> chosen_;
    bool testing_ = false;
    QString testMessage_;
};

}  // namespace tarnwhistle
