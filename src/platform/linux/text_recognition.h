// Text recognition from a separately built module, loaded on the first read and never before:
// the recognition library and its dependencies cost the agent no memory while the screenshot
// reader is off. Recognition worker only.
#pragma once

#include <QImage>
#include <QLibrary>
#include <QString>

namespace tarnwhistle {

class TextRecognition {
public:
    ~TextRecognition();

    // The text lines of `image`, joined by line feeds; empty when nothing is read or the module
    // or its language data is missing.
    QString read(const QImage& image, int resolution);

    // Where the module is looked for: beside the installed program, then in the build tree.
    static QStringList modulePaths();

private:
    bool load();

    QLibrary module_;
    bool tried_ = false, ready_ = false;
    using ReadFn = char* (*)(const unsigned char*, int, int, int, int);
    using FreeFn = void (*)(char*);
    using CloseFn = void (*)();
    ReadFn read_ = nullptr;
    FreeFn free_ = nullptr;
    CloseFn close_ = nullptr;
};

}  // namespace tarnwhistle
