#include "ui/tag_list_editor.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/text_trim.h"
#include "ui/flow_layout.h"
#include "ui/symbols.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

TagListEditor::TagListEditor(const QString& placeholder, bool monospaced,
                             const QString& accessibleName, QWidget* parent)
    : QWidget(parent), monospaced_(monospaced) {
    setAccessibleName(accessibleName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    tags_ = new QWidget(this);
    tags_->setAccessibleName(accessibleName);
    new FlowLayout(tags_, 6);
    layout->addWidget(tags_);

    auto* entry = new QHBoxLayout;
    field_ = new QLineEdit(this);
    field_->setPlaceholderText(placeholder);
    field_->setAccessibleName(QStringLiteral("New entry for ") + accessibleName);
    field_->setAccessibleDescription(placeholder);
    if (monospaced) field_->setFont(UiStyle::monospaceFont());
    addButton_ = new QPushButton(Symbols::icon(QStringLiteral("plus.circle.fill")),
                                 QStringLiteral("Add"), this);
    addButton_->setAccessibleName(QStringLiteral("Add to ") + accessibleName);
    entry->addWidget(field_, 1);
    entry->addWidget(addButton_);
    layout->addLayout(entry);

    connect(field_, &QLineEdit::returnPressed, this, &TagListEditor::addFromField);
    connect(addButton_, &QPushButton::clicked, this, &TagListEditor::addFromField);
    rebuildTags();
}

void TagListEditor::setItems(const QStringList& items) {
    if (items == items_) return;
    items_ = items;
    rebuildTags();
}

bool TagListEditor::add(const QString& text) {
    const QString trimmed = Text::trimHorizontalSpace(text);
    if (trimmed.isEmpty() || items_.contains(trimmed)) return false;
    items_.append(trimmed);
    rebuildTags();
    emit itemsChanged(items_);
    return true;
}

void TagListEditor::addFromField() {
    if (add(field_->text())) field_->clear();
}

void TagListEditor::rebuildTags() {
    QLayout* flow = tags_->layout();
    // Keep keyboard focus sensible: a removed tag's button must not leave focus nowhere.
    const bool hadFocus = tags_->isAncestorOf(QApplication::focusWidget());
    while (QLayoutItem* item = flow->takeAt(0)) {
        // Later: the remove button that asked for this rebuild is still in its click handler.
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    if (items_.isEmpty()) {
        auto* empty = UiStyle::secondaryLabel(QStringLiteral("Nothing here yet."), tags_, false);
        flow->addWidget(empty);
    }
    for (const QString& item : items_) {
        auto* tag = new QFrame(tags_);
        tag->setObjectName(QStringLiteral("tag"));
        tag->setStyleSheet(
            QStringLiteral("QFrame#tag { background: palette(alternate-base); border: 1px solid "
                           "palette(midlight); border-radius: 11px; }"));
        auto* row = new QHBoxLayout(tag);
        row->setContentsMargins(9, 2, 3, 2);
        row->setSpacing(2);
        auto* text = new QLabel(item, tag);
        if (monospaced_) text->setFont(UiStyle::monospaceFont(0.95));
        auto* remove = new QToolButton(tag);
        remove->setIcon(
            Symbols::icon(QStringLiteral("xmark.circle.fill"), UiStyle::secondaryText(palette())));
        remove->setAutoRaise(true);
        remove->setAccessibleName(QStringLiteral("Remove ") + item);
        remove->setToolTip(QStringLiteral("Remove ") + item);
        connect(remove, &QToolButton::clicked, this, [this, item] {
            items_.removeAll(item);
            rebuildTags();
            emit itemsChanged(items_);
        });
        row->addWidget(text);
        row->addWidget(remove);
        flow->addWidget(tag);
    }
    if (hadFocus) field_->setFocus();
    tags_->updateGeometry();
    updateGeometry();
}

}  // namespace tarnwhistle
