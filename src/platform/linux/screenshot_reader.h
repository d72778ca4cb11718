// The screenshot reader: the pixels of a process's front window through the Composite
// extension (so a covered window reads correctly), scaled as the capture size rules say, and
// recognised by the text-recognition module (loaded on the first read) with one engine kept for
// reuse. The picture is never written anywhere. Recognition worker only.
//
// Only the window being read is redirected, and only for the read; with a compositing manager
// on the screen every window has its pixmap already and nothing is redirected.
#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <optional>

#include "capture/screenshot_geometry.h"
#include "platform/linux/text_recognition.h"

namespace tarnwhistle {

class X11Connection;

class ScreenshotReader {
public:
    // Pictures windows of `display` (empty: $DISPLAY).
    explicit ScreenshotReader(const QByteArray& display = {});
    ~ScreenshotReader();

    // Text in `window` (0: the first suitable on-screen window of `pid`), at most `maxChars`
    // characters; empty on any failure.
    QString readText(qint64 pid, quint64 window, int maxChars);
    // Text recognition over one grey image, lines joined by line feeds.
    QString recognise(const QImage& image, int maxChars, int resolution = 96);
    // Grey pixels of the window, already scaled; a null image on failure.
    QImage capture(qint64 pid, quint64 window = 0);

    // Whether the X server answers (the stand-in for screen-capture permission).
    bool available();

    // After a redirection the application repaints what was covered.
    static constexpr int redirectSettleMs = 400;

private:
    std::vector<ScreenshotGeometry::Window> windowsFrontToBack();
    bool compositeReady();
    bool compositorOwnsScreen();

    QByteArray display_;
    std::unique_ptr<X11Connection> x_;
    bool compositeChecked_ = false, compositeReady_ = false;
    TextRecognition recognition_;
};

}  // namespace tarnwhistle
