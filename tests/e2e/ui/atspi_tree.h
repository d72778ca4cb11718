// Reads an application's accessibility tree back over the accessibility bus, the way a screen
// reader does: GetChildren, GetRole and the Name property of org.a11y.atspi.Accessible. The
// reading runs on its own thread and connection, so the application being read (this very
// process) keeps answering on its main thread.
#pragma once

#include <QList>
#include <QString>

namespace AtspiTree {

struct Node {
    QString name;
    unsigned role = 0;
    int depth = 0;
};

// Every node under the top-level window named `windowName` of the application named
// `appName`, depth first. Empty when it cannot be found within `timeoutMs`.
// `seen` collects the application and window names met on the way (for failure messages).
QList<Node> read(const QString& appName, const QString& windowName, int timeoutMs = 30000,
                 QStringList* seen = nullptr);

// AT-SPI role numbers of the controls a user operates.
bool isControl(unsigned role);
QString roleName(unsigned role);

}  // namespace AtspiTree
