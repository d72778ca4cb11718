// One element of another application's accessibility tree, as the readers walk it. The Linux
// backend wraps AT-SPI objects; tests build trees by hand.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace tarnwhistle {

class AccessibleElement {
public:
    enum class Kind {
        secure,  // a password field: never read, never walked into
        text,    // a role that carries readable text (label, text, entry, heading, link,
                 // table cell, menu button, page tab, table row)
        webArea, // a web document
        other,
    };

    virtual ~AccessibleElement() = default;
    virtual Kind kind() = 0;
    // The element's value when it has a text value, else its name, else its description.
    virtual QString text() = 0;
    // A web area's address; absent when it names none.
    virtual std::optional<QString> address() = 0;
    // Whether the element has the keyboard focus.
    virtual bool focused() { return false; }
    // At most `limit` children, in order.
    virtual std::vector<std::unique_ptr<AccessibleElement>> children(int limit) = 0;
};

}  // namespace tarnwhistle
