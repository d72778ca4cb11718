// Tells the window registry how to make the three windows of the agent from the services the
// composition root hands over: "welcome", "settings" and "activity", each with its title and
// content size. Call once at launch, before any window is opened.
#pragma once

#include "ui/ui_services.h"

namespace tarnwhistle {

class AppStatus;
class StatusPill;
class Windows;

void defineWindows(Windows& windows, const UiServices& services);

// Keeps a pill showing the status's state (title and colour).
void bindStatusPill(StatusPill* pill, AppStatus& status);

}  // namespace tarnwhistle
