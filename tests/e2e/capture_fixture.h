// Capture on the private X11 desktop: the real Linux backend, with the signals also going into
// a real store in a temporary folder, as in the agent.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

#include "platform/linux/linux_desktop_backend.h"
#include "recording_capture.h"
#include "storage/store.h"

using DesktopDriver::App;
using DesktopDriver::xdotool;

// The applications the tests drive, and the ids the agent knows them by. Mousepad never hands
// its window to an instance a previous test is still closing.
inline const QString mousepadId = QStringLiteral("org.xfce.mousepad");
inline App mousepad() {
    return {"mousepad", {"--disable-server"}};
}
// A GTK form: a text, an entry and, one Tab further, a password field.
inline App zenityForm() {
    return {"zenity",
            {"--forms", "--title", "Expense form", "--text", "Quarterly budget review",
             "--add-entry", "Project name", "--add-password", "Access code"}};
}
inline App qtWindow(const QString& title, const QString& text) {
    return {E2E_QT_WINDOW, {title, text}};
}

class CaptureOnDesktop : public RecordingCapture {
  protected:
    static void SetUpTestSuite() {
        RecordingCapture::SetUpTestSuite();
        backend_ = new LinuxDesktopBackend;
    }
    static void TearDownTestSuite() {
        RecordingCapture::TearDownTestSuite();  // waits for the workers, which read the backend
        delete backend_;
    }
    void SetUp() override {
        ASSERT_TRUE(backend_->ok()) << "no X server: run inside scripts/desktop";
        RecordingCapture::SetUp();
        store_.open(dir_.filePath("store.sqlite"));
        ASSERT_TRUE(store_.isOpen());
        engine_.sink = [this](const Signal& signal) {
            recorded_.push_back(signal);
            store_.insert(signal);
        };
    }
    void TearDown() override {
        RecordingCapture::TearDown();
        spin(50);
    }
    void makeCapture() { RecordingCapture::makeCapture(*backend_); }
    // Brings `app` to the front, then makes and starts the capture; false if `app` is not there.
    bool startWith(App& app) {
        if (!app.started() || !app.activate()) return false;
        makeCapture();
        capture_->start();
        return true;
    }

    // A text sample of the application's window, read on the window-poll worker.
    QString sampleOf(qint64 pid, const QString& bundleId = {}) {
        QString text;
        onPollWorker([&] { text = backend_->textSample(pid, bundleId, 1500, 700).text; });
        return text;
    }

    inline static LinuxDesktopBackend* backend_ = nullptr;
    QTemporaryDir dir_;  // the store and any files of the test
    Store store_;
};
