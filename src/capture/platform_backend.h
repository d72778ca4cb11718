// The desktop backend of the platform this build targets, defined by the platform library
// (src/platform/<name>), created on first use on the main thread.
#pragma once

#include "capture/desktop_backend.h"

namespace PlatformBackend {
DesktopBackend& shared();
}
