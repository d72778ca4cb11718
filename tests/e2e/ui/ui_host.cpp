#include "ui_host.h"

#include <algorithm>

#include "signals/ulid.h"
#include "ui/window_definitions.h"
#include "ui/windows.h"

UiHost::UiHost() {
    store.open(dir.filePath(QStringLiteral("store.sqlite")));
    configStore.load();
    outbox = std::make_unique<Outbox>(store, configStore);
    outbox->userPrincipal = [] { return QStringLiteral("alex"); };
    outbox->watchNetwork = false;
    status = std::make_unique<AppStatus>(configStore, store, *outbox, [] { return true; });
    status->refresh();

    services.configStore = &configStore;
    services.store = &store;
    services.outbox = outbox.get();
    services.eventLog = &eventLog;
    services.status = status.get();
    services.loginName = QStringLiteral("alex");
    services.openWindow = [](const QString& key) { Windows::shared().open(key); };
    services.openUrl = [this](const QUrl& url) { openedUrls << url.toString(); };
    services.runningApplications = [] {
        return QList<RunningApplication>{{101, "org.gnome.TextEditor", "Text Editor"},
                                         {102, "org.mozilla.firefox", "Firefox"}};
    };
    services.screenCaptureAllowed = [] { return true; };
    services.dashboardUrl = QUrl(QStringLiteral("https://tarnwhistle.app/app/"));
    services.docsUrl = QUrl(QStringLiteral("https://tarnwhistle.app/docs/"));
    services.deliveryDocsUrl = QUrl(QStringLiteral("https://tarnwhistle.app/docs/delivery"));
    defineWindows(Windows::shared(), services);
}

UiHost::~UiHost() {
    store.close();
}

void UiHost::fillSampleData() {
    const TimePoint now = Time::now();
    auto add = [&](const QString& type, JSONObject fields, double ago) {
        store.insert(Signal{ULID::make(now - ago), type, 1, std::move(fields)});
    };
    const char* statuses[] = {"sent", "failed", "pending", "dropped", "local"};
    for (int i = 0; i < 5; ++i) {
        add(QStringLiteral("app.focus"),
            {{"app", "org.gnome.TextEditor"}, {"duration_s", qint64(40 + i)}}, 600 - i * 100);
        add(QStringLiteral("window.context"),
            {{"title_hash", "th_3f2a9c0d11aa22bb"}, {"url", "https://example.org/a/b"}},
            590 - i * 100);
        outbox->flush();
        // The batch just built: the one with the highest sequence number.
        std::vector<BatchRecord> batches = store.recentBatches(10);
        if (batches.empty()) continue;
        BatchRecord b = *std::max_element(
            batches.begin(), batches.end(),
            [](const BatchRecord& x, const BatchRecord& y) { return x.seq < y.seq; });
        b.status = *batchStatusFromRawValue(QString::fromUtf8(statuses[i]));
        b.lastError.reset();
        if (b.status == BatchStatus::failed)
            b.lastError = QStringLiteral("Server replied 503: busy");
        if (b.status == BatchStatus::local)
            b.lastError = QStringLiteral("No webhook address set; kept on this computer only.");
        store.updateBatch(b);
    }
    add(QStringLiteral("activity.presence"), {{"state", "active"}}, 30);
    add(QStringLiteral("app.switch"),
        {{"from", "org.gnome.TextEditor"}, {"to", "org.mozilla.firefox"}}, 20);
    eventLog.log(EventKind::appActivated, QStringLiteral("Text Editor"));
    eventLog.log(EventKind::typingStarted, QStringLiteral("Text Editor"));
    eventLog.log(EventKind::copyDetected, QStringLiteral("text"));
    eventLog.log(EventKind::appActivated, QStringLiteral("Firefox"));
    eventLog.log(EventKind::urlChanged, QStringLiteral("example.org"));
    eventLog.log(EventKind::heartbeat);
    status->refresh();
}
