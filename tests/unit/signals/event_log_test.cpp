#include <gtest/gtest.h>

#include <QSignalSpy>

#include "signals/event_log.h"

namespace {

TEST(EventLog, KeepsTheNewestNewestFirstAndNotifiesOncePerMoment) {
    EventLog log;
    for (int i = 0; i < EventLog::cap; ++i) log.log(EventKind::click, QString::number(i));
    QSignalSpy changed(&log, &EventLog::eventsChanged);
    log.log(EventKind::copyDetected, "text");  // full: the oldest falls off
    log.log(EventKind::pasteDetected, "Mousepad");
    EXPECT_EQ(changed.count(), 2);
    ASSERT_EQ(int(log.events().size()), EventLog::cap);
    EXPECT_EQ(log.events()[0].kind, EventKind::pasteDetected);
    EXPECT_EQ(log.events()[1].kind, EventKind::copyDetected);
    EXPECT_NE(log.events()[0].id, log.events()[1].id);
    EXPECT_EQ(log.events().back().detail, "2");  // "0" and "1" fell off the end
}

}  // namespace
