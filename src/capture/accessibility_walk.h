// The two bounded breadth-first walks of the accessibility reader.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "capture/accessible_element.h"

namespace tarnwhistle {

namespace AccessibilityWalk {

// Called before each element; true ends the walk with what was gathered (deadline passed,
// the application stopped answering).
using StopCheck = std::function<bool()>;

// Distinct texts (at least 2 characters after trimming, each cut to 300 characters) of the
// text elements under `root`, joined by line feeds and cut to `maxChars` characters. Visits at
// most `maxNodes` elements; password fields and everything inside them are never read.
// `sawPasswordField`, when given, tells whether the walk met one.
QString textSample(std::unique_ptr<AccessibleElement> root, int maxChars, int maxNodes,
                   const StopCheck& stop, bool* sawPasswordField = nullptr);

// The password fields under `root`, visiting at most `maxNodes` elements.
std::vector<std::unique_ptr<AccessibleElement>> passwordFields(
    std::unique_ptr<AccessibleElement> root, int maxNodes, const StopCheck& stop);
// Whether one of them has the keyboard focus.
bool passwordFieldFocused(std::unique_ptr<AccessibleElement> root, int maxNodes,
                          const StopCheck& stop);

// The address of the first web area under `root`, visiting at most `maxNodes` elements.
std::optional<QString> webAreaAddress(std::unique_ptr<AccessibleElement> root, int maxNodes,
                                      const StopCheck& stop);

// `address` when it names a file document (a file: address or an absolute path); absent for
// the internal pages of applications that embed a browser engine.
std::optional<QString> fileDocument(const QString& address);

constexpr int pieceLimit = 300;

}  // namespace AccessibilityWalk

}  // namespace tarnwhistle
