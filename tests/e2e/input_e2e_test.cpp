// Keys, clicks, scrolls, copy and paste from real input (XTEST) into real applications.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QImage>

#include "capture_fixture.h"

namespace {
// Flips the desktop's accessibility switch (org.a11y.Status.IsEnabled).
bool switchAccessibility(bool on) {
    QDBusMessage set = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << "org.a11y.Status"
        << "IsEnabled" << QVariant::fromValue(QDBusVariant(on));
    return QDBusConnection::sessionBus().call(set).type() == QDBusMessage::ReplyMessage;
}
}  // namespace

TEST_F(CaptureOnDesktop, InputIsCountedWithTheAccessibilitySwitchOffAndTheSwitchIsFollowed) {
    // From a known state: the switch as the desktop starts it, on, and the answer in.
    ASSERT_TRUE(waitUntil([&] { return backend_->isAccessibilityTrusted(); }));
    ASSERT_TRUE(switchAccessibility(false));
    const auto restore = qScopeGuard([] { switchAccessibility(true); });
    ASSERT_TRUE(waitUntil([&] { return !backend_->isAccessibilityTrusted(); }));
    App editor = mousepad();
    ASSERT_TRUE(startWith(editor));
    // Counting input needs the input extension only, not the switch.
    ASSERT_TRUE(capture_->inputMonitorInstalled());

    xdotool({"type", "--delay", "30", "hello world"});
    xdotool({"key", "BackSpace"});
    xdotool({"key", "ctrl+v"});
    xdotool({"mousemove", "--window", editor.windowArg(), "200", "200", "click", "1", "click", "4",
             "click", "5"});
    // 11 letters, BackSpace and V; Control alone is no key press. (The paste itself is the
    // handover test's.)
    ASSERT_TRUE(waitUntil([&] { return engine_.bucketKeys == 13; })) << engine_.bucketKeys;
    ASSERT_TRUE(waitUntil([&] { return engine_.bucketClicks == 1; })) << engine_.bucketClicks;
    EXPECT_EQ(engine_.bucketScrolls, 1);  // one gesture
    EXPECT_EQ(engine_.burstBackspaces, 1);

    ASSERT_TRUE(switchAccessibility(true));
    EXPECT_TRUE(waitUntil([&] { return backend_->isAccessibilityTrusted(); }));
}

TEST_F(CaptureOnDesktop, CopyInOneAppAndPasteInAnotherIsAHandoverOfTextOrImage) {
    App editor = mousepad();
    App qt = qtWindow("Target", "Paste here");
    ASSERT_TRUE(qt.started() && startWith(editor));
    // A file of each kind, put on the clipboard by xclip while mousepad is in front (so the copy
    // counts for mousepad), then pasted in the Qt window.
    QFile words(dir_.filePath("words.txt"));
    ASSERT_TRUE(words.open(QIODevice::WriteOnly) && words.write("handover words") > 0);
    words.close();
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir_.filePath("picture.png")));
    const std::tuple<const char*, const char*, QString> copies[] = {
        {"UTF8_STRING", "words.txt", "text"}, {"image/png", "picture.png", "image"}};
    for (const auto& [type, file, kind] : copies) {
        ASSERT_TRUE(editor.activate() && inFront(mousepadId)) << type;
        DesktopDriver::run("xclip",
                           {"-selection", "clipboard", "-t", type, "-i", dir_.filePath(file)});
        ASSERT_TRUE(waitUntil([&] { return engine_.lastCopy && engine_.lastCopy->type == kind; }))
            << type;
        EXPECT_EQ(engine_.lastCopy->bundle, mousepadId);
        ASSERT_TRUE(qt.activate() && inFront(qtWindowId));
        const size_t before = signalsOf("handover").size();
        xdotool({"key", "ctrl+v"});
        ASSERT_TRUE(made("handover", before + 1));
        const Signal handover = signalsOf("handover").back();
        EXPECT_EQ(text(handover, "from_bundle_id"), mousepadId);
        EXPECT_EQ(text(handover, "to_bundle_id"), qtWindowId);
        EXPECT_EQ(text(handover, "payload_type"), kind);
    }
}
