#include "capture/accessibility_walk.h"

#include <QSet>
#include <QStringList>
#include <deque>

#include "base/graphemes.h"

namespace tarnwhistle {

namespace AccessibilityWalk {

namespace {
using Queue = std::deque<std::unique_ptr<AccessibleElement>>;

// Children beyond what the node budget can ever visit are not fetched.
void enqueueChildren(Queue& queue, AccessibleElement& element, int budgetLeft) {
    const int room = budgetLeft - int(queue.size());
    if (room <= 0) return;
    for (auto& child : element.children(room))
        if (child) queue.push_back(std::move(child));
}
}  // namespace

QString textSample(std::unique_ptr<AccessibleElement> root, int maxChars, int maxNodes,
                   const StopCheck& stop, bool* sawPasswordField) {
    if (!root) return {};
    Queue queue;
    queue.push_back(std::move(root));
    QStringList pieces;
    QSet<QString> taken;
    int visited = 0;
    qsizetype collected = 0;
    while (!queue.empty() && visited < maxNodes && collected < maxChars && !stop()) {
        std::unique_ptr<AccessibleElement> element = std::move(queue.front());
        queue.pop_front();
        ++visited;
        const AccessibleElement::Kind kind = element->kind();
        if (kind == AccessibleElement::Kind::secure) {
            if (sawPasswordField) *sawPasswordField = true;
            continue;
        }
        if (kind == AccessibleElement::Kind::text) {
            const QString text = element->text().trimmed();
            if (Graphemes::count(text) >= 2 && !taken.contains(text)) {
                taken.insert(text);
                const QString piece = Graphemes::left(text, pieceLimit);
                pieces.append(piece);
                collected += Graphemes::count(piece) + 1;
            }
        }
        enqueueChildren(queue, *element, maxNodes - visited);
    }
    return Graphemes::left(pieces.join(QLatin1Char('\n')), maxChars);
}

std::optional<QString> webAreaAddress(std::unique_ptr<AccessibleElement> root, int maxNodes,
                                      const StopCheck& stop) {
    if (!root) return std::nullopt;
    Queue queue;
    queue.push_back(std::move(root));
    int budget = std::max(0, maxNodes);
    while (!queue.empty() && budget > 0 && !stop()) {
        std::unique_ptr<AccessibleElement> element = std::move(queue.front());
        queue.pop_front();
        if (element->kind() == AccessibleElement::Kind::webArea) {
            if (auto address = element->address()) return address;
        }
        --budget;
        enqueueChildren(queue, *element, budget);
    }
    return std::nullopt;
}

std::vector<std::unique_ptr<AccessibleElement>> passwordFields(
    std::unique_ptr<AccessibleElement> root, int maxNodes, const StopCheck& stop) {
    std::vector<std::unique_ptr<AccessibleElement>> found;
    if (!root) return found;
    Queue queue;
    queue.push_back(std::move(root));
    int budget = std::max(0, maxNodes);
    while (!queue.empty() && budget > 0 && !stop()) {
        std::unique_ptr<AccessibleElement> element = std::move(queue.front());
        queue.pop_front();
        --budget;
        if (element->kind() == AccessibleElement::Kind::secure) {
            found.push_back(std::move(element));
            continue;
        }
        enqueueChildren(queue, *element, budget);
    }
    return found;
}

bool passwordFieldFocused(std::unique_ptr<AccessibleElement> root, int maxNodes,
                          const StopCheck& stop) {
    for (auto& field : passwordFields(std::move(root), maxNodes, stop))
        if (field->focused()) return true;
    return false;
}

std::optional<QString> fileDocument(const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.startsWith(QLatin1Char('/')) ||
        trimmed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return trimmed;
    return std::nullopt;
}

}  // namespace AccessibilityWalk

}  // namespace tarnwhistle
