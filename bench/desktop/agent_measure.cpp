// What the whole agent costs over a session of realistic use on the headless desktop, as
// Google Benchmark figures of the real `tarnwhistle` process: start to tray icon (ms, and the
// CPU time the process spent until then), CPU as a share of one core, resident and
// proportional memory (MB), and what reached the receiver.
//
// The session (a separate shell process, so its own cost is not counted): two editors and a
// form, a switch every 20–60 s, typing in bursts, copy and paste, two idle breaks of 4 minutes;
// delivery to the local receiver every 60 s; screenshot reader off; the welcome already done.
// TARNWHISTLE_SESSION_SECONDS sets its length (default 1800). Run inside scripts/desktop:
//   scripts/desktop build/bench/bench_agent_measure
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "config/deployment_config.h"
#include "desktop_driver.h"
#include "storage/store.h"

namespace {

using DesktopDriver::run;
using DesktopDriver::waitUntil;

// utime + stime of `pid`, seconds.
double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name (which may hold spaces) start after the last ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// A "Key: N kB" line of a /proc file, in MB.
double megabytes(const QString& path, const QByteArray& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

const char* session = R"SH(
end=$((SECONDS + LENGTH))
breaks="$((LENGTH / 3)) $((2 * LENGTH / 3))"
phrases=("notes for the weekly review" "follow up with the design team" "draft the summary"
         "check the numbers again" "list open questions")
while [ $SECONDS -lt $end ]; do
  for w in $WINDOWS; do
    [ $SECONDS -lt $end ] || break
    for b in $breaks; do
      if [ $SECONDS -ge $b ] && [ ! -e "$STATE/break-$b" ]; then
        touch "$STATE/break-$b"; sleep 240
      fi
    done
    xdotool windowactivate --sync $w
    stay=$((20 + RANDOM % 41)); until=$((SECONDS + stay))
    while [ $SECONDS -lt $until ]; do
      xdotool type --delay 140 "${phrases[RANDOM % 5]} "
      sleep $((2 + RANDOM % 6))
      if [ $((RANDOM % 4)) -eq 0 ]; then
        xdotool key ctrl+shift+Left ctrl+c; sleep 1; xdotool key End ctrl+v
      fi
      xdotool click 1
      [ $((RANDOM % 3)) -eq 0 ] && xdotool click 5 click 5 click 4
      sleep $((3 + RANDOM % 8))
    done
  done
done
)SH";

void AgentSession(benchmark::State& state) {
    const int seconds = qEnvironmentVariableIntValue("TARNWHISTLE_SESSION_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("TARNWHISTLE_SESSION_SECONDS")
                            : 1800;
    QTemporaryDir home, received, sessionState;
    QProcess receiver;
    receiver.start(QStringLiteral("python3"),
                   {QStringLiteral(RECEIVER_SCRIPT), QStringLiteral("--port"), QStringLiteral("0"),
                    QStringLiteral("--out"), received.path()});
    int port = 0;
    waitUntil([&] {
        const QByteArray line = receiver.readLine();
        if (line.startsWith("listening on ")) port = line.mid(13).trimmed().toInt();
        return port != 0;
    });
    const QString data = home.filePath(QStringLiteral("data/Tarnwhistle"));
    QDir().mkpath(data);
    DeploymentConfig config;
    config.webhookURL = QStringLiteral("http://127.0.0.1:%1/hook").arg(port);
    config.startAtLogin = false;
    QFile file(data + QStringLiteral("/deployment-config.json"));
    file.open(QIODevice::WriteOnly);
    file.write(config.encoded());
    file.close();
    {
        // A person who has been through the welcome: no window stays open.
        Store store;
        store.open(data + QStringLiteral("/store.sqlite"));
        store.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed"));
    }

    DesktopDriver::App first(QStringLiteral("mousepad"), {});
    DesktopDriver::App second(QStringLiteral("mousepad"),
                              {QStringLiteral("--opening-mode=window")});
    DesktopDriver::App form(
        QStringLiteral("zenity"),
        {QStringLiteral("--forms"), QStringLiteral("--text"), QStringLiteral("Weekly review"),
         QStringLiteral("--add-entry"), QStringLiteral("Topic")});

    for (auto _ : state) {
        QProcess agent;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        agent.setProcessEnvironment(env);
        agent.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer started;
        started.start();
        // TARNWHISTLE_AGENT runs another build of the agent (a copy that a rebuild cannot touch).
        agent.start(qEnvironmentVariable("TARNWHISTLE_AGENT", QStringLiteral(AGENT_EXECUTABLE)),
                    {});
        agent.waitForStarted();
        const QString pid = QString::number(agent.processId());
        // The tray icon: the agent's small mapped window.
        const bool tray = waitUntil(
            [&] {
                for (const QString& id :
                     run(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--pid"), pid})
                         .split('\n', Qt::SkipEmptyParts)) {
                    const QString g =
                        run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), id});
                    if (g.contains(QLatin1String("Geometry: 22x"))) return true;
                }
                return false;
            },
            20000);
        const qint64 startMs = started.elapsed();
        // CPU spent getting there: on a loaded machine the wall time says more about the load.
        const double startCpuMs = cpuSeconds(agent.processId()) * 1000;
        if (!tray) {
            state.SkipWithError("no tray icon");
            return;
        }

        QProcess driver;
        QProcessEnvironment driverEnv = QProcessEnvironment::systemEnvironment();
        driverEnv.insert(QStringLiteral("WINDOWS"), first.windowArg() + QLatin1Char(' ') +
                                                        form.windowArg() + QLatin1Char(' ') +
                                                        second.windowArg());
        driverEnv.insert(QStringLiteral("LENGTH"), QString::number(seconds));
        driverEnv.insert(QStringLiteral("STATE"), sessionState.path());
        driver.setProcessEnvironment(driverEnv);
        driver.setStandardOutputFile(QProcess::nullDevice());
        driver.setStandardErrorFile(QProcess::nullDevice());

        const double cpuStart = cpuSeconds(agent.processId());
        QElapsedTimer wall;
        wall.start();
        driver.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromLatin1(session)});
        double rssMax = 0, pssMax = 0;
        const QString status = QStringLiteral("/proc/%1/status").arg(pid);
        const QString rollup = QStringLiteral("/proc/%1/smaps_rollup").arg(pid);
        while (wall.elapsed() < qint64(seconds) * 1000 && agent.state() == QProcess::Running) {
            DesktopDriver::spin(10'000);
            rssMax = std::max(rssMax, megabytes(status, "VmRSS:"));
            pssMax = std::max(pssMax, megabytes(rollup, "Pss:"));
        }
        const double elapsed = wall.nsecsElapsed() / 1e9;
        const double cpu = cpuSeconds(agent.processId()) - cpuStart;
        const double rss = megabytes(status, "VmRSS:"), pss = megabytes(rollup, "Pss:");
        driver.kill();
        driver.waitForFinished();
        agent.terminate();
        agent.waitForFinished(10000);

        state.SetIterationTime(elapsed);
        state.counters["start_to_tray_ms"] = double(startMs);
        state.counters["start_cpu_ms"] = startCpuMs;
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / elapsed;
        state.counters["rss_mb_end"] = rss;
        state.counters["rss_mb_max"] = rssMax;
        state.counters["pss_mb_end"] = pss;
        state.counters["pss_mb_max"] = pssMax;
        state.counters["batches_received"] =
            double(QDir(received.path()).entryList({QStringLiteral("*.body")}).size());
    }
    receiver.kill();
    receiver.waitForFinished();
}

BENCHMARK(AgentSession)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        fprintf(stderr, "no display: run inside scripts/desktop\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
