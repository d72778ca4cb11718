// Window snapshots where the compositor's helper reports the front window: the title is the
// one the compositor reported (no permission needed, so the reader always counts as trusted);
// since the helper also names the process, the accessibility bus adds the page address or
// document, whether a password field has the focus, and the text sample, when it is on.
// Window-poll worker, except isAccessibilityTrusted().
#pragma once

#include <QMutex>
#include <memory>

#include "capture/window_reader.h"

namespace tarnwhistle {

class AtspiReader;
class ReportedFrontWindow;

class ReportedWindowReader : public WindowReader {
  public:
    explicit ReportedWindowReader(const ReportedFrontWindow& front);
    ~ReportedWindowReader() override;

    bool isAccessibilityTrusted() override { return true; }
    std::optional<Snapshot> snapshot(qint64 pid, const QString& bundleId, Reading reading) override;
    TextSample textSample(qint64 pid, const QString& bundleId, int maxChars, int maxNodes) override;

    // How long an address or document read stays good for the same window and title.
    static constexpr qint64 reuseMs = 5000;

  private:
    const ReportedFrontWindow& front_;
    QMutex lock_;
    std::unique_ptr<AtspiReader> atspi_;  // made on first use, on the worker
    struct Read {
        qint64 pid = 0;
        QString title;
        qint64 atMs = 0;
        std::optional<QString> url, documentPath;
    };
    std::optional<Read> last_;
};

}  // namespace tarnwhistle
