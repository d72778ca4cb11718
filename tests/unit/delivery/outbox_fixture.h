// The delivery world as a test fixture. Shared by the delivery unit and integration tests and
// the windows' tests.
#pragma once

#include <gtest/gtest.h>
#include <QTest>

#include "delivery_world.h"
#include "qt_printers.h"

class OutboxFixture : public ::testing::Test, public DeliveryWorld {
  protected:
    void SetUp() override { ASSERT_TRUE(store.isOpen()); }

    // Runs the event loop until every request in flight has its outcome stored.
    void waitUntilIdle() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return outbox.sending().isEmpty(); }, 60'000));
    }
};
