// Redaction of a stream of UTF-8 text, for the command-line tool.
#pragma once

#include <QIODevice>

namespace tarnwhistle {

// Reads `in` to its end and writes it redacted to `out`: each line is one text and gives
// exactly one line (its "\n" or "\r\n" kept; a last line without one still gets "\n"); with
// `whole`, the entire input is one text and is written back without anything added.
// Invalid UTF-8 is read as U+FFFD. False when writing fails.
bool redactStream(QIODevice& in, QIODevice& out, bool whole);

}  // namespace tarnwhistle
