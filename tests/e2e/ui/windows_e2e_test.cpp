// The agent's windows on the headless desktop: every window and every Settings pane as a
// picture under build/e2e/, a keyboard-only walk through Settings ending in Ctrl+S, and the
// Settings window's accessibility tree.
#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <functional>
#include <set>

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

bool key(const QString& keys) {
    return DesktopDriver::xdotool({QStringLiteral("key"), keys});
}

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
    const char* names[] = {"overview", "signals",  "privacy", "categories",
                           "delivery", "identity", "general"};
    for (int i = 0; i < SettingsView::paneCount; ++i) {
        settings->showPane(SettingsView::Pane(i));
        EXPECT_TRUE(capture(settings, QStringLiteral("ui-settings-%1.png").arg(names[i])));
    }
    settings->model().choose(SettingsModel::Destination::custom);
    settings->showPane(SettingsView::Pane::delivery);
    auto* delivery =
        static_cast<SettingsDeliveryPane*>(settings->pane(SettingsView::Pane::delivery));
    QTest::keyClicks(delivery->addressField(),
                     QStringLiteral("https://hooks.example.org/tarnwhistle"));
    EXPECT_TRUE(capture(settings, QStringLiteral("ui-settings-delivery-webhook.png")));
    settings->model().revert();
    settings->showPane(SettingsView::Pane::overview);
    Windows::shared().close(Windows::settings);
}

// With a dark desktop palette the windows take their colours from it.
TEST_F(WindowsE2E, DarkThemePictures) {
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(55, 57, 62), QColor(40, 42, 46));  // button, window; the rest follows
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    QApplication::setPalette(dark);
    {
        SettingsView settings(host->services);
        settings.resize(900, 660);
        settings.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings));
        for (SettingsView::Pane pane :
             {SettingsView::Pane::overview, SettingsView::Pane::delivery}) {
            settings.showPane(pane);
            EXPECT_TRUE(capture(&settings, QStringLiteral("ui-dark-settings-%1.png")
                                               .arg(SettingsView::info(pane).title.toLower())));
        }
        ActivityView activity(host->store, *host->outbox, host->eventLog);
        activity.resize(960, 640);
        activity.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&activity));
        activity.select(activity.batches().at(0).batchId);
        EXPECT_TRUE(capture(&activity, QStringLiteral("ui-dark-activity.png")));
    }
    QApplication::setPalette(light);
}

TEST_F(WindowsE2E, KeyboardOnlyThroughSettingsThenCtrlSSaves) {
    auto* settings = static_cast<SettingsView*>(openWindow(Windows::settings));
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(DesktopDriver::xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                                        QString::number(settings->winId())}));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return settings->isActiveWindow(); }));

    // Tab goes round the pane's controls, each with a name to speak, to the sections list.
    QWidget* sidebar = nullptr;
    for (int i = 0; i < 60 && !sidebar; ++i) {
        QWidget* before = QApplication::focusWidget();
        ASSERT_TRUE(key(QStringLiteral("Tab")));
        ASSERT_TRUE(DesktopDriver::waitUntil(
            [&] { return QApplication::focusWidget() && QApplication::focusWidget() != before; }));
        QWidget* focus = QApplication::focusWidget();
        EXPECT_FALSE(accessibleName(focus).isEmpty()) << focus->metaObject()->className();
        if (accessibleName(focus) == QLatin1String("Sections")) sidebar = focus;
    }
    ASSERT_NE(sidebar, nullptr);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(key(QStringLiteral("Down")));
    ASSERT_TRUE(DesktopDriver::waitUntil(
        [&] { return settings->section() == SettingsView::Pane::identity; }));
    ASSERT_TRUE(key(QStringLiteral("Tab")));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        return qobject_cast<QLineEdit*>(QApplication::focusWidget()) &&
               accessibleName(QApplication::focusWidget()) == QLatin1String("Organisation id");
    })) << "focus: "
        << accessibleName(QApplication::focusWidget()).toStdString();
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

// The accessibility tree the desktop's bridge publishes for the Settings window: every control a
// user operates has a name to speak.
TEST_F(WindowsE2E, SettingsAccessibilityTreeNamesEveryControl) {
    QWidget* settings = openWindow(Windows::settings);
    ASSERT_NE(settings, nullptr);
    const std::set<QAccessible::Role> controlRoles = {
        QAccessible::CheckBox,    QAccessible::ComboBox,     QAccessible::List,
        QAccessible::PageTab,     QAccessible::EditableText, QAccessible::Button,
        QAccessible::RadioButton, QAccessible::Slider,       QAccessible::SpinBox};
    int controls = 0;
    QStringList unnamed;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        if (!node) return;
        if (controlRoles.count(node->role())) {
            ++controls;
            if (node->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << QString::fromLatin1(node->object()->metaObject()->className());
        }
        for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(settings));
    EXPECT_GE(controls, 60);
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QStringLiteral(", ")).toStdString();
    Windows::shared().close(Windows::settings);
}
