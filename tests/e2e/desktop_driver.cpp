#include "desktop_driver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <csignal>
#include <xcb/xcb.h>

namespace DesktopDriver {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() >= timeoutMs) return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
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
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(15000) && process.exitCode() == 0;
}

App::App(const QString& program, const QStringList& arguments)
    : process_(std::make_unique<QProcess>()) {
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->start(program, arguments);
    if (!process_->waitForStarted(10000)) return;
    // --sync waits until a window of that process shows up (or the timeout ends it).
    const QString found =
        run(QStringLiteral("timeout"),
            {QStringLiteral("20"), QStringLiteral("xdotool"), QStringLiteral("search"),
             QStringLiteral("--sync"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
             QString::number(pid())},
            25000);
    const QStringList windows = found.split('\n', Qt::SkipEmptyParts);
    if (!windows.isEmpty()) window_ = windows.last().toUInt();
}

App::~App() {
    if (process_->state() != QProcess::NotRunning) {
        ::kill(pid_t(process_->processId()), SIGCONT);  // a test may have stopped it
        process_->terminate();
        if (!process_->waitForFinished(3000)) {
            process_->kill();
            process_->waitForFinished(3000);
        }
    }
}

void App::send(const QString& line) {
    process_->write((line + QLatin1Char('\n')).toUtf8());
    process_->waitForBytesWritten(3000);
}

qint64 App::pid() const { return process_->processId(); }

quint32 App::window() const {
    if (!window_ || run(QStringLiteral("xdotool"), {QStringLiteral("getwindowpid"),
                                                     QString::number(window_)}) ==
                        QString::number(pid()))
        return window_;
    const QStringList visible = run(QStringLiteral("xdotool"),
                                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--pid"), QString::number(pid())})
                                    .split('\n', Qt::SkipEmptyParts);
    if (!visible.isEmpty()) window_ = visible.last().toUInt();
    return window_;
}

bool App::activate() {
    if (!window_) return false;
    const QString id = windowArg();
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
    // The window manager's word first, then the keyboard focus, which may follow later:
    // keys typed before it would go to the previous window.
    return waitUntil([&] {
        return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}) == id &&
               run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}) == id;
    });
}

bool screenshot(const QString& path) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) return false;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const int w = screen->width_in_pixels, h = screen->height_in_pixels;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0, uint16_t(w),
                         uint16_t(h), ~0u),
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
