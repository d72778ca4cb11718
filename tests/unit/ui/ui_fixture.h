// The real core objects the windows show, over a temporary folder: the delivery tests' store,
// configuration store and outbox (not started, no network watching), plus an event log.
#pragma once

#include "../delivery/outbox_fixture.h"
#include "signals/event_log.h"

class UiFixture : public OutboxFixture {
protected:
    EventLog eventLog;
};
