// Cost of capture on the headless desktop, as Google Benchmark figures:
//   WindowPoll / TextSample: one accessibility read on the poll worker (median of repeats);
//   CaptureLoop: CPU share of one core and resident memory of this process while the capture
//   loop runs over scripted use (typing, clicks, scrolls, switches, copies) for
//   TARNWHISTLE_SOAK_SECONDS (default 60); with TARNWHISTLE_SOAK_QUIET=1 nobody touches the
//   desktop meanwhile, for the loop's own floor, and with TARNWHISTLE_SOAK_LOCKED=1 as well
//   the screen is locked throughout; TARNWHISTLE_SOAK_IDLE_SECONDS sets the idle threshold.
//   wakeups_per_minute counts the process's context
//   switches (each wake-up of any of its threads ends in one).
// Run inside scripts/desktop.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>

#include "capture/capture.h"
#include "capture/qt_capture_scheduler.h"
#include "desktop_driver.h"
#include "platform/linux/linux_desktop_backend.h"
#include "signals/signal_engine.h"

namespace {
LinuxDesktopBackend* backend = nullptr;
QtCaptureScheduler* scheduler = nullptr;
// Started once: a benchmark function runs once per repetition.
DesktopDriver::App* mousepad = nullptr;
DesktopDriver::App* form = nullptr;
DesktopDriver::App* list = nullptr;

// Runs `work` on the poll worker and waits (event loop running).
void onPollWorker(const std::function<void()>& work) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    scheduler->post(CaptureScheduler::Queue::poll, [work, done] {
        work();
        *done = true;
    });
    DesktopDriver::waitUntil([done] { return done->load(); }, 30000);
}

double contextSwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_nvcsw + usage.ru_nivcsw);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// Median wall time of snapshot(), with this process's CPU time of the last one.
void pollRepeatedly(benchmark::State& state, qint64 pid, const QString& bundleId,
                    DesktopBackend::Reading reading = DesktopBackend::Reading::mayReuse) {
    onPollWorker([&] { backend->snapshot(pid, bundleId, reading); });  // warm up
    for (auto _ : state) {
        double seconds = 0;
        onPollWorker([&] {
            const double start = cpuSeconds();
            QElapsedTimer timer;
            timer.start();
            benchmark::DoNotOptimize(backend->snapshot(pid, bundleId, reading));
            seconds = timer.nsecsElapsed() / 1e9;
            state.counters["cpu_ms"] = (cpuSeconds() - start) * 1000;
        });
        state.SetIterationTime(seconds);
    }
}

// The active window with an unchanged title comes from the cache.
void WindowPoll(benchmark::State& state) {
    mousepad->activate();
    // The window manager's answer reaches the backend through the event loop.
    DesktopDriver::waitUntil([] {
        const auto front = backend->frontmostApplication();
        return front && front->pid == mousepad->pid();
    });
    const auto front = backend->frontmostApplication();
    if (!front) {
        state.SkipWithError("no front application");
        return;
    }
    pollRepeatedly(state, front->pid, front->bundleId);
}

// A window that is not the active one is read afresh each time: the cost without the cache.
void WindowPollUncached(benchmark::State& state) {
    mousepad->activate();
    pollRepeatedly(state, form->pid(), QStringLiteral("zenity"), DesktopBackend::Reading::fresh);
}

void sampleRepeatedly(benchmark::State& state, DesktopDriver::App& app) {
    app.activate();
    int chars = 0;
    onPollWorker([&] { chars = int(backend->textSample(app.pid(), {}, 1500, 700).text.size()); });
    for (auto _ : state) {
        double seconds = 0;
        onPollWorker([&] {
            QElapsedTimer timer;
            timer.start();
            chars = int(backend->textSample(app.pid(), {}, 1500, 700).text.size());
            seconds = timer.nsecsElapsed() / 1e9;
        });
        state.SetIterationTime(seconds);
    }
    state.counters["chars"] = chars;
}

// A large list (300 cells) that the toolkit builds lazily and slowly, and a small form.
void TextSampleList(benchmark::State& state) { sampleRepeatedly(state, *list); }
void TextSampleForm(benchmark::State& state) { sampleRepeatedly(state, *form); }

// Scripted use in a separate process, so its own cost is not counted here.
const char* script = R"(
while true; do
  for w in $WINDOWS; do
    xdotool windowactivate --sync $w
    xdotool type --delay 120 "notes for the weekly review "
    xdotool click 4 click 4 click 5
    xdotool click 1
    printf 'copied text %s' $RANDOM | xclip -selection clipboard
    xdotool key ctrl+v
    sleep 8
  done
done
)";

void CaptureLoop(benchmark::State& state) {
    const int seconds = qEnvironmentVariableIntValue("TARNWHISTLE_SOAK_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("TARNWHISTLE_SOAK_SECONDS")
                            : 60;
    SignalEngine engine;
    DeploymentConfig config;
    int emittedCount = 0;
    // A short idle threshold lets a quiet run measure the idle state itself.
    if (const int idle = qEnvironmentVariableIntValue("TARNWHISTLE_SOAK_IDLE_SECONDS"); idle > 0)
        config.idleThresholdSeconds = idle;
    engine.configProvider = [&] { return config; };
    engine.sink = [&](const Signal&) { ++emittedCount; };
    engine.classify = [](const QString&, const CategoryList&, const std::optional<QString>&, bool,
                         SignalEngine::ClassifyDone done) { done(std::nullopt); };
    Capture capture(engine, *backend, *scheduler, [&] { return config; },
                    QCoreApplication::applicationPid());
    QProcess driver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINDOWS"), mousepad->windowArg() + QLatin1Char(' ') + form->windowArg());
    driver.setProcessEnvironment(env);
    driver.setStandardOutputFile(QProcess::nullDevice());
    driver.setStandardErrorFile(QProcess::nullDevice());
    state.counters["rss_before_start_mb"] = residentMegabytes();
    for (auto _ : state) {
        capture.start();
        if (qEnvironmentVariableIntValue("TARNWHISTLE_SOAK_LOCKED") == 1) emit backend->screenLocked();
        if (qEnvironmentVariableIntValue("TARNWHISTLE_SOAK_QUIET") != 1)
            driver.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromLatin1(script)});
        // The start-up reads settle first (and a quiet user goes idle, at the second idle poll).
        DesktopDriver::spin(11000);
        const double switchesStart = contextSwitches();
        const double cpuStart = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        DesktopDriver::spin(seconds * 1000);
        const double cpu = cpuSeconds() - cpuStart;
        const double elapsed = wall.nsecsElapsed() / 1e9;
        state.counters["wakeups_per_minute"] = 60.0 * (contextSwitches() - switchesStart) / elapsed;
        driver.kill();
        driver.waitForFinished();
        capture.stop(QStringLiteral("quit"));
        state.SetIterationTime(elapsed);
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / elapsed;
        state.counters["rss_mb"] = residentMegabytes();
        state.counters["seconds"] = elapsed;
        state.counters["signals"] = emittedCount;
        state.counters["presence_at_end"] = int(engine.presence);  // 0 active, 1 idle, 2 locked
    }
}

BENCHMARK(CaptureLoop)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(WindowPoll)->UseManualTime()->Iterations(1)->Repetitions(31)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowPollUncached)->UseManualTime()->Iterations(1)->Repetitions(31)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(TextSampleList)->UseManualTime()->Iterations(1)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(TextSampleForm)->UseManualTime()->Iterations(1)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    backend = new LinuxDesktopBackend;
    scheduler = new QtCaptureScheduler;
    if (!backend->ok()) {
        fprintf(stderr, "no X server: run inside scripts/desktop\n");
        return 1;
    }
    QStringList rows{QStringLiteral("--list"), QStringLiteral("--title"),
                     QStringLiteral("Tickets"), QStringLiteral("--column"),
                     QStringLiteral("Key"), QStringLiteral("--column"),
                     QStringLiteral("Summary")};
    for (int i = 0; i < 150; ++i)
        rows << QStringLiteral("OPS-%1").arg(i)
             << QStringLiteral("Investigate the latency of the nightly report run %1").arg(i);
    mousepad = new DesktopDriver::App(QStringLiteral("mousepad"), {QStringLiteral("--disable-server")});
    form = new DesktopDriver::App(QStringLiteral("zenity"),
                                  {QStringLiteral("--forms"), QStringLiteral("--text"),
                                   QStringLiteral("Weekly review"), QStringLiteral("--add-entry"),
                                   QStringLiteral("Topic")});
    list = new DesktopDriver::App(QStringLiteral("zenity"), rows);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete list;
    delete form;
    delete mousepad;
    delete scheduler;
    delete backend;
    return 0;
}
