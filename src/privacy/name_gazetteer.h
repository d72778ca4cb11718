// The known given and family names, loaded once from the data file "person-names.txt" that
// the setup step builds from public name lists.
#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

class NameGazetteer {
public:
    // The list loaded from the data file; empty (with one warning) when the file is missing.
    static const NameGazetteer& shared();

    // Reads lines "g Name" (given) and "f Name" (family); other lines are ignored.
    static NameGazetteer fromText(QStringView text);

    bool isGivenName(QStringView word) const { return given_.contains(word.toString()); }
    bool isFamilyName(QStringView word) const { return family_.contains(word.toString()); }
    bool isEmpty() const { return given_.isEmpty() && family_.isEmpty(); }

private:
    QSet<QString> given_;
    QSet<QString> family_;
};
