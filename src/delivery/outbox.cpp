#include "delivery/outbox.h"

#include <QLocale>
#include <QNetworkInformation>
#include <QRandomGenerator>
#include <cmath>

#include "config/config_store.h"
#include "delivery/webhook_address.h"
#include "storage/store.h"

namespace {

const QString kLastSuccessKey = QStringLiteral("last_success");

// Uniform in [0.8, 1.2], both ends included.
double uniformJitter() {
    return 0.8 + 0.4 * double(QRandomGenerator::global()->bounded(400'001)) / 400'000.0;
}

QVariant optionalValue(const auto& value) { return value ? QVariant(*value) : QVariant(); }

}  // namespace

Outbox::Outbox(Store& store, ConfigStore& configStore, QObject* parent)
    : QObject(parent), store_(store), configStore_(configStore) {
    jitter = uniformJitter;
    // A redirect is an answer like any other, never followed; cookies and caching are switched
    // off per request (see request()).
    network_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    network_.setStrictTransportSecurityEnabled(false);
    flushTimer_.setTimerType(Qt::CoarseTimer);
    connect(&flushTimer_, &QTimer::timeout, this, &Outbox::flush);
    retryTimer_.setTimerType(Qt::PreciseTimer);
    connect(&retryTimer_, &QTimer::timeout, this, &Outbox::retryDue);
}

QString Outbox::appVersion() {
    static const QString version = [] {
#ifdef TARNWHISTLE_VERSION
        const QString compiled = QStringLiteral(TARNWHISTLE_VERSION);
        if (!compiled.trimmed().isEmpty()) return compiled;
#endif
        return QStringLiteral("dev");
    }();
    return version;
}

void Outbox::start() {
    if (const auto stored = store_.metaValue(kLastSuccessKey)) {
        bool ok = false;
        const double seconds = stored->toDouble(&ok);
        if (ok && std::isfinite(seconds)) {
            lastSuccess_ = seconds;
            emit changed();
        }
    }
    if (watchNetwork) watchNetworkPath();
    scheduleFlush();
    connect(&configStore_, &ConfigStore::configChanged, this, &Outbox::configurationChanged,
            Qt::UniqueConnection);
    configurationChanged();  // the subscription starts with the current configuration
    retryTimer_.start(retryIntervalSeconds * 1000);
}

void Outbox::watchNetworkPath() {
    // Without a reachability backend (no NetworkManager, say) the machine counts as online.
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    QNetworkInformation* info = QNetworkInformation::instance();
    auto satisfied = [](QNetworkInformation::Reachability r) {
        return r != QNetworkInformation::Reachability::Disconnected;
    };
    connect(info, &QNetworkInformation::reachabilityChanged, this,
            [this, satisfied](QNetworkInformation::Reachability r) { pathUpdated(satisfied(r)); },
            Qt::QueuedConnection);
    pathUpdated(satisfied(info->reachability()));
}

void Outbox::scheduleFlush() {
    flushTimer_.stop();
    currentInterval_ = configStore_.config().flushIntervalSeconds;
    const qint64 seconds = std::max<qint64>(currentInterval_, 10);
    flushTimer_.start(int(std::min<qint64>(seconds, 24 * 3600) * 1000));
}

void Outbox::configurationChanged() {
    const DeploymentConfig config = configStore_.config();
    if (currentInterval_ != config.flushIntervalSeconds) scheduleFlush();
    const QString address = WebhookAddress::trimmed(config.webhookURL);
    if (address.isEmpty()) return;
    store_.releaseLocalBatches(address);
    retryDue();
}

void Outbox::pathUpdated(bool satisfied) {
    if (online_ != satisfied) {
        online_ = satisfied;
        emit changed();
    }
    if (satisfied) retryDue();
}

void Outbox::retryDue() {
    if (!online_) return;
    if (configStore_.config().paused) return;
    for (const BatchRecord& batch : store_.dueBatches(now())) {
        if (!sending_.contains(batch.batchId)) send(batch);
    }
}

void Outbox::markSuccess() {
    const TimePoint t = now();
    lastSuccess_ = t;
    lastError_.reset();
    store_.setMetaValue(QString::number(t, 'f', QLocale::FloatingPointShortest), kLastSuccessKey);
    emit changed();
}

void Outbox::markFailure(const QString& text) {
    lastFailure_ = now();
    lastError_ = text;
    emit changed();
}

QVariant Outbox::lastSuccessValue() const { return optionalValue(lastSuccess_); }
QVariant Outbox::lastFailureValue() const { return optionalValue(lastFailure_); }
QVariant Outbox::lastErrorValue() const { return optionalValue(lastError_); }
