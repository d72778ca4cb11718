#include "ui/category_list_editor.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/symbols.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

CategoryListEditor::CategoryListEditor(const QString& accessibleName,
                                       std::function<CategoryList()> defaults, QWidget* parent)
    : QWidget(parent), defaults_(std::move(defaults)) {
    setAccessibleName(accessibleName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* rowsBox = new QWidget(this);
    rows_ = new QVBoxLayout(rowsBox);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(6);
    layout->addWidget(rowsBox);

    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(Symbols::icon(QStringLiteral("plus.circle.fill"), UiStyle::green()),
                                QStringLiteral("Add"), this);
    add->setAccessibleName(QStringLiteral("Add to ") + accessibleName);
    auto* restore = new QPushButton(QStringLiteral("Restore defaults"), this);
    restore->setAccessibleName(QStringLiteral("Restore default ") + accessibleName.toLower());
    buttons->addWidget(add);
    buttons->addStretch(1);
    buttons->addWidget(restore);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, [this] {
        entries_.push_back({QStringLiteral("new_label"), QString()});
        rebuild();
        changed();
    });
    connect(restore, &QPushButton::clicked, this, [this] {
        entries_ = defaults_();
        rebuild();
        changed();
    });
}

void CategoryListEditor::setEntries(const CategoryList& entries) {
    if (entries == entries_ && rows_->count() == int(entries.size())) return;
    entries_ = entries;
    rebuild();
}

void CategoryListEditor::changed() {
    emit entriesChanged(entries_);
}

void CategoryListEditor::rebuild() {
    while (QLayoutItem* item = rows_->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();  // a remove button may be inside its own click
        }
        delete item;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        auto* row = new QWidget(this);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        auto* name = new QLineEdit(entries_[i].name, row);
        name->setPlaceholderText(QStringLiteral("label_name"));
        name->setFont(UiStyle::monospaceFont());
        name->setFixedWidth(190);
        name->setAccessibleName(QStringLiteral("Name"));
        auto* description = new QLineEdit(entries_[i].description, row);
        description->setPlaceholderText(QStringLiteral("Describe it in a few words"));
        description->setAccessibleName(QStringLiteral("Description of ") + entries_[i].name);
        description->setCursorPosition(0);
        auto* remove = new QToolButton(row);
        remove->setIcon(Symbols::icon(QStringLiteral("trash"), UiStyle::secondaryText(palette())));
        remove->setAutoRaise(true);
        remove->setToolTip(QStringLiteral("Remove"));
        remove->setAccessibleName(QStringLiteral("Remove ") + entries_[i].name);
        line->addWidget(name);
        line->addWidget(description, 1);
        line->addWidget(remove);
        rows_->addWidget(row);

        connect(name, &QLineEdit::textEdited, this,
                [this, i, description, remove](const QString& t) {
                    entries_[i].name = t;
                    description->setAccessibleName(QStringLiteral("Description of ") + t);
                    remove->setAccessibleName(QStringLiteral("Remove ") + t);
                    changed();
                });
        connect(description, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            entries_[i].description = t;
            changed();
        });
        connect(remove, &QToolButton::clicked, this, [this, i] {
            if (i >= entries_.size()) return;
            entries_.erase(entries_.begin() + qsizetype(i));
            rebuild();
            changed();
        });
    }
}

}  // namespace tarnwhistle
