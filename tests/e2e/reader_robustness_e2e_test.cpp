// The accessibility reader when applications misbehave: one slow answer, and applications
// that quit in the middle of a walk — scripted ones at every step of the walk and real ones
// killed while their tree is read; and what a window's document is (an embedded browser
// engine's page is none; a fresh read sees a change the title does not show).
#include <QRandomGenerator>

#include "capture_fixture.h"
#include "platform/linux/atspi_bus.h"

using Reading = DesktopBackend::Reading;

namespace {
// The scripted application of helpers/scripted_accessible_app.cpp, listed by the registry.
std::unique_ptr<QProcess> startScripted(const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->start(E2E_ACCESSIBLE_APP, arguments);
    const bool ready = DesktopDriver::waitUntil(
        [&] { return process->canReadLine() || process->state() == QProcess::NotRunning; });
    if (!ready || process->readLine().trimmed() != "ready") return nullptr;
    return process;
}
}  // namespace

TEST_F(CaptureOnDesktop, ApplicationsQuittingMidWalkNeverTouchTheAgentNorDoesASlowOne) {
    // The main thread's pace while walks run (the test's own start-ups block it otherwise).
    int ticks = 0, walkTicks = 0;
    qint64 walkMs = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    const auto walk = [&](const std::function<void()>& read) {
        QElapsedTimer timer;
        timer.start();
        const int before = ticks;
        const bool done = onPollWorker(read);
        walkMs += timer.elapsed();
        walkTicks += ticks - before;
        return done;
    };

    // A scripted application ends itself at each of the 15 questions of a snapshot and of the
    // first 15 of a text sample.
    int quits = 0;
    for (int i = 0; i < 50; ++i) {
        auto app = startScripted({"quit", QString::number(1 + i % 15)});
        ASSERT_TRUE(app) << "scripted application " << i << " did not start";
        const qint64 pid = app->processId();
        ASSERT_TRUE(walk([&] {
            if (i % 2)
                backend_->snapshot(pid, "scripted", Reading::fresh);
            else
                backend_->textSample(pid, {}, 1500, 700);
        }));
        quits += waitUntil([&] { return app->state() == QProcess::NotRunning; }, 3000);
    }
    EXPECT_EQ(quits, 50);

    // Real applications killed while the reader walks a long list.
    QStringList rows{"--list", "--column", "Row"};
    for (int r = 0; r < 150; ++r) rows << QString("Row number %1 of the list").arg(r);
    for (int i = 0; i < 8; ++i) {
        App list("zenity", rows);
        ASSERT_TRUE(list.started() && list.activate());
        const qint64 pid = list.pid();
        QTimer::singleShot(int(QRandomGenerator::global()->bounded(5, 120)),
                           [pid] { ::kill(pid_t(pid), SIGKILL); });
        ASSERT_TRUE(walk([&] { backend_->textSample(pid, {}, 1500, 700); }));
    }

    EXPECT_EQ(AtspiBus::foreignThreadCalls(), 0);
    QFile maps("/proc/self/maps");
    EXPECT_TRUE(maps.open(QIODevice::ReadOnly) && !maps.readAll().contains("libatspi"))
        << "the reader library is loaded";
    // At least half the ticks a free main loop gets.
    EXPECT_GE(walkTicks, int(walkMs / 10 / 2)) << walkMs << " ms of walks";

    // And the reader still reads afterwards, where one slow answer costs its subtree and not
    // the sample.
    auto slow = startScripted({"slow"});
    ASSERT_TRUE(slow);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(sampleOf(slow->processId()), "First answer\nSecond answer");
    EXPECT_LE(timer.elapsed(), 1300);
}

TEST_F(CaptureOnDesktop, ASandboxedApplicationIsReadThroughItsWindowAndAFreshReadSeesItsDocument) {
    // The display knows the window's own process; the accessibility bus knows another one.
    const QString before = "file:///home/ana/a.odt", after = "file:///home/ana/b.odt";
    App app(E2E_ACCESSIBLE_APP, {"sandboxed", before});
    ASSERT_TRUE(app.started() && app.activate());
    std::optional<RunningApplication> front;
    ASSERT_TRUE(waitUntil([&] {
        front = backend_->frontmostApplication();
        // The server may hand the last test's window id to this window: the process tells.
        return front && front->window == app.window() && ::kill(pid_t(front->pid), 0) == 0;
    }));
    ASSERT_NE(front->pid, app.pid());
    EXPECT_TRUE(sampleOf(front->pid, front->bundleId).contains("First answer"));
    // Only the window in front is remembered between reads; a fresh read sees a change the
    // title does not show.
    const auto document = [&](Reading reading) {
        std::optional<Snapshot> snap;
        onPollWorker([&] { snap = backend_->snapshot(front->pid, front->bundleId, reading); });
        // "none" for a window without a document; empty when the read failed.
        return snap ? snap->documentPath.value_or("none") : QString();
    };
    ASSERT_EQ(document(Reading::mayReuse), before);
    // Seen well within the 15 s a reused read may be kept.
    const auto seen = [&](const QString& path) {
        return waitUntil([&] { return document(Reading::fresh) == path; }, 5000);
    };
    app.send("url " + after);
    EXPECT_TRUE(seen(after));
    // An embedded browser engine's page is no document.
    app.send("url https://chat.example/channel/42");
    EXPECT_TRUE(seen("none"));
}
