// The real core objects the windows show, over a temporary folder: configuration store, store,
// outbox (not started, no network watching) and event log.
#pragma once

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/event_log.h"
#include "signals/ulid.h"
#include "storage/store.h"

class UiFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
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

    void insertSignals(int count, const QString& type = QStringLiteral("app.focus")) {
        for (int i = 0; i < count; ++i) {
            clock += 1;
            store.insert(Signal{ULID::make(clock), type, 1,
                                JSONObject{{QStringLiteral("duration_s"), qint64(i)},
                                           {QStringLiteral("url"), "https://example.org/a/b"}}});
        }
    }

    QTemporaryDir dir;
    TimePoint clock = 1'733'500'000;
    Store store;
    ConfigStore configStore{dir.path()};
    Outbox outbox{store, configStore};
    EventLog eventLog;
};

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
