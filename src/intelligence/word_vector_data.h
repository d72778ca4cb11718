// Where the word-vector file made at setup is found.
#pragma once

#include <QString>

#include "privacy/data_files.h"

namespace tarnwhistle {

inline constexpr const char* wordVectorFileName = "word-vectors.bin";

// The file beside the program (install prefix or build tree); empty when there is none.
inline QString wordVectorFilePath() {
    return dataFilePath(QString::fromLatin1(wordVectorFileName));
}

}  // namespace tarnwhistle
