#include "capture_fixture.h"

#include <atomic>

LinuxDesktopBackend* CaptureOnDesktop::backend_ = nullptr;
SkewedScheduler* CaptureOnDesktop::scheduler_ = nullptr;

void CaptureOnDesktop::SetUpTestSuite() {
    backend_ = new LinuxDesktopBackend;
    scheduler_ = new SkewedScheduler;
}

void CaptureOnDesktop::TearDownTestSuite() {
    delete scheduler_;  // waits for the workers
    delete backend_;
    scheduler_ = nullptr;
    backend_ = nullptr;
}

void CaptureOnDesktop::SetUp() {
    ASSERT_TRUE(backend_->ok()) << "no X server: run inside scripts/desktop";
    scheduler_->skew = 0;
    config_.enabledSignals[QStringLiteral("input.pattern")] = true;
    engine_ = std::make_unique<SignalEngine>([this] { return now(); });
    engine_->now = [this] { return now(); };
    engine_->configProvider = [this] { return config_; };
    store_.open(storeDir_.filePath(QStringLiteral("store.sqlite")));
    ASSERT_TRUE(store_.isOpen());
    engine_->sink = [this](const Signal& signal) {
        recorded_.push_back(signal);
        store_.insert(signal);
    };
    // Classification is not what these tests look at.
    engine_->classify = [](const QString&, const CategoryList&, const std::optional<QString>&,
                           bool, SignalEngine::ClassifyDone done) { done(std::nullopt); };
    engine_->events = &events_;
}

void CaptureOnDesktop::makeCapture(qint64 ownPid) {
    capture_ = std::make_unique<Capture>(*engine_, *backend_, *scheduler_,
                                         [this] { return config_; }, ownPid);
}

bool CaptureOnDesktop::startWith(DesktopDriver::App& app) {
    if (!app.started() || !app.activate()) return false;
    makeCapture();
    capture_->start();
    return true;
}

bool CaptureOnDesktop::inFront(const QString& bundleId) {
    return DesktopDriver::waitUntil(
        [&] { return engine_->focusApp && engine_->focusApp->bundle == bundleId; });
}

void CaptureOnDesktop::TearDown() {
    if (capture_) capture_->stop(QStringLiteral("quit"));
    capture_.reset();
    // Late worker results for this Capture are dropped; let them drain before the engine goes.
    onPollWorker([] {});
    DesktopDriver::spin(50);
}

std::vector<Signal> CaptureOnDesktop::signalsOf(const QString& type) const {
    std::vector<Signal> found;
    for (const Signal& s : recorded_)
        if (s.type == type) found.push_back(s);
    return found;
}

bool CaptureOnDesktop::waitForSignal(const QString& type, int timeoutMs) {
    return DesktopDriver::waitUntil([&] { return !signalsOf(type).empty(); }, timeoutMs);
}

bool CaptureOnDesktop::logged(EventKind kind) const {
    for (const LocalEvent& e : events_.events())
        if (e.kind == kind) return true;
    return false;
}

QString CaptureOnDesktop::text(const Signal& signal, const QString& key) {
    auto it = signal.fields.find(key);
    if (it == signal.fields.end() || !it->second.string()) return {};
    return *it->second.string();
}

qint64 CaptureOnDesktop::integer(const Signal& signal, const QString& key) {
    auto it = signal.fields.find(key);
    if (it == signal.fields.end() || !it->second.integer()) return -1;
    return *it->second.integer();
}

bool CaptureOnDesktop::onPollWorker(const std::function<void()>& work, int timeoutMs) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    scheduler_->post(CaptureScheduler::Queue::poll, [work, done] {
        work();
        *done = true;
    });
    return DesktopDriver::waitUntil([done] { return done->load(); }, timeoutMs);
}
