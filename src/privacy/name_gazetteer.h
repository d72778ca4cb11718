// The known given and family names, loaded once from the data file "person-names.txt" that
// the setup step builds from public name lists.
#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

namespace tarnwhistle {

class NameGazetteer {
  public:
    // The list loaded from the data file; empty (with one warning) when the file is missing.
    static const NameGazetteer& shared();

    // Reads lines "g Name" (given) and "f Name" (family); other lines are ignored.
    static NameGazetteer fromText(QStringView text);

    // Lookups also match without accents, either way round: lists often write names bare
    // ("Αθανασια", "Jose") that texts write with accents, and the other way round.
    bool isGivenName(QStringView word) const { return contains(given_, word); }
    bool isFamilyName(QStringView word) const { return contains(family_, word); }
    // `word` without combining marks (decomposed first).
    static QString folded(QStringView word);
    bool isEmpty() const { return given_.isEmpty() && family_.isEmpty(); }

  private:
    static bool contains(const QSet<QString>& set, QStringView word);

    QSet<QString> given_;
    QSet<QString> family_;
};

}  // namespace tarnwhistle
