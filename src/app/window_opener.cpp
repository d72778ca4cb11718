#include "app/window_opener.h"

#include <QLabel>
#include <QSize>

#include "ui/windows.h"

namespace {

Windows::Definition placeholder(const QString& key) {
    if (key == Windows::welcome)
        return {QStringLiteral("Welcome to Tarnwhistle"), QSize(640, 700), nullptr};
    if (key == Windows::settings) return {QStringLiteral("Tarnwhistle"), QSize(900, 660), nullptr};
    return {QStringLiteral("Tarnwhistle — Activity Log"), QSize(960, 640), nullptr};
}

}  // namespace

void WindowOpener::open(const QString& key) {
    if (key != Windows::welcome && key != Windows::settings && key != Windows::activity) return;
    Windows& windows = Windows::shared();
    if (!windows.isDefined(key)) {
        Windows::Definition definition = placeholder(key);
        definition.build = [] {
            auto* label = new QLabel(QStringLiteral("This window is not built yet."));
            label->setAlignment(Qt::AlignCenter);
            return label;
        };
        windows.define(key, definition);
    }
    windows.open(key);
}

bool WindowOpener::anyVisible() {
    const Windows& windows = Windows::shared();
    return windows.isVisible(Windows::welcome) || windows.isVisible(Windows::settings) ||
           windows.isVisible(Windows::activity);
}
