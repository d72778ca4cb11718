// AccessibleElement over an object on the accessibility bus. Questions about a group of
// siblings go out together: fetching the children of an element also asks every child for its
// role and, in a text walk, reads the texts of the text elements among them, so a list of 150
// rows costs a handful of round trips instead of hundreds; the items of menus that are not open
// are never asked for. Password fields are recognised by
// their role before anything else is asked of them, and are never read. Poll worker only.
#pragma once

#include <memory>
#include <optional>

#include "capture/accessible_element.h"
#include "platform/linux/atspi_bus.h"

namespace tarnwhistle {

// Shared by all elements of one walk.
struct AtspiWalk {
    AtspiWalk(AtspiBus& bus, qint64 deadlineMs) : bus(bus), deadline(deadlineMs) {}
    AtspiBus& bus;
    AtspiDeadline deadline;
    bool readsText = false;    // a text sample: texts are fetched with the children
    bool anyDocument = false;  // documents of any kind count as web areas
};

class AtspiElement : public AccessibleElement {
public:
    AtspiElement(AtspiRef ref, std::shared_ptr<AtspiWalk> walk,
                 std::optional<uint32_t> role = std::nullopt,
                 std::optional<QString> text = std::nullopt, bool closedMenu = false);

    Kind kind() override;
    QString text() override;
    std::optional<QString> address() override;
    bool focused() override;
    std::vector<std::unique_ptr<AccessibleElement>> children(int limit) override;
    const AtspiRef& ref() const { return ref_; }

    // Longest text read from one element; enough for the 300-character piece and for telling
    // two long texts apart.
    static constexpr int maxTextRead = 4000;

private:
    uint32_t role();

    AtspiRef ref_;
    std::shared_ptr<AtspiWalk> walk_;
    std::optional<uint32_t> role_;
    std::optional<QString> text_;
    // A menu that is not open: its items are not on screen, and not walked.
    bool closedMenu_ = false;
};

}  // namespace tarnwhistle
