#include <gtest/gtest.h>

#include <QRegularExpression>
#include <limits>

#include "signals/signal.h"
#include "signals/signal_type.h"
#include "signals/time.h"

namespace {

JSONObject interval() {
    return {{"start", JSONValue("2025-03-04T09:02:10Z")},
            {"end", JSONValue("2025-03-04T09:14:55Z")},
            {"duration_s", JSONValue(765)}};
}

JSONObject with(JSONObject base, const JSONObject& extra) {
    for (const auto& [k, v] : extra) base.insert_or_assign(k, v);
    return base;
}

// One realistic signal of every type in the catalogue.
std::map<QString, JSONObject> realisticFields() {
    const JSONValue null = JSONValue::null();
    return {
        {"activity.presence", with(interval(), {{"state", JSONValue("active")}})},
        {"activity.intensity",
         {{"window_start", JSONValue("2025-03-04T09:00:00Z")}, {"window_s", JSONValue(300)},
          {"keystrokes", JSONValue(212)}, {"clicks", JSONValue(14)}, {"scroll_events", JSONValue(9)},
          {"active_ratio", JSONValue(0.8333333)}}},
        {"work.day.summary",
         {{"date", JSONValue("2025-03-04")}, {"partial", JSONValue(false)},
          {"first_active", JSONValue("2025-03-04T08:01:00Z")},
          {"last_active", JSONValue("2025-03-04T17:30:00Z")}, {"active_s", JSONValue(25000)},
          {"idle_s", JSONValue(3600)}, {"breaks", JSONValue(3)}, {"longest_focus_s", JSONValue(2400)}}},
        {"app.focus", with(interval(), {{"bundle_id", JSONValue("com.microsoft.VSCode")},
                                        {"app_name", JSONValue("Code")},
                                        {"category", JSONValue("development")}})},
        {"app.usage.summary",
         {{"window_start", JSONValue("2025-03-04T09:00:00Z")}, {"window_s", JSONValue(3600)},
          {"apps", JSONValue(JSONArray{JSONValue(JSONObject{
                       {"bundle_id", JSONValue("org.mozilla.firefox")}, {"app_name", JSONValue("Firefox")},
                       {"active_s", JSONValue(1800)}, {"focus_count", JSONValue(4)}})})},
          {"switch_count", JSONValue(7)}, {"distinct_apps", JSONValue(1)}}},
        {"window.context",
         with(interval(), {{"bundle_id", JSONValue("org.mozilla.firefox")},
                           {"title_class", JSONValue("ticket")},
                           {"title_hash", JSONValue("th_0123456789abcdef")},
                           {"domain", JSONValue("atlassian.net")}, {"doc_ref", null}})},
        {"app.switch",
         {{"from_bundle_id", JSONValue("org.mozilla.firefox")},
          {"to_bundle_id", JSONValue("com.tinyspeck.slackmacgap")},
          {"ts", JSONValue("2025-03-04T09:14:55Z")}, {"dwell_s", JSONValue(765)}}},
        {"task.episode",
         with(interval(), {{"episode_id", JSONValue("ep_01JNM2Z3K4ABCDEFGHJKMNPQRS")},
                           {"apps", JSONValue(JSONArray{JSONValue("a.b"), JSONValue("c/d")})},
                           {"documents", JSONValue(JSONArray{JSONValue("dh_00ff00ff00ff00ff")})},
                           {"step_count", JSONValue(0)}, {"switch_count", JSONValue(3)},
                           {"paste_count", JSONValue(2)}, {"rework_count", JSONValue(0)},
                           {"end_reason", JSONValue("idle")}})},
        {"handover",
         {{"ts", JSONValue("2025-03-04T09:14:55Z")}, {"from_bundle_id", JSONValue("org.mozilla.firefox")},
          {"to_bundle_id", JSONValue("org.libreoffice.calc")}, {"from_doc_ref", null},
          {"to_doc_ref", JSONValue("dh_1111222233334444")}, {"payload_type", JSONValue("text")}}},
        {"process.step", {}},
        {"input.pattern",
         with(interval(), {{"bundle_id", JSONValue("org.gnome.TextEditor")}, {"keys", JSONValue(120)},
                           {"mean_iki_ms", JSONValue(180)}, {"iki_sd_ms", JSONValue(95)},
                           {"backspace_ratio", JSONValue(0.0416666)}})},
        {"interaction.friction", {}},
        {"work.category",
         with(interval(), {{"bundle_id", JSONValue("com.microsoft.VSCode")},
                           {"category", JSONValue("development")}, {"confidence", JSONValue(0.91234)},
                           {"derivation", JSONValue("model")},
                           {"model", JSONValue("apple-nl-sentence-embedding")}})},
        {"task.label",
         {{"episode_id", JSONValue("ep_01JNM2Z3K4ABCDEFGHJKMNPQRS")}, {"label", JSONValue("code_review")},
          {"confidence", null}, {"model", JSONValue("rules")},
          {"evidence_hash", JSONValue("eh_0011223344556677")}}},
        {"document.ref",
         {{"doc_ref", JSONValue("dh_1111222233334444")}, {"doc_class", JSONValue("spreadsheet")},
          {"bundle_id", JSONValue("org.libreoffice.calc")}, {"first_seen", JSONValue("2025-03-04T09:14:55Z")}}},
    };
}

// What a reader of the stored text gets back: doubles rounded to 3 decimals.
JSONValue roundedForWire(const JSONValue& value) {
    if (auto d = value.number()) return JSONValue(JSONValue::roundedForWriting(*d));
    if (auto a = value.array()) {
        JSONArray out;
        for (const auto& e : *a) out.push_back(roundedForWire(e));
        return JSONValue(out);
    }
    if (auto o = value.object()) {
        JSONObject out;
        for (const auto& [k, v] : *o) out.emplace(k, roundedForWire(v));
        return JSONValue(out);
    }
    return value;
}

TEST(Signal, EveryTypeRoundTripsThroughItsStoredText) {
    const auto catalogue = realisticFields();
    ASSERT_EQ(catalogue.size(), SignalType::allCases().size());
    for (const auto& type : SignalType::allCases()) {
        const auto it = catalogue.find(type.rawValue());
        ASSERT_NE(it, catalogue.end()) << type.rawValue().toStdString();
        Signal original{"01JNM2Z3K4ABCDEFGHJKMNPQRS", type.rawValue(), 1, it->second};
        const QString text = original.jsonString();
        ASSERT_NE(text, "{}");
        EXPECT_FALSE(text.contains(QRegularExpression("[^\\\\]/"))) << "unescaped slash: " << text.toStdString();
        QString error;
        const auto back = Signal::fromJSON(text.toUtf8(), &error);
        ASSERT_TRUE(back) << error.toStdString();
        Signal expected = original;
        expected.fields = *roundedForWire(JSONValue(original.fields)).object();
        EXPECT_EQ(*back, expected) << text.toStdString();
        // Writing the read-back signal again gives the same bytes.
        EXPECT_EQ(back->jsonString(), text);
    }
}

TEST(Signal, JsonStringIsSortedWithEscapedSlashes) {
    Signal s{"ID", "app.focus", 1,
             {{"bundle_id", JSONValue("com.example/app")}, {"duration_s", JSONValue(5)},
              {"category", JSONValue::null()}}};
    EXPECT_EQ(s.jsonString().toStdString(),
              R"({"bundle_id":"com.example\/app","category":null,"duration_s":5,"id":"ID","type":"app.focus","v":1})");
}

TEST(Signal, OwnIdTypeAndVersionAreWrittenOverFields) {
    Signal s{"REAL", "app.focus", 1,
             {{"type", JSONValue("fake")}, {"id", JSONValue(7)}, {"v", JSONValue(99)}}};
    const auto object = *s.encoded().object();
    EXPECT_EQ(object.at("type"), JSONValue("app.focus"));
    EXPECT_EQ(object.at("id"), JSONValue("REAL"));
    EXPECT_EQ(object.at("v"), JSONValue(1));
    EXPECT_EQ(object.size(), 3u);
}

TEST(Signal, ANonFiniteFieldIsStoredAsEmptyObject) {
    Signal s{"ID", "input.pattern", 1,
             {{"backspace_ratio", JSONValue(std::numeric_limits<double>::quiet_NaN())}}};
    EXPECT_EQ(s.jsonString(), "{}");
}

TEST(SignalDecoding, TakesIdTypeAndVersionOutOfTheObject) {
    const auto s = Signal::fromJSON(R"({"id":"X","type":"app.focus","v":1,"bundle_id":"b"})");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->id, "X");
    EXPECT_EQ(s->type, "app.focus");
    EXPECT_EQ(s->v, 1);
    EXPECT_EQ(s->fields, (JSONObject{{"bundle_id", JSONValue("b")}}));
    EXPECT_EQ(s->jsonString(), R"({"bundle_id":"b","id":"X","type":"app.focus","v":1})");
}

TEST(SignalDecoding, MissingOrWrongMembersGetDefaults) {
    const TimePoint before = Time::now();
    const auto s = Signal::fromJSON(R"({"v":"2","type":5,"id":null,"k":1})");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->id.size(), 26);
    // The fresh id carries the current time: it sorts between ids of just before and after.
    EXPECT_EQ(s->type, "unknown");
    EXPECT_EQ(s->v, 1);
    EXPECT_EQ(s->fields, (JSONObject{{"k", JSONValue(1)}}));  // "v", "type", "id" are gone
    EXPECT_GE(Time::now(), before);
    EXPECT_EQ(Signal::fromJSON(R"({"v":3.0})")->v, 3);
    EXPECT_EQ(Signal::fromJSON(R"({"v":3.5})")->v, 1);
}

TEST(SignalDecoding, NonObjectsFail) {
    for (const char* text : {"[]", "\"app.focus\"", "1", "null"}) {
        QString error;
        EXPECT_FALSE(Signal::fromJSON(text, &error)) << text;
        EXPECT_EQ(error, "signal is not an object") << text;
    }
    QString error;
    EXPECT_FALSE(Signal::fromJSON("{\"id\":", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(SignalTypeCatalogue, HasFifteenTypesInOrderWithThreeOffByDefault) {
    const auto& all = SignalType::allCases();
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(all.front().rawValue(), "activity.presence");
    EXPECT_EQ(all.back().rawValue(), "document.ref");
    const auto& defaults = SignalType::defaultEnabled();
    ASSERT_EQ(defaults.size(), 15u);
    std::set<QString> off;
    for (const auto& [name, on] : defaults)
        if (!on) off.insert(name);
    EXPECT_EQ(off, (std::set<QString>{"input.pattern", "process.step", "interaction.friction"}));
    for (const auto& type : all) {
        EXPECT_EQ(SignalType::fromRawValue(type.rawValue()), type);
        EXPECT_FALSE(type.summary().isEmpty());
        EXPECT_EQ(type.needsClassifier(),
                  type == SignalType::workCategory || type == SignalType::taskLabel);
    }
    EXPECT_FALSE(SignalType::fromRawValue("test.ping"));
}

TEST(SignalTypeCatalogue, GroupsListTheirTypesInDeclarationOrder) {
    std::vector<QString> flow;
    for (const auto& type : SignalType::allCases())
        if (type.group() == SignalType::Group::flow) flow.push_back(type.rawValue());
    EXPECT_EQ(flow, (std::vector<QString>{"app.switch", "task.episode", "handover", "process.step"}));
    ASSERT_EQ(SignalType::allGroups().size(), 5u);
    EXPECT_EQ(SignalType::title(SignalType::allGroups()[3]), "Working style");
}

}  // namespace
