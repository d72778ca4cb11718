// The agent's windows over real core objects in a temporary folder, with a day's worth of
// signals, batches in every delivery state and a few noticed moments, as the windows show them
// on the headless desktop.
#pragma once

#include <QTemporaryDir>
#include <memory>

#include "app/app_status.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/event_log.h"
#include "storage/store.h"
#include "ui/ui_services.h"

class UiHost {
public:
    UiHost();
    ~UiHost();

    // Signals, batches (sent, retrying, sending, dropped, local) and events.
    void fillSampleData();

    QTemporaryDir dir;
    ConfigStore configStore{dir.path()};
    Store store;
    std::unique_ptr<Outbox> outbox;
    EventLog eventLog;
    std::unique_ptr<AppStatus> status;
    UiServices services;
    QStringList openedUrls;
};
