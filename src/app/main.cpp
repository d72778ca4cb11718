// The agent's process: one per session, living in the tray, with no main window.
#include <QApplication>

#include "app/agent_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return tarnwhistle::runAgent(app);
}
