// "Show in file manager": asks the desktop's file manager to show a file selected in its
// folder (org.freedesktop.FileManager1), else opens the folder.
#pragma once

#include <QString>

namespace tarnwhistle {

void revealInFileManager(const QString& path);

}  // namespace tarnwhistle
