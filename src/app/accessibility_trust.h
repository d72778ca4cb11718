// Whether this process may read other applications' windows, and the request for it. On a
// Linux desktop that is the accessibility bus: trusted when it answers and
// org.a11y.Status.IsEnabled is true; the "prompt" switches IsEnabled on for the session.
// Main thread only.
#pragma once

namespace tarnwhistle {

namespace AccessibilityTrust {
// Follows the switch without blocking (the first call, before any answer, asks and waits once);
// never prompts.
bool trusted();
// Asks the session to enable accessibility; true when the session took the request. trusted()
// follows once the change is announced.
bool prompt();
}  // namespace AccessibilityTrust

}  // namespace tarnwhistle
