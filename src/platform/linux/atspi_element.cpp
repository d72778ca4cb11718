#include <atspi/atspi.h>
// libatspi before Qt: Qt's `signals` keyword clashes with GLib's headers.
#include "platform/linux/atspi_element.h"

#include <QString>

namespace {
QString take(gchar* text) {
    const QString s = text ? QString::fromUtf8(text) : QString();
    g_free(text);
    return s;
}

bool isTextRole(int role) {
    switch (role) {
        case ATSPI_ROLE_LABEL:
        case ATSPI_ROLE_STATIC:
        case ATSPI_ROLE_PARAGRAPH:
        case ATSPI_ROLE_TEXT:
        case ATSPI_ROLE_ENTRY:
        case ATSPI_ROLE_HEADING:
        case ATSPI_ROLE_LINK:
        case ATSPI_ROLE_TABLE_CELL:
        case ATSPI_ROLE_PUSH_BUTTON_MENU:
        case ATSPI_ROLE_PAGE_TAB:
        case ATSPI_ROLE_TABLE_ROW:
            return true;
        default:
            return false;
    }
}

bool isDocumentRole(int role) {
    switch (role) {
        case ATSPI_ROLE_DOCUMENT_FRAME:
        case ATSPI_ROLE_DOCUMENT_SPREADSHEET:
        case ATSPI_ROLE_DOCUMENT_PRESENTATION:
        case ATSPI_ROLE_DOCUMENT_TEXT:
        case ATSPI_ROLE_DOCUMENT_WEB:
        case ATSPI_ROLE_DOCUMENT_EMAIL:
            return true;
        default:
            return false;
    }
}
}  // namespace

AtspiElement::AtspiElement(AtspiAccessible* object, std::shared_ptr<AtspiWalkState> state)
    : object_(object), state_(std::move(state)) {}

AtspiElement::~AtspiElement() {
    if (object_) g_object_unref(object_);
}

template <typename F>
auto AtspiElement::timed(F&& call) {
    QElapsedTimer timer;
    timer.start();
    auto result = call();
    if (timer.elapsed() >= AtspiWalkState::slowCallMs) state_->unresponsive = true;
    return result;
}

AccessibleElement::Kind AtspiElement::kind() {
    if (!role_) {
        if (state_->unresponsive) return Kind::other;
        GError* error = nullptr;
        const int role = timed([&] { return int(atspi_accessible_get_role(object_, &error)); });
        if (error) g_error_free(error);
        role_ = error ? int(ATSPI_ROLE_INVALID) : role;
    }
    if (*role_ == ATSPI_ROLE_PASSWORD_TEXT) return Kind::secure;
    if (*role_ == ATSPI_ROLE_DOCUMENT_WEB) return Kind::webArea;
    if (state_->anyDocument && isDocumentRole(*role_)) return Kind::webArea;
    if (isTextRole(*role_)) return Kind::text;
    return Kind::other;
}

QString AtspiElement::text() {
    if (state_->unresponsive || kind() == Kind::secure) return {};
    // The text content plays the part of a value; then the name, then the description.
    if (AtspiText* text = timed([&] { return atspi_accessible_get_text_iface(object_); })) {
        GError* error = nullptr;
        const int count = timed([&] { return atspi_text_get_character_count(text, &error); });
        QString content;
        if (!error && count > 0 && !state_->unresponsive) {
            content = take(timed([&] {
                return atspi_text_get_text(text, 0, std::min(count, maxTextRead), &error);
            }));
        }
        if (error) g_error_free(error);
        g_object_unref(text);
        if (!content.trimmed().isEmpty()) return content;
    }
    for (auto read : {atspi_accessible_get_name, atspi_accessible_get_description}) {
        if (state_->unresponsive) return {};
        GError* error = nullptr;
        const QString value = take(timed([&] { return read(object_, &error); }));
        if (error) g_error_free(error);
        if (!value.trimmed().isEmpty()) return value;
    }
    return {};
}

std::optional<QString> AtspiElement::address() {
    if (state_->unresponsive) return std::nullopt;
    AtspiDocument* document = timed([&] { return atspi_accessible_get_document_iface(object_); });
    if (!document) return std::nullopt;
    std::optional<QString> result;
    for (const char* key : {"URI", "DocURL"}) {
        if (state_->unresponsive) break;
        GError* error = nullptr;
        const QString value = take(timed([&] {
            return atspi_document_get_document_attribute_value(document, const_cast<gchar*>(key),
                                                               &error);
        }));
        if (error) g_error_free(error);
        if (!value.isEmpty()) {
            result = value;
            break;
        }
    }
    g_object_unref(document);
    return result;
}

std::vector<std::unique_ptr<AccessibleElement>> AtspiElement::children(int limit) {
    std::vector<std::unique_ptr<AccessibleElement>> result;
    if (state_->expired() || limit <= 0) return result;
    GError* error = nullptr;
    const int count = timed([&] { return atspi_accessible_get_child_count(object_, &error); });
    if (error) {
        g_error_free(error);
        return result;
    }
    for (int i = 0; i < std::min(count, limit) && !state_->expired(); ++i) {
        AtspiAccessible* child =
            timed([&] { return atspi_accessible_get_child_at_index(object_, i, &error); });
        if (error) {
            g_clear_error(&error);
            continue;
        }
        if (child) result.push_back(std::make_unique<AtspiElement>(child, state_));
    }
    return result;
}
