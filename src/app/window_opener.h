// Opens the agent's windows by key ("welcome", "settings", "activity") through the window
// registry.
#pragma once

#include <QString>

namespace tarnwhistle {

namespace WindowOpener {
// Shows the window for `key`, defining the three windows over the shared objects on first use.
void open(const QString& key);
// Whether any of the agent's windows is on screen.
bool anyVisible();
}  // namespace WindowOpener

}  // namespace tarnwhistle
