#include "ui/settings_delivery_pane.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/destination_card.h"
#include "ui/setting_blocks.h"
#include "ui/symbols.h"
#include "ui/ui_style.h"
#include "ui/windows.h"

namespace tarnwhistle {

using Destination = SettingsModel::Destination;

const std::array<std::pair<qint64, const char*>, 5> SettingsDeliveryPane::intervals = {{
    {30, "30 seconds"},
    {60, "1 minute"},
    {300, "5 minutes"},
    {900, "15 minutes"},
    {3600, "1 hour"},
}};

SettingsDeliveryPane::SettingsDeliveryPane(SettingsModel& model, const UiServices& services,
                                           QWidget* parent)
    : SettingsPane(model, services, parent) {
    auto* cards = new QHBoxLayout;
    cards->setSpacing(10);
    const std::array<std::pair<Destination, const char*>, 3> kinds = {{
        {Destination::dashboard, "Free account. Explore your data online."},
        {Destination::custom, "Any https address that accepts JSON."},
        {Destination::local, "Nothing is sent. See it in the Activity Log."},
    }};
    for (const auto& [kind, text] : kinds) {
        auto* card = new DestinationCard(SettingsModel::title(kind), QString::fromUtf8(text), this);
        cards_[int(kind)] = card;
        cards->addWidget(card);
        connect(card, &DestinationCard::clicked, this,
                [this, kind = kind] { model_.choose(kind); });
    }
    column()->addLayout(cards);

    auto openUrl = [this](const QUrl& url) {
        if (services_.openUrl) services_.openUrl(url);
    };

    dashboard_ = new SettingsGroup(QStringLiteral("Dashboard"), {}, this);
    auto* dashBox = new QWidget(this);
    auto* dashLayout = new QVBoxLayout(dashBox);
    dashLayout->setContentsMargins(0, 0, 0, 0);
    dashboardTitle_ = new QLabel(dashBox);
    dashboardTitle_->setFont(UiStyle::scaledFont(font(), 1.0, QFont::DemiBold));
    dashboardText_ = UiStyle::secondaryLabel(
        QStringLiteral("Sign in to the free dashboard and click “Connect this computer”. This page "
                       "fills in by itself."),
        dashBox);
    dashboardButton_ = makeButton(QString());
    dashLayout->addWidget(dashboardTitle_);
    dashLayout->addWidget(dashboardText_);
    dashLayout->addWidget(dashboardButton_, 0, Qt::AlignLeft);
    dashboard_->addWidget(dashBox);
    connect(dashboardButton_, &QPushButton::clicked, this,
            [this, openUrl] { openUrl(services_.dashboardUrl); });
    column()->addWidget(dashboard_);

    webhook_ = new SettingsGroup(QStringLiteral("Webhook"), {}, this);
    auto* hookBox = new QWidget(this);
    auto* form = new QFormLayout(hookBox);
    form->setContentsMargins(0, 0, 0, 0);
    address_ = makeField(QStringLiteral("https://"),
                         [](DeploymentConfig& c, const QString& t) { c.webhookURL = t; });
    address_->setAccessibleName(QStringLiteral("Address"));
    secret_ = makeField({}, [](DeploymentConfig& c, const QString& t) { c.webhookSecret = t; });
    secret_->setEchoMode(QLineEdit::Password);
    secret_->setAccessibleName(QStringLiteral("Secret"));
    showSecret_ = makeButton(QStringLiteral("Show"), QStringLiteral("eye"));
    showSecret_->setAccessibleName(QStringLiteral("Show secret"));
    connect(showSecret_, &QPushButton::clicked, this, [this] {
        const bool show = secret_->echoMode() == QLineEdit::Password;
        secret_->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
        showSecret_->setText(show ? QStringLiteral("Hide") : QStringLiteral("Show"));
        showSecret_->setIcon(
            Symbols::icon(show ? QStringLiteral("eye.slash") : QStringLiteral("eye")));
        showSecret_->setAccessibleName(show ? QStringLiteral("Hide secret")
                                            : QStringLiteral("Show secret"));
    });
    auto* secretLine = new QHBoxLayout;
    secretLine->addWidget(secret_, 1);
    secretLine->addWidget(showSecret_);
    form->addRow(QStringLiteral("Address"), address_);
    form->addRow(QStringLiteral("Secret"), secretLine);
    auto* help = UiStyle::secondaryLabel(
        QStringLiteral("Each batch is signed with the secret (HMAC-SHA256) so the receiver can "
                       "check it is genuine."),
        hookBox);
    UiStyle::makeCaption(help);
    form->addRow(help);
    webhook_->addWidget(hookBox);
    column()->addWidget(webhook_);

    local_ = new SettingsGroup(QStringLiteral("On this computer"), {}, this);
    auto* localBox = new QWidget(this);
    auto* localLayout = new QHBoxLayout(localBox);
    localLayout->setContentsMargins(0, 0, 0, 0);
    localLayout->addWidget(
        new QLabel(QStringLiteral("Nothing is sent anywhere. You can read every signal in the "
                                  "Activity Log."),
                   localBox),
        1);
    auto* openLog =
        makeButton(QStringLiteral("Open Activity Log"), QStringLiteral("list.bullet.rectangle"));
    connect(openLog, &QPushButton::clicked, this, [this] {
        if (services_.openWindow) services_.openWindow(Windows::activity);
    });
    localLayout->addWidget(openLog);
    local_->addWidget(localBox);
    column()->addWidget(local_);

    auto* sending = new SettingsGroup(QStringLiteral("Sending"), {}, this);
    interval_ = new QComboBox(this);
    interval_->view()->setAccessibleName(QStringLiteral("Send every"));
    for (const auto& [seconds, label] : intervals)
        interval_->addItem(QString::fromUtf8(label), seconds);
    connect(interval_, &QComboBox::activated, this, [this](int index) {
        const qint64 seconds = interval_->itemData(index).toLongLong();
        model_.edit([&](DeploymentConfig& c) { c.flushIntervalSeconds = seconds; });
    });
    sending->addRow(new SettingRow(
        QStringLiteral("timer"), UiStyle::blue(), QStringLiteral("Send every"),
        QStringLiteral("Batches are only sent when there is something new."), interval_, sending));
    auto* testBox = new QWidget(this);
    auto* testLine = new QHBoxLayout(testBox);
    testLine->setContentsMargins(0, 0, 0, 0);
    progress_ = new QProgressBar(testBox);
    progress_->setRange(0, 0);
    progress_->setFixedWidth(60);
    progress_->setTextVisible(false);
    progress_->setAccessibleName(QStringLiteral("Sending test batch"));
    test_ = makeButton(QStringLiteral("Send test batch"));
    testLine->addWidget(progress_);
    testLine->addWidget(test_);
    testRow_ = new SettingRow(QStringLiteral("checkmark.seal.fill"), UiStyle::green(),
                              QStringLiteral("Test the connection"), {}, testBox, sending);
    test_->setAccessibleName(QStringLiteral("Send test batch"));
    sending->addRow(testRow_);
    testMessage_ = new QLabel(this);
    testMessage_->setWordWrap(true);
    testMessage_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    testMessageLine_ = sending->addWidget(testMessage_);
    column()->addWidget(sending);
    connect(test_, &QPushButton::clicked, this, [this] {
        if (services_.outbox) model_.testConnection(*services_.outbox);
    });
    connect(&model_, &SettingsModel::testChanged, this, &SettingsDeliveryPane::updateTest);

    auto* docs = makeLinkButton(QStringLiteral("Delivery format docs"), QStringLiteral("book"));
    connect(docs, &QPushButton::clicked, this,
            [this, openUrl] { openUrl(services_.deliveryDocsUrl); });
    column()->addWidget(docs, 0, Qt::AlignLeft);
    column()->addStretch(1);

    connect(&model_, &SettingsModel::edited, this, &SettingsDeliveryPane::updateAddressDependents);
    load();
    updateTest();
}

void SettingsDeliveryPane::setInterval(qint64 seconds) {
    int index = interval_->findData(seconds);
    if (index < 0) {
        // A value from the file the picker does not offer is shown as it is, not replaced.
        while (interval_->count() > int(intervals.size()))
            interval_->removeItem(interval_->count() - 1);
        interval_->addItem(QStringLiteral("%1 seconds").arg(seconds), seconds);
        index = interval_->count() - 1;
    }
    interval_->setCurrentIndex(index);
}

void SettingsDeliveryPane::load() {
    const DeploymentConfig& draft = model_.draft();
    const Destination current = model_.destination();
    for (int i = 0; i < 3; ++i) cards_[i]->setChecked(i == int(current));
    cards_[int(Destination::dashboard)]->setNote(
        draft.savedDashboardURL.isEmpty() ? QStringLiteral("Not connected yet.")
                                          : QStringLiteral("Your dashboard address is saved."));
    cards_[int(Destination::custom)]->setNote(
        draft.savedCustomURL.isEmpty() ? QStringLiteral("No address saved yet.")
                                       : QStringLiteral("Saved: ") + draft.savedCustomURL);
    cards_[int(Destination::local)]->setNote(QStringLiteral("Always available."));
    dashboard_->setVisible(current == Destination::dashboard);
    webhook_->setVisible(current == Destination::custom);
    local_->setVisible(current == Destination::local);
    setText(address_, draft.webhookURL);
    setText(secret_, draft.webhookSecret);
    setInterval(draft.flushIntervalSeconds);
    updateAddressDependents();
}

void SettingsDeliveryPane::updateAddressDependents() {
    const bool connected = model_.draft().isDashboardURL();
    dashboardTitle_->setText(connected ? QStringLiteral("Connected to your Tarnwhistle dashboard")
                                       : QStringLiteral("This computer is not connected yet"));
    dashboardText_->setVisible(!connected);
    dashboardButton_->setText(connected ? QStringLiteral("Open dashboard")
                                        : QStringLiteral("Get my dashboard address"));
    dashboardButton_->setAccessibleName(dashboardButton_->text());
    const bool address = model_.hasAddress();
    testRow_->setDetail(
        address ? QStringLiteral("Saves your settings, then sends one small test batch.")
                : QStringLiteral("Add an address first."));
    test_->setEnabled(address && !model_.testing());
}

void SettingsDeliveryPane::updateTest() {
    progress_->setVisible(model_.testing());
    testMessage_->setText(model_.testMessage());
    testMessageLine_->setVisible(!model_.testMessage().isEmpty());
    testRow_->setShowDivider(!model_.testMessage().isEmpty());
    test_->setEnabled(model_.hasAddress() && !model_.testing());
}

}  // namespace tarnwhistle
