#include "platform/linux/screenshot_reader.h"

#include <QThread>
#include <xcb/composite.h>

#include "base/graphemes.h"
#include "platform/linux/x11_connection.h"

namespace tarnwhistle {

ScreenshotReader::ScreenshotReader(const QByteArray& display) : display_(display) {}

ScreenshotReader::~ScreenshotReader() = default;

bool ScreenshotReader::available() {
    // A display that went away is dialled again on the next read.
    if (x_ && (!x_->ok() || xcb_connection_has_error(x_->raw()))) {
        x_.reset();
        compositeChecked_ = compositeReady_ = false;
    }
    if (!x_) x_ = std::make_unique<X11Connection>(display_);
    return x_->ok();
}

bool ScreenshotReader::compositeReady() {
    if (compositeChecked_) return compositeReady_;
    compositeChecked_ = true;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(x_->raw(), &xcb_composite_id);
    if (!ext || !ext->present) return false;
    XcbPtr<xcb_composite_query_version_reply_t> version(xcb_composite_query_version_reply(
        x_->raw(), xcb_composite_query_version(x_->raw(), 0, 4), nullptr));
    compositeReady_ = version != nullptr;
    return compositeReady_;
}

bool ScreenshotReader::compositorOwnsScreen() {
    const xcb_atom_t selection = x_->atom("_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE) return false;
    XcbPtr<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        x_->raw(), xcb_get_selection_owner(x_->raw(), selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

std::vector<ScreenshotGeometry::Window> ScreenshotReader::windowsFrontToBack() {
    std::vector<ScreenshotGeometry::Window> windows;
    const QVector<xcb_window_t> stacking = x_->windowList(x_->root(), "_NET_CLIENT_LIST_STACKING");
    const xcb_atom_t normalType = x_->atom("_NET_WM_WINDOW_TYPE_NORMAL");
    const xcb_atom_t dialogType = x_->atom("_NET_WM_WINDOW_TYPE_DIALOG");
    const xcb_atom_t hidden = x_->atom("_NET_WM_STATE_HIDDEN");
    for (auto it = stacking.crbegin(); it != stacking.crend(); ++it) {
        ScreenshotGeometry::Window w;
        w.id = *it;
        std::optional<qint64> pid = x_->clientPid(*it);
        if (!pid) pid = x_->cardinal(*it, "_NET_WM_PID");
        w.pid = pid.value_or(0);
        XcbPtr<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            x_->raw(), xcb_get_window_attributes(x_->raw(), *it), nullptr));
        XcbPtr<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(x_->raw(), xcb_get_geometry(x_->raw(), *it), nullptr));
        if (!attributes || !geometry) continue;
        bool minimised = false;
        if (auto state = x_->property(*it, x_->atom("_NET_WM_STATE"), XCB_ATOM_ATOM)) {
            const auto* atoms = reinterpret_cast<const xcb_atom_t*>(state->constData());
            for (int i = 0; i < state->size() / 4; ++i) minimised = minimised || atoms[i] == hidden;
        }
        w.onScreen = attributes->map_state == XCB_MAP_STATE_VIEWABLE && !minimised;
        w.normal = true;
        if (auto types = x_->property(*it, x_->atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM)) {
            const auto* atoms = reinterpret_cast<const xcb_atom_t*>(types->constData());
            if (types->size() >= 4) w.normal = atoms[0] == normalType || atoms[0] == dialogType;
        }
        w.width = geometry->width;
        w.height = geometry->height;
        windows.push_back(w);
    }
    return windows;
}

QImage ScreenshotReader::capture(qint64 pid, quint64 window) {
    if (!available() || !compositeReady()) return {};
    const auto chosen = ScreenshotGeometry::choose(windowsFrontToBack(), pid, quint32(window));
    if (!chosen) return {};
    xcb_connection_t* c = x_->raw();
    // The pixmap belongs to the top-level window (the frame the window manager put around
    // the client); the client is a rectangle inside it.
    xcb_window_t top = chosen->id;
    for (;;) {
        XcbPtr<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, top), nullptr));
        if (!tree) return {};
        if (tree->parent == x_->root() || tree->parent == XCB_WINDOW_NONE) break;
        top = tree->parent;
    }
    XcbPtr<xcb_translate_coordinates_reply_t> offset(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, chosen->id, top, 0, 0), nullptr));
    if (!offset) return {};
    // Automatic redirection gives the window its own pixmap, covered parts included, and
    // keeps the screen as it is. Ours ends with the read.
    bool redirected = false;
    if (!compositorOwnsScreen()) {
        XcbPtr<xcb_generic_error_t> error(xcb_request_check(
            c, xcb_composite_redirect_window_checked(c, top, XCB_COMPOSITE_REDIRECT_AUTOMATIC)));
        if (error) return {};
        redirected = true;
        QThread::msleep(redirectSettleMs);
    }
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    XcbPtr<xcb_generic_error_t> named(
        xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, top, pixmap)));
    XcbPtr<xcb_get_image_reply_t> image;
    if (!named) {
        image.reset(xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, offset->dst_x, offset->dst_y,
                          uint16_t(chosen->width), uint16_t(chosen->height), ~0u),
            nullptr));
        xcb_free_pixmap(c, pixmap);
    }
    if (redirected) xcb_composite_unredirect_window(c, top, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    xcb_flush(c);
    const int w = chosen->width, h = chosen->height;
    if (!image || image->depth < 24 ||
        xcb_get_image_data_length(image.get()) < w * h * 4)
        return {};
    // 24-bit TrueColor comes as 32-bit little-endian BGRX; grey is all recognition needs.
    const uint8_t* data = xcb_get_image_data(image.get());
    QImage grey(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y) {
        uchar* line = grey.scanLine(y);
        const uint8_t* px = data + size_t(y) * w * 4;
        for (int x = 0; x < w; ++x, px += 4)
            line[x] = uchar((px[2] * 299 + px[1] * 587 + px[0] * 114) / 1000);
    }
    const ScreenshotGeometry::Size size = ScreenshotGeometry::scaledSize(w, h);
    if (size.width == w && size.height == h) return grey;
    return grey.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString ScreenshotReader::recognise(const QImage& image, int maxChars, int resolution) {
    return Graphemes::left(recognition_.read(image, resolution), maxChars);
}

QString ScreenshotReader::readText(qint64 pid, quint64 window, int maxChars) {
    const QImage image = capture(pid, window);
    if (image.isNull()) return {};
    return recognise(image, maxChars, 144);
}

}  // namespace tarnwhistle
