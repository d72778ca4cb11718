#include "platform/wayland/reported_front_window.h"

#include "capture/application_id.h"
#include "platform/linux/desktop_file_index.h"

namespace tarnwhistle {

ReportedFrontWindow::ReportedFrontWindow(CompositorReportService& service, DesktopFileIndex& index,
                                         QObject* parent)
    : QObject(parent), index_(index) {
    noWindow_.setSingleShot(true);
    noWindow_.setInterval(noWindowDelayMs);
    connect(&noWindow_, &QTimer::timeout, this, &ReportedFrontWindow::cleared);
    connect(&service, &CompositorReportService::windowReported, this,
            &ReportedFrontWindow::reported);
    connect(&service, &CompositorReportService::noWindowReported, this,
            [this] { noWindow_.start(); });
    connect(&service, &CompositorReportService::compositorGone, this, [this] {
        noWindow_.stop();
        front_.reset();
        {
            QMutexLocker lock(&titleLock_);
            titlePid_ = 0;
            title_.clear();
        }
        displayLost();
    });
    connect(&service, &CompositorReportService::compositorCame, this,
            [this] { displayRestored(); });
}

RunningApplication ReportedFrontWindow::application(const ReportedWindow& window) {
    RunningApplication app;
    app.pid = window.pid;
    // The desktop id is the compositor's best guess; a Wayland app id or an X11 class may
    // still match a desktop file of another name.
    auto entry = index_.byId(window.desktopId);
    if (!entry) entry = index_.find(window.windowClass, window.windowClass);
    ApplicationId::Identity identity;
    identity.desktopId = entry ? entry->id : window.desktopId;
    identity.wmClass = window.windowClass;
    app.bundleId = ApplicationId::resolve(identity);
    app.name = entry ? entry->name : QString();
    return app;
}

void ReportedFrontWindow::reported(const ReportedWindow& window) {
    noWindow_.stop();
    const RunningApplication app = application(window);
    {
        QMutexLocker lock(&titleLock_);
        titlePid_ = app.pid;
        title_ = window.title;
    }
    if (app.bundleId.isEmpty()) {
        cleared();
        return;
    }
    // A new title of the same window is news for the window poll, not an activation.
    if (front_ && front_->pid == app.pid && front_->bundleId == app.bundleId) return;
    front_ = app;
    bool known = false;
    for (const RunningApplication& seen : seen_) known = known || seen.bundleId == app.bundleId;
    if (!known) seen_ << app;
    applicationActivated(app);
}

void ReportedFrontWindow::cleared() {
    const bool had = front_.has_value();
    front_.reset();
    {
        QMutexLocker lock(&titleLock_);
        titlePid_ = 0;
        title_.clear();
    }
    if (had) noFrontApplication();
}

std::optional<RunningApplication> ReportedFrontWindow::frontmostApplication() {
    return front_;
}

QList<RunningApplication> ReportedFrontWindow::runningApplications() {
    return seen_;
}

std::optional<QString> ReportedFrontWindow::frontTitle(qint64 pid) const {
    QMutexLocker lock(&titleLock_);
    if (titlePid_ == 0 || titlePid_ != pid) return std::nullopt;
    return title_;
}

}  // namespace tarnwhistle
