// How a desktop source tells its one watcher (the capture loop) that something happened: a
// plain function slot set while the watcher watches and cleared after. Sources call their
// notifications on the main thread; an empty slot drops the news.
#pragma once

#include <functional>
#include <utility>

namespace tarnwhistle {

template <typename... Args>
using DesktopHook = std::function<void(Args...)>;

template <typename Hook, typename... Args>
void notifyHook(const Hook& hook, Args&&... args) {
    if (hook) hook(std::forward<Args>(args)...);
}

}  // namespace tarnwhistle
