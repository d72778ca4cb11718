// The Activity Log window: the batches exactly as they were (or would be) sent, the newest
// signals, and the moments noticed (which never leave this computer). Read-only: it changes
// nothing in the store or the outbox. Reloads when shown, every 3 s while shown (the timer
// stops while hidden) and whenever the outbox's revision moves.
#pragma once

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

#include "signals/signal.h"
#include "storage/batch_record.h"

class QListView;
class QPlainTextEdit;
class QStackedWidget;
class QStandardItemModel;
class QTabBar;

namespace tarnwhistle {

class EventLog;
class Outbox;
class StatusPill;
class Store;

class ActivityView : public QWidget {
    Q_OBJECT
  public:
    ActivityView(Store& store, Outbox& outbox, EventLog& eventLog, QWidget* parent = nullptr);

    static constexpr int reloadIntervalMs = 3000;
    static constexpr int rowLimit = 200;

    // Label and colour of a batch status: sent, failed ("Retrying"), pending ("Sending"),
    // dropped; anything else is "Local".
    struct BadgeStyle {
        QString label;
        QColor color;
    };
    static BadgeStyle statusBadge(const QString& status);
    // A batch body as shown: pretty-printed with sorted keys and "/" unescaped, or exactly as
    // stored when it is not JSON.
    static QString prettyBody(const QString& body);
    static const QString selectPrompt;  // "Select a batch to see exactly what was sent."

    void reload();
    void setTab(int tab);
    std::optional<QString> selected() const { return selected_; }
    void select(const std::optional<QString>& batchId);
    // The detail pane's text for the current selection.
    QString detailText() const;

    const std::vector<BatchRecord>& batches() const { return batches_; }
    StatusPill* statusPill() const { return pill_; }
    bool reloadTimerActive() const { return timer_.isActive(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QWidget* buildBatchesTab();
    QWidget* buildSignalsTab();
    QWidget* buildEventsTab();
    void fillBatches();
    void fillSignals();
    void fillEvents();
    void showDetail();

    Store& store_;
    Outbox& outbox_;
    EventLog& eventLog_;
    std::vector<BatchRecord> batches_;
    std::optional<QString> selected_;
    std::vector<Signal> signals_;
    qint64 seenRevision_ = -1;
    bool filling_ = false;
    QTimer timer_;

    StatusPill* pill_;
    QTabBar* tabs_;
    QStackedWidget* pages_;
    QStandardItemModel* batchModel_;
    QStandardItemModel* signalModel_;
    QStandardItemModel* eventModel_;
    QListView* batchList_;
    QListView* signalList_;
    QListView* eventList_;
    QPlainTextEdit* detail_;
};

}  // namespace tarnwhistle
