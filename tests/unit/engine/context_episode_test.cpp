// Window contexts, documents, text samples, task episodes and handovers.
#include "engine_harness.h"
#include "privacy/privacy.h"

namespace {

class ContextEpisode : public EngineHarness {
protected:
    ContextEpisode() { e().start(); }
    int snippetRequests = 0;
    const QString ff = QStringLiteral("org.mozilla.firefox");
    WindowObservation page(const QString& path, const QString& title = QStringLiteral("Page")) {
        return window(ff, title, QStringLiteral("https://github.com/") + path);
    }
    WindowObservation file(const QString& name) {
        return window("com.microsoft.VSCode", name + " - Code", std::nullopt,
                      QStringLiteral("file:///home/jane/") + name);
    }
    QString lastRequestText() const { return classifier.requests.back().text; }
};

TEST_F(ContextEpisode, RepeatedObservationsChangeNothing) {
    e().requestSnippet = [this](const WindowObservation&) { ++snippetRequests; };
    const auto obs = page("a/b");
    focus(at(9, 0), obs);
    const std::size_t logged = log.events().size();
    for (int i = 1; i <= 20; ++i) {
        advance(at(9, 0, 1.5 * i));
        e().windowObserved(obs);
    }
    EXPECT_EQ(snippetRequests, 1);
    EXPECT_EQ(log.events().size(), logged);
    EXPECT_TRUE(emitted.size() <= 1);  // at most the document reference
}

TEST_F(ContextEpisode, UrlAndTitleChangesCloseTheContextWithTheirOwnEvents) {
    focus(at(9, 0), page("tarn/engine/pull/1", "PR 1"));
    advance(at(9, 0, 10));
    e().windowObserved(page("tarn/engine/pull/2", "PR 1"));
    EXPECT_EQ(log.events().front().kind, EventKind::urlChanged);
    EXPECT_EQ(log.events().front().detail, "github.com");
    advance(at(9, 0, 20));
    e().windowObserved(page("tarn/engine/pull/2", "PR 2"));
    EXPECT_EQ(log.events().front().kind, EventKind::titleChanged);
    const auto contexts = ofType("window.context");
    ASSERT_EQ(contexts.size(), 2u);
    EXPECT_EQ(text(contexts[0], "title_hash"), text(contexts[1], "title_hash"));
    EXPECT_EQ(text(contexts[0], "domain"), "github.com");
    advance(at(9, 0, 30));
    e().flushAll("quit");
    EXPECT_NE(text(ofType("window.context")[2], "title_hash"), text(contexts[1], "title_hash"));
}

TEST_F(ContextEpisode, ExcludedWindowHasNoContextNoSnippetAndItsCopiesAreForgotten) {
    focus(at(9, 0), page("a", "Notes"));
    advance(at(9, 0, 40));
    const auto secret = page("settings", "Change password");
    e().windowObserved(secret);
    EXPECT_TRUE(e().contextExcluded);
    ASSERT_EQ(ofType("window.context").size(), 1u);  // the previous window is still reported
    e().snippetCaptured(QStringLiteral("hunter2 is my password"), secret);
    EXPECT_TRUE(e().ctxSnippets.empty());
    e().copyDetected("text");
    EXPECT_FALSE(e().lastCopy.has_value());
    focus(at(9, 1), file("notes.txt"));
    advance(at(9, 1, 5));
    e().key(false, true);
    EXPECT_TRUE(ofType("handover").empty());
    EXPECT_EQ(e().episode->pastes, 1);
    advance(at(9, 2));
    e().flushAll("quit");
    EXPECT_EQ(ofType("window.context").size(), 2u);  // nothing for the excluded window
}

TEST_F(ContextEpisode, ClassifierTextAndTheThirtySecondThreshold) {
    focus(at(9, 0), window("org.example.Terminal", ""));
    advance(at(9, 0, 29));
    e().windowObserved(window("org.example.Terminal", "build"));
    classifier.drain();
    EXPECT_TRUE(ofType("work.category").empty());  // 29 s
    EXPECT_TRUE(isNull(ofType("window.context")[0], "title_hash"));
    for (int i = 1; i <= 4; ++i) {
        e().snippetCaptured(QStringLiteral("line %1 mail jane@example.com").arg(i),
                            window("org.example.Terminal", "build"));
    }
    advance(at(9, 0, 59));
    e().flushAll("quit");
    ASSERT_EQ(classifier.requests.size(), 1u);
    EXPECT_EQ(lastRequestText(),
              QString("App: Terminal. Window: build. Site: none. Type: other.\n"
                      "line 2 mail %1\nline 3 mail %1\nline 4 mail %1")
                  .arg(Privacy::emailToken.toString()));
    EXPECT_TRUE(ofType("work.category").empty());  // not before the answer
    classifier.drain();
    EXPECT_TRUE(ofType("work.category").empty());  // no rule category: no answer
}

TEST_F(ContextEpisode, DocumentsAreReportedOncePerDayAndReturnsCountAsRework) {
    focus(at(9, 0), file("a.txt"));
    for (const auto& [second, name] : std::vector<std::pair<int, QString>>{
             {10, "b.txt"}, {20, "a.txt"}, {30, "a.txt"}}) {
        advance(at(9, 0, second));
        // A second window of a.txt at 30 s: same document, other title.
        auto obs = file(name);
        if (second == 30) obs.title += " (2)";
        e().windowObserved(obs);
    }
    EXPECT_EQ(ofType("document.ref").size(), 2u);
    EXPECT_EQ(e().episode->docs.size(), 2u);
    EXPECT_EQ(e().episode->revisits, 1);

    tickAt(at(9, 0) + 86400 - 32400);  // local midnight (UTC here)
    advance(at(9, 0) + 86400);
    e().windowObserved(file("b.txt"));
    EXPECT_EQ(ofType("document.ref").size(), 3u);
}

TEST_F(ContextEpisode, SamplesKeepTheNewestAndStaleOnesAreDropped) {
    const auto first = file("a.txt");
    focus(at(9, 0), first);
    const QString longText(700, QLatin1Char('x'));
    for (int i = 0; i < 7; ++i) e().snippetCaptured(QString::number(i) + longText, first);
    EXPECT_EQ(e().ctxSnippets.size(), 3u);
    ASSERT_EQ(e().episode->snippets.size(), 6u);
    EXPECT_TRUE(e().episode->snippets.front().startsWith('1'));
    EXPECT_EQ(e().episode->snippets.front().size(), 600);

    advance(at(9, 0, 5));
    e().windowObserved(file("b.txt"));
    e().snippetCaptured(QStringLiteral("late sample of a"), first);
    EXPECT_TRUE(e().ctxSnippets.empty());

    keys(at(9, 2), 1, 0);
    advance(at(9, 3));
    e().flushAll("quit");  // a 120 s episode with samples asks for a label
    ASSERT_FALSE(classifier.requests.empty());
    const auto& request = classifier.requests.back();
    EXPECT_FALSE(request.rule.has_value());
    EXPECT_EQ(request.text.count('\n'), 5);
    EXPECT_EQ(request.labels, config.taskLabels);
}

TEST_F(ContextEpisode, EpisodeEndsAtItsLastTouchAndShortOnesLeaveNoTrace) {
    focus(at(10, 0), page("x"));
    keys(at(10, 0, 20), 1, 0);
    advance(at(10, 3));
    e().idleStarted(at(10, 0, 20));
    tickAt(at(10, 6));  // 340 s away: closed at the start of the absence
    const auto episodes = ofType("task.episode");
    ASSERT_EQ(episodes.size(), 0u);  // 20 s long

    keys(at(10, 10), 1, 0);
    keys(at(10, 10, 30), 1, 0);
    advance(at(10, 16));
    e().screenLocked();  // closes it at the last touch, not at the lock
    ASSERT_EQ(ofType("task.episode").size(), 1u);
    EXPECT_EQ(text(ofType("task.episode")[0], "end"), "2026-03-03T10:10:30Z");
    EXPECT_EQ(text(ofType("task.episode")[0], "end_reason"), "locked");
    EXPECT_EQ(integer(ofType("task.episode")[0], "duration_s"), 30);
}

TEST_F(ContextEpisode, TwoHourCapClosesTheEpisodeAndTheNextInputOpensANewOne) {
    focus(at(9, 0), file("a.txt"));
    const QString firstId = e().episode->id;
    for (int minute = 1; minute <= 120; ++minute) {
        keys(at(9, minute), 1, 0);
        tickAt(at(9, minute, 1));
    }
    ASSERT_EQ(ofType("task.episode").size(), 1u);
    EXPECT_EQ(text(ofType("task.episode")[0], "end_reason"), "max_length");
    EXPECT_EQ(integer(ofType("task.episode")[0], "duration_s"), 7200);
    EXPECT_FALSE(e().episode.has_value());
    keys(at(11, 1), 1, 0);
    ASSERT_TRUE(e().episode.has_value());
    EXPECT_NE(e().episode->id, firstId);
    // Opened inside the still open window: it starts with that window's document.
    EXPECT_EQ(e().episode->docs, std::vector<QString>{*e().ctx->docRef});
}

TEST_F(ContextEpisode, HandoverNeedsAnotherApplicationWithinTwoMinutes) {
    focus(at(9, 0), file("a.txt"));
    advance(at(9, 0, 10));
    e().copyDetected("image");
    advance(at(9, 0, 20));
    e().key(false, true);  // same application
    focus(at(9, 1), window("org.libreoffice.LibreOffice", "b.ods", std::nullopt,
                           QStringLiteral("file:///home/jane/b.ods")));
    advance(at(9, 2, 10));
    e().key(false, true);  // exactly 120 s after the copy
    e().key(false, true);  // and again: one copy, several handovers
    advance(at(9, 2, 11));
    e().key(false, true);  // 121 s
    const auto handovers = ofType("handover");
    ASSERT_EQ(handovers.size(), 2u);
    EXPECT_EQ(text(handovers[0], "payload_type"), "image");
    EXPECT_EQ(text(handovers[0], "from_doc_ref"), e().episode->docs.front());
    EXPECT_EQ(text(handovers[0], "to_doc_ref"), *e().ctx->docRef);
    EXPECT_EQ(e().episode->pastes, 4);
}

}  // namespace
