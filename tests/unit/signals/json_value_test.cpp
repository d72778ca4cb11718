#include <gtest/gtest.h>

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

std::string write(const JSONValue& value) {
    auto text = value.serialized();
    EXPECT_TRUE(text.has_value());
    return text.value_or("<failed>").toStdString();
}

TEST(JSONValueReading, ScalarsTakeTheNarrowestCase) {
    EXPECT_EQ(read("true"), JSONValue(true));
    EXPECT_EQ(read("null"), JSONValue::null());
    EXPECT_EQ(read("\"1\""), JSONValue("1"));
    EXPECT_EQ(read("1.5"), JSONValue(1.5));
    // Whole numbers are ints however they are written.
    const qint64 min = std::numeric_limits<qint64>::min();
    const std::pair<const char*, qint64> whole[] = {
        {"3", 3}, {"3.0", 3}, {"3e0", 3}, {"-0", 0}, {"0.000e-7", 0}, {"1.25e2", 125},
        {"1e18", 1000000000000000000}, {"12345678901234567.0", 12345678901234567},
        {"9223372036854775807", std::numeric_limits<qint64>::max()},
        {"-9223372036854775808", min}, {"-92233720368547758.08e2", min}};
    for (const auto& [text, value] : whole) EXPECT_EQ(read(text), JSONValue(value)) << text;
    // Not whole, or past 64 bits (or past double range): a double, never a wrong integer.
    const std::pair<const char*, double> doubles[] = {
        {"1e20", 1e20}, {"18446744073709551616", 18446744073709551616.0},
        {"9223372036854775808", 9223372036854775808.0},
        {"-9223372036854775809", -9223372036854775808.0}, {"9223372036854775807.5", 9.223372036854775807e18},
        {"1e400", std::numeric_limits<double>::infinity()},
        {"-1e400", -std::numeric_limits<double>::infinity()}, {"1e-400", 0.0}, {"-1.5", -1.5}};
    for (const auto& [text, value] : doubles) EXPECT_EQ(read(text), JSONValue(value)) << text;
    EXPECT_NE(read("1"), JSONValue(true));  // numbers are never booleans
}

TEST(JSONValueReading, MalformedTextFailsWithADescription) {
    for (const char* text : {"", "{", "[1,]", "tru", "{\"a\" 1}", "1 2"}) {
        QString error;
        EXPECT_FALSE(JSONValue::parse(QByteArray(text), &error).has_value()) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(JSONValueReading, StringsAreValidUtf8WithEscapesDecoded) {
    EXPECT_EQ(read(R"("a\/b\n\u00e9\ud83d\ude00")"), JSONValue(QString::fromUtf8("a/b\né😀")));
    EXPECT_EQ(read("\"caf\xc3\xa9\""), JSONValue(QString::fromUtf8("café")));
    const QByteArray bad[] = {
        "\"\xc3\x28\"",          // broken two-byte sequence
        "\"\xed\xa0\x80\"",      // an encoded surrogate
        "\"\xc0\xaf\"",          // overlong "/"
        R"("\ud83d")",           // lone high surrogate escape
        R"("\ude00x")",          // lone low surrogate escape
        "\"tab\tinside\"",       // raw control character
        R"("\x41")",             // unknown escape
    };
    for (const QByteArray& text : bad) EXPECT_FALSE(JSONValue::parse(text)) << text.toStdString();
}

TEST(JSONValueReading, DeepNestingIsRefusedNotACrash) {
    const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
    QString error;
    EXPECT_FALSE(JSONValue::parse(deep, &error));
    EXPECT_TRUE(error.contains("deep"));
    const QByteArray fine = QByteArray(200, '[') + QByteArray(200, ']');
    EXPECT_TRUE(JSONValue::parse(fine));
}

TEST(JSONValueWriting, DoublesRoundToThreeDecimalsHalvesAwayFromZero) {
    EXPECT_EQ(write(JSONValue(1.23456)), "1.235");
    EXPECT_EQ(write(JSONValue(0.0015)), "0.002");
    EXPECT_EQ(write(JSONValue(-0.0005)), "-0.001");
    EXPECT_EQ(write(JSONValue(-0.0001)), "0");
    EXPECT_EQ(write(JSONValue(2.0004)), "2");
    EXPECT_EQ(write(JSONValue(JSONArray{JSONValue(1.0 / 3.0)})), "[0.333]");
    // Integers are never rounded or converted.
    EXPECT_EQ(write(JSONValue(1234567)), "1234567");
    EXPECT_EQ(write(JSONValue(qint64(9007199254740993LL))), "9007199254740993");
}

TEST(JSONValueWriting, ANonFiniteDoubleAnywhereFailsTheWholeEncoding) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(JSONValue(nan).serialized());
    EXPECT_FALSE(JSONValue(JSONArray{JSONValue(1), JSONValue(-inf)}).serialized());
    EXPECT_FALSE(JSONValue(JSONObject{{"a", JSONValue(JSONObject{{"b", JSONValue(inf)}})}}).serialized());
    // 1e308 * 1000 overflows while rounding: also not writable rather than written wrong.
    EXPECT_FALSE(JSONValue(1e308).serialized());
}

TEST(JSONValueRoundTrip, NestedValuesReadBackEqualAndEqualityIsStructural) {
    const JSONValue value(JSONObject{
        {"s", JSONValue(QString::fromUtf8("naïve \"quoted\" \\ / \n tab\t ✓"))},
        {"i", JSONValue(qint64(-42))},
        {"d", JSONValue(0.125)},
        {"a", JSONValue(JSONArray{JSONValue(true), JSONValue::null(),
                                  JSONValue(JSONObject{{"b", JSONValue(2)}})})},
    });
    EXPECT_EQ(read(value.serialized()->constData()), value);
    EXPECT_EQ(read("{\"a\": [2.0]}"), JSONValue(JSONObject{{"a", JSONValue(JSONArray{JSONValue(2)})}}));
    EXPECT_NE(JSONValue(2), JSONValue(2.0));
    EXPECT_NE(JSONValue("1"), JSONValue(1));
    EXPECT_NE(JSONValue(JSONArray{JSONValue(1), JSONValue(2)}),
              JSONValue(JSONArray{JSONValue(2), JSONValue(1)}));
}

}  // namespace
