// Edits a list of strings as removable tags (wrapped by a flow layout), with a text field and
// an add action. Adding trims spaces and tabs and ignores an empty text or one already listed.
#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace tarnwhistle {

class TagListEditor : public QWidget {
    Q_OBJECT
  public:
    TagListEditor(const QString& placeholder, bool monospaced, const QString& accessibleName,
                  QWidget* parent = nullptr);

    QStringList items() const { return items_; }
    void setItems(const QStringList& items);
    QLineEdit* field() const { return field_; }
    // Adds the field's text and clears the field when it was added.
    void addFromField();
    // Adds `text` as if typed; true when it was added, false when it is empty after trimming
    // spaces and tabs or is already listed exactly.
    bool add(const QString& text);

  signals:
    void itemsChanged(const QStringList& items);

  private:
    void rebuildTags();

    QStringList items_;
    bool monospaced_;
    QWidget* tags_;
    QLineEdit* field_;
    QPushButton* addButton_;
};

}  // namespace tarnwhistle
