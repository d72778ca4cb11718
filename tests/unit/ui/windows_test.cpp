#include "ui/windows.h"

#include <gtest/gtest.h>
#include <QLabel>

#include "ui/status_pill.h"

TEST(Windows, OneWindowPerKeyReopenedAsItWas) {
    Windows windows;
    int built = 0;
    auto build = [&] {
        ++built;
        return new QLabel("view");
    };
    QWidget* first = windows.show("settings", "Tarnwhistle", QSize(900, 660), build);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->size(), QSize(900, 660));

    first->resize(700, 500);
    first->move(40, 30);
    const QRect before = first->geometry();
    windows.close("settings");
    EXPECT_FALSE(first->isVisible());

    // Showing again gives the same window, unchanged, even when asked with other values.
    QWidget* again = windows.show("settings", "Other", QSize(100, 100), build);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(again->windowTitle(), QStringLiteral("Tarnwhistle"));
    EXPECT_EQ(again->geometry(), before);

    // Another key is another window; unknown keys open nothing.
    EXPECT_FALSE(windows.open("welcome"));
    windows.define("welcome", {"Welcome to Tarnwhistle", QSize(640, 700), build});
    EXPECT_TRUE(windows.open("welcome"));
    EXPECT_TRUE(windows.open("welcome"));
    EXPECT_EQ(built, 2);
}

TEST(StatusPill, TitleIsItsAccessibleNameAndSizesToIt) {
    StatusPill pill;
    pill.setState("Connected", QColor(Qt::green));
    const int shortWidth = pill.sizeHint().width();
    EXPECT_EQ(pill.accessibleName(), "Connected");
    pill.setState("Delivery problem", QColor(Qt::red));
    EXPECT_GT(pill.sizeHint().width(), shortWidth);
}
