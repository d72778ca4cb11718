// The windows' view of the agent: the shared core objects and the shell's and desktop's
// actions they start, and the views the window registry builds for each key.
#pragma once

struct UiServices;

// Filled on first use from the shared objects.
UiServices& agentUiServices();
// Tells the window registry how to build each window that exists; the others open a plain
// window that says they are not built yet.
void defineWindows();
