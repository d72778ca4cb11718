#include "platform/linux/text_recognition.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarnwhistle {

TextRecognition::~TextRecognition() {
    if (close_) close_();
}

QStringList TextRecognition::modulePaths() {
    return {QDir(QCoreApplication::applicationDirPath())
                .filePath(QStringLiteral(TARNWHISTLE_OCR_MODULE_FROM_BIN)),
            QStringLiteral(TARNWHISTLE_OCR_MODULE_IN_BUILD)};
}

bool TextRecognition::load() {
    if (tried_) return ready_;
    tried_ = true;
    for (const QString& path : modulePaths()) {
        if (!QFileInfo::exists(path)) continue;
        module_.setFileName(path);
        if (!module_.load()) continue;
        using OpenFn = bool (*)();
        auto open = reinterpret_cast<OpenFn>(module_.resolve("tarnwhistle_ocr_open"));
        read_ = reinterpret_cast<ReadFn>(module_.resolve("tarnwhistle_ocr_read"));
        free_ = reinterpret_cast<FreeFn>(module_.resolve("tarnwhistle_ocr_free"));
        close_ = reinterpret_cast<CloseFn>(module_.resolve("tarnwhistle_ocr_close"));
        if (!open || !read_ || !free_ || !close_) {
            read_ = nullptr;
            free_ = nullptr;
            close_ = nullptr;
            module_.unload();
            continue;
        }
        ready_ = open();
        return ready_;
    }
    return false;
}

QString TextRecognition::read(const QImage& image, int resolution) {
    if (image.isNull() || !load()) return {};
    const QImage grey = image.format() == QImage::Format_Grayscale8
                            ? image
                            : image.convertToFormat(QImage::Format_Grayscale8);
    char* text = read_(grey.constBits(), grey.width(), grey.height(), int(grey.bytesPerLine()),
                       resolution);
    if (!text) return {};
    const QString lines = QString::fromUtf8(text);
    free_(text);
    return lines;
}

}  // namespace tarnwhistle
