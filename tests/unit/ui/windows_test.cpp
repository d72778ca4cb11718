#include "ui/windows.h"

#include <gtest/gtest.h>
#include <QLabel>

#include "ui/status_pill.h"

TEST(Windows, OneWindowPerKeyReopenedAsItWas) {
    Windows windows;
    int built = 0;
    auto build = [&] {
        ++built;
        return new QLabel(QStringLiteral("view"));
    };
    QWidget* first = windows.show(QStringLiteral("settings"), QStringLiteral("Tarnwhistle"),
                                  QSize(900, 660), build);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Tarnwhistle"));
    EXPECT_EQ(first->size(), QSize(900, 660));

    first->resize(700, 500);
    first->move(40, 30);
    const QRect before = first->geometry();
    windows.close(QStringLiteral("settings"));
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(windows.window(QStringLiteral("settings")), first);

    // Showing again gives the same window, unchanged, even when asked with other values.
    QWidget* again =
        windows.show(QStringLiteral("settings"), QStringLiteral("Other"), QSize(100, 100), build);
    EXPECT_EQ(again, first);
    EXPECT_EQ(built, 1);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(again->windowTitle(), QStringLiteral("Tarnwhistle"));
    EXPECT_EQ(again->geometry(), before);

    // Another key is another window; unknown keys open nothing.
    EXPECT_FALSE(windows.open(QStringLiteral("welcome")));
    windows.define(QStringLiteral("welcome"),
                   {QStringLiteral("Welcome to Tarnwhistle"), QSize(640, 700), build});
    EXPECT_TRUE(windows.open(QStringLiteral("welcome")));
    EXPECT_TRUE(windows.open(QStringLiteral("welcome")));
    EXPECT_EQ(built, 2);
    EXPECT_NE(windows.window(QStringLiteral("welcome")), first);
}

TEST(StatusPill, TitleIsItsAccessibleNameAndSizesToIt) {
    StatusPill pill;
    pill.setState(QStringLiteral("Connected"), QColor(Qt::green));
    const int shortWidth = pill.sizeHint().width();
    EXPECT_EQ(pill.accessibleName(), QStringLiteral("Connected"));
    pill.setState(QStringLiteral("Delivery problem"), QColor(Qt::red));
    EXPECT_GT(pill.sizeHint().width(), shortWidth);
}
