#include "desktop_driver.h"

#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QTimer>
#include <csignal>

namespace DesktopDriver {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() >= timeoutMs) return false;
        spin(20);
    }
    return true;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start("xdotool", arguments);
    return process.waitForFinished(15000) && process.exitCode() == 0;
}

namespace {
// The last visible window of process `pid`; with `sync`, waits up to 20 s for one to show up.
quint32 lastWindow(qint64 pid, bool sync) {
    QStringList arguments{"search", "--onlyvisible", "--pid", QString::number(pid)};
    if (sync) arguments = QStringList{"20", "xdotool", "search", "--sync"} + arguments.mid(1);
    const QStringList windows =
        run(sync ? "timeout" : "xdotool", arguments, 25000).split('\n', Qt::SkipEmptyParts);
    return windows.isEmpty() ? 0 : windows.last().toUInt();
}
}  // namespace

App::App(const QString& program, const QStringList& arguments)
    : process_(std::make_unique<QProcess>()) {
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->start(program, arguments);
    if (process_->waitForStarted(10000)) window_ = lastWindow(pid(), true);
}

App::~App() {
    if (process_->state() == QProcess::NotRunning) return;
    ::kill(pid_t(pid()), SIGCONT);  // a test may have stopped it
    process_->terminate();
    if (!process_->waitForFinished(3000)) process_->kill();
    process_->waitForFinished(3000);
}

void App::send(const QString& line) {
    process_->write((line + QLatin1Char('\n')).toUtf8());
    process_->waitForBytesWritten(3000);
}

quint32 App::window() const {
    // Still this process's, or replaced by another of its windows.
    const QString owner = run("xdotool", {"getwindowpid", QString::number(window_)});
    if (window_ && owner != QString::number(pid()))
        if (const quint32 replacement = lastWindow(pid(), false)) window_ = replacement;
    return window_;
}

bool App::activate() {
    if (!window_) return false;
    const QString id = windowArg();
    xdotool({"windowactivate", "--sync", id});
    // The window manager's word first, then the keyboard focus, which may follow later:
    // keys typed before it would go to the previous window.
    return waitUntil([&] {
        return run("xdotool", {"getactivewindow"}) == id &&
               run("xdotool", {"getwindowfocus"}) == id;
    });
}

bool screenshot(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) return false;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const int w = screen->width_in_pixels, h = screen->height_in_pixels;
    xcb_get_image_reply_t* reply =
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0,
                                          uint16_t(w), uint16_t(h), ~0u),
                            nullptr);
    bool saved = false;
    if (reply && xcb_get_image_data_length(reply) >= w * h * 4) {
        const QImage image(xcb_get_image_data(reply), w, h, w * 4, QImage::Format_RGB32);
        saved = image.save(path, "PNG");
    }
    free(reply);
    xcb_disconnect(c);
    return saved;
}

}  // namespace DesktopDriver
