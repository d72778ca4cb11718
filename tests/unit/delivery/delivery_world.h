// A store, a configuration store and an outbox over a temporary folder, with a hand-driven
// clock and no network watching: what the delivery tests, the outage simulation and its bench
// all start from.
#pragma once

#include <QTemporaryDir>
#include <functional>

#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/ulid.h"
#include "storage/store.h"

struct DeliveryWorld {
    DeliveryWorld() {
        store.now = [this] { return clock; };
        store.open(dir.filePath(QStringLiteral("store.sqlite")));
        configStore.load();
        outbox.now = [this] { return clock; };
        outbox.userPrincipal = [] { return QStringLiteral("alex"); };
        outbox.watchNetwork = false;
    }

    void configure(const std::function<void(DeploymentConfig&)>& change) {
        DeploymentConfig config = configStore.config();
        change(config);
        configStore.save(config);
    }

    // Stores `count` signals, one clock millisecond apart, and returns their ids.
    QStringList insertSignals(int count, const QString& type = QStringLiteral("app.focus")) {
        QStringList ids;
        for (int i = 0; i < count; ++i) {
            clock += 0.001;
            Signal s{ULID::make(clock), type, 1,
                     JSONObject{{QStringLiteral("duration_s"), qint64(i)},
                                {QStringLiteral("url"), "https://example.org/a/b"}}};
            store.insert(s);
            ids.append(s.id);
        }
        return ids;
    }

    QTemporaryDir dir;
    TimePoint clock = 1'733'500'000;
    Store store;
    ConfigStore configStore{dir.path()};
    Outbox outbox{store, configStore};
};
