// Everything the process entry does after creating the application object: single instance,
// signal handling, the launch sequence, links, and the event loop until the quit reply.
#pragma once

class QApplication;

namespace tarnwhistle {

// Returns the process's exit status.
int runAgent(QApplication& app);

}  // namespace tarnwhistle
