// Keys, clicks, scrolls, copy and paste from real input (XTEST) into real applications.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QScopeGuard>
#include <QImage>
#include <QTemporaryDir>

#include "capture_fixture.h"

using DesktopDriver::App;
using DesktopDriver::xdotool;

namespace {
// Flips the desktop's accessibility switch (org.a11y.Status.IsEnabled).
bool switchAccessibility(bool on) {
    QDBusMessage set = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
        << QVariant::fromValue(QDBusVariant(on));
    return QDBusConnection::sessionBus().call(set).type() == QDBusMessage::ReplyMessage;
}
}  // namespace

TEST_F(CaptureOnDesktop, KeysClicksScrollsAndPasteAreCounted) {
    App editor = mousepad();
    ASSERT_TRUE(startWith(editor));
    ASSERT_TRUE(capture_->inputMonitorInstalled());

    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"),
             QStringLiteral("hello world")});
    xdotool({QStringLiteral("key"), QStringLiteral("BackSpace")});
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+v")});
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), editor.windowArg(),
             QStringLiteral("200"), QStringLiteral("200"), QStringLiteral("click"),
             QStringLiteral("1"), QStringLiteral("click"), QStringLiteral("4"),
             QStringLiteral("click"), QStringLiteral("5")});
    // 11 letters, BackSpace and V; Control alone is no key press.
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->bucketKeys == 13; }))
        << engine_->bucketKeys;
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->bucketClicks == 1; }))
        << engine_->bucketClicks;
    EXPECT_EQ(engine_->bucketScrolls, 1);  // one gesture
    EXPECT_TRUE(logged(EventKind::pasteDetected));
    EXPECT_EQ(engine_->burstBackspaces, 1);

    capture_->stop(QStringLiteral("quit"));
    const auto intensity = signalsOf(QStringLiteral("activity.intensity"));
    ASSERT_EQ(intensity.size(), 1u);
    EXPECT_EQ(integer(intensity[0], QStringLiteral("keystrokes")), 13);
    EXPECT_EQ(integer(intensity[0], QStringLiteral("clicks")), 1);
    EXPECT_EQ(integer(intensity[0], QStringLiteral("scroll_events")), 1);
    EXPECT_EQ(signalsOf(QStringLiteral("input.pattern")).size(), 1u);
}

TEST_F(CaptureOnDesktop, CopyInOneAppAndPasteInAnotherIsAHandoverOfTextOrImage) {
    App editor = mousepad();
    App qt = qtWindow(QStringLiteral("Target"), QStringLiteral("Paste here"));
    ASSERT_TRUE(qt.started() && startWith(editor));

    // xclip takes the clipboard while mousepad is in front: the copy counts for mousepad.
    QTemporaryDir dir;
    const auto copy = [](const QString& type, const QString& file) {
        DesktopDriver::run(QStringLiteral("xclip"),
                           {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                            QStringLiteral("-t"), type, QStringLiteral("-i"), file});
    };
    const QString words = dir.filePath(QStringLiteral("words.txt"));
    QFile file(words);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("handover words");
    file.close();
    copy(QStringLiteral("UTF8_STRING"), words);
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->lastCopy.has_value(); }));
    EXPECT_EQ(engine_->lastCopy->type, QStringLiteral("text"));
    EXPECT_EQ(engine_->lastCopy->bundle, mousepadId);
    ASSERT_TRUE(qt.activate() && inFront(qtWindowId));
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+v")});
    ASSERT_TRUE(waitForSignal(QStringLiteral("handover")))
        << "paste seen " << logged(EventKind::pasteDetected);
    Signal handover = signalsOf(QStringLiteral("handover")).back();
    EXPECT_EQ(text(handover, QStringLiteral("from_bundle_id")), mousepadId);
    EXPECT_EQ(text(handover, QStringLiteral("to_bundle_id")), qtWindowId);
    EXPECT_EQ(text(handover, QStringLiteral("payload_type")), QStringLiteral("text"));

    // An image put on the clipboard while mousepad is in front.
    const QString png = dir.filePath(QStringLiteral("picture.png"));
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(png));
    ASSERT_TRUE(editor.activate() && inFront(mousepadId));
    copy(QStringLiteral("image/png"), png);
    ASSERT_TRUE(DesktopDriver::waitUntil(
        [&] { return engine_->lastCopy && engine_->lastCopy->type == QStringLiteral("image"); }));
    ASSERT_TRUE(qt.activate() && inFront(qtWindowId));
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+v")});
    ASSERT_TRUE(DesktopDriver::waitUntil(
        [&] { return signalsOf(QStringLiteral("handover")).size() == 2; }));
    handover = signalsOf(QStringLiteral("handover")).back();
    EXPECT_EQ(text(handover, QStringLiteral("payload_type")), QStringLiteral("image"));
    EXPECT_EQ(text(handover, QStringLiteral("from_bundle_id")), mousepadId);
}

TEST_F(CaptureOnDesktop, KeysInAFocusedPasswordFieldAreNotCounted) {
    App form = zenityForm();
    ASSERT_TRUE(startWith(form));
    ASSERT_TRUE(capture_->inputMonitorInstalled());
    xdotool({QStringLiteral("key"), QStringLiteral("a")});
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->bucketKeys > 0; }));
    xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
    // Once a window poll has seen the focused password field, keys stop counting.
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        const qint64 before = engine_->bucketKeys;
        xdotool({QStringLiteral("key"), QStringLiteral("x")});
        DesktopDriver::spin(200);
        return engine_->bucketKeys == before;
    }));
    const qint64 atPassword = engine_->bucketKeys;
    xdotool({QStringLiteral("type"), QStringLiteral("hunter2")});
    DesktopDriver::spin(500);
    EXPECT_EQ(engine_->bucketKeys, atPassword);

    // Back in the plain entry they count again.
    xdotool({QStringLiteral("key"), QStringLiteral("shift+Tab")});
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        const qint64 before = engine_->bucketKeys;
        xdotool({QStringLiteral("key"), QStringLiteral("y")});
        DesktopDriver::spin(200);
        return engine_->bucketKeys > before;
    }));
}

TEST_F(CaptureOnDesktop, InputIsCountedWithTheAccessibilitySwitchOffAndTheSwitchIsFollowed) {
    // From a known state: the switch as the desktop starts it, on, and the answer in.
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return backend_->isAccessibilityTrusted(); }));
    ASSERT_TRUE(switchAccessibility(false));
    const auto restore = qScopeGuard([] { switchAccessibility(true); });
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return !backend_->isAccessibilityTrusted(); }));
    App editor = mousepad();
    ASSERT_TRUE(startWith(editor));
    // Counting keys needs the input extension only, not the switch.
    ASSERT_TRUE(capture_->inputMonitorInstalled());
    xdotool({QStringLiteral("type"), QStringLiteral("ab")});
    EXPECT_TRUE(DesktopDriver::waitUntil([&] { return engine_->bucketKeys == 2; }))
        << engine_->bucketKeys;

    ASSERT_TRUE(switchAccessibility(true));
    EXPECT_TRUE(DesktopDriver::waitUntil([&] { return backend_->isAccessibilityTrusted(); }));
}
