// What the local language model is told and how its reply is read.
#pragma once

#include <QString>
#include <optional>

#include "config/category_def.h"

namespace tarnwhistle {

namespace LanguageModelPrompt {

extern const QString instructions;
constexpr int maxTextChars = 1500;

// "Labels:\n", one "- name: description" line per entry, "\n\nWork context:\n", the first
// 1500 characters of the text, "\n\nLabel name:". The vocabulary lines are never cut.
QString prompt(const QString& text, const CategoryList& labels);

// The first vocabulary name, longest first (equal lengths in vocabulary order), whose
// lower-case form occurs anywhere in the lower-cased reply; so a wrapped name is accepted and
// "meeting_preparation" wins over a shorter name inside it.
std::optional<QString> matchLabel(const QString& reply, const CategoryList& labels);

}  // namespace LanguageModelPrompt

}  // namespace tarnwhistle
