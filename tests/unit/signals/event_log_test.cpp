#include <gtest/gtest.h>

#include <QSignalSpy>

#include "signals/event_log.h"

namespace {

TEST(EventLog, KeepsTheNewestThreeHundredNewestFirst) {
    EventLog log;
    QSignalSpy changed(&log, &EventLog::eventsChanged);
    for (int i = 0; i < 301; ++i) log.log(EventKind::click, QString::number(i));
    ASSERT_EQ(log.events().size(), 300u);
    EXPECT_EQ(log.events().front().detail, "300");
    EXPECT_EQ(log.events().back().detail, "1");  // entry "0" fell off the end
    EXPECT_GE(changed.count(), 301);
}

TEST(EventLog, EntriesOfTheSameInstantKeepTheirOrder) {
    EventLog log;
    log.log(EventKind::copyDetected, "text");
    log.log(EventKind::pasteDetected, "Mousepad");
    EXPECT_EQ(log.events()[0].kind, EventKind::pasteDetected);
    EXPECT_EQ(log.events()[1].kind, EventKind::copyDetected);
    EXPECT_NE(log.events()[0].id, log.events()[1].id);
}

TEST(EventKind, RawValuesAreDottedLowerCase) {
    ASSERT_EQ(allEventKinds().size(), 15u);
    EXPECT_EQ(rawValue(EventKind::appActivated), "app.activated");
    EXPECT_EQ(rawValue(EventKind::screenUnlocked), "screen.unlocked");
    EXPECT_EQ(rawValue(EventKind::heartbeat), "heartbeat");
}

}  // namespace
