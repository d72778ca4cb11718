// Clipboard changes on a wlroots compositor, from zwlr_data_control_manager_v1: each new
// selection counts as a change and its offer's MIME types are kept. The contents are never
// received. The selection the compositor reports on binding is the clipboard as it was before
// the agent looked: it sets the types but is not a change. The primary selection (text merely
// highlighted) is not a copy and is ignored. Main thread.
#pragma once

#include <QObject>
#include <QStringList>
#include <map>

#include "capture/clipboard_source.h"

struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;

namespace tarnwhistle {

class WaylandConnection;

class WlrootsClipboard : public QObject, public ClipboardSource {
    Q_OBJECT
  public:
    explicit WlrootsClipboard(WaylandConnection& connection, QObject* parent = nullptr);
    ~WlrootsClipboard() override;

    bool ok() const { return device_ != nullptr; }

    quint64 clipboardChangeCount() override { return changeCount_; }
    QStringList clipboardTypes() override { return types_; }

  private:
    friend struct WlrootsClipboardEvents;
    void offered(zwlr_data_control_offer_v1* offer);
    void selection(zwlr_data_control_offer_v1* offer);
    void primarySelection(zwlr_data_control_offer_v1* offer);
    void release();

    WaylandConnection& connection_;
    zwlr_data_control_manager_v1* manager_ = nullptr;
    zwlr_data_control_device_v1* device_ = nullptr;
    // Offers introduced but not yet named a selection, with the types they announced.
    std::map<zwlr_data_control_offer_v1*, QStringList> offers_;
    bool initial_ = true;
    quint64 changeCount_ = 0;
    QStringList types_;
};

}  // namespace tarnwhistle
