#include "ui/activity_view.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTimeZone>
#include <QVBoxLayout>

#include "delivery/outbox.h"
#include "signals/event_log.h"
#include "storage/store.h"
#include "ui/activity_rows.h"
#include "ui/brand_mark.h"
#include "ui/status_pill.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

using namespace ActivityRows;

const QString ActivityView::selectPrompt =
    QStringLiteral("Select a batch to see exactly what was sent.");

namespace {

QString timeOfDay(const QDateTime& when) {
    return QLocale::system().toString(when.toLocalTime().time(), QLocale::ShortFormat);
}

QListView* makeList(QWidget* parent, QStandardItemModel* model, QStyledItemDelegate* delegate,
                    const QString& name) {
    auto* list = new QListView(parent);
    list->setModel(model);
    list->setItemDelegate(delegate);
    list->setAccessibleName(name);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setResizeMode(QListView::Adjust);
    list->setAlternatingRowColors(false);
    return list;
}

}  // namespace

ActivityView::BadgeStyle ActivityView::statusBadge(const QString& status) {
    if (status == QLatin1String("sent")) return {QStringLiteral("Sent"), UiStyle::green()};
    if (status == QLatin1String("failed")) return {QStringLiteral("Retrying"), UiStyle::orange()};
    if (status == QLatin1String("pending")) return {QStringLiteral("Sending"), UiStyle::yellow()};
    if (status == QLatin1String("dropped")) return {QStringLiteral("Dropped"), UiStyle::red()};
    return {QStringLiteral("Local"), UiStyle::blue()};
}

QString ActivityView::prettyBody(const QString& body) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || doc.isNull()) return body;
    // Objects come out with sorted keys and "/" as it is.
    QString text = QString::fromUtf8(doc.toJson(QJsonDocument::Indented));
    while (text.endsWith(u'\n')) text.chop(1);
    return text;
}

ActivityView::ActivityView(Store& store, Outbox& outbox, EventLog& eventLog, QWidget* parent)
    : QWidget(parent), store_(store), outbox_(outbox), eventLog_(eventLog) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(12);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(new BrandMark(28, this));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(0);
    auto* title = new QLabel(QStringLiteral("Activity Log"), this);
    title->setFont(UiStyle::scaledFont(font(), 1.35, QFont::Bold));
    titles->addWidget(title);
    auto* subtitle = UiStyle::secondaryLabel(
        QStringLiteral("Everything noticed and sent, on this computer only."), this, false);
    titles->addWidget(subtitle);
    header->addLayout(titles);
    header->addStretch(1);
    pill_ = new StatusPill(this);
    header->addWidget(pill_, 0, Qt::AlignVCenter);
    layout->addLayout(header);

    tabs_ = new QTabBar(this);
    tabs_->setAccessibleName(QStringLiteral("Show"));
    tabs_->addTab(QStringLiteral("Sent batches"));
    tabs_->addTab(QStringLiteral("Latest signals"));
    tabs_->addTab(QStringLiteral("Events (stay on this computer)"));
    tabs_->setExpanding(false);
    tabs_->setDrawBase(false);
    auto* tabRow = new QHBoxLayout;
    tabRow->addStretch(1);
    tabRow->addWidget(tabs_);
    tabRow->addStretch(1);
    layout->addLayout(tabRow);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(buildBatchesTab());
    pages_->addWidget(buildSignalsTab());
    pages_->addWidget(buildEventsTab());
    layout->addWidget(pages_, 1);

    connect(tabs_, &QTabBar::currentChanged, this, &ActivityView::setTab);
    timer_.setInterval(reloadIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &ActivityView::reload);
    connect(&outbox_, &Outbox::changed, this, [this] {
        if (outbox_.revision() != seenRevision_ && isVisible()) reload();
    });
    connect(&eventLog_, &EventLog::eventsChanged, this, [this] {
        if (isVisible()) fillEvents();
    });
    showDetail();
}

QWidget* ActivityView::buildBatchesTab() {
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    batchModel_ = new QStandardItemModel(this);
    batchList_ =
        makeList(split, batchModel_, new BatchDelegate(this), QStringLiteral("Sent batches"));
    batchList_->setMinimumWidth(320);
    batchList_->setUniformItemSizes(false);
    detail_ = new QPlainTextEdit(split);
    detail_->setReadOnly(true);
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    detail_->setFont(UiStyle::monospaceFont(0.88));
    detail_->setMinimumWidth(380);
    detail_->setLineWrapMode(QPlainTextEdit::NoWrap);
    detail_->setAccessibleName(QStringLiteral("Batch body"));
    split->addWidget(batchList_);
    split->addWidget(detail_);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    connect(batchList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (filling_) return;
                selected_ = current.isValid()
                                ? std::optional<QString>(current.data(idRole).toString())
                                : std::nullopt;
                showDetail();
            });
    return split;
}

QWidget* ActivityView::buildSignalsTab() {
    signalModel_ = new QStandardItemModel(this);
    signalList_ =
        makeList(this, signalModel_, new SignalDelegate(this), QStringLiteral("Latest signals"));
    // Rows are drawn, not text fields: copying takes the selected signal's JSON whole.
    auto* copy = new QAction(QStringLiteral("Copy"), signalList_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] {
        const QModelIndex i = signalList_->currentIndex();
        if (i.isValid()) QGuiApplication::clipboard()->setText(i.data(detailRole).toString());
    });
    signalList_->addAction(copy);
    signalList_->setContextMenuPolicy(Qt::ActionsContextMenu);
    return signalList_;
}

QWidget* ActivityView::buildEventsTab() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(UiStyle::secondaryLabel(
        QStringLiteral("These moments are noticed on this computer to build signals. They are "
                       "never sent."),
        page));
    eventModel_ = new QStandardItemModel(this);
    eventList_ = makeList(page, eventModel_, new EventDelegate(this),
                          QStringLiteral("Events (stay on this computer)"));
    eventList_->setUniformItemSizes(true);
    layout->addWidget(eventList_, 1);
    return page;
}

void ActivityView::setTab(int tab) {
    if (tab < 0 || tab > 2) return;
    if (tabs_->currentIndex() != tab) tabs_->setCurrentIndex(tab);
    pages_->setCurrentIndex(tab);
}

void ActivityView::select(const std::optional<QString>& batchId) {
    selected_ = batchId;
    fillBatches();
    showDetail();
}

void ActivityView::reload() {
    seenRevision_ = outbox_.revision();
    auto batches = store_.recentBatches(rowLimit);
    if (batches != batches_) {
        batches_ = std::move(batches);
        fillBatches();
    }
    auto signalRows = store_.recentSignals(rowLimit);
    const bool signalsChanged =
        signalRows.size() != signals_.size() ||
        (!signalRows.empty() && signalRows.front().id != signals_.front().id);
    signals_ = std::move(signalRows);
    if (signalsChanged) fillSignals();
    showDetail();
}

void ActivityView::fillBatches() {
    filling_ = true;
    batchModel_->clear();
    QModelIndex keep;
    for (const BatchRecord& b : batches_) {
        auto* item = new QStandardItem;
        const BadgeStyle badge = statusBadge(rawValue(b.status));
        const QString time =
            timeOfDay(QDateTime::fromMSecsSinceEpoch(qint64(b.created * 1000), QTimeZone::utc()));
        const QString count = QStringLiteral("%1 signals").arg(b.signalCount);
        item->setData(b.batchId, idRole);
        item->setData(badge.label, badgeTextRole);
        item->setData(badge.color, badgeColorRole);
        item->setData(time, timeRole);
        item->setData(count, countRole);
        item->setData(b.types, detailRole);
        if (b.lastError) item->setData(*b.lastError, errorRole);
        QString spoken = badge.label + QStringLiteral(", ") + time + QStringLiteral(", ") + count +
                         QStringLiteral(", ") + b.types;
        if (b.lastError) spoken += QStringLiteral(", ") + *b.lastError;
        item->setData(spoken, Qt::AccessibleTextRole);
        item->setData(spoken, Qt::DisplayRole);
        batchModel_->appendRow(item);
        if (selected_ && b.batchId == *selected_) keep = item->index();
    }
    if (keep.isValid())
        batchList_->selectionModel()->setCurrentIndex(keep, QItemSelectionModel::ClearAndSelect);
    filling_ = false;
}

void ActivityView::fillSignals() {
    const QString current = signalList_->currentIndex().data(idRole).toString();
    signalModel_->clear();
    for (const Signal& s : signals_) {
        auto* item = new QStandardItem(s.type);
        const QString json = s.jsonString();
        item->setData(s.id, idRole);
        item->setData(json, detailRole);
        item->setData(s.type + QStringLiteral(": ") + json, Qt::AccessibleTextRole);
        signalModel_->appendRow(item);
        if (!current.isEmpty() && s.id == current) signalList_->setCurrentIndex(item->index());
    }
}

void ActivityView::fillEvents() {
    eventModel_->clear();
    for (const LocalEvent& e : eventLog_.events()) {
        auto* item = new QStandardItem;
        const QString time = timeOfDay(e.date);
        const QString kind = rawValue(e.kind);
        item->setData(time, timeRole);
        item->setData(kind, kindRole);
        item->setData(e.detail, detailRole);
        item->setData(time + QStringLiteral(" ") + kind + QStringLiteral(" ") + e.detail,
                      Qt::AccessibleTextRole);
        eventModel_->appendRow(item);
    }
}

QString ActivityView::detailText() const {
    if (!selected_) return selectPrompt;
    for (const BatchRecord& b : batches_)
        if (b.batchId == *selected_) return prettyBody(b.body);
    return selectPrompt;
}

void ActivityView::showDetail() {
    const QString text = detailText();
    if (detail_->toPlainText() != text) detail_->setPlainText(text);
}

void ActivityView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reload();
    fillEvents();
    timer_.start();
}

void ActivityView::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace tarnwhistle
