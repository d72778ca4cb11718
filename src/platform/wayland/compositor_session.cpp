#include "platform/wayland/compositor_session.h"

#include "platform/linux/dbus_lock_source.h"
#include "platform/linux/desktop_file_index.h"
#include "platform/wayland/compositor_report_service.h"
#include "platform/wayland/gnome_idle_monitor.h"
#include "platform/wayland/gnome_shell_extension.h"
#include "platform/wayland/kwin_script_loader.h"
#include "platform/wayland/reported_clipboard.h"
#include "platform/wayland/reported_front_window.h"
#include "platform/wayland/reported_window_reader.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_idle.h"
#include "platform/wayland/wlroots_clipboard.h"
#include "privacy/data_files.h"
#include "base/system_log.h"

namespace tarnwhistle {

CompositorSession::CompositorSession(Compositor compositor) : compositor_(compositor) {}

CompositorSession::~CompositorSession() = default;

std::unique_ptr<CompositorSession> CompositorSession::start(Compositor compositor,
                                                            const QString& kwinScript) {
    std::unique_ptr<CompositorSession> session(new CompositorSession(compositor));
    const bool kwin = compositor == Compositor::kwin;
    session->service_ = std::make_unique<CompositorReportService>(
        kwin ? QStringLiteral("org.kde.KWin") : QStringLiteral("org.gnome.Shell"));
    if (!session->service_->start()) return nullptr;
    session->index_ = std::make_unique<DesktopFileIndex>();
    session->front_ = std::make_unique<ReportedFrontWindow>(*session->service_, *session->index_);
    session->reader_ = std::make_unique<ReportedWindowReader>(*session->front_);
    session->locks_ = std::make_unique<DBusLockSource>();
    CompositorSession* self = session.get();
    connect(self->service_.get(), &CompositorReportService::windowReported, self,
            [self] { self->setAnswered(true); });
    connect(self->service_.get(), &CompositorReportService::noWindowReported, self,
            [self] { self->setAnswered(true); });
    if (kwin)
        self->startKWin(kwinScript);
    else
        self->startGnome();
    return session;
}

void CompositorSession::startKWin(const QString& script) {
    wayland_ = std::make_unique<WaylandConnection>();
    if (wayland_->ok()) {
        waylandIdle_ = std::make_unique<WaylandIdle>(*wayland_);
        dataControl_ = std::make_unique<WlrootsClipboard>(*wayland_);
    }
    script_ = std::make_unique<KWinScriptLoader>(
        script.isEmpty() ? dataFilePath(QStringLiteral("kwin/tarnwhistle-focus.js")) : script);
    connect(service_.get(), &CompositorReportService::compositorCame, script_.get(),
            &KWinScriptLoader::load);
    // Without its script nothing on KDE says which window is in front: worth a line.
    connect(script_.get(), &KWinScriptLoader::failed, this,
            [](const QString& why) { SystemLog::write(QStringLiteral("Tarnwhistle: ") + why); });
    connect(service_.get(), &CompositorReportService::compositorGone, this,
            [this] { setAnswered(false); });
    if (service_->compositorPresent()) script_->load();
}

void CompositorSession::startGnome() {
    gnomeIdle_ = std::make_unique<GnomeIdleMonitor>();
    reportedClipboard_ = std::make_unique<ReportedClipboard>(*service_);
    extension_ = std::make_unique<GnomeShellExtension>();
    connect(extension_.get(), &GnomeShellExtension::answeredChanged, this,
            &CompositorSession::setAnswered);
    connect(service_.get(), &CompositorReportService::compositorCame, extension_.get(),
            &GnomeShellExtension::ask);
    connect(service_.get(), &CompositorReportService::compositorGone, this,
            [this] { setAnswered(false); });
    extension_->ask();
}

void CompositorSession::setAnswered(bool answered) {
    if (answered == answered_) return;
    answered_ = answered;
    emit helperAnsweredChanged(answered);
}

bool CompositorSession::helperAnswered() const {
    return answered_;
}

DesktopBackend CompositorSession::backend() const {
    DesktopBackend backend;
    backend.frontWindow = front_.get();
    backend.reader = reader_.get();
    backend.locks = locks_.get();
    if (compositor_ == Compositor::kwin) {
        if (waylandIdle_ && waylandIdle_->ok()) backend.idle = waylandIdle_.get();
        if (dataControl_ && dataControl_->ok()) backend.clipboard = dataControl_.get();
    } else {
        backend.idle = gnomeIdle_.get();
        backend.clipboard = reportedClipboard_.get();
    }
    return backend;
}

DesktopSession::Capabilities CompositorSession::capabilities() const {
    using C = DesktopSession::Capability;
    const DesktopBackend b = backend();
    DesktopSession::Capabilities available = C::frontWindow | C::lockSleep | C::textSample;
    if (b.idle) available |= C::idle;
    if (b.clipboard) available |= C::clipboardTypes;
    return available;
}

}  // namespace tarnwhistle
