// Window contexts, documents, text samples, task episodes and handovers.
#include "engine_harness.h"
#include "privacy/privacy.h"

namespace {

class ContextEpisode : public EngineHarness {
  protected:
    ContextEpisode() { e().start(); }
    const QString ff = QStringLiteral("org.mozilla.firefox");
    WindowObservation page(const QString& path, const QString& title = QStringLiteral("Page")) {
        return window(ff, title, QStringLiteral("https://github.com/") + path);
    }
    WindowObservation file(const QString& name) {
        return window("com.microsoft.VSCode", name + " - Code", std::nullopt,
                      QStringLiteral("file:///home/jane/") + name);
    }
    QStringList docRefs() const {
        QStringList out;
        for (const Signal& s : ofType("document.ref")) out << text(s, "doc_ref");
        return out;
    }
};

TEST_F(ContextEpisode, UrlAndTitleChangesCloseTheContextWithTheirOwnEvents) {
    focus(at(9, 0), page("tarn/engine/pull/1", "PR 1"));
    advance(at(9, 0, 10));
    e().windowObserved(page("tarn/engine/pull/2", "PR 1"));
    EXPECT_EQ(log.events().front().kind, EventKind::urlChanged);
    EXPECT_EQ(log.events().front().detail, "github.com");
    advance(at(9, 0, 20));
    e().windowObserved(page("tarn/engine/pull/2", "PR 2"));
    EXPECT_EQ(log.events().front().kind, EventKind::titleChanged);
    flushAt(at(9, 0, 30));
    const auto contexts = ofType("window.context");
    ASSERT_EQ(contexts.size(), 3u);
    EXPECT_EQ(text(contexts[0], "title_hash"), text(contexts[1], "title_hash"));
    EXPECT_NE(text(contexts[2], "title_hash"), text(contexts[1], "title_hash"));
    EXPECT_EQ(text(contexts[0], "domain"), "github.com");
}

TEST_F(ContextEpisode, AnExcludedWindowHasNoContextNoSampleAndItsCopiesAreForgotten) {
    focus(at(9, 0), page("a", "Notes"));
    advance(at(9, 0, 40));
    const auto secret = page("settings", "Change password");
    e().windowObserved(secret);
    ASSERT_EQ(ofType("window.context").size(), 1u);  // the previous window is still reported
    e().snippetCaptured(QStringLiteral("hunter2 is my password"), secret);
    e().copyDetected("text");
    focus(at(9, 1), file("notes.txt"));
    advance(at(9, 1, 5));
    e().key(false, true);
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
    advance(at(9, 0, 29));
    e().windowObserved(window("org.example.Terminal", "build"));
    classifier.drain();
    EXPECT_TRUE(ofType("work.category").empty());  // 29 s
    EXPECT_TRUE(last("window.context", "title_hash").isNull());
    for (int i = 1; i <= 4; ++i) {
        e().snippetCaptured(QStringLiteral("line %1 mail jane@example.com").arg(i),
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

TEST_F(ContextEpisode, DocumentsAreReportedOncePerDayAndReturnsCountAsRework) {
    focus(at(9, 0), file("a.txt"));
    for (const auto& [second, name] :
         std::vector<std::pair<int, QString>>{{10, "b.txt"}, {20, "a.txt"}, {30, "a.txt"}}) {
        advance(at(9, 0, second));
        // A second window of a.txt at 30 s: same document, other title.
        auto obs = file(name);
        if (second == 30) obs.title += " (2)";
        e().windowObserved(obs);
    }
    EXPECT_EQ(docRefs().size(), 2);
    keys(at(9, 1), 1, 0);
    tickAt(at(9, 0) + 86400 - 32400);  // local midnight (UTC here) closes the episode
    EXPECT_EQ(last("task.episode", "rework_count"), JSONValue(1));
    EXPECT_EQ(last("task.episode", "documents"),
              JSONValue(JSONArray{JSONValue(docRefs()[0]), JSONValue(docRefs()[1])}));
    advance(at(9, 0) + 86400);
    e().windowObserved(file("b.txt"));
    EXPECT_EQ(docRefs().size(), 3);
}

TEST_F(ContextEpisode, SamplesKeepTheNewestAndStaleOnesAreDropped) {
    const auto first = file("a.txt");
    focus(at(9, 0), first);
    const QString longText(700, QLatin1Char('x'));
    for (int i = 0; i < 7; ++i) e().snippetCaptured(QString::number(i) + longText, first);
    advance(at(9, 0, 5));
    e().windowObserved(file("b.txt"));
    e().snippetCaptured(QStringLiteral("late sample of a"), first);
    keys(at(9, 2), 1, 0);
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

TEST_F(ContextEpisode, EpisodeEndsAtItsLastTouchAndShortOnesLeaveNoTrace) {
    focus(at(10, 0), page("x"));
    keys(at(10, 0, 20), 1, 0);
    advance(at(10, 3));
    e().idleStarted(at(10, 0, 20));
    tickAt(at(10, 6));                            // 340 s away: closed at the start of the absence
    EXPECT_TRUE(ofType("task.episode").empty());  // 20 s long

    keys(at(10, 10), 1, 0);
    keys(at(10, 10, 30), 1, 0);
    advance(at(10, 16));
    e().screenLocked();  // closes it at the last touch, not at the lock
    ASSERT_EQ(ofType("task.episode").size(), 1u);
    EXPECT_EQ(last("task.episode", "end"), JSONValue("2026-03-03T10:10:30Z"));
    EXPECT_EQ(last("task.episode", "end_reason"), JSONValue("locked"));
    EXPECT_EQ(last("task.episode", "duration_s"), JSONValue(30));
}

TEST_F(ContextEpisode, TwoHourCapClosesTheEpisodeAndTheNextInputOpensANewOne) {
    focus(at(9, 0), file("a.txt"));
    for (int minute = 1; minute <= 120; ++minute) {
        keys(at(9, minute), 1, 0);
        tickAt(at(9, minute, 1));
    }
    ASSERT_EQ(ofType("task.episode").size(), 1u);
    EXPECT_EQ(last("task.episode", "end_reason"), JSONValue("max_length"));
    EXPECT_EQ(last("task.episode", "duration_s"), JSONValue(7200));
    const JSONValue firstId = last("task.episode", "episode_id");
    keys(at(11, 1), 1, 0);
    keys(at(11, 2), 1, 0);
    flushAt(at(11, 3));
    ASSERT_EQ(ofType("task.episode").size(), 2u);
    EXPECT_NE(last("task.episode", "episode_id"), firstId);
    // Opened inside the still open window: it starts with that window's document.
    EXPECT_EQ(last("task.episode", "documents"), JSONValue(JSONArray{JSONValue(docRefs()[0])}));
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
    EXPECT_EQ(text(handovers[0], "from_doc_ref"), docRefs()[0]);
    EXPECT_EQ(text(handovers[0], "to_doc_ref"), docRefs()[1]);
    flushAt(at(9, 3));
    EXPECT_EQ(last("task.episode", "paste_count"), JSONValue(4));
}

}  // namespace
