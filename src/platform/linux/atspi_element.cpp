#include "platform/linux/atspi_element.h"

#include "platform/linux/atspi_roles.h"

namespace tarnwhistle {

namespace {
const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString textInterface = QStringLiteral("org.a11y.atspi.Text");
const QString documentInterface = QStringLiteral("org.a11y.atspi.Document");

bool blank(const std::optional<QString>& text) { return !text || text->trimmed().isEmpty(); }

QString textOf(const QDBusPendingCall& call) {
    const auto value = AtspiBus::value(call);
    return value ? value->toString() : QString();
}

// The texts of text elements, read together: the text content, else the name, else the
// description. Each stage is one batch of questions and one wait.
// `hasText` says which elements offer the text interface.
std::vector<std::optional<QString>> readTexts(AtspiWalk& walk, const std::vector<AtspiRef>& refs,
                                              const std::vector<bool>& hasText) {
    std::vector<std::optional<QString>> texts(refs.size());
    QList<QDBusPendingCall> counts;
    std::vector<size_t> asked;
    for (size_t i = 0; i < refs.size(); ++i) {
        if (!hasText[i]) continue;
        counts << walk.bus.askProperty(refs[i], textInterface, QStringLiteral("CharacterCount"),
                                       walk.deadline);
        asked.push_back(i);
    }
    AtspiBus::await(counts, walk.deadline);
    std::vector<int> count(refs.size(), 0);
    for (size_t k = 0; k < asked.size(); ++k)
        count[asked[k]] = AtspiBus::value(counts[qsizetype(k)]).value_or(0).toInt();

    QList<QDBusPendingCall> contents;
    asked.clear();
    for (size_t i = 0; i < refs.size(); ++i) {
        if (count[i] <= 0) continue;
        contents << walk.bus.ask(refs[i], textInterface, QStringLiteral("GetText"),
                                 {0, std::min(count[i], AtspiElement::maxTextRead)},
                                 walk.deadline);
        asked.push_back(i);
    }
    AtspiBus::await(contents, walk.deadline);
    for (size_t k = 0; k < asked.size(); ++k) texts[asked[k]] = textOf(contents[qsizetype(k)]);

    for (const char* property : {"Name", "Description"}) {
        QList<QDBusPendingCall> calls;
        asked.clear();
        for (size_t i = 0; i < refs.size(); ++i) {
            if (!blank(texts[i])) continue;
            calls << walk.bus.askProperty(refs[i], accessibleInterface,
                                          QString::fromLatin1(property), walk.deadline);
            asked.push_back(i);
        }
        if (calls.isEmpty()) break;
        AtspiBus::await(calls, walk.deadline);
        for (size_t k = 0; k < asked.size(); ++k) texts[asked[k]] = textOf(calls[qsizetype(k)]);
    }
    for (auto& text : texts)
        if (!text) text = QString();
    return texts;
}
}  // namespace

AtspiElement::AtspiElement(AtspiRef ref, std::shared_ptr<AtspiWalk> walk,
                           std::optional<uint32_t> role, std::optional<QString> text,
                           bool closedMenu)
    : ref_(std::move(ref)),
      walk_(std::move(walk)),
      role_(role),
      text_(std::move(text)),
      closedMenu_(closedMenu) {}

uint32_t AtspiElement::role() {
    if (!role_) {
        QList<QDBusPendingCall> call{walk_->bus.ask(ref_, accessibleInterface,
                                                    QStringLiteral("GetRole"), {},
                                                    walk_->deadline)};
        AtspiBus::await(call, walk_->deadline);
        role_ = AtspiBus::value(call.first()).value_or(QVariant(0u)).toUInt();
    }
    return *role_;
}

AccessibleElement::Kind AtspiElement::kind() {
    const uint32_t r = role();
    if (r == AtspiRoles::passwordText) return Kind::secure;
    if (r == AtspiRoles::documentWeb) return Kind::webArea;
    if (walk_->anyDocument && AtspiRoles::isDocumentRole(r)) return Kind::webArea;
    if (AtspiRoles::isTextRole(r)) return Kind::text;
    return Kind::other;
}

QString AtspiElement::text() {
    if (kind() == Kind::secure) return {};
    if (!text_) {
        QList<QDBusPendingCall> call{walk_->bus.ask(ref_, accessibleInterface,
                                                    QStringLiteral("GetInterfaces"), {},
                                                    walk_->deadline)};
        AtspiBus::await(call, walk_->deadline);
        const bool offersText =
            AtspiBus::value(call.first()).value_or(QVariant()).toStringList().contains(textInterface);
        text_ = readTexts(*walk_, {ref_}, {offersText}).front();
    }
    return *text_;
}

std::optional<QString> AtspiElement::address() {
    QList<QDBusPendingCall> calls;
    for (const char* key : {"URI", "DocURL"})
        calls << walk_->bus.ask(ref_, documentInterface, QStringLiteral("GetAttributeValue"),
                                {QString::fromLatin1(key)}, walk_->deadline);
    AtspiBus::await(calls, walk_->deadline);
    for (const QDBusPendingCall& call : calls) {
        const QString value = textOf(call);
        if (!value.isEmpty()) return value;
    }
    return std::nullopt;
}

bool AtspiElement::focused() {
    QList<QDBusPendingCall> call{
        walk_->bus.ask(ref_, accessibleInterface, QStringLiteral("GetState"), {}, walk_->deadline)};
    AtspiBus::await(call, walk_->deadline);
    const QList<uint> words = AtspiBus::words(call.first());
    const uint bit = AtspiRoles::stateFocused;
    return bit / 32 < uint(words.size()) && (words[bit / 32] >> (bit % 32)) & 1u;
}

std::vector<std::unique_ptr<AccessibleElement>> AtspiElement::children(int limit) {
    std::vector<std::unique_ptr<AccessibleElement>> result;
    if (walk_->deadline.expired() || limit <= 0 || closedMenu_ ||
        role() == AtspiRoles::passwordText)
        return result;
    QList<QDBusPendingCall> listing{walk_->bus.ask(ref_, accessibleInterface,
                                                   QStringLiteral("GetChildren"), {},
                                                   walk_->deadline)};
    AtspiBus::await(listing, walk_->deadline);
    std::vector<AtspiRef> refs;
    for (const AtspiRef& ref : AtspiBus::refs(listing.first())) {
        if (int(refs.size()) >= limit) break;
        if (!ref.isNull()) refs.push_back(ref);
    }
    if (refs.empty()) return result;

    // Roles of every child in one batch; a text walk then asks the elements with a text role
    // (only those) whether they offer the text interface, as toolkits complain loudly when
    // asked for a text they do not have.
    QList<QDBusPendingCall> roleCalls;
    for (const AtspiRef& ref : refs)
        roleCalls << walk_->bus.ask(ref, accessibleInterface, QStringLiteral("GetRole"), {},
                                    walk_->deadline);
    AtspiBus::await(roleCalls, walk_->deadline);
    std::vector<uint32_t> roles;
    for (const QDBusPendingCall& call : roleCalls)
        roles.push_back(AtspiBus::value(call).value_or(QVariant(0u)).toUInt());
    // A menu bar's menus keep all their items in the tree while closed: a hundred elements
    // that nobody sees, skipped for the price of one question per menu.
    std::vector<bool> closed(refs.size(), false);
    {
        QList<QDBusPendingCall> stateCalls;
        std::vector<size_t> asked;
        for (size_t i = 0; i < refs.size(); ++i) {
            if (roles[i] != AtspiRoles::menu) continue;
            stateCalls << walk_->bus.ask(refs[i], accessibleInterface, QStringLiteral("GetState"),
                                         {}, walk_->deadline);
            asked.push_back(i);
        }
        AtspiBus::await(stateCalls, walk_->deadline);
        for (size_t k = 0; k < asked.size(); ++k) {
            const QList<uint> words = AtspiBus::words(stateCalls[qsizetype(k)]);
            const uint bit = AtspiRoles::stateShowing;
            closed[asked[k]] = words.size() > qsizetype(bit / 32) &&
                               !((words[bit / 32] >> (bit % 32)) & 1u);
        }
    }
    std::vector<bool> hasText(refs.size(), false);
    if (walk_->readsText) {
        QList<QDBusPendingCall> interfaceCalls;
        std::vector<size_t> asked;
        for (size_t i = 0; i < refs.size(); ++i) {
            if (!AtspiRoles::isTextRole(roles[i])) continue;
            interfaceCalls << walk_->bus.ask(refs[i], accessibleInterface,
                                             QStringLiteral("GetInterfaces"), {}, walk_->deadline);
            asked.push_back(i);
        }
        AtspiBus::await(interfaceCalls, walk_->deadline);
        for (size_t k = 0; k < asked.size(); ++k)
            hasText[asked[k]] = AtspiBus::value(interfaceCalls[qsizetype(k)])
                                    .value_or(QVariant())
                                    .toStringList()
                                    .contains(textInterface);
    }

    std::vector<std::optional<QString>> texts(refs.size());
    if (walk_->readsText) {
        std::vector<AtspiRef> readable;
        std::vector<bool> readableHasText;
        std::vector<size_t> at;
        for (size_t i = 0; i < refs.size(); ++i) {
            if (!AtspiRoles::isTextRole(roles[i])) continue;  // never a password field
            readable.push_back(refs[i]);
            readableHasText.push_back(hasText[i]);
            at.push_back(i);
        }
        if (!readable.empty()) {
            const auto read = readTexts(*walk_, readable, readableHasText);
            for (size_t k = 0; k < at.size(); ++k) texts[at[k]] = read[k];
        }
    }
    for (size_t i = 0; i < refs.size(); ++i)
        result.push_back(
            std::make_unique<AtspiElement>(refs[i], walk_, roles[i], texts[i], closed[i]));
    return result;
}

}  // namespace tarnwhistle
