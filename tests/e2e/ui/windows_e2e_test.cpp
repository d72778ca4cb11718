// The Settings window on the headless desktop: every pane as a picture under build/e2e/ (to look
// at; nothing compares them), its accessibility tree, and a keyboard-only walk ending in Ctrl+S.
#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <set>

#include "desktop_driver.h"
#include "ui/settings_view.h"
#include "ui/window_definitions.h"
#include "ui/windows.h"
#include "ui_fixture.h"

namespace {

// The screen with the window on it, saved as build/e2e/ui-<name>.png.
bool capture(const QString& name) {
    DesktopDriver::spin(300);  // let the window manager and the first paints settle
    QDir().mkpath(QStringLiteral(E2E_OUTPUT_DIR));
    return DesktopDriver::screenshot(QStringLiteral(E2E_OUTPUT_DIR "/ui-%1.png").arg(name));
}

QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

}  // namespace

// The windows over the unit tests' core objects.
class WindowsE2E : public UiFixture {
  protected:
    void SetUp() override {
        UiFixture::SetUp();
        defineWindows(windows, services);
    }

    Windows windows;
};

// Every Settings pane as a picture. The accessibility tree the desktop's bridge publishes for the
// window names every control a user operates; the keyboard alone reaches them.
TEST_F(WindowsE2E, SettingsNamesEveryControlAndWorksByKeyboardAlone) {
    ASSERT_TRUE(windows.open(Windows::settings));
    auto* settings = static_cast<SettingsView*>(windows.window(Windows::settings));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(settings, 10000));
    for (int i = 0; i < SettingsView::paneCount; ++i) {
        const auto pane = SettingsView::Pane(i);
        settings->showPane(pane);
        EXPECT_TRUE(capture("settings-" + SettingsView::info(pane).title.toLower()));
    }
    settings->showPane(SettingsView::Pane::overview);
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

    // Tab goes round the pane's controls to the sections list.
    QWidget* sidebar = nullptr;
    for (int i = 0; i < 60 && !sidebar; ++i) {
        QWidget* before = QApplication::focusWidget();
        ASSERT_TRUE(DesktopDriver::xdotool({"key", "Tab"}));
        ASSERT_TRUE(DesktopDriver::waitUntil(
            [&] { return QApplication::focusWidget() && QApplication::focusWidget() != before; }));
        if (accessibleName(QApplication::focusWidget()) == QLatin1String("Sections"))
            sidebar = QApplication::focusWidget();
    }
    ASSERT_NE(sidebar, nullptr);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(DesktopDriver::xdotool({"key", "Down"}));
    ASSERT_TRUE(DesktopDriver::waitUntil(
        [&] { return settings->section() == SettingsView::Pane::identity; }));
    ASSERT_TRUE(DesktopDriver::xdotool({"key", "Tab"}));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        return qobject_cast<QLineEdit*>(QApplication::focusWidget()) &&
               accessibleName(QApplication::focusWidget()) == QLatin1String("Organisation id");
    })) << "focus: "
        << accessibleName(QApplication::focusWidget()).toStdString();
    ASSERT_TRUE(DesktopDriver::xdotool({"key", "ctrl+a"}));
    ASSERT_TRUE(DesktopDriver::xdotool({QStringLiteral("type"), QStringLiteral("acme-keys")}));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return settings->model().dirty(); }));
    EXPECT_TRUE(capture(QStringLiteral("settings-keyboard-unsaved")));
    ASSERT_TRUE(DesktopDriver::xdotool({"key", "ctrl+s"}));
    EXPECT_TRUE(DesktopDriver::waitUntil(
        [&] { return configStore.config().orgId == QLatin1String("acme-keys"); }));
    EXPECT_FALSE(settings->model().dirty());
}
