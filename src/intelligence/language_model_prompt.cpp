#include "intelligence/language_model_prompt.h"

#include <QStringList>
#include <algorithm>

namespace tarnwhistle {

namespace LanguageModelPrompt {

const QString instructions = QStringLiteral(
    "You label short descriptions of computer work. Reply with exactly one label name from the "
    "list you are given, and nothing else.");

QString prompt(const QString& text, const CategoryList& labels) {
    QStringList lines;
    for (const auto& entry : labels) lines << "- " + entry.name + ": " + entry.description;
    return "Labels:\n" + lines.join('\n') + "\n\nWork context:\n" + text.left(maxTextChars) +
           "\n\nLabel name:";
}

std::optional<QString> matchLabel(const QString& reply, const CategoryList& labels) {
    std::vector<const CategoryDef*> ordered;
    for (const auto& entry : labels) ordered.push_back(&entry);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->name.size() > b->name.size(); });
    const QString lower = reply.toLower();
    for (const auto* entry : ordered) {
        if (!entry->name.isEmpty() && lower.contains(entry->name.toLower())) return entry->name;
    }
    return std::nullopt;
}

}  // namespace LanguageModelPrompt

}  // namespace tarnwhistle
