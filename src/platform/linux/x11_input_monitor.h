// Counts input through XInput2 raw events on the root window: key presses, buttons 1 and 3,
// and buttons 4-7 as scroll, from every device including XTEST ones. Of a key only two facts
// leave: whether it was BackSpace, and whether it was V with Control held. Modifier keys on
// their own are not key presses. Control is followed
// through a set of pressed keys, so a repeated release is harmless.
#pragma once

#include <QObject>
#include <QSet>

#include "capture/desktop_backend.h"
#include "platform/linux/x11_connection.h"

namespace tarnwhistle {

class X11InputMonitor : public QObject {
    Q_OBJECT
public:
    explicit X11InputMonitor(X11Connection& connection, QObject* parent = nullptr);

    // False when the server lacks XInput 2.
    bool install();
    void remove();
    bool installed() const { return installed_; }
    // The display went away: nothing is selected any more.
    void reset() {
        installed_ = false;
        pressedControls_.clear();
    }
    bool handle(xcb_generic_event_t* event);

signals:
    void input(const InputEvent& event);

private:
    void readKeyboardMapping();
    void select(bool on);

    X11Connection& x_;
    uint8_t opcode_ = 0;
    bool installed_ = false;
    QSet<uint32_t> backspaceKeys_, vKeys_, controlKeys_, modifierKeys_;
    QSet<uint32_t> pressedControls_;
};

}  // namespace tarnwhistle
