// Window contexts and what the classifier is asked; the rest of contexts, documents, episodes
// and handovers are replayed traces.
#include "engine_harness.h"
#include "privacy/privacy.h"

namespace {

class ContextEpisode : public EngineHarness {
  protected:
    static WindowObservation page(const QString& path, const QString& title = "Page") {
        return window("org.mozilla.firefox", title, "https://github.com/" + path);
    }
    static WindowObservation file(const QString& name) {
        return window("com.microsoft.VSCode", name + " - Code", std::nullopt,
                      "file:///home/jane/" + name);
    }
};

TEST_F(ContextEpisode, UrlAndTitleChangesCloseTheContextWithTheirOwnEvents) {
    focus(at(9, 0), page("pull/1", "PR 1"));
    observe(at(9, 0, 10), page("pull/2", "PR 1"));
    EXPECT_EQ(log.events().front().kind, EventKind::urlChanged);
    EXPECT_EQ(log.events().front().detail, "github.com");
    observe(at(9, 0, 20), page("pull/2", "PR 2"));
    EXPECT_EQ(log.events().front().kind, EventKind::titleChanged);
    flushAt(at(9, 0, 30));
    const auto contexts = ofType("window.context");
    ASSERT_EQ(contexts.size(), 3u);
    EXPECT_EQ(field(contexts[0], "title_hash"), field(contexts[1], "title_hash"));
    EXPECT_NE(field(contexts[2], "title_hash"), field(contexts[1], "title_hash"));
}

TEST_F(ContextEpisode, AnExcludedWindowHasNoContextNoSampleAndItsCopiesAreForgotten) {
    focus(at(9, 0), page("a", "Notes"));
    const auto secret = page("settings", "Change password");
    observe(at(9, 0, 40), secret);
    EXPECT_EQ(ofType("window.context").size(), 1u);  // the previous window is still reported
    engine.snippetCaptured("hunter2 is my password", secret);
    engine.copyDetected("text");
    focus(at(9, 1), file("notes.txt"));
    advance(at(9, 1, 5));
    engine.key(false, true);
    EXPECT_TRUE(ofType("handover").empty());
    flushAt(at(9, 2));
    classifier.drain();
    EXPECT_EQ(ofType("window.context").size(), 2u);  // nothing for the excluded window
    EXPECT_EQ(last("task.episode", "paste_count"), JSONValue(1));
    for (const auto& request : classifier.requests)
        EXPECT_FALSE(request.text.contains("hunter2")) << request.text.toStdString();
}

TEST_F(ContextEpisode, ClassifierTextAndTheThirtySecondThreshold) {
    focus(at(9, 0), window("org.example.Terminal", ""));
    observe(at(9, 0, 29), window("org.example.Terminal", "build"));
    classifier.drain();
    EXPECT_TRUE(ofType("work.category").empty());  // 29 s
    EXPECT_TRUE(last("window.context", "title_hash").isNull());
    for (int i = 1; i <= 4; ++i) {
        engine.snippetCaptured(QStringLiteral("line %1 mail jane@example.com").arg(i),
                               window("org.example.Terminal", "build"));
    }
    flushAt(at(9, 0, 59));
    ASSERT_EQ(classifier.requests.size(), 1u);
    EXPECT_EQ(classifier.requests.back().text,
              QString("App: Terminal. Window: build. Site: none. Type: other.\n"
                      "line 2 mail %1\nline 3 mail %1\nline 4 mail %1")
                  .arg(Privacy::emailToken.toString()));
    EXPECT_TRUE(ofType("work.category").empty());  // not before the answer
    classifier.drain();
    EXPECT_TRUE(ofType("work.category").empty());  // no rule category: no answer
}

TEST_F(ContextEpisode, SamplesKeepTheNewestAndStaleOnesAreDropped) {
    const auto first = file("a.txt");
    focus(at(9, 0), first);
    const QString longText(700, 'x');
    for (int i = 0; i < 7; ++i) engine.snippetCaptured(QString::number(i) + longText, first);
    observe(at(9, 0, 5), file("b.txt"));
    engine.snippetCaptured("late sample of a", first);
    keys(at(9, 2));
    flushAt(at(9, 3));  // a 120 s episode with samples asks for a label
    ASSERT_FALSE(classifier.requests.empty());
    const auto& request = classifier.requests.back();
    EXPECT_FALSE(request.rule.has_value());
    EXPECT_EQ(request.labels, config.taskLabels);
    const QStringList lines = request.text.split('\n');
    ASSERT_EQ(lines.size(), 6);  // the six newest, at most 600 characters each
    EXPECT_TRUE(lines.front().startsWith('1'));
    EXPECT_EQ(lines.front().size(), 600);
    EXPECT_FALSE(request.text.contains("late sample"));
}

}  // namespace
