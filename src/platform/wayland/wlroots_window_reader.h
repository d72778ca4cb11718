// Window snapshots on a wlroots compositor: the title as the compositor reports it. The
// compositor names no process behind a window, so nothing can be looked up on the accessibility
// bus: no address, no document, no text sample, and no password field to be told of. Titles
// need no permission, so the reader always counts as trusted. Any thread.
#pragma once

#include "capture/window_reader.h"
#include "platform/wayland/wlroots_toplevels.h"

namespace tarnwhistle {

class WlrootsWindowReader : public WindowReader {
  public:
    explicit WlrootsWindowReader(const WlrootsToplevels& toplevels) : toplevels_(toplevels) {}

    bool isAccessibilityTrusted() override { return true; }
    std::optional<Snapshot> snapshot(qint64, const QString& bundleId, Reading) override {
        const auto title = toplevels_.frontTitle(bundleId);
        if (!title) return std::nullopt;
        return Snapshot{*title, std::nullopt, std::nullopt, false};
    }
    TextSample textSample(qint64, const QString&, int, int) override { return {}; }

  private:
    const WlrootsToplevels& toplevels_;
};

}  // namespace tarnwhistle
