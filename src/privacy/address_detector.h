// Finds postal addresses written in the common Western forms: a street number and a street
// name with a street-type word, optionally followed by a city and a postcode.
//   "1600 Amphitheatre Parkway, Mountain View, CA 94043"   (US)
//   "10 Downing Street, London SW1A 2AA"                   (UK)
//   "Hauptstraße 5, 10115 Berlin", "Keizersgracht 123, 1015 CJ Amsterdam"   (DE, NL)
//   "12 rue de la Paix, 75002 Paris"                      (FR)
//   "Calle de Alcalá 50, 28014 Madrid", "Via Roma 10, 00184 Roma"   (ES, IT)
#pragma once

#include <QString>

#include "privacy/text_range.h"

namespace tarnwhistle {

namespace AddressDetector {

// The ranges of `text` that hold addresses, sorted, without overlaps.
std::vector<TextRange> find(const QString& text);

}  // namespace AddressDetector

}  // namespace tarnwhistle
