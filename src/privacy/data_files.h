// Where the program's data files (name lists, word vectors ...) are found.
#pragma once

#include <QString>

namespace tarnwhistle {

// The full path of data file `fileName`: the first that exists of
//   <executable dir>/../share/tarnwhistle/<fileName> (installed under a prefix),
//   the build tree's share/tarnwhistle/<fileName> (while developing; tests find it there).
// An empty string when none exists.
QString dataFilePath(const QString& fileName);

}  // namespace tarnwhistle
