#include "ui/welcome_view.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_status.h"
#include "config/config_store.h"
#include "storage/store.h"
#include "ui/badge.h"
#include "ui/brand_colors.h"
#include "ui/brand_mark.h"
#include "ui/setting_blocks.h"
#include "ui/symbols.h"
#include "ui/ui_style.h"
#include "ui/windows.h"

namespace tarnwhistle {

// The 34-point circle of a step: its number in teal on pale teal, or a green check when done.
class StepMark : public QWidget {
  public:
    StepMark(int number, QWidget* parent) : QWidget(parent), number_(number) {
        setFixedSize(34, 34);
    }
    void setDone(bool done) {
        done_ = done;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor color = done_ ? UiStyle::green() : brandTeal();
        QColor fill = color;
        fill.setAlphaF(done_ ? 0.18 : 0.15);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(rect());
        if (done_) {
            p.drawPixmap(
                7, 7, Symbols::drawn(QStringLiteral("checkmark"), 20, color, devicePixelRatioF()));
            return;
        }
        QFont f = font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.15);
        p.setFont(f);
        p.setPen(color.darker(118));
        p.drawText(rect(), Qt::AlignCenter, QString::number(number_));
    }

  private:
    int number_;
    bool done_ = false;
};

WelcomeView::WelcomeView(const UiServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* layout = UiStyle::addScrollingColumn(outer);
    QWidget* content = layout->parentWidget();
    layout->setContentsMargins(30, 24, 30, 16);
    layout->setSpacing(16);

    auto* header = new QHBoxLayout;
    header->setSpacing(14);
    header->addWidget(new BrandMark(52, content), 0, Qt::AlignTop);
    auto* headText = new QVBoxLayout;
    headText->setSpacing(2);
    auto* name = new QLabel(QStringLiteral("Tarnwhistle"), content);
    name->setFont(UiStyle::scaledFont(font(), 1.8, QFont::Bold));
    auto* tagline =
        new QLabel(QStringLiteral("Useful signals. Without the sensitive data."), content);
    tagline->setFont(UiStyle::scaledFont(font(), 1.1, QFont::DemiBold));
    QPalette teal = tagline->palette();
    teal.setColor(QPalette::WindowText, brandTeal().darker(135));
    tagline->setPalette(teal);
    headText->addWidget(name);
    headText->addWidget(tagline);
    header->addLayout(headText, 1);
    layout->addLayout(header);
    layout->addWidget(UiStyle::secondaryLabel(
        QStringLiteral("Tarnwhistle notices how you use your computer and turns it into simple, "
                       "private facts called signals, such as “Excel was used for 12 minutes”. "
                       "Only those facts can be sent, to a place you choose."),
        content));

    auto openUrl = [this](const QUrl& url) {
        if (services_.openUrl) services_.openUrl(url);
    };
    auto openSettings = [this] {
        if (services_.openWindow) services_.openWindow(Windows::settings);
    };

    // Step 1.
    auto* trust = new QWidget(content);
    auto* trustButtons = new QHBoxLayout(trust);
    trustButtons->setContentsMargins(0, 0, 0, 0);
    auto* ask = new QPushButton(QStringLiteral("Ask the desktop"), trust);
    ask->setDefault(true);
    ask->setAccessibleName(QStringLiteral("Ask the desktop to allow Accessibility"));
    auto* settings = new QPushButton(QStringLiteral("Open the desktop's settings"), trust);
    trustButtons->addWidget(ask);
    trustButtons->addWidget(settings);
    trustButtons->addStretch(1);
    connect(ask, &QPushButton::clicked, this, [this] {
        if (services_.desktopHelperAnswered) {
            if (services_.switchOnDesktopHelper) services_.switchOnDesktopHelper();
        } else if (services_.requestAccessibility) {
            services_.requestAccessibility();
        }
        refreshSteps();
    });
    connect(settings, &QPushButton::clicked, this, [this] {
        if (services_.openAccessibilitySettings) services_.openAccessibilitySettings();
    });
    if (services_.desktopHelperAnswered) {
        // On GNOME nothing shows the window in front but our Shell extension.
        ask->setText(QStringLiteral("Switch on the extension"));
        ask->setAccessibleName(QStringLiteral("Switch on the Tarnwhistle extension"));
        settings->hide();
        layout->addWidget(buildStep(
            1, QStringLiteral("Switch on the Tarnwhistle extension"),
            QStringLiteral("Switch on the Tarnwhistle extension in Extensions so Tarnwhistle can "
                           "see which window is in front (if it is not listed, log out and back "
                           "in first)."),
            trust));
    } else {
        layout->addWidget(buildStep(
            1, QStringLiteral("Allow Accessibility"),
            QStringLiteral("Lets Tarnwhistle see which app and window are in front, and count "
                           "keys and clicks without recording them."),
            trust));
    }

    // Step 2.
    auto* where = new QWidget(content);
    auto* whereLayout = new QVBoxLayout(where);
    whereLayout->setContentsMargins(0, 0, 0, 0);
    sendingTo_ = new QLabel(where);
    destinationButtons_ = new QWidget(where);
    auto* destLine = new QHBoxLayout(destinationButtons_);
    destLine->setContentsMargins(0, 0, 0, 0);
    auto* dashboard =
        new QPushButton(QStringLiteral("Open the free dashboard"), destinationButtons_);
    auto* own = new QPushButton(QStringLiteral("Use my own webhook"), destinationButtons_);
    destLine->addWidget(dashboard);
    destLine->addWidget(own);
    destLine->addStretch(1);
    whereLayout->addWidget(sendingTo_);
    whereLayout->addWidget(destinationButtons_);
    connect(dashboard, &QPushButton::clicked, this,
            [this, openUrl] { openUrl(services_.dashboardUrl); });
    connect(own, &QPushButton::clicked, this, openSettings);
    layout->addWidget(buildStep(
        2, QStringLiteral("Choose where signals go"),
        QStringLiteral("Create a free dashboard account and click “Connect this computer”, or "
                       "enter any webhook address of your own in Settings → Delivery."),
        where));

    // Step 3.
    layout->addWidget(buildStep(
        3, QStringLiteral("Work as usual"),
        QStringLiteral("Tarnwhistle runs quietly in the tray. The coloured dot on its icon shows "
                       "the status; green means connected."),
        nullptr));

    layout->addWidget(buildNeverSent());
    layout->addStretch(1);

    auto* footer = new QFrame(this);
    footer->setObjectName(QStringLiteral("footer"));
    footer->setStyleSheet(
        QStringLiteral("QFrame#footer { border-top: 1px solid palette(midlight); }"));
    auto* bar = new QHBoxLayout(footer);
    bar->setContentsMargins(30, 10, 30, 12);
    auto* how =
        new QPushButton(Symbols::icon(QStringLiteral("book"), palette().color(QPalette::Link)),
                        QStringLiteral("How it works"), footer);
    how->setFlat(true);
    how->setCursor(Qt::PointingHandCursor);
    how->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); border: none; }"));
    auto* openSettingsButton = new QPushButton(QStringLiteral("Open Settings"), footer);
    auto* doneButton = new QPushButton(QStringLiteral("Done"), footer);
    doneButton->setDefault(true);
    bar->addWidget(how);
    bar->addStretch(1);
    bar->addWidget(openSettingsButton);
    bar->addWidget(doneButton);
    outer->addWidget(footer);
    connect(how, &QPushButton::clicked, this, [this, openUrl] { openUrl(services_.docsUrl); });
    connect(openSettingsButton, &QPushButton::clicked, this, openSettings);
    connect(doneButton, &QPushButton::clicked, this, &WelcomeView::done);

    timer_.setInterval(refreshIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (services_.status) services_.status->refresh();
        refreshSteps();
    });
    if (services_.status) {
        connect(services_.status, &AppStatus::refreshed, this, &WelcomeView::refreshSteps);
        connect(services_.status, &AppStatus::trustedChanged, this, &WelcomeView::refreshSteps);
        connect(services_.status, &AppStatus::countsChanged, this, &WelcomeView::refreshSteps);
    }
    if (services_.configStore)
        connect(services_.configStore, &ConfigStore::configChanged, this,
                &WelcomeView::refreshSteps);
    refreshSteps();
}

QWidget* WelcomeView::buildStep(int number, const QString& title, const QString& text,
                                QWidget* extra) {
    auto* step = new QWidget(this);
    auto* row = new QHBoxLayout(step);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    auto* mark = new StepMark(number, step);
    marks_[number - 1] = mark;
    row->addWidget(mark, 0, Qt::AlignTop);
    auto* body = new QVBoxLayout;
    body->setSpacing(4);
    auto* titleLine = new QHBoxLayout;
    auto* heading = new QLabel(title, step);
    heading->setFont(UiStyle::scaledFont(font(), 1.08, QFont::DemiBold));
    auto* tag = new Badge(QStringLiteral("Done"), UiStyle::green(), step);
    tags_[number - 1] = tag;
    titleLine->addWidget(heading);
    titleLine->addWidget(tag);
    titleLine->addStretch(1);
    body->addLayout(titleLine);
    body->addWidget(UiStyle::secondaryLabel(text, step));
    if (extra) body->addWidget(extra);
    row->addLayout(body, 1);
    step->setAccessibleName(QStringLiteral("Step %1: %2").arg(number).arg(title));
    return step;
}

QWidget* WelcomeView::buildNeverSent() {
    auto* panel = new Panel(QStringLiteral("Never sent"), QStringLiteral("lock.fill"), this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(8);
    const std::array<std::pair<const char*, const char*>, 6> items = {{
        {"What you type", "keyboard"},
        {"What you copy", "doc.on.clipboard"},
        {"Screenshots", "photo"},
        {"Window titles & file names", "macwindow"},
        {"Full web addresses", "link"},
        {"Mouse positions", "cursorarrow"},
    }};
    for (size_t i = 0; i < items.size(); ++i) {
        auto* cell = new QHBoxLayout;
        cell->setSpacing(8);
        cell->addWidget(symbolLabel(QString::fromUtf8(items[i].second),
                                    UiStyle::secondaryText(palette()), 16, panel));
        cell->addWidget(new QLabel(QString::fromUtf8(items[i].first), panel), 1);
        grid->addLayout(cell, int(i / 2), int(i % 2));
    }
    panel->content()->addLayout(grid);
    panel->setAccessibleName(QStringLiteral("Never sent"));
    return panel;
}

void WelcomeView::refreshSteps() {
    // Step 2 is done when there is a destination: the status model's host, from the address
    // trimmed of spaces and tabs.
    const AppStatus* status = services_.status;
    const auto host = status ? status->destinationHost() : std::nullopt;
    const bool firstDone = services_.desktopHelperAnswered ? services_.desktopHelperAnswered()
                                                           : status && status->trusted();
    done_ = {firstDone, host.has_value(), status && status->signalsToday() > 0};
    for (int i = 0; i < 3; ++i) {
        marks_[i]->setDone(done_[i]);
        tags_[i]->setVisible(done_[i]);
    }
    sendingTo_->setText(QStringLiteral("Sending to ") + host.value_or(QString()));
    sendingTo_->setVisible(done_[1]);
    destinationButtons_->setVisible(!done_[1]);
}

void WelcomeView::done() {
    if (services_.store)
        services_.store->setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed"));
    // Closing only hides a registered window; it reopens as it was.
    window()->close();
}

void WelcomeView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshSteps();
    timer_.start();
}

void WelcomeView::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace tarnwhistle
