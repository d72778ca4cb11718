// The classifier hint the signal engine puts before a window's text ("App: Firefox. Window:
// ..."). The application's own name says which program is open, not what the work is, and
// names such as "Google Chrome" or "Microsoft Teams" resemble category phrases ("Google Meet",
// "Teams call"); the rule category already speaks for the application.
#pragma once

#include <QString>

namespace tarnwhistle {

namespace HintText {

// `text` without the hint's application part and without any other occurrence of the
// application name's words; any text that does not start with a hint comes back unchanged.
QString withoutApplicationName(const QString& text);

}  // namespace HintText

}  // namespace tarnwhistle
