// The agent side of the canary test: the real capture loop on the real Linux backend, the
// engine, the store, the classifier and the outbox, wired as the application wires them, in a
// process of their own so that its standard output and error can be examined.
#pragma once

#include <QString>

namespace CanaryAgent {

// Runs a session in which `canary` appears in a window title, a file name after a dot, a folder
// name, a web address's path and query, the window's text, the clipboard, typed text and the
// login name; then delivers every signal to `webhook`. Data lives in `folder`. Exit status 0
// when the session ran as planned.
int runSession(const QString& folder, const QString& canary, const QString& webhook,
               const QString& secret);

// "Delete all local data" on the store in `folder`: prints "deleted" and keeps the connection
// open until a line arrives on standard input, so the files can be read as they are then.
int deleteAll(const QString& folder);

}  // namespace CanaryAgent
