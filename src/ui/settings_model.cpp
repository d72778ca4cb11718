#include "ui/settings_model.h"

#include <QPointer>

#include "base/text_trim.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/signal_type.h"

namespace tarnwhistle {

QString SettingsModel::title(Destination destination) {
    switch (destination) {
        case Destination::dashboard:
            return QStringLiteral("Tarnwhistle dashboard");
        case Destination::custom:
            return QStringLiteral("My own webhook");
        case Destination::local:
            return QStringLiteral("Keep on this computer");
    }
    return {};
}

SettingsModel::SettingsModel(ConfigStore& store, QObject* parent)
    : QObject(parent), store_(store), draft_(store.config()) {
    connect(&store_, &ConfigStore::configChanged, this, &SettingsModel::dirtyChanged);
}

const DeploymentConfig& SettingsModel::saved() const {
    return store_.config();
}

void SettingsModel::edit(const std::function<void(DeploymentConfig&)>& change) {
    change(draft_);
    emit edited();
    emit dirtyChanged();
}

bool SettingsModel::dirty() const {
    return !(draft_ == store_.config());
}

void SettingsModel::replaceDraft(const DeploymentConfig& config) {
    draft_ = config;
    emit reset();
    emit dirtyChanged();
}

void SettingsModel::revert() {
    chosen_.reset();  // the pick was an edit too
    replaceDraft(store_.config());
}

bool SettingsModel::save() {
    const DeploymentConfig before = store_.config();
    DeploymentConfig record = draft_;
    record.paused = before.paused;
    const bool pausedChanged = draft_.paused != before.paused;
    const bool loginChanged = draft_.startAtLogin != before.startAtLogin;
    store_.save(record);

    // A failed write leaves the old configuration in force; taking it back into the working
    // copy would throw the user's edits away, so they stay (and stay unsaved).
    DeploymentConfig expected = record;
    expected.rememberCurrentDestination();
    if (!(store_.config() == expected)) {
        emit dirtyChanged();
        return false;
    }
    if (pausedChanged) applyPause(draft_.paused);
    if (loginChanged && applyLoginItem) applyLoginItem();
    replaceDraft(store_.config());
    return true;
}

void SettingsModel::applyPause(bool paused) {
    if (setPaused) {
        setPaused(paused);
        return;
    }
    DeploymentConfig config = store_.config();
    config.paused = paused;
    store_.save(config);
}

void SettingsModel::togglePause() {
    applyPause(!store_.config().paused);
    DeploymentConfig next = draft_;
    next.paused = store_.config().paused;
    replaceDraft(next);
}

SettingsModel::Destination SettingsModel::destination() const {
    if (chosen_) return *chosen_;
    if (!hasAddress()) return Destination::local;
    return draft_.isDashboardURL() ? Destination::dashboard : Destination::custom;
}

void SettingsModel::choose(Destination destination) {
    if (destination == this->destination()) return;
    DeploymentConfig next = draft_;
    next.rememberCurrentDestination();
    chosen_ = destination;
    switch (destination) {
        case Destination::dashboard:
            next.webhookURL = next.savedDashboardURL;
            next.webhookSecret = next.savedDashboardSecret;
            break;
        case Destination::custom:
            next.webhookURL = next.savedCustomURL;
            next.webhookSecret = next.savedCustomSecret;
            break;
        case Destination::local:
            next.webhookURL.clear();
            next.webhookSecret.clear();
            break;
    }
    replaceDraft(next);
}

bool SettingsModel::hasAddress() const {
    return !Text::trimHorizontalSpace(draft_.webhookURL).isEmpty();
}

int SettingsModel::signalsOnCount(const std::map<QString, bool>& enabled) {
    int on = 0;
    for (const SignalType& type : SignalType::allCases()) {
        if (!type.comingLater() && type.isOn(enabled)) ++on;
    }
    return on;
}

void SettingsModel::testConnection(Outbox& outbox) {
    save();
    testing_ = true;
    testMessage_.clear();
    emit testChanged();
    QPointer<SettingsModel> self(this);
    outbox.sendTest([self](bool ok, const QString& message) {
        if (!self) return;
        self->testing_ = false;
        self->testMessage_ = (ok ? QStringLiteral("✓ ") : QStringLiteral("✗ ")) + message;
        emit self->testChanged();
    });
}

bool SettingsModel::importFrom(const QString& path, QString* error) {
    if (!store_.importFrom(path, error)) return false;
    chosen_.reset();
    replaceDraft(store_.config());
    return true;
}

void SettingsModel::exportTo(const QString& path) const {
    store_.exportTo(path);
}

}  // namespace tarnwhistle
