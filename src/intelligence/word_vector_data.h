// Where the word-vector file made at setup is found.
#pragma once

#include <QString>

inline constexpr const char* wordVectorFileName = "word-vectors.bin";

// The file beside the program (install prefix or build tree); empty when there is none.
QString wordVectorFilePath();
