// Text recognised in a picture of a window.
#pragma once

#include <QString>

namespace tarnwhistle {

class WindowPicture {
  public:
    virtual ~WindowPicture() = default;
    // Recognition worker only. Text recognised in a picture of `window` (else of the process's
    // first suitable window); empty on any failure.
    virtual QString screenshotText(qint64 pid, quint64 window, int maxChars) = 0;
};

}  // namespace tarnwhistle
