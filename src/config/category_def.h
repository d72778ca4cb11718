// One entry of a classifier vocabulary: a machine name and a comma-separated description of
// the work that the classifier compares window text with.
#pragma once

#include <QString>
#include <vector>

namespace tarnwhistle {

struct CategoryDef {
    QString name;         // lower case with underscores, e.g. "data_entry"
    QString description;  // comma-separated words and phrases

    bool operator==(const CategoryDef&) const = default;
};

using CategoryList = std::vector<CategoryDef>;

}  // namespace tarnwhistle
