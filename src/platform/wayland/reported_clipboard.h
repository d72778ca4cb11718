// Clipboard changes as the compositor's helper reports them (the GNOME Shell extension): each
// report is a new clipboard, with the MIME types its owner offers. The contents never leave
// the compositor. Main thread.
#pragma once

#include <QObject>

#include "capture/clipboard_source.h"
#include "platform/wayland/compositor_report_service.h"

namespace tarnwhistle {

class ReportedClipboard : public QObject, public ClipboardSource {
    Q_OBJECT
  public:
    explicit ReportedClipboard(CompositorReportService& service, QObject* parent = nullptr)
        : QObject(parent) {
        connect(&service, &CompositorReportService::clipboardReported, this,
                [this](const QStringList& types) {
                    types_ = types;
                    ++changeCount_;
                    clipboardChanged();
                });
    }

    quint64 clipboardChangeCount() override { return changeCount_; }
    QStringList clipboardTypes() override { return types_; }

  private:
    quint64 changeCount_ = 0;
    QStringList types_;
};

}  // namespace tarnwhistle
