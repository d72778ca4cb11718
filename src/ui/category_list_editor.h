// Edits a classifier vocabulary: one line per entry with its name and description and a remove
// button, then "Add" (an entry named "new_label") and "Restore defaults".
#pragma once

#include <QWidget>
#include <functional>

#include "config/category_def.h"

class QVBoxLayout;

namespace tarnwhistle {

class CategoryListEditor : public QWidget {
    Q_OBJECT
  public:
    CategoryListEditor(const QString& accessibleName, std::function<CategoryList()> defaults,
                       QWidget* parent = nullptr);

    void setEntries(const CategoryList& entries);
    const CategoryList& entries() const { return entries_; }

  signals:
    void entriesChanged(const CategoryList& entries);

  private:
    void rebuild();
    void changed();

    std::function<CategoryList()> defaults_;
    CategoryList entries_;
    QVBoxLayout* rows_;
};

}  // namespace tarnwhistle
