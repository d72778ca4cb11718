#include "ui/status_hero.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/app_status.h"
#include "delivery/outbox.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

StatusHero::StatusHero(AppStatus& status, Outbox& outbox, QWidget* parent)
    : QWidget(parent), status_(status) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    title_ = new QLabel(this);
    title_->setFont(UiStyle::scaledFont(font(), 1.7, QFont::Bold));
    description_ = UiStyle::secondaryLabel({}, this);
    lastSent_ = UiStyle::secondaryLabel({}, this);
    UiStyle::makeCaption(lastSent_);
    layout->addWidget(title_);
    layout->addWidget(description_);
    layout->addWidget(lastSent_);
    connect(&status_, &AppStatus::refreshed, this, &StatusHero::refresh);
    connect(&status_, &AppStatus::stateChanged, this, &StatusHero::refresh);
    connect(&outbox, &Outbox::changed, this, &StatusHero::refresh);
    refresh();
}

void StatusHero::refresh() {
    const AppStatus::State state = status_.state();
    title_->setText(AppStatus::title(state));
    const QString missing = status_.unavailable();  // what this desktop hides, if anything
    description_->setText(AppStatus::description(state) +
                          (missing.isEmpty() ? QString() : QLatin1Char(' ') + missing));
    lastSent_->setText(status_.lastSentText());
    lastSent_->setVisible(status_.destinationHost().has_value());
    setAccessibleName(title_->text());
    setAccessibleDescription(description_->text());
}

}  // namespace tarnwhistle
