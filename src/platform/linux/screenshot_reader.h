// The screenshot reader: the pixels of a process's front window through the Composite
// extension (so a covered window reads correctly), scaled as the capture size rules say, and
// recognised by Tesseract with one engine kept for reuse (fast model, no dictionaries, one
// thread). The picture is never written anywhere. Recognition worker only.
#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <optional>

#include "capture/screenshot_geometry.h"

namespace tesseract {
class TessBaseAPI;
}
class X11Connection;

class ScreenshotReader {
public:
    ScreenshotReader();
    ~ScreenshotReader();

    // Text in the first suitable on-screen window of `pid`, at most `maxChars` characters;
    // empty on any failure.
    QString readText(qint64 pid, int maxChars);
    // Text recognition over one grey image, lines joined by line feeds.
    QString recognise(const QImage& image, int maxChars, int resolution = 96);
    // Grey pixels of the window, already scaled; a null image on failure.
    QImage capture(qint64 pid);

    // Whether the X server answers (the stand-in for screen-capture permission).
    bool available();

    // After the first redirection the applications repaint what was covered.
    static constexpr int firstRedirectSettleMs = 400;

private:
    std::vector<ScreenshotGeometry::Window> windowsFrontToBack();
    bool redirect();
    tesseract::TessBaseAPI* engine();

    std::unique_ptr<X11Connection> x_;
    bool redirected_ = false;
    std::unique_ptr<tesseract::TessBaseAPI> engine_;
    bool engineFailed_ = false;
};
