// The agent's windows on the headless desktop: every window and every Settings pane as a
// picture under build/e2e/ (to look at; nothing compares them), the Settings window's
// accessibility tree, and a keyboard-only walk through Settings ending in Ctrl+S.
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
#include "ui/settings_view.h"
#include "ui/window_definitions.h"
#include "ui/windows.h"
#include "ui_fixture.h"

namespace {

// The window with its frame, as it is on the screen, saved as build/e2e/ui-<name>.png.
bool capture(QWidget* window, const QString& name) {
    DesktopDriver::spin(300);  // let the window manager and the first paints settle
    const QRect frame = window->frameGeometry();
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(
        0, frame.x(), frame.y(), frame.width(), frame.height());
    QDir().mkpath(QStringLiteral(E2E_OUTPUT_DIR));
    return !picture.isNull() && picture.save(QStringLiteral(E2E_OUTPUT_DIR "/ui-%1.png").arg(name));
}

QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

bool key(const QString& keys) {
    return DesktopDriver::xdotool({QStringLiteral("key"), keys});
}

}  // namespace

// The windows over the unit tests' core objects, with batches in every delivery state, signals
// and a few noticed moments to show.
class WindowsE2E : public UiFixture {
  protected:
    void SetUp() override {
        UiFixture::SetUp();
        services.openWindow = [this](const QString& key) { windows.open(key); };
        services.runningApplications = [] {
            return QList<RunningApplication>{{101, "org.gnome.TextEditor", "Text Editor"},
                                             {102, "org.mozilla.firefox", "Firefox"}};
        };
        services.screenCaptureAllowed = [] { return true; };
        defineWindows(windows, services);
        for (const BatchStatus state :
             {BatchStatus::sent, BatchStatus::failed, BatchStatus::pending, BatchStatus::dropped}) {
            insertSignals(2);
            outbox.flush();  // no webhook: a local batch
            BatchRecord newest = std::ranges::max(store.recentBatches(10), {}, &BatchRecord::seq);
            newest.status = state;
            newest.lastError.reset();
            if (state == BatchStatus::failed)
                newest.lastError = QStringLiteral("Server replied 503");
            store.updateBatch(newest);
        }
        insertSignals(1);
        outbox.flush();
        insertSignals(2, QStringLiteral("activity.presence"));
        for (const EventKind kind :
             {EventKind::appActivated, EventKind::typingStarted, EventKind::copyDetected})
            eventLog.log(kind, QStringLiteral("Text Editor"));
        status.refresh();
    }

    QWidget* openWindow(const QString& key) {
        if (!windows.open(key)) return nullptr;
        QWidget* w = windows.window(key);
        return QTest::qWaitForWindowExposed(w, 10000) ? w : nullptr;
    }

    Windows windows;
};

TEST_F(WindowsE2E, EveryWindowAndSettingsPaneAsAPicture) {
    QWidget* welcome = openWindow(Windows::welcome);
    ASSERT_NE(welcome, nullptr);
    EXPECT_TRUE(capture(welcome, QStringLiteral("welcome")));
    windows.close(Windows::welcome);

    auto* activity = static_cast<ActivityView*>(openWindow(Windows::activity));
    ASSERT_NE(activity, nullptr);
    ASSERT_EQ(activity->batches().size(), 5u);
    activity->select(activity->batches().at(1).batchId);
    const char* tabs[] = {"batches", "signals", "events"};
    for (int tab = 0; tab < 3; ++tab) {
        activity->setTab(tab);
        EXPECT_TRUE(capture(activity, QStringLiteral("activity-") + tabs[tab]));
    }
    windows.close(Windows::activity);

    auto* settings = static_cast<SettingsView*>(openWindow(Windows::settings));
    ASSERT_NE(settings, nullptr);
    for (int i = 0; i < SettingsView::paneCount; ++i) {
        const auto pane = SettingsView::Pane(i);
        settings->showPane(pane);
        EXPECT_TRUE(capture(settings, "settings-" + SettingsView::info(pane).title.toLower()));
    }
}

// The accessibility tree the desktop's bridge publishes for the Settings window names every
// control a user operates; the keyboard alone reaches them.
TEST_F(WindowsE2E, SettingsNamesEveryControlAndWorksByKeyboardAlone) {
    auto* settings = static_cast<SettingsView*>(openWindow(Windows::settings));
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
    EXPECT_TRUE(capture(settings, QStringLiteral("settings-keyboard-unsaved")));
    ASSERT_TRUE(key(QStringLiteral("ctrl+s")));
    EXPECT_TRUE(DesktopDriver::waitUntil(
        [&] { return configStore.config().orgId == QLatin1String("acme-keys"); }));
    EXPECT_FALSE(settings->model().dirty());
}
