// Notices each new owner of CLIPBOARD (XFixes) and asks the owner which data types it offers
// (TARGETS), into a property of a hidden window of ours. The contents are never requested.
// The change count moves once the type list is in, or after a second when the owner does not
// answer (then with no types).
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include "platform/linux/x11_connection.h"

namespace tarnwhistle {

class X11ClipboardWatcher : public QObject {
    Q_OBJECT
public:
    explicit X11ClipboardWatcher(X11Connection& connection, QObject* parent = nullptr);
    ~X11ClipboardWatcher() override;

    // False when the server lacks XFixes.
    bool start();
    bool handle(xcb_generic_event_t* event);
    // The display went away with our window; the change count carries on.
    void reset();

    quint64 changeCount() const { return changeCount_; }
    QStringList types() const { return types_; }

    static constexpr int answerTimeoutMs = 1000;

signals:
    void changed();

private:
    void ownerChanged(xcb_window_t owner, xcb_timestamp_t time);
    void targetsArrived(bool ok);
    void finish(QStringList types);

    X11Connection& x_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    uint8_t fixesEvent_ = 0;
    int pending_ = 0;  // TARGETS requests not yet answered
    QTimer timeout_;
    quint64 changeCount_ = 0;
    QStringList types_;
};

}  // namespace tarnwhistle
