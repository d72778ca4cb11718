#include "delivery/outbox.h"

#include <QLocale>
#include <QNetworkInformation>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <limits>

#include "base/text_trim.h"
#include "config/config_store.h"
#include "delivery/network_transport.h"
#include "delivery/webhook_address.h"
#include "storage/store.h"

namespace tarnwhistle {

namespace {

const QString kLastSuccessKey = QStringLiteral("last_success");

// Uniform in [0.8, 1.2], both ends included.
double uniformJitter() {
    return 0.8 + 0.4 * double(QRandomGenerator::global()->bounded(400'001)) / 400'000.0;
}

double uniformIn(double lo, double hi) {
    return lo + (hi - lo) * QRandomGenerator::global()->generateDouble();
}

// QTimer counts in int milliseconds; longer flush periods are counted down in steps of this.
constexpr qint64 kLongestTimerStepMs = 24LL * 3600 * 1000;
// A gap this long between two looks at the clock is a jump (or a long sleep).
constexpr double kClockJump = 3600;
// Purging waits at most this long for the delivery attempt after a jump (offline for good).
constexpr double kLongestPurgeHold = 86400;

}  // namespace

Outbox::Outbox(Store& store, ConfigStore& configStore, QObject* parent)
    : QObject(parent),
      store_(store),
      configStore_(configStore),
      transport_(std::make_unique<NetworkTransport>()) {
    jitter = uniformJitter;
    uniform = uniformIn;
    flushTimer_.setTimerType(Qt::CoarseTimer);
    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, &Outbox::flushTimerFired);
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, &Outbox::retryTimerFired);
    backOnlineTimer_.setSingleShot(true);
    connect(&backOnlineTimer_, &QTimer::timeout, this, &Outbox::retryDue);
}

void Outbox::setTransport(std::unique_ptr<Transport> transport) {
    transport_ = std::move(transport);
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
    armRetryTimer();
}

void Outbox::armRetryTimer() {
    // ±20 % around the period, so that agents started together drift apart.
    retryTimer_.start(int(std::lround(uniform(0.8, 1.2) * retryIntervalSeconds * 1000)));
}

void Outbox::retryTimerFired() {
    retryDue();
    armRetryTimer();
}

void Outbox::watchNetworkPath() {
    // Without a reachability backend (no NetworkManager, say) the machine counts as online.
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    QNetworkInformation* info = QNetworkInformation::instance();
    auto satisfied = [](QNetworkInformation::Reachability r) {
        return r != QNetworkInformation::Reachability::Disconnected;
    };
    connect(
        info, &QNetworkInformation::reachabilityChanged, this,
        [this, satisfied](QNetworkInformation::Reachability r) { pathUpdated(satisfied(r)); },
        Qt::QueuedConnection);
    pathUpdated(satisfied(info->reachability()));
}

void Outbox::scheduleFlush() {
    flushTimer_.stop();
    currentInterval_ = configStore_.config().flushIntervalSeconds;
    const qint64 seconds = std::clamp<qint64>(currentInterval_, 10, INT64_MAX / 1000);
    flushPeriodMs_ = flushRemainingMs_ = seconds * 1000;
    flushTimer_.start(int(std::min(flushRemainingMs_, kLongestTimerStepMs)));
}

void Outbox::flushTimerFired() {
    flushRemainingMs_ -= flushTimer_.interval();
    if (flushRemainingMs_ <= 0) {
        flush();
        flushRemainingMs_ = flushPeriodMs_;
    }
    flushTimer_.start(int(std::min(flushRemainingMs_, kLongestTimerStepMs)));
}

void Outbox::configurationChanged() {
    const DeploymentConfig config = configStore_.config();
    if (currentInterval_ != config.flushIntervalSeconds) scheduleFlush();
    const QString address = Text::trimHorizontalSpace(config.webhookURL);
    if (address.isEmpty()) return;
    store_.releaseLocalBatches(WebhookAddress::withoutCredentials(address));
    retryDue();
}

void Outbox::pathUpdated(bool satisfied) {
    const bool cameBack = satisfied && !online_;
    if (online_ != satisfied) {
        online_ = satisfied;
        emit changed();
    }
    if (!satisfied) return;
    // Failures while the network was gone say nothing about the receiver.
    if (cameBack) destination_.endWait();
    if (!backOnlineTimer_.isActive())
        backOnlineTimer_.start(int(std::lround(uniform(0, backOnlineSpreadSeconds) * 1000)));
}

void Outbox::retryDue() {
    noteClock(now());  // every retry tick, so that a pause or an outage is not taken for a jump
    if (!online_) return;
    if (configStore_.config().paused) return;
    pump(true);
}

void Outbox::pump(bool withClockSteps) {
    const DeploymentConfig config = configStore_.config();
    destination_.track(Text::trimHorizontalSpace(config.webhookURL));
    const bool usable = WebhookAddress::usable(config.webhookURL).has_value();
    const TimePoint t = now();
    if (usable && !destination_.mayStart(t)) return;  // most retry ticks of an outage
    for (const BatchRecord& batch : dueNow(t, withClockSteps)) {
        if (sending_.contains(batch.batchId)) continue;
        // An unusable address costs the receiver nothing: every due batch records it.
        if (usable && !destination_.mayStart(t)) break;
        send(batch);
    }
}

std::vector<BatchRecord> Outbox::dueNow(TimePoint t, bool withClockSteps) {
    std::vector<BatchRecord> due = store_.dueBatches(t);
    const bool nothingToStart = std::all_of(
        due.begin(), due.end(), [this](const auto& b) { return sending_.contains(b.batchId); });
    if (!withClockSteps && !nothingToStart) return due;
    // No backoff puts a next attempt this far ahead: the wall clock went back.
    for (BatchRecord& b : store_.dueBatches(std::numeric_limits<double>::max())) {
        if (b.nextAttempt > t + clockStepLimit) due.push_back(std::move(b));
    }
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.seq < b.seq; });
    return due;
}

void Outbox::noteClock(TimePoint t) {
    if (lastSeen_ && t - *lastSeen_ > kClockJump && !purgeHeldSince_) purgeHeldSince_ = t;
    lastSeen_ = t;
}

bool Outbox::purge(qint64 retentionDays) {
    const TimePoint t = now();
    noteClock(t);
    if (purgeHeldSince_ && t >= *purgeHeldSince_ && t - *purgeHeldSince_ < kLongestPurgeHold)
        return false;
    purgeHeldSince_.reset();
    store_.purge(retentionDays);
    return true;
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

}  // namespace tarnwhistle
