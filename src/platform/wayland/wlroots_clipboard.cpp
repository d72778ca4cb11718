#include "platform/wayland/wlroots_clipboard.h"

#include <wayland-client.h>

#include "platform/wayland/wayland_connection.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace tarnwhistle {

namespace {
// Version 2 tells the primary selection apart; version 1 reports only the clipboard.
constexpr quint32 managerVersion = 2;
}  // namespace

struct WlrootsClipboardEvents {
    using Offer = zwlr_data_control_offer_v1;
    using Device = zwlr_data_control_device_v1;
    static WlrootsClipboard& self(void* data) { return *static_cast<WlrootsClipboard*>(data); }

    static void offerType(void* data, Offer* offer, const char* mimeType) {
        auto& offers = self(data).offers_;
        if (auto it = offers.find(offer); it != offers.end())
            it->second << QString::fromUtf8(mimeType);
    }
    static constexpr zwlr_data_control_offer_v1_listener offerListener = {offerType};

    static void dataOffer(void* data, Device*, Offer* offer) { self(data).offered(offer); }
    static void selection(void* data, Device*, Offer* offer) { self(data).selection(offer); }
    static void finished(void* data, Device*) { self(data).release(); }
    static void primarySelection(void* data, Device*, Offer* offer) {
        self(data).primarySelection(offer);
    }
    static constexpr zwlr_data_control_device_v1_listener deviceListener = {
        dataOffer, selection, finished, primarySelection};
};

WlrootsClipboard::WlrootsClipboard(WaylandConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
    manager_ = static_cast<zwlr_data_control_manager_v1*>(
        connection_.bind(&zwlr_data_control_manager_v1_interface, managerVersion));
    wl_seat* seat = connection_.seat();
    if (!manager_ || !seat) return;
    device_ = zwlr_data_control_manager_v1_get_data_device(manager_, seat);
    zwlr_data_control_device_v1_add_listener(device_, &WlrootsClipboardEvents::deviceListener,
                                             this);
    connect(&connection_, &WaylandConnection::lost, this, &WlrootsClipboard::release);
    // The clipboard as it is now arrives first: taken as the starting point, not as a copy.
    connection_.roundtrip();
    initial_ = false;
}

WlrootsClipboard::~WlrootsClipboard() {
    if (connection_.ok()) release();
    connection_.flush();
}

void WlrootsClipboard::offered(zwlr_data_control_offer_v1* offer) {
    offers_[offer];
    zwlr_data_control_offer_v1_add_listener(offer, &WlrootsClipboardEvents::offerListener, this);
}

void WlrootsClipboard::selection(zwlr_data_control_offer_v1* offer) {
    // The offer is only ever asked for its types; it is released at once.
    QStringList types;
    if (offer) {
        if (auto it = offers_.find(offer); it != offers_.end()) {
            types = it->second;
            offers_.erase(it);
        }
        zwlr_data_control_offer_v1_destroy(offer);
    }
    types_ = types;
    // An emptied clipboard (its owner quit) is no copy.
    if (initial_ || !offer) return;
    ++changeCount_;
    clipboardChanged();
}

void WlrootsClipboard::primarySelection(zwlr_data_control_offer_v1* offer) {
    if (!offer) return;
    offers_.erase(offer);
    zwlr_data_control_offer_v1_destroy(offer);
}

void WlrootsClipboard::release() {
    for (auto& [offer, types] : offers_) zwlr_data_control_offer_v1_destroy(offer);
    offers_.clear();
    if (device_) zwlr_data_control_device_v1_destroy(device_);
    if (manager_) zwlr_data_control_manager_v1_destroy(manager_);
    device_ = nullptr;
    manager_ = nullptr;
}

}  // namespace tarnwhistle
