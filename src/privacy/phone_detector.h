// Finds telephone numbers: runs of digits with phone separators, validated with libphonenumber.
// International numbers ("+" or "00") are checked against their own country; national ones
// first for the region of the user's locale, then for a fixed list of common regions.
#pragma once

#include <QString>
#include <QStringList>

#include "privacy/text_range.h"

namespace tarnwhistle {

namespace PhoneDetector {

// The ranges of `text` that hold phone numbers, sorted, without overlaps.
std::vector<TextRange> find(const QString& text);

// The region of the user's locale from LC_ALL, LC_MESSAGES or LANG (the first that is set and
// names one, e.g. "de_DE.UTF-8" gives "DE"); "US" when none does.
QString localeRegion();

// The regions a national number is tried with, in order: the locale's region, then the common
// ones, each once.
const QStringList& regions();

}  // namespace PhoneDetector

}  // namespace tarnwhistle
