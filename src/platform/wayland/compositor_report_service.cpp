#include "platform/wayland/compositor_report_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>

namespace tarnwhistle {

CompositorReportService::CompositorReportService(const QString& compositorName,
                                                 const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus), compositorName_(compositorName) {}

CompositorReportService::~CompositorReportService() {
    if (registered_) bus_.unregisterObject(QLatin1String(objectPath));
}

bool CompositorReportService::start() {
    if (registered_) return true;
    if (!bus_.isConnected() || !bus_.interface()) return false;
    // Watched before the first look, so an owner change in between is not missed; the bus
    // delivers the change before any call the new owner makes.
    watcher_ = new QDBusServiceWatcher(compositorName_, bus_,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                const bool was = !owner_.isEmpty();
                owner_ = owner;
                if (was) emit compositorGone();
                if (!owner.isEmpty()) emit compositorCame();
            });
    owner_ = bus_.interface()->serviceOwner(compositorName_).value();
    if (!bus_.registerObject(QLatin1String(objectPath), this,
                             QDBusConnection::ExportScriptableSlots))
        return false;
    registered_ = true;
    const QString name = QLatin1String(serviceName);
    if (bus_.interface()->serviceOwner(name).value() == bus_.baseService()) return true;
    const auto reply =
        bus_.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

bool CompositorReportService::fromCompositor() {
    if (!calledFromDBus()) return true;  // a direct call within the process
    if (!owner_.isEmpty() && message().service() == owner_) return true;
    sendErrorReply(QDBusError::AccessDenied,
                   QStringLiteral("Only %1 reports windows here").arg(compositorName_));
    return false;
}

void CompositorReportService::WindowActivated(const QString& desktopId, const QString& windowClass,
                                              const QString& title, int pid) {
    if (!fromCompositor()) return;
    // What a helper hands on is bounded: an endless title or a bogus pid go no further.
    emit windowReported(ReportedWindow{desktopId.left(maxTitle), windowClass.left(maxTitle),
                                       title.left(maxTitle), pid > 0 ? pid : 0});
}

void CompositorReportService::NoWindow() {
    if (fromCompositor()) emit noWindowReported();
}

void CompositorReportService::ClipboardChanged(const QStringList& mimeTypes) {
    if (!fromCompositor()) return;
    QStringList types;
    for (const QString& type : mimeTypes) {
        if (types.size() == maxTypes) break;
        types << type.left(maxTypeLength);
    }
    emit clipboardReported(types);
}

}  // namespace tarnwhistle
