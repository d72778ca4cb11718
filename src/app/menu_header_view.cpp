#include "app/menu_header_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/app_status.h"
#include "ui/brand_mark.h"
#include "ui/status_pill.h"
#include "ui/symbols.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

namespace {

QLabel* chip(const QString& text, bool warning, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPointSizeF(10);
    label->setFont(f);
    const QColor base = warning ? AppStatus::color(AppStatus::State::needsPermission)
                                : parent->palette().color(QPalette::WindowText);
    QColor fill = base;
    fill.setAlphaF(warning ? 0.22 : 0.09);
    label->setStyleSheet(QStringLiteral("QLabel { background: %1; border-radius: 7px; "
                                        "padding: 1px 7px; }")
                             .arg(fill.name(QColor::HexArgb)));
    return label;
}

}  // namespace

MenuHeaderView::MenuHeaderView(AppStatus& status, QWidget* parent)
    : QWidget(parent), status_(status) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 8);
    column->setSpacing(5);

    auto* top = new QHBoxLayout;
    top->setSpacing(7);
    top->addWidget(new BrandMark(20, this));
    auto* name = new QLabel(QStringLiteral("Tarnwhistle"), this);
    QFont bold = name->font();
    bold.setWeight(QFont::DemiBold);
    name->setFont(bold);
    top->addWidget(name);
    top->addStretch(1);
    pill_ = new StatusPill(this);
    top->addWidget(pill_);
    column->addLayout(top);

    QFont small = font();
    // 11.5 points against a 14-point menu text: the same proportion of this desktop's font.
    small.setPointSizeF(small.pointSizeF() * 11.5 / 14.0);
    auto line = [&](QLabel*& icon, QLabel*& text) {
        auto* row = new QHBoxLayout;
        row->setSpacing(5);
        icon = new QLabel(this);
        text = new QLabel(this);
        text->setFont(small);
        UiStyle::makeSecondary(text);
        row->addWidget(icon);
        row->addWidget(text, 1);
        column->addLayout(row);
    };
    line(firstIcon_, first_);
    line(secondIcon_, second_);
    line(problemIcon_, problem_);

    chips_ = new QHBoxLayout;
    chips_->setSpacing(5);
    column->addLayout(chips_);

    connect(&status_, &AppStatus::refreshed, this, &MenuHeaderView::update);
    update();
}

QStringList MenuHeaderView::chipTexts(const AppStatus& status) {
    QStringList out = {QStringLiteral("%1 today").arg(status.signalsToday()),
                       QStringLiteral("%1 waiting").arg(status.waiting())};
    if (status.failing() >= 1) out << QStringLiteral("%1 retrying").arg(status.failing());
    return out;
}

QStringList MenuHeaderView::lines(const AppStatus& status) {
    QStringList out = {QStringLiteral("Tarnwhistle — ") + AppStatus::title(status.state())};
    if (const auto label = status.destinationLabel()) {
        out << *label << status.lastSentText();
    } else {
        out << QStringLiteral("Kept on this computer");
    }
    if (!status.storeProblem().isEmpty()) out << status.storeProblem();
    if (!status.unavailable().isEmpty()) out << status.unavailable();
    out << chipTexts(status).join(QStringLiteral(" · "));
    return out;
}

void MenuHeaderView::update() {
    pill_->setState(AppStatus::title(status_.state()), AppStatus::color(status_.state()));
    const QColor tint = UiStyle::secondaryText(palette());
    auto setLine = [&](QLabel* icon, QLabel* text, const QString& symbol, const QString& value) {
        icon->setPixmap(Symbols::drawn(symbol, 13, tint, devicePixelRatioF()));
        text->setText(value);
        icon->setVisible(!value.isEmpty());
        text->setVisible(!value.isEmpty());
    };
    if (const auto label = status_.destinationLabel()) {
        setLine(firstIcon_, first_, QStringLiteral("arrow.up.forward.circle"), *label);
        setLine(secondIcon_, second_, QStringLiteral("clock"), status_.lastSentText());
    } else {
        setLine(firstIcon_, first_, QStringLiteral("internaldrive"),
                QStringLiteral("Kept on this computer"));
        setLine(secondIcon_, second_, QStringLiteral("clock"), QString());
    }
    setLine(problemIcon_, problem_, QStringLiteral("exclamationmark.shield"),
            status_.storeProblem().isEmpty() ? status_.unavailable() : status_.storeProblem());

    while (QLayoutItem* item = chips_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QStringList texts = chipTexts(status_);
    for (int i = 0; i < texts.size(); ++i) chips_->addWidget(chip(texts[i], i == 2, this));
    chips_->addStretch(1);
}

}  // namespace tarnwhistle
