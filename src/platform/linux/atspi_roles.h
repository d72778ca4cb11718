// The few AT-SPI role and state numbers the reader tests (values of the accessibility bus's
// wire protocol, AtspiRole and AtspiStateType).
#pragma once

#include <cstdint>

namespace tarnwhistle {

namespace AtspiRoles {

enum : uint32_t {
    invalid = 0,
    dialog = 16,
    frame = 23,
    label = 29,
    menu = 33,
    pageTab = 37,
    passwordText = 40,
    tableCell = 56,
    text = 61,
    window = 69,
    paragraph = 73,
    entry = 79,
    documentFrame = 82,
    heading = 83,
    link = 88,
    tableRow = 90,
    documentSpreadsheet = 92,
    documentPresentation = 93,
    documentText = 94,
    documentWeb = 95,
    documentEmail = 96,
    staticText = 116,
    pushButtonMenu = 129,
};

// Bits of the 64-bit state set, sent as two 32-bit words.
enum : uint32_t { stateActive = 1, stateFocused = 12, stateShowing = 25 };

// Roles whose elements carry readable text.
inline bool isTextRole(uint32_t role) {
    switch (role) {
        case label: case staticText: case paragraph: case text: case entry: case heading:
        case link: case tableCell: case pushButtonMenu: case pageTab: case tableRow:
            return true;
        default:
            return false;
    }
}

inline bool isDocumentRole(uint32_t role) {
    return role == documentFrame || (role >= documentSpreadsheet && role <= documentEmail);
}

}  // namespace AtspiRoles

}  // namespace tarnwhistle
