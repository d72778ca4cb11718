// What the agent's windows are given: the shared objects, the delegate's actions, the links
// and the desktop's services.
#pragma once

#include "ui/ui_services.h"

namespace tarnwhistle {

UiServices windowServices();

}  // namespace tarnwhistle
