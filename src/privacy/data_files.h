// Where the program's data files (name lists, word vectors ...) are found.
#pragma once

#include <QString>

// The full path of data file `fileName`: the first that exists of
//   $TARNWHISTLE_DATA_DIR/<fileName> (an override for tests and packagers),
//   <executable dir>/../share/tarnwhistle/<fileName> (installed),
//   <build tree>/share/tarnwhistle/<fileName> (while developing).
// An empty string when none exists.
QString dataFilePath(const QString& fileName);
