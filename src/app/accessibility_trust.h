// Whether this process may read other applications' windows, and the request for it. On a
// Linux desktop that is the accessibility bus: trusted when it answers and
// org.a11y.Status.IsEnabled is true; the "prompt" switches IsEnabled on for the session.
// Main thread only.
#pragma once

namespace AccessibilityTrust {
// Cached for a few seconds; never prompts.
bool trusted();
// Asks the session to enable accessibility; returns whether it is enabled afterwards.
bool prompt();
}  // namespace AccessibilityTrust
