// The accessibility reader and the screenshot reader against real windows: a GTK form with a
// password field, a stopped (hung) application, and a covered Qt window read by OCR.
#include <QDir>

#include <xcb/composite.h>

#include "capture_fixture.h"

namespace {
const QString password = "hunter2secret";

// Whether the top-level window around `window` is redirected: only then can it be named.
bool redirected(quint32 window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return false;
    free(xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr));
    xcb_window_t top = window;
    while (xcb_query_tree_reply_t* tree =
               xcb_query_tree_reply(c, xcb_query_tree(c, top), nullptr)) {
        const bool atRoot = tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE;
        if (!atRoot) top = tree->parent;
        free(tree);
        if (atRoot) break;
    }
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, top, pixmap));
    const bool named = error == nullptr;
    if (named) xcb_free_pixmap(c, pixmap);
    free(error);
    xcb_disconnect(c);
    return named;
}

// Threads of this process other than Qt's shared pool (which image scaling borrows).
int threadCount() {
    int count = 0;
    for (const QString& task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QString("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() != "Thread (pooled)")
            ++count;
    }
    return count;
}

}  // namespace

TEST_F(CaptureOnDesktop, AFormsPasswordIsNeitherCountedNorReadAndAHungFormCostsASecond) {
    App form = zenityForm();
    ASSERT_TRUE(startWith(form));
    ASSERT_TRUE(capture_->inputMonitorInstalled());
    const auto keysCount = [&](const char* key) {
        const qint64 before = engine_.bucketKeys;
        xdotool({"key", key});
        spin(200);
        return engine_.bucketKeys > before;
    };
    xdotool({"type", "Atlas rollout"});
    ASSERT_TRUE(waitUntil([&] { return engine_.bucketKeys > 0; }));
    xdotool({"key", "Tab"});
    // Once a window poll has seen the focused password field, keys stop counting.
    ASSERT_TRUE(waitUntil([&] { return !keysCount("x"); }));
    const qint64 atPassword = engine_.bucketKeys;
    xdotool({"type", password});
    spin(500);
    EXPECT_EQ(engine_.bucketKeys, atPassword) << "keys typed in a password field were counted";
    EXPECT_TRUE(DesktopDriver::screenshot(E2E_OUTPUT_DIR "/desktop-form.png"));

    // The toolkit builds its accessibility tree on the first requests; read until it is there.
    QString sample;
    waitUntil([&] { return (sample = sampleOf(form.pid())).contains("Atlas rollout"); });
    for (const char* label : {"Quarterly budget review", "Project name", "Atlas rollout"})
        EXPECT_TRUE(sample.contains(label)) << label << " not in " << sample.toStdString();
    EXPECT_FALSE(sample.contains("hunter"));  // not even a part of it

    // Back in the plain entry keys count again.
    xdotool({"key", "shift+Tab"});
    ASSERT_TRUE(waitUntil([&] { return keysCount("y"); }));

    // Stopped, the form answers nothing: a sample costs about a second and never the main
    // thread, and window polls of it keep running meanwhile.
    ASSERT_EQ(::kill(pid_t(form.pid()), SIGSTOP), 0);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QElapsedTimer timer;
    timer.start();
    sample = sampleOf(form.pid());
    const qint64 sampleMs = timer.elapsed();
    waitUntil([&] { return timer.elapsed() > sampleMs + 3000; }, 4000);
    const int ticksSeen = ticks;
    ::kill(pid_t(form.pid()), SIGCONT);
    EXPECT_LE(sampleMs, 1300) << "a sample of a hung application took " << sampleMs << " ms";
    EXPECT_TRUE(sample.isEmpty()) << sample.toStdString();
    // The main thread kept running: about 20 ticks a second over 3+ seconds.
    EXPECT_GE(ticksSeen, 50);
}

TEST_F(CaptureOnDesktop, TheScreenshotReaderReadsACoveredWindow) {
    App qt = qtWindow("Notes", "The quick brown fox jumps over the lazy dog");
    App editor = mousepad();
    ASSERT_TRUE(qt.started() && editor.started());
    xdotool({"windowmove", qt.windowArg(), "40", "60"});
    xdotool({"windowmove", editor.windowArg(), "20", "40", "windowsize", editor.windowArg(), "900",
             "600"});
    ASSERT_TRUE(editor.activate());
    xdotool({"type", "This window covers the other one"});
    EXPECT_TRUE(DesktopDriver::screenshot(E2E_OUTPUT_DIR "/desktop-covered.png"));

    const int threadsBefore = threadCount();
    const auto read = [&](quint32 window) {
        QString seen = "unread";
        onPollWorker([&] { seen = backend_->screenshotText(qt.pid(), window, 1500); },
                     CaptureScheduler::Queue::recognition);
        return seen;
    };
    const QString seen = read(qt.window());
    EXPECT_TRUE(seen.simplified().contains("quick brown fox jumps", Qt::CaseInsensitive))
        << seen.toStdString();
    EXPECT_FALSE(seen.contains("covers the other"));
    // Recognition ran on the worker alone: no pool of threads is left waiting.
    EXPECT_EQ(threadCount(), threadsBefore);
    // The read's redirection ended with it, and no other window was ever redirected.
    EXPECT_FALSE(redirected(qt.window()));
    EXPECT_FALSE(redirected(editor.window()));
    // Another window of the process than the one asked for is never read in its place.
    EXPECT_EQ(read(editor.window()), "");
}
