// Text recognition, loaded by the agent only when it first pictures a window: Tesseract and
// everything it pulls in (image codecs, OpenMP) stay out of the process until the screenshot
// reader is used. A plain C interface, so the agent needs none of its headers.
#include <omp.h>
#include <tesseract/baseapi.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
std::unique_ptr<tesseract::TessBaseAPI> engine;
}  // namespace

extern "C" {

// Once, before the first read: no nesting level may be active, so every parallel region of the
// recogniser runs on the calling thread alone and no idle workers spin between reads. Fast
// model, no dictionaries (the equivalent of switching language correction off, and faster).
__attribute__((visibility("default"))) bool tarnwhistle_ocr_open() {
    if (engine) return true;
    omp_set_max_active_levels(0);
    omp_set_dynamic(0);
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    std::vector<std::string> names{"load_system_dawg", "load_freq_dawg"};
    std::vector<std::string> values{"0", "0"};
    if (api->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0)
        return false;
    api->SetPageSegMode(tesseract::PSM_AUTO);
    engine = std::move(api);
    return true;
}

// The text lines of a grey image, each trimmed, joined by line feeds; the caller frees the
// result with tarnwhistle_ocr_free. Null when nothing could be read.
__attribute__((visibility("default"))) char* tarnwhistle_ocr_read(const unsigned char* grey,
                                                                 int width, int height,
                                                                 int bytesPerLine,
                                                                 int resolution) {
    if (!engine || !grey || width <= 0 || height <= 0) return nullptr;
    engine->SetImage(grey, width, height, 1, bytesPerLine);
    engine->SetSourceResolution(resolution);
    std::string lines;
    if (engine->Recognize(nullptr) == 0) {
        std::unique_ptr<tesseract::ResultIterator> it(engine->GetIterator());
        if (it) {
            do {
                std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
                if (!text) continue;
                std::string line(text.get());
                const auto first = line.find_first_not_of(" \t\r\n");
                if (first == std::string::npos) continue;
                line = line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
                if (!lines.empty()) lines += '\n';
                lines += line;
            } while (it->Next(tesseract::RIL_TEXTLINE));
        }
    }
    engine->Clear();
    return strdup(lines.c_str());
}

__attribute__((visibility("default"))) void tarnwhistle_ocr_free(char* text) { std::free(text); }

__attribute__((visibility("default"))) void tarnwhistle_ocr_close() {
    if (engine) engine->End();
    engine.reset();
}
}
