// Capture on a Wayland compositor: the applications are started as native Wayland clients,
// and nothing the agent makes may carry what a test put on the clipboard.
#pragma once

#include <QProcess>

#include "recording_capture.h"

inline const QString canary = QStringLiteral("canary-51c0de-never-leaves-the-clipboard");

class WaylandCapture : public RecordingCapture {
  protected:
    void SetUp() override {
        RecordingCapture::SetUp();
        config_.idleThresholdSeconds = 3600;
        // What the test starts speaks Wayland (this process is past choosing).
        qputenv("QT_QPA_PLATFORM", "wayland");
        qputenv("GDK_BACKEND", "wayland");
    }
    void TearDown() override {
        RecordingCapture::TearDown();
        // Nothing the agent made, up to its last flush, carries the clipboard's contents.
        for (const Signal& s : recorded_)
            EXPECT_FALSE(s.jsonString().contains(canary)) << s.type.toStdString();
        for (const LocalEvent& e : events_.events()) EXPECT_FALSE(e.detail.contains(canary));
        for (auto& app : apps_) {
            app->kill();
            app->waitForFinished(5000);
        }
    }
    // Started as a native Wayland client.
    QProcess& launch(const QString& program, const QStringList& arguments) {
        apps_.push_back(std::make_unique<QProcess>());
        apps_.back()->start(program, arguments);
        return *apps_.back();
    }

    // Asks for the window until its application is in front (a window just started may not be
    // there yet, or may not take the focus by itself).
    bool bringToFront(const QString& title, const QString& bundleId) {
        return waitUntil([&] {
            activate_(title);
            return inFront(bundleId, 1000);
        });
    }

    // Two windows switched give focus periods and switches with their ids and dwell; a new
    // title is a new window context. Leaves the Qt window, titled "Budget review", in front.
    void checkFocusSwitchAndTitle() {
        launch("zenity", {"--info", "--title=Notice", "--text=Hello"});
        ASSERT_TRUE(bringToFront("Notice", "zenity"));
        advance(30);
        QProcess& window = launch(E2E_QT_WINDOW, {"Quarterly plan", "Plan text"});
        ASSERT_TRUE(bringToFront("Quarterly plan", qtWindowId));
        advance(20);
        ASSERT_TRUE(bringToFront("Notice", "zenity"));
        // The switch back has the window left and the time in it: the skew plus the moment the
        // switch took.
        const auto switches = signalsOf("app.switch");
        ASSERT_EQ(switches.size(), 2u);
        EXPECT_EQ(text(switches[1], "from_bundle_id"), qtWindowId);
        EXPECT_EQ(text(switches[1], "to_bundle_id"), "zenity");
        EXPECT_GE(integer(switches[1], "dwell_s"), 20);

        ASSERT_TRUE(bringToFront("Quarterly plan", qtWindowId));
        ASSERT_TRUE(titled("Quarterly plan"));
        const size_t contexts = signalsOf("window.context").size();
        advance(10);
        window.write("title Budget review\n");
        ASSERT_TRUE(titled("Budget review"));
        EXPECT_GT(signalsOf("window.context").size(), contexts);
    }

    // Copies are seen by their kind, booked to the Qt window. `copy` puts the canary on the
    // clipboard as `mimeType`.
    void checkCopies(const std::function<void(const char* mimeType)>& copy,
                     std::initializer_list<std::pair<const char*, const char*>> kinds) {
        for (const auto& [type, kind] : kinds) {
            engine_.lastCopy.reset();
            copy(type);
            ASSERT_TRUE(waitUntil([&] { return engine_.lastCopy.has_value(); })) << type;
            EXPECT_EQ(engine_.lastCopy->type, QLatin1String(kind));
            EXPECT_EQ(engine_.lastCopy->bundle, qtWindowId);
        }
    }

    // No input for longer than 3 s is idle; `input` is given until the agent is active again,
    // and the idle time became a presence period.
    void checkIdleEndedBy(const std::function<void()>& input) {
        config_.idleThresholdSeconds = 3;
        ASSERT_TRUE(presenceIs(Presence::idle, 30000));
        ASSERT_TRUE(waitUntil(
            [&] {
                input();
                return waitUntil([&] { return engine_.presence == Presence::active; }, 1000);
            },
            30000));
        const auto presence = signalsOf("activity.presence");
        EXPECT_TRUE(std::any_of(presence.begin(), presence.end(),
                                [](const Signal& s) { return text(s, "state") == "idle"; }));
    }

    // Brings the window titled so to the front, as a click would.
    std::function<void(const QString& title)> activate_;
    std::vector<std::unique_ptr<QProcess>> apps_;
};
