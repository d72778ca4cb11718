#include "canary_agent.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>
#include <cstdio>

#include "base/system_log.h"
#include "capture/capture.h"
#include "capture/qt_capture_scheduler.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "desktop_driver.h"
#include "intelligence/classifier.h"
#include "platform/linux/linux_desktop_backend.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"
#include "storage/store.h"

namespace CanaryAgent {
namespace {

using DesktopDriver::App;

// The real scheduler on a clock the session pushes forward, so dwell times need no waiting.
class SkewedScheduler : public QtCaptureScheduler {
  public:
    TimePoint now() override { return Time::now() + skew; }
    double skew = 0;
};

// Progress goes to standard output in words that never carry the canary.
void say(const char* line) {
    std::printf("agent: %s\n", line);
    std::fflush(stdout);
}

int fail(const char* why) {
    say(why);
    return 1;
}

}  // namespace

int runSession(const QString& folder, const QString& canary, const QString& webhook,
               const QString& secret) {
    // System log lines are part of what is examined: they go to standard error as well.
    SystemLog::setObserver(
        [](const QString& line) { std::fprintf(stderr, "syslog: %s\n", qUtf8Printable(line)); });
    ConfigStore configStore(folder);
    configStore.load();
    DeploymentConfig config = configStore.config();
    config.webhookURL = webhook;
    config.webhookSecret = secret;
    config.enabledSignals["input.pattern"] = true;
    configStore.save(config);

    Store store;
    if (!store.open(folder + "/store.sqlite")) return fail("store did not open");

    SkewedScheduler scheduler;
    EventLog events;
    SignalEngine engine([&] { return scheduler.now(); });
    engine.configProvider = [&] { return configStore.config(); };
    engine.sink = [&](const Signal& signal) {
        if (!store.insert(signal)) say("a signal was not stored");
    };
    engine.classify = [](const QString& text, const CategoryList& labels,
                         const std::optional<QString>& rule, bool useModel,
                         SignalEngine::ClassifyDone done) {
        Classifier::shared().classify(text, labels, rule, useModel, std::move(done));
    };
    engine.events = &events;
    engine.userPrincipal = "login-" + canary;  // the name behind the subject

    LinuxDesktopBackend backend;
    if (!backend.ok()) return fail("no desktop");
    Capture capture(
        engine, backend, scheduler, [&] { return configStore.config(); },
        QCoreApplication::applicationPid());
    Outbox outbox(store, configStore);
    outbox.watchNetwork = false;
    outbox.userPrincipal = [&] { return engine.userPrincipal; };

    // A window whose title names a file in a folder, the canary after a dot, and whose text
    // holds the canary.
    const QString title = QString("Mr.%1 Feldmann-HIV.%1 diagnosis.docx — ~/%1-folder").arg(canary);
    App first(E2E_QT_WINDOW,
              {title, QString("Findings for %1: see the attached report").arg(canary)});
    if (!first.started() || !first.activate()) return fail("first window did not start");
    capture.start();
    if (!DesktopDriver::waitUntil(
            [&] { return engine.lastObservation && engine.lastObservation->title == title; }))
        return fail("the first window was not observed");
    bool sampled = false;
    for (int attempt = 0; attempt < 3 && !sampled; ++attempt) {
        if (attempt > 0) capture.scheduleSnippet(*engine.lastObservation);
        sampled = DesktopDriver::waitUntil([&] { return !engine.contextSnippets.empty(); }, 6000);
    }
    if (!sampled) return fail("no text sample of the first window");

    // Typed text and the clipboard.
    DesktopDriver::xdotool({"type", canary + " typed here"});
    QProcess clipboard;
    clipboard.setStandardOutputFile(QProcess::nullDevice());
    clipboard.start("xclip", {"-quiet", "-selection", "clipboard"});
    clipboard.write(canary.toUtf8() + " copied");
    clipboard.closeWriteChannel();
    DesktopDriver::spin(2500);  // one clipboard poll at least
    scheduler.skew += 40;

    // A second application closes the first context (40 s: classified too) and takes the
    // paste; then it reports a web address and a document whose names carry the canary.
    const QString firstBundle = engine.lastObservation->bundleId;
    App second("zenity", {"--forms", "--title", "Plain window", "--add-entry", "Note"});
    if (!second.started() || !second.activate()) return fail("second window did not start");
    if (!DesktopDriver::waitUntil([&] {
            return engine.lastObservation && engine.lastObservation->bundleId != firstBundle;
        }))
        return fail("the second window was not observed");
    DesktopDriver::xdotool({"key", "ctrl+v"});
    DesktopDriver::spin(500);
    // No application on the headless desktop reports a document or an address over the
    // accessibility bus, so these two observations come as the backend would hand them over.
    WindowObservation web = *engine.lastObservation;
    web.title = "Shared notes";
    web.url = QString("https://docs.google.com/document/d/%1/edit?user=%1&folder=%1-folder#%1")
                  .arg(canary);
    engine.windowObserved(web);
    scheduler.skew += 40;
    WindowObservation document = *engine.lastObservation;
    document.url.reset();
    document.title = "Draft";
    document.documentPath =
        QString("/home/someone/%1-folder/Mr.%1 Feldmann-HIV.%1 diagnosis").arg(canary);
    engine.windowObserved(document);
    scheduler.skew += 40;
    DesktopDriver::spin(3000);  // the next poll closes that context; classifications answer

    capture.stop("quit");
    DesktopDriver::spin(1000);
    bool idle = false;
    outbox.onIdle = [&] { idle = true; };
    outbox.flush();
    if (!outbox.sending().isEmpty() && !DesktopDriver::waitUntil([&] { return idle; }, 20000))
        return fail("deliveries did not finish");
    if (store.countWaitingBatches() != 0) return fail("batches are still waiting");
    clipboard.kill();
    clipboard.waitForFinished(2000);
    say("session done");
    return 0;
}

int deleteAll(const QString& folder) {
    Store store;
    if (!store.open(folder + "/store.sqlite")) return fail("store did not open");
    if (!store.deleteAll()) return fail("delete all failed");
    say("deleted");
    QTextStream(stdin).readLine();  // the files are examined while the connection is open
    return 0;
}

}  // namespace CanaryAgent
