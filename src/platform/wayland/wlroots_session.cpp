#include "platform/wayland/wlroots_session.h"

#include "platform/linux/dbus_lock_source.h"
#include "platform/linux/desktop_file_index.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_idle.h"
#include "platform/wayland/wlroots_clipboard.h"
#include "platform/wayland/wlroots_toplevels.h"
#include "platform/wayland/wlroots_window_reader.h"

namespace tarnwhistle {

std::unique_ptr<WlrootsSession> WlrootsSession::connect(const QByteArray& display,
                                                        const QString& ownAppId, qint64 ownPid) {
    auto connection = std::make_unique<WaylandConnection>(display);
    if (!connection->ok() ||
        !connection->offers(QStringLiteral("zwlr_foreign_toplevel_manager_v1")))
        return nullptr;
    return std::unique_ptr<WlrootsSession>(
        new WlrootsSession(std::move(connection), ownAppId, ownPid));
}

WlrootsSession::WlrootsSession(std::unique_ptr<WaylandConnection> connection,
                               const QString& ownAppId, qint64 ownPid)
    : connection_(std::move(connection)),
      index_(std::make_unique<DesktopFileIndex>()),
      toplevels_(std::make_unique<WlrootsToplevels>(*connection_, *index_, ownAppId, ownPid)),
      clipboard_(std::make_unique<WlrootsClipboard>(*connection_)),
      idle_(std::make_unique<WaylandIdle>(*connection_)),
      reader_(std::make_unique<WlrootsWindowReader>(*toplevels_)),
      locks_(std::make_unique<DBusLockSource>()),
      clipboardOffered_(clipboard_->ok()),
      idleOffered_(idle_->ok()) {}

WlrootsSession::~WlrootsSession() = default;

DesktopBackend WlrootsSession::backend() const {
    DesktopBackend backend;
    backend.frontWindow = toplevels_.get();
    backend.reader = reader_.get();
    backend.locks = locks_.get();
    if (clipboardOffered_) backend.clipboard = clipboard_.get();
    if (idleOffered_) backend.idle = idle_.get();
    return backend;
}

DesktopSession::Capabilities WlrootsSession::capabilities() const {
    using C = DesktopSession::Capability;
    using Capabilities = DesktopSession::Capabilities;
    Capabilities available = DesktopSession::capabilities(DesktopSession::Kind::wlroots);
    if (!clipboardOffered_) available &= ~Capabilities(C::clipboardTypes);
    if (!idleOffered_) available &= ~Capabilities(C::idle);
    return available;
}

}  // namespace tarnwhistle
