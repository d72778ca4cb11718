// The accessibility reader when applications misbehave: one slow answer, and applications
// that quit in the middle of a walk — scripted ones at every step of the walk and real ones
// killed while their tree is read; and what a window's document is (an embedded browser
// engine's page is none; a fresh read sees a change the title does not show).
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <csignal>

#include "capture_fixture.h"
#include "platform/linux/atspi_bus.h"

namespace {
// The scripted application of helpers/scripted_accessible_app.cpp, listed by the registry.
std::unique_ptr<QProcess> startScripted(const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral(E2E_ACCESSIBLE_APP), arguments);
    const bool ready = DesktopDriver::waitUntil(
        [&] { return process->canReadLine() || process->state() == QProcess::NotRunning; });
    if (!ready || process->readLine().trimmed() != "ready") return nullptr;
    return process;
}

bool readerLibraryLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libatspi");
}
}  // namespace

TEST_F(CaptureOnDesktop, OneSlowAnswerCostsItsSubtreeAndNotTheSample) {
    auto app = startScripted({QStringLiteral("slow")});
    ASSERT_TRUE(app);
    QString sample;
    qint64 ms = -1;
    ASSERT_TRUE(onPollWorker([&] {
        QElapsedTimer timer;
        timer.start();
        sample = backend_->textSample(app->processId(), {}, 1500, 700).text;
        ms = timer.elapsed();
    }));
    EXPECT_EQ(sample, QStringLiteral("First answer\nSecond answer"));
    EXPECT_LE(ms, 1300);
}

TEST_F(CaptureOnDesktop, ApplicationsQuittingMidWalkNeverTouchTheAgent) {
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
        auto app = startScripted({QStringLiteral("quit"), QString::number(1 + i % 15)});
        ASSERT_TRUE(app) << "scripted application " << i << " did not start";
        const qint64 pid = app->processId();
        ASSERT_TRUE(walk([&] {
            if (i % 2) backend_->snapshot(pid, QStringLiteral("scripted"), DesktopBackend::Reading::fresh);
            else backend_->textSample(pid, {}, 1500, 700).text;
        }));
        quits += DesktopDriver::waitUntil([&] { return app->state() == QProcess::NotRunning; },
                                          3000);
    }
    EXPECT_EQ(quits, 50);

    // Real applications killed while the reader walks a long list.
    QStringList rows{QStringLiteral("--list"), QStringLiteral("--column"), QStringLiteral("Row")};
    for (int r = 0; r < 150; ++r) rows << QStringLiteral("Row number %1 of the list").arg(r);
    for (int i = 0; i < 8; ++i) {
        DesktopDriver::App list(QStringLiteral("zenity"), rows);
        ASSERT_TRUE(list.started());
        ASSERT_TRUE(list.activate());
        const qint64 pid = list.pid();
        QTimer::singleShot(int(QRandomGenerator::global()->bounded(5, 120)),
                           [pid] { ::kill(pid_t(pid), SIGKILL); });
        ASSERT_TRUE(walk([&] { backend_->textSample(pid, {}, 1500, 700).text; }));
    }

    EXPECT_EQ(AtspiBus::foreignThreadCalls(), 0);
    EXPECT_FALSE(readerLibraryLoaded());
    // At least half the ticks a free main loop gets.
    EXPECT_GE(walkTicks, int(walkMs / 10 / 2)) << walkMs << " ms of walks";

    // And the reader still reads afterwards.
    auto app = startScripted({});
    ASSERT_TRUE(app);
    QString sample;
    ASSERT_TRUE(onPollWorker([&] { sample = backend_->textSample(app->processId(), {}, 1500, 700).text; }));
    EXPECT_TRUE(sample.contains(QStringLiteral("Behind the slow call"))) << sample.toStdString();
}

TEST_F(CaptureOnDesktop, AFreshReadFindsADocumentThatChangedUnderTheSameTitleAndAPageIsNone) {
    const QString before = QStringLiteral("file:///home/ana/a.odt"),
                  after = QStringLiteral("file:///home/ana/b.odt");
    DesktopDriver::App app(QStringLiteral(E2E_ACCESSIBLE_APP), {QStringLiteral("window"), before});
    ASSERT_TRUE(app.started() && app.activate());
    // Only the window in front is remembered between reads.
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        const auto front = backend_->frontmostApplication();
        return front && front->pid == app.pid();
    }));
    const auto document = [&](DesktopBackend::Reading reading) {
        std::optional<Snapshot> snap;
        onPollWorker(
            [&] { snap = backend_->snapshot(app.pid(), QStringLiteral("scripted"), reading); });
        // "none" for a window without a document; empty when the read failed.
        return snap ? snap->documentPath.value_or(QStringLiteral("none")) : QString();
    };
    ASSERT_EQ(document(DesktopBackend::Reading::mayReuse), before);
    app.send(QStringLiteral("url ") + after);
    EXPECT_TRUE(DesktopDriver::waitUntil(
        [&] { return document(DesktopBackend::Reading::fresh) == after; }));
    // An embedded browser engine's page is no document.
    app.send(QStringLiteral("url https://chat.example/channel/42"));
    EXPECT_TRUE(DesktopDriver::waitUntil(
        [&] { return document(DesktopBackend::Reading::fresh) == QStringLiteral("none"); }));
}

TEST_F(CaptureOnDesktop, ASandboxedApplicationIsReadThroughItsWindowNotItsProcessId) {
    // The display knows the window's own process; the accessibility bus knows another one.
    const QString document = QStringLiteral("file:///home/ana/plan.odt");
    DesktopDriver::App app(QStringLiteral(E2E_ACCESSIBLE_APP), {QStringLiteral("sandboxed"), document});
    ASSERT_TRUE(app.started() && app.activate());
    std::optional<RunningApplication> front;
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        front = backend_->frontmostApplication();
        // The server may hand the last test's window id to this window: the process tells.
        return front && front->window == app.windowArg().toULongLong() &&
               ::kill(pid_t(front->pid), 0) == 0;
    }));
    ASSERT_NE(front->pid, app.pid());
    std::optional<Snapshot> snap;
    TextSample sample;
    onPollWorker([&] {
        snap = backend_->snapshot(front->pid, front->bundleId, DesktopBackend::Reading::fresh);
        sample = backend_->textSample(front->pid, front->bundleId, 1500, 700);
    });
    ASSERT_TRUE(snap.has_value());
    EXPECT_EQ(snap->documentPath, document);
    EXPECT_TRUE(sample.text.contains(QStringLiteral("First answer")));
}
