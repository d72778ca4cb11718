#include "platform/wayland/reported_window_reader.h"

#include <QDateTime>

#include "platform/linux/atspi_reader.h"
#include "platform/wayland/reported_front_window.h"
#include "privacy/privacy.h"

namespace tarnwhistle {

ReportedWindowReader::ReportedWindowReader(const ReportedFrontWindow& front) : front_(front) {}

ReportedWindowReader::~ReportedWindowReader() = default;

std::optional<Snapshot> ReportedWindowReader::snapshot(qint64 pid, const QString& bundleId,
                                                       Reading reading) {
    const auto title = front_.frontTitle(pid);
    if (!title) return std::nullopt;
    QMutexLocker lock(&lock_);
    if (!atspi_) atspi_ = std::make_unique<AtspiReader>();
    const bool browser = Privacy::browsers().count(bundleId) > 0;
    Snapshot snap;
    snap.title = *title;
    snap.passwordFocused = atspi_->passwordFocused(pid, *title, *title, reading == Reading::fresh);
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    if (reading == Reading::fresh || !last_ || last_->pid != pid || last_->title != *title ||
        nowMs - last_->atMs >= reuseMs) {
        const auto info = atspi_->windowInfo(pid, *title, browser);
        last_ = Read{pid, *title, nowMs, info ? info->url : std::nullopt,
                     info ? info->documentPath : std::nullopt};
    }
    snap.url = browser ? last_->url : std::nullopt;
    snap.documentPath = last_->documentPath;
    return snap;
}

TextSample ReportedWindowReader::textSample(qint64 pid, const QString&, int maxChars,
                                            int maxNodes) {
    const QString title = front_.frontTitle(pid).value_or(QString());
    QMutexLocker lock(&lock_);
    if (!atspi_) atspi_ = std::make_unique<AtspiReader>();
    TextSample sample;
    sample.text = atspi_->textSample(pid, title, maxChars, maxNodes, &sample.passwordField);
    return sample;
}

}  // namespace tarnwhistle
