#include <gtest/gtest.h>

#include <QList>
#include <cmath>
#include <limits>

#include "signals/json_value.h"

namespace {

JSONValue read(const char* text) {
    QString error;
    auto value = JSONValue::parse(QByteArray(text), &error);
    EXPECT_TRUE(value.has_value()) << text << ": " << error.toStdString();
    return value.value_or(JSONValue::null());
}

TEST(JSONValueReading, ScalarsTakeTheNarrowestCase) {
    const qint64 min = std::numeric_limits<qint64>::min();
    const double inf = std::numeric_limits<double>::infinity();
    // Whole numbers are ints however they are written; not whole, or past 64 bits (or past
    // double range): a double, never a wrong integer. Numbers are never booleans.
    const std::pair<const char*, JSONValue> cases[] = {
        {"true", true},
        {"null", JSONValue::null()},
        {"\"1\"", "1"},
        {R"("a\/b\n\u00e9\ud83d\ude00")", QString::fromUtf8("a/b\né😀")},
        {"\"caf\xc3\xa9\"", QString::fromUtf8("café")},
        {"1", 1},
        {"3.0", 3},
        {"-0", 0},
        {"0.000e-7", 0},
        {"1.25e2", 125},
        {"1e18", 1000000000000000000LL},
        {"12345678901234567.0", 12345678901234567LL},
        {"9223372036854775807", std::numeric_limits<qint64>::max()},
        {"-9223372036854775808", min},
        {"-92233720368547758.08e2", min},
        {"-1.5", -1.5},
        {"1e20", 1e20},
        {"18446744073709551616", 18446744073709551616.0},
        {"9223372036854775808", 9223372036854775808.0},
        {"-9223372036854775809", -9223372036854775808.0},
        {"9223372036854775807.5", 9.223372036854775807e18},
        {"1e400", inf},
        {"1e-400", 0.0}};
    for (const auto& [text, value] : cases) EXPECT_EQ(read(text), value) << text;
}

TEST(JSONValueReading, MalformedTextOrInvalidStringsFailWithADescription) {
    QList<QByteArray> bad{"", "{", "[1,]", "tru", "{\"a\" 1}", "1 2"};
    bad << "\"\xc3\x28\""      // broken two-byte sequence
        << "\"\xed\xa0\x80\""  // an encoded surrogate
        << "\"\xc0\xaf\""      // overlong "/"
        << R"("\ud83d")"       // lone high surrogate escape
        << R"("\ude00x")"      // lone low surrogate escape
        << "\"tab\tinside\""   // raw control character
        << R"("\x41")";        // unknown escape
    for (const QByteArray& text : bad) {
        QString error;
        EXPECT_FALSE(JSONValue::parse(text, &error).has_value()) << text.toStdString();
        EXPECT_FALSE(error.isEmpty()) << text.toStdString();
    }
}

TEST(JSONValueReading, DeepNestingIsRefusedNotACrash) {
    QString error;
    EXPECT_FALSE(JSONValue::parse(QByteArray(100000, '[') + QByteArray(100000, ']'), &error));
    EXPECT_TRUE(error.contains("deep"));
    EXPECT_TRUE(JSONValue::parse(QByteArray(200, '[') + QByteArray(200, ']')));
}

TEST(JSONValueWriting, DoublesRoundToThreeDecimalsHalvesAwayFromZeroIntegersNever) {
    const std::pair<JSONValue, const char*> cases[] = {
        {1.23456, "1.235"},   {0.0015, "0.002"},
        {-0.0005, "-0.001"},  {-0.0001, "0"},
        {2.0004, "2"},        {JSONArray{1.0 / 3.0}, "[0.333]"},
        {1234567, "1234567"}, {9007199254740993LL, "9007199254740993"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(value.serialized().value_or("<failed>"), text);
}

TEST(JSONValueWriting, ANonFiniteDoubleAnywhereFailsTheWholeEncoding) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(JSONValue(nan).serialized());
    EXPECT_FALSE(JSONValue(JSONArray{1, -inf}).serialized());
    EXPECT_FALSE(JSONValue(JSONObject{{"a", JSONObject{{"b", inf}}}}).serialized());
    // 1e308 * 1000 overflows while rounding: also not writable rather than written wrong.
    EXPECT_FALSE(JSONValue(1e308).serialized());
}

TEST(JSONValueRoundTrip, NestedValuesReadBackEqualAndEqualityIsStructural) {
    const JSONValue value(JSONObject{
        {"s", QString::fromUtf8("naïve \"quoted\" \\ / \n tab\t ✓")},
        {"i", qint64(-42)},
        {"d", 0.125},
        {"a", JSONArray{true, JSONValue::null(), JSONObject{{"b", 2}}}},
    });
    EXPECT_EQ(read(value.serialized()->constData()), value);
    EXPECT_EQ(read("{\"a\": [2.0]}"), JSONValue(JSONObject{{"a", JSONArray{2}}}));
    EXPECT_NE(JSONValue(2), JSONValue(2.0));
    EXPECT_NE(JSONValue("1"), JSONValue(1));
    EXPECT_NE(JSONValue(JSONArray{1, 2}), JSONValue(JSONArray{2, 1}));
}

}  // namespace
