// Opens the agent's windows by key ("welcome", "settings", "activity") through the window
// registry.
#pragma once

#include <QString>

namespace WindowOpener {
// Shows the window for `key`; a key the registry has no view for yet gets a plain window
// that says so.
void open(const QString& key);
// Whether any of the agent's windows is on screen.
bool anyVisible();
}  // namespace WindowOpener
