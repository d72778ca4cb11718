#include "platform/linux/x11_input_monitor.h"

#include <xcb/xinput.h>

namespace tarnwhistle {

namespace {
constexpr uint32_t keysymBackSpace = 0xff08;
constexpr uint32_t keysymV = 0x0056, keysymv = 0x0076;
constexpr uint32_t keysymControlL = 0xffe3, keysymControlR = 0xffe4;
// Shift, Control, Caps Lock, Meta, Alt, Super, Hyper; ISO level shifts; Mode_switch.
bool isModifier(uint32_t sym) {
    return (sym >= 0xffe1 && sym <= 0xffee) || (sym >= 0xfe01 && sym <= 0xfe0f) || sym == 0xff7e;
}
}  // namespace

X11InputMonitor::X11InputMonitor(X11Connection& connection, QObject* parent)
    : QObject(parent), x_(connection) {}

bool X11InputMonitor::install() {
    if (installed_) return true;
    if (!x_.ok()) return false;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(x_.raw(), &xcb_input_id);
    if (!ext || !ext->present) return false;
    XcbPtr<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        x_.raw(), xcb_input_xi_query_version(x_.raw(), 2, 2), nullptr));
    if (!version || version->major_version < 2) return false;
    opcode_ = ext->major_opcode;
    readKeyboardMapping();
    select(true);
    installed_ = true;
    return true;
}

void X11InputMonitor::remove() {
    if (!installed_) return;
    select(false);
    installed_ = false;
    pressedControls_.clear();
}

void X11InputMonitor::select(bool on) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask{};
    // Master devices carry the events of all their slaves (XTEST included) exactly once.
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.mask = on ? (XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS |
                      XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                      XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS)
                   : 0;
    xcb_input_xi_select_events(x_.raw(), x_.root(), 1, &mask.head);
    xcb_flush(x_.raw());
}

void X11InputMonitor::readKeyboardMapping() {
    backspaceKeys_.clear();
    vKeys_.clear();
    controlKeys_.clear();
    modifierKeys_.clear();
    const xcb_setup_t* setup = xcb_get_setup(x_.raw());
    const uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    XcbPtr<xcb_get_keyboard_mapping_reply_t> reply(xcb_get_keyboard_mapping_reply(
        x_.raw(), xcb_get_keyboard_mapping(x_.raw(), first, uint8_t(count)), nullptr));
    if (!reply) return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perKey = reply->keysyms_per_keycode;
    for (int k = 0; k < count; ++k) {
        for (int i = 0; i < perKey; ++i) {
            const xcb_keysym_t sym = syms[k * perKey + i];
            const uint32_t code = uint32_t(first + k);
            if (sym == keysymBackSpace) backspaceKeys_.insert(code);
            if (i < 2 && (sym == keysymV || sym == keysymv)) vKeys_.insert(code);
            if (sym == keysymControlL || sym == keysymControlR) controlKeys_.insert(code);
            if (i == 0 && isModifier(sym)) modifierKeys_.insert(code);
        }
    }
}

bool X11InputMonitor::handle(xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        if (installed_) readKeyboardMapping();
        return false;  // others may want it too
    }
    if (type != XCB_GE_GENERIC || !installed_) return false;
    auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(event);
    if (ge->extension != opcode_) return false;
    auto* raw = reinterpret_cast<xcb_input_raw_key_press_event_t*>(event);
    const uint32_t detail = raw->detail;
    switch (ge->event_type) {
        case XCB_INPUT_RAW_KEY_PRESS: {
            if (controlKeys_.contains(detail)) pressedControls_.insert(detail);
            // A modifier on its own is not a key press, as with a global key-down monitor.
            if (modifierKeys_.contains(detail)) break;
            InputEvent e;
            e.kind = InputEvent::Kind::keyDown;
            e.isBackspace = backspaceKeys_.contains(detail);
            e.isPaste = vKeys_.contains(detail) && !pressedControls_.isEmpty();
            emit input(e);
            break;
        }
        case XCB_INPUT_RAW_KEY_RELEASE:
            pressedControls_.remove(detail);
            break;
        case XCB_INPUT_RAW_BUTTON_PRESS: {
            InputEvent e;
            if (detail == 1) e.kind = InputEvent::Kind::leftDown;
            else if (detail == 3) e.kind = InputEvent::Kind::rightDown;
            else if (detail >= 4 && detail <= 7) e.kind = InputEvent::Kind::scroll;
            else break;
            emit input(e);
            break;
        }
        default:
            return false;
    }
    return true;
}

}  // namespace tarnwhistle
