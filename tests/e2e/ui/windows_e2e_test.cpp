// The agent's windows on the headless desktop: every window and every Settings pane as a
// picture under build/e2e/, a keyboard-only walk through Settings ending in Ctrl+S, and the
// Settings window's accessibility tree read back over the accessibility bus.
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "atspi_tree.h"
#include "desktop_driver.h"
#include "ui/activity_view.h"
#include "ui/settings_delivery_pane.h"
#include "ui/settings_model.h"
#include "ui/settings_view.h"
#include "ui/windows.h"
#include "ui_host.h"

namespace {

QString outputPath(const QString& name) {
    QDir().mkpath(QStringLiteral(E2E_OUTPUT_DIR));
    return QDir(QStringLiteral(E2E_OUTPUT_DIR)).filePath(name);
}

// The window with its frame, as it is on the screen.
bool capture(QWidget* window, const QString& name) {
    DesktopDriver::spin(300);  // let the window manager and the first paints settle
    const QRect frame = window->frameGeometry();
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(
        0, frame.x(), frame.y(), frame.width(), frame.height());
    return !picture.isNull() && picture.save(outputPath(name));
}

QWidget* openWindow(const QString& key) {
    if (!Windows::shared().open(key)) return nullptr;
    QWidget* w = Windows::shared().window(key);
    if (!QTest::qWaitForWindowExposed(w, 10000)) return nullptr;
    return w;
}

QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

bool key(const QString& keys) { return DesktopDriver::xdotool({QStringLiteral("key"), keys}); }

}  // namespace

class WindowsE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host = new UiHost;
        host->fillSampleData();
    }
    static void TearDownTestSuite() {
        for (const QString& key : {Windows::welcome, Windows::settings, Windows::activity})
            Windows::shared().close(key);
    }
    static UiHost* host;
};
UiHost* WindowsE2E::host = nullptr;

TEST_F(WindowsE2E, EveryWindowAndSettingsPaneAsAPicture) {
    QWidget* welcome = openWindow(Windows::welcome);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(welcome->windowTitle(), "Welcome to Tarnwhistle");
    EXPECT_TRUE(capture(welcome, QStringLiteral("ui-welcome.png")));
    Windows::shared().close(Windows::welcome);

    auto* activity = static_cast<ActivityView*>(openWindow(Windows::activity));
    ASSERT_NE(activity, nullptr);
    ASSERT_GE(activity->batches().size(), 5u);
    activity->select(activity->batches().at(1).batchId);
    EXPECT_TRUE(capture(activity, QStringLiteral("ui-activity-batches.png")));
    activity->setTab(1);
    EXPECT_TRUE(capture(activity, QStringLiteral("ui-activity-signals.png")));
    activity->setTab(2);
    EXPECT_TRUE(capture(activity, QStringLiteral("ui-activity-events.png")));
    Windows::shared().close(Windows::activity);

    auto* settings = static_cast<SettingsView*>(openWindow(Windows::settings));
    ASSERT_NE(settings, nullptr);
    const char* names[] = {"overview", "signals", "privacy", "categories",
                           "delivery", "identity", "general"};
    for (int i = 0; i < SettingsView::paneCount; ++i) {
        settings->showPane(SettingsView::Pane(i));
        EXPECT_TRUE(capture(settings, QStringLiteral("ui-settings-%1.png").arg(names[i])));
    }
    settings->model().choose(SettingsModel::Destination::custom);
    settings->showPane(SettingsView::Pane::delivery);
    auto* delivery = static_cast<SettingsDeliveryPane*>(settings->pane(SettingsView::Pane::delivery));
    QTest::keyClicks(delivery->addressField(), QStringLiteral("https://hooks.example.org/tarnwhistle"));
    EXPECT_TRUE(capture(settings, QStringLiteral("ui-settings-delivery-webhook.png")));
    settings->revert();
    settings->showPane(SettingsView::Pane::overview);
    Windows::shared().close(Windows::settings);
}

TEST_F(WindowsE2E, KeyboardOnlyThroughSettingsThenCtrlSSaves) {
    auto* settings = static_cast<SettingsView*>(openWindow(Windows::settings));
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(DesktopDriver::xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                                        QString::number(settings->winId())}));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return settings->isActiveWindow(); }));

    // Tab goes round every control of the pane shown, each with a name to speak.
    QList<QWidget*> seen;
    for (int i = 0; i < 60; ++i) {
        QWidget* before = QApplication::focusWidget();
        ASSERT_TRUE(key(QStringLiteral("Tab")));
        ASSERT_TRUE(DesktopDriver::waitUntil(
            [&] { return QApplication::focusWidget() && QApplication::focusWidget() != before; }));
        QWidget* focus = QApplication::focusWidget();
        if (seen.contains(focus)) break;
        seen.append(focus);
        EXPECT_FALSE(accessibleName(focus).isEmpty())
            << focus->metaObject()->className() << " has no name";
    }
    QStringList order;
    for (QWidget* w : seen) order << accessibleName(w);
    EXPECT_GE(seen.size(), 4) << order.join(u'|').toStdString();  // sections and 3 buttons

    // To Identity with the arrow keys, into the organisation field, type, Ctrl+S.
    QWidget* sidebar = nullptr;
    for (QWidget* w : seen)
        if (accessibleName(w) == QLatin1String("Sections")) sidebar = w;
    ASSERT_NE(sidebar, nullptr);
    while (QApplication::focusWidget() != sidebar) {
        ASSERT_TRUE(key(QStringLiteral("Tab")));
        DesktopDriver::spin(50);
    }
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(key(QStringLiteral("Down")));
    ASSERT_TRUE(DesktopDriver::waitUntil(
        [&] { return settings->section() == SettingsView::Pane::identity; }));
    ASSERT_TRUE(key(QStringLiteral("Tab")));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        return qobject_cast<QLineEdit*>(QApplication::focusWidget()) &&
               accessibleName(QApplication::focusWidget()) == QLatin1String("Organisation id");
    })) << "focus: " << (QApplication::focusWidget()
                             ? QApplication::focusWidget()->metaObject()->className()
                             : "none")
        << " " << accessibleName(QApplication::focusWidget()).toStdString();
    ASSERT_TRUE(key(QStringLiteral("ctrl+a")));
    ASSERT_TRUE(DesktopDriver::xdotool({QStringLiteral("type"), QStringLiteral("acme-keys")}));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return settings->model().dirty(); }));
    EXPECT_TRUE(capture(settings, QStringLiteral("ui-settings-keyboard-unsaved.png")));
    ASSERT_TRUE(key(QStringLiteral("ctrl+s")));
    EXPECT_TRUE(DesktopDriver::waitUntil(
        [&] { return host->configStore.config().orgId == QLatin1String("acme-keys"); }));
    EXPECT_FALSE(settings->model().dirty());
    Windows::shared().close(Windows::settings);
}

TEST_F(WindowsE2E, SettingsTreeOverTheAccessibilityBusNamesEveryControl) {
    QWidget* settings = openWindow(Windows::settings);
    ASSERT_NE(settings, nullptr);
    QStringList seen;
    const QList<AtspiTree::Node> nodes = AtspiTree::read(QCoreApplication::applicationName(),
                                                         QStringLiteral("Tarnwhistle"), 30000, &seen);
    ASSERT_FALSE(nodes.isEmpty()) << "the Settings window is not on the accessibility bus; seen: "
                                  << seen.join(u'|').toStdString();
    int controls = 0;
    QStringList unnamed;
    for (const AtspiTree::Node& node : nodes) {
        if (!AtspiTree::isControl(node.role)) continue;
        ++controls;
        if (node.name.trimmed().isEmpty()) unnamed << AtspiTree::roleName(node.role);
    }
    EXPECT_GE(controls, 60);
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QStringLiteral(", ")).toStdString();
    Windows::shared().close(Windows::settings);
}
