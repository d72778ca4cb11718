#include <gtest/gtest.h>

#include "intelligence/language_model_prompt.h"

TEST(LanguageModelPrompt, ListsTheVocabularyThenTheTextCutTo1500Characters) {
    using LanguageModelPrompt::prompt;
    EXPECT_EQ(prompt("App: Jira.", {{"planning", "tickets, sprint"}, {"design", "mockups"}}),
              "Labels:\n- planning: tickets, sprint\n- design: mockups\n\nWork context:\n"
              "App: Jira.\n\nLabel name:");
    const QString description(3000, 'd');
    const QString p = prompt(QString(1500, 'a') + "TAIL", {{"x", description}});
    EXPECT_TRUE(p.contains(description)) << "vocabulary lines are never cut";
    EXPECT_TRUE(p.endsWith(QString(1500, 'a') + "\n\nLabel name:"));
    EXPECT_EQ(prompt("t", {}), "Labels:\n\n\nWork context:\nt\n\nLabel name:");
}

TEST(LanguageModelPrompt, MatchesWrappedNamesLongestFirst) {
    using LanguageModelPrompt::matchLabel;
    const CategoryList labels{{"planning", ""}, {"meeting_preparation", ""}, {"design", ""}};
    EXPECT_EQ(matchLabel("The label is: PLANNING.", labels), "planning");
    EXPECT_EQ(matchLabel("planning, or rather meeting_preparation", labels), "meeting_preparation");
    EXPECT_EQ(matchLabel("I cannot tell.", labels), std::nullopt);
    EXPECT_EQ(matchLabel("anything", {{"", "unnamed entry"}}), std::nullopt);
}
