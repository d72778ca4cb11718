#include "app/app_status.h"

#include <QDateTime>
#include <QUrl>
#include <cmath>

#include "base/text_trim.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "storage/store.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

namespace {

QString plural(qint64 n, const char* unit) {
    return QStringLiteral("%1 %2%3 ago").arg(n).arg(QLatin1String(unit)).arg(n == 1 ? "" : "s");
}

// Beyond a day: the largest whole unit, as a relative date reads in English.
QString relativeDate(qint64 seconds) {
    const qint64 days = seconds / 86400;
    if (days < 7) return plural(days, "day");
    if (days < 30) return plural(days / 7, "week");
    if (days < 365) return plural(std::max<qint64>(1, days / 30), "month");
    return plural(days / 365, "year");
}

}  // namespace

QString AppStatus::title(State state) {
    switch (state) {
        case State::paused:
            return QStringLiteral("Paused");
        case State::needsPermission:
            return QStringLiteral("Needs permission");
        case State::localOnly:
            return QStringLiteral("Not connected");
        case State::connecting:
            return QStringLiteral("Connecting…");
        case State::connected:
            return QStringLiteral("Connected");
        case State::problem:
            return QStringLiteral("Delivery problem");
    }
    return {};
}

QColor AppStatus::color(State state) {
    switch (state) {
        case State::paused:
            return UiStyle::gray();
        case State::needsPermission:
            return UiStyle::orange();
        case State::localOnly:
            return UiStyle::blue();
        case State::connecting:
            return UiStyle::yellow();
        case State::connected:
            return UiStyle::green();
        case State::problem:
            return UiStyle::red();
    }
    return {};
}

QString AppStatus::description(State state) {
    switch (state) {
        case State::paused:
            return QStringLiteral("Nothing is noticed or sent until you resume.");
        case State::needsPermission:
            return QStringLiteral(
                "Allow Accessibility so Tarnwhistle can see which app is in front.");
        case State::localOnly:
            return QStringLiteral("Signals are kept on this computer. Add a webhook to send them.");
        case State::connecting:
            return QStringLiteral("Waiting for the first delivery to succeed.");
        case State::connected:
            return QStringLiteral("Collecting signals and delivering them.");
        case State::problem:
            return QStringLiteral("Recent deliveries failed. They will be retried.");
    }
    return {};
}

AppStatus::AppStatus(ConfigStore& config, Store& store, Outbox& outbox,
                     std::function<bool()> trustCheck, QObject* parent)
    : QObject(parent),
      config_(config),
      store_(store),
      outbox_(outbox),
      trustCheck_(std::move(trustCheck)) {
    trusted_ = trustCheck_ && trustCheck_();
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &AppStatus::refresh);
}

void AppStatus::start() {
    refresh();
    timer_.start(refreshIntervalMs);
    connect(&outbox_, &Outbox::changed, this, &AppStatus::scheduleRefresh, Qt::UniqueConnection);
    connect(&config_, &ConfigStore::configChanged, this, &AppStatus::scheduleRefresh,
            Qt::UniqueConnection);
}

// Change notifications come before or amid the change: the refresh runs afterwards, once per
// burst of notifications.
void AppStatus::scheduleRefresh() {
    if (refreshQueued_) return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshQueued_ = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void AppStatus::refresh() {
    const DeploymentConfig config = config_.config();
    const bool trusted = trustCheck_ && trustCheck_();
    if (trusted != trusted_) {
        trusted_ = trusted;
        emit trustedChanged();
    }

    const QDateTime local = QDateTime::fromMSecsSinceEpoch(qint64(std::floor(now() * 1000)));
    const TimePoint dayStart = double(local.date().startOfDay().toMSecsSinceEpoch()) / 1000.0;
    const qint64 today = store_.countSignals(dayStart);
    const qint64 waiting = store_.countUnbatchedSignals();
    const qint64 failing = store_.countWaitingBatches();
    if (today != signalsToday_ || waiting != waiting_ || failing != failing_) {
        signalsToday_ = today;
        waiting_ = waiting;
        failing_ = failing;
        emit countsChanged();
    }

    const QString problem =
        store_.isOpen()
            ? QString()
            : QStringLiteral("The local database could not be opened, so nothing is kept.");
    if (problem != storeProblem_) {
        storeProblem_ = problem;
        emit storeProblemChanged();
    }

    const State state = stateFor({config.paused, trusted_, config.webhookURL, failing_,
                                  outbox_.lastSuccess(), outbox_.lastFailure()});
    if (state != state_) {
        state_ = state;
        emit stateChanged();
    }
    emit refreshed();
}

AppStatus::State AppStatus::stateFor(const Inputs& in) {
    if (in.paused) return State::paused;
    if (!in.trusted) return State::needsPermission;
    if (Text::trimHorizontalSpace(in.webhookURL).isEmpty()) return State::localOnly;
    const TimePoint distantPast = -62135596800.0;  // year 1
    if (in.failing >= 1 && in.lastFailure && *in.lastFailure > in.lastSuccess.value_or(distantPast))
        return State::problem;
    if (!in.lastSuccess) return State::connecting;
    return State::connected;
}

std::optional<QString> AppStatus::destinationHost() const {
    const QString trimmed = Text::trimHorizontalSpace(config_.config().webhookURL);
    if (trimmed.isEmpty()) return std::nullopt;
    const QUrl url(trimmed, QUrl::StrictMode);
    if (url.isValid() && !url.host().isEmpty()) return url.host();
    return trimmed;
}

std::optional<QString> AppStatus::destinationLabel() const {
    const auto host = destinationHost();
    if (!host) return std::nullopt;
    if (DeploymentConfig::dashboardHosts().count(host->toLower()))
        return QStringLiteral("Tarnwhistle dashboard");
    return QStringLiteral("Custom webhook · ") + shorten(*host, 22);
}

QString AppStatus::lastSentText() const {
    const auto success = outbox_.lastSuccess();
    if (!success) return QStringLiteral("Nothing delivered yet");
    return QStringLiteral("Last delivery ") + relative(*success);
}

QString AppStatus::shorten(const QString& text, int n) {
    if (text.size() <= n) return text;
    const int half = std::max(0, n / 2 - 1);
    return text.left(half) + QChar(0x2026) + text.right(half);
}

QString AppStatus::relative(TimePoint date, TimePoint now) {
    const double span = now - date;
    const qint64 s = std::isfinite(span) ? qint64(std::trunc(span)) : 0;
    if (s < 45) return QStringLiteral("just now");
    if (s < 3600) return QStringLiteral("%1 min ago").arg(s < 60 ? 1 : s / 60);
    if (s < 86400) return QStringLiteral("%1 h ago").arg(s / 3600);
    return relativeDate(s);
}

void AppStatus::setUnavailable(const QString& sentence) {
    if (sentence == unavailable_) return;
    unavailable_ = sentence;
    emit unavailableChanged();
}

}  // namespace tarnwhistle
